#include "fb2/FbParser.h"

#include "fb2/FbConverter.h"
#include "fb2/FbOutline.h"

#include "SafeImage.h"

#include <QBuffer>
#include <QByteArrayMatcher>
#include <QFile>
#include <QImageReader>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QSet>
#include <QTextCodec>
#include <QXmlStreamReader>
#include <QtConcurrent>

#include <functional>

Q_LOGGING_CATEGORY(lcFb2, "lanternleaf.fb2", QtWarningMsg)

namespace fb2 {

namespace {

constexpr int kMaxDepth = Limits::maxXmlDepth;
// The start of a file decoded for its opening.
constexpr qint64 kOpeningHead = 1024 * 1024;
// The file is searched for pictures this much at a time.
constexpr qint64 kBinaryPiece = 1024 * 1024;

// A <binary> start tag found by its bytes: in XML a '<' in text is always
// escaped, so "<binary" followed by the end of a name is that tag.
struct BinaryTag
{
    int at = -1;        ///< its '<'; -1 when there is none
    int end = -1;       ///< its '>'; -1 when it does not end in the data (yet)
    bool empty = false; ///< "<binary .../>": no content
    QString id;         ///< decoded
};

BinaryTag nextBinaryTag(const QByteArray& data, int from, QTextCodec* codec)
{
    static const QByteArrayMatcher start("<binary");
    static const QRegularExpression idAttribute(QStringLiteral("\\sid\\s*=\\s*(?:\"([^\"]*)\"|'([^']*)')"));
    BinaryTag tag;
    for (int at = start.indexIn(data, from); at >= 0; at = start.indexIn(data, at + 1)) {
        const char next = at + 7 < data.size() ? data.at(at + 7) : ' ';
        if (next != '>' && next != '/' && !QChar::isSpace(uchar(next)))
            continue; // "<binaryx"
        tag.at = at;
        tag.end = data.indexOf('>', at);
        if (tag.end >= 0) {
            tag.empty = data.at(tag.end - 1) == '/';
            const QRegularExpressionMatch id =
                idAttribute.match(codec->toUnicode(data.constData() + at, tag.end - at));
            tag.id = id.captured(1) + id.captured(2);
        }
        break;
    }
    return tag;
}

QTextCodec* codecOf(const QString& encoding)
{
    QTextCodec* codec = QTextCodec::codecForName(encoding.toLatin1());
    return codec ? codec : QTextCodec::codecForName("UTF-8");
}

QString childText(const QDomElement& e)
{
    return e.text().trimmed();
}

Author readAuthor(const QDomElement& e)
{
    Author a;
    for (QDomElement c = e.firstChildElement(); !c.isNull(); c = c.nextSiblingElement()) {
        const QString n = c.tagName();
        if (n == QLatin1String("first-name"))
            a.firstName = childText(c);
        else if (n == QLatin1String("middle-name"))
            a.middleName = childText(c);
        else if (n == QLatin1String("last-name"))
            a.lastName = childText(c);
        else if (n == QLatin1String("email"))
            a.email = childText(c);
        else if (n == QLatin1String("nickname"))
            a.nickname = childText(c);
    }
    return a;
}

// Annotation paragraphs one per line rather than glued together.
QString blockText(const QDomElement& e)
{
    QStringList lines;
    for (QDomElement c = e.firstChildElement(); !c.isNull(); c = c.nextSiblingElement()) {
        const QString t = c.text().simplified();
        if (!t.isEmpty())
            lines << t;
    }
    return lines.isEmpty() ? e.text().simplified() : lines.join(QLatin1Char('\n'));
}

// Builds a DOM element from the stream reader's current element (used for
// the description in metadata-only mode, so both modes share one reader).
QDomElement readElement(QXmlStreamReader& r, QDomDocument& doc)
{
    QDomElement e = doc.createElement(r.qualifiedName().toString());
    for (const QXmlStreamAttribute& a : r.attributes())
        e.setAttribute(a.qualifiedName().toString(), a.value().toString());
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement())
            e.appendChild(readElement(r, doc));
        else if (r.isCharacters())
            e.appendChild(doc.createTextNode(r.text().toString()));
        else if (r.isEndElement())
            break;
    }
    return e;
}

} // namespace

