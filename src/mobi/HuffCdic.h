#pragma once

#include <QByteArray>
#include <QList>
#include <QVector>

namespace mobi {

/// HUFF/CDIC decompression (the Mobipocket Huffman dictionary scheme) of the
/// text records of one book.
///
/// load() takes the HUFF record (code tables) and the CDIC records (the
/// dictionary). decompress() decodes one record: each Huffman code selects a
/// dictionary entry that is either literal bytes or itself compressed. Entries
/// are expanded once and remembered, nested at most maxDepth deep; an entry
/// that refers to itself, a code outside the tables or a dictionary entry that
/// does not fit its record ends the record early, keeping what was produced.
/// Every read is bounds-checked; output stops at `maxOutput` bytes.
///
/// Threads: plain data; one object per thread (decompress() fills its cache).
class HuffCdic
{
public:
    static constexpr int maxDepth = 32;

    /// False (and nothing usable) when the HUFF record is damaged or there is
    /// no CDIC record with a valid header.
    bool load(const QByteArray& huff, const QList<QByteArray>& cdics);
    QByteArray decompress(const QByteArray& input, int maxOutput);

private:
    struct Entry
    {
        QByteArray bytes;
        bool literal = false;
        bool valid = false;
    };
    enum State : quint8
    {
        Unresolved,
        Expanding,
        Expanded,
        Broken
    };

    /// False when decoding stopped on damage (not when the input ended).
    bool unpack(const QByteArray& input, QByteArray& out, int depth, int maxOutput);
    Entry entry(quint64 index) const;
    const QByteArray* expanded(quint64 index, const Entry& e, int depth, int maxOutput);

    quint32 m_table1[256] = {};
    quint64 m_minCode[34] = {};
    quint64 m_maxCode[34] = {};
    QList<QByteArray> m_cdics;
    int m_bits = 0;
    quint64 m_phrases = 0;
    QVector<QByteArray> m_cache;
    QVector<quint8> m_state;
};

} // namespace mobi
