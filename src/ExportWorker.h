#pragma once

#include "BookDto.h"
#include "LibraryContainer.h"
#include "WorkerThread.h"
#include "WorkerTypes.h"

#include <QList>
#include <QString>
#include <memory>

class QuaZip;
class QSaveFile;

/// Writes the whole library (books not in the trash) into one ".lvx" archive
/// on a thread of its own: every book file and cover byte for byte, and the
/// description "container.json" with each book's reading state and
/// bookmarks. One book per loop round.
///
/// The archive is written to a temporary file next to the target and takes
/// the target's name only once it is complete and every byte reached the
/// disk: a cancelled or failed export (full disk, unreadable book) leaves no
/// archive, and an archive that was already there stays untouched.
///
/// Threads: construct and connect on the GUI thread; run() works on the
/// worker thread with its own database connection. cancel() may be called
/// from any thread; it takes effect between two blocks of a file. Reports
/// through queued signals; ends with complete(file name) or failed(error)
/// (canceled() first when it was cancelled).
class ExportWorker : public WorkerThread
{
    Q_OBJECT
public:
    static constexpr const char* Suffix = ".lvx";

    /// ".lvx" is appended to fileName unless it already ends with it.
    explicit ExportWorker(const QString& fileName, QObject* parent = nullptr);
    ~ExportWorker() override;

    /// The archive's name, with the suffix.
    QString fileName() const { return m_fileName; }
    /// The translated text of an error, as shown to the user.
    static QString errorText(ExportErrors error);

signals:
    void stateChanged(WorkerStates state);
    void started();
    void progressChanged(int value, int total);
    void progressMessage(const QString& message);
    void complete(const QString& fileName);
    void canceled();
    void failed(ExportErrors error);

public slots:
    void cancel();

protected:
    void run() override;

private:
    WorkerStates state() const;
    void setState(WorkerStates state);
    ExportErrors error() const;
    /// Sets the error unless one (a cancel) is already set.
    void fail(ExportErrors error);

    bool prepare();
    void exportNext();
    bool writeContainer();
    enum StoreResult
    {
        Stored,
        Unreadable, ///< the file could not be read; the archive is still sound
        Broken      ///< a write failed or the worker was stopped
    };
    /// Copies the file into the archive under the entry name.
    StoreResult storeFile(const QString& path, const QString& entryName);
    /// Closes the archive and gives it its name, or throws it away.
    void finish();

    QString m_fileName;
    QList<BookDto> m_books;
    int m_index = 0;
    QList<ContainerBook> m_described;
    std::unique_ptr<QSaveFile> m_file;
    std::unique_ptr<QuaZip> m_zip;

    WorkerStates m_state = WorkerIdle;
    ExportErrors m_error = ExportNoError;
    mutable QMutex m_mutex; ///< guards m_state and m_error
};
