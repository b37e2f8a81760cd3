#include "RawZipBuilder.h"

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipnewinfo.h>

#include <zlib.h>

RawZipBuilder& RawZipBuilder::entry(const QString& name, const QByteArray& data)
{
    Item item;
    item.name = name;
    item.data = data;
    m_items << item;
    return *this;
}

RawZipBuilder& RawZipBuilder::rawEntry(const QString& name, const QByteArray& stored, qint64 claimedSize,
                                       quint32 crc, int method)
{
    Item item;
    item.name = name;
    item.data = stored;
    item.raw = true;
    item.claimedSize = claimedSize;
    item.crc = crc;
    item.method = method;
    m_items << item;
    return *this;
}

bool RawZipBuilder::write(const QString& path) const
{
    QuaZip zip(path);
    if (!zip.open(QuaZip::mdCreate))
        return false;
    for (const Item& item : m_items) {
        QuaZipNewInfo info(item.name);
        QuaZipFile file(&zip);
        bool opened = false;
        if (item.raw) {
            zip.setZip64Enabled(item.claimedSize >= 0xFFFFFFFFLL);
            info.uncompressedSize = ulong(item.claimedSize);
            opened = file.open(QIODevice::WriteOnly, info, nullptr, item.crc, item.method,
                               item.method == 0 ? 0 : Z_DEFAULT_COMPRESSION, true);
        } else {
            zip.setZip64Enabled(false);
            opened = file.open(QIODevice::WriteOnly, info);
        }
        if (!opened || file.write(item.data) != item.data.size())
            return false;
        file.close();
        if (file.getZipError() != ZIP_OK)
            return false;
    }
    zip.close();
    return zip.getZipError() == ZIP_OK;
}

QByteArray RawZipBuilder::deflate(const QByteArray& data)
{
    z_stream stream{};
    if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return QByteArray();
    QByteArray out(int(deflateBound(&stream, uLong(data.size()))), Qt::Uninitialized);
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
    stream.avail_in = uInt(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = uInt(out.size());
    ::deflate(&stream, Z_FINISH);
    out.resize(int(stream.total_out));
    deflateEnd(&stream);
    return out;
}

quint32 RawZipBuilder::crc32(const QByteArray& data)
{
    return quint32(::crc32(0, reinterpret_cast<const Bytef*>(data.constData()), uInt(data.size())));
}
