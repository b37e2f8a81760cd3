#include "AddBooksWorker.h"
#include "BookError.h"
#include "BookFormat.h"
#include "BookProvider.h"
#include "Paths.h"
#include "mobi/MobiConverter.h"
#include "mobi/MobiDocument.h"
#include "mobi/MobiReader.h"
#include "util/MobiBuilder.h"
#include "util/StagedLoad.h"
#include "util/TestHome.h"

#include <QDir>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QtTest>

#include <memory>

using mobi::MobiDocument;

namespace {

/// MobiDocument with its resource loader reachable from the test.
class OpenMobiDocument : public MobiDocument
{
public:
    using MobiDocument::loadResource;
    using MobiDocument::MobiDocument;
};

QByteArray page(const QByteArray& body)
{
    return "<html><head><guide><reference type=\"toc\" filepos=0000000001 /></guide></head><body>" + body +
           "</body></html>";
}

// Every anchor name of the laid-out document.
QSet<QString> anchorNames(const QTextDocument& doc)
{
    QSet<QString> names;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        for (const QString& n : b.charFormat().anchorNames())
            names << n;
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            for (const QString& n : it.fragment().charFormat().anchorNames())
                names << n;
        }
    }
    return names;
}

// Every internal link target ("#name") of the document.
QStringList internalLinks(const QTextDocument& doc)
{
    QStringList links;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QString href = it.fragment().charFormat().anchorHref();
            if (href.startsWith(QLatin1Char('#')))
                links << href.mid(1);
        }
    }
    return links;
}

// Laid out one by one, the chapters hold as many characters as the whole
// text: positions stay the same when a layout goes chapter by chapter.
int chapterCharacters(const QStringList& chapters)
{
    int sum = 0;
    for (const QString& chapter : chapters) {
        QTextDocument doc;
        doc.setHtml(chapter);
        sum += doc.characterCount();
    }
    return sum;
}

int textPosition(const TextDocument& doc, const QString& text)
{
    return doc.plainText().indexOf(text);
}

QString samplesFolder()
{
    const QString dir = QStringLiteral(LANTERNLEAF_SAMPLES_DIR);
    return QFileInfo(dir + "/mobi").isDir() ? dir : QString();
}

// A book of `count` chapters of a few kilobytes, page breaks between them,
// an empty one (nothing to show, but markup) before every seventh,
// multi-byte text, a link from every chapter to the next and a contents
// entry for each. `kf8`: a KF8-only book, one file (one fragment) per
// chapter and per empty one.
MobiBuilder stagedBook(int count, bool kf8)
{
    const auto chapterText = [](int i) {
        QByteArray text = "<h2>Chapter " + QByteArray::number(i) + "</h2>";
        for (int p = 0; p < 12; ++p)
            text += "<p>Paragraph " + QByteArray::number(p) + " of chapter " + QByteArray::number(i) +
                    ": \xc3\x87"
                    "a, \xe2\x80\x94 \xc3\xbc and some words to make a line or two of it.</p>";
        return text;
    };
    QList<MobiBuilder::NcxEntry> ncx;
    if (kf8) {
        QList<MobiBuilder::Kf8File> files;
        const MobiBuilder::Kf8File empty{
            "<html><head><title>t</title></head><body>", "</body></html>", {"<p>&nbsp;</p>"}};
        int fid = 0;
        for (int i = 0; i < count; ++i) {
            if (i > 0 && i % 7 == 0) {
                files.append(empty);
                ++fid;
            }
            QByteArray body = chapterText(i);
            const int next = fid + ((i + 1) % 7 == 0 ? 2 : 1);
            if (i + 1 < count)
                body += "<p><a href=\"kindle:pos:fid:" +
                        QByteArray::number(next, 32).toUpper().rightJustified(4, '0') +
                        ":off:0000000000\">next</a></p>";
            files.append({"<html><head><title>t</title></head><body>", "</body></html>", {body}});
            ncx.append({"Chapter " + QByteArray::number(i), 0, -1, fid, 0});
            ++fid;
        }
        MobiBuilder builder;
        builder.kf8Files(files).ncx(ncx);
        return builder;
    }
    // Links and contents entries hold byte positions: chapters are placed
    // first, with links of a fixed width, then the links are filled in.
    QByteArray body;
    QList<qint64> starts;
    const QByteArray head = page("").left(page("").indexOf("</body>"));
    for (int i = 0; i < count; ++i) {
        if (i > 0)
            body += i % 7 == 0 ? "<mbp:pagebreak/><p>&nbsp;</p><mbp:pagebreak/>" : "<mbp:pagebreak/>";
        starts << head.size() + body.size();
        body += chapterText(i) + "<p><a filepos=@@@@@@@@@@>next</a></p>";
    }
    starts << head.size() + body.size();
    for (int i = 0; i < count; ++i) {
        body.replace(body.indexOf("@@@@@@@@@@"), 10,
                     QByteArray::number(starts.at(i + 1)).rightJustified(10, '0'));
        ncx.append({"Chapter " + QByteArray::number(i), starts.at(i)});
    }
    MobiBuilder builder;
    builder.text(page(body)).ncx(ncx);
    return builder;
}

