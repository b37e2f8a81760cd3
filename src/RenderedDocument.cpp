#include "RenderedDocument.h"

#include "Limits.h"
#include "PageTextCache.h"
#include "SafeImage.h"

#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QMutexLocker>
#include <QPainter>

#include <cmath>

Q_LOGGING_CATEGORY(lcRendered, "lanternleaf.pages.render", QtWarningMsg)

namespace {

// The word escaped as HTML with every hit of the query in bold. Escaping
// first keeps "<" and "&" of the book as written.
QString markHits(const QString& plain, const QString& query)
{
    QString out;
    int from = 0;
    for (int i = plain.indexOf(query, 0, Qt::CaseInsensitive); i >= 0;
         i = plain.indexOf(query, i + query.size(), Qt::CaseInsensitive)) {
        out += plain.mid(from, i - from).toHtmlEscaped();
        out += QStringLiteral("<b>%1</b>").arg(plain.mid(i, query.size()).toHtmlEscaped());
        from = i + query.size();
    }
    out += plain.mid(from).toHtmlEscaped();
    return out;
}

// The largest scale at which a page of `points` still gives an image that
// SafeImage accepts, in device pixels.
double largestScale(const QSize& points)
{
    const double side = double(Limits::maxImageSide) / qMax(points.width(), points.height());
    const double area =
        std::sqrt(double(Limits::maxImagePixels) / (double(points.width()) * points.height()));
    return qMin(side, area) * 0.999;
}

} // namespace

RenderedDocument::RenderedDocument(QObject* parent) : ImageDocument(parent) {}

RenderedDocument::~RenderedDocument() = default;

void RenderedDocument::startTexts(int pageCount)
{
    m_texts = std::make_unique<PageTextCache>([this](int page) { return pageWords(page); }, pageCount);
}

void RenderedDocument::stopTexts()
{
    m_texts.reset();
}

bool RenderedDocument::isValidPage(int number) const
{
    return number >= 1 && number <= pageCount();
}

// ---------------------------------------------------------------- view

RenderedDocument::View RenderedDocument::view() const
{
    View view;
    {
        QMutexLocker lock(&m_viewMutex);
        view.viewport = m_viewport;
        view.zoomMode = m_zoomMode;
        view.pixelRatio = m_pixelRatio;
    }
    view.scale = scale();
    view.columns = columnCount();
    return view;
}

void RenderedDocument::setViewPortSize(QSize size)
{
    QMutexLocker lock(&m_viewMutex);
    m_viewport = size;
}

void RenderedDocument::setZoomMode(int mode)
{
    QMutexLocker lock(&m_viewMutex);
    m_zoomMode = qBound(int(FitPage), mode, int(CustomScale));
}

int RenderedDocument::zoomMode() const
{
    QMutexLocker lock(&m_viewMutex);
    return m_zoomMode;
}

void RenderedDocument::setDevicePixelRatio(qreal ratio)
{
    QMutexLocker lock(&m_viewMutex);
    m_pixelRatio = ratio > 0 ? ratio : 1.0;
}

// ---------------------------------------------------------------- rendering

