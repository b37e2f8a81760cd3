#pragma once

#include "IDocument.h"

#include <QColor>
#include <QFont>
#include <QHash>
#include <QMargins>
#include <QSize>
#include <QTextDocument>
#include <QTimer>

/// The common base of the reflowable formats (FB2, EPUB, MOBI): the book as
/// one rich text, laid out into fixed-size pages shown one or two side by side.
///
/// A format subclass fills the text in load() (setHtml, or a cursor with the
/// undo history switched off) and the table of contents (tocPoints). This class
/// decides what is on which page, keeps the current page, maps positions to
/// pages and back, searches and highlights.
///
/// Places: every place handed out (position(), TocPoint::position,
/// SearchResult::position, positionOfAnchor()) is a character position of the
/// rich text and does not depend on the layout. Pages are derived from the
/// current layout on demand; how they are computed is private to this class
/// and will change (per-chapter layout off the GUI thread), so callers must not
/// store pages or compute them themselves.
///
/// Highlights (search hits, the one-second place-finding highlight after a
/// re-layout) are character-format edits that live in the undo history, at
/// most one at a time; the book text itself is never in the undo history and
/// is never undone. Callers must not call undo()/redo() themselves.
///
/// Threads: GUI thread only. QTextDocument and its layout are not thread-safe
/// and the layout needs the GUI application's fonts, so every operation here,
/// including load(), runs on the thread that owns the document (the GUI
/// thread). Only a subclass's pure parsing step (no QTextDocument involved,
/// e.g. fb2::FbParser) may run on a worker thread. The re-layout lets pending
/// events run between beginResizePage() and endResizePage(): other slots may run
/// in the middle (a nested resize is deferred and applied afterwards).
class TextDocument : public QTextDocument, public IDocument
{
    Q_OBJECT
public:
    explicit TextDocument(QObject* parent = nullptr);
    ~TextDocument() override;

    // --- format hooks ---
    /// Re-creates the rich text from data already parsed (after a style change).
    /// Default: nothing.
    virtual void rebuild();
    /// Reads and parses the book file, then builds the rich text and the table
    /// of contents. Failure leaves the document empty (page count 0) and is
    /// logged. Default: nothing.
    virtual void load();
    /// The size of a named image of the book; (-1, -1) when unknown.
    virtual QSize imageSize(const QString& name) const;
    /// Empties the text and forgets highlights (they cannot be undone any more).
    void clear() override;

    // --- IDocument ---
    QList<SearchResult> search(const QString& text) override;
    QList<TocPoint> toc() const override;
    QString chapterTitle(int position) const override;
    /// The page that holds `position` under the current layout (1 when the
    /// layout is not paginated).
    int calcPageByPosition(int position) const override;
    /// Percent of the way `page` stands for, rounded; 0 without pages.
    int calcProgressByPage(const int page) const override;
    int page() const override { return m_page; }
    /// 0 for an empty text, otherwise the layout's page count.
    int pageCount() const override;
    /// Percent of the current page, not rounded; 0 without pages.
    double progress() const override;
    /// The first position of the current page.
    int position() const override { return calcPositionByPage(m_page); }
    int columnCount() const override { return m_columnCount; }
    bool isLoaded() const override { return true; }
    QString errorString() const override { return m_errorString; }

    /// The first position of `page` (1-based) under the current layout.
    int calcPositionByPage(const int page) const;
    /// The position of the anchor `name` (HTML id or a name), case-sensitive;
    /// 0 for an empty name or when there is no such anchor.
    int positionOfAnchor(const QString& name) const;

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
    /// file, and building the rich text; -1 when a format does not report them.
    struct LoadStats
    {
        qint64 parseMs = -1;
        qint64 convertMs = -1;
    };
    LoadStats loadStats() const { return m_loadStats; }

    /// True when no search highlighting is applied.
    bool isSearchCleared() const { return m_searchCleared; }

public slots:
    void setPage(int page) override;
    void setPageByPosition(int position) override;
    /// Stores 1 or 2, re-lays out keeping the reader's place and emits
    /// columnCountChanged().
    void setColumnCount(int count) override;
    /// Re-paginates for a new reading area, keeping the reader's place; nothing
    /// when the size is unchanged. Emits beginResizePage()/endResizePage().
    void setViewPortSize(QSize size) override;
    void moveToHome() override { setPage(1); }
    void moveToEnd() override { setPage(pageCount()); }
    /// Removes the search highlighting (one undo step, at most once) and emits
    /// endCleanSearch() when there was some.
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
    /// Records the page count announced by the layout.
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

protected:
    /// The table of contents; filled by the format subclass. Pages in it are
    /// refreshed by toc().
    QList<TocPoint> tocPoints;

    /// For subclasses: call after the text was (re)built so that nothing of the
    /// building can ever be undone and cached anchors are dropped.
    void contentReplaced();
    /// Fills the `page` of every entry (recursively) from the current layout.
    void refreshTocPages(QList<TocPoint>& points) const;
    void setLoadStats(const LoadStats& stats) { m_loadStats = stats; }
    /// For subclasses: a load() that fails says why, in words for the user.
    void setErrorString(const QString& text) { m_errorString = text; }

private:
    enum class Highlight
    {
        None,
        Place,
        Search
    };

    void relayout();
    void applyPageSize();
    QSize pageBox() const;
    /// Undoes the current highlight, if any (never the text).
    void undoHighlight();
    void highlightRange(int from, int to);
    void ensureAnchorIndex() const;
    qreal pageHeight() const;
    void ensureLayout() const;

    int m_columnCount = 1;
    int m_page = 1;
    int m_layoutPageCount = -1;
    int m_savedPosition = 0;
    int m_savedForPage = -1;
    QColor m_backgroundColor;
    QColor m_highlightColor;
    QColor m_fontColor;
    QSize m_viewPortSize{-1, -1};
    QMargins m_margins;
    QFont m_font;
    bool m_searchCleared = true;
    LoadStats m_loadStats;
    QString m_errorString;

    Highlight m_highlight = Highlight::None;
    QTimer m_highlightTimer;
    bool m_relayouting = false;
    bool m_relayoutPending = false;
    mutable QHash<QString, int> m_anchors;
    mutable bool m_anchorsValid = false;
};
