#include "Frame.h"
#include "MainView.h"
#include "MessageView.h"
#include "OverlayController.h"
#include "Paths.h"
#include "SettingsView.h"
#include "util/TestHome.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStackedLayout>
#include <QtTest>

namespace {
BookDto book(int id, const QString& title, const QString& path)
{
    BookDto b;
    b.id = id;
    b.title = title;
    b.full_path = path;
    return b;
}

QPushButton* button(const MainView& view, const char* name)
{
    return view.findChild<QPushButton*>(name);
}

QLineEdit* searchField(const MainView& view)
{
    return view.findChild<QLineEdit*>("editSearch");
}
} // namespace

class TestMainView : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_home.wipe();
        MessageView::clearAnswers();
        MessageView::clearShownMessages();
    }

    void emptyLibraryShowsTheStartPage()
    {
        MainView view;
        QCOMPARE(view.currentPage(), int(MainView::StartPage));
        QCOMPARE(view.property("theStartView").toBool(), true);
        QCOMPARE(view.windowTitle(), QString("Lanternleaf"));
        QVERIFY(view.findChild<QFrame*>("searchBox")->isHidden());
        QCOMPARE(view.minimumSize(),
                 QSize(940, 640).boundedTo(QGuiApplication::primaryScreen()->availableGeometry().size()));
    }

    void longHeaderTextsGiveWayInsteadOfClipping()
    {
        MainView view;
        view.m_currentBook = book(3, "Persuasion", "/nowhere/persuasion.epub");
        view.m_pages->setCurrentIndex(MainView::LibraryPage);
        view.resize(940, 640);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        const QString longText = QString("Ein sehr langer Knopftext ").repeated(2).trimmed();
        button(view, "buttonAddBook")->setText(longText);
        button(view, "buttonAddFolder")->setText(longText);
        view.resize(941, 640);
        QTRY_COMPARE(view.width(), 941);
        QVERIFY(view.findChild<QWidget*>("header")->layout()->minimumSize().width() <= view.width());
        // The least used buttons lose their text first; it stays as the tooltip.
        QVERIFY(button(view, "buttonHelp")->text().isEmpty());
        QCOMPARE(button(view, "buttonHelp")->toolTip(), QString("Help"));
        QVERIFY(!button(view, "buttonLibrary")->text().isEmpty());

        view.resize(2400, 640);
        QTRY_COMPARE(button(view, "buttonHelp")->text(), QString("Help"));
        QCOMPARE(button(view, "buttonAddBook")->text(), longText);
    }

    void headerFollowsThePage_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<bool>("hasBook");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QStringList>("hidden");
        const QStringList all{"buttonAddBook",         "buttonAddFolder", "buttonContents",   "searchBox",
                              "buttonContinueReading", "labelBookTitle",  "labelBookProgress"};
        auto rest = [&](const QStringList& shown) {
            QStringList hidden;
            for (const QString& name : all)
                if (!shown.contains(name))
                    hidden << name;
            return hidden;
        };
        QStringList s{"buttonAddBook", "buttonAddFolder"};
        QTest::newRow("start") << 0 << true << s << rest(s);
        s = QStringList{"buttonAddBook", "buttonAddFolder", "searchBox"};
        QTest::newRow("library, no book") << 1 << false << s << rest(s);
        s << "buttonContinueReading";
        QTest::newRow("library, current book") << 1 << true << s << rest(s);
        s = QStringList{"buttonContents", "searchBox", "labelBookTitle", "labelBookProgress"};
        QTest::newRow("reading") << 2 << true << s << rest(s);
    }

    void headerFollowsThePage()
    {
        QFETCH(int, page);
        QFETCH(bool, hasBook);
        QFETCH(QStringList, shown);
        QFETCH(QStringList, hidden);

        MainView view;
        if (hasBook)
            view.m_currentBook = book(3, "Persuasion", "/nowhere/persuasion.epub");
        view.m_pages->setCurrentIndex(page == 0 ? 1 : 0);
        searchField(view)->setText("leftover");
        view.m_pages->setCurrentIndex(page);
        for (const QString& name : shown)
            QVERIFY2(!view.findChild<QWidget*>(name)->isHidden(), qPrintable(name));
        for (const QString& name : hidden)
            QVERIFY2(view.findChild<QWidget*>(name)->isHidden(), qPrintable(name));
        QVERIFY(searchField(view)->text().isEmpty());
        QCOMPARE(view.property("theStartView").toBool(), page == 0);
        for (const char* name : {"buttonLibrary", "buttonSettings", "buttonHelp"})
            QVERIFY(!view.findChild<QWidget*>(name)->isHidden());
    }

    void typingOnTheStartPageGoesToTheLibrary()
    {
        MainView view;
        QMetaObject::invokeMethod(&view, "onFilterChanged", Q_ARG(QString, "tol"));
        QCOMPARE(view.currentPage(), int(MainView::LibraryPage));
    }

    void hotKeysFollowModeAndPage()
    {
        MainView view;
        view.show();
        view.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&view));
        const QRect normalGeometry = view.geometry();

        view.m_pages->setCurrentIndex(MainView::LibraryPage);
        QTest::keyClick(&view, Qt::Key_Escape);
        QCOMPARE(view.windowMode(), int(MainView::Normal));
        QTest::keyClick(&view, Qt::Key_F11);
        QCOMPARE(view.windowMode(), int(MainView::Normal));

        view.m_pages->setCurrentIndex(MainView::ReadingPage);
        QTest::keyClick(&view, Qt::Key_F11);
        QCOMPARE(view.windowMode(), int(MainView::FullScreen));
        QCOMPARE(view.property("theFullScreen").toBool(), true);
        QVERIFY(view.findChild<QWidget*>("windowBar")->isHidden());
        QVERIFY(view.findChild<QWidget*>("header")->isHidden());
        QCOMPARE(view.geometry(), view.windowScreen()->geometry());

        QTest::keyClick(&view, Qt::Key_Escape);
        QCOMPARE(view.windowMode(), int(MainView::Normal));
        QCOMPARE(view.geometry(), normalGeometry);
        QCOMPARE(view.property("theFullScreen").toBool(), false);
        QVERIFY(!view.findChild<QWidget*>("windowBar")->isHidden());
    }

    void fullScreenReturnsToMaximised()
    {
        MainView view;
        view.show();
        view.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&view));
        const QRect normalGeometry = view.geometry();
        view.m_pages->setCurrentIndex(MainView::ReadingPage);

        view.findChild<QPushButton*>("windowMaximize")->click();
        QCOMPARE(view.windowMode(), int(MainView::Maximized));
        QVERIFY(view.findChild<QPushButton*>("windowMaximized"));

        QTest::keyClick(&view, Qt::Key_F11);
        QCOMPARE(view.windowMode(), int(MainView::FullScreen));
        QTest::keyClick(&view, Qt::Key_Escape);
        QCOMPARE(view.windowMode(), int(MainView::Maximized));
        QVERIFY(view.findChild<QPushButton*>("windowMaximized"));

        view.findChild<QPushButton*>("windowMaximized")->click();
        QCOMPARE(view.windowMode(), int(MainView::Normal));
        QCOMPARE(view.geometry(), normalGeometry);
    }

    void typingHInTheSearchFieldDoesNotMinimise()
    {
        MainView view;
        view.show();
        view.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&view));
        view.m_pages->setCurrentIndex(MainView::LibraryPage);
        searchField(view)->setFocus();
        QTest::keyClicks(searchField(view), "hh");
        QCOMPARE(searchField(view)->text(), QString("hh"));
        QVERIFY(!view.isMinimized());

        view.setFocus();
        QTest::keyClick(&view, Qt::Key_H);
        QTRY_VERIFY(view.isMinimized());
    }

    void geometryIsRestored_data()
    {
        QTest::addColumn<QRect>("stored");
        QTest::addColumn<int>("screen");
        QTest::addColumn<bool>("keeps");
        QTest::newRow("on screen") << QRect(40, 30, 960, 660) << 0 << true;
        QTest::newRow("off every screen") << QRect(5000, 4000, 940, 640) << 0 << false;
        QTest::newRow("title bar above the screen") << QRect(100, -900, 940, 640) << 0 << false;
        QTest::newRow("screen gone") << QRect(40, 30, 960, 660) << 3 << false;
    }

    void geometryIsRestored()
    {
        QFETCH(QRect, stored);
        QFETCH(int, screen);
        QFETCH(bool, keeps);
        {
            auto settings = Paths::settings();
            settings->setValue("mainview.geometry", stored);
            settings->setValue("mainview.state", 0);
            settings->setValue("mainview.screen", screen);
        }
        MainView view;
        QCOMPARE(view.windowMode(), int(MainView::Normal));
        QCOMPARE(view.geometry(), keeps ? stored : MainView::defaultGeometry());
    }

    void defaultGeometryIsCentred()
    {
        MainView view;
        const QRect rect = view.geometry();
        QCOMPARE(rect.size(), QSize(940, 640));
        QCOMPARE(rect.center(), QGuiApplication::primaryScreen()->availableGeometry().center());
    }

    void restartAfterClosingMaximisedReopensMaximised()
    {
        const QRect normalGeometry(60, 40, 980, 700);
        {
            MainView first;
            first.setGeometry(normalGeometry);
            QMetaObject::invokeMethod(&first, "onMaximize");
            QVERIFY(first.isMax());
        }
        QCOMPARE(Paths::settings()->value("mainview.state").toInt(), int(MainView::Maximized));
        QCOMPARE(Paths::settings()->value("mainview.geometry").toRect(), normalGeometry);

        MainView second;
        QCOMPARE(second.windowMode(), int(MainView::Maximized));
        QMetaObject::invokeMethod(&second, "onMaximize");
        QCOMPARE(second.windowMode(), int(MainView::Normal));
        QCOMPARE(second.geometry(), normalGeometry);
    }

    void leavingInFullScreenReopensInTheModeBefore()
    {
        {
            MainView first;
            QMetaObject::invokeMethod(&first, "onMaximize");
            QMetaObject::invokeMethod(&first, "onFullScreen");
            QVERIFY(first.isFull());
        }
        MainView second;
        QCOMPARE(second.windowMode(), int(MainView::Maximized));
    }

    void continueReadingReportsAMissingFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("gone.epub");
        MainView view;
        view.m_pages->setCurrentIndex(MainView::LibraryPage);
        view.m_currentBook = book(7, "Gone", path);
        MessageView::setNextAnswer(QDialogButtonBox::AcceptRole);
        QMetaObject::invokeMethod(&view, "continueReading");
        const auto shown = MessageView::shownMessages();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].title, QString("Failed to open file"));
        QCOMPARE(
            shown[0].text,
            QString("The file you are trying to open was not found by the following path: %1").arg(path));
        QCOMPARE(view.currentPage(), int(MainView::LibraryPage));

        // An empty file is there but is no book: the reader says so, naming
        // the file, and goes back to the library.
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        MessageView::setNextAnswer(QDialogButtonBox::AcceptRole);
        QMetaObject::invokeMethod(&view, "continueReading");
        const auto after = MessageView::shownMessages();
        QCOMPARE(after.size(), 2);
        QVERIFY(after[1].text.contains(QDir::toNativeSeparators(path)));
        QCOMPARE(view.currentPage(), int(MainView::LibraryPage));
    }

    void continueReadingWithoutBookDoesNothing()
    {
        MainView view;
        QMetaObject::invokeMethod(&view, "continueReading");
        QVERIFY(MessageView::shownMessages().isEmpty());
        QCOMPARE(view.currentPage(), int(MainView::StartPage));
    }

    void messagesAreSplitAndFiltered_data()
    {
        QTest::addColumn<QStringList>("parts");
        QTest::addColumn<QStringList>("existing");
        QTest::addColumn<QStringList>("added");
        QTest::addColumn<QString>("startReading");
        QTest::newRow("empty parts") << QStringList{"", "a.epub", "", ""} << QStringList{"a.epub"}
                                     << QStringList{"a.epub"} << "a.epub";
        QTest::newRow("missing paths dropped") << QStringList{"missing.epub", "a.epub", ""}
                                               << QStringList{"a.epub"} << QStringList{"a.epub"} << "a.epub";
        QTest::newRow("executable dropped")
            << QStringList{"@exe", "a.epub", ""} << QStringList{"@exe", "a.epub"} << QStringList{"a.epub"}
            << "a.epub";
        QTest::newRow("suffix case") << QStringList{"B.PDF", ""} << QStringList{"B.PDF"}
                                     << QStringList{"B.PDF"} << "B.PDF";
        QTest::newRow("unsupported only")
            << QStringList{"notes.txt", ""} << QStringList{"notes.txt"} << QStringList{} << "";
        QTest::newRow("folder named like a book")
            << QStringList{"shelf.epub", ""} << QStringList{"shelf.epub"} << QStringList{} << "";
        QTest::newRow("last one is read")
            << QStringList{"a.epub", "B.PDF", "c.Fb2", ""} << QStringList{"a.epub", "B.PDF", "c.Fb2"}
            << QStringList{"a.epub", "B.PDF", "c.Fb2"} << "c.Fb2";
        QTest::newRow("empty message") << QStringList{} << QStringList{} << QStringList{} << "";
    }

    void messagesAreSplitAndFiltered()
    {
        QFETCH(QStringList, parts);
        QFETCH(QStringList, existing);
        QFETCH(QStringList, added);
        QFETCH(QString, startReading);

        QTemporaryDir dir;
        for (const char* name : {"a.epub", "B.PDF", "c.Fb2", "notes.txt"}) {
            QFile file(dir.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QVERIFY(QDir(dir.path()).mkdir("shelf.epub"));
        auto resolve = [&](const QString& part) {
            if (part.isEmpty())
                return part;
            if (part == "@exe")
                return QCoreApplication::applicationFilePath();
            return dir.filePath(part);
        };
        auto resolveAll = [&](const QStringList& list) {
            QStringList out;
            for (const QString& part : list)
                out << resolve(part);
            return out;
        };

        MainView view;
        view.handleMessage(resolveAll(parts).join('|'));
        QCOMPARE(view.lastMessageFiles(), resolveAll(existing));
        QStringList requested;
        for (const QFileInfo& info : view.m_lastAddRequest)
            requested << info.filePath();
        QCOMPARE(requested, resolveAll(added));
        QCOMPARE(view.m_bookToStartReading, resolve(startReading));
    }

    void addDialogReportsUnsupportedFiles()
    {
        QTemporaryDir dir;
        MainView view;
        MessageView::setNextAnswer(QDialogButtonBox::AcceptRole);
        view.addChosenFiles({dir.filePath("scan.xps"), dir.filePath("novel.epub")});
        const auto shown = MessageView::shownMessages();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].title, QString("Unable to add document"));
        QCOMPARE(shown[0].text, QString("This file format is not supported."));
        QCOMPARE(view.m_lastAddRequest.size(), 1);
        QCOMPARE(view.m_lastAddRequest[0].fileName(), QString("novel.epub"));
        QCOMPARE(view.currentPage(), int(MainView::LibraryPage));
    }

    void titlesAndBookInfo()
    {
        MainView view;
        QMetaObject::invokeMethod(&view, "updateWindowTitle", Q_ARG(QString, "Emma"));
        QCOMPARE(view.windowTitle(), QString("Emma - Lanternleaf"));
        QCOMPARE(view.findChild<QLabel*>("windowBarLabel")->text(), QString("Emma - Lanternleaf"));
        QMetaObject::invokeMethod(&view, "updateWindowTitle", Q_ARG(QString, QString()));
        QCOMPARE(view.windowTitle(), QString("Lanternleaf"));

        view.resize(1200, 700);
        QMetaObject::invokeMethod(&view, "bookInfoChanged", Q_ARG(QString, "<b>War &amp; Peace</b> (12%)"),
                                  Q_ARG(QString, "<b>3</b> / 40"));
        QCOMPARE(view.findChild<QLabel*>("labelBookTitle")->text(), QString("War & Peace (12%)"));
        QCOMPARE(view.findChild<QLabel*>("labelBookProgress")->text(), QString("<b>3</b> / 40"));
    }

    void shortTitleIsNotCutInANarrowWindow()
    {
        // A window of 940 pixels on a 1280-pixel screen: the search field
        // gives way before "Moby-Dick (3%)" is cut.
        MainView view;
        view.m_currentBook = book(3, "Moby-Dick", "/nowhere/moby.mobi");
        view.m_pages->setCurrentIndex(MainView::ReadingPage);
        view.resize(940, 640);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QMetaObject::invokeMethod(&view, "bookInfoChanged", Q_ARG(QString, "<b>Moby-Dick</b> (3%)"),
                                  Q_ARG(QString, "<b>101-102</b> / 1610"));
        auto* title = view.findChild<QLabel*>("labelBookTitle");
        QCOMPARE(title->text(), QString("Moby-Dick (3%)"));
        QTRY_VERIFY(title->geometry().right() < view.findChild<QWidget*>("searchBox")->geometry().left());

        // A title too long for any window keeps its read share whole.
        const QString longTitle = QString("The Life and Strange Surprizing Adventures ").repeated(4);
        QMetaObject::invokeMethod(&view, "bookInfoChanged",
                                  Q_ARG(QString, "<b>" + longTitle + "</b> (12%)"),
                                  Q_ARG(QString, "<b>101-102</b> / 1610"));
        QVERIFY(title->text().endsWith(QChar(0x2026) + QString(" (12%)")));
        QVERIFY(title->text().startsWith("The Life"));
        auto* settings = view.findChild<QWidget*>("buttonSettings");
        QTRY_VERIFY(view.findChild<QWidget*>("searchBox")->geometry().right() < settings->geometry().left());
    }

    void overlaysSlideInAndOut()
    {
        MainView view;
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        auto* settings = static_cast<QWidget*>(view.findChild<SettingsView*>());
        auto* dim = view.findChild<QWidget*>("backgroundSettingsView");
        QVERIFY(settings && dim);

        QMetaObject::invokeMethod(&view, "onShowSettings");
        QVERIFY(settings->isVisible());
        QVERIFY(dim->isVisible());
        QTRY_COMPARE(settings->geometry(), view.m_overlays->panelRect(settings));

        QMetaObject::invokeMethod(&view, "onHideSettings");
        QTRY_VERIFY(!settings->isVisible());
        QTRY_VERIFY(!dim->isVisible());
    }

private:
    TestHome m_home;
};

QTEST_MAIN(TestMainView)
#include "TestMainView.moc"
