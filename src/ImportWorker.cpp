#include "ImportWorker.h"

#include "BookFormat.h"
#include "BookProvider.h"
#include "Limits.h"
#include "Logger.h"
#include "MappedZip.h"
#include "Paths.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QMutexLocker>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QUuid>

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipfileinfo.h>

Q_LOGGING_CATEGORY(lcImport, "lanternleaf.workers.import")

namespace {
const char* const errorTexts[] = {QT_TRANSLATE_NOOP("ImportWorker", "No error"),
                                  QT_TRANSLATE_NOOP("ImportWorker", "Container corrupted"),
                                  QT_TRANSLATE_NOOP("ImportWorker", "Import file error"),
                                  QT_TRANSLATE_NOOP("ImportWorker", "Operation has been canceled")};

const char* errorSource(ImportErrors error)
{
    const int index = int(error);
    return index >= 0 && index <= 3 ? errorTexts[index] : errorTexts[0];
}

// Block size of the copy out of the archive; the stop flag is checked between blocks.
constexpr qint64 blockSize = 64 * 1024;
} // namespace

ImportWorker::ImportWorker(const QString& fileName, const QString& destination, QObject* parent)
    : WorkerThread(parent), m_fileName(fileName), m_destination(destination)
{}

ImportWorker::~ImportWorker() = default;

QString ImportWorker::errorText(ImportErrors error)
{
    return tr(errorSource(error));
}

void ImportWorker::cancel()
{
    {
        QMutexLocker lock(&m_mutex);
        m_error = ImportCanceled;
    }
    stop();
}

WorkerStates ImportWorker::state() const
{
    QMutexLocker lock(&m_mutex);
    return m_state;
}

void ImportWorker::setState(WorkerStates state)
{
    {
        QMutexLocker lock(&m_mutex);
        if (m_state == state)
            return;
        m_state = state;
    }
    emit stateChanged(state);
}

ImportErrors ImportWorker::error() const
{
    QMutexLocker lock(&m_mutex);
    return m_error;
}

void ImportWorker::fail(ImportErrors error)
{
    QMutexLocker lock(&m_mutex);
    if (m_error == ImportNoError)
        m_error = error;
}

void ImportWorker::run()
{
    // The stop flag is not cleared here: a cancel that came before the
    // thread started must still end it.
    setState(WorkerPreparing);
    emit started();
    logDebug(QStringLiteral("Import. Run"));

    while (!isStopped()) {
        switch (state()) {
        case WorkerPreparing:
            if (loadContainer())
                setState(WorkerProcessing);
            else
                stop();
            break;
        case WorkerProcessing:
            if (m_index < m_books.size())
                importNext();
            else
                stop();
            break;
        default:
            stop();
            break;
        }
        // Lets the progress signals reach the interface between steps.
        msleep(10);
    }

    if (m_zip) {
        m_zip->close();
        if (m_zip->getZipError() != UNZ_OK)
            logError(QStringLiteral("Import error. Container corrupted"));
        m_zip = nullptr;
        m_archive.reset();
    }
    setStopped(false);
    setState(WorkerIdle);

    const ImportErrors failure = error();
    if (failure != ImportNoError) {
        logError(QStringLiteral("Import [FAILED]. Error:%1").arg(QString::fromLatin1(errorSource(failure))));
        if (failure == ImportCanceled)
            emit canceled();
        emit failed(failure);
    } else {
        logDebug(QStringLiteral("Import [OK]"));
        emit complete(m_imported);
    }
}

bool ImportWorker::loadContainer()
{
    qCDebug(lcImport) << Q_FUNC_INFO;
    emit progressMessage(tr("Prepare import..."));
    // Read from memory: the zip code's many small reads and seeks would
    // each be a system call through the file.
    m_archive.reset(new MappedZip(m_fileName));
    m_zip = &m_archive->zip();
    if (!m_zip->open(QuaZip::mdUnzip) || !readEntryList()) {
        logError(QStringLiteral("Open archive [FAILED]"));
        fail(ImportContainerCorrupted);
        return false;
    }
    if (!QDir().mkpath(m_destination)) {
        logError(QStringLiteral("Import. Cannot create the folder %1").arg(m_destination));
        fail(ImportFileError);
        return false;
    }

    const QString folder = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    QDir().mkpath(folder);
    const QString tempPath = QDir(folder).filePath(QUuid::createUuid().toString() + ".json");
    ExtractResult extracted = Refused;
    {
        QFile temp(tempPath);
        extracted =
            temp.open(QIODevice::WriteOnly)
                ? extract(QString::fromLatin1(LibraryContainer::EntryName), Limits::maxContainerSize, &temp)
                : WriteFailed;
        if (extracted == Extracted && !temp.flush())
            extracted = WriteFailed;
    }
    if (extracted != Extracted) {
        QFile::remove(tempPath);
        if (extracted == WriteFailed) {
            logError(QStringLiteral("Import. Cannot write %1").arg(tempPath));
            fail(ImportFileError);
        } else if (extracted == Refused) {
            logError(QStringLiteral("Extract containter.json [FAILED]"));
            fail(ImportContainerCorrupted);
        }
        return false;
    }
    logDebug(QStringLiteral("Extract containter.json [OK]"));

    QByteArray json;
    {
        QFile temp(tempPath);
        if (temp.open(QIODevice::ReadOnly)) {
            logDebug(QStringLiteral("Container file open [OK]"));
            json = temp.readAll();
        }
    }
    QFile::remove(tempPath);
    QString parseError;
    if (!LibraryContainer::parse(json, &m_books, &parseError)) {
        logError(QStringLiteral("Loading container.json file [FAILED]: %1").arg(parseError));
        fail(ImportContainerCorrupted);
        return false;
    }
    logDebug(QStringLiteral("Parse complete [OK]"));
    return true;
}

