#include "BookProvider.h"
#include "BookmarkModel.h"
#include "Limits.h"
#include "Paths.h"
#include "SearchModel.h"
#include "TocModel.h"
#include "util/TestHome.h"

#include <QFont>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

namespace {

TocPoint point(const QString& title, int position, int page, const QList<TocPoint>& children = {})
{
    TocPoint p;
    p.title = title;
    p.position = position;
    p.page = page;
    p.children = children;
    return p;
}

// A book of 100 characters per page; the chapter changes every 1,000.
class PagedDocument final : public IDocument
{
public:
    PagedDocument() = default;
    virtual ~PagedDocument() = default;
    int charsPerPage = 100;
    int pages = 50;
    QString chapterTitle(int position) const override
    {
        return QStringLiteral("Chapter %1").arg(position / 1000 + 1);
    }
    int calcPageByPosition(int position) const override { return position / charsPerPage + 1; }
    int calcProgressByPage(const int page) const override { return page * 100 / pages; }
    int pageCount() const override { return pages; }
};

BookmarkDto bookmark(int bookId, float position)
{
    BookmarkDto b;
    b.book_id = bookId;
    b.position = position;
    b.title = QStringLiteral("stored title");
    b.progress = 99;
    b.time_added = 1;
    return b;
}

} // namespace

