#include "AddBooksWorker.h"
#include "BookError.h"
#include "BookProvider.h"
#include "Paths.h"
#include "util/ComicFixtures.h"
#include "util/DjvuBuilder.h"
#include "util/PdfBuilder.h"
#include "util/TestHome.h"

#include <QDir>
#include <QImage>
#include <QtTest>

// The PDF, DjVu and comic cases of adding books: title, author, metadata, cover.
class TestAddPageBooks : public QObject
{
    Q_OBJECT
private:
    TestHome m_home;

    // Adds one file; `refused` gets the reason it was not added (None when
    // it was, or when it was skipped without one).
    BookDto add(const QString& path, BookError::Reason* refused = nullptr)
    {
        AddBooksWorker worker({QFileInfo(path)});
        worker.start();
        [&] { QVERIFY(worker.wait(60000)); }();
        if (refused)
            *refused = worker.refusals().isEmpty() ? BookError::None : worker.refusals().first().reason;
        return BookProvider::instance()->getBookByPath(QDir::toNativeSeparators(path));
    }

private slots:
    void initTestCase() { registerWorkerMetaTypes(); }

    void init()
    {
        m_home.wipe();
        QVERIFY(BookProvider::instance()->createConnection());
        QDir().mkpath(m_home.path() + "/Books");
    }

    void pdfWithInformation()
    {
        const QString path = PdfBuilder()
                                 .pages(3)
                                 .info("Title", "Harbour Lights")
                                 .info("Author", "Ann Teller")
                                 .info("Creator", "Typesetter")
                                 .info("Producer", "Printer")
                                 .write(m_home.path() + "/Books", "harbour_lights.pdf");
        const BookDto book = add(path);
        QVERIFY(book.id > 0);
        QCOMPARE(book.format, 3);
        QCOMPARE(book.title, QString("Harbour Lights"));
        QCOMPARE(book.author, QString("Ann Teller"));
        QCOMPARE(BookProvider::instance()->getMetaData(book.id, 2), QString("Typesetter"));
        QCOMPARE(BookProvider::instance()->getMetaData(book.id, 5), QString("Printer"));
        QCOMPARE(book.cover, QDir::toNativeSeparators(Paths::bookCacheFolder(book.full_path) + "/cover.png"));
        QCOMPARE(QImage(book.cover).height(), AddBooksWorker::CoverHeight);
    }

