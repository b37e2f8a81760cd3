#include "BookProvider.h"
#include "BookmarkModel.h"
#include "BookmarkTable.h"
#include "BookmarkTableDelegate.h"
#include "MainView.h"
#include "MessageView.h"
#include "SearchModel.h"
#include "SearchTableDelegate.h"
#include "SearchView.h"
#include "Settings.h"
#include "TextDocument.h"
#include "TocModel.h"
#include "TocView.h"
#include "UserContext.h"
#include "util/Fb2Builder.h"
#include "util/TestHome.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardItemModel>
#include <QTableView>
#include <QTemporaryDir>
#include <QTextDocumentFragment>
#include <QTreeView>
#include <QtTest>

namespace {

QString paragraph(int chapter, int n)
{
    return QStringLiteral("Chapter %1, paragraph %2: the lamplighter walked the long street while the wind "
                          "carried the leaves past every shuttered window of the sleeping town.")
        .arg(chapter)
        .arg(n);
}

QString chapter(int number)
{
    QStringList paragraphs;
    for (int p = 0; p < 30; ++p)
        paragraphs << paragraph(number, p);
    return Fb2Builder::section(QStringLiteral("Chapter %1").arg(number), paragraphs);
}

// Finds results in steps of two, five steps in all, and notes what the list
// showed at each step and what else ran in between.
class SteppedDocument final : public IDocument
{
public:
    SteppedDocument() = default;
    virtual ~SteppedDocument() = default;
    bool searchStep(const QString& text, qint64& state, int budgetMs, QList<SearchResult>& results) override
    {
        Q_UNUSED(budgetMs)
        if (state == 0)
            queries << text;
        steps << (model ? model->rowCount() : -1);
        for (int i = 0; i < 2; ++i) {
            SearchResult r;
            r.page = int(state) + 1;
            r.position = int(state) * 10 + i;
            r.text = text;
            results << r;
        }
        ++state;
        return state < 5;
    }
    void clearSearch() override { ++cleared; }

    const SearchModel* model = nullptr;
    QStringList queries;
    QList<int> steps;
    int cleared = 0;
};

} // namespace

