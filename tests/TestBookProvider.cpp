#include "BookProvider.h"
#include "Logger.h"
#include "Paths.h"
#include "util/TestHome.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QThread>
#include <QtTest>
#include <atomic>
#include <unistd.h>

namespace {
const qint64 kNow = 1750000000;

BookDto makeBook(const QString& title, const QString& author = QString(), uint added = 1000)
{
    BookDto b;
    b.title = title;
    b.author = author;
    b.full_path = "/books/" + title + ".epub";
    b.cover = "/cache/" + title + "/cover.png";
    b.time_added = added;
    return b;
}

/// Count of rows straight from the file, bypassing the provider's queries.
int rawCount(const QString& sql)
{
    QSqlQuery q(QSqlDatabase::database());
    if (!q.exec(sql) || !q.next())
        return -1;
    return q.value(0).toInt();
}
} // namespace

class TestBookProvider : public QObject
{
    Q_OBJECT

    struct Report
    {
        QString title;
        QString text;
    };

private slots:
    void initTestCase()
    {
        BookProvider::instance()->setMessageReporter([this](const QString& title, const QString& text) {
            m_reports.append({title, text});
        });
    }

    void init()
    {
        m_home.wipe();
        m_reports.clear();
        BookProvider::instance()->setClock([] { return kNow; });
        QVERIFY(BookProvider::instance()->createConnection());
        QVERIFY(m_reports.isEmpty());
    }

