#include "mobi/HuffCdic.h"

#include "mobi/Bytes.h"

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcMobi)

namespace mobi {

namespace {
// No real book comes near this many phrases; it bounds the cache.
constexpr quint64 kMaxPhrases = 1u << 24;

// The 32 bits of `data` starting at bit `bit`, zeros past the end.
quint32 peek32(const QByteArray& data, qint64 bit)
{
    const qint64 byte = bit >> 3;
    quint64 window = 0;
    for (int k = 0; k < 5; ++k)
        window = (window << 8) | bytes::u8(data, byte + k, 0);
    return quint32(window >> (8 - (bit & 7)));
}
} // namespace

bool HuffCdic::load(const QByteArray& huff, const QList<QByteArray>& cdics)
{
    m_cdics.clear();
    m_cache.clear();
    m_state.clear();
    if (huff.left(4) != "HUFF" || huff.size() < 24) {
        qCWarning(lcMobi) << "HUFF record missing or damaged";
        return false;
    }
    const quint32 offset1 = bytes::be32(huff, 8);
    const quint32 offset2 = bytes::be32(huff, 12);
    if (!bytes::fits(huff, offset1, 256 * 4) || !bytes::fits(huff, offset2, 64 * 4)) {
        qCWarning(lcMobi) << "HUFF tables lie outside the record";
        return false;
    }
    for (int i = 0; i < 256; ++i)
        m_table1[i] = bytes::be32(huff, offset1 + 4 * i);
    m_minCode[0] = 0;
    m_maxCode[0] = 0;
    for (int length = 1; length <= 32; ++length) {
        const quint64 minCode = bytes::be32(huff, offset2 + 8 * (length - 1));
        const quint64 maxCode = bytes::be32(huff, offset2 + 8 * (length - 1) + 4);
        m_minCode[length] = minCode << (32 - length);
        m_maxCode[length] = ((maxCode + 1) << (32 - length)) - 1;
    }
    // A sentinel past the longest code: lengthening stops there.
    m_minCode[33] = 0;
    m_maxCode[33] = 0;

    for (const QByteArray& cdic : cdics) {
        if (cdic.left(4) != "CDIC" || cdic.size() < 16) {
            qCWarning(lcMobi) << "CDIC record damaged; later dictionary entries are missing";
            break;
        }
        if (m_cdics.isEmpty()) {
            m_phrases = bytes::be32(cdic, 8);
            m_bits = int(bytes::be32(cdic, 12));
            if (m_bits < 1 || m_bits > 16) {
                qCWarning(lcMobi) << "CDIC code length out of range:" << m_bits;
                return false;
            }
        }
        m_cdics << cdic;
    }
    if (m_cdics.isEmpty())
        return false;
    m_phrases = qMin<quint64>(m_phrases, qMin<quint64>(kMaxPhrases, quint64(m_cdics.size()) << m_bits));
    m_cache.resize(int(m_phrases));
    m_state.fill(Unresolved, int(m_phrases));
    return true;
}

HuffCdic::Entry HuffCdic::entry(quint64 index) const
{
    Entry e;
    if (index >= m_phrases)
        return e;
    const QByteArray& cdic = m_cdics.at(int(index >> m_bits));
    const quint64 slot = index & ((quint64(1) << m_bits) - 1);
    const qint64 offset = bytes::be16(cdic, 16 + 2 * qint64(slot), 0xFFFF);
    const qint64 pos = 16 + offset;
    if (!bytes::fits(cdic, pos, 2))
        return e;
    const quint16 header = bytes::be16(cdic, pos);
    const int length = header & 0x7FFF;
    if (!bytes::fits(cdic, pos + 2, length))
        return e;
    e.bytes = cdic.mid(int(pos + 2), length);
    e.literal = header & 0x8000;
    e.valid = true;
    return e;
}

const QByteArray* HuffCdic::expanded(quint64 index, const Entry& e, int depth, int maxOutput)
{
    const int i = int(index);
    switch (m_state.at(i)) {
    case Expanded:
        return &m_cache.at(i);
    case Expanding: // the entry refers to itself
    case Broken:
        return nullptr;
    default:
        break;
    }
    m_state[i] = Expanding;
    QByteArray out;
    if (!unpack(e.bytes, out, depth + 1, maxOutput)) {
        m_state[i] = Broken;
        return nullptr;
    }
    m_cache[i] = out;
    m_state[i] = Expanded;
    return &m_cache.at(i);
}

bool HuffCdic::unpack(const QByteArray& input, QByteArray& out, int depth, int maxOutput)
{
    if (depth > maxDepth)
        return false;
    const qint64 bitCount = qint64(input.size()) * 8;
    qint64 bit = 0;
    while (out.size() < maxOutput) {
        const quint32 code = peek32(input, bit);
        const quint32 t1 = m_table1[code >> 24];
        int length = int(t1 & 0x1F);
        if (length == 0)
            return false;
        quint64 maxCode = ((quint64(t1 >> 8) + 1) << (32 - length)) - 1;
        if (!(t1 & 0x80)) {
            while (length <= 32 && code < m_minCode[length])
                ++length;
            if (length > 32)
                return false;
            maxCode = m_maxCode[length];
        }
        bit += length;
        if (bit > bitCount)
            return true; // input exhausted: the normal end
        if (maxCode < code)
            return false;
        const quint64 index = (maxCode - code) >> (32 - length);
        const Entry e = entry(index);
        if (!e.valid)
            return false;
        if (e.literal) {
            out.append(e.bytes);
        } else {
            const QByteArray* part = expanded(index, e, depth, maxOutput);
            if (!part)
                return false;
            out.append(*part);
        }
    }
    return true;
}

QByteArray HuffCdic::decompress(const QByteArray& input, int maxOutput)
{
    QByteArray out;
    if (m_cdics.isEmpty())
        return out;
    out.reserve(4096);
    if (!unpack(input, out, 0, maxOutput))
        qCWarning(lcMobi) << "HUFF/CDIC record damaged; decoded" << out.size() << "bytes of it";
    if (out.size() > maxOutput)
        out.truncate(maxOutput);
    return out;
}

} // namespace mobi
