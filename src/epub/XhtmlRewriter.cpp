#include "epub/XhtmlRewriter.h"

#include "epub/EpubParser.h"

#include <QList>
#include <QPair>
#include <QRegularExpression>
#include <QSet>

namespace epub {

namespace {

// Elements that never have content in HTML: "<br/>" may stay self-closed.
bool isVoid(const QString& name)
{
    static const QSet<QString> names = {
        QStringLiteral("br"),    QStringLiteral("hr"),  QStringLiteral("img"),    QStringLiteral("meta"),
        QStringLiteral("link"),  QStringLiteral("col"), QStringLiteral("area"),   QStringLiteral("base"),
        QStringLiteral("input"), QStringLiteral("wbr"), QStringLiteral("source"), QStringLiteral("param"),
        QStringLiteral("embed"),
    };
    return names.contains(name);
}

struct Tag
{
    QString name;      ///< as written
    QString localName; ///< lower case, without namespace prefix
    bool closing = false;
    bool selfClosed = false;
    QList<QPair<QString, QString>> attributes; ///< name as written, raw value
    int end = 0;                               ///< index after '>'

    QString value(const char* attribute) const
    {
        for (const auto& a : attributes) {
            if (a.first.compare(QLatin1String(attribute), Qt::CaseInsensitive) == 0)
                return XhtmlRewriter::decodeAttribute(a.second);
        }
        return QString();
    }
};

bool isNameChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char(':') || c == QLatin1Char('-') || c == QLatin1Char('_') ||
           c == QLatin1Char('.');
}

// Parses the tag starting with '<' at `lt`; false when it is not one (a
// stray "<" in text) or never ends.
bool parseTag(const QString& text, int lt, Tag& tag)
{
    const int n = text.size();
    int i = lt + 1;
    tag = Tag();
    if (i < n && text.at(i) == QLatin1Char('/')) {
        tag.closing = true;
        ++i;
    }
    if (i >= n || !text.at(i).isLetter())
        return false;
    const int nameStart = i;
    while (i < n && isNameChar(text.at(i)))
        ++i;
    tag.name = text.mid(nameStart, i - nameStart);
    tag.localName = tag.name.mid(tag.name.lastIndexOf(QLatin1Char(':')) + 1).toLower();
    while (i < n) {
        const QChar c = text.at(i);
        if (c.isSpace()) {
            ++i;
        } else if (c == QLatin1Char('>')) {
            tag.end = i + 1;
            return true;
        } else if (c == QLatin1Char('/')) {
            tag.selfClosed = true;
            ++i;
        } else if (c == QLatin1Char('<')) {
            return false;
        } else {
            tag.selfClosed = false;
            const int attrStart = i;
            while (i < n && !text.at(i).isSpace() && text.at(i) != QLatin1Char('=') &&
                   text.at(i) != QLatin1Char('>') && text.at(i) != QLatin1Char('/'))
                ++i;
            const QString name = text.mid(attrStart, i - attrStart);
            while (i < n && text.at(i).isSpace())
                ++i;
            QString value;
            if (i < n && text.at(i) == QLatin1Char('=')) {
                ++i;
                while (i < n && text.at(i).isSpace())
                    ++i;
                if (i < n && (text.at(i) == QLatin1Char('"') || text.at(i) == QLatin1Char('\''))) {
                    const QChar quote = text.at(i);
                    const int close = text.indexOf(quote, i + 1);
                    if (close < 0)
                        return false;
                    value = text.mid(i + 1, close - i - 1);
                    i = close + 1;
                } else {
                    const int valueStart = i;
                    while (i < n && !text.at(i).isSpace() && text.at(i) != QLatin1Char('>'))
                        ++i;
                    value = text.mid(valueStart, i - valueStart);
                }
            }
            if (!name.isEmpty())
                tag.attributes.append({name, value});
        }
    }
    return false;
}

// The index after the end tag of `name` at or after `from` (the end of the
// text when there is none).
int skipElement(const QString& text, int from, const QString& name)
{
    const int close = text.indexOf(QStringLiteral("</") + name, from, Qt::CaseInsensitive);
    if (close < 0)
        return text.size();
    const int gt = text.indexOf(QLatin1Char('>'), close);
    return gt < 0 ? text.size() : gt + 1;
}

QString escaped(const QString& value)
{
    return value.toHtmlEscaped();
}

class Rewriter
{
public:
    Rewriter(const QString& text, const QString& path, const QString& prefix,
             const XhtmlRewriter::LinkTarget& linkTarget)
        : m_text(text), m_path(path), m_folder(EpubParser::folderOf(path)), m_prefix(prefix),
          m_linkTarget(linkTarget)
    {}