RenderedDocument::Geometry RenderedDocument::pageGeometry(const View& view, int page, int partner) const
{
    Geometry geometry;
    QSize points = shownPoints(page);
    QSize other = partner > 0 ? shownPoints(partner) : QSize();
    if (other.isEmpty())
        other = QSize();
    if (!points.isValid() || points.isEmpty()) {
        // A page that cannot be shown (a missing file of an indirect book)
        // keeps its place in a spread, empty, at its partner's size.
        if (!other.isValid())
            return geometry;
        points = other;
    }
    const int w = points.width();
    const int h = points.height();

    int mode = view.zoomMode;
    if (mode == FitPage && (view.viewport.width() < 0 || view.viewport.height() < 0))
        mode = NaturalSize; // no viewer has reported its size yet
    double s = 1.0;
    if (mode == FitPage) {
        // A spread fits both pages side by side, at one scale, also when
        // they differ in size (a fold-out next to a text page).
        const double fittedWidth = w + (other.isValid() ? other.width() : 0);
        const double fittedHeight = qMax(h, other.isValid() ? other.height() : 0);
        s = qMin(view.viewport.width() / fittedWidth, view.viewport.height() / fittedHeight);
        // Whole percent, a little under the exact fit, so the page never
        // touches the edges (or brings up a scroll bar).
        s = std::trunc(s * 100 - 0.5) / 100.0;
        s = qMax(s, 0.01);
    } else if (mode == CustomScale) {
        s = view.scale > 0 ? view.scale : 1.0;
    }
    const double ratio = view.pixelRatio > 0 ? view.pixelRatio : 1.0;
    double largest = largestScale(points) / ratio;
    if (other.isValid())
        largest = qMin(largest, largestScale(other) / ratio);
    if (s > largest) {
        qCDebug(lcRendered) << "page" << page << "too large at scale" << s << "- drawn at" << largest;
        s = largest;
    }
    geometry.scale = s;
    geometry.size = QSize(int(w * s), int(h * s));
    return geometry;
}

QImage RenderedDocument::renderPage(int page, double scale, qreal pixelRatio) const
{
    View view;
    view.zoomMode = CustomScale;
    view.scale = scale;
    view.pixelRatio = pixelRatio;
    const Geometry geometry = pageGeometry(view, page);
    if (geometry.size.isEmpty())
        return QImage();
    const QSize pixels(qRound(geometry.size.width() * pixelRatio),
                       qRound(geometry.size.height() * pixelRatio));
    if (!SafeImage::acceptable(pixels))
        return QImage();
    QElapsedTimer timer;
    timer.start();
    QImage image = renderPixels(page, geometry.scale * pixelRatio, pixels);
    qCDebug(lcRendered) << "Render time (ms):" << timer.elapsed() << "page" << page << "ok"
                        << !image.isNull();
    image.setDevicePixelRatio(pixelRatio);
    return image;
}

