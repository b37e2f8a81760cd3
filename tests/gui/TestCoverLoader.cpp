#include "AddBooksWorker.h"
#include "BookListView.h"
#include "BookListViewDelegate.h"
#include "BookModel.h"
#include "BookProvider.h"
#include "CoverLoader.h"
#include "util/TestHome.h"

#include <QApplication>
#include <QPixmapCache>
#include <QSignalSpy>
#include <QtTest>

namespace {
QImage filled(int width, int height, QColor color)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(color);
    return image;
}

QString writeImage(const QString& path, const QImage& image)
{
    QDir().mkpath(QFileInfo(path).path());
    return image.save(path, "PNG") ? path : QString();
}
} // namespace

class TestCoverLoader : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_home.wipe();
        QPixmapCache::clear();
        QVERIFY(BookProvider::instance()->createConnection());
    }

    // The shelf shows what the add path stored: the stored cover, scaled
    // into the item, pixel for pixel what a direct read and scale gives.
    void shelfShowsTheStoredCover_data()
    {
        QTest::addColumn<QImage>("image");
        QTest::addColumn<bool>("writtenByTheAddPath");
        QImage gradient(700, 1000, QImage::Format_RGB32);
        for (int y = 0; y < gradient.height(); ++y)
            for (int x = 0; x < gradient.width(); ++x)
                gradient.setPixel(x, y, qRgb(x % 256, y % 256, (x * y) % 256));
        QTest::newRow("written by the add path") << gradient << true;
        QTest::newRow("full-size cover of an older library") << gradient << false;
        QTest::newRow("smaller than the item") << gradient.copy(0, 0, 60, 80) << true;
    }
    void shelfShowsTheStoredCover()
    {
        QFETCH(QImage, image);
        QFETCH(bool, writtenByTheAddPath);
        const QString book = m_home.path() + "/Books/book.fb2";
        const QString path = writtenByTheAddPath ? AddBooksWorker::saveCover(book, image)
                                                 : writeImage(m_home.path() + "/old/cover.png", image);
        QVERIFY(!path.isEmpty());
        const QSize size(109, 142);

        CoverLoader loader;
        QSignalSpy ready(&loader, &CoverLoader::coverReady);
        CoverLoader::State state = CoverLoader::Missing;
        QVERIFY(loader.cover(path, size, &state).isNull());
        QCOMPARE(state, CoverLoader::Loading);
        QTRY_COMPARE(ready.count(), 1);
        QCOMPARE(ready.first().at(0).toString(), path);
        const QPixmap shown = loader.cover(path, size, &state);
        QCOMPARE(state, CoverLoader::Ready);

        QImage stored(path);
        if (stored.width() > size.width() || stored.height() > size.height())
            stored = stored.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        const QImage a = shown.toImage().convertToFormat(QImage::Format_RGB32);
        const QImage b = stored.convertToFormat(QImage::Format_RGB32);
        QCOMPARE(a.size(), b.size());
        int worst = 0;
        for (int y = 0; y < a.height(); ++y)
            for (int x = 0; x < a.width(); ++x) {
                const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
                worst = qMax(worst, qMax(qAbs(qRed(p) - qRed(q)),
                                         qMax(qAbs(qGreen(p) - qGreen(q)), qAbs(qBlue(p) - qBlue(q)))));
            }
        // Scaled while decoding rather than afterwards: rounding may differ
        // by one step, nothing more.
        QVERIFY2(worst <= 1, qPrintable(QString::number(worst)));
        // The same cover at another size is another entry.
        loader.cover(path, QSize(50, 70), &state);
        QCOMPARE(state, CoverLoader::Loading);
        QTRY_COMPARE(ready.count(), 2);
        QCOMPARE(loader.cover(path, QSize(50, 70), &state).size(),
                 QImage(path).size().scaled(50, 70, Qt::KeepAspectRatio));
    }

    void missingOrBrokenCoversGiveTheDefault_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("no file") << QByteArray();
        QTest::newRow("not an image") << QByteArray("PNG? no.");
        QTest::newRow("truncated") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
    }
    void missingOrBrokenCoversGiveTheDefault()
    {
        QFETCH(QByteArray, content);
        const QString path = m_home.path() + "/covers/cover.png";
        if (!content.isEmpty()) {
            QDir().mkpath(QFileInfo(path).path());
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(content);
        }
        CoverLoader loader;
        QSignalSpy ready(&loader, &CoverLoader::coverReady);
        CoverLoader::State state = CoverLoader::Ready;
        loader.cover(path, QSize(100, 140), &state);
        QCOMPARE(state, CoverLoader::Loading);
        QTRY_COMPARE(ready.count(), 1);
        QVERIFY(loader.cover(path, QSize(100, 140), &state).isNull());
        QCOMPARE(state, CoverLoader::Missing);
        // Known now: asking again does not decode again.
        QCOMPARE(loader.pending(), 0);
        loader.cover(QString(), QSize(100, 140), &state);
        QCOMPARE(state, CoverLoader::Missing);
        QCOMPARE(loader.pending(), 0);
    }

    // Scrolling fast asks for far more covers than can be decoded: the
    // newest are served, the queue stays short.
    void newestRequestsWinWhenScrollingFast()
    {
        QStringList paths;
        for (int i = 0; i < 200; ++i)
            paths << writeImage(m_home.path() + QStringLiteral("/covers/%1.png").arg(i),
                                filled(300, 450, QColor::fromHsv(i % 360, 200, 200)));
        CoverLoader loader;
        QSignalSpy ready(&loader, &CoverLoader::coverReady);
        CoverLoader::State state;
        for (const QString& path : qAsConst(paths)) {
            loader.cover(path, QSize(100, 140), &state);
            QVERIFY(loader.pending() <= CoverLoader::MaxQueued + 2);
        }
        QTRY_COMPARE(loader.pending(), 0);
        QStringList served;
        for (const QList<QVariant>& args : qAsConst(ready))
            served << args.at(0).toString();
        QVERIFY(served.contains(paths.last()));
        QVERIFY(served.size() < paths.size());
        loader.cover(paths.last(), QSize(100, 140), &state);
        QCOMPARE(state, CoverLoader::Ready);
    }

    void shelfPaintsCoversOnceDecoded()
    {
        const QColor colors[] = {Qt::red, Qt::green, Qt::blue};
        for (int i = 0; i < 3; ++i) {
            BookDto book;
            book.title = QStringLiteral("Book %1").arg(i);
            book.full_path = m_home.path() + QStringLiteral("/Books/%1.fb2").arg(i);
            book.time_added = uint(1000 - i);
            book.cover = AddBooksWorker::saveCover(book.full_path, filled(130, 190, colors[i]));
            QVERIFY(BookProvider::instance()->addBook(book) > 0);
        }
        BookModel model;
        model.selectAll();
        BookListView shelf;
        shelf.setModel(&model);
        shelf.resize(600, 400);
        shelf.show();
        QVERIFY(QTest::qWaitForWindowExposed(&shelf));
        CoverLoader* loader = shelf.bookDelegate()->loader();
        QTRY_COMPARE(loader->pending(), 0);
        for (int row = 0; row < 3; ++row) {
            const QRect item = shelf.visualRect(model.index(row, 0));
            const QRect cover = BookListViewDelegate::coverArea(item);
            QTRY_COMPARE(
                shelf.viewport()->grab().toImage().pixelColor(cover.center().x(), cover.bottom() - 20),
                colors[row]);
        }
    }

private:
    TestHome m_home;
};

QTEST_MAIN(TestCoverLoader)
#include "TestCoverLoader.moc"
