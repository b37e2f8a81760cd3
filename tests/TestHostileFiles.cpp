// Damaged and hostile book files, made in code, opened the two ways the
// program meets a file: the reader (the format registry and the page-book
// documents its viewers create) and the add-books worker. Every row names the
// outcome: opens, or refused with one of the reasons the user reads.

#include "AddBooksWorker.h"
#include "BookError.h"
#include "BookFormat.h"
#include "BookProvider.h"
#include "Limits.h"
#include "SafeImage.h"
#include "TextDocument.h"
#include "WorkerTypes.h"
#include "comics/ComicDocument.h"
#include "djvu/DjvuDocument.h"
#include "fb2/FbParser.h"
#include "pdf/PdfDocument.h"
#include "util/ComicFixtures.h"
#include "util/EpubBuilder.h"
#include "util/Fb2Builder.h"
#include "util/MobiBuilder.h"
#include "util/PdfBuilder.h"
#include "util/TestHome.h"
#include "util/ZipBuilder.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageWriter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include <unistd.h>

Q_DECLARE_METATYPE(BookError::Reason)

namespace {

// The outcome that stands for "opens" in the tables.
constexpr BookError::Reason kOpens = BookError::None;

// What the reader shows for the file: None when it opens with pages, else
// the reason it names. A PDF waiting for its password names none; it reads
// as Protected here.
BookError::Reason openLikeReader(const QString& path, QString* text = nullptr)
{
    const int code = BookFormat::formatFromPath(path);
    QString reason;
    bool opened = false;
    bool waiting = false;
    switch (BookFormat::viewerFor(code)) {
    case BookFormat::Viewer::Text: {
        std::unique_ptr<TextDocument> document(createTextDocument(path));
        document->load();
        document->setViewPortSize(QSize(400, 500));
        opened = document->isLoaded() && document->pageCount() > 0;
        reason = document->errorString();
        break;
    }
    case BookFormat::Viewer::Pdf:
        if (code == BookFormat::Djvu) {
            djvu::DjvuDocument document;
            document.load(path);
            opened = document.isLoaded() && document.pageCount() > 0;
            reason = document.errorString();
        } else {
            pdf::PdfDocument document;
            document.load(path);
            opened = document.isLoaded() && document.pageCount() > 0;
            reason = document.errorString();
            waiting = !document.isLoaded() && reason.isEmpty();
        }
        break;
    case BookFormat::Viewer::Image: {
        comics::ComicDocument document;
        document.load(path);
        opened = document.isLoaded() && document.pageCount() > 0;
        reason = document.errorString();
        // Every page unpacked, as turning through the comic does: an entry
        // named to escape must not land outside the book's folder.
        for (int page = 1; page <= document.pageCount(); ++page)
            document.requestImage(page);
        break;
    }
    case BookFormat::Viewer::None:
        break;
    }
    if (text)
        *text = reason;
    if (opened)
        return reason.isEmpty() ? kOpens : BookError::Reason(-1);
    if (waiting)
        return BookError::Protected;
    // Refused: the reason must be one of the shared texts, never empty (an
    // empty reason is an empty reader or a page that never comes).
    for (int r = BookError::Missing; r <= BookError::TooLarge; ++r) {
        if (reason == BookError::text(BookError::Reason(r)))
            return BookError::Reason(r);
    }
    return BookError::Reason(-1);
}

// Adds the file through the add-books worker: None when a row was added
// without a report, else the reason it was reported with (a reported file
// is still added, titled at least by its file name). -1 when it was neither
// added nor reported, or reported without being added.
BookError::Reason addLikeLibrary(const QString& path, QString* title = nullptr)
{
    AddBooksWorker worker({QFileInfo(path)});
    worker.start();
    worker.wait();
    const BookDto book = BookProvider::instance()->getBookByPath(QDir::toNativeSeparators(path));
    if (book.id > 0 && title)
        *title = book.title;
    const QList<AddBooksWorker::Refusal> reported = worker.refusals();
    if (reported.isEmpty())
        return book.id > 0 ? kOpens : BookError::Reason(-1);
    if (book.id > 0 && reported.size() == 1 && reported.first().path == QDir::toNativeSeparators(path))
        return reported.first().reason;
    return BookError::Reason(-1);
}

// The outcome as a word, so that a failing row says what happened.
QString outcome(BookError::Reason reason)
{
    if (reason == kOpens)
        return QStringLiteral("opens");
    if (reason < 0)
        return QStringLiteral("neither opened nor explained");
    return QString::fromLatin1(BookError::name(reason));
}

QByteArray garbage(int size, quint32 seed)
{
    QRandomGenerator generator(seed);
    QByteArray data(size, Qt::Uninitialized);
    for (char& c : data)
        c = char(generator.bounded(256));
    return data;
}

QByteArray cut(const QByteArray& data, int percent)
{
    return data.left(int(qint64(data.size()) * percent / 100));
}

QByteArray goodEpub()
{
    return EpubBuilder()
        .title(QStringLiteral("Sound Book"))
        .chapter(QStringLiteral("c1"), QStringLiteral("c1.xhtml"),
                 EpubBuilder::body(QStringLiteral("One"), {QStringLiteral("The first chapter.")}),
                 QStringLiteral("One"))
        .build();
}

QByteArray goodFb2()
{
    return Fb2Builder()
        .title(QStringLiteral("Sound Book"))
        .body(Fb2Builder::section(QStringLiteral("One"), {QStringLiteral("The first chapter.")}))
        .build();
}

QByteArray goodMobi()
{
    QByteArray text = "<html><body><h1>One</h1>";
    for (int i = 0; i < 40; ++i)
        text += "<p>A paragraph of the first chapter, long enough to fill records.</p>";
    text += "</body></html>";
    // An image after the text, as in real books: a cut inside the last text
    // record shows in the record after it.
    return MobiBuilder()
        .title("Sound Book")
        .recordSize(512)
        .text(text)
        .image(MobiBuilder::makeImage(40, 60, Qt::blue))
        .build();
}

QByteArray goodPdf()
{
    return PdfBuilder().pages(2, QStringLiteral("sound")).build();
}

QByteArray goodCbz()
{
    ZipBuilder zip;
    for (const ComicFixtures::Entry& e :
         ComicFixtures::pages({QStringLiteral("p1.png"), QStringLiteral("p2.png")}))
        zip.add(e.first, e.second);
    return zip.build();
}

// An FB2 book whose body nests `depth` elements in all (the root counted).
QByteArray nestedFb2(int depth)
{
    QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<FictionBook><description><title-info>"
                     "<book-title>Deep</book-title></title-info></description><body>";
    // FictionBook and body are two levels; sections make up the rest, the
    // innermost holding a paragraph.
    const int sections = depth - 3;
    for (int i = 0; i < sections; ++i)
        xml += "<section>";
    xml += "<p>deep</p>";
    for (int i = 0; i < sections; ++i)
        xml += "</section>";
    xml += "</body></FictionBook>";
    return xml;
}

QByteArray png(const QSize& size)
{
    QImage image(size, QImage::Format_Mono);
    image.fill(0);
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, "png").write(image);
    return data;
}

