#include "AddBooksWorker.h"
#include "BookProvider.h"
#include "Logger.h"
#include "Paths.h"
#include "util/EpubBuilder.h"
#include "util/Fb2Builder.h"
#include "util/TestHome.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QSet>
#include <QSignalSpy>
#include <QtTest>

namespace {
// A small sound book for the book suffixes (untitled, so the library names
// it after the file rather than reporting it as unreadable), any bytes for
// the rest.
void touch(const QString& path)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("epub"))
        file.write(EpubBuilder().title(QString()).chapter("c1", "c1.xhtml", "<p>Text.</p>").build());
    else if (suffix == QLatin1String("fb2"))
        file.write(Fb2Builder().title(QString()).body(Fb2Builder::section("One", {"Text."})).build());
    else
        file.write("not really a book");
}

QStringList sorted(QStringList list)
{
    list.sort();
    return list;
}

QStringList statesOf(const QSignalSpy& spy)
{
    QStringList states;
    for (const QList<QVariant>& args : spy)
        states << QString::number(args.at(0).value<WorkerStates>());
    return states;
}

QString samplesFolder()
{
    const QString dir = QStringLiteral(LANTERNLEAF_SAMPLES_DIR);
    return QFileInfo(dir).isDir() ? dir : QString();
}

QString todaysLog()
{
    QFile file(Logger::instance()->currentLogPath());
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}
} // namespace

