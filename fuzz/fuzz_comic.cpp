// Comic books (CBZ, CBR): the document's loading (archive kind by magic,
// page list, encryption probe) and the first page decoded within the image
// limits.
#include "FuzzCommon.h"

#include "comics/ComicDocument.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    fuzz::initialize(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The suffix names no kind: the document must tell by the magic.
    const QString path = fuzz::writeScratch(QStringLiteral("comic.bin"), data, size);
    comics::ComicDocument document;
    document.load(path);
    if (document.pageCount() > 0) {
        document.requestImage(1);
        document.requestImage(document.pageCount());
        document.pageName(1);
    }
    document.toc();
    return 0;
}
