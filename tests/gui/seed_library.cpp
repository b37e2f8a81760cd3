// Developer aid: registers FB2 books in the library of the current HOME, with
// the title and authors from each file, so the program can be looked at with
// a library in place.
//
//   HOME=/tmp/home seed_library BOOK.fb2...

#include "BookFormat.h"
#include "BookProvider.h"
#include "fb2/FbParser.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("lanternleaf"));
    QCoreApplication::setOrganizationName(QStringLiteral("Tarnwick"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("tarnwick.example"));
    if (!BookProvider::instance()->createConnection())
        return 1;
    int failures = 0;
    for (const QString& arg : app.arguments().mid(1)) {
        const QString path = QDir::toNativeSeparators(QFileInfo(arg).absoluteFilePath());
        fb2::FbParser parser;
        if (!parser.parse(path, true)) {
            std::fprintf(stderr, "%s: %s\n", qPrintable(path), qPrintable(parser.errorString()));
            ++failures;
            continue;
        }
        const fb2::Book book = parser.takeBook();
        BookDto dto;
        dto.full_path = path;
        dto.title = book.title().isEmpty() ? QFileInfo(path).completeBaseName() : book.title();
        dto.author = book.authors();
        dto.format = BookFormat::formatFromPath(path);
        dto.time_added = uint(QDateTime::currentSecsSinceEpoch());
        dto.time_last_view = dto.time_added;
        const int id = BookProvider::instance()->addBook(dto);
        std::printf("%d\t%s\n", id, qPrintable(dto.title));
        if (id < 0)
            ++failures;
    }
    return failures == 0 ? 0 : 1;
}
