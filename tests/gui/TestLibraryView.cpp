#include "BookContextMenu.h"
#include "BookListView.h"
#include "BookModel.h"
#include "BookProvider.h"
#include "BookSortFilterModel.h"
#include "BookTable.h"
#include "Button.h"
#include "FolderListView.h"
#include "FolderModel.h"
#include "LibraryView.h"
#include "MessageView.h"
#include "WorkerTypes.h"
#include "util/Fb2Builder.h"
#include "util/TestHome.h"

#include <QLabel>
#include <QMimeData>
#include <QSignalSpy>
#include <QtTest>

namespace {
int addBook(const QString& title, int format = 2, bool deleted = false, bool favorite = false)
{
    BookDto book;
    book.title = title;
    book.author = "Author of " + title;
    book.full_path = "/books/" + title + "." + BookModel::formatName(format);
    book.format = format;
    book.time_added = uint(QDateTime::currentSecsSinceEpoch());
    book.is_deleted = deleted ? 1 : 0;
    book.is_favorite = favorite ? 1 : 0;
    return BookProvider::instance()->addBook(book);
}

QStringList shownTitles(const QAbstractItemModel* model)
{
    QStringList titles;
    for (int row = 0; row < model->rowCount(); ++row)
        titles << model->index(row, BookModel::ColumnTitle).data(BookModel::TitleRole).toString();
    titles.sort();
    return titles;
}

QStringList actionNames(const QMenu& menu)
{
    QStringList names;
    for (QAction* action : menu.actions()) {
        if (action->isSeparator())
            continue;
        names << (action->menu() ? action->menu()->objectName() : action->objectName());
    }
    return names;
}
} // namespace

