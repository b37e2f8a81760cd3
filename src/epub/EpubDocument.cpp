#include "epub/EpubDocument.h"

#include "BookError.h"
#include "BookResources.h"
#include "epub/EpubConverter.h"
#include "epub/EpubParser.h"

#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QUrl>

Q_DECLARE_LOGGING_CATEGORY(lcEpub)

namespace epub {

EpubDocument::EpubDocument(const QString& path, QObject* parent) : TextDocument(parent), m_path(path) {}

EpubDocument::~EpubDocument() = default;

void EpubDocument::load()
{
    QElapsedTimer timer;
    timer.start();
    EpubParser parser;
    m_parsed = parser.parse(m_path, m_book, false);
    m_converter.reset(new EpubConverter(m_book));
    m_text = BookText();
    setErrorString(QString());
    switch (parser.error()) {
    case EpubParser::NoError:
        break;
    case EpubParser::Unreadable:
        // Not a readable archive: missing, unreadable, or not a zip at all.
        setErrorString(BookError::text(BookError::fileOr(m_path, BookError::Damaged)));
        break;
    case EpubParser::NotEpub:
    case EpubParser::Damaged:
        setErrorString(BookError::text(BookError::Damaged));
        break;
    case EpubParser::Protected:
        setErrorString(BookError::text(BookError::Protected));
        break;
    }
    if (!m_parsed) {
        if (errorString().isEmpty())
            setErrorString(BookError::text(BookError::Damaged));
        qCWarning(lcEpub) << "EpubDocument::load" << m_path << parser.errorString();
    }
    LoadStats stats;
    stats.parseMs = timer.restart();
    convert();
    stats.convertMs = timer.elapsed();
    setLoadStats(stats);
    if (m_parsed && m_converter->chapters().isEmpty()) {
        qCWarning(lcEpub) << "no readable chapter in" << m_path;
        setErrorString(BookError::text(BookError::Damaged));
    }
}

void EpubDocument::rebuild()
{
    convert();
}

void EpubDocument::convert()
{
    clear();
    if (!m_parsed || !m_converter)
        return;
    // The chapters do not depend on the style: a rebuild hands the same
    // text over again.
    if (m_text.isEmpty()) {
        m_converter->convert();
        m_text = m_converter->bookText();
    }
    setText(m_text, m_converter->resources(), m_path);
}

QList<TocPoint> EpubDocument::buildToc() const
{
    if (!m_converter)
        return {};
    return m_converter->toc([this](const QString& anchor) { return positionOfAnchor(anchor); });
}

QString EpubDocument::chapterTitle(int position) const
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

QSize EpubDocument::imageSize(const QString& name) const
{
    return m_converter ? m_converter->imageSize(name) : QSize(-1, -1);
}

QVariant EpubDocument::loadResource(int type, const QUrl& name)
{
    // Never the base class: it would read files named by the book.
    return m_converter ? m_converter->resources()->resource(type, name) : QVariant();
}

} // namespace epub
