#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMap>
#include <QVector>

#include <functional>

namespace mobi {

/// One of the indexes of a Mobipocket file (table of contents, KF8 skeleton
/// and fragment tables): INDX records with a TAGX table that says which tags
/// each entry carries, IDXT offsets to the entries, and CNCX records with the
/// strings the entries refer to.
///
/// Damaged records end the reading early: what was read stays, nothing is
/// read outside a record, and the number of entries is bounded by what the
/// records hold.
///
/// Threads: plain data; any thread.
class MobiIndex
{
public:
    struct Entry
    {
        QByteArray label;
        QMap<int, QVector<quint32>> tags;

        /// Value `i` of `tag`; `fallback` when the entry lacks it.
        quint32 value(int tag, int i = 0, quint32 fallback = 0xFFFFFFFF) const;
        bool has(int tag) const { return tags.contains(tag); }
    };

    /// Reads the index whose header is record `first`; `record(i)` gives
    /// record i of the file (empty when there is none). False when the
    /// header record is not an index.
    bool read(int first, const std::function<QByteArray(int)>& record);

    const QList<Entry>& entries() const { return m_entries; }
    /// The string at `offset` of the CNCX records (raw bytes); empty when
    /// there is none.
    QByteArray string(quint32 offset) const;

private:
    struct Tag
    {
        int tag;
        int valuesPerEntry;
        int mask;
        bool endOfControlByte;
    };

    bool parseEntry(const QByteArray& data, int start, int end);

    QList<Tag> m_tags;
    int m_controlBytes = 0;
    QList<Entry> m_entries;
    QList<QByteArray> m_cncx;
};

} // namespace mobi
