#include "epub/EpubParser.h"

#include "ArchiveReader.h"
#include "Limits.h"
#include "Logger.h"
#include "SafeImage.h"

#include <QLoggingCategory>
#include <QRegularExpression>
#include <QSet>
#include <QTextCodec>
#include <QUrl>
#include <QXmlStreamReader>

Q_LOGGING_CATEGORY(lcEpub, "lanternleaf.epub", QtWarningMsg)

namespace epub {

namespace {

const QString kContainer = QStringLiteral("META-INF/container.xml");
const QString kEncryption = QStringLiteral("META-INF/encryption.xml");
const QString kPackageType = QStringLiteral("application/oebps-package+xml");
const QString kXhtmlType = QStringLiteral("application/xhtml+xml");
const QString kNcxType = QStringLiteral("application/x-dtbncx+xml");
const QString kDcNamespace = QStringLiteral("http://purl.org/dc/elements/1.1/");
const QString kOpsNamespace = QStringLiteral("http://www.idpf.org/2007/ops");

bool isImageType(const QString& type)
{
    return type == QLatin1String("image/gif") || type == QLatin1String("image/jpeg") ||
           type == QLatin1String("image/png") || type == QLatin1String("image/svg+xml") ||
           type == QLatin1String("image/webp");
}

bool isContentType(const QString& type)
{
    // "text/html" is wrong in an EPUB but common in books made by hand.
    return type == kXhtmlType || type == QLatin1String("text/html");
}

// One streaming pass before the real parse: entity declarations (entity
// bombs, external entities) and absurd nesting are refused. The DTD is read
// here, never expanded.
bool isSafeXml(const QString& text, QString& reason)
{
    QXmlStreamReader r(text);
    r.setNamespaceProcessing(false);
    int depth = 0;
    while (!r.atEnd()) {
        r.readNext();
        if (r.isDTD()) {
            if (!r.entityDeclarations().isEmpty() || r.text().contains(QLatin1String("<!ENTITY"))) {
                reason = QStringLiteral("the document declares entities");
                return false;
            }
        } else if (r.isStartElement()) {
            if (++depth > Limits::maxXmlDepth) {
                reason = QStringLiteral("elements nested too deep");
                return false;
            }
        } else if (r.isEndElement()) {
            --depth;
        }
    }
    return true;
}

// Latin-1 names from U+00A0 on, in code order.
const char* const kLatin1Entities[] = {
    "nbsp",   "iexcl",  "cent",   "pound",  "curren", "yen",    "brvbar", "sect",   "uml",    "copy",
    "ordf",   "laquo",  "not",    "shy",    "reg",    "macr",   "deg",    "plusmn", "sup2",   "sup3",
    "acute",  "micro",  "para",   "middot", "cedil",  "sup1",   "ordm",   "raquo",  "frac14", "frac12",
    "frac34", "iquest", "Agrave", "Aacute", "Acirc",  "Atilde", "Auml",   "Aring",  "AElig",  "Ccedil",
    "Egrave", "Eacute", "Ecirc",  "Euml",   "Igrave", "Iacute", "Icirc",  "Iuml",   "ETH",    "Ntilde",
    "Ograve", "Oacute", "Ocirc",  "Otilde", "Ouml",   "times",  "Oslash", "Ugrave", "Uacute", "Ucirc",
    "Uuml",   "Yacute", "THORN",  "szlig",  "agrave", "aacute", "acirc",  "atilde", "auml",   "aring",
    "aelig",  "ccedil", "egrave", "eacute", "ecirc",  "euml",   "igrave", "iacute", "icirc",  "iuml",
    "eth",    "ntilde", "ograve", "oacute", "ocirc",  "otilde", "ouml",   "divide", "oslash", "ugrave",
    "uacute", "ucirc",  "uuml",   "yacute", "thorn",  "yuml",
};

const QHash<QString, int>& entityTable()
{
    static const QHash<QString, int> table = [] {
        QHash<QString, int> t;
        for (int i = 0; i < int(sizeof kLatin1Entities / sizeof *kLatin1Entities); ++i)
            t.insert(QLatin1String(kLatin1Entities[i]), 0xA0 + i);
        const std::pair<const char*, int> more[] = {
            {"OElig", 338},   {"oelig", 339},  {"Scaron", 352},  {"scaron", 353},  {"Yuml", 376},
            {"circ", 710},    {"tilde", 732},  {"ensp", 8194},   {"emsp", 8195},   {"thinsp", 8201},
            {"zwnj", 8204},   {"zwj", 8205},   {"lrm", 8206},    {"rlm", 8207},    {"ndash", 8211},
            {"mdash", 8212},  {"lsquo", 8216}, {"rsquo", 8217},  {"sbquo", 8218},  {"ldquo", 8220},
            {"rdquo", 8221},  {"bdquo", 8222}, {"dagger", 8224}, {"Dagger", 8225}, {"bull", 8226},
            {"hellip", 8230}, {"prime", 8242}, {"Prime", 8243},  {"euro", 8364},   {"trade", 8482},
            {"larr", 8592},   {"rarr", 8594},
        };
        for (const auto& e : more)
            t.insert(QLatin1String(e.first), e.second);
        return t;
    }();
    return table;
}

// Reads the text of the current element, children included, simplified.
QString elementText(QXmlStreamReader& r)
{
    return r.readElementText(QXmlStreamReader::IncludeChildElements).simplified();
}

QString attribute(const QXmlStreamReader& r, const char* name)
{
    return r.attributes().value(QLatin1String(name)).toString();
}

// NCX navPoint, read up to its end element.
NavPoint readNavPoint(QXmlStreamReader& r, const QString& baseDir, int depth)
{
    NavPoint point;
    point.id = attribute(r, "id");
    point.playOrder = attribute(r, "playOrder").toInt();
    while (r.readNextStartElement()) {
        const QStringRef name = r.name();
        if (name == QLatin1String("navLabel")) {
            while (r.readNextStartElement()) {
                if (r.name() == QLatin1String("text") && point.label.isEmpty())
                    point.label = elementText(r);
                else
                    r.skipCurrentElement();
            }
        } else if (name == QLatin1String("content")) {
            const QString src = attribute(r, "src");
            bool escapes = false;
            point.src = EpubParser::resolve(baseDir, src, &point.fragment, &escapes);
            if (escapes)
                logWarning(QStringLiteral("Refused href outside the book:%1").arg(src));
            qCDebug(lcEpub) << QStringLiteral("src%1 . normsrc:%2").arg(src, point.src);
            r.skipCurrentElement();
        } else if (name == QLatin1String("navPoint") && depth < Limits::maxXmlDepth) {
            point.children << readNavPoint(r, baseDir, depth + 1);
        } else {
            r.skipCurrentElement();
        }
    }
    return point;
}

QList<NavPoint> readNavList(QXmlStreamReader& r, const QString& baseDir, int depth);

// EPUB 3 navigation "li", read up to its end element.
NavPoint readNavItem(QXmlStreamReader& r, const QString& baseDir, int depth)
{
    NavPoint point;
    while (r.readNextStartElement()) {
        const QStringRef name = r.name();
        if ((name == QLatin1String("a") || name == QLatin1String("span")) && point.label.isEmpty() &&
            point.src.isEmpty()) {
            const QString href = attribute(r, "href");
            bool escapes = false;
            point.src = EpubParser::resolve(baseDir, href, &point.fragment, &escapes);
            if (escapes)
                logWarning(QStringLiteral("Refused href outside the book:%1").arg(href));
            point.label = elementText(r);
        } else if (name == QLatin1String("ol") && depth < Limits::maxXmlDepth) {
            point.children << readNavList(r, baseDir, depth + 1);
        } else {
            r.skipCurrentElement();
        }
    }
    return point;
}

QList<NavPoint> readNavList(QXmlStreamReader& r, const QString& baseDir, int depth)
{
    QList<NavPoint> points;
    while (r.readNextStartElement()) {
        if (r.name() == QLatin1String("li"))
            points << readNavItem(r, baseDir, depth);
        else
            r.skipCurrentElement();
    }
    return points;
}

// The first "ol" inside the current element (a nav), as a list of points.
QList<NavPoint> readNavElement(QXmlStreamReader& r, const QString& baseDir)
{
    QList<NavPoint> points;
    int depth = 0;
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement()) {
            if (r.name() == QLatin1String("ol") && points.isEmpty()) {
                points = readNavList(r, baseDir, 0);
                continue;
            }
            ++depth;
        } else if (r.isEndElement()) {
            if (depth-- == 0)
                break;
        }
    }
    return points;
}