class TestLibraryView : public QObject
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
        m_books.reset(new BookModel);
        m_folders.reset(new FolderModel);
        m_folders->selectAll();
    }

    void cleanup()
    {
        m_folders.reset();
        m_books.reset();
    }

    void trashModeSwapsButtonsAndColumns()
    {
        LibraryView view(m_books.get(), m_folders.get());
        auto hidden = [&](const char* name) { return view.findChild<QWidget*>(name)->isHidden(); };
        const QList<const char*> normal{"buttonClearLibrary", "buttonExport", "buttonImport"};
        const QList<const char*> trash{"buttonClearTrash", "buttonRestoreAll"};

        view.findChild<Button*>("buttonLeftSideDelete")->click();
        QVERIFY(view.isTrashMode());
        for (const char* name : normal)
            QVERIFY2(hidden(name), name);
        for (const char* name : trash)
            QVERIFY2(!hidden(name), name);
        QVERIFY(view.table()->isColumnHidden(BookModel::ColumnFavorite));
        QVERIFY(!view.table()->isColumnHidden(BookModel::ColumnRestore));

        view.findChild<Button*>("buttonAll")->click();
        QVERIFY(!view.isTrashMode());
        for (const char* name : normal)
            QVERIFY2(!hidden(name), name);
        for (const char* name : trash)
            QVERIFY2(hidden(name), name);
        QVERIFY(!view.table()->isColumnHidden(BookModel::ColumnFavorite));
        QVERIFY(view.table()->isColumnHidden(BookModel::ColumnRestore));
        QVERIFY(view.table()->isColumnHidden(BookModel::ColumnFormat));
    }

    void markClicksAskThenAct_data()
    {
        QTest::addColumn<bool>("inTrash");
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("asks");
        QTest::addColumn<QString>("outcome"); // "kept", "trash", "gone", "restored", "favorite"
        QTest::newRow("delete mark, confirmed")
            << false << 7 << int(QDialogButtonBox::AcceptRole) << true << "trash";
        QTest::newRow("delete mark, cancelled")
            << false << 7 << int(QDialogButtonBox::RejectRole) << true << "kept";
        QTest::newRow("delete mark, box closed") << false << 7 << MessageView::CloseAnswer << true << "kept";
        QTest::newRow("in trash, confirmed")
            << true << 7 << int(QDialogButtonBox::AcceptRole) << true << "gone";
        QTest::newRow("in trash, cancelled")
            << true << 7 << int(QDialogButtonBox::RejectRole) << true << "trash";
        QTest::newRow("restore mark") << true << 6 << -1 << false << "restored";
        QTest::newRow("star") << false << 5 << -1 << false << "favorite";
    }

    void markClicksAskThenAct()
    {
        QFETCH(bool, inTrash);
        QFETCH(int, column);
        QFETCH(int, answer);
        QFETCH(bool, asks);
        QFETCH(QString, outcome);

        const int id = addBook("Emma", 2, inTrash);
        LibraryView view(m_books.get(), m_folders.get());
        view.findChild<Button*>(inTrash ? "buttonLeftSideDelete" : "buttonAll")->click();
        QCOMPARE(view.searchModel()->rowCount(), 1);
        if (answer != -1)
            MessageView::setNextAnswer(answer);
        QMetaObject::invokeMethod(&view, "onBookTableClick",
                                  Q_ARG(QModelIndex, view.searchModel()->index(0, column)));

        const auto shown = MessageView::shownMessages();
        QCOMPARE(shown.size(), asks ? 1 : 0);
        if (asks) {
            QCOMPARE(shown[0].title, QString("Delete book"));
            QCOMPARE(shown[0].text, QString("Are you sure you want to delete this book?"));
        }
        const BookDto book = BookProvider::instance()->getBookById(id);
        if (outcome == "gone") {
            QVERIFY(book.id <= 0);
            return;
        }
        QCOMPARE(book.id, id);
        QCOMPARE(book.is_deleted, outcome == "trash" ? 1 : 0);
        QCOMPARE(book.is_favorite, outcome == "favorite" ? 1 : 0);
        // The view follows the change: the book left or stayed in the list shown.
        const bool stillShown = outcome == (inTrash ? "trash" : "kept") || outcome == "favorite";
        QCOMPARE(view.searchModel()->rowCount(), stillShown ? 1 : 0);
    }

    void searchWithoutMatchShowsTheEmptyLabel()
    {
        addBook("Persuasion");
        addBook("Emma");
        LibraryView view(m_books.get(), m_folders.get());
        view.findChild<Button*>("buttonAll")->click();

        view.filterBooks("xyz");
        for (QLabel* label : {view.table()->emptyLabel(), view.shelf()->emptyLabel()}) {
            QVERIFY(!label->isHidden());
            QCOMPARE(label->text(), QString("No eBooks found for 'xyz'"));
        }
        view.filterBooks("EMM");
        QCOMPARE(shownTitles(view.searchModel()), QStringList{"Emma"});
        QVERIFY(view.table()->emptyLabel()->isHidden());
        view.filterBooks("xyz");
        view.filterBooks("");
        QCOMPARE(view.searchModel()->rowCount(), 2);
        QVERIFY(view.table()->emptyLabel()->isHidden());
        QVERIFY(view.shelf()->emptyLabel()->isHidden());
    }

    void contextMenuEntries_data()
    {
        QTest::addColumn<bool>("categories");
        QTest::addColumn<bool>("inCategory");
        QTest::addColumn<bool>("deleted");
        QTest::addColumn<bool>("favorite");
        QTest::addColumn<QStringList>("entries");
        QTest::newRow("no categories") << false << false << false << false
                                       << QStringList{"actionRead", "actionEdit", "actionToFavorites",
                                                      "actionRemove", "actionProperties"};
        QTest::newRow("categories, book outside")
            << true << false << false << true
            << QStringList{"actionRead", "actionEdit",   "actionFromFavorites",
                           "menuMoveTo", "actionRemove", "actionProperties"};
        QTest::newRow("book in a category")
            << true << true << false << false
            << QStringList{"actionRead",      "actionEdit",   "actionToFavorites",
                           "menuMoveTo",      "actionRemove", "actionRemoveFromCategory",
                           "actionProperties"};
        QTest::newRow("book in the trash")
            << true << false << true << false
            << QStringList{"actionRead", "actionRestore", "actionDeleteFromLibrary", "actionProperties"};
    }

    void contextMenuEntries()
    {
        QFETCH(bool, categories);
        QFETCH(bool, inCategory);
        QFETCH(bool, deleted);
        QFETCH(bool, favorite);
        QFETCH(QStringList, entries);

        const int id = addBook("Kim & Co", 2, deleted, favorite);
        if (categories) {
            m_folders->addNewCategory();
            m_folders->addNewCategory();
        }
        const int first = categories ? m_folders->index(0, 0).data(FolderModel::IdRole).toInt() : 0;
        const int second = categories ? m_folders->index(1, 0).data(FolderModel::IdRole).toInt() : 0;
        if (inCategory)
            m_folders->addToCategory(id, first);
        m_books->selectByCategory(deleted ? CategoryDeleted : CategoryAll);
        const QModelIndex book = m_books->index(0, 0);

        BookContextMenu menu(book, m_folders.get());
        QCOMPARE(actionNames(menu), entries);
        QCOMPARE(menu.actions().first()->text(), QString("Read Kim && Co"));

        if (categories && !deleted) {
            auto* moveTo = menu.findChild<QMenu*>("menuMoveTo");
            QCOMPARE(moveTo->actions().size(), 2);
            QCOMPARE(moveTo->actions()[1]->data().toInt(), second);
            QSignalSpy toFolder(&menu, &BookContextMenu::toFolder);
            moveTo->actions()[1]->trigger();
            QCOMPARE(toFolder.count(), 1);
            QCOMPARE(toFolder[0][0].toModelIndex(), book);
            QCOMPARE(toFolder[0][1].toInt(), second);
        }
        if (inCategory) {
            QSignalSpy fromCategory(&menu, &BookContextMenu::deleteFromCategory);
            menu.findChild<QAction*>("actionRemoveFromCategory")->trigger();
            QCOMPARE(fromCategory.count(), 1);
            QCOMPARE(fromCategory[0][1].toInt(), first);
        }
    }

    void addingReportsTheCountAndUpdatesTheButtons()
    {
        addBook("Already there");
        QTemporaryDir dir;
        QFileInfoList files;
        for (const char* title : {"One", "Two", "Three"}) {
            files << QFileInfo(Fb2Builder()
                                   .title(title)
                                   .author("Ann", "Writer")
                                   .cover("c.png")
                                   .image("c.png", Fb2Builder::makeImage(60, 90))
                                   .body(Fb2Builder::section("1", {"Text"}))
                                   .write(dir.path(), QString(title) + ".fb2"));
        }
        LibraryView view(m_books.get(), m_folders.get());
        QSignalSpy complete(&view, &LibraryView::addComplete);
        MessageView::setNextAnswer(QDialogButtonBox::AcceptRole);
        view.onAddFiles(files);
        QTRY_COMPARE_WITH_TIMEOUT(complete.count(), 1, 20000);

        const auto shown = MessageView::shownMessages();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].title, QString("Add complete"));
        QCOMPARE(shown[0].text, QString("3 file(s) were successfully added into the Library"));
        QCOMPARE(view.findChild<Button*>("buttonAll")->text(), QString("All (4)"));
        QVERIFY(view.findChild<Button*>("buttonAll")->isChecked());
        QCOMPARE(shownTitles(view.searchModel()), QStringList({"Already there", "One", "Three", "Two"}));
        for (int row = 0; row < view.searchModel()->rowCount(); ++row) {
            const QModelIndex index = view.searchModel()->index(row, 0);
            if (index.data(BookModel::TitleRole).toString() != "Already there")
                QVERIFY(QFileInfo::exists(index.data(BookModel::CoverRole).toString()));
        }
    }

    // Files that cannot be read are named in the summary with their reason,
    // also when the files came without a summary (dropped, command line).
    void addingNamesUnreadableFiles_data()
    {
        QTest::addColumn<bool>("withMessage");
        QTest::newRow("add dialog") << true;
        QTest::newRow("command line") << false;
    }
    void addingNamesUnreadableFiles()
    {
        QFETCH(bool, withMessage);
        QTemporaryDir dir;
        Fb2Builder().title("Sound").body(Fb2Builder::section("1", {"Text"})).write(dir.path(), "sound.fb2");
        QFile broken(dir.path() + "/broken.fb2");
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write("<?xml version=\"1.0\"?><FictionBook><description><title-info>");
        broken.close();
        LibraryView view(m_books.get(), m_folders.get());
        QSignalSpy complete(&view, &LibraryView::addComplete);
        MessageView::setNextAnswer(QDialogButtonBox::AcceptRole);
        view.onAddFiles({QFileInfo(dir.path())}, withMessage);
        QTRY_COMPARE_WITH_TIMEOUT(complete.count(), 1, 20000);

        const auto shown = MessageView::shownMessages();
        QCOMPARE(shown.size(), 1);
        const QString refused =
            "1 file(s) were added but cannot be opened:\nbroken.fb2: The file is damaged.";
        if (withMessage) {
            QCOMPARE(shown[0].title, QString("Add complete"));
            QCOMPARE(shown[0].text,
                     QString("2 file(s) were successfully added into the Library\n\n") + refused);
        } else {
            QCOMPARE(shown[0].title, QString("Add books"));
            QCOMPARE(shown[0].text, refused);
        }
        // The unreadable file is listed under its name, like a PDF waiting
        // for its password.
        QCOMPARE(BookProvider::instance()->bookCount(), 2);
    }

    // However many books, the lists are read again once, at the end.
    void addingRefreshesTheListsOnce_data()
    {
        QTest::addColumn<bool>("withMessage");
        QTest::newRow("add dialog") << true;
        QTest::newRow("command line") << false;
    }
    void addingRefreshesTheListsOnce()
    {
        QFETCH(bool, withMessage);
        QTemporaryDir dir;
        for (int i = 0; i < 40; ++i)
            Fb2Builder().title(QString::number(i)).write(dir.path(), QStringLiteral("%1.fb2").arg(i));
        LibraryView view(m_books.get(), m_folders.get());
        view.findChild<Button*>("buttonAll")->click();
        QSignalSpy resets(m_books.get(), &QAbstractItemModel::modelReset);
        QSignalSpy complete(&view, &LibraryView::addComplete);
        MessageView::setNextAnswer(QDialogButtonBox::AcceptRole);
        view.onAddFiles({QFileInfo(dir.path())}, withMessage);
        QTRY_COMPARE_WITH_TIMEOUT(complete.count(), 1, 20000);
        QCOMPARE(resets.count(), 1);
        QCOMPARE(view.searchModel()->rowCount(), 40);
        QCOMPARE(view.findChild<Button*>("buttonAll")->text(), QString("All (40)"));
    }

    void lastCategoryIsRestored_data()
    {
        QTest::addColumn<QString>("choice"); // a button name, or "category"
        QTest::addColumn<QStringList>("titles");
        QTest::newRow("favourites") << "buttonFavorites" << QStringList{"Emma"};
        QTest::newRow("trash") << "buttonLeftSideDelete" << QStringList{"Old"};
        QTest::newRow("format") << "pdf" << QStringList{"Scan"};
        QTest::newRow("custom category") << "category" << QStringList{"Persuasion"};
    }

    void lastCategoryIsRestored()
    {
        QFETCH(QString, choice);
        QFETCH(QStringList, titles);
        addBook("Emma", 2, false, true);
        addBook("Old", 2, true);
        addBook("Scan", 3);
        const int persuasion = addBook("Persuasion", 0);
        m_folders->addNewCategory();
        m_folders->addNewCategory();
        const int category = m_folders->index(1, 0).data(FolderModel::IdRole).toInt();
        m_folders->addToCategory(persuasion, category);
        {
            LibraryView first(m_books.get(), m_folders.get());
            first.readSettings();
            if (choice == "category") {
                const QModelIndex index = m_folders->categoryIndex(category);
                QMetaObject::invokeMethod(&first, "onFolderTableClick", Q_ARG(QModelIndex, index));
            } else if (choice == "pdf") {
                first.findChild<Button*>("buttonFormats")->click();
                const QList<Button*> formats = first.findChildren<Button*>("buttonFormat");
                formats.at(3)->click();
            } else {
                first.findChild<Button*>(choice)->click();
            }
            QCOMPARE(shownTitles(first.searchModel()), titles);
        }
        m_books.reset(new BookModel);
        m_folders.reset(new FolderModel);
        m_folders->selectAll();
        LibraryView second(m_books.get(), m_folders.get());
        QCOMPARE(m_books->rowCount(), 0);
        second.readSettings();
        QCOMPARE(shownTitles(second.searchModel()), titles);
        if (choice == "category") {
            QCOMPARE(second.categoryList()->currentIndex().data(FolderModel::IdRole).toInt(), category);
            for (Button* button : second.findChildren<Button*>())
                QVERIFY(!button->isChecked());
        } else if (choice == "pdf") {
            QVERIFY(second.findChild<Button*>("buttonFormatsExpanded"));
            QVERIFY(second.findChildren<Button*>("buttonFormat").at(3)->isChecked());
        } else {
            QVERIFY(second.findChild<Button*>(choice)->isChecked());
        }
        QCOMPARE(second.isTrashMode(), choice == "buttonLeftSideDelete");
    }

    void aVanishedCategoryFallsBackToAllBooks()
    {
        addBook("Emma");
        m_folders->addNewCategory();
        const int category = m_folders->index(0, 0).data(FolderModel::IdRole).toInt();
        {
            LibraryView first(m_books.get(), m_folders.get());
            QMetaObject::invokeMethod(&first, "onFolderTableClick",
                                      Q_ARG(QModelIndex, m_folders->index(0, 0)));
        }
        m_folders->remove(category);
        LibraryView second(m_books.get(), m_folders.get());
        second.readSettings();
        QVERIFY(second.findChild<Button*>("buttonAll")->isChecked());
        QCOMPARE(shownTitles(second.searchModel()), QStringList{"Emma"});
    }

    void formatsListShowsOnlyPresentFormats()
    {
        LibraryView view(m_books.get(), m_folders.get());
        view.findChild<Button*>("buttonAll")->click();
        QVERIFY(view.findChild<Button*>("buttonFormats")->isHidden());

        addBook("Scan", 3);
        addBook("Atlas", 3);
        addBook("Emma", 2);
        addBook("Trashed", 0, true);
        view.findChild<Button*>("buttonAll")->click();
        QVERIFY(!view.findChild<Button*>("buttonFormats")->isHidden());
        const QList<Button*> buttons = view.findChildren<Button*>("buttonFormat");
        QCOMPARE(buttons.size(), 8);
        QStringList shown;
        for (Button* button : buttons) {
            if (!button->isHidden())
                shown << button->text();
        }
        QCOMPARE(shown, QStringList({"fb2 (1)", "pdf (2)"}));
    }

    void draggingABookOntoACategoryMovesIt()
    {
        const int emma = addBook("Emma");
        m_folders->addNewCategory();
        m_folders->addNewCategory();
        const int poetry = m_folders->index(0, 0).data(FolderModel::IdRole).toInt();
        const int prose = m_folders->index(1, 0).data(FolderModel::IdRole).toInt();
        m_folders->addToCategory(emma, poetry);

        LibraryView view(m_books.get(), m_folders.get());
        view.resize(1000, 700);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        view.findChild<Button*>("buttonAll")->click();
        view.shelf()->setCurrentIndex(view.searchModel()->index(0, 0));
        const QModelIndexList selected = view.shelf()->selectionModel()->selectedIndexes();
        QVERIFY(!selected.isEmpty());
        std::unique_ptr<QMimeData> data(view.searchModel()->mimeData(selected));

        FolderListView* list = view.categoryList();
        const QPoint target = list->visualRect(m_folders->index(1, 0)).center();
        QDragEnterEvent enter(target, Qt::CopyAction | Qt::MoveAction, data.get(), Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(list->viewport(), &enter);
        QVERIFY(enter.isAccepted());
        QDragMoveEvent move(target, Qt::CopyAction | Qt::MoveAction, data.get(), Qt::LeftButton,
                            Qt::NoModifier);
        QApplication::sendEvent(list->viewport(), &move);
        QVERIFY(move.isAccepted());
        QDropEvent drop(target, Qt::CopyAction | Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(list->viewport(), &drop);

        QCOMPARE(BookProvider::instance()->categoryOfBook(emma), prose);
        QCOMPARE(m_folders->categoryIndex(poetry).data(FolderModel::BookCountRole).toInt(), 0);
        QCOMPARE(m_folders->categoryIndex(prose).data(FolderModel::BookCountRole).toInt(), 1);
    }

    void removingTheShownCategoryShowsAllBooks()
    {
        addBook("Emma");
        m_folders->addNewCategory();
        LibraryView view(m_books.get(), m_folders.get());
        const QModelIndex index = m_folders->index(0, 0);
        QMetaObject::invokeMethod(&view, "onFolderTableClick", Q_ARG(QModelIndex, index));
        QCOMPARE(view.searchModel()->rowCount(), 0);

        MessageView::setNextAnswer(QDialogButtonBox::RejectRole);
        QMetaObject::invokeMethod(&view, "onRemoveFolder", Q_ARG(QModelIndex, index));
        QCOMPARE(m_folders->rowCount(), 1);
        MessageView::setNextAnswer(QDialogButtonBox::AcceptRole);
        QMetaObject::invokeMethod(&view, "onRemoveFolder", Q_ARG(QModelIndex, m_folders->index(0, 0)));
        QCOMPARE(MessageView::shownMessages().last().text,
                 QString("Are you sure you want to delete this folder?"));
        QCOMPARE(m_folders->rowCount(), 0);
        QVERIFY(view.findChild<Button*>("buttonAll")->isChecked());
        QCOMPARE(view.searchModel()->rowCount(), 1);
    }

    void viewSwitchRenamesTheButton()
    {
        LibraryView view(m_books.get(), m_folders.get());
        QCOMPARE(view.currentViewIndex(), int(LibraryView::TableView));
        view.findChild<Button*>("buttonSwitchShelfView")->click();
        QCOMPARE(view.currentViewIndex(), int(LibraryView::ShelfView));
        QVERIFY(view.findChild<Button*>("buttonSwitchTableView"));
        // One selection for both views.
        QCOMPARE(view.shelf()->selectionModel(), view.table()->selectionModel());
    }

private:
    TestHome m_home;
    std::unique_ptr<BookModel> m_books;
    std::unique_ptr<FolderModel> m_folders;
};

QTEST_MAIN(TestLibraryView)
#include "TestLibraryView.moc"