bool FbParser::fail(const QString& reason)
{
    m_error = reason;
    qCWarning(lcFb2) << "FB2 parse failed:" << reason;
    return false;
}

Book FbParser::takeBook()
{
    Book b = std::move(m_book);
    m_book = Book();
    return b;
}

QString FbParser::encodingOf(const QByteArray& data)
{
    const int end = data.indexOf('\n');
    const QString firstLine = QString::fromLatin1(end < 0 ? data.left(4096) : data.left(qMin(end, 4096)));
    static const QRegularExpression re(QStringLiteral("encoding=[\"']([^\"']*)[\"']"),
                                       QRegularExpression::CaseInsensitiveOption);
    const QString encoding = re.match(firstLine).captured(1);
    return encoding.isEmpty() ? QStringLiteral("UTF-8") : encoding;
}

QString FbParser::detectEncoding(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    return encodingOf(file.readLine(4096));
}

QString FbParser::decode(const QByteArray& data)
{
    const QString encoding = encodingOf(data);
    QTextCodec* declared = QTextCodec::codecForName(encoding.toLatin1());
    if (!declared) {
        qCWarning(lcFb2) << "unknown encoding" << encoding << "- reading as UTF-8";
        declared = QTextCodec::codecForName("UTF-8");
    }
    // A byte-order mark wins over the declaration.
    QTextCodec* codec = QTextCodec::codecForUtfText(data, declared);
    QString text = codec->toUnicode(data);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    return text;
}

QString FbParser::imageHref(const QDomElement& e)
{
    QString href = e.attribute(QStringLiteral("l:href"));
    if (href.isEmpty()) {
        const QDomNamedNodeMap attrs = e.attributes();
        for (int i = 0; i < attrs.count(); ++i) {
            const QDomAttr a = attrs.item(i).toAttr();
            if (a.name().contains(QLatin1String("href"))) {
                href = a.value();
                break;
            }
        }
    }
    if (href.startsWith(QLatin1Char('#')))
        href = href.mid(1);
    return href;
}

QImage FbParser::decodeImage(const QByteArray& base64)
{
    QString reason;
    const QImage image = SafeImage::decode(QByteArray::fromBase64(base64), &reason);
    if (image.isNull())
        qCWarning(lcFb2) << reason;
    return image;
}

bool FbParser::parse(const QString& path, bool metadataOnly)
{
    m_book = Book();
    m_error.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("cannot open %1: %2").arg(path, file.errorString()));
    if (file.size() > maxFileSize)
        return fail(QStringLiteral("file too big: %1 bytes").arg(file.size()));
    if (metadataOnly && file.size() > 0) {
        // Mapped, not read: the metadata path touches only the head of the
        // file and the cover's bytes.
        if (const uchar* map = file.map(0, file.size())) {
            const QByteArray data =
                QByteArray::fromRawData(reinterpret_cast<const char*>(map), int(file.size()));
            return parseData(data, true);
        }
    }
    return parseData(file.readAll(), metadataOnly);
}

bool FbParser::parseData(const QByteArray& data, bool metadataOnly)
{
    m_book = Book();
    m_error.clear();
    if (data.size() > maxFileSize)
        return fail(QStringLiteral("data too big"));
    if (metadataOnly) {
        const HeadResult head = parseHead(data);
        if (head != HeadUnsure)
            return head == HeadParsed;
    }
    m_book = Book();
    m_error.clear();
    const QString text = decode(data);
    if (metadataOnly)
        return refuseEntities(text) && parseMetadata(text);
    if (m_inPieces && parseInPieces(text))
        return true;
    m_book = Book();
    return refuseEntities(text) && parseFull(text);
}

