#pragma once

#include "LibraryContainer.h"
#include "WorkerThread.h"
#include "WorkerTypes.h"

#include <QHash>
#include <QList>
#include <QString>
#include <memory>

class QIODevice;
class MappedZip;
class QuaZip;

/// Reads a ".lvx" library archive on a thread of its own: unpacks each book
/// file into the destination folder (never over an existing file: a taken
/// name gets "(1)", "(2)"... in front), its cover into the new book's cache
/// folder, and inserts the book with its reading state and bookmarks. One
/// book per loop round.
///
/// Archives come from anywhere, so nothing in them is trusted: names that
/// could lead outside their folder are refused (only the last part of
/// "file_name" is used), entries of absurd size or compression ratio are
/// refused, and an entry is checked (size, checksum) before its file gets
/// its name. A book whose file cannot be unpacked is skipped and leaves
/// nothing behind; a book row is only inserted once its file is complete. A
/// write failure in the destination (full disk) ends the import with
/// ImportFileError; books imported before it stay.
///
/// Threads: construct and connect on the GUI thread; run() works on the
/// worker thread with its own database connection. cancel() may be called
/// from any thread; it takes effect between two blocks of a file, and the
/// book file being unpacked is dropped. Reports through queued signals; ends with
/// complete(books inserted) or failed(error) (canceled() first when it was
/// cancelled).
class ImportWorker : public WorkerThread
{
    Q_OBJECT
public:
    ImportWorker(const QString& fileName, const QString& destination, QObject* parent = nullptr);
    ~ImportWorker() override;

    QString fileName() const { return m_fileName; }
    QString destination() const { return m_destination; }
    /// The translated text of an error, as shown to the user.
    static QString errorText(ImportErrors error);

signals:
    void stateChanged(WorkerStates state);
    void started();
    void progressChanged(int value, int total);
    void progressMessage(const QString& message);
    void complete(int bookCount);
    void canceled();
    void failed(ImportErrors error);

public slots:
    void cancel();

protected:
    void run() override;

private:
    /// Where an entry lies in the archive and what its headers claim.
    struct Entry
    {
        quint64 directoryOffset = 0;
        quint64 fileNumber = 0;
        qint64 compressedSize = 0;
        qint64 uncompressedSize = 0;
        bool encrypted = false;
    };
    enum ExtractResult
    {
        Extracted,
        Refused,     ///< missing, damaged or hostile entry: skip it
        WriteFailed, ///< the destination cannot take the data
        Stopped
    };

    WorkerStates state() const;
    void setState(WorkerStates state);
    ImportErrors error() const;
    void fail(ImportErrors error);

    bool loadContainer();
    bool readEntryList();
    void importNext();
    /// Unpacks the book file; its final path, or "" when it was skipped.
    QString extractBook(const ContainerBook& book);
    /// Unpacks the cover into the cache folder of the book at bookPath; its
    /// path, or "" when there is none.
    QString extractCover(const ContainerBook& book, const QString& bookPath);
    /// Checks the entry's claimed sizes against limit and the ratio bound and
    /// copies its bytes to out, stopping at the claimed size.
    ExtractResult extract(const QString& name, qint64 limit, QIODevice* out);
    QString freeName(const QString& fileName, int* counter) const;

    QString m_fileName;
    QString m_destination;
    std::unique_ptr<MappedZip> m_archive;
    QuaZip* m_zip = nullptr; ///< m_archive's, while it is open
    QHash<QString, Entry> m_entries; ///< read once: looking names up in the zip is linear
    QList<ContainerBook> m_books;
    int m_index = 0;
    int m_imported = 0;

    WorkerStates m_state = WorkerIdle;
    ImportErrors m_error = ImportNoError;
    mutable QMutex m_mutex; ///< guards m_state and m_error
};
