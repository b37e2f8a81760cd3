#include "ExportWorker.h"

#include "BookProvider.h"
#include "Logger.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QMutexLocker>
#include <QSaveFile>
#include <QStandardPaths>
#include <QUuid>

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipnewinfo.h>

#include <cmath>

Q_LOGGING_CATEGORY(lcExport, "lanternleaf.workers.export")

namespace {
const char* const errorTexts[] = {QT_TRANSLATE_NOOP("ExportWorker", "No error"),
                                  QT_TRANSLATE_NOOP("ExportWorker", "Library is empty"),
                                  QT_TRANSLATE_NOOP("ExportWorker", "Compress file error"),
                                  QT_TRANSLATE_NOOP("ExportWorker", "Operation has been canceled")};

const char* errorSource(ExportErrors error)
{
    const int index = int(error);
    return index >= 0 && index <= 3 ? errorTexts[index] : errorTexts[0];
}

// Block size of the copy into the archive; the stop flag is checked between blocks.
constexpr qint64 blockSize = 4096;
// Entries this large need the zip64 extension (sizes beyond 32 bits); a
// margin below 4 GiB covers the deflate overhead of incompressible data.
constexpr qint64 zip64From = 0xF0000000LL;
} // namespace

ExportWorker::ExportWorker(const QString& fileName, QObject* parent)
    : WorkerThread(parent), m_fileName(fileName)
{
    // The case is ignored so that "Backup.LVX" does not become "Backup.LVX.lvx".
    if (!m_fileName.endsWith(QLatin1String(Suffix), Qt::CaseInsensitive))
        m_fileName += QLatin1String(Suffix);
}

ExportWorker::~ExportWorker() = default;

QString ExportWorker::errorText(ExportErrors error)
{
    return tr(errorSource(error));
}

void ExportWorker::cancel()
{
    {
        QMutexLocker lock(&m_mutex);
        m_error = ExportCanceled;
    }
    stop();
}

WorkerStates ExportWorker::state() const
{
    QMutexLocker lock(&m_mutex);
    return m_state;
}

void ExportWorker::setState(WorkerStates state)
{
    {
        QMutexLocker lock(&m_mutex);
        if (m_state == state)
            return;
        m_state = state;
    }
    emit stateChanged(state);
}

ExportErrors ExportWorker::error() const
{
    QMutexLocker lock(&m_mutex);
    return m_error;
}

void ExportWorker::fail(ExportErrors error)
{
    QMutexLocker lock(&m_mutex);
    if (m_error == ExportNoError)
        m_error = error;
}

void ExportWorker::run()
{
    // The stop flag is not cleared here: a cancel that came before the
    // thread started must still end it.
    setState(WorkerPreparing);
    emit started();
    logDebug(QStringLiteral("Export. Run"));

    while (!isStopped()) {
        switch (state()) {
        case WorkerPreparing:
            if (prepare())
                setState(WorkerProcessing);
            else
                stop();
            break;
        case WorkerProcessing:
            if (m_index < m_books.size()) {
                exportNext();
            } else {
                if (!writeContainer())
                    fail(ExportCompressError);
                stop();
            }
            break;
        default:
            stop();
            break;
        }
        // Lets the progress signals reach the interface between steps.
        msleep(10);
    }

    finish();
    setStopped(false);
    setState(WorkerIdle);

    const ExportErrors failure = error();
    if (failure != ExportNoError) {
        logError(QStringLiteral("Export [FAILED]. Error:%1").arg(QString::fromLatin1(errorSource(failure))));
        if (failure == ExportCanceled)
            emit canceled();
        emit failed(failure);
    } else {
        logDebug(QStringLiteral("Export [OK]. Archive:%1").arg(m_fileName));
        emit complete(m_fileName);
    }
}

bool ExportWorker::prepare()
{
    qCDebug(lcExport) << Q_FUNC_INFO;
    emit progressMessage(tr("Prepare export..."));
    QElapsedTimer timer;
    timer.start();

    m_books = BookProvider::instance()->selectAll();
    if (m_books.isEmpty()) {
        logDebug(QStringLiteral("Export failed. Library is empty"));
        fail(ExportLibraryEmpty);
        return false;
    }
    logDebug(QStringLiteral("Book count:%1. Time:%2").arg(m_books.size()).arg(timer.elapsed()));

    // Written under a temporary name in the same folder; the archive gets its
    // name in finish(), only when it is complete.
    QDir().mkpath(QFileInfo(m_fileName).absolutePath());
    m_file.reset(new QSaveFile(m_fileName));
    m_zip.reset(new QuaZip(m_file.get()));
    m_zip->setAutoClose(false);
    m_zip->setUtf8Enabled(true);
    if (!m_file->open(QIODevice::WriteOnly) || !m_zip->open(QuaZip::mdCreate)) {
        logError(QStringLiteral("Open archive [FAILED]. %1").arg(m_file->errorString()));
        m_zip.reset();
        m_file.reset();
        fail(ExportCompressError);
        return false;
    }
    logDebug(QStringLiteral("Archive created. Time:%1").arg(timer.elapsed()));
    logDebug(QStringLiteral("Prepare [OK]"));
    return true;
}

