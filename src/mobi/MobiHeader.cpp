#include "mobi/MobiHeader.h"

#include "mobi/Bytes.h"

#include <QLoggingCategory>
#include <QTextCodec>

Q_DECLARE_LOGGING_CATEGORY(lcMobi)

namespace mobi {

namespace {
constexpr int kPalmDocHeaderSize = 16;
constexpr quint32 kExthFlag = 0x40;
constexpr quint32 kUtf8 = 65001;
constexpr quint32 kCp1252 = 1252;
} // namespace

bool MobiHeader::parse(const QByteArray& record0, bool plainPalmDoc)
{
    m_record = record0;
    m_plain = plainPalmDoc;
    m_mobiLength = 0;
    m_exth.clear();
    m_exthFound = false;
    if (record0.size() < kPalmDocHeaderSize)
        return false;
    if (plainPalmDoc)
        return true;
    if (record0.mid(16, 4) != "MOBI")
        return false;
    // The header length is the file's claim: never beyond the record.
    m_mobiLength = qMin<quint32>(bytes::be32(record0, 20), quint32(record0.size() - kPalmDocHeaderSize));
    if (encoding() != kUtf8 && encoding() != kCp1252)
        qCWarning(lcMobi) << "unknown text encoding" << encoding() << "- reading it as Windows-1252";
    if (field(128, 0) & kExthFlag)
        parseExth();
    return true;
}

quint32 MobiHeader::field(int offset, quint32 fallback) const
{
    if (qint64(offset) + 4 > qint64(kPalmDocHeaderSize) + m_mobiLength)
        return fallback;
    return bytes::be32(m_record, offset, fallback);
}

void MobiHeader::parseExth()
{
    const qint64 start = qint64(kPalmDocHeaderSize) + m_mobiLength;
    if (m_record.mid(int(start), 4) != "EXTH") {
        qCWarning(lcMobi) << "EXTH flagged but missing";
        return;
    }
    m_exthFound = true;
    const quint32 count = bytes::be32(m_record, start + 8);
    qint64 pos = start + 12;
    for (quint32 i = 0; i < count; ++i) {
        const quint32 type = bytes::be32(m_record, pos, 0);
        const quint32 length = bytes::be32(m_record, pos + 4, 0);
        // A length that does not cover its own 8-byte header, or that runs
        // past the record, ends the block: what was read so far stays.
        if (length < 8 || !bytes::fits(m_record, pos, length)) {
            qCWarning(lcMobi) << "EXTH record" << i << "of" << count << "is damaged; the rest is ignored";
            break;
        }
        m_exth.append({type, m_record.mid(int(pos + 8), int(length - 8))});
        pos += length;
    }
}

int MobiHeader::compressionCode() const
{
    return bytes::be16(m_record, 0);
}

int MobiHeader::compression() const
{
    const int code = compressionCode();
    return code == PalmDoc || code == HuffCdic ? code : int(NoCompression);
}

QString MobiHeader::compressionName() const
{
    switch (compressionCode()) {
    case NoCompression:
        return QStringLiteral("None");
    case PalmDoc:
        return QStringLiteral("PalmDOC");
    case HuffCdic:
        return QStringLiteral("HUFF/CDIC");
    default:
        return QStringLiteral("Unknown (%1)").arg(compressionCode());
    }
}

quint32 MobiHeader::textLength() const
{
    return bytes::be32(m_record, 4);
}

int MobiHeader::textRecordCount() const
{
    return bytes::be16(m_record, 8);
}

int MobiHeader::textRecordSize() const
{
    return bytes::be16(m_record, 10);
}

bool MobiHeader::isProtected() const
{
    // In a plain PalmDOC book these bytes are the reading position instead.
    return !m_plain && bytes::be16(m_record, 12) != 0;
}

quint32 MobiHeader::bookType() const
{
    return field(24, 0);
}

QString MobiHeader::bookTypeName() const
{
    switch (bookType()) {
    case 2:
        return QStringLiteral("Mobipocket Book");
    case 3:
        return QStringLiteral("PalmDoc Book");
    case 4:
        return QStringLiteral("Audio");
    case 257:
        return QStringLiteral("News");
    case 258:
        return QStringLiteral("News Feed");
    case 259:
        return QStringLiteral("News Magazine");
    case 513:
        return QStringLiteral("PICS");
    case 514:
        return QStringLiteral("WORD");
    case 515:
        return QStringLiteral("XLS");
    case 516:
        return QStringLiteral("PPT");
    case 517:
        return QStringLiteral("TEXT");
    case 518:
        return QStringLiteral("HTML");
    default:
        return QStringLiteral("Unknown (%1)").arg(bookType());
    }
}

quint32 MobiHeader::encoding() const
{
    return field(28, 0);
}

QByteArray MobiHeader::codecName() const
{
    return encoding() == kUtf8 ? QByteArrayLiteral("UTF-8") : QByteArrayLiteral("windows-1252");
}

quint32 MobiHeader::fileVersion() const
{
    return field(36, 0);
}

quint32 MobiHeader::firstNonBookIndex() const
{
    return field(80);
}

quint32 MobiHeader::firstImageIndex() const
{
    return field(108);
}

quint32 MobiHeader::huffRecordOffset() const
{
    return field(112, 0);
}

quint32 MobiHeader::huffRecordCount() const
{
    return field(116, 0);
}

quint16 MobiHeader::extraDataFlags() const
{
    // Only headers of version 5 and later that reach the field carry it;
    // older files keep other data there.
    if (fileVersion() < 5 || m_mobiLength < 0xE4)
        return 0;
    return quint16(field(240, 0) & 0xFFFF);
}

quint32 MobiHeader::ncxIndex() const
{
    return field(244);
}

quint32 MobiHeader::fdstIndex() const
{
    return fileVersion() >= 8 ? field(192) : noIndex;
}

quint32 MobiHeader::fragmentIndex() const
{
    return fileVersion() >= 8 ? field(248) : noIndex;
}

quint32 MobiHeader::skeletonIndex() const
{
    return fileVersion() >= 8 ? field(252) : noIndex;
}

QString MobiHeader::fullName() const
{
    if (!hasMobiHeader())
        return QString();
    qint64 offset = field(84, 0);
    qint64 length = field(88, 0);
    while (length > 0 && bytes::u8(m_record, offset, 1) == 0) {
        ++offset;
        --length;
    }
    QByteArray name = bytes::slice(m_record, offset, length);
    const int zero = name.indexOf('\0');
    if (zero >= 0)
        name.truncate(zero);
    return decode(name).trimmed();
}

QList<QByteArray> MobiHeader::exth(quint32 type) const
{
    QList<QByteArray> result;
    for (const auto& record : m_exth) {
        if (record.first == type)
            result << record.second;
    }
    return result;
}

quint32 MobiHeader::exthNumber(quint32 type, quint32 fallback) const
{
    for (const auto& record : m_exth) {
        if (record.first == type)
            return record.second.size() == 4 ? bytes::be32(record.second, 0) : fallback;
    }
    return fallback;
}

QStringList MobiHeader::exthTexts(quint32 type) const
{
    QStringList result;
    for (const QByteArray& data : exth(type)) {
        const QString text = decode(data).trimmed();
        if (!text.isEmpty())
            result << text;
    }
    return result;
}

QString MobiHeader::decode(const QByteArray& bytes) const
{
    QTextCodec* codec = QTextCodec::codecForName(codecName());
    return codec ? codec->toUnicode(bytes) : QString::fromLatin1(bytes);
}

} // namespace mobi
