#pragma once

#include "BookError.h"
#include "ImageDocument.h"

#include <QHash>
#include <QMap>
#include <QStringList>

#include <memory>

class ArchiveReader;

namespace comics {

class SolidUnpacker;

/// A comic book (CBZ, CBR): every image entry of the archive is a page, in
/// the plain case-insensitive order of the entry names (so 1, 10, 2). Folder
/// entries and files that are not images by suffix (jpg, jpeg, png, gif,
/// bmp, webp) are not pages.
///
/// Pages are read from the archive into memory and decoded only after their
/// claimed size was checked (SafeImage); nothing is written to disk, except
/// for a solid RAR archive, where reading one entry decompresses every entry
/// before it: the viewer has such an archive unpacked once in the background
/// (SolidUnpacker), and pages come from the unpacked files when it is done.
///
/// Threads: load() on the owner thread; requestImage() on any thread, several
/// at a time (the page list and the reader do not change after load()).
class ComicDocument : public ImageDocument
{
    Q_OBJECT
public:
    explicit ComicDocument(QObject* parent = nullptr);
    ~ComicDocument() override;

    /// Whether an entry name is a page: an image suffix, not a folder.
    static bool isPageName(const QString& name);
    /// The title a comic is added with: the file's base name (up to the
    /// first dot) with "_" read as spaces.
    static QString titleFor(const QString& path);

    void load(const QString& path) override;
    /// The decoded page; null for a page that is missing, damaged or too big.
    /// Any thread.
    QImage requestImage(int number) override;
    int pageCount() const override { return m_pages.size(); }
    bool isValidPage(int number) const override { return number >= 1 && number <= m_pages.size(); }
    /// The archive entry shown on a page (1-based); empty for no page.
    QString pageName(int number) const { return m_pages.value(number); }

    QString title() const { return titleFor(m_path); }
    /// For reading (not for a cover): a solid RAR archive starts unpacking
    /// into the book's cache folder on the thread pool. Owner thread.
    void unpackInBackground();
    /// Whether the pages of a solid archive are unpacked (false for others).
    bool pagesUnpacked() const;
    /// Waits until a background unpack has finished (tests, benchmarks).
    void waitForUnpack();
    /// The first page (for the library's cover).
    QImage cover() { return requestImage(1); }

    // --- IDocument ---
    QList<TocPoint> toc() const override;
    QString chapterTitle(int position) const override;
    QList<SearchResult> search(const QString& text) override;
    int position() const override { return page(); }
    void setPageByPosition(int position) override { setPage(position); }
    int calcPageByPosition(int position) const override { return position; }
    int calcProgressByPage(const int page) const override;
    double progress() const override { return calcProgressByPage(page()); }
    bool isLoaded() const override { return !m_pages.isEmpty(); }
    QString errorString() const override { return BookError::text(m_error); }
    /// Why load() failed; None after success (and, for a PDF, while it
    /// waits for its password).
    BookError::Reason error() const { return m_error; }

private:
    QByteArray readPage(int number);

    QString m_path;
    QString m_folder;
    QMap<int, QString> m_pages;    ///< page number -> entry name
    QStringList m_order;           ///< the page entries in archive order
    QHash<QString, int> m_numbers; ///< entry name -> page number
    std::unique_ptr<ArchiveReader> m_reader;
    BookError::Reason m_error = BookError::None;
    std::unique_ptr<SolidUnpacker> m_unpacker; ///< solid RAR archives only
};

} // namespace comics
