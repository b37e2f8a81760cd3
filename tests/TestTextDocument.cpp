#include "Settings.h"
#include "TextDocument.h"
#include "util/TestHome.h"

#include <QSignalSpy>
#include <QTextBlock>
#include <QTextCursor>
#include <QtTest>

namespace {

/// A TextDocument filled from HTML the way a format back-end fills it.
class HtmlDocument : public TextDocument
{
public:
    explicit HtmlDocument(const QString& html)
    {
        setDefaultFont(QFont(QStringLiteral("DejaVu Serif"), 12));
        setHtml(html);
        contentReplaced();
    }
};

QString book(int paragraphs)
{
    QString html = QStringLiteral("<html><body><h2 id=\"start\">Beginning</h2>");
    for (int i = 0; i < paragraphs; ++i) {
        html += QStringLiteral("<p>Paragraph %1 tells of the road, the river and the long evening light "
                               "that fell across the fields while the travellers walked on.</p>")
                    .arg(i);
        if (i == 40)
            html += QStringLiteral("<h4 id=\"middle\">Middle</h4>");
    }
    html += QStringLiteral("<p>Lantern one, lantern two, LANTERN three.</p>");
    html += QStringLiteral("<p>Rules: a &lt; b &amp; c lantern.</p>");
    html += QStringLiteral("<p><a name=\"end\">The</a> end.</p></body></html>");
    return html;
}

/// The page that holds `position` must be the one whose range contains it.
bool pageHolds(const TextDocument& d, int page, int position)
{
    const int start = d.calcPositionByPage(page);
    const int nextStart = page < d.pageCount() ? d.calcPositionByPage(page + 1) : INT_MAX;
    return start <= position && position < nextStart;
}

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
        HtmlDocument d(book(120));
        d.setColumnCount(columns);
        d.setViewPortSize(QSize(columns * 420, 520));
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

