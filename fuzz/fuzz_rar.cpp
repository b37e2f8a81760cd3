// The RAR reader (CBR) through the UnRAR library: the listing, reading
// entries into memory, extraction by name and the header probe the comic
// document uses (solid, encrypted). Nothing may be written outside the
// target folder.
#include "FuzzCommon.h"

#include "RarReader.h"
#include "comics/ArchiveProbe.h"

#include <QDir>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr int maxRead = 64;
QString g_root;

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    fuzz::initialize(argc, argv);
    g_root = fuzz::scratchDir() + "/rar";
    QDir().mkpath(g_root + "/out");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString archive = fuzz::writeScratch(QStringLiteral("rar/book.cbr"), data, size);
    comics::ArchiveProbe::probeRar(archive);
    RarReader reader;
    const QStringList names = reader.fileList(archive);
    QHash<QString, QByteArray> entries;
    reader.readEntries(archive, names.mid(0, maxRead), entries);

    const QString target = g_root + "/out";
    QString outPath;
    // Every operation opens the archive anew (the library allocates large
    // buffers each time), so one extraction stands for all.
    if (!names.isEmpty())
        reader.extract(archive, names.last(), target, outPath);

    const QStringList root =
        QDir(g_root).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    if (root != QStringList({QStringLiteral("book.cbr"), QStringLiteral("out")})) {
        std::fprintf(stderr, "fuzz_rar: written outside the target folder: %s\n",
                     qPrintable(root.join(QLatin1Char(' '))));
        std::abort();
    }
    fuzz::clearDir(target);
    return 0;
}
