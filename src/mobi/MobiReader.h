#pragma once

#include "mobi/MobiContent.h"
#include "mobi/MobiHeader.h"
#include "mobi/PdbFile.h"

#include <QImage>
#include <QMap>
#include <QString>

namespace mobi {

/// Reads a Mobipocket (MOBI, PRC, AZW3) or plain PalmDOC book: the Palm
/// database, record 0 with its headers, the text records (trailing entries
/// stripped as the extra-data flags say, then decompressed: none, PalmDOC or
/// HUFF/CDIC), the book's own table of contents (NCX index) and the images.
///
/// open() reads only the database header, the record list and record 0, so
/// title, author, metadata and cover are cheap (the add-books worker uses
/// them); content() decodes the text. A joint MOBI 6 + KF8 file is read
/// through its MOBI 6 part; a KF8-only file (version 8) through its KF8
/// layout (Kf8Layout).
///
/// Errors are values: open() is false for a file that is not a readable
/// Mobipocket or PalmDOC book; a protected (DRM) book opens for its metadata
/// but gives no content. Damaged records end the decoding early; nothing is
/// read outside the file.
///
/// Threads: no QObject; one reader is used by one thread at a time (the
/// add-books worker uses its own).
class MobiReader
{
public:
    enum Error
    {
        NoError,
        CannotRead,  ///< missing, unreadable, or not a Palm database
        NotMobi,     ///< a Palm database of another kind, or record 0 damaged
        Protected,   ///< encrypted (DRM)
        NoText,      ///< opened, but no text could be decoded
        Unsupported, ///< a compression this reader does not know
    };

    bool open(const QString& path);
    bool openData(const QByteArray& data);
    Error error() const { return m_error; }
    /// Why it failed, in English for the log.
    QString errorString() const { return m_errorString; }

    const MobiHeader& header() const { return m_header; }
    const PdbFile& pdb() const { return m_pdb; }
    bool isPlainPalmDoc() const { return m_plain; }
    bool isProtected() const { return m_header.isProtected(); }
    /// Whether the text is stored in a compression this reader decodes
    /// (none, PalmDOC, HUFF/CDIC). Known from record 0 alone.
    bool isCompressionSupported() const { return m_header.compressionCode() == m_header.compression(); }
    /// Whether every text record the header counts is in the file. A file
    /// cut short (an interrupted copy) still lists all its records; those
    /// past its end read as empty. Known without decoding anything.
    bool isTextComplete() const;
    /// A KF8-only book (its text is read through the KF8 layout).
    bool isKf8() const;

    /// The full name (a plain PalmDOC book: the database name); EXTH 503 when
    /// the full name is empty.
    QString title() const;
    /// EXTH 100, several authors joined with ", ".
    QString author() const;
    /// Library metadata codes: 0 identifier (ISBN or ASIN), 1 title,
    /// 2 creator, 3 contributor, 4 subject, 5 publisher, 6 description,
    /// 7 type (the book type name), 11 rights. Only non-empty values.
    QMap<int, QString> metadata() const;

    /// The record of image 1; the first image index of the header when it
    /// names a record of the file, otherwise the first record at or after
    /// the end of the text that holds an image; -1 without images.
    int firstImageRecord() const;
    int imageCount() const;
    /// The stored bytes of image `number` (1-based); empty when there is none.
    QByteArray imageData(int number) const;
    /// Image `number` decoded (SafeImage limits); null when missing or not
    /// an image.
    QImage image(int number) const;
    /// The number of the cover image: EXTH 201 (cover offset) + 1 when set,
    /// otherwise 1.
    int coverNumber() const;
    /// The cover image; null when the book has none.
    QImage cover() const;

    /// All text records decompressed and joined (still in the book's
    /// encoding). At most Limits::maxBookTextSize bytes.
    QByteArray text();
    /// The text split into parts, with the book's table of contents; empty
    /// parts for a protected book or when no text could be read (error()
    /// says which).
    MobiContent content();
    /// The opening of the text, for a first page before the whole book is
    /// decoded: the complete chapters that end in the first `bytes` of text
    /// (up to the last page break there; KF8: whole files), or, when none
    /// does, in the first 4 × `bytes`. Empty when there is no such cut, when
    /// the opening would be the whole text, for plain PalmDOC books and on
    /// any error (content() then says what is wrong). `share` receives the
    /// part of the text the opening makes. Converted alone, the opening gives
    /// the whole book's first chapters (MobiConverter::Opening).
    MobiContent openingContent(qint64 bytes, double* share = nullptr);

    /// The size of the trailing entries at the end of a text record, as the
    /// extra-data flags describe them (bit 0: multibyte overlap, the other
    /// bits: entries with a backward-encoded size). Never more than the
    /// record.
    static int trailingEntriesSize(const QByteArray& record, quint16 flags);

private:
    bool fail(Error error, const QString& reason);
    bool readRecord0();
    /// Decompresses text records until `upTo` bytes are there (-1: all);
    /// `whole` tells whether every text record was read.
    QByteArray decode(qint64 upTo, bool* whole);
    /// `opening`: the content holds only the first fragments of a KF8 book.
    void readToc(MobiContent& content, bool opening) const;
    /// `opening`: `text` is the start of the text; only the files complete
    /// in it are assembled, and nothing is logged.
    void readKf8(const QByteArray& text, MobiContent& content, bool opening) const;
    bool recordIsImage(int index) const;

    PdbFile m_pdb;
    MobiHeader m_header;
    bool m_plain = false;
    Error m_error = NoError;
    QString m_errorString;
    mutable int m_firstImage = -2; ///< -2: not looked for yet
};

} // namespace mobi
