// Times the library page: adding FB2 books with covers through the add-books
// worker, and the start of the page on a large library (building the views
// over the models until the shelf has been painted once), then sorting by
// each column, switching category, searching as the user types, and
// repainting the shelf and the table while scrolling. Every book has a cover
// file of its own (links to covers written by the add path), so scrolling
// meets covers that are not cached yet. Runs offscreen in a temporary home.
//
//   bench_library_view [books to add] [library size]
//
// "bench_library_view 0 20000" skips the adding and times a library of
// 20,000 books.

#include "AddBooksWorker.h"
#include "BookListView.h"
#include "BookModel.h"
#include "BookProvider.h"
#include "BookSortFilterModel.h"
#include "BookTable.h"
#include "Button.h"
#include "FolderModel.h"
#include "LibraryView.h"
#include "WorkerTypes.h"

#include <QApplication>
#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLinearGradient>
#include <QPainter>
#include <QPixmapCache>
#include <QScrollBar>
#include <QSqlDatabase>
#include <QTemporaryDir>
#include <QTextStream>

#include <time.h>

namespace {

QTextStream out(stdout);

QByteArray coverPng(int i)
{
    QImage image(360, 540, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, 0, 540);
    gradient.setColorAt(0, QColor::fromHsv((i * 37) % 360, 150, 160));
    gradient.setColorAt(1, QColor(20, 20, 24));
    painter.fillRect(image.rect(), gradient);
    painter.setPen(Qt::white);
    painter.drawText(image.rect().adjusted(20, 80, -20, 0), Qt::AlignHCenter | Qt::TextWordWrap,
                     QStringLiteral("Volume %1").arg(i));
    painter.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

void writeFb2(const QString& path, int i, const QByteArray& cover)
{
    QString body;
    for (int p = 0; p < 60; ++p)
        body += QStringLiteral("<p>Paragraph %1 of book %2: the lantern burned low over the page.</p>")
                    .arg(p)
                    .arg(i);
    const QString xml =
        QStringLiteral(
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<FictionBook xmlns=\"http://www.gribuser.ru/xml/fictionbook/2.0\" "
            "xmlns:l=\"http://www.w3.org/1999/xlink\"><description><title-info><genre>prose</genre>"
            "<author><first-name>Ann</first-name><last-name>Writer %1</last-name></author>"
            "<book-title>Book number %1</book-title><annotation><p>About book %1.</p></annotation>"
            "<coverpage><image l:href=\"#cover.png\"/></coverpage><lang>en</lang></title-info></description>"
            "<body><section><title><p>One</p></title>%2</section></body>"
            "<binary id=\"cover.png\" content-type=\"image/png\">%3</binary></FictionBook>")
            .arg(i)
            .arg(body, QString::fromLatin1(cover.toBase64()));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(xml.toUtf8());
}

void benchAdding(const QString& folder, int count)
{
    if (count <= 0)
        return;
    QDir().mkpath(folder);
    QList<QByteArray> covers;
    for (int i = 0; i < 20; ++i)
        covers << coverPng(i);
    for (int i = 0; i < count; ++i)
        writeFb2(QStringLiteral("%1/book_%2.fb2").arg(folder).arg(i, 5, 10, QLatin1Char('0')), i,
                 covers[i % 20]);

    AddBooksWorker worker({QFileInfo(folder)});
    int added = -1;
    QObject::connect(
        &worker, &AddBooksWorker::complete, &worker, [&added](int n) { added = n; }, Qt::DirectConnection);
    QElapsedTimer timer;
    timer.start();
    worker.start();
    worker.wait();
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    out << QStringLiteral("Adding %1 FB2 books with covers (one folder): %2 added in %3 s, %4 ms per book\n")
               .arg(count)
               .arg(added)
               .arg(ms / 1000.0, 0, 'f', 2)
               .arg(ms / qMax(1, count), 0, 'f', 2);
    out << QStringLiteral(
        "  (the worker sleeps 10 ms after every round of books so progress reaches the window)\n");
    out.flush();
}

/// One cover file per book: links to a few distinct covers written the way
/// the add path writes them, under names of their own (the cache is keyed by
/// path, so every book's cover is decoded once).
QStringList makeCoverFiles(const QString& folder, int distinct, int count)
{
    QDir().mkpath(folder);
    QStringList written;
    for (int i = 0; i < distinct; ++i) {
        QImage image;
        image.loadFromData(coverPng(i));
        image = image.scaled(600, 900, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        written << AddBooksWorker::saveCover(QStringLiteral("%1/template_%2.fb2").arg(folder).arg(i), image);
    }
    QStringList paths;
    for (int i = 0; i < count; ++i) {
        const QString path = QStringLiteral("%1/cover_%2.png").arg(folder).arg(i);
        QFile::link(written.at(i % distinct), path);
        paths << QDir::toNativeSeparators(path);
    }
    return paths;
}

void fillLibrary(int count, const QStringList& covers)
{
    BookProvider* provider = BookProvider::instance();
    QSqlDatabase db = QSqlDatabase::database();
    QElapsedTimer timer;
    timer.start();
    db.transaction();
    for (int i = 0; i < count; ++i) {
        BookDto book;
        book.title = QStringLiteral("Library volume %1").arg(i);
        book.author = QStringLiteral("Writer %1").arg(i % 97);
        book.full_path = QStringLiteral("/home/reader/Books/volume_%1.fb2").arg(i);
        book.cover = covers.at(i % covers.size());
        book.format = i % 4 == 0 ? 3 : 2;
        book.time_added = uint(1700000000 + i);
        book.max_position = i % 101;
        book.is_favorite = i % 13 == 0 ? 1 : 0;
        provider->addBook(book);
    }
    db.commit();
    out << QStringLiteral("Library of %1 books inserted in %2 ms (one transaction)\n")
               .arg(provider->bookCount())
               .arg(timer.elapsed());
}

/// Stops a nested loop once the watched widget has been painted.
class PaintWatch : public QObject
{
public:
    bool painted = false;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            // Let the paint itself run first.
            watched->removeEventFilter(this);
            const bool result = watched->event(event);
            painted = true;
            return result;
        }
        return false;
    }
};

/// Lets queued work (cover decodes, batched layout) finish, up to ms.
void settle(int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

/// Processor time of the calling thread: steadier than the wall clock on
/// a machine shared with other jobs.
double threadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1000.0 + double(t.tv_nsec) / 1e6;
}

double msSince(const QElapsedTimer& timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

/// Wall-clock and processor time of the GUI thread since the last restart.
class Stopwatch
{
public:
    Stopwatch() { restart(); }
    void restart()
    {
        m_wall.start();
        m_cpu = threadCpuMs();
    }
    double ms() const { return msSince(m_wall); }
    double cpu() const { return threadCpuMs() - m_cpu; }
    qint64 elapsed() const { return m_wall.elapsed(); }

private:
    QElapsedTimer m_wall;
    double m_cpu = 0;
};

void benchStartUp(int count)
{
    QFile css(QStringLiteral(":/style/style.css"));
    if (css.open(QIODevice::ReadOnly))
        qApp->setStyleSheet(QString::fromUtf8(css.readAll()));
    QPixmapCache::clear();

    Stopwatch timer;
    BookModel books;
    FolderModel folders;
    folders.selectAll();
    LibraryView view(&books, &folders);
    view.resize(1200, 760);
    view.findChild<Button*>(QStringLiteral("buttonAll"))->click();
    const qint64 built = timer.elapsed();
    view.findChild<Button*>(QStringLiteral("buttonSwitchShelfView"))->click();
    PaintWatch watch;
    view.shelf()->viewport()->installEventFilter(&watch);
    view.show();
    while (!watch.painted)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    const qint64 shown = timer.elapsed();
    const double shownCpu = timer.cpu();
    out << QStringLiteral("Start-up with %1 books: page built and all books selected %2 ms\n")
               .arg(count)
               .arg(built);
    out << QStringLiteral("start-up to shelf painted %1 ms, processor %2 ms (rows %3)\n")
               .arg(shown)
               .arg(shownCpu, 0, 'f', 0)
               .arg(view.searchModel()->rowCount());
    out.flush();
    settle(1500);

    auto repaint = [&view] {
        QAbstractItemView* current = view.currentViewIndex() == LibraryView::ShelfView
                                         ? static_cast<QAbstractItemView*>(view.shelf())
                                         : static_cast<QAbstractItemView*>(view.table());
        current->viewport()->repaint();
    };

    // Sorting: what a click on a column header does, with the repaint.
    const struct
    {
        int column;
        const char* name;
    } columns[] = {{BookModel::ColumnTitle, "title"},
                   {BookModel::ColumnAuthor, "author"},
                   {BookModel::ColumnProgress, "progress"},
                   {BookModel::ColumnDate, "date"}};
    double worstSort = 0, worstSortCpu = 0;
    for (const auto& c : columns) {
        for (Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
            timer.restart();
            view.table()->sortByColumn(c.column, order);
            repaint();
            const double ms = timer.ms();
            worstSort = qMax(worstSort, ms);
            worstSortCpu = qMax(worstSortCpu, timer.cpu());
            out << QStringLiteral("  sort by %1 %2: %3 ms\n")
                       .arg(QLatin1String(c.name), order == Qt::AscendingOrder ? "ascending" : "descending")
                       .arg(ms, 0, 'f', 1);
        }
    }
    out << QStringLiteral("sort, worst column %1 ms, processor %2 ms\n")
               .arg(worstSort, 0, 'f', 1)
               .arg(worstSortCpu, 0, 'f', 1);
    out.flush();

    // Category switch: from the favourites back to all books.
    double worstSwitch = 0, worstSwitchCpu = 0;
    for (int round = 0; round < 3; ++round) {
        view.findChild<Button*>(QStringLiteral("buttonFavorites"))->click();
        repaint();
        timer.restart();
        view.findChild<Button*>(QStringLiteral("buttonAll"))->click();
        repaint();
        worstSwitch = qMax(worstSwitch, timer.ms());
        worstSwitchCpu = qMax(worstSwitchCpu, timer.cpu());
    }
    double query = 1e9;
    for (int round = 0; round < 5; ++round) {
        const double cpu = threadCpuMs();
        BookProvider::instance()->selectAll();
        query = qMin(query, threadCpuMs() - cpu);
    }
    out << QStringLiteral("category switch to all %1 books, worst of 3: %2 ms, processor %3 ms (the query "
                          "alone %4 ms)\n")
               .arg(view.searchModel()->rowCount())
               .arg(worstSwitch, 0, 'f', 1)
               .arg(worstSwitchCpu, 0, 'f', 1)
               .arg(query, 0, 'f', 1);
    out.flush();
    settle(500);

    // Search as the user types, then deletes, one character at a time.
    const QString typed = QStringLiteral("volume 12");
    double typing = 0, typingWorst = 0, erasing = 0, erasingWorst = 0, typingCpu = 0, erasingCpu = 0;
    for (int n = 1; n <= typed.size(); ++n) {
        timer.restart();
        view.filterBooks(typed.left(n));
        repaint();
        const double ms = timer.ms();
        typingCpu += timer.cpu();
        typing += ms;
        typingWorst = qMax(typingWorst, ms);
    }
    const int found = view.searchModel()->rowCount();
    for (int n = typed.size() - 1; n >= 0; --n) {
        timer.restart();
        view.filterBooks(typed.left(n));
        repaint();
        const double ms = timer.ms();
        erasingCpu += timer.cpu();
        erasing += ms;
        erasingWorst = qMax(erasingWorst, ms);
    }
    out << QStringLiteral(
               "search per keystroke typing \"%1\" (%2 found) %3 ms, worst %4 ms, processor %5 ms\n")
               .arg(typed)
               .arg(found)
               .arg(typing / typed.size(), 0, 'f', 1)
               .arg(typingWorst, 0, 'f', 1)
               .arg(typingCpu / typed.size(), 0, 'f', 1);
    out << QStringLiteral("search per keystroke erasing %1 ms, worst %2 ms, processor %3 ms\n")
               .arg(erasing / typed.size(), 0, 'f', 1)
               .arg(erasingWorst, 0, 'f', 1)
               .arg(erasingCpu / typed.size(), 0, 'f', 1);
    out.flush();
    settle(500);

    auto scrollFrames = [&](QAbstractItemView* itemView, const QString& name) {
        QScrollBar* bar = itemView->verticalScrollBar();
        const int steps = 60;
        double total = 0, worst = 0, cpu = 0;
        for (int i = 1; i <= steps; ++i) {
            Stopwatch frame;
            bar->setValue(bar->maximum() * i / steps);
            itemView->viewport()->repaint();
            const double ms = frame.ms();
            cpu += frame.cpu();
            total += ms;
            worst = qMax(worst, ms);
        }
        out << QStringLiteral(
                   "scroll frame, %1 %2 ms, worst %3 ms, processor %4 ms (60 jumps over the whole list)\n")
                   .arg(name)
                   .arg(total / steps, 0, 'f', 2)
                   .arg(worst, 0, 'f', 2)
                   .arg(cpu / steps, 0, 'f', 2);
        out.flush();
    };
    QPixmapCache::clear();
    scrollFrames(view.shelf(), QStringLiteral("shelf, covers not cached"));
    // The same places again once their covers are in: jump, let the
    // decodes land, then time a repaint.
    {
        QScrollBar* bar = view.shelf()->verticalScrollBar();
        double total = 0;
        const int places = 8;
        for (int i = 1; i <= places; ++i) {
            bar->setValue(bar->maximum() * i / places);
            view.shelf()->viewport()->repaint();
            settle(300);
            QElapsedTimer frame;
            frame.start();
            view.shelf()->viewport()->repaint();
            total += msSince(frame);
        }
        out << QStringLiteral("scroll frame, shelf, covers cached %1 ms\n").arg(total / places, 0, 'f', 2);
    }

    timer.restart();
    view.findChild<Button*>(QStringLiteral("buttonSwitchTableView"))->click();
    view.table()->viewport()->repaint();
    out << QStringLiteral("  switch to the table and paint it: %1 ms\n").arg(timer.elapsed());
    scrollFrames(view.table(), QStringLiteral("table"));
    out.flush();
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

    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("lanternleaf"));
    QCoreApplication::setOrganizationName(QStringLiteral("Tarnwick"));
    registerWorkerMetaTypes();
    const QStringList args = app.arguments();
    const int toAdd = args.size() > 1 ? args[1].toInt() : 1000;
    const int librarySize = args.size() > 2 ? args[2].toInt() : 10000;

    if (!BookProvider::instance()->createConnection())
        return 1;
    benchAdding(home.path() + "/incoming", toAdd);

    // A fresh library for the start-up figures.
    QDir(home.path() + "/.lanternleaf").removeRecursively();
    if (!BookProvider::instance()->createConnection())
        return 1;
    fillLibrary(librarySize, makeCoverFiles(home.path() + "/covers", 40, librarySize));
    benchStartUp(librarySize);
    return 0;
}
