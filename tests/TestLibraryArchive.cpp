#include "BookProvider.h"
#include "ExportWorker.h"
#include "ImportWorker.h"
#include "LibraryContainer.h"
#include "Limits.h"
#include "Paths.h"
#include "util/RawZipBuilder.h"
#include "util/TestHome.h"

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QUuid>
#include <QtTest>

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>

#include <csignal>
#include <limits>
#include <sys/resource.h>

namespace {
QByteArray randomBytes(int size, quint32 seed)
{
    QRandomGenerator generator(seed);
    QByteArray data(size, Qt::Uninitialized);
    for (char& byte : data)
        byte = char(generator.bounded(256));
    return data;
}

QString writeFile(const QString& path, const QByteArray& data)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size())
        return QString();
    return path;
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray readEntry(const QString& archive, const QString& name)
{
    QuaZipFile file(archive, name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList entriesOf(const QString& folder)
{
    QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    names.sort();
    return names;
}

struct Mark
{
    QString title;
    float position;
    float progress;
};

// `age` seconds before now, so that the newest-first order is certain.
int addBook(const QString& path, const QString& title, int format, int age = 0,
            const QString& cover = QString(), int position = 0, int progress = 0, bool favorite = false,
            const QList<Mark>& marks = {})
{
    BookDto book;
    book.full_path = QDir::toNativeSeparators(path);
    book.title = title;
    book.author = "Author of " + title;
    book.format = format;
    book.cover = cover;
    book.position = position;
    book.max_position = progress;
    book.is_favorite = favorite ? 1 : 0;
    book.time_added = uint(QDateTime::currentSecsSinceEpoch() - age);
    const int id = BookProvider::instance()->addBook(book);
    for (const Mark& mark : marks) {
        BookmarkDto bookmark;
        bookmark.book_id = id;
        bookmark.title = mark.title;
        bookmark.position = mark.position;
        bookmark.progress = mark.progress;
        bookmark.time_added = book.time_added;
        BookProvider::instance()->addBookmark(bookmark);
    }
    return id;
}

// Every book row has its file, and every file of the folder has its row.
bool libraryMatchesFolder(const QString& folder)
{
    const QList<BookDto> books = BookProvider::instance()->selectAll();
    for (const BookDto& book : books) {
        if (!QFileInfo(book.full_path).isFile())
            return false;
    }
    return entriesOf(folder).size() == books.size();
}

QJsonObject bookJson(const QString& fileName, const QString& relPath, const QString& coverPath = QString())
{
    return QJsonObject{{"book_id", "b"},          {"file_name", fileName}, {"rel_path", relPath},
                       {"cover_path", coverPath}, {"author", "A"},         {"title", fileName},
                       {"book_format", 0},        {"position", 7},         {"progress", 3},
                       {"is_favorite", false}};
}

QByteArray containerJson(const QJsonArray& books)
{
    return QJsonDocument(QJsonObject{{"books", books}}).toJson();
}

struct Run
{
    bool finished = false;
    int completed = -1; ///< book count, or -1
    QString archive;
    int error = 0;
    int canceled = 0;
    QStringList messages;
};

template <class Worker> Run runWorker(Worker& worker)
{
    QSignalSpy failed(&worker, &Worker::failed);
    QSignalSpy canceled(&worker, &Worker::canceled);
    QSignalSpy complete(&worker, &Worker::complete);
    QSignalSpy messages(&worker, &Worker::progressMessage);
    worker.start();
    Run run;
    run.finished = worker.wait(120000);
    if (!failed.isEmpty())
        run.error = failed.first().at(0).toInt();
    run.canceled = canceled.count();
    if (!complete.isEmpty()) {
        run.completed = complete.first().at(0).toInt();
        run.archive = complete.first().at(0).toString();
    }
    for (const QList<QVariant>& args : messages)
        run.messages << args.at(0).toString();
    return run;
}

// Makes every write beyond `bytes` into a file fail, as on a full disk.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{bytes, m_old.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};
} // namespace

class TestLibraryArchive : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { registerWorkerMetaTypes(); }

    void init()
    {
        m_home.wipe();
        QVERIFY(BookProvider::instance()->createConnection());
        m_root.reset(new QTemporaryDir);
        m_books = m_root->path() + "/books";
        m_dest = m_root->path() + "/dest";
        m_outside = m_root->path() + "/outside";
        QDir().mkpath(m_books);
        QDir().mkpath(m_outside);
    }

    void roundTripKeepsEveryField()
    {
        QImage image(40, 60, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        const QString coverPath = m_root->path() + "/covers/alpha.png";
        QDir().mkpath(QFileInfo(coverPath).path());
        QVERIFY(image.save(coverPath));
        const QByteArray alphaData = randomBytes(50000, 1);
        const QByteArray betaData = randomBytes(9000, 2);
        addBook(writeFile(m_books + "/Alpha.fb2", alphaData), "Alpha", 2, 10, coverPath, 1234, 42, true,
                {{"Chapter 1", 10, 1}, {QString::fromUtf8("Глава «2»"), 5000, 55}});
        addBook(writeFile(m_books + "/Beta.epub", betaData), "Beta", 0);
        addBook(m_books + "/Gone.pdf", "Gone", 3, 20); // its file is missing

        ExportWorker exporter(m_root->path() + "/out/library");
        const Run exported = runWorker(exporter);
        QVERIFY(exported.finished);
        QCOMPARE(exported.error, 0);
        const QString archive = m_root->path() + "/out/library.lvx";
        QCOMPARE(exported.archive, archive);
        QCOMPARE(entriesOf(m_root->path() + "/out"), QStringList({"library.lvx"}));
        QVERIFY(exported.messages.contains("1 of 3 is being exported. Beta.epub"));

        const QJsonObject container = QJsonDocument::fromJson(readEntry(archive, "container.json")).object();
        const QJsonArray books = container.value("books").toArray();
        QCOMPARE(container.keys(), QStringList({"books"}));
        QCOMPARE(books.size(), 2);
        for (const QJsonValue& value : books) {
            const QJsonObject book = value.toObject();
            const QString id = book.value("book_id").toString();
            QVERIFY(QUuid(id).toString() == id);
            QCOMPARE(book.value("rel_path").toString(),
                     id + "/" + id + "." + QFileInfo(book.value("file_name").toString()).suffix());
            for (const char* key : {"book_id", "file_name", "rel_path", "cover_path", "author", "title",
                                    "book_format", "position", "progress", "is_favorite"})
                QVERIFY2(book.contains(key), key);
            if (book.value("title") == "Beta") {
                QCOMPARE(book.value("cover_path").toString(), QString());
                QVERIFY(!book.contains("bookmarks"));
                QCOMPARE(readEntry(archive, book.value("rel_path").toString()), betaData);
            } else {
                QCOMPARE(book.value("cover_path").toString(), id + "/cover.png");
                QCOMPARE(book.value("bookmarks").toArray().size(), 2);
                QCOMPARE(book.value("progress").toInt(), 42);
                QCOMPARE(book.value("is_favorite").toBool(), true);
            }
        }

        // Into an empty library, as on a new machine.
        m_home.wipe();
        QVERIFY(BookProvider::instance()->createConnection());
        ImportWorker importer(archive, m_dest);
        const Run imported = runWorker(importer);
        QVERIFY(imported.finished);
        QCOMPARE(imported.error, 0);
        QCOMPARE(imported.completed, 2);
        QCOMPARE(entriesOf(m_dest), QStringList({"Alpha.fb2", "Beta.epub"}));
        QVERIFY(libraryMatchesFolder(m_dest));

        BookProvider* provider = BookProvider::instance();
        const BookDto alpha = provider->getBookByPath(QDir::toNativeSeparators(m_dest + "/Alpha.fb2"));
        QVERIFY(alpha.id > 0);
        QCOMPARE(alpha.title, QString("Alpha"));
        QCOMPARE(alpha.author, QString("Author of Alpha"));
        QCOMPARE(alpha.format, 2);
        QCOMPARE(alpha.position, 1234);
        QCOMPARE(alpha.max_position, 42);
        QCOMPARE(alpha.is_favorite, 1);
        QCOMPARE(readFile(alpha.full_path), alphaData);
        QCOMPARE(alpha.cover,
                 QDir::toNativeSeparators(Paths::bookCacheFolder(alpha.full_path) + "/cover.png"));
        QCOMPARE(readFile(alpha.cover), readFile(coverPath));
        const QList<BookmarkDto> marks = provider->bookmarks(alpha.id);
        QCOMPARE(marks.size(), 2);
        QStringList described;
        for (const BookmarkDto& mark : marks)
            described << QString("%1 %2 %3").arg(mark.title).arg(mark.position).arg(mark.progress);
        described.sort();
        QCOMPARE(described, QStringList({"Chapter 1 10 1", QString::fromUtf8("Глава «2» 5000 55")}));

        const BookDto beta = provider->getBookByPath(QDir::toNativeSeparators(m_dest + "/Beta.epub"));
        QCOMPARE(beta.cover, QString());
        QCOMPARE(beta.is_favorite, 0);
        QCOMPARE(readFile(beta.full_path), betaData);
        QVERIFY(provider->bookmarks(beta.id).isEmpty());
    }

    void suffixIsAppendedOnce_data()
    {
        QTest::addColumn<QString>("given");
        QTest::addColumn<QString>("used");
        QTest::newRow("no suffix") << "/tmp/backup"
                                   << "/tmp/backup.lvx";
        QTest::newRow("suffix") << "/tmp/backup.lvx"
                                << "/tmp/backup.lvx";
        QTest::newRow("suffix in capitals") << "/tmp/backup.LVX"
                                            << "/tmp/backup.LVX";
        QTest::newRow("another suffix") << "/tmp/backup.zip"
                                        << "/tmp/backup.zip.lvx";
    }
    void suffixIsAppendedOnce()
    {
        QFETCH(QString, given);
        QFETCH(QString, used);
        QCOMPARE(ExportWorker(given).fileName(), used);
    }

    void emptyLibraryFailsWithoutFile()
    {
        addBook(writeFile(m_books + "/Trashed.epub", "x"), "Trashed", 0);
        BookProvider::instance()->clearLibrary(); // in the trash: not exported
        ExportWorker exporter(m_root->path() + "/out/empty.lvx");
        const Run run = runWorker(exporter);
        QCOMPARE(run.error, int(ExportLibraryEmpty));
        QCOMPARE(run.completed, -1);
        QVERIFY(!QFileInfo::exists(m_root->path() + "/out/empty.lvx"));
        QCOMPARE(entriesOf(m_root->path() + "/out"), QStringList());
    }

    void takenNamesGetACounterAndNothingIsOverwritten()
    {
        addBook(writeFile(m_books + "/Alpha.fb2", "new alpha"), "Alpha", 2);
        const QString archive = exportLibrary();
        writeFile(m_dest + "/Alpha.fb2", "old one");
        writeFile(m_dest + "/(1)Alpha.fb2", "old two");

        for (const char* expected : {"(2)Alpha.fb2", "(3)Alpha.fb2"}) {
            ImportWorker importer(archive, m_dest);
            const Run run = runWorker(importer);
            QCOMPARE(run.completed, 1);
            QCOMPARE(readFile(m_dest + "/" + expected), QByteArray("new alpha"));
        }
        QCOMPARE(readFile(m_dest + "/Alpha.fb2"), QByteArray("old one"));
        QCOMPARE(readFile(m_dest + "/(1)Alpha.fb2"), QByteArray("old two"));
        // The original row and the two imported ones.
        QCOMPARE(BookProvider::instance()->bookCount(), 3);
    }

    void hostileArchives_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("error");         // -1: completes
        QTest::addColumn<int>("imported");      // books reported and in the library
        QTest::addColumn<QStringList>("files"); // the destination afterwards
        QTest::addColumn<bool>("goodCover");

        const QStringList good{"good.epub"};
        QTest::newRow("rel_path with ../") << "relPathUp" << -1 << 1 << good << false;
        QTest::newRow("absolute rel_path") << "relPathAbsolute" << -1 << 1 << good << false;
        QTest::newRow("absolute file_name")
            << "fileNameAbsolute" << -1 << 1 << QStringList{"abs.epub"} << false;
        QTest::newRow("file_name with ../") << "fileNameUp" << -1 << 1 << QStringList{"up.epub"} << false;
        QTest::newRow("file_name of dots") << "fileNameDots" << -1 << 0 << QStringList{} << false;
        QTest::newRow("cover_path that escapes") << "coverUp" << -1 << 1 << good << false;
        QTest::newRow("cover") << "coverGood" << -1 << 1 << good << true;
        QTest::newRow("missing entry") << "missingEntry" << -1 << 1 << good << false;
        QTest::newRow("checksum mismatch") << "badChecksum" << -1 << 1 << good << false;
        QTest::newRow("huge claimed book") << "hugeBook" << -1 << 1 << good << false;
        QTest::newRow("book beyond 4 GiB") << "hugeBook64" << -1 << 1 << good << false;
        QTest::newRow("huge claimed cover") << "hugeCover" << -1 << 1 << good << false;
        QTest::newRow("huge claimed container") << "hugeContainer" << 1 << 0 << QStringList{} << false;
        QTest::newRow("container not JSON") << "notJson" << 1 << 0 << QStringList{} << false;
        QTest::newRow("container not an object") << "jsonArray" << 1 << 0 << QStringList{} << false;
        QTest::newRow("books not an array") << "booksNumber" << 1 << 0 << QStringList{} << false;
        QTest::newRow("foreign zip") << "foreign" << 1 << 0 << QStringList{} << false;
        QTest::newRow("truncated zip") << "truncated" << 1 << 0 << QStringList{} << false;
        QTest::newRow("not a zip") << "notZip" << 1 << 0 << QStringList{} << false;
    }
    void hostileArchives()
    {
        QFETCH(QString, kind);
        QFETCH(int, error);
        QFETCH(int, imported);
        QFETCH(QStringList, files);
        QFETCH(bool, goodCover);

        const QString archive = m_root->path() + "/hostile.lvx";
        QVERIFY(buildHostile(kind, archive));
        ImportWorker importer(archive, m_dest);
        const Run run = runWorker(importer);
        QVERIFY(run.finished);
        QCOMPARE(run.error, error == -1 ? 0 : error);
        QCOMPARE(run.completed, error == -1 ? imported : -1);
        QCOMPARE(BookProvider::instance()->bookCount(), imported);
        if (QFileInfo::exists(m_dest)) {
            QCOMPARE(entriesOf(m_dest), files);
            QVERIFY(libraryMatchesFolder(m_dest));
        }
        QCOMPARE(entriesOf(m_outside), QStringList());
        QStringList root = entriesOf(m_root->path());
        root.removeAll("dest");
        QCOMPARE(root, QStringList({"books", "hostile.lvx", "outside"}));
        if (files == QStringList{"good.epub"}) {
            const BookDto book = BookProvider::instance()->getBookByPath(m_dest + "/good.epub");
            QCOMPARE(readFile(book.full_path), QByteArray("good book"));
            QCOMPARE(book.cover.isEmpty(), !goodCover);
            const QStringList cache = entriesOf(Paths::bookCacheFolder(book.full_path));
            QCOMPARE(cache, goodCover ? QStringList{"cover.png"} : QStringList{});
        }
    }

    void cancelledExportLeavesNoArchive()
    {
        for (int i = 0; i < 3; ++i)
            addBook(writeFile(m_books + QString("/Book%1.epub").arg(i), randomBytes(200000, quint32(i))),
                    QString("Book%1").arg(i), 0, i);
        const QString target = m_root->path() + "/out/library.lvx";
        writeFile(target, "the previous backup");
        ExportWorker exporter(target);
        // Cancelled from the worker's own thread as the second book begins,
        // so the cut falls inside the archive for sure.
        connect(
            &exporter, &ExportWorker::progressChanged, &exporter,
            [&exporter](int value) {
                if (value == 2)
                    exporter.cancel();
            },
            Qt::DirectConnection);
        const Run run = runWorker(exporter);
        QCOMPARE(run.error, int(ExportCanceled));
        QCOMPARE(run.canceled, 1);
        QCOMPARE(entriesOf(m_root->path() + "/out"), QStringList({"library.lvx"}));
        QCOMPARE(readFile(target), QByteArray("the previous backup"));
    }

    void cancelledImportKeepsTheBooksBefore()
    {
        for (int i = 0; i < 3; ++i)
            addBook(writeFile(m_books + QString("/Book%1.epub").arg(i), randomBytes(200000, quint32(i))),
                    QString("Book%1").arg(i), 0, i);
        const QString archive = exportLibrary();
        m_home.wipe();
        QVERIFY(BookProvider::instance()->createConnection());

        ImportWorker importer(archive, m_dest);
        connect(
            &importer, &ImportWorker::progressChanged, &importer,
            [&importer](int value) {
                if (value == 2)
                    importer.cancel();
            },
            Qt::DirectConnection);
        const Run run = runWorker(importer);
        QCOMPARE(run.error, int(ImportCanceled));
        QCOMPARE(run.canceled, 1);
        QCOMPARE(BookProvider::instance()->bookCount(), 1);
        QCOMPARE(entriesOf(m_dest).size(), 1);
        QVERIFY(libraryMatchesFolder(m_dest));
    }

    void exportWriteFailure_data()
    {
        QTest::addColumn<bool>("fullDisk");
        QTest::newRow("folder cannot be made") << false;
        QTest::newRow("disk full while writing") << true;
    }
    void exportWriteFailure()
    {
        QFETCH(bool, fullDisk);
        addBook(writeFile(m_books + "/Large.epub", randomBytes(1500000, 9)), "Large", 0);
        QString folder = m_root->path() + "/out";
        if (!fullDisk) {
            writeFile(m_root->path() + "/file", "a file, not a folder");
            folder = m_root->path() + "/file/out";
        }
        const QString target = folder + "/library.lvx";
        if (fullDisk)
            writeFile(target, "the previous backup");

        ExportWorker exporter(target);
        Run run;
        {
            std::unique_ptr<FileSizeLimit> limit(fullDisk ? new FileSizeLimit(256 * 1024) : nullptr);
            run = runWorker(exporter);
        }
        QVERIFY(run.finished);
        QCOMPARE(run.error, int(ExportCompressError));
        if (fullDisk) {
            QCOMPARE(entriesOf(folder), QStringList({"library.lvx"}));
            QCOMPARE(readFile(target), QByteArray("the previous backup"));
        } else {
            QVERIFY(!QFileInfo::exists(target));
        }
    }

    void importWriteFailureStops()
    {
        addBook(writeFile(m_books + "/Small.epub", "small"), "Small", 0, 20);
        addBook(writeFile(m_books + "/Large.epub", randomBytes(1500000, 5)), "Large", 0, 10);
        addBook(writeFile(m_books + "/Tiny.epub", "tiny"), "Tiny", 0);
        const QString archive = exportLibrary();
        m_home.wipe();
        QVERIFY(BookProvider::instance()->createConnection());

        ImportWorker importer(archive, m_dest);
        Run run;
        {
            FileSizeLimit limit(256 * 1024);
            run = runWorker(importer);
        }
        QCOMPARE(run.error, int(ImportFileError));
        // Newest first: Tiny, then Large fails and the import stops.
        QCOMPARE(entriesOf(m_dest), QStringList({"Tiny.epub"}));
        QVERIFY(libraryMatchesFolder(m_dest));
    }

    void entryNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("safe");
        QTest::addColumn<QString>("leaf");
        QTest::newRow("book") << "{a}/{a}.epub" << true << "{a}.epub";
        QTest::newRow("up") << "../a.epub" << false << "a.epub";
        QTest::newRow("up inside") << "x/../../a.epub" << false << "a.epub";
        QTest::newRow("absolute") << "/etc/passwd" << false << "passwd";
        QTest::newRow("backslashes") << "..\\..\\a.epub" << false << "a.epub";
        QTest::newRow("drive") << "C:/a.epub" << false << "a.epub";
        QTest::newRow("dot part") << "./a.epub" << false << "a.epub";
        QTest::newRow("empty part") << "x//a.epub" << false << "a.epub";
        QTest::newRow("folder") << "x/" << false << "";
        QTest::newRow("dots") << ".." << false << "";
        QTest::newRow("empty") << "" << false << "";
        QTest::newRow("too long") << QString(300, 'a') << true << "";
    }
    void entryNames()
    {
        QFETCH(QString, name);
        QFETCH(bool, safe);
        QFETCH(QString, leaf);
        QCOMPARE(LibraryContainer::isSafeEntryName(name), safe);
        QCOMPARE(LibraryContainer::leafName(name), leaf);
    }

    void containerReadsOtherWritersLeniently()
    {
        QList<ContainerBook> books;
        QString error;
        QVERIFY(LibraryContainer::parse(R"({"books": [{"position": 12.6, "progress": "9",
            "is_favorite": 1, "bookmarks": [{"title": "t", "position": 1e12}]}, 7]})",
                                        &books, &error));
        QCOMPARE(books.size(), 2);
        QCOMPARE(books[0].position, 13);
        QCOMPARE(books[0].progress, 0);
        QCOMPARE(books[0].favorite, true);
        QCOMPARE(books[0].bookmarks.size(), 1);
        QCOMPARE(books[0].bookmarks[0].position, std::numeric_limits<int>::max());
        QCOMPARE(books[1].fileName, QString());
    }

