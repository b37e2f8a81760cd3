#include "fb2/FbConverter.h"
#include "fb2/FbDocument.h"
#include "fb2/FbOutline.h"
#include "fb2/FbParser.h"
#include "util/Fb2Builder.h"
#include "util/StagedLoad.h"
#include "util/TestHome.h"

#include <QBuffer>
#include <QDir>
#include <QDomDocument>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTextBlock>
#include <QtTest>

namespace {

const QString kRussianTitle = QString::fromUtf8("Война и мир");

/// FbDocument with its resource loader reachable from the test.
class OpenFbDocument : public fb2::FbDocument
{
public:
    using fb2::FbDocument::FbDocument;
    using fb2::FbDocument::loadResource;
};

QString twoChapters()
{
    return Fb2Builder::section("Chapter One", {"First words of the book.", "Second paragraph."}) +
           Fb2Builder::section("Chapter Two", {"Words of the second chapter."}, "ch2");
}

// A BMP header claiming 30000 x 30000 pixels (BMP has no checksum to fix up).
QByteArray hugeBmpBase64()
{
    QByteArray bmp;
    QBuffer buffer(&bmp);
    buffer.open(QIODevice::WriteOnly);
    Fb2Builder::makeImage(2, 2).save(&buffer, "BMP");
    const qint32 side = 30000;
    for (int offset : {18, 22})
        memcpy(bmp.data() + offset, &side, 4);
    return bmp.toBase64();
}

// The classic nested-entity bomb: 10^9 copies of "lol" once expanded.
QString billionLaughs()
{
    QString dtd = QStringLiteral("<!DOCTYPE FictionBook [\n <!ENTITY lol \"lol\">\n");
    for (int i = 1; i <= 9; ++i) {
        const QString prev = i == 1 ? QStringLiteral("lol") : QStringLiteral("lol%1").arg(i - 1);
        dtd += QStringLiteral(" <!ENTITY lol%1 \"%2\">\n")
                   .arg(i)
                   .arg(QStringLiteral("&%1;").arg(prev).repeated(10));
    }
    return dtd + QStringLiteral("]>\n");
}

QStringList sampleFolders()
{
    return {QStringLiteral(LANTERNLEAF_SAMPLES_DIR) + "/fb2"};
}

/// A book large enough to be loaded in stages: a cover, `sections` chapters
/// of about 2.7 KB of markup each (the opening is the first 48 or so) (a broken one at `broken`, if any) and
/// notes.
QString longBook(const QString& dir, const QString& name, int sections, int broken = -1)
{
    QString body;
    for (int i = 0; i < sections; ++i) {
        QStringList paragraphs;
        for (int p = 0; p < 24; ++p)
            paragraphs << QStringLiteral("Chapter %1, paragraph %2: the whalers rowed on through the grey "
                                         "morning, and nobody spoke of the storm.")
                              .arg(i)
                              .arg(p);
        body +=
            i == broken
                ? QStringLiteral("<section><p class=\"a<b\">a less-than sign in an attribute</p></section>")
                : Fb2Builder::section(QStringLiteral("Chapter %1").arg(i), paragraphs);
    }
    return Fb2Builder()
        .cover("cover.png")
        .image("cover.png", Fb2Builder::makeImage(60, 90))
        .body(body)
        .body(Fb2Builder::section("Note 1", {"A note."}), "notes")
        .write(dir, name);
}

} // namespace