bool FbParser::refuseEntities(const QString& text)
{
    // One streaming pass before the DOM: entity declarations (entity bombs,
    // external entities) and absurd nesting are refused. The DTD is only read
    // here, never expanded. Other XML errors are left to the real parse.
    QXmlStreamReader r(text);
    r.setNamespaceProcessing(false);
    int depth = 0;
    while (!r.atEnd()) {
        r.readNext();
        if (r.isDTD()) {
            if (!r.entityDeclarations().isEmpty() || r.text().contains(QLatin1String("<!ENTITY")))
                return fail(QStringLiteral("the document declares entities"));
        } else if (r.isStartElement()) {
            if (++depth > kMaxDepth)
                return fail(QStringLiteral("elements nested too deep"));
        } else if (r.isEndElement()) {
            --depth;
        }
    }
    return true;
}

bool FbParser::parseFull(const QString& text)
{
    QDomDocument dom;
    QString message;
    int line = 0;
    int column = 0;
    if (!dom.setContent(text, false, &message, &line, &column))
        return fail(QStringLiteral("XML error at %1:%2: %3").arg(line).arg(column).arg(message));
    const QDomElement root = dom.documentElement();
    if (root.tagName() != QLatin1String("FictionBook"))
        return fail(QStringLiteral("root element is \"%1\", not \"FictionBook\"").arg(root.tagName()));

    for (QDomElement e = root.firstChildElement(QStringLiteral("binary")); !e.isNull();
         e = e.nextSiblingElement(QStringLiteral("binary")))
        addImage(e.attribute(QStringLiteral("id")), decodeImage(e.text().toLatin1()));
    walkRoot(root, [](const QDomElement& e) { return parseSection(e); });
    return true;
}

bool FbParser::parseInPieces(const QString& text)
{
    // The top-level sections hold nearly all of a book's markup: they are
    // parsed side by side, together with the decoding of the pictures, and
    // the rest of the file as a skeleton in which each section is an empty
    // element. Anything unusual (the outline gives up, a piece does not
    // parse) leaves the book to the one-piece parse, which also gives the
    // error message.
    const FbOutline outline = FbOutline::scan(text, kMaxDepth);
    if (!outline.ok)
        return false;
    QDomDocument dom;
    const QDomElement root = skeletonRoot(text, outline, dom);
    if (root.isNull())
        return false;

    struct Piece
    {
        int section = -1; ///< index in the outline, or -1 for a picture
        QString id;
        QByteArray base64;
    };
    struct Parsed
    {
        bool ok = true;
        Section section;
        QImage image;
    };
    QVector<Piece> pieces;
    pieces.reserve(outline.sections.size());
    for (int i = 0; i < outline.sections.size(); ++i)
        pieces.append({i, QString(), QByteArray()});
    for (QDomElement e = root.firstChildElement(QStringLiteral("binary")); !e.isNull();
         e = e.nextSiblingElement(QStringLiteral("binary")))
        pieces.append({-1, e.attribute(QStringLiteral("id")), e.text().toLatin1()});
    const std::function<Parsed(const Piece&)> parse = [&text, &outline](const Piece& piece) {
        Parsed parsed;
        if (piece.section < 0) {
            parsed.image = decodeImage(piece.base64);
            return parsed;
        }
        const FbOutline::Range range = outline.sections.at(piece.section);
        parsed.ok = parsePiece(text, range.begin, range.end, parsed.section);
        return parsed;
    };
    const QVector<Parsed> parsed = QtConcurrent::blockingMapped<QVector<Parsed>>(pieces, parse);
    for (const Parsed& p : parsed) {
        if (!p.ok)
            return false;
    }
    for (int i = outline.sections.size(); i < pieces.size(); ++i)
        addImage(pieces.at(i).id, parsed.at(i).image);
    int next = 0;
    walkRoot(root, [&parsed, &next](const QDomElement&) {
        // Every top-level section of the skeleton is one of the outline's,
        // in the same order.
        return next < parsed.size() ? parsed.at(next++).section : Section();
    });
    return true;
}

QDomElement FbParser::skeletonRoot(const QString& text, const FbOutline& outline, QDomDocument& dom)
{
    QXmlStreamReader reader(outline.skeleton(text));
    reader.setNamespaceProcessing(false);
    if (!dom.setContent(&reader, false))
        return QDomElement();
    const QDomElement root = dom.documentElement();
    return root.tagName() == QLatin1String("FictionBook") ? root : QDomElement();
}

