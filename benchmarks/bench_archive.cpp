// Exports a library of real books into one archive, imports it into a fresh
// home, and compares the two libraries field by field. Books are copies of
// the sample books under distinct names, each with a cover (but every fifth),
// a position, a progress, a favourite flag (every third) and 0 to 3
// bookmarks. Runs in a temporary folder.
//
//   bench_archive [book count] [samples folder]

#include "BookFormat.h"
#include "BookProvider.h"
#include "ExportWorker.h"
#include "ImportWorker.h"
#include "Paths.h"
#include "WorkerTypes.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QMap>
#include <QPainter>
#include <QTemporaryDir>
#include <QTextStream>

#include <ctime>

namespace {

QTextStream out(stdout);

void useHome(const QString& home)
{
    QDir().mkpath(home);
    qputenv("HOME", QFile::encodeName(home));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(home + "/.cache"));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home + "/.config"));
}

QByteArray hashOf(const QString& path)
{
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return QByteArray();
    QCryptographicHash hash(QCryptographicHash::Sha1);
    hash.addData(&file);
    return hash.result();
}

/// Everything of one book that must survive the trip.
struct Snapshot
{
    QString title, author;
    int format = 0, position = 0, progress = 0, favorite = 0;
    QByteArray file, cover;
    QStringList bookmarks;
};

QMap<QString, Snapshot> snapshot()
{
    QMap<QString, Snapshot> books;
    BookProvider* db = BookProvider::instance();
    for (const BookDto& book : db->selectAll()) {
        Snapshot s;
        s.title = book.title;
        s.author = book.author;
        s.format = book.format;
        s.position = book.position;
        s.progress = book.max_position;
        s.favorite = book.is_favorite;
        s.file = hashOf(book.full_path);
        s.cover = hashOf(book.cover);
        for (const BookmarkDto& mark : db->bookmarks(book.id))
            s.bookmarks << QStringLiteral("%1|%2|%3").arg(mark.title).arg(mark.position).arg(mark.progress);
        s.bookmarks.sort();
        books.insert(QFileInfo(book.full_path).fileName(), s);
    }
    return books;
}

QStringList sampleBooks(const QString& folder)
{
    QStringList books;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        // Damaged files belong to the parser tests, not to a library.
        if (!path.contains("/hostile/") && !path.endsWith(".md"))
            books << path;
    }
    books.sort();
    return books;
}

QImage makeCover(int i)
{
    QImage image(130, 190, QImage::Format_RGB32);
    image.fill(QColor::fromHsv((i * 37) % 360, 120, 200));
    QPainter painter(&image);
    painter.drawText(image.rect(), Qt::AlignCenter, QString::number(i));
    return image;
}

// Processor time of the whole process (all threads): on a busy shared
// machine it says more about the work than the wall-clock time does.
double cpuMs()
{
    return double(std::clock()) * 1000.0 / CLOCKS_PER_SEC;
}

