#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QList>
#include <QMap>
#include <QPair>
#include <QString>

/// Builds small Mobipocket and PalmDOC files in memory for tests: the Palm
/// database, record 0 (PalmDOC and MOBI headers, EXTH), text records
/// compressed with none, PalmDOC or HUFF/CDIC, trailing entries as the
/// extra-data flags describe them (multibyte overlap included), image
/// records, an NCX index, plain PalmDOC (TEXtREAd) books and KF8-only books
/// (FDST, skeleton and fragment indexes).
///
/// The pieces (PalmDOC compressor, HUFF/CDIC records, index records, the
/// database writer) are public too, so tests can damage them on purpose.
class MobiBuilder
{
public:
    /// One entry of the book's table of contents. MOBI 6: `position` is a
    /// byte position of the text. KF8: `fid`/`offset` name the fragment and
    /// the offset in it.
    struct NcxEntry
    {
        QByteArray title;
        qint64 position = 0;
        int parent = -1;
        int fid = -1;
        int offset = 0;
    };
    /// One file of a KF8 book: the skeleton is head + tail, the fragments are
    /// inserted one after the other between them.
    struct Kf8File
    {
        QByteArray head;
        QByteArray tail;
        QList<QByteArray> fragments;
    };
    struct DictionaryEntry
    {
        QByteArray bytes;
        bool literal = true;
    };
    /// Where things ended up in the last build().
    struct Layout
    {
        int textRecords = 0;
        int firstNonBook = 0;
        int huffRecord = -1;
        int ncxRecord = -1;
        int firstImage = -1;
        QList<quint32> offsets; ///< record offsets in the file
        /// KF8: the insert position of each fragment.
        QList<qint64> fragmentStarts;
        QByteArray rawText; ///< the uncompressed text as stored
    };

    MobiBuilder& text(const QByteArray& bytes);
    MobiBuilder& kf8Files(const QList<Kf8File>& files, const QByteArray& css = QByteArray());
    MobiBuilder& compression(int code);
    MobiBuilder& encoding(quint32 codepage);
    MobiBuilder& title(const QByteArray& fullName);
    MobiBuilder& exth(quint32 type, const QByteArray& data);
    MobiBuilder& exthNumber(quint32 type, quint32 value);
    MobiBuilder& author(const QByteArray& name) { return exth(100, name); }
    MobiBuilder& extraFlags(quint16 flags);
    MobiBuilder& recordSize(int size);
    MobiBuilder& image(const QImage& image);
    /// A record between the text and the images that is not an image.
    MobiBuilder& otherRecord(const QByteArray& data);
    MobiBuilder& ncx(const QList<NcxEntry>& entries);
    MobiBuilder& encryption(quint16 type);
    /// A TEXtREAd book: no MOBI header; the title is the database name.
    MobiBuilder& plainPalmDoc();
    /// Dictionary phrases used by HUFF/CDIC compression besides single bytes.
    MobiBuilder& huffPhrases(const QList<DictionaryEntry>& phrases);
    /// Leave the first image index of the header unset.
    MobiBuilder& noImageIndex();

    QByteArray build();
    QString write(const QString& dir, const QString& name);
    const Layout& layout() const { return m_layout; }

    // --- pieces ---
    static QByteArray palmDocCompress(const QByteArray& data);
    /// A HUFF record whose codes are all 9 bits long: code c stands for
    /// dictionary entry 511 - c.
    static QByteArray huffRecord();
    /// CDIC records holding `entries` (at most 512), 256 per record.
    static QList<QByteArray> cdicRecords(const QList<DictionaryEntry>& entries);
    /// The HUFF/CDIC code stream for a list of dictionary indexes.
    static QByteArray huffEncode(const QList<int>& indexes);
    /// Dictionary indexes for `data`: the 256 single bytes are entries 0 to
    /// 255, `phrases` (tried longest first) follow from 256 on.
    static QList<int> huffIndexes(const QByteArray& data, const QList<DictionaryEntry>& phrases);
    /// The 256 single-byte entries followed by `phrases` (non-literal ones
    /// compressed).
    static QList<DictionaryEntry> dictionary(const QList<DictionaryEntry>& phrases);

    struct IndexTag
    {
        int tag;
        int valuesPerEntry;
    };
    struct IndexEntry
    {
        QByteArray label;
        QMap<int, QList<quint32>> values;
    };
    /// The INDX header record, one data record, then CNCX records holding
    /// `strings` (see cncxOffsets()).
    static QList<QByteArray> indexRecords(const QList<IndexTag>& tags, const QList<IndexEntry>& entries,
                                          const QList<QByteArray>& strings = {});
    /// The CNCX offsets of `strings` as indexRecords() writes them.
    static QList<quint32> cncxOffsets(const QList<QByteArray>& strings);
    /// A Palm database of `records`.
    static QByteArray pdb(const QByteArray& typeCreator, const QList<QByteArray>& records,
                          const QByteArray& name = "test-book");

    static QImage makeImage(int width, int height, const QColor& color);
    static void put32(QByteArray& data, int offset, quint32 value);
    static void put16(QByteArray& data, int offset, quint16 value);
    static QByteArray be32(quint32 value);
    static QByteArray be16(quint16 value);

private:
    QByteArray record0(int textRecords, quint32 textLength) const;
    QList<QByteArray> textRecords(const QByteArray& raw) const;
    QByteArray trailing(const QByteArray& overlap, int record) const;

    QByteArray m_text;
    QList<Kf8File> m_kf8;
    QByteArray m_css;
    bool m_isKf8 = false;
    int m_compression = 2;
    quint32 m_encoding = 65001;
    QByteArray m_title = "Test Book";
    QList<QPair<quint32, QByteArray>> m_exth;
    quint16 m_flags = 0;
    int m_recordSize = 4096;
    QList<QByteArray> m_images;
    QList<QByteArray> m_others;
    QList<NcxEntry> m_ncx;
    quint16 m_encryption = 0;
    bool m_plain = false;
    bool m_imageIndex = true;
    QList<DictionaryEntry> m_phrases;
    Layout m_layout;
};