// Chapters with the links taken out: the opening of a KF8 book knows only its
// own fragments, so its links to later ones lead nowhere until the rest is there.
QStringList withoutLinks(QStringList chapters)
{
    static const QRegularExpression href(QStringLiteral(" href=\"#[0-9]+\""));
    for (QString& chapter : chapters)
        chapter.remove(href);
    return chapters;
}

} // namespace

class TestMobiDocument : public QObject
{
    Q_OBJECT
private slots:
    void init() { m_dir.reset(new QTemporaryDir); }

    void fileposLinksLandOnTheirCharacter_data()
    {
        QTest::addColumn<quint32>("codepage");
        QTest::addColumn<int>("compression");
        QTest::newRow("UTF-8, PalmDOC") << 65001u << 2;
        QTest::newRow("UTF-8, HUFF/CDIC") << 65001u << 17480;
        QTest::newRow("cp1252, none") << 1252u << 1;
    }
    void fileposLinksLandOnTheirCharacter()
    {
        QFETCH(quint32, codepage);
        QFETCH(int, compression);
        // Many multi-byte characters before the target: a byte offset taken
        // as a character index would land far past it.
        const QString filler =
            codepage == 65001 ? QStringLiteral("Жёлтый ёж — «ёлка» ") : QStringLiteral("Café “crème” ");
        QString body = QStringLiteral("<p><a filepos=%1>Go to target</a></p>");
        for (int i = 0; i < 60; ++i)
            body += QStringLiteral("<p>%1 %2</p>").arg(filler).arg(i);
        body += QStringLiteral("<p class=\"target\">Target paragraph</p><p>After</p>");
        const QByteArray codec = codepage == 65001 ? "UTF-8" : "windows-1252";
        QByteArray bytes = page(QTextCodec::codecForName(codec)->fromUnicode(body));
        const int target = bytes.indexOf("<p class=\"target\">");
        bytes.replace("%1", QByteArray::number(target).rightJustified(10, '0'));
        // the replacement is 8 bytes longer than "%1": the target moved
        const int moved = bytes.indexOf("<p class=\"target\">");
        bytes.replace(QByteArray::number(target).rightJustified(10, '0'),
                      QByteArray::number(moved).rightJustified(10, '0'));
        QCOMPARE(bytes.indexOf("<p class=\"target\">"), moved);

        const QString path = MobiBuilder()
                                 .text(bytes)
                                 .encoding(codepage)
                                 .compression(compression)
                                 .extraFlags(3)
                                 .recordSize(97)
                                 .write(m_dir->path(), "links.mobi");
        MobiDocument doc(path);
        doc.load();
        QVERIFY(doc.errorString().isEmpty());
        const QStringList links = internalLinks(*doc.wholeDocument());
        QCOMPARE(links, QStringList{QString::number(moved)});
        QCOMPARE(doc.positionOfAnchor(links.first()), textPosition(doc, "Target paragraph"));
        QVERIFY(doc.plainText().contains(filler.trimmed()));
    }

