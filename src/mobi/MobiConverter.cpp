#include "mobi/MobiConverter.h"

#include <QHash>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QTextCodec>

#include <algorithm>
#include <functional>

Q_DECLARE_LOGGING_CATEGORY(lcMobi)

namespace mobi {

namespace {

constexpr auto kCaseless = QRegularExpression::CaseInsensitiveOption;
// A tag longer than this is not looked through when an anchor position has
// to be moved out of it.
constexpr int kMaxTagScan = 4096;
const QString kBreakMarker = QStringLiteral("\x01pagebreak\x01");

using Rewrite = std::function<QString(const QRegularExpressionMatch&)>;

// One pass over `text`, every match replaced by what `rewrite` makes of it.
QString replaceAll(const QString& text, const QRegularExpression& re, const Rewrite& rewrite)
{
    QString out;
    int last = 0;
    auto it = re.globalMatch(text);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        if (out.isNull())
            out.reserve(text.size() + 1024);
        out += text.midRef(last, m.capturedStart() - last);
        out += rewrite(m);
        last = m.capturedEnd();
    }
    if (out.isNull())
        return text;
    out += text.midRef(last);
    return out;
}

qint64 base32(const QString& digits)
{
    qint64 value = 0;
    for (const QChar c : digits) {
        const int d = c.isDigit() ? c.digitValue() : c.toUpper().unicode() - 'A' + 10;
        if (d < 0 || d >= 32)
            return -1;
        value = value * 32 + d;
    }
    return value;
}

QString anchorTag(const QString& name)
{
    return QStringLiteral("<a name=\"%1\"></a>").arg(name);
}

QString centeredImage(qint64 number)
{
    return QStringLiteral("<center><img src=\"pdbrec:/%1\"></center>").arg(number);
}

// Where the text of a book file starts and ends: inside <body>, else after
// </head>, else everything. Works on bytes and on decoded text alike.
template <typename Text> QPair<int, int> bodyRange(const Text& text)
{
    const auto lower = text.toLower();
    int from = 0;
    int to = text.size();
    const int body = lower.indexOf("<body");
    const int open = body < 0 ? -1 : lower.indexOf('>', body);
    if (open >= 0) {
        from = open + 1;
    } else {
        const int head = lower.indexOf("</head>");
        if (head >= 0)
            from = head + 7;
    }
    const int close = lower.lastIndexOf("</body");
    if (close >= from)
        to = close;
    return {from, to};
}

} // namespace

QString MobiConverter::plainText(const QString& html)
{
    static const QRegularExpression tags(QStringLiteral("<[^>]*>"));
    static const QRegularExpression entity(QStringLiteral("&(#[0-9]+|#[xX][0-9a-fA-F]+|[a-zA-Z]+);"));
    static const QHash<QString, QString> named = {{"amp", "&"},   {"lt", "<"},   {"gt", ">"},
                                                  {"quot", "\""}, {"apos", "'"}, {"nbsp", " "}};
    QString text = replaceAll(html, tags, [](const QRegularExpressionMatch&) { return QString(); });
    text = replaceAll(text, entity, [](const QRegularExpressionMatch& m) {
        const QString name = m.captured(1);
        if (name.startsWith(QLatin1Char('#'))) {
            bool ok = false;
            const bool hex =
                name.size() > 1 && (name.at(1) == QLatin1Char('x') || name.at(1) == QLatin1Char('X'));
            const uint code = hex ? name.mid(2).toUInt(&ok, 16) : name.mid(1).toUInt(&ok, 10);
            if (ok && code > 0 && code <= 0x10FFFF)
                return QString::fromUcs4(&code, 1);
            return m.captured(0);
        }
        return named.value(name.toLower(), m.captured(0));
    });
    return text.simplified();
}

