#include "BookModel.h"
#include "BookProvider.h"
#include "Button.h"
#include "FileDialogs.h"
#include "FolderModel.h"
#include "LibraryView.h"
#include "MessageView.h"
#include "Paths.h"
#include "ProgressDialog.h"
#include "WorkerTypes.h"
#include "util/TestHome.h"

#include <QDateTime>
#include <QDir>
#include <QtTest>

namespace {
void addBook(const QString& path, const QString& title)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("book " + title.toUtf8());
    file.close();
    BookDto book;
    book.full_path = path;
    book.title = title;
    book.format = 2;
    book.time_added = uint(QDateTime::currentSecsSinceEpoch());
    QVERIFY(BookProvider::instance()->addBook(book) > 0);
}
} // namespace

/// The Export and Import buttons of the library page drive the archive
/// workers through their file dialogs, progress dialog and message boxes.
class TestLibraryViewArchive : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { registerWorkerMetaTypes(); }

    void init()
    {
        m_home.wipe();
        QVERIFY(BookProvider::instance()->createConnection());
        FileDialogs::clearAnswers();
        MessageView::clearAnswers();
        MessageView::clearShownMessages();
        m_books.reset(new BookModel);
        m_folders.reset(new FolderModel);
        m_folders->selectAll();
    }

    void cleanup()
    {
        m_folders.reset();
        m_books.reset();
    }

    void exportThenImportThroughTheButtons()
    {
        QTemporaryDir dir;
        addBook(dir.path() + "/books/One.fb2", "One");
        addBook(dir.path() + "/books/Two.fb2", "Two");
        LibraryView view(m_books.get(), m_folders.get());
        auto* exportButton = view.findChild<Button*>("buttonExport");
        auto* importButton = view.findChild<Button*>("buttonImport");
        QVERIFY(exportButton->isEnabled());
        QVERIFY(importButton->isEnabled());

        // Export, then leave the folder closed (not the OK button).
        FileDialogs::setNextAnswer({dir.path() + "/backup"});
        MessageView::setNextAnswer(QDialogButtonBox::RejectRole);
        exportButton->click();
        QTRY_COMPARE_WITH_TIMEOUT(MessageView::shownMessages().size(), 1, 30000);
        QCOMPARE(MessageView::shownMessages()[0].title, QString("Export complete"));
        QVERIFY(QFileInfo(dir.path() + "/backup.lvx").isFile());
        QTRY_VERIFY(view.findChildren<ProgressDialog*>().isEmpty());

        // Into an empty library; the books land in the "library_folder".
        m_home.wipe();
        QVERIFY(BookProvider::instance()->createConnection());
        Paths::settings()->setValue("library_folder", dir.path() + "/imported");
        m_books->selectAll();
        FileDialogs::setNextAnswer({dir.path() + "/backup.lvx"});
        MessageView::setNextAnswer(QDialogButtonBox::AcceptRole);
        importButton->click();
        QTRY_COMPARE_WITH_TIMEOUT(MessageView::shownMessages().size(), 2, 30000);
        QCOMPARE(MessageView::shownMessages()[1].title, QString("Import complete"));
        QCOMPARE(MessageView::shownMessages()[1].text,
                 QString("2 file(s) were successfully imported into the Library"));
        QCOMPARE(view.findChild<Button*>("buttonAll")->text(), QString("All (2)"));
        QVERIFY(QFileInfo(dir.path() + "/imported/One.fb2").isFile());
        QVERIFY(QFileInfo(dir.path() + "/imported/Two.fb2").isFile());
    }

    void failuresAreShown()
    {
        QTemporaryDir dir;
        LibraryView view(m_books.get(), m_folders.get());
        FileDialogs::setNextAnswer({dir.path() + "/empty.lvx"});
        MessageView::setNextAnswer(QDialogButtonBox::AcceptRole);
        view.findChild<Button*>("buttonExport")->click();
        QTRY_COMPARE_WITH_TIMEOUT(MessageView::shownMessages().size(), 1, 30000);
        QCOMPARE(MessageView::shownMessages()[0].title, QString("Export failed"));
        QCOMPARE(MessageView::shownMessages()[0].text, QString("Library is empty"));
        QVERIFY(!QFileInfo::exists(dir.path() + "/empty.lvx"));

        QFile foreign(dir.path() + "/foreign.lvx");
        QVERIFY(foreign.open(QIODevice::WriteOnly));
        foreign.write("not an archive");
        foreign.close();
        FileDialogs::setNextAnswer({foreign.fileName()});
        MessageView::setNextAnswer(QDialogButtonBox::AcceptRole);
        view.findChild<Button*>("buttonImport")->click();
        QTRY_COMPARE_WITH_TIMEOUT(MessageView::shownMessages().size(), 2, 30000);
        QCOMPARE(MessageView::shownMessages()[1].title, QString("Import failed"));
        QCOMPARE(MessageView::shownMessages()[1].text, QString("Container corrupted"));
    }

    void cancelledDialogDoesNothing()
    {
        LibraryView view(m_books.get(), m_folders.get());
        FileDialogs::setNextAnswer({});
        view.findChild<Button*>("buttonImport")->click();
        FileDialogs::setNextAnswer({});
        view.findChild<Button*>("buttonExport")->click();
        QTest::qWait(50);
        QVERIFY(view.findChildren<ProgressDialog*>().isEmpty());
        QVERIFY(MessageView::shownMessages().isEmpty());
    }

private:
    TestHome m_home;
    std::unique_ptr<BookModel> m_books;
    std::unique_ptr<FolderModel> m_folders;
};

QTEST_MAIN(TestLibraryViewArchive)
#include "TestLibraryViewArchive.moc"
