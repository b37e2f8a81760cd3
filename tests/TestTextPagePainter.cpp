#include "TextPagePainter.h"
#include "util/HtmlBook.h"
#include "util/TestHome.h"

#include <QPainter>
#include <QtTest>

namespace {

QStringList chapters()
{
    return {chapter(1, 30, true), chapter(2, 12), chapter(3, 30)};
}

void style(TextDocument& d, int columns)
{
    d.setBackgroundColor(QColor(250, 245, 230));
    d.setFontColor(Qt::darkGray);
    d.setHighlightColor(QColor(255, 200, 0));
    d.setMargings(QMargins(12, 10, 12, 10));
    d.setColumnCount(columns);
    d.setViewPortSize(QSize(columns * 360, 480));
}

/// The spread as the viewer draws it, at pixel ratio `ratio`.
QImage draw(TextDocument& d, TextPagePainter& painter, qreal ratio = 1)
{
    const QSize size = d.viewPortSize();
    QImage image(size * ratio, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    QPainter p(&image);
    p.fillRect(QRect(QPoint(0, 0), size), d.backgroundColor());
    p.setRenderHint(QPainter::TextAntialiasing);
    painter.paint(p, QRect(QPoint(0, 0), size), ratio);
    return image;
}

/// The same spread drawn afresh by a painter that keeps nothing.
QImage fresh(TextDocument& d, qreal ratio = 1)
{
    TextPagePainter painter(&d);
    painter.setKeepsPictures(false);
    return draw(d, painter, ratio);
}

/// Equal up to the antialiasing of glyphs cut by the page's edge, which the
/// raster engine blends a shade differently when the edge is the image's own
/// (a few levels of 255); a missing highlight or a moved line is far more.
bool alike(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return false;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            if (qAbs(qRed(p) - qRed(q)) > 8 || qAbs(qGreen(p) - qGreen(q)) > 8 || qAbs(qBlue(p) - qBlue(q)) > 8)
                return false;
        }
    }
    return true;
}

void idle()
{
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
}

} // namespace

class TestTextPagePainter : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { m_home.reset(new TestHome); }

    // A kept or drawn-ahead picture shows exactly what drawing the page
    // afresh shows, turning forwards across chapters and backwards, in one
    // and two columns and at a high pixel ratio; a turn after the idle time
    // draws nothing new.
    void picturesShowWhatDrawingAfreshShows_data()
    {
        QTest::addColumn<int>("columns");
        QTest::addColumn<qreal>("ratio");
        QTest::newRow("one column") << 1 << 1.0;
        QTest::newRow("two columns") << 2 << 1.0;
        QTest::newRow("pixel ratio 2") << 1 << 2.0;
    }
    void picturesShowWhatDrawingAfreshShows()
    {
        QFETCH(int, columns);
        QFETCH(qreal, ratio);
        HtmlDocument d(chapters());
        style(d, columns);
        TextPagePainter painter(&d);
        QVERIFY(alike(draw(d, painter, ratio), fresh(d, ratio)));
        int turns = 0;
        while (d.page() + columns <= d.pageCount()) {
            idle();
            const int drawn = painter.picturesDrawn();
            d.next();
            QVERIFY(alike(draw(d, painter, ratio), fresh(d, ratio)));
            QCOMPARE(painter.picturesDrawn(), drawn);
            ++turns;
        }
        QVERIFY(turns > 6);
        // Backwards: after the first turn back the painter draws behind.
        d.previous();
        draw(d, painter, ratio);
        for (int i = 0; i < 4 && d.page() > columns; ++i) {
            idle();
            const int drawn = painter.picturesDrawn();
            d.previous();
            QVERIFY(alike(draw(d, painter, ratio), fresh(d, ratio)));
            QCOMPARE(painter.picturesDrawn(), drawn);
        }
    }

    // Whatever changes the look of a page makes the kept picture unusable:
    // search hits, the place-finding highlight going, another font, another
    // paper colour.
    void changesAreNeverHiddenByAKeptPicture()
    {
        HtmlDocument d(chapters());
        style(d, 1);
        TextPagePainter painter(&d);
        const QImage plain = draw(d, painter);

        QVERIFY(!d.search("travellers").isEmpty());
        const QImage hits = draw(d, painter);
        QVERIFY(!alike(hits, plain));
        QVERIFY(alike(hits, fresh(d)));
        d.clearSearch();
        QVERIFY(alike(draw(d, painter), plain));

        const int position = d.position();
        d.clear();
        d.setDefaultFont(QFont(QStringLiteral("DejaVu Serif"), 15));
        d.rebuild();
        d.setPageByPosition(position);
        const QImage larger = draw(d, painter);
        QVERIFY(!alike(larger, plain));
        QVERIFY(alike(larger, fresh(d)));

        d.setBackgroundColor(QColor(30, 30, 30));
        QVERIFY(alike(draw(d, painter), fresh(d)));
    }

private:
    std::unique_ptr<TestHome> m_home;
};

QTEST_MAIN(TestTextPagePainter)
#include "TestTextPagePainter.moc"