class TestPanels : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(m_books.isValid());
        // The book, two parts, three chapters in each; the chapters hold the text.
        const QString body = QStringLiteral("<title><p>Lamplighter</p></title>"
                                            "<section><title><p>Part One</p></title>%1%2%3</section>"
                                            "<section><title><p>Part Two</p></title>%4%5%6</section>")
                                 .arg(chapter(1), chapter(2), chapter(3), chapter(4), chapter(5), chapter(6));
        m_bookPath = Fb2Builder().title("Lamplighter").body(body).write(m_books.path(), "lamp.fb2");
    }

    void init()
    {
        m_home.wipe();
        QVERIFY(BookProvider::instance()->createConnection());
        Settings::instance()->load();
        ReaderSettings data = Settings::instance()->data();
        data.columnCount = 1;
        Settings::instance()->setData(data, true);
        MessageView::clearAnswers();
        MessageView::clearShownMessages();
    }

    // ------------------------------------------------------------ contents

    void contentsListNestedChaptersAndMarkTheCurrentOne()
    {
        MainView view;
        TextDocument* doc = openBook(view);
        QVERIFY(doc);
        const QList<TocPoint> toc = doc->toc();
        QCOMPARE(toc.size(), 1);
        QCOMPARE(toc.at(0).children.size(), 2);
        QCOMPARE(toc.at(0).children.at(1).children.size(), 3);
        const TocPoint chapter5 = toc.at(0).children.at(1).children.at(1);
        // Far enough into the chapter that the page begins in it.
        view.userContext()->navigateToPosition(chapter5.position + 2500);

        click(view, "buttonContents");
        auto* panel = view.findChild<TocView*>();
        QVERIFY(panel);
        QCOMPARE(panel->objectName(), QString("settingsViewContent"));
        QTRY_VERIFY(panel->isVisible());
        auto* tree = panel->findChild<QTreeView*>("tocTreeView");
        QAbstractItemModel* model = tree->model();
        QCOMPARE(model->rowCount(), 1);
        const QModelIndex book = model->index(0, 0);
        QCOMPARE(book.data().toString(), QString("Lamplighter"));
        QCOMPARE(model->rowCount(book), 2);
        QCOMPARE(model->index(0, 0, book).data().toString(), QString("Part One"));
        const QModelIndex partTwo = model->index(1, 0, book);
        QCOMPARE(model->rowCount(partTwo), 3);
        int lastPage = 0;
        for (int row = 0; row < 3; ++row) {
            QCOMPARE(model->index(row, 0, partTwo).data().toString(),
                     QStringLiteral("Chapter %1").arg(row + 4));
            const int page = model->index(row, 1, partTwo).data().toInt();
            QVERIFY(page > lastPage);
            lastPage = page;
        }
        // The chapter being read is current, bold and in view.
        const QModelIndex current = tree->currentIndex();
        QCOMPARE(current.data().toString(), QString("Chapter 5"));
        QVERIFY(current.data(Qt::FontRole).value<QFont>().bold());
        QTRY_VERIFY(tree->viewport()->rect().intersects(tree->visualRect(current)));
        QCOMPARE(tree->header()->sectionSize(1), 54);
        // The page under the panel is dimmed by a translucent colour, not an
        // effect that would repaint over patches of the panel.
        QWidget* dim = view.findChild<QWidget*>("backgroundSettingsView");
        QVERIFY(dim->isVisible() && !dim->graphicsEffect());

        // The keys move through the tree; Enter opens the chapter.
        view.activateWindow();
        QTRY_VERIFY(tree->hasFocus());
        QTest::keyClick(tree, Qt::Key_Down);
        QCOMPARE(tree->currentIndex().data().toString(), QString("Chapter 6"));
        QTest::keyClick(tree, Qt::Key_Return);
        QCOMPARE(doc->page(),
                 doc->calcPageByPosition(tree->currentIndex().data(TocModel::PositionRole).toInt()));
        QTRY_VERIFY(!panel->isVisible());

        // A double click goes to the chapter and closes the panel.
        click(view, "buttonContents");
        QTRY_VERIFY(panel->isVisible());
        // (The panel was filled again: indexes from before are gone.)
        const QModelIndex chapter2 = model->index(1, 0, model->index(0, 0, model->index(0, 0)));
        doubleClick(tree->viewport(), tree->visualRect(chapter2).center());
        QCOMPARE(doc->page(), doc->calcPageByPosition(chapter2.data(TocModel::PositionRole).toInt()));
        QTRY_VERIFY(!panel->isVisible());
    }

    void escapeAndCancelLeaveThePlace()
    {
        MainView view;
        TextDocument* doc = openBook(view);
        QVERIFY(doc);
        doc->setPage(3);
        auto* panel = view.findChild<TocView*>();
        for (const char* how : {"Escape", "CANCEL", "close", "back"}) {
            click(view, "buttonContents");
            QTRY_VERIFY(panel->isVisible());
            // The tree's selection is another chapter: leaving must not go there.
            auto* tree = panel->findChild<QTreeView*>("tocTreeView");
            tree->setCurrentIndex(tree->model()->index(1, 0));
            if (QByteArray(how) == "Escape")
                QTest::keyClick(tree, Qt::Key_Escape);
            else if (QByteArray(how) == "CANCEL")
                panel->findChild<QPushButton*>("buttonCancel")->click();
            else if (QByteArray(how) == "close")
                panel->findChild<QPushButton*>("buttonCloseSettings")->click();
            else
                panel->findChild<QPushButton*>("buttonNavigateBack")->click();
            QTRY_VERIFY2(!panel->isVisible(), how);
            QCOMPARE(doc->page(), 3);
        }
    }

    void goToWithoutContentsGoesToTheStart()
    {
        TocView panel;
        panel.setToc({});
        QSignalSpy moved(&panel, &TocView::navigateToPosition);
        QSignalSpy hidden(&panel, &TocView::hideWindow);
        panel.findChild<QPushButton*>("buttonSaveSettings")->click();
        QCOMPARE(moved.count(), 1);
        QCOMPARE(moved.first().first().toInt(), 0);
        QCOMPARE(hidden.count(), 1);
        // The empty tree gives way to a note.
        QVERIFY(panel.findChild<QTreeView*>("tocTreeView")->isHidden());
        QVERIFY(!panel.findChild<QLabel*>("labelPanelEmpty")->isHidden());
    }

    // ------------------------------------------------------------ bookmarks

    void bookmarkFromTheToolbarIsListedOpenedAndDeleted()
    {
        MainView view;
        TextDocument* doc = openBook(view);
        QVERIFY(doc);
        const TocPoint chapter4 = doc->toc().at(0).children.at(1).children.at(0);
        view.userContext()->navigateToPosition(chapter4.position + 10);
        const int bookmarkPage = doc->page();
        MessageView::setNextAnswer(QDialogButtonBox::AcceptRole);
        click(view, "buttonBookmark_day_small");
        const int bookId = view.userContext()->book().id;
        QCOMPARE(BookProvider::instance()->bookmarks(bookId).size(), 1);

        doc->setPage(1);
        auto* panel = openBookmarks(view);
        auto* table = panel->findChild<QTableView*>("bookmarkTable");
        QCOMPARE(table->model()->rowCount(), 1);
        const int position = table->model()->index(0, 0).data(BookmarkModel::PositionRole).toInt();
        QCOMPARE(position, doc->calcPositionByPage(bookmarkPage));
        QCOMPARE(table->model()->index(0, 0).data().toString(),
                 QStringLiteral("%1 (%2%)")
                     .arg(doc->chapterTitle(position))
                     .arg(doc->calcProgressByPage(bookmarkPage)));
        QCOMPARE(table->model()->index(0, 1).data().toInt(), bookmarkPage);

        // Only the trash column asks; Cancel and the title bar leave all as it was.
        clickCell(table, 0, 0);
        clickCell(table, 0, 1);
        QCOMPARE(MessageView::shownMessages().size(), 1); // the "added" note
        MessageView::setNextAnswer(QDialogButtonBox::RejectRole);
        clickCell(table, 0, 2);
        MessageView::setNextAnswer(MessageView::CloseAnswer);
        clickCell(table, 0, 2);
        QCOMPARE(MessageView::shownMessages().size(), 3);
        QCOMPARE(MessageView::shownMessages().last().title, QString("Delete bookmark"));
        QCOMPARE(MessageView::shownMessages().last().text,
                 QString("Are you sure you want to delete this bookmark?"));
        QCOMPARE(table->model()->rowCount(), 1);
        QCOMPARE(BookProvider::instance()->bookmarks(bookId).size(), 1);

        // A double click opens it.
        doubleClick(table->viewport(), table->visualRect(table->model()->index(0, 0)).center());
        QCOMPARE(doc->page(), bookmarkPage);
        QTRY_VERIFY(!panel->isVisible());

        // OK deletes it from the list and the library.
        panel = openBookmarks(view);
        MessageView::setNextAnswer(QDialogButtonBox::AcceptRole);
        clickCell(table, 0, 2);
        QCOMPARE(table->model()->rowCount(), 0);
        QVERIFY(BookProvider::instance()->bookmarks(bookId).isEmpty());
    }

    void bookmarkFollowsAFontChange()
    {
        MainView view;
        TextDocument* doc = openBook(view);
        QVERIFY(doc);
        const int bookId = view.userContext()->book().id;
        BookmarkDto mark;
        mark.book_id = bookId;
        mark.position = float(doc->calcPositionByPage(doc->pageCount() / 2) + 5);
        QVERIFY(BookProvider::instance()->addBookmark(mark));

        auto* panel = openBookmarks(view);
        auto* table = panel->findChild<QTableView*>("bookmarkTable");
        const int pageBefore = table->model()->index(0, 1).data().toInt();
        const int position = table->model()->index(0, 0).data(BookmarkModel::PositionRole).toInt();
        QMetaObject::invokeMethod(&view, "onHideContents");

        const int pagesBefore = doc->pageCount();
        for (int i = 0; i < 6; ++i)
            view.userContext()->increaseFont();
        QTRY_VERIFY(doc->pageCount() > pagesBefore);
        panel = openBookmarks(view);
        QVERIFY(table->model()->index(0, 1).data().toInt() > pageBefore);
        QCOMPARE(table->model()->index(0, 0).data(BookmarkModel::PositionRole).toInt(), position);
    }

    void trashIconsAndColumnWidths()
    {
        BookmarkTable table;
        BookmarkTableDelegate* delegate = table.trashDelegate();
        QCOMPARE(delegate->iconFor(QStyle::State_None), QString(":/style/images/delete.png"));
        QCOMPARE(delegate->iconFor(QStyle::State_MouseOver), QString(":/style/images/deletehigh.png"));
        QCOMPARE(delegate->iconFor(QStyle::State_Selected), QString(":/style/images/deleteselect.png"));
        QCOMPARE(delegate->iconFor(QStyle::State_Selected | QStyle::State_MouseOver),
                 QString(":/style/images/deleteselecthigh.png"));
        for (const char* path : {"delete", "deletehigh", "deleteselect", "deleteselecthigh"})
            QVERIFY2(!QPixmap(QStringLiteral(":/style/images/%1.png").arg(path)).isNull(), path);

        QStandardItemModel model(2, 3);
        table.setModel(&model);
        table.resize(400, 300);
        table.show();
        QVERIFY(QTest::qWaitForWindowExposed(&table));
        QCOMPARE(table.viewport()->width(), 400);
        QCOMPARE(table.columnWidth(0), 279);
        QCOMPARE(table.columnWidth(1), 86);
        QCOMPARE(table.columnWidth(2), 35);
        QCOMPARE(table.horizontalHeader()->sectionResizeMode(0), QHeaderView::Fixed);
        QCOMPARE(table.verticalHeader()->defaultSectionSize(), 34);
    }

    // ------------------------------------------------------------ search

    void searchListsParagraphsAndOpensOne()
    {
        MainView view;
        TextDocument* doc = openBook(view);
        QVERIFY(doc);
        QLineEdit* field = headerField(view);
        field->setFocus();
        QTest::keyClicks(field, "Shuttered");
        QTest::keyClick(field, Qt::Key_Return);
        auto* panel = view.findChild<SearchView*>();
        QTRY_VERIFY(panel->isVisible());
        QTRY_VERIFY(!panel->isSearching());
        SearchModel* model = panel->model();
        QCOMPARE(model->rowCount(), 6 * 30);
        QCOMPARE(view.userContext()->searchText(), QString("Shuttered"));
        QVERIFY(!doc->isSearchCleared());
        const QModelIndex row = model->index(13, 0);
        QVERIFY(row.data(SearchModel::TextRole).toString().contains("<b>Shuttered</b>"));
        const int position = row.data(SearchModel::PositionRole).toInt();
        QCOMPARE(row.data(SearchModel::PageRole).toInt(), doc->calcPageByPosition(position));
        QCOMPARE(row.data().toString(), QStringLiteral("%1, Page %2")
                                            .arg(doc->chapterTitle(position))
                                            .arg(doc->calcPageByPosition(position)));
        QVERIFY(panel->findChild<QLabel*>("labelSearchStatus")->text().contains("180"));

        auto* table = panel->findChild<QTableView*>("searchTable");
        table->scrollTo(row);
        doubleClick(table->viewport(), table->visualRect(row).center());
        QCOMPARE(doc->page(), row.data(SearchModel::PageRole).toInt());
        QTRY_VERIFY(!panel->isVisible());
    }

    void aNumberJumpsToItsPageFirst()
    {
        MainView view;
        TextDocument* doc = openBook(view);
        QVERIFY(doc);
        QVERIFY(doc->pageCount() >= 7);
        auto* panel = search(view, "7");
        SearchModel* model = panel->model();
        QVERIFY(model->rowCount() >= 1);
        const QModelIndex jump = model->index(0, 0);
        QVERIFY(jump.data(SearchModel::PageJumpRole).toBool());
        QCOMPARE(jump.data(SearchModel::TextRole).toString(), QString("Go to page 7"));
        // The book's own digits follow ("Chapter 1, paragraph 7").
        for (int row = 1; row < model->rowCount(); ++row)
            QVERIFY(!model->index(row, 0).data(SearchModel::PageJumpRole).toBool());
        auto* table = panel->findChild<QTableView*>("searchTable");
        table->setCurrentIndex(jump);
        panel->findChild<QPushButton*>("buttonSaveSettings")->click();
        QCOMPARE(doc->page(), 7);
        QTRY_VERIFY(!panel->isVisible());
    }

    void emptyQueriesFindNothingAndClearingIsOneStep()
    {
        MainView view;
        TextDocument* doc = openBook(view);
        QVERIFY(doc);
        auto* panel = search(view, "lamplighter");
        QVERIFY(panel->model()->rowCount() > 0);
        QVERIFY(!doc->isSearchCleared());

        // White space alone: no results and the old highlighting is gone.
        search(view, "   ");
        QCOMPARE(panel->model()->rowCount(), 0);
        QVERIFY(doc->isSearchCleared());

        search(view, "lamplighter");
        QVERIFY(panel->model()->rowCount() > 0);
        QSignalSpy cleaned(doc, &TextDocument::endCleanSearch);
        view.findChild<QWidget*>("header")->findChild<QPushButton*>("buttonClearSearch")->click();
        QCOMPARE(panel->model()->rowCount(), 0);
        QVERIFY(doc->isSearchCleared());
        QCOMPARE(cleaned.count(), 1);
        QVERIFY(headerField(view)->text().isEmpty());
    }

    void fullScreenSearchHasItsOwnFieldAndEscapeClosesThePanelFirst()
    {
        MainView view;
        TextDocument* doc = openBook(view);
        QVERIFY(doc);
        QMetaObject::invokeMethod(&view, "onFullScreen");
        QCOMPARE(view.windowMode(), int(MainView::FullScreen));
        // The reading toolbar's search button in full screen.
        click(view, "buttonSearch_day_big");
        auto* panel = view.findChild<SearchView*>();
        QTRY_VERIFY(panel->isVisible());
        auto* field = panel->findChild<QLineEdit*>("editSearch");
        QVERIFY(field->isVisible());
        field->setText("lamplighter");
        QTest::keyClick(field, Qt::Key_Return);
        QTRY_VERIFY(!panel->isSearching());
        QVERIFY(panel->model()->rowCount() > 0);
        QVERIFY(panel->isVisible());

        QTest::keyClick(&view, Qt::Key_Escape);
        QTRY_VERIFY(!panel->isVisible());
        QCOMPARE(view.windowMode(), int(MainView::FullScreen));
        QTest::keyClick(&view, Qt::Key_Escape);
        QCOMPARE(view.windowMode(), int(MainView::Normal));

        // In a window the header's field serves; the panel's own is hidden.
        QMetaObject::invokeMethod(&view, "onShowSearchPanel");
        QTRY_VERIFY(panel->isVisible());
        QVERIFY(!field->isVisible());
        // Leaving the book forgets its results.
        QMetaObject::invokeMethod(&view, "buttonLibrary");
        QCOMPARE(panel->model()->rowCount(), 0);
    }

    void searchRunsInStepsAndShowsResultsAsTheyCome()
    {
        UserContext context;
        SteppedDocument doc;
        context.setDocument(&doc);
        SearchView panel(&context);
        doc.model = panel.model();
        bool otherWorkRan = false;
        QTimer::singleShot(0, [&] { otherWorkRan = doc.steps.size() < 5; });
        panel.onSearch("  tide ");
        QVERIFY(panel.isSearching());
        QCOMPARE(context.searchText(), QString("tide"));
        QTRY_VERIFY(!panel.isSearching());
        QCOMPARE(panel.model()->rowCount(), 10);
        QCOMPARE(doc.steps, QList<int>({0, 2, 4, 6, 8}));
        QVERIFY(otherWorkRan);
        QCOMPARE(doc.queries, QStringList({"tide"}));
        QCOMPARE(panel.findChild<QLabel*>("labelSearchStatus")->text(), QString("Found: 10"));
    }

    void aNewQueryOrClearingCancelsTheRunningSearch()
    {
        UserContext context;
        SteppedDocument doc;
        context.setDocument(&doc);
        SearchView panel(&context);
        doc.model = panel.model();

        panel.onSearch("first");
        QTRY_VERIFY(doc.steps.size() >= 1);
        panel.onSearch("second");
        QTRY_VERIFY(!panel.isSearching());
        QCOMPARE(doc.queries, QStringList({"first", "second"}));
        for (int row = 0; row < panel.model()->rowCount(); ++row)
            QCOMPARE(panel.model()->index(row, 0).data(SearchModel::TextRole).toString(), QString("second"));
        QCOMPARE(panel.model()->rowCount(), 10);

        panel.onSearch("third");
        QTRY_VERIFY(doc.steps.size() >= 7);
        QSignalSpy cleaned(&panel, &SearchView::clean);
        panel.onCleanSearch();
        QVERIFY(!panel.isSearching());
        QCOMPARE(panel.model()->rowCount(), 0);
        QCOMPARE(doc.cleared, 1);
        QCOMPARE(cleaned.count(), 1);
        const int steps = doc.steps.size();
        QTest::qWait(20);
        QCOMPARE(doc.steps.size(), steps);

        // A book closed in the middle of a search ends it.
        panel.onSearch("fourth");
        context.setDocument(nullptr);
        QTRY_VERIFY(!panel.isSearching());
        QCOMPARE(doc.steps.size(), steps);
    }

    void resultTextStaysEscaped()
    {
        // The caption is plain text from the book: it must not turn into markup.
        QCOMPARE(SearchTableDelegate::rowHtml("Tom & <i>Jerry</i>", "cat &amp; <b>mouse</b>"),
                 QString("<b>Tom &amp; &lt;i&gt;Jerry&lt;/i&gt;</b><br/>cat &amp; <b>mouse</b>"));
    }

    void excerptsKeepTheHitAndTheMarkup_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("mustContain");
        const QString words = QString("word ").repeated(100);
        QTest::newRow("short text unchanged") << "a <b>hit</b> here"
                                              << "a <b>hit</b> here";
        QTest::newRow("hit far in") << words + "<b>hit</b> " + words << " <b>hit</b> ";
        QTest::newRow("hit at the very end") << words + words + "<b>hit</b>"
                                             << "<b>hit</b>";
        QTest::newRow("entities never split") << QString("&amp;").repeated(400) + "<b>x</b>"
                                              << "<b>x</b>";
        QTest::newRow("cut inside a long hit") << words + "<b>" + words + words + "</b>"
                                               << "<b>word";
        QTest::newRow("no hit: the start") << words + words << "word word";
    }

    void excerptsKeepTheHitAndTheMarkup()
    {
        QFETCH(QString, text);
        QFETCH(QString, mustContain);
        const QString out = SearchTableDelegate::excerpt(text);
        QVERIFY2(out.contains(mustContain), qPrintable(out));
        QCOMPARE(out.count("<b>"), out.count("</b>"));
        QVERIFY2(!out.contains(QRegularExpression("&(?!amp;)")), qPrintable(out));
        QVERIFY2(!out.contains(QRegularExpression("<[^>]*$|^[^<]*>")), qPrintable(out));
        QTextDocument doc;
        doc.setHtml(out);
        QVERIFY(doc.toPlainText().size() <= 202);
    }

    void excerptsShowTheHitEarly_data()
    {
        QTest::addColumn<QString>("text");
        const QString sentence = "Alice was beginning to get very tired of sitting by her sister on the bank. ";
        QTest::newRow("short paragraph, hit late") << sentence + "Then the <b>Rabbit</b> ran by.";
        QTest::newRow("long paragraph, hit at the end") << sentence.repeated(5) + "<b>Rabbit</b>";
        QTest::newRow("hit of several words") << sentence + "<b>the white rabbit</b> ran.";
    }

    // Rows show the caption and two lines: the hit must be within the first
    // line's worth of text, not after the whole paragraph's beginning.
    void excerptsShowTheHitEarly()
    {
        QFETCH(QString, text);
        QTextDocument doc;
        doc.setHtml(SearchTableDelegate::excerpt(text));
        const QString plain = doc.toPlainText();
        const QString hit = QTextDocumentFragment::fromHtml(text.mid(text.indexOf("<b>"))).toPlainText();
        QVERIFY2(plain.indexOf(hit.left(6)) >= 0 && plain.indexOf(hit.left(6)) <= 25, qPrintable(plain));
    }