// Breaks the signature of the zip's central directory entries, as a
// damaged download or a bad copy does.
QByteArray breakCentralDirectory(QByteArray zip)
{
    int at = 0;
    while ((at = zip.indexOf(QByteArray("PK\x01\x02", 4), at)) >= 0)
        zip[at + 2] = 'X';
    return zip;
}

QString writeFile(const QString& dir, const QString& name, const QByteArray& data)
{
    const QString path = dir + QLatin1Char('/') + name;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size())
        return QString();
    return path;
}

} // namespace

class TestHostileFiles : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        registerWorkerMetaTypes();
        QVERIFY(BookProvider::instance()->createConnection());
        QVERIFY(m_dir.isValid());
    }

    // The sound files every damaged row is made from open both ways, so a
    // refusal below is the damage and not the fixture.
    void soundFixturesOpen_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("data");
        QTest::newRow("epub") << "sound.epub" << goodEpub();
        QTest::newRow("fb2") << "sound.fb2" << goodFb2();
        QTest::newRow("mobi") << "sound.mobi" << goodMobi();
        QTest::newRow("pdf") << "sound.pdf" << goodPdf();
        QTest::newRow("cbz") << "sound.cbz" << goodCbz();
    }
    void soundFixturesOpen()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, data);
        const QString path = writeFile(m_dir.path(), name, data);
        QVERIFY(!path.isEmpty());
        QCOMPARE(outcome(openLikeReader(path)), outcome(kOpens));
        QCOMPARE(outcome(addLikeLibrary(path)), outcome(kOpens));
    }

    void damagedFiles_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<BookError::Reason>("reader");
        QTest::addColumn<BookError::Reason>("library");

        const BookError::Reason damaged = BookError::Damaged;
        const struct
        {
            const char* suffix;
            QByteArray sound;
            QByteArray foreign; ///< a sound file of another format
        } formats[] = {
            {"epub", goodEpub(), goodPdf()}, {"fb2", goodFb2(), goodEpub()}, {"mobi", goodMobi(), goodFb2()},
            {"pdf", goodPdf(), goodCbz()},   {"cbz", goodCbz(), goodMobi()},
        };
        // What every format must refuse, both ways.
        for (const auto& f : formats) {
            const QString suffix = QLatin1String(f.suffix);
            const auto row = [&](const char* what) -> QTestData& {
                return QTest::newRow(qPrintable(QStringLiteral("%1 %2").arg(suffix, QLatin1String(what))));
            };
            row("zero bytes") << "zero." + suffix << QByteArray() << damaged << damaged;
            row("one byte") << "one." + suffix << QByteArray(1, f.sound.at(0)) << damaged << damaged;
            row("garbage") << "garbage." + suffix << garbage(4096, 7) << damaged << damaged;
            row("another format") << "foreign." + suffix << f.foreign << damaged << damaged;
            row("truncated to 10%") << "cut10." + suffix << cut(f.sound, 10) << damaged << damaged;
            // The library reads an FB2 book's description alone: cut after
            // it, the book is still listed (and the reader refuses it).
            const QByteArray half = cut(f.sound, 50);
            const bool headKept = suffix == QLatin1String("fb2") && half.contains("</description>");
            row("truncated to 50%") << "cut50." + suffix << half << damaged << (headKept ? kOpens : damaged);
        }

        // --- EPUB ---
        // A zip is read through its central directory at the end: cut short
        // anywhere, or with that directory broken, there is no archive.
        QTest::newRow("epub truncated to 95%") << "cut95.epub" << cut(goodEpub(), 95) << damaged << damaged;
        QTest::newRow("epub bad central directory")
            << "badcd.epub" << breakCentralDirectory(goodEpub()) << damaged << damaged;
        {
            QByteArray zip = goodEpub();
            QVERIFY(ZipBuilder::damageData(zip, "OEBPS/c1.xhtml", 32));
            // The package is sound (the library lists it); its only chapter
            // does not inflate, so there is nothing to read.
            QTest::newRow("epub corrupt deflate in the only chapter")
                << "deflate.epub" << zip << damaged << kOpens;
        }
        {
            QByteArray zip = EpubBuilder()
                                 .chapter(QStringLiteral("c1"), QStringLiteral("c1.xhtml"),
                                          EpubBuilder::body(QStringLiteral("One"), {QStringLiteral("Lost.")}))
                                 .chapter(QStringLiteral("c2"), QStringLiteral("c2.xhtml"),
                                          EpubBuilder::body(QStringLiteral("Two"), {QStringLiteral("Kept.")}))
                                 .build();
            QVERIFY(ZipBuilder::damageData(zip, "OEBPS/c1.xhtml", 32));
            // One damaged chapter of two: the rest of the book is shown.
            QTest::newRow("epub corrupt deflate in one chapter of two")
                << "deflate2.epub" << zip << kOpens << kOpens;
        }
        QTest::newRow("epub without container")
            << "nocontainer.epub" << EpubBuilder().container(QByteArray()).build() << damaged << damaged;
        QTest::newRow("epub container names a missing package")
            << "noopf.epub"
            << EpubBuilder()
                   .container("<?xml version=\"1.0\"?><container version=\"1.0\" "
                              "xmlns=\"urn:oasis:names:tc:opendocument:xmlns:container\"><rootfiles>"
                              "<rootfile full-path=\"OEBPS/missing.opf\" "
                              "media-type=\"application/oebps-package+xml\"/></rootfiles></container>")
                   .build()
            << damaged << damaged;
        QTest::newRow("epub package is not XML")
            << "badopf.epub" << EpubBuilder().package("<package><metadata>").build() << damaged << damaged;
        QTest::newRow("epub spine points nowhere")
            << "nowhere.epub"
            << EpubBuilder()
                   .item(QStringLiteral("c1"), QStringLiteral("missing.xhtml"),
                         QStringLiteral("application/xhtml+xml"))
                   .spine(QStringLiteral("c1"))
                   .build()
            << damaged << kOpens;
        QTest::newRow("epub zip-slip href")
            << "slip.epub"
            << EpubBuilder()
                   .item(QStringLiteral("c1"), QStringLiteral("../../../../etc/passwd"),
                         QStringLiteral("application/xhtml+xml"))
                   .spine(QStringLiteral("c1"))
                   .file(QStringLiteral("etc/passwd"), EpubBuilder::xhtml(QStringLiteral("<p>outside</p>")))
                   .build()
            << damaged << kOpens;
        QTest::newRow("epub encrypted text")
            << "drm.epub"
            << EpubBuilder()
                   .chapter(QStringLiteral("c1"), QStringLiteral("c1.xhtml"), QStringLiteral("<p>x</p>"))
                   .file(QStringLiteral("META-INF/encryption.xml"),
                         "<?xml version=\"1.0\"?><encryption xmlns=\"urn:oasis:names:tc:opendocument:xmlns:"
                         "container\" xmlns:enc=\"http://www.w3.org/2001/04/xmlenc#\"><enc:EncryptedData>"
                         "<enc:CipherData><enc:CipherReference URI=\"OEBPS/c1.xhtml\"/></enc:CipherData>"
                         "</enc:EncryptedData></encryption>")
                   .build()
            << BookError::Protected << kOpens;

        // --- FB2 ---
        const QString section = Fb2Builder::section(QStringLiteral("One"), {QStringLiteral("Text.")});
        QTest::newRow("fb2 unclosed element in the body")
            << "unclosed.fb2" << Fb2Builder().body(QStringLiteral("<section><p>open")).build() << damaged
            << kOpens;
        QTest::newRow("fb2 unclosed description")
            << "baddesc.fb2" << Fb2Builder().body(section).build().replace("</description>", "") << damaged
            << damaged;
        {
            const QByteArray sound = goodFb2();
            QTest::newRow("fb2 cut inside the body")
                << "cutbody.fb2" << sound.left(sound.indexOf("<body>") + 12) << damaged << kOpens;
        }
        QTest::newRow("fb2 billion laughs")
            << "laughs.fb2"
            << Fb2Builder()
                   .doctype(QStringLiteral("<!DOCTYPE FictionBook [<!ENTITY a \"aaaaaaaaaa\">"
                                           "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
                                           "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">"
                                           "<!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">]>"))
                   .body(QStringLiteral("<section><p>&d;&d;&d;&d;</p></section>"))
                   .build()
            << damaged << damaged;
        QTest::newRow("fb2 external entity")
            << "external.fb2"
            << Fb2Builder()
                   .doctype(
                       QStringLiteral("<!DOCTYPE FictionBook [<!ENTITY x SYSTEM \"file:///etc/passwd\">]>"))
                   .body(QStringLiteral("<section><p>&x;</p></section>"))
                   .build()
            << damaged << damaged;
        QTest::newRow("fb2 nested deeper than the limit")
            << "deep.fb2" << nestedFb2(Limits::maxXmlDepth + 1) << damaged << kOpens;
        QTest::newRow("fb2 root is not FictionBook")
            << "root.fb2" << Fb2Builder().root(QStringLiteral("html")).body(section).build() << damaged
            << damaged;
        QTest::newRow("fb2 without a body") << "nobody.fb2" << Fb2Builder().build() << damaged << kOpens;
        QTest::newRow("fb2 zero bytes of UTF-16")
            << "bom.fb2" << QByteArray("\xff\xfe", 2) << damaged << damaged;

        // --- MOBI ---
        {
            const QByteArray sound = goodMobi();
            MobiBuilder probe;
            probe.title("Sound Book").recordSize(512);
            QByteArray text = "<html><body><h1>One</h1>";
            for (int i = 0; i < 40; ++i)
                text += "<p>A paragraph of the first chapter, long enough to fill records.</p>";
            text += "</body></html>";
            probe.text(text).image(MobiBuilder::makeImage(40, 60, Qt::blue)).build();
            const MobiBuilder::Layout layout = probe.layout();
            QVERIFY(layout.textRecords > 2);
            // Cut inside the last text record, and after the second one: the
            // record list still names them all.
            const quint32 lastText = layout.offsets.at(layout.textRecords);
            QTest::newRow("mobi cut inside the last text record")
                << "cutlast.mobi" << sound.left(int(lastText) + 10) << damaged << damaged;
            QTest::newRow("mobi cut after two text records")
                << "cut2.mobi" << sound.left(int(layout.offsets.at(3))) << damaged << damaged;

            // The PalmDOC header claims 65,535 text records.
            QByteArray absurd = sound;
            MobiBuilder::put16(absurd, int(layout.offsets.at(0)) + 8, 0xFFFF);
            QTest::newRow("mobi absurd text record count") << "absurd.mobi" << absurd << damaged << damaged;
            // The database header claims 65,535 records; the list holds few.
            QByteArray many = sound;
            MobiBuilder::put16(many, 76, 0xFFFF);
            QTest::newRow("mobi absurd database record count") << "many.mobi" << many << damaged << damaged;
            // Record offsets that point backwards and past the end.
            QByteArray offsets = sound;
            MobiBuilder::put32(offsets, 78 + 8 * 2, 0x7FFFFFF0);
            QTest::newRow("mobi record offset past the end")
                << "offset.mobi" << offsets << damaged << damaged;
        }
        QTest::newRow("mobi unknown compression")
            << "lz.mobi" << MobiBuilder().compression(3).text("<p>text</p>").build() << BookError::Unsupported
            << BookError::Unsupported;
        QTest::newRow("mobi encrypted")
            << "drm.mobi" << MobiBuilder().encryption(2).text("<p>text</p>").build() << BookError::Protected
            << kOpens;
        QTest::newRow("mobi another Palm database")
            << "palm.mobi" << MobiBuilder::pdb("DATAPALM", {QByteArray(16, 'x'), QByteArray(16, 'y')})
            << damaged << damaged;

        // --- PDF ---
        {
            const QByteArray sound = goodPdf();
            QByteArray xref = sound;
            const int at = xref.lastIndexOf("startxref");
            QVERIFY(at > 0);
            const int end = xref.indexOf("%%EOF", at);
            QVERIFY(end > at);
            xref.replace(at, end - at, "startxref\n7\n");
            // A wrong cross-reference table is rebuilt from the objects, as
            // every PDF reader does.
            QTest::newRow("pdf broken xref") << "xref.pdf" << xref << kOpens << kOpens;
            QTest::newRow("pdf truncated to 95%") << "cut95.pdf" << cut(sound, 95) << kOpens << kOpens;
            QTest::newRow("pdf header only")
                << "head.pdf" << QByteArray("%PDF-1.4\n%%EOF\n") << damaged << damaged;
        }
        QTest::newRow("pdf with a password")
            << "locked.pdf" << PdfBuilder().pages(1).userPassword(QStringLiteral("secret")).build()
            << BookError::Protected << kOpens;

        // --- CBZ ---
        {
            ZipBuilder text;
            text.add(QStringLiteral("readme.txt"), "no pictures here");
            text.addFolder(QStringLiteral("pages"));
            QTest::newRow("cbz with no images")
                << "noimages.cbz" << text.build() << BookError::NoPages << BookError::NoPages;
            QTest::newRow("cbz bad central directory")
                << "badcd.cbz" << breakCentralDirectory(goodCbz()) << damaged << damaged;
            QByteArray pages = goodCbz();
            QVERIFY(ZipBuilder::damageData(pages, "p1.png", 32));
            // Damaged page data shows as a blank page; the comic opens.
            QTest::newRow("cbz corrupt deflate in a page") << "deflate.cbz" << pages << kOpens << kOpens;
            ZipBuilder slip;
            slip.add(QStringLiteral("../../../../tmp/evil.png"),
                     ComicFixtures::page(QStringLiteral("evil.png"), Qt::red));
            slip.add(QStringLiteral("p1.png"), ComicFixtures::page(QStringLiteral("p1.png"), Qt::green));
            QTest::newRow("cbz zip-slip page name") << "slip.cbz" << slip.build() << kOpens << kOpens;
        }
        QTest::newRow("cbr garbage") << "garbage.cbr" << garbage(2048, 11) << damaged << damaged;
        QTest::newRow("djvu garbage") << "garbage.djvu" << garbage(2048, 13) << damaged << damaged;
        QTest::newRow("djvu magic only") << "magic.djvu"
                                         << QByteArray("AT&TFORM\0\0\0\x04"
                                                       "DJVU",
                                                       16)
                                         << damaged << damaged;
    }

    void damagedFiles()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, data);
        QFETCH(BookError::Reason, reader);
        QFETCH(BookError::Reason, library);

        QTemporaryDir dir(m_dir.path() + QStringLiteral("/row-XXXXXX"));
        const QString path = writeFile(dir.path(), name, data);
        QVERIFY(!path.isEmpty());
        QString shown;
        QCOMPARE(outcome(openLikeReader(path, &shown)), outcome(reader));
        QString title;
        QCOMPARE(outcome(addLikeLibrary(path, &title)), outcome(library));
        if (library == kOpens)
            QVERIFY(!title.trimmed().isEmpty());
        // Nothing was written beside the book (a zip-slip entry would land
        // in the row's folder or above it).
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{name});
        QVERIFY(!QFileInfo::exists(QStringLiteral("/tmp/evil.png")) ||
                QFileInfo(QStringLiteral("/tmp/evil.png")).lastModified() < m_started);
    }

    // The reasons read the same in every format, and an unreadable or
    // missing file is never called damaged.
    void fileReasons_data()
    {
        QTest::addColumn<QString>("suffix");
        for (const char* suffix : {"epub", "fb2", "mobi", "pdf", "cbz", "djvu"})
            QTest::newRow(suffix) << QString::fromLatin1(suffix);
    }
    void fileReasons()
    {
        QFETCH(QString, suffix);
        const QString missing = m_dir.path() + "/missing." + suffix;
        QCOMPARE(openLikeReader(missing), BookError::Missing);
        const QString folder = m_dir.path() + "/folder." + suffix;
        QVERIFY(QDir().mkpath(folder));
        QCOMPARE(openLikeReader(folder), BookError::Unreadable);
        if (::geteuid() != 0) {
            const QString locked = writeFile(m_dir.path(), "locked." + suffix, goodEpub());
            QVERIFY(QFile::setPermissions(locked, QFileDevice::WriteOwner));
            QCOMPARE(openLikeReader(locked), BookError::Unreadable);
            QCOMPARE(addLikeLibrary(locked), BookError::Unreadable);
        }
    }

    // The add summary names the unreadable files with their reasons: a few,
    // then how many more.
    void addSummaryListsUnreadableFiles()
    {
        QTemporaryDir dir(m_dir.path() + QStringLiteral("/summary-XXXXXX"));
        writeFile(dir.path(), QStringLiteral("good.epub"), goodEpub());
        for (int i = 0; i < 8; ++i)
            writeFile(dir.path(), QStringLiteral("broken%1.epub").arg(i), garbage(300, quint32(i)));
        writeFile(dir.path(), QStringLiteral("lz.mobi"),
                  MobiBuilder().compression(3).text("<p>x</p>").build());

        AddBooksWorker worker({QFileInfo(dir.path())});
        QSignalSpy complete(&worker, &AddBooksWorker::complete);
        worker.start();
        QVERIFY(worker.wait());
        QCOMPARE(complete.count(), 1);
        // All are listed, the unreadable ones under their file names.
        QCOMPARE(complete.first().at(0).toInt(), 10);
        const QList<AddBooksWorker::Refusal> refused = worker.refusals();
        QCOMPARE(refused.size(), 9);

        const QString text = AddBooksWorker::refusalText(refused, 5);
        const QStringList lines = text.split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 1 + 5 + 1);
        QCOMPARE(lines.first(), QStringLiteral("9 file(s) were added but cannot be opened:"));
        QCOMPARE(lines.last(), QStringLiteral("and 4 more"));
        for (int i = 1; i <= 5; ++i)
            QVERIFY2(lines.at(i).endsWith(QLatin1String(": ") + BookError::text(refused.at(i - 1).reason)),
                     qPrintable(lines.at(i)));
        QVERIFY(text.contains(QFileInfo(refused.first().path).fileName()));
        QVERIFY(!text.contains(dir.path())); // names, not paths

        // "and 1 more" would take the room of the line it stands for.
        QCOMPARE(AddBooksWorker::refusalText(refused.mid(0, 6), 5).split(QLatin1Char('\n')).size(), 1 + 6);
        QVERIFY(AddBooksWorker::refusalText({}).isEmpty());
        bool unsupported = false;
        for (const AddBooksWorker::Refusal& r : refused)
            unsupported |= r.path.endsWith(QLatin1String("lz.mobi")) && r.reason == BookError::Unsupported;
        QVERIFY(unsupported);
    }

    // Each cheaply testable limit: refused just above, accepted at it.
    void xmlDepthLimit_data()
    {
        QTest::addColumn<int>("depth");
        QTest::addColumn<BookError::Reason>("reader");
        QTest::newRow("at the limit") << Limits::maxXmlDepth << kOpens;
        QTest::newRow("one above") << Limits::maxXmlDepth + 1 << BookError::Damaged;
    }
    void xmlDepthLimit()
    {
        QFETCH(int, depth);
        QFETCH(BookError::Reason, reader);
        const QByteArray xml = nestedFb2(depth);
        fb2::FbParser parser;
        QCOMPARE(parser.parseData(xml, false), reader == kOpens);
        const QString path = writeFile(m_dir.path(), QStringLiteral("depth%1.fb2").arg(depth), xml);
        QCOMPARE(openLikeReader(path), reader);
    }

    void imageLimits_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("accepted");
        const int side = Limits::maxImageSide;
        QTest::newRow("width at the limit") << QSize(side, 1) << true;
        QTest::newRow("width one above") << QSize(side + 1, 1) << false;
        QTest::newRow("height at the limit") << QSize(1, side) << true;
        QTest::newRow("height one above") << QSize(1, side + 1) << false;
        // 14142² is just below the pixel limit, 14143² just above; both
        // sides are within the side limit.
        QTest::newRow("pixels just below") << QSize(14142, 14142) << true;
        QTest::newRow("pixels just above") << QSize(14143, 14143) << false;
    }
    void imageLimits()
    {
        QFETCH(QSize, size);
        QFETCH(bool, accepted);
        QCOMPARE(SafeImage::acceptable(size), accepted);
        const qint64 pixels = qint64(size.width()) * size.height();
        if (pixels <= 100000) {
            // Small enough to decode for real: the decoder keeps the limit.
            const QImage image = SafeImage::decode(png(size));
            QCOMPARE(!image.isNull(), accepted);
            if (accepted)
                QCOMPARE(image.size(), size);
        } else if (!accepted) {
            // A header that claims the size without the pixels is refused
            // before anything is allocated.
            QString reason;
            QVERIFY(SafeImage::decode(ComicFixtures::claimingBmp(size), &reason).isNull());
            QVERIFY(!reason.isEmpty());
        }
    }

private:
    TestHome m_home;
    QTemporaryDir m_dir;
    QDateTime m_started = QDateTime::currentDateTime();
};

QTEST_MAIN(TestHostileFiles)
#include "TestHostileFiles.moc"
