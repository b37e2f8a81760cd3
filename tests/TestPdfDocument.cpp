#include "Limits.h"
#include "SafeImage.h"
#include "pdf/Document.h"
#include "pdf/PdfDocument.h"
#include "util/PdfBuilder.h"
#include "util/TestHome.h"

#include <QPainter>
#include <QPdfWriter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtConcurrent>
#include <QtTest>

using pdf::PdfDocument;

namespace {

PdfDocument::View fitView(QSize viewport, int columns)
{
    PdfDocument::View view;
    view.viewport = viewport;
    view.zoomMode = PdfDocument::FitPage;
    view.columns = columns;
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

} // namespace

class TestPdfDocument : public QObject
{
    Q_OBJECT
private:
    TestHome m_home;
    QTemporaryDir m_dir;

    QString sizedPages(const QString& name, int count, QSizeF size)
    {
        PdfBuilder builder;
        for (int i = 1; i <= count; ++i)
            builder.page(size, {QStringLiteral("Page %1").arg(i)});
        return builder.write(m_dir.path(), name);
    }

private slots:
    void opensAndReadsInformation()
    {
        const QString path = PdfBuilder()
                                 .pages(3, "lamp")
                                 .info("Title", "The Lamplighter")
                                 .info("Author", "Ann Teller")
                                 .info("Creator", "Typesetter")
                                 .info("Producer", "Printer")
                                 .write(m_dir.path(), "info.pdf");
        PdfDocument document;
        document.load(path);
        QVERIFY(document.isLoaded());
        QVERIFY(document.errorString().isEmpty());
        QCOMPARE(document.pageCount(), 3);
        QCOMPARE(document.title(), QString("The Lamplighter"));
        QCOMPARE(document.author(), QString("Ann Teller"));
        QCOMPARE(document.information(5), QString("Typesetter"));
        QCOMPARE(document.information(6), QString("Printer"));
        QCOMPARE(document.page(), 1);
        QCOMPARE(document.position(), 1);
        const QImage cover = document.cover(190);
        QCOMPARE(cover.height(), 190);
        QVERIFY(qAbs(cover.width() - 190 * 612 / 792) <= 1);
    }

    // QPdfWriter makes the kind of file real tools write: fonts embedded,
    // compressed streams.
    void readsFilesWrittenByQPdfWriter()
    {
        const QString path = m_dir.filePath("writer.pdf");
        {
            QPdfWriter writer(path);
            writer.setTitle("Written");
            writer.setCreator("Lanternleaf tests");
            writer.setPageSize(QPageSize(QPageSize::A5));
            writer.setResolution(72);
            QPainter painter(&writer);
            for (int i = 1; i <= 4; ++i) {
                if (i > 1)
                    writer.newPage();
                painter.drawText(QPointF(40, 60), QStringLiteral("Chapter %1 of the harbour lights").arg(i));
            }
        }
        PdfDocument document;
        document.load(path);
        QVERIFY(document.isLoaded());
        QCOMPARE(document.pageCount(), 4);
        QCOMPARE(document.title(), QString("Written"));
        QCOMPARE(document.information(5), QString("Lanternleaf tests"));
        const QList<SearchResult> hits = document.search("harbour");
        QCOMPARE(hits.size(), 4);
        QCOMPARE(hits[2].page, 3);
        QCOMPARE(hits[2].text, QString("<b>harbour</b>"));
        const QImage page = document.render(fitView(QSize(400, 600), 1), 2);
        QVERIFY(!page.isNull());
        QVERIFY(page.width() <= 400 && page.height() <= 600);
    }

    void damagedFiles_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("opens");
        QTest::addColumn<QString>("error");
        const QByteArray sound = PdfBuilder().pages(4).build();
        const QString damaged = "The file is damaged.";
        QTest::newRow("empty") << QByteArray() << false << damaged;
        QTest::newRow("not a pdf") << QByteArray("Once upon a time\n") << false << damaged;
        QTest::newRow("header only") << QByteArray("%PDF-1.4\n") << false << damaged;
        QTest::newRow("page count beyond the objects")
            << PdfBuilder().pages(2).claimPageCount(2000000000).build() << false << damaged;
        // Poppler rebuilds a cross-reference table that is not where the
        // file says from the objects.
        QByteArray moved = sound;
        moved.insert(moved.indexOf("xref"), QByteArray(100, ' '));
        QTest::newRow("xref moved") << moved << true << QString();
        // Cut short, the trailer naming the catalog is gone with the table.
        QTest::newRow("truncated in the xref") << sound.left(sound.indexOf("xref") + 40) << false << damaged;
        QTest::newRow("page tree loops") << PdfBuilder().pages(3).loopPageTree().build() << true << QString();
    }

