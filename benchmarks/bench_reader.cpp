// Times the reader as the user meets it: a text viewer on a book, offscreen.
// Prints how long the busy page shows on open and on a font change, and how
// long one page turn takes to paint, in one and two columns.
//
//   bench_reader [--size WxH] [--turns N] BOOK...

#include "BookFormat.h"
#include "Settings.h"
#include "TextDocument.h"
#include "TextViewer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

double ms(const QElapsedTimer& t)
{
    return t.nsecsElapsed() / 1e6;
}

struct Figures
{
    double median = 0;
    double worst = 0;
};

Figures summary(QVector<double> values)
{
    if (values.isEmpty())
        return {};
    std::sort(values.begin(), values.end());
    return {values.at(values.size() / 2), values.last()};
}

void setColumns(int columns)
{
    ReaderSettings data = Settings::instance()->data();
    data.columnCount = columns;
    Settings::instance()->setData(data, true);
}

void bench(const QString& path, QSize size, int turns)
{
    std::printf("== %s (%.1f MB), viewer %dx%d\n", qPrintable(QFileInfo(path).fileName()),
                QFileInfo(path).size() / 1048576.0, size.width(), size.height());
    for (int columns : {1, 2}) {
        setColumns(columns);
        BookDto book;
        book.full_path = path;
        book.format = BookFormat::formatFromPath(path);
        auto viewer = std::make_unique<TextViewer>(book);
        viewer->resize(size);
        viewer->show();
        QCoreApplication::processEvents();

        // Busy page on open: loadBegin() to loadFinished(), parsing and the
        // first pagination for the viewer's size included.
        QElapsedTimer t;
        t.start();
        viewer->load();
        const double openMs = ms(t);
        TextDocument* doc = viewer->document();
        const int pages = doc->pageCount();
        std::printf("  %d column(s): open (busy page) %8.1f ms, %d pages\n", columns, openMs, pages);
        if (pages <= 1)
            continue;

        // Page turn: the document's next() and the repaint it causes.
        QVector<double> turnMs;
        QVector<double> paintMs;
        doc->setPage(qMax(1, pages / 3));
        for (int i = 0; i < turns && doc->page() + columns <= pages; ++i) {
            t.restart();
            viewer->next();
            viewer->repaint();
            turnMs << ms(t);
            paintMs << viewer->lastPaintMs();
        }
        const Figures turn = summary(turnMs);
        const Figures paint = summary(paintMs);
        std::printf("  %d column(s): page turn     %8.2f ms median, %.2f ms worst; paintEvent %.2f ms median "
                    "(%d turns)\n",
                    columns, turn.median, turn.worst, paint.median, int(turnMs.size()));

        // Busy page on a font change: the settings' changed() reaches the
        // viewer on the event loop; reloadBegin() to reloadFinished().
        QElapsedTimer busy;
        double reloadMs = -1;
        QObject::connect(viewer.get(), &TextViewer::reloadBegin, [&] { busy.start(); });
        QObject::connect(viewer.get(), &TextViewer::reloadFinished, [&] { reloadMs = ms(busy); });
        ReaderSettings data = Settings::instance()->data();
        data.profiles[data.currentProfile].textSize += 2;
        Settings::instance()->setData(data);
        while (reloadMs < 0)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        std::printf("  %d column(s): font change (busy page) %8.1f ms, %d pages\n", columns, reloadMs,
                    doc->pageCount());
        data.profiles[data.currentProfile].textSize -= 2;
        Settings::instance()->setData(data, true);
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Settings go to a throw-away home, never the user's.
    QTemporaryDir home;
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (home.path() + "/.config").toUtf8());
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("lanternleaf"));
    QCoreApplication::setOrganizationName(QStringLiteral("Tarnwick"));

    QSize size(1000, 700);
    int turns = 40;
    QStringList books;
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        if (args.at(i) == QLatin1String("--size") && i + 1 < args.size()) {
            const QStringList wh = args.at(++i).split(QLatin1Char('x'));
            if (wh.size() == 2)
                size = QSize(wh.at(0).toInt(), wh.at(1).toInt());
        } else if (args.at(i) == QLatin1String("--turns") && i + 1 < args.size()) {
            turns = args.at(++i).toInt();
        } else {
            books << args.at(i);
        }
    }
    if (books.isEmpty()) {
        std::fprintf(stderr, "usage: bench_reader [--size WxH] [--turns N] BOOK...\n");
        return 2;
    }
    for (const QString& book : books)
        bench(book, size, turns);
    return 0;
}
