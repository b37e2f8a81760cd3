#include "AddBooksWorker.h"
#include "BookError.h"
#include "BookFormat.h"
#include "BookProvider.h"
#include "Logger.h"
#include "Paths.h"
#include "epub/EpubConverter.h"
#include "epub/EpubDocument.h"
#include "epub/EpubParser.h"
#include "epub/XhtmlRewriter.h"
#include "util/EpubBuilder.h"
#include "util/StagedLoad.h"
#include "util/TestHome.h"

#include <QBuffer>
#include <QDirIterator>
#include <QTextBlock>
#include <QTextCodec>
#include <QtTest>

#include <memory>

using epub::EpubDocument;
using epub::EpubParser;

namespace {

/// EpubDocument with its resource loader reachable from the test.
class OpenEpubDocument : public EpubDocument
{
public:
    using EpubDocument::EpubDocument;
    using EpubDocument::loadResource;
};

QString todaysLog()
{
    QFile file(Logger::instance()->currentLogPath());
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// The text from `position` on, `length` characters.
QString textAt(const TextDocument& document, int position, int length = 40)
{
    return document.plainText().mid(position, length);
}

EpubBuilder threeChapters()
{
    return EpubBuilder()
        .title("Three Chapters")
        .author("Ann Writer")
        .chapter("c1", "Text/one.xhtml", EpubBuilder::body("Chapter One", {"First words."}), "Chapter One")
        .chapter("c2", "Text/two.xhtml",
                 EpubBuilder::body("Chapter Two", {"Second words."}) +
                     "<h2 id=\"part2\">Part two</h2><p>Deep inside.</p>",
                 "Chapter Two")
        .chapter("c3", "Text/three.xhtml", EpubBuilder::body("Chapter Three", {"Last words."}),
                 "Chapter Three");
}

int pageBreaks(const QTextDocument& document)
{
    int breaks = 0;
    for (QTextBlock b = document.begin(); b.isValid(); b = b.next()) {
        if (b.blockFormat().pageBreakPolicy() != QTextFormat::PageBreak_Auto)
            ++breaks;
    }
    return breaks;
}

QStringList titles(const QList<TocPoint>& points)
{
    QStringList result;
    for (const TocPoint& p : points) {
        result << p.title;
        if (!p.children.isEmpty())
            result << "(" + titles(p.children).join(",") + ")";
    }
    return result;
}

QStringList filesBelow(const QString& dir)
{
    QStringList files;
    QDirIterator it(dir, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(dir).relativeFilePath(it.next());
    files.sort();
    return files;
}

QString samples()
{
    return QStringLiteral(LANTERNLEAF_SAMPLES_DIR);
}

} // namespace

class TestEpubDocument : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_dir.reset(new QTemporaryDir());
        QVERIFY(m_dir->isValid());
    }

    void spineInOrderWithPageBreaksBetweenItemsOnly()
    {
        const QString path = threeChapters().write(m_dir->path(), "three.epub");
        EpubDocument doc(path);
        doc.load();
        QVERIFY(doc.parsed());
        QVERIFY(doc.errorString().isEmpty());
        const QString text = doc.plainText();
        QVERIFY(text.indexOf("First words") < text.indexOf("Second words"));
        QVERIFY(text.indexOf("Second words") < text.indexOf("Last words"));
        QCOMPARE(pageBreaks(*doc.wholeDocument()), 2);
        QCOMPARE(doc.converter()->chapters().size(), 3);
        QCOMPARE(doc.converter()->chapters().at(1).path, QStringLiteral("OEBPS/Text/two.xhtml"));
        // Each chapter starts on a page of its own, at its anchor.
        for (const epub::EpubConverter::Chapter& c : doc.converter()->chapters())
            QVERIFY(c.html.startsWith(QStringLiteral("<div id=\"%1\" class=\"ll-chapter\">").arg(c.anchor)));
        QVERIFY(textAt(doc, doc.positionOfAnchor(doc.converter()->chapters().at(2).anchor))
                    .startsWith("Chapter Three"));
        doc.setViewPortSize(QSize(400, 500));
        QVERIFY(doc.pageCount() >= 3);
    }

    void imageOnlySpineItemIsSkipped()
    {
        const QString path = EpubBuilder()
                                 .chapter("c1", "one.xhtml", EpubBuilder::body("One", {"Text one."}))
                                 .image("pic", "images/page.png", QImage(20, 20, QImage::Format_RGB32))
                                 .spine("pic")
                                 .chapter("c2", "two.xhtml", EpubBuilder::body("Two", {"Text two."}))
                                 .write(m_dir->path(), "pages.epub");
        EpubDocument doc(path);
        doc.load();
        QCOMPARE(doc.converter()->chapters().size(), 2);
        QCOMPARE(pageBreaks(*doc.wholeDocument()), 1);
    }

