#include "BookFormatFilter.h"

#include "BookModel.h"

BookFormatFilter::BookFormatFilter(QObject* parent) : QSortFilterProxyModel(parent) {}

bool BookFormatFilter::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const
{
    bool isNumber = false;
    const int format = filterRegExp().pattern().toInt(&isNumber);
    if (!isNumber || format == -1 || !sourceModel())
        return true;
    const QModelIndex index = sourceModel()->index(sourceRow, BookModel::ColumnFormat, sourceParent);
    return index.data(BookModel::FormatRole).toInt() == format;
}
