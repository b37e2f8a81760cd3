#include "Logger.h"

#include "Paths.h"

#include <QDebug>
#include <QFile>
#include <QSysInfo>
#include <QTextStream>

namespace {
const char* const kLevelNames[] = {"DEBUG", "ERROR", "WARNING", "INFO"};
}

Logger* Logger::instance()
{
    static Logger logger;
    return &logger;
}

QString Logger::levelName(int level)
{
    if (level < 0 || level > 3)
        return QStringLiteral("DEBUG");
    return QString::fromLatin1(kLevelNames[level]);
}

QString Logger::osName()
{
    const QString name = QSysInfo::prettyProductName();
    return name.isEmpty() ? QStringLiteral("Unknown OS") : name;
}

QString Logger::buildWord()
{
    return sizeof(void*) == 8 ? QStringLiteral("64bit") : QStringLiteral("32bit");
}

void Logger::setClock(std::function<QDateTime()> clock)
{
    m_clock = std::move(clock);
}

QDateTime Logger::now() const
{
    return m_clock ? m_clock() : QDateTime::currentDateTime();
}

QString Logger::pathFor(const QDateTime& when) const
{
    return Paths::logFolder() + QStringLiteral("/log_%1.txt").arg(when.toString("yyyy_MM_dd"));
}

QString Logger::currentLogPath() const
{
    return pathFor(now());
}

void Logger::write(const QString& message, int level)
{
    Log2File(message, levelName(level));
}

void Logger::Log2File(const QString& message, const QString& levelName)
{
    // The date and time are taken once, so a line written at midnight names
    // the file of the same day as its own time stamp.
    const QDateTime when = now();
    const QString line = QStringLiteral("[%5][%4][%6][%1] %2: %3\n")
                             .arg(when.toString("hh:mm:ss"), levelName, message, osName(),
                                  QStringLiteral(LANTERNLEAF_VERSION), buildWord());
    QFile file(pathFor(when));
    if (file.open(QIODevice::ReadWrite | QIODevice::Append | QIODevice::Text)) {
        QTextStream out(&file);
        out.setCodec("UTF-8");
        out << line;
    }
    qDebug().noquote() << line.trimmed();
}
