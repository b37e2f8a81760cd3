#pragma once

#include <QMetaObject>
#include <QSortFilterProxyModel>
#include <QString>
#include <QVector>

/// Text search and sort order of the library views over the book model.
/// The filter pattern (set with setFilterRegExp) is the search text: a row
/// is kept when its title or author column (as displayed, so "Unknown" for
/// an empty one) contains the text, ignoring case. The text is taken
/// literally, so a search for "C++" or "(1)" finds what it says.
///
/// With tens of thousands of books a sort makes hundreds of thousands of
/// comparisons, and every search keystroke looks at every row: both work on
/// keys taken from the source once (the stored seconds of the date, the
/// numbers, the displayed texts), not on values fetched through the model
/// chain per comparison. The keys are dropped whenever the source changes.
/// GUI thread only.
class BookSortFilterModel : public QSortFilterProxyModel
{
    Q_OBJECT
public:
    explicit BookSortFilterModel(QObject* parent = nullptr);

    void setSourceModel(QAbstractItemModel* source) override;

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;
    /// Date column by date and time, title and author by the locale's order,
    /// the rest as the base class compares them.
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

private:
    void dropKeys();
    void refreshRows(const QModelIndex& topLeft, const QModelIndex& bottomRight);
    /// Makes the sort keys of column (and the search texts) current.
    bool ensureSortKeys(int column) const;
    void ensureSearchTexts() const;
    void readSortKey(int row, int column) const;

    QList<QMetaObject::Connection> m_sourceConnections;
    mutable int m_keyColumn = -1; ///< the column of m_numbers or m_texts; -1 when none
    mutable QVector<qint64> m_numbers;
    mutable QVector<QString> m_texts;
    mutable bool m_haveSearchTexts = false;
    mutable QVector<QString> m_titles;
    mutable QVector<QString> m_authors;
};
