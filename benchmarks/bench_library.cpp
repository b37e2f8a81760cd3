// Times the library database on a library of 10,000 books: inserting, the
// lists the library view loads, the counts, search and lookup by path, alone
// and while a second thread inserts. Runs in a temporary home.
//
//   bench_library [book count]

#include "BookProvider.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>
#include <atomic>
#include <functional>

namespace {

QTextStream out(stdout);

BookDto makeBook(int i, const QString& prefix)
{
    static const char* const authors[] = {"Anna Akhmatova", "Leo Tolstoy", "James Joyce", "Jane Austen",
                                          "Fyodor Dostoevsky"};
    BookDto b;
    b.title = QStringLiteral("%1 volume %2").arg(prefix).arg(i);
    b.author = QString::fromLatin1(authors[i % 5]);
    b.full_path = QStringLiteral("/home/reader/Books/%1/%2.epub").arg(prefix).arg(i);
    b.cover = QStringLiteral("/home/reader/.lanternleaf/books/%1/cover.png").arg(i);
    b.format = i % 8;
    b.time_added = uint(1700000000 + i);
    b.time_last_view = i % 3 == 0 ? uint(QDateTime::currentSecsSinceEpoch() - i) : 0;
    b.metadata = {{MetaIdentifier, QStringLiteral("urn:uuid:%1").arg(i)},
                  {MetaPublisher, "Publisher"},
                  {MetaDescription, QString(400, 'd')},
                  {MetaLanguage, "en"}};
    return b;
}

/// Runs fn repeatedly for at least 200 ms (and at least 3 times); prints the mean.
void time(const QString& name, const std::function<int()>& fn)
{
    QElapsedTimer timer;
    timer.start();
    int runs = 0;
    int result = 0;
    while (runs < 3 || timer.elapsed() < 200) {
        result = fn();
        ++runs;
    }
    const double ms = double(timer.nsecsElapsed()) / 1e6 / runs;
    out << QStringLiteral("  %1 %2 ms  (result %3, %4 runs)\n")
               .arg(name, -28)
               .arg(ms, 8, 'f', 3)
               .arg(result)
               .arg(runs);
    out.flush();
}

void readAll(BookProvider* db, int count)
{
    time("selectAll", [db] { return db->selectAll().size(); });
    time("selectRecentlyRead", [db] { return db->selectRecentlyRead().size(); });
    time("selectLastAdded", [db] { return db->selectLastAdded().size(); });
    time("categoryCounts", [db] { return db->categoryCounts().all; });
    time("searchBooks(\"an\")", [db] { return db->searchBooks("an").size(); });
    time("getBookByPath",
         [db, count] { return db->getBookByPath(makeBook(count / 2, "main").full_path).id; });
}

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir home;
    qputenv("HOME", QFile::encodeName(home.path()));
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("lanternleaf");
    const int count = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 10000;

    BookProvider* db = BookProvider::instance();
    if (!db->createConnection())
        return 1;
    out << "database: " << db->databasePath() << "\n";

    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < count; ++i) {
        if (db->addBook(makeBook(i, "main")) < 0) {
            out << "insert failed: " << db->lastError() << "\n";
            return 1;
        }
    }
    const qint64 insertMs = timer.elapsed();
    out << QStringLiteral("insert %1 books with 4 metadata each: %2 ms (%3 ms per book)\n")
               .arg(count)
               .arg(insertMs)
               .arg(double(insertMs) / count, 0, 'f', 3);

    out << "reads, library idle:\n";
    readAll(db, count);

    std::atomic<bool> stop{false};
    std::atomic<int> inserted{0};
    std::atomic<int> failed{0};
    QThread* writer = QThread::create([&] {
        for (int i = 0; !stop; ++i) {
            if (db->addBook(makeBook(i, "worker")) < 0)
                ++failed;
            else
                ++inserted;
        }
    });
    writer->start();
    out << "reads, while a second thread inserts:\n";
    timer.restart();
    readAll(db, count);
    stop = true;
    writer->wait();
    delete writer;
    const qint64 concurrentMs = timer.elapsed();
    out << QStringLiteral("second thread: %1 books inserted in %2 ms, %3 failed; rows now %4\n")
               .arg(int(inserted))
               .arg(concurrentMs)
               .arg(int(failed))
               .arg(db->allBookCount());
    return failed == 0 ? 0 : 1;
}
