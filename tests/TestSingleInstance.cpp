#include "Paths.h"
#include "helpers/Probe.h"
#include "util/TestHome.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <QtTest>
#include <memory>

// Single instance with real processes: the probe's "listen" mode is a running
// instance that writes what it receives to a file, its "send" mode a second
// launch.
class TestSingleInstance : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(m_bin.isValid());
        m_probe = probe::copyTo(m_bin.path() + "/a");
        QVERIFY(!m_probe.isEmpty());
    }
    void cleanup()
    {
        for (auto& listener : m_listeners) {
            listener->closeWriteChannel();
            if (!listener->waitForFinished(10000))
                listener->kill();
            listener->waitForFinished();
        }
        m_listeners.clear();
        QFile::remove(received());
    }

    void secondLaunchHandsItsArgumentsOver()
    {
        QCOMPARE(startListener(m_probe, received()).section(' ', 0, 0), QString("primary"));

        const QStringList books{"/books/a.epub", QString::fromUtf8("Книга с пробелом.fb2"), "", "x|y"};
        const probe::Result first = probe::run(m_probe, QStringList{"send"} + books);
        QCOMPARE(first.out.section(' ', 0, 0), QString("secondary"));
        QCOMPARE(first.exitCode, 0);
        const probe::Result second = probe::run(m_probe, {"send"});
        QCOMPARE(second.exitCode, 0);

        // Received exactly, every argument followed by "|", the program's own
        // path first, in the order sent.
        const QString expected = m_probe + "|send|/books/a.epub|" +
                                 QString::fromUtf8("Книга с пробелом.fb2") + "||x|y|\n" + m_probe +
                                 "|send|\n";
        QTRY_COMPARE(readReceived(), expected);
    }

    void noRunningInstanceMeansNoDelivery()
    {
        const probe::Result result = probe::run(m_probe, {"send", "/books/a.epub"});
        QCOMPARE(result.status, QProcess::NormalExit);
        QCOMPARE(result.exitCode, 1);
        QCOMPARE(result.out.section(' ', 0, 0), QString("primary"));
    }

    void killedInstanceDoesNotBlockTheNextStart()
    {
        const QString role = startListener(m_probe, received());
        QCOMPARE(role.section(' ', 0, 0), QString("primary"));
        const QString key = role.section(' ', 1);
        QProcess* victim = m_listeners.back().get();
        victim->kill(); // SIGKILL: nothing is cleaned up
        QVERIFY(victim->waitForFinished());
        m_listeners.pop_back();
        QVERIFY(QFile::exists(QDir::tempPath() + "/" + key + ".lock"));
        QVERIFY(QFile::exists(QDir::tempPath() + "/" + key));

        QCOMPARE(startListener(m_probe, received()).section(' ', 0, 0), QString("primary"));
        QCOMPARE(probe::run(m_probe, {"send", "after-crash"}).exitCode, 0);
        QTRY_COMPARE(readReceived(), m_probe + "|send|after-crash|\n");
    }

    void copiesInOtherFoldersAreSeparateInstances()
    {
        const QString other = probe::copyTo(m_bin.path() + "/b");
        const QString otherReceived = m_bin.path() + "/b-received.txt";
        const QString roleA = startListener(m_probe, received());
        const QString roleB = startListener(other, otherReceived);
        QCOMPARE(roleA.section(' ', 0, 0), QString("primary"));
        QCOMPARE(roleB.section(' ', 0, 0), QString("primary"));
        QVERIFY(roleA.section(' ', 1) != roleB.section(' ', 1));

        QCOMPARE(probe::run(other, {"send", "to-b"}).exitCode, 0);
        QTRY_COMPARE(readReceived(otherReceived), other + "|send|to-b|\n");
        QCOMPARE(readReceived(), QString());
    }

    // The program itself: a second launch hands its command line to the
    // running one, which logs it, and exits 0.
    void programSecondLaunch()
    {
        const QString program = QStringLiteral(PROGRAM_PATH);
        QProcess first;
        first.start(program, QStringList());
        QVERIFY(first.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(log().contains("DEBUG: main_view msg:" + program + "|\n"), 30000);

        const QString book = m_bin.path() + "/book.epub";
        QFile file(book);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        const probe::Result second = probe::run(program, {book});
        QCOMPARE(second.status, QProcess::NormalExit);
        QCOMPARE(second.exitCode, 0);
        QTRY_VERIFY(log().contains("DEBUG: main_view msg:" + program + "|" + book + "|\n"));
        QCOMPARE(first.state(), QProcess::Running);
        // The end of a session closes the window the ordinary way: the
        // process exits normally and the window's state reaches the settings.
        first.terminate();
        QVERIFY(first.waitForFinished());
        QCOMPARE(first.exitStatus(), QProcess::NormalExit);
        QCOMPARE(first.exitCode(), 0);
        QVERIFY(Paths::settings()->contains("mainview.geometry"));
    }

private:
    QString received() const { return m_bin.path() + "/received.txt"; }

    QString startListener(const QString& program, const QString& output)
    {
        auto process = std::make_unique<QProcess>();
        process->setProcessChannelMode(QProcess::SeparateChannels);
        process->start(program, {"listen", output});
        const QString role = probe::readRole(*process);
        m_listeners.push_back(std::move(process));
        return role;
    }

    static QString readReceived(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
    QString readReceived() const { return readReceived(received()); }

    QString log() const
    {
        QString text;
        const QDir folder(m_home.path() + "/.lanternleaf/log");
        for (const QString& name : folder.entryList({"log_*.txt"}, QDir::Files, QDir::Name))
            text += readReceived(folder.filePath(name));
        return text;
    }

    TestHome m_home;
    QTemporaryDir m_bin;
    QString m_probe;
    std::vector<std::unique_ptr<QProcess>> m_listeners;
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "TestSingleInstance.moc"