    void anchorInsideATagGoesBeforeIt()
    {
        QByteArray bytes =
            page("<p>Start <a filepos=XXXXXXXXXX>link</a></p><p class=\"c\" align=\"left\">Here</p>");
        const int inside = bytes.indexOf("align=");
        bytes.replace("XXXXXXXXXX", QByteArray::number(inside).rightJustified(10, '0'));
        mobi::MobiContent content;
        content.codec = "UTF-8";
        content.parts.append({bytes, 0});
        mobi::MobiConverter converter;
        converter.convert(content);
        const QString html = converter.chapters().join(QString());
        QVERIFY2(html.contains(QStringLiteral("<a name=\"%1\"></a><p class=\"c\"").arg(inside)),
                 qPrintable(html));
        QVERIFY(html.contains(QStringLiteral("<a href=\"#%1\">link</a>").arg(inside)));
        // Never in the middle of a UTF-8 character either.
        const QByteArray utf8 = "<p>\xc3\xa9t\xc3\xa9</p>";
        QCOMPARE(mobi::MobiConverter::insertAnchors(utf8, {4}, 0, true),
                 QByteArray("<p><a name=\"4\"></a>\xc3\xa9t\xc3\xa9</p>"));
        QCOMPARE(mobi::MobiConverter::insertAnchors(utf8, {7}, 0, true),
                 QByteArray("<p>\xc3\xa9t<a name=\"7\"></a>\xc3\xa9</p>"));
        QCOMPARE(mobi::MobiConverter::insertAnchors(utf8, {6}, 0, true),
                 QByteArray("<p>\xc3\xa9t<a name=\"6\"></a>\xc3\xa9</p>"));
    }

    void pageBreaksMakeChapters()
    {
        const QByteArray book = page("<p>One</p><mbp:pagebreak/><p>Two</p><mbp:pagebreak></mbp:pagebreak>"
                                     "<p>Three</p><MBP:PAGEBREAK /><mbp:pagebreak/>");
        MobiDocument doc(MobiBuilder().text(book).write(m_dir->path(), "breaks.mobi"));
        doc.load();
        QCOMPARE(doc.chapters().size(), 3);
        QVERIFY(doc.chapters()[0].contains("One") && doc.chapters()[2].contains("Three"));
        QCOMPARE(chapterCharacters(doc.chapters()), doc.textLength());
        doc.setViewPortSize(QSize(400, 600));
        QTRY_VERIFY(doc.isPageCountExact());
        QCOMPARE(doc.pageCount(), 3);
        QCOMPARE(doc.calcPageByPosition(textPosition(doc, "One")), 1);
        QCOMPARE(doc.calcPageByPosition(textPosition(doc, "Two")), 2);
        QCOMPARE(doc.calcPageByPosition(textPosition(doc, "Three")), 3);
        QVERIFY(doc.wholeDocument()->findBlock(textPosition(doc, "Two")).blockFormat().pageBreakPolicy() &
                QTextFormat::PageBreak_AlwaysBefore);
    }

    void headingsMakeTheTableOfContents()
    {
        QByteArray body;
        for (const char* h : {"<h2 class='x'>Part &amp; <i>Parcel</i></h2>", "<h1>Alpha</h1>",
                              "<h5>Too deep</h5>", "<h3><a name=x></a></h3>", "<h4\n>Last\nof all</h4>"}) {
            body += h;
            body += QByteArray("<p>text</p>").repeated(40) + "<mbp:pagebreak/>";
        }
        MobiDocument doc(MobiBuilder().text(page(body)).write(m_dir->path(), "headings.mobi"));
        doc.load();
        doc.setViewPortSize(QSize(300, 400));
        const QList<TocPoint> toc = doc.toc();
        QStringList titles;
        for (const TocPoint& p : toc)
            titles << p.title;
        QCOMPARE(titles, (QStringList{"Part & Parcel", "Alpha", "Last of all"}));
        QCOMPARE(toc[0].position, textPosition(doc, "Part & Parcel"));
        QCOMPARE(toc[1].position, textPosition(doc, "Alpha"));
        QVERIFY(toc[0].page < toc[1].page && toc[1].page < toc[2].page);
        QCOMPARE(doc.chapterTitle(textPosition(doc, "Too deep")), QString("Alpha"));
        QCOMPARE(doc.chapterTitle(0), QString("Part & Parcel"));
        QCOMPARE(doc.chapterTitle(doc.textLength()), QString("Last of all"));
    }

