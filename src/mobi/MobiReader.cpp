#include "mobi/MobiReader.h"

#include "Limits.h"
#include "SafeImage.h"
#include "mobi/Bytes.h"
#include "mobi/HuffCdic.h"
#include "mobi/Kf8Layout.h"
#include "mobi/MobiIndex.h"
#include "mobi/PalmDoc.h"

#include <QBuffer>
#include <QByteArrayMatcher>
#include <QImageReader>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcMobi, "lanternleaf.mobi", QtWarningMsg)

namespace mobi {

namespace {
constexpr quint32 kExthAuthor = 100;
constexpr quint32 kExthPublisher = 101;
constexpr quint32 kExthDescription = 103;
constexpr quint32 kExthIsbn = 104;
constexpr quint32 kExthSubject = 105;
constexpr quint32 kExthContributor = 108;
constexpr quint32 kExthRights = 109;
constexpr quint32 kExthAsin = 113;
constexpr quint32 kExthKf8Boundary = 121;
constexpr quint32 kExthFixedLayout = 122;
constexpr quint32 kExthCoverOffset = 201;
constexpr quint32 kExthUpdatedTitle = 503;

// NCX index tags.
constexpr int kTagPosition = 1;
constexpr int kTagLabel = 3;
constexpr int kTagParent = 21;
constexpr int kTagPosFid = 6;
} // namespace

bool MobiReader::fail(Error error, const QString& reason)
{
    m_error = error;
    m_errorString = reason;
    qCWarning(lcMobi).noquote() << reason;
    return false;
}

bool MobiReader::open(const QString& path)
{
    m_error = NoError;
    m_firstImage = -2;
    if (!m_pdb.open(path)) {
        if (m_pdb.unreadable())
            return fail(CannotRead, QStringLiteral("cannot read %1").arg(path));
        return fail(NotMobi, QStringLiteral("%1 is too short for a Palm database").arg(path));
    }
    return readRecord0();
}

bool MobiReader::openData(const QByteArray& data)
{
    m_error = NoError;
    m_firstImage = -2;
    if (!m_pdb.openData(data))
        return fail(NotMobi, QStringLiteral("too short for a Palm database"));
    return readRecord0();
}

bool MobiReader::readRecord0()
{
    const QByteArray kind = m_pdb.type() + m_pdb.creator();
    m_plain = kind == "TEXtREAd";
    if (kind != "BOOKMOBI" && !m_plain)
        return fail(NotMobi, QStringLiteral("not a Mobipocket or PalmDOC book (type %1)")
                                 .arg(QString::fromLatin1(kind.toHex())));
    if (!m_header.parse(m_pdb.record(0), m_plain))
        return fail(NotMobi, QStringLiteral("record 0 is missing or has no MOBI header"));
    return true;
}

bool MobiReader::isKf8() const
{
    return m_header.fileVersion() >= 8;
}

bool MobiReader::isTextComplete() const
{
    const int count = m_header.textRecordCount();
    if (count >= m_pdb.recordCount())
        return false;
    // The record after the text must begin inside the file too, or the last
    // text record was cut.
    const int last = qMin(count + 1, m_pdb.recordCount() - 1);
    for (int i = 1; i <= last; ++i) {
        if (m_pdb.recordSize(i) <= 0)
            return false;
    }
    return true;
}

QString MobiReader::title() const
{
    if (m_plain)
        return m_header.decode(m_pdb.name()).trimmed();
    const QString name = m_header.fullName();
    if (!name.isEmpty())
        return name;
    return m_header.exthTexts(kExthUpdatedTitle).value(0);
}

QString MobiReader::author() const
{
    return m_header.exthTexts(kExthAuthor).join(QStringLiteral(", "));
}

QMap<int, QString> MobiReader::metadata() const
{
    const QChar space(QLatin1Char(' '));
    QStringList identifier = m_header.exthTexts(kExthIsbn);
    if (identifier.isEmpty())
        identifier = m_header.exthTexts(kExthAsin);
    const QList<QPair<int, QString>> values = {
        {0, identifier.value(0)},
        {1, title()},
        {2, m_header.exthTexts(kExthAuthor).join(space)},
        {3, m_header.exthTexts(kExthContributor).join(space)},
        {4, m_header.exthTexts(kExthSubject).join(space)},
        {5, m_header.exthTexts(kExthPublisher).join(space)},
        {6, m_header.exthTexts(kExthDescription).join(space)},
        {7, m_header.hasMobiHeader() ? m_header.bookTypeName() : QString()},
        {11, m_header.exthTexts(kExthRights).join(space)},
    };
    QMap<int, QString> result;
    for (const auto& v : values) {
        if (!v.second.isEmpty())
            result.insert(v.first, v.second);
    }
    return result;
}

bool MobiReader::recordIsImage(int index) const
{
    QByteArray head = m_pdb.recordHead(index, 64);
    QBuffer buffer(&head);
    buffer.open(QIODevice::ReadOnly);
    return !QImageReader::imageFormat(&buffer).isEmpty();
}

int MobiReader::firstImageRecord() const
{
    if (m_firstImage != -2)
        return m_firstImage;
    m_firstImage = -1;
    const int count = m_pdb.recordCount();
    const quint32 fromHeader = m_header.firstImageIndex();
    if (fromHeader > 0 && fromHeader < quint32(count)) {
        m_firstImage = int(fromHeader);
        return m_firstImage;
    }
    // No usable header field: the first image after the text.
    const quint32 nonBook = m_header.firstNonBookIndex();
    int from = nonBook > 0 && nonBook < quint32(count) ? int(nonBook) : m_header.textRecordCount() + 1;
    for (int i = qMax(1, from); i < count; ++i) {
        if (recordIsImage(i)) {
            m_firstImage = i;
            break;
        }
    }
    return m_firstImage;
}

int MobiReader::imageCount() const
{
    const int first = firstImageRecord();
    return first < 0 ? 0 : m_pdb.recordCount() - first;
}

QByteArray MobiReader::imageData(int number) const
{
    if (number < 1 || number > imageCount())
        return QByteArray();
    return m_pdb.record(firstImageRecord() + number - 1);
}

QImage MobiReader::image(int number) const
{
    const QByteArray data = imageData(number);
    if (data.isEmpty())
        return QImage();
    QString reason;
    const QImage result = SafeImage::decode(data, &reason);
    if (result.isNull())
        qCDebug(lcMobi) << "image" << number << "not shown:" << reason;
    return result;
}

int MobiReader::coverNumber() const
{
    const quint32 offset = m_header.exthNumber(kExthCoverOffset);
    if (offset != MobiHeader::noIndex && offset < quint32(imageCount()))
        return int(offset) + 1;
    return 1;
}

QImage MobiReader::cover() const
{
    return image(coverNumber());
}

int MobiReader::trailingEntriesSize(const QByteArray& record, quint16 flags)
{
    const qint64 size = record.size();
    qint64 trailing = 0;
    for (int bit = 1; bit < 16; ++bit) {
        if (!(flags & (1 << bit)))
            continue;
        // A size written backwards from the end: 7 bits per byte, the byte
        // with the high bit set is the last one read.
        qint64 pos = size - trailing;
        quint32 value = 0;
        int shift = 0;
        while (pos > 0 && shift < 28) {
            const quint8 b = quint8(record.at(int(--pos)));
            value |= quint32(b & 0x7F) << shift;
            shift += 7;
            if (b & 0x80)
                break;
        }
        trailing += value;
        if (trailing >= size)
            return int(size);
    }
    if ((flags & 1) && trailing < size)
        trailing += (quint8(record.at(int(size - trailing - 1))) & 3) + 1;
    return int(qMin(trailing, size));
}

QByteArray MobiReader::text()
{
    return decode(-1, nullptr);
}

QByteArray MobiReader::decode(qint64 upTo, bool* whole)
{
    QByteArray result;
    if (whole)
        *whole = false;
    if (!m_pdb.isOpen() || m_error == CannotRead || m_error == NotMobi)
        return result;
    if (isProtected()) {
        fail(Protected, QStringLiteral("the book is protected (DRM)"));
        return result;
    }
    // An unknown code would otherwise be read as uncompressed text and shown
    // as garbage.
    if (!isCompressionSupported()) {
        fail(Unsupported, QStringLiteral("unknown text compression %1").arg(m_header.compressionCode()));
        return result;
    }
    // Showing the part that is there would pass half a book off as the
    // whole one.
    if (!isTextComplete()) {
        fail(NoText, QStringLiteral("the file is cut short: text records are missing"));
        return result;
    }
    const int compression = m_header.compression();
    HuffCdic huff;
    if (compression == MobiHeader::HuffCdic) {
        const qint64 first = m_header.huffRecordOffset();
        const qint64 count = m_header.huffRecordCount();
        QList<QByteArray> cdics;
        for (qint64 i = first + 1; i < first + count && i < m_pdb.recordCount(); ++i)
            cdics << m_pdb.record(int(i));
        if (first <= 0 || first >= m_pdb.recordCount() || !huff.load(m_pdb.record(int(first)), cdics)) {
            fail(NoText, QStringLiteral("the HUFF/CDIC dictionary is missing or damaged"));
            return result;
        }
    }
    // The PalmDOC count, not the first non-book index: the records between
    // them are padding, not text.
    const int last = qMin(m_header.textRecordCount(), m_pdb.recordCount() - 1);
    const quint16 flags = m_plain ? 0 : m_header.extraDataFlags();
    const qint64 expected = qMin<qint64>(m_header.textLength(), 16 * 1024 * 1024);
    result.reserve(int(upTo >= 0 ? qMin(expected, upTo + Limits::maxTextRecordSize) : expected));
    int i = 1;
    for (; i <= last && (upTo < 0 || result.size() < upTo); ++i) {
        QByteArray data = m_pdb.record(i);
        data.chop(trailingEntriesSize(data, flags));
        switch (compression) {
        case MobiHeader::PalmDoc:
            data = PalmDoc::decompress(data, Limits::maxTextRecordSize);
            break;
        case MobiHeader::HuffCdic:
            data = huff.decompress(data, Limits::maxTextRecordSize);
            break;
        default:
            data.truncate(Limits::maxTextRecordSize);
            break;
        }
        if (result.size() + qint64(data.size()) > Limits::maxBookTextSize) {
            qCWarning(lcMobi) << "text longer than" << Limits::maxBookTextSize
                              << "bytes; the rest is left out";
            break;
        }
        result.append(data);
    }
    if (whole)
        *whole = i > last;
    if (result.isEmpty())
        fail(NoText, QStringLiteral("no text could be decoded"));
    return result;
}

MobiContent MobiReader::openingContent(qint64 bytes, double* share)
{
    static const QByteArrayMatcher pageBreak("<mbp:pagebreak");
    // A plain PalmDOC book is a single chapter: nothing to cut it at.
    if (m_plain || bytes <= 0)
        return MobiContent();
    MobiContent content;
    content.codec = m_header.codecName();
    // The opening ends where a chapter ends, so its chapters are the whole
    // book's first ones: the last page break (KF8: file) in the first
    // `bytes`, else the first in the next few times as much.
    for (qint64 size = bytes; size <= 4 * bytes; size *= 4) {
        bool whole = false;
        const QByteArray text = decode(size, &whole);
        if (text.isEmpty() || whole)
            return MobiContent();
        qint64 end = 0;
        if (isKf8()) {
            readKf8(text, content, true);
            if (!content.parts.isEmpty())
                end = content.parts.last().start + content.parts.last().bytes.size();
        } else {
            // Page breaks are written in lower case by every tool seen; one
            // in upper case is merely not used as a cut.
            for (int at = pageBreak.indexIn(text, 1); at >= 0; at = pageBreak.indexIn(text, at + 1)) {
                if (at <= bytes || end == 0)
                    end = at;
                if (at > bytes)
                    break;
            }
            // Its text is what lies inside <body> as in the whole book: the
            // body starts before the cut and does not end before it.
            const QByteArray lower = text.left(int(end)).toLower();
            if (end > 0 && lower.contains("<body") && !lower.contains("</body"))
                content.parts = {{text.left(int(end)), 0}};
            else
                end = 0;
        }
        if (end > 0) {
            readToc(content, true);
            if (share)
                *share = qBound(0.0, double(end) / qMax<double>(1.0, m_header.textLength()), 1.0);
            return content;
        }
        content.parts.clear();
        content.fragmentStarts.clear();
    }
    return MobiContent();
}

MobiContent MobiReader::content()
{
    MobiContent content;
    content.codec = m_plain ? QByteArrayLiteral("windows-1252") : m_header.codecName();
    content.plainText = m_plain;
    const QByteArray all = text();
    if (all.isEmpty())
        return content;
    if (isKf8()) {
        readKf8(all, content, false);
    } else {
        content.parts.append({all, 0});
        if (!m_plain && m_header.exthNumber(kExthKf8Boundary) != MobiHeader::noIndex)
            qCInfo(lcMobi) << "joint MOBI 6 and KF8 file: reading the MOBI 6 part";
    }
    if (!m_plain)
        readToc(content, false);
    return content;
}

void MobiReader::readKf8(const QByteArray& text, MobiContent& content, bool opening) const
{
    content.kf8 = true;
    const auto record = [this](int i) { return m_pdb.record(i); };
    const QByteArray fdst = m_header.fdstIndex() < quint32(m_pdb.recordCount())
                                ? m_pdb.record(int(m_header.fdstIndex()))
                                : QByteArray();
    const auto flows = Kf8Layout::flows(text, fdst);
    const QByteArray markup =
        text.mid(int(flows.first().first), int(flows.first().second - flows.first().first));

    MobiIndex skeletons;
    MobiIndex fragments;
    if (m_header.skeletonIndex() < quint32(m_pdb.recordCount()))
        skeletons.read(int(m_header.skeletonIndex()), record);
    if (m_header.fragmentIndex() < quint32(m_pdb.recordCount()))
        fragments.read(int(m_header.fragmentIndex()), record);
    Kf8Layout::assemble(markup, skeletons.entries(), fragments.entries(), content, opening);
    if (opening)
        return;

    // Say what this reader leaves out of a KF8 book.
    QStringList leftOut;
    if (flows.size() > 1)
        leftOut << QStringLiteral("%1 style sheet or SVG flow(s)").arg(flows.size() - 1);
    int fonts = 0;
    for (int i = qMax(1, firstImageRecord()); i < m_pdb.recordCount(); ++i) {
        if (m_pdb.recordHead(i, 4) == "FONT")
            ++fonts;
    }
    if (fonts > 0)
        leftOut << QStringLiteral("%1 embedded font(s)").arg(fonts);
    if (m_header.exthTexts(kExthFixedLayout).value(0) == QLatin1String("true"))
        leftOut << QStringLiteral("the fixed layout");
    if (!leftOut.isEmpty())
        qCInfo(lcMobi).noquote() << "KF8 book shown as text without" << leftOut.join(QStringLiteral(", "));
}

void MobiReader::readToc(MobiContent& content, bool opening) const
{
    const quint32 ncx = m_header.ncxIndex();
    if (ncx == MobiHeader::noIndex || ncx == 0 || ncx >= quint32(m_pdb.recordCount()))
        return;
    MobiIndex index;
    if (!index.read(int(ncx), [this](int i) { return m_pdb.record(i); }))
        return;
    const QList<MobiIndex::Entry>& entries = index.entries();
    for (const MobiIndex::Entry& e : entries) {
        MobiContent::TocEntry entry;
        bool beyond = false;
        entry.title = m_header.decode(index.string(e.value(kTagLabel))).simplified();
        if (content.kf8 && e.has(kTagPosFid)) {
            const quint32 fid = e.value(kTagPosFid, 0);
            const quint32 offset = e.value(kTagPosFid, 1, 0);
            if (fid < quint32(content.fragmentStarts.size()))
                entry.position = content.fragmentStarts.at(int(fid)) + offset;
            else
                beyond = opening;
        }
        // An opening's fragments are not all known: an entry pointing past
        // them has no place yet (its raw position is not a place at all).
        if (entry.position < 0 && !beyond && e.has(kTagPosition))
            entry.position = e.value(kTagPosition);
        const quint32 parent = e.value(kTagParent);
        // Parents come before their children; anything else is damage.
        entry.parent = parent < quint32(content.toc.size()) ? int(parent) : -1;
        content.toc << entry;
    }
}

} // namespace mobi
