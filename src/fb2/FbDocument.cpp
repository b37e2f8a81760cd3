#include "fb2/FbDocument.h"

#include "fb2/FbConverter.h"
#include "fb2/FbParser.h"

#include <QElapsedTimer>
#include <QImage>
#include <QLoggingCategory>
#include <QUrl>

Q_DECLARE_LOGGING_CATEGORY(lcFb2)

namespace fb2 {

namespace {
constexpr int kMaxImageSide = 350;
}

FbDocument::FbDocument(const QString& path, QObject* parent) : TextDocument(parent), m_path(path) {}

void FbDocument::load()
{
    QElapsedTimer timer;
    timer.start();
    FbParser parser;
    m_parsed = parser.parse(m_path, false);
    m_book = m_parsed ? parser.takeBook() : Book();
    if (!m_parsed)
        qCWarning(lcFb2) << "FbDocument::load" << m_path << parser.errorString();
    LoadStats stats;
    stats.parseMs = timer.restart();
    convert();
    stats.convertMs = timer.elapsed();
    setLoadStats(stats);
}

void FbDocument::rebuild()
{
    convert();
}

void FbDocument::convert()
{
    clear();
    tocPoints.clear();
    if (!m_parsed)
        return;
    setHtml(FbConverter::toHtml(m_book));
    contentReplaced();
    tocPoints = FbConverter::toc(m_book, [this](const QString& name) { return positionOfAnchor(name); });
}

QList<TocPoint> FbDocument::toc() const
{
    return TextDocument::toc();
}

QString FbDocument::chapterTitle(int position) const
{
    if (tocPoints.isEmpty())
        return QString();
    int index = 0;
    for (int i = 1; i < tocPoints.size(); ++i) {
        if (tocPoints.at(i).position <= position)
            index = i;
        else
            break;
    }
    return tocPoints.at(index).title;
}

QSize FbDocument::imageSize(const QString& name) const
{
    const auto it = m_book.images.constFind(name);
    return it == m_book.images.constEnd() ? QSize(-1, -1) : it->size();
}

QVariant FbDocument::loadResource(int type, const QUrl& name)
{
    // Never the base class: it would read files named by the book.
    if (type != QTextDocument::ImageResource || m_book.images.isEmpty())
        return QVariant();
    QString id = name.path();
    if (!m_book.images.contains(id))
        id = name.toString(); // ids that look like a scheme ("img:1")
    const QImage image = m_book.images.value(id);
    if (id.isEmpty() || image.isNull())
        return QVariant();
    QImage shown = image;
    if (image.width() > kMaxImageSide || image.height() > kMaxImageSide) {
        // Rounded, not truncated: 800 x 200 is shown at 350 x 88.
        const double factor = double(kMaxImageSide) / qMax(image.width(), image.height());
        const QSize size(qMax(1, qRound(image.width() * factor)), qMax(1, qRound(image.height() * factor)));
        shown = image.scaled(size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    }
    addResource(type, name, shown);
    return shown;
}

} // namespace fb2
