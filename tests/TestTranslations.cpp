#include "Paths.h"
#include "helpers/Probe.h"
#include "util/TestHome.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

// Where the program finds its translations, seen from real processes: the
// probe runs the program's own Application from wherever it is copied.
class TestTranslations : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_home.wipe();
        QSettings settings(Paths::settingsFile(), QSettings::IniFormat);
        settings.setValue("Language", "de");
    }

    void searchOrder_data()
    {
        QTest::addColumn<bool>("besideProgram");
        QTest::addColumn<bool>("installed");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("loaded");
        QTest::newRow("beside the program") << true << false << "Deutsch"
                                            << "bin/translations";
        QTest::newRow("installed data folder") << false << true << "Deutsch"
                                               << "share/lanternleaf/translations";
        QTest::newRow("beside the program comes first") << true << true << "Deutsch"
                                                        << "bin/translations";
        QTest::newRow("nowhere: English") << false << false << "English"
                                          << "bin/translations";
    }
    void searchOrder()
    {
        QFETCH(bool, besideProgram);
        QFETCH(bool, installed);
        QFETCH(QString, text);
        QFETCH(QString, loaded);
        QTemporaryDir prefix;
        const QString probe = probe::copyTo(prefix.path() + "/bin");
        QVERIFY(!probe.isEmpty());
        if (besideProgram)
            QVERIFY(copy(FIXTURE_QM, prefix.path() + "/bin/translations/lanternleaf_de.qm"));
        // A file that names another language shows which folder won.
        if (installed)
            QVERIFY(copy(QStringLiteral(PROGRAM_TRANSLATIONS) + "/lanternleaf_ru.qm",
                         prefix.path() + "/share/lanternleaf/translations/lanternleaf_de.qm"));
        if (installed && !besideProgram)
            QVERIFY(copy(FIXTURE_QM, prefix.path() + "/share/lanternleaf/translations/lanternleaf_de.qm"));

        const probe::Result result = probe::run(probe, {"translate"}, {"QT_QPA_PLATFORM=offscreen"});
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.out.section('\n', 1, 1), text);
        const QString path = prefix.path() + "/" + loaded + "/lanternleaf_de.qm";
        QVERIFY2(result.err.contains("Load translation: \"" + path + "\""), qPrintable(result.err));
    }

    // The real installation: every language is found under the prefix, and
    // switching to German and back to English works there.
    void installedCopyFindsItsTranslations()
    {
        QTemporaryDir prefix;
        QProcess install;
        install.start(QStringLiteral(CMAKE_COMMAND),
                      {"--install", QStringLiteral(BUILD_DIR), "--prefix", prefix.path()});
        QVERIFY(install.waitForFinished(120000));
        QVERIFY2(install.exitCode() == 0, install.readAllStandardError().constData());
        QVERIFY(QFileInfo(prefix.path() + "/bin/lanternleaf").isExecutable());
        QVERIFY(!QFileInfo::exists(prefix.path() + "/bin/translations"));
        for (const QString code : {"de", "en", "ru"})
            QVERIFY(QFileInfo::exists(prefix.path() + "/share/lanternleaf/translations/lanternleaf_" + code +
                                      ".qm"));

        // The probe stands in for the installed program beside it.
        const QString probe = probe::copyTo(prefix.path() + "/bin");
        const probe::Result result =
            probe::run(probe, {"language", "ru", "en", "de", "en"}, {"QT_QPA_PLATFORM=offscreen"});
        QCOMPARE(result.exitCode, 0);
        // Qt's own dialogs follow the language too, and fall back to English.
        QCOMPARE(result.out.split('\n').mid(1, 4),
                 QStringList({QString::fromUtf8("Настройки\tПерейти к:"), "Settings\tLook in:",
                              "Einstellungen\tSuchen in:", "Settings\tLook in:"}));
        QSettings settings(Paths::settingsFile(), QSettings::IniFormat);
        QCOMPARE(settings.value("Language").toString(), QString("en"));
    }

private:
    static bool copy(const QString& from, const QString& to)
    {
        QDir().mkpath(QFileInfo(to).path());
        QFile::remove(to);
        return QFile::copy(from, to);
    }

    TestHome m_home;
};

QTEST_GUILESS_MAIN(TestTranslations)
#include "TestTranslations.moc"