private:
    int addBook()
    {
        BookDto book;
        book.title = "Lamplighter";
        book.full_path = QDir::toNativeSeparators(m_bookPath);
        book.format = 2;
        const int id = BookProvider::instance()->addBook(book);
        [&] { QVERIFY(id > 0); }();
        return id;
    }

    TextDocument* openBook(MainView& view)
    {
        const int id = addBook();
        view.resize(1000, 700);
        view.show();
        if (!QTest::qWaitForWindowExposed(&view))
            return nullptr;
        QMetaObject::invokeMethod(&view, "onBookOpened", Q_ARG(int, id));
        auto loaded = [&] {
            IDocument* doc = view.userContext()->document();
            return doc && doc->pageCount() > 6;
        };
        if (!QTest::qWaitFor(loaded, 10000))
            return nullptr;
        return dynamic_cast<TextDocument*>(view.userContext()->document());
    }

    static void click(MainView& view, const char* name)
    {
        auto* button = view.findChild<QPushButton*>(name);
        QVERIFY2(button, name);
        button->click();
    }

    static QLineEdit* headerField(MainView& view)
    {
        return view.findChild<QWidget*>("header")->findChild<QLineEdit*>("editSearch");
    }

    static SearchView* search(MainView& view, const QString& text)
    {
        QLineEdit* field = headerField(view);
        field->setText(text);
        QTest::keyClick(field, Qt::Key_Return);
        auto* panel = view.findChild<SearchView*>();
        if (!QTest::qWaitFor([panel] { return !panel->isSearching(); }, 10000))
            return nullptr;
        return panel;
    }

    static TocView* openBookmarks(MainView& view)
    {
        click(view, "buttonContents");
        auto* panel = view.findChild<TocView*>();
        panel->findChild<QPushButton*>("buttonTabBookmarks")->click();
        return QTest::qWaitFor([panel] { return panel->isVisible(); }) ? panel : nullptr;
    }

    // What a window system delivers: press, release, double click, release.
    static void doubleClick(QWidget* widget, const QPoint& pos)
    {
        QTest::mouseClick(widget, Qt::LeftButton, {}, pos);
        QMouseEvent event(QEvent::MouseButtonDblClick, pos, widget->mapToGlobal(pos), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(widget, &event);
        QTest::mouseRelease(widget, Qt::LeftButton, {}, pos);
    }

    static void clickCell(QTableView* table, int row, int column)
    {
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {},
                          table->visualRect(table->model()->index(row, column)).center());
    }

    TestHome m_home;
    QTemporaryDir m_books;
    QString m_bookPath;
};

QTEST_MAIN(TestPanels)
#include "TestPanels.moc"