    XhtmlRewriter::Chapter run()
    {
        static const QRegularExpression bodyStart(QStringLiteral("<body[\\s>/]"),
                                                  QRegularExpression::CaseInsensitiveOption);
        const int body = m_text.indexOf(bodyStart);
        Tag tag;
        if (body >= 0 && parseTag(m_text, body, tag)) {
            m_chapter.bodyClass = tag.value("class").simplified();
            m_chapter.bodyStyle = XhtmlRewriter::filterDeclarations(tag.value("style"), true);
            scan(0, body, false);
            int end = m_text.lastIndexOf(QLatin1String("</body"), -1, Qt::CaseInsensitive);
            if (end < tag.end)
                end = m_text.size();
            scan(tag.end, end, true);
        } else {
            scan(0, m_text.size(), true);
        }
        return m_chapter;
    }

private:
    void scan(int from, int to, bool output)
    {
        int pos = from;
        while (pos < to) {
            const int lt = m_text.indexOf(QLatin1Char('<'), pos);
            if (lt < 0 || lt >= to) {
                if (output)
                    m_chapter.html += m_text.midRef(pos, to - pos);
                return;
            }
            if (output)
                m_chapter.html += m_text.midRef(pos, lt - pos);
            pos = special(lt, to, output);
            if (pos >= 0)
                continue;
            Tag tag;
            if (!parseTag(m_text, lt, tag) || tag.end > to) {
                if (output)
                    m_chapter.html += QLatin1String("&lt;");
                pos = lt + 1;
                continue;
            }
            pos = element(tag, output);
        }
    }

    // Comments, CDATA, the prolog and declarations; -1 when `lt` starts none.
    int special(int lt, int to, bool output)
    {
        const QStringRef rest = m_text.midRef(lt, 9);
        if (rest.startsWith(QLatin1String("<!--"))) {
            const int end = m_text.indexOf(QLatin1String("-->"), lt + 4);
            return end < 0 ? to : qMin(to, end + 3);
        }
        if (rest.startsWith(QLatin1String("<![CDATA["))) {
            const int end = m_text.indexOf(QLatin1String("]]>"), lt + 9);
            const int stop = end < 0 ? to : qMin(to, end);
            if (output)
                m_chapter.html += m_text.mid(lt + 9, qMax(0, stop - lt - 9)).toHtmlEscaped();
            return end < 0 ? to : qMin(to, end + 3);
        }
        if (rest.startsWith(QLatin1String("<?"))) {
            const int end = m_text.indexOf(QLatin1String("?>"), lt + 2);
            return end < 0 ? to : qMin(to, end + 2);
        }
        if (rest.startsWith(QLatin1String("<!"))) {
            // A document type may hold an internal subset: "[ ... ]>".
            const int bracket = m_text.indexOf(QLatin1Char('['), lt);
            const int gt = m_text.indexOf(QLatin1Char('>'), lt);
            int end = gt;
            if (bracket >= 0 && gt >= 0 && bracket < gt) {
                const int close = m_text.indexOf(QLatin1String("]>"), bracket);
                end = close < 0 ? -1 : close + 1;
            }
            return end < 0 ? to : qMin(to, end + 1);
        }
        return -1;
    }

