#include "BookProvider.h"
#include "BookSortFilterModel.h"
#include "FileDialogs.h"
#include "LibraryView.h"
#include "MainView.h"
#include "MessageView.h"
#include "WorkerTypes.h"
#include "util/Fb2Builder.h"
#include "util/TestHome.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

namespace {
QString writeBook(const QString& dir, const QString& title)
{
    return Fb2Builder()
        .title(title)
        .author("Ann", "Writer")
        .body(Fb2Builder::section("1", {"Text"}))
        .write(dir, title + ".fb2");
}
} // namespace

/// The main window's side of the library: the add dialog, the add-folder
/// button and the start page giving way once books are there.
class TestMainViewLibrary : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { registerWorkerMetaTypes(); }

    void init()
    {
        m_home.wipe();
        QVERIFY(BookProvider::instance()->createConnection());
        MessageView::clearAnswers();
        MessageView::clearShownMessages();
        FileDialogs::clearAnswers();
    }

    void addDialogReportsFilesItCannotAdd()
    {
        QTemporaryDir dir;
        const QString known = writeBook(dir.path(), "Known");
        BookDto book;
        book.title = "Known";
        book.format = 2;
        book.full_path = QDir::toNativeSeparators(known);
        QVERIFY(BookProvider::instance()->addBook(book) > 0);
        QFile xps(dir.filePath("scan.xps"));
        QVERIFY(xps.open(QIODevice::WriteOnly));
        xps.close();

        MainView view;
        QCOMPARE(view.currentPage(), int(MainView::LibraryPage));
        FileDialogs::setNextAnswer({xps.fileName(), known});
        MessageView::setNextAnswer(QDialogButtonBox::AcceptRole);
        MessageView::setNextAnswer(QDialogButtonBox::AcceptRole);
        view.findChild<QPushButton*>("buttonAddBook")->click();

        const auto shown = MessageView::shownMessages();
        QCOMPARE(shown.size(), 2);
        QCOMPARE(shown[0].title, QString("Unable to add document"));
        QCOMPARE(shown[0].text, QString("This file format is not supported."));
        QCOMPARE(shown[1].title, QString("Unable to add document"));
        QCOMPARE(shown[1].text, QString("The document Known.fb2 has already been added"));
        QCOMPARE(BookProvider::instance()->allBookCount(), 1);
    }

    void cancelledAddDialogDoesNothing()
    {
        MainView view;
        FileDialogs::setNextAnswer({});
        view.findChild<QPushButton*>("buttonAddBook")->click();
        QVERIFY(MessageView::shownMessages().isEmpty());
        QCOMPARE(view.currentPage(), int(MainView::StartPage));
    }

    void startPageGivesWayAfterTheFirstAdd()
    {
        QTemporaryDir dir;
        writeBook(dir.path(), "Emma");
        writeBook(dir.path(), "Persuasion");
        MainView view;
        QCOMPARE(view.currentPage(), int(MainView::StartPage));
        auto* library = view.findChild<LibraryView*>();
        QSignalSpy complete(library, &LibraryView::addComplete);
        FileDialogs::setNextAnswer({dir.path()});
        MessageView::setNextAnswer(QDialogButtonBox::AcceptRole);
        view.findChild<QPushButton*>("buttonAddFolder")->click();
        QTRY_COMPARE_WITH_TIMEOUT(complete.count(), 1, 20000);

        QCOMPARE(view.currentPage(), int(MainView::LibraryPage));
        QCOMPARE(MessageView::shownMessages().size(), 1);
        QCOMPARE(MessageView::shownMessages()[0].text,
                 QString("2 file(s) were successfully added into the Library"));
        QCOMPARE(library->searchModel()->rowCount(), 2);
    }

    void commandLineAddsNewBooksBeforeOpeningTheLast()
    {
        QTemporaryDir dir;
        const QString emma = writeBook(dir.path(), "Emma");
        MainView view;
        auto* library = view.findChild<LibraryView*>();
        QSignalSpy complete(library, &LibraryView::addComplete);
        view.handleMessage(emma + "|");
        QTRY_COMPARE_WITH_TIMEOUT(complete.count(), 1, 20000);
        // Added quietly (no result box), then opened.
        QVERIFY(MessageView::shownMessages().isEmpty());
        QCOMPARE(BookProvider::instance()->bookCount(), 1);
        QTRY_COMPARE(view.currentPage(), int(MainView::ReadingPage));
    }

private:
    TestHome m_home;
};

QTEST_MAIN(TestMainViewLibrary)
#include "TestMainViewLibrary.moc"
