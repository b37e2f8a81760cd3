#pragma once

#include "BookPages.h"
#include "BookPlaces.h"
#include "BookText.h"
#include "ChunkDocument.h"
#include "IDocument.h"
#include "TextSearch.h"

#include <QAbstractTextDocumentLayout>
#include <QColor>
#include <QFont>
#include <QMargins>
#include <QSize>
#include <QTextDocument>
#include <QTimer>
#include <functional>
#include <memory>

class BookResources;
class BookSearch;
class LayoutWorker;

/// The common base of the reflowable formats (FB2, EPUB, MOBI): a book's text
/// laid out into fixed-size pages shown one or two side by side.
///
/// A format subclass hands its text over in load() as chunks of HTML
/// (setText(): EPUB spine items, FB2 top-level sections, MOBI stretches
/// between page breaks) with the book's images and style sheets (a shared
/// BookResources), and builds its table of contents in buildToc(). The
/// QTextDocument this class derives from holds no text: it carries the style
/// the viewer sets (default font, style sheet, text option) and the page size.
///
/// Layout works unit by unit (a chunk, or a piece of an oversized one): the
/// GUI thread lays out only the units on screen and next to them (a few kept
/// in an LRU), each alone on its own pages; a worker (LayoutWorker) places the
/// units in the book's text (BookPlaces) and counts every unit's pages in the
/// background (BookPages).
/// Until the count is complete page numbers are estimates
/// (isPageCountExact() false, pageLabel() marks them) and progress() follows
/// the position; the place on screen never moves when exact numbers arrive
/// (pageNumbersChanged()). Finished page tables are cached per book and
/// layout in the book's cache folder.
///
/// Loading in stages (setLoadsInStages(), the viewer): a format may hand over
/// a large book's opening chunks first (setOpeningText()) and the whole text
/// later from a background parse (finishInBackground(), then setText()). The
/// opening's places are the whole book's; the place on screen stays when the
/// rest arrives, and a place beyond the opening waits for it behind the busy
/// page. A later stage that fails empties the document (loadFailed()).
/// Searches made before the rest arrives cover the opening only.
///
/// Places: every place handed out (position(), TocPoint::position,
/// SearchResult::position, positionOfAnchor()) is a character position of the
/// whole book's text, exactly as one QTextDocument holding the whole book
/// counts it (TextMap). Pages are derived; never store them.
///
/// Highlights (search hits, the one-second place-finding highlight after a
/// re-layout) are drawn when a page is painted (pageView()), never edits of
/// the text. Search runs over the plain text (TextSearch), on a worker thread
/// for searchStep().
///
/// Threads: GUI thread only; the background work is LayoutWorker's and
/// TextSearch's. The re-layout lets pending events run between
/// beginResizePage() and endResizePage(): other slots may run in the middle
/// (a nested resize is deferred and applied afterwards).
class TextDocument : public QTextDocument, public IDocument
{
    Q_OBJECT
public:
    explicit TextDocument(QObject* parent = nullptr);
    ~TextDocument() override;

    // --- format hooks ---
    /// Hands the text over again from data already parsed (after a style
    /// change). Default: nothing.
    virtual void rebuild();
    /// Reads and parses the book file, then hands the text over (setText()).
    /// Failure leaves the document empty (page count 0) and is logged.
    /// Default: nothing.
    virtual void load();
    /// The size of a named image of the book; (-1, -1) when unknown.
    virtual QSize imageSize(const QString& name) const;
    /// Empties the text and forgets highlights.
    void clear() override;

    // --- IDocument ---
    QList<SearchResult> search(const QString& text) override;
    /// Streams results from a search running on a worker thread.
    bool searchStep(const QString& text, qint64& state, int budgetMs, QList<SearchResult>& results) override;
    QList<TocPoint> toc() const override;
    QString chapterTitle(int position) const override;
    /// The page that holds `position` (exact for counted units, estimated
    /// for the others).
    int calcPageByPosition(int position) const override;
    /// Percent of the way `page` stands for, rounded; 0 without pages.
    int calcProgressByPage(const int page) const override;
    int page() const override;
    /// 0 for an empty text, otherwise the page count (see isPageCountExact()).
    int pageCount() const override;
    bool isPageCountExact() const override;
    /// Percent of the current page, not rounded, once the page count is
    /// exact; until then the position's share of the text. 0 without pages.
    double progress() const override;
    /// The first position of the current page.
    int position() const override;
    int columnCount() const override { return m_columnCount; }
    bool isLoaded() const override { return true; }
    QString errorString() const override { return m_errorString; }

    /// The first position of `page` (1-based).
    int calcPositionByPage(const int page) const;
    /// The position of the anchor `name` (HTML id or a name), case-sensitive;
    /// 0 for an empty name or when there is no such anchor.
    int positionOfAnchor(const QString& name) const;

