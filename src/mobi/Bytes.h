#pragma once

#include <QByteArray>

/// Bounds-checked big-endian reads from a byte array: every number in a
/// Palm database is big-endian, and every offset in one comes from the file.
/// A read that does not fit gives `fallback` instead of touching memory
/// outside the array. Header-only; any thread.
namespace mobi::bytes {

inline bool fits(const QByteArray& data, qint64 offset, qint64 size)
{
    return offset >= 0 && size >= 0 && offset <= data.size() && size <= data.size() - offset;
}

inline quint32 be32(const QByteArray& data, qint64 offset, quint32 fallback = 0)
{
    if (!fits(data, offset, 4))
        return fallback;
    const auto* p = reinterpret_cast<const uchar*>(data.constData() + offset);
    return (quint32(p[0]) << 24) | (quint32(p[1]) << 16) | (quint32(p[2]) << 8) | quint32(p[3]);
}

inline quint16 be16(const QByteArray& data, qint64 offset, quint16 fallback = 0)
{
    if (!fits(data, offset, 2))
        return fallback;
    const auto* p = reinterpret_cast<const uchar*>(data.constData() + offset);
    return quint16((p[0] << 8) | p[1]);
}

inline quint8 u8(const QByteArray& data, qint64 offset, quint8 fallback = 0)
{
    return fits(data, offset, 1) ? quint8(data.at(int(offset))) : fallback;
}

/// The bytes from `offset` on, at most `size` of them; empty when `offset` is
/// outside the array.
inline QByteArray slice(const QByteArray& data, qint64 offset, qint64 size)
{
    if (offset < 0 || offset > data.size() || size <= 0)
        return QByteArray();
    return data.mid(int(offset), int(qMin<qint64>(size, data.size() - offset)));
}

/// A forward variable-width integer (7 bits per byte, the last byte has the
/// high bit set) as used in index entries. `pos` advances past it; false when
/// the data ends first or the value grows beyond 32 bits.
inline bool forwardVarint(const QByteArray& data, int& pos, quint32& value)
{
    quint64 v = 0;
    for (int n = 0; n < 5; ++n) {
        if (pos >= data.size())
            return false;
        const quint8 b = quint8(data.at(pos++));
        v = (v << 7) | (b & 0x7F);
        if (b & 0x80) {
            if (v > 0xFFFFFFFFu)
                return false;
            value = quint32(v);
            return true;
        }
    }
    return false;
}

} // namespace mobi::bytes
