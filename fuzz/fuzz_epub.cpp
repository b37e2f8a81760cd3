// EPUB: container, package (OPF), NCX, EPUB 3 navigation document and the
// content documents, through the parser (full and metadata-only) and the
// converter that makes the chapters, anchors and table of contents.
//
// An input that is a zip archive is taken as the book file as it stands.
// Any other input is a list of parts separated by fuzz::partSeparator(),
// packed as stored entries under fixed names (below): the mutations then work
// on the XML itself instead of breaking the archive around it. An empty part
// leaves its file out.
#include "FuzzCommon.h"

#include "epub/EpubConverter.h"
#include "epub/EpubParser.h"

namespace {

const char* const partNames[] = {
    "META-INF/container.xml", "OEBPS/content.opf", "OEBPS/toc.ncx",   "OEBPS/nav.xhtml",
    "OEBPS/c1.xhtml",         "OEBPS/c2.xhtml",    "OEBPS/style.css", "OEBPS/images/cover.png",
};
constexpr int namedParts = int(sizeof(partNames) / sizeof(partNames[0]));
// More parts than names become further chapters; the rest is ignored.
constexpr int maxParts = 16;

QByteArray bookFrom(const uint8_t* data, size_t size)
{
    if (fuzz::isZip(data, size))
        return QByteArray(reinterpret_cast<const char*>(data), int(size));
    QList<QPair<QString, QByteArray>> entries;
    entries << qMakePair(QStringLiteral("mimetype"), QByteArray("application/epub+zip"));
    const QList<QByteArray> parts = fuzz::splitParts(data, size);
    for (int i = 0; i < parts.size() && i < maxParts; ++i) {
        if (parts[i].isEmpty())
            continue;
        const QString name =
            i < namedParts ? QString::fromLatin1(partNames[i]) : QStringLiteral("OEBPS/extra%1.xhtml").arg(i);
        entries << qMakePair(name, parts[i]);
    }
    return fuzz::storedZip(entries);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    fuzz::initialize(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = fuzz::writeScratch(QStringLiteral("book.epub"), bookFrom(data, size));

    {
        epub::EpubParser parser;
        epub::Book book;
        if (parser.parse(path, book, true)) {
            book.metadataCodes();
            book.title();
            book.authors();
        }
    }

    epub::EpubParser parser;
    epub::Book book;
    if (!parser.parse(path, book, false))
        return 0;
    epub::EpubConverter converter(book);
    converter.convert();
    converter.bookText();
    int position = 0;
    converter.toc([&position](const QString&) { return position++; });
    for (const epub::ManifestItem& image : qAsConst(book.images)) {
        // Small: the decoder's work, not the scaling, is what is tested.
        converter.imageSize(image.href);
        converter.image(image.href, 64);
    }
    for (const epub::EpubConverter::Chapter& chapter : converter.chapters())
        converter.anchorFor(chapter.path, QStringLiteral("x"));
    return 0;
}