    void bookTableOfContentsIsUsedWithItsLevels()
    {
        QByteArray body = "<p>Intro</p><mbp:pagebreak/>";
        QList<qint64> at;
        for (const char* part : {"Part one", "Chapter 1", "Chapter 2", "Part two"}) {
            at << page(body).indexOf("</body>");
            body += "<p>" + QByteArray(part) + " starts</p>" + QByteArray("<p>text</p>").repeated(30) +
                    "<mbp:pagebreak/>";
        }
        MobiDocument doc(MobiBuilder()
                             .text(page(body))
                             .ncx({{"Part one", at[0]},
                                   {"Chapter 1", at[1], 0},
                                   {"Chapter 2", at[2], 0},
                                   {"Part two", at[3]},
                                   {"Nowhere", 1 << 30}})
                             .write(m_dir->path(), "ncx.mobi"));
        doc.load();
        doc.setViewPortSize(QSize(300, 400));
        const QList<TocPoint> toc = doc.toc();
        QCOMPARE(toc.size(), 2);
        QCOMPARE(toc[0].title, QString("Part one"));
        QCOMPARE(toc[0].position, textPosition(doc, "Part one starts"));
        QCOMPARE(toc[0].children.size(), 2);
        QCOMPARE(toc[0].children[1].title, QString("Chapter 2"));
        QCOMPARE(toc[0].children[1].position, textPosition(doc, "Chapter 2 starts"));
        QVERIFY(toc[0].children[1].page > toc[0].page);
        QCOMPARE(toc[1].title, QString("Part two"));
        QCOMPARE(doc.chapterTitle(textPosition(doc, "Chapter 2 starts") + 40), QString("Chapter 2"));
    }

    void imagesByRecordIndex()
    {
        const QByteArray body =
            "<p>a<img recindex=\"00003\" align=\"baseline\" height=\"10\" width=\"10\">b</p>"
            "<p><img hirecindex=\"00009\" recindex='00001'></p>";
        OpenMobiDocument doc(MobiBuilder()
                                 .text(page(body))
                                 .image(MobiBuilder::makeImage(20, 20, Qt::red))
                                 .image(MobiBuilder::makeImage(20, 20, Qt::green))
                                 .image(MobiBuilder::makeImage(700, 1400, Qt::blue))
                                 .write(m_dir->path(), "images.mobi"));
        doc.load();
        QVERIFY(doc.chapters().first().contains("<center><img src=\"pdbrec:/3\"></center>"));
        const QImage third =
            doc.loadResource(QTextDocument::ImageResource, QUrl("pdbrec:/00003")).value<QImage>();
        QCOMPARE(third.size(), QSize(175, 350));
        QCOMPARE(third.pixelColor(150, 300), QColor(Qt::blue));
        QCOMPARE(doc.imageSize("pdbrec:/3"), QSize(175, 350));
        QCOMPARE(doc.imageSize("1"), QSize(20, 20));
        QVERIFY(doc.loadResource(QTextDocument::ImageResource, QUrl("pdbrec:/4")).isNull());
        QVERIFY(doc.loadResource(QTextDocument::ImageResource, QUrl("pdbrec:/x")).isNull());
        QVERIFY(doc.loadResource(QTextDocument::ImageResource, QUrl("file:///etc/passwd")).isNull());
        QVERIFY(doc.loadResource(QTextDocument::StyleSheetResource, QUrl("pdbrec:/1")).isNull());
        QCOMPARE(doc.imageSize("pdbrec:/0"), QSize(-1, -1));
    }