template <class Worker> bool runWorker(Worker& worker, int* failure)
{
    *failure = 0;
    QObject::connect(&worker, &Worker::failed, [failure](auto error) { *failure = int(error); });
    worker.start();
    return worker.wait() && *failure == 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir root;
    useHome(root.path() + "/home-a");
    QGuiApplication app(argc, argv);
    QCoreApplication::setApplicationName("lanternleaf");
    QCoreApplication::setOrganizationName("Tarnwick");
    registerWorkerMetaTypes();
    const int count = argc > 1 ? QString(argv[1]).toInt() : 1000;
    const QString samplesFolder = argc > 2 ? QString(argv[2]) : QStringLiteral(LANTERNLEAF_SAMPLES_DIR);
    const QStringList samples = sampleBooks(samplesFolder);
    if (samples.isEmpty() || count <= 0) {
        out << "no sample books in " << samplesFolder << "\n";
        return 1;
    }

    // The library: copies of the samples under distinct names.
    if (!BookProvider::instance()->createConnection())
        return 1;
    BookProvider* db = BookProvider::instance();
    const QString books = root.path() + "/books";
    QDir().mkpath(books);
    const uint now = uint(QDateTime::currentSecsSinceEpoch());
    qint64 bytes = 0;
    for (int i = 0; i < count; ++i) {
        const QString sample = samples.at(i % samples.size());
        const QString path =
            QStringLiteral("%1/%2-%3").arg(books).arg(i, 4, 10, QChar('0')).arg(QFileInfo(sample).fileName());
        if (!QFile::copy(sample, path))
            return 1;
        bytes += QFileInfo(path).size();
        BookDto book;
        book.full_path = QDir::toNativeSeparators(path);
        book.title = QStringLiteral("Title %1").arg(i);
        book.author = QStringLiteral("Author %1").arg(i % 50);
        book.format = BookFormat::formatFromPath(path);
        book.time_added = now - uint(i);
        book.position = i * 37;
        book.max_position = i % 101;
        book.is_favorite = i % 3 == 0 ? 1 : 0;
        if (i % 5 != 0) {
            book.cover = QDir::toNativeSeparators(Paths::bookCacheFolder(book.full_path) + "/cover.png");
            makeCover(i).save(book.cover, "PNG");
        }
        const int id = db->addBook(book);
        for (int m = 0; m < i % 4; ++m) {
            BookmarkDto mark;
            mark.book_id = id;
            mark.title = QStringLiteral("Chapter %1 of %2").arg(m + 1).arg(i);
            mark.position = float(i * 10 + m * 1000);
            mark.progress = float((i + m * 30) % 101);
            mark.time_added = now;
            db->addBookmark(mark);
        }
    }
    const QMap<QString, Snapshot> before = snapshot();
    out << "books " << count << " (" << samples.size() << " samples, " << bytes / (1024 * 1024) << " MB)\n";
    out.flush();

    const QString archive = root.path() + "/library.lvx";
    int failure = 0;
    QElapsedTimer timer;
    timer.start();
    double cpu = cpuMs();
    ExportWorker exporter(archive);
    if (!runWorker(exporter, &failure)) {
        out << "export failed " << failure << "\n";
        return 1;
    }
    const qint64 exportMs = timer.elapsed();
    out << "export " << exportMs << " ms\n";
    out << "export per book " << QString::number(double(exportMs) / count, 'f', 2) << " ms\n";
    out << "export processor time per book " << QString::number((cpuMs() - cpu) / count, 'f', 2) << " ms\n";
    out << "archive size " << QString::number(QFileInfo(archive).size() / 1048576.0, 'f', 1) << " MB\n";
    out.flush();

    // A fresh home, as on another machine.
    useHome(root.path() + "/home-b");
    if (!BookProvider::instance()->createConnection())
        return 1;
    timer.restart();
    cpu = cpuMs();
    ImportWorker importer(archive, QDir::toNativeSeparators(Paths::importFolder()));
    if (!runWorker(importer, &failure)) {
        out << "import failed " << failure << "\n";
        return 1;
    }
    const qint64 importMs = timer.elapsed();
    out << "import " << importMs << " ms\n";
    out << "import per book " << QString::number(double(importMs) / count, 'f', 2) << " ms\n";
    out << "import processor time per book " << QString::number((cpuMs() - cpu) / count, 'f', 2) << " ms\n";
    out.flush();

    const QMap<QString, Snapshot> after = snapshot();
    QMap<QString, int> differences{{"books", 0},     {"files", 0},    {"covers", 0},    {"titles", 0},
                                   {"positions", 0}, {"progress", 0}, {"favorites", 0}, {"bookmarks", 0}};
    for (auto it = before.cbegin(); it != before.cend(); ++it) {
        if (!after.contains(it.key())) {
            ++differences["books"];
            continue;
        }
        const Snapshot& a = it.value();
        const Snapshot& b = after.value(it.key());
        differences["files"] += a.file.isEmpty() || a.file != b.file;
        differences["covers"] += a.cover != b.cover;
        differences["titles"] += a.title != b.title || a.author != b.author || a.format != b.format;
        differences["positions"] += a.position != b.position;
        differences["progress"] += a.progress != b.progress;
        differences["favorites"] += a.favorite != b.favorite;
        differences["bookmarks"] += a.bookmarks != b.bookmarks;
    }
    for (auto it = after.cbegin(); it != after.cend(); ++it)
        differences["books"] += !before.contains(it.key());
    int total = 0;
    for (auto it = differences.cbegin(); it != differences.cend(); ++it) {
        out << "differences in " << it.key() << " " << it.value() << "\n";
        total += it.value();
    }
    out << "differences " << total << "\n";
    return total == 0 ? 0 : 2;
}