bool ImportWorker::readEntryList()
{
    const int count = m_zip->getEntriesCount();
    if (count < 0 || count > Limits::maxLibraryArchiveEntries) {
        logError(QStringLiteral("Import. Archive lists %1 entries").arg(count));
        return false;
    }
    m_entries.reserve(count);
    for (bool more = m_zip->goToFirstFile(); more; more = m_zip->goToNextFile()) {
        QuaZipFileInfo64 info;
        unz64_file_pos position;
        if (!m_zip->getCurrentFileInfo(&info) || unzGetFilePos64(m_zip->getUnzFile(), &position) != UNZ_OK)
            return false;
        Entry entry;
        entry.directoryOffset = position.pos_in_zip_directory;
        entry.fileNumber = position.num_of_file;
        entry.compressedSize = qint64(info.compressedSize);
        entry.uncompressedSize = qint64(info.uncompressedSize);
        entry.encrypted = (info.flags & 1) != 0;
        // The first of two entries with one name wins, as with a name lookup.
        if (!m_entries.contains(info.name))
            m_entries.insert(info.name, entry);
    }
    // QuaZipFile reads only "the current file": keep one, whatever was last.
    return m_zip->getZipError() == UNZ_OK && (m_entries.isEmpty() || m_zip->goToFirstFile());
}

ImportWorker::ExtractResult ImportWorker::extract(const QString& name, qint64 limit, QIODevice* out)
{
    const auto found = m_entries.constFind(name);
    if (found == m_entries.constEnd()) {
        logError(QStringLiteral("Import. No entry %1").arg(name));
        return Refused;
    }
    const Entry& entry = found.value();
    if (entry.encrypted) {
        logError(QStringLiteral("Import. Entry %1 is encrypted").arg(name));
        return Refused;
    }
    if (entry.uncompressedSize < 0 || entry.uncompressedSize > limit) {
        logError(QStringLiteral("Import. Entry %1 claims %2 bytes").arg(name).arg(entry.uncompressedSize));
        return Refused;
    }
    if (entry.uncompressedSize >= Limits::ratioCheckFrom &&
        entry.uncompressedSize / qMax<qint64>(entry.compressedSize, 1) > Limits::maxCompressionRatio) {
        logError(QStringLiteral("Import. Entry %1 claims %2 bytes from %3")
                     .arg(name)
                     .arg(entry.uncompressedSize)
                     .arg(entry.compressedSize));
        return Refused;
    }

    unz64_file_pos position{entry.directoryOffset, entry.fileNumber};
    QuaZipFile in(m_zip);
    if (unzGoToFilePos64(m_zip->getUnzFile(), &position) != UNZ_OK || !in.open(QIODevice::ReadOnly)) {
        logError(QStringLiteral("Import. Cannot open entry %1").arg(name));
        return Refused;
    }
    QByteArray buffer(int(blockSize), Qt::Uninitialized);
    qint64 total = 0;
    ExtractResult result = Extracted;
    while (result == Extracted) {
        if (isStopped()) {
            result = Stopped;
            break;
        }
        const qint64 read = in.read(buffer.data(), blockSize);
        if (read == 0)
            break;
        total += qMax<qint64>(read, 0);
        if (read < 0 || total > entry.uncompressedSize) {
            logError(QStringLiteral("Import. Entry %1 is damaged").arg(name));
            result = Refused;
        } else if (out->write(buffer.constData(), read) != read) {
            logError(QStringLiteral("Import. Write error: %1").arg(out->errorString()));
            result = WriteFailed;
        }
    }
    in.close();
    // The checksum is compared when the whole entry was read.
    if (result == Extracted && (in.getZipError() != UNZ_OK || total != entry.uncompressedSize)) {
        logError(QStringLiteral("Import. Entry %1 is damaged").arg(name));
        result = Refused;
    }
    return result;
}

QString ImportWorker::freeName(const QString& fileName, int* counter) const
{
    QString path;
    do {
        path = *counter == 0 ? QStringLiteral("%1/%2").arg(m_destination, fileName)
                             : QStringLiteral("%1/(%3)%2").arg(m_destination, fileName).arg(*counter);
        ++*counter;
    } while (QFileInfo::exists(path));
    return path;
}

