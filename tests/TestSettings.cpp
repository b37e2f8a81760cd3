#include "Paths.h"
#include "Settings.h"
#include "util/TestHome.h"

#include <QSignalSpy>
#include <QtTest>

class TestSettings : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_home.wipe();
        Settings::instance()->load();
    }

    void defaultsFromEmptyFile()
    {
        Paths::settings()->setValue("Language", "de"); // only the general section
        Settings::instance()->load();
        const ReaderSettings d = Settings::instance()->data();
        QCOMPARE(d.leftSpacing, 30);
        QCOMPARE(d.rightSpacing, 30);
        QCOMPARE(d.topSpacing, 30);
        QCOMPARE(d.bottomSpacing, 30);
        QCOMPARE(d.lineSpacing, 0);
        QCOMPARE(d.paragraphAlignment, 3);
        QCOMPARE(d.columnCount, 2);
        QCOMPARE(d.currentProfile, 0);
        QCOMPARE(d.showFade, false);
        QCOMPARE(d.profiles.size(), 3);
        QCOMPARE(d.profiles[1].textColor, QColor("#486682"));
        QCOMPARE(d.profiles[2].selectionColor, QColor(0x01, 0x08, 0x19, 100));
        QCOMPARE(d.profiles[0].textFamily, QString("Times New Roman"));
        QCOMPARE(d.profiles[0].pageNumberColor, QColor("#757575"));
    }

    void missingProfileKeyKeepsTheOthers()
    {
        ReaderSettings d = Settings::defaults();
        d.profiles[1].textSize = 21;
        d.profiles[1].textFamily = "DejaVu Serif";
        d.profiles[1].backgroundColor = QColor(1, 2, 3);
        Settings::instance()->setData(d, true);
        Paths::settings()->remove("viwer.text.profile_1/profile.text.size");

        Settings::instance()->load();
        const ReadingProfile p = Settings::instance()->data().profiles[1];
        QCOMPARE(p.textSize, 13);
        QCOMPARE(p.textFamily, QString("DejaVu Serif"));
        QCOMPARE(p.backgroundColor, QColor(1, 2, 3));
    }

    void roundTripOfEveryField()
    {
        ReaderSettings d = Settings::defaults();
        d.leftSpacing = 1;
        d.rightSpacing = 2;
        d.topSpacing = 3;
        d.bottomSpacing = 4;
        d.lineSpacing = 5;
        d.paragraphAlignment = 1;
        d.showFade = true;
        d.currentProfile = 2;
        d.columnCount = 1;
        ReadingProfile& p = d.profiles[2];
        p.textFamily = "A";
        p.textBold = true;
        p.textItalic = true;
        p.textSize = 17;
        p.textColor = QColor(10, 20, 30, 40);
        p.captionFamily = "B";
        p.captionBold = true;
        p.captionItalic = true;
        p.captionSize = 19;
        p.captionColor = QColor(50, 60, 70);
        p.bookShadow = true;
        p.backgroundColor = QColor(80, 90, 100);
        p.workgroundColor = QColor(110, 120, 130);
        p.pageNumberColor = QColor(140, 150, 160);
        p.selectionColor = QColor(170, 180, 190, 200);
        Settings::instance()->setData(d, true);

        Settings::instance()->load();
        QVERIFY(Settings::instance()->data() == d);
        // The misspelt section names are what stored files rely on.
        auto s = Paths::settings();
        QCOMPARE(s->value("viwer.text.profile").toInt(), 2);
        QCOMPARE(s->value("viwer.text.profile_2/profile.text.size").toInt(), 17);
        QCOMPARE(s->value("viewer.text/spacing.up").toInt(), 3);
    }

    void changedArrivesOnTheEventLoop()
    {
        QSignalSpy spy(Settings::instance(), &Settings::changed);
        Settings::instance()->setData(Settings::defaults());
        QCOMPARE(spy.count(), 0);
        QTRY_COMPARE(spy.count(), 1);
        Settings::instance()->setData(Settings::defaults(), true);
        QTest::qWait(20);
        QCOMPARE(spy.count(), 1);
    }

    void resetKeepsOnlyTheFade()
    {
        ReaderSettings d = Settings::defaults();
        d.showFade = true;
        d.currentProfile = 1;
        d.columnCount = 1;
        d.profiles[0].textSize = 30;
        Settings::instance()->setData(d, true);
        QSignalSpy spy(Settings::instance(), &Settings::changed);
        Settings::instance()->resetProfiles();
        ReaderSettings expected = Settings::defaults();
        expected.showFade = true;
        QVERIFY(Settings::instance()->data() == expected);
        QTRY_COMPARE(spy.count(), 1);
        Settings::instance()->load();
        QVERIFY(Settings::instance()->data() == expected);
    }

private:
    TestHome m_home;
};

QTEST_GUILESS_MAIN(TestSettings)
#include "TestSettings.moc"
