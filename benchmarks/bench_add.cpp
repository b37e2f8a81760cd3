// Adds real books to an empty library through the add-books worker, the way
// the program's own add-folder button does, and times calibre's
// "calibredb add" on the same files in the same run. Books are copies of the
// sample books under distinct names (mixed sizes, most with covers), in one
// temporary folder. A second add of the same folder must add nothing.
//
//   bench_add [book count] [samples folder] [--formats fb2,epub,mobi] [--no-calibre]
//
// Prints the wall-clock and processor time per book for both, and the ratio.
// Without calibredb on the PATH it says so and prints only its own figures.

#include "AddBooksWorker.h"
#include "BookFormat.h"
#include "BookProvider.h"
#include "WorkerTypes.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>

#include <ctime>
#include <sys/resource.h>

namespace {

QTextStream out(stdout);

double cpuMs()
{
    return double(std::clock()) * 1000.0 / CLOCKS_PER_SEC;
}

/// Processor time of the finished child processes, user and system.
double childCpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    auto ms = [](const timeval& t) { return double(t.tv_sec) * 1000.0 + double(t.tv_usec) / 1000.0; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

void useHome(const QString& home)
{
    QDir().mkpath(home);
    qputenv("HOME", QFile::encodeName(home));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(home + "/.cache"));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home + "/.config"));
    qputenv("XDG_DATA_HOME", QFile::encodeName(home + "/.local/share"));
}

QStringList sampleBooks(const QString& folder, const QStringList& suffixes)
{
    QStringList books;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        // Damaged files belong to the parser tests, not to a library.
        if (!path.contains("/hostile/") && suffixes.contains(QFileInfo(path).suffix().toLower()))
            books << path;
    }
    books.sort();
    return books;
}

/// Copies the samples round-robin under distinct names until count files.
QStringList copyBooks(const QStringList& samples, const QString& folder, int count, qint64* bytes)
{
    QDir().mkpath(folder);
    QStringList copies;
    *bytes = 0;
    for (int i = 0; i < count; ++i) {
        const QFileInfo sample(samples.at(i % samples.size()));
        const QString target = QStringLiteral("%1/%2_%3.%4")
                                   .arg(folder, sample.completeBaseName(),
                                        QString::number(i).rightJustified(5, '0'), sample.suffix());
        if (!QFile::copy(sample.filePath(), target))
            out << "cannot copy " << sample.filePath() << "\n";
        copies << target;
        *bytes += sample.size();
    }
    return copies;
}

struct AddResult
{
    int added = -1;
    double wallMs = 0;
    double cpuMs = 0;
};

AddResult addFolder(const QString& folder)
{
    AddResult result;
    AddBooksWorker worker({QFileInfo(folder)});
    QObject::connect(
        &worker, &AddBooksWorker::complete, &worker, [&result](int n) { result.added = n; },
        Qt::DirectConnection);
    const double cpu = cpuMs();
    QElapsedTimer timer;
    timer.start();
    worker.start();
    worker.wait();
    result.wallMs = double(timer.nsecsElapsed()) / 1e6;
    result.cpuMs = cpuMs() - cpu;
    return result;
}