QString ImportWorker::extractBook(const ContainerBook& book)
{
    const QString fileName = LibraryContainer::leafName(book.fileName);
    if (fileName.isEmpty()) {
        logError(QStringLiteral("Import. Refused file name %1").arg(book.fileName));
        return QString();
    }
    if (!LibraryContainer::isSafeEntryName(book.relPath)) {
        logError(QStringLiteral("Import. Refused entry name %1").arg(book.relPath));
        return QString();
    }
    if (!m_entries.contains(book.relPath)) {
        logError(QStringLiteral("Extract file [FAILED]:%1)").arg(book.relPath));
        return QString();
    }

    // Unpacked under a temporary name: the book gets its name only when it
    // is complete, and a refused entry leaves nothing behind.
    QTemporaryFile temp(m_destination + "/.import-XXXXXX.part");
    ExtractResult extracted =
        temp.open() ? extract(book.relPath, Limits::maxArchiveSize, &temp) : WriteFailed;
    if (extracted == Extracted && !temp.flush())
        extracted = WriteFailed;
    if (extracted == WriteFailed) {
        logError(QStringLiteral("Import. Cannot write into %1: %2").arg(m_destination, temp.errorString()));
        fail(ImportFileError);
        stop();
    }
    if (extracted != Extracted) {
        if (extracted == Refused)
            logError(QStringLiteral("Extract file [FAILED]:%1)").arg(book.relPath));
        return QString();
    }
    temp.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                        QFileDevice::ReadOther);

    int counter = 0;
    for (;;) {
        const QString path = freeName(fileName, &counter);
        // Never replaces a file: fails when the name was taken meanwhile.
        if (temp.rename(path)) {
            temp.setAutoRemove(false);
            return path;
        }
        if (!QFileInfo::exists(path)) {
            logError(QStringLiteral("Import. Cannot name %1: %2").arg(path, temp.errorString()));
            fail(ImportFileError);
            stop();
            return QString();
        }
    }
}

QString ImportWorker::extractCover(const ContainerBook& book, const QString& bookPath)
{
    if (book.coverPath.isEmpty())
        return QString();
    const QString leaf = LibraryContainer::leafName(book.coverPath);
    if (leaf.isEmpty() || !LibraryContainer::isSafeEntryName(book.coverPath)) {
        logError(QStringLiteral("Import. Refused cover entry %1").arg(book.coverPath));
        return QString();
    }
    const QString target = QDir::toNativeSeparators(Paths::bookCacheFolder(bookPath) + "/" + leaf);
    qCDebug(lcImport) << "ARCHIVE:" << m_fileName;
    qCDebug(lcImport) << "Archive cover name:" << book.coverPath;
    qCDebug(lcImport) << "Cover path:" << target;
    qCDebug(lcImport) << "Extract path:" << bookPath;

    QSaveFile out(target);
    const ExtractResult extracted =
        out.open(QIODevice::WriteOnly) ? extract(book.coverPath, Limits::maxEntrySize, &out) : WriteFailed;
    if (extracted == Extracted && out.commit())
        return target;
    out.cancelWriting();
    logError(QStringLiteral("Import. No cover for %1").arg(bookPath));
    return QString();
}

void ImportWorker::importNext()
{
    const ContainerBook& book = m_books.at(m_index++);
    emit progressChanged(m_index, m_books.size());
    emit progressMessage(tr("%1 of %2 is being imported. %3")
                             .arg(m_index)
                             .arg(m_books.size())
                             .arg(LibraryContainer::leafName(book.fileName)));

    const QString path = extractBook(book);
    if (path.isEmpty())
        return;
    const QString cover = extractCover(book, path);

    const uint now = uint(QDateTime::currentSecsSinceEpoch());
    BookDto dto;
    dto.full_path = QDir::toNativeSeparators(path);
    dto.cover = cover;
    dto.author = book.author;
    dto.title = book.title;
    // A code this program does not know would leave the book unreadable.
    dto.format = BookFormat::codes().contains(book.format) || book.format == BookFormat::Unknown
                     ? book.format
                     : BookFormat::formatFromPath(path);
    dto.time_added = now;
    dto.position = book.position;
    dto.max_position = book.progress;
    dto.is_favorite = book.favorite ? 1 : 0;

    BookProvider* provider = BookProvider::instance();
    const int id = provider->addBook(dto);
    if (id < 0) {
        logError(QStringLiteral("Import book information to DB [FAILED]"));
        // No file without its row either: the user would never find it.
        QFile::remove(path);
        if (!cover.isEmpty())
            QFile::remove(cover);
        return;
    }
    for (const ContainerBookmark& mark : book.bookmarks) {
        BookmarkDto bookmark;
        bookmark.book_id = id;
        bookmark.title = mark.title;
        bookmark.position = float(mark.position);
        bookmark.progress = float(mark.progress);
        bookmark.time_added = now;
        provider->addBookmark(bookmark);
    }
    ++m_imported;
}