bool FbParser::parsePiece(const QString& text, int begin, int end, Section& section)
{
    QXmlStreamReader reader(text.mid(begin, end - begin));
    reader.setNamespaceProcessing(false);
    QDomDocument dom;
    if (!dom.setContent(&reader, false))
        return false;
    section = parseSection(dom.documentElement());
    return true;
}

bool FbParser::parseOpening(const QString& path, int size, double* share)
{
    m_book = Book();
    m_error.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > maxFileSize)
        return false;
    // The opening's sections lie at the start of the file: only that much is
    // decoded, closed as a book of its own, and the pictures it shows are
    // read from where they lie further on. Reading and decoding a large
    // book's whole file would take longer than everything else before its
    // first page (tens of megabytes of new memory, page by page).
    QString text;
    FbOutline outline;
    const QByteArray head = file.read(kOpeningHead);
    double bookCharacters = double(file.size()); // in the whole file, estimated
    if (head.contains("<FictionBook")) {         // not in a two-byte encoding
        const QString headText = decode(head);
        outline = FbOutline::scan(headText, kMaxDepth, size);
        if (outline.ok && !outline.sections.isEmpty()) {
            text = headText.left(outline.end) + QStringLiteral("</body></FictionBook>");
            bookCharacters *= double(headText.size()) / qMax(1, head.size());
        }
    }
    const bool whole = text.isEmpty();
    if (whole) {
        file.seek(0);
        text = decode(file.readAll());
        outline = FbOutline::scan(text, kMaxDepth);
        if (!outline.ok || outline.sections.isEmpty())
            return false;
        bookCharacters = text.size();
    }
    QDomDocument dom;
    const QDomElement root = skeletonRoot(text, outline, dom);
    if (root.isNull())
        return false;

    // Whole sections from the start until the size is reached.
    QVector<Section> sections;
    int characters = 0;
    while (sections.size() < outline.sections.size() && (sections.isEmpty() || characters < size)) {
        const FbOutline::Range range = outline.sections.at(sections.size());
        Section section;
        if (!parsePiece(text, range.begin, range.end, section))
            return false;
        sections << section;
        characters += range.end - range.begin;
    }
    int next = 0;
    walkRoot(root, [&sections, &next](const QDomElement&) {
        const int index = next++;
        return index < sections.size() ? sections.at(index) : Section();
    });
    // Only what comes before the first section left unparsed.
    int left = sections.size();
    int bodies = 0;
    for (Body& body : m_book.bodies) {
        if (left == 0)
            break;
        if (body.sections.size() > left)
            body.sections = body.sections.mid(0, left);
        left -= body.sections.size();
        ++bodies;
    }
    m_book.bodies = m_book.bodies.mid(0, bodies);

    // The pictures the opening shows.
    QSet<QString> shown{m_book.description.titleInfo.coverpage};
    const std::function<void(const QList<Section>&)> collect = [&](const QList<Section>& list) {
        for (const Section& s : list) {
            for (const QString& id : s.images)
                shown.insert(id);
            collect(s.sections);
        }
    };
    for (const Body& body : qAsConst(m_book.bodies)) {
        for (const QString& id : body.images)
            shown.insert(id);
        collect(body.sections);
    }
    if (whole) {
        for (QDomElement e = root.firstChildElement(QStringLiteral("binary")); !e.isNull();
             e = e.nextSiblingElement(QStringLiteral("binary"))) {
            const QString id = e.attribute(QStringLiteral("id"));
            if (shown.contains(id))
                addImage(id, decodeImage(e.text().toLatin1()));
        }
    } else {
        const QHash<QString, QByteArray> binaries = readBinaries(file, head, shown);
        for (auto it = binaries.constBegin(); it != binaries.constEnd(); ++it)
            addImage(it.key(), decodeImage(it.value()));
    }
    *share = qBound(0.0, outline.sections.at(sections.size() - 1).end / qMax(1.0, bookCharacters), 1.0);
    return true;
}