/// Runs calibredb on the folder in a fresh calibre library and home; the
/// wall-clock time of the whole command (including its start-up), or -1.
double calibreAdd(const QString& calibredb, const QString& folder, const QString& work, int expected,
                  double* cpu)
{
    const QString library = work + "/calibre-library";
    const QString home = work + "/calibre-home";
    QDir().mkpath(library);
    QDir().mkpath(home);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("HOME", home);
    env.insert("XDG_CONFIG_HOME", home + "/.config");
    env.insert("XDG_CACHE_HOME", home + "/.cache");
    env.insert("CALIBRE_CONFIG_DIRECTORY", home + "/config");
    env.insert("CALIBRE_TEMP_DIR", home + "/tmp");
    QDir().mkpath(home + "/tmp");
    QProcess process;
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::MergedChannels);
    // --duplicates: the copies share titles and authors, and calibre would
    // otherwise skip all but the first of each without reading them.
    const QStringList args{"add", "--library-path", library, "--duplicates", "--recurse", folder};
    const double cpuBefore = childCpuMs();
    QElapsedTimer timer;
    timer.start();
    process.start(calibredb, args);
    if (!process.waitForStarted() || !process.waitForFinished(-1)) {
        out << "calibredb did not run: " << process.errorString() << "\n";
        return -1;
    }
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    *cpu = childCpuMs() - cpuBefore;
    const QByteArray output = process.readAll();
    if (process.exitCode() != 0) {
        out << "calibredb failed (" << process.exitCode() << "): " << output.right(400) << "\n";
        return -1;
    }
    int added = 0;
    QDirIterator it(library, {"*.opf"}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        ++added;
    }
    out << QStringLiteral("calibredb add: %1 of %2 books in its library\n").arg(added).arg(expected);
    return ms;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir work;
    useHome(work.path() + "/home");

    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("lanternleaf"));
    QCoreApplication::setOrganizationName(QStringLiteral("Tarnwick"));
    registerWorkerMetaTypes();

    int count = 300;
    QString samples = QStringLiteral(LANTERNLEAF_SAMPLES_DIR);
    QStringList formats{"fb2", "epub", "mobi"};
    bool withCalibre = true;
    QStringList positional;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == "--formats" && i + 1 < args.size())
            formats = args[++i].split(',', Qt::SkipEmptyParts);
        else if (args[i] == "--no-calibre")
            withCalibre = false;
        else
            positional << args[i];
    }
    if (!positional.isEmpty())
        count = qMax(1, positional.at(0).toInt());
    if (positional.size() > 1)
        samples = positional.at(1);

    // The folder of a format also holds its sibling suffixes (prc, azw3).
    QStringList suffixes;
    for (const QString& format : formats) {
        suffixes << format;
        if (format == "mobi")
            suffixes << "prc"
                     << "azw3";
    }
    const QStringList books = sampleBooks(samples, suffixes);
    if (books.isEmpty()) {
        out << "no sample books of " << formats.join(',') << " in " << samples << "\n";
        return 1;
    }
    qint64 bytes = 0;
    const QString folder = work.path() + "/incoming";
    const QStringList copies = copyBooks(books, folder, count, &bytes);
    QMap<QString, int> perFormat;
    for (const QString& copy : copies)
        ++perFormat[QFileInfo(copy).suffix()];
    QStringList mix;
    for (auto it = perFormat.cbegin(); it != perFormat.cend(); ++it)
        mix << QStringLiteral("%1 %2").arg(it.value()).arg(it.key());
    out << QStringLiteral("%1 copies of %2 sample books (%3), %4 MB\n")
               .arg(copies.size())
               .arg(books.size())
               .arg(mix.join(", "))
               .arg(double(bytes) / 1e6, 0, 'f', 1);
    out.flush();

    if (!BookProvider::instance()->createConnection())
        return 1;
    const AddResult first = addFolder(folder);
    int covers = 0;
    qint64 coverBytes = 0;
    QSet<QString> paths;
    const QList<BookDto> library = BookProvider::instance()->selectAll();
    for (const BookDto& book : library) {
        paths.insert(book.full_path);
        const QFileInfo cover(book.cover);
        if (!book.cover.isEmpty() && cover.isFile()) {
            ++covers;
            coverBytes += cover.size();
        }
    }
    const double perBook = first.wallMs / copies.size();
    out << QStringLiteral("lanternleaf add: %1 added (%2 rows, %3 distinct), %4 with covers (%5 KB each)\n")
               .arg(first.added)
               .arg(library.size())
               .arg(paths.size())
               .arg(covers)
               .arg(covers ? double(coverBytes) / covers / 1024.0 : 0.0, 0, 'f', 1);
    out << QStringLiteral("lanternleaf add %1 ms per book\n").arg(perBook, 0, 'f', 2);
    out << QStringLiteral("lanternleaf add processor %1 ms per book\n")
               .arg(first.cpuMs / copies.size(), 0, 'f', 2);
    out << "  (includes the worker's 10 ms pause after each round of books that lets progress reach the "
           "window)\n";
    out.flush();

    const AddResult again = addFolder(folder);
    out << QStringLiteral("second add of the same files: %1 added, %2 ms per file\n")
               .arg(again.added)
               .arg(again.wallMs / copies.size(), 0, 'f', 2);
    out.flush();

    if (!withCalibre)
        return 0;
    const QString calibredb = QStandardPaths::findExecutable("calibredb");
    if (calibredb.isEmpty()) {
        out << "calibredb not found (Debian package calibre): no comparison\n";
        return 0;
    }
    double calibreCpu = 0;
    const double calibreMs = calibreAdd(calibredb, folder, work.path(), copies.size(), &calibreCpu);
    if (calibreMs < 0)
        return 0;
    const double calibrePerBook = calibreMs / copies.size();
    out << QStringLiteral("calibredb add %1 ms per book\n").arg(calibrePerBook, 0, 'f', 2);
    out << QStringLiteral("calibredb add processor %1 ms per book\n")
               .arg(calibreCpu / copies.size(), 0, 'f', 2);
    out << QStringLiteral("calibredb / lanternleaf %1x\n").arg(calibrePerBook / perBook, 0, 'f', 2);
    return 0;
}
