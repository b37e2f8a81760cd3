#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QPair>
#include <QString>

namespace mobi {

/// Record 0 of a Mobipocket or PalmDOC book: the PalmDOC header, the MOBI
/// header and the EXTH block, kept as the raw record and read field by field
/// when asked. Every field read is bounds-checked against the record and the
/// MOBI header's own length: a field the header is too short to hold reads as
/// absent.
///
/// Threads: plain data; any thread.
class MobiHeader
{
public:
    enum Compression
    {
        NoCompression = 1,
        PalmDoc = 2,
        HuffCdic = 17480,
    };
    /// Index fields that are not set hold this value.
    static constexpr quint32 noIndex = 0xFFFFFFFF;

    /// Parses record 0. `plainPalmDoc` is set for a TEXtREAd book, whose
    /// record 0 has no MOBI header. False when the record is too short for a
    /// PalmDOC header, or a BOOKMOBI record 0 lacks the "MOBI" identifier.
    bool parse(const QByteArray& record0, bool plainPalmDoc);

    // --- PalmDOC header ---
    /// 1 none, 2 PalmDOC, 17480 HUFF/CDIC; any other code reads as 1.
    int compression() const;
    /// The raw compression code as stored.
    int compressionCode() const;
    /// "None", "PalmDOC", "HUFF/CDIC" or "Unknown (%1)".
    QString compressionName() const;
    /// The claimed length of the whole text; never trusted for allocation.
    quint32 textLength() const;
    int textRecordCount() const;
    int textRecordSize() const;
    /// Whether the book is encrypted (DRM): the encryption field of a MOBI
    /// book or a DRM block named by its MOBI header.
    bool isProtected() const;

    // --- MOBI header ---
    bool hasMobiHeader() const { return m_mobiLength > 0; }
    quint32 headerLength() const { return m_mobiLength; }
    quint32 bookType() const;
    /// "Mobipocket Book", "PalmDoc Book", ... or "Unknown (%1)".
    QString bookTypeName() const;
    /// 1252, 65001, or whatever the file says (0 without MOBI header).
    quint32 encoding() const;
    /// The codec used for the text: "UTF-8" for 65001, "windows-1252" for
    /// everything else (1252 and unknown codes, logged once when parsed).
    QByteArray codecName() const;
    quint32 fileVersion() const;
    quint32 firstNonBookIndex() const;
    quint32 firstImageIndex() const;
    quint32 huffRecordOffset() const;
    quint32 huffRecordCount() const;
    /// Extra data flags of the text records (trailing entries); 0 when the
    /// header does not carry them.
    quint16 extraDataFlags() const;
    quint32 ncxIndex() const;
    // KF8 fields
    quint32 fdstIndex() const;
    quint32 fragmentIndex() const;
    quint32 skeletonIndex() const;

    /// The full name from record 0, decoded with the book's codec.
    QString fullName() const;

    // --- EXTH ---
    bool hasExth() const { return m_exthFound; }
    /// The data of every EXTH record of `type`, in file order.
    QList<QByteArray> exth(quint32 type) const;
    /// The first EXTH record of `type` as a big-endian number; `fallback`
    /// when absent or not 4 bytes long.
    quint32 exthNumber(quint32 type, quint32 fallback = noIndex) const;
    /// Every EXTH record of `type` decoded with the book's codec, trimmed,
    /// empty ones dropped.
    QStringList exthTexts(quint32 type) const;

    /// Decodes bytes of this book (titles, index labels) with its codec.
    QString decode(const QByteArray& bytes) const;

private:
    /// A 4-byte field at `offset` of record 0 when the MOBI header holds it.
    quint32 field(int offset, quint32 fallback = noIndex) const;
    void parseExth();

    QByteArray m_record;
    quint32 m_mobiLength = 0;
    bool m_plain = false;
    bool m_exthFound = false;
    QList<QPair<quint32, QByteArray>> m_exth;
};

} // namespace mobi
