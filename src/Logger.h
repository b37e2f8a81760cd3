#pragma once

#include <QDateTime>
#include <QString>
#include <functional>

/// Appends one line per event to a plain-text log file per local calendar day
/// ("log_yyyy_MM_dd.txt" in the log folder) and echoes it to the debug output.
/// Meant for coarse events (operations starting, ending, failing).
///
/// Thread-safe: every write opens, appends and closes the file on its own, so
/// lines from the GUI thread and the workers stay whole.
/// Failure: a file that cannot be opened loses the line silently (the debug
/// echo still happens).
class Logger
{
public:
    enum Level
    {
        Debug = 0,
        Error = 1,
        Warning = 2,
        Info = 3
    };

    static Logger* instance();

    /// Formats "[version][os][build][hh:mm:ss] LEVEL: message" and appends it.
    void write(const QString& message, int level);
    /// The appending step proper: message and level name already chosen.
    void Log2File(const QString& message, const QString& levelName);

    /// Path of today's log file (the crash report attaches it).
    QString currentLogPath() const;
    static QString levelName(int level);
    /// The operating system's name for log lines, "Unknown OS" when unknown.
    static QString osName();
    /// "64bit" or "32bit", from the word size of this build.
    static QString buildWord();

    /// Test seam: replaces the clock (nullptr restores the system clock).
    void setClock(std::function<QDateTime()> clock);

private:
    Logger() = default;
    QString pathFor(const QDateTime& when) const;
    QDateTime now() const;

    std::function<QDateTime()> m_clock;
};

/// Shorthands for the usual levels.
inline void logDebug(const QString& m)
{
    Logger::instance()->write(m, Logger::Debug);
}
inline void logError(const QString& m)
{
    Logger::instance()->write(m, Logger::Error);
}
inline void logWarning(const QString& m)
{
    Logger::instance()->write(m, Logger::Warning);
}
inline void logInfo(const QString& m)
{
    Logger::instance()->write(m, Logger::Info);
}
