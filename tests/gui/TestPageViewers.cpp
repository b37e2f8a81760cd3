#include "BookFormat.h"
#include "BookProvider.h"
#include "BookViewer.h"
#include "FadeOverlay.h"
#include "ImageViewer.h"
#include "MessagePassword.h"
#include "MessageView.h"
#include "PDFViewer.h"
#include "ReadToolBar.h"
#include "Settings.h"
#include "UserContext.h"
#include "comics/ComicDocument.h"
#include "djvu/DjvuDocument.h"
#include "pdf/PdfDocument.h"
#include "util/ComicFixtures.h"
#include "util/DjvuBuilder.h"
#include "util/PdfBuilder.h"
#include "util/TestHome.h"

#include <QApplication>
#include <QGraphicsPixmapItem>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

class TestPageViewers : public QObject
{
    Q_OBJECT
private:
    TestHome m_home;
    QTemporaryDir m_dir;
    QString m_pdf;

    static void setReader(int columns, bool fade = false)
    {
        ReaderSettings data = Settings::instance()->data();
        data.columnCount = columns;
        data.showFade = fade;
        Settings::instance()->setData(data, true);
    }

    BookDto pdfBook(const QString& path, int position = 0, int format = BookFormat::Pdf)
    {
        BookDto book;
        book.title = "Harbour";
        book.full_path = QDir::toNativeSeparators(path);
        book.format = format;
        book.position = position;
        book.id = BookProvider::instance()->addBook(book);
        return book;
    }

    // A viewer on screen with its first page shown.
    std::unique_ptr<PDFViewer> openPdf(const QString& path)
    {
        auto viewer = std::make_unique<PDFViewer>(pdfBook(path));
        viewer->resize(800, 600);
        viewer->show();
        [&] { QVERIFY(QTest::qWaitForWindowExposed(viewer.get())); }();
        viewer->load();
        [&] { QTRY_COMPARE(viewer->shownPage(), 1); }();
        return viewer;
    }

    BookDto comicBook(const QString& path, int position = 0)
    {
        BookDto book;
        book.title = "Comic";
        book.full_path = QDir::toNativeSeparators(path);
        book.format = path.endsWith("cbr") ? 7 : 6;
        book.position = position;
        book.id = BookProvider::instance()->addBook(book);
        return book;
    }

    static void waitPastDoubleClick() { QTest::qWait(QApplication::doubleClickInterval() + 100); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_pdf = PdfBuilder().pages(12, "harbour lights").write(m_dir.path(), "harbour.pdf");
    }

    void init()
    {
        m_home.wipe();
        QVERIFY(BookProvider::instance()->createConnection());
        Settings::instance()->load();
        setReader(1);
        MessageView::clearAnswers();
        MessageView::clearShownMessages();
        MessagePassword::clearAnswers();
    }

    // ------------------------------------------------------------ PDF viewer

    void pdfViewerShowsTheFittedPage()
    {
        auto viewer = openPdf(m_pdf);
        QCOMPARE(viewer->objectName(), QString("imageViewer"));
        const QPixmap pixmap = viewer->pixmapItem()->pixmap();
        QVERIFY(!pixmap.isNull());
        const QSize shown = pixmap.size() / pixmap.devicePixelRatio();
        QVERIFY(shown.width() <= viewer->viewport()->width());
        QVERIFY(shown.height() <= viewer->viewport()->height());
        QVERIFY(shown.height() >= viewer->viewport()->height() - 20);

        RenderedDocument* document = viewer->document();
        document->setColumnCount(2);
        QTRY_VERIFY(viewer->pixmapItem()->pixmap().width() > pixmap.width());
        QCOMPARE(document->columnCount(), 2);
    }

