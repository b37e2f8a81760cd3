// PDF through pdf::Document (Poppler): loading, page count and sizes,
// rotation, outlines, document information, the words of the first page and a
// small render of it.
#include "FuzzCommon.h"

#include "pdf/Document.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    fuzz::initialize(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = fuzz::writeScratch(QStringLiteral("book.pdf"), data, size);
    pdf::Document document;
    if (!document.load(path)) {
        // A locked file: a wrong password must be refused cleanly.
        if (document.lastErrorCode() == pdf::Document::PasswordNeeded)
            document.load(path, QStringLiteral("secret"));
        return 0;
    }
    const int pages = document.pageCount();
    for (int page = 1; page <= pages && page <= 4; ++page) {
        document.pageSize(page);
        document.pageRotation(page);
    }
    document.outlines();
    for (int key = 1; key <= 6; ++key)
        document.information(key);
    document.pageWords(1);
    // Tiny: rendering cost grows with the pixels, the parsing does not.
    document.renderPage(1, 0.05, QSize(32, 32));
    return 0;
}
