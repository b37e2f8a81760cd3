// Opens books headless through the same classes the reader uses and prints,
// per book, how the text engine does at what a reader notices:
//
//   first page        book chosen -> first page drawn
//   longest stall     the longest time the event loop was blocked (a probe
//                     thread posts an event every millisecond) while the
//                     rest was laid out, counted, prefetched, drawn ahead
//                     and searched (not the jumps and the font change
//                     themselves: the reader's own waits)
//   text mapped       book chosen -> every place in the book can be found
//   exact page count  book chosen -> every unit's pages counted
//   page turn median / worst   next page drawn, chapter boundaries included
//   afresh median / worst      the same with every page drawn afresh (no
//                     pictures kept or drawn ahead), as before
//   font change       larger font -> the same place drawn; place kept: yes|no
//   search first / search all  the search panel's stepping, 15 ms a step
//   peak RSS          of the process, before the whole-book comparison
//   full layout       the old engine's work: one document holding the whole
//                     book, laid out completely
//
//   bench_book [--word WORD] [--size WxH] [--columns N] [--turns N] BOOK...
//
// Wall times on a shared machine are noisy: the figures in brackets are the
// processor time of the GUI thread for the same step.

#include "Allocator.h"
#include "BookFormat.h"
#include "TextDocument.h"
#include "TextPagePainter.h"

#include <QAbstractTextDocumentLayout>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <functional>
#include <memory>
#include <sys/resource.h>
#include <thread>

