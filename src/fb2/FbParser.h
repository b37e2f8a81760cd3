#pragma once

#include "Limits.h"
#include "fb2/FbBook.h"

#include <QDomDocument>
#include <QFile>
#include <QHash>
#include <QSet>
#include <QString>

#include <functional>

class QDomElement;

namespace fb2 {

/// Reads a FictionBook 2 file into a Book.
///
/// Full mode reads the whole file into a DOM, decodes every "binary" image and
/// parses the description and all bodies. The top-level sections and the
/// images are parsed side by side on the global thread pool (FbOutline); a
/// file the quick outline does not understand is parsed in one piece. Metadata-only mode (for adding books
/// to the library) reads the description and decodes only the cover image:
/// the bodies are skipped, so a book whose body is broken still yields its
/// title, authors and cover. In an ASCII-compatible encoding it parses only
/// the text up to the end of the description and finds the cover's "binary"
/// element by its bytes, so a large book is not tokenised to reach a cover
/// stored at its end; anything unusual falls back to streaming the whole file.
///
/// Safety: the file is decoded from the encoding its first line declares
/// (a byte-order mark wins). A document type that declares entities is refused
/// before any parsing (FB2 never needs them; this keeps entity bombs and
/// external entities harmless). Files above maxFileSize, and images beyond the
/// shared image limits (Limits.h) or that do not decode, are refused; a refused
/// image is left out (logged) and the book still opens without it.
///
/// Errors are values: parse() returns false and errorString() says why.
/// Threads: plain data, no QObject; one parser may be used on any one thread
/// (the add-books worker runs metadata-only parses on its own thread).
struct FbOutline;

class FbParser
{
public:
    static constexpr qint64 maxFileSize = Limits::maxXmlFileSize;

    /// Reads `path`. The result replaces book(). False on any failure: file
    /// not readable or too big, XML not well formed, entity declarations, root
    /// not "FictionBook".
    bool parse(const QString& path, bool metadataOnly = false);
    /// Same, from bytes already in memory.
    bool parseData(const QByteArray& data, bool metadataOnly = false);

    /// In metadata-only mode, keep the cover's encoded image bytes in
    /// Book::coverData instead of decoding them into Book::images, for a
    /// caller that decodes them at the size it needs. Off by default.
    void setCoverAsData(bool asData) { m_coverAsData = asData; }
    /// Full mode: parse the sections side by side when the file allows it
    /// (default), or always in one piece. Both give the same book.
    void setParseInPieces(bool inPieces) { m_inPieces = inPieces; }

    /// The opening of a large book, to show before the rest is parsed: the
    /// description, and the top-level sections from the start until about
    /// `size` characters of markup in the bodies they belong to (later ones
    /// left out), with the pictures those and the cover show. `share` gets
    /// the part of the file they make. False when the file is not one the
    /// parse in pieces can cut (the caller parses it whole, which also tells
    /// what is wrong).
    bool parseOpening(const QString& path, int size, double* share);

    const Book& book() const { return m_book; }
    Book& book() { return m_book; }
    /// Takes the book out of the parser.
    Book takeBook();
    /// The reason of the last failure, empty after success.
    QString errorString() const { return m_error; }

    /// The encoding named by the first line's XML declaration: "UTF-8" when it
    /// names none, empty when the file cannot be opened.
    static QString detectEncoding(const QString& path);
    /// The same for bytes in memory.
    static QString encodingOf(const QByteArray& data);
    /// Decodes FB2 bytes to text: BOM first, then the declared encoding, UTF-8
    /// when the declared one is unknown.
    static QString decode(const QByteArray& data);
    /// The target id of an "image" element: "l:href", else the first attribute
    /// whose name contains "href"; without a leading '#'.
    static QString imageHref(const QDomElement& e);
    /// Decodes base64 image data; a null image for data that does not decode
    /// or whose dimensions exceed the shared image limits.
    static QImage decodeImage(const QByteArray& base64);

private:
    bool fail(const QString& reason);
    bool refuseEntities(const QString& text);
    using SectionSource = std::function<Section(const QDomElement&)>;
    bool parseFull(const QString& text);
    bool parseInPieces(const QString& text);
    /// The skeleton of `text` as a DOM (sections left empty), or a null
    /// element when it does not parse or is not a FictionBook.
    static QDomElement skeletonRoot(const QString& text, const FbOutline& outline, QDomDocument& dom);
    /// Parses one top-level section cut out of `text`; false when it is not
    /// well formed.
    static bool parsePiece(const QString& text, int begin, int end, Section& section);
    /// The base64 text of the <binary> elements named in `ids`, read from
    /// `file` piece by piece, ids decoded in the encoding `head` (the file's
    /// start) declares; any encoding in which ASCII is itself.
    static QHash<QString, QByteArray> readBinaries(QFile& file, const QByteArray& head,
                                                   const QSet<QString>& ids);
    void addImage(const QString& id, const QImage& image);
    void walkRoot(const QDomElement& root, const SectionSource& topSection);
    bool parseMetadata(const QString& text);
    enum HeadResult
    {
        HeadParsed,  ///< metadata and cover read
        HeadRefused, ///< entities or too deep nesting: the book is refused
        HeadUnsure   ///< anything unusual: the streaming path decides
    };
    /// The fast metadata path over the raw bytes.
    HeadResult parseHead(const QByteArray& data);
    /// Keeps the base64 content of the cover's binary element.
    void takeCover(const QString& id, const QByteArray& base64);
    void parseDescription(const QDomElement& e);
    void parseBody(const QDomElement& e, const SectionSource& topSection);
    static Section parseSection(const QDomElement& e);

    Book m_book;
    QString m_error;
    bool m_coverAsData = false;
    bool m_inPieces = true;
};

} // namespace fb2
