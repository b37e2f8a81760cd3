#include "util/MobiBuilder.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QPainter>

#include <algorithm>

namespace {
constexpr quint32 kNone = 0xFFFFFFFF;
constexpr int kMobiHeaderLength = 232;
constexpr int kKf8HeaderLength = 264;

QByteArray forwardVarint(quint32 value)
{
    QByteArray out;
    out.prepend(char((value & 0x7F) | 0x80));
    value >>= 7;
    while (value) {
        out.prepend(char(value & 0x7F));
        value >>= 7;
    }
    return out;
}

// A size read backwards from the end of a record: the first byte carries the
// stop bit, the last the lowest 7 bits.
QByteArray backwardVarint(quint32 value)
{
    QByteArray out;
    do {
        out.prepend(char(value & 0x7F));
        value >>= 7;
    } while (value);
    out[0] = char(out.at(0) | 0x80);
    return out;
}
} // namespace

MobiBuilder& MobiBuilder::text(const QByteArray& bytes)
{
    m_text = bytes;
    return *this;
}

MobiBuilder& MobiBuilder::kf8Files(const QList<Kf8File>& files, const QByteArray& css)
{
    m_kf8 = files;
    m_css = css;
    m_isKf8 = true;
    return *this;
}

MobiBuilder& MobiBuilder::compression(int code)
{
    m_compression = code;
    return *this;
}

MobiBuilder& MobiBuilder::encoding(quint32 codepage)
{
    m_encoding = codepage;
    return *this;
}

MobiBuilder& MobiBuilder::title(const QByteArray& fullName)
{
    m_title = fullName;
    return *this;
}

MobiBuilder& MobiBuilder::exth(quint32 type, const QByteArray& data)
{
    m_exth.append({type, data});
    return *this;
}

MobiBuilder& MobiBuilder::exthNumber(quint32 type, quint32 value)
{
    return exth(type, be32(value));
}

MobiBuilder& MobiBuilder::extraFlags(quint16 flags)
{
    m_flags = flags;
    return *this;
}

MobiBuilder& MobiBuilder::recordSize(int size)
{
    m_recordSize = size;
    return *this;
}

MobiBuilder& MobiBuilder::image(const QImage& image)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    m_images << png;
    return *this;
}

MobiBuilder& MobiBuilder::otherRecord(const QByteArray& data)
{
    m_others << data;
    return *this;
}

MobiBuilder& MobiBuilder::ncx(const QList<NcxEntry>& entries)
{
    m_ncx = entries;
    return *this;
}

MobiBuilder& MobiBuilder::encryption(quint16 type)
{
    m_encryption = type;
    return *this;
}

MobiBuilder& MobiBuilder::plainPalmDoc()
{
    m_plain = true;
    return *this;
}

MobiBuilder& MobiBuilder::huffPhrases(const QList<DictionaryEntry>& phrases)
{
    m_phrases = phrases;
    return *this;
}

MobiBuilder& MobiBuilder::noImageIndex()
{
    m_imageIndex = false;
    return *this;
}

// --- pieces ---

QByteArray MobiBuilder::be32(quint32 value)
{
    QByteArray out(4, '\0');
    put32(out, 0, value);
    return out;
}

QByteArray MobiBuilder::be16(quint16 value)
{
    QByteArray out(2, '\0');
    put16(out, 0, value);
    return out;
}

void MobiBuilder::put32(QByteArray& data, int offset, quint32 value)
{
    for (int k = 0; k < 4; ++k)
        data[offset + k] = char((value >> (24 - 8 * k)) & 0xFF);
}

void MobiBuilder::put16(QByteArray& data, int offset, quint16 value)
{
    data[offset] = char(value >> 8);
    data[offset + 1] = char(value & 0xFF);
}

QImage MobiBuilder::makeImage(int width, int height, const QColor& color)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(color);
    QPainter painter(&image);
    painter.fillRect(0, 0, width / 2, height / 2, Qt::black);
    return image;
}

