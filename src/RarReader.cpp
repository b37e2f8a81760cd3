#include "RarReader.h"

#include "Limits.h"
#include "Logger.h"
#include "RarHeaderCheck.h"

#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <QSet>

#include <cstring>
#include <memory>
#include <string>

#include <unrar/dll.hpp>

Q_LOGGING_CATEGORY(lcRar, "lanternleaf.archive.rar", QtInfoMsg)

namespace {

constexpr int kCommentSize = 16384;
// Header flags that mark a folder (the dictionary bits of old archives).
constexpr unsigned kFolderFlags = 0xE0;

// Where the data callback puts the bytes of the entry being read.
struct Sink
{
    QByteArray* data = nullptr;
    qint64 limit = 0;
    bool overflow = false;
};

void report(int code, const QString& archive, bool processing)
{
    const QString text = RarReader::resultText(code, archive, processing);
    if (!text.isEmpty())
        qCWarning(lcRar).noquote() << text;
}

QString yesNo(unsigned flags, unsigned bit)
{
    return (flags & bit) ? QStringLiteral("yes") : QStringLiteral("no");
}

void describe(const RAROpenArchiveDataEx& data, const QString& archive, const QByteArray& comment)
{
    const unsigned f = data.Flags;
    qCDebug(lcRar).noquote() << QStringLiteral("\nArchive %1\n").arg(archive)
                             << QStringLiteral("\nVolume:\t\t%1").arg(yesNo(f, 0x01))
                             << QStringLiteral("\nComment:\t%1").arg(yesNo(f, 0x02))
                             << QStringLiteral("\nLocked:\t\t%1").arg(yesNo(f, 0x04))
                             << QStringLiteral("\nSolid:\t\t%1").arg(yesNo(f, 0x08))
                             << QStringLiteral("\nNew naming:\t%1").arg(yesNo(f, 0x10))
                             << QStringLiteral("\nRecovery:\t%1").arg(yesNo(f, 0x40))
                             << QStringLiteral("\nEncr.headers:\t%1").arg(yesNo(f, 0x80))
                             << QStringLiteral("\nFirst volume:\t%1")
                                    .arg((f & 0x100) ? QStringLiteral("yes")
                                                     : QStringLiteral("no or older than 3.0"))
                             << QStringLiteral("\n---------------------------\n");
    if (data.CmtState == 1)
        qCDebug(lcRar).noquote() << QStringLiteral("\nComment:\n%1\n")
                                        .arg(QString::fromLocal8Bit(comment.constData(), int(data.CmtSize)));
}

// Answers the library's questions. Nothing is ever asked of the user: a
// password or a missing volume is declined (-1), which ends the operation
// with an error instead of waiting.
int CALLBACK answer(UINT message, LPARAM userData, LPARAM p1, LPARAM p2)
{
    switch (message) {
    case UCM_PROCESSDATA: {
        auto* sink = reinterpret_cast<Sink*>(userData);
        if (sink && sink->data) {
            if (p2 < 0 || sink->data->size() + qint64(p2) > sink->limit) {
                sink->overflow = true;
                return -1;
            }
            sink->data->append(reinterpret_cast<const char*>(p1), int(p2));
        }
        return 1;
    }
    case UCM_CHANGEVOLUMEW:
        if (p2 == RAR_VOL_NOTIFY) {
            qCDebug(lcRar).noquote() << QStringLiteral("\n  ... volume %1\n")
                                            .arg(QString::fromWCharArray(reinterpret_cast<wchar_t*>(p1)));
            return 1;
        }
        return -1;
    case UCM_CHANGEVOLUME:
        return p2 == RAR_VOL_NOTIFY ? 1 : -1;
    case UCM_NEEDPASSWORD:
    case UCM_NEEDPASSWORDW:
        return -1;
    default:
        return 0;
    }
}

// One open archive handle, closed when it goes out of scope.
class Archive
{
public:
    Archive(const QString& path, unsigned mode, Sink* sink)
        : m_path(path), m_name(path.toStdWString()), m_comment(kCommentSize, '\0')
    {
        std::memset(&m_data, 0, sizeof m_data);
        m_data.ArcNameW = &m_name[0];
        m_data.OpenMode = mode;
        m_data.CmtBuf = m_comment.data();
        m_data.CmtBufSize = kCommentSize;
        if (sink) {
            m_data.Callback = answer;
            m_data.UserData = reinterpret_cast<LPARAM>(sink);
        }
        const QString refused = RarHeaderCheck::fileRefusal(path);
        if (!refused.isEmpty()) {
            ArchiveReader::logRefused(path, QString(), refused);
            m_data.OpenResult = ERAR_BAD_DATA;
            return;
        }
        m_handle = RAROpenArchiveEx(&m_data);
        if (m_data.OpenResult != ERAR_SUCCESS || !m_handle) {
            report(m_data.OpenResult != ERAR_SUCCESS ? int(m_data.OpenResult) : ERAR_UNKNOWN, m_path, false);
            if (m_handle)
                RARCloseArchive(m_handle);
            m_handle = nullptr;
            return;
        }
        describe(m_data, m_path, m_comment);
    }
    ~Archive()
    {
        if (m_handle)
            RARCloseArchive(m_handle);
    }
    Archive(const Archive&) = delete;
    Archive& operator=(const Archive&) = delete;

