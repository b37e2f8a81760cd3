#pragma once

#include "ImageDocument.h"

#include <QMutex>
#include <QSize>

#include <functional>
#include <memory>

namespace pdf {

class Document;
class PageTextCache;

/// A PDF book shown as page images. Opens the file (asking for a password
/// through the prompt the viewer installs), renders a page or a two-page
/// spread at the size the view needs, reads the outline as the table of
/// contents, searches the words of the pages, and answers title, author,
/// further information and cover when a book is added.
///
/// Threads: load(), the setters and the IDocument operations belong to the
/// owner thread. render(), requestImage() and requestImages() may run on
/// worker threads at the same time: every call into the PDF library is
/// serialised by pdf::Document, and the view settings they read are guarded.
/// A document that failed to open has 0 pages and renders null images.
class PdfDocument : public ImageDocument
{
    Q_OBJECT
public:
    enum ZoomMode
    {
        FitPage = 0,     ///< the page, or the spread, fits into the viewport
        NaturalSize = 1, ///< one point is one pixel
        CustomScale = 2  ///< the document's scale()
    };

    /// The view settings a render needs, taken on the owner thread and handed
    /// to a worker as one value.
    struct View
    {
        QSize viewport{-1, -1}; ///< logical pixels; negative while unknown
        int zoomMode = FitPage;
        double scale = 1.0;
        int columns = 1;
        qreal pixelRatio = 1.0; ///< device pixels per logical pixel
    };

    /// Where a page is drawn: the zoom factor and the size in logical pixels.
    struct Geometry
    {
        double scale = 0;
        QSize size;
    };

    /// Asks the user for the password of a protected file. `wrongBefore` is
    /// true when the previous password was refused (the prompt says so first).
    /// Returns false when the user gives up.
    using PasswordPrompt = std::function<bool(bool wrongBefore, QString* password)>;

    explicit PdfDocument(QObject* parent = nullptr);
    ~PdfDocument() override;

    /// Without a prompt a protected file stays closed (the add-books worker).
    void setPasswordPrompt(PasswordPrompt prompt);
    void load(const QString& path) override;

    // --- ImageDocument ---
    /// One page rendered for the current view. Any thread.
    QImage requestImage(int page) override;
    int pageCount() const override { return m_pageCount; }
    bool isValidPage(int number) const override;

    // --- rendering ---
    View view() const;
    void setViewPortSize(QSize size) override;
    void setZoomMode(int mode);
    int zoomMode() const;
    void setDevicePixelRatio(qreal ratio);
    /// The geometry of `page` under `view`; in fit mode, when `partner` is a
    /// page, both are fitted side by side at one scale (a spread). Invalid
    /// for a page without a usable size. Any thread.
    Geometry pageGeometry(const View& view, int page, int partner = 0) const;
    /// The picture of the view: `page` alone, or with the following page to
    /// its right in two-column mode (both at one scale; the last page of the
    /// book alone). The image carries view.pixelRatio.
    /// Any thread.
    QImage render(const View& view, int page) const;
    /// render() of the current view and page.
    QImage render() const;

    // --- IDocument ---
    QList<TocPoint> toc() const override;
    QString chapterTitle(int position) const override;
    int calcPageByPosition(int position) const override { return position; }
    int calcProgressByPage(const int page) const override;
    double progress() const override { return calcProgressByPage(page()); }
    int position() const override { return page(); }
    void setPageByPosition(int position) override { setPage(position); }
    bool isLoaded() const override { return m_loaded; }
    QString errorString() const override { return m_errorString; }
    /// The page jump (for a page number), then every word of every page that
    /// holds the text (or run of words, for a text of several words).
    /// Extracts every page's words: slow on long books, use searchStep().
    QList<SearchResult> search(const QString& text) override;
    /// The same results in steps: page texts are extracted on a pool thread
    /// and each step collects the pages that are ready, never waiting.
    bool searchStep(const QString& text, qint64& state, int budgetMs, QList<SearchResult>& results) override;

    // --- for the add-books worker ---
    QString title() const;
    QString author() const;
    /// Document information by key: 1 author, 2 title, 3 subject,
    /// 4 keywords, 5 creator, 6 producer.
    QString information(int key) const;
    /// The first page, `height` pixels high; null when it cannot be rendered.
    QImage cover(int height) const;

    /// How often the outline was read from the file (it is read once).
    int outlineReads() const { return m_outlineReads; }

    static QString wrongPasswordTitle();
    static QString wrongPasswordText();

private:
    QImage renderPage(int page, double scale, qreal pixelRatio) const;
    /// The page's size in points as shown (turned); invalid when unusable.
    QSize shownPoints(int page) const;
    void matchPage(int page, const QString& pageText, const QString& query,
                   QList<SearchResult>& results) const;
    SearchResult pageJump(const QString& text) const;

    std::unique_ptr<Document> m_document;
    std::unique_ptr<PageTextCache> m_texts;
    PasswordPrompt m_prompt;
    int m_pageCount = 0;
    bool m_loaded = false;
    QString m_errorString;

    mutable QMutex m_viewMutex; ///< guards the three view fields below
    QSize m_viewport{-1, -1};
    int m_zoomMode = FitPage;
    qreal m_pixelRatio = 1.0;

    mutable QList<TocPoint> m_outlines;
    mutable bool m_outlinesRead = false;
    mutable int m_outlineReads = 0;
};

} // namespace pdf
