// Times adding books to the library through the add-books worker: copies the
// given books round-robin into one folder of a temporary home (so every copy
// is a new book) and adds the folder, as the add-folder button does. For
// Mobipocket books it also times the reader's share on its own: headers,
// metadata and the cover image, decoded and written as a PNG.
//
//   bench_add_books [--count N] BOOK...

#include "AddBooksWorker.h"
#include "BookProvider.h"
#include "WorkerTypes.h"
#include "mobi/MobiReader.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <cstdio>

namespace {

double ms(const QElapsedTimer& t)
{
    return t.nsecsElapsed() / 1e6;
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

    int count = 200;
    QStringList books;
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        if (args.at(i) == QLatin1String("--count") && i + 1 < args.size())
            count = args.at(++i).toInt();
        else
            books << args.at(i);
    }
    if (books.isEmpty() || count <= 0) {
        std::fprintf(stderr, "usage: bench_add_books [--count N] BOOK...\n");
        return 2;
    }
    if (!BookProvider::instance()->createConnection())
        return 1;

    const QString folder = home.path() + "/incoming";
    QDir().mkpath(folder);
    QStringList copies;
    for (int i = 0; i < count; ++i) {
        const QFileInfo source(books.at(i % books.size()));
        const QString copy = QStringLiteral("%1/%2-%3.%4")
                                 .arg(folder, source.completeBaseName())
                                 .arg(i, 4, 10, QLatin1Char('0'))
                                 .arg(source.suffix());
        if (!QFile::copy(source.absoluteFilePath(), copy)) {
            std::fprintf(stderr, "cannot copy %s\n", qPrintable(source.absoluteFilePath()));
            return 1;
        }
        copies << copy;
    }

    AddBooksWorker worker({QFileInfo(folder)});
    int added = -1;
    QObject::connect(
        &worker, &AddBooksWorker::complete, &worker, [&added](int n) { added = n; }, Qt::DirectConnection);
    QElapsedTimer timer;
    timer.start();
    worker.start();
    worker.wait();
    const double total = ms(timer);
    std::printf("add %d books %.0f ms, %.1f ms per book (%d added; the worker pauses 10 ms per book)\n",
                count, total, total / count, added);

    // The reader's share, without the worker's pause and the database.
    int read = 0;
    double headers = 0;
    double decoding = 0;
    QElapsedTimer step;
    timer.restart();
    for (const QString& copy : qAsConst(copies)) {
        const QString suffix = QFileInfo(copy).suffix().toLower();
        if (suffix != QLatin1String("mobi") && suffix != QLatin1String("prc") &&
            suffix != QLatin1String("azw3"))
            continue;
        step.start();
        mobi::MobiReader reader;
        if (!reader.open(copy))
            continue;
        reader.title();
        reader.author();
        reader.metadata();
        headers += ms(step);
        step.restart();
        const QImage cover = reader.cover();
        decoding += ms(step);
        AddBooksWorker::saveCover(copy + ".bench", cover);
        ++read;
    }
    if (read > 0) {
        const double spent = ms(timer);
        std::printf(
            "mobi reader: %.1f ms per book (%d books): headers and metadata %.2f ms, cover decoded %.1f "
            "ms, cover written as PNG %.1f ms\n",
            spent / read, read, headers / read, decoding / read, (spent - headers - decoding) / read);
    }
    return 0;
}
