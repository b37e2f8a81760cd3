#include "BookText.h"

#include <QRegularExpression>
#include <QSet>

namespace {

// How deep a body may be unwrapped looking for blocks to split at (a
// chapter's div holding a section's div).
constexpr int kMaxUnwrap = 3;

const QSet<QString>& voidElements()
{
    static const QSet<QString> names = {"area",  "base", "br",   "col",   "embed",  "hr",    "img",
                                        "input", "link", "meta", "param", "source", "track", "wbr"};
    return names;
}

const QSet<QString>& blockElements()
{
    static const QSet<QString> names = {"p",      "div",    "h1",     "h2",      "h3",      "h4",
                                        "h5",     "h6",     "ul",     "ol",      "dl",      "table",
                                        "pre",    "hr",     "center", "section", "article", "aside",
                                        "header", "footer", "nav",    "figure",  "address", "blockquote"};
    return names;
}

struct Tag
{
    int start = 0; ///< index of '<'
    int end = 0;   ///< index after '>'
    QString name;  ///< lower case; empty for comments and declarations
    bool closing = false;
    bool selfClosing = false;
};

/// The markup item at `at` ('<' expected); end = at + 1 when it is no tag.
Tag readTag(const QString& html, int at)
{
    Tag tag;
    tag.start = at;
    tag.end = at + 1;
    const int size = html.size();
    if (html.midRef(at, 4) == QLatin1String("<!--")) {
        const int close = html.indexOf(QLatin1String("-->"), at + 4);
        tag.end = close < 0 ? size : close + 3;
        return tag;
    }
    if (html.midRef(at, 9) == QLatin1String("<![CDATA[")) {
        const int close = html.indexOf(QLatin1String("]]>"), at + 9);
        tag.end = close < 0 ? size : close + 3;
        return tag;
    }
    int i = at + 1;
    if (i < size && (html.at(i) == QLatin1Char('!') || html.at(i) == QLatin1Char('?'))) {
        const int close = html.indexOf(QLatin1Char('>'), i);
        tag.end = close < 0 ? size : close + 1;
        return tag;
    }
    if (i < size && html.at(i) == QLatin1Char('/')) {
        tag.closing = true;
        ++i;
    }
    const int nameStart = i;
    while (i < size && (html.at(i).isLetterOrNumber() || html.at(i) == QLatin1Char(':') ||
                        html.at(i) == QLatin1Char('-')))
        ++i;
    if (i == nameStart)
        return tag; // a lone '<' in text
    tag.name = html.mid(nameStart, i - nameStart).toLower();
    // Attribute values may hold '>'.
    QChar quote;
    for (; i < size; ++i) {
        const QChar c = html.at(i);
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            quote = c;
        } else if (c == QLatin1Char('>')) {
            tag.selfClosing = html.at(i - 1) == QLatin1Char('/');
            tag.end = i + 1;
            return tag;
        }
    }
    tag.end = size;
    return tag;
}

struct Element
{
    int start = 0;
    int end = 0;
    bool block = false;
};

/// The top-level items of html[from, to): elements (with their content) and
/// runs of text. Unclosed elements end where the next top-level block starts
/// or at `to`.
QVector<Element> topLevel(const QString& html, int from, int to)
{
    QVector<Element> items;
    QStringList open;
    int i = from;
    while (i < to) {
        const int lt = html.indexOf(QLatin1Char('<'), i);
        if (lt < 0 || lt >= to) {
            if (open.isEmpty() && !html.midRef(i, to - i).trimmed().isEmpty())
                items.append({i, to, false});
            else if (!items.isEmpty())
                items.last().end = to;
            break;
        }
        if (lt > i) {
            if (open.isEmpty() && !html.midRef(i, lt - i).trimmed().isEmpty())
                items.append({i, lt, false});
            else if (!items.isEmpty() && !open.isEmpty())
                items.last().end = lt;
        }
        const Tag tag = readTag(html, lt);
        const int end = qMin(tag.end, to);
        if (tag.name.isEmpty()) {
            if (!open.isEmpty() && !items.isEmpty())
                items.last().end = end;
            i = end;
            continue;
        }
        if (tag.closing) {
            const int index = open.lastIndexOf(tag.name);
            if (index >= 0)
                open.erase(open.begin() + index, open.end());
            if (!items.isEmpty())
                items.last().end = end;
            i = end;
            continue;
        }
        const bool block = blockElements().contains(tag.name);
        // An open paragraph ends where a block starts; a list item where the
        // next one does.
        if (!open.isEmpty() && ((block && open.last() == QLatin1String("p")) ||
                                (tag.name == QLatin1String("li") && open.last() == QLatin1String("li"))))
            open.removeLast();
        if (open.isEmpty())
            items.append({lt, end, block});
        else if (!items.isEmpty())
            items.last().end = end;
        if (!tag.selfClosing && !voidElements().contains(tag.name))
            open << tag.name;
        i = end;
    }
    return items;
}