bool isTocNav(const QXmlStreamReader& r)
{
    const QXmlStreamAttributes attributes = r.attributes();
    for (const QXmlStreamAttribute& a : attributes) {
        if (a.name() == QLatin1String("type") &&
            (a.namespaceUri() == kOpsNamespace || a.qualifiedName() == QLatin1String("epub:type")))
            return a.value().toString().split(QLatin1Char(' ')).contains(QLatin1String("toc"));
    }
    return false;
}

} // namespace

EpubParser::EpubParser() = default;
EpubParser::~EpubParser() = default;

bool EpubParser::fail(Error error, const QString& reason)
{
    m_error = error;
    m_errorString = reason;
    qCWarning(lcEpub) << "EPUB not read:" << m_path << reason;
    return false;
}

QString EpubParser::decode(const QByteArray& data)
{
    if (data.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(data.constData() + 3, data.size() - 3);
    if (data.startsWith("\xFF\xFE") || data.startsWith("\xFE\xFF"))
        return QTextCodec::codecForName("UTF-16")->toUnicode(data);
    // UTF-16 without a byte-order mark still starts with "<?" in its own width.
    if (data.startsWith(QByteArray("<\0?\0", 4)))
        return QTextCodec::codecForName("UTF-16LE")->toUnicode(data);
    if (data.startsWith(QByteArray("\0<\0?", 4)))
        return QTextCodec::codecForName("UTF-16BE")->toUnicode(data);
    if (data.startsWith("<?xml")) {
        const int end = data.indexOf("?>");
        static const QRegularExpression declared(
            QStringLiteral("encoding\\s*=\\s*[\"']([A-Za-z0-9._:-]+)[\"']"));
        const QRegularExpressionMatch m = declared.match(QString::fromLatin1(data.left(end < 0 ? 200 : end)));
        if (m.hasMatch()) {
            QTextCodec* codec = QTextCodec::codecForName(m.captured(1).toLatin1());
            if (codec && codec->mibEnum() != 106) // 106: UTF-8
                return codec->toUnicode(data);
        }
    }
    return QString::fromUtf8(data);
}

QString EpubParser::folderOf(const QString& path)
{
    const int slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : path.left(slash);
}

QString EpubParser::resolve(const QString& baseDir, const QString& href, QString* fragment, bool* escapes)
{
    if (escapes)
        *escapes = false;
    QString link = href.trimmed();
    const int hash = link.indexOf(QLatin1Char('#'));
    if (fragment)
        *fragment = hash < 0 ? QString() : QUrl::fromPercentEncoding(link.mid(hash + 1).toUtf8());
    if (hash >= 0)
        link.truncate(hash);
    const int query = link.indexOf(QLatin1Char('?'));
    if (query >= 0)
        link.truncate(query);
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*:"));
    if (link.isEmpty() || scheme.match(link).hasMatch())
        return QString();
    link = QUrl::fromPercentEncoding(link.toUtf8());
    link.replace(QLatin1Char('\\'), QLatin1Char('/'));

    QStringList parts;
    if (!link.startsWith(QLatin1Char('/')) && !baseDir.isEmpty())
        parts = baseDir.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString& part : link.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (part == QLatin1String("."))
            continue;
        if (part == QLatin1String("..")) {
            if (parts.isEmpty()) {
                if (escapes)
                    *escapes = true;
                return QString();
            }
            parts.removeLast();
            continue;
        }
        parts << part;
    }
    return parts.join(QLatin1Char('/'));
}

