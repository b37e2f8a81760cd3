#pragma once

#include <QSortFilterProxyModel>

/// Text search and sort order of the library views over the book model.
/// The filter pattern (set with setFilterRegExp) is the search text: a row
/// is kept when its title or author column (as displayed, so "Unknown" for
/// an empty one) contains the text, ignoring case. The text is taken
/// literally, so a search for "C++" or "(1)" finds what it says.
class BookSortFilterModel : public QSortFilterProxyModel
{
    Q_OBJECT
public:
    explicit BookSortFilterModel(QObject* parent = nullptr);

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;
    /// Date column by date and time, title and author by the locale's order,
    /// the rest as the base class compares them.
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;
};
