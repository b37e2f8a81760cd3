#include "ZipReader.h"

#include "Limits.h"
#include "Logger.h"
#include "MappedZip.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <QSet>

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipfileinfo.h>

#include <functional>

Q_LOGGING_CATEGORY(lcZip, "lanternleaf.archive.zip", QtInfoMsg)

namespace {

// The steps of a walk that can fail, for the messages each operation writes.
enum class Stage
{
    OpenArchive,
    FileInfo,
    OpenEntry,
    EntryName,
    EntryError,
    NotEof,
    CloseEntry,
    CloseArchive
};

// Bit 0 of the general-purpose flags: the entry is encrypted.
constexpr quint16 kEncryptedFlag = 0x1;
constexpr qint64 kChunk = 64 * 1024;

void reportByName(Stage stage, int code)
{
    switch (stage) {
    case Stage::OpenArchive:
        logError(QStringLiteral("Read zip failed. Open zip. Error code:%1").arg(code));
        break;
    case Stage::FileInfo:
        logError(QStringLiteral("Read zip failed. Get file info. Error code:%1").arg(code));
        break;
    case Stage::NotEof:
        logError(QStringLiteral("Read zip failed. read all but not EOF"));
        break;
    default:
        logError(QStringLiteral("Read zip failed. Error code:%1").arg(code));
        break;
    }
}

void reportExtractAll(Stage stage, int code)
{
    switch (stage) {
    case Stage::OpenArchive:
        logError(QStringLiteral("Extract archive. Error:%1").arg(code));
        break;
    case Stage::FileInfo:
        logError(QStringLiteral("Get zip-file info error:%1").arg(code));
        break;
    case Stage::OpenEntry:
        logError(QStringLiteral("Open zip-file. Error:%1").arg(code));
        break;
    default:
        logError(QStringLiteral("Unzip file. Error:%1").arg(code));
        break;
    }
}

// The pattern extraction reports on the debug output only.
void reportByPattern(Stage stage, int code)
{
    switch (stage) {
    case Stage::OpenArchive:
        qCWarning(lcZip, "testRead(): zip.open(): %d", code);
        break;
    case Stage::FileInfo:
        qCWarning(lcZip, "testRead(): getCurrentFileInfo(): %d\n", code);
        break;
    case Stage::OpenEntry:
        qCWarning(lcZip, "testRead(): file.open(): %d", code);
        break;
    case Stage::EntryName:
        qCWarning(lcZip, "testRead(): file.getFileName(): %d", code);
        break;
    case Stage::NotEof:
        qCWarning(lcZip, "testRead(): read all but not EOF");
        break;
    case Stage::CloseArchive:
        qCWarning(lcZip, "testRead(): zip.close(): %d", code);
        break;
    default:
        qCWarning(lcZip, "testRead(): file.close(): %d", code);
        break;
    }
}

bool openArchive(QuaZip& zip)
{
    // Names flagged UTF-8 in the archive are decoded as UTF-8 by QuaZip
    // whatever the codec; the codec applies to the others only.
    zip.setFileNameCodec(ZipReader::fileNameCodec);
    return zip.open(QuaZip::mdUnzip);
}

// Copies the open entry into `sink` in chunks. Never delivers more than
// `limit` bytes: an entry that produces more than it claimed is a lie, and
// the copy fails (`overflow` set) instead of filling memory or the disk.
bool copyEntry(QuaZipFile& file, qint64 limit, const std::function<bool(const char*, qint64)>& sink,
               bool& overflow)
{
    overflow = false;
    QByteArray buffer(int(kChunk), Qt::Uninitialized);
    qint64 copied = 0;
    for (;;) {
        const qint64 n = file.read(buffer.data(), kChunk);
        if (n <= 0)
            break;
        copied += n;
        if (copied > limit) {
            overflow = true;
            return false;
        }
        if (!sink(buffer.constData(), n))
            return false;
    }
    return true;
}

// Whether an entry may be read at all; logs the refusal when not.
bool acceptEntry(const QString& archive, const QuaZipFileInfo64& info, qint64 total)
{
    QString reason;
    if (info.flags & kEncryptedFlag)
        reason = QStringLiteral("encrypted");
    else if (!ArchiveReader::isAcceptableSize(qint64(info.uncompressedSize), qint64(info.compressedSize),
                                              &reason))
        ; // reason set
    else if (total + qint64(info.uncompressedSize) > Limits::maxArchiveSize)
        reason = QStringLiteral("the archive holds more than %1 bytes").arg(Limits::maxArchiveSize);
    if (reason.isEmpty())
        return true;
    ArchiveReader::logRefused(archive, info.name, reason);
    return false;
}

} // namespace

