#include "PdfBuilder.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>

namespace {

const QByteArray kPadding =
    QByteArray::fromHex("28BF4E5E4E758A4164004E56FFFA01082E2E00B6D0683E802F0CA9FE6453697A");
const QByteArray kFileId = QByteArray::fromHex("0123456789ABCDEF0123456789ABCDEF");
constexpr qint32 kPermissions = -4;

QByteArray md5(const QByteArray& data)
{
    return QCryptographicHash::hash(data, QCryptographicHash::Md5);
}

QByteArray rc4(const QByteArray& key, const QByteArray& data)
{
    unsigned char s[256];
    for (int i = 0; i < 256; ++i)
        s[i] = static_cast<unsigned char>(i);
    for (int i = 0, j = 0; i < 256; ++i) {
        j = (j + s[i] + static_cast<unsigned char>(key[i % key.size()])) & 0xFF;
        std::swap(s[i], s[j]);
    }
    QByteArray out(data.size(), '\0');
    for (int n = 0, i = 0, j = 0; n < data.size(); ++n) {
        i = (i + 1) & 0xFF;
        j = (j + s[i]) & 0xFF;
        std::swap(s[i], s[j]);
        out[n] = char(static_cast<unsigned char>(data[n]) ^ s[(s[i] + s[j]) & 0xFF]);
    }
    return out;
}

QByteArray padded(const QString& password)
{
    const QByteArray bytes = password.toLatin1().left(32);
    return bytes + kPadding.left(32 - bytes.size());
}

QByteArray littleEndian(quint32 value, int bytes)
{
    QByteArray out;
    for (int i = 0; i < bytes; ++i)
        out.append(char((value >> (8 * i)) & 0xFF));
    return out;
}

QByteArray ref(int number)
{
    return QByteArray::number(number) + " 0 R";
}

QByteArray num(double value)
{
    return QByteArray::number(value, 'f', 3);
}

// One outline item flattened, with the numbers of its neighbours.
struct FlatOutline
{
    PdfBuilder::Outline item;
    int number = 0;
    int parent = 0;
    int prev = 0;
    int next = 0;
    int first = 0;
    int last = 0;
    int count = 0;
};

class Writer
{
public:
    explicit Writer(const QByteArray& key) : m_key(key) {}

    int allocate() { return ++m_count; }
    void set(int number, const QByteArray& body) { m_bodies[number] = body; }

    // A string of object `number`: encrypted (as hex) when the file is.
    // Strings inside a content stream pass number 0: the stream as a whole
    // is encrypted.
    QByteArray string(int number, const QString& text) const
    {
        bool latin = true;
        for (const QChar c : text)
            latin = latin && c.unicode() < 128;
        QByteArray bytes;
        if (latin) {
            bytes = text.toLatin1();
        } else {
            bytes = QByteArray("\xFE\xFF", 2);
            for (const QChar c : text) {
                bytes.append(char(c.unicode() >> 8));
                bytes.append(char(c.unicode() & 0xFF));
            }
        }
        if (!m_key.isEmpty() && number > 0)
            return "<" + rc4(objectKey(number), bytes).toHex() + ">";
        if (!latin)
            return "<" + bytes.toHex() + ">";
        QByteArray escaped = bytes;
        escaped.replace("\\", "\\\\").replace("(", "\\(").replace(")", "\\)");
        return "(" + escaped + ")";
    }

    QByteArray stream(int number, const QByteArray& data) const
    {
        const QByteArray bytes = m_key.isEmpty() ? data : rc4(objectKey(number), data);
        return "<< /Length " + QByteArray::number(bytes.size()) + " >>\nstream\n" + bytes + "\nendstream";
    }

