#include "TocTreeView.h"

#include "TocTreeViewDelegate.h"

#include <QHeaderView>
#include <QScrollBar>

TocTreeView::TocTreeView(QWidget* parent) : QTreeView(parent)
{
    setObjectName("tocTreeView");
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* header = new QHeaderView(Qt::Horizontal, this);
    header->setObjectName("tocHeaderView");
    header->setSectionsMovable(false);
    header->setHighlightSections(false);
    header->setStretchLastSection(false);
    setHeader(header);
    auto* bar = new QScrollBar(Qt::Vertical, this);
    bar->setObjectName("tocScrollBar");
    setVerticalScrollBar(bar);
    setItemDelegate(new TocTreeViewDelegate(this));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setFrameShape(QFrame::NoFrame);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setMouseTracking(true);
}

void TocTreeView::showEntry(const QModelIndex& index)
{
    if (!index.isValid())
        return;
    for (QModelIndex up = index.parent(); up.isValid(); up = up.parent())
        expand(up);
    setCurrentIndex(index);
    scrollTo(index, QAbstractItemView::PositionAtCenter);
}

void TocTreeView::fitColumns()
{
    if (!model() || model()->columnCount() < 2)
        return;
    const int title = qMax(0, viewport()->width() - PageColumnWidth);
    if (header()->sectionSize(1) != PageColumnWidth)
        header()->resizeSection(1, PageColumnWidth);
    if (header()->sectionSize(0) != title)
        header()->resizeSection(0, title);
}

void TocTreeView::updateGeometries()
{
    QTreeView::updateGeometries();
    fitColumns();
}

void TocTreeView::showEvent(QShowEvent* event)
{
    QTreeView::showEvent(event);
    fitColumns();
}

void TocTreeView::resizeEvent(QResizeEvent* event)
{
    QTreeView::resizeEvent(event);
    fitColumns();
}