bool ZipReader::extractAll(const QString& archive, const QString& targetDir, QList<QFileInfo>* files)
{
    return extractEntries(Mode::All, archive, QRegExp(), QString(), targetDir, nullptr, files);
}

bool ZipReader::extract(const QString& archive, const QRegExp& pattern, const QString& targetDir,
                        QString& outPath)
{
    return extractEntries(Mode::Pattern, archive, pattern, QString(), targetDir, &outPath, nullptr);
}

bool ZipReader::extract(const QString& archive, const QString& name, const QString& targetDir,
                        QString& outPath)
{
    return extractEntries(Mode::Name, archive, QRegExp(), name, targetDir, &outPath, nullptr);
}

bool ZipReader::extractEntries(Mode mode, const QString& archive, const QRegExp& pattern, const QString& name,
                               const QString& targetDir, QString* outPath, QList<QFileInfo>* files)
{
    const auto report = [mode](Stage stage, int code) {
        if (mode == Mode::All)
            reportExtractAll(stage, code);
        else if (mode == Mode::Pattern)
            reportByPattern(stage, code);
        else
            reportByName(stage, code);
    };

    MappedZip mapped(archive);
    QuaZip& zip = mapped.zip();
    if (!openArchive(zip)) {
        report(Stage::OpenArchive, zip.getZipError());
        return false;
    }
    if (!QDir(targetDir).exists())
        QDir(targetDir).mkpath(QStringLiteral("."));

    qint64 total = 0;
    int count = 0;
    for (bool more = zip.goToFirstFile(); more; more = zip.goToNextFile()) {
        if (mode == Mode::All)
            QCoreApplication::processEvents(QEventLoop::AllEvents);
        QuaZipFileInfo64 info;
        if (!zip.getCurrentFileInfo(&info)) {
            report(Stage::FileInfo, zip.getZipError());
            return false;
        }
        if (++count > Limits::maxArchiveEntries) {
            logRefused(archive, info.name,
                       QStringLiteral("more than %1 entries").arg(Limits::maxArchiveEntries));
            break;
        }
        bool selected = true;
        if (mode == Mode::Pattern)
            selected = pattern.isEmpty() || info.name.indexOf(pattern) != -1;
        else if (mode == Mode::Name)
            selected = name.isEmpty() || info.name.compare(name, Qt::CaseInsensitive) == 0;
        if (!selected)
            continue;
        if (!isSafeEntryName(info.name)) {
            logRefused(archive, info.name, QStringLiteral("the name leaves the target folder"));
            continue;
        }
        const QString path = QStringLiteral("%1/%2").arg(targetDir, info.name);
        if (info.name.endsWith(QLatin1Char('/'))) {
            // A folder entry: nothing to copy.
            QDir(path).mkpath(QStringLiteral("."));
            continue;
        }
        if (!acceptEntry(archive, info, total))
            continue;
        if (mode == Mode::All && QFileInfo::exists(path))
            continue;

        QuaZipFile file(&zip);
        if (!file.open(QIODevice::ReadOnly)) {
            report(Stage::OpenEntry, file.getZipError());
            return false;
        }
        file.getActualFileName();
        if (file.getZipError() != UNZ_OK) {
            report(Stage::EntryName, file.getZipError());
            return false;
        }
        const QDir folder = QFileInfo(path).absoluteDir();
        if (!folder.exists())
            folder.mkpath(QStringLiteral("."));
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            logError(QStringLiteral("Write file failed:%1. Error:%2").arg(path, out.errorString()));
            return false;
        }
        bool overflow = false;
        const bool copied = copyEntry(
            file, qint64(info.uncompressedSize),
            [&out](const char* data, qint64 size) { return out.write(data, size) == size; }, overflow);
        out.close();
        // A half-written file must not stay: extractAll() would take it for
        // a finished one next time.
        const auto fail = [&](Stage stage, int code) {
            out.remove();
            report(stage, code);
            return false;
        };
        if (overflow) {
            logRefused(
                archive, info.name,
                QStringLiteral("more data than the %1 bytes it claims").arg(qint64(info.uncompressedSize)));
            return fail(Stage::EntryError, file.getZipError());
        }
        if (!copied) {
            logError(QStringLiteral("Write file failed:%1. Error:%2").arg(path, out.errorString()));
            out.remove();
            return false;
        }
        if (file.getZipError() != UNZ_OK)
            return fail(Stage::EntryError, file.getZipError());
        if (!file.atEnd())
            return fail(Stage::NotEof, file.getZipError());
        file.close();
        if (file.getZipError() != UNZ_OK)
            return fail(Stage::CloseEntry, file.getZipError());

        total += qint64(info.uncompressedSize);
        if (files)
            files->append(QFileInfo(path));
        if (outPath)
            *outPath = path;
    }
    const int walkError = zip.getZipError();
    zip.close();
    if (walkError != UNZ_OK || zip.getZipError() != UNZ_OK) {
        report(Stage::CloseArchive, walkError != UNZ_OK ? walkError : zip.getZipError());
        return false;
    }
    if (mode == Mode::All)
        logInfo(QStringLiteral("Unzip complete. filename:%1").arg(archive));
    return true;
}