bool EpubParser::isCoverName(const QString& name, Qt::CaseSensitivity cs)
{
    static const QRegularExpression sensitive(QStringLiteral("^.*cover.*.(jpg|jpeg|png|svg)$"));
    static const QRegularExpression insensitive(sensitive.pattern(),
                                                QRegularExpression::CaseInsensitiveOption);
    return (cs == Qt::CaseSensitive ? sensitive : insensitive).match(name).hasMatch();
}

QString EpubParser::xmlEntitiesToReferences(const QString& text)
{
    if (!text.contains(QLatin1Char('&')))
        return text;
    QString out;
    out.reserve(text.size() + 64);
    const int n = text.size();
    for (int i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('&')) {
            out += c;
            continue;
        }
        int end = i + 1;
        if (end < n && text.at(end) == QLatin1Char('#')) {
            out += c; // a character reference is fine as it is
            continue;
        }
        while (end < n && end - i <= 32 && (text.at(end).isLetterOrNumber()))
            ++end;
        const QString name = text.mid(i + 1, end - i - 1);
        if (end < n && text.at(end) == QLatin1Char(';') && !name.isEmpty()) {
            static const QSet<QString> xml = {QStringLiteral("amp"), QStringLiteral("lt"),
                                              QStringLiteral("gt"), QStringLiteral("quot"),
                                              QStringLiteral("apos")};
            if (xml.contains(name)) {
                out += c;
                continue;
            }
            const int code = entityTable().value(name, -1);
            if (code > 0) {
                out += QStringLiteral("&#%1;").arg(code);
                i = end;
                continue;
            }
        }
        out += QLatin1String("&amp;");
    }
    return out;
}

