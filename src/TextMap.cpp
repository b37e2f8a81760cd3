#include "TextMap.h"

#include "BookResources.h"

#include <QLoggingCategory>
#include <QRegularExpression>
#include <QUrl>

#include <algorithm>

Q_LOGGING_CATEGORY(lcTextMap, "lanternleaf.textmap", QtWarningMsg)

namespace {
// How many paragraph ends a unit may have more, or the book more, at a unit's
// edges.
constexpr int kSlack = 3;

/// Whether the style sheets named or embedded in a book's `prefix` (its
/// <head>) can change the text a rich-text document holds, not only its
/// looks: in Qt 5's HTML import only "white-space" does (which spaces and line
/// ends stay; "display" in a style sheet is not applied), and Qt's own
/// "-qt-" properties (empty paragraphs) might.
bool sheetsChangeText(const QString& prefix, BookResources* resources)
{
    const int head = prefix.indexOf(QLatin1String("<head>"));
    const int headEnd = prefix.indexOf(QLatin1String("</head>"));
    if (head < 0 || headEnd < head)
        return false;
    const QString headText = prefix.mid(head, headEnd - head);
    QString css = headText; // embedded <style> elements
    static const QRegularExpression link(QStringLiteral("<link\\b[^>]*\\bhref=\"([^\"]*)\""));
    for (auto it = link.globalMatch(headText); it.hasNext();) {
        QString href = it.next().captured(1);
        href.replace(QLatin1String("&quot;"), QLatin1String("\""))
            .replace(QLatin1String("&lt;"), QLatin1String("<"))
            .replace(QLatin1String("&gt;"), QLatin1String(">"))
            .replace(QLatin1String("&amp;"), QLatin1String("&"));
        if (resources)
            css += resources->resource(QTextDocument::StyleSheetResource, QUrl(href)).toString();
    }
    static const QRegularExpression changes(QStringLiteral("white-space|-qt-"),
                                            QRegularExpression::CaseInsensitiveOption);
    return css.contains(changes);
}

QString importText(QString html, const TextStyle& style, const std::shared_ptr<BookResources>& resources,
                   QHash<QString, int>* anchors, int offset)
{
    ChunkDocument document(resources);
    TextStyle plain = style;
    plain.pageSize = QSizeF();
    document.build(html, plain);
    // A whole book's HTML is tens of megabytes: gone before its text is made.
    html = QString();
    if (anchors)
        ChunkDocument::collectAnchors(document, offset, *anchors);
    return ChunkDocument::rawText(document);
}
} // namespace

std::shared_ptr<const TextMap> TextMap::build(const BookText& text, const QVector<BookText::Unit>& units,
                                              const TextStyle& style,
                                              const std::shared_ptr<BookResources>& resources,
                                              const std::function<bool()>& cancelled)
{
    auto map = std::make_shared<TextMap>();
    // Parsing a book's style sheets and matching them against every element
    // can cost more than the rest of the import (three times as much for a
    // book with a few kilobytes of CSS). The map needs only the text, so when
    // the book's sheets cannot change it they are left out here.
    BookText bare = text;
    const bool dropSheets = !sheetsChangeText(text.prefix, resources.get());
    if (dropSheets) {
        const int head = text.prefix.indexOf(QLatin1String("<head>"));
        const int headEnd = text.prefix.indexOf(QLatin1String("</head>"));
        if (head >= 0 && headEnd > head)
            bare.prefix = text.prefix.left(head) + text.prefix.mid(headEnd + 7);
    }
    const auto unitHtml = [&](const BookText::Unit& u) {
        return u.prefix == text.prefix ? bare.prefix + u.body + u.suffix : u.html();
    };
    // Unit texts already imported while building the book's text (a joined
    // book's chunks that were not split).
    QHash<int, QString> known;
    if (!text.joined) {
        map->m_text = importText(bare.wholeHtml(), style, resources, &map->m_anchors, 0);
    } else {
        QVector<int> unitsOfChunk(text.chunks.size(), 0);
        for (const BookText::Unit& u : units)
            ++unitsOfChunk[u.chunk];
        for (int c = 0; c < text.chunks.size(); ++c) {
            if (cancelled())
                return nullptr;
            const QString chunk = importText(bare.chunkHtml(c), style, resources, &map->m_anchors,
                                             map->m_text.size() + (c > 0 ? 1 : 0));
            if (c > 0)
                map->m_text += QChar(QChar::ParagraphSeparator);
            if (unitsOfChunk.at(c) == 1) {
                for (int u = 0; u < units.size(); ++u) {
                    if (units.at(u).chunk == c)
                        known.insert(u, chunk);
                }
            }
            map->m_text += chunk;
        }
    }
    map->m_spans.resize(units.size());
    for (int u = 0; u < units.size(); ++u) {
        if (cancelled())
            return nullptr;
        const auto it = known.constFind(u);
        map->place(u, it != known.constEnd() ? it.value()
                                             : importText(unitHtml(units.at(u)), style, resources, nullptr, 0));
    }
    if (map->m_misplaced > 0)
        qCWarning(lcTextMap) << map->m_misplaced << "of" << units.size() << "units placed approximately";
    return map;
}

