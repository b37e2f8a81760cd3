#include "epub/EpubConverter.h"

#include "BookResources.h"
#include "Logger.h"
#include "SafeImage.h"
#include "TextDocument.h"
#include "epub/EpubParser.h"
#include "epub/XhtmlRewriter.h"

#include <QElapsedTimer>
#include <QtConcurrent>
#include <QLoggingCategory>
#include <QMutex>
#include <QMutexLocker>
#include <QSet>
#include <QTextDocument>
#include <QUrl>
#include <QUuid>

Q_DECLARE_LOGGING_CATEGORY(lcEpub)

namespace epub {

namespace {
// Images are shown at most this large.
constexpr int kMaxImageSide = 350;
} // namespace

/// The book's resources, shared with the documents that lay the text out on
/// any thread. Images are kept as stored (compressed): the documents keep
/// the fitted copies they are shown at (BookResources), and a full-size
/// picture of every image would cost more than the book's text.
struct EpubConverter::Store
{
    QHash<QString, QByteArray> resources;
    QHash<QString, QString> byLowerCase;
    /// What the book's style selectors can name (XhtmlRewriter::filterCss()).
    QSet<QString> selectorNames;
    QMutex mutex;
    QHash<QString, QSize> sizes; ///< of the images decoded so far (invalid: refused)

    QString key(const QString& path) const
    {
        if (resources.contains(path))
            return path;
        return byLowerCase.value(path.toLower());
    }
    QImage image(const QString& path)
    {
        const QString k = key(path);
        if (k.isEmpty())
            return QImage();
        QString reason;
        const QImage image = SafeImage::decode(resources.value(k), &reason);
        QMutexLocker lock(&mutex);
        if (image.isNull() && !sizes.contains(k))
            logWarning(QStringLiteral("Image not shown:%1. Reason:%2").arg(k, reason));
        sizes.insert(k, image.isNull() ? QSize() : image.size());
        return image;
    }
};

EpubConverter::EpubConverter(Book& book, TextDocument* document, QObject* parent)
    : QObject(parent), m_book(book), m_store(std::make_shared<Store>())
{
    Q_UNUSED(document)
    // The maker holds the store, not the converter: documents on a worker
    // thread may outlive the converter.
    std::shared_ptr<Store> store = m_store;
    m_resources = std::make_shared<BookResources>([store](int type, const QUrl& name) -> QVariant {
        const QString path = QUrl::fromPercentEncoding(name.toEncoded());
        if (type == QTextDocument::StyleSheetResource) {
            const QString key = store->key(path);
            if (key.isEmpty())
                return QVariant();
            return XhtmlRewriter::filterCss(EpubParser::decode(store->resources.value(key)), QString(),
                                            &store->selectorNames);
        }
        if (type != QTextDocument::ImageResource)
            return QVariant();
        const QImage image = store->image(path);
        if (image.isNull())
            return QVariant();
        return SafeImage::fitted(image, kMaxImageSide);
    });
}

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
    logDebug(QStringLiteral("Convert complete. Time:%1").arg(timer.elapsed()));
    emit finished();
    return m_chapters.size();
}

void EpubConverter::loadCSS() {}