    QByteArray finish(int root, int info, int encrypt) const
    {
        QByteArray out("%PDF-1.4\n%\xE2\xE3\xCF\xD3\n");
        QList<int> offsets;
        for (int n = 1; n <= m_count; ++n) {
            offsets << out.size();
            out += QByteArray::number(n) + " 0 obj\n" + m_bodies.value(n, "null") + "\nendobj\n";
        }
        const int xref = out.size();
        out += "xref\n0 " + QByteArray::number(m_count + 1) + "\n0000000000 65535 f \n";
        for (int offset : offsets)
            out += QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
        out += "trailer\n<< /Size " + QByteArray::number(m_count + 1) + " /Root " + ref(root);
        if (info)
            out += " /Info " + ref(info);
        if (encrypt)
            out += " /Encrypt " + ref(encrypt);
        out += " /ID [<" + kFileId.toHex() + "> <" + kFileId.toHex() + ">] >>\nstartxref\n" +
               QByteArray::number(xref) + "\n%%EOF\n";
        return out;
    }

private:
    QByteArray objectKey(int number) const
    {
        return md5(m_key + littleEndian(quint32(number), 3) + littleEndian(0, 2)).left(m_key.size() + 5);
    }

    QByteArray m_key;
    int m_count = 0;
    QMap<int, QByteArray> m_bodies;
};

void flatten(const QList<PdfBuilder::Outline>& items, int parent, Writer& writer, QList<FlatOutline>& out,
             int& firstOut, int& lastOut, int& totalOut)
{
    QList<int> indexes;
    for (const PdfBuilder::Outline& item : items) {
        FlatOutline flat;
        flat.item = item;
        flat.number = writer.allocate();
        flat.parent = parent;
        out << flat;
        indexes << out.size() - 1;
    }
    totalOut = items.size();
    for (int i = 0; i < indexes.size(); ++i) {
        FlatOutline& flat = out[indexes[i]];
        if (i > 0)
            flat.prev = out[indexes[i - 1]].number;
        if (i + 1 < indexes.size())
            flat.next = out[indexes[i + 1]].number;
    }
    for (int index : indexes) {
        int first = 0, last = 0, total = 0;
        const int number = out[index].number;
        const QList<PdfBuilder::Outline> children = out[index].item.children;
        flatten(children, number, writer, out, first, last, total);
        out[index].first = first;
        out[index].last = last;
        out[index].count = total;
    }
    firstOut = indexes.isEmpty() ? 0 : out[indexes.first()].number;
    lastOut = indexes.isEmpty() ? 0 : out[indexes.last()].number;
}

} // namespace

PdfBuilder& PdfBuilder::page(const QSizeF& size, const QStringList& lines, int rotate)
{
    m_pages << PageSpec{size, lines, rotate};
    return *this;
}

PdfBuilder& PdfBuilder::pages(int count, const QString& text)
{
    for (int i = 1; i <= count; ++i) {
        QStringList lines{QStringLiteral("Page %1").arg(i)};
        if (!text.isEmpty())
            lines << text;
        page(QSizeF(612, 792), lines);
    }
    return *this;
}

PdfBuilder& PdfBuilder::outlines(const QList<Outline>& items)
{
    m_outlines = items;
    return *this;
}

PdfBuilder& PdfBuilder::info(const QString& key, const QString& value)
{
    m_info[key] = value;
    return *this;
}

PdfBuilder& PdfBuilder::userPassword(const QString& password)
{
    m_password = password;
    m_encrypt = true;
    return *this;
}

PdfBuilder& PdfBuilder::loopOutlines(bool on)
{
    m_loopOutlines = on;
    return *this;
}

PdfBuilder& PdfBuilder::loopPageTree(bool on)
{
    m_loopPageTree = on;
    return *this;
}

PdfBuilder& PdfBuilder::claimPageCount(int count)
{
    m_claimedCount = count;
    return *this;
}

