#include "Application.h"
#include "Paths.h"
#include "helpers/Probe.h"
#include "util/TestHome.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTranslator>
#include <QtTest>

class TestApplication : public QObject
{
    Q_OBJECT
private slots:
    void messageFromArguments_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        QTest::newRow("none") << QStringList() << QString();
        QTest::newRow("program only") << QStringList{"/usr/bin/lanternleaf"} << "/usr/bin/lanternleaf|";
        QTest::newRow("empty and spaced arguments kept in order")
            << QStringList{"/usr/bin/lanternleaf", "", "/b/a b.epub", "c.PDF"}
            << "/usr/bin/lanternleaf||/b/a b.epub|c.PDF|";
    }
    void messageFromArguments()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        QCOMPARE(Application::messageFromArguments(arguments), message);
    }

    void supportedFormatsInOrder()
    {
        QCOMPARE(Application::supportedFormats(),
                 QStringList({"epub", "mobi", "prc", "fb2", "cbr", "cbz", "pdf"}));
    }

    // The translation is chosen in a child process: the system locale is read
    // from the environment when a process starts.
    void translator_data()
    {
        QTest::addColumn<QVariant>("setting");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("text");
        QTest::newRow("no setting, German system") << QVariant() << "de_DE.UTF-8"
                                                   << "lanternleaf_de.qm"
                                                   << "Deutsch";
        QTest::newRow("empty setting, German system") << QVariant("") << "de_AT.UTF-8"
                                                      << "lanternleaf_de.qm"
                                                      << "Deutsch";
        QTest::newRow("empty setting, no French file") << QVariant("") << "fr_FR.UTF-8"
                                                       << "lanternleaf_fr.qm"
                                                       << "English";
        QTest::newRow("setting wins over the system") << QVariant("de") << "fr_FR.UTF-8"
                                                      << "lanternleaf_de.qm"
                                                      << "Deutsch";
        QTest::newRow("missing file stays English") << QVariant("xx") << "de_DE.UTF-8"
                                                    << "lanternleaf_xx.qm"
                                                    << "English";
    }
    void translator()
    {
        QFETCH(QVariant, setting);
        QFETCH(QString, locale);
        QFETCH(QString, file);
        QFETCH(QString, text);

        m_home.wipe();
        {
            QSettings settings(Paths::settingsFile(), QSettings::IniFormat);
            if (setting.isValid())
                settings.setValue("Language", setting);
        }
        const probe::Result result = probe::run(
            m_probe, {"translate"}, {"LC_ALL=" + locale, "LANG=" + locale, "QT_QPA_PLATFORM=offscreen"});
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.out.section('\n', 1, 1), text);
        const QString loaded = QDir(m_bin.path()).filePath("translations/" + file);
        QVERIFY2(result.err.contains("Load translation: \"" + loaded + "\""), qPrintable(result.err));
        QVERIFY(result.err.contains(QString("Result: ") + (text == "English" ? "false" : "true")));
    }

    // The program's own German translation names its language.
    void programTranslationNamesItsLanguage()
    {
        const QString qm = QStringLiteral(PROGRAM_TRANSLATIONS) + "/lanternleaf_de.qm";
        QTranslator translator;
        QVERIFY(translator.load(qm));
        const QString name = translator.translate("SettingsView", "English");
        if (name.isEmpty())
            QSKIP("the German translation does not translate the language's name yet");
        QCOMPARE(name, QString("Deutsch"));
    }

    void initTestCase()
    {
        QVERIFY(m_bin.isValid());
        m_probe = probe::copyTo(m_bin.path());
        QVERIFY(!m_probe.isEmpty());
        QDir().mkpath(m_bin.path() + "/translations");
        QVERIFY(QFile::copy(FIXTURE_QM, m_bin.path() + "/translations/lanternleaf_de.qm"));
    }

private:
    TestHome m_home;
    QTemporaryDir m_bin;
    QString m_probe;
};

QTEST_GUILESS_MAIN(TestApplication)
#include "TestApplication.moc"