QByteArray MobiBuilder::palmDocCompress(const QByteArray& data)
{
    QByteArray out;
    const auto* in = reinterpret_cast<const uchar*>(data.constData());
    const int n = data.size();
    QHash<quint32, int> seen; // last position of each 3-byte sequence
    const auto key = [&](int i) { return (quint32(in[i]) << 16) | (quint32(in[i + 1]) << 8) | in[i + 2]; };
    int i = 0;
    while (i < n) {
        int bestLength = 0;
        int bestDistance = 0;
        if (i + 3 <= n) {
            const auto it = seen.constFind(key(i));
            if (it != seen.constEnd() && i - *it <= 2047) {
                int length = 0;
                while (length < 10 && i + length < n && in[*it + length] == in[i + length])
                    ++length;
                if (length >= 3) {
                    bestLength = length;
                    bestDistance = i - *it;
                }
            }
        }
        const int from = i;
        if (bestLength) {
            const int v = 0x8000 | (bestDistance << 3) | (bestLength - 3);
            out.append(char(v >> 8)).append(char(v & 0xFF));
            i += bestLength;
        } else if (in[i] == ' ' && i + 1 < n && in[i + 1] >= 0x40 && in[i + 1] <= 0x7F) {
            out.append(char(in[i + 1] ^ 0x80));
            i += 2;
        } else if (in[i] >= 0x80 || (in[i] >= 0x01 && in[i] <= 0x08)) {
            int run = 0;
            while (run < 8 && i + run < n &&
                   (in[i + run] >= 0x80 || (in[i + run] >= 0x01 && in[i + run] <= 0x08)))
                ++run;
            out.append(char(run)).append(data.mid(i, run));
            i += run;
        } else {
            out.append(char(in[i]));
            ++i;
        }
        for (int k = from; k < i && k + 3 <= n; ++k)
            seen.insert(key(k), k);
    }
    return out;
}

QByteArray MobiBuilder::huffRecord()
{
    QByteArray out = "HUFF" + be32(24) + be32(24) + be32(24 + 1024);
    out += be32(0) + be32(0);
    // Every top byte: a terminal 9-bit code whose maximum value is 511, so
    // code c gives entry 511 - c.
    for (int i = 0; i < 256; ++i)
        out += be32((511u << 8) | 0x80 | 9);
    for (int i = 0; i < 64; ++i)
        out += be32(0);
    return out;
}

QList<QByteArray> MobiBuilder::cdicRecords(const QList<DictionaryEntry>& entries)
{
    QList<QByteArray> records;
    const int total = entries.size();
    for (int first = 0; first < total; first += 256) {
        const int count = qMin(256, total - first);
        QByteArray offsets;
        QByteArray body;
        for (int k = 0; k < count; ++k) {
            const DictionaryEntry& e = entries.at(first + k);
            offsets += be16(quint16(count * 2 + body.size()));
            body += be16(quint16(e.bytes.size() | (e.literal ? 0x8000 : 0))) + e.bytes;
        }
        records << "CDIC" + be32(16) + be32(quint32(total)) + be32(8) + offsets + body;
    }
    return records;
}

QByteArray MobiBuilder::huffEncode(const QList<int>& indexes)
{
    QByteArray out;
    quint32 buffer = 0;
    int bits = 0;
    for (int index : indexes) {
        buffer = (buffer << 9) | quint32(511 - index);
        bits += 9;
        while (bits >= 8) {
            out.append(char((buffer >> (bits - 8)) & 0xFF));
            bits -= 8;
        }
    }
    if (bits > 0)
        out.append(char((buffer << (8 - bits)) & 0xFF));
    return out;
}

QList<int> MobiBuilder::huffIndexes(const QByteArray& data, const QList<DictionaryEntry>& phrases)
{
    QList<int> order;
    for (int k = 0; k < phrases.size(); ++k)
        order << k;
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return phrases.at(a).bytes.size() > phrases.at(b).bytes.size(); });
    QList<int> indexes;
    int i = 0;
    while (i < data.size()) {
        bool matched = false;
        for (int k : qAsConst(order)) {
            const QByteArray& p = phrases.at(k).bytes;
            if (!p.isEmpty() && data.mid(i, p.size()) == p) {
                indexes << 256 + k;
                i += p.size();
                matched = true;
                break;
            }
        }
        if (!matched)
            indexes << quint8(data.at(i++));
    }
    return indexes;
}

QList<MobiBuilder::DictionaryEntry> MobiBuilder::dictionary(const QList<DictionaryEntry>& phrases)
{
    QList<DictionaryEntry> entries;
    for (int b = 0; b < 256; ++b)
        entries << DictionaryEntry{QByteArray(1, char(b)), true};
    for (const DictionaryEntry& p : phrases)
        entries << (p.literal ? p : DictionaryEntry{huffEncode(huffIndexes(p.bytes, {})), false});
    return entries;
}

