#include "fb2/FbConverter.h"

#include <QCoreApplication>
#include <QDomElement>
#include <QRegularExpression>
#include <QUuid>
#include <QtConcurrent>

#include <functional>

#include "fb2/FbParser.h"

namespace fb2 {

namespace {

QString wrapP(const QString& inner)
{
    return QStringLiteral("<p>") + inner + QStringLiteral("</p>");
}

bool isParagraphLike(const QString& n)
{
    return n == QLatin1String("p") || n == QLatin1String("text-author") || n == QLatin1String("subtitle") ||
           n == QLatin1String("v") || n == QLatin1String("date");
}

void assignIds(Section& s)
{
    if (s.id.isEmpty())
        s.id = QUuid::createUuid().toString();
    for (Section& child : s.sections)
        assignIds(child);
}

void sectionHtml(const Section& s, QString& html)
{
    if (!s.title.isEmpty())
        html += QStringLiteral("<h4 id=\"%1\">%2</h4>").arg(s.id.toHtmlEscaped(), s.title);
    for (const QString& epigraph : s.epigraphs)
        html += wrapP(epigraph);
    // The section's images are part of its content, in document order.
    for (const Section::Item& item : s.content) {
        if (item.section >= 0 && item.section < s.sections.size())
            sectionHtml(s.sections.at(item.section), html);
        else
            html += item.html;
    }
}

QList<TocPoint> sectionToc(const QList<Section>& sections,
                           const std::function<int(const QString&)>& anchorPosition)
{
    QList<TocPoint> points;
    for (const Section& s : sections) {
        const QList<TocPoint> children = sectionToc(s.sections, anchorPosition);
        const QString title = FbConverter::stripTitle(s.title);
        if (title.isEmpty()) {
            // An untitled section has no heading to lead to: its titled
            // subsections take its place.
            points << children;
            continue;
        }
        TocPoint p;
        p.title = title;
        p.position = anchorPosition(s.id);
        p.children = children;
        points << p;
    }
    return points;
}

} // namespace

QString FbConverter::imageTag(const QString& id)
{
    return QStringLiteral("<img src=\"%1\" />").arg(id.toHtmlEscaped());
}

QString FbConverter::inlineText(const QDomElement& e)
{
    QString html;
    for (QDomNode n = e.firstChild(); !n.isNull(); n = n.nextSibling()) {
        if (n.isText() || n.isCDATASection()) {
            // Book text is text, never markup.
            html += n.nodeValue().toHtmlEscaped();
            continue;
        }
        const QDomElement c = n.toElement();
        if (c.isNull())
            continue;
        const QString name = c.tagName();
        if (name == QLatin1String("emphasis"))
            html += QStringLiteral("<i>") + inlineText(c) + QStringLiteral("</i>");
        else if (name == QLatin1String("strong"))
            html += QStringLiteral("<b>") + inlineText(c) + QStringLiteral("</b>");
        else if (name == QLatin1String("strikethrough"))
            html += QStringLiteral("<s>") + inlineText(c) + QStringLiteral("</s>");
        else if (name == QLatin1String("sup"))
            html += QStringLiteral("<sup>") + inlineText(c) + QStringLiteral("</sup>");
        else if (name == QLatin1String("sub"))
            html += QStringLiteral("<sub>") + inlineText(c) + QStringLiteral("</sub>");
        else if (name == QLatin1String("image"))
            html += imageTag(FbParser::imageHref(c));
        else
            html += inlineText(c); // style, a, code...: their content
    }
    return html;
}

QString FbConverter::paragraphs(const QDomElement& e, bool cite)
{
    QString html;
    for (QDomNode n = e.firstChild(); !n.isNull(); n = n.nextSibling()) {
        if (n.isText() || n.isCDATASection()) {
            const QString text = n.nodeValue().trimmed();
            if (!text.isEmpty())
                html += wrapP(text.toHtmlEscaped());
            continue;
        }
        const QDomElement c = n.toElement();
        if (c.isNull())
            continue;
        const QString name = c.tagName();
        if (isParagraphLike(name))
            html += wrapP(inlineText(c));
        else if (name == QLatin1String("empty-line"))
            html += cite ? QStringLiteral("</br>") : QStringLiteral("<br/>");
        else if (name == QLatin1String("poem"))
            html += poem(c);
        else if (name == QLatin1String("table"))
            html += table(c);
        else if (name == QLatin1String("image"))
            html += imageTag(FbParser::imageHref(c));
        else
            html += paragraphs(c, cite);
    }
    return html;
}

QString FbConverter::poem(const QDomElement& e)
{
    QString html;
    for (QDomElement c = e.firstChildElement(); !c.isNull(); c = c.nextSiblingElement()) {
        const QString name = c.tagName();
        if (name == QLatin1String("title") || name == QLatin1String("epigraph")) {
            html += paragraphs(c);
        } else if (name == QLatin1String("stanza")) {
            QStringList verses;
            for (QDomElement v = c.firstChildElement(); !v.isNull(); v = v.nextSiblingElement()) {
                if (v.tagName() == QLatin1String("v"))
                    verses << inlineText(v);
                else if (v.tagName() == QLatin1String("title") || v.tagName() == QLatin1String("subtitle"))
                    html += paragraphs(v);
            }
            if (!verses.isEmpty())
                html += wrapP(verses.join(QStringLiteral("<br/>")));
        } else if (isParagraphLike(name)) {
            html += wrapP(inlineText(c));
        }
    }
    return html;
}

QString FbConverter::table(const QDomElement& e)
{
    QString html = QStringLiteral("<table>");
    for (QDomElement row = e.firstChildElement(QStringLiteral("tr")); !row.isNull();
         row = row.nextSiblingElement(QStringLiteral("tr"))) {
        html += QStringLiteral("<tr>");
        for (QDomElement cell = row.firstChildElement(); !cell.isNull(); cell = cell.nextSiblingElement()) {
            const QString tag =
                cell.tagName() == QLatin1String("th") ? QStringLiteral("th") : QStringLiteral("td");
            html += QStringLiteral("<%1>%2</%1>").arg(tag, inlineText(cell));
        }
        html += QStringLiteral("</tr>");
    }
    return html + QStringLiteral("</table>");
}

QString FbConverter::toHtml(Book& book)
{
    return QStringLiteral("<html><body>") + toChunks(book).join(QString()) + QStringLiteral("</body></html>");
}

QStringList FbConverter::toChunks(Book& book)
{
    for (Body& body : book.bodies) {
        if (body.id.isEmpty())
            body.id = QUuid::createUuid().toString();
        for (Section& s : body.sections)
            assignIds(s);
    }

    // The sections' HTML is put together side by side (a large book has
    // hundreds of them); the chunks below only join it.
    QVector<const Section*> sections;
    for (const Body& body : book.bodies) {
        for (const Section& s : body.sections)
            sections << &s;
    }
    const std::function<QString(const Section*)> toHtml = [](const Section* s) {
        QString html;
        sectionHtml(*s, html);
        return html;
    };
    const QStringList sectionHtmls = QtConcurrent::blockingMapped<QStringList>(sections, toHtml);
    int next = 0;

    QStringList chunks;
    const QString cover = book.description.titleInfo.coverpage;
    if (!cover.isEmpty())
        chunks << QStringLiteral("<center><img src=\"%1\" /></center>").arg(cover.toHtmlEscaped()) +
                      QStringLiteral("<p style=\"page-break-after:always\"></p>");
    for (const Body& body : book.bodies) {
        // The body's heading goes with its first section.
        QString html;
        if (!body.title.isEmpty())
            html += QStringLiteral("<h2 id=\"%1\">%2</h2>").arg(body.id.toHtmlEscaped(), body.title);
        else
            // Still an anchor, so that the table of contents leads here.
            html += QStringLiteral("<a name=\"%1\"></a>").arg(body.id.toHtmlEscaped());
        for (const QString& epigraph : body.epigraphs)
            html += wrapP(epigraph);
        for (const QString& image : body.images)
            html += imageTag(image);
        for (int i = 0; i < body.sections.size(); ++i) {
            html += sectionHtmls.at(next++);
            chunks << html;
            html.clear();
        }
        if (!html.isEmpty())
            chunks << html;
    }
    return chunks;
}

QString FbConverter::stripTitle(const QString& html)
{
    static const QRegularExpression tags(QStringLiteral("</?(p|b|i|s)>|<br/>"));
    // Anything else a title may hold (note references, superscripts,
    // pictures) is markup too: shown in the contents it would read as
    // "<sup>[18]</sup>".
    static const QRegularExpression otherTags(QStringLiteral("<[^>]*>"));
    QString text = html;
    // Tags become spaces so that the lines of a two-line title stay words.
    text.replace(tags, QStringLiteral(" "));
    text.remove(otherTags);
    text.replace(QLatin1String("&lt;"), QLatin1String("<"));
    text.replace(QLatin1String("&gt;"), QLatin1String(">"));
    text.replace(QLatin1String("&quot;"), QLatin1String("\""));
    text.replace(QLatin1String("&#39;"), QLatin1String("'"));
    text.replace(QLatin1String("&amp;"), QLatin1String("&"));
    return text.simplified();
}

QList<TocPoint> FbConverter::toc(const Book& book, const std::function<int(const QString&)>& anchorPosition)
{
    QList<TocPoint> points;
    int number = 0;
    for (const Body& body : book.bodies) {
        ++number;
        TocPoint p;
        p.title = stripTitle(body.title);
        if (p.title.isEmpty())
            p.title = QStringLiteral("%1 %2").arg(
                QCoreApplication::translate("fb2::FbDocument", "Partition",
                                            "The section title of the book if it is not specified"),
                QString::number(number));
        p.position = anchorPosition(body.id);
        p.children = sectionToc(body.sections, anchorPosition);
        points << p;
    }
    return points;
}

} // namespace fb2
