#pragma once

#include "epub/EpubBook.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <memory>

class ArchiveReader;
class QXmlStreamReader;

namespace epub {

/// Reads an EPUB file into a Book.
///
/// Nothing is unpacked to disk: the container, the package, the table of
/// contents, the content documents, style sheets and images are read from the
/// archive into memory. Full mode reads all of them; metadata-only mode (for
/// adding books to the library) reads the container, the package and the
/// cover image only, never the content documents.
///
/// Table of contents: the NCX (an entry called "toc.ncx", else the manifest's
/// NCX item), else the EPUB 3 navigation document. Cover: the first entry
/// whose name matches ".*cover.*.(jpg|jpeg|png|svg)" (case-sensitive in full
/// mode, not in metadata-only mode), else the cover the package declares.
///
/// Safety: hrefs that leave the book (more ".." than folders, absolute URLs)
/// are refused and logged, the rest of the book still opens. XML parts that
/// declare entities or nest absurdly deep are refused (no entity bombs, no
/// external entities). Text is decoded as its byte-order mark or XML
/// declaration says (UTF-8 when neither does).
///
/// Errors are values: parse() returns false, error() and errorString() say
/// why, and the log has the details. Threads: plain data, no QObject; one
/// parser may be used on any one thread (the add-books worker runs
/// metadata-only parses on its own thread).
class EpubParser
{
public:
    enum Error
    {
        NoError,
        /// Not an archive, or an archive that cannot be read.
        Unreadable,
        /// A sound archive without a container or package.
        NotEpub,
        /// The package cannot be read.
        Damaged,
        /// The text is encrypted (DRM).
        Protected,
    };

    EpubParser();
    ~EpubParser();
    EpubParser(const EpubParser&) = delete;
    EpubParser& operator=(const EpubParser&) = delete;

    /// Reads the book at `path` into `result` (replaced). False on failure,
    /// with `result` left holding only the path.
    bool parse(const QString& path, Book& result, bool metadataOnly = false);
    /// Full mode: read only the opening of the spine, the content documents
    /// from the start until their text holds `characters` (and the style
    /// sheets, the cover and the pictures those documents show); the spine
    /// of the result ends there. 0 (default): the whole book.
    void setOpening(int characters) { m_openingSize = characters; }
    /// Whether the last parse stopped before the end of the spine, and what
    /// part of the spine it read.
    bool isOpening() const { return m_openingShare < 1.0; }
    double openingShare() const { return m_openingShare; }
    Error error() const { return m_error; }
    /// The reason of the last failure in English, empty after success.
    QString errorString() const { return m_errorString; }

    /// Text of an XML or XHTML part: byte-order mark first, then the XML
    /// declaration's encoding (UTF-8 when unknown), else UTF-8.
    static QString decode(const QByteArray& data);
    /// The archive path that `href` names from a part in folder `baseDir`
    /// ("" for the archive root): percent-decoded, "." and ".." resolved,
    /// without fragment (returned in `fragment`). Empty for an absolute URL
    /// or an empty href; empty with `escapes` set when the path leaves the
    /// archive.
    static QString resolve(const QString& baseDir, const QString& href, QString* fragment = nullptr,
                           bool* escapes = nullptr);
    /// The folder part of an archive path ("OEBPS/Text/a.xhtml" gives
    /// "OEBPS/Text", "a.xhtml" gives "").
    static QString folderOf(const QString& path);
    /// Whether an entry name matches the cover file-name rule.
    static bool isCoverName(const QString& name, Qt::CaseSensitivity cs);
    /// XML text made safe for the stream reader: HTML named entities (as
    /// in "&nbsp;") become character references, unknown ones literal text.
    static QString xmlEntitiesToReferences(const QString& text);

private:
    bool fail(Error error, const QString& reason);
    QString entryName(const QString& path) const;
    QByteArray read(const QString& path);
    bool readContainer(QString& packagePath);
    bool readPackage(const QString& packagePath, Book& book);
    void readPackageMetadata(QXmlStreamReader& r, Book& book);
    void addManifestItem(const ManifestItem& item, Book& book);
    void readContents(Book& book);
    /// readContents() for the opening of the spine; false when the opening
    /// is the whole spine (nothing read: the whole book is read instead).
    bool readOpening(Book& book);
    /// Keeps the entries read: content documents decoded as texts, the rest
    /// as resources, by the manifest path `pathOfEntry` gives each entry.
    void keep(Book& book, const QHash<QString, QByteArray>& data,
              const QHash<QString, QString>& pathOfEntry) const;
    void readToc(Book& book);
    void findCover(Book& book, bool metadataOnly);
    bool isProtected(const Book& book);

    std::unique_ptr<ArchiveReader> m_reader;
    int m_openingSize = 0;
    double m_openingShare = 1.0;
    QString m_path;
    QStringList m_names;
    QHash<QString, QString> m_namesByLowerCase;
    Error m_error = NoError;
    QString m_errorString;
};

} // namespace epub
