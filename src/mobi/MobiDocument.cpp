#include "mobi/MobiDocument.h"

#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocumentFragment>
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
    m_images.clear();
    m_converter = MobiConverter();
    if (m_opened) {
        const MobiContent content = m_reader.content();
        stats.parseMs = timer.restart();
        m_converter.convert(content);
    }
    switch (m_reader.error()) {
    case MobiReader::NoError:
        setErrorString(QString());
        break;
    case MobiReader::Protected:
        setErrorString(tr("This book is protected and cannot be opened."));
        break;
    case MobiReader::NotMobi:
        setErrorString(tr("This file is not a Mobipocket book, or it is damaged."));
        break;
    case MobiReader::NoText:
        setErrorString(tr("The text of this book is damaged and cannot be shown."));
        break;
    case MobiReader::CannotRead:
        setErrorString(tr("The file cannot be read."));
        break;
    }
    if (!errorString().isEmpty())
        qCWarning(lcMobi) << "MobiDocument::load" << m_path << m_reader.errorString();
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
    tocPoints.clear();
    const QStringList& chapters = m_converter.chapters();
    if (chapters.isEmpty()) {
        clear();
        return;
    }
    // Each chapter is parsed on its own and appended, so that its text is
    // exactly what a layout of that chapter alone holds: the HTML importer
    // treats the end of a text differently from the same markup followed by
    // more (empty last paragraphs, rules), and positions must not depend on
    // whether a chapter is laid out alone or in the whole book.
    const bool undo = isUndoRedoEnabled();
    setUndoRedoEnabled(false);
    QTextCursor cursor(this);
    // One edit block that starts by emptying the document: the layout hears
    // of one whole new text and lays it out lazily, as after setHtml(),
    // instead of laying out the growing text once per chapter.
    cursor.beginEditBlock();
    clear();
    for (int i = 0; i < chapters.size(); ++i) {
        QTextDocument part;
        part.setDefaultStyleSheet(defaultStyleSheet());
        part.setDefaultFont(defaultFont());
        part.setHtml(chapters.at(i));
        if (i > 0)
            cursor.insertBlock();
        const int start = cursor.position();
        cursor.insertFragment(QTextDocumentFragment(&part));
        // The fragment's first block takes the format of the block it lands
        // in: give it back its own, and start the chapter on a new page.
        QTextBlockFormat format = part.begin().blockFormat();
        if (i > 0)
            format.setPageBreakPolicy(format.pageBreakPolicy() | QTextFormat::PageBreak_AlwaysBefore);
        QTextCursor first(findBlock(start));
        first.setBlockFormat(format);
        first.setBlockCharFormat(part.begin().charFormat());
    }
    cursor.endEditBlock();
    setUndoRedoEnabled(undo);
    contentReplaced();
    tocPoints = tocFrom(m_converter.toc());
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
    QList<const TocPoint*> flat;
    const std::function<void(const QList<TocPoint>&)> collect = [&](const QList<TocPoint>& points) {
        for (const TocPoint& p : points) {
            flat << &p;
            collect(p.children);
        }
    };
    collect(tocPoints);
    if (flat.isEmpty())
        return QString();
    std::stable_sort(flat.begin(), flat.end(),
                     [](const TocPoint* a, const TocPoint* b) { return a->position < b->position; });
    const TocPoint* found = flat.first();
    for (const TocPoint* p : qAsConst(flat)) {
        if (p->position > position)
            break;
        found = p;
    }
    return found->title;
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

QImage MobiDocument::shownImage(int number) const
{
    if (number < 1 || number > m_reader.imageCount())
        return QImage();
    const auto cached = m_images.constFind(number);
    if (cached != m_images.constEnd())
        return *cached;
    QImage image = m_reader.image(number);
    if (image.width() > kMaxImageSide || image.height() > kMaxImageSide)
        image = image.scaled(kMaxImageSide, kMaxImageSide, Qt::KeepAspectRatio, Qt::FastTransformation);
    m_images.insert(number, image);
    return image;
}

QSize MobiDocument::imageSize(const QString& name) const
{
    const QImage image = shownImage(imageNumber(name));
    return image.isNull() ? QSize(-1, -1) : image.size();
}

QVariant MobiDocument::loadResource(int type, const QUrl& name)
{
    // Never the base class: it would read files named by the book.
    if (type != QTextDocument::ImageResource || name.scheme() != QLatin1String("pdbrec"))
        return QVariant();
    const QImage image = shownImage(imageNumber(name.path()));
    if (image.isNull())
        return QVariant();
    addResource(type, name, image);
    return image;
}

} // namespace mobi
