// Opens book files the two ways the program meets them, each in a child
// process of its own with a time limit and a throw-away home, and says for
// every file what happened: the reader (the format registry and the page-book
// documents its viewers create; first page rendered, text pages counted to the
// end) and the add-books worker (cover written, row inserted or refusal).
//
//   bench_hostile [--timeout SECONDS] FILE_OR_FOLDER...
//
// Folders are searched recursively for the suffixes the library adds. One
// line per file, the reader's outcome first, then the add path's in brackets
// when it differs:
//   <file> ok | refused: <reason> | crash <signal> | hang | wrote outside: <path>
// "wrote outside": after the child ended, its home holds a file that is not
// in a per-book folder (~/.lanternleaf/books/<md5>/), the database, the
// settings or the log, or something new lies beside the book file.

#include "AddBooksWorker.h"
#include "BookError.h"
#include "BookFormat.h"
#include "BookProvider.h"
#include "TextDocument.h"
#include "WorkerTypes.h"
#include "comics/ComicDocument.h"
#include "djvu/DjvuDocument.h"
#include "pdf/PdfDocument.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr char kChildRead[] = "--child-read";
constexpr char kChildAdd[] = "--child-add";

// ---------------------------------------------------------------- child side

// The reader's way: the document the viewer would create, loaded, its first
// page rendered (page books) or its pages counted to the end (text books).
QString readBook(const QString& path)
{
    const int code = BookFormat::formatFromPath(path);
    switch (BookFormat::viewerFor(code)) {
    case BookFormat::Viewer::Text: {
        std::unique_ptr<TextDocument> document(createTextDocument(path));
        document->load();
        document->setViewPortSize(QSize(800, 1000));
        if (!document->isLoaded() || document->pageCount() <= 0) {
            const QString reason = document->errorString();
            return reason.isEmpty() ? QStringLiteral("refused without a reason (empty reader)")
                                    : QStringLiteral("refused: ") + reason;
        }
        // The background count must end: a page that never comes is a hang.
        while (!document->isPageCountExact())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        return QStringLiteral("ok");
    }
    case BookFormat::Viewer::Pdf:
    case BookFormat::Viewer::Image: {
        std::unique_ptr<ImageDocument> document;
        if (code == BookFormat::Djvu)
            document = std::make_unique<djvu::DjvuDocument>();
        else if (code == BookFormat::Pdf)
            document = std::make_unique<pdf::PdfDocument>();
        else
            document = std::make_unique<comics::ComicDocument>();
        document->load(path);
        if (!document->isLoaded() || document->pageCount() <= 0) {
            const QString reason = document->errorString();
            if (reason.isEmpty() && code == BookFormat::Pdf)
                return QStringLiteral("ok (asks for its password)");
            return reason.isEmpty() ? QStringLiteral("refused without a reason")
                                    : QStringLiteral("refused: ") + reason;
        }
        document->requestImage(1);
        return QStringLiteral("ok");
    }
    case BookFormat::Viewer::None:
        break;
    }
    return QStringLiteral("refused: not a book format");
}

// The library's way: the add-books worker on this one file.
QString addBook(const QString& path)
{
    if (!BookProvider::instance()->createConnection())
        return QStringLiteral("no database");
    AddBooksWorker worker({QFileInfo(path)});
    worker.start();
    worker.wait();
    const QString native = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    const bool added = BookProvider::instance()->getBookByPath(native).id > 0;
    // An unreadable file is listed under its name and reported: the report
    // is what the user learns, so it is the outcome shown.
    const QList<AddBooksWorker::Refusal> refused = worker.refusals();
    if (!refused.isEmpty())
        return QStringLiteral("refused: ") + BookError::text(refused.first().reason);
    if (added)
        return QStringLiteral("ok");
    return QStringLiteral("not added, not reported");
}

int runChild(const QString& mode, const QString& path)
{
    const QString result = mode == QLatin1String(kChildRead) ? readBook(path) : addBook(path);
    std::printf("%s\n", qPrintable(result));
    std::fflush(stdout);
    return 0;
}

// ---------------------------------------------------------------- parent side

QStringList bookFiles(const QStringList& inputs)
{
    QStringList filters;
    for (const QString& suffix : AddBooksWorker::supportedSuffixes())
        filters << QStringLiteral("*.%1").arg(suffix);
    QStringList files;
    for (const QString& input : inputs) {
        const QFileInfo info(input);
        if (!info.isDir()) {
            files << input;
            continue;
        }
        QStringList found;
        QDirIterator it(input, filters, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext())
            found << it.next();
        found.sort();
        files += found;
    }
    return files;
}

QSet<QString> listTree(const QString& root)
{
    QSet<QString> entries;
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        if (!it.fileInfo().isDir() || it.fileInfo().isSymLink())
            entries.insert(QDir(root).relativeFilePath(it.filePath()));
    }
    return entries;
}

QStringList besideBook(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
}

// Where the program may write under its home.
bool allowedInHome(const QString& relative)
{
    static const QRegularExpression allowed(
        QStringLiteral("^(\\.lanternleaf/books/[0-9a-f]{32}/.+"
                       "|\\.lanternleaf/data/[^/]+"
                       "|\\.lanternleaf/log/[^/]+"
                       "|\\.config/Tarnwick/lanternleaf/settings\\.ini"
                       // Not the program's: fontconfig keeps its cache for any Qt program.
                       "|\\.cache/fontconfig/.+)$"));
    return allowed.match(relative).hasMatch();
}

