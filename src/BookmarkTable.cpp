#include "BookmarkTable.h"

#include "BookmarkTableDelegate.h"

#include <QHeaderView>
#include <QScrollBar>

BookmarkTable::BookmarkTable(QWidget* parent) : QTableView(parent)
{
    setObjectName("bookmarkTable");
    setMouseTracking(true);
    m_delegate = new BookmarkTableDelegate(this);
    m_delegate->setTrash(QStringLiteral(":/style/images/delete.png"));
    m_delegate->setTrashHigh(QStringLiteral(":/style/images/deletehigh.png"));
    m_delegate->setTrashSelect(QStringLiteral(":/style/images/deleteselect.png"));
    m_delegate->setTrashSelectHigh(QStringLiteral(":/style/images/deleteselecthigh.png"));
    setItemDelegate(m_delegate);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setFocusPolicy(Qt::NoFocus);
    setShowGrid(false);
    setWordWrap(false);
    // Long chapter titles lose their middle, never the percentage at the end.
    setTextElideMode(Qt::ElideMiddle);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(34);
    auto* header = new QHeaderView(Qt::Horizontal, this);
    header->setObjectName("tocHeaderView");
    header->setHighlightSections(false);
    header->setSectionsClickable(false);
    // The style's minimum (about 36 px) would widen the trash column.
    header->setMinimumSectionSize(20);
    setHorizontalHeader(header);
    auto* bar = new QScrollBar(Qt::Vertical, this);
    bar->setObjectName("tocScrollBar");
    setVerticalScrollBar(bar);
}

void BookmarkTable::setModel(QAbstractItemModel* model)
{
    QTableView::setModel(model);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    fitColumns();
}

void BookmarkTable::fitColumns()
{
    if (!model() || model()->columnCount() < 3)
        return;
    const int title = qMax(0, viewport()->width() - PageColumnWidth - DeleteColumnWidth);
    const int widths[3] = {title, PageColumnWidth, DeleteColumnWidth};
    for (int column = 0; column < 3; ++column) {
        if (columnWidth(column) != widths[column])
            setColumnWidth(column, widths[column]);
    }
}

void BookmarkTable::showEvent(QShowEvent* event)
{
    QTableView::showEvent(event);
    fitColumns();
}

void BookmarkTable::resizeEvent(QResizeEvent* event)
{
    QTableView::resizeEvent(event);
    fitColumns();
}

void BookmarkTable::updateGeometries()
{
    QTableView::updateGeometries();
    fitColumns();
}