    void tableOfContents_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("ncxName");
        QTest::newRow("NCX") << int(EpubBuilder::Toc::Ncx) << "toc.ncx";
        QTest::newRow("NCX under another name") << int(EpubBuilder::Toc::Ncx) << "book.ncx";
        QTest::newRow("EPUB 3 navigation document only") << int(EpubBuilder::Toc::NavDocument) << "";
        QTest::newRow("both") << int(EpubBuilder::Toc::Both) << "toc.ncx";
    }
    void tableOfContents()
    {
        QFETCH(int, kind);
        QFETCH(QString, ncxName);
        EpubBuilder book = threeChapters();
        book.tocKind(EpubBuilder::Toc(kind))
            .toc({
                {"Chapter One", "Text/one.xhtml", {}},
                {"Chapter Two",
                 "Text/two.xhtml",
                 {{"Part two", "Text/two.xhtml#part2", {}}, {"Lost part", "Text/two.xhtml#nowhere", {}}}},
                {"Chapter Three", "Text/three.xhtml", {}},
            });
        if (!ncxName.isEmpty())
            book.ncxName(ncxName);
        EpubDocument doc(book.write(m_dir->path(), "toc.epub"));
        doc.load();
        doc.setViewPortSize(QSize(400, 500));
        const QList<TocPoint> toc = doc.toc();
        QCOMPARE(titles(toc),
                 (QStringList{"Chapter One", "Chapter Two", "(Part two,Lost part)", "Chapter Three"}));
        QVERIFY(textAt(doc, toc.at(0).position).startsWith("Chapter One"));
        QVERIFY(textAt(doc, toc.at(1).position).startsWith("Chapter Two"));
        QVERIFY(textAt(doc, toc.at(2).position).startsWith("Chapter Three"));
        // A fragment leads to its anchor; one that names nothing to the
        // start of its file.
        QVERIFY(textAt(doc, toc.at(1).children.at(0).position).startsWith("Part two"));
        QCOMPARE(toc.at(1).children.at(1).position, toc.at(1).position);
        QVERIFY(toc.at(2).page > toc.at(1).page);
        QCOMPARE(doc.chapterTitle(toc.at(1).position + 3), QStringLiteral("Chapter Two"));
        QCOMPARE(doc.chapterTitle(0), QStringLiteral("Chapter One"));
        QCOMPARE(doc.chapterTitle(doc.textLength()), QStringLiteral("Chapter Three"));
    }

    void linksInsideTheBookLeadToAnchors()
    {
        const QString path =
            threeChapters()
                .chapter("c4", "Text/notes.xhtml",
                         "<p>See <a href=\"two.xhtml#part2\">part two</a>, <a href=\"#n1\">note</a>, "
                         "<a href=\"../../outside.xhtml\">escape</a> and <a "
                         "href=\"https://example.org/\">web</a>.</p>"
                         "<p id=\"n1\">Note one.</p>")
                .write(m_dir->path(), "links.epub");
        EpubDocument doc(path);
        doc.load();
        QStringList hrefs;
        const auto whole = doc.wholeDocument();
        for (QTextBlock b = whole->begin(); b.isValid(); b = b.next()) {
            for (auto it = b.begin(); !it.atEnd(); ++it) {
                const QString href = it.fragment().charFormat().anchorHref();
                if (!href.isEmpty())
                    hrefs << href;
            }
        }
        QCOMPARE(hrefs, (QStringList{"#e1-part2", "#e3-n1", "https://example.org/"}));
        QVERIFY(textAt(doc, doc.positionOfAnchor("e1-part2")).startsWith("Part two"));
        QVERIFY(textAt(doc, doc.positionOfAnchor("e3-n1")).startsWith("Note one."));
    }

    void coverByFileName_data()
    {
        QTest::addColumn<QString>("href");
        QTest::addColumn<bool>("declared");
        QTest::addColumn<bool>("foundOnOpen");
        QTest::newRow("lower case") << "images/cover.jpg" << false << true;
        QTest::newRow("Cover.JPG") << "images/Cover.JPG" << false << false;
        QTest::newRow("declared by meta") << "images/art.png" << true << true;
    }
    void coverByFileName()
    {
        QFETCH(QString, href);
        QFETCH(bool, declared);
        QFETCH(bool, foundOnOpen);
        QImage picture(60, 90, QImage::Format_RGB32);
        picture.fill(Qt::darkBlue);
        EpubBuilder builder = threeChapters().image("art", href, picture);
        if (declared)
            builder.coverMeta("art");
        const QString path = builder.write(m_dir->path(), "cover.epub");

        epub::Book full;
        QVERIFY(EpubParser().parse(path, full, false));
        QCOMPARE(full.cover, foundOnOpen ? "OEBPS/" + href : QString());

        epub::Book meta;
        QVERIFY(EpubParser().parse(path, meta, true));
        QCOMPARE(meta.cover, "OEBPS/" + href);
        QCOMPARE(meta.coverImage.size(), QSize(60, 90));
    }

    void coverDeclaredAsEpub3Property()
    {
        QImage picture(40, 50, QImage::Format_RGB32);
        picture.fill(Qt::red);
        const QString path = threeChapters()
                                 .image("thumb", "images/cover-thumb.gif", QImage()) // not an image at all
                                 .image("front", "images/front.png", picture, "cover-image")
                                 .write(m_dir->path(), "cover3.epub");
        epub::Book meta;
        QVERIFY(EpubParser().parse(path, meta, true));
        // The file-name rule finds nothing that decodes; the declared cover
        // is taken.
        QCOMPARE(meta.cover, QStringLiteral("OEBPS/images/front.png"));
        QCOMPARE(meta.coverImage.size(), QSize(40, 50));
    }

    void largeImagesAreScaledToFit350()
    {
        // A picture whose header is sound but whose pixels are cut off.
        QByteArray broken;
        QBuffer buffer(&broken);
        buffer.open(QIODevice::WriteOnly);
        QImage filled(100, 80, QImage::Format_RGB32);
        filled.fill(Qt::red);
        filled.save(&buffer, "PNG");
        broken.chop(20);
        const QString path =
            EpubBuilder()
                .item("broken", "images/broken.png", "image/png")
                .file("OEBPS/images/broken.png", broken)
                .image("big", "images/big.png", QImage(1200, 900, QImage::Format_RGB32))
                .image("small", "images/small.png", QImage(100, 80, QImage::Format_RGB32))
                .chapter("c1", "Text/one.xhtml",
                         "<p>Before</p><p><img src=\"../images/big.png\" width=\"1200\"/></p>"
                         "<svg xmlns=\"http://www.w3.org/2000/svg\" "
                         "xmlns:xlink=\"http://www.w3.org/1999/xlink\"><image "
                         "xlink:href=\"../images/small.png\"/></svg>")
                .write(m_dir->path(), "images.epub");
        OpenEpubDocument doc(path);
        doc.load();
        const QImage big =
            doc.loadResource(QTextDocument::ImageResource, QUrl("OEBPS/images/big.png")).value<QImage>();
        QCOMPARE(big.size(), QSize(350, 263));
        const QImage small =
            doc.loadResource(QTextDocument::ImageResource, QUrl("OEBPS/images/small.png")).value<QImage>();
        QCOMPARE(small.size(), QSize(100, 80));
        QCOMPARE(doc.imageSize("OEBPS/images/big.png"), QSize(1200, 900));
        QCOMPARE(doc.imageSize("OEBPS/images/broken.png"), QSize(100, 80)); // as its header claims
        QVERIFY(doc.loadResource(QTextDocument::ImageResource, QUrl("OEBPS/images/broken.png")).isNull());
        QCOMPARE(doc.imageSize("OEBPS/images/broken.png"), QSize(-1, -1)); // once it failed to decode
        QVERIFY(doc.loadResource(QTextDocument::ImageResource, QUrl("file:///etc/passwd")).isNull());
        const QString html = doc.converter()->chapters().first().html;
        QVERIFY(html.contains("<img src=\"OEBPS/images/big.png\" />"));
        QVERIFY(html.contains("<img src=\"OEBPS/images/small.png\"/>"));
        QVERIFY(!html.contains("svg"));
    }

    void missingManifestFileLeavesTheRest()
    {
        const QString path = threeChapters()
                                 .item("gone", "Text/gone.xhtml", "application/xhtml+xml")
                                 .spine("gone")
                                 .write(m_dir->path(), "missing.epub");
        EpubDocument doc(path);
        doc.load();
        QVERIFY(doc.parsed());
        QCOMPARE(doc.converter()->chapters().size(), 3);
        QVERIFY(doc.plainText().contains("Last words."));
        QVERIFY(todaysLog().contains("Missing file in epub:OEBPS/Text/gone.xhtml"));
    }

    void hrefsLeavingTheBookAreRefused()
    {
        const QString path = threeChapters()
                                 .item("evil", "../../../../etc/passwd", "application/xhtml+xml")
                                 .spine("evil")
                                 .file("etc/passwd", "<p>inside the archive, outside the package</p>")
                                 .write(m_dir->path(), "slip.epub");
        EpubDocument doc(path);
        doc.load();
        QVERIFY(doc.parsed());
        QCOMPARE(doc.converter()->chapters().size(), 3);
        QVERIFY(!doc.plainText().contains("inside the archive"));
        QVERIFY(todaysLog().contains("Refused href outside the book:../../../../etc/passwd"));
    }

    void brokenBooksFailCleanly_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("logged");

        const QByteArray bomb =
            QByteArray("<?xml version=\"1.0\"?>\n<!DOCTYPE package [\n<!ENTITY a \"aaaaaaaaaa\">\n"
                       "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">\n]>\n"
                       "<package><metadata><dc:title xmlns:dc=\"http://purl.org/dc/elements/1.1/\">"
                       "&b;</dc:title></metadata></package>");
        const QByteArray noRootfile = "<container><rootfiles/></container>";
        const QByteArray wrongType = "<container><rootfiles><rootfile full-path=\"OEBPS/content.opf\" "
                                     "media-type=\"text/plain\"/></rootfiles></container>";
        const QByteArray drm =
            "<encryption xmlns=\"urn:oasis:names:tc:opendocument:xmlns:container\" "
            "xmlns:enc=\"http://www.w3.org/2001/04/xmlenc#\"><enc:EncryptedData><enc:CipherData>"
            "<enc:CipherReference URI=\"OEBPS/Text/two.xhtml\"/></enc:CipherData>"
            "</enc:EncryptedData></encryption>";

        QTest::newRow("not a zip") << QByteArray("plain text, no archive") << int(EpubParser::Unreadable)
                                   << "Error unzip epub:";
        QTest::newRow("no container")
            << threeChapters().container(QByteArray()).build() << int(EpubParser::NotEpub)
            << "Can not open container: META-INF/container.xml";
        QTest::newRow("container names no package")
            << threeChapters().container(noRootfile).build() << int(EpubParser::NotEpub) << "Invalid epub:";
        QTest::newRow("rootfile of another type")
            << threeChapters().container(wrongType).build() << int(EpubParser::NotEpub) << "Invalid epub:";
        QTest::newRow("container is not XML")
            << threeChapters().container("<<<").build() << int(EpubParser::NotEpub)
            << "Can not set content for xml-doc";
        QTest::newRow("package missing")
            << threeChapters()
                   .container("<container><rootfiles><rootfile full-path=\"x.opf\" "
                              "media-type=\"application/oebps-package+xml\"/>"
                              "</rootfiles></container>")
                   .build()
            << int(EpubParser::NotEpub) << "Load meta data. Error opening file :x.opf";
        QTest::newRow("package not XML")
            << threeChapters().package("<package><manifest>").build() << int(EpubParser::Damaged)
            << "Load meta data. Error loading xml-file :";
        QTest::newRow("package declares entities")
            << threeChapters().package(bomb).build() << int(EpubParser::Damaged)
            << "Load meta data. Error loading xml-file :";
        QTest::newRow("encrypted text") << threeChapters().file("META-INF/encryption.xml", drm).build()
                                        << int(EpubParser::Protected) << "";
    }
    void brokenBooksFailCleanly()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, error);
        QFETCH(QString, logged);
        const QString path = m_dir->filePath("broken.epub");
        QVERIFY(ZipBuilder::writeFile(path, bytes));

        EpubParser parser;
        epub::Book book;
        QVERIFY(!parser.parse(path, book, false));
        QCOMPARE(int(parser.error()), error);
        QCOMPARE(book.path, path);
        QVERIFY(book.spine.isEmpty() && book.texts.isEmpty());
        QVERIFY(todaysLog().contains(logged));

        EpubDocument doc(path);
        doc.load();
        QCOMPARE(doc.pageCount(), 0);
        QVERIFY(!doc.errorString().isEmpty());
        QVERIFY(doc.toc().isEmpty());
        QCOMPARE(doc.chapterTitle(10), QString());
        // Nothing is ever unpacked.
        QVERIFY(filesBelow(Paths::bookCacheFolder(path)).isEmpty());
    }

    void metadataOnlyNeverReadsTheSpine()
    {
        QImage picture(30, 40, QImage::Format_RGB32);
        picture.fill(Qt::green);
        QByteArray bytes = threeChapters()
                               .meta("dc:language", "en")
                               .meta("dc:publisher", "Lantern Press")
                               .meta("dc:subject", "Sea")
                               .meta("dc:subject", "Whales")
                               .meta("dc:description", "<p>A <b>long</b> voyage &amp; more.</p>")
                               .meta("dc:identifier", "urn:isbn:123")
                               .author("Bob Second")
                               .image("c", "cover.png", picture)
                               .build();
        // Every chapter damaged: metadata must not care.
        for (const char* name : {"OEBPS/Text/one.xhtml", "OEBPS/Text/two.xhtml", "OEBPS/Text/three.xhtml"})
            QVERIFY(ZipBuilder::setClaimedSize(bytes, name, 999999));
        const QString path = m_dir->filePath("meta.epub");
        QVERIFY(ZipBuilder::writeFile(path, bytes));

        EpubParser parser;
        epub::Book book;
        QVERIFY(parser.parse(path, book, true));
        QVERIFY(book.texts.isEmpty());
        QCOMPARE(book.title(), QStringLiteral("Three Chapters"));
        QCOMPARE(book.authors(), QStringLiteral("Ann Writer, Bob Second"));
        QCOMPARE(book.coverImage.size(), QSize(30, 40));
        const QMap<int, QString> codes = book.metadataCodes();
        QCOMPARE(codes.value(0), QStringLiteral("urn:isbn:123"));
        QCOMPARE(codes.value(1), QStringLiteral("Three Chapters"));
        QCOMPARE(codes.value(2), QStringLiteral("Ann Writer Bob Second"));
        QCOMPARE(codes.value(4), QStringLiteral("Sea Whales"));
        QCOMPARE(codes.value(5), QStringLiteral("Lantern Press"));
        QCOMPARE(codes.value(6), QStringLiteral("A long voyage & more."));
        QCOMPARE(codes.value(10), QStringLiteral("en"));
        QVERIFY(!codes.contains(3));
        QVERIFY(!todaysLog().contains("read all but not EOF"));
    }

    void textEncodings_data()
    {
        QTest::addColumn<QByteArray>("document");
        const QString body = QString::fromUtf8("<p>Война и мир — Ÿ</p>");
        const QByteArray utf8 = EpubBuilder::xhtml(body);
        QTest::newRow("utf-8") << utf8;
        QTest::newRow("utf-8 undeclared") << utf8.mid(utf8.indexOf('\n') + 1);
        QByteArray utf16 = QTextCodec::codecForName("UTF-16LE")
                               ->fromUnicode(QString::fromUtf8(utf8).replace("UTF-8", "UTF-16"));
        QTest::newRow("utf-16 with BOM") << QByteArray("\xFF\xFE", 2) + utf16;
        QTest::newRow("utf-16 without BOM") << utf16;
        const QString cp =
            QString::fromUtf8(utf8).replace("UTF-8", "windows-1251").remove(QString::fromUtf8(" — Ÿ"));
        QTest::newRow("windows-1251") << QTextCodec::codecForName("windows-1251")->fromUnicode(cp);
    }
    void textEncodings()
    {
        QFETCH(QByteArray, document);
        const QString path =
            EpubBuilder().rawChapter("c1", "one.xhtml", document).write(m_dir->path(), "enc.epub");
        EpubDocument doc(path);
        doc.load();
        QVERIFY2(doc.plainText().contains(QString::fromUtf8("Война и мир")), qPrintable(doc.plainText()));
    }

    void entitiesInContentStayBounded()
    {
        QByteArray document = "<?xml version=\"1.0\"?>\n<!DOCTYPE html [\n<!ENTITY a \"aaaaaaaaaa\">\n"
                              "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">\n]>\n"
                              "<html><head><title>T</title></head><body><p>Start &b; end&nbsp;&amp; more</p>"
                              "<p>x &lt; y<!-- hidden --></p></body></html>";
        const QString path =
            EpubBuilder().rawChapter("c1", "one.xhtml", document).write(m_dir->path(), "bomb.epub");
        EpubDocument doc(path);
        doc.load();
        const QString text = doc.plainText();
        QVERIFY2(!text.contains("aaaaaaaaaa"), qPrintable(text));
        QVERIFY(!text.contains("]>"));
        QVERIFY(!text.contains("hidden"));
        QVERIFY2(text.contains(QString::fromUtf8("end & more")), qPrintable(text));
        QVERIFY(text.contains("x < y"));
    }

    void rewriterSurvivesBrokenMarkup_data()
    {
        QTest::addColumn<QString>("xhtml");
        QTest::addColumn<QString>("expected");
        QTest::newRow("cut tag") << "<body><p>One</p><p"
                                 << "<p>One</p>&lt;p";
        QTest::newRow("cut attribute") << "<body><a href='x"
                                       << "&lt;a href='x";
        QTest::newRow("lone angle") << "<body>a < b <3"
                                    << "a &lt; b &lt;3";
        QTest::newRow("cut comment") << "<body>x<!-- y"
                                     << "x";
        QTest::newRow("cut CDATA") << "<body>x<![CDATA["
                                   << "x";
        QTest::newRow("CDATA") << "<body><![CDATA[a<b]]></body>"
                               << "a&lt;b";
        QTest::newRow("cut doctype") << "<!DOCTYPE x [ <!ENTITY a 'b'>"
                                     << "";
        QTest::newRow("cut svg") << "<body><svg><image xlink:href='i.png'"
                                 << "";
        QTest::newRow("script and style") << "<body><script>alert(1)</script><style>p{}</style>t</body>"
                                          << "t";
        QTest::newRow("self-closed anchor") << "<body><a id='n'/>text</body>"
                                            << "<a id=\"p-n\"></a>text";
        QTest::newRow("second body") << "<body>a</body><body>b</body>"
                                     << "ab";
        QTest::newRow("no body") << "<html><head><title>T</title></head><p>p</p></html>"
                                 << "<p>p</p>";
    }
    void rewriterSurvivesBrokenMarkup()
    {
        QFETCH(QString, xhtml);
        QFETCH(QString, expected);
        const auto chapter = epub::XhtmlRewriter::rewrite(
            xhtml, "OEBPS/a.xhtml", "p-", [](const QString&, const QString&) { return QString(); });
        QCOMPARE(chapter.html, expected);
    }

    void styleSheetsKeepStructureNotTheProfile_data()
    {
        QTest::addColumn<QString>("css");
        QTest::addColumn<QString>("filtered");
        QTest::newRow("colours go") << "p { color: #000; text-indent: 1em; background-color: white }"
                                    << "p { text-indent: 1em }\n";
        QTest::newRow("fonts go, relative sizes stay")
            << "h1{font-family:Georgia;font-size:1.5em} .s{font-size:12px;font-style:italic}"
            << "h1 { font-size: 1.5em }\n.s { font-style: italic }\n";
        QTest::newRow("at-rules")
            << "@import url(x.css); @font-face { src: url(a.ttf) } "
               "@media screen { p { color: red; margin: 0 } } /* c { } */ em { font-weight: bold }"
               "@media print { p { margin: 1em } } @media all and (orientation:portrait) { }"
            << "p { margin: 0 }\nem { font-weight: bold }\n";
        QTest::newRow("pseudo selectors")
            << "header + p:first-line, p + p { text-indent: 1em } a:hover { x: y }"
            << "p + p { text-indent: 1em }\n";
        QTest::newRow("empty rules vanish") << "body { line-height: 1.2; color: black }"
                                            << "";
        QTest::newRow("body rules go to the chapter, without margins")
            << "body { margin: 5%; text-align: justify } html body p.x, body.c > p { text-indent: 0 }"
            << ".ll-chapter { text-align: justify }\n.ll-chapter p.x, .ll-chapter.c > p { text-indent: 0 }\n";
    }
    void styleSheetsKeepStructureNotTheProfile()
    {
        QFETCH(QString, css);
        QFETCH(QString, filtered);
        QCOMPARE(epub::XhtmlRewriter::filterCss(css), filtered);
    }

    // Every document that lays a part of the book out parses the style
    // sheets and tries each rule on every element: rules naming a class or
    // id that no element of any chapter carries are left out, the others
    // (whatever the case, in any chapter) kept.
    void rulesForAbsentClassesAreLeftOut()
    {
        const QString path =
            EpubBuilder()
                .css("css/book.css", ".used { text-align: center } .unused, .late { text-align: right }\n"
                                     "p.USED2 em { font-weight: bold } #part1 { text-indent: 1em }\n"
                                     "div[title=\"a.b\"] { text-indent: 3em } .x\\-y { text-indent: 4em }\n"
                                     ".main p { margin-left: 1em } p.used.gone { margin-left: 2em }")
                .rawChapter(
                    "c1", "Text/one.xhtml",
                    QByteArray(EpubBuilder::xhtml("<p class=\"used\">Centred</p>"
                                                  "<p id=\"part1\" class=\" used2\"><em>Bold</em></p>",
                                                  "<link rel=\"stylesheet\" href=\"../css/book.css\"/>"
                                                  "<style>.unused { x: y } .used { text-indent: 0 }</style>"))
                        .replace("<body>", "<body class=\"main\">"))
                .rawChapter("c2", "Text/two.xhtml",
                            EpubBuilder::xhtml("<div class=\"late\">Later</div>",
                                               "<link rel=\"stylesheet\" href=\"../css/book.css\"/>"))
                .write(m_dir->path(), "pruned.epub");
        OpenEpubDocument doc(path);
        doc.load();
        QCOMPARE(doc.loadResource(QTextDocument::StyleSheetResource, QUrl("OEBPS/css/book.css")).toString(),
                 QStringLiteral(".used { text-align: center }\n.late { text-align: right }\n"
                                "p.USED2 em { font-weight: bold }\ndiv[title=\"a.b\"] { text-indent: 3em }\n"
                                ".x\\-y { text-indent: 4em }\n.main p { margin-left: 1em }\n"));
        QCOMPARE(doc.converter()->head(),
                 QStringLiteral("<link rel=\"stylesheet\" type=\"text/css\" href=\"OEBPS/css/book.css\"/>"
                                "<style type=\"text/css\">.ll-s0 .used { text-indent: 0 }\n</style>"));
        const auto whole = doc.wholeDocument();
        const QString text = doc.plainText();
        QCOMPARE(whole->findBlock(text.indexOf("Centred")).blockFormat().alignment() &
                     Qt::AlignHorizontal_Mask,
                 Qt::AlignHCenter);
        QCOMPARE(whole->findBlock(text.indexOf("Later")).blockFormat().alignment() & Qt::AlignHorizontal_Mask,
                 Qt::AlignRight);
    }

    void embeddedStylesStayInTheirChapter()
    {
        QCOMPARE(epub::XhtmlRewriter::filterCss("body { text-align: center; padding: 0 } p, .a { margin: 0 }",
                                                "ll-s0"),
                 QStringLiteral(".ll-s0 { text-align: center }\n.ll-s0 p, .ll-s0 .a { margin: 0 }\n"));
        const QByteArray centred =
            EpubBuilder::xhtml("<p>Title page</p>", "<style>body { text-align: center }</style>");
        const QString path =
            EpubBuilder()
                .rawChapter("t", "title.xhtml", centred)
                .rawChapter(
                    "c1", "one.xhtml",
                    QByteArray(EpubBuilder::xhtml("<div>Body text</div>"))
                        .replace("<body>", "<body class=\"main\" style=\"color: red; text-indent: 3em\">"))
                .write(m_dir->path(), "scoped.epub");
        EpubDocument doc(path);
        doc.load();
        const auto whole = doc.wholeDocument();
        const auto alignmentOf = [&doc, &whole](const char* text) {
            return whole->findBlock(doc.plainText().indexOf(QLatin1String(text))).blockFormat().alignment() &
                   Qt::AlignHorizontal_Mask;
        };
        QCOMPARE(alignmentOf("Title page"), Qt::AlignHCenter);
        QVERIFY(alignmentOf("Body text") != Qt::AlignHCenter);
        QVERIFY(doc.converter()->chapters().at(1).html.startsWith(
            QStringLiteral("<div id=\"%1\" class=\"ll-chapter main\" style=\"text-indent: 3em\">")
                .arg(doc.converter()->chapters().at(1).anchor)));
    }

    void bookStyleSheetsReachTheDocument()
    {
        const QString path =
            EpubBuilder()
                .css("css/book.css", "p.center { text-align: center; color: red }")
                .rawChapter("c1", "Text/one.xhtml",
                            EpubBuilder::xhtml("<p class=\"center\">Centred</p><p>Plain</p>",
                                               "<link rel=\"stylesheet\" href=\"../css/book.css\"/>"
                                               "<style>p { font-weight: bold }</style>"))
                .write(m_dir->path(), "css.epub");
        EpubDocument doc(path);
        doc.load();
        QCOMPARE(doc.converter()->head(),
                 QStringLiteral("<link rel=\"stylesheet\" type=\"text/css\" href=\"OEBPS/css/book.css\"/>"
                                "<style type=\"text/css\">.ll-s0 p { font-weight: bold }\n</style>"));
        const auto whole = doc.wholeDocument();
        const QTextBlock centred = whole->findBlock(doc.plainText().indexOf("Centred"));
        QCOMPARE(centred.blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
        QVERIFY(centred.charFormat().foreground().color() != QColor(Qt::red));
        QCOMPARE(whole->findBlock(doc.plainText().indexOf("Plain")).charFormat().fontWeight(),
                 int(QFont::Bold));
    }

    // The decoded documents are dropped once converted: a rebuild (a style
    // change) hands the same chapters over, with their pictures, style
    // sheets, anchors and search.
    void rebuildKeepsTextAndPositions()
    {
        const QString path =
            threeChapters()
                .css("css/book.css", "p.centre { text-align: center }")
                .image("pic", "images/pic.png", QImage(40, 30, QImage::Format_RGB32))
                .rawChapter(
                    "c4", "Text/four.xhtml",
                    EpubBuilder::xhtml("<p class=\"centre\">Centred <img src=\"../images/pic.png\"/></p>",
                                       "<link rel=\"stylesheet\" href=\"../css/book.css\"/>"))
                .write(m_dir->path(), "rebuild.epub");
        OpenEpubDocument doc(path);
        doc.load();
        QVERIFY(doc.book().texts.isEmpty());
        const QString text = doc.plainText();
        const QList<TocPoint> toc = doc.toc();
        const int part2 = doc.positionOfAnchor(doc.converter()->anchorFor("OEBPS/Text/two.xhtml", "part2"));
        QVERIFY(part2 > 0);
        doc.rebuild();
        QCOMPARE(doc.plainText(), text);
        QCOMPARE(doc.toc().size(), toc.size());
        QCOMPARE(doc.toc().at(2).position, toc.at(2).position);
        QCOMPARE(doc.positionOfAnchor(doc.converter()->anchorFor("OEBPS/Text/two.xhtml", "part2")), part2);
        QCOMPARE(doc.search("Deep inside").size(), 1);
        QCOMPARE(doc.loadResource(QTextDocument::ImageResource, QUrl("OEBPS/images/pic.png"))
                     .value<QImage>()
                     .size(),
                 QSize(40, 30));
        QCOMPARE(doc.imageSize("OEBPS/images/pic.png"), QSize(40, 30));
        const auto whole = doc.wholeDocument();
        QCOMPARE(whole->findBlock(text.indexOf("Centred")).blockFormat().alignment() &
                     Qt::AlignHorizontal_Mask,
                 Qt::AlignHCenter);
        QVERIFY(!doc.isUndoAvailable());
    }

    // A large book shows its opening chapters (with the pictures they show)
    // at once and gets the rest from the background: the same pages and
    // places as the whole load, a place beyond the opening reached once the
    // rest is there.
    void largeBookOpensInStages()
    {
        EpubBuilder builder;
        builder.css("Styles/book.css", "p { margin: 0; }")
            .image("pic1", "Images/early.png", QImage(30, 30, QImage::Format_RGB32))
            .image("pic2", "Images/late.png", QImage(30, 30, QImage::Format_RGB32));
        for (int c = 0; c < 40; ++c) {
            QStringList paragraphs;
            for (int p = 0; p < 40; ++p)
                paragraphs << QStringLiteral("Chapter %1, paragraph %2: the ship sailed on through the long "
                                             "night while the crew slept below.")
                                  .arg(c)
                                  .arg(p);
            QString body = EpubBuilder::body(QStringLiteral("Chapter %1").arg(c), paragraphs);
            if (c == 2 || c == 35)
                body += QStringLiteral("<p><img src=\"../Images/%1.png\" alt=\"\"/></p>")
                            .arg(c == 2 ? "early" : "late");
            builder.chapter(QStringLiteral("c%1").arg(c), QStringLiteral("Text/c%1.xhtml").arg(c), body,
                            QStringLiteral("Chapter %1").arg(c));
        }
        const QString path = builder.write(m_dir->path(), "long.epub");
        EpubDocument whole(path);
        whole.load();
        whole.setViewPortSize(QSize(400, 500));

        EpubDocument staged(path);
        staged.setLoadsInStages(true, 0);
        staged.setWaitsInBackground(true);
        staged.load();
        // The opening reads the pictures its own chapters show, not the others.
        const QStringList resources = staged.book().resources.keys();
        QVERIFY2(resources.contains("OEBPS/Images/early.png"), qPrintable(resources.join(' ')));
        QVERIFY(!resources.contains("OEBPS/Images/late.png"));
        checkOpeningThenWhole(staged, whole);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(staged.toc().at(35).position, whole.toc().at(35).position);
        // The rest's documents were dropped in the background: a rebuild
        // still has the whole book.
        QVERIFY(staged.book().texts.isEmpty());
        staged.rebuild();
        QCOMPARE(staged.unitCount(), whole.unitCount());
        QCOMPARE(staged.plainText(), whole.plainText());
        QCOMPARE(staged.imageSize("OEBPS/Images/late.png"), QSize(30, 30));

        checkPlaceBeyondOpening<EpubDocument>(path, whole, whole.toc().at(35).position + 300);
    }

    void registeredForEpubFiles()
    {
        std::unique_ptr<TextDocument> doc(
            createTextDocument(threeChapters().write(m_dir->path(), "Book.EPUB")));
        QVERIFY(dynamic_cast<EpubDocument*>(doc.get()));
        doc->load();
        doc->setViewPortSize(QSize(400, 500));
        QVERIFY(doc->pageCount() > 0);
    }

    void addBooksWorkerAddsEpubBooks()
    {
        QVERIFY(BookProvider::instance()->createConnection());
        QImage picture(120, 180, QImage::Format_RGB32);
        picture.fill(Qt::darkGreen);
        const QString books = m_dir->filePath("books");
        QDir().mkpath(books);
        const QString good =
            threeChapters().image("c", "Images/Cover.JPG", picture).write(books, "good.epub");
        const QString nameless = threeChapters().title("").write(books, "No Title.epub");
        ZipBuilder::writeFile(books + "/broken.epub", "not a book");

        AddBooksWorker worker({QFileInfo(books)});
        QSignalSpy complete(&worker, &AddBooksWorker::complete);
        worker.start();
        QVERIFY(worker.wait(60000));
        QCOMPARE(complete.size(), 1);
        // The broken file is added under its name, and reported with its
        // reason.
        QCOMPARE(complete.first().first().toInt(), 3);
        QCOMPARE(worker.refusals().size(), 1);
        QCOMPARE(worker.refusals().first().path, QDir::toNativeSeparators(books + "/broken.epub"));
        QCOMPARE(worker.refusals().first().reason, BookError::Damaged);

        const BookDto added = BookProvider::instance()->getBookByPath(QDir::toNativeSeparators(good));
        QCOMPARE(added.title, QStringLiteral("Three Chapters"));
        QCOMPARE(added.author, QStringLiteral("Ann Writer"));
        QCOMPARE(added.format, 0);
        QCOMPARE(added.cover, QDir::toNativeSeparators(Paths::bookCacheFolder(good) + "/cover.png"));
        QCOMPARE(QImage(added.cover).size(), QSize(120, 180));
        // The cover is the only file written for a book.
        QCOMPARE(filesBelow(Paths::bookCacheFolder(good)), QStringList{"cover.png"});
        QCOMPARE(BookProvider::instance()->getBookByPath(QDir::toNativeSeparators(nameless)).title,
                 QStringLiteral("No Title"));
        QCOMPARE(
            BookProvider::instance()->getBookByPath(QDir::toNativeSeparators(books + "/broken.epub")).title,
            QStringLiteral("broken"));
    }

    // --- real files, when the samples are there ---
    void samplesOpen_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("author");
        const QString dir = samples() + "/epub/";
        QTest::newRow("quick start") << dir + "calibre-quick-start-eng.epub"
                                     << "Quick Start Guide"
                                     << "John Schember";
        QTest::newRow("alice") << dir + "pg-alice-in-wonderland.epub"
                               << "Alice's Adventures in Wonderland"
                               << "Lewis Carroll";
        QTest::newRow("moby dick (nav only)") << dir + "idpf-moby-dick.epub"
                                              << "Moby-Dick"
                                              << "Herman Melville";
        QTest::newRow("children's literature") << dir + "idpf-childrens-literature.epub"
                                               << "Children's Literature"
                                               << "Charles Madison Curry";
        QTest::newRow("haruko (Japanese)") << dir + "idpf-haruko-html-jpeg.epub"
                                           << ""
                                           << "";
        QTest::newRow("war and peace (Russian)")
            << dir + "calibre-gribuser-example-ru.epub" << QString::fromUtf8("Война и мир") << "";
    }
    void samplesOpen()
    {
        QFETCH(QString, path);
        QFETCH(QString, title);
        QFETCH(QString, author);
        if (!QFileInfo::exists(path))
            QSKIP("no sample books");
        EpubDocument doc(path);
        doc.load();
        doc.setViewPortSize(QSize(400, 500));
        QVERIFY(doc.parsed());
        QVERIFY(doc.pageCount() > 0);
        const QList<TocPoint> toc = doc.toc();
        QVERIFY(!toc.isEmpty());
        for (const TocPoint& p : toc)
            QVERIFY(p.position >= 0 && p.position < doc.textLength());

        epub::Book meta;
        QVERIFY(EpubParser().parse(path, meta, true));
        if (!title.isEmpty())
            QVERIFY2(meta.title().startsWith(title), qPrintable(meta.title()));
        else
            QVERIFY(!meta.title().isEmpty());
        if (!author.isEmpty())
            QVERIFY2(meta.authors().contains(author), qPrintable(meta.authors()));
    }

    void samplesHostile()
    {
        const QString slip = samples() + "/hostile/zip-slip-unix.epub";
        if (!QFileInfo::exists(slip))
            QSKIP("no sample books");
        EpubDocument bad(slip);
        bad.load();
        QCOMPARE(bad.pageCount(), 0);
        QVERIFY(!bad.errorString().isEmpty());

        // One chapter's deflate stream is broken: the rest of the book opens.
        EpubDocument damaged(samples() + "/hostile/corrupt-deflate-stream.epub");
        damaged.load();
        damaged.setViewPortSize(QSize(400, 500));
        QVERIFY(damaged.parsed());
        QVERIFY(damaged.pageCount() > 10);
        QVERIFY(damaged.converter()->chapters().size() >= 10);
        QVERIFY(filesBelow(Paths::bookCacheFolder(slip)).isEmpty());
        QVERIFY(filesBelow(Paths::bookCacheFolder(damaged.path())).isEmpty());
    }

private:
    TestHome m_home;
    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_MAIN(TestEpubDocument)
#include "TestEpubDocument.moc"
