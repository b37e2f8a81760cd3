#pragma once

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

/// Running the instance probe (tests/helpers/instance_probe.cpp) and the
/// program itself as child processes.
namespace probe {

/// Copies the probe into folder (created) and answers the copy's path: a copy
/// has an instance key of its own, so tests running in parallel never meet.
inline QString copyTo(const QString& folder)
{
    QDir().mkpath(folder);
    const QString target = folder + QStringLiteral("/instance_probe");
    QFile::remove(target);
    if (!QFile::copy(QStringLiteral(PROBE_PATH), target))
        return QString();
    QFile::setPermissions(target, QFile::permissions(QStringLiteral(PROBE_PATH)));
    return target;
}

/// The first line the probe prints: "primary KEY" or "secondary KEY".
inline QString readRole(QProcess& process)
{
    while (!process.canReadLine()) {
        if (!process.waitForReadyRead(30000))
            return QString();
    }
    return QString::fromUtf8(process.readLine()).trimmed();
}

struct Result
{
    int exitCode = -1;
    QProcess::ExitStatus status = QProcess::CrashExit;
    QString out;
    QString err;
};

/// Runs program with arguments to its end; env entries ("NAME=value") are
/// added to the test's own environment.
inline Result run(const QString& program, const QStringList& arguments, const QStringList& env = {})
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString& entry : env)
        environment.insert(entry.section(QLatin1Char('='), 0, 0), entry.section(QLatin1Char('='), 1));
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    Result result;
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        return result;
    }
    result.exitCode = process.exitCode();
    result.status = process.exitStatus();
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

} // namespace probe