    bool isOpen() const { return m_handle != nullptr; }
    HANDLE handle() const { return m_handle; }
    /// In a solid archive skipping an entry unpacks it too.
    bool isSolid() const { return (m_data.Flags & ROADF_SOLID) != 0; }
    /// Reads the next header; the library's result.
    int next(RARHeaderDataEx& header)
    {
        std::memset(&header, 0, sizeof header);
        return RARReadHeaderEx(m_handle, &header);
    }

private:
    QString m_path;
    std::wstring m_name;
    QByteArray m_comment;
    RAROpenArchiveDataEx m_data;
    HANDLE m_handle = nullptr;
};

qint64 unpackedSize(const RARHeaderDataEx& h)
{
    return qint64((quint64(h.UnpSizeHigh) << 32) | h.UnpSize);
}

qint64 packedSize(const RARHeaderDataEx& h)
{
    return qint64((quint64(h.PackSizeHigh) << 32) | h.PackSize);
}

// The library allocates the unpack window the header claims (DictSize, in KB)
// before unpacking, and in a solid archive before skipping, too: a damaged or
// hostile header would have it take gigabytes.
QString dictionaryRefusal(const RARHeaderDataEx& h)
{
    const qint64 dictionary = qint64(h.DictSize) * 1024;
    return dictionary > Limits::maxRarDictionary ? QStringLiteral("a dictionary of %1 bytes").arg(dictionary)
                                                 : QString();
}

// Why a file entry may not be read or written; empty when it may.
QString refusal(const RARHeaderDataEx& h)
{
    if (h.RedirType != 0)
        return QStringLiteral("a link");
    QString reason = dictionaryRefusal(h);
    if (!reason.isEmpty())
        return reason;
    if (!ArchiveReader::isAcceptableSize(unpackedSize(h), packedSize(h), &reason))
        return reason;
    return QString();
}

} // namespace

QString RarReader::resultText(int code, const QString& archive, bool processing)
{
    switch (code) {
    case ERAR_NO_MEMORY:
        return QStringLiteral("\nNot enough memory");
    case ERAR_BAD_DATA:
        return QStringLiteral("\n%1: archive header or data are damaged").arg(archive);
    case ERAR_BAD_ARCHIVE:
        return QStringLiteral("\n%1 is not RAR archive").arg(archive);
    case ERAR_UNKNOWN_FORMAT:
        return QStringLiteral("Unknown archive format");
    case ERAR_EOPEN:
        return processing ? QStringLiteral("Volume open error")
                          : QStringLiteral("\nCannot open %1").arg(archive);
    case ERAR_ECREATE:
        return QStringLiteral("File create error");
    case ERAR_ECLOSE:
        return QStringLiteral("File close error");
    case ERAR_EREAD:
        return QStringLiteral("Read error");
    case ERAR_EWRITE:
        return QStringLiteral("Write error");
    case ERAR_SMALL_BUF:
        return QStringLiteral("Buffer for archive comment is too small, comment truncated");
    case ERAR_UNKNOWN:
        return QStringLiteral("Unknown error");
    case ERAR_MISSING_PASSWORD:
        return QStringLiteral("Password for encrypted file or header is not specified");
    case ERAR_EREFERENCE:
        return QStringLiteral("Cannot open file source for reference record");
    case ERAR_BAD_PASSWORD:
        return QStringLiteral("Wrong password is specified");
    default:
        return QString();
    }
}

