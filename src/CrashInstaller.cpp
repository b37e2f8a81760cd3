#include "CrashInstaller.h"

#include "Logger.h"
#include "Paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QPixmap>
#include <QScreen>
#include <QTextStream>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <execinfo.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

// The report helper is this same executable started again with a marker
// argument, not a separate program: nothing extra to install or find at
// crash time, and helper and program can never be of different versions.
// It runs as a fresh process, so it may use Qt freely (file copies, a
// QGuiApplication for the screenshot), which the signal handler may not.

Q_LOGGING_CATEGORY(lcCrash, "lanternleaf.crash")

namespace {

const char kReportFlag[] = "--lanternleaf-crash-report";
const int kSignals[] = {SIGSEGV, SIGABRT, SIGBUS, SIGFPE, SIGILL};
constexpr int kSignalCount = sizeof(kSignals) / sizeof(kSignals[0]);
constexpr size_t kPathSize = 4096;
constexpr size_t kAltStackSize = 256 * 1024;
// How long the crashing process waits for its helper before dying anyway.
constexpr int kHelperWaitMs = 30000;

// Everything the handler touches is prepared at install time in static
// storage: no allocation, no locks, no Qt inside the handler.
struct CrashState
{
    struct sigaction previous[kSignalCount];
    stack_t previousStack;
    bool ownStack = false;
    char executable[kPathSize];
    char crashRoot[kPathSize];
    char logPath[kPathSize];
    char settingsPath[kPathSize];
    char screens[2048];
    // Filled in by the handler.
    char folder[kPathSize];
    char file[kPathSize];
    char signalText[16];
    char pidText[24];
    char* argv[9];
    void* frames[128];
};

CrashState g_state;
std::atomic<bool> g_installed{false};
std::atomic<long> g_handlingThread{0};
char* g_altStack = nullptr;

static_assert(std::atomic<long>::is_always_lock_free, "the handler needs a lock-free flag");

// --- async-signal-safe helpers ---------------------------------------------

size_t safeLength(const char* s)
{
    size_t n = 0;
    while (s[n])
        ++n;
    return n;
}

// Appends src to dst (capacity size); false when it does not fit.
bool safeAppend(char* dst, size_t size, const char* src)
{
    size_t at = safeLength(dst);
    for (size_t i = 0; src[i]; ++i) {
        if (at + 1 >= size)
            return false;
        dst[at++] = src[i];
    }
    dst[at] = '\0';
    return true;
}

void safeNumber(char* dst, size_t size, long long value, int width = 0)
{
    char digits[24];
    int n = 0;
    const bool negative = value < 0;
    unsigned long long v = negative ? 0ULL - static_cast<unsigned long long>(value) : value;
    do {
        digits[n++] = char('0' + v % 10);
        v /= 10;
    } while (v && n < 23);
    while (n < width && n < 23)
        digits[n++] = '0';
    size_t at = 0;
    if (negative && at + 1 < size)
        dst[at++] = '-';
    while (n > 0 && at + 1 < size)
        dst[at++] = digits[--n];
    dst[at] = '\0';
}

void safeAppendNumber(char* dst, size_t size, long long value, int width = 0)
{
    char text[24];
    safeNumber(text, sizeof text, value, width);
    safeAppend(dst, size, text);
}

void safeWrite(int fd, const char* text)
{
    size_t left = safeLength(text);
    while (left > 0) {
        const ssize_t n = write(fd, text, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        text += n;
        left -= size_t(n);
    }
}

const char* signalName(int sig)
{
    switch (sig) {
    case SIGSEGV:
        return "SIGSEGV";
    case SIGABRT:
        return "SIGABRT";
    case SIGBUS:
        return "SIGBUS";
    case SIGFPE:
        return "SIGFPE";
    case SIGILL:
        return "SIGILL";
    default:
        return "signal";
    }
}

// "YYYY-MM-DD_hh-mm-ss" in UTC by plain arithmetic (localtime is not safe
// in a handler).
void appendTimestamp(char* dst, size_t size)
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    long long secs = now.tv_sec;
    long long days = secs / 86400;
    long long rest = secs % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    // Civil date from days since 1970-01-01 (proleptic Gregorian).
    days += 719468;
    const long long era = (days >= 0 ? days : days - 146096) / 146097;
    const long long doe = days - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    const long long day = doy - (153 * mp + 2) / 5 + 1;
    const long long month = mp < 10 ? mp + 3 : mp - 9;
    const long long year = yoe + era * 400 + (month <= 2 ? 1 : 0);
    safeAppendNumber(dst, size, year, 4);
    safeAppend(dst, size, "-");
    safeAppendNumber(dst, size, month, 2);
    safeAppend(dst, size, "-");
    safeAppendNumber(dst, size, day, 2);
    safeAppend(dst, size, "_");
    safeAppendNumber(dst, size, rest / 3600, 2);
    safeAppend(dst, size, "-");
    safeAppendNumber(dst, size, rest / 60 % 60, 2);
    safeAppend(dst, size, "-");
    safeAppendNumber(dst, size, rest % 60, 2);
}

void writeBacktrace(int sig, const siginfo_t* info)
{
    g_state.file[0] = '\0';
    safeAppend(g_state.file, kPathSize, g_state.folder);
    safeAppend(g_state.file, kPathSize, "/backtrace.txt");
    const int fd = open(g_state.file, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return;
    char line[128] = "Signal: ";
    safeAppendNumber(line, sizeof line, sig);
    safeAppend(line, sizeof line, " (");
    safeAppend(line, sizeof line, signalName(sig));
    safeAppend(line, sizeof line, ")\nProcess: ");
    safeAppend(line, sizeof line, g_state.pidText);
    safeAppend(line, sizeof line, "\n");
    safeWrite(fd, line);
    if (info) {
        char address[40] = "Address: 0x";
        const char hex[] = "0123456789abcdef";
        auto value = reinterpret_cast<unsigned long long>(info->si_addr);
        char digits[17];
        int n = 0;
        do {
            digits[n++] = hex[value & 0xf];
            value >>= 4;
        } while (value && n < 16);
        size_t at = safeLength(address);
        while (n > 0)
            address[at++] = digits[--n];
        address[at++] = '\n';
        address[at] = '\0';
        safeWrite(fd, address);
    }
    safeWrite(fd, "\nBacktrace:\n");
    const int count = backtrace(g_state.frames, int(sizeof g_state.frames / sizeof g_state.frames[0]));
    backtrace_symbols_fd(g_state.frames, count, fd);
    close(fd);
}

pid_t startHelper()
{
    // _Fork skips the atfork handlers (which may take locks the crashed
    // thread holds); plain fork is not async-signal-safe in that respect.
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
    const pid_t pid = _Fork();
#else
    const pid_t pid = vfork();
#endif
    if (pid != 0)
        return pid;
    // The crashing signal is blocked in the handler and the mask survives
    // execve: give the helper a clean one.
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    execve("/proc/self/exe", g_state.argv, environ);
    execve(g_state.executable, g_state.argv, environ);
    _exit(127);
}

void waitForHelper(pid_t pid)
{
    const timespec step{0, 50 * 1000 * 1000};
    for (int waited = 0; waited < kHelperWaitMs; waited += 50) {
        int status = 0;
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid)
            return;
        // With SIGCHLD ignored the helper is reaped by the system and cannot
        // be waited for: watch for it to be gone instead.
        if (done < 0 && errno == ECHILD && kill(pid, 0) != 0)
            return;
        if (done < 0 && errno != EINTR && errno != ECHILD)
            return;
        nanosleep(&step, nullptr);
    }
}

void dieOf(int sig)
{
    struct sigaction dfl;
    std::memset(&dfl, 0, sizeof dfl);
    dfl.sa_handler = SIG_DFL;
    sigemptyset(&dfl.sa_mask);
    sigaction(sig, &dfl, nullptr);
    // The signal is blocked while the handler runs: it is delivered, now
    // with the default action, as soon as the handler returns. A fault
    // caused by an instruction simply happens again on return.
    raise(sig);
}

void onFatalSignal(int sig, siginfo_t* info, void*)
{
    const int savedErrno = errno;
    const long self = syscall(SYS_gettid);
    long expected = 0;
    if (!g_handlingThread.compare_exchange_strong(expected, self)) {
        if (expected == self) {
            // A fault inside the report itself: give up on it.
            dieOf(sig);
            return;
        }
        // Another thread is writing the report; it ends the process.
        const timespec step{1, 0};
        for (;;)
            nanosleep(&step, nullptr);
    }

    safeNumber(g_state.signalText, sizeof g_state.signalText, sig);
    safeNumber(g_state.pidText, sizeof g_state.pidText, getpid());
    g_state.folder[0] = '\0';
    safeAppend(g_state.folder, kPathSize, g_state.crashRoot);
    safeAppend(g_state.folder, kPathSize, "/");
    appendTimestamp(g_state.folder, kPathSize);
    safeAppend(g_state.folder, kPathSize, "_");
    safeAppend(g_state.folder, kPathSize, g_state.pidText);

    if (mkdir(g_state.folder, 0700) == 0 || errno == EEXIST) {
        writeBacktrace(sig, info);
        const pid_t helper = startHelper();
        if (helper > 0)
            waitForHelper(helper);
    }
    errno = savedErrno;
    dieOf(sig);
}

bool copyInto(char* dst, size_t size, const QString& text)
{
    const QByteArray bytes = QFile::encodeName(text);
    if (size_t(bytes.size()) + 1 > size || bytes.contains('\0'))
        return false;
    std::memcpy(dst, bytes.constData(), size_t(bytes.size()) + 1);
    return true;
}

} // namespace

