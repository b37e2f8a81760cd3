#include "ComicFixtures.h"

#include "ZipBuilder.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtEndian>

namespace ComicFixtures {

QByteArray page(const QString& name, const QColor& color, const QSize& size)
{
    if (name.endsWith(QLatin1String(".gif"), Qt::CaseInsensitive)) {
        // Qt writes no GIF: a 1x1 image of the colour, by hand.
        QByteArray gif = QByteArray("GIF89a") + QByteArray::fromHex("01000100800000");
        gif += char(color.red());
        gif += char(color.green());
        gif += char(color.blue());
        gif += QByteArray::fromHex("0000002C00000000010001000002024401003B");
        return gif;
    }
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    const QByteArray format = QFileInfo(name).suffix().toLower().toLatin1();
    image.save(&buffer, format == "jpg" ? "jpeg" : format.constData(), 95);
    return bytes;
}

QColor colourOf(int index)
{
    return QColor::fromHsv((index * 47) % 360, 200, 220);
}

QList<Entry> pages(const QStringList& names, const QSize& size)
{
    QList<Entry> entries;
    for (int i = 0; i < names.size(); ++i)
        entries << Entry(names[i], page(names[i], colourOf(i), size));
    return entries;
}

QByteArray claimingBmp(const QSize& size)
{
    QByteArray bmp(54, '\0');
    auto put32 = [&bmp](int at, quint32 value) { qToLittleEndian(value, bmp.data() + at); };
    auto put16 = [&bmp](int at, quint16 value) { qToLittleEndian(value, bmp.data() + at); };
    bmp[0] = 'B';
    bmp[1] = 'M';
    put32(2, 54 + 16);
    put32(10, 54);
    put32(14, 40);
    put32(18, quint32(size.width()));
    put32(22, quint32(size.height()));
    put16(26, 1);
    put16(28, 24);
    return bmp + QByteArray(16, '\x7f');
}

bool writeCbz(const QString& path, const QList<Entry>& entries, const QStringList& folders)
{
    ZipBuilder zip;
    for (const QString& folder : folders)
        zip.addFolder(folder);
    for (const Entry& entry : entries)
        zip.add(entry.first, entry.second);
    return zip.write(path);
}

QString rarTool()
{
    return QStandardPaths::findExecutable(QStringLiteral("rar"));
}

bool writeCbr(const QString& path, const QList<Entry>& entries, const QStringList& options)
{
    if (rarTool().isEmpty())
        return false;
    QTemporaryDir scratch;
    QStringList names;
    for (const Entry& entry : entries) {
        const QString file = scratch.filePath(entry.first);
        QDir().mkpath(QFileInfo(file).path());
        QFile out(file);
        if (!out.open(QIODevice::WriteOnly))
            return false;
        out.write(entry.second);
        names << entry.first;
    }
    QFile::remove(path);
    QProcess rar;
    rar.setWorkingDirectory(scratch.path());
    rar.start(rarTool(), QStringList{"a", "-idq", "-m3"} + options +
                             QStringList{QFileInfo(path).absoluteFilePath()} + names);
    return rar.waitForFinished(60000) && rar.exitCode() == 0 && QFileInfo::exists(path);
}

} // namespace ComicFixtures