QList<quint32> MobiBuilder::cncxOffsets(const QList<QByteArray>& strings)
{
    QList<quint32> offsets;
    quint32 pos = 0;
    for (const QByteArray& s : strings) {
        offsets << pos;
        pos += quint32(forwardVarint(quint32(s.size())).size() + s.size());
    }
    return offsets;
}

QList<QByteArray> MobiBuilder::indexRecords(const QList<IndexTag>& tags, const QList<IndexEntry>& entries,
                                            const QList<QByteArray>& strings)
{
    const auto header = [](quint32 idxt, quint32 count, quint32 total, quint32 cncx) {
        QByteArray h(192, '\0');
        h.replace(0, 4, "INDX");
        put32(h, 4, 192);
        put32(h, 20, idxt);
        put32(h, 24, count);
        put32(h, 28, 65001);
        put32(h, 32, kNone);
        put32(h, 36, total);
        put32(h, 52, cncx);
        put32(h, 180, 192);
        return h;
    };
    QByteArray tagx = "TAGX" + be32(quint32(12 + 4 * (tags.size() + 1))) + be32(1);
    for (int i = 0; i < tags.size(); ++i)
        tagx.append(char(tags.at(i).tag))
            .append(char(tags.at(i).valuesPerEntry))
            .append(char(1 << i))
            .append('\0');
    tagx.append(QByteArray("\0\0\0\1", 4));
    const QByteArray first = header(0, 1, quint32(entries.size()), strings.isEmpty() ? 0 : 1) + tagx;

    QByteArray body;
    QList<int> starts;
    for (const IndexEntry& e : entries) {
        starts << 192 + body.size();
        QByteArray rec = char(e.label.size()) + e.label;
        quint8 control = 0;
        QByteArray values;
        for (int i = 0; i < tags.size(); ++i) {
            const auto it = e.values.constFind(tags.at(i).tag);
            if (it == e.values.constEnd())
                continue;
            control |= quint8(1 << i);
            for (quint32 v : *it)
                values += forwardVarint(v);
        }
        rec += char(control) + values;
        body += rec;
    }
    const quint32 idxt = quint32(192 + body.size());
    QByteArray data = header(idxt, quint32(entries.size()), 0, 0) + body + "IDXT";
    for (int s : qAsConst(starts))
        data += be16(quint16(s));
    QList<QByteArray> records{first, data};
    if (!strings.isEmpty()) {
        QByteArray cncx;
        for (const QByteArray& s : strings)
            cncx += forwardVarint(quint32(s.size())) + s;
        records << cncx;
    }
    return records;
}

QByteArray MobiBuilder::pdb(const QByteArray& typeCreator, const QList<QByteArray>& records,
                            const QByteArray& name)
{
    QByteArray header(78, '\0');
    header.replace(0, qMin(31, name.size()), name.left(31));
    header.replace(60, 8, typeCreator.left(8));
    put16(header, 76, quint16(records.size()));
    QByteArray list;
    quint32 offset = quint32(78 + 8 * records.size() + 2);
    for (int i = 0; i < records.size(); ++i) {
        list += be32(offset) + be32(quint32(2 * i));
        offset += quint32(records.at(i).size());
    }
    QByteArray out = header + list + QByteArray(2, '\0');
    for (const QByteArray& r : records)
        out += r;
    return out;
}

// --- the book ---

QByteArray MobiBuilder::trailing(const QByteArray& overlap, int record) const
{
    QByteArray out;
    if (m_flags & 1)
        out += overlap + char(overlap.size());
    for (int bit = 15; bit >= 1; --bit) {
        if (!(m_flags & (1 << bit)))
            continue;
        const QByteArray data =
            QByteArray("entry") + QByteArray::number(bit) + "-" + QByteArray::number(record);
        // The size counts the data and the size bytes themselves.
        QByteArray size = backwardVarint(quint32(data.size() + 1));
        if (size.size() > 1)
            size = backwardVarint(quint32(data.size() + size.size()));
        out += data + size;
    }
    return out;
}

