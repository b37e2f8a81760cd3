#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>

#include <memory>

class QIODevice;

namespace mobi {

/// A Palm database file (PDB): the 78-byte database header, the record list
/// and random access to the records, read from the file on demand.
///
/// Record i spans from its offset to the next record's offset (the last one to
/// the end of the file). Nothing in the file is trusted: a record list that
/// runs past the end of the file is cut to the entries that are there, and a
/// record whose offset is past the end, or whose next offset lies before its
/// own, reads as empty; a record cut by the end of the file reads as what is
/// there.
///
/// Threads: no QObject; one object is used by one thread at a time (record()
/// moves the file position).
class PdbFile
{
public:
    static constexpr int headerSize = 78;

    PdbFile();
    ~PdbFile();
    PdbFile(const PdbFile&) = delete;
    PdbFile& operator=(const PdbFile&) = delete;

    /// Opens `path` and reads the header and the record list. False when the
    /// file cannot be read or is too short for a database header.
    bool open(const QString& path);
    /// The same over bytes in memory (tests, builders).
    bool openData(const QByteArray& data);
    bool isOpen() const { return m_device != nullptr; }
    /// After a failed open(): true when the file itself could not be read
    /// (missing, no permission), false when it is too short to be a database.
    bool unreadable() const { return m_unreadable; }

    /// The database name (zero bytes cut off), type and creator ("BOOK",
    /// "MOBI"; "TEXt", "REAd" for a plain PalmDOC book).
    QByteArray name() const { return m_name; }
    QByteArray type() const { return m_type; }
    QByteArray creator() const { return m_creator; }
    /// The number of records the file really lists (at most what the header
    /// claims).
    int recordCount() const { return m_offsets.size(); }
    /// The number of records the header claims.
    int claimedRecordCount() const { return m_claimedCount; }
    qint64 fileSize() const { return m_size; }

    /// Record `index`; empty when there is no such record or it cannot be
    /// reached.
    QByteArray record(int index) const;
    /// The size record(index) would have, without reading it.
    qint64 recordSize(int index) const;
    /// The first bytes of a record (for recognising what it holds).
    QByteArray recordHead(int index, int bytes) const;

private:
    bool readHeader();
    qint64 recordStart(int index) const;
    qint64 recordEnd(int index) const;

    std::unique_ptr<QIODevice> m_device;
    qint64 m_size = 0;
    bool m_unreadable = false;
    QByteArray m_name;
    QByteArray m_type;
    QByteArray m_creator;
    int m_claimedCount = 0;
    QVector<quint32> m_offsets;
};

} // namespace mobi