    // Handles one tag; returns where the scan goes on.
    int element(const Tag& tag, bool output)
    {
        const QString& name = tag.localName;
        if (tag.closing) {
            static const QSet<QString> dropped = {QStringLiteral("html"), QStringLiteral("body"),
                                                  QStringLiteral("head"), QStringLiteral("link"),
                                                  QStringLiteral("meta"), QStringLiteral("base")};
            if (output && !dropped.contains(name))
                m_chapter.html += QStringLiteral("</%1>").arg(tag.name);
            return tag.end;
        }
        if (name == QLatin1String("style")) {
            const int end = tag.selfClosed ? tag.end : skipElement(m_text, tag.end, tag.name);
            const int close = m_text.lastIndexOf(QLatin1String("</"), end - 1);
            if (!tag.selfClosed && close > tag.end)
                m_chapter.inlineStyles << m_text.mid(tag.end, close - tag.end);
            return end;
        }
        if (name == QLatin1String("link")) {
            const QStringList rel = tag.value("rel").toLower().split(QLatin1Char(' '), Qt::SkipEmptyParts);
            if (rel.contains(QLatin1String("stylesheet"))) {
                const QString sheet = EpubParser::resolve(m_folder, tag.value("href"));
                if (!sheet.isEmpty() && !m_chapter.styleSheets.contains(sheet))
                    m_chapter.styleSheets << sheet;
            }
            return tag.end;
        }
        if (name == QLatin1String("script") || name == QLatin1String("title")) {
            return tag.selfClosed ? tag.end : skipElement(m_text, tag.end, tag.name);
        }
        if (name == QLatin1String("head")) {
            if (tag.selfClosed)
                return tag.end;
            const int end = skipElement(m_text, tag.end, tag.name);
            scan(tag.end, end, false);
            return end;
        }
        if (name == QLatin1String("svg")) {
            const int end = tag.selfClosed ? tag.end : skipElement(m_text, tag.end, tag.name);
            if (output)
                svgImage(tag.end, end);
            return end;
        }
        if (!output)
            return tag.end;
        static const QSet<QString> dropped = {QStringLiteral("html"), QStringLiteral("body"),
                                              QStringLiteral("meta"), QStringLiteral("base")};
        if (!dropped.contains(name))
            startTag(tag);
        return tag.end;
    }

    // An SVG wrapper shows the image it holds; the rest of the SVG cannot be
    // drawn by the rich-text engine.
    void svgImage(int from, int to)
    {
        static const QRegularExpression image(QStringLiteral("<(\\w+:)?image[\\s/>]"),
                                              QRegularExpression::CaseInsensitiveOption);
        const QRegularExpressionMatch m = image.match(m_text.mid(from, to - from));
        Tag tag;
        if (!m.hasMatch() || !parseTag(m_text, from + int(m.capturedStart()), tag))
            return;
        QString href = tag.value("xlink:href");
        if (href.isEmpty())
            href = tag.value("href");
        const QString path = EpubParser::resolve(m_folder, href);
        if (path.isEmpty())
            return;
        m_chapter.images << path;
        m_chapter.html += QStringLiteral("<img src=\"%1\"/>").arg(escaped(path));
    }

    QString anchor(const QString& id) const { return m_prefix + id; }

