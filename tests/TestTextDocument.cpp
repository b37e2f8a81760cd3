#include "BookResources.h"
#include "BookText.h"
#include "PageCache.h"
#include "PageTable.h"
#include "Settings.h"
#include "TextDocument.h"
#include "util/HtmlBook.h"
#include "util/TestHome.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QtTest>

#include <memory>

namespace {

/// The old single-chapter book of these tests.
QString book(int paragraphs)
{
    QString html = QStringLiteral("<h2 id=\"start\">Beginning</h2>");
    for (int i = 0; i < paragraphs; ++i) {
        html += QStringLiteral("<p>Paragraph %1 tells of the road, the river and the long evening light "
                               "that fell across the fields while the travellers walked on.</p>")
                    .arg(i);
        if (i == 40)
            html += QStringLiteral("<h4 id=\"middle\">Middle</h4>");
    }
    html += QStringLiteral("<p>Lantern one, lantern two, LANTERN three.</p>");
    html += QStringLiteral("<p>Rules: a &lt; b &amp; c lantern.</p>");
    html += QStringLiteral("<p><a name=\"end\">The</a> end.</p>");
    return html;
}

QStringList chapters(int count, int paragraphs, bool longParagraphs = false)
{
    QStringList list;
    for (int c = 0; c < count; ++c)
        list << chapter(c, paragraphs, longParagraphs);
    return list;
}

/// The page that holds `position` must be the one whose range contains it.
bool pageHolds(const TextDocument& d, int page, int position)
{
    const int start = d.calcPositionByPage(page);
    const int nextStart = page < d.pageCount() ? d.calcPositionByPage(page + 1) : INT_MAX;
    return start <= position && position < nextStart;
}

bool waitForExact(TextDocument& d)
{
    return QTest::qWaitFor([&] { return d.isPageCountExact() && d.isTextMapped() && !d.isCounting(); },
                           20000);
}

/// A book loaded in stages under the test's control: its opening chapters
/// first, the whole text when the test says.
class StagedDocument : public TextDocument
{
public:
    StagedDocument(const QStringList& chapters, int opening) : m_chapters(chapters), m_opening(opening)
    {
        setDefaultFont(QFont(QStringLiteral("DejaVu Serif"), 12));
        setWaitsInBackground(true);
        setOpeningText(text(m_chapters.mid(0, m_opening)), m_resources, double(m_opening) / m_chapters.size());
    }
    void complete() { setText(text(m_chapters), m_resources); }

private:
    static BookText text(const QStringList& chunks)
    {
        BookText t;
        t.prefix = QStringLiteral("<html><body>");
        t.suffix = QStringLiteral("</body></html>");
        t.separator = QStringLiteral("<p style=\"page-break-after:always\"></p>");
        t.chunks = chunks;
        return t;
    }
    QStringList m_chapters;
    int m_opening;
    std::shared_ptr<BookResources> m_resources = std::make_shared<BookResources>(nullptr);
};

} // namespace

class TestTextDocument : public QObject
{
    Q_OBJECT
private slots:
    void init() { m_home.wipe(); }

    void emptyDocument()
    {
        TextDocument d;
        d.setViewPortSize(QSize(400, 600));
        QCOMPARE(d.pageCount(), 0);
        QCOMPARE(d.progress(), 0.0);
        QCOMPARE(d.calcProgressByPage(1), 0);
        QVERIFY(d.search("word").isEmpty());
        d.next();
        d.previous();
        QCOMPARE(d.positionOfAnchor("x"), 0);
        QCOMPARE(d.pageView(1).document, nullptr);
    }

