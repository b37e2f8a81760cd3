#include "BookFormatFilter.h"
#include "BookModel.h"
#include "BookProvider.h"
#include "BookSortFilterModel.h"
#include "util/TestHome.h"

#include <QDateTime>
#include <QLocale>
#include <QMimeData>
#include <QSignalSpy>
#include <QtTest>

namespace {
BookDto makeBook(const QString& title, int format = 0, uint added = 1000000000)
{
    BookDto b;
    b.title = title;
    b.author = title.isEmpty() ? QString() : "Author of " + title;
    b.full_path = "/books/" + (title.isEmpty() ? QStringLiteral("untitled") : title) + ".epub";
    b.format = format;
    b.time_added = added;
    return b;
}

int add(const BookDto& book)
{
    return BookProvider::instance()->addBook(book);
}

int rowOf(const QAbstractItemModel& model, int id)
{
    for (int row = 0; row < model.rowCount(); ++row) {
        if (model.index(row, 0).data(BookModel::IdRole).toInt() == id)
            return row;
    }
    return -1;
}
} // namespace

class TestBookModel : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_home.wipe();
        QVERIFY(BookProvider::instance()->createConnection());
    }

    void rolesOfOneBook()
    {
        const uint now = uint(QDateTime::currentSecsSinceEpoch());
        BookDto b = makeBook("Dune", 3, now - 100);
        b.full_path = "/home/u/Books/Dune.pdf";
        b.cover = "/cache/dune/cover.png";
        b.time_last_view = now - 10;
        b.max_position = 37;
        b.is_favorite = 1;
        b.metadata[MetaDescription] = "Sand and spice";
        const int id = add(b);
        QVERIFY(id > 0);
        const int category = BookProvider::instance()->addCategory("Sci-fi", 0);
        QVERIFY(BookProvider::instance()->addBookToCategory(id, category));

        BookModel model;
        QCOMPARE(model.rowCount(), 0);
        model.selectAll();
        QCOMPARE(model.rowCount(), 1);
        QCOMPARE(model.columnCount(), 8);
        auto cell = [&](int column, int role = Qt::DisplayRole) { return model.index(0, column).data(role); };

        QCOMPARE(cell(0).toString(), QString("Dune"));
        QCOMPARE(cell(1).toString(), QString("Author of Dune"));
        QCOMPARE(cell(2).toInt(), 37);
        QCOMPARE(cell(3).toString(), QString("pdf"));
        QCOMPARE(cell(4).toString(), BookModel::dateText(QDateTime::fromSecsSinceEpoch(now - 100)));
        QCOMPARE(cell(5).toInt(), 1);
        QCOMPARE(cell(6).toString(), QString("Author of Dune"));
        QCOMPARE(cell(7).toInt(), 0);
        QCOMPARE(cell(0, Qt::EditRole).toString(), QString("Dune"));
        QCOMPARE(cell(3, Qt::TextAlignmentRole).toInt(), int(Qt::AlignCenter));
        QVERIFY(!cell(0, Qt::TextAlignmentRole).isValid());

        QCOMPARE(cell(0, 257).toInt(), id);
        QCOMPARE(cell(0, 258).toString(), QString("Dune"));
        QCOMPARE(cell(0, 259).toString(), QString("Author of Dune"));
        QCOMPARE(cell(0, 260).toString(), QString("/cache/dune/cover.png"));
        QCOMPARE(cell(0, 261).toDateTime(), QDateTime::fromSecsSinceEpoch(now - 100));
        QCOMPARE(cell(0, 262).toInt(), 3);
        QCOMPARE(cell(0, 263).toString(), QString("pdf"));
        QCOMPARE(cell(0, 264).toBool(), false);
        QCOMPARE(cell(0, 265).toBool(), true);
        QCOMPARE(cell(0, 266).toString(), QString("Sand and spice"));
        QCOMPARE(cell(0, 267).toString(), QString("/home/u/Books"));
        QCOMPARE(cell(0, 268).toString(), QString("/home/u/Books/Dune.pdf"));
        QCOMPARE(cell(0, 269).toString(), BookModel::dateText(QDateTime::fromSecsSinceEpoch(now - 10)));
        QCOMPARE(cell(0, 270).toString(), QString("37%"));
        QCOMPARE(cell(0, 271).toInt(), category);

        // Roles read from the database follow it without a reselect.
        QVERIFY(BookProvider::instance()->removeBookFromCategory(id, category));
        QCOMPARE(cell(0, 271).toInt(), 0);

        for (const QModelIndex& bad : {QModelIndex(), model.index(1, 0), model.index(0, 8)})
            QVERIFY(!model.data(bad, 257).isValid());
        QVERIFY(!model.headerData(0, Qt::Vertical).isValid());
        QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QString("Title"));
        QCOMPARE(model.headerData(2, Qt::Horizontal, Qt::TextAlignmentRole).toInt(), int(Qt::AlignCenter));
        QCOMPARE(model.headerData(0, Qt::Horizontal, Qt::TextAlignmentRole).toInt(),
                 int(Qt::AlignLeft | Qt::AlignVCenter));
        QVERIFY(!model.headerData(5, Qt::Horizontal).isValid());
    }

    void unknownTitleAndAuthorAreSearchable()
    {
        QVERIFY(add(makeBook("")) > 0);
        QVERIFY(add(makeBook("C++ Primer")) > 0);
        QVERIFY(add(makeBook("Emma")) > 0);
        BookModel model;
        model.selectAll();
        BookFormatFilter formats;
        formats.setSourceModel(&model);
        BookSortFilterModel search;
        search.setSourceModel(&formats);

        const int row = rowOf(model, 1);
        QCOMPARE(model.index(row, 0).data().toString(), QString("Unknown"));
        QCOMPARE(model.index(row, 1).data().toString(), QString("Unknown"));
        QCOMPARE(model.index(row, 0).data(BookModel::TitleRole).toString(), QString());

        search.setFilterRegExp("unk");
        QCOMPARE(search.rowCount(), 1);
        QCOMPARE(search.index(0, 0).data(BookModel::IdRole).toInt(), 1);
        search.setFilterRegExp("EMMA");
        QCOMPARE(search.rowCount(), 1);
        search.setFilterRegExp("author of");
        QCOMPARE(search.rowCount(), 2);
        // Typed text is literal: no regular-expression surprises.
        search.setFilterRegExp("C++");
        QCOMPARE(search.rowCount(), 1);
        search.setFilterRegExp("xyz");
        QCOMPARE(search.rowCount(), 0);
        search.setFilterRegExp("");
        QCOMPARE(search.rowCount(), 3);
    }

    void dateTexts_data()
    {
        QTest::addColumn<QDateTime>("date");
        QTest::addColumn<QString>("expected");
        const QDate today = QDate::currentDate();
        const QDateTime thisYear(QDate(today.year(), 3, 5), QTime(12, 0));
        QTest::newRow("this year") << thisYear << QLocale().toString(thisYear, "MMM d");
        QTest::newRow("earlier year") << QDateTime(QDate(2001, 3, 5), QTime(12, 0)) << "2001";
        QTest::newRow("invalid") << QDateTime() << "";
    }
    void dateTexts()
    {
        QFETCH(QDateTime, date);
        QFETCH(QString, expected);
        QCOMPARE(BookModel::dateText(date), expected);
        if (date.date().year() == QDate::currentDate().year() &&
            (QLocale().language() == QLocale::C || QLocale().language() == QLocale::English))
            QCOMPARE(BookModel::dateText(date), QString("Mar 5"));
    }

    void progressTexts_data()
    {
        QTest::addColumn<int>("maxPosition");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("text");
        QTest::newRow("negative") << -5 << 0 << "on start";
        QTest::newRow("zero") << 0 << 0 << "on start";
        QTest::newRow("one") << 1 << 1 << "1%";
        QTest::newRow("37") << 37 << 37 << "37%";
        QTest::newRow("99") << 99 << 99 << "99%";
        QTest::newRow("100") << 100 << 100 << "finished";
        QTest::newRow("beyond") << 150 << 100 << "finished";
    }
    void progressTexts()
    {
        QFETCH(int, maxPosition);
        QFETCH(int, column);
        QFETCH(QString, text);
        BookDto b = makeBook("Book");
        b.max_position = maxPosition;
        QVERIFY(add(b) > 0);
        BookModel model;
        model.selectAll();
        QCOMPARE(model.index(0, BookModel::ColumnProgress).data().toInt(), column);
        QCOMPARE(model.index(0, 0).data(BookModel::ProgressTextRole).toString(), text);
    }

    void recentlyReadShowsLastViewDates()
    {
        const uint now = uint(QDateTime::currentSecsSinceEpoch());
        BookDto read = makeBook("Read", 0, 978307200); // added in 2001
        read.time_last_view = now - 60;
        QVERIFY(add(read) > 0);

        BookModel model;
        QSignalSpy headers(&model, &QAbstractItemModel::headerDataChanged);
        model.selectByCategory(CategoryRecentlyRead);
        QVERIFY(model.showsLastRead());
        QCOMPARE(model.rowCount(), 1);
        QCOMPARE(model.headerData(4, Qt::Horizontal).toString(), QString("Date"));
        QCOMPARE(model.index(0, 4).data().toString(),
                 BookModel::dateText(QDateTime::fromSecsSinceEpoch(now - 60)));
        QCOMPARE(model.index(0, 4).data(BookModel::DateRole).toDateTime(),
                 QDateTime::fromSecsSinceEpoch(now - 60));

        model.selectByCategory(CategoryAll);
        QCOMPARE(model.headerData(4, Qt::Horizontal).toString(), QString("Added on"));
        QCOMPARE(model.index(0, 4).data().toString(), QString("2001"));

        // Format buttons call selectByFormat directly: the header must follow too.
        model.selectByCategory(CategoryRecentlyRead);
        model.selectByFormat(0);
        QCOMPARE(model.headerData(4, Qt::Horizontal).toString(), QString("Added on"));

        // An unknown category only leaves the recently-read mode.
        model.selectByCategory(CategoryRecentlyRead);
        headers.clear();
        model.selectByCategory(BookCategory(999));
        QCOMPARE(model.rowCount(), 1);
        QCOMPARE(model.headerData(4, Qt::Horizontal).toString(), QString("Added on"));
        QCOMPARE(headers.count(), 1);

        model.selectByCategory(BookCategory(CategoryFormatFirst + 3));
        QCOMPARE(model.rowCount(), 0);
    }

    void dragDataCarriesIds()
    {
        for (int i = 1; i <= 9; ++i)
            QVERIFY(add(makeBook(QString("Book %1").arg(i))) == i);
        QVERIFY(BookProvider::instance()->setDeleted(5, 1));
        BookModel model;
        model.selectAll();
        BookSortFilterModel proxy;
        proxy.setSourceModel(&model);

        const QModelIndexList indexes{proxy.index(rowOf(proxy, 4), 0), QModelIndex(),
                                      proxy.index(rowOf(proxy, 9), 0)};
        QVERIFY(proxy.flags(indexes.first()) & Qt::ItemIsDragEnabled);
        std::unique_ptr<QMimeData> mime(proxy.mimeData(indexes));
        QVERIFY(mime);
        QCOMPARE(QString::fromUtf8(mime->data("application/tarnwick-lanternleaf-book_id-mime")),
                 QString("4|9|"));

        // A whole table row carries its id once per column.
        mime.reset(model.mimeData({model.index(rowOf(model, 2), 0), model.index(rowOf(model, 2), 1)}));
        QCOMPARE(QString::fromUtf8(mime->data(BookModel::MimeType)), QString("2|2|"));

        model.selectDeleted();
        QCOMPARE(model.rowCount(), 1);
        QVERIFY(!(model.flags(model.index(0, 0)) & Qt::ItemIsDragEnabled));
        QVERIFY(!(model.flags(QModelIndex()) & Qt::ItemIsDragEnabled));
    }

    void formatFilter_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<int>("rows");
        QTest::newRow("pdf") << "3" << 2;
        QTest::newRow("epub") << "0" << 1;
        QTest::newRow("cbr, none") << "7" << 0;
        QTest::newRow("empty") << "" << 4;
        QTest::newRow("minus one") << "-1" << 4;
        QTest::newRow("not a number") << "pdf" << 4;
    }
    void formatFilter()
    {
        QFETCH(QString, pattern);
        QFETCH(int, rows);
        int n = 0;
        for (int format : {3, 0, 3, 6})
            QVERIFY(add(makeBook(QString("B%1").arg(++n), format)) > 0);
        BookModel model;
        model.selectAll();
        BookFormatFilter filter;
        filter.setSourceModel(&model);
        filter.setFilterRegExp(pattern);
        QCOMPARE(filter.rowCount(), rows);
        if (pattern == "3") {
            for (int row = 0; row < filter.rowCount(); ++row)
                QCOMPARE(filter.index(row, 0).data(BookModel::FormatRole).toInt(), 3);
        }
    }

    void sortsByDateAndTitle()
    {
        QVERIFY(add(makeBook("beta", 0, 3000)) > 0);
        QVERIFY(add(makeBook("Alpha", 0, 1000)) > 0);
        QVERIFY(add(makeBook("gamma", 0, 2000)) > 0);
        BookModel model;
        model.selectAll();
        BookSortFilterModel proxy;
        proxy.setSourceModel(&model);
        auto titles = [&] {
            QStringList list;
            for (int row = 0; row < proxy.rowCount(); ++row)
                list << proxy.index(row, 0).data().toString();
            return list;
        };
        proxy.sort(BookModel::ColumnDate, Qt::DescendingOrder);
        QCOMPARE(titles(), QStringList({"beta", "gamma", "Alpha"}));
        proxy.sort(BookModel::ColumnTitle, Qt::AscendingOrder);
        QCOMPARE(titles(), QStringList({"Alpha", "beta", "gamma"}));
    }

    void operationsSignal()
    {
        const int id = add(makeBook("One"));
        QVERIFY(add(makeBook("Two")) > 0);
        BookModel model;
        model.selectAll();
        QSignalSpy removed(&model, &BookModel::removed);
        QSignalSpy restored(&model, &BookModel::restored);
        QSignalSpy deleted(&model, &BookModel::deleted);
        QSignalSpy favorited(&model, &BookModel::favorited);
        QSignalSpy resets(&model, &QAbstractItemModel::modelReset);

        QVERIFY(model.setFavorite(id, true));
        QCOMPARE(favorited.count(), 1);
        QVERIFY(model.moveToTrash(id));
        QCOMPARE(removed.count(), 1);
        QVERIFY(model.restoreFromTrash(id));
        QCOMPARE(restored.count(), 1);
        QVERIFY(model.clearLibrary());
        QCOMPARE(removed.count(), 2);
        QCOMPARE(BookProvider::instance()->bookCount(), 0);
        QVERIFY(model.restoreFromTrashAll());
        QCOMPARE(restored.count(), 2);
        QVERIFY(model.moveToTrash(id));
        QVERIFY(model.clearTrash());
        QCOMPARE(deleted.count(), 1);
        QCOMPARE(BookProvider::instance()->allBookCount(), 1);
        QVERIFY(model.deleteFromLibrary(id + 1));
        QCOMPARE(deleted.count(), 2);
        QCOMPARE(BookProvider::instance()->allBookCount(), 0);

        // The loaded records stay until the views reselect.
        QCOMPARE(resets.count(), 0);
        QCOMPARE(model.rowCount(), 2);
    }

    void refreshCacheReloadsOneRow()
    {
        const int id = add(makeBook("Old title"));
        BookModel model;
        model.selectAll();
        BookDto book = BookProvider::instance()->getBookById(id);
        book.title = "New title";
        QVERIFY(BookProvider::instance()->updateBook(book));
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);

        model.refreshCache(id + 100);
        QCOMPARE(changed.count(), 0);
        model.refreshCache(id);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.first().at(0).toModelIndex(), model.index(0, 0));
        QCOMPARE(changed.first().at(1).toModelIndex(), model.index(0, 7));
        QCOMPARE(model.index(0, 0).data().toString(), QString("New title"));

        // Loaded but gone from the database: the row stays as it was.
        QVERIFY(BookProvider::instance()->deleteFromLibrary(id));
        model.refreshCache(id);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(model.index(0, 0).data().toString(), QString("New title"));
    }

private:
    TestHome m_home;
};

QTEST_GUILESS_MAIN(TestBookModel)
#include "TestBookModel.moc"
