#include "BookTable.h"

#include "BookDrag.h"
#include "BookModel.h"
#include "BookTableDelegate.h"
#include "BooktableHeader.h"

#include <QDragEnterEvent>
#include <QLabel>
#include <QLoggingCategory>
#include <QMimeData>
#include <QScrollBar>
#include <QStyle>

Q_LOGGING_CATEGORY(lcBookTable, "lanternleaf.library.table")

BookTable::BookTable(QWidget* parent) : QTableView(parent)
{
    setObjectName("boxLibraryTable");
    verticalScrollBar()->setObjectName("scrollBarTable");
    // The scroll area polished its bar while it was built; the new name
    // only reaches the style sheet after polishing it again.
    verticalScrollBar()->style()->unpolish(verticalScrollBar());
    verticalScrollBar()->style()->polish(verticalScrollBar());
    m_header = new BooktableHeader(this);
    setHorizontalHeader(m_header);
    setItemDelegate(new BookTableDelegate(this));
    setSortingEnabled(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setMouseTracking(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setShowGrid(false);
    setWordWrap(false);
    setAlternatingRowColors(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTextElideMode(Qt::ElideRight);
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(40);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_header->setDefaultSectionSize(50);
    m_header->setMinimumSectionSize(30);
    m_header->setFixedHeight(36);
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDropIndicatorShown(true);
    setAcceptDrops(true);
    setContextMenuPolicy(Qt::CustomContextMenu);

    m_empty = new QLabel(viewport());
    m_empty->setObjectName("labelEmptySearch");
    m_empty->setAlignment(Qt::AlignCenter);
    m_empty->setWordWrap(true);
    m_empty->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_empty->hide();
}

void BookTable::setModel(QAbstractItemModel* model)
{
    QTableView::setModel(model);
    if (model)
        connect(model, &QAbstractItemModel::headerDataChanged, this, &BookTable::applyWidths,
                Qt::UniqueConnection);
    applyWidths();
    setColumnHidden(BookModel::ColumnFormat, true);
}

void BookTable::applyWidths()
{
    if (!model() || m_header->count() < BookModel::ColumnCount)
        return;
    m_header->setSectionResizeMode(BookModel::ColumnTitle, QHeaderView::Stretch);
    m_header->setSectionResizeMode(BookModel::ColumnAuthor, QHeaderView::Stretch);
    // The fixed widths grow when a header text (a translation, "Added on")
    // and the sort mark would not fit.
    auto fit = [this](int column, int width) {
        const QString text = model()->headerData(column, Qt::Horizontal).toString();
        return qMax(width, m_header->fontMetrics().horizontalAdvance(text) + 30);
    };
    const QList<QPair<int, int>> fixed{
        {BookModel::ColumnProgress, fit(BookModel::ColumnProgress, ProgressWidth)},
        {BookModel::ColumnFormat, DateWidth},
        {BookModel::ColumnDate, fit(BookModel::ColumnDate, DateWidth)},
        {BookModel::ColumnFavorite, MarkWidth},
        {BookModel::ColumnRestore, MarkWidth},
        {BookModel::ColumnDelete, DeleteWidth}};
    for (const auto& column : fixed) {
        m_header->setSectionResizeMode(column.first, QHeaderView::Fixed);
        m_header->resizeSection(column.first, column.second);
    }
}

void BookTable::setEmptyText(const QString& text)
{
    m_empty->setText(text);
    m_empty->setGeometry(viewport()->rect());
    m_empty->setVisible(!text.isEmpty());
}

void BookTable::resizeEvent(QResizeEvent* event)
{
    QTableView::resizeEvent(event);
    applyWidths();
    m_empty->setGeometry(viewport()->rect());
}

void BookTable::showEvent(QShowEvent* event)
{
    QTableView::showEvent(event);
    applyWidths();
}

void BookTable::dragEnterEvent(QDragEnterEvent* event)
{
    BookDrag::acceptFileDrag(event);
}

void BookTable::dragMoveEvent(QDragMoveEvent* event)
{
    BookDrag::acceptFileDrag(event);
}

void BookTable::dropEvent(QDropEvent* event)
{
    qCDebug(lcBookTable) << "drop" << event->mimeData()->formats();
    const QFileInfoList files = BookDrag::takeDroppedFiles(event);
    if (!files.isEmpty())
        emit droppedFiles(files);
}

void BookTable::startDrag(Qt::DropActions)
{
    BookDrag::start(this);
}
