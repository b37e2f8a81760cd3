// Opens books headless through the same classes the reader uses and prints
// how long the text engine takes for each step.
//
//   bench_book [--word WORD] [--size WxH] [--columns N] BOOK...

#include "BookFormat.h"
#include "TextDocument.h"

#include <QAbstractTextDocumentLayout>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHash>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QTextBlock>

#include <algorithm>
#include <cstdio>
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

// The most frequent word of three letters or more: a common word in any
// language.
QString commonWord(const QString& text)
{
    static const QRegularExpression word(QStringLiteral("\\b\\w{3,}\\b"),
                                         QRegularExpression::UseUnicodePropertiesOption);
    QHash<QString, int> counts;
    auto it = word.globalMatch(text.left(200000));
    while (it.hasNext())
        ++counts[it.next().captured().toLower()];
    QString best;
    int bestCount = 0;
    for (auto c = counts.constBegin(); c != counts.constEnd(); ++c) {
        if (c.value() > bestCount) {
            best = c.key();
            bestCount = c.value();
        }
    }
    return best;
}

// Draws one page the way the text viewer does: translated up by the pages
// above it and clipped to the page.
double drawPage(TextDocument& doc, int page, QImage& target)
{
    QElapsedTimer t;
    t.start();
    const QSizeF size = doc.pageSize();
    target.fill(Qt::white);
    QPainter painter(&target);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QRectF rect(0, (page - 1) * size.height(), size.width(), size.height());
    painter.translate(0, -rect.top());
    painter.setClipRect(rect);
    QAbstractTextDocumentLayout::PaintContext context;
    context.clip = rect;
    context.palette.setColor(QPalette::Text, Qt::black);
    doc.documentLayout()->draw(&painter, context);
    painter.end();
    return ms(t);
}

bool pageHolds(const TextDocument& d, int page, int position)
{
    const int start = d.calcPositionByPage(page);
    const int next = page < d.pageCount() ? d.calcPositionByPage(page + 1) : INT_MAX;
    return start <= position && position < next;
}

void bench(const QString& path, QString word, QSize viewPort, int columns)
{
    std::printf("== %s (%.1f MB)\n", qPrintable(QFileInfo(path).fileName()),
                QFileInfo(path).size() / 1048576.0);
    QElapsedTimer t;
    t.start();
    std::unique_ptr<TextDocument> doc(createTextDocument(path));
    // As the text viewer: a provisional page size and the reader font before load.
    doc->setPageSize(QSizeF(300, 400));
    doc->setDefaultFont(QFont(QStringLiteral("DejaVu Serif"), 13));
    doc->setFont(QFont(QStringLiteral("DejaVu Serif"), 13));
    doc->setMargings(QMargins(30, 30, 30, 30));
    doc->setHighlightColor(QColor(0, 120, 215, 100));
    doc->load();
    const double loadMs = ms(t);
    const TextDocument::LoadStats stats = doc->loadStats();
    std::printf("  load            %8.1f ms (parse %lld ms, conversion %lld ms), %d characters\n", loadMs,
                stats.parseMs, stats.convertMs, doc->characterCount());

    t.restart();
    doc->setColumnCount(columns);
    doc->setViewPortSize(viewPort);
    doc->setPage(1);
    const int pages = doc->pageCount();
    std::printf("  layout          %8.1f ms to a page count of %d (%dx%d, %d column(s))\n", ms(t), pages,
                viewPort.width(), viewPort.height(), columns);
    if (pages <= 0)
        return;

    QImage image(doc->pageSize().toSize(), QImage::Format_ARGB32_Premultiplied);
    QVector<double> draws;
    const int samples = qMin(pages, 60);
    for (int i = 0; i < samples; ++i)
        draws << drawPage(*doc, 1 + int(qint64(i) * (pages - 1) / qMax(1, samples - 1)), image);
    std::sort(draws.begin(), draws.end());
    std::printf("  draw page       %8.2f ms median, %.2f ms worst (%d pages sampled)\n",
                draws.at(draws.size() / 2), draws.last(), samples);

    // Font-size change as the viewer does it: remember the place, rebuild
    // with the new default font, go back to the place.
    doc->setPage(qMax(1, pages / 2));
    const int position = doc->position();
    t.restart();
    doc->clear();
    doc->setDefaultFont(QFont(QStringLiteral("DejaVu Serif"), 17));
    doc->rebuild();
    doc->reloadImages();
    doc->setPageByPosition(position);
    const int newPages = doc->pageCount();
    std::printf("  font change     %8.1f ms to %d pages; place kept: %s\n", ms(t), newPages,
                pageHolds(*doc, doc->page(), position) ? "yes" : "NO");

    if (word.isEmpty())
        word = commonWord(doc->toPlainText());
    t.restart();
    const QList<SearchResult> results = doc->search(word);
    const double searchMs = ms(t);
    t.restart();
    doc->clearSearch();
    std::printf("  search          %8.1f ms for \"%s\": %d paragraphs; clear %.1f ms\n", searchMs,
                qPrintable(word), int(results.size()), ms(t));

    const int top = doc->position();
    t.restart();
    doc->setViewPortSize(QSize(viewPort.width() - 100, viewPort.height()));
    std::printf("  resize          %8.1f ms to %d pages; place kept: %s\n", ms(t), doc->pageCount(),
                pageHolds(*doc, doc->page(), top) ? "yes" : "NO");
    std::printf("  peak RSS        %8ld MB\n", peakRssMb());
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    QString word;
    QSize viewPort(800, 1000);
    int columns = 1;
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
        } else {
            books << args.at(i);
        }
    }
    if (books.isEmpty()) {
        std::fprintf(stderr, "usage: bench_book [--word WORD] [--size WxH] [--columns N] BOOK...\n");
        return 2;
    }
    for (const QString& book : books)
        bench(book, word, viewPort, columns);
    return 0;
}