QHash<QString, QByteArray> FbParser::readBinaries(QFile& file, const QByteArray& head,
                                                  const QSet<QString>& ids)
{
    // The file is read a piece at a time into one buffer: a picture's
    // element is kept whole (it may span pieces), anything before it goes.
    static const QByteArrayMatcher close("</binary>");
    QTextCodec* codec = codecOf(encodingOf(head));
    QSet<QString> wanted = ids;
    wanted.remove(QString());
    QHash<QString, QByteArray> found;
    QByteArray buffer;
    file.seek(0);
    int from = 0;
    while (found.size() < wanted.size()) {
        const BinaryTag tag = nextBinaryTag(buffer, from, codec);
        const int end = tag.end < 0 ? -1 : tag.empty ? tag.end : close.indexIn(buffer, tag.end);
        if (end < 0) {
            // Needs more of the file: keep what may be the start of an element.
            if (file.atEnd())
                break;
            buffer.remove(0, tag.at >= 0 ? tag.at : qMax(0, buffer.size() - 8));
            // Read into the buffer itself: a new block per piece would be
            // fresh memory, touched page by page, every time.
            const int kept = buffer.size();
            buffer.resize(kept + int(kBinaryPiece));
            buffer.resize(kept + int(qMax<qint64>(0, file.read(buffer.data() + kept, kBinaryPiece))));
            from = 0;
            continue;
        }
        if (!tag.empty && wanted.contains(tag.id) && !found.contains(tag.id))
            found.insert(tag.id, buffer.mid(tag.end + 1, end - tag.end - 1));
        from = end;
    }
    return found;
}

void FbParser::addImage(const QString& id, const QImage& image)
{
    // A damaged picture is left out; the book still opens.
    if (image.isNull())
        qCWarning(lcFb2) << "binary" << id << "left out";
    else
        m_book.images.insert(id, image);
}

void FbParser::walkRoot(const QDomElement& root, const SectionSource& topSection)
{
    for (QDomElement e = root.firstChildElement(); !e.isNull(); e = e.nextSiblingElement()) {
        if (e.tagName() == QLatin1String("description"))
            parseDescription(e);
        else if (e.tagName() == QLatin1String("body"))
            parseBody(e, topSection);
    }
}

bool FbParser::parseMetadata(const QString& text)
{
    QXmlStreamReader r(text);
    r.setNamespaceProcessing(false);
    if (!r.readNextStartElement())
        return fail(QStringLiteral("XML error: %1").arg(r.errorString()));
    if (r.qualifiedName() != QLatin1String("FictionBook"))
        return fail(QStringLiteral("root element is \"%1\", not \"FictionBook\"").arg(r.qualifiedName()));

    bool haveDescription = false;
    while (r.readNextStartElement()) {
        const QStringRef name = r.qualifiedName();
        if (name == QLatin1String("description") && !haveDescription) {
            QDomDocument doc;
            const QDomElement description = readElement(r, doc);
            if (r.hasError())
                return fail(QStringLiteral("XML error in the description: %1").arg(r.errorString()));
            parseDescription(description);
            haveDescription = true;
        } else if (name == QLatin1String("binary") && haveDescription &&
                   r.attributes().value(QLatin1String("id")) == m_book.description.titleInfo.coverpage) {
            const QString id = r.attributes().value(QLatin1String("id")).toString();
            takeCover(id, r.readElementText().toLatin1());
            break;
        } else {
            r.skipCurrentElement(); // bodies are not even looked at
        }
    }
    if (r.hasError()) {
        if (!haveDescription)
            return fail(QStringLiteral("XML error at %1: %2").arg(r.lineNumber()).arg(r.errorString()));
        qCWarning(lcFb2) << "XML error after the description, metadata kept:" << r.errorString();
        // The cover usually sits at the end, after the broken part: find its
        // element by text.
        const QString cover = m_book.description.titleInfo.coverpage;
        if (!cover.isEmpty() && !m_book.images.contains(cover) && m_book.coverData.isEmpty()) {
            const QRegularExpression re(QStringLiteral("<binary[^>]*\\sid=[\"']%1[\"'][^>]*>([^<]*)</binary>")
                                            .arg(QRegularExpression::escape(cover)));
            takeCover(cover, re.match(text).captured(1).toLatin1());
        }
    }
    return true;
}