    void clicksTurnPagesDragsAndDoubleClicksDoNot()
    {
        auto viewer = openPdf(m_pdf);
        RenderedDocument* document = viewer->document();
        document->setPage(5);
        QWidget* area = viewer->viewport();
        const int right = area->width() - 20;
        const int mid = area->height() / 2;

        QTest::mouseClick(area, Qt::LeftButton, Qt::NoModifier, QPoint(10, mid));
        QCOMPARE(document->page(), 5); // not before the double-click interval
        QTRY_COMPARE(document->page(), 4);
        QTest::mouseClick(area, Qt::LeftButton, Qt::NoModifier, QPoint(right, mid));
        QTRY_COMPARE(document->page(), 5);

        // A drag moves the page, a Ctrl+click is not a click.
        QTest::mousePress(area, Qt::LeftButton, Qt::NoModifier, QPoint(right, mid));
        QTest::mouseMove(area, QPoint(right - 30, mid));
        QTest::mouseRelease(area, Qt::LeftButton, Qt::NoModifier, QPoint(right - 30, mid));
        QTest::mouseClick(area, Qt::LeftButton, Qt::ControlModifier, QPoint(right, mid));
        waitPastDoubleClick();
        QCOMPARE(document->page(), 5);

        QSignalSpy full(viewer.get(), &PageView::fullScreen);
        QTest::mouseDClick(area, Qt::LeftButton, Qt::NoModifier, QPoint(right, mid));
        waitPastDoubleClick();
        QCOMPARE(full.size(), 1);
        QCOMPARE(document->page(), 5);
    }

