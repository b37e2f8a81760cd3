#include "fb2/FbDocument.h"

#include "BookError.h"
#include "BookResources.h"
#include "SafeImage.h"
#include "fb2/FbConverter.h"
#include "fb2/FbParser.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QLoggingCategory>
#include <QUrl>

Q_DECLARE_LOGGING_CATEGORY(lcFb2)

namespace fb2 {

namespace {
constexpr int kMaxImageSide = 350;
// Markup of the sections shown at once when a large book loads in stages:
// a few dozen pages, parsed in a few milliseconds.
constexpr int kOpeningSize = 128 * 1024;
} // namespace

FbDocument::FbDocument(const QString& path, QObject* parent) : TextDocument(parent), m_path(path) {}

void FbDocument::load()
{
    QElapsedTimer timer;
    timer.start();
    m_text = BookText();
    m_resources.reset();
    m_openingOnly = false;
    setErrorString(QString());
    if (loadsInStages(QFileInfo(m_path).size()) && loadOpening()) {
        LoadStats stats;
        stats.parseMs = timer.elapsed();
        stats.convertMs = 0;
        setLoadStats(stats);
        return;
    }
    FbParser parser;
    m_parsed = parser.parse(m_path, false);
    m_book = m_parsed ? parser.takeBook() : Book();
    setErrorString(failure(parser));
    LoadStats stats;
    stats.parseMs = timer.restart();
    convert();
    stats.convertMs = timer.elapsed();
    setLoadStats(stats);
}

bool FbDocument::loadOpening()
{
    FbParser parser;
    double share = 1.0;
    if (!parser.parseOpening(m_path, kOpeningSize, &share) || parser.book().bodies.isEmpty())
        return false;
    m_book = parser.takeBook();
    m_parsed = true;
    m_openingOnly = true;
    m_share = share;
    convert();
    // The whole book is parsed and converted on the pool; only the closure
    // it returns touches this document, on its thread, and not at all once
    // the document is gone.
    const QString path = m_path;
    finishInBackground([this, path]() -> std::function<void()> {
        auto whole = std::make_shared<FbParser>();
        const bool parsed = whole->parse(path, false);
        auto book = std::make_shared<Book>(parsed ? whole->takeBook() : Book());
        auto chunks = std::make_shared<QStringList>();
        if (parsed && !book->bodies.isEmpty())
            *chunks = FbConverter::toChunks(*book);
        return [this, whole, parsed, book, chunks] {
            m_parsed = parsed;
            m_book = std::move(*book);
            m_openingOnly = false;
            m_text = BookText();
            m_resources.reset();
            const QString reason = failure(*whole);
            if (!reason.isEmpty()) {
                failLoad(reason);
                return;
            }
            m_text = textOf(*chunks);
            m_resources = resourcesOf(m_book);
            setText(m_text, m_resources, m_path);
        };
    });
    return true;
}

QString FbDocument::failure(const FbParser& parser)
{
    BookError::Reason reason = BookError::None;
    if (!m_parsed) {
        // The parser's reasons (XML errors, entity declarations, nesting,
        // size) are details for the log; the user reads one of a few.
        reason = BookError::checkFile(m_path);
        if (reason == BookError::None)
            reason =
                QFileInfo(m_path).size() > FbParser::maxFileSize ? BookError::TooLarge : BookError::Damaged;
        qCWarning(lcFb2) << "FbDocument::load" << m_path << parser.errorString();
    } else if (m_book.bodies.isEmpty()) {
        // Sound XML, but no body: a FictionBook always has one, and without
        // it the reader would open on an empty page.
        reason = BookError::Damaged;
        m_parsed = false;
        qCWarning(lcFb2) << "FbDocument::load" << m_path << "has no body";
    }
    return BookError::text(reason);
}

void FbDocument::rebuild()
{
    convert();
}

BookText FbDocument::textOf(const QStringList& chunks)
{
    BookText text;
    text.prefix = QStringLiteral("<html><body>");
    text.suffix = QStringLiteral("</body></html>");
    text.chunks = chunks;
    return text;
}

std::shared_ptr<BookResources> FbDocument::resourcesOf(const Book& book)
{
    // The maker keeps its own (shared) copy of the images: documents on a
    // worker thread may outlive this one.
    const auto images = book.images;
    return std::make_shared<BookResources>([images](int type, const QUrl& name) -> QVariant {
        if (type != QTextDocument::ImageResource || images.isEmpty())
            return QVariant();
        QString id = name.path();
        if (!images.contains(id))
            id = name.toString(); // ids that look like a scheme ("img:1")
        const QImage image = images.value(id);
        if (id.isEmpty() || image.isNull())
            return QVariant();
        // 800 x 200 is shown at 350 x 88.
        return SafeImage::fitted(image, kMaxImageSide);
    });
}

void FbDocument::convert()
{
    clear();
    if (!m_parsed)
        return;
    // The chunks do not depend on the style: a rebuild hands the same text
    // over again.
    if (m_text.isEmpty()) {
        m_text = textOf(FbConverter::toChunks(m_book));
        m_resources = resourcesOf(m_book);
    }
    if (m_openingOnly)
        setOpeningText(m_text, m_resources, m_share);
    else
        setText(m_text, m_resources, m_path);
}

QList<TocPoint> FbDocument::buildToc() const
{
    if (!m_parsed)
        return {};
    return FbConverter::toc(m_book, [this](const QString& name) { return positionOfAnchor(name); });
}

QList<TocPoint> FbDocument::toc() const
{
    return TextDocument::toc();
}

QString FbDocument::chapterTitle(int position) const
{
    const QList<TocPoint>& points = tocPoints();
    if (points.isEmpty())
        return QString();
    int index = 0;
    for (int i = 1; i < points.size(); ++i) {
        if (points.at(i).position <= position)
            index = i;
        else
            break;
    }
    return points.at(index).title;
}

QSize FbDocument::imageSize(const QString& name) const
{
    const auto it = m_book.images.constFind(name);
    return it == m_book.images.constEnd() ? QSize(-1, -1) : it->size();
}

QVariant FbDocument::loadResource(int type, const QUrl& name)
{
    // Never the base class: it would read files named by the book.
    return m_resources ? m_resources->resource(type, name) : QVariant();
}

} // namespace fb2