QString EpubParser::entryName(const QString& path) const
{
    if (path.isEmpty())
        return QString();
    if (m_names.contains(path))
        return path;
    // Books made on case-insensitive file systems often differ in case.
    return m_namesByLowerCase.value(path.toLower());
}

QByteArray EpubParser::read(const QString& path)
{
    const QString name = entryName(path);
    return name.isEmpty() ? QByteArray() : m_reader->readEntry(m_path, name);
}

bool EpubParser::parse(const QString& path, Book& result, bool metadataOnly)
{
    m_path = path;
    m_error = NoError;
    m_openingShare = 1.0;
    m_errorString.clear();
    m_names.clear();
    m_namesByLowerCase.clear();
    result = Book();
    result.path = path;

    m_reader.reset(createArchiveReader(path));
    m_names = m_reader->fileList(path);
    if (m_names.isEmpty()) {
        logError(QStringLiteral("Error unzip epub:%1").arg(path));
        return fail(Unreadable, QStringLiteral("not a readable archive"));
    }
    for (const QString& name : qAsConst(m_names))
        m_namesByLowerCase.insert(name.toLower(), name);

    QString packagePath;
    if (!readContainer(packagePath)) {
        logError(QStringLiteral("Invalid epub:%1").arg(path));
        return fail(NotEpub, QStringLiteral("the container names no package"));
    }
    Book book;
    book.path = path;
    book.packagePath = packagePath;
    if (!readPackage(packagePath, book)) {
        if (metadataOnly)
            logError(QStringLiteral("Can not extract opf-file"));
        return fail(m_error == NoError ? Damaged : m_error, QStringLiteral("the package cannot be read"));
    }
    findCover(book, metadataOnly);
    if (!metadataOnly) {
        if (isProtected(book))
            return fail(Protected, QStringLiteral("the text is encrypted"));
        if (m_openingSize <= 0 || !readOpening(book))
            readContents(book);
        readToc(book);
    }
    result = book;
    return true;
}

bool EpubParser::readContainer(QString& packagePath)
{
    const QByteArray data = read(kContainer);
    if (data.isEmpty()) {
        logError(QStringLiteral("Can not open container: %1").arg(kContainer));
        return false;
    }
    const QString text = xmlEntitiesToReferences(decode(data));
    QString reason;
    QXmlStreamReader r(text);
    if (!isSafeXml(text, reason) || !r.readNextStartElement() || r.name() != QLatin1String("container")) {
        logError(QStringLiteral("Can not set content for xml-doc"));
        return false;
    }
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement() && r.name() == QLatin1String("rootfile") &&
            attribute(r, "media-type") == kPackageType) {
            packagePath = attribute(r, "full-path");
            break;
        }
    }
    if (r.hasError() && packagePath.isEmpty())
        logError(QStringLiteral("Can not set content for xml-doc"));
    // The package path is relative to the archive root.
    bool escapes = false;
    packagePath = resolve(QString(), packagePath, nullptr, &escapes);
    if (escapes)
        logWarning(QStringLiteral("Refused href outside the book:%1").arg(packagePath));
    logDebug(QStringLiteral("OPF path:%1").arg(packagePath));
    return !packagePath.isEmpty();
}

