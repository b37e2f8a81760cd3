// Mobipocket, PalmDOC and KF8: the Palm database and record 0 (PalmDOC, MOBI
// and EXTH headers), the text records (trailing entries, PalmDOC and
// HUFF/CDIC decompression), the NCX index and the KF8 layout, the images, the
// HTML clean-up of the converter, and a large book's opening.
#include "FuzzCommon.h"

#include "mobi/MobiConverter.h"
#include "mobi/MobiReader.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    fuzz::initialize(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), int(size));
    mobi::MobiReader reader;
    if (!reader.openData(bytes))
        return 0;
    reader.title();
    reader.author();
    reader.metadata();
    reader.isKf8();
    const int images = reader.imageCount();
    reader.firstImageRecord();
    reader.coverNumber();
    reader.cover();
    // The stored bytes of every image (bounds), decoded only for the first few.
    for (int n = 1; n <= images && n <= 64; ++n)
        reader.imageData(n);
    for (int n = 1; n <= images && n <= 2; ++n)
        reader.image(n);

    const mobi::MobiContent content = reader.content();
    mobi::MobiConverter converter;
    converter.convert(content);
    for (const QString& chapter : converter.chapters())
        mobi::MobiConverter::plainText(chapter.left(4096));

    // The opening a large book is shown from first, cut small so that small
    // inputs reach it.
    mobi::MobiReader start;
    if (start.openData(bytes)) {
        mobi::MobiConverter opening;
        opening.convert(start.openingContent(256), mobi::MobiConverter::Opening);
    }
    return 0;
}
