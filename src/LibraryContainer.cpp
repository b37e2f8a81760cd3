#include "LibraryContainer.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QStringList>

#include <cmath>
#include <limits>

namespace {
// Longest file name most file systems take, in bytes.
constexpr int maxLeafBytes = 255;

// Numbers may come as doubles from other writers; a fraction or a value out of
// range must not turn into garbage.
int toInt(const QJsonValue& value)
{
    if (!value.isDouble())
        return 0;
    const double number = value.toDouble();
    if (!std::isfinite(number))
        return 0;
    if (number >= double(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (number <= double(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return int(std::lround(number));
}

bool toBool(const QJsonValue& value)
{
    if (value.isBool())
        return value.toBool();
    return value.isDouble() && value.toDouble() != 0;
}

ContainerBook readBook(const QJsonObject& object)
{
    ContainerBook book;
    book.bookId = object.value("book_id").toString();
    book.fileName = object.value("file_name").toString();
    book.relPath = object.value("rel_path").toString();
    book.coverPath = object.value("cover_path").toString();
    book.author = object.value("author").toString();
    book.title = object.value("title").toString();
    book.format = toInt(object.value("book_format"));
    book.position = toInt(object.value("position"));
    book.progress = toInt(object.value("progress"));
    book.favorite = toBool(object.value("is_favorite"));
    const QJsonArray marks = object.value("bookmarks").toArray();
    for (const QJsonValue& value : marks) {
        const QJsonObject mark = value.toObject();
        ContainerBookmark bookmark;
        bookmark.title = mark.value("title").toString();
        bookmark.position = toInt(mark.value("position"));
        bookmark.progress = toInt(mark.value("progress"));
        book.bookmarks << bookmark;
    }
    return book;
}

QJsonObject writeBook(const ContainerBook& book)
{
    QJsonObject object{{"book_id", book.bookId},     {"file_name", book.fileName},
                       {"rel_path", book.relPath},   {"cover_path", book.coverPath},
                       {"author", book.author},      {"title", book.title},
                       {"book_format", book.format}, {"position", book.position},
                       {"progress", book.progress},  {"is_favorite", book.favorite}};
    if (!book.bookmarks.isEmpty()) {
        QJsonArray marks;
        for (const ContainerBookmark& bookmark : book.bookmarks) {
            marks.append(QJsonObject{
                {"title", bookmark.title}, {"position", bookmark.position}, {"progress", bookmark.progress}});
        }
        object.insert("bookmarks", marks);
    }
    return object;
}
} // namespace

QByteArray LibraryContainer::serialize(const QList<ContainerBook>& books)
{
    QJsonArray array;
    for (const ContainerBook& book : books)
        array.append(writeBook(book));
    return QJsonDocument(QJsonObject{{"books", array}}).toJson(QJsonDocument::Indented);
}

bool LibraryContainer::parse(const QByteArray& json, QList<ContainerBook>* books, QString* error)
{
    books->clear();
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        *error = parseError.errorString();
        return false;
    }
    if (!document.isObject()) {
        *error = QStringLiteral("not a JSON object");
        return false;
    }
    const QJsonValue list = document.object().value("books");
    if (!list.isArray()) {
        *error = QStringLiteral("no \"books\" array");
        return false;
    }
    const QJsonArray array = list.toArray();
    books->reserve(array.size());
    for (const QJsonValue& value : array)
        books->append(readBook(value.toObject()));
    return true;
}

bool LibraryContainer::isSafeEntryName(const QString& name)
{
    if (name.isEmpty() || name.startsWith('/') || name.contains('\\') || name.contains(':') ||
        name.contains(QChar(0)))
        return false;
    const QStringList parts = name.split('/');
    for (const QString& part : parts) {
        if (part.isEmpty() || part == "." || part == "..")
            return false;
    }
    return true;
}

QString LibraryContainer::leafName(const QString& name)
{
    QString leaf = name;
    leaf.replace('\\', '/');
    leaf = leaf.mid(leaf.lastIndexOf('/') + 1);
    if (leaf.isEmpty() || leaf == "." || leaf == ".." || leaf.contains(QChar(0)) ||
        leaf.toUtf8().size() > maxLeafBytes)
        return QString();
    return leaf;
}
