// BookPlaces on its own: what the document tests cannot steer, the order in
// which a cleared text, the worker's map and the text handed over again meet,
// and paragraph places deep inside a book split into many units.

#include "BookPlaces.h"
#include "BookResources.h"
#include "ChunkDocument.h"
#include "LayoutWorker.h"
#include "util/HtmlBook.h"
#include "util/TestHome.h"

#include <QSignalSpy>
#include <QTextBlock>
#include <QtTest>

#include <memory>

namespace {

// Small pieces: every chapter is laid out in several units.
constexpr int kPieceSize = 600;

BookText bookText(const QStringList& chunks)
{
    BookText text;
    text.prefix = QStringLiteral("<html><body>");
    text.suffix = QStringLiteral("</body></html>");
    text.separator = QStringLiteral("<p style=\"page-break-after:always\"></p>");
    text.chunks = chunks;
    return text;
}

TextStyle style()
{
    TextStyle style;
    style.font = QFont(QStringLiteral("DejaVu Serif"), 12);
    style.pageSize = QSizeF(300, 400);
    return style;
}

QString wholeText(const BookText& text, const std::shared_ptr<BookResources>& resources)
{
    TextStyle plain = style();
    plain.pageSize = QSizeF();
    return ChunkDocument::wholeBook(text, resources, plain)->toPlainText();
}

} // namespace

class TestBookPlaces : public QObject
{
    Q_OBJECT
private slots:
    void init() { m_home.wipe(); }

    // Every paragraph's start is where the whole book's document has it, in
    // every unit, and 100 % is the start of the last paragraph.
    void paragraphsAcrossUnits()
    {
        const BookText text = bookText({chapter(0, 12), chapter(1, 3), chapter(2, 12)});
        LayoutWorker worker;
        BookPlaces places(worker, [](const QVector<int>&) {});
        places.setText(text, kPieceSize, style(), m_resources, QString());
        QVERIFY(places.unitCount() > 3);
        QVERIFY(places.ensureSpans(true));

        TextStyle plain = style();
        plain.pageSize = QSizeF();
        const auto whole = ChunkDocument::wholeBook(text, m_resources, plain);
        const int blocks = whole->blockCount();
        for (int n = 0; n < blocks; ++n)
            QCOMPARE(places.positionOfBlock(n), whole->findBlockByNumber(n).position());
        QCOMPARE(places.positionOfBlock(blocks), -1);
        QCOMPARE(places.positionOfBlock(-1), -1);
        QCOMPARE(places.positionOfProgress(0), 0);
        QCOMPARE(places.positionOfProgress(100), whole->lastBlock().position());
    }

    // A text cleared for a rebuild keeps its map, also one that arrives after
    // the clear; only the very same text gets it back.
    void keptForTheSameTextOnly()
    {
        const BookText text = bookText({chapter(0, 8), chapter(1, 8)});
        LayoutWorker worker;
        int taken = 0;
        BookPlaces places(worker, [&](const QVector<int>&) { ++taken; });
        QSignalSpy mapped(&worker, &LayoutWorker::textMapped);
        QVERIFY(!places.setText(text, kPieceSize, style(), m_resources, QString()));
        places.clear();
        QVERIFY(mapped.wait(20000));
        QVERIFY(!places.takeMap()); // it went to the text kept aside
        QVERIFY(places.isEmpty());
        QCOMPARE(places.plainText(), QString());

        QVERIFY(places.setText(text, kPieceSize, style(), m_resources, QString()));
        QVERIFY(places.isMapped());
        QVERIFY(!worker.isMapping());
        QCOMPARE(places.plainText(), wholeText(text, m_resources));
        QCOMPARE(taken, 0); // the map came back with its spans

        // Another text (the whole book after its opening) is mapped anew, and
        // the first text is no longer kept once it was.
        places.clear();
        const BookText other = bookText({chapter(0, 8), chapter(1, 8), chapter(2, 8)});
        QVERIFY(!places.setText(other, kPieceSize, style(), m_resources, QString()));
        QVERIFY(!places.isMapped());
        QCOMPARE(places.plainText(), wholeText(other, m_resources));
        QCOMPARE(taken, 1);
        places.clear();
        QVERIFY(!places.setText(text, kPieceSize, style(), m_resources, QString()));
        QCOMPARE(places.plainText(), wholeText(text, m_resources));
        QCOMPARE(taken, 2);
    }

private:
    TestHome m_home;
    std::shared_ptr<BookResources> m_resources = std::make_shared<BookResources>(nullptr);
};

QTEST_MAIN(TestBookPlaces)
#include "TestBookPlaces.moc"
