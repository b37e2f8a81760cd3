#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

/// One bookmark as a library export archive describes it.
struct ContainerBookmark
{
    QString title;
    int position = 0;
    int progress = 0;
};

/// One book as a library export archive describes it: where its file and
/// cover lie inside the archive and the reading state that travels with it.
struct ContainerBook
{
    QString bookId;    ///< the book's folder in the archive
    QString fileName;  ///< the file name the book had in the library
    QString relPath;   ///< entry name of the book file
    QString coverPath; ///< entry name of the cover, "" when none was stored
    QString author;
    QString title;
    int format = 0;
    int position = 0;
    int progress = 0; ///< percent
    bool favorite = false;
    QList<ContainerBookmark> bookmarks;
};

/// The description "container.json" of a library export archive: a JSON
/// object whose "books" array holds one object per book. Also the checks
/// every name taken from an archive must pass before it touches the disk.
/// Pure functions, safe on any thread.
class LibraryContainer
{
public:
    static constexpr const char* EntryName = "container.json";

    /// {"books": [...]} as indented UTF-8 JSON. Every key is written except
    /// "bookmarks", which appears only for books that have some.
    static QByteArray serialize(const QList<ContainerBook>& books);
    /// Reads the "books" array. Keys that are missing or of another type give
    /// "", 0 and false. False, with the reason in error, when the text is not
    /// JSON, not an object, or has no "books" array.
    static bool parse(const QByteArray& json, QList<ContainerBook>* books, QString* error);

    /// True for a relative entry name made of ordinary parts: not empty, no
    /// leading "/", no empty, "." or ".." part, no backslash, colon or NUL.
    /// Such a name can never lead outside the folder it is unpacked into.
    static bool isSafeEntryName(const QString& name);
    /// The last part of a name from an archive (after "/" or "\"); "" when
    /// that part is empty, "." or "..", holds a NUL, or is too long for a
    /// file system.
    static QString leafName(const QString& name);
};