CrashInstaller::CrashInstaller()
{
    qCDebug(lcCrash) << Q_FUNC_INFO << "[BEGIN]";
    QString error;
    m_installed = install(&error);
    if (!m_installed)
        logDebug(QStringLiteral("Could not start crash reporter. %1").arg(error));
    qCDebug(lcCrash) << Q_FUNC_INFO << "[END]";
}

CrashInstaller::~CrashInstaller()
{
    qCDebug(lcCrash) << Q_FUNC_INFO;
    if (m_installed)
        uninstall();
}

QString CrashInstaller::crashFolder()
{
    return Paths::appFolder() + QStringLiteral("/crash");
}

QStringList CrashInstaller::screenSizes()
{
    QStringList sizes;
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return sizes;
    for (const QScreen* screen : QGuiApplication::screens())
        sizes << QStringLiteral("%1x%2").arg(screen->geometry().width()).arg(screen->geometry().height());
    return sizes;
}

bool CrashInstaller::install(QString* error)
{
    if (g_installed.exchange(true)) {
        *error = QStringLiteral("A crash reporter is already installed.");
        return false;
    }
    const QString root = crashFolder();
    if (!QDir().mkpath(root) || !QFileInfo(root).isDir()) {
        *error = QStringLiteral("Cannot create the folder %1.").arg(root);
        g_installed = false;
        return false;
    }
    const QString executable = QCoreApplication::instance() ? QCoreApplication::applicationFilePath()
                                                            : QStringLiteral("/proc/self/exe");
    if (!copyInto(g_state.executable, kPathSize, executable) ||
        !copyInto(g_state.crashRoot, kPathSize, root) ||
        !copyInto(g_state.logPath, kPathSize, Logger::instance()->currentLogPath()) ||
        !copyInto(g_state.settingsPath, kPathSize, Paths::settingsFile()) ||
        !copyInto(g_state.screens, sizeof g_state.screens, screenSizes().join(QLatin1Char(';')))) {
        *error = QStringLiteral("A path is too long.");
        g_installed = false;
        return false;
    }
    static char flag[sizeof kReportFlag];
    std::memcpy(flag, kReportFlag, sizeof kReportFlag);
    char** argv = g_state.argv;
    argv[0] = g_state.executable;
    argv[1] = flag;
    argv[2] = g_state.folder;
    argv[3] = g_state.logPath;
    argv[4] = g_state.settingsPath;
    argv[5] = g_state.screens;
    argv[6] = g_state.signalText;
    argv[7] = g_state.pidText;
    argv[8] = nullptr;

    // The first backtrace() loads the unwinder, which allocates: do it now
    // so the handler's call does not.
    backtrace(g_state.frames, 1);

    // An alternate stack lets the handler run after a stack overflow.
    if (!g_altStack)
        g_altStack = static_cast<char*>(std::malloc(kAltStackSize));
    g_state.ownStack = false;
    if (g_altStack) {
        stack_t stack{};
        stack.ss_sp = g_altStack;
        stack.ss_size = kAltStackSize;
        g_state.ownStack = sigaltstack(&stack, &g_state.previousStack) == 0;
    }

    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_sigaction = onFatalSignal;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    for (int i = 0; i < kSignalCount; ++i) {
        if (sigaction(kSignals[i], &action, &g_state.previous[i]) != 0) {
            *error = QStringLiteral("Cannot install the handler of signal %1: %2")
                         .arg(kSignals[i])
                         .arg(QString::fromLocal8Bit(std::strerror(errno)));
            while (--i >= 0)
                sigaction(kSignals[i], &g_state.previous[i], nullptr);
            if (g_state.ownStack)
                sigaltstack(&g_state.previousStack, nullptr);
            g_installed = false;
            return false;
        }
    }
    return true;
}

