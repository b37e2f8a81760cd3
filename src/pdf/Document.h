#pragma once

#include <QImage>
#include <QList>
#include <QMutex>
#include <QSizeF>
#include <QString>

#include <memory>

namespace Poppler {
class Document;
}

namespace pdf {

/// The connection to the PDF library (Poppler): opening with or without a
/// password, page count, page sizes and rotation, rendering, page words,
/// outlines and the information dictionary.
///
/// Poppler's document is not safe for use from two threads at once, so every
/// operation takes the one mutex of this object: any thread may call any
/// operation, and a render on a worker thread makes the others wait until it
/// ends. Pages are 1-based here, as everywhere in the program.
class Document
{
public:
    /// Codes of lastErrorCode().
    enum ErrorCode
    {
        NoError = 0,
        CannotOpen = 401,     ///< the file cannot be read
        PasswordNeeded = 404, ///< a password is needed, or the one given is wrong
        Damaged = 409,        ///< not a PDF, or damaged beyond repair
        FileNotFound = 411,
        TooManyPages = 412, ///< claims more pages than Limits allows
        NotOpen = 420,      ///< an operation on a document that is not open
    };

    struct Outline
    {
        QString title;
        int page = 0; ///< 1-based; 0 when the item leads nowhere in the file
        QList<Outline> children;
    };

    Document();
    ~Document();
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;

    /// Opens `path`, unlocking it with `password` when it is protected (an
    /// empty password opens files that need none). On failure the document
    /// is closed and lastErrorCode() says why; PasswordNeeded keeps the
    /// parsed file, so trying the next password is cheap.
    bool load(const QString& path, const QString& password = QString());
    bool isOpen() const;
    int lastErrorCode() const;
    /// An English description of an error code, for logs.
    static QString errorMessage(int code);

    int pageCount() const;
    /// The page's crop box in points, before the page's rotation is applied;
    /// invalid for a page that does not exist.
    QSizeF pageSize(int page) const;
    /// The page's rotation in degrees clockwise: 0, 90, 180 or 270.
    int pageRotation(int page) const;
    /// The page rendered (rotated) at `scale` × 72 dpi into an image of
    /// exactly `size` pixels (cut or padded at the right and bottom edge). A
    /// null image on failure or when `size` is not acceptable to SafeImage.
    QImage renderPage(int page, double scale, const QSize& size) const;
    /// The words of the page in reading order.
    QStringList pageWords(int page) const;
    /// The outline tree, in the file's order. Nesting deeper than
    /// Limits::maxOutlineDepth and items beyond Limits::maxOutlineItems are
    /// left out, so a damaged outline cannot exhaust the stack or memory.
    QList<Outline> outlines() const;
    /// Document information: 1 author, 2 title, 3 subject, 4 keywords,
    /// 5 creator, 6 producer; empty for any other key.
    QString information(int key) const;

private:
    void close();

    mutable QMutex m_mutex;
    std::unique_ptr<Poppler::Document> m_document;
    QString m_path;
    int m_pageCount = 0;
    int m_errorCode = NotOpen;
    bool m_open = false;
};

} // namespace pdf
