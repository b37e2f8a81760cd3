#include "Paths.h"
#include "comics/ComicDocument.h"
#include "util/ComicFixtures.h"
#include "util/TestHome.h"
#include "util/ZipBuilder.h"

#include <QDirIterator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtConcurrent>
#include <QtTest>

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>

using comics::ComicDocument;
using namespace ComicFixtures;

#define REQUIRE_RAR()                                                                                        \
    if (rarTool().isEmpty())                                                                                 \
    QSKIP("the rar tool is not installed")

namespace {

bool sameColour(const QImage& image, const QColor& expected)
{
    if (image.isNull())
        return false;
    const QColor actual = image.pixelColor(image.width() / 2, image.height() / 2);
    // JPEG moves colours a little.
    return qAbs(actual.red() - expected.red()) < 12 && qAbs(actual.green() - expected.green()) < 12 &&
           qAbs(actual.blue() - expected.blue()) < 12;
}

QStringList filesBelow(const QString& root)
{
    QStringList files;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(root).relativeFilePath(it.next());
    files.sort();
    return files;
}

} // namespace

class TestComicDocument : public QObject
{
    Q_OBJECT
private:
    TestHome m_home;
    QTemporaryDir m_dir;

    QString path(const QString& name) const { return m_dir.filePath(name); }

private slots:
    void init() { m_home.wipe(); }

    void pagesAreImageEntriesInPlainNameOrder()
    {
        // Entry i of pages() is filled with colourOf(i).
        const QStringList names{"10.jpg", "2.png", "1.jpg", "Cover.PNG", "extra/7.webp", "scan.GIF", "b.bmp"};
        QList<Entry> entries = pages(names);
        entries << Entry("ComicInfo.xml", "<ComicInfo/>") << Entry("notes.txt", "hello");
        QVERIFY(writeCbz(path("order.cbz"), entries, {"extra/"}));

        ComicDocument document;
        document.load(path("order.cbz"));
        QVERIFY(document.isLoaded());
        QVERIFY(document.errorString().isEmpty());
        const QStringList expected{"1.jpg",     "10.jpg",       "2.png",   "b.bmp",
                                   "Cover.PNG", "extra/7.webp", "scan.GIF"};
        QCOMPARE(document.pageCount(), expected.size());
        for (int i = 0; i < expected.size(); ++i) {
            QCOMPARE(document.pageName(i + 1), expected[i]);
            const QImage image = document.requestImage(i + 1);
            QVERIFY2(sameColour(image, colourOf(names.indexOf(expected[i]))), qPrintable(expected[i]));
        }
        QVERIFY(document.requestImage(0).isNull());
        QVERIFY(document.requestImage(expected.size() + 1).isNull());
        // Pages are read into memory: nothing is unpacked for a zip.
        QCOMPARE(filesBelow(Paths::bookCacheFolder(path("order.cbz"))), QStringList());
    }

    void tableOfContentsSearchAndProgress()
    {
        QStringList names;
        for (int i = 1; i <= 12; ++i)
            names << QStringLiteral("p%1.png").arg(i, 2, 10, QLatin1Char('0'));
        QVERIFY(writeCbz(path("twelve.cbz"), pages(names)));
        ComicDocument document;
        document.load(path("twelve.cbz"));

        const QList<TocPoint> toc = document.toc();
        QCOMPARE(toc.size(), 12);
        QCOMPARE(toc[6].title, QString("Page 7"));
        QCOMPARE(toc[6].position, 7);
        QCOMPARE(toc[6].page, 7);
        QCOMPARE(document.chapterTitle(4), QString("Page 4"));

        const QList<SearchResult> hits = document.search("7");
        QCOMPARE(hits.size(), 1);
        QCOMPARE(hits[0].position, 7);
        QCOMPARE(hits[0].page, 7);
        QCOMPARE(hits[0].text, QString("Go to page 7"));
        QCOMPARE(hits[0].title, QString("Page 7"));
        QVERIFY(hits[0].isPageJump);
        for (const char* text : {"13", "0", "seven", "", "7a"})
            QVERIFY2(document.search(text).isEmpty(), text);

        QCOMPARE(document.calcProgressByPage(12), 100);
        QCOMPARE(document.calcProgressByPage(3), 25);
        document.setPageByPosition(6);
        QCOMPARE(document.page(), 6);
        QCOMPARE(document.position(), 6);
        QCOMPARE(document.progress(), 50.0);
        QCOMPARE(ComicDocument().calcProgressByPage(1), 0);
    }