        // Every page starts with a position that maps back to it.
        for (int p = 1; p <= n; ++p)
            QCOMPARE(d.calcPageByPosition(d.calcPositionByPage(p)), p);
    }

    void placeKeptAcrossRelayout_data()
    {
        QTest::addColumn<QSize>("from");
        QTest::addColumn<QSize>("to");
        QTest::addColumn<int>("page");
        QTest::newRow("narrower") << QSize(500, 600) << QSize(300, 600) << 5;
        QTest::newRow("wider") << QSize(300, 500) << QSize(700, 500) << 9;
        QTest::newRow("shorter") << QSize(450, 700) << QSize(450, 300) << 4;
        QTest::newRow("last page") << QSize(450, 600) << QSize(450, 350) << -1;
    }
    void placeKeptAcrossRelayout()
    {
        QFETCH(QSize, from);
        QFETCH(QSize, to);
        QFETCH(int, page);
        HtmlDocument d(book(120));
        d.setPageSize(QSizeF(300, 400)); // the viewer's provisional size
        d.setViewPortSize(from);
        d.setPage(page < 0 ? d.pageCount() : page);
        const int saved = d.position();
        const QString text = d.toPlainText();

        QSignalSpy begin(&d, &TextDocument::beginResizePage);
        d.setViewPortSize(to);
        d.setViewPortSize(to);
        QCOMPARE(begin.count(), 1);
        QVERIFY(pageHolds(d, d.page(), saved));
        // The re-layout (with its highlight edit) gives the same pages as a
        // fresh layout of the whole text.
        const int pages = d.pageCount();
        d.setDefaultFont(QFont(d.defaultFont()));
        d.setPageSize(d.pageSize() + QSizeF(0.01, 0));
        QCOMPARE(d.pageCount(), pages);

        // Column change: the same place again.
        d.setColumnCount(2);
        QVERIFY(pageHolds(d, d.page(), saved));

        // Font change: the viewer re-applies the style and goes back to the place.
        d.setDefaultFont(QFont(QStringLiteral("DejaVu Serif"), 18));
        d.setPageByPosition(saved);
        QVERIFY(pageHolds(d, d.page(), saved));
        QCOMPARE(d.toPlainText(), text);
    }

    void placeFindingHighlightIsTemporary()
    {
        HtmlDocument d(book(60));
        d.setHighlightColor(Qt::yellow);
        d.setViewPortSize(QSize(400, 500));
        QTRY_VERIFY_WITH_TIMEOUT(!d.isUndoAvailable(), 5000);
        d.setPage(3);
        const int saved = d.position();
        d.setViewPortSize(QSize(380, 450));
        QVERIFY(d.isUndoAvailable());
        QTextCursor c(&d);
        c.setPosition(saved + 1);
        QCOMPARE(c.charFormat().background().color(), QColor(Qt::yellow));
        QSignalSpy changed(&d, &TextDocument::pageChanged);
        QTRY_VERIFY_WITH_TIMEOUT(!d.isUndoAvailable(), 5000);
        QVERIFY(changed.count() >= 1);
        c.setPosition(saved + 1);
        QVERIFY(c.charFormat().background().style() == Qt::NoBrush);
    }

    void progress()
    {
        HtmlDocument d(book(120));
        d.setViewPortSize(QSize(400, 500));
        const int n = d.pageCount();
        QCOMPARE(d.calcProgressByPage(n), 100);
        QCOMPARE(d.calcProgressByPage(1), qRound(100.0f / n));
        d.setPage(1);
        QCOMPARE(d.progress(), double(float(1) / float(n) * 100.0f));
        d.setPageByProgress(0);
        QCOMPARE(d.page(), 1);
        d.setPageByProgress(100);
        QCOMPARE(d.page(), d.calcPageByPosition(d.lastBlock().position()));
        d.setPageByBlockNumber(d.blockCount() - 1);
        QCOMPARE(d.page(), n);
        d.setPageByBlockNumber(100000); // no such paragraph: stays
        QCOMPARE(d.page(), n);
    }

    void searchResults()
    {
        HtmlDocument d(book(120));
        d.setViewPortSize(QSize(400, 500));
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
        QCOMPARE(d.findBlock(words.at(0).position).position(), words.at(0).position);

        const QList<SearchResult> markup = d.search("< b &");
        QCOMPARE(markup.size(), 1);
        QCOMPARE(markup.at(0).text, QString("Rules: a <b>&lt; b &amp;</b> c lantern."));
        QCOMPARE(d.search("9999").size(), 0); // a number beyond the pages, not in the text
    }

    void searchHighlightIsOneUndoStep()
    {
        HtmlDocument d(book(30));
        d.setViewPortSize(QSize(400, 500));
        QTRY_VERIFY_WITH_TIMEOUT(!d.isUndoAvailable(), 5000);
        const QString text = d.toPlainText();
        QSignalSpy cleaned(&d, &TextDocument::endCleanSearch);

        QVERIFY(!d.search("river").isEmpty());
        QVERIFY(d.isUndoAvailable());
        QVERIFY(!d.isSearchCleared());
        QVERIFY(!d.search("evening").isEmpty()); // replaces the previous highlight
        QVERIFY(d.isUndoAvailable());

        d.clearSearch();
        d.clearSearch();
        QCOMPARE(cleaned.count(), 1);
        QVERIFY(!d.isUndoAvailable());
        QCOMPARE(d.toPlainText(), text);

        QVERIFY(d.search("no such words here").isEmpty());
        QVERIFY(d.isSearchCleared());
        QVERIFY(!d.isUndoAvailable());
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
        HtmlDocument d(book(20));
        d.setViewPortSize(QSize(400, 500));
        QTRY_VERIFY_WITH_TIMEOUT(!d.isUndoAvailable(), 5000);
        QVERIFY(!d.search("river").isEmpty());
        QVERIFY(d.search(query).isEmpty());
        QVERIFY(!d.isUndoAvailable()); // the old highlight is gone
        QVERIFY(d.isSearchCleared());
    }

    void textIsNeverUndone()
    {
        HtmlDocument d(book(30));
        const QString text = d.toPlainText();
        d.setHighlightColor(Qt::green);
        d.clearSearch();
        d.resetHighlight();
        d.setViewPortSize(QSize(300, 400));
        d.resetHighlight();
        d.resetHighlight();
        d.search("road");
        d.setViewPortSize(QSize(320, 400)); // drops the search highlight
        d.clearSearch();
        d.resetHighlight();
        QVERIFY(!d.isUndoAvailable());
        QCOMPARE(d.toPlainText(), text);
    }

    void anchors()
    {
        HtmlDocument d(book(60));
        QCOMPARE(d.positionOfAnchor(""), 0);
        QCOMPARE(d.positionOfAnchor("missing"), 0);
        QCOMPARE(d.positionOfAnchor("start"), 0);
        const int middle = d.positionOfAnchor("middle");
        QCOMPARE(d.findBlock(middle).text(), QString("Middle"));
        QCOMPARE(d.findBlock(middle).position(), middle);
        const int end = d.positionOfAnchor("end");
        QVERIFY(d.findBlock(end).text().startsWith("The end"));
        QCOMPARE(d.positionOfAnchor("END"), 0); // case-sensitive
    }

private:
    TestHome m_home;
};

QTEST_MAIN(TestTextDocument)
#include "TestTextDocument.moc"