    void damagedFiles()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, opens);
        QFETCH(QString, error);
        const QString path = m_dir.filePath(QStringLiteral("damaged_%1.pdf").arg(QTest::currentDataTag()));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();

        PdfDocument document;
        document.load(path);
        QCOMPARE(document.isLoaded(), opens);
        QCOMPARE(document.errorString(), error);
        if (!opens) {
            QCOMPARE(document.pageCount(), 0);
            QVERIFY(document.render(fitView(QSize(800, 600), 1), 1).isNull());
            QVERIFY(document.requestImage(1).isNull());
            QVERIFY(document.toc().isEmpty());
            QCOMPARE(document.calcProgressByPage(1), 0);
        } else {
            QVERIFY(document.pageCount() > 0);
            QVERIFY(!document.render(fitView(QSize(800, 600), 1), 1).isNull());
        }
    }

    void missingFile()
    {
        PdfDocument document;
        document.load(m_dir.filePath("nowhere.pdf"));
        QVERIFY(!document.isLoaded());
        QCOMPARE(document.errorString(), QString("The file does not exist."));
    }

    void outlinesAreTheTableOfContentsReadOnce()
    {
        const QString path = PdfBuilder()
                                 .pages(6)
                                 .outlines({{"Part one", 1, {{"Chapter 1", 2, {}}, {"Chapter 2", 4, {}}}},
                                            {"Part two", 5, {}}})
                                 .write(m_dir.path(), "outline.pdf");
        PdfDocument document;
        document.load(path);
        const QList<TocPoint> toc = document.toc();
        QCOMPARE(toc.size(), 2);
        QCOMPARE(toc[0].title, QString("Part one"));
        QCOMPARE(toc[0].children.size(), 2);
        QCOMPARE(toc[0].children[1].title, QString("Chapter 2"));
        QCOMPARE(toc[0].children[1].position, 4);
        QCOMPARE(toc[0].children[1].page, 4);
        QCOMPARE(toc[1].position, 5);
        QCOMPARE(document.toc().size(), 2);
        QCOMPARE(document.outlineReads(), 1);
    }

    void loopingOutlineEnds()
    {
        const QString path = PdfBuilder()
                                 .pages(3)
                                 .outlines({{"One", 1, {{"One.a", 2, {}}}}, {"Two", 3, {}}})
                                 .loopOutlines()
                                 .write(m_dir.path(), "loop.pdf");
        PdfDocument document;
        document.load(path);
        QVERIFY(document.isLoaded());
        int count = 0;
        std::function<void(const QList<TocPoint>&, int)> walk = [&](const QList<TocPoint>& points,
                                                                    int depth) {
            QVERIFY(depth <= Limits::maxOutlineDepth);
            for (const TocPoint& point : points) {
                ++count;
                walk(point.children, depth + 1);
            }
        };
        walk(document.toc(), 0);
        QVERIFY(count >= 2);
        QVERIFY(count <= Limits::maxOutlineItems);
    }

    // ------------------------------------------------------------ geometry

    void rotatedPageSwapsItsSides()
    {
        const QString path = PdfBuilder()
                                 .page(QSizeF(612, 792), {"upright"})
                                 .page(QSizeF(612, 792), {"turned"}, 90)
                                 .write(m_dir.path(), "rotated.pdf");
        PdfDocument document;
        document.load(path);
        PdfDocument::View natural;
        natural.zoomMode = PdfDocument::NaturalSize;
        QCOMPARE(document.pageGeometry(natural, 2).size, QSize(792, 612));
        QCOMPARE(document.render(natural, 2).size(), QSize(792, 612));
        QCOMPARE(document.render(natural, 1).size(), QSize(612, 792));
    }

    void fitGeometry_data()
    {
        QTest::addColumn<QSize>("viewport");
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("page");
        QTest::addColumn<double>("scale");
        QTest::addColumn<QSize>("pageSize");
        QTest::addColumn<QSize>("pictureSize");
        // An exact fit steps down to the whole percent below it.
        QTest::newRow("spread, exact fit")
            << QSize(1200, 800) << 2 << 3 << 0.99 << QSize(594, 792) << QSize(1188, 792);
        QTest::newRow("spread, tall view")
            << QSize(1200, 1600) << 2 << 3 << 0.99 << QSize(594, 792) << QSize(1188, 792);
        // The last page of the book is fitted alone, at single width.
        QTest::newRow("last page alone")
            << QSize(1200, 1600) << 2 << 10 << 1.99 << QSize(1194, 1592) << QSize(1194, 1592);
        // The spread 9-10: the right page takes the left page's scale.
        QTest::newRow("spread ending the book")
            << QSize(1200, 1600) << 2 << 9 << 0.99 << QSize(594, 792) << QSize(1188, 792);
        QTest::newRow("one column") << QSize(300, 800) << 1 << 1 << 0.49 << QSize(294, 392)
                                    << QSize(294, 392);
        QTest::newRow("size unknown: natural")
            << QSize(-1, -1) << 1 << 1 << 1.0 << QSize(600, 800) << QSize(600, 800);
        QTest::newRow("tiny view") << QSize(2, 2) << 1 << 1 << 0.01 << QSize(6, 8) << QSize(6, 8);
    }

    void fitGeometry()
    {
        QFETCH(QSize, viewport);
        QFETCH(int, columns);
        QFETCH(int, page);
        QFETCH(double, scale);
        QFETCH(QSize, pageSize);
        QFETCH(QSize, pictureSize);
        PdfDocument document;
        document.load(sizedPages("fit.pdf", 10, QSizeF(600, 800)));
        const PdfDocument::View view = fitView(viewport, columns);
        const PdfDocument::Geometry geometry =
            document.pageGeometry(view, page, columns == 2 && page < document.pageCount() ? page + 1 : 0);
        QCOMPARE(geometry.scale, scale);
        QCOMPARE(geometry.size, pageSize);
        QCOMPARE(document.render(view, page).size(), pictureSize);
    }

    // A fold-out twice as wide as the text page next to it: the spread is
    // fitted as a whole, at one scale.
    void spreadOfUnequalPagesFits()
    {
        PdfDocument document;
        document.load(PdfBuilder()
                          .page(QSizeF(400, 600), {"text"})
                          .page(QSizeF(800, 900), {"fold-out"})
                          .write(m_dir.path(), "unequal.pdf"));
        const PdfDocument::View view = fitView(QSize(1000, 800), 2);
        const PdfDocument::Geometry geometry = document.pageGeometry(view, 1, 2);
        QCOMPARE(geometry.scale, 0.82); // 1000 / 1200 = 0.833 -> 0.82
        const QImage spread = document.render(view, 1);
        QCOMPARE(spread.size(), QSize(328 + 656, 738));
    }

    void renderFollowsThePixelRatio()
    {
        PdfDocument document;
        document.load(sizedPages("ratio.pdf", 2, QSizeF(600, 800)));
        PdfDocument::View view = fitView(QSize(300, 400), 1);
        view.pixelRatio = 2.0;
        const QImage image = document.render(view, 1);
        QCOMPARE(image.size(), QSize(588, 784));
        QCOMPARE(image.devicePixelRatio(), 2.0);
    }

    void absurdPageSizesStayWithinTheLimits_data()
    {
        QTest::addColumn<QSizeF>("points");
        QTest::addColumn<double>("scale");
        QTest::addColumn<int>("mode");
        QTest::newRow("largest page, natural")
            << QSizeF(14400, 14400) << 1.0 << int(PdfDocument::NaturalSize);
        QTest::newRow("letter, zoom 400") << QSizeF(612, 792) << 400.0 << int(PdfDocument::CustomScale);
        QTest::newRow("strip, zoom 10") << QSizeF(14400, 20) << 10.0 << int(PdfDocument::CustomScale);
    }

    void absurdPageSizesStayWithinTheLimits()
    {
        QFETCH(QSizeF, points);
        QFETCH(double, scale);
        QFETCH(int, mode);
        PdfDocument document;
        document.load(PdfBuilder().page(points, {"big"}).write(m_dir.path(), "big.pdf"));
        PdfDocument::View view;
        view.zoomMode = mode;
        view.scale = scale;
        const PdfDocument::Geometry geometry = document.pageGeometry(view, 1);
        QVERIFY(SafeImage::acceptable(geometry.size));
        QVERIFY(geometry.scale > 0 && geometry.scale <= scale);
    }

    // ------------------------------------------------------------ password

    void passwordLoop()
    {
        const QString path = PdfBuilder()
                                 .pages(2, "secret text")
                                 .userPassword("open sesame")
                                 .write(m_dir.path(), "locked.pdf");
        {
            // Without a prompt (the add-books worker) the file stays closed,
            // without an error to show.
            PdfDocument document;
            document.load(path);
            QVERIFY(!document.isLoaded());
            QVERIFY(document.errorString().isEmpty());
            QCOMPARE(document.pageCount(), 0);
        }
        {
            QStringList answers{"wrong", "  open sesame "};
            QList<bool> told;
            PdfDocument document;
            document.setPasswordPrompt([&](bool wrongBefore, QString* password) {
                told << wrongBefore;
                if (answers.isEmpty())
                    return false;
                *password = answers.takeFirst();
                return true;
            });
            document.load(path);
            QVERIFY(document.isLoaded());
            QCOMPARE(told, (QList<bool>{false, true}));
            QCOMPARE(document.pageCount(), 2);
            QCOMPARE(document.search("secret").size(), 2);
        }
        {
            int asked = 0;
            PdfDocument document;
            document.setPasswordPrompt([&](bool, QString* password) {
                *password = "nope";
                return ++asked < 3;
            });
            document.load(path);
            QVERIFY(!document.isLoaded());
            QCOMPARE(asked, 3);
            QVERIFY(document.errorString().isEmpty());
        }
        {
            // A password that really begins or ends with a space.
            const QString spaced = PdfBuilder().pages(1, "x").userPassword(" pad ").write(m_dir.path(), "pad.pdf");
            PdfDocument document;
            document.setPasswordPrompt([&](bool wrongBefore, QString* password) {
                *password = " pad ";
                return !wrongBefore;
            });
            document.load(spaced);
            QVERIFY(document.isLoaded());
        }
        QCOMPARE(PdfDocument::wrongPasswordText(), QString("The password is incorrect"));
        QCOMPARE(PdfDocument::wrongPasswordTitle(), QString("Can not open file"));
    }

    // ------------------------------------------------------------ search

    void searchFindsPageJumpThenWords()
    {
        PdfDocument document;
        document.load(PdfBuilder()
                          .page(QSizeF(612, 792), {"alpha 3 beta"})
                          .page(QSizeF(612, 792), {"a<b & c3"})
                          .page(QSizeF(612, 792), {"nothing here"})
                          .page(QSizeF(612, 792), {"33 and 13"})
                          .page(QSizeF(612, 792), {"end"})
                          .write(m_dir.path(), "search.pdf"));
        const QList<SearchResult> results = document.search("3");
        QCOMPARE(texts(results), (QStringList{"3:Go to page 3 (jump)", "1:<b>3</b>", "2:c<b>3</b>",
                                              "4:<b>3</b><b>3</b>", "4:1<b>3</b>"}));
        QCOMPARE(results[0].position, 3);
        QVERIFY(results[0].title.isEmpty());
        // Book text is escaped before the hits are marked.
        QCOMPARE(texts(document.search("A<B")), (QStringList{"2:<b>a&lt;b</b>"}));
        // Several words are looked for in as many words in a row.
        QCOMPARE(texts(document.search("and 1")), (QStringList{"4:<b>and 1</b>3"}));
        QVERIFY(document.search("").isEmpty());
        QCOMPARE(texts(document.search("9")), QStringList());
    }

    void searchStepsGiveTheSameResults()
    {
        PdfDocument document;
        document.load(PdfBuilder().pages(40, "lantern 7").write(m_dir.path(), "steps.pdf"));
        const QList<SearchResult> whole = document.search("7");
        PdfDocument other;
        other.load(m_dir.filePath("steps.pdf"));
        QList<SearchResult> stepped;
        qint64 state = 0;
        int steps = 0;
        while (other.searchStep("7", state, 0, stepped)) {
            ++steps;
            QTest::qWait(1);
        }
        QVERIFY(steps > 0);
        QCOMPARE(texts(stepped), texts(whole));
        QVERIFY(stepped.first().isPageJump);
        // A new query starts over and finds the pages already extracted.
        QList<SearchResult> again;
        state = 0;
        while (other.searchStep("lantern", state, 1000, again))
            QTest::qWait(1);
        QCOMPARE(again.size(), 40);
    }

    // ------------------------------------------------------------ navigation and progress

    void navigation()
    {
        PdfDocument document;
        document.load(PdfBuilder().pages(10).write(m_dir.path(), "nav.pdf"));
        QSignalSpy pages(&document, &ImageDocument::pageNumberChanged);
        QSignalSpy columns(&document, &ImageDocument::columnCountChanged);

        document.setPage(0);
        QCOMPARE(document.page(), 1);
        document.setPage(11);
        QCOMPARE(document.page(), 1);
        QCOMPARE(pages.size(), 2);
        QCOMPARE(pages.last().first().toInt(), 1);

        document.setColumnCount(3);
        QCOMPARE(document.columnCount(), 1);
        QCOMPARE(columns.last().first().toInt(), 1);
        document.setColumnCount(2);
        QCOMPARE(columns.last().first().toInt(), 2);

        document.setPage(3);
        document.previousPage();
        QCOMPARE(document.page(), 1);
        document.setPage(2);
        document.previousPage();
        QCOMPARE(document.page(), 1);
        pages.clear();
        document.previousPage();
        QCOMPARE(pages.size(), 0);

        document.setPage(7);
        document.nextPage();
        QCOMPARE(document.page(), 9);
        // The spread 9-10 already shows the last page: Next stays.
        pages.clear();
        document.nextPage();
        QCOMPARE(document.page(), 9);
        QCOMPARE(pages.size(), 0);

        document.setColumnCount(1);
        document.moveToEnd();
        QCOMPARE(document.page(), 10);
        document.nextPage();
        QCOMPARE(document.page(), 10);
        document.moveToHome();
        QCOMPARE(document.page(), 1);
        document.setPageByPosition(6);
        QCOMPARE(document.position(), 6);
        QCOMPARE(document.calcPageByPosition(6), 6);
    }

    void progress()
    {
        PdfDocument document;
        document.load(PdfBuilder().pages(10).write(m_dir.path(), "progress.pdf"));
        QCOMPARE(document.calcProgressByPage(1), 10);
        QCOMPARE(document.calcProgressByPage(10), 100);
        document.setPage(7);
        QCOMPARE(document.progress(), 70.0);
        PdfDocument empty;
        QCOMPARE(empty.calcProgressByPage(1), 0);
        QCOMPARE(empty.progress(), 0.0);
    }

    // Renders on pool threads while the owner thread reads the outline and
    // searches: every call into the library goes through one mutex.
    void concurrentUse()
    {
        PdfDocument document;
        document.load(PdfBuilder()
                          .pages(12, "river")
                          .outlines({{"Start", 1, {}}, {"Middle", 6, {}}})
                          .write(m_dir.path(), "threads.pdf"));
        QList<QFuture<QImage>> renders;
        for (int page = 1; page <= 12; ++page)
            renders << QtConcurrent::run(
                [&document, page] { return document.render(fitView(QSize(300, 400), 2), page); });
        QCOMPARE(document.search("river").size(), 12);
        QCOMPARE(document.toc().size(), 2);
        for (QFuture<QImage>& render : renders)
            QVERIFY(!render.result().isNull());
    }

    // The sample PDFs, when they are there: page counts, outlines, the
    // encrypted one with its password.
    void samples_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("pages");
        QTest::addColumn<int>("outline");
        QTest::addColumn<QString>("password");
        QTest::newRow("r-intro") << "r-intro.pdf" << 113 << 21 << QString();
        QTest::newRow("pdflatex outline") << "pysf-pdflatex-outline.pdf" << 4 << 9 << QString();
        QTest::newRow("encrypted") << "pypdf-r4-aes-user-password.pdf" << 1 << 0 << "asdfzxcv";
        QTest::newRow("landscape") << "octave-refcard-a4-landscape.pdf" << 3 << 0 << QString();
        QTest::newRow("scanned") << "ocr-scan-multipage.pdf" << 6 << 3 << QString();
    }

    void samples()
    {
        QFETCH(QString, file);
        QFETCH(int, pages);
        QFETCH(int, outline);
        QFETCH(QString, password);
        const QString path = QStringLiteral(LANTERNLEAF_SAMPLES_DIR) + "/pdf/" + file;
        if (!QFileInfo::exists(path))
            QSKIP("no sample books");
        QStringList answers{"wrong", password};
        bool toldWrong = false;
        PdfDocument document;
        document.setPasswordPrompt([&](bool wrongBefore, QString* answer) {
            toldWrong = toldWrong || wrongBefore;
            if (answers.isEmpty())
                return false;
            *answer = answers.takeFirst();
            return true;
        });
        document.load(path);
        QVERIFY(document.isLoaded());
        QCOMPARE(toldWrong, !password.isEmpty());
        QCOMPARE(document.pageCount(), pages);
        QCOMPARE(document.toc().size(), outline);
        QCOMPARE(document.cover(190).height(), 190);
        const QImage last = document.render(fitView(QSize(1280, 800), 2), pages);
        QVERIFY(!last.isNull());
        QVERIFY(last.width() <= 1280 && last.height() <= 800);
    }
};

QTEST_MAIN(TestPdfDocument)
#include "TestPdfDocument.moc"
