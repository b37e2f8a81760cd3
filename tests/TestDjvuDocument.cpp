#include "BookError.h"
#include "djvu/DjvuDocument.h"
#include "util/DjvuBuilder.h"
#include "util/TestHome.h"

#include <QDir>
#include <QtConcurrent>
#include <QtTest>

using djvu::DjvuDocument;

namespace {

RenderedDocument::View fitView(QSize viewport, int columns)
{
    RenderedDocument::View view;
    view.viewport = viewport;
    view.zoomMode = RenderedDocument::FitPage;
    view.columns = columns;
    return view;
}

RenderedDocument::View naturalView()
{
    RenderedDocument::View view;
    view.zoomMode = RenderedDocument::NaturalSize;
    return view;
}

QStringList texts(const QList<SearchResult>& results)
{
    QStringList out;
    for (const SearchResult& r : results)
        out << QStringLiteral("%1:%2%3").arg(r.page).arg(r.text, r.isPageJump ? QStringLiteral(" (jump)")
                                                                              : QString());
    return out;
}

QStringList titles(const QList<TocPoint>& points)
{
    QStringList out;
    for (const TocPoint& p : points)
        out << QStringLiteral("%1@%2").arg(p.title).arg(p.page) +
                   (p.children.isEmpty()
                        ? QString()
                        : QStringLiteral("[%1]").arg(titles(p.children).join(QLatin1Char(','))));
    return out;
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& data)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(data);
}

void putBigEndian32(QByteArray& data, int at, quint32 value)
{
    for (int i = 0; i < 4; ++i)
        data[at + i] = char((value >> (24 - 8 * i)) & 0xff);
}

bool isWhite(QRgb pixel)
{
    return qRed(pixel) > 240 && qGreen(pixel) > 240 && qBlue(pixel) > 240;
}

} // namespace

class TestDjvuDocument : public QObject
{
    Q_OBJECT
private:
    TestHome m_home;
    QTemporaryDir m_dir;
    QString m_book; ///< three pages, text, outline, metadata
    QString m_fit;  ///< four pages of 600 × 800 points

    QString write(const DjvuBuilder& builder, const QString& name)
    {
        const QString path = m_dir.filePath(name);
        QString error;
        if (!builder.writeBundled(path, &error))
            qWarning() << error;
        return path;
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(DjvuBuilder::toolsAvailable(), "the DjVuLibre tools (djvulibre-bin) are needed");
        QVERIFY(m_dir.isValid());
        DjvuBuilder builder;
        builder.page(300, 400, {"Lantern", "light"})
            .page(600, 400, {"Hello", "World", "lamp"}, false)
            .page(300, 600, {"3", "lamplighter"})
            .outline({{"Chapter One", "#1", {{"Section", "#2", {}}, {"Named", "#p0003.djvu", {}}}},
                      {"Chapter Two", "#3", {}},
                      {"Elsewhere", "https://example.org", {{"Inside", "#2", {}}}}})
            .meta("title", "The Lamp Book")
            .meta("author", "Ann Teller");
        m_book = write(builder, "book.djvu");
        QVERIFY(QFileInfo(m_book).size() > 0);
        DjvuBuilder fit;
        for (int i = 0; i < 4; ++i)
            fit.page(600, 800, {}, false, 0, 72);
        m_fit = write(fit, "fit.djvu");
    }

    void opensBundledBookInOrder()
    {
        DjvuDocument document;
        document.load(m_book);
        QVERIFY(document.isLoaded());
        QVERIFY(document.errorString().isEmpty());
        QCOMPARE(document.pageCount(), 3);
        // 300 dpi scans: 300 pixels are 72 points; natural size is one
        // point to one pixel.
        QCOMPARE(document.render(naturalView(), 1).size(), QSize(72, 96));
        QCOMPARE(document.render(naturalView(), 2).size(), QSize(144, 96));
        QCOMPARE(document.render(naturalView(), 3).size(), QSize(72, 144));
        QVERIFY(document.render(naturalView(), 4).isNull());
        QCOMPARE(document.title(), QStringLiteral("The Lamp Book"));
        QCOMPARE(document.author(), QStringLiteral("Ann Teller"));
    }

