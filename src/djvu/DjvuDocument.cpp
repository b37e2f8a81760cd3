#include "djvu/DjvuDocument.h"

#include "Logger.h"
#include "djvu/Document.h"

#include <QLoggingCategory>

#include <functional>

Q_LOGGING_CATEGORY(lcDjvu, "lanternleaf.djvu", QtWarningMsg)

namespace djvu {

DjvuDocument::DjvuDocument(QObject* parent)
    : RenderedDocument(parent), m_document(std::make_unique<Document>())
{}

DjvuDocument::~DjvuDocument()
{
    // The text extraction uses the library document: stop it first.
    stopTexts();
}

void DjvuDocument::load(const QString& path)
{
    stopTexts();
    m_pageCount = 0;
    m_error = BookError::None;
    m_outlines.clear();
    m_outlinesRead = false;

    if (!m_document->load(path)) {
        logDebug(QStringLiteral("djvu::DjvuDocument::load loading error: %1 %2")
                     .arg(int(m_document->lastError()))
                     .arg(m_document->lastMessage()));
        switch (m_document->lastError()) {
        case Document::FileNotFound:
            m_error = BookError::Missing;
            break;
        case Document::CannotOpen:
            m_error = BookError::fileOr(path, BookError::Damaged);
            break;
        case Document::TooManyPages:
            m_error = BookError::TooLarge;
            break;
        default:
            m_error = BookError::Damaged;
            break;
        }
        return;
    }
    m_pageCount = m_document->pageCount();
    startTexts(m_pageCount);
    qCDebug(lcDjvu) << "loaded" << path << "pages" << m_pageCount;
}

QSize DjvuDocument::shownPoints(int page) const
{
    // Already turned by the page's rotation.
    const QSizeF size = m_document->pageSize(page);
    const int w = int(size.width());
    const int h = int(size.height());
    if (w <= 0 || h <= 0)
        return QSize();
    return QSize(w, h);
}

QImage DjvuDocument::renderPixels(int page, double scale, const QSize& pixels) const
{
    return m_document->renderPage(page, scale, pixels);
}

QStringList DjvuDocument::pageWords(int page) const
{
    return m_document->pageWords(page);
}

QList<TocPoint> DjvuDocument::toc() const
{
    if (m_outlinesRead || !isLoaded())
        return m_outlines;
    m_outlinesRead = true;
    const std::function<QList<TocPoint>(const QList<Document::Outline>&)> convert =
        [&convert](const QList<Document::Outline>& items) {
            QList<TocPoint> points;
            for (const Document::Outline& item : items) {
                TocPoint point;
                point.title = item.title;
                point.children = convert(item.children);
                // An entry that leads nowhere in the book (a web link, a
                // page that is not there) opens its first child's page.
                int page = item.page;
                if (page <= 0 && !point.children.isEmpty())
                    page = point.children.first().page;
                point.page = page;
                point.position = page;
                if (page > 0)
                    points << point;
                else
                    points << point.children; // nothing to open: keep what is below
            }
            return points;
        };
    m_outlines = convert(m_document->outlines());
    qCDebug(lcDjvu) << "Outline count:" << m_outlines.size();
    return m_outlines;
}

QString DjvuDocument::title() const
{
    return isLoaded() ? m_document->metadata(QStringLiteral("title")) : QString();
}

QString DjvuDocument::author() const
{
    return isLoaded() ? m_document->metadata(QStringLiteral("author")) : QString();
}

} // namespace djvu
