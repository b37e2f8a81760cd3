#include "MappedZip.h"

#include <quazip/quazip.h>

#include <limits>

MappedZip::MappedZip(const QString& path) : m_file(path)
{
    if (m_file.open(QIODevice::ReadOnly) && m_file.size() > 0 &&
        m_file.size() <= std::numeric_limits<int>::max()) {
        if (const uchar* map = m_file.map(0, m_file.size())) {
            // No copy: the bytes stay the mapping's (a read-only buffer
            // never detaches them).
            m_data = QByteArray::fromRawData(reinterpret_cast<const char*>(map), int(m_file.size()));
            m_buffer.setBuffer(&m_data);
            m_zip.reset(new QuaZip(&m_buffer));
            return;
        }
    }
    m_file.close();
    m_zip.reset(new QuaZip(path));
}

MappedZip::~MappedZip()
{
    m_zip.reset();
    m_buffer.close();
}