void EpubConverter::loadImages()
{
    m_store->resources = m_book.resources;
    m_store->byLowerCase.clear();
    for (auto it = m_book.resources.constBegin(); it != m_book.resources.constEnd(); ++it)
        m_store->byLowerCase.insert(it.key().toLower(), it.key());
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
    // The chapters are rewritten side by side (the anchors they link to are
    // all known by now and only read), then put together in order.
    const std::function<XhtmlRewriter::Chapter(const ManifestItem&)> rewrite =
        [this, &linkTarget](const ManifestItem& item) {
            return XhtmlRewriter::rewrite(m_book.texts.value(item.href), item.href, m_prefixes.value(item.href),
                                          linkTarget);
        };
    QVector<XhtmlRewriter::Chapter> chapters =
        QtConcurrent::blockingMapped<QVector<XhtmlRewriter::Chapter>>(items, rewrite);
    QSet<QString> selectorNames;
    for (int i = 0; i < items.size(); ++i) {
        const ManifestItem& item = items.at(i);
        XhtmlRewriter::Chapter& rewritten = chapters[i];
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
        selectorNames.unite(rewritten.selectorNames);
        for (const QString& c : classes.join(QLatin1Char(' ')).split(QLatin1Char(' '), Qt::SkipEmptyParts))
            selectorNames.insert(QLatin1Char('.') + c.toLower());

        Chapter chapter;
        chapter.path = item.href;
        chapter.anchor = m_anchors.value(item.href);
        selectorNames.insert(QLatin1Char('#') + chapter.anchor.toLower());
        // The chapter's element stands for its body: anchor, classes, style.
        const QString start =
            QStringLiteral("<div id=\"%1\" class=\"%2\"%3>")
                .arg(chapter.anchor, classes.join(QLatin1Char(' ')).toHtmlEscaped(),
                     rewritten.bodyStyle.isEmpty()
                         ? QString()
                         : QStringLiteral(" style=\"%1\"").arg(rewritten.bodyStyle.toHtmlEscaped()));
        const QLatin1String end("</div>");
        // Exactly as large as it is: the chapters are the book's text for as
        // long as it is open (a string grown by appending may have as much
        // again to spare).
        chapter.html.reserve(start.size() + rewritten.html.size() + end.size());
        chapter.html.append(start).append(rewritten.html).append(end);
        rewritten.html = QString();
        m_chapters << chapter;
    }

    // Every chapter is known now: rules for classes and ids none of them
    // carries are left out of the style sheets.
    m_store->selectorNames = selectorNames;
    m_head.clear();
    for (const QString& sheet : qAsConst(sheets))
        m_head += QStringLiteral("<link rel=\"stylesheet\" type=\"text/css\" href=\"%1\"/>")
                      .arg(sheet.toHtmlEscaped());
    for (int i = 0; i < styles.size(); ++i) {
        const QString css =
            XhtmlRewriter::filterCss(styles.at(i), QStringLiteral("ll-s%1").arg(i), &selectorNames);
        if (!css.isEmpty())
            m_head += QStringLiteral("<style type=\"text/css\">%1</style>").arg(css);
    }
}

BookText EpubConverter::bookText() const
{
    BookText text;
    text.prefix = QStringLiteral("<html><head>") + m_head + QStringLiteral("</head><body>");
    text.suffix = QStringLiteral("</body></html>");
    text.separator = chapterSeparator();
    for (const Chapter& c : m_chapters)
        text.chunks << c.html;
    return text;
}

QString EpubConverter::anchorFor(const QString& path, const QString& fragment) const
{
    if (!m_anchors.contains(path))
        return QString();
    return fragment.isEmpty() ? m_anchors.value(path) : m_prefixes.value(path) + fragment;
}

QList<TocPoint> EpubConverter::tocOf(const QList<NavPoint>& points,
                                     const std::function<int(const QString&)>& anchorPosition) const
{
    QList<TocPoint> toc;
    for (const NavPoint& p : points) {
        TocPoint t;
        t.title = p.label;
        const int start = anchorPosition(m_anchors.value(p.src));
        // A fragment that names nothing in the chapter leads to its start
        // (an anchor inside a chapter is never at position 0 unless the
        // chapter is).
        const int at = p.fragment.isEmpty() ? 0 : anchorPosition(anchorFor(p.src, p.fragment));
        t.position = at > start ? at : start;
        t.children = tocOf(p.children, anchorPosition);
        toc << t;
    }
    return toc;
}

QList<TocPoint> EpubConverter::toc(const std::function<int(const QString&)>& anchorPosition) const
{
    return tocOf(m_book.navPoints, anchorPosition);
}

QImage EpubConverter::image(const QString& path, int maxSide) const
{
    const QImage image = m_store->image(path);
    return maxSide <= 0 ? image : SafeImage::fitted(image, maxSide);
}

QSize EpubConverter::imageSize(const QString& path) const
{
    const QString key = m_store->key(path);
    if (key.isEmpty())
        return QSize(-1, -1);
    {
        QMutexLocker lock(&m_store->mutex);
        const auto decoded = m_store->sizes.constFind(key);
        if (decoded != m_store->sizes.constEnd())
            return decoded->isValid() ? *decoded : QSize(-1, -1);
    }
    const QSize size = SafeImage::claimedSize(m_book.resources.value(key));
    return size.isValid() ? size : QSize(-1, -1);
}

} // namespace epub
