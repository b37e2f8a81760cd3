#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QFile>

#include <memory>

class QuaZip;

/// A zip archive for QuaZip to read from memory: the file is mapped, and
/// QuaZip reads it through a QBuffer over the mapping.
///
/// The zip code reads headers a few bytes at a time and seeks between the
/// reads; through a file most of those are system calls. A crafted archive
/// of 400 bytes whose extra fields are runs of empty records took 77,000 of
/// them, a tenth of a second every time its headers were looked at, and time
/// grows with the size of such a file. From memory the same work is a few
/// microseconds. A file that cannot be mapped (or above 2 GiB) is read
/// through the file as before.
///
/// Not copyable; QuaZip and the entries opened on it must go before it.
class MappedZip
{
public:
    explicit MappedZip(const QString& path);
    ~MappedZip();
    MappedZip(const MappedZip&) = delete;
    MappedZip& operator=(const MappedZip&) = delete;

    QuaZip& zip() { return *m_zip; }
    /// Whether the archive is read from the mapping.
    bool isMapped() const { return !m_data.isNull(); }

private:
    QFile m_file;
    QByteArray m_data;
    QBuffer m_buffer;
    std::unique_ptr<QuaZip> m_zip;
};
