#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

/// Writes zip archives for tests with QuaZip: ordinary entries, and "raw"
/// entries whose headers claim any size and checksum for the bytes given,
/// to build damaged and hostile archives.
class RawZipBuilder
{
public:
    /// An entry deflated from data, with true headers.
    RawZipBuilder& entry(const QString& name, const QByteArray& data);
    /// An entry whose stored bytes are `stored` as given (already deflated
    /// when method is 8, plain when 0) while the headers claim
    /// claimedSize bytes with checksum crc. Claims beyond 4 GiB use zip64.
    RawZipBuilder& rawEntry(const QString& name, const QByteArray& stored, qint64 claimedSize, quint32 crc,
                            int method = 8);

    /// Writes the archive; false on failure.
    bool write(const QString& path) const;

    /// Raw deflate (no zlib header) of data.
    static QByteArray deflate(const QByteArray& data);
    static quint32 crc32(const QByteArray& data);

private:
    struct Item
    {
        QString name;
        QByteArray data;
        bool raw = false;
        qint64 claimedSize = 0;
        quint32 crc = 0;
        int method = 8;
    };
    QList<Item> m_items;
};
