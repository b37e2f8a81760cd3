#include "Logger.h"
#include "Paths.h"
#include "util/TestHome.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QtTest>

class TestLogger : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_home.wipe();
        Logger::instance()->setClock(nullptr);
    }
    void cleanup() { Logger::instance()->setClock(nullptr); }

    void writesTheExactLineFormat()
    {
        const QDateTime when(QDate(2026, 3, 4), QTime(14, 3, 59));
        Logger::instance()->setClock([when] { return when; });
        QVERIFY(!QDir(m_home.path() + "/.lanternleaf/log").exists());

        Logger::instance()->write("Add books [FAILED]. Error:%1", Logger::Error);
        Logger::instance()->write(QString::fromUtf8("Открыть «книгу»"), Logger::Info);

        const QString path = m_home.path() + "/.lanternleaf/log/log_2026_03_04.txt";
        QCOMPARE(Logger::instance()->currentLogPath(), path);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(file.readAll());
        const QString prefix =
            "[2.0.8][" + Logger::osName() + "][" + (sizeof(void*) == 8 ? "64bit" : "32bit") + "][14:03:59] ";
        // "%1" inside a message comes through literally, never substituted.
        QCOMPARE(text, prefix + "ERROR: Add books [FAILED]. Error:%1\n" + prefix +
                           "INFO: " + QString::fromUtf8("Открыть «книгу»\n"));
    }

    void levelsAndFallbacks()
    {
        QCOMPARE(Logger::levelName(0), QString("DEBUG"));
        QCOMPARE(Logger::levelName(1), QString("ERROR"));
        QCOMPARE(Logger::levelName(2), QString("WARNING"));
        QCOMPARE(Logger::levelName(3), QString("INFO"));
        QVERIFY(!Logger::osName().isEmpty());
    }

    void midnightSplitsFiles()
    {
        QDateTime when(QDate(2026, 12, 31), QTime(23, 59, 59));
        Logger::instance()->setClock([&when] { return when; });
        Logger::instance()->write("before", Logger::Debug);
        when = QDateTime(QDate(2027, 1, 1), QTime(0, 0, 1));
        Logger::instance()->write("after", Logger::Debug);

        QFile before(m_home.path() + "/.lanternleaf/log/log_2026_12_31.txt");
        QFile after(m_home.path() + "/.lanternleaf/log/log_2027_01_01.txt");
        QVERIFY(before.open(QIODevice::ReadOnly));
        QVERIFY(after.open(QIODevice::ReadOnly));
        QVERIFY(before.readAll().endsWith("DEBUG: before\n"));
        QVERIFY(after.readAll().endsWith("DEBUG: after\n"));
    }

    void unwritableFolderLosesLineQuietly()
    {
        // A file where the log folder should be: the write is lost, no crash.
        QDir().mkpath(m_home.path() + "/.lanternleaf");
        QFile blocker(m_home.path() + "/.lanternleaf/log");
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        Logger::instance()->write("lost", Logger::Error);
        QVERIFY(QFileInfo(blocker.fileName()).isFile());
    }

private:
    TestHome m_home;
};

QTEST_GUILESS_MAIN(TestLogger)
#include "TestLogger.moc"