    void colourAndBlackAndWhitePages()
    {
        DjvuDocument document;
        document.load(m_book);
        RenderedDocument::View view;
        view.zoomMode = RenderedDocument::CustomScale;
        view.scale = 4.0; // the scan's own resolution
        const QImage colour = document.render(view, 1);
        QCOMPARE(colour.size(), QSize(288, 384));
        const QRgb band = colour.pixel(150, 320);
        QVERIFY2(qRed(band) > 150 && qGreen(band) < 100, qPrintable(QString::number(band, 16)));
        const QImage mono = document.render(view, 2);
        QVERIFY(isWhite(mono.pixel(5, 395 - 20)));
        bool black = false;
        for (int y = 0; y < mono.height() && !black; ++y)
            for (int x = 0; x < mono.width() && !black; ++x)
                black = qGray(mono.pixel(x, y)) < 60;
        QVERIFY(black); // the page number
    }

    void rotatedPageSwapsItsSides()
    {
        const QString path = write(DjvuBuilder().page(300, 400).page(300, 400, {}, true, 1), "turned.djvu");
        DjvuDocument document;
        document.load(path);
        QCOMPARE(document.render(naturalView(), 1).size(), QSize(72, 96));
        const QImage turned = document.render(naturalView(), 2);
        QCOMPARE(turned.size(), QSize(96, 72));
        // The red band at the bottom of the upright page is on the right
        // after a quarter turn counter-clockwise.
        const QRgb right = turned.pixel(80, 36);
        const QRgb left = turned.pixel(10, 36);
        QVERIFY(qRed(right) > 150 && qGreen(right) < 100);
        QVERIFY(isWhite(left));
    }

