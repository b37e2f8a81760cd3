#include "ArchiveReader.h"

#include "Limits.h"
#include "Logger.h"
#include "RarReader.h"
#include "ZipReader.h"

ArchiveReader::~ArchiveReader() = default;

bool ArchiveReader::extractAll(const QString& archive, const QString& targetDir, QList<QFileInfo>* files)
{
    Q_UNUSED(archive)
    Q_UNUSED(targetDir)
    Q_UNUSED(files)
    return false;
}

bool ArchiveReader::extract(const QString& archive, const QRegExp& pattern, const QString& targetDir,
                            QString& outPath)
{
    Q_UNUSED(archive)
    Q_UNUSED(pattern)
    Q_UNUSED(targetDir)
    Q_UNUSED(outPath)
    return false;
}

bool ArchiveReader::extract(const QString& archive, const QString& name, const QString& targetDir,
                            QString& outPath)
{
    Q_UNUSED(archive)
    Q_UNUSED(name)
    Q_UNUSED(targetDir)
    Q_UNUSED(outPath)
    return false;
}

QStringList ArchiveReader::fileList(const QString& archive)
{
    Q_UNUSED(archive)
    return {};
}

bool ArchiveReader::readEntries(const QString& archive, const QStringList& names,
                                QHash<QString, QByteArray>& data)
{
    Q_UNUSED(archive)
    Q_UNUSED(names)
    Q_UNUSED(data)
    return false;
}

QByteArray ArchiveReader::readEntry(const QString& archive, const QString& name)
{
    QHash<QString, QByteArray> data;
    readEntries(archive, {name}, data);
    return data.value(name);
}

bool ArchiveReader::isSafeEntryName(const QString& name)
{
    if (name.isEmpty() || name.contains(QLatin1Char('\\')) || name.contains(QChar(0)))
        return false;
    if (name.startsWith(QLatin1Char('/')))
        return false;
    // "C:evil" and "C:/evil" name a drive on Windows.
    if (name.size() >= 2 && name.at(1) == QLatin1Char(':') && name.at(0).isLetter())
        return false;
    const QStringList parts = name.split(QLatin1Char('/'));
    for (const QString& part : parts) {
        if (part == QLatin1String(".."))
            return false;
    }
    return true;
}

bool ArchiveReader::isAcceptableSize(qint64 size, qint64 compressedSize, QString* reason)
{
    if (size < 0 || size > Limits::maxEntrySize) {
        if (reason)
            *reason = QStringLiteral("claims %1 bytes").arg(size);
        return false;
    }
    if (size >= Limits::ratioCheckFrom && compressedSize >= 0 &&
        size > qMax<qint64>(compressedSize, 1) * Limits::maxCompressionRatio) {
        if (reason)
            *reason = QStringLiteral("%1 bytes compressed into %2").arg(size).arg(compressedSize);
        return false;
    }
    return true;
}

void ArchiveReader::logRefused(const QString& archive, const QString& name, const QString& reason)
{
    logWarning(QStringLiteral("Archive entry refused:%1. Archive:%2. Reason:%3").arg(name, archive, reason));
}

ArchiveReader* createArchiveReader(const QString& path)
{
    const auto hasSuffix = [&path](const char* suffix) {
        return path.endsWith(QLatin1String(suffix), Qt::CaseInsensitive);
    };
    if (hasSuffix(".epub") || hasSuffix(".zip") || hasSuffix(".cbz"))
        return new ZipReader();
    if (hasSuffix(".cbr"))
        return new RarReader();
    return new ArchiveReader();
}
