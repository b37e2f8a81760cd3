#pragma once

#include <QSortFilterProxyModel>

/// Keeps the books of one format. The filter pattern (set with
/// setFilterRegExp) is the decimal format code; an empty pattern, anything
/// that is not a decimal integer, or -1 keeps every book.
class BookFormatFilter : public QSortFilterProxyModel
{
    Q_OBJECT
public:
    explicit BookFormatFilter(QObject* parent = nullptr);

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;
};