QByteArray MobiConverter::insertAnchors(const QByteArray& bytes, const QList<qint64>& targets, qint64 base,
                                        bool utf8, qint64 from, qint64 to)
{
    if (targets.isEmpty())
        return bytes;
    if (to < 0 || to > bytes.size())
        to = bytes.size();
    from = qBound<qint64>(0, from, to);
    const char* data = bytes.constData();
    QList<QPair<int, qint64>> points; // insertion point, name
    points.reserve(targets.size());
    for (qint64 target : targets) {
        int at = int(qBound(from, target - base, to));
        // Never inside a UTF-8 sequence: back to its lead byte.
        if (utf8) {
            for (int k = 0; k < 3 && at > from && at < bytes.size() && (uchar(data[at]) & 0xC0) == 0x80; ++k)
                --at;
        }
        // Never inside a tag: before its '<'.
        for (int i = at - 1; i >= qMax<qint64>(from, at - kMaxTagScan); --i) {
            if (data[i] == '>')
                break;
            if (data[i] == '<') {
                at = i;
                break;
            }
        }
        points.append({at, target});
    }
    std::stable_sort(points.begin(), points.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    QByteArray out;
    out.reserve(bytes.size() + points.size() * 28);
    int last = 0;
    for (const auto& p : qAsConst(points)) {
        out.append(data + last, p.first - last);
        out.append("<a name=\"").append(QByteArray::number(p.second)).append("\"></a>");
        last = p.first;
    }
    out.append(data + last, bytes.size() - last);
    return out;
}

void MobiConverter::convert(const MobiContent& content, Mode mode)
{
    m_chapters.clear();
    m_toc.clear();
    m_pendingEmpty.clear();
    m_inserted.clear();
    if (content.plainText)
        convertPlainText(content);
    else
        convertHtml(content);
    if (mode == Opening)
        m_pendingEmpty.clear();
    if (!m_pendingEmpty.isEmpty()) {
        // Empty chapters at the very end still carry their anchors.
        if (m_chapters.isEmpty())
            m_chapters << m_pendingEmpty;
        else
            m_chapters.last() += m_pendingEmpty;
        m_pendingEmpty.clear();
    }
    if (content.plainText)
        return;
    if (!content.toc.isEmpty())
        buildTocFromNcx(content);
    if (m_toc.isEmpty() && (mode == Whole || content.toc.isEmpty()))
        buildTocFromHeadings();
}

void MobiConverter::convertPlainText(const MobiContent& content)
{
    QTextCodec* codec = QTextCodec::codecForName(content.codec);
    QString text;
    for (const MobiContent::Part& part : content.parts)
        text += codec ? codec->toUnicode(part.bytes) : QString::fromLatin1(part.bytes);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    QString html;
    html.reserve(text.size() + text.size() / 8);
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        if (line.trimmed().isEmpty())
            continue;
        html += QStringLiteral("<p>") + line.toHtmlEscaped() + QStringLiteral("</p>");
    }
    addChapters({html});
}

qint64 MobiConverter::fidPosition(const QString& fid, const QString& offset, const MobiContent& content) const
{
    const qint64 fragment = base32(fid);
    const qint64 off = base32(offset);
    if (fragment < 0 || fragment >= content.fragmentStarts.size() || off < 0)
        return -1;
    return content.fragmentStarts.at(int(fragment)) + off;
}

void MobiConverter::convertHtml(const MobiContent& content)
{
    static const QRegularExpression filepos(QStringLiteral("<a\\s[^>]*?\\bfilepos\\s*=\\s*['\"]?(\\d+)"),
                                            kCaseless);
    static const QRegularExpression posFid(
        QStringLiteral("kindle:pos:fid:([0-9A-Va-v]{4}):off:([0-9A-Va-v]{10})"));

    // Every place something points at, as a byte position of the whole text.
    QList<qint64> targets;
    for (const MobiContent::Part& part : content.parts) {
        const QString bytes = QString::fromLatin1(part.bytes);
        auto it = (content.kf8 ? posFid : filepos).globalMatch(bytes);
        while (it.hasNext()) {
            const QRegularExpressionMatch m = it.next();
            const qint64 position =
                content.kf8 ? fidPosition(m.captured(1), m.captured(2), content) : m.captured(1).toLongLong();
            if (position >= 0)
                targets << position;
        }
    }
    for (const MobiContent::TocEntry& entry : content.toc) {
        if (entry.position >= 0)
            targets << entry.position;
    }
    std::sort(targets.begin(), targets.end());
    targets.erase(std::unique(targets.begin(), targets.end()), targets.end());

    const bool utf8 = content.codec == "UTF-8";
    QTextCodec* codec = QTextCodec::codecForName(content.codec);
    for (int p = 0; p < content.parts.size(); ++p) {
        const MobiContent::Part& part = content.parts.at(p);
        // A position at the end of a part belongs to the next part, except
        // after the last one.
        const qint64 end = part.start + part.bytes.size() + (p + 1 == content.parts.size() ? 1 : 0);
        const auto first = std::lower_bound(targets.cbegin(), targets.cend(), part.start);
        const auto last = std::lower_bound(first, targets.cend(), end);
        const QList<qint64> local(first, last);
        m_inserted << local;
        const QPair<int, int> body = bodyRange(part.bytes);
        const QByteArray anchored =
            insertAnchors(part.bytes, local, part.start, utf8, body.first, body.second);
        QString text = codec ? codec->toUnicode(anchored) : QString::fromLatin1(anchored);
        const QPair<int, int> range = bodyRange(text);
        text = text.mid(range.first, range.second - range.first);
        addChapters(cleanUp(text, content));
    }
}

