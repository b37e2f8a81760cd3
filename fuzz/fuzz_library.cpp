// The library export archive (".lvx") as the import worker reads it: the
// archive's entry list, "container.json" (LibraryContainer::parse), the
// checks on every name it gives, and the unpacking of book files and covers
// into the destination, with the rows added to a real database.
//
// An input that is a zip archive is taken as it stands. Any other input is a
// list of parts separated by fuzz::partSeparator(): the first is
// "container.json", the others are stored under the fixed names below, so the
// mutations work on the JSON. An empty part leaves its entry out.
//
// Besides crashes it checks the promise about names from the archive: nothing
// is written outside the destination folder and the books' cache folders.
#include "FuzzCommon.h"

#include "BookProvider.h"
#include "ImportWorker.h"
#include "Paths.h"

#include <QDir>
#include <QThread>

#include <cstdio>
#include <cstdlib>

// The worker sleeps 10 ms between two books so that its progress signals
// reach the interface; here nobody listens, and the sleep would hold a run to
// a few dozen inputs per second. This definition in the fuzzer takes the
// place of the library's for this program only.
void QThread::msleep(unsigned long) {}

namespace {

const char* const entryNames[] = {
    "container.json", "books/1/book.fb2", "books/1/cover.jpg", "books/2/book.epub", "books/2/cover.png",
};
constexpr int namedParts = int(sizeof(entryNames) / sizeof(entryNames[0]));
constexpr int maxParts = 12;

class Import : public ImportWorker
{
public:
    using ImportWorker::ImportWorker;
    using ImportWorker::run;
};

QString g_root;        ///< holds the archive and the destination, nothing else
QString g_destination; ///< where the books go; only files, never folders
QString g_cacheRoot;   ///< the books' cache folders

QByteArray archiveFrom(const uint8_t* data, size_t size)
{
    if (fuzz::isZip(data, size))
        return QByteArray(reinterpret_cast<const char*>(data), int(size));
    QList<QPair<QString, QByteArray>> entries;
    const QList<QByteArray> parts = fuzz::splitParts(data, size);
    for (int i = 0; i < parts.size() && i < maxParts; ++i) {
        if (parts[i].isEmpty())
            continue;
        const QString name =
            i < namedParts ? QString::fromLatin1(entryNames[i]) : QStringLiteral("books/%1/file").arg(i);
        entries << qMakePair(name, parts[i]);
    }
    return fuzz::storedZip(entries);
}

QStringList listing(const QString& path)
{
    return QDir(path).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

void fault(const char* what, const QStringList& found)
{
    std::fprintf(stderr, "fuzz_library: %s: %s\n", what, qPrintable(found.join(QLatin1Char(' '))));
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    fuzz::initialize(argc, argv);
    g_root = fuzz::scratchDir() + "/import";
    g_destination = g_root + "/books";
    QDir().mkpath(g_destination);
    g_cacheRoot = Paths::bookCacheRoot();
    if (!BookProvider::instance()->createConnection()) {
        std::fprintf(stderr, "fuzz_library: no database\n");
        std::abort();
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString archive = fuzz::writeScratch(QStringLiteral("import/library.lvx"), archiveFrom(data, size));
    {
        Import worker(archive, g_destination);
        worker.run();
    }

    const QStringList root = listing(g_root);
    if (root != QStringList({QStringLiteral("books"), QStringLiteral("library.lvx")}))
        fault("written outside the destination", root);
    for (const QFileInfo& info :
         QDir(g_destination)
             .entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
        if (!info.isFile() || info.isSymLink())
            fault("not a plain file in the destination", {info.fileName()});
    }
    for (const QFileInfo& folder :
         QDir(g_cacheRoot)
             .entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
        if (!folder.isDir() || folder.fileName().size() != 32)
            fault("not a book cache folder", {folder.fileName()});
        for (const QFileInfo& file :
             QDir(folder.filePath())
                 .entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
            if (!file.isFile() || file.isSymLink())
                fault("not a plain file in a cache folder", {file.filePath()});
    }
    const QStringList scratch = listing(fuzz::scratchDir());
    if (scratch != QStringList(QStringLiteral("import")))
        fault("written into the scratch folder", scratch);

    fuzz::clearDir(g_destination);
    fuzz::clearDir(g_cacheRoot);
    return 0;
}