QByteArray PdfBuilder::build() const
{
    // Standard security handler, revision 2: the owner password equals the
    // user password.
    QByteArray key, ownerEntry, userEntry;
    if (m_encrypt) {
        ownerEntry = rc4(md5(padded(m_password)).left(5), padded(m_password));
        key = md5(padded(m_password) + ownerEntry + littleEndian(quint32(kPermissions), 4) + kFileId).left(5);
        userEntry = rc4(key, kPadding);
    }
    Writer writer(key);
    const int catalog = writer.allocate();
    const int pagesRoot = writer.allocate();
    const int font = writer.allocate();
    const int info = writer.allocate();
    const int encrypt = m_encrypt ? writer.allocate() : 0;

    QList<int> pageNumbers;
    QByteArray kids;
    for (const PageSpec& spec : m_pages) {
        const int page = writer.allocate();
        const int content = writer.allocate();
        pageNumbers << page;
        kids += ref(page) + " ";
        QByteArray text = "BT /F1 12 Tf 14 TL 36 " + num(spec.size.height() - 48) + " Td\n";
        for (const QString& line : spec.lines)
            text += writer.string(0, line) + " Tj T*\n";
        text += "ET\n";
        writer.set(content, writer.stream(content, text));
        QByteArray body = "<< /Type /Page /Parent " + ref(pagesRoot) + " /MediaBox [0 0 " +
                          num(spec.size.width()) + " " + num(spec.size.height()) +
                          "] /Resources << /Font << /F1 " + ref(font) + " >> >> /Contents " + ref(content);
        if (spec.rotate)
            body += " /Rotate " + QByteArray::number(spec.rotate);
        writer.set(page, body + " >>");
    }
    if (m_loopPageTree) {
        const int loop = writer.allocate();
        writer.set(loop, "<< /Type /Pages /Parent " + ref(pagesRoot) + " /Kids [" + ref(pagesRoot) +
                             "] /Count 1 >>");
        kids += ref(loop);
    }
    const int count = m_claimedCount >= 0 ? m_claimedCount : m_pages.size();
    writer.set(pagesRoot, "<< /Type /Pages /Kids [" + kids + "] /Count " + QByteArray::number(count) + " >>");
    writer.set(font, "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>");

    QByteArray infoBody = "<<";
    for (auto it = m_info.begin(); it != m_info.end(); ++it)
        infoBody += " /" + it.key().toLatin1() + " " + writer.string(info, it.value());
    writer.set(info, infoBody + " >>");

    QByteArray catalogBody = "<< /Type /Catalog /Pages " + ref(pagesRoot);
    if (!m_outlines.isEmpty()) {
        const int root = writer.allocate();
        QList<FlatOutline> flat;
        int first = 0, last = 0, total = 0;
        flatten(m_outlines, root, writer, flat, first, last, total);
        for (FlatOutline& item : flat) {
            if (m_loopOutlines && item.number == last)
                item.next = first;
            if (m_loopOutlines && item.parent == first && item.prev == 0) {
                item.first = first;
                item.last = first;
                item.count = 1;
            }
            const int target = pageNumbers.value(qBound(0, item.item.page - 1, pageNumbers.size() - 1));
            QByteArray body = "<< /Title " + writer.string(item.number, item.item.title) + " /Parent " +
                              ref(item.parent) + " /Dest [" + ref(target) + " /Fit]";
            if (item.prev)
                body += " /Prev " + ref(item.prev);
            if (item.next)
                body += " /Next " + ref(item.next);
            if (item.first)
                body += " /First " + ref(item.first) + " /Last " + ref(item.last) + " /Count " +
                        QByteArray::number(item.count);
            writer.set(item.number, body + " >>");
        }
        writer.set(root, "<< /Type /Outlines /First " + ref(first) + " /Last " + ref(last) + " /Count " +
                             QByteArray::number(total) + " >>");
        catalogBody += " /Outlines " + ref(root) + " /PageMode /UseOutlines";
    }
    writer.set(catalog, catalogBody + " >>");

    if (m_encrypt)
        writer.set(encrypt, "<< /Filter /Standard /V 1 /R 2 /Length 40 /O <" + ownerEntry.toHex() + "> /U <" +
                                userEntry.toHex() + "> /P " + QByteArray::number(kPermissions) + " >>");
    return writer.finish(catalog, info, encrypt);
}

QString PdfBuilder::write(const QString& dir, const QString& name) const
{
    const QString path = QDir(dir).filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return QString();
    file.write(build());
    return path;
}
