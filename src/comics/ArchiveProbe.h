#pragma once

#include <QString>

namespace comics {

/// Facts about a comic archive that the archive readers do not tell, looked
/// up from the headers only (nothing is decompressed): whether a RAR archive
/// is solid, and whether its entries or a zip entry are protected by a
/// password. Safe on any thread.
class ArchiveProbe
{
public:
    struct RarFacts
    {
        bool opened = false;    ///< the archive's headers could be read
        bool solid = false;     ///< every entry needs all entries before it decompressed
        bool encrypted = false; ///< headers or some entry need a password
    };

    static RarFacts probeRar(const QString& path);
    /// Whether the entry `name` of the zip archive `path` is encrypted.
    static bool isZipEntryEncrypted(const QString& path, const QString& name);
};

} // namespace comics