    void keysTurnPages()
    {
        auto viewer = openPdf(m_pdf);
        viewer->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(viewer.get()));
        RenderedDocument* document = viewer->document();
        QTest::keyClick(viewer.get(), Qt::Key_Right);
        QCOMPARE(document->page(), 2);
        QTest::keyClick(viewer.get(), Qt::Key_End);
        QCOMPARE(document->page(), 12);
        QTest::keyClick(viewer.get(), Qt::Key_PageUp);
        QCOMPARE(document->page(), 11);
        QTest::keyClick(viewer.get(), Qt::Key_Home);
        QCOMPARE(document->page(), 1);
        QTest::keyClick(viewer.get(), Qt::Key_2, Qt::ControlModifier);
        QCOMPARE(document->columnCount(), 2);
        QTest::keyClick(viewer.get(), Qt::Key_9, Qt::ControlModifier);
        QCOMPARE(document->zoomMode(), int(pdf::PdfDocument::NaturalSize));
        QTest::keyClick(viewer.get(), Qt::Key_8, Qt::ControlModifier);
        QCOMPARE(document->zoomMode(), int(pdf::PdfDocument::FitPage));
    }

    void pagingWhileRenderingShowsOnlyTheNewestPage()
    {
        auto viewer = openPdf(m_pdf);
        QSignalSpy shown(viewer.get(), &PageView::pageShown);
        viewer->document()->setPage(6);
        viewer->next();
        viewer->next();
        viewer->next();
        QTRY_COMPARE(viewer->shownPage(), 9);
        QTest::qWait(100);
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown.first().first().toInt(), 9);
    }

    void zoomSteps()
    {
        auto viewer = openPdf(m_pdf);
        RenderedDocument* document = viewer->document();
        const double fitted = viewer->shownScale();
        QVERIFY(fitted > 0.1 && fitted < 1.0);
        // From fit, a step starts at the fitted factor, not at 1.0.
        viewer->zoomIn();
        QCOMPARE(document->zoomMode(), int(pdf::PdfDocument::CustomScale));
        QCOMPARE(document->scale(), std::round((fitted + 0.1) * 100) / 100);
        viewer->zoomIn();
        QCOMPARE(document->scale(), std::round((fitted + 0.2) * 100) / 100);
        QTRY_COMPARE(viewer->shownScale(), document->scale());

        document->setScale(0.15);
        viewer->zoomOut();
        QCOMPARE(document->scale(), 0.1);
        viewer->zoomOut();
        QCOMPARE(document->scale(), 0.1);

        // Ctrl+wheel zooms; a plain wheel does not.
        QWheelEvent up(QPointF(100, 100), QPointF(100, 100), QPoint(), QPoint(0, 120), Qt::NoButton,
                       Qt::ControlModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(viewer->viewport(), &up);
        QCOMPARE(document->scale(), 0.2);
        QWheelEvent plain(QPointF(100, 100), QPointF(100, 100), QPoint(), QPoint(0, 120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(viewer->viewport(), &plain);
        QCOMPARE(document->scale(), 0.2);

        viewer->fitToPage();
        QCOMPARE(document->zoomMode(), int(pdf::PdfDocument::FitPage));
        QCOMPARE(document->scale(), 1.0);
        QTRY_COMPARE(viewer->shownScale(), fitted);
    }

    void fadeCoversThePageWhileItRenders()
    {
        setReader(1, true);
        auto viewer = openPdf(m_pdf);
        FadeOverlay* fade = viewer->fadeOverlay();
        QTRY_VERIFY(!fade->isVisible());
        QCOMPARE(fade->color(), Settings::instance()->data().profile().backgroundColor);
        viewer->moveToEnd(); // not rendered ahead
        QTRY_VERIFY(fade->isVisible());
        QTRY_COMPARE(viewer->shownPage(), 12);
        QTRY_VERIFY(!fade->isVisible());
    }

    void closingDuringRenderWaits()
    {
        auto viewer = openPdf(m_pdf);
        viewer->moveToEnd();
        viewer->zoomIn();
        QTest::qWait(0);
        viewer.reset(); // must wait for the render, then free the document
        QVERIFY(true);

        PDFViewer other(pdfBook(m_pdf));
        other.resize(600, 400);
        other.load();
        other.next();
        QTest::qWait(0);
        other.closeDocument();
        QVERIFY(!other.document());
        other.next(); // nothing to do, nothing to crash
    }

    void passwordPromptUntilRight()
    {
        const QString path =
            PdfBuilder().pages(2).userPassword("open sesame").write(m_dir.path(), "locked.pdf");
        MessagePassword::setNextAnswer(true, "wrong");
        MessagePassword::setNextAnswer(true, "open sesame");
        MessageView::setNextAnswer(QDialogButtonBox::AcceptRole);
        PDFViewer viewer(pdfBook(path));
        viewer.resize(600, 400);
        viewer.load();
        QVERIFY(viewer.document()->isLoaded());
        const auto shown = MessageView::shownMessages();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].title, QString("Can not open file"));
        QCOMPARE(shown[0].text, QString("The password is incorrect"));
    }

    // ------------------------------------------------------------ comic viewer

    void comicSpreadLaysPagesSideBySide()
    {
        using namespace ComicFixtures;
        const QString path = m_dir.filePath("spread.cbz");
        QVERIFY(writeCbz(path, {Entry("1.png", page("1.png", Qt::red, QSize(600, 1000))),
                                Entry("2.png", page("2.png", Qt::blue, QSize(500, 1200))),
                                Entry("3.png", page("3.png", Qt::green, QSize(600, 1000)))}));
        setReader(2);
        ImageViewer viewer(comicBook(path));
        viewer.resize(800, 600);
        viewer.show();
        QVERIFY(QTest::qWaitForWindowExposed(&viewer));
        viewer.load();
        QCOMPARE(viewer.document()->columnCount(), 2);
        QTRY_COMPARE(viewer.shownPage(), 1);
        QCOMPARE(viewer.sceneRect(), QRectF(0, 0, 1100, 1200));
        QList<QGraphicsPixmapItem*> items;
        for (QGraphicsItem* item : viewer.scene()->items(Qt::AscendingOrder))
            items << static_cast<QGraphicsPixmapItem*>(item);
        QCOMPARE(items.size(), 2);
        QCOMPARE(items[0]->pos(), QPointF(0, 0));
        QCOMPARE(items[1]->pos(), QPointF(600, 0));
        // Fitted: the spread is scaled down into the view.
        QVERIFY(viewer.transform().m11() < 1.0);

        // The last page of the spread sequence stands alone.
        viewer.next();
        QTRY_COMPARE(viewer.shownPage(), 3);
        QCOMPARE(viewer.scene()->items().size(), 1);
        QCOMPARE(viewer.sceneRect(), QRectF(0, 0, 600, 1000));
    }

    void comicZoomSurvivesResizeUntilFit()
    {
        using namespace ComicFixtures;
        const QString path = m_dir.filePath("zoom.cbz");
        QVERIFY(writeCbz(path, pages({"1.png", "2.png"}, QSize(600, 900))));
        ImageViewer viewer(comicBook(path));
        viewer.resize(800, 600);
        viewer.show();
        QVERIFY(QTest::qWaitForWindowExposed(&viewer));
        viewer.load();
        QTRY_COMPARE(viewer.shownPage(), 1);
        // The fade follows the page background, not a fixed colour.
        QCOMPARE(viewer.fadeOverlay()->color(), Settings::instance()->data().profile().backgroundColor);

        viewer.originalSize();
        QCOMPARE(viewer.transform().m11(), 1.0);
        for (int i = 0; i < 5; ++i) {
            QWheelEvent up(QPointF(100, 100), QPointF(100, 100), QPoint(), QPoint(0, 120), Qt::NoButton,
                           Qt::ControlModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(viewer.viewport(), &up);
        }
        QCOMPARE(viewer.zoomMode(), int(ImageViewer::UserZoom));
        QVERIFY(qAbs(viewer.transform().m11() - std::pow(1.15, 5)) < 1e-9);
        viewer.resize(700, 500);
        QTest::qWait(20);
        QVERIFY(qAbs(viewer.transform().m11() - std::pow(1.15, 5)) < 1e-9);
        viewer.fitToPage();
        QCOMPARE(viewer.zoomMode(), int(ImageViewer::FitPage));
        QVERIFY(viewer.transform().m11() < 1.0);
    }

    void viewerWithoutComicDoesNothing()
    {
        BookDto book;
        book.full_path = m_pdf;
        ImageViewer viewer(book);
        QVERIFY(!viewer.document());
        viewer.load();
        viewer.next();
        viewer.zoomIn();
        viewer.switchColumnCount();
        QCOMPARE(viewer.shownPage(), 0);
    }

    // ------------------------------------------------------------ book viewer

    void bookViewerOpensPdfAtTheSavedPage()
    {
        UserContext context;
        BookViewer viewer(&context);
        viewer.resize(900, 700);
        viewer.show();
        QVERIFY(QTest::qWaitForWindowExposed(&viewer));
        const BookDto book = pdfBook(m_pdf, 7);
        viewer.openBook(book);
        QTRY_VERIFY(!viewer.isBusy());
        auto* pdfViewer = qobject_cast<PDFViewer*>(viewer.pageView());
        QVERIFY(pdfViewer);
        QCOMPARE(context.document(), static_cast<IDocument*>(pdfViewer->document()));
        QCOMPARE(pdfViewer->document()->page(), 7);
        QTRY_COMPARE(pdfViewer->shownPage(), 7);
        // PDF loads leave the cursor alone.
        QVERIFY(!QApplication::overrideCursor());

        auto hidden = [&](const char* name) {
            for (QPushButton* b : viewer.toolBar()->findChildren<QPushButton*>())
                if (b->objectName().startsWith(QLatin1String(name)))
                    return b->isHidden();
            return false;
        };
        QVERIFY(hidden("buttonIncreasFont") && !hidden("buttonZoomIn"));
        pdfViewer->next();
        viewer.hide(); // leaving saves the page
        QCOMPARE(BookProvider::instance()->getBookById(book.id).position, 8);
        QCOMPARE(BookProvider::instance()->getBookById(book.id).max_position, 66);
    }

    void bookViewerReportsABookThatCannotBeOpened()
    {
        const QString path = m_dir.filePath("broken.pdf");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("%PDF-1.4\nnothing else");
        file.close();

        UserContext context;
        BookViewer viewer(&context);
        viewer.resize(900, 700);
        viewer.show();
        QSignalSpy failed(&viewer, &BookViewer::openFailed);
        MessageView::setNextAnswer(QDialogButtonBox::AcceptRole);
        viewer.openBook(pdfBook(path, 4));
        QCOMPARE(failed.size(), 1);
        const auto shown = MessageView::shownMessages();
        QCOMPARE(shown.size(), 1);
        QVERIFY(shown[0].text.contains(QDir::toNativeSeparators(path)));
        QVERIFY(shown[0].text.contains("The file is damaged."));
        QVERIFY(!context.document());
        QVERIFY(!viewer.pageView());
        // The stored place is not overwritten by the failed open.
        viewer.hide();
        QCOMPARE(BookProvider::instance()->getBookById(context.book().id).position, 4);
    }

    // A DjVu book opens in the viewer of rendered pages at its saved page,
    // one page and a spread fitted; a damaged one is reported.
    void bookViewerOpensDjvuAndReportsADamagedOne()
    {
        const QString path = m_dir.filePath("scan.djvu");
        QString error;
        QVERIFY2(DjvuBuilder().pages(6).writeBundled(path, &error), qPrintable(error));
        setReader(1);
        UserContext context;
        BookViewer viewer(&context);
        viewer.resize(900, 700);
        viewer.show();
        QVERIFY(QTest::qWaitForWindowExposed(&viewer));
        viewer.openBook(pdfBook(path, 3, BookFormat::Djvu));
        QTRY_VERIFY(!viewer.isBusy());
        auto* pageViewer = qobject_cast<PDFViewer*>(viewer.pageView());
        QVERIFY(pageViewer);
        QVERIFY(qobject_cast<djvu::DjvuDocument*>(pageViewer->document()));
        QCOMPARE(context.document(), static_cast<IDocument*>(pageViewer->document()));
        QTRY_COMPARE(pageViewer->shownPage(), 3);
        const QPixmap one = pageViewer->pixmapItem()->pixmap();
        QVERIFY(!one.isNull());
        QVERIFY(one.height() / one.devicePixelRatio() <= pageViewer->viewport()->height());
        pageViewer->document()->setColumnCount(2);
        QTRY_VERIFY(pageViewer->pixmapItem()->pixmap().width() > one.width());
        pageViewer->zoomIn();
        QCOMPARE(pageViewer->document()->zoomMode(), int(RenderedDocument::CustomScale));

        const QString broken = m_dir.filePath("broken.djvu");
        QFile file(broken);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray("AT&TFORM") + QByteArray(3, 0) + QByteArray(" DJVUINFO"));
        file.close();
        const BookDto damaged = pdfBook(broken, 0, BookFormat::Djvu);
        QSignalSpy failed(&viewer, &BookViewer::openFailed);
        MessageView::setNextAnswer(QDialogButtonBox::AcceptRole);
        viewer.openBook(damaged);
        QCOMPARE(failed.size(), 1);
        const auto shown = MessageView::shownMessages();
        QVERIFY(!shown.isEmpty());
        QVERIFY(shown.last().text.contains("The file is damaged."));
    }

    void bookViewerOpensAComicAndReportsALockedOne()
    {
        using namespace ComicFixtures;
        const QString path = m_dir.filePath("six.cbz");
        QVERIFY(writeCbz(path, pages({"1.png", "2.png", "3.png", "4.png", "5.png", "6.png"})));
        UserContext context;
        BookViewer viewer(&context);
        viewer.resize(900, 700);
        viewer.show();
        QVERIFY(QTest::qWaitForWindowExposed(&viewer));
        const BookDto book = comicBook(path, 4);
        viewer.openBook(book);
        QTRY_VERIFY(!viewer.isBusy());
        auto* comic = qobject_cast<ImageViewer*>(viewer.pageView());
        QVERIFY(comic);
        QCOMPARE(comic->document()->page(), 4);
        QTRY_COMPARE(comic->shownPage(), 4);
        QVERIFY(!QApplication::overrideCursor());
        comic->previous();
        viewer.hide();
        QCOMPARE(BookProvider::instance()->getBookById(book.id).position, 3);

        if (rarTool().isEmpty())
            QSKIP("the rar tool is not installed");
        const QString locked = m_dir.filePath("locked.cbr");
        QVERIFY(writeCbr(locked, pages({"1.png", "2.png"}), {"-psecret"}));
        viewer.show();
        QSignalSpy failed(&viewer, &BookViewer::openFailed);
        MessageView::setNextAnswer(QDialogButtonBox::AcceptRole);
        viewer.openBook(comicBook(locked));
        QCOMPARE(failed.size(), 1);
        const auto shown = MessageView::shownMessages();
        QCOMPARE(shown.size(), 1);
        QVERIFY(shown[0].text.contains("The book is protected."));
    }

    void cancelledPasswordReturnsQuietly()
    {
        const QString path = PdfBuilder().pages(2).userPassword("pw").write(m_dir.path(), "locked2.pdf");
        MessagePassword::setNextAnswer(false);
        UserContext context;
        BookViewer viewer(&context);
        viewer.resize(900, 700);
        viewer.show();
        QSignalSpy failed(&viewer, &BookViewer::openFailed);
        viewer.openBook(pdfBook(path));
        QCOMPARE(failed.size(), 1);
        QVERIFY(MessageView::shownMessages().isEmpty());
    }
};

QTEST_MAIN(TestPageViewers)
#include "TestPageViewers.moc"