    void pdfWithoutInformationOrProtected_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("cover");
        QTest::newRow("no information") << PdfBuilder().pages(1).build() << true;
        QTest::newRow("password") << PdfBuilder().pages(1).info("Title", "Hidden").userPassword("pw").build()
                                  << false;
    }

    // A file that cannot be read is added under its name and reported, with
    // why.
    void damagedPageBooksAreReported_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("pdf") << "broken.pdf" << QByteArray("%PDF-1.4\nbroken");
        QTest::newRow("cbz") << "Broken_Book.cbz" << QByteArray("PK\x03\x04 and nothing else");
        QTest::newRow("djvu") << "broken.djvu"
                              << QByteArray("AT&TFORM\0\0\0\x20"
                                            "DJVM",
                                            16);
    }

    void damagedPageBooksAreReported()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, content);
        const QString path = m_home.path() + "/Books/" + file;
        QFile broken(path);
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write(content);
        broken.close();
        BookError::Reason refused = BookError::None;
        const BookDto book = add(path, &refused);
        QVERIFY(book.id > 0);
        // Comics tidy the name ("Broken_Book" reads "Broken Book").
        QVERIFY(book.title.startsWith("Broken") || book.title.startsWith("broken"));
        QVERIFY(book.cover.isEmpty());
        QCOMPARE(int(refused), int(BookError::Damaged));
    }

    void pdfWithoutInformationOrProtected()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, cover);
        const QString path = m_home.path() + "/Books/plain.name.pdf";
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();
        const BookDto book = add(path);
        QVERIFY(book.id > 0);
        QCOMPARE(book.title, QString("plain.name"));
        QVERIFY(book.author.isEmpty());
        QCOMPARE(book.cover.isEmpty(), !cover);
    }

    void djvu_data()
    {
        QTest::addColumn<bool>("metadata");
        QTest::addColumn<bool>("damaged");
        QTest::newRow("title and author") << true << false;
        QTest::newRow("no metadata") << false << false;
        QTest::newRow("cut short") << false << true;
    }

    // A DjVu book is added with its title and author, else its file name,
    // and its first page as cover; one cut short is added under its file
    // name and reported.
    void djvu()
    {
        QFETCH(bool, metadata);
        QFETCH(bool, damaged);
        const QString path = m_home.path() + "/Books/old.scan.djvu";
        DjvuBuilder builder;
        builder.page(600, 800, {"scan"}).page(600, 800);
        if (metadata)
            builder.meta("title", "Old Scan").meta("author", "Ann Teller");
        QString error;
        QVERIFY2(builder.writeBundled(path, &error), qPrintable(error));
        if (damaged)
            QVERIFY(QFile::resize(path, 30));
        BookError::Reason refused = BookError::None;
        const BookDto book = add(path, &refused);
        if (damaged) {
            QCOMPARE(book.title, QString("old.scan"));
            QVERIFY(book.cover.isEmpty());
            QCOMPARE(int(refused), int(BookError::Damaged));
            return;
        }
        QVERIFY(book.id > 0);
        QCOMPARE(book.format, 4);
        QCOMPARE(book.title, metadata ? QString("Old Scan") : QString("old.scan"));
        QCOMPARE(book.author, metadata ? QString("Ann Teller") : QString());
        QCOMPARE(book.cover.isEmpty(), damaged);
        if (!damaged)
            QCOMPARE(QImage(book.cover).height(), AddBooksWorker::CoverHeight);
    }

    void comics_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("cover");
        QTest::newRow("cbz") << "My_Comic_01.cbz"
                             << "My Comic 01" << true;
        QTest::newRow("cbr") << "vol.2.cbr"
                             << "vol" << true;
    }

    void comics()
    {
        using namespace ComicFixtures;
        QFETCH(QString, file);
        QFETCH(QString, title);
        QFETCH(bool, cover);
        const QString path = m_home.path() + "/Books/" + file;
        const QList<Entry> entries = pages({"2.png", "1.png"}, QSize(300, 600));
        if (file.endsWith("cbr")) {
            if (rarTool().isEmpty())
                QSKIP("the rar tool is not installed");
            QVERIFY(writeCbr(path, entries));
        } else {
            QVERIFY(writeCbz(path, entries));
        }
        const BookDto book = add(path);
        QVERIFY(book.id > 0);
        QCOMPARE(book.title, title);
        QCOMPARE(book.cover.isEmpty(), !cover);
        if (cover) {
            const QImage image(book.cover);
            QCOMPARE(image.size(), QSize(95, AddBooksWorker::CoverHeight));
            // The first page in name order.
            QCOMPARE(image.pixelColor(40, 90).rgb(), colourOf(1).rgb());
        }
    }

    // The sample books, when they are there: every PDF and comic is added
    // with a title and, unless it needs a password, a cover.
    void samples()
    {
        const QString root = QStringLiteral(LANTERNLEAF_SAMPLES_DIR);
        if (!QFileInfo::exists(root + "/pdf"))
            QSKIP("no sample books");
        QList<QFileInfo> input{QFileInfo(root + "/pdf"), QFileInfo(root + "/cbz"), QFileInfo(root + "/cbr"),
                               QFileInfo(root + "/hostile/zip-slip-unix.cbz")};
        const QString slip =
            QDir::toNativeSeparators(QFileInfo(root + "/hostile/zip-slip-unix.cbz").absoluteFilePath());
        AddBooksWorker worker(input);
        worker.start();
        QVERIFY(worker.wait(120000));
        const QStringList files = worker.files();
        QCOMPARE(files.size(), 10);
        // The zip-slip archive holds no page: listed, and reported.
        QCOMPARE(worker.refusals().size(), 1);
        QCOMPARE(worker.refusals().first().path, slip);
        QCOMPARE(int(worker.refusals().first().reason), int(BookError::NoPages));
        for (const QString& file : files) {
            if (QDir::toNativeSeparators(file) == slip)
                continue;
            const BookDto book = BookProvider::instance()->getBookByPath(QDir::toNativeSeparators(file));
            QVERIFY2(book.id > 0, qPrintable(file));
            QVERIFY2(!book.title.isEmpty(), qPrintable(file));
            const bool coverless = file.contains("password");
            QVERIFY2(book.cover.isEmpty() == coverless, qPrintable(file));
            if (!coverless)
                QCOMPARE(QImage(book.cover).height(), AddBooksWorker::CoverHeight);
            qInfo() << QFileInfo(file).fileName() << "|" << book.title << "|" << book.author;
        }
        // Nothing was written outside the books' cache folders.
        QVERIFY(!QFile::exists(QDir::tempPath() + "/evil.txt"));
    }
};

QTEST_MAIN(TestAddPageBooks)
#include "TestAddPageBooks.moc"
