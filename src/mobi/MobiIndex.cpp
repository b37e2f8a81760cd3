#include "mobi/MobiIndex.h"

#include "mobi/Bytes.h"

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcMobi)

namespace mobi {

namespace {
// Far above any real index (a large dictionary has tens of thousands of
// entries); bounds the work a damaged header can ask for.
constexpr quint32 kMaxIndexRecords = 4096;
constexpr quint32 kMaxCncxRecords = 4096;

int setBits(int mask)
{
    int n = 0;
    for (; mask; mask >>= 1)
        n += mask & 1;
    return n;
}
} // namespace

quint32 MobiIndex::Entry::value(int tag, int i, quint32 fallback) const
{
    const auto it = tags.constFind(tag);
    return it == tags.constEnd() || i >= it->size() ? fallback : it->at(i);
}

bool MobiIndex::read(int first, const std::function<QByteArray(int)>& record)
{
    m_entries.clear();
    m_tags.clear();
    m_cncx.clear();
    const QByteArray header = record(first);
    if (header.left(4) != "INDX")
        return false;
    const quint32 headerLength = bytes::be32(header, 4);
    const quint32 recordCount = qMin(bytes::be32(header, 24), kMaxIndexRecords);
    const quint32 cncxCount = qMin(bytes::be32(header, 52), kMaxCncxRecords);

    const QByteArray tagx = bytes::slice(header, headerLength, header.size());
    if (tagx.left(4) != "TAGX") {
        qCWarning(lcMobi) << "index" << first << "has no TAGX table";
        return false;
    }
    const quint32 tagxEnd = qMin<quint32>(bytes::be32(tagx, 4), quint32(tagx.size()));
    m_controlBytes = int(qMin<quint32>(bytes::be32(tagx, 8), 16));
    for (quint32 pos = 12; pos + 4 <= tagxEnd; pos += 4) {
        const auto* p = reinterpret_cast<const uchar*>(tagx.constData() + pos);
        m_tags.append({p[0], p[1], p[2], p[3] == 1});
    }

    for (quint32 c = 0; c < cncxCount; ++c)
        m_cncx << record(first + int(recordCount) + 1 + int(c));

    for (quint32 r = 1; r <= recordCount; ++r) {
        const QByteArray data = record(first + int(r));
        if (data.left(4) != "INDX") {
            qCWarning(lcMobi) << "index record" << first + int(r) << "missing; index cut short";
            break;
        }
        const quint32 idxt = bytes::be32(data, 20);
        const quint32 count = bytes::be32(data, 24);
        if (bytes::slice(data, idxt, 4) != "IDXT") {
            qCWarning(lcMobi) << "index record" << first + int(r) << "has no IDXT";
            break;
        }
        // Each offset is two bytes after the IDXT tag; the last entry ends
        // where the IDXT begins.
        const quint32 fitting = (quint32(data.size()) - idxt - 4) / 2;
        const quint32 entries = qMin(count, fitting);
        for (quint32 j = 0; j < entries; ++j) {
            const int start = bytes::be16(data, idxt + 4 + 2 * j);
            const int end = j + 1 < entries ? bytes::be16(data, idxt + 4 + 2 * (j + 1)) : int(idxt);
            if (start >= end || end > data.size() || !parseEntry(data, start, end))
                break;
        }
    }
    return true;
}

bool MobiIndex::parseEntry(const QByteArray& data, int start, int end)
{
    const QByteArray rec = data.mid(start, end - start);
    const int labelLength = bytes::u8(rec, 0);
    if (1 + labelLength + m_controlBytes > rec.size())
        return false;
    Entry entry;
    entry.label = rec.mid(1, labelLength);
    int control = 1 + labelLength;
    int pos = control + m_controlBytes;

    struct Pending
    {
        int tag;
        int valueCount; // -1: `byteCount` bytes of values follow
        int byteCount;
        int valuesPerEntry;
    };
    QList<Pending> pending;
    for (const Tag& t : qAsConst(m_tags)) {
        if (t.endOfControlByte) {
            ++control;
            continue;
        }
        if (control >= 1 + labelLength + m_controlBytes)
            break;
        int value = quint8(rec.at(control)) & t.mask;
        if (value == 0)
            continue;
        if (value == t.mask && setBits(t.mask) > 1) {
            quint32 byteCount = 0;
            if (!bytes::forwardVarint(rec, pos, byteCount))
                return false;
            pending.append({t.tag, -1, int(qMin<quint32>(byteCount, quint32(rec.size()))), t.valuesPerEntry});
        } else {
            for (int mask = t.mask; mask && !(mask & 1); mask >>= 1)
                value >>= 1;
            pending.append({t.tag, value, 0, t.valuesPerEntry});
        }
    }
    for (const Pending& p : qAsConst(pending)) {
        QVector<quint32> values;
        if (p.valueCount >= 0) {
            for (int k = 0; k < p.valueCount * p.valuesPerEntry; ++k) {
                quint32 v = 0;
                if (!bytes::forwardVarint(rec, pos, v))
                    break;
                values << v;
            }
        } else {
            const int stop = pos + p.byteCount;
            while (pos < stop) {
                quint32 v = 0;
                if (!bytes::forwardVarint(rec, pos, v))
                    break;
                values << v;
            }
        }
        entry.tags.insert(p.tag, values);
    }
    m_entries << entry;
    return true;
}

QByteArray MobiIndex::string(quint32 offset) const
{
    const int recordIndex = int(offset >> 16);
    if (recordIndex >= m_cncx.size())
        return QByteArray();
    const QByteArray& data = m_cncx.at(recordIndex);
    int pos = int(offset & 0xFFFF);
    quint32 length = 0;
    if (!bytes::forwardVarint(data, pos, length))
        return QByteArray();
    return bytes::slice(data, pos, length);
}

} // namespace mobi