bool EpubParser::readPackage(const QString& packagePath, Book& book)
{
    logDebug(QStringLiteral("Load meta data. Begin"));
    const QByteArray data = read(packagePath);
    if (data.isEmpty()) {
        logError(QStringLiteral("Load meta data. Error opening file :%1").arg(packagePath));
        m_error = NotEpub;
        return false;
    }
    const QString text = xmlEntitiesToReferences(decode(data));
    QString reason;
    if (data.size() > Limits::maxXmlFileSize || !isSafeXml(text, reason)) {
        logError(QStringLiteral("Load meta data. Error loading xml-file :%1").arg(packagePath));
        return false;
    }

    const QString base = folderOf(packagePath);
    QString ncxId;
    QXmlStreamReader r(text);
    while (!r.atEnd()) {
        r.readNext();
        if (!r.isStartElement())
            continue;
        const QStringRef name = r.name();
        if (name == QLatin1String("metadata")) {
            readPackageMetadata(r, book);
        } else if (name == QLatin1String("item")) {
            ManifestItem item;
            item.id = attribute(r, "id");
            item.mediaType = attribute(r, "media-type").trimmed().toLower();
            item.properties = attribute(r, "properties");
            const QString href = attribute(r, "href");
            bool escapes = false;
            item.href = resolve(base, href, nullptr, &escapes);
            if (escapes) {
                // A manifest entry that leaves the book names nothing in it.
                logWarning(QStringLiteral("Refused href outside the book:%1").arg(href));
                continue;
            }
            if (!item.href.isEmpty())
                addManifestItem(item, book);
        } else if (name == QLatin1String("spine")) {
            ncxId = attribute(r, "toc");
        } else if (name == QLatin1String("itemref")) {
            book.spine << attribute(r, "idref");
        }
    }
    if (r.hasError()) {
        logError(QStringLiteral("Load meta data. Error loading xml-file :%1").arg(packagePath));
        qCWarning(lcEpub) << "package" << packagePath << r.errorString() << "line" << r.lineNumber();
        return false;
    }
    if (book.ncx.id.isEmpty() && !ncxId.isEmpty())
        book.ncx = book.item(ncxId);
    logDebug(QStringLiteral("Load meta data. Complete"));
    return true;
}

void EpubParser::readPackageMetadata(QXmlStreamReader& r, Book& book)
{
    int depth = 0;
    while (!r.atEnd()) {
        r.readNext();
        if (r.isEndElement()) {
            if (depth-- == 0)
                return;
            continue;
        }
        if (!r.isStartElement())
            continue;
        if (r.namespaceUri() == kDcNamespace || r.qualifiedName().startsWith(QLatin1String("dc:"))) {
            const QString key = QStringLiteral("dc:") + r.name().toString();
            book.metadata[key] << r.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
            continue;
        }
        if (r.name() == QLatin1String("meta") && attribute(r, "name") == QLatin1String("cover"))
            book.declaredCover = attribute(r, "content");
        ++depth;
    }
}

void EpubParser::addManifestItem(const ManifestItem& item, Book& book)
{
    if (item.mediaType == QLatin1String("text/css"))
        book.styleSheets << item;
    else if (isImageType(item.mediaType))
        book.images << item;
    else if (isContentType(item.mediaType))
        book.contentDocuments << item;
    else if (item.mediaType == kNcxType && book.ncx.id.isEmpty())
        book.ncx = item;
    if (item.properties.split(QLatin1Char(' ')).contains(QLatin1String("nav")) && book.nav.id.isEmpty())
        book.nav = item;
    if (item.properties.split(QLatin1Char(' ')).contains(QLatin1String("cover-image")))
        book.declaredCover = item.id;
    if (item.id == QLatin1String("cover")) {
        book.coverItem = item;
        qCDebug(lcEpub) << "Cover:" << QStringLiteral("Href:%1").arg(item.href);
    }
}

void EpubParser::findCover(Book& book, bool metadataOnly)
{
    const Qt::CaseSensitivity cs = metadataOnly ? Qt::CaseInsensitive : Qt::CaseSensitive;
    QStringList candidates;
    for (const QString& name : qAsConst(m_names)) {
        if (isCoverName(name, cs))
            candidates << name;
    }
    // The declared cover (an image item; the meta may name the item or,
    // in old books, its href) comes after the file-name rule.
    ManifestItem declared = book.item(book.declaredCover);
    if (declared.id.isEmpty() && !book.declaredCover.isEmpty())
        declared.href = entryName(resolve(folderOf(book.packagePath), book.declaredCover));
    if (declared.id.isEmpty() && book.coverItem.id == QLatin1String("cover"))
        declared = book.coverItem;
    const QString declaredName =
        isImageType(declared.mediaType) || declared.id.isEmpty() ? entryName(declared.href) : QString();
    if (!declaredName.isEmpty() && !candidates.contains(declaredName))
        candidates << declaredName;
    if (candidates.isEmpty())
        return;
    if (!metadataOnly) {
        book.cover = candidates.first();
        return;
    }
    // Adding a book: the first candidate that decodes.
    QHash<QString, QByteArray> data;
    m_reader->readEntries(m_path, candidates, data);
    for (const QString& name : qAsConst(candidates)) {
        QString reason;
        const QImage image = SafeImage::decode(data.value(name), &reason);
        if (!image.isNull()) {
            book.cover = name;
            book.coverImage = image;
            return;
        }
        qCDebug(lcEpub) << "cover candidate not used" << name << reason;
    }
}

