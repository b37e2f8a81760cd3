#include "util/ZipBuilder.h"

#include <QBuffer>
#include <QFile>

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipnewinfo.h>

#include <cstring>

namespace {

quint32 read32(const QByteArray& b, int at)
{
    quint32 v = 0;
    std::memcpy(&v, b.constData() + at, 4);
    return v;
}

quint16 read16(const QByteArray& b, int at)
{
    quint16 v = 0;
    std::memcpy(&v, b.constData() + at, 2);
    return v;
}

void write32(QByteArray& b, int at, quint32 v)
{
    std::memcpy(b.data() + at, &v, 4);
}

// Offset of the local header of the entry stored as `name`, -1 when none.
int localHeader(const QByteArray& zip, const QByteArray& name)
{
    for (int at = zip.indexOf("PK\x03\x04"); at >= 0; at = zip.indexOf("PK\x03\x04", at + 4)) {
        const int nameLength = read16(zip, at + 26);
        if (zip.mid(at + 30, nameLength) == name)
            return at;
    }
    return -1;
}

int centralHeader(const QByteArray& zip, const QByteArray& name)
{
    for (int at = zip.indexOf("PK\x01\x02"); at >= 0; at = zip.indexOf("PK\x01\x02", at + 4)) {
        const int nameLength = read16(zip, at + 28);
        if (zip.mid(at + 46, nameLength) == name)
            return at;
    }
    return -1;
}

} // namespace

ZipBuilder& ZipBuilder::add(const QString& name, const QByteArray& data, bool deflate)
{
    m_entries.append({name, data, deflate, false, m_utf8, m_codec});
    return *this;
}

ZipBuilder& ZipBuilder::addFolder(const QString& name)
{
    const QString folder = name.endsWith(QLatin1Char('/')) ? name : name + QLatin1Char('/');
    m_entries.append({folder, QByteArray(), false, true, m_utf8, m_codec});
    return *this;
}

ZipBuilder& ZipBuilder::utf8(bool on, const char* codec)
{
    m_utf8 = on;
    m_codec = codec;
    return *this;
}

QByteArray ZipBuilder::build() const
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    QuaZip zip(&buffer);
    if (!zip.open(QuaZip::mdCreate))
        return QByteArray();
    for (const Entry& e : m_entries) {
        // QuaZip takes its UTF-8 flag for a whole archive: names are written
        // in UTF-8 here and flagged one by one below.
        zip.setFileNameCodec(e.utf8 ? "UTF-8" : e.codec.constData());
        QuaZipFile file(&zip);
        QuaZipNewInfo info(e.name);
        if (!file.open(QIODevice::WriteOnly, info, nullptr, 0, e.deflate ? Z_DEFLATED : 0))
            return QByteArray();
        if (!e.folder)
            file.write(e.data);
        file.close();
    }
    zip.close();
    if (zip.getZipError() != 0)
        return QByteArray();
    for (const Entry& e : m_entries) {
        const int local = localHeader(bytes, e.name.toUtf8());
        const int central = centralHeader(bytes, e.name.toUtf8());
        if (!e.utf8 || local < 0 || central < 0)
            continue;
        constexpr quint16 utf8Flag = 0x800;
        const quint16 localFlags = read16(bytes, local + 6) | utf8Flag;
        const quint16 centralFlags = read16(bytes, central + 8) | utf8Flag;
        std::memcpy(bytes.data() + local + 6, &localFlags, 2);
        std::memcpy(bytes.data() + central + 8, &centralFlags, 2);
    }
    return bytes;
}

bool ZipBuilder::write(const QString& path) const
{
    const QByteArray bytes = build();
    return !bytes.isEmpty() && writeFile(path, bytes);
}

bool ZipBuilder::writeFile(const QString& path, const QByteArray& data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(data) == data.size();
}

bool ZipBuilder::setClaimedSize(QByteArray& zip, const QByteArray& name, quint32 size)
{
    const int local = localHeader(zip, name);
    const int central = centralHeader(zip, name);
    if (local < 0 || central < 0)
        return false;
    write32(zip, local + 22, size);
    write32(zip, central + 24, size);
    return true;
}

bool ZipBuilder::damageData(QByteArray& zip, const QByteArray& name, int count)
{
    const int local = localHeader(zip, name);
    const int central = centralHeader(zip, name);
    if (local < 0 || central < 0)
        return false;
    const int compressed = int(read32(zip, central + 20));
    const int dataStart = local + 30 + read16(zip, local + 26) + read16(zip, local + 28);
    if (compressed < count * 2)
        return false;
    const int from = dataStart + compressed / 2 - count / 2;
    for (int i = 0; i < count; ++i)
        zip[from + i] = char(0xFF);
    return true;
}