    void pagination_data()
    {
        QTest::addColumn<int>("columns");
        QTest::newRow("one column") << 1;
        QTest::newRow("two columns") << 2;
    }
    void pagination()
    {
        QFETCH(int, columns);
        HtmlDocument d(chapters(4, 30));
        d.setColumnCount(columns);
        d.setViewPortSize(QSize(columns * 420, 520));
        QVERIFY(waitForExact(d));
        const int n = d.pageCount();
        QVERIFY2(n >= 8, qPrintable(QString::number(n)));
        QSignalSpy changed(&d, &TextDocument::pageChanged);

        d.setPage(n);
        d.next();
        QCOMPARE(d.page(), n);
        d.setPage(n - 1);
        d.next();
        QCOMPARE(d.page(), n); // never beyond the last page, odd count or not
        d.setPage(1);
        d.previous();
        QCOMPARE(d.page(), 1);
        d.setPage(2);
        d.previous();
        QCOMPARE(d.page(), columns == 2 ? 2 : 1);
        d.setPage(3);
        d.previous();
        QCOMPARE(d.page(), columns == 2 ? 1 : 2);
        d.setPage(1);
        d.next();
        QCOMPARE(d.page(), 1 + columns);
        d.moveToEnd();
        QCOMPARE(d.page(), n);
        d.moveToHome();
        QCOMPARE(d.page(), 1);
        QVERIFY(changed.count() > 0);

        // Every page starts with a position that maps back to it, and turning
        // page by page visits every page once, across the chapters.
        for (int p = 1; p <= n; ++p)
            QCOMPARE(d.calcPageByPosition(d.calcPositionByPage(p)), p);
        d.setColumnCount(1);
        d.moveToHome();
        int turns = 0;
        while (d.page() < d.pageCount() && turns < 1000) {
            const int before = d.page();
            d.next();
            QCOMPARE(d.page(), before + 1);
            ++turns;
        }
        QCOMPARE(turns, d.pageCount() - 1);
    }

    // A reader who stopped in the middle of a paragraph that runs over pages
    // comes back to that page, not to the one where the paragraph starts.
    void roundTripsInsideLongParagraphs_data()
    {
        QTest::addColumn<int>("columns");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("pointSize");
        QTest::newRow("one column") << 1 << QSize(420, 520) << 12;
        QTest::newRow("two columns") << 2 << QSize(840, 520) << 12;
        QTest::newRow("larger font") << 1 << QSize(420, 520) << 17;
        QTest::newRow("small window") << 1 << QSize(300, 360) << 12;
    }
    void roundTripsInsideLongParagraphs()
    {
        QFETCH(int, columns);
        QFETCH(QSize, size);
        QFETCH(int, pointSize);
        HtmlDocument d(chapters(3, 6, true));
        d.setDefaultFont(QFont(QStringLiteral("DejaVu Serif"), pointSize));
        d.setColumnCount(columns);
        d.setViewPortSize(size);
        QVERIFY(waitForExact(d));
        const QString text = d.plainText();
        for (int c = 0; c < 3; ++c) {
            const int start = text.indexOf(QStringLiteral("Long%1 ").arg(c));
            const int end = text.indexOf(QStringLiteral("end of the long one."), start);
            QVERIFY(start > 0 && end > start);
            const int firstPage = d.calcPageByPosition(start);
            QVERIFY2(d.calcPageByPosition(end) >= firstPage + 2, "the paragraph runs over three pages");
            for (int position = start; position <= end; position += 97) {
                const int page = d.calcPageByPosition(position);
                QVERIFY(pageHolds(d, page, position));
                d.setPageByPosition(position);
                QCOMPARE(d.page(), page);
                // What the page shows is the text at the position.
                const QString shown = d.pageText(page);
                const int offset = position - d.calcPositionByPage(page);
                QCOMPARE(shown.mid(offset, 8), text.mid(position, 8).left(shown.size() - offset));
                QCOMPARE(d.calcPageByPosition(d.position()), page);
            }
        }
    }