class TestFbDocument : public QObject
{
    Q_OBJECT
private slots:
    void encodings_data()
    {
        QTest::addColumn<QString>("encoding");
        QTest::addColumn<bool>("declare");
        QTest::addColumn<bool>("bom");
        QTest::newRow("utf-8") << "UTF-8" << true << false;
        QTest::newRow("utf-8 undeclared") << "UTF-8" << false << false;
        QTest::newRow("utf-8 with BOM") << "UTF-8" << true << true;
        QTest::newRow("utf-8 BOM undeclared") << "UTF-8" << false << true;
        QTest::newRow("windows-1251") << "windows-1251" << true << false;
        QTest::newRow("koi8-r") << "KOI8-R" << true << false;
    }
    void encodings()
    {
        QFETCH(QString, encoding);
        QFETCH(bool, declare);
        QFETCH(bool, bom);
        const QString body =
            Fb2Builder::section(QString::fromUtf8("Глава"), {QString::fromUtf8("Ещё текст")});
        const QString path = Fb2Builder()
                                 .encoding(encoding, declare)
                                 .bom(bom)
                                 .title(kRussianTitle)
                                 .author(QString::fromUtf8("Лев"), QString::fromUtf8("Толстой"))
                                 .body(body)
                                 .write(m_dir.path(), "enc.fb2");
        QCOMPARE(fb2::FbParser::detectEncoding(path), declare ? encoding : QString("UTF-8"));

        fb2::FbParser parser;
        QVERIFY2(parser.parse(path, true), qPrintable(parser.errorString()));
        QCOMPARE(parser.book().title(), kRussianTitle);
        QCOMPARE(parser.book().authors(), QString::fromUtf8("Лев Толстой"));

        fb2::FbDocument doc(path);
        doc.load();
        QVERIFY(doc.parsed());
        QVERIFY(doc.plainText().contains(QString::fromUtf8("Ещё текст")));
    }

    void damaged_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<bool>("full");
        QTest::addColumn<bool>("metadata");

