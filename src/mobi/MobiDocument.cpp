#include "mobi/MobiDocument.h"

#include "BookError.h"
#include "BookResources.h"

#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QUrl>

#include <algorithm>
#include <functional>

Q_DECLARE_LOGGING_CATEGORY(lcMobi)

namespace mobi {

namespace {
constexpr int kMaxImageSide = 350;
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
    if (m_opened) {
        const MobiContent content = m_reader.content();
        stats.parseMs = timer.restart();
        m_converter.convert(content);
    }
    BookError::Reason reason = BookError::None;
    switch (m_reader.error()) {
    case MobiReader::NoError:
        // Opened and decoded, yet not one chapter came out of it.
        if (m_converter.chapters().isEmpty())
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
    setErrorString(BookError::text(reason));
    if (!errorString().isEmpty())
        qCWarning(lcMobi) << "MobiDocument::load" << m_path << BookError::name(reason)
                          << m_reader.errorString();
    if (m_opened && !m_converter.chapters().isEmpty()) {
        // The images come from a reader of their own: the documents that
        // show them may be laid out on a worker thread, and a reader is used
        // by one thread at a time (the resources serialise their maker).
        auto reader = std::make_shared<MobiReader>();
        reader->open(m_path);
        m_resources = std::make_shared<BookResources>([reader](int type, const QUrl& name) -> QVariant {
            if (type != QTextDocument::ImageResource || name.scheme() != QLatin1String("pdbrec"))
                return QVariant();
            const int number = imageNumber(name.path());
            if (number < 1 || number > reader->imageCount())
                return QVariant();
            QImage image = reader->image(number);
            if (image.width() > kMaxImageSide || image.height() > kMaxImageSide)
                image =
                    image.scaled(kMaxImageSide, kMaxImageSide, Qt::KeepAspectRatio, Qt::FastTransformation);
            return image.isNull() ? QVariant() : QVariant(image);
        });
    }
    build();
    stats.convertMs = timer.elapsed();
    setLoadStats(stats);
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
    BookText text;
    text.chunks = chapters;
    text.joined = true;
    setText(text, m_resources, m_path);
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
