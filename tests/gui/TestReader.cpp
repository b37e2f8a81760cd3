#include "BookProvider.h"
#include "BookViewer.h"
#include "MainView.h"
#include "MessageView.h"
#include "Paths.h"
#include "ReadToolBar.h"
#include "Settings.h"
#include "TextDocument.h"
#include "TextViewer.h"
#include "UserContext.h"
#include "util/Fb2Builder.h"
#include "util/TestHome.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QStackedLayout>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// A document whose numbers the test sets: the rounding rules of the user
// context do not depend on how pages are laid out.
class FixedDocument final : public IDocument
{
public:
    FixedDocument() = default;
    virtual ~FixedDocument() = default;
    int page() const override { return m_page; }
    int pageCount() const override { return m_count; }
    double progress() const override { return m_progress; }
    int position() const override { return m_position; }
    int columnCount() const override { return m_columns; }
    void setColumnCount(int count) override { m_columns = count; }
    bool isLoaded() const override { return m_loaded; }
    QString chapterTitle(int) const override { return QStringLiteral("Chapter Nine"); }

    int m_page = 1;
    int m_count = 1;
    double m_progress = 0;
    int m_position = 0;
    int m_columns = 1;
    bool m_loaded = true;
};

QString paragraphText(int section, int paragraph)
{
    return QStringLiteral("Section %1 paragraph %2: the lamplighter walked the long street "
                          "while the wind carried the leaves past every shuttered window.")
        .arg(section)
        .arg(paragraph);
}

} // namespace

