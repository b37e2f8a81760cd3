#include "epub/EpubBook.h"

#include <QRegularExpression>

namespace epub {

namespace {

// The elements behind the library's metadata codes, in code order.
const char* const kCodeElements[] = {
    "dc:identifier",  "dc:title", "dc:creator", "dc:contributor", "dc:subject",  "dc:publisher",
    "dc:description", "dc:type",  "dc:format",  "dc:source",      "dc:language", "dc:rights",
};
constexpr int kDescriptionCode = 6;

// Descriptions are often HTML (escaped in the package): keep the words.
QString plainText(QString text)
{
    if (!text.contains(QLatin1Char('<')))
        return text.simplified();
    static const QRegularExpression breaks(QStringLiteral("<\\s*(br|/p|/div|/li)[^>]*>"),
                                           QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression tags(QStringLiteral("<[^>]*>"));
    text.replace(breaks, QStringLiteral("\n"));
    text.remove(tags);
    text.replace(QLatin1String("&nbsp;"), QLatin1String(" "));
    text.replace(QLatin1String("&lt;"), QLatin1String("<"));
    text.replace(QLatin1String("&gt;"), QLatin1String(">"));
    text.replace(QLatin1String("&quot;"), QLatin1String("\""));
    text.replace(QLatin1String("&#39;"), QLatin1String("'"));
    text.replace(QLatin1String("&amp;"), QLatin1String("&"));
    QStringList lines;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        const QString simple = line.simplified();
        if (!simple.isEmpty())
            lines << simple;
    }
    return lines.join(QLatin1Char('\n'));
}

} // namespace

ManifestItem Book::item(const QString& id) const
{
    for (const QList<ManifestItem>* list : {&contentDocuments, &images, &styleSheets}) {
        for (const ManifestItem& i : *list) {
            if (i.id == id)
                return i;
        }
    }
    if (ncx.id == id && !id.isEmpty())
        return ncx;
    return ManifestItem();
}

QString Book::title() const
{
    const QStringList titles = metadata.value(QStringLiteral("dc:title"));
    return titles.isEmpty() ? QString() : titles.first().simplified();
}

QString Book::authors() const
{
    QStringList names;
    for (const QString& creator : metadata.value(QStringLiteral("dc:creator"))) {
        const QString name = creator.simplified();
        if (!name.isEmpty())
            names << name;
    }
    return names.join(QStringLiteral(", "));
}

QMap<int, QString> Book::metadataCodes() const
{
    QMap<int, QString> codes;
    for (int code = 0; code < int(sizeof kCodeElements / sizeof *kCodeElements); ++code) {
        QStringList values;
        for (const QString& value : metadata.value(QLatin1String(kCodeElements[code]))) {
            const QString text = code == kDescriptionCode ? plainText(value) : value.simplified();
            if (!text.isEmpty())
                values << text;
        }
        if (!values.isEmpty())
            codes.insert(code, values.join(QLatin1Char(' ')));
    }
    return codes;
}

} // namespace epub
