#include "pdf/PdfDocument.h"

#include "Limits.h"
#include "Logger.h"
#include "SafeImage.h"
#include "pdf/Document.h"
#include "pdf/PageTextCache.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QMutexLocker>
#include <QPainter>

#include <cmath>

Q_LOGGING_CATEGORY(lcPdf, "lanternleaf.pdf", QtWarningMsg)

namespace pdf {

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

PdfDocument::PdfDocument(QObject* parent) : ImageDocument(parent), m_document(std::make_unique<Document>()) {}

PdfDocument::~PdfDocument()
{
    // The text cache's pool task uses the library document: stop it first.
    m_texts.reset();
}

void PdfDocument::setPasswordPrompt(PasswordPrompt prompt)
{
    m_prompt = std::move(prompt);
}

QString PdfDocument::wrongPasswordTitle()
{
    return tr("Can not open file");
}

QString PdfDocument::wrongPasswordText()
{
    return tr("The password is incorrect");
}

void PdfDocument::load(const QString& path)
{
    m_texts.reset();
    m_loaded = false;
    m_pageCount = 0;
    m_errorString.clear();
    m_outlines.clear();
    m_outlinesRead = false;

    if (m_document->load(path)) {
        m_loaded = true;
    } else if (m_document->lastErrorCode() == Document::PasswordNeeded) {
        bool wrongBefore = false;
        QString password;
        while (m_prompt && m_prompt(wrongBefore, &password)) {
            if (m_document->load(path, password.trimmed())) {
                m_loaded = true;
                break;
            }
            if (m_document->lastErrorCode() != Document::PasswordNeeded)
                break;
            wrongBefore = true;
        }
    }

    const int code = m_document->lastErrorCode();
    if (!m_loaded && code != Document::PasswordNeeded) {
        logDebug(QStringLiteral("pdf::PdfDocument::loadloading error:%1").arg(code));
        switch (code) {
        case Document::FileNotFound:
            m_errorString = tr("The file does not exist.");
            break;
        case Document::CannotOpen:
            m_errorString = tr("The file cannot be read.");
            break;
        case Document::TooManyPages:
            m_errorString = tr("The document has more pages than the program can show.");
            break;
        default:
            m_errorString = tr("The file is damaged or is not a PDF document.");
            break;
        }
    }
    if (m_loaded) {
        m_pageCount = m_document->pageCount();
        m_texts = std::make_unique<PageTextCache>(m_document.get(), m_pageCount);
    }
    qCDebug(lcPdf) << "loaded" << path << m_loaded << "pages" << m_pageCount << "code" << code;
}

bool PdfDocument::isValidPage(int number) const
{
    return number >= 1 && number <= m_pageCount;
}

// ---------------------------------------------------------------- view

PdfDocument::View PdfDocument::view() const
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

void PdfDocument::setViewPortSize(QSize size)
{
    QMutexLocker lock(&m_viewMutex);
    m_viewport = size;
}

void PdfDocument::setZoomMode(int mode)
{
    QMutexLocker lock(&m_viewMutex);
    m_zoomMode = qBound(int(FitPage), mode, int(CustomScale));
}

int PdfDocument::zoomMode() const
{
    QMutexLocker lock(&m_viewMutex);
    return m_zoomMode;
}

void PdfDocument::setDevicePixelRatio(qreal ratio)
{
    QMutexLocker lock(&m_viewMutex);
    m_pixelRatio = ratio > 0 ? ratio : 1.0;
}

// ---------------------------------------------------------------- rendering

QSize PdfDocument::shownPoints(int page) const
{
    const QSizeF box = m_document->pageSize(page);
    int w = int(box.width());
    int h = int(box.height());
    const int rotation = m_document->pageRotation(page);
    if (rotation == 90 || rotation == 270)
        std::swap(w, h);
    if (w <= 0 || h <= 0)
        return QSize();
    return QSize(w, h);
}

PdfDocument::Geometry PdfDocument::pageGeometry(const View& view, int page, int partner) const
{
    Geometry geometry;
    const QSize points = shownPoints(page);
    if (!points.isValid())
        return geometry;
    const int w = points.width();
    const int h = points.height();
    const QSize other = partner > 0 ? shownPoints(partner) : QSize();

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
        qCDebug(lcPdf) << "page" << page << "too large at scale" << s << "- drawn at" << largest;
        s = largest;
    }
    geometry.scale = s;
    geometry.size = QSize(int(w * s), int(h * s));
    return geometry;
}

