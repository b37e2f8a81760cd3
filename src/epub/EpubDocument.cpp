#include "epub/EpubDocument.h"

#include "Allocator.h"
#include "BookError.h"
#include "BookResources.h"
#include "epub/EpubConverter.h"
#include "epub/EpubParser.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QThread>
#include <QUrl>

Q_DECLARE_LOGGING_CATEGORY(lcEpub)

namespace epub {

namespace {
// Text of the chapters shown at once when a large book loads in stages: a
// few dozen pages.
constexpr int kOpeningSize = 64 * 1024;
} // namespace

EpubDocument::EpubDocument(const QString& path, QObject* parent) : TextDocument(parent), m_path(path) {}

EpubDocument::~EpubDocument() = default;

void EpubDocument::load()
{
    QElapsedTimer timer;
    timer.start();
    EpubParser parser;
    if (loadsInStages(QFileInfo(m_path).size()))
        parser.setOpening(kOpeningSize);
    m_book = std::make_shared<Book>();
    m_parsed = parser.parse(m_path, *m_book, false);
    m_converter = std::make_shared<EpubConverter>(*m_book);
    m_text = BookText();
    m_openingOnly = m_parsed && parser.isOpening();
    m_share = parser.openingShare();
    setErrorString(m_parsed ? QString() : failure(parser));
    if (!m_parsed)
        qCWarning(lcEpub) << "EpubDocument::load" << m_path << parser.errorString();
    LoadStats stats;
    stats.parseMs = timer.restart();
    convert();
    stats.convertMs = timer.elapsed();
    setLoadStats(stats);
    if (m_parsed && m_converter->chapters().isEmpty()) {
        qCWarning(lcEpub) << "no readable chapter in" << m_path;
        setErrorString(BookError::text(BookError::Damaged));
    }
    if (m_openingOnly)
        loadTheRest();
}

QString EpubDocument::failure(const EpubParser& parser) const
{
    switch (parser.error()) {
    case EpubParser::Unreadable:
        // Not a readable archive: missing, unreadable, or not a zip at all.
        return BookError::text(BookError::fileOr(m_path, BookError::Damaged));
    case EpubParser::Protected:
        return BookError::text(BookError::Protected);
    default:
        return BookError::text(BookError::Damaged);
    }
}

void EpubDocument::loadTheRest()
{
    // Only the closure returned touches this document, on its thread, and
    // not at all once the document is gone.
    const QString path = m_path;
    QThread* home = thread();
    finishInBackground([this, path, home]() -> std::function<void()> {
        auto parser = std::make_shared<EpubParser>();
        auto book = std::make_shared<Book>();
        const bool parsed = parser->parse(path, *book, false);
        std::shared_ptr<EpubConverter> converter(new EpubConverter(*book));
        if (parsed)
            converter->convert();
        // The chapters are the book's text now. The decoded documents and
        // the parse's scraps were small blocks of this thread's heap, which
        // stay resident when freed unless given back: the text map built
        // next would come on top of them.
        book->texts.clear();
        releaseFreeMemory();
        converter->moveToThread(home);
        return [this, parser, book, parsed, converter] {
            m_openingOnly = false;
            if (!parsed || converter->chapters().isEmpty()) {
                qCWarning(lcEpub) << "EpubDocument::load" << m_path << parser->errorString();
                m_parsed = false;
                failLoad(parsed ? BookError::text(BookError::Damaged) : failure(*parser));
                return;
            }
            m_book = book;
            m_converter = converter;
            m_text = m_converter->bookText();
            setText(m_text, m_converter->resources(), m_path);
        };
    });
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
        // From here on the chapters are the book's text: the decoded content
        // documents they were made from would only double it.
        m_book->texts.clear();
    }
    if (m_openingOnly)
        setOpeningText(m_text, m_converter->resources(), m_share);
    else
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