    void pathsRoundTripAsBase64_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("cover");
        QTest::newRow("ascii") << "/home/u/Books/war.epub"
                               << "/c/cover.png";
        QTest::newRow("cyrillic") << QString::fromUtf8("/home/u/Книги/Война и мир.fb2") << "";
        QTest::newRow("cjk and emoji")
            << QString::fromUtf8("/home/u/本/📚 «x» 'y'.pdf") << QString::fromUtf8("/c/本.png");
    }
    void pathsRoundTripAsBase64()
    {
        QFETCH(QString, path);
        QFETCH(QString, cover);
        auto* db = BookProvider::instance();
        const QString title = QString::fromUtf8("Война и мир, 本 📚");
        BookDto book = makeBook(title, QString::fromUtf8("Лев Толстой"));
        book.full_path = path;
        book.cover = cover;
        const int id = db->addBook(book);
        QVERIFY(id > 0);

        const BookDto found = db->getBookByPath(path);
        QCOMPARE(found.id, id);
        QCOMPARE(found.full_path, path);
        QCOMPARE(found.cover, cover);
        QCOMPARE(db->getBookById(id).full_path, path);
        QVERIFY(db->getBookByPath(path + "x").id <= 0);

        // The lists read their rows apart from the lookups: every field the
        // same, text outside ASCII included, and found by such text too.
        QVERIFY(db->setFavorite(id, 1));
        const BookDto byId = db->getBookById(id);
        for (const QList<BookDto>& list :
             {db->selectAll(), db->selectFavorits(), db->searchBooks(QString::fromUtf8("мир, 本"))}) {
            QCOMPARE(list.size(), 1);
            const BookDto& listed = list.first();
            QCOMPARE(listed.id, id);
            QCOMPARE(listed.full_path, path);
            QCOMPARE(listed.cover, cover);
            QCOMPARE(listed.title, title);
            QCOMPARE(listed.author, QString::fromUtf8("Лев Толстой"));
            QCOMPARE(listed.format, byId.format);
            QCOMPARE(listed.time_added, byId.time_added);
            QCOMPARE(listed.max_position, byId.max_position);
            QCOMPARE(listed.is_favorite, 1);
            QCOMPARE(listed.is_deleted, 0);
        }

        // What stored files rely on: Base64 of the UTF-8 bytes, "" for "".
        QSqlQuery q(QSqlDatabase::database());
        QVERIFY(q.exec(QStringLiteral("select cover, full_path from books where id=%1").arg(id)));
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toString(), QString::fromLatin1(cover.toUtf8().toBase64()));
        QCOMPARE(q.value(1).toString(), QString::fromLatin1(path.toUtf8().toBase64()));
    }

    void trashHidesBookFromLookupByPath()
    {
        auto* db = BookProvider::instance();
        const BookDto book = makeBook("Same");
        const int first = db->addBook(book);
        QVERIFY(db->setDeleted(first, 1));
        QVERIFY(db->getBookByPath(book.full_path).id <= 0);

        const int second = db->addBook(book);
        QVERIFY(second > first);
        QCOMPARE(db->getBookByPath(book.full_path).id, second);
        QCOMPARE(db->selectDeleted().size(), 1);
        QCOMPARE(db->allBookCount(), 2);

        QVERIFY(db->emptyTrash());
        QCOMPARE(db->allBookCount(), 1);
        QVERIFY(db->clearLibrary());
        QCOMPARE(db->bookCount(), 0);
        QVERIFY(db->restoreAll());
        QCOMPARE(db->bookCount(), 1);
    }

    void categories()
    {
        auto* db = BookProvider::instance();
        const int book = db->addBook(makeBook("b"));
        const int trashed = db->addBook(makeBook("t"));
        const int a = db->addCategory(QString::fromUtf8("Поэзия"), 0);
        const int b = db->addCategory("Prose", 0);
        QVERIFY(a > 0 && b > 0);
        QCOMPARE(db->addCategory("Prose", 0), -1);
        QVERIFY(!db->lastError().isEmpty());
        QVERIFY(!db->renameCategory(a, "Prose"));

        QVERIFY(db->addBookToCategory(book, a));
        QVERIFY(db->addBookToCategory(book, b));
        QCOMPARE(db->categoryOfBook(book), b);
        QCOMPARE(rawCount("select count(*) from book_folder_binder"), 1);
        QVERIFY(db->selectByFolder(a).isEmpty());
        QCOMPARE(db->selectByFolder(b).size(), 1);

        // Books in the trash: counted by the lookup of one category only.
        QVERIFY(db->addBookToCategory(trashed, b));
        QVERIFY(db->setDeleted(trashed, 1));
        QCOMPARE(db->findCategory(b).book_count, 2);
        const QList<CategoryDto> all = db->allCategories();
        QCOMPARE(all.size(), 2);
        QCOMPARE(all.at(1).book_count, 1);
        QCOMPARE(all.at(0).title, QString::fromUtf8("Поэзия"));

        QVERIFY(db->removeBookFromCategory(book, b));
        QCOMPARE(db->categoryOfBook(book), 0);
        QVERIFY(db->removeCategory(b));
        QCOMPARE(db->categoryOfBook(trashed), 0);
        QCOMPARE(db->allBookCount(), 2);
        QVERIFY(db->findCategory(b).id <= 0);
    }

    void deleteFromLibraryRemovesDependents()
    {
        auto* db = BookProvider::instance();
        BookDto book = makeBook("gone");
        book.metadata = {{MetaDescription, "d"}, {MetaLanguage, "en"}};
        const int id = db->addBook(book);
        const int kept = db->addBook(makeBook("kept"));
        QVERIFY(db->setMetaData(kept, MetaDescription, "k"));
        const int folder = db->addCategory("F", 0);
        QVERIFY(db->addBookToCategory(id, folder));
        BookmarkDto mark;
        mark.book_id = id;
        mark.title = "Chapter 1";
        mark.position = 1234;
        mark.progress = 12.5f;
        mark.time_added = 77;
        QVERIFY(db->addBookmark(mark));
        QVERIFY(db->addBookmark(mark));
        const QList<BookmarkDto> marks = db->bookmarks(id);
        QCOMPARE(marks.size(), 2);
        QCOMPARE(marks.at(0).position, 1234.0f);
        QCOMPARE(marks.at(0).progress, 12.5f);
        QVERIFY(db->removeBookmark(marks.at(0).id));
        QCOMPARE(db->bookmarks(id).size(), 1);

        QVERIFY(db->deleteFromLibrary(id));
        QVERIFY(db->getBookById(id).id <= 0);
        QCOMPARE(rawCount("select count(*) from bookmarks"), 0);
        QCOMPARE(rawCount("select count(*) from book_folder_binder"), 0);
        QCOMPARE(rawCount("select count(*) from book_metadata"), 1);
        QCOMPARE(db->getMetaData(kept, MetaDescription), QString("k"));
        QCOMPARE(db->findCategory(folder).title, QString("F"));
    }

    void countsAndLists()
    {
        auto* db = BookProvider::instance();
        QList<int> ids;
        for (int i = 0; i < 12; ++i) {
            BookDto b = makeBook(QString::number(i), "", 1000 + i);
            b.format = i % 3;
            b.is_favorite = i < 2 ? 1 : 0;
            ids.append(db->addBook(b));
        }
        CategoryCounts c = db->categoryCounts();
        QCOMPARE(c.all, 12);
        QCOMPARE(c.last_added, 8);
        QCOMPARE(c.favorites, 2);
        QCOMPARE(c.deleted, 0);
        QCOMPARE(c.recently_read, 0);

        const QList<BookDto> last = db->selectLastAdded();
        QCOMPARE(last.size(), 8);
        QCOMPARE(last.first().id, ids.last());
        QCOMPARE(db->selectAll().size(), 12);
        QCOMPARE(db->selectFavorits().size(), 2);
        QCOMPARE(db->selectByFormat(1).size(), 4);
        QCOMPARE(db->bookCountByFormat(1), 4);
        QCOMPARE(db->bookCountsByFormat(), (QMap<int, int>{{0, 4}, {1, 4}, {2, 4}}));

        for (int i = 0; i < 6; ++i)
            QVERIFY(db->setDeleted(ids.at(i), 1));
        c = db->categoryCounts();
        QCOMPARE(c.all, 6);
        QCOMPARE(c.last_added, 6);
        QCOMPARE(c.favorites, 0);
        QCOMPARE(c.deleted, 6);
        QCOMPARE(db->bookCount(), 6);
        QCOMPARE(db->allBookCount(), 12);
        // Books in the trash are not counted per format either.
        QCOMPARE(db->bookCountsByFormat(), (QMap<int, int>{{0, 2}, {1, 2}, {2, 2}}));
    }

    void batchOfBooksInOneTransaction()
    {
        auto* db = BookProvider::instance();
        QVERIFY(db->addBooks({}).isEmpty());
        QList<BookDto> batch;
        for (const char* title : {"One", "Two", "Three"}) {
            BookDto b = makeBook(QString::fromLatin1(title), "Someone", 5000);
            b.metadata[MetaTitle] = b.title;
            b.metadata[MetaLanguage] = "en";
            batch << b;
        }
        const QList<int> ids = db->addBooks(batch);
        QCOMPARE(ids.size(), 3);
        QVERIFY(ids.at(0) > 0 && ids.at(1) == ids.at(0) + 1 && ids.at(2) == ids.at(1) + 1);
        for (int i = 0; i < 3; ++i) {
            const BookDto book = db->getBookById(ids.at(i));
            QCOMPARE(book.title, batch.at(i).title);
            QCOMPARE(book.full_path, batch.at(i).full_path);
            QCOMPARE(db->getMetaData(ids.at(i), MetaLanguage), QString("en"));
        }
        QCOMPARE(rawCount("select COUNT(*) from book_metadata"), 6);
        // The transaction is closed: a single add works as before.
        QVERIFY(db->addBook(makeBook("Four", "", 6000)) > 0);
        QCOMPARE(db->bookCount(), 4);
    }

    void recentlyReadWindowAndLimit()
    {
        auto* db = BookProvider::instance();
        // 22 read inside the window, one on its very edge, one just outside,
        // one never read, one read recently but in the trash.
        for (int i = 0; i < 22; ++i) {
            BookDto b = makeBook(QString("in%1").arg(i));
            b.time_last_view = uint(kNow - 100 - i);
            db->addBook(b);
        }
        BookDto edge = makeBook("edge");
        edge.time_last_view = uint(kNow - BookProvider::RecentlyReadWindow);
        BookDto outside = makeBook("outside");
        outside.time_last_view = uint(kNow - BookProvider::RecentlyReadWindow - 1);
        BookDto trashed = makeBook("trashed");
        trashed.time_last_view = uint(kNow);
        trashed.is_deleted = 1;
        const int edgeId = db->addBook(edge);
        const int outsideId = db->addBook(outside);
        db->addBook(trashed);
        db->addBook(makeBook("never"));

        QList<BookDto> list = db->selectRecentlyRead();
        QCOMPARE(list.size(), 20);
        QCOMPARE(list.first().title, QString("in0"));
        QCOMPARE(db->categoryCounts().recently_read, 20);

        BookProvider::instance()->setClock([] { return kNow + 3600; });
        for (const BookDto& b : db->selectAll())
            if (b.title.startsWith("in"))
                QVERIFY(db->deleteFromLibrary(b.id));
        list = db->selectRecentlyRead();
        QCOMPARE(list.size(), 0);
        BookProvider::instance()->setClock([] { return kNow; });
        list = db->selectRecentlyRead();
        QCOMPARE(list.size(), 1);
        QCOMPARE(list.first().id, edgeId);
        QCOMPARE(db->categoryCounts().recently_read, 1);
        QVERIFY(db->setLastView(outsideId, uint(kNow)));
        QCOMPARE(db->selectRecentlyRead().first().id, outsideId);
    }

    void searchIncludesTrash()
    {
        auto* db = BookProvider::instance();
        db->addBook(makeBook("War and Peace", "Tolstoy"));
        db->addBook(makeBook("Poems", "ANNA Akhmatova"));
        BookDto trashed = makeBook("Anna Karenina", "Tolstoy");
        trashed.is_deleted = 1;
        db->addBook(trashed);
        db->addBook(makeBook("Dubliners", "Joyce"));
        db->addBook(makeBook("O'Brien's \"quotes\"; drop table books;--", "x"));

        QStringList titles;
        for (const BookDto& b : db->searchBooks("an"))
            titles << b.title;
        titles.sort();
        QCOMPARE(titles, QStringList({"Anna Karenina", "Poems", "War and Peace"}));
        QCOMPARE(db->searchBooks("O'Brien's \"quotes\"; drop").size(), 1);
        QCOMPARE(db->allBookCount(), 5);
        QVERIFY(db->searchBooks("zzz").isEmpty());
    }

    void metadataReplacesInPlace()
    {
        auto* db = BookProvider::instance();
        BookDto book = makeBook("m");
        book.metadata = {{MetaIdentifier, "urn:isbn:1"}, {MetaDescription, QString::fromUtf8("Ёлка")}};
        const int id = db->addBook(book);
        QCOMPARE(db->getMetaData(id, MetaDescription), QString::fromUtf8("Ёлка"));
        QCOMPARE(db->getMetaData(id, MetaIdentifier), QString("urn:isbn:1"));
        QVERIFY(db->getMetaData(id, MetaRights).isEmpty());

        const int rowId = rawCount("select id from book_metadata where meta_type=6");
        QVERIFY(db->setMetaData(id, MetaDescription, "second"));
        QVERIFY(db->setMetaData(id, MetaDescription, "third"));
        QCOMPARE(db->getMetaData(id, MetaDescription), QString("third"));
        QCOMPARE(rawCount("select count(*) from book_metadata"), 2);
        QCOMPARE(rawCount("select id from book_metadata where meta_type=6"), rowId);
    }

    void workerInsertsWhileInterfaceReads()
    {
        auto* db = BookProvider::instance();
        db->addBook(makeBook("existing"));
        const QString errorBefore = db->lastError();
        const int total = 2000;
        QList<int> ids;
        QString workerError;
        std::atomic<bool> done{false};
        QThread* worker = QThread::create([&] {
            for (int i = 0; i < total; ++i) {
                BookDto b = makeBook(QString("w%1").arg(i), "worker", uint(2000 + i));
                b.metadata = {{MetaDescription, "d"}};
                ids.append(db->addBook(b));
                if (i % 100 == 0)
                    db->bookCount();
            }
            workerError = db->lastError();
            done = true;
        });
        worker->start();
        int rounds = 0;
        while (!done || rounds < 3) {
            QVERIFY(db->selectAll().size() >= 1);
            QVERIFY(db->categoryCounts().all >= 1);
            QVERIFY(db->selectLastAdded().size() >= 1);
            // The interface writes too (reading position, favourite flag).
            QVERIFY(db->setLastView(1, uint(kNow - rounds)));
            QVERIFY(db->setFavorite(1, rounds % 2));
            ++rounds;
        }
        QVERIFY(worker->wait(60000));
        delete worker;

        QVERIFY2(workerError.isEmpty(), qPrintable(workerError));
        QCOMPARE(db->lastError(), errorBefore);
        QCOMPARE(QSet<int>(ids.begin(), ids.end()).size(), total);
        QVERIFY(!ids.contains(-1));
        QCOMPARE(db->allBookCount(), total + 1);
        QCOMPARE(rawCount("select count(*) from book_metadata"), total);
        QFile log(Logger::instance()->currentLogPath());
        if (log.open(QIODevice::ReadOnly))
            QVERIFY(!log.readAll().contains("ERROR"));
        // The worker's connection went away with its thread.
        QCOMPARE(QSqlDatabase::connectionNames(), QStringList{QSqlDatabase::defaultConnection});
    }

    void unusableDatabaseIsReported_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("title");
        QTest::newRow("folder in place of the file") << "folder"
                                                     << "Failed to open database";
        QTest::newRow("file in place of the folder") << "file"
                                                     << "Failed to open database";
        QTest::newRow("read-only folder") << "readonly"
                                          << "Failed to open database";
        QTest::newRow("not a database") << "garbage"
                                        << "Creation table failed";
    }
    void unusableDatabaseIsReported()
    {
        QFETCH(QString, kind);
        QFETCH(QString, title);
        auto* db = BookProvider::instance();
        const QString data = m_home.path() + "/.lanternleaf/data";
        m_home.wipe();
        if (kind == "folder") {
            QVERIFY(QDir().mkpath(data + "/ebooklib.sqlite3"));
        } else if (kind == "file") {
            QDir().mkpath(m_home.path() + "/.lanternleaf");
            QFile f(data);
            QVERIFY(f.open(QIODevice::WriteOnly));
        } else if (kind == "garbage") {
            QVERIFY(QDir().mkpath(data));
            QFile f(data + "/ebooklib.sqlite3");
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QByteArray(4096, 'x'));
        } else {
            if (geteuid() == 0)
                QSKIP("root writes into read-only folders");
            QVERIFY(QDir().mkpath(data));
            QFile::setPermissions(data, QFile::ReadOwner | QFile::ExeOwner);
        }

        QVERIFY(!db->createConnection());
        if (kind == "readonly")
            QFile::setPermissions(data, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(m_reports.size(), 1);
        QCOMPARE(m_reports.first().title, title);
        QVERIFY(!m_reports.first().text.isEmpty());

        auto failsCleanly = [db] {
            QCOMPARE(db->addBook(makeBook("x")), -1);
            QVERIFY(!db->lastError().isEmpty());
            QVERIFY(db->getBookById(1).id <= 0);
            QVERIFY(db->getBookByPath("/books/x.epub").id <= 0);
            QVERIFY(!db->setFavorite(1, 1));
            QCOMPARE(db->bookCount(), -1);
            QVERIFY(db->selectAll().isEmpty());
            QVERIFY(db->searchBooks("a").isEmpty());
            QCOMPARE(db->categoryCounts().all, 0);
            QCOMPARE(db->addCategory("c", 0), -1);
            QVERIFY(db->allCategories().isEmpty());
            QVERIFY(db->getMetaData(1, 6).isEmpty());
        };
        failsCleanly();
        QThread* worker = QThread::create(failsCleanly);
        worker->start();
        QVERIFY(worker->wait(10000));
        delete worker;
    }

private:
    TestHome m_home;
    QList<Report> m_reports;
};

QTEST_GUILESS_MAIN(TestBookProvider)
#include "TestBookProvider.moc"
