#include "CrashInstaller.h"
#include "helpers/Probe.h"
#include "util/TestHome.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QtTest>

#include <csignal>
#include <cstring>

namespace {

void customHandler(int) {}

struct sigaction currentAction(int sig)
{
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    sigaction(sig, nullptr, &action);
    return action;
}

QString readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

// The crash reporter with a child process that dies on purpose: the report
// folder must be complete and the child must still die of its signal.

class TestCrash : public QObject
{
    Q_OBJECT
private slots:
    void init() { m_home.wipe(); }

    void reportOfACrash_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("signal");
        QTest::addColumn<QString>("name");
        QTest::newRow("null write") << "segv" << SIGSEGV << "SIGSEGV";
        QTest::newRow("abort") << "abort" << SIGABRT << "SIGABRT";
        QTest::newRow("division by zero") << "fpe" << SIGFPE << "SIGFPE";
        QTest::newRow("page past end of file") << "bus" << SIGBUS << "SIGBUS";
        QTest::newRow("trap") << "ill" << SIGILL << "SIGILL";
    }
    void reportOfACrash()
    {
        QFETCH(QString, kind);
        QFETCH(int, signal);
        QFETCH(QString, name);

        const probe::Result result = probe::run(PROBE_PATH, {"crash", kind}, {"QT_QPA_PLATFORM=offscreen"});
        QCOMPARE(result.status, QProcess::CrashExit);
        QCOMPARE(result.exitCode, signal); // the signal that ended the child

        const QString folder = reportFolder();
        QVERIFY(!folder.isEmpty());
        const QString backtrace = readAll(folder + "/backtrace.txt");
        QVERIFY2(backtrace.startsWith(QString("Signal: %1 (%2)\n").arg(signal).arg(name)),
                 qPrintable(backtrace));
        QVERIFY(backtrace.contains("\nBacktrace:\n"));
        QVERIFY2(backtrace.contains("instance_probe("), "the frames name the crashed program");

        const QString log = readAll(folder + "/" + QFileInfo(todaysLog()).fileName());
        QVERIFY(log.contains("INFO: probe about to crash"));
        QVERIFY(readAll(folder + "/settings.ini").contains("probe=1"));

        const QString report = readAll(folder + "/report.txt");
        QVERIFY2(report.contains("\nSignal: " + QString::number(signal) + "\n"), qPrintable(report));
        QVERIFY(report.contains("backtrace.txt: Backtrace\n"));
        QVERIFY(report.contains(QFileInfo(todaysLog()).fileName() + ": Log file\n"));
        QVERIFY(report.contains("settings.ini: Configuration File\n"));
        // The offscreen platform has no screen to capture; the report says so
        // and is complete otherwise.
        QVERIFY(report.contains("Screenshot: not available"));
        QVERIFY(!QFile::exists(folder + "/screenshot.png"));
        QVERIFY(report.contains("Screen count: 1\n"));
        QVERIFY(QRegularExpression("\nScreen 0: [1-9][0-9]*x[1-9][0-9]*\n").match(report).hasMatch());
    }

    void screenshotOnARealDisplay()
    {
        const QString xvfb = QStandardPaths::findExecutable("Xvfb");
        if (xvfb.isEmpty())
            QSKIP("Xvfb is not installed");
        QProcess server;
        server.start(xvfb, {"-displayfd", "1", "-screen", "0", "640x480x24", "-nolisten", "tcp"});
        QVERIFY(server.waitForStarted());
        const QString display = probe::readRole(server);
        QVERIFY2(!display.isEmpty(), "Xvfb told no display number");

        const probe::Result result = probe::run(
            PROBE_PATH, {"crash", "segv"}, {"QT_QPA_PLATFORM=xcb", "DISPLAY=:" + display, "XAUTHORITY="});
        server.terminate();
        server.waitForFinished();
        QCOMPARE(result.status, QProcess::CrashExit);
        QCOMPARE(result.exitCode, SIGSEGV);

        const QString folder = reportFolder();
        const QString report = readAll(folder + "/report.txt");
        QVERIFY2(report.contains("screenshot.png: Screenshot\n"), qPrintable(report));
        QVERIFY(report.contains("Screen count: 1\nScreen 0: 640x480\n"));
        const QImage shot(folder + "/screenshot.png");
        QCOMPARE(shot.size(), QSize(640, 480));
    }

    void uninstallRestoresThePreviousHandlers()
    {
        struct sigaction mine;
        std::memset(&mine, 0, sizeof mine);
        mine.sa_handler = customHandler;
        sigemptyset(&mine.sa_mask);
        struct sigaction saved;
        sigaction(SIGFPE, &mine, &saved);
        // The test library has handlers of its own on the other signals.
        const struct sigaction segv = currentAction(SIGSEGV);
        {
            CrashInstaller installer;
            QVERIFY(installer.isInstalled());
            QVERIFY(currentAction(SIGFPE).sa_flags & SA_SIGINFO);
            QVERIFY(currentAction(SIGSEGV).sa_flags & SA_SIGINFO);

            // Only one reporter at a time; the refused one changes nothing.
            {
                CrashInstaller second;
                QVERIFY(!second.isInstalled());
            }
            QVERIFY(currentAction(SIGSEGV).sa_flags & SA_SIGINFO);
        }
        QVERIFY(currentAction(SIGFPE).sa_handler == customHandler);
        QVERIFY(currentAction(SIGSEGV).sa_handler == segv.sa_handler);
        sigaction(SIGFPE, &saved, nullptr);
        QVERIFY(readAll(todaysLog()).contains("DEBUG: Could not start crash reporter. "));
    }

    void failedInstallationIsLoggedAndHarmless()
    {
        // A file where the crash folder should be.
        QDir().mkpath(m_home.path() + "/.lanternleaf");
        QFile blocker(m_home.path() + "/.lanternleaf/crash");
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();

        const struct sigaction segv = currentAction(SIGSEGV);
        CrashInstaller installer;
        QVERIFY(!installer.isInstalled());
        QVERIFY(currentAction(SIGSEGV).sa_handler == segv.sa_handler);
        QVERIFY(readAll(todaysLog())
                    .contains("DEBUG: Could not start crash reporter. Cannot create the folder "));
    }

private:
    QString todaysLog() const
    {
        const QDir folder(m_home.path() + "/.lanternleaf/log");
        const QStringList names = folder.entryList({"log_*.txt"}, QDir::Files, QDir::Name | QDir::Reversed);
        return names.isEmpty() ? QString() : folder.filePath(names.first());
    }

    QString reportFolder() const
    {
        const QDir crash(m_home.path() + "/.lanternleaf/crash");
        const QStringList folders = crash.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        return folders.size() == 1 ? crash.filePath(folders.first()) : QString();
    }

    TestHome m_home;
};

QTEST_GUILESS_MAIN(TestCrash)
#include "TestCrash.moc"
