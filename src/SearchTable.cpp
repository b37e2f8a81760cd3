#include "SearchTable.h"

#include "SearchTableDelegate.h"

#include <QEvent>
#include <QHeaderView>
#include <QScrollBar>

SearchTable::SearchTable(QWidget* parent) : QTableView(parent)
{
    setObjectName("searchTable");
    setMouseTracking(true);
    setItemDelegate(new SearchTableDelegate(this));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(false);
    setWordWrap(true);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    auto* header = new QHeaderView(Qt::Horizontal, this);
    header->setObjectName("tocHeaderView");
    header->setHighlightSections(false);
    header->setSectionsClickable(false);
    header->setStretchLastSection(true);
    setHorizontalHeader(header);
    auto* bar = new QScrollBar(Qt::Vertical, this);
    bar->setObjectName("searchTableScrollbar");
    setVerticalScrollBar(bar);
    fitRowHeight();
}

void SearchTable::fitRowHeight()
{
    verticalHeader()->setDefaultSectionSize(SearchTableDelegate::rowHeight(font()));
}

void SearchTable::changeEvent(QEvent* event)
{
    // The style sheet sets the font when the table is polished.
    if (event->type() == QEvent::FontChange)
        fitRowHeight();
    QTableView::changeEvent(event);
}
