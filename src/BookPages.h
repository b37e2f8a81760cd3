#pragma once

#include "ChunkDocument.h"
#include "PageTable.h"

#include <QFont>
#include <QObject>
#include <QSizeF>
#include <QString>
#include <QTimer>

#include <list>
#include <memory>

class BookPlaces;
class LayoutWorker;

/// The pages of a reflowable book in the style its document carries now
/// (default font, style sheet, text option and page size): the units laid
/// out on the GUI thread (the ones on screen and next to them, a few kept in
/// an LRU) and the page table, which a count in the background (LayoutWorker)
/// completes once a layout has settled. Finished tables are cached per
/// layout in the book's cache folder.
///
/// Every question about pages checks the style first (checkStyle()): a new
/// one drops the layouts and counts of the old, then takes a cached table or
/// schedules a new count.
///
/// GUI thread (the worker's counts arrive there).
class BookPages : public QObject
{
    Q_OBJECT
public:
    /// `style` carries the style, `places` the units; both outlive this.
    BookPages(const QTextDocument& style, const BookPlaces& places, LayoutWorker& worker);
    ~BookPages() override;

    /// A unit laid out on the GUI thread.
    struct Laid
    {
        int unit = -1;
        /// New for every layout made (PageView::layoutId).
        quint64 id = 0;
        std::unique_ptr<ChunkDocument> document;
    };

    /// The style the units are laid out in now.
    TextStyle style() const;
    /// Drops layouts and counts made for another style; then takes the
    /// cached table or schedules a new count.
    void checkStyle();

    /// A new text: forgets the counts (`lengths`, the units' text lengths,
    /// give the estimates) and the style, which is checked anew.
    void reset(const QVector<int>& lengths);
    /// The units' text lengths changed (they were placed); counts stay.
    void setLengths(const QVector<int>& lengths) { m_table.setLengths(lengths); }
    /// Drops every layout.
    void dropLayouts() { m_laid.clear(); }
    /// The text went: stops the count and drops every layout.
    void clear();
    /// The next count starts without waiting for the layout to settle: the
    /// text is new but the layout is not (a book's whole text after its
    /// opening).
    void countAtOnce() { m_countAtOnce = true; }

    /// The unit laid out in the current style, the most recently used now;
    /// null for a unit that does not exist. Counts its pages.
    Laid* laidOut(int unit);
    bool isLaidOut(int unit) const;
    /// Lays out one neighbour of `unit` that is not laid out yet (the next
    /// one first, as the reader reads on), keeping `unit` the most recently
    /// used. False when both are laid out.
    bool layOutNeighbour(int unit);

    /// The pages; exact for the counted units. Check the style first.
    const PageTable& table() const { return m_table; }
    /// Whether a count runs or waits for the layout to settle.
    bool isCounting() const;

signals:
    /// Page numbers may have changed: a unit was counted anew, or the style.
    void pagesChanged();

private:
    void scheduleCount();
    void startCount();
    void onUnitsCounted(int generation, int first, const QVector<QVector<int>>& starts);
    void onCountFinished(int generation);

    const QTextDocument& m_style;
    const BookPlaces& m_places;
    LayoutWorker& m_worker;

    PageTable m_table;
    QString m_styleKey;
    QString m_checkedSheet; ///< the style last checked, to see changes quickly
    QSizeF m_checkedPageSize;
    Qt::Alignment m_checkedAlignment;
    QFont m_checkedFont;
    std::list<Laid> m_laid; ///< most recently used first
    quint64 m_lastLayoutId = 0;
    int m_countGeneration = -1;
    QTimer m_countTimer;
    bool m_countAtOnce = false;
};