    void startTag(const Tag& tag)
    {
        const QString& name = tag.localName;
        QString html = QLatin1Char('<') + tag.name;
        for (const auto& a : tag.attributes) {
            const QString attribute = a.first.toLower();
            QString value = XhtmlRewriter::decodeAttribute(a.second);
            if (attribute == QLatin1String("id") ||
                (name == QLatin1String("a") && attribute == QLatin1String("name"))) {
                value = anchor(value);
                m_chapter.selectorNames.insert(QLatin1Char('#') + value.toLower());
            } else if (attribute == QLatin1String("class")) {
                // The rich-text engine splits at spaces only: splitting at
                // any white space gives every name it can match, and more.
                for (const QString& c : value.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts))
                    m_chapter.selectorNames.insert(QLatin1Char('.') + c.toLower());
            } else if (attribute == QLatin1String("style")) {
                value = XhtmlRewriter::filterDeclarations(value);
                if (value.isEmpty())
                    continue;
            } else if (name == QLatin1String("img") && attribute == QLatin1String("src")) {
                value = EpubParser::resolve(m_folder, value);
                if (value.isEmpty())
                    continue;
                m_chapter.images << value;
            } else if (name == QLatin1String("img") &&
                       (attribute == QLatin1String("width") || attribute == QLatin1String("height"))) {
                continue;
            } else if (name == QLatin1String("a") && attribute == QLatin1String("href")) {
                value = linkHref(value);
                if (value.isEmpty())
                    continue;
            } else if (attribute.startsWith(QLatin1String("on"))) {
                continue;
            }
            html += QStringLiteral(" %1=\"%2\"").arg(a.first, escaped(value));
        }
        if (tag.selfClosed && isVoid(name))
            html += QLatin1String(" />");
        else if (tag.selfClosed)
            html += QStringLiteral("></%1>").arg(tag.name);
        else
            html += QLatin1Char('>');
        m_chapter.html += html;
    }

    QString linkHref(const QString& href) const
    {
        if (href.startsWith(QLatin1Char('#'))) {
            const QString target = m_linkTarget(m_path, href.mid(1));
            return target.isEmpty() ? QString() : QLatin1Char('#') + target;
        }
        QString fragment;
        const QString path = EpubParser::resolve(m_folder, href, &fragment);
        if (path.isEmpty()) {
            static const QRegularExpression external(QStringLiteral("^(https?|mailto|ftp):"),
                                                     QRegularExpression::CaseInsensitiveOption);
            return external.match(href).hasMatch() ? href : QString();
        }
        const QString target = m_linkTarget(path, fragment);
        return target.isEmpty() ? QString() : QLatin1Char('#') + target;
    }

    const QString& m_text;
    QString m_path;
    QString m_folder;
    QString m_prefix;
    const XhtmlRewriter::LinkTarget& m_linkTarget;
    XhtmlRewriter::Chapter m_chapter;
};

bool keepDeclaration(const QString& property, const QString& value, bool body)
{
    // The reader's page margins stand for the body's.
    if (body &&
        (property.startsWith(QLatin1String("margin")) || property.startsWith(QLatin1String("padding"))))
        return false;
    static const QSet<QString> dropped = {
        QStringLiteral("color"),
        QStringLiteral("background"),
        QStringLiteral("background-color"),
        QStringLiteral("background-image"),
        QStringLiteral("font-family"),
        QStringLiteral("font"),
        QStringLiteral("line-height"),
    };
    if (dropped.contains(property))
        return false;
    if (property == QLatin1String("font-size")) {
        static const QRegularExpression absolute(QStringLiteral("\\d\\s*(px|pt|pc|cm|mm|in)\\b"),
                                                 QRegularExpression::CaseInsensitiveOption);
        return !absolute.match(value).hasMatch();
    }
    return true;
}

} // namespace

XhtmlRewriter::Chapter XhtmlRewriter::rewrite(const QString& text, const QString& path, const QString& prefix,
                                              const LinkTarget& linkTarget)
{
    return Rewriter(text, path, prefix, linkTarget).run();
}

