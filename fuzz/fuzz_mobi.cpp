// Mobipocket, PalmDOC and KF8: the Palm database and record 0 (PalmDOC, MOBI
// and EXTH headers), the text records (trailing entries, PalmDOC and
// HUFF/CDIC decompression), the NCX index and the KF8 layout, the images, and
// the HTML clean-up of the converter.
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
    return 0;
}
