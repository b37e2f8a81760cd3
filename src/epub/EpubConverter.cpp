#include "epub/EpubConverter.h"

#include "Logger.h"
#include "SafeImage.h"
#include "TextDocument.h"
#include "epub/EpubParser.h"
#include "epub/XhtmlRewriter.h"

#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QSet>
#include <QUrl>
#include <QUuid>

Q_DECLARE_LOGGING_CATEGORY(lcEpub)

namespace epub {

namespace {

QList<TocPoint> tocOf(const QList<NavPoint>& points)
{
    QList<TocPoint> toc;
    for (const NavPoint& p : points) {
        TocPoint t;
        t.title = p.label;
        t.position = p.position;
        t.children = tocOf(p.children);
        toc << t;
    }
    return toc;
}

} // namespace

EpubConverter::EpubConverter(Book& book, TextDocument* document, QObject* parent)
    : QObject(parent), m_book(book), m_document(document)
{}

QString EpubConverter::chapterSeparator()
{
    return QStringLiteral("<p style=\"page-break-after:always\"></p>");
}

int EpubConverter::convert()
{
    QElapsedTimer timer;
    timer.start();
    loadCSS();
    loadImages();
    loadSpine();
    placeNavPoints(m_book.navPoints);
    logDebug(QStringLiteral("Convert complete. Time:%1").arg(timer.elapsed()));
    emit finished();
    return m_chapters.size();
}

void EpubConverter::loadCSS()
{
    QElapsedTimer timer;
    timer.start();
    for (const ManifestItem& item : qAsConst(m_book.styleSheets)) {
        const auto it = m_book.resources.constFind(item.href);
        if (it == m_book.resources.constEnd())
            continue;
        const QString css = XhtmlRewriter::filterCss(EpubParser::decode(it.value()));
        m_document->addResource(QTextDocument::StyleSheetResource, QUrl(item.href), css);
    }
    qCDebug(lcEpub) << "style sheets loaded in" << timer.elapsed() << "ms";
}

void EpubConverter::loadImages()
{
    // Decoded images are kept across conversions of the same book.
    m_resourcesByLowerCase.clear();
    for (auto it = m_book.resources.constBegin(); it != m_book.resources.constEnd(); ++it)
        m_resourcesByLowerCase.insert(it.key().toLower(), it.key());
}

void EpubConverter::loadSpine(QTextCursor* cursor)
{
    Q_UNUSED(cursor)
    m_chapters.clear();
    m_anchors.clear();
    m_prefixes.clear();

    // Anchors first: a chapter may link to any later one.
    QHash<QString, ManifestItem> documents;
    for (const ManifestItem& item : qAsConst(m_book.contentDocuments))
        if (!documents.contains(item.id))
            documents.insert(item.id, item);
    QList<ManifestItem> items;
    for (const QString& idref : qAsConst(m_book.spine)) {
        const ManifestItem item = documents.value(idref);
        // Image pages and anything else that is not text are skipped.
        if (item.id.isEmpty() || !m_book.texts.contains(item.href))
            continue;
        if (m_anchors.contains(item.href))
            continue;
        m_anchors.insert(item.href, QUuid::createUuid().toString());
        m_prefixes.insert(item.href, QStringLiteral("e%1-").arg(items.size()));
        items << item;
    }

    const auto linkTarget = [this](const QString& path, const QString& fragment) {
        return anchorFor(path, fragment);
    };
    QStringList sheets;
    // Embedded style sheets apply only inside the chapters that embed them:
    // each distinct one is scoped to a class those chapters' elements carry.
    QStringList styles;
    for (const ManifestItem& item : qAsConst(items)) {
        XhtmlRewriter::Chapter rewritten = XhtmlRewriter::rewrite(m_book.texts.value(item.href), item.href,
                                                                  m_prefixes.value(item.href), linkTarget);
        // A cover page shows its image centred, whatever its own markup.
        if (item.id == m_book.coverItem.id && !rewritten.images.isEmpty())
            rewritten.html = QStringLiteral("<center><img src=\"%1\" /></center>")
                                 .arg(rewritten.images.first().toHtmlEscaped());
        for (const QString& sheet : qAsConst(rewritten.styleSheets)) {
            if (!sheets.contains(sheet))
                sheets << sheet;
        }
        QStringList classes{QString::fromLatin1(XhtmlRewriter::chapterClass)};
        for (const QString& style : qAsConst(rewritten.inlineStyles)) {
            int index = styles.indexOf(style);
            if (index < 0) {
                index = styles.size();
                styles << style;
            }
            classes << QStringLiteral("ll-s%1").arg(index);
        }
        if (!rewritten.bodyClass.isEmpty())
            classes << rewritten.bodyClass;

        Chapter chapter;
        chapter.path = item.href;
        chapter.anchor = m_anchors.value(item.href);
        // The chapter's element stands for its body: anchor, classes, style.
        chapter.html =
            QStringLiteral("<div id=\"%1\" class=\"%2\"%3>")
                .arg(chapter.anchor, classes.join(QLatin1Char(' ')).toHtmlEscaped(),
                     rewritten.bodyStyle.isEmpty()
                         ? QString()
                         : QStringLiteral(" style=\"%1\"").arg(rewritten.bodyStyle.toHtmlEscaped())) +
            rewritten.html + QStringLiteral("</div>");
        m_chapters << chapter;
    }

    m_head.clear();
    for (const QString& sheet : qAsConst(sheets))
        m_head += QStringLiteral("<link rel=\"stylesheet\" type=\"text/css\" href=\"%1\"/>")
                      .arg(sheet.toHtmlEscaped());
    for (int i = 0; i < styles.size(); ++i) {
        const QString css = XhtmlRewriter::filterCss(styles.at(i), QStringLiteral("ll-s%1").arg(i));
        if (!css.isEmpty())
            m_head += QStringLiteral("<style type=\"text/css\">%1</style>").arg(css);
    }

    QString html;
    int size = m_head.size() + 64;
    for (const Chapter& c : qAsConst(m_chapters))
        size += c.html.size() + chapterSeparator().size();
    html.reserve(size);
    html += QStringLiteral("<html><head>") + m_head + QStringLiteral("</head><body>");
    for (int i = 0; i < m_chapters.size(); ++i) {
        if (i > 0)
            html += chapterSeparator();
        html += m_chapters.at(i).html;
    }
    html += QStringLiteral("</body></html>");
    m_document->setHtml(html);
}

QString EpubConverter::anchorFor(const QString& path, const QString& fragment) const
{
    if (!m_anchors.contains(path))
        return QString();
    return fragment.isEmpty() ? m_anchors.value(path) : m_prefixes.value(path) + fragment;
}

void EpubConverter::placeNavPoints(QList<NavPoint>& points)
{
    for (NavPoint& p : points) {
        const int start = m_document->positionOfAnchor(m_anchors.value(p.src));
        // A fragment that names nothing in the chapter leads to its start
        // (an anchor inside a chapter is never at position 0 unless the
        // chapter is).
        const int at = p.fragment.isEmpty() ? 0 : m_document->positionOfAnchor(anchorFor(p.src, p.fragment));
        p.position = at > start ? at : start;
        placeNavPoints(p.children);
    }
}

QList<TocPoint> EpubConverter::toc() const
{
    return tocOf(m_book.navPoints);
}

QString EpubConverter::resourceKey(const QString& path) const
{
    if (m_book.resources.contains(path))
        return path;
    return m_resourcesByLowerCase.value(path.toLower());
}

QImage EpubConverter::image(const QString& path)
{
    const QString key = resourceKey(path);
    if (key.isEmpty())
        return QImage();
    const auto cached = m_images.constFind(key);
    if (cached != m_images.constEnd())
        return cached.value();
    QString reason;
    const QImage decoded = SafeImage::decode(m_book.resources.value(key), &reason);
    if (decoded.isNull())
        logWarning(QStringLiteral("Image not shown:%1. Reason:%2").arg(key, reason));
    m_images.insert(key, decoded);
    return decoded;
}

QSize EpubConverter::imageSize(const QString& path) const
{
    const QString key = resourceKey(path);
    if (key.isEmpty())
        return QSize(-1, -1);
    const auto cached = m_images.constFind(key);
    if (cached != m_images.constEnd())
        return cached->isNull() ? QSize(-1, -1) : cached->size();
    const QSize size = SafeImage::claimedSize(m_book.resources.value(key));
    return size.isValid() ? size : QSize(-1, -1);
}

} // namespace epub