QString XhtmlRewriter::decodeAttribute(const QString& value)
{
    if (!value.contains(QLatin1Char('&')))
        return value;
    QString out;
    out.reserve(value.size());
    const int n = value.size();
    for (int i = 0; i < n; ++i) {
        if (value.at(i) != QLatin1Char('&')) {
            out += value.at(i);
            continue;
        }
        const int semicolon = value.indexOf(QLatin1Char(';'), i + 1);
        if (semicolon < 0 || semicolon - i > 12) {
            out += value.at(i);
            continue;
        }
        const QString name = value.mid(i + 1, semicolon - i - 1);
        bool ok = false;
        uint code = 0;
        if (name.startsWith(QLatin1String("#x"), Qt::CaseInsensitive))
            code = name.mid(2).toUInt(&ok, 16);
        else if (name.startsWith(QLatin1Char('#')))
            code = name.mid(1).toUInt(&ok, 10);
        if (ok && code > 0 && code <= 0x10FFFF) {
            out += QString::fromUcs4(&code, 1);
        } else if (name == QLatin1String("amp")) {
            out += QLatin1Char('&');
        } else if (name == QLatin1String("lt")) {
            out += QLatin1Char('<');
        } else if (name == QLatin1String("gt")) {
            out += QLatin1Char('>');
        } else if (name == QLatin1String("quot")) {
            out += QLatin1Char('"');
        } else if (name == QLatin1String("apos")) {
            out += QLatin1Char('\'');
        } else {
            out += value.midRef(i, semicolon - i + 1);
        }
        i = semicolon;
    }
    return out;
}

QString XhtmlRewriter::filterDeclarations(const QString& declarations, bool body)
{
    QStringList kept;
    for (const QString& declaration : declarations.split(QLatin1Char(';'))) {
        const int colon = declaration.indexOf(QLatin1Char(':'));
        if (colon <= 0)
            continue;
        const QString property = declaration.left(colon).trimmed().toLower();
        const QString value = declaration.mid(colon + 1).trimmed();
        if (!property.isEmpty() && !value.isEmpty() && keepDeclaration(property, value, body))
            kept << property + QStringLiteral(": ") + value;
    }
    return kept.join(QStringLiteral("; "));
}

const char* const XhtmlRewriter::chapterClass = "ll-chapter";

namespace {

// One selector of a rule (no commas) for the joined book; `body` tells
// whether it selects the body itself.
QString scopedSelector(const QString& selector, const QString& scope, bool& body)
{
    QStringList parts = selector.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    static const QRegularExpression root(QStringLiteral("^(html|body)(?=$|[.#:\\[])"),
                                         QRegularExpression::CaseInsensitiveOption);
    // "html body p", "body p" and "body.x p" start at the chapter's element.
    bool rooted = false;
    QString compound;
    while (!parts.isEmpty()) {
        const QRegularExpressionMatch m = root.match(parts.first());
        if (!m.hasMatch())
            break;
        rooted = true;
        compound = parts.first().mid(m.capturedLength());
        parts.removeFirst();
        if (!compound.isEmpty())
            break;
    }
    const QString element =
        QLatin1Char('.') + (scope.isEmpty() ? QString::fromLatin1(XhtmlRewriter::chapterClass) : scope);
    body = rooted && parts.isEmpty();
    if (rooted)
        return parts.isEmpty() ? element + compound
                               : element + compound + QLatin1Char(' ') + parts.join(QLatin1Char(' '));
    if (parts.isEmpty())
        return QString();
    return scope.isEmpty() ? parts.join(QLatin1Char(' '))
                           : element + QLatin1Char(' ') + parts.join(QLatin1Char(' '));
}

} // namespace