QStringList splitRange(const QString& html, int from, int to, int pieceSize, int depth);

/// The wrapping element's start tag for a piece after the first: without id.
QString withoutId(const QString& startTag)
{
    static const QRegularExpression id(QStringLiteral("\\s+id\\s*=\\s*(\"[^\"]*\"|'[^']*'|[^\\s>]+)"),
                                       QRegularExpression::CaseInsensitiveOption);
    QString tag = startTag;
    tag.remove(id);
    return tag;
}

QStringList splitRange(const QString& html, int from, int to, int pieceSize, int depth)
{
    const QVector<Element> items = topLevel(html, from, to);
    if (items.size() == 1 && depth < kMaxUnwrap) {
        // One wrapping element: split inside it.
        const Element& only = items.first();
        const Tag start = readTag(html, only.start);
        const int close = html.lastIndexOf(QStringLiteral("</"), only.end - 1);
        if (!start.name.isEmpty() && !start.selfClosing && close >= start.end &&
            readTag(html, close).name == start.name && readTag(html, close).closing) {
            const QStringList inner = splitRange(html, start.end, close, pieceSize, depth + 1);
            if (inner.size() > 1) {
                const QString startTag = html.mid(only.start, start.end - only.start);
                const QString endTag = html.mid(close, only.end - close);
                const QString before = html.mid(from, only.start - from);
                const QString after = html.mid(only.end, to - only.end);
                QStringList pieces;
                for (int i = 0; i < inner.size(); ++i)
                    pieces << (i == 0 ? before + startTag : withoutId(startTag)) + inner.at(i) + endTag +
                                  (i + 1 == inner.size() ? after : QString());
                return pieces;
            }
        }
    }
    // A new piece before a block that would take the current one over the
    // size, so pieces stay within it but for a single larger block; not
    // before the current one holds a quarter of it, so that no piece is a
    // scrap (every piece starts a page).
    QStringList pieces;
    int pieceStart = from;
    for (const Element& e : items) {
        const int current = e.start - pieceStart;
        if (e.block && current > 0 &&
            (current >= pieceSize || (e.end - pieceStart > pieceSize && current >= pieceSize / 4))) {
            pieces << html.mid(pieceStart, e.start - pieceStart);
            pieceStart = e.start;
        }
    }
    pieces << html.mid(pieceStart, to - pieceStart);
    return pieces;
}

} // namespace

QString BookText::chunkHtml(int index) const
{
    return prefix + chunks.value(index) + suffix;
}

QString BookText::wholeHtml() const
{
    int size = prefix.size() + suffix.size();
    for (const QString& c : chunks)
        size += c.size() + separator.size();
    QString html;
    html.reserve(size);
    html += prefix;
    for (int i = 0; i < chunks.size(); ++i) {
        if (i > 0)
            html += separator;
        html += chunks.at(i);
    }
    html += suffix;
    return html;
}

QVector<BookText::Unit> BookText::units(int pieceSize) const
{
    QVector<Unit> list;
    for (int i = 0; i < chunks.size(); ++i) {
        if (chunks.at(i).size() <= pieceSize) {
            list.append({i, prefix, chunks.at(i), suffix});
            continue;
        }
        for (const QString& piece : splitBody(chunks.at(i), pieceSize))
            list.append({i, prefix, piece, suffix});
    }
    return list;
}

QStringList BookText::splitBody(const QString& body, int pieceSize)
{
    if (body.size() <= pieceSize || pieceSize <= 0)
        return {body};
    static const QRegularExpression bodyStart(QStringLiteral("<body\\b[^>]*>"),
                                              QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = bodyStart.match(body);
    if (match.hasMatch()) {
        const int from = match.capturedEnd();
        int to = body.lastIndexOf(QStringLiteral("</body"), -1, Qt::CaseInsensitive);
        if (to < from)
            to = body.size();
        const QString head = body.left(from);
        const QString tail = body.mid(to);
        QStringList pieces = splitRange(body, from, to, pieceSize, 0);
        for (QString& piece : pieces)
            piece = head + piece + tail;
        return pieces;
    }
    return splitRange(body, 0, body.size(), pieceSize, 0);
}