void ExportWorker::exportNext()
{
    const BookDto book = m_books.at(m_index++);
    const QFileInfo file(book.full_path);
    if (!file.isFile()) {
        logDebug(QStringLiteral("Export. Book file not found:%1").arg(book.full_path));
        return;
    }
    emit progressChanged(m_index, m_books.size());
    emit progressMessage(
        tr("%1 of %2 is being exported. %3").arg(m_index).arg(m_books.size()).arg(file.fileName()));

    ContainerBook described;
    described.bookId = QUuid::createUuid().toString();
    const QString folder = described.bookId + "/";
    const QString suffix = file.suffix();
    described.relPath = folder + described.bookId + (suffix.isEmpty() ? QString() : "." + suffix);
    if (storeFile(book.full_path, described.relPath) != Stored) {
        // A backup that silently lacks a book is worse than none.
        fail(ExportCompressError);
        stop();
        return;
    }

    const QFileInfo cover(book.cover);
    if (book.cover.isEmpty() || !cover.isFile()) {
        logDebug(QStringLiteral("Export. Cover path not valid"));
    } else {
        const QString coverSuffix = cover.suffix();
        const QString entry = folder + "cover" + (coverSuffix.isEmpty() ? QString() : "." + coverSuffix);
        const StoreResult stored = storeFile(book.cover, entry);
        if (stored == Stored) {
            described.coverPath = entry;
            qCDebug(lcExport) << "Out cover path:" << entry;
        } else if (stored == Broken) {
            fail(ExportCompressError);
            stop();
            return;
        }
    }

    described.fileName = file.fileName();
    described.author = book.author;
    described.title = book.title;
    described.format = book.format;
    described.position = book.position;
    described.progress = book.max_position;
    described.favorite = book.is_favorite != 0;
    const QList<BookmarkDto> bookmarks = BookProvider::instance()->bookmarks(book.id);
    for (const BookmarkDto& bookmark : bookmarks) {
        // Stored as reals, written as integers.
        described.bookmarks << ContainerBookmark{bookmark.title, int(std::lround(bookmark.position)),
                                                 int(std::lround(bookmark.progress))};
    }
    m_described << described;
}

ExportWorker::StoreResult ExportWorker::storeFile(const QString& path, const QString& entryName)
{
    QFile source(path);
    if (!source.open(QIODevice::ReadOnly)) {
        logError(QStringLiteral("Export. Cannot read %1: %2").arg(path, source.errorString()));
        return Unreadable;
    }
    m_zip->setZip64Enabled(source.size() >= zip64From);
    QuaZipFile entry(m_zip.get());
    if (!entry.open(QIODevice::WriteOnly, QuaZipNewInfo(entryName, path))) {
        logError(QStringLiteral("Export. Cannot add %1 to the archive. Error:%2")
                     .arg(entryName)
                     .arg(entry.getZipError()));
        m_zip->setZip64Enabled(false);
        return Broken;
    }
    char buffer[blockSize];
    StoreResult result = Stored;
    while (result == Stored) {
        if (isStopped()) {
            result = Broken;
            break;
        }
        const qint64 read = source.read(buffer, blockSize);
        if (read == 0)
            break;
        if (read < 0) {
            logError(QStringLiteral("Export. Cannot read %1: %2").arg(path, source.errorString()));
            result = Unreadable;
        } else if (entry.write(buffer, read) != read) {
            logError(QStringLiteral("Export. Write error in %1: %2").arg(entryName, m_file->errorString()));
            result = Broken;
        }
    }
    entry.close();
    m_zip->setZip64Enabled(false);
    if (entry.getZipError() != ZIP_OK) {
        logError(
            QStringLiteral("Export. Cannot complete %1. Error:%2").arg(entryName).arg(entry.getZipError()));
        return Broken;
    }
    return result;
}

bool ExportWorker::writeContainer()
{
    const QByteArray json = LibraryContainer::serialize(m_described);
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    QDir().mkpath(folder);
    const QString tempPath = QDir(folder).filePath(QUuid::createUuid().toString() + ".json");
    bool ok = false;
    {
        QFile temp(tempPath);
        ok = temp.open(QIODevice::WriteOnly) && temp.write(json) == json.size() && temp.flush();
        if (!ok)
            logError(QStringLiteral("Export. Cannot write %1: %2").arg(tempPath, temp.errorString()));
    }
    ok = ok && storeFile(tempPath, QString::fromLatin1(LibraryContainer::EntryName)) == Stored;
    QFile::remove(tempPath);
    if (ok)
        logDebug(QStringLiteral("Compress container description [OK]"));
    else
        logError(QStringLiteral("Compress container description [FAILED]"));
    return ok;
}

void ExportWorker::finish()
{
    if (m_zip) {
        m_zip->close();
        if (m_zip->getZipError() != ZIP_OK) {
            logDebug(QStringLiteral("Export error. Container corrupted"));
            fail(ExportCompressError);
        }
        m_zip.reset();
    }
    if (!m_file)
        return;
    if (error() == ExportNoError) {
        // commit() flushes, syncs and renames; a full disk shows up here at
        // the latest.
        if (!m_file->commit()) {
            logError(QStringLiteral("Export. Cannot write %1: %2").arg(m_fileName, m_file->errorString()));
            fail(ExportCompressError);
        }
    } else {
        m_file->cancelWriting();
    }
    m_file.reset(); // an uncommitted temporary file is removed here
}
