// Opens page-image books (PDF, DjVu, CBZ, CBR) headless through the classes
// the page viewers use and prints how long each step takes. For PDF files it
// runs Poppler's own pdftoppm, for DjVu files DjVuLibre's own ddjvu, on the
// same pages at the same resolution in the same run and prints our time over
// its time.
//
//   bench_pages [--pages N] [--word WORD] [--size WxH] BOOK...

#include "ArchiveReader.h"
#include "comics/ComicDocument.h"
#include "djvu/DjvuDocument.h"
#include "pdf/PdfDocument.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <sys/resource.h>

namespace {

double ms(const QElapsedTimer& t)
{
    return t.nsecsElapsed() / 1e6;
}

long peakRssMb()
{
    struct rusage usage = {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024; // kilobytes on Linux
}

struct Times
{
    double median = 0;
    double worst = 0;
    double total = 0;
};

// Runs `produce` for pages 1..count and returns median, worst and sum.
Times timePages(int count, const std::function<bool(int)>& produce, int* failures)
{
    QList<double> times;
    for (int page = 1; page <= count; ++page) {
        QElapsedTimer t;
        t.start();
        if (!produce(page))
            ++*failures;
        times << ms(t);
    }
    Times result;
    if (times.isEmpty())
        return result;
    for (double time : times)
        result.total += time;
    std::sort(times.begin(), times.end());
    result.median = times.at(times.size() / 2);
    result.worst = times.last();
    return result;
}

// pdftoppm on pages 1..count at `dpi`, in one process (it parses the file
// once, as we do): milliseconds per page, or -1 when it cannot run.
double pdftoppmPerPage(const QString& path, int count, double dpi, const QString& password)
{
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
    if (tool.isEmpty())
        return -1;
    QTemporaryDir out;
    QStringList args{QStringLiteral("-r"), QString::number(dpi, 'f', 2), QStringLiteral("-f"),
                     QStringLiteral("1"),  QStringLiteral("-l"),         QString::number(count)};
    if (!password.isEmpty())
        args << QStringLiteral("-upw") << password;
    args << path << out.filePath(QStringLiteral("page"));
    QProcess process;
    QElapsedTimer t;
    t.start();
    process.start(tool, args);
    if (!process.waitForFinished(600000) || process.exitCode() != 0)
        return -1;
    return ms(t) / count;
}

// ddjvu on pages 1..count at `dpi`, in one process, one image file per
// page: milliseconds per page, or -1 when it cannot run.
double ddjvuPerPage(const QString& path, int count, double dpi)
{
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("ddjvu"));
    if (tool.isEmpty())
        return -1;
    QTemporaryDir out;
    const QStringList args{QStringLiteral("-format=ppm"),
                           QStringLiteral("-eachpage"),
                           QStringLiteral("-page=1-%1").arg(count),
                           QStringLiteral("-scale=%1").arg(qRound(dpi)),
                           path,
                           out.filePath(QStringLiteral("page%04d.ppm"))};
    QProcess process;
    QElapsedTimer t;
    t.start();
    process.start(tool, args);
    if (!process.waitForFinished(600000) || process.exitCode() != 0)
        return -1;
    return ms(t) / count;
}

// The program our renders are compared with: its name and its time per page
// for pages 1..count at a resolution.
struct Reference
{
    const char* name;
    std::function<double(int count, double dpi)> perPage;
};

void printRatio(const char* label, double ours, double theirs, const char* tool)
{
    if (theirs > 0)
        std::printf("  %-18s %8.2f\n", label, ours / theirs);
    else
        std::printf("  %-18s %8s (%s missing)\n", label, "n/a", tool);
}

void benchRendered(RenderedDocument& document, const QString& path, const Reference& reference, int sample,
                   const QSize& view, const QString& word)
{
    QElapsedTimer t;
    t.start();
    document.load(path);
    const double openMs = ms(t);
    if (!document.isLoaded()) {
        std::printf("  cannot open: %s\n", qPrintable(document.errorString()));
        return;
    }
    const int pages = document.pageCount();
    const int count = qMin(sample, pages);
    std::printf("  open               %8.1f ms\n", openMs);
    std::printf("  pages              %8d\n", pages);

    RenderedDocument::View fit;
    fit.viewport = view;
    fit.zoomMode = RenderedDocument::FitPage;
    const double fitScale = document.pageGeometry(fit, 1).scale;
    RenderedDocument::View zoom;
    zoom.zoomMode = RenderedDocument::CustomScale;
    zoom.scale = 2.0;

    int failures = 0;
    const Times fitTimes = timePages(
        count, [&](int page) { return !document.render(fit, page).isNull(); }, &failures);
    const Times zoomTimes = timePages(
        count, [&](int page) { return !document.render(zoom, page).isNull(); }, &failures);
    const double theirFit = reference.perPage(count, 72.0 * fitScale);
    const double theirZoom = reference.perPage(count, 144.0);

    std::printf("  page fit           %8.2f ms median, %.2f ms worst (%d pages at %dx%d, scale %.2f)\n",
                fitTimes.median, fitTimes.worst, count, view.width(), view.height(), fitScale);
    std::printf("  %-9s fit      %8.2f ms per page (%.0f dpi)\n", reference.name, theirFit, 72.0 * fitScale);
    printRatio("ratio fit", fitTimes.total / count, theirFit, reference.name);
    std::printf("  page 2x            %8.2f ms median, %.2f ms worst\n", zoomTimes.median, zoomTimes.worst);
    std::printf("  %-9s 2x       %8.2f ms per page (144 dpi)\n", reference.name, theirZoom);
    printRatio("ratio 2x", zoomTimes.total / count, theirZoom, reference.name);
    if (failures)
        std::printf("  FAILED renders     %8d\n", failures);

    // The whole-document search the search panel runs: steps of 50 ms on
    // this thread while the pages' words are extracted on the pool.
    QList<SearchResult> results;
    qint64 state = 0;
    double longest = 0;
    t.restart();
    for (;;) {
        QElapsedTimer step;
        step.start();
        const bool more = document.searchStep(word, state, 50, results);
        longest = qMax(longest, ms(step));
        if (!more)
            break;
        QThread::msleep(1);
    }
    std::printf("  search             %8.1f ms for \"%s\": %d hits, longest step %.1f ms\n", ms(t),
                qPrintable(word), int(results.size()), longest);
}

void benchComic(const QString& path, int sample, const QSize& view)
{
    QElapsedTimer t;
    t.start();
    comics::ComicDocument document;
    document.load(path);
    const double openMs = ms(t);
    document.unpackInBackground(); // as the viewer does
    const int pages = document.pageCount();
    std::printf("  open               %8.1f ms\n", openMs);
    std::printf("  pages              %8d\n", pages);
    if (pages <= 0) {
        std::printf("  cannot open: %s\n", qPrintable(document.errorString()));
        return;
    }
    const int count = qMin(sample, pages);
    int failures = 0;
    // The comic viewer decodes the page on the pool and the view scales it:
    // here both, the scaling done as smoothly as the view does.
    auto produce = [&](int page, double factor) {
        const QImage image = document.requestImage(page);
        if (image.isNull())
            return false;
        const QSize target = image.size().scaled(view * factor, Qt::KeepAspectRatio);
        return !image.scaled(target, Qt::KeepAspectRatio, Qt::SmoothTransformation).isNull();
    };
    const Times first = timePages(
        qMin(1, count), [&](int page) { return produce(page, 1.0); }, &failures);
    std::printf("  first page         %8.2f ms\n", first.total);
    document.waitForUnpack();
    if (document.pagesUnpacked())
        std::printf("  unpacked (solid)   %8.1f ms after opening\n", ms(t));
    const Times fitTimes = timePages(
        count, [&](int page) { return produce(page, 1.0); }, &failures);
    const Times zoomTimes = timePages(
        count, [&](int page) { return produce(page, 2.0); }, &failures);
    // What one page near the end costs read straight from the archive: in a
    // solid RAR every entry before it is decompressed too.
    {
        const std::unique_ptr<ArchiveReader> reader(createArchiveReader(path));
        QElapsedTimer direct;
        direct.start();
        const QByteArray bytes = reader->readEntry(path, document.pageName(pages));
        std::printf("  last page, direct  %8.2f ms (%d KB read from the archive)\n", ms(direct),
                    int(bytes.size() / 1024));
    }
    std::printf("  page fit           %8.2f ms median, %.2f ms worst (%d pages at %dx%d)\n", fitTimes.median,
                fitTimes.worst, count, view.width(), view.height());
    std::printf("  page 2x            %8.2f ms median, %.2f ms worst\n", zoomTimes.median, zoomTimes.worst);
    if (failures)
        std::printf("  FAILED pages       %8d\n", failures);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // A home of its own: unpacked archives start cold and nothing is left
    // in the user's cache.
    QTemporaryDir home;
    qputenv("HOME", QFile::encodeName(home.path()));
    QGuiApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("lanternleaf-bench"));
    const QStringList args = app.arguments().mid(1);
    int sample = 20;
    QString word = QStringLiteral("the");
    QString password;
    QSize view(1280, 800);
    QStringList books;
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        if (arg == QLatin1String("--pages") && i + 1 < args.size())
            sample = qMax(1, args.at(++i).toInt());
        else if (arg == QLatin1String("--word") && i + 1 < args.size())
            word = args.at(++i);
        else if (arg == QLatin1String("--password") && i + 1 < args.size())
            password = args.at(++i);
        else if (arg == QLatin1String("--size") && i + 1 < args.size()) {
            const QStringList parts = args.at(++i).split(QLatin1Char('x'));
            if (parts.size() == 2)
                view = QSize(parts[0].toInt(), parts[1].toInt());
        } else {
            books << arg;
        }
    }
    if (books.isEmpty()) {
        std::fprintf(stderr,
                     "usage: bench_pages [--pages N] [--word WORD] [--password PW] [--size WxH] BOOK...\n");
        return 2;
    }
    for (const QString& book : books) {
        std::printf("== %s\n", qPrintable(QFileInfo(book).fileName()));
        const QString suffix = QFileInfo(book).suffix().toLower();
        if (suffix == QLatin1String("pdf")) {
            pdf::PdfDocument document;
            if (!password.isEmpty())
                document.setPasswordPrompt([password](bool wrongBefore, QString* answer) {
                    *answer = password;
                    return !wrongBefore;
                });
            const Reference pdftoppm{"pdftoppm", [&](int count, double dpi) {
                                         return pdftoppmPerPage(book, count, dpi, password);
                                     }};
            benchRendered(document, book, pdftoppm, sample, view, word);
        } else if (suffix == QLatin1String("djvu") || suffix == QLatin1String("djv")) {
            djvu::DjvuDocument document;
            const Reference ddjvu{"ddjvu",
                                  [&](int count, double dpi) { return ddjvuPerPage(book, count, dpi); }};
            benchRendered(document, book, ddjvu, sample, view, word);
        } else
            benchComic(book, sample, view);
        std::printf("  peak RSS           %8ld MB\n", peakRssMb());
        std::fflush(stdout);
    }
    return 0;
}