void TextMap::place(int unit, const QString& unitText)
{
    Span& span = m_spans[unit];
    span.length = unitText.size();
    const int size = m_text.size();
    for (int lead = 0; lead <= kSlack && lead <= unitText.size(); ++lead) {
        if (lead > 0 && !ChunkDocument::isParagraphEnd(unitText.at(lead - 1)))
            break;
        int coreLength = unitText.size() - lead;
        for (int trimmed = 0; trimmed < kSlack && coreLength > 0 &&
                              ChunkDocument::isParagraphEnd(unitText.at(lead + coreLength - 1));
             ++trimmed)
            --coreLength;
        const QStringRef core = unitText.midRef(lead, coreLength);
        for (int start = m_placed; start <= m_placed + kSlack && start + coreLength <= size; ++start) {
            if (start > m_placed && !ChunkDocument::isParagraphEnd(m_text.at(start - 1)))
                break;
            if (m_text.midRef(start, coreLength) == core) {
                span.start = start;
                span.lead = lead;
                m_placed = start + coreLength;
                return;
            }
        }
    }
    // Not found: keep counting from where the previous unit ended, so that
    // at worst this unit's places are a little off.
    ++m_misplaced;
    qCWarning(lcTextMap) << "unit" << unit << "not found in the book's text at" << m_placed;
    span.start = qMin(m_placed, size);
    span.lead = 0;
    m_placed = qMin(size, m_placed + unitText.size() + 1);
}

int TextMap::unitOf(const QVector<Span>& spans, int position)
{
    if (spans.isEmpty())
        return -1;
    // The last unit starting at or before the position.
    const auto it = std::upper_bound(spans.begin(), spans.end(), position,
                                     [](int p, const Span& s) { return p < s.start; });
    return it == spans.begin() ? 0 : int(it - spans.begin()) - 1;
}

int TextMap::toUnit(const QVector<Span>& spans, int unit, int position)
{
    const Span& s = spans.at(unit);
    return qBound(0, position - s.start + s.lead, s.length);
}

int TextMap::toBook(const QVector<Span>& spans, int characters, int unit, int position)
{
    const Span& s = spans.at(unit);
    const int book = s.start + qMax(0, position - s.lead);
    const int end = unit + 1 < spans.size() ? spans.at(unit + 1).start : characters - 1;
    return qBound(s.start, book, qMax(s.start, end));
}

QString TextMap::plainText() const
{
    QString text = m_text;
    for (QChar& c : text) {
        if (ChunkDocument::isParagraphEnd(c) || c == QChar::LineSeparator)
            c = QLatin1Char('\n');
    }
    return text;
}
