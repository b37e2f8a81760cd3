#include "pdf/PdfDocument.h"

#include "Logger.h"
#include "pdf/Document.h"

#include <QFileInfo>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcPdf, "lanternleaf.pdf", QtWarningMsg)

namespace pdf {

PdfDocument::PdfDocument(QObject* parent) : RenderedDocument(parent), m_document(std::make_unique<Document>())
{}

PdfDocument::~PdfDocument()
{
    // The text extraction uses the library document: stop it first.
    stopTexts();
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
    stopTexts();
    m_loaded = false;
    m_pageCount = 0;
    m_error = BookError::None;
    m_outlines.clear();
    m_outlinesRead = false;

    if (m_document->load(path)) {
        m_loaded = true;
    } else if (m_document->lastErrorCode() == Document::PasswordNeeded) {
        bool wrongBefore = false;
        QString password;
        while (m_prompt && m_prompt(wrongBefore, &password)) {
            // Spaces around a pasted password are usually a slip, but they
            // may belong to it: the text as typed first, then trimmed.
            if (m_document->load(path, password) ||
                (password.trimmed() != password && m_document->lastErrorCode() == Document::PasswordNeeded &&
                 m_document->load(path, password.trimmed()))) {
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
    }
    if (m_loaded) {
        m_pageCount = m_document->pageCount();
        startTexts(m_pageCount);
    }
    qCDebug(lcPdf) << "loaded" << path << m_loaded << "pages" << m_pageCount << "code" << code;
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

QImage PdfDocument::renderPixels(int page, double scale, const QSize& pixels) const
{
    QImage image = m_document->renderPage(page, scale, pixels);
    if (image.isNull())
        qCDebug(lcPdf) << "render error:" << Document::errorMessage(m_document->lastErrorCode()) << "page"
                       << page;
    return image;
}

QStringList PdfDocument::pageWords(int page) const
{
    return m_document->pageWords(page);
}

// ---------------------------------------------------------------- contents

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
