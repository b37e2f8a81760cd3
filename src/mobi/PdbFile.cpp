#include "mobi/PdbFile.h"

#include "Limits.h"
#include "mobi/Bytes.h"

#include <QBuffer>
#include <QFile>
#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcMobi)

namespace mobi {

PdbFile::PdbFile() = default;
PdbFile::~PdbFile() = default;

bool PdbFile::open(const QString& path)
{
    auto file = std::make_unique<QFile>(path);
    m_unreadable = !file->open(QIODevice::ReadOnly);
    if (m_unreadable) {
        qCWarning(lcMobi) << "cannot open" << path << file->errorString();
        m_device.reset();
        return false;
    }
    m_device = std::move(file);
    return readHeader();
}

bool PdbFile::openData(const QByteArray& data)
{
    m_unreadable = false;
    auto buffer = std::make_unique<QBuffer>();
    buffer->setData(data);
    buffer->open(QIODevice::ReadOnly);
    m_device = std::move(buffer);
    return readHeader();
}

bool PdbFile::readHeader()
{
    m_size = m_device->size();
    m_offsets.clear();
    m_device->seek(0);
    const QByteArray header = m_device->read(headerSize);
    if (header.size() < headerSize) {
        qCWarning(lcMobi) << "not a Palm database: only" << header.size() << "bytes";
        m_device.reset();
        return false;
    }
    m_name = header.left(32);
    const int zero = m_name.indexOf('\0');
    if (zero >= 0)
        m_name.truncate(zero);
    m_type = header.mid(60, 4);
    m_creator = header.mid(64, 4);
    m_claimedCount = bytes::be16(header, 76);

    // Only the entries that are really in the file: a count of 0xFFFF in a
    // short file must not make us read (or allocate) beyond it.
    const qint64 fitting = (m_size - headerSize) / 8;
    const int count = int(qMin<qint64>(m_claimedCount, qMax<qint64>(0, fitting)));
    if (count < m_claimedCount)
        qCWarning(lcMobi) << "record list cut short:" << count << "of" << m_claimedCount << "entries";
    const QByteArray list = m_device->read(qint64(count) * 8);
    m_offsets.reserve(count);
    for (int i = 0; i < count; ++i)
        m_offsets << bytes::be32(list, qint64(i) * 8);
    return true;
}

qint64 PdbFile::recordStart(int index) const
{
    return m_offsets.at(index);
}

qint64 PdbFile::recordEnd(int index) const
{
    const qint64 end = index + 1 < m_offsets.size() ? qint64(m_offsets.at(index + 1)) : m_size;
    return qMin(end, m_size);
}

qint64 PdbFile::recordSize(int index) const
{
    if (!m_device || index < 0 || index >= m_offsets.size())
        return 0;
    const qint64 start = recordStart(index);
    const qint64 end = recordEnd(index);
    if (start >= m_size || end <= start)
        return 0;
    return qMin(end - start, Limits::maxEntrySize);
}

QByteArray PdbFile::record(int index) const
{
    const qint64 size = recordSize(index);
    if (size <= 0 || !m_device->seek(recordStart(index)))
        return QByteArray();
    return m_device->read(size);
}

QByteArray PdbFile::recordHead(int index, int bytes) const
{
    const qint64 size = qMin<qint64>(recordSize(index), bytes);
    if (size <= 0 || !m_device->seek(recordStart(index)))
        return QByteArray();
    return m_device->read(size);
}

} // namespace mobi