namespace {

double ms(const QElapsedTimer& t)
{
    return t.nsecsElapsed() / 1e6;
}

double threadCpuMs()
{
    timespec ts = {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

double processCpuMs()
{
    struct rusage usage = {};
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

long peakRssMb()
{
    struct rusage usage = {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024; // kilobytes on Linux
}

/// Measures how long the event loop takes to answer: a thread of its own
/// posts a small event to the GUI thread every millisecond and the longest
/// wait until one was handled is the longest stall. (A 1 ms timer on the GUI
/// thread itself would keep that thread spinning between ticks and take a
/// core away from the engine's threads.)
class StallProbe
{
public:
    StallProbe() { m_clock.start(); }
    ~StallProbe() { stop(); }
    /// Starts (or goes on after stop(), keeping the longest stall so far;
    /// what was posted before is not counted).
    void start()
    {
        if (m_thread.joinable())
            return;
        m_resumedAt = m_clock.nsecsElapsed();
        m_running = true;
        m_thread = std::thread([this] {
            while (m_running) {
                const qint64 posted = m_clock.nsecsElapsed();
                QMetaObject::invokeMethod(
                    &m_receiver,
                    [this, posted] {
                        if (m_running && posted >= m_resumedAt)
                            m_longest = qMax(m_longest, (m_clock.nsecsElapsed() - posted) / 1e6);
                    },
                    Qt::QueuedConnection);
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        });
    }
    void stop()
    {
        m_running = false;
        if (m_thread.joinable())
            m_thread.join();
    }
    double longest() const { return m_longest; }

private:
    QObject m_receiver; // lives on the GUI thread
    QElapsedTimer m_clock;
    std::atomic<bool> m_running{false};
    qint64 m_resumedAt = 0;
    std::thread m_thread;
    double m_longest = 0;
};

/// Runs the event loop until `done` or `timeoutMs`, sleeping while there is
/// nothing to do.
void runUntil(const std::function<bool()>& done, int timeoutMs)
{
    QElapsedTimer t;
    t.start();
    QTimer wake; // the loop looks at `done` at least this often
    wake.start(5);
    while (!done() && t.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

/// Draws what the viewer draws: the paper, then the spread through the
/// viewer's painter.
void drawVisible(TextDocument& doc, TextPagePainter& painter, QImage& target)
{
    QPainter p(&target);
    p.fillRect(target.rect(), doc.backgroundColor());
    p.setRenderHint(QPainter::TextAntialiasing);
    painter.paint(p, target.rect(), 1.0);
}

void styleLikeTheViewer(TextDocument& doc, int pointSize)
{
    const QFont font(QStringLiteral("DejaVu Serif"), pointSize);
    doc.setDefaultFont(font);
    doc.setFont(font);
    doc.setDefaultStyleSheet(QStringLiteral("p { text-align: justify; line-height: 100%; }"));
    doc.setMargings(QMargins(30, 30, 30, 30));
    doc.setHighlightColor(QColor(0, 120, 215, 100));
    doc.setBackgroundColor(QColor(255, 253, 245));
    doc.setFontColor(Qt::darkGray);
}

void bench(const QString& path, const QString& word, QSize viewPort, int columns, int turns)
{
    std::printf("== %s (%.1f MB)\n", qPrintable(QFileInfo(path).fileName()),
                QFileInfo(path).size() / 1048576.0);
    std::fflush(stdout);
    StallProbe probe;
    // The format of a window's backing store on X11.
    QImage image(viewPort, QImage::Format_RGB32);
    image.fill(Qt::white);

    // Book chosen -> first page drawn, as the viewer does it.
    QElapsedTimer chosen;
    chosen.start();
    const double processCpu = processCpuMs();
    const double guiCpu = threadCpuMs();
    double cpu = guiCpu;
    std::unique_ptr<TextDocument> doc(createTextDocument(path));
    doc->setWaitsInBackground(true);
    doc->setLoadsInStages(true);
    doc->setPageSize(QSizeF(300, 400));
    styleLikeTheViewer(*doc, 13);
    doc->setColumnCount(columns);
    doc->load();
    doc->setViewPortSize(viewPort);
    doc->setPageByPosition(0);
    TextPagePainter painter(doc.get());
    drawVisible(*doc, painter, image);
    const double firstPage = ms(chosen);
    std::printf("  first page        %8.1f ms (cpu %.1f ms; parse %lld ms, conversion %lld ms)\n", firstPage,
                threadCpuMs() - cpu, doc->loadStats().parseMs, doc->loadStats().convertMs);
    std::fflush(stdout);
    if (!doc->hasText()) {
        std::printf("  (no text)\n");
        return;
    }

    // The rest is mapped and counted in the background.
    probe.start();
    // (A book loading in stages has its opening mapped first.)
    const auto wholeMapped = [&] { return doc->isTextMapped() && !doc->isOpening(); };
    double mapped = wholeMapped() ? ms(chosen) : -1;
    runUntil(
        [&] {
            if (mapped < 0 && wholeMapped())
                mapped = ms(chosen);
            return doc->isPageCountExact() && wholeMapped();
        },
        600000);
    const double exact = ms(chosen);
    // Until the text is mapped a place beyond the first chapter (a
    // bookmark, a saved place without a cached table) waits.
    std::printf("  text mapped       %8.1f ms\n", mapped);
    const int pages = doc->pageCount();
    // Processor time of the other threads: the engine's (and the probe's
    // event loop is on the GUI thread, so it does not count here).
    std::printf(
        "  exact page count  %8.1f ms (worker cpu %.1f ms; %d pages, %d units, %dx%d, %d column(s))\n", exact,
        (processCpuMs() - processCpu) - (threadCpuMs() - guiCpu), pages, doc->unitCount(), viewPort.width(),
        viewPort.height(), columns);
    std::fflush(stdout);

    // Page turns through the book, the prefetch and the painter's drawing
    // ahead running in between; first with every page drawn afresh, as the
    // viewer drew them before it kept pictures, for the ratio.
    const auto turnPages = [&](const char* label, bool pictures) {
        painter.setKeepsPictures(pictures);
        QVector<double> turnTimes;
        QVector<double> turnCpu;
        doc->setPage(1);
        drawVisible(*doc, painter, image);
        const int step = qMax(1, pages / qMax(1, turns));
        for (int i = 0; i < turns && doc->page() < pages; ++i) {
            if (step > 1 && i % 20 == 19) {
                // Jump on: boundaries all over the book. The jump is the
                // reader's own wait (a first page of sorts), not a stall.
                probe.stop();
                doc->setPage(qMin(pages, doc->page() + step * 20));
                drawVisible(*doc, painter, image);
                probe.start();
            }
            runUntil([] { return false; }, 3);
            QElapsedTimer t;
            t.start();
            const double c = threadCpuMs();
            doc->next();
            drawVisible(*doc, painter, image);
            turnTimes << ms(t);
            turnCpu << threadCpuMs() - c;
        }
        std::sort(turnTimes.begin(), turnTimes.end());
        std::sort(turnCpu.begin(), turnCpu.end());
        if (!turnTimes.isEmpty()) {
            std::printf("  %-7s median  %8.2f ms (cpu %.2f ms, %d turns)\n", label,
                        turnTimes.at(turnTimes.size() / 2), turnCpu.at(turnCpu.size() / 2),
                        int(turnTimes.size()));
            std::printf("  %-7s worst   %8.2f ms (cpu %.2f ms)\n", label, turnTimes.last(), turnCpu.last());
        }
    };
    turnPages("afresh", false);
    turnPages("page turn", true);

    // Font change in the middle of the book: the viewer remembers the place,
    // rebuilds with the new style and goes back.
    doc->setPage(qMax(1, doc->pageCount() / 2));
    runUntil([] { return false; }, 20);
    probe.stop(); // the font change itself is the reader's own wait
    const int position = doc->position();
    QElapsedTimer t;
    t.start();
    cpu = threadCpuMs();
    painter.reset();
    doc->clear();
    styleLikeTheViewer(*doc, 17);
    doc->rebuild();
    doc->setPageByPosition(position);
    drawVisible(*doc, painter, image);
    const double fontChange = ms(t);
    const int start = doc->calcPositionByPage(doc->page());
    const int next = doc->page() < doc->pageCount() ? doc->calcPositionByPage(doc->page() + 1) : INT_MAX;
    std::printf("  font change       %8.1f ms (cpu %.1f ms); place kept: %s\n", fontChange,
                threadCpuMs() - cpu, start <= position && position < next ? "yes" : "no");
    std::fflush(stdout);

    // Search as the search panel drives it: a zero timer, 15 ms a step.
    probe.start();
    qint64 state = 0;
    double first = -1;
    int results = 0;
    t.restart();
    QTimer stepper;
    stepper.setInterval(0);
    bool more = true;
    QObject::connect(&stepper, &QTimer::timeout, [&] {
        QList<SearchResult> found;
        more = doc->searchStep(word, state, 15, found);
        for (const SearchResult& r : found) {
            if (!r.isPageJump && first < 0)
                first = ms(t);
            ++results;
        }
        if (!more)
            stepper.stop();
    });
    stepper.start();
    runUntil([&] { return !more; }, 600000);
    std::printf("  search first      %8.1f ms (\"%s\")\n", first, qPrintable(word));
    std::printf("  search all        %8.1f ms (%d paragraphs)\n", ms(t), results);

    // The new layout is counted in the background too.
    runUntil([&] { return doc->isPageCountExact(); }, 600000);
    probe.stop();
    std::printf("  longest stall     %8.1f ms\n", probe.longest());
    std::printf("  peak RSS          %8ld MB\n", peakRssMb());
    std::fflush(stdout);

    // The old engine: the whole book in one document, laid out completely.
    const QSizeF pageSize = doc->pageSize();
    t.restart();
    std::unique_ptr<QTextDocument> whole = doc->wholeDocument();
    whole->setPageSize(pageSize);
    const int wholePages = whole->documentLayout()->pageCount();
    std::printf("  full layout       %8.1f ms (%d pages at the larger font)\n", ms(t), wholePages);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    tuneAllocator(); // as the program does
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // A home of its own: page tables cached by an earlier run must not make
    // the counting look free.
    QTemporaryDir home;
    qputenv("HOME", home.path().toUtf8());
    QGuiApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    QString word = QStringLiteral("the");
    QSize viewPort(800, 1000);
    int columns = 1;
    int turns = 200;
    QStringList books;
    for (int i = 0; i < args.size(); ++i) {
        if (args.at(i) == QLatin1String("--word") && i + 1 < args.size()) {
            word = args.at(++i);
        } else if (args.at(i) == QLatin1String("--size") && i + 1 < args.size()) {
            const QStringList wh = args.at(++i).split(QLatin1Char('x'));
            if (wh.size() == 2)
                viewPort = QSize(wh.at(0).toInt(), wh.at(1).toInt());
        } else if (args.at(i) == QLatin1String("--columns") && i + 1 < args.size()) {
            columns = args.at(++i).toInt();
        } else if (args.at(i) == QLatin1String("--turns") && i + 1 < args.size()) {
            turns = args.at(++i).toInt();
        } else {
            books << args.at(i);
        }
    }
    if (books.isEmpty()) {
        std::fprintf(stderr,
                     "usage: bench_book [--word WORD] [--size WxH] [--columns N] [--turns N] BOOK...\n");
        return 2;
    }
    for (const QString& book : books)
        bench(book, word, viewPort, columns, turns);
    return 0;
}