    void placeKeptAcrossRelayout_data()
    {
        QTest::addColumn<QSize>("from");
        QTest::addColumn<QSize>("to");
        QTest::addColumn<int>("page");
        QTest::newRow("narrower") << QSize(500, 600) << QSize(300, 600) << 5;
        QTest::newRow("wider") << QSize(300, 500) << QSize(700, 500) << 9;
        QTest::newRow("last page") << QSize(400, 500) << QSize(380, 450) << -1;
    }
    void placeKeptAcrossRelayout()
    {
        QFETCH(QSize, from);
        QFETCH(QSize, to);
        QFETCH(int, page);
        HtmlDocument d(chapters(3, 40));
        d.setPageSize(QSizeF(300, 400)); // the viewer's provisional size
        d.setViewPortSize(from);
        QVERIFY(waitForExact(d));
        d.setPage(page < 0 ? d.pageCount() : page);
        const int saved = d.position();
        const QString text = d.plainText();

        QSignalSpy begin(&d, &TextDocument::beginResizePage);
        d.setViewPortSize(to);
        d.setViewPortSize(to);
        QCOMPARE(begin.count(), 1);
        QVERIFY(pageHolds(d, d.page(), saved));

        // Column change: the same place again.
        d.setColumnCount(2);
        QVERIFY(pageHolds(d, d.page(), saved));

        // Font change: the viewer re-applies the style and goes back to the place.
        d.setDefaultFont(QFont(QStringLiteral("DejaVu Serif"), 18));
        d.setPageByPosition(saved);
        QVERIFY(pageHolds(d, d.page(), saved));
        QCOMPARE(d.plainText(), text);
        QVERIFY(waitForExact(d));
        QVERIFY(pageHolds(d, d.page(), saved));
    }

    void placeFindingHighlightIsTemporary()
    {
        HtmlDocument d(chapters(2, 40));
        d.setHighlightColor(Qt::yellow);
        d.setViewPortSize(QSize(400, 500));
        QVERIFY(waitForExact(d));
        QTRY_VERIFY_WITH_TIMEOUT(!d.hasPlaceHighlight(), 5000);
        d.setPage(3);
        const int saved = d.position();
        const int end = d.calcPositionByPage(4);
        d.setViewPortSize(QSize(380, 450));
        QVERIFY(d.hasPlaceHighlight());
        QCOMPARE(d.highlights().first(), qMakePair(saved, end));
        // Drawn on the page that shows the place, as a selection of the text.
        const TextDocument::PageView view = d.pageView(d.page());
        QVERIFY(!view.selections.isEmpty());
        QCOMPARE(view.selections.first().format.background().color(), QColor(Qt::yellow));
        QSignalSpy changed(&d, &TextDocument::pageChanged);
        QTRY_VERIFY_WITH_TIMEOUT(!d.hasPlaceHighlight(), 5000);
        QVERIFY(changed.count() >= 1);
        QVERIFY(d.pageView(d.page()).selections.isEmpty());
    }

    void progress()
    {
        HtmlDocument d(chapters(3, 40));
        d.setViewPortSize(QSize(400, 500));
        QVERIFY(waitForExact(d));
        const int n = d.pageCount();
        QCOMPARE(d.calcProgressByPage(n), 100);
        QCOMPARE(d.calcProgressByPage(1), qRound(100.0f / n));
        d.setPage(1);
        QCOMPARE(d.progress(), double(float(1) / float(n) * 100.0f));
        d.setPageByProgress(0);
        QCOMPARE(d.page(), 1);
        d.setPageByProgress(100);
        QCOMPARE(d.page(), n);
        d.setPageByBlockNumber(100000); // no such paragraph: stays
        QCOMPARE(d.page(), n);
        d.setPageByBlockNumber(0);
        QCOMPARE(d.page(), 1);
    }