        const QString body = twoChapters();
        QTest::newRow("sound") << Fb2Builder().body(body).build() << true << true;
        QTest::newRow("wrong root") << Fb2Builder().root("Book").body(body).build() << false << false;
        QTest::newRow("not xml") << QByteArray("just some text") << false << false;
        QTest::newRow("empty file") << QByteArray() << false << false;
        QTest::newRow("truncated") << Fb2Builder().body(body).build().left(300) << false << false;
        QTest::newRow("broken body")
            << Fb2Builder().body("<section><p>open <b>never closed</p></section>").build() << false << true;
        QTest::newRow("entity bomb")
            << Fb2Builder().doctype(billionLaughs()).body("<section><p>&lol9;</p></section>").build() << false
            << false;
        QTest::newRow("external entity")
            << Fb2Builder()
                   .doctype("<!DOCTYPE FictionBook [<!ENTITY secret SYSTEM \"file:///etc/passwd\">]>\n")
                   .body("<section><p>&secret;</p></section>")
                   .build()
            << false << false;
        QTest::newRow("parameter entity")
            << Fb2Builder()
                   .doctype("<!DOCTYPE FictionBook [<!ENTITY % p SYSTEM \"file:///etc/passwd\"> %p;]>\n")
                   .body(body)
                   .build()
            << false << false;
        QTest::newRow("broken image")
            << Fb2Builder().body(body).rawBinary("pic", "@@@not base64 at all!!").build() << true << true;
        QTest::newRow("huge image") << Fb2Builder().body(body).rawBinary("pic", hugeBmpBase64()).build()
                                    << true << true;
        // Metadata never looks into the bodies: nesting there is a broken
        // body, in the description a refused book.
        QTest::newRow("deep nesting")
            << Fb2Builder()
                   .body(QString("<section>").repeated(3000) + QString("</section>").repeated(3000))
                   .build()
            << false << true;
        QTest::newRow("deep nesting in the description")
            << Fb2Builder().body(body).build().replace(
                   "<lang>", QByteArray("<p>").repeated(3000) + QByteArray("</p>").repeated(3000) + "<lang>")
            << false << false;
    }
    void damaged()
    {
        QFETCH(QByteArray, data);
        QFETCH(bool, full);
        QFETCH(bool, metadata);
        fb2::FbParser parser;
        QCOMPARE(parser.parseData(data, false), full);
        QCOMPARE(parser.errorString().isEmpty(), full);
        QVERIFY(!parser.book().images.contains("pic")); // refused images are left out
        QCOMPARE(parser.parseData(data, true), metadata);
        if (metadata)
            QCOMPARE(parser.book().title(), QString("Test Book"));

        // Through the document: a failed parse leaves an empty book, and
        // the reason the reader shows.
        QFile file(m_dir.filePath("damaged.fb2"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(data);
        file.close();
        fb2::FbDocument doc(file.fileName());
        doc.load();
        doc.setViewPortSize(QSize(400, 500));
        QCOMPARE(doc.pageCount() > 0, full);
        QCOMPARE(doc.parsed(), full);
        QCOMPARE(doc.errorString().isEmpty(), full);
    }

    void hostileSample()
    {
        for (const QString& folder : sampleFolders()) {
            const QString path = QDir(folder).filePath("../hostile/fb2-billion-laughs.fb2");
            if (!QFile::exists(path))
                continue;
            fb2::FbParser parser;
            QVERIFY(!parser.parse(path, false));
            QVERIFY(!parser.parse(path, true));
            return;
        }
        QSKIP("samples folder not found");
    }

    // The metadata path reads only the head and finds the cover binary by
    // its bytes; whatever the layout, it must agree with the full parse.
    void metadataPathMatchesFullParse_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<bool>("hasCover");

        const QImage cover = Fb2Builder::makeImage(120, 180);
        const QString body = twoChapters();
        auto book = [&](const QString& id) {
            return Fb2Builder().author("Ann", "Writer").cover(id).body(body);
        };
        QTest::newRow("cover at the end") << book("cover.png").image("cover.png", cover).build() << true;

        QByteArray early = book("cover.png").image("cover.png", cover).build();
        const int binary = early.indexOf("<binary");
        const int binaryEnd = early.indexOf("</binary>") + 9;
        const QByteArray element = early.mid(binary, binaryEnd - binary);
        early.remove(binary, binaryEnd - binary);
        early.insert(early.indexOf("<body"), element);
        QTest::newRow("cover before the bodies") << early << true;

        QTest::newRow("similar ids before it") << book("cover.png")
                                                      .image("cover.png.bak", Fb2Builder::makeImage(10, 10))
                                                      .image("xcover.png", Fb2Builder::makeImage(12, 12))
                                                      .image("cover.png", cover)
                                                      .build()
                                               << true;
        QByteArray quoted = book("cover.png").image("cover.png", cover).build();
        quoted.replace("id=\"cover.png\"", "id = 'cover.png'");
        QTest::newRow("single quotes and spaces") << quoted << true;

        const QString cyrillic = QString::fromUtf8("обложка.png");
        QTest::newRow("windows-1251 with a Cyrillic id") << Fb2Builder()
                                                                .encoding("windows-1251")
                                                                .title(kRussianTitle)
                                                                .cover(cyrillic)
                                                                .body(body)
                                                                .image(cyrillic, cover)
                                                                .build()
                                                         << true;
        QTest::newRow("UTF-16") << book("cover.png").encoding("UTF-16").image("cover.png", cover).build()
                                << true;
        QTest::newRow("byte-order mark") << book("cover.png").bom().image("cover.png", cover).build() << true;
        QTest::newRow("id written with an entity")
            << book("a&amp;b").image("x", Fb2Builder::makeImage(10, 10)).image("a&amp;b", cover).build()
            << true;

        QByteArray empty = book("cover.png").build();
        empty.insert(empty.lastIndexOf("</FictionBook>"),
                     "<binary id=\"cover.png\" content-type=\"image/png\"/>");
        QTest::newRow("empty binary element") << empty << false;
        QTest::newRow("no binary for the cover") << book("cover.png").build() << false;
        QTest::newRow("no cover page") << Fb2Builder().body(body).image("cover.png", cover).build() << false;
    }

    void metadataPathMatchesFullParse()
    {
        QFETCH(QByteArray, data);
        QFETCH(bool, hasCover);
        fb2::FbParser full;
        QVERIFY2(full.parseData(data, false), qPrintable(full.errorString()));
        fb2::FbParser meta;
        QVERIFY2(meta.parseData(data, true), qPrintable(meta.errorString()));
        QCOMPARE(meta.book().title(), full.book().title());
        QCOMPARE(meta.book().authors(), full.book().authors());
        QCOMPARE(meta.book().metadata(), full.book().metadata());
        QCOMPARE(meta.book().cover().isNull(), !hasCover);
        QCOMPARE(meta.book().cover(), full.book().cover());

        // The bytes kept for the add path decode to the same image.
        fb2::FbParser bytes;
        bytes.setCoverAsData(true);
        QVERIFY(bytes.parseData(data, true));
        QVERIFY(bytes.book().images.isEmpty());
        QCOMPARE(QImage::fromData(bytes.book().coverData), full.book().cover());
    }

    // Top-level sections are parsed side by side; whatever the markup around
    // and inside them, the book must come out as the one-piece parse gives it.
    void piecesParseLikeTheWhole_data()
    {
        QTest::addColumn<QString>("body");
        QTest::addColumn<bool>("parses");

        QTest::newRow("plain chapters") << twoChapters() << true;
        QTest::newRow("nested sections, poem, table, epigraph")
            << QStringLiteral("<title><p>Book</p></title><epigraph><p>Said once.</p></epigraph>"
                              "<section id=\"s1\"><title><p>One</p></title><section><title><p>1.1</p></title>"
                              "<p>In <emphasis>a</emphasis> <strong>b</strong> c.</p></section>"
                              "<poem><stanza><v>Line</v><v>Line two</v></stanza></poem>"
                              "<table><tr><td>x</td><th>y</th></tr></table></section>"
                              "<section><p>Two</p><image l:href=\"#pic\"/><empty-line/></section>")
            << true;
        QTest::newRow("markup that looks like sections")
            << QStringLiteral("<!-- <section> in a comment --><section><p>a &lt;section&gt; b</p>"
                              "<p><![CDATA[<section>]]></p><?pi <section> ?></section>"
                              "<section id=\"q\" name='x > y'><p>quoted &gt; in a value</p></section>")
            << true;
        QTest::newRow("an empty top-level section")
            << QStringLiteral("<section/><section><p>After.</p></section>") << true;
        QTest::newRow("text and line ends between sections")
            << QStringLiteral("\r\n<section>\r\n<p>One\r\nline</p>\r\n</section>\r\n"
                              "<section><p>Two</p></section>\r\n")
            << true;
        QTest::newRow("a section left open") << QStringLiteral("<section><p>One</p>") << false;
        QTest::newRow("a stray end tag in a section")
            << QStringLiteral("<section><p>One</p></b></section>") << false;
        QTest::newRow("an unclosed comment") << QStringLiteral("<section><p>One</p><!-- </section>") << false;
    }

    void piecesParseLikeTheWhole()
    {
        QFETCH(QString, body);
        QFETCH(bool, parses);
        const QByteArray data = Fb2Builder()
                                    .title("Pieces")
                                    .cover("pic")
                                    .body(body)
                                    .body("<section id=\"n1\"><p>Note.</p></section>", "notes")
                                    .image("pic", Fb2Builder::makeImage(40, 30))
                                    .image("other", Fb2Builder::makeImage(8, 8))
                                    .build();

        fb2::FbParser pieces;
        fb2::FbParser whole;
        whole.setParseInPieces(false);
        QCOMPARE(pieces.parseData(data), parses);
        QCOMPARE(whole.parseData(data), parses);
        QCOMPARE(pieces.errorString(), whole.errorString());
        if (!parses)
            return;
        fb2::Book a = pieces.takeBook();
        fb2::Book b = whole.takeBook();
        QCOMPARE(a.title(), b.title());
        QCOMPARE(a.images.keys(), b.images.keys());
        QCOMPARE(a.bodies.size(), 2);
        QCOMPARE(a.bodies.size(), b.bodies.size());
        // Anchors without an id in the book are fresh on every conversion.
        static const QRegularExpression fresh(QStringLiteral("\\{[0-9a-f-]{36}\\}"));
        const QStringList chunksA = fb2::FbConverter::toChunks(a);
        const QStringList chunksB = fb2::FbConverter::toChunks(b);
        QCOMPARE(chunksA.size(), chunksB.size());
        for (int i = 0; i < chunksA.size(); ++i) {
            // XML says line ends read as "\n"; the one-piece reader keeps
            // the "\r", which the text engine treats as the same space.
            QString x = chunksA.at(i);
            x.replace(fresh, "{}");
            QString y = chunksB.at(i);
            y.replace(fresh, "{}").remove(QLatin1Char('\r'));
            QCOMPARE(x, y);
        }
    }

    void outlineGivesUpOnWhatItDoesNotKnow_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("sections");
        const QString head = QStringLiteral("<?xml version=\"1.0\"?><FictionBook><description/>");
        QTest::newRow("two bodies") << head + "<body><section/><section><p/></section></body>"
                                              "<body><section></section></body></FictionBook>"
                                    << true << 3;
        QTest::newRow("sections outside a body are not top-level")
            << head + "<body><section><section/></section></body><binary id=\"a\"/><section/></FictionBook>"
            << true << 1;
        QTest::newRow("document type")
            << "<!DOCTYPE FictionBook>" + head + "<body/></FictionBook>" << false << 0;
        QTest::newRow("too deep") << head + "<body>" + QString("<section>").repeated(300) +
                                         QString("</section>").repeated(300) + "</body></FictionBook>"
                                  << false << 0;
        QTest::newRow("unbalanced") << head + "<body></body></body></FictionBook>" << false << 0;
        QTest::newRow("cut in a tag") << head + "<body><section id=\"a" << false << 0;
    }

    void outlineGivesUpOnWhatItDoesNotKnow()
    {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(int, sections);
        const fb2::FbOutline outline = fb2::FbOutline::scan(text, 256);
        QCOMPARE(outline.ok, ok);
        QCOMPARE(outline.sections.size(), sections);
        if (ok) {
            // The skeleton keeps everything but the sections' insides.
            QDomDocument skeleton;
            QVERIFY(skeleton.setContent(outline.skeleton(text)));
            QCOMPARE(skeleton.elementsByTagName("section").size(),
                     text.count("<section") - text.count("<section><section"));
        }
    }

    void metadataAndCover()
    {
        const QByteArray data = Fb2Builder()
                                    .author("Ann", "Writer")
                                    .author("Bob", "Second")
                                    .cover("cover.png")
                                    .body("<section><p>broken <i>body</section>")
                                    .image("cover.png", Fb2Builder::makeImage(120, 180))
                                    .image("other", Fb2Builder::makeImage(10, 10))
                                    .build();
        fb2::FbParser parser;
        QVERIFY(parser.parseData(data, true));
        const fb2::Book& b = parser.book();
        QCOMPARE(b.authors(), QString("Ann Writer, Bob Second"));
        QCOMPARE(b.cover().size(), QSize(120, 180));
        QVERIFY(!b.images.contains("other")); // only the cover is decoded
        QVERIFY(b.bodies.isEmpty());
        const QMap<int, QString> meta = b.metadata();
        QCOMPARE(meta.value(0), QString("doc-1"));
        QCOMPARE(meta.value(1), QString("Test Book"));
        QCOMPARE(meta.value(2), QString("Ann Writer Bob Second"));
        QCOMPARE(meta.value(5), QString("Press"));
        QCOMPARE(meta.value(7), QString("prose"));
        QCOMPARE(meta.value(10), QString("en"));
        QVERIFY(!meta.contains(6)); // empty values are not stored
    }

    void imageScaling_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QSize>("shown");
        QTest::newRow("wide") << QSize(800, 200) << QSize(350, 88);
        QTest::newRow("tall") << QSize(100, 1400) << QSize(25, 350);
        QTest::newRow("limit") << QSize(350, 350) << QSize(350, 350);
        QTest::newRow("small") << QSize(20, 30) << QSize(20, 30);
        QTest::newRow("one over") << QSize(351, 10) << QSize(350, 10);
    }
    void imageScaling()
    {
        QFETCH(QSize, size);
        QFETCH(QSize, shown);
        const QString path = Fb2Builder()
                                 .cover("cover")
                                 .body("<section><p>Text</p><image xlink:href=\"#pic\"/></section>")
                                 .image("pic", Fb2Builder::makeImage(size.width(), size.height()))
                                 .image("cover", Fb2Builder::makeImage(10, 10))
                                 .write(m_dir.path(), "img.fb2");
        OpenFbDocument doc(path);
        doc.load();
        QCOMPARE(doc.imageSize("pic"), size);
        QCOMPARE(doc.imageSize("nope"), QSize(-1, -1));
        QCOMPARE(doc.loadResource(QTextDocument::ImageResource, QUrl("pic")).value<QImage>().size(), shown);
        QVERIFY(!doc.loadResource(QTextDocument::ImageResource, QUrl("nope")).isValid());
        QVERIFY(!doc.loadResource(QTextDocument::StyleSheetResource, QUrl("pic")).isValid());
        QVERIFY(!doc.loadResource(QTextDocument::ImageResource, QUrl("/etc/hostname")).isValid());
        // The "xlink:href" image made it into the text; the cover leads.
        const auto whole = doc.wholeDocument();
        QVERIFY(whole->toHtml().contains("src=\"pic\""));
        QCOMPARE(whole->begin().text(), QString(QChar::ObjectReplacementCharacter));
    }

    void imageHref_data()
    {
        QTest::addColumn<QString>("element");
        QTest::addColumn<QString>("id");
        QTest::newRow("l:href") << "<image l:href=\"#a\"/>"
                                << "a";
        QTest::newRow("xlink") << "<image xlink:href=\"#pic1\"/>"
                               << "pic1";
        QTest::newRow("no hash") << "<image href=\"b.png\"/>"
                                 << "b.png";
        QTest::newRow("none") << "<image alt=\"x\"/>"
                              << "";
    }
    void imageHref()
    {
        QFETCH(QString, element);
        QFETCH(QString, id);
        QDomDocument dom;
        QVERIFY(dom.setContent(element, false));
        QCOMPARE(fb2::FbParser::imageHref(dom.documentElement()), id);
    }

    void titlesInTheContentsAreText_data()
    {
        QTest::addColumn<QString>("html");
        QTest::addColumn<QString>("text");
        QTest::newRow("two lines") << "<p>Part <b>One</b></p><p>The Start</p>"
                                   << "Part One The Start";
        QTest::newRow("note reference") << "<p>Epigraph.<sup>[18]</sup></p>"
                                        << "Epigraph.[18]";
        QTest::newRow("link") << "<p>Text<a href=\"#n1\">1</a></p>"
                              << "Text1";
        QTest::newRow("picture") << "<p><img src=\"title.png\" /> Pictures</p>"
                                 << "Pictures";
        QTest::newRow("escaped brackets stay") << "<p>a &lt;b&gt; &amp; c</p>"
                                               << "a <b> & c";
    }

    void titlesInTheContentsAreText()
    {
        QFETCH(QString, html);
        QFETCH(QString, text);
        QCOMPARE(fb2::FbConverter::stripTitle(html), text);
    }

    void tocAndChapters()
    {
        const QString path =
            Fb2Builder()
                .body("<title><p>Part <emphasis>One</emphasis></p><p>The Start</p></title>" + twoChapters())
                .body(Fb2Builder::section("", {"Untitled text."}) +
                      "<section><title><p>Inner &amp; deep</p></title><p>Deep.</p>" +
                      Fb2Builder::section("Deeper", {"Deepest text."}) + "</section>")
                .body(Fb2Builder::section("Note 1", {"A note."}), "notes")
                .write(m_dir.path(), "toc.fb2");
        fb2::FbDocument doc(path);
        doc.load();
        doc.setViewPortSize(QSize(300, 300));
        const QList<TocPoint> toc = doc.toc();
        QCOMPARE(toc.size(), 3);
        QCOMPARE(toc.at(0).title, QString("Part One The Start"));
        QCOMPARE(toc.at(1).title, QString("Partition 2"));
        QCOMPARE(toc.at(2).title, QString("Partition 3"));
        QCOMPARE(toc.at(0).children.size(), 2);
        QCOMPARE(toc.at(0).children.at(0).title, QString("Chapter One"));
        // Sections without ids still lead to their heading.
        const auto whole = doc.wholeDocument();
        for (const TocPoint& chapter : toc.at(0).children) {
            QCOMPARE(whole->findBlock(chapter.position).text(), chapter.title);
            QCOMPARE(chapter.page, doc.calcPageByPosition(chapter.position));
        }
        // The untitled section is not listed; its titled subsection is.
        QCOMPARE(toc.at(1).children.size(), 1);
        QCOMPARE(toc.at(1).children.at(0).title, QString("Inner & deep"));
        QCOMPARE(toc.at(1).children.at(0).children.at(0).title, QString("Deeper"));
        QVERIFY(toc.at(0).position < toc.at(1).position);
        QVERIFY(toc.at(1).position < toc.at(2).position);
        QVERIFY(whole->findBlock(toc.at(1).position).text().isEmpty() ||
                whole->findBlock(toc.at(1).position).text().startsWith("Untitled"));

        QCOMPARE(doc.chapterTitle(0), toc.at(0).title);
        QCOMPARE(doc.chapterTitle(toc.at(1).position), toc.at(1).title);
        QCOMPARE(doc.chapterTitle(toc.at(1).position - 1), toc.at(0).title);
        QCOMPARE(doc.chapterTitle(doc.textLength() - 1), toc.at(2).title);

        // Nested sections appear once each, in document order.
        const QString text = doc.plainText();
        QCOMPARE(text.count("Deepest text."), 1);
        QVERIFY(text.indexOf("Deep.") < text.indexOf("Deeper"));

        // Search results carry the chapter title.
        const QList<SearchResult> hits = doc.search("Deepest");
        QCOMPARE(hits.size(), 1);
        QCOMPARE(hits.at(0).title, QString("Partition 2"));

        // rebuild() converts again with the same anchors.
        doc.rebuild();
        QCOMPARE(doc.toc().at(0).children.at(1).position, toc.at(0).children.at(1).position);
    }

    void bookTextIsText()
    {
        const QString path =
            Fb2Builder()
                .title("A <b> & C")
                .body("<section><title><p>1 &lt; 2</p></title><p>x &lt;img src=&quot;y&quot;&gt; "
                      "&amp;amp; <strong>bold</strong></p><cite><p>c</p><empty-line/>"
                      "<p>d</p></cite><poem><stanza><v>one</v><v>two</v></stanza></poem></section>")
                .write(m_dir.path(), "esc.fb2");
        fb2::FbDocument doc(path);
        doc.load();
        QCOMPARE(doc.book().title(), QString("A <b> & C"));
        const QString text = doc.plainText();
        QVERIFY(text.contains("x <img src=\"y\"> &amp; bold"));
        QVERIFY(text.contains("one\ntwo"));
        QCOMPARE(doc.toc().at(0).children.at(0).title, QString("1 < 2"));
    }

    // A large book shows its opening at once and gets the rest from the
    // background: the same pages and places as loading it whole, the place
    // on screen kept when the rest arrives, a place beyond the opening
    // reached once it is there.
    void largeBookOpensInStages()
    {
        const QString path = longBook(m_dir.path(), "long.fb2", 120);
        fb2::FbDocument whole(path);
        whole.load();
        whole.setViewPortSize(QSize(400, 500));

        fb2::FbDocument staged(path);
        staged.setLoadsInStages(true, 0);
        staged.setWaitsInBackground(true);
        staged.load();
        // The opening reads its pictures from the end of the file.
        QVERIFY(staged.isOpening());
        QCOMPARE(staged.imageSize("cover.png"), whole.imageSize("cover.png"));
        QVERIFY(staged.imageSize("cover.png").isValid());
        checkOpeningThenWhole(staged, whole);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(staged.toc().at(0).children.at(100).position, whole.toc().at(0).children.at(100).position);
        // A place deep in the book, asked for while only the opening is there.
        checkPlaceBeyondOpening<fb2::FbDocument>(path, whole,
                                                 whole.toc().at(0).children.at(100).position + 40);
    }

    // A book shorter than an opening is not cut at all: its opening is read
    // from the whole file, pictures and all.
    void shortBookOpensWhole()
    {
        const QString path = longBook(m_dir.path(), "short.fb2", 20);
        fb2::FbDocument whole(path);
        whole.load();
        fb2::FbDocument staged(path);
        staged.setLoadsInStages(true, 0);
        staged.load();
        QVERIFY(staged.isOpening());
        QCOMPARE(staged.unitCount(), whole.unitCount());
        QVERIFY(staged.imageSize("cover.png").isValid());
        QVERIFY(waitForWholeText(staged));
        QCOMPARE(staged.plainText(), whole.plainText());
    }

    // The rest of a book shown from its opening may be damaged: the reader
    // is told as when the whole book fails, and nothing of it stays. A
    // document closed while its rest loads goes quietly.
    void laterStageFailsOrIsLeft()
    {
        const QString path = longBook(m_dir.path(), "broken-late.fb2", 120, 110);
        fb2::FbDocument whole(path);
        whole.load();
        QVERIFY(!whole.errorString().isEmpty());

        fb2::FbDocument staged(path);
        staged.setLoadsInStages(true, 0);
        QSignalSpy failed(&staged, &TextDocument::loadFailed);
        staged.load();
        QVERIFY(staged.isOpening());
        QVERIFY(staged.pageCount() > 0);
        staged.setViewPortSize(QSize(400, 500));
        QVERIFY(failed.count() == 1 || failed.wait(30000));
        QCOMPARE(staged.errorString(), whole.errorString());
        QCOMPARE(staged.pageCount(), 0);
        QVERIFY(!staged.isOpening());

        auto* left = new fb2::FbDocument(longBook(m_dir.path(), "left.fb2", 120));
        left->setLoadsInStages(true, 0);
        left->load();
        delete left;
        QTest::qWait(300);
    }

    void samplesSmoke()
    {
        QStringList files;
        for (const QString& folder : sampleFolders()) {
            if (QDir(folder).exists()) {
                for (const QString& name : QDir(folder).entryList({"*.fb2"}, QDir::Files))
                    files << QDir(folder).filePath(name);
                break;
            }
        }
        if (files.isEmpty())
            QSKIP("samples folder not found");
        for (const QString& path : files) {
            fb2::FbParser meta;
            QVERIFY2(meta.parse(path, true), qPrintable(path));
            QVERIFY2(!meta.book().title().isEmpty(), qPrintable(path));
            fb2::FbDocument doc(path);
            doc.load();
            QVERIFY2(doc.parsed(), qPrintable(path));
            doc.setPageSize(QSizeF(300, 400));
            doc.setViewPortSize(QSize(600, 800));
            doc.setPage(1);
            QTRY_VERIFY_WITH_TIMEOUT(doc.isPageCountExact(), 20000);
            const int pages = doc.pageCount();
            QVERIFY2(pages > 1, qPrintable(path));
            doc.setPageSize(doc.pageSize() + QSizeF(0.01, 0)); // a fresh layout agrees
            QTRY_VERIFY_WITH_TIMEOUT(doc.isPageCountExact(), 20000);
            QCOMPARE(doc.pageCount(), pages);
            QVERIFY2(!doc.toc().isEmpty(), qPrintable(path));
            if (!meta.book().description.titleInfo.coverpage.isEmpty())
                QVERIFY2(!meta.book().cover().isNull(), qPrintable(path));
        }
    }

private:
    TestHome m_home;
    QTemporaryDir m_dir;
};

QTEST_MAIN(TestFbDocument)
#include "TestFbDocument.moc"