QImage PdfDocument::renderPage(int page, double scale, qreal pixelRatio) const
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
    QElapsedTimer timer;
    timer.start();
    QImage image = m_document->renderPage(page, geometry.scale * pixelRatio, pixels);
    if (image.isNull())
        qCDebug(lcPdf) << "render error:" << Document::errorMessage(m_document->lastErrorCode()) << "page"
                       << page;
    qCDebug(lcPdf) << "Render time (ms):" << timer.elapsed() << "page" << page;
    image.setDevicePixelRatio(pixelRatio);
    return image;
}

QImage PdfDocument::render(const View& view, int page) const
{
    if (!isValidPage(page) || (view.columns != 1 && view.columns != 2))
        return QImage();
    const bool spread = view.columns == 2 && page < m_pageCount;
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

QImage PdfDocument::render() const
{
    return render(view(), page());
}

QImage PdfDocument::requestImage(int page)
{
    if (!isValidPage(page))
        return QImage();
    View current = view();
    const bool spread = current.columns == 2 && page < m_pageCount;
    const Geometry geometry = pageGeometry(current, page, spread ? page + 1 : 0);
    if (geometry.size.isEmpty())
        return QImage();
    return renderPage(page, geometry.scale, current.pixelRatio);
}

QImage PdfDocument::cover(int height) const
{
    if (!m_loaded || height <= 0)
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

QList<TocPoint> PdfDocument::toc() const
{
    if (!m_outlinesRead && m_loaded) {
        m_outlinesRead = true;
        ++m_outlineReads;
        const std::function<QList<TocPoint>(const QList<Document::Outline>&)> convert =
            [&convert](const QList<Document::Outline>& items) {
                QList<TocPoint> points;
                for (const Document::Outline& item : items) {
                    TocPoint point;
                    point.title = item.title;
                    point.position = item.page;
                    point.page = item.page;
                    point.children = convert(item.children);
                    points << point;
                }
                return points;
            };
        m_outlines = convert(m_document->outlines());
        qCDebug(lcPdf) << "Outline count:" << m_outlines.size();
    }
    return m_outlines;
}

QString PdfDocument::chapterTitle(int position) const
{
    Q_UNUSED(position)
    return QString();
}

int PdfDocument::calcProgressByPage(const int page) const
{
    if (m_pageCount <= 0)
        return 0;
    const int progress = int(float(page) / float(m_pageCount) * 100);
    qCDebug(lcPdf) << "Total pages:" << m_pageCount << "Page number:" << page << "Progress:" << progress;
    return progress;
}

// ---------------------------------------------------------------- search

SearchResult PdfDocument::pageJump(const QString& text) const
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

void PdfDocument::matchPage(int page, const QString& pageText, const QString& query,
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

QList<SearchResult> PdfDocument::search(const QString& text)
{
    QList<SearchResult> results;
    const QString query = text.simplified();
    if (query.isEmpty() || !m_loaded)
        return results;
    const SearchResult jump = pageJump(query);
    if (jump.isPageJump)
        results << jump;
    for (int page = 1; page <= m_pageCount; ++page)
        matchPage(page, m_texts->textNow(page), query, results);
    return results;
}

bool PdfDocument::searchStep(const QString& text, qint64& state, int budgetMs, QList<SearchResult>& results)
{
    const QString query = text.simplified();
    if (query.isEmpty() || !m_loaded) {
        state = qint64(m_pageCount) + 1;
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
    while (state <= m_pageCount) {
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
    return state <= m_pageCount;
}

// ---------------------------------------------------------------- information

QString PdfDocument::title() const
{
    return information(2);
}

QString PdfDocument::author() const
{
    return information(1);
}

QString PdfDocument::information(int key) const
{
    return m_loaded ? m_document->information(key) : QString();
}

} // namespace pdf