struct Outcome
{
    QString text;
    bool failed = false; ///< crash, hang or a write outside
};

Outcome runOne(const QString& self, const QString& mode, const QString& file, int timeoutSeconds)
{
    QTemporaryDir scratch;
    const QString home = scratch.path() + QStringLiteral("/home");
    const QString output = scratch.path() + QStringLiteral("/output.txt");
    QDir().mkpath(home + QStringLiteral("/tmp"));
    const QString bookFolder = QFileInfo(file).absolutePath();
    const QStringList beside = besideBook(bookFolder);
    const QSet<QString> besideBefore(beside.begin(), beside.end());
    const QSet<QString> homeBefore = listTree(home);

    const QByteArray program = QFile::encodeName(self);
    const QByteArray modeArg = mode.toLatin1();
    const QByteArray fileArg = QFile::encodeName(file);
    const QByteArray homeArg = QFile::encodeName(home);
    const QByteArray tmpArg = QFile::encodeName(home + QStringLiteral("/tmp"));
    const QByteArray outArg = QFile::encodeName(output);

    QElapsedTimer timer;
    timer.start();
    const pid_t pid = fork();
    if (pid == 0) {
        setenv("HOME", homeArg.constData(), 1);
        setenv("TMPDIR", tmpArg.constData(), 1);
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        unsetenv("XDG_CONFIG_HOME");
        unsetenv("XDG_DATA_HOME");
        unsetenv("XDG_CACHE_HOME");
        unsetenv("XDG_RUNTIME_DIR");
        const int out = open(outArg.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int null = open("/dev/null", O_WRONLY);
        if (out >= 0)
            dup2(out, STDOUT_FILENO);
        if (null >= 0)
            dup2(null, STDERR_FILENO);
        execl(program.constData(), program.constData(), modeArg.constData(), fileArg.constData(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    if (pid < 0)
        return {QStringLiteral("cannot start a child"), true};

    int status = 0;
    bool hung = false;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (timer.elapsed() > qint64(timeoutSeconds) * 1000) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            hung = true;
            break;
        }
        QThread::msleep(20);
    }

    Outcome outcome;
    if (hung) {
        outcome = {QStringLiteral("hang"), true};
    } else if (WIFSIGNALED(status)) {
        outcome = {QStringLiteral("crash %1").arg(QString::fromLatin1(strsignal(WTERMSIG(status)))), true};
    } else {
        QFile result(output);
        result.open(QIODevice::ReadOnly);
        outcome.text = QString::fromUtf8(result.readAll()).trimmed();
        if (outcome.text.isEmpty()) {
            outcome = {QStringLiteral("exit %1 without a result").arg(WEXITSTATUS(status)), true};
        }
    }

    // Writes outside the places the program owns.
    QStringList outside;
    const QSet<QString> homeAfter = listTree(home);
    for (const QString& entry : homeAfter) {
        if (!homeBefore.contains(entry) && !allowedInHome(entry))
            outside << QStringLiteral("~/") + entry;
    }
    const QStringList besideAfter = besideBook(bookFolder);
    for (const QString& entry : besideAfter) {
        if (!besideBefore.contains(entry))
            outside << QDir(bookFolder).filePath(entry);
    }
    if (!outside.isEmpty()) {
        outside.sort();
        outcome.text = QStringLiteral("wrote outside: ") + outside.join(QStringLiteral(", "));
        outcome.failed = true;
    }
    if (!hung)
        outcome.text += QStringLiteral(" (%1 s)").arg(double(timer.elapsed()) / 1000.0, 0, 'f', 1);
    return outcome;
}

// "ok (0.3 s)" and "ok (1.2 s)" are the same outcome.
QString withoutTime(const QString& text)
{
    static const QRegularExpression time(QStringLiteral(" \\([0-9.]+ s\\)$"));
    return QString(text).remove(time);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && (std::strcmp(argv[1], kChildRead) == 0 || std::strcmp(argv[1], kChildAdd) == 0)) {
        QGuiApplication app(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("lanternleaf"));
        QCoreApplication::setOrganizationName(QStringLiteral("Tarnwick"));
        registerWorkerMetaTypes();
        return runChild(QString::fromLatin1(argv[1]), QFile::decodeName(argv[2]));
    }

    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    int timeout = 20;
    if (args.size() >= 2 && args.first() == QLatin1String("--timeout")) {
        timeout = qMax(1, args.at(1).toInt());
        args = args.mid(2);
    }
    if (args.isEmpty()) {
        std::fprintf(stderr, "usage: bench_hostile [--timeout SECONDS] FILE_OR_FOLDER...\n");
        return 2;
    }
    const QString self = QCoreApplication::applicationFilePath();
    const QStringList files = bookFiles(args);
    int failures = 0;
    for (const QString& file : files) {
        const Outcome read = runOne(self, QLatin1String(kChildRead), file, timeout);
        const Outcome add = runOne(self, QLatin1String(kChildAdd), file, timeout);
        QString line = file + QLatin1Char(' ') + read.text;
        if (withoutTime(read.text) != withoutTime(add.text))
            line += QStringLiteral(" [add: %1]").arg(add.text);
        std::printf("%s\n", qPrintable(line));
        std::fflush(stdout);
        failures += (read.failed || add.failed) ? 1 : 0;
    }
    std::printf("%lld file(s), %d crashed, hung or wrote outside\n", static_cast<long long>(files.size()),
                failures);
    return failures == 0 ? 0 : 1;
}
