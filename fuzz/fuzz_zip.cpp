// The zip reader (EPUB, CBZ): listing, reading every entry into memory and
// unpacking everything below a folder. Besides crashes it checks what the
// reader promises about unsafe names: nothing may be written outside the
// target folder.
#include "FuzzCommon.h"

#include "ZipReader.h"

#include <QDir>
#include <QFileInfo>

#include <cstdio>
#include <cstdlib>

namespace {

// Entries read into memory per input: enough to reach every code path,
// few enough that an archive listing thousands of entries stays quick.
constexpr int maxRead = 64;

QString g_root; ///< holds only the archive and the target folder

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    fuzz::initialize(argc, argv);
    g_root = fuzz::scratchDir() + "/zip";
    QDir().mkpath(g_root + "/out");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString archive = fuzz::writeScratch(QStringLiteral("zip/book.zip"), data, size);
    ZipReader reader;
    const QStringList names = reader.fileList(archive);
    QHash<QString, QByteArray> entries;
    reader.readEntries(archive, names.mid(0, maxRead), entries);

    const QString target = g_root + "/out";
    QList<QFileInfo> files;
    reader.extractAll(archive, target, &files);
    for (const QFileInfo& file : qAsConst(files)) {
        if (!file.absoluteFilePath().startsWith(target + "/")) {
            std::fprintf(stderr, "fuzz_zip: wrote %s\n", qPrintable(file.absoluteFilePath()));
            std::abort();
        }
    }
    QString outPath;
    reader.extract(archive, QRegExp(QStringLiteral("\\.jpg$")), target + "/pattern", outPath);
    if (!names.isEmpty())
        reader.extract(archive, names.first(), target + "/name", outPath);

    // Zip-slip: the root holds the archive and the target folder, nothing else.
    const QStringList root =
        QDir(g_root).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    if (root != QStringList({QStringLiteral("book.zip"), QStringLiteral("out")})) {
        std::fprintf(stderr, "fuzz_zip: written outside the target folder: %s\n",
                     qPrintable(root.join(QLatin1Char(' '))));
        std::abort();
    }
    const QStringList scratch =
        QDir(fuzz::scratchDir())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    if (scratch != QStringList(QStringLiteral("zip"))) {
        std::fprintf(stderr, "fuzz_zip: written outside the target folder: %s\n",
                     qPrintable(scratch.join(QLatin1Char(' '))));
        std::abort();
    }
    fuzz::clearDir(target);
    return 0;
}