    void plainPalmDocBookIsText()
    {
        MobiDocument doc(MobiBuilder()
                             .plainPalmDoc()
                             .title("Notes")
                             .text("First <b>line</b> & more\r\nSecond\n\nCaf\xe9")
                             .write(m_dir->path(), "notes.pdb.prc"));
        doc.load();
        QCOMPARE(doc.plainText(), QString::fromUtf8("First <b>line</b> & more\nSecond\nCafé"));
        QVERIFY(doc.toc().isEmpty());
    }

    void cp1252Book()
    {
        MobiDocument doc(MobiBuilder()
                             .encoding(1252)
                             .text(page("<h1>\x93Quoted\x94 caf\xe9</h1><p>\x80 5, na\xefve</p>"))
                             .write(m_dir->path(), "cp1252.mobi"));
        doc.load();
        QCOMPARE(doc.plainText(), QString::fromUtf8("“Quoted” café\n€ 5, naïve"));
        QCOMPARE(doc.toc().value(0).title, QString::fromUtf8("“Quoted” café"));
    }

    void kf8Book()
    {
        const QList<MobiBuilder::Kf8File> files{
            {"<?xml version=\"1.0\"?><html><head><title>Cover</title>"
             "<link rel=\"stylesheet\" href=\"kindle:flow:0001?mime=text/css\"/></head><body aid=\"0\">",
             "</body></html>",
             {"<div><svg xmlns=\"http://www.w3.org/2000/svg\"><image "
              "xlink:href=\"kindle:embed:0002?mime=image/png\"/>"
              "</svg></div>",
              "<p><a href=\"kindle:pos:fid:0002:off:000000000A\">Jump</a> and "
              "<a href=\"http://example.com\">out</a></p>"}},
            {"<?xml version=\"1.0\"?><html><head><title>Second</title></head><body>",
             "</body></html>",
             {"<h1>Chapter</h1><p>0123456789Landing <img src=\"kindle:embed:0001\"/></p>"}},
        };
        OpenMobiDocument doc(MobiBuilder()
                                 .kf8Files(files, "p { color: red } /* style sheet text */")
                                 .recordSize(50)
                                 .extraFlags(3)
                                 .image(MobiBuilder::makeImage(30, 30, Qt::red))
                                 .image(MobiBuilder::makeImage(30, 30, Qt::green))
                                 .write(m_dir->path(), "kf8.azw3"));
        doc.load();
        QVERIFY(doc.errorString().isEmpty());
        const QString text = doc.plainText();
        for (const char* raw : {"<", "kindle:", "style sheet", "Cover", "Second"})
            QVERIFY2(!text.contains(QLatin1String(raw)), raw);
        QVERIFY(text.contains("Jump and out"));
        QCOMPARE(doc.chapters().size(), 2);
        QVERIFY(doc.chapters()[0].contains("pdbrec:/2"));
        QVERIFY(doc.chapters()[1].contains("pdbrec:/1"));
        QCOMPARE(doc.loadResource(QTextDocument::ImageResource, QUrl("pdbrec:/2"))
                     .value<QImage>()
                     .pixelColor(25, 25),
                 QColor(Qt::green));
        // kindle:pos:fid: fragment 2, offset 10 (base 32 "A") of its text.
        const QStringList links = internalLinks(*doc.wholeDocument());
        QCOMPARE(links.size(), 1);
        QVERIFY(anchorNames(*doc.wholeDocument()).contains(links.first()));
        // fragment 2 starts with "<h1>Chapter</h1>": offset 10 is its "r".
        QCOMPARE(doc.positionOfAnchor(links.first()), textPosition(doc, "Chapter") + 6);
        // No NCX: the headings make the table of contents.
        QCOMPARE(doc.toc().size(), 1);
        QCOMPARE(doc.toc()[0].title, QString("Chapter"));
        QCOMPARE(chapterCharacters(doc.chapters()), doc.textLength());
    }

