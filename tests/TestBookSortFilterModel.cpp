#include "BookFormatFilter.h"
#include "BookModel.h"
#include "BookProvider.h"
#include "BookSortFilterModel.h"
#include "util/TestHome.h"

#include <QDateTime>
#include <QLocale>
#include <QTimeZone>
#include <QtTest>

#include <algorithm>
#include <ctime>
#include <numeric>

namespace {

struct Row
{
    QString title;
    QString author;
    uint added = 0;
    int progress = 0;
};

/// Seconds of a local wall-clock time in the test's time zone.
uint local(const QString& text)
{
    return uint(QDateTime::fromString(text, Qt::ISODate).toSecsSinceEpoch());
}

/// The comparison the proxy made before it sorted on stored keys: dates as
/// local date-times, texts by the locale, other columns as variants.
bool referenceLess(const QModelIndex& left, const QModelIndex& right)
{
    switch (left.column()) {
    case BookModel::ColumnDate:
        return left.data(BookModel::DateRole).toDateTime() < right.data(BookModel::DateRole).toDateTime();
    case BookModel::ColumnTitle:
    case BookModel::ColumnAuthor:
        return QString::localeAwareCompare(left.data().toString(), right.data().toString()) < 0;
    default:
        return left.data().toLongLong() < right.data().toLongLong();
    }
}

/// The ids in the order a stable sort with the reference comparison gives,
/// as QSortFilterProxyModel sorts (descending compares the other way round).
QList<int> referenceOrder(const QAbstractItemModel& source, int column, Qt::SortOrder order)
{
    QVector<int> rows(source.rowCount());
    std::iota(rows.begin(), rows.end(), 0);
    std::stable_sort(rows.begin(), rows.end(), [&](int l, int r) {
        const QModelIndex left = source.index(l, column);
        const QModelIndex right = source.index(r, column);
        return order == Qt::AscendingOrder ? referenceLess(left, right) : referenceLess(right, left);
    });
    QList<int> ids;
    for (int row : rows)
        ids << source.index(row, 0).data(BookModel::IdRole).toInt();
    return ids;
}

QList<int> idsOf(const QAbstractItemModel& model)
{
    QList<int> ids;
    for (int row = 0; row < model.rowCount(); ++row)
        ids << model.index(row, 0).data(BookModel::IdRole).toInt();
    return ids;
}

} // namespace

Q_DECLARE_METATYPE(Row)