class TestReader : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_home.wipe();
        QVERIFY(BookProvider::instance()->createConnection());
        Settings::instance()->load();
        MessageView::clearAnswers();
        MessageView::clearShownMessages();
        QVERIFY(m_books.isValid());
        QStringList sections;
        for (int s = 0; s < 30; ++s) {
            QStringList paragraphs;
            for (int p = 0; p < 8; ++p)
                paragraphs << paragraphText(s, p);
            sections << Fb2Builder::section(QStringLiteral("Chapter %1").arg(s), paragraphs);
        }
        m_bookPath = Fb2Builder()
                         .title("Lamplighter")
                         .body(sections.join(QString()))
                         .write(m_books.path(), "lamp.fb2");
    }

    // ------------------------------------------------------------ toolbar

    void toolBarNames_data()
    {
        QTest::addColumn<int>("profile");
        QTest::addColumn<bool>("big");
        QTest::addColumn<int>("columns");
        QTest::addColumn<QString>("fullScreen");
        QTest::addColumn<QString>("switchView");
        QTest::addColumn<QString>("nextProfile");
        QTest::addColumn<int>("side");
        QTest::newRow("day, window, one column") << 0 << false << 1 << "buttonFullScreen_day_small"
                                                 << "buttonSwitchView_table_day_small"
                                                 << "buttonSwitchPartDay_day_day_small" << 16;
        QTest::newRow("night reads as day") << 1 << false << 2 << "buttonFullScreen_day_small"
                                            << "buttonSwitchView_column_day_small"
                                            << "buttonSwitchPartDay_day_day_small" << 16;
        QTest::newRow("sepia, full screen") << 2 << true << 2 << "buttonFullScreen_sepia_big"
                                            << "buttonSwitchView_column_sepia_big"
                                            << "buttonSwitchPartDay_sepia_day_big" << 30;
        QTest::newRow("sepia, full screen, one column") << 2 << true << 1 << "buttonFullScreen_sepia_big"
                                                        << "buttonSwitchView_table_sepia_big"
                                                        << "buttonSwitchPartDay_sepia_day_big" << 30;
    }

    void toolBarNames()
    {
        QFETCH(int, profile);
        QFETCH(bool, big);
        QFETCH(int, columns);
        QFETCH(QString, fullScreen);
        QFETCH(QString, switchView);
        QFETCH(QString, nextProfile);
        QFETCH(int, side);

        ReaderSettings data = Settings::instance()->data();
        data.currentProfile = profile;
        Settings::instance()->setData(data, true);
        ReadToolBar bar;
        bar.setBigIcons(big);
        bar.setColumnCount(columns);
        auto* button = bar.findChild<QPushButton*>(fullScreen);
        QVERIFY(button);
        QCOMPARE(button->size(), QSize(side, side));
        QVERIFY(bar.findChild<QPushButton*>(switchView));
        QVERIFY(bar.findChild<QPushButton*>(nextProfile));
        const QString theme = profile == 2 ? "sepia" : "day";
        const QString size = big ? "big" : "small";
        for (const char* name :
             {"buttonContent", "buttonBookmark", "buttonIncreasFont", "buttonDecreasFont", "buttonZoomIn",
              "buttonZoomOut", "buttonFitSize", "buttonOriginal", "buttonSearch"})
            QVERIFY2(bar.findChild<QPushButton*>(QString("%1_%2_%3").arg(name, theme, size)), name);
        // The search button belongs to full screen only.
        QCOMPARE(bar.findChild<QPushButton*>("buttonSearch_" + theme + "_" + size)->isHidden(), !big);
    }

    void toolBarButtonsFollowTheKindOfBook()
    {
        UserContext context;
        BookViewer viewer(&context);
        auto hidden = [&](const char* name) {
            for (QPushButton* b : viewer.toolBar()->findChildren<QPushButton*>())
                if (b->objectName().startsWith(QLatin1String(name)))
                    return b->isHidden();
            return false;
        };
        viewer.setToolBarFor(BookFormat::Viewer::Pdf);
        QVERIFY(hidden("buttonIncreasFont") && hidden("buttonDecreasFont"));
        QVERIFY(!hidden("buttonZoomIn") && !hidden("buttonZoomOut") && !hidden("buttonFitSize") &&
                !hidden("buttonOriginal"));
        viewer.setToolBarFor(BookFormat::Viewer::Text);
        QVERIFY(!hidden("buttonIncreasFont") && !hidden("buttonDecreasFont"));
        QVERIFY(hidden("buttonZoomIn") && hidden("buttonZoomOut") && hidden("buttonFitSize") &&
                hidden("buttonOriginal"));
    }

    // ------------------------------------------------------------ title and progress

    void bookInfoTexts_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("columns");
        QTest::addColumn<double>("progress");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("pages");
        QTest::newRow("two columns") << 7 << 120 << 2 << 5.8 << "<b>Emma</b> (6%)"
                                     << "<b>7-8</b> / 120";
        QTest::newRow("two columns, last page") << 120 << 120 << 2 << 100.0 << "<b>Emma</b> (100%)"
                                                << "<b>120</b> / 120";
        QTest::newRow("one column") << 7 << 120 << 1 << 5.8 << "<b>Emma</b> (6%)"
                                    << "<b>7</b> / 120";
        QTest::newRow("half rounds up") << 1 << 8 << 1 << 12.5 << "<b>Emma</b> (13%)"
                                        << "<b>1</b> / 8";
        QTest::newRow("before layout") << 0 << 120 << 1 << 0.0 << "<b>Emma</b> (...)"
                                       << "...";
        QTest::newRow("no pages") << 1 << 0 << 1 << 0.0 << "<b>Emma</b> (...)"
                                  << "...";
    }

    void bookInfoTexts()
    {
        QFETCH(int, page);
        QFETCH(int, count);
        QFETCH(int, columns);
        QFETCH(double, progress);
        QFETCH(QString, title);
        QFETCH(QString, pages);

        UserContext context;
        FixedDocument document;
        document.m_page = page;
        document.m_count = count;
        document.m_columns = columns;
        document.m_progress = progress;
        BookDto book;
        book.title = "Emma";
        context.setBook(book);
        QSignalSpy spy(&context, &UserContext::bookInfoChanged);
        context.updateBookInfo();
        QCOMPARE(spy.size(), 0); // no document yet
        context.setDocument(&document);
        context.updateBookInfo();
        QCOMPARE(spy.size(), 1);
        QCOMPARE(spy.at(0).at(0).toString(), title);
        QCOMPARE(spy.at(0).at(1).toString(), pages);
    }

    // ------------------------------------------------------------ user context and the library

    void bookmarkTruncatesAndPositionRounds()
    {
        const int id = addBook();
        UserContext context;
        context.setBook(BookProvider::instance()->getBookById(id));
        FixedDocument document;
        document.m_page = 249;
        document.m_count = 250;
        document.m_progress = 99.6;
        document.m_position = 4321;
        context.setDocument(&document);

        MessageView::setNextAnswer(QDialogButtonBox::AcceptRole);
        context.addBookmark();
        const auto shown = MessageView::shownMessages();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].title, QString("Bookmarks"));
        QCOMPARE(shown[0].text, QString("New bookmark is successfully added!"));
        const QList<BookmarkDto> marks = BookProvider::instance()->bookmarks(id);
        QCOMPARE(marks.size(), 1);
        QCOMPARE(marks[0].progress, 99.0f);
        QCOMPARE(marks[0].position, 4321.0f);
        QCOMPARE(marks[0].title, QString("Chapter Nine"));

        context.savePosition();
        const BookDto stored = BookProvider::instance()->getBookById(id);
        QCOMPARE(stored.position, 4321);
        QCOMPARE(stored.max_position, 100);
        // The context's own record is left as it was.
        QCOMPARE(context.book().position, 0);
    }

    void unloadedDocumentKeepsTheStoredPosition()
    {
        const int id = addBook(777);
        UserContext context;
        context.setBook(BookProvider::instance()->getBookById(id));
        FixedDocument document;
        document.m_loaded = false;
        document.m_position = 5;
        context.setDocument(&document);
        context.savePosition();
        QCOMPARE(BookProvider::instance()->getBookById(id).position, 777);
    }

    void profilesCycleAndFontStaysInBounds()
    {
        UserContext context;
        QSignalSpy changed(Settings::instance(), &Settings::changed);
        const int start = Settings::instance()->data().currentProfile;
        QList<int> seen;
        for (int i = 0; i < 3; ++i) {
            context.nextProfile();
            seen << Settings::instance()->data().currentProfile;
        }
        QCOMPARE(seen.last(), start);
        QCOMPARE(QSet<int>(seen.begin(), seen.end()).size(), 3);
        QTRY_COMPARE(changed.size(), 3);

        ReaderSettings data = Settings::instance()->data();
        data.profiles[data.currentProfile].textSize = UserContext::MaxFontSize;
        Settings::instance()->setData(data, true);
        context.increaseFont();
        QCOMPARE(Settings::instance()->data().profile().textSize, UserContext::MaxFontSize);
        context.decreaseFont();
        QCOMPARE(Settings::instance()->data().profile().textSize, UserContext::MaxFontSize - 1);
        data.profiles[data.currentProfile].textSize = UserContext::MinFontSize;
        Settings::instance()->setData(data, true);
        context.decreaseFont();
        QCOMPARE(Settings::instance()->data().profile().textSize, UserContext::MinFontSize);
    }

    void categoryKeys()
    {
        UserContext context;
        QCOMPARE(context.lastCustomCategory(), -1);
        QCOMPARE(context.lastGeneralCategory(), 0);
        context.setLastTypeCategory(1);
        QCOMPARE(context.lastTypeCategory(), 1);
        context.setLastTypeCategory(5);
        QCOMPARE(context.lastTypeCategory(), 0);
        context.setLastCustomCategory(12);
        QCOMPARE(Paths::settings()->value("last__custom_category").toInt(), 12);
    }

    // ------------------------------------------------------------ text viewer

    void styleTemplateIsFilled_data()
    {
        QTest::addColumn<int>("lineSpacing");
        QTest::addColumn<int>("alignment");
        QTest::addColumn<QString>("lineHeight");
        QTest::addColumn<QString>("align");
        QTest::newRow("single") << 0 << 3 << "line-height: 100%"
                                << "text-align: justify";
        QTest::newRow("one and a half") << 1 << 0 << "line-height: 150%"
                                        << "text-align: left";
        QTest::newRow("double") << 2 << 2 << "line-height: 200%"
                                << "text-align: center";
        QTest::newRow("unknown") << 7 << 1 << "line-height: 100%"
                                 << "text-align: right";
    }

    void styleTemplateIsFilled()
    {
        QFETCH(int, lineSpacing);
        QFETCH(int, alignment);
        QFETCH(QString, lineHeight);
        QFETCH(QString, align);
        ReaderSettings data = Settings::defaults();
        data.lineSpacing = lineSpacing;
        data.paragraphAlignment = alignment;
        data.profiles[data.currentProfile].textSize = 17;
        const QString css = TextViewer::styleSheetFor(data);
        QVERIFY(!css.isEmpty());
        QVERIFY2(!css.contains("${"), qPrintable(css));
        QVERIFY(css.contains(lineHeight));
        QVERIFY(css.contains(align));
        QVERIFY(css.contains("font-size: 17pt"));
        QVERIFY(css.contains(data.profile().textColor.name()));
    }

    void clicksDragsAndDoubleClicks()
    {
        setColumns(1);
        auto viewer = makeViewer();
        TextDocument* doc = viewer->document();
        QVERIFY(doc->pageCount() > 6);
        QSignalSpy doubleClicks(viewer.get(), &TextViewer::mouseDoubleClick);
        const QPoint right(viewer->width() * 3 / 4, viewer->height() / 2);
        const QPoint left(viewer->width() / 4, viewer->height() / 2);
        const int wait = QApplication::doubleClickInterval() + 150;

        QTest::mouseClick(viewer.get(), Qt::LeftButton, {}, right);
        QCOMPARE(doc->page(), 1); // not before a double click is ruled out
        QTRY_COMPARE(doc->page(), 2);
        QTest::mouseClick(viewer.get(), Qt::LeftButton, {}, left);
        QTRY_COMPARE(doc->page(), 1);

        // A drag turns nothing.
        QTest::mousePress(viewer.get(), Qt::LeftButton, {}, right);
        QTest::mouseRelease(viewer.get(), Qt::LeftButton, {}, right + QPoint(25, 3));
        QTest::qWait(wait);
        QCOMPARE(doc->page(), 1);

        // A double click asks for full screen and turns nothing.
        QTest::mousePress(viewer.get(), Qt::LeftButton, {}, right);
        QTest::mouseRelease(viewer.get(), Qt::LeftButton, {}, right);
        QMouseEvent dbl(QEvent::MouseButtonDblClick, right, viewer->mapToGlobal(right), Qt::LeftButton,
                        Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewer.get(), &dbl);
        QTest::mouseRelease(viewer.get(), Qt::LeftButton, {}, right);
        QTest::qWait(wait);
        QCOMPARE(doubleClicks.size(), 1);
        QCOMPARE(doc->page(), 1);
    }

    void wheelTurnsPages()
    {
        setColumns(1);
        auto viewer = makeViewer();
        TextDocument* doc = viewer->document();
        auto wheel = [&](int delta) {
            const QPointF at(viewer->width() / 2, viewer->height() / 2);
            QWheelEvent event(at, viewer->mapToGlobal(at.toPoint()), QPoint(), QPoint(0, delta), Qt::NoButton,
                              Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(viewer.get(), &event);
        };
        wheel(-120);
        QCOMPARE(doc->page(), 2);
        wheel(-120);
        QCOMPARE(doc->page(), 3);
        wheel(120);
        QCOMPARE(doc->page(), 2);
        // A touchpad's small steps add up to one notch.
        wheel(-40);
        wheel(-40);
        QCOMPARE(doc->page(), 2);
        wheel(-40);
        QCOMPARE(doc->page(), 3);
    }

    void keysTurnPages()
    {
        setColumns(1);
        auto viewer = makeViewer();
        TextDocument* doc = viewer->document();
        QWidget* window = viewer->window();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
        viewer->setFocus();
        QTRY_VERIFY(doc->isPageCountExact()); // End goes to the last page counted
        const int count = doc->pageCount();
        const QList<QPair<Qt::Key, int>> steps{
            {Qt::Key_Space, 2}, {Qt::Key_Right, 3},  {Qt::Key_PageDown, 4}, {Qt::Key_Backspace, 3},
            {Qt::Key_Left, 2},  {Qt::Key_PageUp, 1}, {Qt::Key_End, count},  {Qt::Key_Home, 1}};
        for (const auto& step : steps) {
            QTest::keyClick(viewer.get(), step.first);
            QCOMPARE(doc->page(), step.second);
        }
    }

    void twoColumnsLeaveAnOddLastHalfBlank()
    {
        setColumns(2);
        auto viewer = makeViewer();
        TextDocument* doc = viewer->document();
        QCOMPARE(doc->columnCount(), 2);
        // The last page alone on the left when the count is odd.
        const int last = doc->pageCount() % 2 == 1 ? doc->pageCount() : doc->pageCount() - 1;
        doc->setPage(last);
        const QImage image = viewer->grab().toImage();
        const QColor background = doc->backgroundColor();
        const int half = viewer->width() / 2;
        if (last == doc->pageCount()) {
            for (int y = 0; y < image.height(); y += 7)
                for (int x = half; x < image.width(); x += 7)
                    QCOMPARE(image.pixelColor(x, y).rgb(), background.rgb());
        }
        // Something is drawn on the left page.
        bool inked = false;
        for (int y = 0; y < image.height() && !inked; y += 3)
            for (int x = 0; x < half && !inked; x += 3)
                inked = image.pixelColor(x, y).rgb() != background.rgb();
        QVERIFY(inked);
    }

    // ------------------------------------------------------------ book viewer

    void positionSurvivesFontChangeAndReopening()
    {
        setColumns(1);
        const int id = addBook();
        UserContext context;
        BookViewer viewer(&context);
        viewer.resize(800, 600);
        viewer.show();
        QVERIFY(QTest::qWaitForWindowExposed(&viewer));
        viewer.openBook(BookProvider::instance()->getBookById(id));
        QTRY_VERIFY(!viewer.isBusy());
        TextViewer* text = viewer.textViewer();
        QVERIFY(text);
        TextDocument* doc = text->document();
        QVERIFY(doc->pageCount() > 10);
        doc->setPage(7);
        const int position = doc->position();
        viewer.hide(); // leaving the page saves
        BookDto stored = BookProvider::instance()->getBookById(id);
        QCOMPARE(stored.position, position);
        QCOMPARE(stored.max_position, int(std::lround(doc->progress())));

        viewer.show();
        QSignalSpy reloaded(text, &TextViewer::reloadFinished);
        context.increaseFont();
        QTRY_COMPARE(reloaded.size(), 1);
        QVERIFY(holds(doc, doc->page(), position));

        // Reopening lands on the page that holds the saved place.
        QPointer<TextViewer> first = text;
        viewer.openBook(stored);
        QVERIFY(!first); // the first viewer is gone
        QTRY_VERIFY(!viewer.isBusy());
        TextDocument* again = viewer.textViewer()->document();
        QVERIFY(again != doc);
        QCOMPARE(context.document(), static_cast<IDocument*>(again));
        QVERIFY(again->page() > 1);
        QVERIFY(holds(again, again->page(), position));
    }

    void turningPagesSavesThePlaceWithoutLeaving()
    {
        // A killed session must not lose the reader's place: it is written a
        // moment after the pages stop turning, not only when the book is left.
        setColumns(1);
        const int id = addBook();
        UserContext context;
        BookViewer viewer(&context);
        viewer.resize(800, 600);
        viewer.show();
        QVERIFY(QTest::qWaitForWindowExposed(&viewer));
        viewer.openBook(BookProvider::instance()->getBookById(id));
        QTRY_VERIFY(!viewer.isBusy());
        TextDocument* doc = viewer.textViewer()->document();
        QCOMPARE(BookProvider::instance()->getBookById(id).position, 0);
        doc->setPage(5);
        const int position = doc->position();
        QTRY_COMPARE(BookProvider::instance()->getBookById(id).position, position);
        QVERIFY(viewer.isVisible());
    }

    void damagedRestOfALargeBookIsReported()
    {
        // Over a megabyte, so the viewer shows its opening first; the damage
        // lies far beyond it and is found by the load in the background.
        QStringList sections;
        for (int s = 0; s < 1100; ++s) {
            QStringList paragraphs;
            for (int p = 0; p < 8; ++p)
                paragraphs << paragraphText(s, p) + QStringLiteral(" And the lamps burned low.");
            sections << (s == 1050 ? QStringLiteral("<section><p class=\"a<b\">bad</p></section>")
                                  : Fb2Builder::section(QStringLiteral("Chapter %1").arg(s), paragraphs));
        }
        BookDto book;
        book.title = "Large and damaged";
        book.full_path = Fb2Builder().body(sections.join(QString())).write(m_books.path(), "large.fb2");
        book.format = 2;
        book.id = BookProvider::instance()->addBook(book);
        QVERIFY(QFileInfo(book.full_path).size() > 1024 * 1024);

        UserContext context;
        BookViewer viewer(&context);
        viewer.resize(800, 600);
        viewer.show();
        QVERIFY(QTest::qWaitForWindowExposed(&viewer));
        QSignalSpy failed(&viewer, &BookViewer::openFailed);
        MessageView::setNextAnswer(MessageView::CloseAnswer);
        viewer.openBook(BookProvider::instance()->getBookById(book.id));
        // The opening is on screen; the failure comes from the event loop,
        // never from inside the open.
        QVERIFY(viewer.textViewer());
        QVERIFY(viewer.textViewer()->document()->isOpening());
        QCOMPARE(failed.size(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(failed.size(), 1, 30000);
        QCOMPARE(MessageView::shownMessages().size(), 1);
        QVERIFY(!viewer.textViewer());
        QCOMPARE(context.document(), nullptr);
    }

    void formatWithoutViewerKeepsTheBusyPage_data()
    {
        QTest::addColumn<int>("format");
        QTest::newRow("no code 8") << 8;
        QTest::newRow("unknown") << 9;
    }

    void formatWithoutViewerKeepsTheBusyPage()
    {
        QFETCH(int, format);
        const int id = addBook();
        UserContext context;
        BookViewer viewer(&context);
        viewer.resize(800, 600);
        viewer.openBook(BookProvider::instance()->getBookById(id));
        QTRY_VERIFY(!viewer.isBusy());
        QPointer<QWidget> textViewer = viewer.viewer();
        BookDto other;
        other.id = 99;
        other.format = format;
        other.full_path = m_bookPath;
        viewer.openBook(other);
        QVERIFY(viewer.isBusy());
        QVERIFY(textViewer);
        QCOMPARE(viewer.viewer(), textViewer.data());
        QCOMPARE(context.book().id, id);
    }

    void fullScreenSwitchesTheBar()
    {
        UserContext context;
        BookViewer viewer(&context);
        viewer.resize(900, 600);
        viewer.show();
        QVERIFY(QTest::qWaitForWindowExposed(&viewer));
        auto* bar = viewer.findChild<QFrame*>("fullScreenBar");
        QVERIFY(bar && bar->isHidden());
        viewer.setFullScreen(true);
        QVERIFY(!bar->isHidden());
        QCOMPARE(viewer.property("theFullScreen").toBool(), true);
        QVERIFY(viewer.toolBar()->bigIcons());
        QVERIFY(!viewer.findChild<QPushButton*>("buttonSearch_day_big")->isHidden());
        viewer.setFullScreen(false);
        QVERIFY(bar->isHidden());
        QVERIFY(viewer.findChild<QPushButton*>("buttonSearch_day_small")->isHidden());
    }

    void mainWindowOpensABook()
    {
        setColumns(2);
        const int id = addBook();
        MainView view;
        view.resize(1000, 700);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QMetaObject::invokeMethod(&view, "onBookOpened", Q_ARG(int, id));
        QCOMPARE(view.currentPage(), int(MainView::ReadingPage));
        QCOMPARE(view.windowTitle(), QString("Lamplighter - Lanternleaf"));
        auto* progress = view.findChild<QLabel*>("labelBookProgress");
        QTRY_VERIFY(progress->text().startsWith("<b>1-2</b> / "));
        QVERIFY(view.findChild<QLabel*>("labelBookTitle")->text().startsWith("Lamplighter ("));
        QVERIFY(BookProvider::instance()->getBookById(id).time_last_view > 0);
    }

    void libraryAfterReadingAndAfterAFailedOpen()
    {
        const int good = addBook();
        QTemporaryDir dir;
        const QString brokenPath = dir.filePath("broken.epub");
        QFile broken(brokenPath);
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write("PK\x03\x04 not really a zip");
        broken.close();
        BookDto damaged;
        damaged.title = "Broken Book";
        damaged.full_path = QDir::toNativeSeparators(brokenPath);
        damaged.format = 0;
        const int bad = BookProvider::instance()->addBook(damaged);
        QVERIFY(bad > 0);

        MainView view;
        view.resize(1000, 700);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QTest::mouseClick(view.findChild<QPushButton*>("buttonLibrary"), Qt::LeftButton);
        auto* recent = view.findChild<QAbstractButton*>("buttonRecentlyRead");
        QVERIFY(recent->text().contains("(0)"));

        // Reading a book and coming back lists it under "Recently Read".
        QMetaObject::invokeMethod(&view, "onBookOpened", Q_ARG(int, good));
        QCOMPARE(view.currentPage(), int(MainView::ReadingPage));
        QTest::mouseClick(view.findChild<QPushButton*>("buttonLibrary"), Qt::LeftButton);
        QCOMPARE(view.currentPage(), int(MainView::LibraryPage));
        QVERIFY2(recent->text().contains("(1)"), qPrintable(recent->text()));

        // A book that cannot be opened leaves neither its name in the window
        // title nor itself behind "Continue reading".
        MessageView::setNextAnswer(MessageView::CloseAnswer);
        QMetaObject::invokeMethod(&view, "onBookOpened", Q_ARG(int, bad));
        QCOMPARE(view.currentPage(), int(MainView::LibraryPage));
        QCOMPARE(MessageView::shownMessages().size(), 1);
        QCOMPARE(view.windowTitle(), QString("Lanternleaf"));
        auto* continueButton = view.findChild<QPushButton*>("buttonContinueReading");
        QVERIFY(!continueButton->isHidden());
        QVERIFY2(continueButton->toolTip().contains("Lamplighter"), qPrintable(continueButton->toolTip()));
    }

private:
    int addBook(int position = 0)
    {
        BookDto book;
        book.title = "Lamplighter";
        book.author = "A. Writer";
        book.full_path = QDir::toNativeSeparators(m_bookPath);
        book.format = 2;
        book.position = position;
        const int id = BookProvider::instance()->addBook(book);
        [&] { QVERIFY(id > 0); }();
        return id;
    }

    void setColumns(int columns)
    {
        ReaderSettings data = Settings::instance()->data();
        data.columnCount = columns;
        Settings::instance()->setData(data, true);
    }

    std::unique_ptr<TextViewer> makeViewer()
    {
        BookDto book;
        book.full_path = m_bookPath;
        book.format = 2;
        auto viewer = std::make_unique<TextViewer>(book);
        viewer->resize(700, 500);
        viewer->show();
        [&] { QVERIFY(QTest::qWaitForWindowExposed(viewer.get())); }();
        viewer->load();
        viewer->document()->setPage(1);
        return viewer;
    }

    static bool holds(const TextDocument* doc, int page, int position)
    {
        const int start = doc->calcPositionByPage(page);
        const int next = page + doc->columnCount() <= doc->pageCount()
                             ? doc->calcPositionByPage(page + doc->columnCount())
                             : INT_MAX;
        return start <= position && position < next;
    }

    TestHome m_home;
    QTemporaryDir m_books;
    QString m_bookPath;
};

QTEST_MAIN(TestReader)
#include "TestReader.moc"