bool EpubParser::isProtected(const Book& book)
{
    const QString name = entryName(kEncryption);
    if (name.isEmpty())
        return false;
    const QString text = xmlEntitiesToReferences(decode(read(name)));
    QString reason;
    if (!isSafeXml(text, reason))
        return false;
    // Fonts are often obfuscated; only encrypted text makes a book unreadable.
    QSet<QString> encrypted;
    QXmlStreamReader r(text);
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement() && r.name() == QLatin1String("CipherReference"))
            encrypted.insert(resolve(QString(), attribute(r, "URI")).toLower());
    }
    for (const ManifestItem& item : book.contentDocuments) {
        if (encrypted.contains(item.href.toLower()) && book.spine.contains(item.id))
            return true;
    }
    return false;
}

void EpubParser::readContents(Book& book)
{
    // One pass over the archive for everything the text needs.
    QStringList wanted;
    QHash<QString, QString> pathOfEntry;
    const auto want = [&](const QString& href) {
        const QString name = entryName(href);
        if (name.isEmpty()) {
            if (!href.isEmpty())
                logWarning(QStringLiteral("Missing file in epub:%1").arg(href));
            return;
        }
        if (!pathOfEntry.contains(name)) {
            wanted << name;
            pathOfEntry.insert(name, href);
        }
    };
    QSet<QString> spine(book.spine.cbegin(), book.spine.cend());
    for (const ManifestItem& item : qAsConst(book.contentDocuments)) {
        if (spine.contains(item.id) || item.id == book.coverItem.id)
            want(item.href);
    }
    for (const ManifestItem& item : qAsConst(book.styleSheets))
        want(item.href);
    for (const ManifestItem& item : qAsConst(book.images))
        want(item.href);
    QHash<QString, QByteArray> data;
    m_reader->readEntries(m_path, wanted, data);
    keep(book, data, pathOfEntry);
}

void EpubParser::keep(Book& book, const QHash<QString, QByteArray>& data,
                      const QHash<QString, QString>& pathOfEntry) const
{
    QSet<QString> contentPaths;
    for (const ManifestItem& item : qAsConst(book.contentDocuments))
        contentPaths.insert(item.href);
    for (auto it = data.constBegin(); it != data.constEnd(); ++it) {
        const QString path = pathOfEntry.value(it.key());
        if (contentPaths.contains(path)) {
            if (it.value().size() > Limits::maxXmlFileSize)
                logWarning(QStringLiteral("Refused oversized file in epub:%1").arg(path));
            else
                book.texts.insert(path, decode(it.value()));
        } else {
            book.resources.insert(path, it.value());
        }
    }
}