    // Until every unit is counted the numbers are estimates; when the exact
    // ones arrive the reader stays where they were.
    void pageCountWhileCounting()
    {
        HtmlDocument d(chapters(40, 12));
        d.setViewPortSize(QSize(420, 520));
        QVERIFY(!d.isPageCountExact());
        QVERIFY(d.pageCount() >= 40);
        d.next();
        d.next();
        d.next();
        d.next();
        const int position = d.position();
        const QString shown = d.pageText(d.page());
        QSignalSpy numbers(&d, &TextDocument::pageNumbersChanged);
        QVERIFY(waitForExact(d));
        QTRY_VERIFY_WITH_TIMEOUT(numbers.count() >= 1, 5000);
        QCOMPARE(d.position(), position);
        QCOMPARE(d.pageText(d.page()), shown);
        QVERIFY(d.pageLabel(d.page()) == QString::number(d.page()));

        // The same numbers as a document that counted everything itself.
        HtmlDocument fresh(chapters(40, 12));
        fresh.setViewPortSize(QSize(420, 520));
        QVERIFY(waitForExact(fresh));
        QCOMPARE(d.pageCount(), fresh.pageCount());
        QCOMPARE(d.page(), fresh.calcPageByPosition(position));

        // The slices counted side by side land on their own chapters:
        // walking the book page by page meets every number once, in order,
        // each page starting where the chapter laid out here says.
        fresh.setPage(1);
        int previous = -1;
        for (int p = 1; p <= fresh.pageCount(); ++p) {
            QCOMPARE(fresh.page(), p);
            QVERIFY(fresh.position() > previous);
            QCOMPARE(fresh.calcPositionByPage(p), fresh.position());
            previous = fresh.position();
            fresh.next();
        }
    }

    // A book opens on a cover and a title page: pages for a few characters
    // must not make the estimate for the rest of the book many times too
    // large.
    void estimateAfterTitlePages()
    {
        PageTable table;
        QVector<int> lengths{3, 12};
        for (int i = 0; i < 40; ++i)
            lengths << 9000;
        table.reset(lengths);
        table.setCounted(0, {0});
        table.setCounted(1, {0});
        const int estimate = table.pageCount();
        QVERIFY2(estimate >= 40 * 2 && estimate <= 40 * 10, qPrintable(QString::number(estimate)));
        QVERIFY(!table.isExact());
        // Counted text pages take over from the default.
        for (int i = 2; i < 12; ++i)
            table.setCounted(i, {0, 1000, 2000, 3000, 4000, 5000, 6000, 7000, 8000});
        QCOMPARE(table.pagesOf(20), 9);
    }

    void newFontCancelsTheCount()
    {
        HtmlDocument d(chapters(40, 12));
        d.setViewPortSize(QSize(420, 520));
        QTRY_VERIFY_WITH_TIMEOUT(d.isCounting(), 5000);
        // A font change while counting: the count starts again for the new
        // font, and nothing of the old one is kept.
        d.setDefaultFont(QFont(QStringLiteral("DejaVu Serif"), 20));
        d.setPageByPosition(d.textLength() / 2);
        QVERIFY(waitForExact(d));
        HtmlDocument fresh(chapters(40, 12));
        fresh.setDefaultFont(QFont(QStringLiteral("DejaVu Serif"), 20));
        fresh.setViewPortSize(QSize(420, 520));
        QVERIFY(waitForExact(fresh));
        QCOMPARE(d.pageCount(), fresh.pageCount());
        for (int p = 1; p <= d.pageCount(); p += 7)
            QCOMPARE(d.calcPositionByPage(p), fresh.calcPositionByPage(p));
    }

