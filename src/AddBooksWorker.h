#pragma once

#include "BookDto.h"
#include "WorkerThread.h"
#include "WorkerTypes.h"

#include <QFileInfo>
#include <QImage>
#include <QList>
#include <QStringList>

/// Adds books to the library on a thread of its own: expands the folders of
/// the input into the book files beneath them, then reads each file's title,
/// author, cover and metadata and inserts it, one file per loop round.
/// Missing files, files already in the library and unknown formats are
/// skipped silently. Files are registered where they lie; only the cover is
/// written, into the book's cache folder.
///
/// Threads: construct and connect on the GUI thread; run() works on the
/// worker thread with its own database connection. cancel() may be called
/// from any thread; a file being added when it arrives is finished first.
/// Reports through queued signals; ends with complete(count) or
/// failed(AddBooksCanceled).
class AddBooksWorker : public WorkerThread
{
    Q_OBJECT
public:
    /// Height of the covers made from a page image (comics, PDF).
    static constexpr int CoverHeight = 190;

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
    static QString saveCover(const QString& bookPath, const QImage& cover);

    /// The files found by the scan (absolute paths); read it after the
    /// thread has finished.
    QStringList files() const { return m_files; }

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
    void addNext();
    bool addFile(const QString& path);
    /// Fills title, author, cover and metadata by the book's format; false
    /// when the format is not one the library adds.
    bool readMetadata(BookDto& book);
    bool readFb2(const QString& path, BookDto& book);
    bool readMobi(const QString& path, BookDto& book);
    /// Title, author, creator, producer and cover of a PDF that opens
    /// without a password; false when it does not open.
    bool readPdf(const QString& path, BookDto& book);
    /// Title, author (from the metadata) and cover of a DjVu book; false
    /// when it does not open.
    bool readDjvu(const QString& path, BookDto& book);
    /// Title (from the file name) and first page as cover of a comic.
    void readComic(const QString& path, BookDto& book);
    bool readEpub(const QString& path, BookDto& book);

    QList<QFileInfo> m_input;
    QStringList m_files;
    WorkerStates m_state = WorkerIdle;
    AddBooksErrors m_error = AddBooksNoError;
    int m_added = 0;
    int m_index = 0;
    mutable QMutex m_mutex; ///< guards m_state and m_error
};