    // --- the text ---
    /// Whether the book has text.
    bool hasText() const { return !m_places.isEmpty(); }
    /// The whole book's text as QTextDocument::toPlainText() of one document
    /// holding it gives it (positions index it). Waits for the text map.
    QString plainText() const;
    /// QTextDocument::characterCount() of that document. Waits for the map.
    int textLength() const;
    /// The book as one rich-text document, as the engine before the units
    /// had it (tests and tools: slow for a large book).
    std::unique_ptr<QTextDocument> wholeDocument() const;
    /// The units the text is laid out in.
    int unitCount() const { return m_places.unitCount(); }
    /// Whether the worker has placed the units in the text.
    bool isTextMapped() const { return m_places.isMapped(); }
    /// Whether page counting runs in the background.
    bool isCounting() const;
    /// Going to a place the text map does not know yet: when true (the
    /// viewer), setPageByPosition() waits in the background, between
    /// beginResizePage() and endResizePage(); when false, it blocks until the
    /// map is built.
    void setWaitsInBackground(bool on) { m_waitsInBackground = on; }
    /// True between the beginResizePage() and endResizePage() of such a wait.
    bool isWaitingForPlace() const { return m_waitingForMap; }
    /// Lets a format show the opening chapters of a book of `fromBytes` or
    /// more at once and load the rest in the background (the viewer). Off by
    /// default: load() returns with the whole text.
    void setLoadsInStages(bool on, qint64 fromBytes = 1024 * 1024)
    {
        m_loadsInStages = on;
        m_stagesFrom = fromBytes;
    }
    /// Whether a book of `bytes` is loaded in stages.
    bool loadsInStages(qint64 bytes) const { return m_loadsInStages && bytes >= m_stagesFrom; }
    /// True while only the opening chapters are there (the rest is loading):
    /// the page count is an estimate, and a place beyond them waits.
    bool isOpening() const { return m_opening; }
    /// True while pages are laid out again for a new geometry (pending events
    /// run meanwhile; pages asked for then may be of either layout).
    bool isRelayouting() const { return m_relayouting; }

    // --- what the viewer draws ---
    struct PageView
    {
        /// The unit's document, laid out; null for a page beyond the book.
        QTextDocument* document = nullptr;
        /// The page in the document's coordinates.
        QRectF rect;
        /// Names the layout `document` holds: a unit laid out again (another
        /// style, or after it left the cache) gets a new one, so a picture of
        /// the page can be kept as long as layoutId, rect and selections stay.
        quint64 layoutId = 0;
        /// Highlights on the page, for the layout's paint context.
        QVector<QAbstractTextDocumentLayout::Selection> selections;
    };
    /// Page `page` (1-based), laid out if needed.
    PageView pageView(int page);
    /// The plain text of page `page` as laid out (from its first position to
    /// the next page's), lines and paragraphs ending in "\n".
    QString pageText(int page);
    /// The number shown under page `page`: "~" before it while it is an
    /// estimate.
    QString pageLabel(int page) const;
    /// The highlighted book ranges [start, end): the place-finding highlight
    /// and the search hits.
    QVector<QPair<int, int>> highlights() const;
    /// Whether the place-finding highlight is shown.
    bool hasPlaceHighlight() const { return m_placeFrom >= 0; }
    /// Shows where the text of book range [from, to) went after the page
    /// geometry changed: highlighted for a second.
    void highlightPlace(int from, int to);

    // --- geometry and colours, as the viewer set them ---
    QSize viewPortSize() const { return m_viewPortSize; }
    QMargins margins() const { return m_margins; }
    QFont font() const { return m_font; }
    QColor backgroundColor() const { return m_backgroundColor; }
    QColor highlightColor() const { return m_highlightColor; }
    QColor fontColor() const { return m_fontColor; }
    /// Height kept free under the text of every page for the page number (the
    /// line height of font()). The viewer draws the number there.
    int pageNumberReserve() const;
    /// Timings of the last load(), for benchmarks: reading and parsing the
    /// file, and building the text; -1 when a format does not report them.
    struct LoadStats
    {
        qint64 parseMs = -1;
        qint64 convertMs = -1;
    };
    LoadStats loadStats() const { return m_loadStats; }

    /// True when no search highlighting is applied.
    bool isSearchCleared() const;

public slots:
    void setPage(int page) override;
    void setPageByPosition(int position) override;
    /// Stores 1 or 2, re-lays out keeping the reader's place and emits
    /// columnCountChanged().
    void setColumnCount(int count) override;
    /// Re-paginates for a new reading area, keeping the reader's place; nothing
    /// when the size is unchanged. Emits beginResizePage()/endResizePage().
    void setViewPortSize(QSize size) override;
    void moveToHome() override;
    void moveToEnd() override;
    /// Removes the search highlighting and emits endCleanSearch() when there
    /// was some.
    void clearSearch() override;

    /// Goes to `progress` percent of the text (by position, not by page).
    void setPageByProgress(float progress);
    /// Goes to the page holding paragraph `blockNumber` (0-based); nothing
    /// when there is no such paragraph.
    void setPageByBlockNumber(int blockNumber);
    /// These store the value only; the viewer re-lays out afterwards.
    void setBackgroundColor(QColor color) { m_backgroundColor = color; }
    void setHighlightColor(QColor color) { m_highlightColor = color; }
    void setFontColor(QColor color) { m_fontColor = color; }
    void setMargings(QMargins margins) { m_margins = margins; }
    void setFont(QFont font) { m_font = font; }

