#include "mobi/MobiDocument.h"

#include "BookError.h"
#include "BookResources.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QUrl>

#include <algorithm>
#include <functional>

Q_DECLARE_LOGGING_CATEGORY(lcMobi)

namespace mobi {

namespace {
constexpr int kMaxImageSide = 350;
// Text decoded for a large book's first page: a few dozen pages, decoded
// and converted in a few milliseconds.
constexpr qint64 kOpeningSize = 128 * 1024;
} // namespace

MobiDocument::MobiDocument(const QString& path, QObject* parent) : TextDocument(parent), m_path(path)
{
    m_opened = m_reader.open(path);
}

void MobiDocument::load()
{
    QElapsedTimer timer;
    timer.start();
    LoadStats stats;
    m_converter = MobiConverter();
    m_resources.reset();
    m_openingOnly = false;
    if (m_opened && loadsInStages(QFileInfo(m_path).size()) && loadOpening()) {
        stats.parseMs = timer.elapsed();
        stats.convertMs = 0;
        setLoadStats(stats);
        return;
    }
    if (m_opened) {
        const MobiContent content = m_reader.content();
        stats.parseMs = timer.restart();
        m_converter.convert(content);
    }
    setErrorString(failure(m_reader, m_converter));
    if (m_opened && !m_converter.chapters().isEmpty())
        m_resources = resourcesOf(m_path);
    build();
    stats.convertMs = timer.elapsed();
    setLoadStats(stats);
}

bool MobiDocument::loadOpening()
{
    double share = 1.0;
    const MobiContent opening = m_reader.openingContent(kOpeningSize, &share);
    if (opening.parts.isEmpty())
        return false;
    m_converter.convert(opening, MobiConverter::Opening);
    if (m_converter.chapters().isEmpty()) {
        m_converter = MobiConverter();
        return false;
    }
    m_openingOnly = true;
    m_share = share;
    setErrorString(QString());
    m_resources = resourcesOf(m_path);
    build();
    // The whole text is decoded and converted on the pool by a reader of
    // its own; only the closure it returns touches this document, on its
    // thread, and not at all once the document is gone.
    const QString path = m_path;
    finishInBackground([this, path]() -> std::function<void()> {
        auto reader = std::make_shared<MobiReader>();
        auto converter = std::make_shared<MobiConverter>();
        if (reader->open(path))
            converter->convert(reader->content());
        return [this, reader, converter] {
            m_converter = std::move(*converter);
            m_openingOnly = false;
            const QString reason = failure(*reader, m_converter);
            if (!reason.isEmpty()) {
                m_converter = MobiConverter();
                failLoad(reason);
                return;
            }
            // Not build(): clearing first would lose the place on screen.
            m_flatToc.clear();
            setText(textOf(m_converter.chapters()), m_resources, m_path);
        };
    });
    return true;
}

QString MobiDocument::failure(const MobiReader& reader, const MobiConverter& converter) const
{
    BookError::Reason reason = BookError::None;
    switch (reader.error()) {
    case MobiReader::NoError:
        // Opened and decoded, yet not one chapter came out of it.
        if (converter.chapters().isEmpty())
            reason = BookError::Damaged;
        break;
    case MobiReader::Protected:
        reason = BookError::Protected;
        break;
    case MobiReader::NotMobi:
    case MobiReader::NoText:
        reason = BookError::Damaged;
        break;
    case MobiReader::CannotRead:
        reason = BookError::fileOr(m_path, BookError::Damaged);
        break;
    case MobiReader::Unsupported:
        reason = BookError::Unsupported;
        break;
    }
    if (reason != BookError::None)
        qCWarning(lcMobi) << "MobiDocument::load" << m_path << BookError::name(reason)
                          << reader.errorString();
    return BookError::text(reason);
}

std::shared_ptr<BookResources> MobiDocument::resourcesOf(const QString& path)
{
    // The images come from a reader of their own: the documents that show
    // them may be laid out on a worker thread, and a reader is used by one
    // thread at a time (the resources serialise their maker).
    auto reader = std::make_shared<MobiReader>();
    reader->open(path);
    return std::make_shared<BookResources>([reader](int type, const QUrl& name) -> QVariant {
        if (type != QTextDocument::ImageResource || name.scheme() != QLatin1String("pdbrec"))
            return QVariant();
        const int number = imageNumber(name.path());
        if (number < 1 || number > reader->imageCount())
            return QVariant();
        QImage image = reader->image(number);
        if (image.width() > kMaxImageSide || image.height() > kMaxImageSide)
            image = image.scaled(kMaxImageSide, kMaxImageSide, Qt::KeepAspectRatio, Qt::FastTransformation);
        return image.isNull() ? QVariant() : QVariant(image);
    });
}

void MobiDocument::rebuild()
{
    if (m_converter.chapters().isEmpty()) {
        load();
        return;
    }
    build();
}

void MobiDocument::build()
{
    clear();
    m_flatToc.clear();
    const QStringList& chapters = m_converter.chapters();
    if (chapters.isEmpty())
        return;
    // Each chapter is parsed on its own, so that a chapter holds the same
    // characters laid out alone as in the whole book: the HTML importer
    // treats the end of a text differently from the same markup followed by
    // more (empty last paragraphs, rules).
    if (m_openingOnly)
        setOpeningText(textOf(chapters), m_resources, m_share);
    else
        setText(textOf(chapters), m_resources, m_path);
}

BookText MobiDocument::textOf(const QStringList& chapters)
{
    BookText text;
    text.chunks = chapters;
    text.joined = true;
    return text;
}

QList<TocPoint> MobiDocument::buildToc() const
{
    return tocFrom(m_converter.toc());
}

QList<TocPoint> MobiDocument::tocFrom(const QList<MobiConverter::TocItem>& items) const
{
    QList<TocPoint> points;
    for (const MobiConverter::TocItem& item : items) {
        TocPoint point;
        point.title = item.title;
        point.position = positionOfAnchor(item.anchor);
        point.children = tocFrom(item.children);
        points << point;
    }
    return points;
}

QList<TocPoint> MobiDocument::toc() const
{
    QList<TocPoint> points = TextDocument::toc();
    std::stable_sort(points.begin(), points.end(), [](const TocPoint& a, const TocPoint& b) {
        return a.page != b.page ? a.page < b.page : a.position < b.position;
    });
    return points;
}

QString MobiDocument::chapterTitle(int position) const
{
    if (m_flatToc.isEmpty() && !tocPoints().isEmpty()) {
        const std::function<void(const QList<TocPoint>&)> collect = [&](const QList<TocPoint>& points) {
            for (const TocPoint& p : points) {
                m_flatToc << qMakePair(p.position, p.title);
                collect(p.children);
            }
        };
        collect(tocPoints());
        std::stable_sort(
            m_flatToc.begin(), m_flatToc.end(),
            [](const QPair<int, QString>& a, const QPair<int, QString>& b) { return a.first < b.first; });
    }
    if (m_flatToc.isEmpty())
        return QString();
    // The deepest entry at or before the position (the first entry before
    // the first one).
    auto it = std::upper_bound(m_flatToc.begin(), m_flatToc.end(), position,
                               [](int p, const QPair<int, QString>& e) { return p < e.first; });
    return it == m_flatToc.begin() ? m_flatToc.first().second : (it - 1)->second;
}

int MobiDocument::imageNumber(const QString& name)
{
    QString number = name;
    if (number.startsWith(QLatin1String("pdbrec:")))
        number = QUrl(name).path();
    if (number.startsWith(QLatin1Char('/')))
        number.remove(0, 1);
    bool ok = false;
    const int n = number.toInt(&ok, 10);
    return ok ? n : -1;
}

QSize MobiDocument::imageSize(const QString& name) const
{
    const int number = imageNumber(name);
    if (number < 1 || !m_resources)
        return QSize(-1, -1);
    const QImage image =
        m_resources->resource(QTextDocument::ImageResource, QUrl(QStringLiteral("pdbrec:/%1").arg(number)))
            .value<QImage>();
    return image.isNull() ? QSize(-1, -1) : image.size();
}

QVariant MobiDocument::loadResource(int type, const QUrl& name)
{
    // Never the base class: it would read files named by the book.
    return m_resources ? m_resources->resource(type, name) : QVariant();
}

} // namespace mobi