QStringList ZipReader::fileList(const QString& archive)
{
    MappedZip mapped(archive);
    QuaZip& zip = mapped.zip();
    if (!openArchive(zip)) {
        reportByName(Stage::EntryError, zip.getZipError());
        return {};
    }
    QStringList names = zip.getFileNameList();
    if (names.size() > Limits::maxArchiveEntries) {
        logRefused(archive, names.at(Limits::maxArchiveEntries),
                   QStringLiteral("more than %1 entries").arg(Limits::maxArchiveEntries));
        names = names.mid(0, Limits::maxArchiveEntries);
    }
    zip.close();
    return names;
}

bool ZipReader::readEntries(const QString& archive, const QStringList& names,
                            QHash<QString, QByteArray>& data)
{
    QSet<QString> wanted(names.cbegin(), names.cend());
    const int requested = wanted.size();
    if (wanted.isEmpty())
        return true;
    MappedZip mapped(archive);
    QuaZip& zip = mapped.zip();
    if (!openArchive(zip)) {
        reportByName(Stage::OpenArchive, zip.getZipError());
        return false;
    }
    int read = 0;
    qint64 total = 0;
    int count = 0;
    for (bool more = zip.goToFirstFile(); more && !wanted.isEmpty(); more = zip.goToNextFile()) {
        QuaZipFileInfo64 info;
        if (!zip.getCurrentFileInfo(&info)) {
            reportByName(Stage::FileInfo, zip.getZipError());
            break;
        }
        if (++count > Limits::maxArchiveEntries) {
            logRefused(archive, info.name,
                       QStringLiteral("more than %1 entries").arg(Limits::maxArchiveEntries));
            break;
        }
        if (!wanted.remove(info.name) || !acceptEntry(archive, info, total))
            continue;

        QuaZipFile file(&zip);
        if (!file.open(QIODevice::ReadOnly)) {
            reportByName(Stage::OpenEntry, file.getZipError());
            continue;
        }
        QByteArray bytes;
        bytes.reserve(int(qMin<quint64>(info.uncompressedSize, 64 * 1024 * 1024)));
        bool overflow = false;
        copyEntry(
            file, qint64(info.uncompressedSize),
            [&bytes](const char* chunk, qint64 size) {
                bytes.append(chunk, int(size));
                return true;
            },
            overflow);
        // A damaged entry is left out; the others are still worth reading.
        if (overflow) {
            logRefused(
                archive, info.name,
                QStringLiteral("more data than the %1 bytes it claims").arg(qint64(info.uncompressedSize)));
            continue;
        }
        if (file.getZipError() != UNZ_OK) {
            reportByName(Stage::EntryError, file.getZipError());
            continue;
        }
        if (!file.atEnd()) {
            reportByName(Stage::NotEof, file.getZipError());
            continue;
        }
        file.close();
        if (file.getZipError() != UNZ_OK) {
            reportByName(Stage::CloseEntry, file.getZipError());
            continue;
        }
        total += bytes.size();
        data.insert(info.name, bytes);
        ++read;
    }
    zip.close();
    return read == requested;
}