void CrashInstaller::uninstall()
{
    for (int i = 0; i < kSignalCount; ++i)
        sigaction(kSignals[i], &g_state.previous[i], nullptr);
    if (g_state.ownStack) {
        // Hand back the stack only if it is still ours.
        stack_t current{};
        if (sigaltstack(nullptr, &current) == 0 && current.ss_sp == g_altStack)
            sigaltstack(&g_state.previousStack, nullptr);
        g_state.ownStack = false;
    }
    m_installed = false;
    g_installed = false;
}

bool CrashInstaller::isReportRequest(int argc, char** argv)
{
    return argc > 1 && std::strcmp(argv[1], kReportFlag) == 0;
}

namespace {

// The log file of the day of the crash: the one prepared at install time,
// or a later day's file in the same folder if the date has moved on since.
QString currentLogFile(const QString& prepared)
{
    const QFileInfo info(prepared);
    const QStringList names =
        info.dir().entryList({QStringLiteral("log_*.txt")}, QDir::Files, QDir::Name | QDir::Reversed);
    if (!names.isEmpty() && names.first() > info.fileName())
        return info.dir().filePath(names.first());
    return prepared;
}

// Whether a QGuiApplication can start here: without a display the platform
// plugin aborts the process, and the report must not depend on that.
bool displayAvailable()
{
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (platform.isEmpty() || platform.startsWith("xcb"))
        return !qEnvironmentVariableIsEmpty("DISPLAY");
    if (platform.startsWith("wayland"))
        return !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    return true;
}

struct Report
{
    QString folder;
    QString signal;
    QString pid;
    QStringList files;   // "name: description"
    QStringList screens; // "WxH"
    QString screenshot;  // empty while there is none
    QString screenshotNote;