private:
    QString exportLibrary()
    {
        ExportWorker exporter(m_root->path() + "/library.lvx");
        const Run run = runWorker(exporter);
        return run.error == 0 ? run.archive : QString();
    }

    bool buildHostile(const QString& kind, const QString& path)
    {
        const QString goodEntry = "g/g.epub";
        const QByteArray goodData = "good book";
        RawZipBuilder zip;
        QJsonArray books;
        QJsonObject goodBook = bookJson("good.epub", goodEntry);
        const auto withGood = [&]() {
            zip.entry(goodEntry, goodData);
            books.append(goodBook);
        };
        const QByteArray png = [] {
            QImage image(8, 8, QImage::Format_RGB32);
            image.fill(Qt::red);
            QByteArray bytes;
            QBuffer buffer(&bytes);
            buffer.open(QIODevice::WriteOnly);
            image.save(&buffer, "PNG");
            return bytes;
        }();

        if (kind == "relPathUp") {
            zip.entry("../outside/evil.epub", "evil");
            books.append(bookJson("evil.epub", "../outside/evil.epub"));
            withGood();
        } else if (kind == "relPathAbsolute") {
            const QString absolute = m_outside + "/evil.epub";
            zip.entry(absolute, "evil");
            books.append(bookJson("evil.epub", absolute));
            withGood();
        } else if (kind == "fileNameAbsolute") {
            zip.entry(goodEntry, goodData);
            books.append(bookJson(m_outside + "/abs.epub", goodEntry));
        } else if (kind == "fileNameUp") {
            zip.entry(goodEntry, goodData);
            books.append(bookJson("../../outside/up.epub", goodEntry));
        } else if (kind == "fileNameDots") {
            zip.entry(goodEntry, goodData);
            books.append(bookJson("..", goodEntry));
        } else if (kind == "coverUp" || kind == "coverGood") {
            const QString cover = kind == "coverUp" ? "../../outside/cover.png" : "g/cover.png";
            zip.entry(cover, png);
            goodBook = bookJson("good.epub", goodEntry, cover);
            withGood();
        } else if (kind == "missingEntry") {
            books.append(bookJson("lost.epub", "nothing/here.epub"));
            withGood();
        } else if (kind == "badChecksum") {
            zip.rawEntry("x/x.epub", "some bytes", 10, 12345, 0);
            books.append(bookJson("x.epub", "x/x.epub"));
            withGood();
        } else if (kind == "hugeBook" || kind == "hugeBook64") {
            const QByteArray stored = RawZipBuilder::deflate(QByteArray(1000, 'a'));
            const qint64 claimed = kind == "hugeBook" ? 2LL << 30 : 5LL << 30;
            zip.rawEntry("x/x.epub", stored, claimed, 0);
            books.append(bookJson("x.epub", "x/x.epub"));
            withGood();
        } else if (kind == "hugeCover") {
            // 1.5 GiB from 2 MB passes the ratio bound; the size bound stops it.
            zip.rawEntry("g/cover.png", randomBytes(2 << 20, 3), 3LL << 29, 0, 0);
            goodBook = bookJson("good.epub", goodEntry, "g/cover.png");
            withGood();
        } else if (kind == "hugeContainer") {
            withGood();
            zip.rawEntry("container.json", randomBytes(2 << 20, 4), 1LL << 30, 0, 0);
            return zip.write(path);
        } else if (kind == "notJson") {
            withGood();
            zip.entry("container.json", "this is not JSON");
            return zip.write(path);
        } else if (kind == "jsonArray") {
            withGood();
            zip.entry("container.json", "[{\"books\": []}]");
            return zip.write(path);
        } else if (kind == "booksNumber") {
            withGood();
            zip.entry("container.json", "{\"books\": 5}");
            return zip.write(path);
        } else if (kind == "foreign") {
            withGood();
            return zip.write(path);
        } else if (kind == "truncated") {
            withGood();
            zip.entry("container.json", containerJson(books));
            if (!zip.write(path))
                return false;
            QFile file(path);
            return file.resize(file.size() / 2);
        } else if (kind == "notZip") {
            return !writeFile(path, randomBytes(5000, 6)).isEmpty();
        }
        zip.entry("container.json", containerJson(books));
        return zip.write(path);
    }

    TestHome m_home;
    std::unique_ptr<QTemporaryDir> m_root;
    QString m_books;
    QString m_dest;
    QString m_outside;
};

QTEST_GUILESS_MAIN(TestLibraryArchive)
#include "TestLibraryArchive.moc"
