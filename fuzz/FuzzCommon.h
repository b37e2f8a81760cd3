#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

#include <cstddef>
#include <cstdint>

/// What every fuzzer shares: one application object for the whole run, a
/// private home on /dev/shm (settings, database, caches and the day's log,
/// which points at /dev/null), logging silenced, and the helpers that turn an
/// input into the file a path-only entry point wants.
///
/// Nothing here is per input except writing the input's bytes: the point is
/// to spend the run in the parsers, not in set-up.
namespace fuzz {

/// Creates the QGuiApplication (offscreen), the home and the silence. Call
/// once from LLVMFuzzerInitialize.
void initialize(int* argc, char*** argv);

/// The per-process scratch folder (inside the home), created by initialize().
QString scratchDir();

/// Writes `data` to the scratch file `name` (overwritten each input) and
/// returns its path. Aborts when the file cannot be written: a harness that
/// silently tests nothing is worse than one that stops.
QString writeScratch(const QString& name, const uint8_t* data, size_t size);
QString writeScratch(const QString& name, const QByteArray& data);

/// Removes everything below `path`, leaving the folder itself.
void clearDir(const QString& path);

/// Splits an input into parts at each occurrence of partSeparator().
QList<QByteArray> splitParts(const uint8_t* data, size_t size);
/// The separator of structured inputs (also in the dictionaries).
inline const char* partSeparator()
{
    return "\n--8<--\n";
}

/// A zip archive of stored (uncompressed) entries with true checksums, built
/// in memory: lets a fuzzer vary the XML or JSON inside an archive without
/// the mutations hitting the deflate stream.
QByteArray storedZip(const QList<QPair<QString, QByteArray>>& entries);

/// True when the input is a whole zip archive (local header signature).
inline bool isZip(const uint8_t* data, size_t size)
{
    return size >= 4 && data[0] == 'P' && data[1] == 'K' && data[2] == 3 && data[3] == 4;
}

} // namespace fuzz