    void write() const
    {
        QFile file(folder + QStringLiteral("/report.txt"));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
            return;
        QTextStream out(&file);
        out.setCodec("UTF-8");
        out << "Application: Reader\n";
        out << "Version: " << LANTERNLEAF_VERSION << "\n";
        out << "Signal: " << signal << "\n";
        out << "Process: " << pid << "\n";
        out << "\n[Files]\n";
        for (const QString& entry : files)
            out << entry << "\n";
        if (!screenshot.isEmpty())
            out << screenshot << ": Screenshot\n";
        else
            out << "Screenshot: " << screenshotNote << "\n";
        out << "\n[Properties]\n";
        out << "Screen count: " << screens.size() << "\n";
        for (int i = 0; i < screens.size(); ++i)
            out << QStringLiteral("Screen %1").arg(i) << ": " << screens.at(i) << "\n";
    }
};

void attachCopy(Report& report, const QString& source, const QString& description)
{
    const QString name = QFileInfo(source).fileName();
    const QString target = report.folder + QLatin1Char('/') + name;
    if (!source.isEmpty() && QFile::copy(source, target))
        report.files << name + QStringLiteral(": ") + description;
    else
        report.files << QStringLiteral("(missing %1): %2").arg(QDir::toNativeSeparators(source), description);
}

} // namespace

int CrashInstaller::writeReport(int argc, char** argv)
{
    if (argc < 8)
        return 2;
    Report report;
    report.folder = QFile::decodeName(argv[2]);
    if (!QFileInfo(report.folder).isDir())
        return 2;
    report.signal = QString::fromLatin1(argv[6]);
    report.pid = QString::fromLatin1(argv[7]);
    report.files << QStringLiteral("backtrace.txt: Backtrace");
    attachCopy(report, currentLogFile(QFile::decodeName(argv[3])), QStringLiteral("Log file"));
    attachCopy(report, QFile::decodeName(argv[4]), QStringLiteral("Configuration File"));
    const QString prepared = QString::fromLocal8Bit(argv[5]);
    report.screens = prepared.isEmpty() ? QStringList() : prepared.split(QLatin1Char(';'));
    report.screenshotNote = QStringLiteral("not available (no display)");
    // Written before the screenshot is tried, so a helper that cannot open
    // the display still leaves a complete report of everything else.
    report.write();
    if (!displayAvailable())
        return 0;

    int guiArgc = 1;
    char* guiArgv[] = {argv[0], nullptr};
    QGuiApplication app(guiArgc, guiArgv);
    report.screens = screenSizes();
    QScreen* primary = QGuiApplication::primaryScreen();
    if (primary) {
        const QRect all = primary->virtualGeometry();
        const QPixmap shot = primary->grabWindow(0, all.x(), all.y(), all.width(), all.height());
        if (!shot.isNull() && shot.save(report.folder + QStringLiteral("/screenshot.png"), "PNG"))
            report.screenshot = QStringLiteral("screenshot.png");
    }
    // The offscreen and Wayland platforms cannot capture the screen.
    report.screenshotNote = QStringLiteral("not available (the platform \"%1\" cannot capture the screen)")
                                .arg(app.platformName());
    report.write();
    return 0;
}
