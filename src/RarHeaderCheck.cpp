#include "RarHeaderCheck.h"

#include <QFile>

namespace RarHeaderCheck {

namespace {

const QByteArray kSignature("Rar!\x1a\x07\x01\x00", 8);
constexpr quint64 kMainHeader = 1;
constexpr quint64 kHasExtra = 0x01;
constexpr quint64 kHasData = 0x02;
constexpr quint64 kVolumeNumber = 0x02;
constexpr quint64 kMetadataRecord = 2;
constexpr quint64 kMetadataName = 0x01;

/// Reads the variable-length integers of RAR 5 within [pos, end).
class Reader
{
public:
    Reader(const QByteArray& data, qint64 pos, qint64 end)
        : m_data(data), m_pos(pos), m_end(qMin<qint64>(end, data.size()))
    {
    }
    bool number(quint64& value)
    {
        value = 0;
        for (int shift = 0; shift < 64 && m_pos < m_end; shift += 7) {
            const quint8 byte = quint8(m_data.at(int(m_pos++)));
            value |= quint64(byte & 0x7f) << shift;
            if (!(byte & 0x80))
                return true;
        }
        return false; // runs past the end, or longer than any number
    }
    qint64 pos() const { return m_pos; }
    qint64 end() const { return m_end; }

private:
    const QByteArray& m_data;
    qint64 m_pos;
    qint64 m_end;
};

/// The main header starting at `pos` (just after a signature).
QString checkMainHeader(const QByteArray& data, qint64 pos)
{
    pos += 4; // header CRC
    Reader sizeReader(data, pos, data.size());
    quint64 headerSize = 0;
    if (!sizeReader.number(headerSize))
        return QString(); // cut off: the library says so itself
    const qint64 start = sizeReader.pos();
    const qint64 end = start + qint64(qMin<quint64>(headerSize, quint64(data.size())));
    Reader header(data, start, end);
    quint64 type = 0;
    quint64 flags = 0;
    quint64 extraSize = 0;
    quint64 ignored = 0;
    if (!header.number(type) || type != kMainHeader || !header.number(flags))
        return QString();
    if ((flags & kHasExtra) && !header.number(extraSize))
        return QString();
    if ((flags & kHasData) && !header.number(ignored))
        return QString();
    quint64 archiveFlags = 0;
    if (!header.number(archiveFlags))
        return QString();
    if ((archiveFlags & kVolumeNumber) && !header.number(ignored))
        return QString();
    if (extraSize == 0 || extraSize > quint64(end - start))
        return QString();
    // The extra area is the end of the header: records of size, type, data.
    qint64 record = end - qint64(extraSize);
    while (record < end) {
        Reader r(data, record, end);
        quint64 size = 0;
        if (!r.number(size) || size == 0 || size > quint64(end - r.pos()))
            return QString();
        const qint64 next = r.pos() + qint64(size);
        Reader field(data, r.pos(), next);
        quint64 fieldType = 0;
        if (field.number(fieldType) && fieldType == kMetadataRecord) {
            quint64 metaFlags = 0;
            if (!field.number(metaFlags))
                return QStringLiteral("the archive's metadata record is cut off");
            if (metaFlags & kMetadataName) {
                quint64 nameSize = 0;
                if (!field.number(nameSize) || nameSize == 0 || nameSize > quint64(next - field.pos()))
                    return QStringLiteral("the archive's metadata names an archive of %1 bytes in a record of %2")
                        .arg(nameSize)
                        .arg(size);
            }
        }
        record = next;
    }
    return QString();
}

} // namespace

QString refusal(const QByteArray& head)
{
    for (int at = head.indexOf(kSignature); at >= 0; at = head.indexOf(kSignature, at + 1)) {
        const QString reason = checkMainHeader(head, at + kSignature.size());
        if (!reason.isEmpty())
            return reason;
    }
    return QString();
}

QString fileRefusal(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return refusal(file.read(searchedBytes));
}

} // namespace RarHeaderCheck