QList<QByteArray> MobiBuilder::textRecords(const QByteArray& raw) const
{
    QList<DictionaryEntry> phrases = m_phrases;
    QList<QByteArray> records;
    for (int start = 0, n = 0; start < raw.size(); start += m_recordSize, ++n) {
        const QByteArray chunk = raw.mid(start, m_recordSize);
        // The bytes of a character cut by the end of the record.
        QByteArray overlap;
        const int next = start + chunk.size();
        while (m_encoding == 65001 && overlap.size() < 3 && next + overlap.size() < raw.size() &&
               (quint8(raw.at(next + overlap.size())) & 0xC0) == 0x80)
            overlap += raw.at(next + overlap.size());
        QByteArray stored;
        switch (m_compression) {
        case 2:
            stored = palmDocCompress(chunk);
            break;
        case 17480:
            stored = huffEncode(huffIndexes(chunk, phrases));
            break;
        default:
            stored = chunk;
            break;
        }
        records << stored + trailing(overlap, n);
    }
    return records;
}

QByteArray MobiBuilder::record0(int textRecords, quint32 textLength) const
{
    QByteArray palm(16, '\0');
    put16(palm, 0, quint16(m_compression));
    put32(palm, 4, textLength);
    put16(palm, 8, quint16(textRecords));
    put16(palm, 10, quint16(m_recordSize));
    if (!m_plain)
        put16(palm, 12, m_encryption);
    if (m_plain)
        return palm;

    const int length = m_isKf8 ? kKf8HeaderLength : kMobiHeaderLength;
    QByteArray mobi(length, '\0');
    mobi.replace(0, 4, "MOBI");
    put32(mobi, 4, quint32(length));
    for (int off = 24; off < length; off += 4)
        put32(mobi, off, kNone);
    const auto field = [&](int recordOffset, quint32 value) { put32(mobi, recordOffset - 16, value); };
    field(24, 2);
    field(28, m_encoding);
    field(32, 12345);
    field(36, m_isKf8 ? 8 : 6);
    field(92, 9);
    field(96, 0);
    field(100, 0);
    field(104, m_isKf8 ? 8 : 6);
    field(112, 0);
    field(116, 0);
    field(120, 0);
    field(124, 0);
    field(128, m_exth.isEmpty() ? 0 : 0x50);
    for (int off = 132; off < 164; off += 4)
        field(off, 0);
    field(172, 0);
    field(176, 0);
    field(180, 0);
    field(184, 0);
    field(188, 0);
    field(240, m_flags);
    // Filled in by build(): first non-book 80, full name 84/88, first image
    // 108, HUFF 112/116, KF8 indexes 192/196/248/252, NCX 244.

    QByteArray exth;
    if (!m_exth.isEmpty()) {
        QByteArray records;
        for (const auto& e : m_exth)
            records += be32(e.first) + be32(quint32(e.second.size() + 8)) + e.second;
        exth = "EXTH" + be32(quint32(12 + records.size())) + be32(quint32(m_exth.size())) + records;
        while (exth.size() % 4)
            exth += '\0';
    }
    QByteArray out = palm + mobi + exth;
    const int nameOffset = out.size();
    out += m_title + QByteArray(2, '\0');
    while (out.size() % 4)
        out += '\0';
    put32(out, 84, quint32(nameOffset));
    put32(out, 88, quint32(m_title.size()));
    return out;
}