class TestPanelModels : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_home.wipe();
        QVERIFY(BookProvider::instance()->createConnection());
    }

    // ------------------------------------------------------------ contents

    void tocWithoutTreeIsEmpty()
    {
        TocModel model;
        QCOMPARE(model.rowCount(), 0);
        QVERIFY(!model.index(0, 0).isValid());
        model.setToc({});
        QCOMPARE(model.rowCount(), 0);
        QCOMPARE(model.columnCount(), 2);
        QVERIFY(!model.setCurrentPosition(500).isValid());
    }

    void tocKeepsLevelsAndOrder()
    {
        TocModel model;
        model.setToc({point("Part One", 0, 1, {point("Chapter 1", 10, 1), point("Chapter 2", 500, 4)}),
                      point("Part Two", 900, 7, {point("Chapter 3", 950, 8, {point("Scene", 990, 9)})})});
        QCOMPARE(model.rowCount(), 2);
        const QModelIndex partOne = model.index(0, 0);
        const QModelIndex partTwo = model.index(1, 0);
        QCOMPARE(partOne.data().toString(), QString("Part One"));
        QCOMPARE(partTwo.data().toString(), QString("Part Two"));
        QCOMPARE(model.rowCount(partOne), 2);
        QCOMPARE(model.index(1, 0, partOne).data().toString(), QString("Chapter 2"));
        QCOMPARE(model.index(1, 1, partOne).data().toInt(), 4);
        QCOMPARE(model.index(1, 1, partOne).data(TocModel::PositionRole).toInt(), 500);
        QCOMPARE(model.index(1, 0, partOne).data(TocModel::PositionRole).toInt(), 500);
        const QModelIndex scene = model.index(0, 0, model.index(0, 0, partTwo));
        QCOMPARE(scene.data().toString(), QString("Scene"));
        // Parents lead back up the same way, in column 0.
        QCOMPARE(model.parent(scene), model.index(0, 0, partTwo));
        QCOMPARE(model.parent(model.index(0, 0, partTwo)), partTwo);
        QVERIFY(!model.parent(partTwo).isValid());
        QVERIFY(!model.parent(model.index(0, 1)).isValid());
        QCOMPARE(model.parent(model.index(0, 1, partOne)), partOne);
        // Nothing hangs under the page column, and no third column exists.
        QCOMPARE(model.rowCount(model.index(0, 1)), 0);
        QCOMPARE(model.columnCount(model.index(0, 1)), 0);
        QVERIFY(!model.index(0, 0, model.index(0, 1)).isValid());
        QVERIFY(!model.index(0, 2).isValid());
        QVERIFY(!model.index(2, 0).isValid());
        QVERIFY(!model.index(-1, 0).isValid());

        QCOMPARE(model.flags(partOne), Qt::ItemIsSelectable | Qt::ItemIsEnabled);
        QCOMPARE(model.flags(QModelIndex()), Qt::NoItemFlags);
        QCOMPARE(model.data(partOne, Qt::TextAlignmentRole).toInt(), int(Qt::AlignLeft | Qt::AlignVCenter));
        QCOMPARE(model.data(model.index(0, 1), Qt::TextAlignmentRole).toInt(), int(Qt::AlignCenter));
        QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QString("Chapter title"));
        QCOMPARE(model.headerData(1, Qt::Horizontal).toString(), QString("Page"));
        QCOMPARE(model.headerData(1, Qt::Horizontal, Qt::TextAlignmentRole).toInt(), int(Qt::AlignCenter));
        QVERIFY(!model.headerData(0, Qt::Vertical).isValid());

        // A new list replaces the whole tree.
        model.setToc({point("Only", 0, 1)});
        QCOMPARE(model.rowCount(), 1);
        QCOMPARE(model.rowCount(model.index(0, 0)), 0);
    }

    void currentChapterIsTheLastOneStartedBeforeThePlace_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("marked");
        QTest::newRow("before the first entry") << -5 << QString();
        QTest::newRow("at the start") << 0 << "Chapter 1";
        QTest::newRow("inside a chapter") << 700 << "Chapter 2";
        QTest::newRow("part and chapter start together") << 950 << "Chapter 3";
        QTest::newRow("deepest level") << 5000 << "Scene";
    }

    void currentChapterIsTheLastOneStartedBeforeThePlace()
    {
        QFETCH(int, position);
        QFETCH(QString, marked);
        TocModel model;
        model.setToc({point("Part One", 0, 1, {point("Chapter 1", 0, 1), point("Chapter 2", 500, 4)}),
                      point("Part Two", 950, 8, {point("Chapter 3", 950, 8, {point("Scene", 990, 9)})})});
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        const QModelIndex current = model.setCurrentPosition(position);
        QCOMPARE(current.data().toString(), marked);
        QCOMPARE(model.currentEntry(), current);
        if (current.isValid()) {
            QVERIFY(current.data(Qt::FontRole).value<QFont>().bold());
            QCOMPARE(changed.count(), 1);
        }
        // Only the marked entry is bold.
        QVERIFY(!model.index(1, 0).data(Qt::FontRole).isValid());
    }

    void tooDeepAnOutlineStaysFlatBelowTheLimit()
    {
        // A hostile outline nested far deeper than any book: the tree stops at
        // the limit and keeps the deeper entries, in order, at the last level.
        TocPoint deepest = point("level", 0, 1);
        for (int depth = 0; depth < 5000; ++depth)
            deepest = point(QStringLiteral("level"), 0, 1, {deepest});
        TocModel model;
        model.setToc({deepest});
        int levels = 0;
        QModelIndex index = model.index(0, 0);
        QModelIndex last;
        while (index.isValid()) {
            ++levels;
            last = index;
            index = model.index(0, 0, index);
        }
        QCOMPARE(levels, Limits::maxTocDepth);
        QCOMPARE(model.rowCount(last.parent()), 5001 - Limits::maxTocDepth + 1);
        QVERIFY(model.setCurrentPosition(0).isValid());
    }

    // ------------------------------------------------------------ bookmarks

    void bookmarkRowsFollowTheDocument()
    {
        PagedDocument document;
        BookmarkModel model;
        model.setBookmarks({bookmark(1, 1234.9f), bookmark(1, 0.f), bookmark(1, 4999.f)}, &document);
        QCOMPARE(model.rowCount(), 3);
        QCOMPARE(model.columnCount(), 3);
        // The stored title and progress are not shown; the place is truncated.
        QCOMPARE(model.index(0, 0).data().toString(), QString("Chapter 2 (26%)"));
        QCOMPARE(model.index(0, 1).data().toInt(), 13);
        QCOMPARE(model.index(0, 2).data(BookmarkModel::PositionRole).toInt(), 1234);
        QVERIFY(!model.index(0, 2).data().isValid());
        QCOMPARE(model.index(0, 1).data(Qt::TextAlignmentRole).toInt(), int(Qt::AlignCenter));
        QCOMPARE(model.index(1, 0).data().toString(), QString("Chapter 1 (2%)"));
        QCOMPARE(model.index(2, 1).data().toInt(), 50);
        QVERIFY(!model.index(3, 0).data().isValid());
        QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QString("Chapter title"));
        QCOMPARE(model.headerData(1, Qt::Horizontal).toString(), QString("Page"));
        QVERIFY(!model.headerData(2, Qt::Horizontal).isValid());

        // Another layout: other page and percentage, the same place.
        document.charsPerPage = 50;
        document.pages = 100;
        model.setBookmarks({bookmark(1, 1234.9f)}, &document);
        QCOMPARE(model.index(0, 1).data().toInt(), 25);
        QCOMPARE(model.index(0, 0).data().toString(), QString("Chapter 2 (25%)"));
        QCOMPARE(model.index(0, 0).data(BookmarkModel::PositionRole).toInt(), 1234);
    }

    void removingABookmarkTakesItFromTheListAndTheLibrary()
    {
        BookProvider* db = BookProvider::instance();
        const int bookId = addBook();
        QVERIFY(db->addBookmark(bookmark(bookId, 10)));
        QVERIFY(db->addBookmark(bookmark(bookId, 20)));
        PagedDocument document;
        BookmarkModel model;
        model.setBookmarks(db->bookmarks(bookId), &document);
        QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
        QVERIFY(model.removeBookmark(0));
        QCOMPARE(removed.count(), 1);
        QCOMPARE(model.rowCount(), 1);
        QCOMPARE(model.record(0).position, 20);
        const QList<BookmarkDto> left = db->bookmarks(bookId);
        QCOMPARE(left.size(), 1);
        QCOMPARE(int(left.first().position), 20);
        QVERIFY(!model.removeBookmark(5));
        QVERIFY(!model.removeBookmark(-1));
    }

    void aBookmarkTheLibraryKeepsStaysListed()
    {
        BookProvider* db = BookProvider::instance();
        const int bookId = addBook();
        QVERIFY(db->addBookmark(bookmark(bookId, 10)));
        BookmarkModel model;
        model.setBookmarks(db->bookmarks(bookId), nullptr);
        {
            // A second connection to the same file makes every delete fail.
            QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", "refuser");
            other.setDatabaseName(Paths::databaseFolder() + "/ebooklib.sqlite3");
            QVERIFY(other.open());
            QSqlQuery q(other);
            QVERIFY(q.exec("create trigger refuse before delete on bookmarks "
                           "begin select raise(abort, 'refused'); end"));
            other.close();
        }
        QSqlDatabase::removeDatabase("refuser");
        QVERIFY(!model.removeBookmark(0));
        QCOMPARE(model.rowCount(), 1);
        QCOMPARE(db->bookmarks(bookId).size(), 1);
    }

    // ------------------------------------------------------------ search

    void searchRowsAndCaptions()
    {
        SearchResult jump;
        jump.page = 7;
        jump.position = 700;
        jump.text = "Go to page 7";
        jump.isPageJump = true;
        SearchResult hit;
        hit.title = "The Storm";
        hit.page = 3;
        hit.position = 321;
        hit.text = "a <b>storm</b> came";
        SearchResult untitled = hit;
        untitled.title.clear();

        SearchModel model;
        QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
        model.setResults({jump});
        QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
        model.appendResults({hit, untitled});
        model.appendResults({});
        QCOMPARE(reset.count(), 1);
        QCOMPARE(inserted.count(), 1);
        QCOMPARE(model.rowCount(), 3);
        QCOMPARE(model.index(0, 0).data().toString(), QString("Page 7"));
        QVERIFY(model.index(0, 0).data(SearchModel::PageJumpRole).toBool());
        QCOMPARE(model.index(1, 0).data().toString(), QString("The Storm, Page 3"));
        QCOMPARE(model.index(1, 0).data(SearchModel::CaptionRole).toString(), QString("The Storm, Page 3"));
        QCOMPARE(model.index(1, 0).data(SearchModel::PositionRole).toInt(), 321);
        QCOMPARE(model.index(1, 0).data(SearchModel::TextRole).toString(), QString("a <b>storm</b> came"));
        QCOMPARE(model.index(1, 0).data(SearchModel::PageRole).toInt(), 3);
        QVERIFY(!model.index(1, 0).data(SearchModel::PageJumpRole).toBool());
        QCOMPARE(model.index(2, 0).data().toString(), QString("Page 3"));
        QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QString("Results"));
        model.clear();
        QCOMPARE(model.rowCount(), 0);
    }

private:
    int addBook()
    {
        BookDto book;
        book.title = "Lamplighter";
        book.full_path = "/books/lamp.fb2";
        book.format = 2;
        const int id = BookProvider::instance()->addBook(book);
        [&] { QVERIFY(id > 0); }();
        return id;
    }

    TestHome m_home;
};

QTEST_GUILESS_MAIN(TestPanelModels)
#include "TestPanelModels.moc"