bool EpubParser::readOpening(Book& book)
{
    QHash<QString, QString> hrefOfId;
    for (const ManifestItem& item : qAsConst(book.contentDocuments))
        hrefOfId.insert(item.id, item.href);
    // The spine's documents a few at a time, until the opening holds enough
    // text (one pass over the archive each).
    constexpr int kBatch = 4;
    int read = 0;
    qint64 characters = 0;
    while (read < book.spine.size() && characters < m_openingSize) {
        QStringList names;
        QHash<QString, QString> pathOfEntry;
        for (int i = read; i < qMin(read + kBatch, book.spine.size()); ++i) {
            const QString href = hrefOfId.value(book.spine.at(i));
            const QString name = entryName(href);
            if (!name.isEmpty() && !pathOfEntry.contains(name)) {
                names << name;
                pathOfEntry.insert(name, href);
            }
        }
        QHash<QString, QByteArray> data;
        m_reader->readEntries(m_path, names, data);
        keep(book, data, pathOfEntry);
        for (const QString& href : qAsConst(pathOfEntry))
            characters += book.texts.value(href).size();
        read = qMin(read + kBatch, book.spine.size());
    }
    if (read >= book.spine.size()) {
        book.texts.clear();
        return false;
    }
    m_openingShare = double(read) / book.spine.size();
    book.spine = book.spine.mid(0, read);

    // Style sheets, the cover and the pictures the opening's documents show.
    QHash<QString, QString> imageOfEntry;
    for (const ManifestItem& item : qAsConst(book.images))
        imageOfEntry.insert(entryName(item.href), item.href);
    QStringList wanted;
    QHash<QString, QString> pathOfEntry;
    const auto want = [&](const QString& href) {
        const QString name = entryName(href);
        if (!name.isEmpty() && !pathOfEntry.contains(name)) {
            wanted << name;
            pathOfEntry.insert(name, href);
        }
    };
    for (const ManifestItem& item : qAsConst(book.styleSheets))
        want(item.href);
    if (imageOfEntry.contains(entryName(book.coverItem.href)))
        want(book.coverItem.href);
    if (!book.cover.isEmpty())
        want(book.cover);
    static const QRegularExpression reference(QStringLiteral("(?:src|href)\\s*=\\s*[\"']([^\"']+)[\"']"));
    for (auto it = book.texts.constBegin(); it != book.texts.constEnd(); ++it) {
        const QString folder = folderOf(it.key());
        for (auto match = reference.globalMatch(it.value()); match.hasNext();) {
            const QString name = entryName(resolve(folder, match.next().captured(1)));
            if (imageOfEntry.contains(name))
                want(imageOfEntry.value(name));
        }
    }
    QHash<QString, QByteArray> data;
    m_reader->readEntries(m_path, wanted, data);
    keep(book, data, pathOfEntry);
    return true;
}

void EpubParser::readToc(Book& book)
{
    // An entry called "toc.ncx" first, then the manifest's NCX, then the
    // EPUB 3 navigation document.
    QString ncx;
    for (const QString& name : qAsConst(m_names)) {
        if (name == QLatin1String("toc.ncx") || name.endsWith(QLatin1String("/toc.ncx"))) {
            ncx = name;
            break;
        }
    }
    if (ncx.isEmpty())
        ncx = entryName(book.ncx.href);
    if (!ncx.isEmpty()) {
        const QByteArray data = read(ncx);
        const QString text = xmlEntitiesToReferences(decode(data));
        QString reason;
        if (data.isEmpty()) {
            logError(QStringLiteral("Load TOC. Error opening ncx-file:%1").arg(ncx));
        } else if (!isSafeXml(text, reason)) {
            logError(QStringLiteral("Loading TOC. Error loading xml from ncx-file:%1").arg(ncx));
        } else {
            QXmlStreamReader r(text);
            while (!r.atEnd()) {
                r.readNext();
                if (r.isStartElement() && r.name() == QLatin1String("navMap")) {
                    while (r.readNextStartElement()) {
                        if (r.name() == QLatin1String("navPoint"))
                            book.navPoints << readNavPoint(r, folderOf(ncx), 1);
                        else
                            r.skipCurrentElement();
                    }
                }
            }
            if (r.hasError())
                logError(QStringLiteral("Loading TOC. Error loading xml from ncx-file:%1").arg(ncx));
        }
        if (!book.navPoints.isEmpty())
            return;
    }

    const QString nav = entryName(book.nav.href);
    if (nav.isEmpty())
        return;
    const QString text = xmlEntitiesToReferences(decode(read(nav)));
    QString reason;
    if (!isSafeXml(text, reason)) {
        logError(QStringLiteral("Load TOC. Error loading navigation document:%1").arg(nav));
        return;
    }
    // The nav marked as table of contents, else the first nav.
    QList<NavPoint> first;
    QXmlStreamReader r(text);
    while (!r.atEnd()) {
        r.readNext();
        if (!r.isStartElement() || r.name() != QLatin1String("nav"))
            continue;
        const bool toc = isTocNav(r);
        const QList<NavPoint> points = readNavElement(r, folderOf(nav));
        if (toc) {
            book.navPoints = points;
            return;
        }
        if (first.isEmpty())
            first = points;
    }
    book.navPoints = first;
}

} // namespace epub
