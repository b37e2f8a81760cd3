#include "BookSortFilterModel.h"

#include "BookModel.h"

#include <QDateTime>

BookSortFilterModel::BookSortFilterModel(QObject* parent) : QSortFilterProxyModel(parent) {}

bool BookSortFilterModel::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const
{
    // The pattern is what the user typed into the search field; read as a
    // regular expression, ordinary titles such as "C++" would match nothing.
    const QString text = filterRegExp().pattern();
    if (text.isEmpty())
        return true;
    const QAbstractItemModel* source = sourceModel();
    if (!source)
        return true;
    for (int column : {int(BookModel::ColumnTitle), int(BookModel::ColumnAuthor)}) {
        const QString value = source->index(sourceRow, column, sourceParent).data(Qt::DisplayRole).toString();
        if (value.contains(text, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

bool BookSortFilterModel::lessThan(const QModelIndex& left, const QModelIndex& right) const
{
    switch (left.column()) {
    case BookModel::ColumnDate:
        return left.data(BookModel::DateRole).toDateTime() < right.data(BookModel::DateRole).toDateTime();
    case BookModel::ColumnTitle:
    case BookModel::ColumnAuthor:
        return QString::localeAwareCompare(left.data(Qt::DisplayRole).toString(),
                                           right.data(Qt::DisplayRole).toString()) < 0;
    default:
        return QSortFilterProxyModel::lessThan(left, right);
    }
}
