#pragma once

#include "ArchiveReader.h"

/// Reads zip archives (EPUB, CBZ) through QuaZip.
///
/// Entry names flagged UTF-8 in the archive are decoded as UTF-8, all others
/// with the code page IBM866 (what old DOS and Windows archivers wrote).
/// Encrypted entries are never read (no password is ever given).
///
/// extract() by name compares names without regard to case; readEntries()
/// wants the exact names fileList() gives. Every operation may run on any
/// thread (each call opens the archive anew); see ArchiveReader for the
/// refusal of unsafe names and bombs.
class ZipReader : public ArchiveReader
{
public:
    ZipReader() = default;

    bool extractAll(const QString& archive, const QString& targetDir, QList<QFileInfo>* files) override;
    bool extract(const QString& archive, const QRegExp& pattern, const QString& targetDir,
                 QString& outPath) override;
    bool extract(const QString& archive, const QString& name, const QString& targetDir,
                 QString& outPath) override;
    /// QuaZip's full name list, folders included.
    QStringList fileList(const QString& archive) override;
    /// Damaged entries (bad CRC, broken deflate stream) are left out and the
    /// walk goes on, so one bad chapter does not hide the rest of a book.
    bool readEntries(const QString& archive, const QStringList& names,
                     QHash<QString, QByteArray>& data) override;

    /// The code page of entry names without the UTF-8 flag.
    static constexpr const char* fileNameCodec = "IBM866";

private:
    enum class Mode
    {
        All,
        Pattern,
        Name
    };
    bool extractEntries(Mode mode, const QString& archive, const QRegExp& pattern, const QString& name,
                        const QString& targetDir, QString* outPath, QList<QFileInfo>* files);
};