QStringList MobiConverter::cleanUp(const QString& html, const MobiContent& content) const
{
    static const QRegularExpression anchorTagRe(QStringLiteral("<a\\s[^>]*>"), kCaseless);
    static const QRegularExpression fileposAttr(
        QStringLiteral("\\sfilepos\\s*=\\s*(?:\"0*(\\d+)\"|'0*(\\d+)'|0*(\\d+))"), kCaseless);
    static const QRegularExpression hrefAttr(
        QStringLiteral("\\shref\\s*=\\s*(?:\"([^\"]*)\"|'([^']*)'|([^\\s>]+))"), kCaseless);
    static const QRegularExpression posFid(
        QStringLiteral("^kindle:pos:fid:([0-9A-Va-v]{4}):off:([0-9A-Va-v]{10})"));
    static const QRegularExpression recindex(
        QStringLiteral("<img\\b[^>]*?\\brecindex\\s*=\\s*['\"]?(\\d+)['\"]?[^>]*>"), kCaseless);
    static const QRegularExpression embedImg(
        QStringLiteral("<img\\b[^>]*?\\bsrc\\s*=\\s*['\"]kindle:embed:([0-9A-Va-v]{4})[^>]*>"), kCaseless);
    static const QRegularExpression svg(QStringLiteral("<svg\\b[\\s\\S]*?</svg>"), kCaseless);
    static const QRegularExpression embed(QStringLiteral("kindle:embed:([0-9A-Va-v]{4})"), kCaseless);
    static const QRegularExpression pagebreak(
        QStringLiteral("<mbp:pagebreak\\b[^>]*>(?:\\s*</mbp:pagebreak>)?"), kCaseless);

    QString text = replaceAll(html, anchorTagRe, [&](const QRegularExpressionMatch& m) {
        QString tag = m.captured(0);
        const QRegularExpressionMatch pos = fileposAttr.match(tag);
        if (pos.hasMatch()) {
            // calibre pads filepos with zeros; the anchors are plain numbers.
            const QString number = pos.captured(1) + pos.captured(2) + pos.captured(3);
            tag.remove(pos.capturedStart(), pos.capturedLength());
            tag.remove(hrefAttr);
            tag.insert(2,
                       QStringLiteral(" href=\"#%1\"").arg(number.isEmpty() ? QStringLiteral("0") : number));
            return tag;
        }
        const QRegularExpressionMatch href = hrefAttr.match(tag);
        if (content.kf8 && href.hasMatch()) {
            const QString url = href.captured(1) + href.captured(2) + href.captured(3);
            if (!url.startsWith(QLatin1String("kindle:"), Qt::CaseInsensitive))
                return tag;
            const QRegularExpressionMatch fid = posFid.match(url);
            const qint64 position =
                fid.hasMatch() ? fidPosition(fid.captured(1), fid.captured(2), content) : -1;
            tag.remove(href.capturedStart(), href.capturedLength());
            if (position >= 0)
                tag.insert(2, QStringLiteral(" href=\"#%1\"").arg(position));
        }
        return tag;
    });

    text = replaceAll(text, recindex, [](const QRegularExpressionMatch& m) {
        return centeredImage(m.captured(1).toLongLong());
    });
    if (content.kf8) {
        text = replaceAll(text, embedImg, [](const QRegularExpressionMatch& m) {
            return centeredImage(base32(m.captured(1)));
        });
        // A cover or picture wrapped in SVG: the engine shows no SVG, so keep
        // its image and drop the rest.
        text = replaceAll(text, svg, [](const QRegularExpressionMatch& m) {
            const QRegularExpressionMatch image = embed.match(m.captured(0));
            return image.hasMatch() ? centeredImage(base32(image.captured(1))) : QString();
        });
    }
    text.replace(pagebreak, kBreakMarker);
    return text.split(kBreakMarker);
}