    void fitGeometry_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("columns");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("width");
        // Pages of 600 × 800 points, a viewport of 1200 × 800: the exact fit
        // steps down to whole percent (0.99).
        QTest::newRow("spread") << 3 << 2 << QSize(594, 792) << 1188;
        QTest::newRow("last page alone") << 4 << 2 << QSize(594, 792) << 594;
        QTest::newRow("one column") << 2 << 1 << QSize(594, 792) << 594;
    }

    void fitGeometry()
    {
        QFETCH(int, page);
        QFETCH(int, columns);
        QFETCH(QSize, size);
        QFETCH(int, width);
        DjvuDocument document;
        document.load(m_fit);
        const RenderedDocument::View view = fitView(QSize(1200, 800), columns);
        const bool spread = columns == 2 && page < document.pageCount();
        const RenderedDocument::Geometry geometry = document.pageGeometry(view, page, spread ? page + 1 : 0);
        QCOMPARE(geometry.scale, 0.99);
        QCOMPARE(geometry.size, size);
        const QImage picture = document.render(view, page);
        QCOMPARE(picture.width(), width);
        QCOMPARE(picture.height(), 792);
    }

    void outlineIsTheTableOfContents()
    {
        DjvuDocument document;
        document.load(m_book);
        // An entry that leads out of the book opens its first child's page.
        QCOMPARE(titles(document.toc()),
                 (QStringList{"Chapter One@1[Section@2,Named@3]", "Chapter Two@3", "Elsewhere@2[Inside@2]"}));
        QCOMPARE(document.toc().first().position, 1);
    }

    void searchFindsPageJumpThenWords()
    {
        DjvuDocument document;
        document.load(m_book);
        QCOMPARE(texts(document.search("lamp")), (QStringList{"2:<b>lamp</b>", "3:<b>lamp</b>lighter"}));
        QCOMPARE(texts(document.search("3")), (QStringList{"3:Go to page 3 (jump)", "3:<b>3</b>"}));
        QCOMPARE(texts(document.search("hello world")), QStringList{"2:<b>Hello World</b>"});
        QVERIFY(document.search("absent").isEmpty());

        DjvuDocument other;
        other.load(m_book);
        QList<SearchResult> stepped;
        qint64 state = 0;
        while (other.searchStep("lamp", state, 1000, stepped))
            QTest::qWait(1);
        QCOMPARE(texts(stepped), texts(document.search("lamp")));
    }

    void bookWithoutTextOutlineOrMetadata()
    {
        DjvuDocument document;
        document.load(write(DjvuBuilder().page(300, 400), "plain.djvu"));
        QVERIFY(document.isLoaded());
        QVERIFY(document.toc().isEmpty());
        QCOMPARE(texts(document.search("1")), QStringList{"1:Go to page 1 (jump)"});
        QVERIFY(document.title().isEmpty());
        QVERIFY(document.author().isEmpty());
        QCOMPARE(document.cover(190).height(), 190);
    }

    void indirectBookWithAMissingPage()
    {
        QDir(m_dir.path()).mkdir("indirect");
        const QString index = m_dir.filePath("indirect/index.djvu");
        QStringList pages;
        QString error;
        QVERIFY2(DjvuBuilder()
                     .page(300, 400, {"first"})
                     .page(300, 400, {"second"})
                     .page(300, 400, {"third"})
                     .writeIndirect(index, &pages, &error),
                 qPrintable(error));
        QCOMPARE(pages.size(), 3);
        QVERIFY(QFile::remove(pages.at(1)));

        DjvuDocument document;
        document.load(index);
        QVERIFY(document.isLoaded());
        QCOMPARE(document.pageCount(), 3);
        QVERIFY(!document.render(naturalView(), 1).isNull());
        QVERIFY(document.render(naturalView(), 2).isNull());
        QVERIFY(!document.render(fitView(QSize(400, 300), 2), 2).isNull()); // the spread shows page 3
        QVERIFY(!document.render(naturalView(), 3).isNull());
        QCOMPARE(texts(document.search("third")), QStringList{"3:<b>third</b>"});
        QVERIFY(document.search("second").isEmpty());
    }

    // Damaged files fail with the program's message or, when the damage
    // spares the directory, open and show what is left; never a crash or
    // a hang.
    void damagedFiles_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<bool>("opens");
        const int size = int(QFileInfo(m_book).size());
        QTest::newRow("empty") << "cut 0" << false;
        QTest::newRow("magic only") << "cut 8" << false;
        QTest::newRow("cut in the directory") << "cut 40" << false;
        QTest::newRow("cut in the first page") << "cut 200" << true;
        QTest::newRow("cut in half") << QStringLiteral("cut %1").arg(size / 2) << true;
        QTest::newRow("last bytes missing") << QStringLiteral("cut %1").arg(size - 10) << true;
        QTest::newRow("form claims 2 GB") << "form 2147483000" << true;
        QTest::newRow("form claims 12 bytes") << "form 12" << false;
        QTest::newRow("page chunk claims too much") << "chunk 1000000" << true;
        QTest::newRow("page chunk claims 0") << "chunk 0" << true;
        QTest::newRow("directory overwritten") << "zero 16 60" << false;
        QTest::newRow("not a DjVu file") << "text" << false;
        QTest::newRow("absurd page size") << "info 60000" << true;
    }

    void damagedFiles()
    {
        QFETCH(QString, damage);
        QFETCH(bool, opens);
        QByteArray data = readAll(m_book);
        const QStringList parts = damage.split(' ');
        const int value = parts.value(1).toInt();
        if (parts[0] == "cut") {
            data.truncate(value);
        } else if (parts[0] == "form") {
            putBigEndian32(data, 8, quint32(parts[1].toUInt()));
        } else if (parts[0] == "chunk") {
            // The first page's FORM:DJVU, found by its form type.
            const int at = data.indexOf("DJVUINFO");
            QVERIFY(at > 8);
            putBigEndian32(data, at - 4, quint32(value));
        } else if (parts[0] == "zero") {
            for (int i = value; i < value + parts[2].toInt(); ++i)
                data[i] = '\0';
        } else if (parts[0] == "text") {
            data = "This is not a scanned book at all, only a few words.\n";
        } else if (parts[0] == "info") {
            // The INFO chunk: name, length, then width and height.
            const int at = data.indexOf("INFO");
            QVERIFY(at > 0);
            for (int i = 0; i < 2; ++i) {
                data[at + 8 + 2 * i] = char(value >> 8);
                data[at + 9 + 2 * i] = char(value & 0xff);
            }
        }
        // A name of its own: DjVuLibre keeps what it read of a file by name.
        const QString path = m_dir.filePath(QStringLiteral("damaged-%1.djvu")
                                                .arg(QTest::currentDataTag())
                                                .replace(QLatin1Char(' '), QLatin1Char('-')));
        writeAll(path, data);

        DjvuDocument document;
        document.load(path);
        if (!opens) {
            QVERIFY(!document.isLoaded());
            QCOMPARE(document.pageCount(), 0);
            QCOMPARE(document.errorString(), BookError::text(BookError::Damaged));
            QVERIFY(document.render(naturalView(), 1).isNull());
            return;
        }
        // Whatever opened: every page renders or gives a null image, the
        // outline and the search end.
        if (document.isLoaded()) {
            for (int page = 1; page <= document.pageCount(); ++page)
                document.render(fitView(QSize(400, 300), 2), page);
            document.toc();
            document.search("lamp");
            document.cover(190);
        }
        if (parts[0] == "info") {
            QVERIFY(document.isLoaded());
            QVERIFY(document.render(naturalView(), 1).isNull());
            QVERIFY(!document.render(naturalView(), 2).isNull());
        }
    }

    void missingFile()
    {
        DjvuDocument document;
        document.load(m_dir.filePath("nowhere.djvu"));
        QVERIFY(!document.isLoaded());
        QCOMPARE(document.errorString(), BookError::text(BookError::Missing));
    }

    void concurrentUse()
    {
        DjvuDocument document;
        document.load(m_book);
        QList<QFuture<QImage>> renders;
        for (int round = 0; round < 4; ++round)
            for (int page = 1; page <= 3; ++page)
                renders << QtConcurrent::run(
                    [&document, page] { return document.render(fitView(QSize(300, 400), 2), page); });
        QCOMPARE(document.search("lamp").size(), 2);
        QCOMPARE(document.toc().size(), 3);
        QCOMPARE(document.title(), QStringLiteral("The Lamp Book"));
        for (QFuture<QImage>& render : renders)
            QVERIFY(!render.result().isNull());
    }

    // DjVu books among the samples, when there are any.
    void samples()
    {
        const QDir dir(QStringLiteral(LANTERNLEAF_SAMPLES_DIR) + "/djvu");
        const QStringList files = dir.entryList({"*.djvu", "*.djv"}, QDir::Files);
        if (files.isEmpty())
            QSKIP("no DjVu sample books");
        for (const QString& file : files) {
            DjvuDocument document;
            document.load(dir.filePath(file));
            QVERIFY2(document.isLoaded(), qPrintable(file));
            QVERIFY(document.pageCount() > 0);
            QCOMPARE(document.cover(190).height(), 190);
            const QImage last = document.render(fitView(QSize(1280, 800), 2), document.pageCount());
            QVERIFY(!last.isNull());
            QVERIFY(last.width() <= 1280 && last.height() <= 800);
            document.toc();
        }
    }
};

// The scans are drawn with fonts: a GUI application.
QTEST_MAIN(TestDjvuDocument)
#include "TestDjvuDocument.moc"
