#pragma once

#include "ArchiveReader.h"

/// Reads RAR archives (CBR) through the UnRAR library.
///
/// Only extraction by exact name, the listing and reading into memory are
/// offered; extractAll() and extraction by pattern are the null reader's and
/// always fail. No password is ever given: encrypted entries fail with the
/// library's "password not specified" result, and requests for a password
/// or for a missing volume are declined at once (a windowed program has no
/// console to ask on), so no operation ever waits.
///
/// The library's results, the archive flags and its comment are written to
/// the debug output. Every operation may run on any thread (each call opens
/// the archive anew); see ArchiveReader for the refusal of unsafe names and
/// bombs.
class RarReader : public ArchiveReader
{
public:
    RarReader() = default;

    using ArchiveReader::extract;

    /// Extracts the entry whose stored name equals `name` exactly (case and
    /// separators). False when the archive cannot be opened, and also when
    /// the matching entry fails to extract (no file is left then). True with
    /// `outPath` unchanged when no entry has that name.
    bool extract(const QString& archive, const QString& name, const QString& targetDir,
                 QString& outPath) override;
    /// The names of the file entries; folders are left out.
    QStringList fileList(const QString& archive) override;
    /// In a solid archive every entry is decompressed on the way, so ask for
    /// all the entries wanted in one call rather than one call per entry.
    bool readEntries(const QString& archive, const QStringList& names,
                     QHash<QString, QByteArray>& data) override;

    /// The text the debug output gets for a library result in a context
    /// ("opening", "reading headers", "processing"); empty for success (0) and
    /// the end of the archive (10).
    static QString resultText(int code, const QString& archive, bool processing = false);
};
