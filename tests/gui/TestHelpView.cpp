#include "BookFormat.h"
#include "BookProvider.h"
#include "BookViewer.h"
#include "CrashInstaller.h"
#include "HelpView.h"
#include "ImageViewer.h"
#include "MainView.h"
#include "MessageView.h"
#include "PDFViewer.h"
#include "Paths.h"
#include "RenderedDocument.h"
#include "Settings.h"
#include "SettingsView.h"
#include "ShortcutTable.h"
#include "TextDocument.h"
#include "TextViewer.h"
#include "util/ComicFixtures.h"
#include "util/DjvuBuilder.h"
#include "util/Fb2Builder.h"
#include "util/PdfBuilder.h"
#include "util/TestHome.h"

#include <QPushButton>
#include <QShortcut>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTranslator>
#include <QtTest>

#include <memory>

namespace {
// The views whose shortcuts the help lists. A view added here gets its
// shortcuts compared with the table and each of its keys sent to it.
enum ViewKind
{
    TextViewerView,
    MainWindowView,
    PdfViewerView,
    DjvuViewerView,
    ImageViewerView,
};

QStringList keyNames(QList<QKeySequence> keys)
{
    QStringList names;
    for (const QKeySequence& key : keys)
        names << key.toString(QKeySequence::PortableText);
    names.sort();
    return names;
}
} // namespace

