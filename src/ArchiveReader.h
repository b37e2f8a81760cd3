#pragma once

#include <QByteArray>
#include <QFileInfo>
#include <QHash>
#include <QList>
#include <QRegExp>
#include <QString>
#include <QStringList>

/// Reads the entries of an archive (EPUB and CBZ are zip archives, CBR is a
/// RAR archive): lists them, extracts them below a folder, or reads them into
/// memory.
///
/// This base class is the null reader, for files whose suffix names no archive
/// kind: every operation does nothing and fails (false, an empty list).
/// ZipReader and RarReader override what their library can do.
///
/// Readers hold no state: every operation opens the archive, does its work and
/// closes it again. So any thread may use a reader of its own; only
/// extractAll() touches the event loop of the calling thread.
///
/// Safety, for every reader: an entry whose name would leave the target folder
/// (absolute, "..", backslash or drive forms) is never written; an entry that
/// claims or produces more than Limits::maxEntrySize, or a large one that
/// compresses better than Limits::maxCompressionRatio (a bomb), is never
/// written nor read into memory. Such entries are refused with a log line and
/// the rest of the archive is still read.
///
/// Errors are values; the reasons go to the log and the debug output.
class ArchiveReader
{
public:
    ArchiveReader() = default;
    ArchiveReader(const ArchiveReader&) = delete;
    ArchiveReader& operator=(const ArchiveReader&) = delete;
    virtual ~ArchiveReader();

    /// Extracts every entry of `archive` below `targetDir` (created when
    /// missing), appending a QFileInfo of every file written to `*files` (when
    /// not null). Files that already exist are left as they are and not
    /// listed. Lets the calling thread's events run once per entry. Null
    /// reader: false.
    virtual bool extractAll(const QString& archive, const QString& targetDir, QList<QFileInfo>* files);
    /// Extracts every entry whose name contains a match of `pattern` (an empty
    /// pattern selects every entry); `outPath` ends as the path of the last
    /// file written. Null reader: false.
    virtual bool extract(const QString& archive, const QRegExp& pattern, const QString& targetDir,
                         QString& outPath);
    /// Extracts the entry called `name` (an empty name: every entry) to
    /// `targetDir` + "/" + `name`. On success `outPath` holds the path
    /// written; it is left unchanged when no entry matched, so a true result
    /// with `outPath` unchanged means the entry is not in the archive. Null
    /// reader: false.
    virtual bool extract(const QString& archive, const QString& name, const QString& targetDir,
                         QString& outPath);
    /// The names of the entries, in archive order; empty on failure. Null
    /// reader: empty.
    virtual QStringList fileList(const QString& archive);

    /// Reads the entries named in `names` (exact names as fileList() gives
    /// them) into memory in one pass over the archive, adding each one read to
    /// `data` under its name. Entries that are missing, damaged or refused are
    /// left out (and logged). True when every name was read. Null reader:
    /// false.
    virtual bool readEntries(const QString& archive, const QStringList& names,
                             QHash<QString, QByteArray>& data);
    /// One entry read into memory; empty when it could not be read.
    QByteArray readEntry(const QString& archive, const QString& name);

    /// Whether writing the entry `name` below a folder stays inside it: not
    /// empty, relative, no ".." part, no backslash and no drive letter.
    static bool isSafeEntryName(const QString& name);
    /// Whether an entry that claims `size` bytes, stored in `compressedSize`
    /// bytes (-1 when unknown), may be read: within the entry limit and, when
    /// large, within the compression-ratio limit. When not, `reason` says why.
    static bool isAcceptableSize(qint64 size, qint64 compressedSize, QString* reason = nullptr);
    /// Logs an entry that is refused (level WARNING).
    static void logRefused(const QString& archive, const QString& name, const QString& reason);
};

/// A new reader chosen by the suffix of `path`, without regard to case:
/// ".epub", ".zip", ".cbz" give a ZipReader, ".cbr" a RarReader, anything
/// else the null reader. Never null; the caller owns and deletes it.
ArchiveReader* createArchiveReader(const QString& path);
