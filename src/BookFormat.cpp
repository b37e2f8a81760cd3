#include "BookFormat.h"

#include "TextDocument.h"
#include "epub/EpubDocument.h"
#include "fb2/FbDocument.h"
#include "mobi/MobiDocument.h"

#include <QFileInfo>

#include <functional>

namespace BookFormat {

namespace {

struct Entry
{
    int code;
    const char* name;
};

// Ascending code order: the suffix lookup takes the first match.
constexpr Entry kRegistry[] = {
    {Epub, "epub"}, {Mobi, "mobi"}, {Fb2, "fb2"}, {Pdf, "pdf"},
    {Djvu, "djvu"}, {Prc, "prc"},   {Cbz, "cbz"}, {Cbr, "cbr"},
};

// Further suffixes read by a registered format; they have no code of their
// own (a Kindle KF8 book is stored as a MOBI book).
constexpr Entry kAliases[] = {{Mobi, "azw3"}};

} // namespace

int formatFromSuffix(const QString& suffix)
{
    for (const Entry& e : kRegistry) {
        if (suffix.compare(QLatin1String(e.name), Qt::CaseInsensitive) == 0)
            return e.code;
    }
    for (const Entry& e : kAliases) {
        if (suffix.compare(QLatin1String(e.name), Qt::CaseInsensitive) == 0)
            return e.code;
    }
    return Unknown;
}

int formatFromPath(const QString& path)
{
    return formatFromSuffix(QFileInfo(path).suffix());
}

QString formatName(int code)
{
    for (const Entry& e : kRegistry) {
        if (e.code == code)
            return QString::fromLatin1(e.name);
    }
    return QStringLiteral("unknown");
}

QList<int> codes()
{
    QList<int> result;
    for (const Entry& e : kRegistry)
        result << e.code;
    return result;
}

QStringList acceptedSuffixes()
{
    return {QStringLiteral("epub"), QStringLiteral("mobi"), QStringLiteral("prc"), QStringLiteral("fb2"),
            QStringLiteral("cbr"),  QStringLiteral("cbz"),  QStringLiteral("pdf"), QStringLiteral("djvu")};
}

QStringList aliasSuffixes()
{
    QStringList result;
    for (const Entry& e : kAliases)
        result << QString::fromLatin1(e.name);
    return result;
}

bool isAccepted(const QString& suffix)
{
    return acceptedSuffixes().contains(suffix, Qt::CaseInsensitive) ||
           aliasSuffixes().contains(suffix, Qt::CaseInsensitive);
}

Viewer viewerFor(int code)
{
    switch (code) {
    case Epub:
    case Mobi:
    case Fb2:
    case Prc:
        return Viewer::Text;
    case Pdf:
    case Djvu:
        return Viewer::Pdf;
    case Cbz:
    case Cbr:
        return Viewer::Image;
    default:
        return Viewer::None;
    }
}

} // namespace BookFormat

TextDocument* createTextDocument(const QString& path)
{
    using Factory = std::function<TextDocument*(const QString&)>;
    // One line per reflowable back-end.
    static const QList<QPair<int, Factory>> factories = {
        {BookFormat::Epub, [](const QString& p) { return new epub::EpubDocument(p); }},
        {BookFormat::Fb2, [](const QString& p) { return new fb2::FbDocument(p); }},
        {BookFormat::Mobi, [](const QString& p) { return new mobi::MobiDocument(p); }},
        {BookFormat::Prc, [](const QString& p) { return new mobi::MobiDocument(p); }},
    };

    const int code = BookFormat::formatFromPath(path);
    for (const auto& f : factories) {
        if (f.first == code)
            return f.second(path);
    }
    return new TextDocument();
}