    void failures_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QString>("reason");
        QTest::newRow("protected") << MobiBuilder().text(page("<p>secret</p>")).encryption(2).build()
                                   << "The book is protected.";
        QTest::newRow("not a book") << QByteArray(500, 'x') << "The file is damaged.";
        QTest::newRow("empty file") << QByteArray() << "The file is damaged.";
        QTest::newRow("no text") << MobiBuilder().text(QByteArray()).build() << "The file is damaged.";
    }
    void failures()
    {
        QFETCH(QByteArray, data);
        QFETCH(QString, reason);
        QFile file(m_dir->filePath("bad.mobi"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(data);
        file.close();
        MobiDocument doc(file.fileName());
        doc.load();
        QCOMPARE(doc.errorString(), reason);
        QCOMPARE(doc.pageCount(), 0);
        QVERIFY(doc.toc().isEmpty());
        doc.rebuild();
        QCOMPARE(doc.pageCount(), 0);
    }

    void missingFile()
    {
        MobiDocument doc(m_dir->filePath("gone.mobi"));
        doc.load();
        QCOMPARE(doc.errorString(), QString("The file does not exist."));
        QCOMPARE(doc.pageCount(), 0);
    }

    void rebuildKeepsTextAndContents()
    {
        MobiDocument doc(MobiBuilder()
                             .text(page("<h1>One</h1><p>x</p><mbp:pagebreak/><h1>Two</h1><p>y</p>"))
                             .write(m_dir->path(), "rebuild.mobi"));
        doc.load();
        const QString text = doc.plainText();
        QFile::remove(doc.path()); // a rebuild never reads the file again
        doc.rebuild();
        QCOMPARE(doc.plainText(), text);
        QCOMPARE(doc.toc().size(), 2);
        QCOMPARE(doc.toc()[1].position, textPosition(doc, "Two"));
    }

    // The opening of a large book ends where a chapter ends, and converted
    // alone it gives exactly the whole book's first chapters, wherever the
    // cut falls (after an empty chapter too), so the places it shows are the
    // whole book's.
    void openingIsTheBooksFirstChapters_data()
    {
        QTest::addColumn<bool>("kf8");
        QTest::newRow("mobi 6") << false;
        QTest::newRow("kf8") << true;
    }
    void openingIsTheBooksFirstChapters()
    {
        QFETCH(bool, kf8);
        MobiBuilder builder = stagedBook(40, kf8);
        // Small records, so that the cuts below fall in many places.
        const QByteArray data = builder.recordSize(512).build();
        mobi::MobiReader whole;
        QVERIFY(whole.openData(data));
        mobi::MobiConverter all;
        all.convert(whole.content());
        QVERIFY(all.chapters().size() >= 36);
        QCOMPARE(all.toc().size(), 40);
        int cuts = 0;
        for (qint64 bytes = 1024; bytes < 40 * 1024; bytes += 512) {
            mobi::MobiReader reader;
            QVERIFY(reader.openData(data));
            double share = 0;
            const mobi::MobiContent opening = reader.openingContent(bytes, &share);
            QVERIFY2(!opening.parts.isEmpty(), qPrintable(QString::number(bytes)));
            QVERIFY(share > 0 && share < 1);
            mobi::MobiConverter first;
            first.convert(opening, mobi::MobiConverter::Opening);
            const int n = first.chapters().size();
            QVERIFY(n >= 1 && n < all.chapters().size());
            QCOMPARE(withoutLinks(first.chapters()), withoutLinks(all.chapters().mid(0, n)));
            if (!kf8)
                QCOMPARE(first.chapters(), all.chapters().mid(0, n));
            // Its contents are the entries of its chapters.
            QCOMPARE(first.toc().size(), n);
            for (int i = 0; i < first.toc().size(); ++i)
                QCOMPARE(first.toc().at(i).anchor, all.toc().at(i).anchor);
            cuts = qMax(cuts, n);
        }
        QVERIFY(cuts > 5);

        // A book that fits in the opening, or has no chapter end in it, has none.
        mobi::MobiReader reader;
        QVERIFY(reader.openData(data));
        QVERIFY(reader.openingContent(4 * 1024 * 1024).parts.isEmpty());
        QVERIFY(reader.openData(
            MobiBuilder().text(page(QByteArray("<p>one long chapter</p>").repeated(4000))).build()));
        QVERIFY(reader.openingContent(8 * 1024).parts.isEmpty());
    }

    // In the viewer a large book shows its opening at once; the same pages
    // and places as the whole book, which follows from the background and
    // keeps the place on screen. A place past the opening waits for it.
    void largeBookOpensInStages_data() { openingIsTheBooksFirstChapters_data(); }
    void largeBookOpensInStages()
    {
        QFETCH(bool, kf8);
        const QString path = stagedBook(300, kf8).write(m_dir->path(), kf8 ? "large.azw3" : "large.mobi");
        MobiDocument whole(path);
        whole.load();
        whole.setViewPortSize(QSize(400, 500));

        MobiDocument staged(path);
        staged.setLoadsInStages(true, 0);
        staged.setWaitsInBackground(true);
        staged.load();
        QVERIFY(staged.errorString().isEmpty());
        checkOpeningThenWhole(staged, whole);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(staged.chapters(), whole.chapters());
        QCOMPARE(staged.toc().size(), 300);
        QCOMPARE(staged.toc().at(250).position, whole.toc().at(250).position);

        const int deep = whole.toc().at(250).position + 40;
        checkPlaceBeyondOpening<MobiDocument>(path, whole, deep);
        QCOMPARE(staged.chapterTitle(deep), QString("Chapter 250"));
    }

    void registry()
    {
        QCOMPARE(BookFormat::formatFromSuffix("AZW3"), int(BookFormat::Mobi));
        QCOMPARE(BookFormat::formatFromPath("/b/x.azw3"), int(BookFormat::Mobi));
        QCOMPARE(BookFormat::formatName(BookFormat::Mobi), QString("mobi"));
        QVERIFY(BookFormat::isAccepted("Azw3"));
        QVERIFY(!BookFormat::acceptedSuffixes().contains("azw3"));
        QVERIFY(AddBooksWorker::supportedSuffixes().contains("azw3"));
        for (const char* path : {"/b/a.mobi", "/b/a.PRC", "/b/a.azw3"}) {
            std::unique_ptr<TextDocument> doc(createTextDocument(path));
            QVERIFY2(qobject_cast<MobiDocument*>(doc.get()), path);
        }
    }

    void addingBooks()
    {
        TestHome& home = m_home;
        registerWorkerMetaTypes();
        QVERIFY(BookProvider::instance()->createConnection());
        const QString dir = home.path() + "/Books";
        const QString full = MobiBuilder()
                                 .text(page("<p>x</p>"))
                                 .title("Great Expectations")
                                 .author("Charles Dickens")
                                 .exth(101, "Chapman & Hall")
                                 .image(MobiBuilder::makeImage(120, 180, Qt::red))
                                 .write(dir, "ge.mobi");
        const QString kf8 = MobiBuilder()
                                .kf8Files({{"<html><body>", "</body></html>", {"<p>k</p>"}}})
                                .title("Kindle Book")
                                .author("K. Writer")
                                .write(dir + "/sub", "kindle.AZW3");
        const QString locked = MobiBuilder()
                                   .text(page("<p>x</p>"))
                                   .title("Locked")
                                   .author("Someone")
                                   .encryption(2)
                                   .write(dir, "locked.prc");
        const QString untitled = MobiBuilder().text(page("<p>x</p>")).title("").write(dir, "No Title.mobi");
        QFile broken(dir + "/broken.mobi");
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write("garbage");
        broken.close();

        AddBooksWorker worker({QFileInfo(dir)});
        QSignalSpy complete(&worker, &AddBooksWorker::complete);
        worker.start();
        QVERIFY(worker.wait(60000));
        QCOMPARE(complete.count(), 1);
        // The garbage file is added under its name and reported with its
        // reason.
        QCOMPARE(complete.first().at(0).toInt(), 5);
        QCOMPARE(worker.refusals().size(), 1);
        QCOMPARE(worker.refusals().first().reason, BookError::Damaged);

        const auto book = [](const QString& path) {
            return BookProvider::instance()->getBookByPath(QDir::toNativeSeparators(path));
        };
        QCOMPARE(book(full).title, QString("Great Expectations"));
        QCOMPARE(book(full).author, QString("Charles Dickens"));
        QCOMPARE(book(full).format, int(BookFormat::Mobi));
        QCOMPARE(QImage(book(full).cover).size(), QSize(120, 180));
        QCOMPARE(book(kf8).title, QString("Kindle Book"));
        QCOMPARE(book(kf8).format, int(BookFormat::Mobi));
        QCOMPARE(book(locked).title, QString("Locked"));
        QCOMPARE(book(locked).format, int(BookFormat::Prc));
        QCOMPARE(book(untitled).title, QString("No Title"));
        QCOMPARE(book(broken.fileName()).title, QString("broken"));
        QVERIFY(book(broken.fileName()).cover.isEmpty());
    }

    void sampleBooks()
    {
        const QString samples = samplesFolder();
        if (samples.isEmpty())
            QSKIP("no sample books on this machine");
        const QFileInfoList files = QDir(samples + "/mobi").entryInfoList(QDir::Files, QDir::Name);
        QVERIFY(!files.isEmpty());
        for (const QFileInfo& file : files) {
            OpenMobiDocument doc(file.absoluteFilePath());
            doc.load();
            QVERIFY2(doc.errorString().isEmpty(), qPrintable(file.fileName()));
            QVERIFY2(doc.textLength() > 10000, qPrintable(file.fileName()));
            QVERIFY2(!doc.reader().title().isEmpty() && !doc.reader().author().isEmpty(),
                     qPrintable(file.fileName()));
            QVERIFY2(!doc.reader().cover().isNull(), qPrintable(file.fileName()));
            QVERIFY2(!doc.toc().isEmpty(), qPrintable(file.fileName()));
            QVERIFY2(!doc.plainText().contains(QRegularExpression("<(html|body|p|div|a)[ >]")),
                     qPrintable(file.fileName()));
            const QSet<QString> anchors = anchorNames(*doc.wholeDocument());
            for (const QString& link : internalLinks(*doc.wholeDocument()))
                QVERIFY2(anchors.contains(link), qPrintable(file.fileName() + ": #" + link));
            const QRegularExpression image(QStringLiteral("pdbrec:/(\\d+)"));
            auto it = image.globalMatch(doc.chapters().join(QString()));
            while (it.hasNext()) {
                const QString name = it.next().captured(0);
                QVERIFY2(!doc.loadResource(QTextDocument::ImageResource, QUrl(name)).isNull(),
                         qPrintable(file.fileName() + ": " + name));
            }
            QCOMPARE(chapterCharacters(doc.chapters()), doc.textLength());

            // Loaded in stages (as a large book is), the opening shows the
            // same first page, and the whole text is the same.
            MobiDocument staged(file.absoluteFilePath());
            staged.setLoadsInStages(true, 0);
            staged.load();
            staged.setViewPortSize(QSize(400, 500));
            doc.setViewPortSize(QSize(400, 500));
            QCOMPARE(staged.pageText(1), doc.pageText(1));
            QVERIFY2(waitForWholeText(staged), qPrintable(file.fileName()));
            QCOMPARE(staged.plainText(), doc.plainText());
        }
        // Half of a book is refused, not passed off as the whole one; its
        // headers are still read, never outside the file.
        MobiDocument cut(samples + "/hostile/truncated-records-50pct.mobi");
        cut.load();
        QVERIFY(cut.chapters().isEmpty());
        QCOMPARE(cut.pageCount(), 0);
        QCOMPARE(cut.errorString(), BookError::text(BookError::Damaged));
        QVERIFY(!cut.reader().title().isEmpty());
        QVERIFY(cut.reader().cover().isNull());
    }

private:
    TestHome m_home;
    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_MAIN(TestMobiDocument)
#include "TestMobiDocument.moc"