namespace {

// Whether `selector` can match, as far as the classes and ids it names go:
// false when it names one that is not in `names` (".x", "#y", lower case).
// Names with escapes, and whatever stands in attribute selectors, count as
// present.
bool namesPresent(const QString& selector, const QSet<QString>& names)
{
    const int n = selector.size();
    for (int i = 0; i < n; ++i) {
        const QChar c = selector.at(i);
        if (c == QLatin1Char('\\'))
            return true;
        if (c == QLatin1Char('[')) {
            // Skip the attribute selector, quoted values included.
            QChar quote;
            for (++i; i < n; ++i) {
                const QChar d = selector.at(i);
                if (!quote.isNull()) {
                    if (d == quote)
                        quote = QChar();
                } else if (d == QLatin1Char('"') || d == QLatin1Char('\'')) {
                    quote = d;
                } else if (d == QLatin1Char(']')) {
                    break;
                }
            }
            continue;
        }
        if (c != QLatin1Char('.') && c != QLatin1Char('#'))
            continue;
        int end = i + 1;
        while (end < n && (selector.at(end).isLetterOrNumber() || selector.at(end) == QLatin1Char('-') ||
                           selector.at(end) == QLatin1Char('_') || selector.at(end).unicode() >= 0x80))
            ++end;
        if (end < n && selector.at(end) == QLatin1Char('\\'))
            return true;
        if (end > i + 1 && !names.contains(c + selector.mid(i + 1, end - i - 1).toLower()))
            return false;
        i = end - 1;
    }
    return true;
}

} // namespace

QString XhtmlRewriter::filterCss(const QString& css, const QString& scope, const QSet<QString>* selectorNames)
{
    static const QRegularExpression comments(QStringLiteral("/\\*.*?\\*/"),
                                             QRegularExpression::DotMatchesEverythingOption);
    QString text = css;
    text.remove(comments);
    QString out;
    int pos = 0;
    const int n = text.size();
    while (pos < n) {
        const int brace = text.indexOf(QLatin1Char('{'), pos);
        const int semicolon = text.indexOf(QLatin1Char(';'), pos);
        const QString head = text.mid(pos, (brace < 0 ? n : brace) - pos).trimmed();
        // Statement at-rules ("@import url(x);", "@charset") end at ';'.
        if (head.startsWith(QLatin1Char('@')) && semicolon >= 0 && (brace < 0 || semicolon < brace)) {
            pos = semicolon + 1;
            continue;
        }
        if (brace < 0)
            break;
        // The block, nested braces included.
        int depth = 1;
        int end = brace + 1;
        while (end < n && depth > 0) {
            if (text.at(end) == QLatin1Char('{'))
                ++depth;
            else if (text.at(end) == QLatin1Char('}'))
                --depth;
            ++end;
        }
        const QString inner = text.mid(brace + 1, end - brace - 2);
        if (head.startsWith(QLatin1String("@media"), Qt::CaseInsensitive)) {
            // Only plain media types can be answered here; the rules for the
            // screen are kept as they are. (Queries the rich-text engine
            // cannot evaluate also slow its style matching down.)
            const QString query = head.mid(6).toLower();
            static const QRegularExpression screen(QStringLiteral("\\b(all|screen)\\b"));
            if (!query.contains(QLatin1Char('(')) && screen.match(query).hasMatch())
                out += filterCss(inner, scope, selectorNames);
        } else if (!head.startsWith(QLatin1Char('@')) && !head.isEmpty()) {
            // Body rules and the others keep different declarations.
            QStringList bodySelectors;
            QStringList otherSelectors;
            for (const QString& selector : head.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
                // Pseudo-classes and pseudo-elements (":first-line") never
                // match in rich text, and they make every match slower.
                if (selector.contains(QLatin1Char(':')))
                    continue;
                if (selectorNames && !namesPresent(selector, *selectorNames))
                    continue;
                bool body = false;
                const QString scoped = scopedSelector(selector, scope, body);
                if (!scoped.isEmpty())
                    (body ? bodySelectors : otherSelectors) << scoped;
            }
            for (int pass = 0; pass < 2; ++pass) {
                const QStringList& selectors = pass == 0 ? otherSelectors : bodySelectors;
                const QString kept = filterDeclarations(inner, pass == 1);
                if (!selectors.isEmpty() && !kept.isEmpty())
                    out += selectors.join(QStringLiteral(", ")) + QStringLiteral(" { ") + kept +
                           QStringLiteral(" }\n");
            }
        }
        pos = end;
    }
    return out;
}

} // namespace epub
