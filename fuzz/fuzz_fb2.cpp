// FictionBook 2, full reading: the parser over the whole DOM (description,
// bodies, sections, poems, tables, binaries), then the converter that makes
// the chapters and the table of contents the reader shows.
#include "FuzzCommon.h"

#include "fb2/FbConverter.h"
#include "fb2/FbParser.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    fuzz::initialize(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), int(size));
    fb2::FbParser parser;
    if (!parser.parseData(bytes, false))
        return 0;
    fb2::Book book = parser.takeBook();
    const QStringList chunks = fb2::FbConverter::toChunks(book);
    int position = 0;
    const QList<TocPoint> toc =
        fb2::FbConverter::toc(book, [&position](const QString&) { return position++; });
    book.metadata();
    book.cover();
    for (const TocPoint& point : toc)
        fb2::FbConverter::stripTitle(point.title);
    return 0;
}
