#include "epub/EpubDocument.h"

#include "epub/EpubConverter.h"
#include "epub/EpubParser.h"
#include "epub/XhtmlRewriter.h"

#include <QElapsedTimer>
#include <QImage>
#include <QLoggingCategory>
#include <QUrl>

Q_DECLARE_LOGGING_CATEGORY(lcEpub)

namespace epub {

namespace {
constexpr int kMaxImageSide = 350;

QString resourcePath(const QUrl& name)
{
    return QUrl::fromPercentEncoding(name.toEncoded());
}
} // namespace

EpubDocument::EpubDocument(const QString& path, QObject* parent) : TextDocument(parent), m_path(path) {}

EpubDocument::~EpubDocument() = default;

void EpubDocument::load()
{
    QElapsedTimer timer;
    timer.start();
    EpubParser parser;
    m_parsed = parser.parse(m_path, m_book, false);
    m_converter.reset(new EpubConverter(m_book, this));
    setErrorString(QString());
    switch (parser.error()) {
    case EpubParser::NoError:
        break;
    case EpubParser::Unreadable:
        setErrorString(tr("The file is damaged or is not an EPUB book."));
        break;
    case EpubParser::NotEpub:
        setErrorString(tr("The file is not a valid EPUB book."));
        break;
    case EpubParser::Damaged:
        setErrorString(tr("The file is damaged."));
        break;
    case EpubParser::Protected:
        setErrorString(tr("The book is protected against copying (DRM) and cannot be opened."));
        break;
    }
    LoadStats stats;
    stats.parseMs = timer.restart();
    convert();
    stats.convertMs = timer.elapsed();
    setLoadStats(stats);
    if (m_parsed && m_converter->chapters().isEmpty()) {
        qCWarning(lcEpub) << "no readable chapter in" << m_path;
        setErrorString(tr("The file is damaged."));
    }
}

void EpubDocument::rebuild()
{
    convert();
}

void EpubDocument::convert()
{
    clear();
    tocPoints.clear();
    if (!m_parsed || !m_converter)
        return;
    m_converter->convert();
    contentReplaced();
    tocPoints = m_converter->toc();
}

QString EpubDocument::chapterTitle(int position) const
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

QSize EpubDocument::imageSize(const QString& name) const
{
    return m_converter ? m_converter->imageSize(name) : QSize(-1, -1);
}

QVariant EpubDocument::loadResource(int type, const QUrl& name)
{
    // Never the base class: it would read files named by the book.
    if (!m_converter)
        return QVariant();
    const QString path = resourcePath(name);
    if (type == QTextDocument::StyleSheetResource) {
        const auto it = m_book.resources.constFind(path);
        if (it == m_book.resources.constEnd())
            return QVariant();
        const QString css = XhtmlRewriter::filterCss(EpubParser::decode(it.value()));
        addResource(type, name, css);
        return css;
    }
    if (type != QTextDocument::ImageResource)
        return QVariant();
    const QImage image = m_converter->image(path);
    if (image.isNull())
        return QVariant();
    QImage shown = image;
    if (image.width() > kMaxImageSide || image.height() > kMaxImageSide) {
        // Rounded, not truncated: 1200 x 900 is shown at 350 x 263.
        const double factor = double(kMaxImageSide) / qMax(image.width(), image.height());
        const QSize size(qMax(1, qRound(image.width() * factor)), qMax(1, qRound(image.height() * factor)));
        shown = image.scaled(size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    }
    addResource(type, name, shown);
    return shown;
}

} // namespace epub