    /// Next page (or pair of pages): never beyond the last page.
    void next();
    /// Previous page (or pair): nothing on the first page (pair).
    void previous();
    /// Kept for callers of the whole-document engine; does nothing.
    void layoutPageCountChanged(int newPageCount);
    /// Removes the place-finding highlight of the last re-layout, if it is
    /// still there, and emits pageChanged().
    void resetHighlight();
    /// Called at every re-layout; no format needs it yet.
    virtual void reloadImages();

signals:
    void columnCountChanged(int count);
    void beginPageChanged();
    void pageChanged();
    void endPageChanged();
    void beginResizePage();
    void endResizePage();
    void endCleanSearch();
    /// Highlights changed (search hits arrived or went): repaint.
    void highlightsChanged();
    /// Page numbers or the page count changed while the place stayed (counts
    /// arrived from the worker).
    void pageNumbersChanged();
    /// The rest of a book loaded in stages could not be loaded: the document
    /// is empty now and errorString() says why.
    void loadFailed();

protected:
    /// For subclasses: the book's text and its resources. `bookPath` names
    /// the cache folder (may be empty: no cache). The same text handed over
    /// again (rebuild) keeps its map.
    void setText(const BookText& text, const std::shared_ptr<BookResources>& resources,
                 const QString& bookPath = QString());
    /// For a format loading in stages: the book's opening chunks, the whole
    /// text's first ones (anchor ids aside), which make `share` of the book.
    /// Shown at once; setText() with the whole text follows and keeps the
    /// place, and a place beyond the opening waits for it.
    void setOpeningText(const BookText& opening, const std::shared_ptr<BookResources>& resources,
                        double share);
    /// Runs `work` on the thread pool, then what it returns on this
    /// document's thread (never in the middle of a re-layout); nothing when
    /// the document is gone by then or another stage was started.
    void finishInBackground(std::function<std::function<void()>()> work);
    /// For a format whose later stage failed: empties the document, keeps
    /// `reason` as errorString() and emits loadFailed().
    void failLoad(const QString& reason);
    /// For subclasses: the table of contents, built from anchor positions
    /// (positionOfAnchor() works here). Called once the text is mapped.
    /// Default: empty.
    virtual QList<TocPoint> buildToc() const;
    /// The table of contents as built (pages not filled); waits for the map.
    const QList<TocPoint>& tocPoints() const;
    /// Fills the `page` of every entry (recursively).
    void refreshTocPages(QList<TocPoint>& points) const;
    void setLoadStats(const LoadStats& stats) { m_loadStats = stats; }
    /// For subclasses: a load() that fails says why, in words for the user.
    void setErrorString(const QString& text) { m_errorString = text; }

private:
    TextStyle currentStyle() const;
    void onTextMapped();
    void numbersMaybeChanged();
    void goTo(int unit, int unitPage);
    void assignText(const BookText& text, const std::shared_ptr<BookResources>& resources,
                    const QString& bookPath);
    void applyStage(const std::function<void()>& apply, int stage);
    /// Ends the wait for a place once it was reached.
    void endWaitIfPlaced();
    void prefetch();
    void relayout();
    void applyPageSize();
    QSize pageBox() const;
    void highlightRange(int from, int to);
    void clearHighlights();
    void ensureToc() const;

    int m_columnCount = 1;
    int m_savedPosition = 0;
    QColor m_backgroundColor;
    QColor m_highlightColor;
    QColor m_fontColor;
    QSize m_viewPortSize{-1, -1};
    QMargins m_margins;
    QFont m_font;
    LoadStats m_loadStats;
    QString m_errorString;

    // The text and its pages (the worker first: both use it).
    LayoutWorker* m_worker;
    BookPlaces m_places;
    mutable BookPages m_pages; ///< every question about pages may check the style
    mutable QList<TocPoint> m_toc;
    mutable bool m_tocBuilt = false;

    // Page numbers as last shown.
    QTimer m_numbersTimer;
    int m_shownPage = -1;
    int m_shownCount = -1;
    bool m_shownExact = false;
    QTimer m_prefetchTimer;

    // The place.
    int m_unit = 0;
    int m_unitPage = 0;
    int m_pendingPosition = -1;
    bool m_waitsInBackground = false;
    bool m_waitingForMap = false;

    // Loading in stages.
    bool m_loadsInStages = false;
    qint64 m_stagesFrom = 0;
    bool m_opening = false;
    double m_openingShare = 1.0;
    int m_stage = 0;
    int m_savedUnit = -1;
    int m_savedUnitPage = -1;

    // Highlights and search.
    int m_placeFrom = -1;
    int m_placeTo = -1;
    QTimer m_highlightTimer;
    BookSearch* m_search = nullptr;

    bool m_relayouting = false;
    bool m_relayoutPending = false;
    bool m_runningEvents = false; ///< pending events run inside setViewPortSize()
};
