#pragma once

#include <QString>
#include <QStringList>

/// Crash reporting for the life of the object: the constructor installs
/// handlers for SIGSEGV, SIGABRT, SIGBUS, SIGFPE and SIGILL, the destructor
/// puts the previous handlers back.
///
/// On a fatal signal the handler writes a report folder under
/// home + "/.lanternleaf/crash/" with the backtrace, then starts this same
/// executable as a helper (writeReport()) that adds a copy of the log file,
/// a copy of the settings file, a screenshot of the whole virtual screen and
/// a "report.txt" with the screen properties and the list of attached files.
/// Afterwards the process still dies of the signal (exit status, core dump).
///
/// Only one installer is active at a time; construct it on the GUI thread
/// after the application object. A failed installation is logged and the
/// program runs without crash reporting.
class CrashInstaller
{
public:
    CrashInstaller();
    ~CrashInstaller();
    CrashInstaller(const CrashInstaller&) = delete;
    CrashInstaller& operator=(const CrashInstaller&) = delete;

    /// True while this object's handlers are in place.
    bool isInstalled() const { return m_installed; }

    /// The folder that receives one sub-folder per crash.
    static QString crashFolder();

    /// True when argv asks this process to be the report helper; checked at
    /// the very top of the entry point, before any application object.
    static bool isReportRequest(int argc, char** argv);
    /// The report helper: completes the report folder named in argv. Returns
    /// the process exit code.
    static int writeReport(int argc, char** argv);

    /// The screen properties of the current screens, as "WxH" per screen.
    static QStringList screenSizes();

private:
    bool install(QString* error);
    void uninstall();

    bool m_installed = false;
};
