// Times an in-book search as the user meets it: the real main window on a
// book, offscreen, a query typed into the header and the search panel
// filling. A heartbeat timer measures how long the window could not answer
// (its longest gap) while the search ran.
//
// Then the same results are handed to the panel by a document that gives
// them in steps (as an incremental search would), which measures what the
// panel itself costs the window per step.
//
//   bench_search_panel [--word WORD] BOOK...

#include "BookFormat.h"
#include "BookProvider.h"
#include "IDocument.h"
#include "MainView.h"
#include "SearchModel.h"
#include "SearchView.h"
#include "Settings.h"
#include "UserContext.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstdio>

namespace {

// Gives a fixed list of results, `perStep` at a time.
class ReplayDocument final : public IDocument
{
public:
    explicit ReplayDocument(const QList<SearchResult>& results) : m_results(results) {}
    virtual ~ReplayDocument() = default;
    bool searchStep(const QString&, qint64& state, int, QList<SearchResult>& results) override
    {
        const int from = int(state);
        results += m_results.mid(from, perStep);
        state = from + perStep;
        return state < m_results.size();
    }
    int perStep = 100;

private:
    QList<SearchResult> m_results;
};

double ms(qint64 ns)
{
    return ns / 1e6;
}

bool waitFor(const std::function<bool()>& done, int timeoutMs)
{
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

void bench(const QString& path, const QString& word)
{
    std::printf("== %s (%.1f MB), \"%s\"\n", qPrintable(QFileInfo(path).fileName()),
                QFileInfo(path).size() / 1048576.0, qPrintable(word));
    BookDto book;
    book.title = QFileInfo(path).completeBaseName();
    book.full_path = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    book.format = BookFormat::formatFromPath(path);
    const int id = BookProvider::instance()->addBook(book);

    MainView view;
    view.resize(1100, 720);
    view.show();
    QMetaObject::invokeMethod(&view, "onBookOpened", Q_ARG(int, id));
    UserContext* context = view.userContext();
    if (!waitFor([context] { return context->document() && context->document()->pageCount() > 1; }, 120000)) {
        std::printf("  the book did not open\n");
        return;
    }
    QTest::qWait(500);
    std::printf("  pages %d\n", context->document()->pageCount());

    auto* panel = view.findChild<SearchView*>();
    auto* field = view.findChild<QWidget*>("header")->findChild<QLineEdit*>("editSearch");

    // The heartbeat: a 5 ms timer; the longest time between two beats is
    // how long the window could not answer input or repaint.
    QElapsedTimer clock;
    qint64 lastBeat = 0;
    qint64 longestGap = 0;
    QTimer beat;
    beat.setInterval(5);
    QObject::connect(&beat, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        longestGap = qMax(longestGap, now - lastBeat);
        lastBeat = now;
    });

    qint64 firstResults = -1;
    QObject::connect(panel->model(), &QAbstractItemModel::rowsInserted, [&] {
        if (firstResults < 0)
            firstResults = clock.nsecsElapsed();
    });

    field->setText(word);
    clock.start();
    beat.start();
    QTest::keyClick(field, Qt::Key_Return);
    const qint64 returned = clock.nsecsElapsed();
    waitFor([panel] { return !panel->isSearching(); }, 600000);
    const qint64 done = clock.nsecsElapsed();
    QTest::qWait(50);
    beat.stop();

    std::printf("  results %d\n", panel->model()->rowCount());
    std::printf("  enter handled %.1f ms\n", ms(returned));
    std::printf("  first results shown %.1f ms\n", ms(firstResults));
    std::printf("  search done %.1f ms\n", ms(done));
    std::printf("  longest window freeze %.1f ms\n", ms(longestGap));

    // Clearing: the list and the highlighting in one step.
    const QList<SearchResult> found = panel->model()->results();
    clock.restart();
    QMetaObject::invokeMethod(panel, "onCleanSearch");
    std::printf("  clear %.1f ms\n", ms(clock.nsecsElapsed()));

    // The panel alone, fed in steps of 100 results.
    IDocument* real = context->document();
    ReplayDocument replay(found);
    context->setDocument(&replay);
    longestGap = 0;
    int steps = 0;
    QObject::connect(panel->model(), &QAbstractItemModel::rowsInserted, [&] { ++steps; });
    clock.restart();
    lastBeat = 0;
    beat.start();
    panel->onSearch(word);
    waitFor([panel] { return !panel->isSearching(); }, 600000);
    const qint64 replayed = clock.nsecsElapsed();
    beat.stop();
    std::printf("  panel fed in %d steps: done %.1f ms, longest window freeze %.1f ms\n", steps, ms(replayed),
                ms(longestGap));
    panel->reset();
    context->setDocument(real);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Library and settings go to a throw-away home, never the user's.
    QTemporaryDir home;
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (home.path() + "/.config").toUtf8());
    qputenv("XDG_DATA_HOME", (home.path() + "/.local/share").toUtf8());
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("lanternleaf"));
    QCoreApplication::setOrganizationName(QStringLiteral("Tarnwick"));
    if (!BookProvider::instance()->createConnection())
        return 1;

    QString word = QStringLiteral("the");
    QStringList books;
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        if (args.at(i) == QLatin1String("--word") && i + 1 < args.size())
            word = args.at(++i);
        else
            books << args.at(i);
    }
    if (books.isEmpty()) {
        std::fprintf(stderr, "usage: bench_search_panel [--word WORD] BOOK...\n");
        return 2;
    }
    for (const QString& book : books)
        bench(book, word);
    return 0;
}