void FbParser::takeCover(const QString& id, const QByteArray& base64)
{
    if (m_coverAsData) {
        m_book.coverData = QByteArray::fromBase64(base64);
        return;
    }
    const QImage cover = decodeImage(base64);
    if (!cover.isNull())
        m_book.images.insert(id, cover);
}

FbParser::HeadResult FbParser::parseHead(const QByteArray& data)
{
    // Byte searches below need an encoding in which markup is ASCII: UTF-16
    // and UTF-32 books take the streaming path.
    if (data.size() < 4 || data.at(0) == 0 || data.at(1) == 0 || data.startsWith("\xFF\xFE") ||
        data.startsWith("\xFE\xFF"))
        return HeadUnsure;
    static const QByteArray descriptionEnd("</description");
    const int closing = data.indexOf(descriptionEnd);
    const int headEnd = closing < 0 ? -1 : data.indexOf('>', closing);
    if (headEnd < 0)
        return HeadUnsure;

    // The head alone: prolog, root start tag and description. Entity
    // declarations can only sit in the prolog, so checking the head refuses
    // them as the whole-file check does.
    const QString head = decode(QByteArray::fromRawData(data.constData(), headEnd + 1));
    if (!refuseEntities(head))
        return HeadRefused;
    QXmlStreamReader r(head);
    r.setNamespaceProcessing(false);
    if (!r.readNextStartElement() || r.qualifiedName() != QLatin1String("FictionBook"))
        return HeadUnsure;
    bool haveDescription = false;
    while (!haveDescription && r.readNextStartElement()) {
        if (r.qualifiedName() != QLatin1String("description")) {
            r.skipCurrentElement();
            continue;
        }
        QDomDocument doc;
        const QDomElement description = readElement(r, doc);
        // The head ends right after the description, so only an error inside
        // it counts.
        if (r.hasError() && r.error() != QXmlStreamReader::PrematureEndOfDocumentError)
            return HeadUnsure;
        if (!r.isEndElement())
            return HeadUnsure;
        parseDescription(description);
        haveDescription = true;
    }
    if (!haveDescription)
        return HeadUnsure;

    const QString cover = m_book.description.titleInfo.coverpage;
    if (cover.isEmpty())
        return HeadParsed;
    // The cover's binary element, found by its bytes; its id is compared
    // decoded.
    QTextCodec* codec = codecOf(encodingOf(data));
    for (BinaryTag tag = nextBinaryTag(data, headEnd, codec); tag.at >= 0;
         tag = nextBinaryTag(data, tag.at + 1, codec)) {
        if (tag.end < 0)
            return HeadUnsure;
        if (tag.id != cover)
            continue;
        if (tag.empty)
            return HeadParsed; // an empty element: no cover
        const int contentEnd = data.indexOf("</binary", tag.end);
        if (contentEnd < 0)
            return HeadUnsure;
        takeCover(cover, data.mid(tag.end + 1, contentEnd - tag.end - 1));
        return HeadParsed;
    }
    // Not found by its bytes (an id written with entities, a damaged file):
    // the streaming path looks again.
    return HeadUnsure;
}

