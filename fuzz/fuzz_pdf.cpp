// PDF through pdf::Document (Poppler): loading, page count and sizes,
// rotation, outlines, document information, the words of the first page and a
// small render of it.
#include "FuzzCommon.h"

#include "pdf/Document.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    fuzz::initialize(argc, argv);
    // Poppler sets up its global tables (fonts, encodings) when the first
    // document opens and tears them down when the last one closes, which
    // would cost far more per input than the parsing. One open document for
    // the whole run keeps them.
    // Never destroyed: nothing at exit may depend on Poppler's own statics.
    static pdf::Document* keeper = new pdf::Document;
    const QString path =
        fuzz::writeScratch(QStringLiteral("keeper.pdf"),
                           QByteArray("%PDF-1.4\n1 0 obj <</Type /Catalog /Pages 2 0 R>> endobj\n"
                                      "2 0 obj <</Type /Pages /Kids [3 0 R] /Count 1>> endobj\n"
                                      "3 0 obj <</Type /Page /Parent 2 0 R /MediaBox [0 0 10 10]>> endobj\n"
                                      "trailer <</Root 1 0 R>>\n%%EOF\n"));
    if (!keeper->load(path)) {
        std::fprintf(stderr, "fuzz_pdf: the keeper document does not open\n");
        std::abort();
    }
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
