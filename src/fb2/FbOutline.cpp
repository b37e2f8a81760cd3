#include "fb2/FbOutline.h"

namespace fb2 {

namespace {

int find(const QString& text, QLatin1String what, int from)
{
    return text.indexOf(what, from);
}

bool isNameEnd(QChar c)
{
    return c == QLatin1Char('>') || c == QLatin1Char('/') || c.isSpace();
}

} // namespace

FbOutline FbOutline::scan(const QString& text, int maxDepth, int stopAfter)
{
    FbOutline outline;
    int length = 0; // of the sections found
    // Whether the section just found ends the scan.
    const auto enough = [&outline, &length, stopAfter](const Range& range) {
        outline.sections.append(range);
        length += range.end - range.begin;
        if (stopAfter < 0 || length < stopAfter)
            return false;
        outline.ok = true;
        outline.end = range.end;
        return true;
    };
    const QChar* p = text.constData();
    const int n = text.size();
    int depth = 0;
    bool inBody = false;   // inside a body element (a child of the root)
    int sectionBegin = -1; // the open top-level section
    int i = 0;
    while (i < n) {
        if (p[i] != QLatin1Char('<')) {
            const int next = text.indexOf(QLatin1Char('<'), i);
            if (next < 0)
                break;
            i = next;
        }
        if (i + 1 >= n)
            return outline;
        const QChar c = p[i + 1];
        if (c == QLatin1Char('/')) {
            const int end = text.indexOf(QLatin1Char('>'), i);
            if (end < 0 || --depth < 0)
                return outline;
            if (depth == 2 && sectionBegin >= 0) {
                if (enough({sectionBegin, end + 1}))
                    return outline;
                sectionBegin = -1;
            } else if (depth == 1) {
                inBody = false;
            }
            i = end + 1;
            continue;
        }
        if (c == QLatin1Char('!')) {
            int end = -1;
            if (text.midRef(i, 4) == QLatin1String("<!--")) {
                end = find(text, QLatin1String("-->"), i + 4);
                if (end >= 0)
                    end += 3;
            } else if (text.midRef(i, 9) == QLatin1String("<![CDATA[")) {
                end = find(text, QLatin1String("]]>"), i + 9);
                if (end >= 0)
                    end += 3;
            }
            if (end < 0)
                return outline; // a document type declaration, or unclosed
            i = end;
            continue;
        }
        if (c == QLatin1Char('?')) {
            const int end = find(text, QLatin1String("?>"), i + 2);
            if (end < 0)
                return outline;
            i = end + 2;
            continue;
        }
        // A start tag: its name, then its end, skipping quoted values.
        int nameEnd = i + 1;
        while (nameEnd < n && !isNameEnd(p[nameEnd]))
            ++nameEnd;
        int j = nameEnd;
        QChar quote;
        for (; j < n; ++j) {
            const QChar ch = p[j];
            if (!quote.isNull()) {
                if (ch == quote)
                    quote = QChar();
            } else if (ch == QLatin1Char('"') || ch == QLatin1Char('\'')) {
                quote = ch;
            } else if (ch == QLatin1Char('>')) {
                break;
            }
        }
        if (j >= n)
            return outline;
        const QStringRef name = text.midRef(i + 1, nameEnd - i - 1);
        const bool empty = p[j - 1] == QLatin1Char('/');
        const bool topSection = depth == 2 && inBody && sectionBegin < 0 && name == QLatin1String("section");
        if (empty) {
            if (topSection && enough({i, j + 1}))
                return outline;
        } else {
            if (++depth > maxDepth)
                return outline;
            if (depth == 2)
                inBody = name == QLatin1String("body");
            else if (topSection)
                sectionBegin = i;
        }
        i = j + 1;
    }
    outline.ok = depth == 0 && sectionBegin < 0 && stopAfter < 0;
    if (!outline.ok)
        outline.sections.clear();
    return outline;
}

QString FbOutline::skeleton(const QString& text) const
{
    static const QString placeholder = QStringLiteral("<section/>");
    QString result;
    int size = text.size();
    for (const Range& r : sections)
        size -= r.end - r.begin - placeholder.size();
    result.reserve(size);
    int at = 0;
    for (const Range& r : sections) {
        result.append(text.constData() + at, r.begin - at);
        result.append(placeholder);
        at = r.end;
    }
    result.append(text.constData() + at, text.size() - at);
    return result;
}

} // namespace fb2