void FbParser::parseDescription(const QDomElement& e)
{
    Description& d = m_book.description;
    for (QDomElement part = e.firstChildElement(); !part.isNull(); part = part.nextSiblingElement()) {
        const QString partName = part.tagName();
        for (QDomElement c = part.firstChildElement(); !c.isNull(); c = c.nextSiblingElement()) {
            const QString n = c.tagName();
            if (partName == QLatin1String("title-info")) {
                TitleInfo& t = d.titleInfo;
                if (n == QLatin1String("genre"))
                    t.genres << childText(c);
                else if (n == QLatin1String("author"))
                    t.authors << readAuthor(c);
                else if (n == QLatin1String("book-title"))
                    t.bookTitle = c.text().simplified();
                else if (n == QLatin1String("annotation"))
                    t.annotation = blockText(c);
                else if (n == QLatin1String("keywords"))
                    t.keywords = childText(c);
                else if (n == QLatin1String("date"))
                    t.date = childText(c);
                else if (n == QLatin1String("coverpage"))
                    t.coverpage = imageHref(c.firstChildElement(QStringLiteral("image")));
                else if (n == QLatin1String("lang"))
                    t.lang = childText(c);
                else if (n == QLatin1String("src-lang"))
                    t.srcLang = childText(c);
                else if (n == QLatin1String("translator"))
                    t.translators << readAuthor(c);
            } else if (partName == QLatin1String("document-info")) {
                DocumentInfo& di = d.documentInfo;
                if (n == QLatin1String("author"))
                    di.authors << readAuthor(c);
                else if (n == QLatin1String("program-used"))
                    di.programUsed = childText(c);
                else if (n == QLatin1String("date"))
                    di.date = childText(c);
                else if (n == QLatin1String("id"))
                    di.id = childText(c);
                else if (n == QLatin1String("version"))
                    di.version = childText(c);
            } else if (partName == QLatin1String("publish-info")) {
                PublishInfo& p = d.publishInfo;
                if (n == QLatin1String("book-name"))
                    p.bookName = childText(c);
                else if (n == QLatin1String("publisher"))
                    p.publisher = childText(c);
                else if (n == QLatin1String("city"))
                    p.city = childText(c);
                else if (n == QLatin1String("year"))
                    p.year = childText(c);
            }
        }
    }
}

void FbParser::parseBody(const QDomElement& e, const SectionSource& topSection)
{
    Body body;
    body.name = e.attribute(QStringLiteral("name"));
    body.id = e.attribute(QStringLiteral("id"));
    for (QDomElement c = e.firstChildElement(); !c.isNull(); c = c.nextSiblingElement()) {
        const QString n = c.tagName();
        if (n == QLatin1String("section"))
            body.sections << topSection(c);
        else if (n == QLatin1String("image"))
            body.images << imageHref(c);
        else if (n == QLatin1String("title"))
            body.title = FbConverter::paragraphs(c);
        else if (n == QLatin1String("epigraph"))
            body.epigraphs << FbConverter::paragraphs(c);
    }
    m_book.bodies << body;
}

Section FbParser::parseSection(const QDomElement& e)
{
    Section s;
    s.id = e.attribute(QStringLiteral("id"));
    for (QDomElement c = e.firstChildElement(); !c.isNull(); c = c.nextSiblingElement()) {
        const QString n = c.tagName();
        if (n == QLatin1String("title")) {
            s.title = FbConverter::paragraphs(c);
        } else if (n == QLatin1String("epigraph")) {
            s.epigraphs << FbConverter::paragraphs(c);
        } else if (n == QLatin1String("image")) {
            const QString id = imageHref(c);
            s.images << id;
            s.content.append({FbConverter::imageTag(id), -1});
        } else if (n == QLatin1String("section")) {
            s.sections << parseSection(c);
            s.content.append({QString(), s.sections.size() - 1});
        } else if (n == QLatin1String("p")) {
            s.content.append(
                {QStringLiteral("<p>") + FbConverter::inlineText(c) + QStringLiteral("</p>"), -1});
        } else if (n == QLatin1String("poem")) {
            s.content.append({FbConverter::poem(c), -1});
        } else if (n == QLatin1String("subtitle")) {
            s.content.append({QStringLiteral("<p><b>%1</b></p>").arg(FbConverter::inlineText(c)), -1});
        } else if (n == QLatin1String("cite")) {
            s.content.append({FbConverter::paragraphs(c, true), -1});
        } else if (n == QLatin1String("empty-line")) {
            s.content.append({QStringLiteral("<br/>"), -1});
        } else if (n == QLatin1String("annotation")) {
            s.content.append({FbConverter::paragraphs(c), -1});
        } else if (n == QLatin1String("table")) {
            s.content.append({FbConverter::table(c), -1});
        }
    }
    return s;
}

} // namespace fb2
