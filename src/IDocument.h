#pragma once

#include <QList>
#include <QSize>
#include <QString>

/// One table-of-contents entry. A value type: copies are independent (the list
/// of children is shared implicitly until one copy changes).
struct TocPoint
{
    /// The text shown for the entry.
    QString title;
    /// Where the entry leads: a layout-independent position (see IDocument).
    int position = 0;
    /// The page that holds `position` under the current layout. Refreshed every
    /// time the table of contents is asked for; never store it.
    int page = 0;
    /// Nested entries, in reading order.
    QList<TocPoint> children;
};

/// One result of IDocument::search().
struct SearchResult
{
    /// The chapter title of `position` (may be empty).
    QString title;
    /// The page that holds the result under the current layout.
    int page = 0;
    /// Rich-text label: "Go to page N" for a page jump, otherwise the whole
    /// paragraph, HTML-escaped, with every hit wrapped in <b>…</b>.
    QString text;
    /// Where the result leads: start of the paragraph, or first position of the
    /// page for a page jump.
    int position = 0;
    /// True only for the result made from a page-number query.
    bool isPageJump = false;
};

/// The interface through which the book viewer, the table of contents, the
/// bookmarks and the in-book search move through a book of any format.
///
/// Units:
/// - page: 1-based; in two-column mode the current page is the left one shown.
/// - position: a place independent of the layout. Text books: a character
///   position of the converted rich text (0-based), valid across changes of
///   font, page size and column count. Page books: the page number itself.
///   Store positions, never pages.
/// - progress: percent of the way through the book, from the page number.
///
/// Not a QObject: implementations (TextDocument, ImageDocument) declare their
/// own signals and are owned and deleted through their concrete class, which
/// is why the destructor is protected and not virtual.
///
/// Every default below is the behaviour of a document that does not override
/// the operation. Errors are values: empty lists, 0, false.
class IDocument
{
public:
    /// Finds `text` in the book. Default: no results.
    virtual QList<SearchResult> search(const QString& text)
    {
        Q_UNUSED(text)
        return {};
    }
    /// Removes the highlighting of the last search. Default: nothing.
    virtual void clearSearch() {}
    /// A search that runs in steps, so that a long book never blocks the
    /// window: each call goes on for roughly `budgetMs` milliseconds from where
    /// the previous call stopped, appends the results it found to `results`, and
    /// returns true while there is more to search. `state` is the caller's: it
    /// starts at 0 for a new query and is passed back unchanged on every
    /// following call. The first step gives the page-jump result (when the
    /// query is a page number) before any text hit, and the hits come in
    /// reading order; highlighting follows search(). A document may do the work
    /// on a thread of its own and only collect it here. GUI thread.
    /// Default: the whole search() in the first step.
    virtual bool searchStep(const QString& text, qint64& state, int budgetMs, QList<SearchResult>& results)
    {
        Q_UNUSED(budgetMs)
        if (state == 0)
            results += search(text);
        state = 1;
        return false;
    }
    /// Makes current the page that holds `position`. Default: nothing.
    virtual void setPageByPosition(int position) { Q_UNUSED(position) }
    /// The size of the area the pages are shown in; text documents
    /// re-paginate. Default: nothing.
    virtual void setViewPortSize(QSize size) { Q_UNUSED(size) }
    /// The table of contents, top-level entries in reading order, with
    /// current pages. Default: empty.
    virtual QList<TocPoint> toc() const { return {}; }
    /// Title of the table-of-contents entry whose range holds `position`
    /// (bookmark and search-result titles). Default: empty.
    virtual QString chapterTitle(int position) const
    {
        Q_UNUSED(position)
        return {};
    }
    /// The page that holds `position`. Default: 0.
    virtual int calcPageByPosition(int position) const
    {
        Q_UNUSED(position)
        return 0;
    }
    /// Progress in percent that `page` stands for (0 for a book without
    /// pages). Default: 0.
    virtual int calcProgressByPage(const int page) const
    {
        Q_UNUSED(page)
        return 0;
    }
    /// Makes `page` current and announces it through the implementation's
    /// signals. Default: nothing.
    virtual void setPage(int page) { Q_UNUSED(page) }
    virtual void moveToHome() { setPage(1); }
    virtual void moveToEnd() { setPage(pageCount()); }
    /// The current page. Default: 0.
    virtual int page() const { return 0; }
    /// The number of pages. Default: 0.
    virtual int pageCount() const { return 0; }
    /// False while pageCount() and page() are estimates (a text book whose
    /// pages are still being counted in the background). Default: true.
    virtual bool isPageCountExact() const { return true; }
    /// Progress of the current page in percent (0 without pages). Default: 0.
    virtual double progress() const { return 0.0; }
    /// The position at the top of the current page. Default: 0.
    virtual int position() const { return 0; }
    /// 1 or 2 pages side by side. Default: 1.
    virtual int columnCount() const { return 1; }
    virtual void setColumnCount(int count) { Q_UNUSED(count) }
    /// Whether the document was opened (false e.g. while a PDF password is
    /// missing). Default: true.
    virtual bool isLoaded() const { return true; }
    /// Why the book could not be opened, in plain words for the user (already
    /// translated), e.g. "The file is damaged." Empty when it opened, or while
    /// it may still open (a PDF waiting for its password). Default: empty.
    virtual QString errorString() const { return {}; }

protected:
    IDocument() = default;
    IDocument(const IDocument&) = default;
    IDocument& operator=(const IDocument&) = default;
    ~IDocument() = default;
};