bool RarReader::extract(const QString& archive, const QString& name, const QString& targetDir,
                        QString& outPath)
{
    // No callback: nothing can be asked, so a password or a missing volume
    // simply fails.
    Archive rar(archive, RAR_OM_EXTRACT, nullptr);
    if (!rar.isOpen())
        return false;

    bool ok = true;
    RARHeaderDataEx header;
    int result = ERAR_SUCCESS;
    while ((result = rar.next(header)) == ERAR_SUCCESS) {
        if (QString::fromWCharArray(header.FileNameW) != name) {
            if (rar.isSolid() && !dictionaryRefusal(header).isEmpty()) {
                // Skipping would unpack it; nothing after it can be reached.
                logRefused(archive, QString::fromWCharArray(header.FileNameW), dictionaryRefusal(header));
                ok = false;
                break;
            }
            const int skipped = RARProcessFile(rar.handle(), RAR_SKIP, nullptr, nullptr);
            if (skipped != ERAR_SUCCESS) {
                report(skipped, archive, true);
                break;
            }
            continue;
        }
        QString reason =
            isSafeEntryName(name) ? refusal(header) : QStringLiteral("the name leaves the target folder");
        if (!reason.isEmpty()) {
            logRefused(archive, name, reason);
            ok = false;
            break;
        }
        const QString path = targetDir + QStringLiteral("/") + name;
        const QDir folder = QFileInfo(path).absoluteDir();
        if (!folder.exists())
            folder.mkpath(QStringLiteral("."));
        std::wstring destName = QDir::toNativeSeparators(path).toStdWString();
        std::wstring destPath = QDir::toNativeSeparators(folder.absolutePath()).toStdWString();
        const int extracted = RARProcessFileW(rar.handle(), RAR_EXTRACT, &destPath[0], &destName[0]);
        if (extracted != ERAR_SUCCESS) {
            logError(QStringLiteral("RAR. Extract file error:%1. File name:%2").arg(extracted).arg(path));
            report(extracted, archive, true);
            // Whatever the library left is not the entry.
            QFile::remove(path);
            ok = false;
        } else {
            outPath = path;
        }
        break;
    }
    if (result != ERAR_SUCCESS)
        report(result, archive, false);
    return ok;
}

QStringList RarReader::fileList(const QString& archive)
{
    Sink none;
    Archive rar(archive, RAR_OM_LIST, &none);
    if (!rar.isOpen())
        return {};
    QStringList names;
    RARHeaderDataEx header;
    int result = ERAR_SUCCESS;
    while ((result = rar.next(header)) == ERAR_SUCCESS) {
        if ((header.Flags & kFolderFlags) == 0) {
            if (names.size() >= Limits::maxArchiveEntries) {
                logRefused(archive, QString::fromWCharArray(header.FileNameW),
                           QStringLiteral("more than %1 entries").arg(Limits::maxArchiveEntries));
                break;
            }
            names << QString::fromWCharArray(header.FileNameW);
        }
        const int skipped = RARProcessFile(rar.handle(), RAR_SKIP, nullptr, nullptr);
        if (skipped != ERAR_SUCCESS) {
            report(skipped, archive, true);
            break;
        }
    }
    if (result != ERAR_SUCCESS)
        report(result, archive, false);
    return names;
}

bool RarReader::readEntries(const QString& archive, const QStringList& names,
                            QHash<QString, QByteArray>& data)
{
    QSet<QString> wanted(names.cbegin(), names.cend());
    const int requested = wanted.size();
    if (wanted.isEmpty())
        return true;
    Sink sink;
    Archive rar(archive, RAR_OM_EXTRACT, &sink);
    if (!rar.isOpen())
        return false;

    int read = 0;
    qint64 total = 0;
    RARHeaderDataEx header;
    int result = ERAR_SUCCESS;
    while (!wanted.isEmpty() && (result = rar.next(header)) == ERAR_SUCCESS) {
        const QString name = QString::fromWCharArray(header.FileNameW);
        QString reason;
        const bool selected = (header.Flags & kFolderFlags) == 0 && wanted.remove(name);
        if (selected) {
            reason = refusal(header);
            if (reason.isEmpty() && total + unpackedSize(header) > Limits::maxArchiveSize)
                reason = QStringLiteral("the archive holds more than %1 bytes").arg(Limits::maxArchiveSize);
            if (!reason.isEmpty())
                logRefused(archive, name, reason);
        }
        if (rar.isSolid() && !dictionaryRefusal(header).isEmpty()) {
            // Skipping would unpack it; nothing after it can be reached.
            if (!selected)
                logRefused(archive, name, dictionaryRefusal(header));
            break;
        }
        if (!selected || !reason.isEmpty()) {
            const int skipped = RARProcessFile(rar.handle(), RAR_SKIP, nullptr, nullptr);
            if (skipped != ERAR_SUCCESS) {
                report(skipped, archive, true);
                break;
            }
            continue;
        }
        QByteArray bytes;
        sink = Sink();
        sink.data = &bytes;
        sink.limit = unpackedSize(header);
        // "Test" decompresses and checks the entry, handing the data to the
        // callback instead of writing a file.
        const int tested = RARProcessFile(rar.handle(), RAR_TEST, nullptr, nullptr);
        sink.data = nullptr;
        if (sink.overflow) {
            logRefused(archive, name,
                       QStringLiteral("more data than the %1 bytes it claims").arg(unpackedSize(header)));
            continue;
        }
        if (tested != ERAR_SUCCESS) {
            report(tested, archive, true);
            continue;
        }
        total += bytes.size();
        data.insert(name, bytes);
        ++read;
    }
    if (!wanted.isEmpty() && result != ERAR_SUCCESS)
        report(result, archive, false);
    return read == requested;
}
