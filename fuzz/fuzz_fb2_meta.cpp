// FictionBook 2, metadata only (what adding a book reads): the fast path over
// the raw bytes up to the end of the description and the cover's binary, and
// the streaming fall-back. Both ways to get the cover are taken in turn.
#include "FuzzCommon.h"

#include "fb2/FbParser.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    fuzz::initialize(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), int(size));
    fb2::FbParser parser;
    // The cover as bytes: no image decoding, the parsing alone.
    parser.setCoverAsData(true);
    if (parser.parseData(bytes, true)) {
        parser.book().metadata();
        parser.book().authors();
        // The cover decoded too, as the library's list shows it.
        fb2::FbParser decoding;
        if (decoding.parseData(bytes, true))
            decoding.book().cover();
    }
    return 0;
}
