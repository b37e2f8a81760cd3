#pragma once

#include <QString>
#include <QVector>

/// The pages of a book laid out unit by unit: for each unit the first
/// position (in the unit's own document) of each of its pages, once a layout
/// counted it, and an estimate from its length until then. Global page
/// numbers are the pages of the units before plus the page inside the unit.
///
/// Plain data; GUI thread (the worker hands its counts over by value).
class PageTable
{
public:
    /// Forgets every count; `lengths` are the units' text lengths (used for
    /// the estimates).
    void reset(const QVector<int>& lengths);
    /// Forgets the counts but keeps the lengths (a new layout).
    void clearCounts();
    void setLengths(const QVector<int>& lengths);

    int unitCount() const { return m_units.size(); }
    /// Records the page starts of `unit` under the current layout.
    void setCounted(int unit, const QVector<int>& starts);
    bool isCounted(int unit) const;
    /// The page starts of a counted unit (empty otherwise).
    const QVector<int>& starts(int unit) const { return m_units.at(unit).starts; }
    /// Every unit counted: the page numbers are exact.
    bool isExact() const { return m_counted == m_units.size(); }
    int countedUnits() const { return m_counted; }

    /// Pages of `unit`: counted, or estimated (at least 1).
    int pagesOf(int unit) const;
    /// The global number (1-based) of the first page of `unit`.
    int firstPage(int unit) const;
    /// All pages.
    int pageCount() const;
    /// The unit and the page inside it (0-based) of global page `page`,
    /// clamped into the book; {-1, 0} without units.
    struct Place
    {
        int unit = -1;
        int page = 0;
    };
    Place locate(int page) const;
    /// The page (0-based) of unit position `position` in `unit`.
    int pageInUnit(int unit, int position) const;
    /// The first unit position of page `page` (0-based) of `unit`.
    int startOfPage(int unit, int page) const;

    /// The counts as a compact string (cache); fromString() takes it back,
    /// false when it does not fit this book's units.
    QString toString() const;
    bool fromString(const QString& text);

private:
    struct Unit
    {
        int length = 0;
        QVector<int> starts; ///< empty until counted
    };
    void ensureSums() const;
    double charactersPerPage() const;

    QVector<Unit> m_units;
    int m_counted = 0;
    qint64 m_countedLength = 0;
    qint64 m_countedPages = 0;
    mutable QVector<int> m_first; ///< first page of each unit, 1-based; one more entry: total + 1
    mutable bool m_dirty = true;
};