class TestBookSortFilterModel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // A zone with daylight saving: the old comparison went through local
        // date-times, so this is where a different order would show.
        qputenv("TZ", "Europe/Berlin");
        tzset();
        QVERIFY(QDateTime::fromSecsSinceEpoch(1698539400).offsetFromUtc() == 7200); // 02:30 CEST
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    }

    void init()
    {
        m_home.wipe();
        QVERIFY(BookProvider::instance()->createConnection());
    }

    void sameOrderAsBefore_data()
    {
        QTest::addColumn<QList<Row>>("rows");
        QTest::addColumn<int>("column");

        const QList<Row> dates = {
            {"Before midnight", "A", local("2023-06-30T23:59:59"), 0},
            {"At midnight", "A", local("2023-07-01T00:00:00"), 0},
            {"Same second one", "A", local("2023-07-01T00:00:00"), 0},
            {"After midnight", "A", local("2023-07-01T00:00:01"), 0},
            {"Last winter second", "A", local("2023-03-26T01:59:59"), 0},
            {"First summer second", "A", local("2023-03-26T03:00:00"), 0},
            // 02:30 local twice on 29 October: first in summer, then in winter time.
            {"Repeated hour, summer", "A", 1698539400, 0},
            {"Repeated hour, winter", "A", 1698543000, 0},
            {"Never read", "A", 0, 0},
            {"Same second two", "A", local("2023-07-01T00:00:00"), 0},
        };
        QTest::newRow("dates around midnight and daylight saving") << dates << int(BookModel::ColumnDate);

        const QList<Row> texts = {
            {"anna", "Tolstoy", 10, 0},
            {"Anna", "tolstoy", 11, 0},
            {"Anna", "Tolstoy", 12, 0},
            {"", "", 13, 0},
            {QString::fromUtf8("Äpfel"), QString::fromUtf8("Ärzte"), 14, 0},
            {"Apfel", "Arzt", 15, 0},
            {QString::fromUtf8("Анна Каренина"), QString::fromUtf8("Толстой"), 16, 0},
            {"Unknown", "Unknown", 17, 0},
            {"10 books", "9 authors", 18, 0},
            {"9 books", "10 authors", 19, 0},
            {"a b", "a-b", 20, 0},
            {"ab", "ab", 21, 0},
        };
        QTest::newRow("titles with equal, empty and accented keys") << texts << int(BookModel::ColumnTitle);
        QTest::newRow("authors with equal, empty and accented keys") << texts << int(BookModel::ColumnAuthor);

        const QList<Row> progress = {
            {"a", "x", 1, 37}, {"b", "x", 2, 0},  {"c", "x", 3, 100}, {"d", "x", 4, 150},
            {"e", "x", 5, -5}, {"f", "x", 6, 37}, {"g", "x", 7, 99},  {"h", "x", 8, 1},
        };
        QTest::newRow("progress with equal and clamped values") << progress << int(BookModel::ColumnProgress);
    }

    void sameOrderAsBefore()
    {
        QFETCH(QList<Row>, rows);
        QFETCH(int, column);
        for (const Row& row : rows) {
            BookDto book;
            book.title = row.title;
            book.author = row.author;
            book.full_path = "/books/" + QString::number(qHash(row.title + row.author)) + row.title + ".fb2";
            book.format = 2;
            book.time_added = row.added;
            book.max_position = row.progress;
            QVERIFY(BookProvider::instance()->addBook(book) > 0);
        }
        BookModel model;
        model.selectAll();
        BookFormatFilter formats;
        formats.setSourceModel(&model);
        BookSortFilterModel proxy;
        proxy.setSourceModel(&formats);
        for (Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
            proxy.sort(column, order);
            QCOMPARE(idsOf(proxy), referenceOrder(formats, column, order));
        }
        if (column == BookModel::ColumnDate) {
            // And it is the order of the instants themselves.
            proxy.sort(column, Qt::AscendingOrder);
            QStringList titles;
            for (int row = 0; row < proxy.rowCount(); ++row)
                titles << proxy.index(row, 0).data().toString();
            QCOMPARE(titles.indexOf("Repeated hour, summer") + 1, titles.indexOf("Repeated hour, winter"));
            QCOMPARE(titles.first(), QString("Never read"));
        }
    }

    void keysFollowTheSource()
    {
        BookDto book;
        for (const char* title : {"Beta", "Alpha", "Gamma"}) {
            book.title = QString::fromLatin1(title);
            book.full_path = QStringLiteral("/books/%1.epub").arg(book.title);
            QVERIFY(BookProvider::instance()->addBook(book) > 0);
        }
        BookModel model;
        model.selectAll();
        BookSortFilterModel proxy;
        proxy.setSourceModel(&model);
        proxy.sort(BookModel::ColumnTitle, Qt::AscendingOrder);
        auto titles = [&] {
            QStringList list;
            for (int row = 0; row < proxy.rowCount(); ++row)
                list << proxy.index(row, 0).data().toString();
            return list;
        };
        QCOMPARE(titles(), QStringList({"Alpha", "Beta", "Gamma"}));

        // An edited title moves its row and is found by the search.
        BookDto alpha = BookProvider::instance()->getBookByPath("/books/Alpha.epub");
        alpha.title = "Omega";
        QVERIFY(BookProvider::instance()->updateBook(alpha));
        model.refreshCache(alpha.id);
        QCOMPARE(titles(), QStringList({"Beta", "Gamma", "Omega"}));
        proxy.setFilterRegExp("meg");
        QCOMPARE(titles(), QStringList({"Omega"}));
        proxy.setFilterRegExp(QString());

        // A new selection brings new rows and new keys.
        book.title = "Delta";
        book.full_path = "/books/Delta.epub";
        QVERIFY(BookProvider::instance()->addBook(book) > 0);
        model.selectAll();
        QCOMPARE(titles(), QStringList({"Beta", "Delta", "Gamma", "Omega"}));
        proxy.setFilterRegExp("ta");
        QCOMPARE(titles(), QStringList({"Beta", "Delta"}));
        model.selectFavorits();
        QCOMPARE(proxy.rowCount(), 0);
    }

private:
    TestHome m_home;
};

QTEST_GUILESS_MAIN(TestBookSortFilterModel)
#include "TestBookSortFilterModel.moc"
