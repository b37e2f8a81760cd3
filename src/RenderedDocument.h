#pragma once

#include "ImageDocument.h"

#include <QMutex>
#include <QSize>
#include <QStringList>

#include <memory>

class PageTextCache;

/// The base of the page books a library draws at any scale (PDF, DjVu): the
/// zoom modes, the fit arithmetic for one page or a two-page spread, the
/// picture of the view at the screen's pixel density, the cover, progress,
/// and the search through the words of the pages. A subclass opens the file
/// and answers three questions: the size of a page as shown, its pixels at a
/// scale, and its words.
///
/// Sizes are in points (1/72 inch): at scale 1 a page is drawn one point to
/// one logical pixel, whatever its format.
///
/// Threads: load(), the setters and the IDocument operations belong to the
/// owner thread. render(), requestImage(), requestImages(), pageGeometry()
/// and cover() may run on worker threads at the same time; a subclass makes
/// the three questions safe for that, and the view settings they read are
/// guarded here. A document that failed to open has 0 pages and renders
/// null images.
class RenderedDocument : public ImageDocument
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

    explicit RenderedDocument(QObject* parent = nullptr);
    ~RenderedDocument() override;

    // --- ImageDocument ---
    /// One page rendered for the current view. Any thread.
    QImage requestImage(int page) override;
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
    /// The first page, `height` pixels high; null when it cannot be rendered.
    /// Any thread.
    QImage cover(int height) const;

    // --- IDocument ---
    QString chapterTitle(int position) const override;
    int calcPageByPosition(int position) const override { return position; }
    int calcProgressByPage(const int page) const override;
    double progress() const override { return calcProgressByPage(page()); }
    int position() const override { return page(); }
    void setPageByPosition(int position) override { setPage(position); }
    /// The page jump (for a page number), then every word of every page that
    /// holds the text (or run of words, for a text of several words).
    /// Extracts every page's words: slow on long books, use searchStep().
    QList<SearchResult> search(const QString& text) override;
    /// The same results in steps: page texts are extracted on a pool thread
    /// and each step collects the pages that are ready, never waiting.
    bool searchStep(const QString& text, qint64& state, int budgetMs, QList<SearchResult>& results) override;

protected:
    /// The page's size in points as shown (turned); invalid when the page
    /// cannot be shown. Any thread.
    virtual QSize shownPoints(int page) const = 0;
    /// The page drawn at `scale` (points to device pixels) into an image of
    /// exactly `pixels`; null on failure. Any thread.
    virtual QImage renderPixels(int page, double scale, const QSize& pixels) const = 0;
    /// The words of the page in reading order; empty when it has none. Any
    /// thread.
    virtual QStringList pageWords(int page) const = 0;

    /// After a successful load: makes the words of `pageCount` pages
    /// searchable.
    void startTexts(int pageCount);
    /// Stops the extraction of words. A subclass calls it before load() and
    /// first in its destructor, while pageWords() still works.
    void stopTexts();

private:
    QImage renderPage(int page, double scale, qreal pixelRatio) const;
    void matchPage(int page, const QString& pageText, const QString& query,
                   QList<SearchResult>& results) const;
    SearchResult pageJump(const QString& text) const;

    std::unique_ptr<PageTextCache> m_texts;

    mutable QMutex m_viewMutex; ///< guards the three view fields below
    QSize m_viewport{-1, -1};
    int m_zoomMode = FitPage;
    qreal m_pixelRatio = 1.0;
};