class TestHelpView : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_home.wipe();
        Settings::instance()->load();
        MessageView::clearAnswers();
        QVERIFY(BookProvider::instance()->createConnection());
    }

    void helpShowsEveryShortcutPathAndTheVersion()
    {
        const QString html = HelpView::html();
        QVERIFY(html.contains("2.0.8"));
        QVERIFY(!html.contains("{{"));
        for (const ShortcutTable::Entry& entry : ShortcutTable::entries()) {
            const QString input = ShortcutTable::inputText(entry);
            QVERIFY2(!input.isEmpty(), "a shortcut without a name");
            QVERIFY2(html.contains(input.toHtmlEscaped()), qPrintable(input));
            QVERIFY(html.contains(ShortcutTable::actionText(entry.action).toHtmlEscaped()));
        }
        for (const QString& path :
             {Paths::databaseFolder(), Paths::logFolder(), Paths::settingsFile(),
              CrashInstaller::crashFolder(), Paths::bookCacheRoot(), Paths::importFolder()})
            QVERIFY2(html.contains(path.toHtmlEscaped()), qPrintable(path));
        // The formats table is written by hand; every file the add dialog
        // accepts must be listed there.
        for (const QString& suffix : BookFormat::acceptedSuffixes() + BookFormat::aliasSuffixes())
            QVERIFY2(html.contains("." + suffix.toLower()), qPrintable(suffix));
    }

    void helpFollowsTheLanguage()
    {
        QTranslator german;
        QVERIFY(german.load(QStringLiteral(PROGRAM_TRANSLATIONS) + "/lanternleaf_de.qm"));
        qApp->installTranslator(&german);
        const QString html = HelpView::html();
        qApp->removeTranslator(&german);
        QVERIFY(html.contains("Tastatur und Maus"));
        QVERIFY(!html.contains("Page Down"));
        QVERIFY(html.contains("Bild ab"));
    }

    // Every key a view registers is in the help, every key the help names
    // for the view is registered, and each does what the help says.
    void registeredKeysMatchTheHelp_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("text viewer") << int(TextViewerView);
        QTest::newRow("main window") << int(MainWindowView);
        QTest::newRow("PDF viewer") << int(PdfViewerView);
        QTest::newRow("DjVu viewer") << int(DjvuViewerView);
        QTest::newRow("comic viewer") << int(ImageViewerView);
    }
    void registeredKeysMatchTheHelp()
    {
        QFETCH(int, kind);
        switch (kind) {
        case TextViewerView:
            checkTextViewer();
            break;
        case MainWindowView:
            checkMainWindow();
            break;
        case PdfViewerView:
        case DjvuViewerView:
        case ImageViewerView:
            checkPageViewer(ViewKind(kind));
            break;
        }
    }

    void helpAndSiteButtonsOpenTheHelpPage_data()
    {
        QTest::addColumn<QString>("slot");
        QTest::newRow("help button") << "buttonHelp";
        QTest::newRow("site") << "onNavigateToSite";
    }
    void helpAndSiteButtonsOpenTheHelpPage()
    {
        QFETCH(QString, slot);
        MainView window;
        window.resize(1000, 700);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto* help = window.findChild<HelpView*>();
        QVERIFY(help && !help->isVisible());
        if (slot.startsWith("button"))
            QTest::mouseClick(window.findChild<QPushButton*>(slot), Qt::LeftButton);
        else
            QVERIFY(QMetaObject::invokeMethod(&window, slot.toLatin1().constData()));
        QTRY_VERIFY(help->isVisible());
        QTRY_VERIFY(help->isAncestorOf(QApplication::focusWidget()));
        QVERIFY(help->findChild<QTextBrowser*>("helpBrowser")->toPlainText().contains("Lanternleaf"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QTRY_VERIFY(!help->isVisible());
    }

    // Tab walks the page's own controls only, never the page behind it.
    void tabStaysOnTheSidePage_data()
    {
        QTest::addColumn<QString>("button");
        QTest::newRow("settings") << "buttonSettings";
        QTest::newRow("help") << "buttonHelp";
    }
    void tabStaysOnTheSidePage()
    {
        QFETCH(QString, button);
        MainView window;
        window.resize(1000, 700);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QTest::mouseClick(window.findChild<QPushButton*>(button), Qt::LeftButton);
        QWidget* page = button == "buttonHelp" ? static_cast<QWidget*>(window.findChild<HelpView*>())
                                               : window.findChild<SettingsView*>();
        QTRY_VERIFY(page->isAncestorOf(QApplication::focusWidget()));
        // A graphics effect on the dimming layer would repaint it over
        // patches of the page whenever part of the page repaints.
        QWidget* dim = window.findChild<QWidget*>("backgroundSettingsView");
        QVERIFY(dim->isVisible() && !dim->graphicsEffect());
        QSet<QWidget*> visited;
        for (int i = 0; i < 60; ++i) {
            QTest::keyClick(QApplication::focusWidget(), i < 30 ? Qt::Key_Tab : Qt::Key_Backtab);
            QWidget* focus = QApplication::focusWidget();
            QVERIFY2(page->isAncestorOf(focus), qPrintable(focus->objectName()));
            visited << focus;
        }
        QVERIFY(visited.size() > 1 || button == "buttonHelp");
    }

private:
    void checkTextViewer()
    {
        ReaderSettings data = Settings::instance()->data();
        data.columnCount = 1;
        Settings::instance()->setData(data, true);
        BookDto book;
        book.full_path = writeBook();
        book.format = 2;
        TextViewer viewer(book);
        viewer.resize(700, 500);
        viewer.show();
        QVERIFY(QTest::qWaitForWindowExposed(&viewer));
        viewer.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&viewer));
        viewer.load();
        TextDocument* doc = viewer.document();
        // Page numbers are estimates until the background count is done.
        QTRY_VERIFY(doc->isPageCountExact());
        QVERIFY(doc->pageCount() > 6);

        QCOMPARE(keyNames(registeredKeys(&viewer, Qt::FindChildrenRecursively)),
                 keyNames(ShortcutTable::keys(ShortcutTable::TextViewer)));
        for (const ShortcutTable::Entry& entry : ShortcutTable::entries(ShortcutTable::TextViewer)) {
            if (entry.key.isEmpty())
                continue;
            doc->setPage(4);
            QTest::keySequence(&viewer, entry.key);
            const int expected = entry.action == ShortcutTable::NextPage       ? 5
                                 : entry.action == ShortcutTable::PreviousPage ? 3
                                 : entry.action == ShortcutTable::FirstPage    ? 1
                                 : entry.action == ShortcutTable::LastPage     ? doc->pageCount()
                                                                               : -1;
            QVERIFY2(expected > 0, "the test does not know this action of the text viewer");
            QVERIFY2(doc->page() == expected, qPrintable(ShortcutTable::keyText(entry.key)));
        }
    }

    void checkMainWindow()
    {
        BookDto book;
        book.title = "Lamplighter";
        book.full_path = writeBook();
        book.format = 2;
        const int id = BookProvider::instance()->addBook(book);
        MainView window;
        window.resize(1000, 700);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QMetaObject::invokeMethod(&window, "onBookOpened", Q_ARG(int, id));
        QCOMPARE(window.currentPage(), int(MainView::ReadingPage));

        // The window's own shortcuts (the reader's live in its viewers).
        QCOMPARE(keyNames(registeredKeys(&window, Qt::FindDirectChildrenOnly)),
                 keyNames(ShortcutTable::keys(ShortcutTable::MainWindow)));
        for (const ShortcutTable::Entry& entry : ShortcutTable::entries(ShortcutTable::MainWindow)) {
            if (entry.key.isEmpty())
                continue;
            switch (entry.action) {
            case ShortcutTable::ToggleFullScreen:
                QTest::keySequence(&window, entry.key);
                QCOMPARE(window.windowMode(), int(MainView::FullScreen));
                QTest::keySequence(&window, entry.key);
                QCOMPARE(window.windowMode(), int(MainView::Normal));
                break;
            case ShortcutTable::LeaveFullScreen:
                QTest::keyClick(&window, Qt::Key_F11);
                QCOMPARE(window.windowMode(), int(MainView::FullScreen));
                QTest::keySequence(&window, entry.key);
                QCOMPARE(window.windowMode(), int(MainView::Normal));
                break;
            case ShortcutTable::Minimize:
                QTest::keySequence(&window, entry.key);
                QTRY_VERIFY(window.isMinimized());
                window.showNormal();
                break;
            default:
                QFAIL("the test does not know this action of the main window");
            }
        }
    }

    // The page viewers share one table: PDF and DjVu books in the viewer of
    // rendered pages, comics in the image viewer.
    void checkPageViewer(ViewKind kind)
    {
        ReaderSettings data = Settings::instance()->data();
        data.columnCount = 1;
        data.showFade = false;
        Settings::instance()->setData(data, true);
        BookDto book;
        book.title = "Pages";
        if (kind == PdfViewerView) {
            book.full_path = PdfBuilder().pages(8).write(m_books.path(), "keys.pdf");
            book.format = BookFormat::Pdf;
        } else if (kind == DjvuViewerView) {
            book.full_path = m_books.filePath("keys.djvu");
            QString error;
            QVERIFY2(DjvuBuilder().pages(8).writeBundled(book.full_path, &error), qPrintable(error));
            book.format = BookFormat::Djvu;
        } else {
            book.full_path = m_books.filePath("keys.cbz");
            QVERIFY(ComicFixtures::writeCbz(book.full_path,
                                            ComicFixtures::pages({"1.png", "2.png", "3.png", "4.png", "5.png",
                                                                  "6.png", "7.png", "8.png"})));
            book.format = BookFormat::Cbz;
        }
        std::unique_ptr<PageView> viewer;
        if (kind == ImageViewerView)
            viewer = std::make_unique<ImageViewer>(book);
        else
            viewer = std::make_unique<PDFViewer>(book);
        viewer->resize(700, 500);
        viewer->show();
        QVERIFY(QTest::qWaitForWindowExposed(viewer.get()));
        viewer->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(viewer.get()));
        viewer->load();
        ImageDocument* doc = viewer->imageDocument();
        QTRY_COMPARE(doc->pageCount(), 8);
        const auto zoomMode = [&] {
            if (auto* image = qobject_cast<ImageViewer*>(viewer.get()))
                return image->zoomMode();
            return static_cast<RenderedDocument*>(doc)->zoomMode();
        };

        QCOMPARE(keyNames(registeredKeys(viewer.get(), Qt::FindChildrenRecursively)),
                 keyNames(ShortcutTable::keys(ShortcutTable::PageViewer)));
        for (const ShortcutTable::Entry& entry : ShortcutTable::entries(ShortcutTable::PageViewer)) {
            if (entry.key.isEmpty())
                continue;
            const QString name = ShortcutTable::keyText(entry.key);
            doc->setColumnCount(entry.action == ShortcutTable::OnePage ? 2 : 1);
            doc->setPage(4);
            if (entry.action == ShortcutTable::FitToPage || entry.action == ShortcutTable::OriginalSize)
                viewer->zoomIn();
            else
                viewer->fitToPage();
            QTest::keySequence(viewer.get(), entry.key);
            switch (entry.action) {
            case ShortcutTable::NextPage:
                QVERIFY2(doc->page() == 5, qPrintable(name));
                break;
            case ShortcutTable::PreviousPage:
                QVERIFY2(doc->page() == 3, qPrintable(name));
                break;
            case ShortcutTable::FirstPage:
                QVERIFY2(doc->page() == 1, qPrintable(name));
                break;
            case ShortcutTable::LastPage:
                QVERIFY2(doc->page() == 8, qPrintable(name));
                break;
            case ShortcutTable::ZoomIn:
            case ShortcutTable::ZoomOut:
                QVERIFY2(zoomMode() == 2, qPrintable(name));
                break;
            case ShortcutTable::OnePage:
                QVERIFY2(doc->columnCount() == 1, qPrintable(name));
                break;
            case ShortcutTable::TwoPages:
                QVERIFY2(doc->columnCount() == 2, qPrintable(name));
                break;
            case ShortcutTable::FitToPage:
                QVERIFY2(zoomMode() == 0, qPrintable(name));
                break;
            case ShortcutTable::OriginalSize:
                QVERIFY2(zoomMode() == 1, qPrintable(name));
                break;
            default:
                QFAIL("the test does not know this action of the page viewers");
            }
        }
    }

    static QList<QKeySequence> registeredKeys(QWidget* view, Qt::FindChildOptions options)
    {
        QList<QKeySequence> keys;
        for (QShortcut* shortcut : view->findChildren<QShortcut*>(QString(), options))
            keys << shortcut->key();
        return keys;
    }

    QString writeBook()
    {
        QStringList sections;
        for (int s = 0; s < 12; ++s) {
            QStringList paragraphs;
            for (int p = 0; p < 8; ++p)
                paragraphs << QStringLiteral(
                                  "Section %1 paragraph %2: the lamplighter walked the long street "
                                  "while the wind carried the leaves past every shuttered window.")
                                  .arg(s)
                                  .arg(p);
            sections << Fb2Builder::section(QStringLiteral("Chapter %1").arg(s), paragraphs);
        }
        return Fb2Builder()
            .title("Lamplighter")
            .body(sections.join(QString()))
            .write(m_books.path(), "lamp.fb2");
    }

    TestHome m_home;
    QTemporaryDir m_books;
};

QTEST_MAIN(TestHelpView)
#include "TestHelpView.moc"
