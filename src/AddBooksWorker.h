#pragma once

#include "BookDto.h"
#include "BookError.h"
#include "WorkerThread.h"
#include "WorkerTypes.h"

#include <QAtomicInt>
#include <QFileInfo>
#include <QFuture>
#include <QHash>
#include <QImage>
#include <QList>
#include <QSet>
#include <QStringList>
#include <QThreadPool>

/// Adds books to the library on a thread of its own: expands the folders of
/// the input into the book files beneath them, then reads each file's title,
/// author, cover and metadata and inserts it. Each loop round inserts the
/// next file and those after it that have been read already (at most
/// MaxBatch), in one transaction, reporting progress file by file, then
/// pauses 10 ms.
/// Missing files, files already in the library and unknown formats are
/// skipped silently. A book file that cannot be read (damaged, a format
/// version not supported, a comic without pages) is added under its file
/// name without a cover and kept with its reason in refusals(), which the
/// add summary lists. Protected books are added without a report (a PDF asks
/// for its password when it is opened; the reader says why a DRM book does
/// not open). Only what the library shows is read here, so a book whose text
/// is damaged behind sound metadata is added silently and refused by the
/// reader. Files are
/// registered where they lie; only the cover is written, into the book's
/// cache folder.
///
/// Threads: construct and connect on the GUI thread; run() works on the
/// worker thread with its own database connection. The files are read (title,
/// author, metadata, cover written) ahead of the inserts on up to MaxReaders
/// helper threads, so reading overlaps the worker's pauses and uses both
/// cores; readMetadata() and the format readers it calls therefore run off
/// the worker thread, on two books at once, each with readers of its own,
/// and must not touch the database. Inserts stay on the worker thread, in
/// file order.
/// cancel() may be called from any thread; a file being added when it
/// arrives is finished first. Reports through queued signals; ends with
/// complete(count) or failed(AddBooksCanceled).
class AddBooksWorker : public WorkerThread
{
    Q_OBJECT
public:
    /// Height of the covers made from a page image (comics, PDF).
    static constexpr int CoverHeight = 190;
    /// Stored covers are at most this high (and twice as wide): the library
    /// shows a cover at most 192 pixels high (shelf 142, properties 174, drag
    /// image 192), so larger ones only cost time to write, read and scale.
    /// The book keeps the original.
    static constexpr int StoredCoverHeight = 200;
    /// Files read ahead of the one being inserted.
    static constexpr int ReadAhead = 32;
    /// Files inserted in one loop round (one transaction) at most.
    static constexpr int MaxBatch = 32;
    /// Helper threads reading files.
    static constexpr int MaxReaders = 2;

    AddBooksWorker(const QList<QFileInfo>& input, QObject* parent = nullptr);

    /// The suffixes a folder scan picks up, lower case (the accepted ones and
    /// "azw3").
    static QStringList supportedSuffixes();
    /// The format code of a suffix, ignoring case; 9 when unknown.
    static int formatFromSuffix(const QString& suffix);
    /// The translated text of an error, as shown to the user.
    static QString errorText(AddBooksErrors error);
    /// Writes the cover into the book's cache folder as "cover.png" and
    /// returns its path; a null image or a failed write gives an empty path.
    /// A cover larger than the stored size is scaled down (smooth). The file
    /// is replaced atomically, so a reader never sees half a cover.
    static QString saveCover(const QString& bookPath, const QImage& cover);
    /// The same from encoded image bytes (JPEG, PNG...), decoded at the
    /// stored size; bytes that do not decode write nothing.
    static QString saveCoverData(const QString& bookPath, const QByteArray& encoded);

    /// A book file that was added but cannot be read.
    struct Refusal
    {
        QString path; ///< absolute, native separators
        BookError::Reason reason = BookError::None;
    };

    /// The files found by the scan (absolute paths); read it after the
    /// thread has finished.
    QStringList files() const { return m_files; }
    /// The unreadable files of this run, in file order. Complete when
    /// complete() or failed() is emitted; any thread.
    QList<Refusal> refusals() const;
    /// The add summary's lines about `refusals`, translated: a heading, then
    /// one line per file (its name and reason), at most `shown` of them, then
    /// "and N more". Empty when there are none.
    static QString refusalText(const QList<Refusal>& refusals, int shown = 5);

signals:
    void stateChanged(WorkerStates state);
    void started();
    void progressChanged(int value, int total);
    void progressMessage(const QString& message);
    void complete(int bookCount);
    void failed(AddBooksErrors error);

public slots:
    void cancel();

protected:
    void run() override;

private:
    WorkerStates state() const;
    void setState(WorkerStates state);
    AddBooksErrors error() const;
    /// False when the stop flag ended it early.
    bool scan();
    /// One round: the next file and the ones read after it.
    void addNextFiles();
    /// A book read on the helper thread, waiting for its insert.
    struct Prepared
    {
        BookDto book;
        bool ok = false;
        /// Why it is not inserted; None for a silent skip.
        BookError::Reason error = BookError::None;
    };
    /// Starts reading the files up to ReadAhead beyond the current one that
    /// exist, are not in the library and were not seen before in this run.
    void readAhead();
    /// Runs on the helper thread.
    Prepared prepare(int index, const QString& fullPath);
    /// Waits for the read of file `index`; false when there is nothing to
    /// insert (not read, unreadable, or in the library meanwhile).
    bool takeRead(int index, BookDto* book);
    /// Fills title, author, cover and metadata by the book's format into
    /// `prepared`: ok when it is to be inserted, else the reason (None for a
    /// format the library does not add). Runs on the helper thread.
    void readMetadata(Prepared& prepared);
    /// Each reader: None when the book can be added (its fields filled),
    /// else why not. Only what the library shows is read (headers, package,
    /// description, cover), never the whole text.
    BookError::Reason readFb2(const QString& path, BookDto& book);
    BookError::Reason readMobi(const QString& path, BookDto& book);
    /// Title, author, creator, producer and cover of a PDF; one that waits
    /// for its password is added under its file name, without a cover.
    BookError::Reason readPdf(const QString& path, BookDto& book);
    /// Title, author (from the metadata) and cover of a DjVu book.
    BookError::Reason readDjvu(const QString& path, BookDto& book);
    /// Title (from the file name) and first page as cover of a comic.
    BookError::Reason readComic(const QString& path, BookDto& book);
    BookError::Reason readEpub(const QString& path, BookDto& book);

    QList<QFileInfo> m_input;
    QStringList m_files;
    WorkerStates m_state = WorkerIdle;
    AddBooksErrors m_error = AddBooksNoError;
    int m_added = 0;
    int m_index = 0;
    QList<Refusal> m_refusals;
    mutable QMutex m_mutex; ///< guards m_state, m_error and m_refusals

    QThreadPool m_readers;                 ///< the helper threads
    QHash<int, QFuture<Prepared>> m_ahead; ///< by file index
    QSet<QString> m_seen;                  ///< full paths read in this run
    int m_nextRead = 0;                    ///< the next file index readAhead() looks at
    QAtomicInt m_adding{-1};               ///< the file index being inserted
};