class TestAddBooksWorker : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { registerWorkerMetaTypes(); }

    void init()
    {
        m_home.wipe();
        QVERIFY(BookProvider::instance()->createConnection());
        m_books = m_home.path() + "/Books";
        touch(m_books + "/Dune.EPUB");
        touch(m_books + "/notes.txt");
        touch(m_books + "/Classics/Emma.fb2");
        touch(m_books + "/Classics/cover.jpg");
    }

    void folderScanFindsBooksAtAnyDepthIgnoringCase()
    {
        AddBooksWorker worker({QFileInfo(m_books)});
        QSignalSpy states(&worker, &AddBooksWorker::stateChanged);
        QSignalSpy progress(&worker, &AddBooksWorker::progressChanged);
        QSignalSpy messages(&worker, &AddBooksWorker::progressMessage);
        QSignalSpy complete(&worker, &AddBooksWorker::complete);
        QSignalSpy failed(&worker, &AddBooksWorker::failed);
        worker.start();
        QVERIFY(worker.wait(60000));

        QCOMPARE(sorted(worker.files()),
                 QStringList({m_books + "/Classics/Emma.fb2", m_books + "/Dune.EPUB"}));
        QCOMPARE(statesOf(states), QStringList({"1", "2", "0"}));
        QCOMPARE(failed.count(), 0);
        QCOMPARE(complete.count(), 1);
        QCOMPARE(complete.first().at(0).toInt(), 2);
        QCOMPARE(progress.count(), 2);
        QCOMPARE(progress.last(), QList<QVariant>({2, 2}));
        QCOMPARE(messages.first().at(0).toString(), QString("Scan folder... %1").arg(m_books));
        QVERIFY(messages.last().at(0).toString().startsWith("2 of 2 is being added. "));

        BookDto dune = BookProvider::instance()->getBookByPath(m_books + "/Dune.EPUB");
        QVERIFY(dune.id > 0);
        QCOMPARE(dune.title, QString("Dune"));
        QCOMPARE(dune.format, 0);
        QVERIFY(dune.time_added > 0);
        BookDto emma = BookProvider::instance()->getBookByPath(m_books + "/Classics/Emma.fb2");
        QCOMPARE(emma.format, 2);
        QCOMPARE(emma.title, QString("Emma"));
        QVERIFY(emma.cover.isEmpty());
        QCOMPARE(BookProvider::instance()->bookCount(), 2);
    }

    void filesChosenDirectly_data()
    {
        QTest::addColumn<QStringList>("input");
        QTest::addColumn<int>("listed");
        QTest::addColumn<int>("added");
        QTest::newRow("text file") << QStringList{"notes.txt"} << 1 << 0;
        QTest::newRow("same file twice") << QStringList{"Dune.EPUB", "Dune.EPUB"} << 2 << 1;
        QTest::newRow("missing file") << QStringList{"Gone.epub", "Classics/Emma.fb2"} << 2 << 1;
        QTest::newRow("folder and a file in it") << QStringList{"Classics", "Classics/Emma.fb2"} << 2 << 1;
        QTest::newRow("nothing") << QStringList{} << 0 << 0;
    }
    void filesChosenDirectly()
    {
        QFETCH(QStringList, input);
        QFETCH(int, listed);
        QFETCH(int, added);
        QList<QFileInfo> infos;
        for (const QString& name : input)
            infos << QFileInfo(m_books + "/" + name);
        AddBooksWorker worker(infos);
        QSignalSpy complete(&worker, &AddBooksWorker::complete);
        worker.start();
        QVERIFY(worker.wait(60000));
        QCOMPARE(worker.files().size(), listed);
        QCOMPARE(complete.count(), 1);
        QCOMPARE(complete.first().at(0).toInt(), added);
        QCOMPARE(BookProvider::instance()->bookCount(), added);
    }

    void bookAlreadyInLibraryIsSkipped()
    {
        for (int round = 0; round < 2; ++round) {
            AddBooksWorker worker({QFileInfo(m_books + "/Dune.EPUB")});
            QSignalSpy complete(&worker, &AddBooksWorker::complete);
            worker.start();
            QVERIFY(worker.wait(60000));
            QCOMPARE(complete.first().at(0).toInt(), round == 0 ? 1 : 0);
        }
        QCOMPARE(BookProvider::instance()->allBookCount(), 1);
    }

    void cancelDuringScanAddsNothing()
    {
        AddBooksWorker worker({QFileInfo(m_books + "/Dune.EPUB"), QFileInfo(m_books)});
        // Runs on the worker thread while it scans the folder.
        connect(
            &worker, &AddBooksWorker::progressMessage, &worker, [&worker] { worker.cancel(); },
            Qt::DirectConnection);
        QSignalSpy states(&worker, &AddBooksWorker::stateChanged);
        QSignalSpy complete(&worker, &AddBooksWorker::complete);
        QSignalSpy failed(&worker, &AddBooksWorker::failed);
        worker.start();
        QVERIFY(worker.wait(60000));

        QCOMPARE(complete.count(), 0);
        QCOMPARE(failed.count(), 1);
        QCOMPARE(failed.first().at(0).value<AddBooksErrors>(), AddBooksCanceled);
        QCOMPARE(statesOf(states), QStringList({"1", "0"}));
        QCOMPARE(BookProvider::instance()->allBookCount(), 0);
        QVERIFY(!worker.isStopped());
        QVERIFY(todaysLog().contains("Add books [FAILED]. Error:Operation has been canceled"));
        QCOMPARE(AddBooksWorker::errorText(AddBooksCanceled), QString("Operation has been canceled"));
    }

    void cancelWhileAddingFinishesTheCurrentFile()
    {
        AddBooksWorker worker({QFileInfo(m_books)});
        connect(
            &worker, &AddBooksWorker::progressChanged, &worker, [&worker] { worker.cancel(); },
            Qt::DirectConnection);
        QSignalSpy failed(&worker, &AddBooksWorker::failed);
        worker.start();
        QVERIFY(worker.wait(60000));
        QCOMPARE(failed.count(), 1);
        QCOMPARE(BookProvider::instance()->allBookCount(), 1);
    }

    void coverLandsInTheBookCacheFolder()
    {
        const QString book = m_books + "/Dune.EPUB";
        QImage image(40, 60, QImage::Format_RGB32);
        image.fill(Qt::darkGreen);
        const QString cover = AddBooksWorker::saveCover(book, image);
        QCOMPARE(cover, QDir::toNativeSeparators(Paths::bookCacheFolder(book) + "/cover.png"));
        QCOMPARE(QImage(cover).size(), QSize(40, 60));

        const QString other = m_books + "/Classics/Emma.fb2";
        QVERIFY(AddBooksWorker::saveCover(other, QImage()).isEmpty());
        QVERIFY(!QFile::exists(Paths::bookCacheFolder(other) + "/cover.png"));
    }

    // Covers are written small and fast; what is stored is exactly what the
    // shelf reads back, and a small cover keeps every pixel.
    void coverIsReadBackIdentically_data()
    {
        QTest::addColumn<QImage>("image");
        QTest::addColumn<QSize>("stored");

        // Photograph-like content: gradients and noise, where a lossy or
        // careless writer would show.
        auto photo = [](int width, int height, QImage::Format format) {
            QImage image(width, height, format);
            quint32 seed = 12345;
            for (int y = 0; y < height; ++y) {
                for (int x = 0; x < width; ++x) {
                    seed = seed * 1103515245 + 12345;
                    const int noise = int(seed >> 27);
                    image.setPixel(x, y,
                                   qRgba((x * 255 / width + noise) & 0xff, (y * 255 / height) & 0xff,
                                         (x + y + noise) & 0xff,
                                         format == QImage::Format_ARGB32 ? (x * 3) & 0xff : 255));
                }
            }
            return image;
        };
        QTest::newRow("small, kept as it is") << photo(120, 180, QImage::Format_RGB32) << QSize(120, 180);
        QTest::newRow("transparent") << photo(90, 120, QImage::Format_ARGB32) << QSize(90, 120);
        QTest::newRow("large, made smaller") << photo(660, 990, QImage::Format_RGB32) << QSize(133, 200);
        QTest::newRow("wide, made smaller") << photo(1000, 250, QImage::Format_RGB32) << QSize(400, 100);
    }
    void coverIsReadBackIdentically()
    {
        QFETCH(QImage, image);
        QFETCH(QSize, stored);
        const QString book = m_books + "/Dune.EPUB";
        const QString cover = AddBooksWorker::saveCover(book, image);
        QCOMPARE(cover, QDir::toNativeSeparators(Paths::bookCacheFolder(book) + "/cover.png"));
        QCOMPARE(QFileInfo(cover).fileName(), QString("cover.png"));
        const QImage back(cover);
        QCOMPARE(back.size(), stored);
        QImage expected = image.size() == stored
                              ? image
                              : image.scaled(stored, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        QCOMPARE(back.convertToFormat(expected.format()), expected);
        // Nothing is left beside it.
        QCOMPARE(QDir(Paths::bookCacheFolder(book)).entryList(QDir::Files), QStringList({"cover.png"}));
    }

    void coverFromEncodedBytes()
    {
        const QImage image = Fb2Builder::makeImage(600, 900);
        QByteArray jpeg;
        QBuffer buffer(&jpeg);
        buffer.open(QIODevice::WriteOnly);
        QVERIFY(image.save(&buffer, "JPEG"));
        const QString book = m_books + "/Classics/Emma.fb2";
        const QString cover = AddBooksWorker::saveCoverData(book, jpeg);
        QCOMPARE(QImage(cover).size(), QSize(133, 200));

        // Bytes that are no image write nothing, and an existing cover of
        // another book is left alone.
        QVERIFY(AddBooksWorker::saveCoverData(m_books + "/Dune.EPUB", "not an image").isEmpty());
        QVERIFY(!QFile::exists(Paths::bookCacheFolder(m_books + "/Dune.EPUB") + "/cover.png"));
        QCOMPARE(QImage(cover).size(), QSize(133, 200));
    }

    // A large folder added twice: every book once, none the second time,
    // each with its cover, in the order of the files.
    void sameThousandFilesTwiceAddsNothingTheSecondTime()
    {
        const QString dir = m_home.path() + "/Thousand";
        QDir().mkpath(dir);
        const QImage cover = Fb2Builder::makeImage(60, 90);
        for (int i = 0; i < 1000; ++i) {
            Fb2Builder book;
            book.title(QStringLiteral("Book %1").arg(i)).body(Fb2Builder::section("One", {"Text."}));
            if (i % 3 != 0)
                book.cover("c.png").image("c.png", cover);
            book.write(dir, QStringLiteral("book_%1.fb2").arg(i, 4, 10, QLatin1Char('0')));
        }
        QStringList files;
        for (int round = 0; round < 2; ++round) {
            // The folder and one of its files named again.
            AddBooksWorker worker({QFileInfo(dir), QFileInfo(dir + "/book_0007.fb2")});
            QSignalSpy complete(&worker, &AddBooksWorker::complete);
            QSignalSpy progress(&worker, &AddBooksWorker::progressChanged);
            worker.start();
            QVERIFY(worker.wait(300000));
            QCOMPARE(complete.count(), 1);
            QCOMPARE(complete.first().at(0).toInt(), round == 0 ? 1000 : 0);
            QCOMPARE(progress.count(), 1001); // every file is reported
            QCOMPARE(progress.last(), QList<QVariant>({1001, 1001}));
            if (round == 0)
                files = worker.files();
        }
        const QList<BookDto> books = BookProvider::instance()->selectAll();
        QCOMPARE(books.size(), 1000);
        QSet<QString> paths;
        int covers = 0;
        for (const BookDto& book : books) {
            paths.insert(book.full_path);
            if (!book.cover.isEmpty()) {
                QVERIFY(QFileInfo(book.cover).isFile());
                ++covers;
            }
        }
        QCOMPARE(paths.size(), 1000);
        QCOMPARE(covers, 666);
        // Inserted in the order the files were found.
        int previous = 0;
        for (const QString& file : qAsConst(files)) {
            const int id = BookProvider::instance()->getBookByPath(QDir::toNativeSeparators(file)).id;
            if (file.endsWith("book_0007.fb2") && id < previous)
                continue; // named a second time
            QVERIFY(id > previous);
            previous = id;
        }
    }

    void cancelInTheMiddleKeepsTheBooksAddedSoFar()
    {
        const QString dir = m_home.path() + "/Many";
        QDir().mkpath(dir);
        for (int i = 0; i < 40; ++i)
            Fb2Builder()
                .title(QString::number(i))
                .write(dir, QStringLiteral("b%1.fb2").arg(i, 2, 10, QLatin1Char('0')));
        AddBooksWorker worker({QFileInfo(dir)});
        connect(
            &worker, &AddBooksWorker::progressChanged, &worker,
            [&worker](int value) {
                if (value == 5)
                    worker.cancel();
            },
            Qt::DirectConnection);
        QSignalSpy failed(&worker, &AddBooksWorker::failed);
        worker.start();
        QVERIFY(worker.wait(60000));
        QCOMPARE(failed.count(), 1);
        QCOMPARE(BookProvider::instance()->allBookCount(), 5);
    }

    void fb2BookComesWithTitleAuthorCoverAndMetadata()
    {
        const QString dir = m_books + "/fb2";
        QDir().mkpath(dir);
        const QString good = Fb2Builder()
                                 .title(QString::fromUtf8("Анна Каренина"))
                                 .author(QString::fromUtf8("Лев"), QString::fromUtf8("Толстой"))
                                 .cover("cover.png")
                                 .image("cover.png", Fb2Builder::makeImage(120, 180))
                                 .body(Fb2Builder::section("One", {"Text."}))
                                 .write(dir, "anna.fb2");
        const QString untitled = Fb2Builder()
                                     .title("")
                                     .body(Fb2Builder::section("One", {"Text."}))
                                     .write(dir, "Untitled Draft.fb2");
        QFile broken(dir + "/broken.fb2");
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write("<FictionBook><description>");
        broken.close();

        AddBooksWorker worker({QFileInfo(dir)});
        QSignalSpy complete(&worker, &AddBooksWorker::complete);
        worker.start();
        QVERIFY(worker.wait(60000));
        QCOMPARE(complete.first().at(0).toInt(), 3);

        const BookDto anna = BookProvider::instance()->getBookByPath(QDir::toNativeSeparators(good));
        QCOMPARE(anna.title, QString::fromUtf8("Анна Каренина"));
        QCOMPARE(anna.author, QString::fromUtf8("Лев Толстой"));
        QCOMPARE(anna.format, 2);
        QCOMPARE(anna.cover, QDir::toNativeSeparators(Paths::bookCacheFolder(anna.full_path) + "/cover.png"));
        QCOMPARE(QImage(anna.cover).size(), QSize(120, 180));
        QCOMPARE(BookProvider::instance()->getMetaData(anna.id, MetaTitle), anna.title);

        // A missing title falls back to the file name; an unreadable file is
        // still listed under its name, and the summary says why it will not
        // open.
        QCOMPARE(BookProvider::instance()->getBookByPath(QDir::toNativeSeparators(untitled)).title,
                 QString("Untitled Draft"));
        const BookDto bad =
            BookProvider::instance()->getBookByPath(QDir::toNativeSeparators(broken.fileName()));
        QCOMPARE(bad.title, QString("broken"));
        QVERIFY(bad.cover.isEmpty());
        QCOMPARE(worker.refusals().size(), 1);
        QCOMPARE(worker.refusals().first().path, QDir::toNativeSeparators(broken.fileName()));
        QCOMPARE(worker.refusals().first().reason, BookError::Damaged);
    }

    void formatCodesFromSuffixes()
    {
        QCOMPARE(AddBooksWorker::formatFromSuffix("EPUB"), 0);
        QCOMPARE(AddBooksWorker::formatFromSuffix("Prc"), 5);
        QCOMPARE(AddBooksWorker::formatFromSuffix("cbr"), 7);
        QCOMPARE(AddBooksWorker::formatFromSuffix("txt"), 9);
        QCOMPARE(AddBooksWorker::formatFromSuffix(""), 9);
    }

    void smokeOnSampleBooks()
    {
        const QString samples = samplesFolder();
        if (samples.isEmpty())
            QSKIP("no sample books on this machine");
        int ordinary = 0;
        for (const char* format : {"epub", "fb2", "mobi", "pdf", "cbz", "cbr"})
            ordinary += QDir(samples + "/" + QLatin1String(format)).entryList(QDir::Files).size();
        AddBooksWorker worker({QFileInfo(samples)});
        QSignalSpy complete(&worker, &AddBooksWorker::complete);
        worker.start();
        QVERIFY(worker.wait(300000));
        QCOMPARE(complete.count(), 1);
        QVERIFY(complete.first().at(0).toInt() >= ordinary);
        QCOMPARE(BookProvider::instance()->bookCount(), complete.first().at(0).toInt());
    }

private:
    TestHome m_home;
    QString m_books;
};

QTEST_GUILESS_MAIN(TestAddBooksWorker)
#include "TestAddBooksWorker.moc"