QByteArray MobiBuilder::build()
{
    m_layout = Layout();
    QByteArray raw = m_text;
    QList<IndexEntry> skeletons;
    QList<IndexEntry> fragments;
    if (m_isKf8) {
        raw.clear();
        int fragmentNumber = 0;
        for (int f = 0; f < m_kf8.size(); ++f) {
            const Kf8File& file = m_kf8.at(f);
            const qint64 start = raw.size();
            const QByteArray skeleton = file.head + file.tail;
            skeletons << IndexEntry{
                QByteArray("SKEL") + QByteArray::number(f).rightJustified(10, '0'),
                {{1, {quint32(file.fragments.size()), quint32(file.fragments.size())}},
                 {6, {quint32(start), quint32(skeleton.size()), quint32(start), quint32(skeleton.size())}}}};
            raw += skeleton;
            qint64 insertAt = start + file.head.size();
            quint32 inFile = 0;
            for (const QByteArray& fragment : file.fragments) {
                fragments << IndexEntry{QByteArray::number(insertAt).rightJustified(10, '0'),
                                        {{2, {0}},
                                         {3, {quint32(f)}},
                                         {4, {quint32(fragmentNumber++)}},
                                         {6, {inFile, quint32(fragment.size())}}}};
                m_layout.fragmentStarts << insertAt;
                raw += fragment;
                insertAt += fragment.size();
                inFile += quint32(fragment.size());
            }
        }
    }
    const qint64 markupLength = raw.size();
    raw += m_css;
    m_layout.rawText = raw;

    QList<QByteArray> text = textRecords(raw);
    m_layout.textRecords = text.size();
    QList<QByteArray> records{QByteArray()};
    records += text;
    m_layout.firstNonBook = records.size();
    if (m_compression == 17480 && !m_plain) {
        m_layout.huffRecord = records.size();
        records << huffRecord();
        records += cdicRecords(dictionary(m_phrases));
    }
    int skeletonRecord = -1;
    int fragmentRecord = -1;
    int fdstRecord = -1;
    if (m_isKf8) {
        skeletonRecord = records.size();
        records += indexRecords({{1, 2}, {6, 4}}, skeletons);
        fragmentRecord = records.size();
        records += indexRecords({{2, 1}, {3, 1}, {4, 1}, {6, 2}}, fragments, {"P-//*[@aid='0']"});
        fdstRecord = records.size();
        QByteArray fdst =
            "FDST" + be32(12) + be32(m_css.isEmpty() ? 1 : 2) + be32(0) + be32(quint32(markupLength));
        if (!m_css.isEmpty())
            fdst += be32(quint32(markupLength)) + be32(quint32(raw.size()));
        records << fdst;
    }
    if (!m_ncx.isEmpty()) {
        m_layout.ncxRecord = records.size();
        QList<QByteArray> titles;
        for (const NcxEntry& e : m_ncx)
            titles << e.title;
        const QList<quint32> offsets = cncxOffsets(titles);
        QList<IndexEntry> entries;
        for (int i = 0; i < m_ncx.size(); ++i) {
            const NcxEntry& e = m_ncx.at(i);
            IndexEntry entry{QByteArray::number(i).rightJustified(2, '0'), {}};
            entry.values.insert(1, {quint32(e.position)});
            entry.values.insert(3, {offsets.at(i)});
            entry.values.insert(4, {0});
            if (e.parent >= 0)
                entry.values.insert(21, {quint32(e.parent)});
            if (e.fid >= 0)
                entry.values.insert(6, {quint32(e.fid), quint32(e.offset)});
            entries << entry;
        }
        records += indexRecords({{1, 1}, {3, 1}, {4, 1}, {21, 1}, {6, 2}}, entries, titles);
    }
    records += m_others;
    if (!m_images.isEmpty())
        m_layout.firstImage = records.size();
    records += m_images;

    QByteArray first = record0(text.size(), quint32(raw.size()));
    if (!m_plain) {
        put32(first, 80, quint32(m_layout.firstNonBook));
        put32(first, 108, m_imageIndex && m_layout.firstImage > 0 ? quint32(m_layout.firstImage) : kNone);
        if (m_layout.huffRecord > 0) {
            put32(first, 112, quint32(m_layout.huffRecord));
            put32(first, 116, quint32(1 + (256 + m_phrases.size() + 255) / 256));
        }
        put32(first, 244, m_layout.ncxRecord > 0 ? quint32(m_layout.ncxRecord) : kNone);
        if (m_isKf8) {
            put32(first, 192, quint32(fdstRecord));
            put32(first, 196, m_css.isEmpty() ? 1 : 2);
            put32(first, 248, quint32(fragmentRecord));
            put32(first, 252, quint32(skeletonRecord));
        }
    }
    records[0] = first;
    const QByteArray out = pdb(m_plain ? "TEXtREAd" : "BOOKMOBI", records, m_plain ? m_title : "test-book");
    const int listStart = 78;
    for (int i = 0; i < records.size(); ++i)
        m_layout.offsets << quint32(
            quint8(out.at(listStart + 8 * i)) << 24 | quint8(out.at(listStart + 8 * i + 1)) << 16 |
            quint8(out.at(listStart + 8 * i + 2)) << 8 | quint8(out.at(listStart + 8 * i + 3)));
    return out;
}

QString MobiBuilder::write(const QString& dir, const QString& name)
{
    QDir().mkpath(dir);
    const QString path = dir + "/" + name;
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(build());
    return path;
}