// Whether `html` shows anything: text outside tags (a non-breaking space
// counts as none), an image, a rule or a table. Stops at the first sign.
static bool showsSomething(const QString& html)
{
    static const QRegularExpression visible(QStringLiteral("<(img|hr|table)\\b"), kCaseless);
    bool inTag = false;
    for (int i = 0; i < html.size(); ++i) {
        const QChar c = html.at(i);
        if (inTag) {
            inTag = c != QLatin1Char('>');
        } else if (c == QLatin1Char('<')) {
            inTag = true;
        } else if (c == QLatin1Char('&') && html.midRef(i, 6) == QLatin1String("&nbsp;")) {
            i += 5;
        } else if (!c.isSpace()) {
            return true;
        }
    }
    return html.contains(visible);
}

void MobiConverter::addChapters(const QStringList& pieces)
{
    for (const QString& piece : pieces) {
        // A chapter with nothing to show would be an empty page of its own
        // once laid out alone; its markup (anchors) goes to the next one.
        if (!showsSomething(piece)) {
            m_pendingEmpty += piece;
            continue;
        }
        m_chapters << m_pendingEmpty + piece;
        m_pendingEmpty.clear();
    }
}

void MobiConverter::buildTocFromNcx(const MobiContent& content)
{
    std::sort(m_inserted.begin(), m_inserted.end());
    const int n = content.toc.size();
    QList<TocItem> items;
    QVector<bool> usable(n);
    QVector<int> parent(n, -1);
    for (int i = 0; i < n; ++i) {
        const MobiContent::TocEntry& entry = content.toc.at(i);
        TocItem item;
        item.title = entry.title;
        item.anchor = QString::number(entry.position);
        items << item;
        usable[i] = entry.position >= 0 && !entry.title.isEmpty() &&
                    std::binary_search(m_inserted.cbegin(), m_inserted.cend(), entry.position);
        // The nearest ancestor that is shown; parents always come first.
        int p = entry.parent >= 0 && entry.parent < i ? entry.parent : -1;
        while (p >= 0 && !usable.at(p))
            p = parent.at(p);
        parent[i] = p;
    }
    // From the last entry to the first: every entry is complete (all its
    // descendants come after it) by the time it is hung under its parent.
    QList<TocItem> top;
    for (int i = n - 1; i >= 0; --i) {
        if (!usable.at(i))
            continue;
        if (parent.at(i) >= 0)
            items[parent.at(i)].children.prepend(items.at(i));
        else
            top.prepend(items.at(i));
    }
    m_toc = top;
}

void MobiConverter::buildTocFromHeadings()
{
    static const QRegularExpression heading(
        QStringLiteral("<h([1-4])((?:\"[^\"]*\"|'[^']*'|[^'\">])*)>([\\s\\S]*?)</h\\1>"), kCaseless);
    int counter = 0;
    for (QString& chapter : m_chapters) {
        chapter = replaceAll(chapter, heading, [&](const QRegularExpressionMatch& m) {
            const QString title = plainText(m.captured(3));
            if (title.isEmpty())
                return m.captured(0);
            TocItem item;
            item.title = title;
            item.anchor = QStringLiteral("heading-%1").arg(++counter);
            m_toc << item;
            // The anchor goes inside the heading, so the entry leads to the
            // heading itself.
            const int open = m.capturedEnd(2) - m.capturedStart(0) + 1;
            QString markup = m.captured(0);
            markup.insert(open, anchorTag(item.anchor));
            return markup;
        });
    }
}

} // namespace mobi