QImage RenderedDocument::render(const View& view, int page) const
{
    if (!isValidPage(page) || (view.columns != 1 && view.columns != 2))
        return QImage();
    const bool spread = view.columns == 2 && page < pageCount();
    const Geometry geometry = pageGeometry(view, page, spread ? page + 1 : 0);
    if (geometry.size.isEmpty())
        return QImage();
    const qreal ratio = view.pixelRatio > 0 ? view.pixelRatio : 1.0;
    const QImage left = renderPage(page, geometry.scale, ratio);
    if (!spread)
        return left;
    // The right page takes the spread's scale: fitting it on its own would
    // draw the last page of a spread at twice the size.
    const QImage right = renderPage(page + 1, geometry.scale, ratio);
    if (left.isNull() && right.isNull())
        return QImage();
    const QSize leftSize = left.isNull() ? geometry.size * ratio : left.size();
    const QSize canvasSize(leftSize.width() + right.width(), qMax(leftSize.height(), right.height()));
    if (!SafeImage::acceptable(canvasSize))
        return left;
    QImage canvas(canvasSize, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    {
        QPainter painter(&canvas);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        // Draw in device pixels: both images carry the same ratio.
        if (!left.isNull())
            painter.drawImage(QPoint(0, 0), left, left.rect());
        if (!right.isNull())
            painter.drawImage(QPoint(leftSize.width(), 0), right, right.rect());
    }
    canvas.setDevicePixelRatio(ratio);
    return canvas;
}

QImage RenderedDocument::render() const
{
    return render(view(), page());
}

QImage RenderedDocument::requestImage(int page)
{
    if (!isValidPage(page))
        return QImage();
    View current = view();
    const bool spread = current.columns == 2 && page < pageCount();
    const Geometry geometry = pageGeometry(current, page, spread ? page + 1 : 0);
    if (geometry.size.isEmpty())
        return QImage();
    return renderPage(page, geometry.scale, current.pixelRatio);
}

QImage RenderedDocument::cover(int height) const
{
    if (!isLoaded() || height <= 0)
        return QImage();
    View natural;
    natural.zoomMode = NaturalSize;
    const Geometry full = pageGeometry(natural, 1);
    if (full.size.isEmpty())
        return QImage();
    // Twice the cover's height, then scaled down smoothly: as sharp as the
    // natural size, without rendering a poster-sized page at full size.
    const double scale = qMin(1.0, 2.0 * height / full.size.height());
    const QImage page = renderPage(1, scale, 1.0);
    if (page.isNull())
        return QImage();
    return page.scaledToHeight(height, Qt::SmoothTransformation);
}

// ---------------------------------------------------------------- contents and progress

QString RenderedDocument::chapterTitle(int position) const
{
    Q_UNUSED(position)
    return QString();
}

int RenderedDocument::calcProgressByPage(const int page) const
{
    const int count = pageCount();
    if (count <= 0)
        return 0;
    const int progress = int(float(page) / float(count) * 100);
    qCDebug(lcRendered) << "Total pages:" << count << "Page number:" << page << "Progress:" << progress;
    return progress;
}

// ---------------------------------------------------------------- search

SearchResult RenderedDocument::pageJump(const QString& text) const
{
    SearchResult jump;
    bool number = false;
    const int n = text.trimmed().toInt(&number);
    if (!number || !isValidPage(n))
        return jump;
    jump.title = chapterTitle(n);
    jump.page = n;
    jump.text = tr("Go to page %1").arg(n);
    jump.position = n;
    jump.isPageJump = true;
    return jump;
}

void RenderedDocument::matchPage(int page, const QString& pageText, const QString& query,
                                 QList<SearchResult>& results) const
{
    const QStringList terms = query.split(QLatin1Char(' '));
    // Most pages do not hold the text at all: one scan of the whole page
    // rules them out before it is split into words.
    if (!pageText.contains(terms.first(), Qt::CaseInsensitive))
        return;
    const QStringList words = pageText.split(QLatin1Char('\n'));
    const int span = terms.size();
    for (int i = 0; i + span <= words.size(); ++i) {
        // A text of several words is looked for in as many words in a row.
        const QString candidate =
            span == 1 ? words[i] : QStringList(words.mid(i, span)).join(QLatin1Char(' '));
        if (!candidate.contains(query, Qt::CaseInsensitive))
            continue;
        SearchResult hit;
        hit.title = chapterTitle(page);
        hit.page = page;
        hit.text = markHits(candidate, query);
        hit.position = page;
        results << hit;
    }
}

QList<SearchResult> RenderedDocument::search(const QString& text)
{
    QList<SearchResult> results;
    const QString query = text.simplified();
    if (query.isEmpty() || !isLoaded() || !m_texts)
        return results;
    const SearchResult jump = pageJump(query);
    if (jump.isPageJump)
        results << jump;
    const int count = pageCount();
    for (int page = 1; page <= count; ++page)
        matchPage(page, m_texts->textNow(page), query, results);
    return results;
}

bool RenderedDocument::searchStep(const QString& text, qint64& state, int budgetMs,
                                  QList<SearchResult>& results)
{
    const int count = pageCount();
    const QString query = text.simplified();
    if (query.isEmpty() || !isLoaded() || !m_texts) {
        state = qint64(count) + 1;
        return false;
    }
    QElapsedTimer timer;
    timer.start();
    if (state <= 0) {
        const SearchResult jump = pageJump(query);
        if (jump.isPageJump)
            results << jump;
        m_texts->start();
        state = 1;
    }
    // state is the next page to look at.
    while (state <= count) {
        QString pageText;
        // Waiting for the extraction within the step's budget keeps a caller
        // that steps without pause from spinning on the GUI thread.
        const int left = int(qMax<qint64>(0, budgetMs - timer.elapsed()));
        if (!m_texts->waitForText(int(state), left, &pageText))
            return true; // not extracted yet: the next step looks again
        matchPage(int(state), pageText, query, results);
        ++state;
        if (timer.elapsed() >= budgetMs)
            break;
    }
    return state <= count;
}
