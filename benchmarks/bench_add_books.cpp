// Times adding real books to the library through the add-books worker, one
// format after the other in the same run, so the figures can be compared:
// copies of the sample books of each format (taken in turn) are put in a
// folder of their own and added, with title, authors, metadata and cover.
// Runs offscreen in a temporary home.
//
//   bench_add_books SAMPLES_FOLDER [books per format]

#include "AddBooksWorker.h"
#include "BookProvider.h"
#include "WorkerTypes.h"
#include "epub/EpubParser.h"
#include "fb2/FbParser.h"
#include "mobi/MobiReader.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>

namespace {

// Copies the samples of `suffix` round-robin into `folder` until it holds
// `count` books; returns their total size.
qint64 copySamples(const QString& samples, const QString& suffix, const QString& folder, int count)
{
    const QDir dir(samples + "/" + suffix);
    const QStringList names = dir.entryList({QStringLiteral("*.%1").arg(suffix)}, QDir::Files, QDir::Name);
    if (names.isEmpty())
        return 0;
    QDir().mkpath(folder);
    qint64 bytes = 0;
    for (int i = 0; i < count; ++i) {
        const QString source = dir.filePath(names.at(i % names.size()));
        const QString target =
            QStringLiteral("%1/book_%2.%3").arg(folder).arg(i, 4, 10, QLatin1Char('0')).arg(suffix);
        QFile::copy(source, target);
        bytes += QFileInfo(target).size();
    }
    return bytes;
}

void bench(const QString& samples, const QString& home, const QString& suffix, int count,
           const std::function<bool(const QString&)>& readMetadata)
{
    const QString folder = home + "/incoming/" + suffix;
    const qint64 bytes = copySamples(samples, suffix, folder, count);
    if (bytes == 0) {
        std::printf("%s: no sample books in %s/%s\n", qPrintable(suffix), qPrintable(samples),
                    qPrintable(suffix));
        return;
    }

    // The metadata read alone, as the worker does it for every book.
    const QStringList files = QDir(folder).entryList(QDir::Files, QDir::Name);
    QElapsedTimer timer;
    timer.start();
    int read = 0;
    for (const QString& name : files)
        read += readMetadata(folder + "/" + name) ? 1 : 0;
    const double readMs = double(timer.nsecsElapsed()) / 1e6;

    AddBooksWorker worker({QFileInfo(folder)});
    int added = -1;
    QObject::connect(
        &worker, &AddBooksWorker::complete, &worker, [&added](int n) { added = n; }, Qt::DirectConnection);
    timer.restart();
    worker.start();
    worker.wait();
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    std::printf("add %d %s books (%.1f MB): %d added in %.2f s, %.2f ms per book\n", count,
                qPrintable(suffix.toUpper()), double(bytes) / 1048576.0, added, ms / 1000.0,
                ms / qMax(1, count));
    std::printf("  metadata and cover read alone: %.2f ms per book (%d of %d read)\n",
                readMs / qMax(1, count), read, count);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path() + "/.config"));
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.path() + "/.local/share"));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(home.path() + "/.cache"));

    QGuiApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("lanternleaf"));
    QCoreApplication::setOrganizationName(QStringLiteral("Tarnwick"));
    registerWorkerMetaTypes();
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: bench_add_books SAMPLES_FOLDER [books per format]\n");
        return 2;
    }
    const QString samples = args.at(1);
    const int count = args.size() > 2 ? args.at(2).toInt() : 200;
    if (!BookProvider::instance()->createConnection())
        return 1;

    bench(samples, home.path(), QStringLiteral("fb2"), count, [](const QString& path) {
        fb2::FbParser parser;
        return parser.parse(path, true);
    });
    bench(samples, home.path(), QStringLiteral("epub"), count, [](const QString& path) {
        epub::Book book;
        return epub::EpubParser().parse(path, book, true);
    });
    bench(samples, home.path(), QStringLiteral("mobi"), count, [](const QString& path) {
        mobi::MobiReader reader;
        return reader.open(path) && !reader.cover().isNull();
    });
    std::printf("(the worker sleeps 10 ms after every book by design, so progress reaches the window)\n");
    return 0;
}