    void cachedPageTable()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("book.html");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("a book");
        file.close();
        int pages = 0;
        {
            HtmlDocument d(chapters(20, 10), path);
            d.setViewPortSize(QSize(420, 520));
            QVERIFY(waitForExact(d));
            pages = d.pageCount();
            QVERIFY(QFile::exists(PageCache(path).fileName()));
        }
        {
            // The same book and layout: exact at once.
            HtmlDocument d(chapters(20, 10), path);
            d.setViewPortSize(QSize(420, 520));
            QVERIFY(d.isPageCountExact());
            QCOMPARE(d.pageCount(), pages);
            // Another font or size: counted again.
            d.setDefaultFont(QFont(QStringLiteral("DejaVu Serif"), 16));
            QVERIFY(!d.isPageCountExact());
            d.setDefaultFont(QFont(QStringLiteral("DejaVu Serif"), 12));
            QVERIFY(d.isPageCountExact());
            d.setViewPortSize(QSize(400, 520));
            QVERIFY(!d.isPageCountExact());
        }
        // A changed file: nothing cached applies.
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("another book, longer");
        file.close();
        HtmlDocument d(chapters(20, 10), path);
        d.setViewPortSize(QSize(420, 520));
        QVERIFY(!d.isPageCountExact());
    }

    void oversizedChapterIsSplit()
    {
        // One chapter far larger than a unit, between two small ones.
        QStringList list = {chapter(0, 5), chapter(1, 700), chapter(2, 5)};
        HtmlDocument d(list);
        d.setViewPortSize(QSize(420, 520));
        QVERIFY(d.unitCount() > 3);
        QVERIFY(waitForExact(d));
        // The places are those of the whole text.
        const std::unique_ptr<QTextDocument> whole = d.wholeDocument();
        QCOMPARE(d.plainText(), whole->toPlainText());
        QCOMPARE(d.textLength(), whole->characterCount());
        const QString text = d.plainText();
        for (int i = 0; i < 700; i += 53) {
            const int position = text.indexOf(paragraph(1, i));
            d.setPageByPosition(position);
            const int offset = position - d.calcPositionByPage(d.page());
            QCOMPARE(d.pageText(d.page()).mid(offset, 20), text.mid(position, 20));
        }
        QCOMPARE(d.positionOfAnchor("c2"), text.indexOf("Chapter 2"));
    }

    void emptyChapter()
    {
        QStringList list = {chapter(0, 10), QString(), chapter(2, 10)};
        HtmlDocument d(list);
        d.setViewPortSize(QSize(420, 520));
        QVERIFY(waitForExact(d));
        const std::unique_ptr<QTextDocument> whole = d.wholeDocument();
        QCOMPARE(d.plainText(), whole->toPlainText());
        const int two = d.positionOfAnchor("c2");
        QCOMPARE(two, d.plainText().indexOf("Chapter 2"));
        d.setPageByPosition(two);
        QVERIFY(d.pageText(d.page()).startsWith("Chapter 2"));
        // Turning back and forth over the empty chapter.
        const int page = d.page();
        d.previous();
        d.previous();
        d.next();
        d.next();
        QCOMPARE(d.page(), page);
    }

    // A cover chapter ending in a page break (as the FB2 converter writes
    // it) takes one page: laid out alone, the break must not leave a blank
    // page the whole book does not have.
    void chapterEndingInAPageBreak()
    {
        const QStringList list = {QStringLiteral("<p>Cover</p><p style=\"page-break-after:always\"></p>"),
                                  chapter(1, 10)};
        HtmlDocument d(list);
        d.setViewPortSize(QSize(420, 520));
        QVERIFY(waitForExact(d));
        QVERIFY(d.pageText(1).startsWith("Cover"));
        QVERIFY2(d.pageText(2).startsWith("Chapter 1"), qPrintable(d.pageText(2)));
        const std::unique_ptr<QTextDocument> whole = d.wholeDocument();
        whole->setPageSize(d.pageSize());
        QCOMPARE(d.pageCount(), whole->pageCount());
    }

    void searchResults()
    {
        HtmlDocument d({book(120)});
        d.setViewPortSize(QSize(400, 500));
        QVERIFY(waitForExact(d));
        QVERIFY(d.pageCount() >= 12);

        const QList<SearchResult> numbers = d.search("12");
        QVERIFY(numbers.size() >= 2);
        QVERIFY(numbers.first().isPageJump);
        QCOMPARE(numbers.first().page, 12);
        QCOMPARE(numbers.first().text, QString("Go to page 12"));
        QCOMPARE(numbers.first().position, d.calcPositionByPage(12));
        for (int i = 1; i < numbers.size(); ++i) {
            QVERIFY(!numbers.at(i).isPageJump);
            QVERIFY(numbers.at(i).text.contains("<b>12</b>"));
            QVERIFY(i == 1 || numbers.at(i - 1).page <= numbers.at(i).page);
        }

        const QList<SearchResult> words = d.search("lantern");
        QCOMPARE(words.size(), 2); // one result per paragraph
        QCOMPARE(words.at(0).text, QString("<b>lantern</b> one, <b>lantern</b> two, <b>lantern</b> three."));
        QCOMPARE(words.at(1).text, QString("Rules: a &lt; b &amp; c <b>lantern</b>."));
        QCOMPARE(words.at(0).page, d.calcPageByPosition(words.at(0).position));
        QVERIFY(d.plainText().mid(words.at(0).position).startsWith("Lantern one"));

        const QList<SearchResult> markup = d.search("< b &");
        QCOMPARE(markup.size(), 1);
        QCOMPARE(markup.at(0).text, QString("Rules: a <b>&lt; b &amp;</b> c lantern."));
        QCOMPARE(d.search("9999").size(), 0); // a number beyond the pages, not in the text
    }

    // The search panel's way: results stream in steps, over every chapter,
    // and the hits are drawn on the pages that show them.
    void searchInStepsAcrossChapters()
    {
        HtmlDocument d(chapters(12, 20));
        d.setViewPortSize(QSize(420, 520));
        const QList<SearchResult> all = d.search("river");
        QCOMPARE(all.size(), 12 * 20);
        d.clearSearch();

        qint64 state = 0;
        QList<SearchResult> streamed;
        int steps = 0;
        while (d.searchStep("river", state, 15, streamed) && steps < 100000) {
            ++steps;
            QTest::qWait(1);
        }
        QCOMPARE(streamed.size(), all.size());
        for (int i = 0; i < all.size(); ++i) {
            QCOMPARE(streamed.at(i).position, all.at(i).position);
            QCOMPARE(streamed.at(i).text, all.at(i).text);
        }
        QVERIFY(!d.isSearchCleared());
        QCOMPARE(d.highlights().size(), 12 * 20);

        // The last chapter's page shows its hits as selections.
        d.setPageByPosition(streamed.last().position);
        const TextDocument::PageView view = d.pageView(d.page());
        QVERIFY(!view.selections.isEmpty());
        for (const auto& selection : view.selections)
            QCOMPARE(selection.cursor.selectedText().toLower(), QString("river"));

        // A new query replaces the hits; clearing removes them, once.
        QSignalSpy cleaned(&d, &TextDocument::endCleanSearch);
        state = 0;
        QList<SearchResult> other;
        while (d.searchStep("evening", state, 15, other))
            QTest::qWait(1);
        QCOMPARE(other.size(), 12 * 20);
        QCOMPARE(d.highlights().size(), 12 * 20);
        QCOMPARE(d.plainText().mid(d.highlights().first().first, 7), QString("evening"));
        d.clearSearch();
        d.clearSearch();
        QCOMPARE(cleaned.count(), 1);
        QVERIFY(d.highlights().isEmpty());
    }

    void blankQueries_data()
    {
        QTest::addColumn<QString>("query");
        QTest::newRow("null") << QString();
        QTest::newRow("empty") << QString("");
        QTest::newRow("space") << QString(" ");
        QTest::newRow("tabs") << QString("\t \n");
    }
    void blankQueries()
    {
        QFETCH(QString, query);
        HtmlDocument d({book(20)});
        d.setViewPortSize(QSize(400, 500));
        QVERIFY(!d.search("river").isEmpty());
        QVERIFY(!d.highlights().isEmpty());
        QVERIFY(d.search(query).isEmpty());
        QVERIFY(d.highlights().isEmpty()); // the old highlight is gone
        QVERIFY(d.isSearchCleared());
        qint64 state = 0;
        QList<SearchResult> results;
        QVERIFY(!d.searchStep(query, state, 15, results));
        QVERIFY(results.isEmpty());
    }

    // The map of places leaves a book's style sheets out when they cannot
    // change the text; where they can, places must still be those of the
    // documents laid out with them.
    void styleSheetsAndPlaces_data()
    {
        QTest::addColumn<QString>("head");
        QTest::newRow("looks only") << QStringLiteral("<style>p { color: #333; margin: 1em; }</style>");
        QTest::newRow("white space kept")
            << QStringLiteral("<style type=\"text/css\">p.code { WHITE-SPACE: pre }</style>");
        // Qt's rich text does not apply "display" from style sheets: such
        // sheets are left out of the map like any other.
        QTest::newRow("display") << QStringLiteral("<style>span.note { display: none } p { display: inline }</style>");
    }

    void styleSheetsAndPlaces()
    {
        QFETCH(QString, head);
        const QString odd = QStringLiteral("<p class=\"code\">a   b\n  c</p><p>Before <span class=\"note\">"
                                           "a note</span> after.</p>");
        HtmlDocument d({chapter(0, 8) + odd, odd + chapter(1, 8)}, QString(), head);
        d.setViewPortSize(QSize(420, 520));
        QVERIFY(waitForExact(d));
        const std::unique_ptr<QTextDocument> whole = d.wholeDocument();
        QCOMPARE(d.plainText(), whole->toPlainText());
        // Every page starts where its laid-out text says.
        for (int p = 1; p <= d.pageCount(); ++p) {
            const QString shown = d.pageText(p).simplified();
            const QString atPlace = d.plainText().mid(d.calcPositionByPage(p), shown.size() * 2).simplified();
            QVERIFY2(atPlace.startsWith(shown.left(20)), qPrintable(QString::number(p)));
        }
    }

    void textNeverChanges()
    {
        HtmlDocument d({book(30)});
        const QString text = d.plainText();
        d.setHighlightColor(Qt::green);
        d.clearSearch();
        d.resetHighlight();
        d.setViewPortSize(QSize(300, 400));
        d.search("road");
        d.setViewPortSize(QSize(320, 400));
        d.clearSearch();
        d.resetHighlight();
        d.clear();
        d.rebuild();
        QCOMPARE(d.plainText(), text);
    }

    void anchors()
    {
        HtmlDocument d({book(60)});
        QCOMPARE(d.positionOfAnchor(""), 0);
        QCOMPARE(d.positionOfAnchor("missing"), 0);
        QCOMPARE(d.positionOfAnchor("start"), 0);
        const QString text = d.plainText();
        const int middle = d.positionOfAnchor("middle");
        QVERIFY(text.mid(middle).startsWith("Middle\n"));
        const int end = d.positionOfAnchor("end");
        QVERIFY(text.mid(end).startsWith("The end"));
        QCOMPARE(d.positionOfAnchor("END"), 0); // case-sensitive
    }

    // Closing a book while its pages are counted and searched: nothing
    // crashes, nothing arrives afterwards (the sanitizer build checks for
    // leaks and use after free).
    void closedWhileCounting()
    {
        for (int round = 0; round < 5; ++round) {
            auto d = std::make_unique<HtmlDocument>(chapters(60, 12));
            d->setViewPortSize(QSize(420, 520));
            qint64 state = 0;
            QList<SearchResult> results;
            d->searchStep("river", state, 15, results);
            QTest::qWait(round * 40);
            d.reset();
        }
        QTest::qWait(200);
    }

    void splitBody_data()
    {
        QTest::addColumn<QString>("body");
        QTest::addColumn<int>("pieces");
        QString paragraphs;
        for (int i = 0; i < 40; ++i)
            paragraphs += QStringLiteral("<p>%1</p>").arg(paragraph(0, i));
        QTest::newRow("paragraphs") << paragraphs << 4;
        QTest::newRow("wrapped in a div")
            << QStringLiteral("<div id=\"x\" class=\"chapter\">%1</div>").arg(paragraphs) << 4;
        QTest::newRow("whole document")
            << QStringLiteral("<html><head><style>p{}</style></head><body>%1</body></html>").arg(paragraphs)
            << 4;
        QTest::newRow("unclosed paragraphs") << QString(paragraphs).remove("</p>") << 4;
        QTest::newRow("one long paragraph")
            << QStringLiteral("<p>%1</p>").arg(QString("word ").repeated(2000)) << 1;
        QTest::newRow("comments and tables")
            << QStringLiteral("<!-- <p> not a tag --><table><tr><td>a</td></tr></table>") + paragraphs << 4;
        // Five sections of a fifth each: a piece (a quarter) holds one, never
        // two (which would be far over the size).
        QString sections;
        for (int s = 0; s < 5; ++s)
            sections += QStringLiteral("<section>%1</section>").arg(paragraphs.mid(0, paragraphs.size() / 5));
        QTest::newRow("sections") << sections << 5;
    }
    void splitBody()
    {
        QFETCH(QString, body);
        QFETCH(int, pieces);
        const int size = body.size() / 4 + 1;
        const QStringList split = BookText::splitBody(body, size);
        QVERIFY2(split.size() >= pieces, qPrintable(QString::number(split.size())));
        // Laid out one after the other, the pieces hold the body's text.
        QTextDocument whole;
        whole.setHtml(body);
        QStringList texts;
        for (const QString& piece : split) {
            QTextDocument part;
            part.setHtml(piece);
            texts << part.toPlainText();
            // Within the size, give or take the copied wrappers and head.
            if (pieces > 1)
                QVERIFY2(piece.size() <= size + 120, qPrintable(QString::number(piece.size())));
        }
        QCOMPARE(texts.join("\n").simplified(), whole.toPlainText().simplified());
        // The id stays with the first piece only.
        if (body.contains("id=\"x\""))
            QCOMPARE(split.join(QString()).count("id=\"x\""), 1);
    }

    // A book shown from its opening: the place on screen stays when the whole
    // text arrives; a place beyond the opening waits for it (busy page) and
    // is then reached exactly; numbers are estimates until then.
    void openingThenWholeText()
    {
        const QStringList text = chapters(12, 20, true);
        HtmlDocument whole(text);
        whole.setViewPortSize(QSize(420, 520));
        QVERIFY(waitForExact(whole));

        StagedDocument kept(text, 3);
        kept.setViewPortSize(QSize(420, 520));
        QVERIFY(kept.isOpening());
        QVERIFY(QTest::qWaitFor([&] { return kept.isTextMapped() && kept.isCounting() == false; }, 20000));
        QVERIFY(!kept.isPageCountExact());
        for (int i = 0; i < 5; ++i)
            kept.next();
        const int page = kept.page();
        const QString shown = kept.pageText(page);
        QCOMPARE(shown, whole.pageText(page));
        kept.complete();
        QVERIFY(!kept.isOpening());
        QCOMPARE(kept.page(), page);
        QCOMPARE(kept.pageText(kept.page()), shown);
        QVERIFY(waitForExact(kept));
        QCOMPARE(kept.pageCount(), whole.pageCount());

        // Deep in chapter 9, in the middle of a paragraph.
        const int deep = whole.positionOfAnchor("c9") + 900;
        StagedDocument waiting(text, 3);
        waiting.setViewPortSize(QSize(420, 520));
        QVERIFY(QTest::qWaitFor([&] { return waiting.isTextMapped(); }, 20000));
        QSignalSpy busy(&waiting, &TextDocument::beginResizePage);
        QSignalSpy ready(&waiting, &TextDocument::endResizePage);
        waiting.setPageByPosition(deep);
        QVERIFY(waiting.isWaitingForPlace());
        QCOMPARE(busy.count(), 1);
        QCOMPARE(waiting.position(), deep);
        waiting.complete();
        QVERIFY(QTest::qWaitFor([&] { return !waiting.isWaitingForPlace(); }, 20000));
        QCOMPARE(ready.count(), 1);
        QVERIFY(waitForExact(waiting));
        QVERIFY(pageHolds(waiting, waiting.page(), deep));
        QCOMPARE(waiting.pageText(waiting.page()), whole.pageText(whole.calcPageByPosition(deep)));
    }

private:
    TestHome m_home;
};

QTEST_MAIN(TestTextDocument)
#include "TestTextDocument.moc"
