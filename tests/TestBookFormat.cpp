#include "BookFormat.h"
#include "TextDocument.h"
#include "fb2/FbDocument.h"

#include <QtTest>
#include <memory>

class TestBookFormat : public QObject
{
    Q_OBJECT
private slots:
    void fromSuffix_data()
    {
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<int>("code");
        QTest::newRow("epub") << "epub" << 0;
        QTest::newRow("EPUB") << "EPUB" << 0;
        QTest::newRow("mobi") << "mobi" << 1;
        QTest::newRow("Fb2") << "Fb2" << 2;
        QTest::newRow("pdf") << "pdf" << 3;
        QTest::newRow("djvu") << "djvu" << 4;
        QTest::newRow("PRC") << "PRC" << 5;
        QTest::newRow("cbz") << "cbz" << 6;
        QTest::newRow("cbr") << "cbr" << 7;
        QTest::newRow("txt") << "txt" << 9;
        QTest::newRow("empty") << "" << 9;
        QTest::newRow("dotted") << ".epub" << 9;
    }
    void fromSuffix()
    {
        QFETCH(QString, suffix);
        QFETCH(int, code);
        QCOMPARE(BookFormat::formatFromSuffix(suffix), code);
    }

    void names()
    {
        QCOMPARE(BookFormat::formatName(4), QString("djvu"));
        QCOMPARE(BookFormat::formatName(2), QString("fb2"));
        QCOMPARE(BookFormat::formatName(8), QString("unknown"));
        QCOMPARE(BookFormat::formatName(9), QString("unknown"));
        QCOMPARE(BookFormat::formatName(-1), QString("unknown"));
        QCOMPARE(BookFormat::codes(), (QList<int>{0, 1, 2, 3, 4, 5, 6, 7}));
        for (int code : BookFormat::codes())
            QCOMPARE(BookFormat::formatFromSuffix(BookFormat::formatName(code)), code);
    }

    void accepted()
    {
        QCOMPARE(BookFormat::acceptedSuffixes(),
                 (QStringList{"epub", "mobi", "prc", "fb2", "cbr", "cbz", "pdf", "djvu"}));
        QVERIFY(BookFormat::isAccepted("FB2"));
        QVERIFY(BookFormat::isAccepted("DjVu"));
        QVERIFY(!BookFormat::isAccepted("xps"));
    }

    void viewers()
    {
        using V = BookFormat::Viewer;
        const QList<V> expected{V::Text, V::Text,  V::Text,  V::Pdf,  V::Pdf,
                                V::Text, V::Image, V::Image, V::None, V::None};
        for (int code = 0; code <= 9; ++code)
            QCOMPARE(BookFormat::viewerFor(code), expected.at(code));
    }

    void factory()
    {
        std::unique_ptr<TextDocument> fb(createTextDocument("/books/A.FB2"));
        QVERIFY(qobject_cast<fb2::FbDocument*>(fb.get()));
        QVERIFY(!fb->parent());
        std::unique_ptr<TextDocument> txt(createTextDocument("/books/a.txt"));
        QVERIFY(txt);
        QVERIFY(!qobject_cast<fb2::FbDocument*>(txt.get()));
        txt->load();
        QCOMPARE(txt->pageCount(), 0);
        QCOMPARE(txt->progress(), 0.0);
        QCOMPARE(txt->calcProgressByPage(1), 0);
        QVERIFY(txt->search("word").isEmpty());
        std::unique_ptr<TextDocument> noSuffix(createTextDocument("/books/README"));
        QVERIFY(noSuffix);
    }

    void tocPointIsAValue()
    {
        TocPoint a;
        a.title = "One";
        a.children << TocPoint{"Child", 5, 1, {}};
        TocPoint b = a;
        b.title = "Two";
        b.children[0].title = "Changed";
        QCOMPARE(a.title, QString("One"));
        QCOMPARE(a.children.at(0).title, QString("Child"));
    }
};

QTEST_MAIN(TestBookFormat)
#include "TestBookFormat.moc"