    void titles_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("title");
        QTest::newRow("underscores") << "/books/My_Comic_01.cbz"
                                     << "My Comic 01";
        QTest::newRow("dots") << "/books/vol.2.cbr"
                              << "vol";
        QTest::newRow("plain") << "/books/Saga.CBZ"
                               << "Saga";
    }

    void titles()
    {
        QFETCH(QString, file);
        QFETCH(QString, title);
        QCOMPARE(ComicDocument::titleFor(file), title);
    }

    void damagedArchives_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("pages");
        QTest::addColumn<QString>("error");
        ZipBuilder none;
        none.add("readme.txt", "no pictures here").addFolder("art/");
        ZipBuilder good;
        good.add("1.png", page("1.png", Qt::blue)).add("2.png", page("2.png", Qt::green));
        QByteArray truncated = good.build();
        truncated.chop(truncated.size() / 3);
        QTest::newRow("not an archive")
            << "text.cbz" << QByteArray("just text") << 0 << "The file is damaged.";
        QTest::newRow("empty file") << "empty.cbr" << QByteArray() << 0 << "The file is damaged.";
        QTest::newRow("no images") << "none.cbz" << none.build() << 0 << "The book has no pages.";
        QTest::newRow("truncated") << "cut.cbz" << truncated << 0 << "The file is damaged.";
        QTest::newRow("zip named cbr") << "zip.cbr" << good.build() << 2 << QString();
    }

    void damagedArchives()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(int, pages);
        QFETCH(QString, error);
        QVERIFY(ZipBuilder::writeFile(path(name), content));
        ComicDocument document;
        document.load(path(name));
        QCOMPARE(document.pageCount(), pages);
        QCOMPARE(document.errorString(), error);
        QCOMPARE(document.isLoaded(), pages > 0);
        for (int page = 1; page <= pages; ++page)
            QVERIFY(!document.requestImage(page).isNull());
        QVERIFY(document.requestImage(pages + 1).isNull());
        QCOMPARE(document.calcProgressByPage(1), pages ? 100 / pages : 0);
    }

    void entriesLeavingTheFolderAreNoPages()
    {
        const QString outside = QDir::tempPath() + "/lanternleaf-evil.jpg";
        QFile::remove(outside);
        ZipBuilder slip;
        slip.add("../../../../../../../../.." + outside, page("x.jpg", Qt::red))
            .add("1.jpg", page("1.jpg", Qt::red));
        QVERIFY(slip.write(path("slip.cbz")));
        ComicDocument document;
        document.load(path("slip.cbz"));
        for (int page = 1; page <= document.pageCount(); ++page)
            document.requestImage(page);
        QVERIFY(!QFile::exists(outside));
        QCOMPARE(document.pageName(document.pageCount()), QString("1.jpg"));
    }

    void missingFile()
    {
        ComicDocument document;
        document.load(path("nowhere.cbz"));
        QCOMPARE(document.pageCount(), 0);
        QCOMPARE(document.errorString(), QString("The file does not exist."));
        QVERIFY(document.requestImage(1).isNull());
    }

    void absurdOrBrokenImagesGiveNullPages()
    {
        QList<Entry> entries = pages({"1.png"});
        entries << Entry("2.bmp", claimingBmp(QSize(60000, 60000))) << Entry("3.jpg", "not a jpeg at all");
        QVERIFY(writeCbz(path("absurd.cbz"), entries));
        ComicDocument document;
        document.load(path("absurd.cbz"));
        QCOMPARE(document.pageCount(), 3);
        QVERIFY(!document.requestImage(1).isNull());
        QVERIFY(document.requestImage(2).isNull());
        QVERIFY(document.requestImage(3).isNull());
    }

    void passwordProtectedZip()
    {
        QuaZip zip(path("locked.cbz"));
        QVERIFY(zip.open(QuaZip::mdCreate));
        QuaZipFile file(&zip);
        QVERIFY(file.open(QIODevice::WriteOnly, QuaZipNewInfo("1.png"), "secret", 0));
        file.write(page("1.png", Qt::red));
        file.close();
        zip.close();
        ComicDocument document;
        document.load(path("locked.cbz"));
        QCOMPARE(document.pageCount(), 0);
        QCOMPARE(document.errorString(), QString("The book is protected."));
    }

    // ------------------------------------------------------------ RAR

    void rarArchives_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<bool>("unpacked");
        QTest::newRow("plain") << QStringList() << false;
        QTest::newRow("stored") << QStringList{"-m0"} << false;
        QTest::newRow("solid") << QStringList{"-s"} << true;
    }

    void rarArchives()
    {
        REQUIRE_RAR();
        QFETCH(QStringList, options);
        QFETCH(bool, unpacked);
        const QStringList names{"b/10.png", "b/2.png", "b/1.png", "b/3.jpg"};
        QList<Entry> entries = pages(names);
        entries << Entry("b/info.txt", "text");
        const QString cbr = path(QStringLiteral("comic_%1.cbr").arg(QTest::currentDataTag()));
        QVERIFY(writeCbr(cbr, entries, options));

        ComicDocument document;
        document.load(cbr);
        QVERIFY(document.errorString().isEmpty());
        const QStringList expected{"b/1.png", "b/10.png", "b/2.png", "b/3.jpg"};
        QCOMPARE(document.pageCount(), 4);
        // Requests from several pool threads at once, as the viewer makes them.
        QList<QFuture<QImage>> requests;
        for (int round = 0; round < 3; ++round)
            for (int page = 1; page <= 4; ++page)
                requests << QtConcurrent::run([&document, page] { return document.requestImage(page); });
        for (int i = 0; i < requests.size(); ++i) {
            const int page = i % 4 + 1;
            QCOMPARE(document.pageName(page), expected[page - 1]);
            QVERIFY(sameColour(requests[i].result(), colourOf(names.indexOf(expected[page - 1]))));
        }
        const QString folder = Paths::bookCacheFolder(cbr);
        // Read straight from the archive until it is unpacked.
        QCOMPARE(filesBelow(folder), QStringList());
        document.unpackInBackground();
        document.waitForUnpack();
        QCOMPARE(document.pagesUnpacked(), unpacked);
        const QStringList files = filesBelow(folder);
        if (unpacked) {
            // Unpacked once, under page numbers only.
            QCOMPARE(files, (QStringList{"pages/000001.page", "pages/000002.page", "pages/000003.page",
                                         "pages/000004.page", "pages/complete"}));
            QVERIFY(sameColour(document.requestImage(3), colourOf(names.indexOf("b/2.png"))));
            // A second document of the same file uses the pages on disk at once.
            QFile::remove(folder + "/pages/000002.page");
            ComicDocument again;
            again.load(cbr);
            QVERIFY(again.pagesUnpacked());
            QVERIFY(sameColour(again.requestImage(1), colourOf(names.indexOf("b/1.png"))));
            // ... and falls back to the archive for a page that went missing.
            QVERIFY(sameColour(again.requestImage(2), colourOf(names.indexOf("b/10.png"))));
            // A changed file is unpacked anew.
            QVERIFY(writeCbr(cbr, entries.mid(0, 2), options));
            ComicDocument changed;
            changed.load(cbr);
            QVERIFY(!changed.pagesUnpacked());
        } else {
            QCOMPARE(files, QStringList());
        }
    }

    void passwordProtectedRar_data()
    {
        QTest::addColumn<QString>("option");
        QTest::newRow("entries") << "-psecret";
        QTest::newRow("entries and headers") << "-hpsecret";
    }

    void passwordProtectedRar()
    {
        REQUIRE_RAR();
        QFETCH(QString, option);
        const QString cbr = path("locked.cbr");
        QVERIFY(writeCbr(cbr, pages({"1.png", "2.png"}), {option}));
        ComicDocument document;
        document.load(cbr);
        QCOMPARE(document.pageCount(), 0);
        QCOMPARE(document.errorString(), QString("The book is protected."));
    }

    void rarNamedCbzOpens()
    {
        REQUIRE_RAR();
        const QString cbr = path("rar.cbr");
        QVERIFY(writeCbr(cbr, pages({"1.png", "2.png"})));
        QFile::remove(path("rar.cbz"));
        QVERIFY(QFile::copy(cbr, path("rar.cbz")));
        ComicDocument document;
        document.load(path("rar.cbz"));
        QCOMPARE(document.pageCount(), 2);
        QVERIFY(!document.requestImage(2).isNull());
    }

    // Samples of real comics, when they are there.
    void samples()
    {
        const QString root = QStringLiteral(LANTERNLEAF_SAMPLES_DIR);
        if (!QFileInfo::exists(root + "/cbz"))
            QSKIP("no sample books");
        const QList<QPair<QString, int>> books{{"cbz/acbf-craphound-24-pages.cbz", 24},
                                               {"cbz/komga-mixed-formats-stored.cbz", 8},
                                               {"cbr/komga-rar4-stored.cbr", 3},
                                               {"cbr/komga-rar5-stored.cbr", 1},
                                               {"hostile/zip-slip-unix.cbz", 0}};
        for (const auto& book : books) {
            ComicDocument document;
            document.load(root + "/" + book.first);
            QCOMPARE(document.pageCount(), book.second);
            for (int page = 1; page <= document.pageCount(); ++page)
                QVERIFY2(!document.requestImage(page).isNull(), qPrintable(book.first));
        }
    }
};

QTEST_GUILESS_MAIN(TestComicDocument)
#include "TestComicDocument.moc"
