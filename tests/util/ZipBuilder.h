#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

/// Writes small zip archives for tests through QuaZip: entries stored or
/// deflated, folder entries, names flagged UTF-8 or written in a code page,
/// and the damage tests need (a claimed size that is a lie, bytes
/// overwritten in an entry's data).
class ZipBuilder
{
public:
    /// A file entry; `deflate` false stores it.
    ZipBuilder& add(const QString& name, const QByteArray& data, bool deflate = true);
    /// A folder entry ("name/").
    ZipBuilder& addFolder(const QString& name);
    /// Whether the following entries are flagged UTF-8 (default) or have
    /// their names written in `codec` without the flag.
    ZipBuilder& utf8(bool on, const char* codec = "IBM866");

    /// Writes the archive; false when it cannot be written.
    bool write(const QString& path) const;
    /// The archive's bytes.
    QByteArray build() const;

    /// Changes the uncompressed size that the local and central headers of
    /// entry `name` (its stored bytes) claim.
    static bool setClaimedSize(QByteArray& zip, const QByteArray& name, quint32 size);
    /// Overwrites `count` bytes in the middle of entry `name`'s stored data.
    static bool damageData(QByteArray& zip, const QByteArray& name, int count = 16);
    static bool writeFile(const QString& path, const QByteArray& data);

private:
    struct Entry
    {
        QString name;
        QByteArray data;
        bool deflate = true;
        bool folder = false;
        bool utf8 = true;
        QByteArray codec;
    };
    QList<Entry> m_entries;
    bool m_utf8 = true;
    QByteArray m_codec = "IBM866";
};
