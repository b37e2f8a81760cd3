#include "BookModel.h"
#include "BookProvider.h"
#include "FolderModel.h"
#include "util/TestHome.h"

#include <QMimeData>
#include <QSignalSpy>
#include <QtTest>

namespace {
int addBook(const QString& title)
{
    BookDto b;
    b.title = title;
    b.full_path = "/books/" + title + ".fb2";
    b.format = 2;
    return BookProvider::instance()->addBook(b);
}

QStringList titles(const FolderModel& model)
{
    QStringList list;
    for (int row = 0; row < model.rowCount(); ++row)
        list << model.index(row, 0).data(FolderModel::TitleRole).toString();
    return list;
}

int countOf(const FolderModel& model, int categoryId)
{
    return model.categoryIndex(categoryId).data(FolderModel::BookCountRole).toInt();
}

QMimeData* dragOf(const QString& text)
{
    auto* mime = new QMimeData;
    mime->setData(BookModel::MimeType, text.toUtf8());
    return mime;
}
} // namespace

class TestFolderModel : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_home.wipe();
        QVERIFY(BookProvider::instance()->createConnection());
    }

    void defaultNamesAreFree()
    {
        FolderModel model;
        model.selectAll();
        QSignalSpy inserted(&model, &FolderModel::inserted);
        model.addNewCategory();
        model.addNewCategory();
        QCOMPARE(titles(model), QStringList({"New category", "New category (1)"}));
        QCOMPARE(inserted.count(), 2);
        const QModelIndex first = model.index(0, 0);
        QVERIFY(first.data(FolderModel::IdRole).toInt() > 0);
        QCOMPARE(first.data(FolderModel::ParentIdRole).toInt(), 0);
        QCOMPARE(first.data(FolderModel::BookCountRole).toInt(), 0);

        // A gap is reused; a differently cased title does not block the name.
        QVERIFY(model.setData(model.index(0, 0), "new category"));
        model.addNewCategory();
        QCOMPARE(titles(model), QStringList({"new category", "New category (1)", "New category"}));
        model.addNewCategory();
        QCOMPARE(titles(model).last(), QString("New category (2)"));

        FolderModel reloaded;
        reloaded.selectAll();
        QCOMPARE(titles(reloaded), titles(model));
    }

    void rename_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<int>("role");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("stored");
        QTest::newRow("trimmed") << QVariant("  Poetry \t") << int(Qt::EditRole) << true << "Poetry";
        QTest::newRow("only spaces") << QVariant("   ") << int(Qt::EditRole) << false << "Drama";
        QTest::newRow("empty") << QVariant("") << int(Qt::EditRole) << false << "Drama";
        QTest::newRow("unchanged") << QVariant(" Drama ") << int(Qt::EditRole) << false << "Drama";
        QTest::newRow("other's title") << QVariant("Essays") << int(Qt::EditRole) << false << "Drama";
        QTest::newRow("display role") << QVariant("Poetry") << int(Qt::DisplayRole) << false << "Drama";
    }
    void rename()
    {
        QFETCH(QVariant, value);
        QFETCH(int, role);
        QFETCH(bool, accepted);
        QFETCH(QString, stored);
        QVERIFY(BookProvider::instance()->addCategory("Drama", 0) > 0);
        QVERIFY(BookProvider::instance()->addCategory("Essays", 0) > 0);
        FolderModel model;
        model.selectAll();
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);

        QCOMPARE(model.setData(model.index(0, 0), value, role), accepted);
        QCOMPARE(changed.count(), accepted ? 1 : 0);
        QCOMPARE(model.index(0, 0).data(Qt::EditRole).toString(), stored);
        FolderModel reloaded;
        reloaded.selectAll();
        QCOMPARE(titles(reloaded), QStringList({stored, "Essays"}));
    }

    void roles()
    {
        const int id = BookProvider::instance()->addCategory("  Spaced ", 7);
        FolderModel model;
        model.selectAll();
        const QModelIndex index = model.index(0, 0);
        QCOMPARE(index.data().toString(), QString("Spaced"));
        QCOMPARE(index.data(FolderModel::TitleRole).toString(), QString("  Spaced "));
        QCOMPARE(index.data(FolderModel::ParentIdRole).toInt(), 7);
        QCOMPARE(index.data(Qt::TextAlignmentRole).toInt(), int(Qt::AlignLeft | Qt::AlignVCenter));
        QCOMPARE(model.rowOfCategory(id), 0);
        QCOMPARE(model.rowOfCategory(id + 1), -1);
        QVERIFY(!model.categoryIndex(id + 1).isValid());
        QVERIFY(!model.data(model.index(1, 0)).isValid());
        QVERIFY(!model.data(QModelIndex(), FolderModel::IdRole).isValid());
        QVERIFY(model.flags(index) & Qt::ItemIsEditable);
        QVERIFY(model.flags(index) & Qt::ItemIsDropEnabled);
        QVERIFY(model.flags(QModelIndex()) & Qt::ItemIsDropEnabled);
        QVERIFY(!(model.flags(QModelIndex()) & Qt::ItemIsEditable));
        QCOMPARE(model.mimeTypes(), QStringList{"application/tarnwick-lanternleaf-book_id-mime"});
    }

    void dropFilesOnlyTheFirstBook()
    {
        const int a = addBook("a"), b = addBook("b"), c = addBook("c");
        const int poetry = BookProvider::instance()->addCategory("Poetry", 0);
        FolderModel model;
        model.selectAll();
        QSignalSpy added(&model, &FolderModel::added);
        QSignalSpy resets(&model, &QAbstractItemModel::modelReset);

        std::unique_ptr<QMimeData> mime(dragOf(QString("|%1|%2|%3|").arg(b).arg(a).arg(c)));
        // Beside the rows: no category named, nothing filed.
        QVERIFY(!model.dropMimeData(mime.get(), Qt::CopyAction, 1, 0, QModelIndex()));
        QCOMPARE(added.count(), 0);

        QVERIFY(model.dropMimeData(mime.get(), Qt::MoveAction, -1, -1, model.index(0, 0)));
        QCOMPARE(added.count(), 1);
        QCOMPARE(resets.count(), 0);
        QCOMPARE(countOf(model, poetry), 1);
        QCOMPARE(BookProvider::instance()->categoryOfBook(b), poetry);
        QCOMPARE(BookProvider::instance()->categoryOfBook(a), 0);
        QCOMPARE(BookProvider::instance()->categoryOfBook(c), 0);

        QMimeData other;
        other.setText(QString::number(a));
        QVERIFY(!model.dropMimeData(&other, Qt::CopyAction, -1, -1, model.index(0, 0)));
        mime.reset(dragOf("|"));
        QVERIFY(!model.dropMimeData(mime.get(), Qt::CopyAction, -1, -1, model.index(0, 0)));
        QCOMPARE(countOf(model, poetry), 1);
    }

    void movingBetweenCategoriesChangesBothCounts()
    {
        const int book = addBook("moving");
        const int drama = BookProvider::instance()->addCategory("Drama", 0);
        const int poetry = BookProvider::instance()->addCategory("Poetry", 0);
        FolderModel model;
        model.selectAll();
        QSignalSpy added(&model, &FolderModel::added);
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);

        model.addToCategory(book, drama);
        QCOMPARE(countOf(model, drama), 1);
        QCOMPARE(countOf(model, poetry), 0);
        model.addToCategory(book, poetry);
        QCOMPARE(countOf(model, drama), 0);
        QCOMPARE(countOf(model, poetry), 1);
        QCOMPARE(added.count(), 2);
        QVERIFY(changed.count() >= 2);

        model.removeFromCategory(book, poetry);
        QCOMPARE(countOf(model, poetry), 0);
        QCOMPARE(added.count(), 3);
    }

    void removingACategoryKeepsItsBooks()
    {
        const int book = addBook("kept");
        const int drama = BookProvider::instance()->addCategory("Drama", 0);
        const int poetry = BookProvider::instance()->addCategory("Poetry", 0);
        FolderModel model;
        model.selectAll();
        model.addToCategory(book, drama);
        QSignalSpy resets(&model, &QAbstractItemModel::modelReset);

        model.remove(drama);
        QCOMPARE(titles(model), QStringList{"Poetry"});
        // Views must learn that a row went away.
        QCOMPARE(resets.count(), 1);
        QCOMPARE(model.rowOfCategory(poetry), 0);
        QCOMPARE(BookProvider::instance()->getBookById(book).id, book);
        QCOMPARE(BookProvider::instance()->categoryOfBook(book), 0);
    }

private:
    TestHome m_home;
};

QTEST_GUILESS_MAIN(TestFolderModel)
#include "TestFolderModel.moc"
