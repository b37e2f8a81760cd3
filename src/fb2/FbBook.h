#pragma once

#include <QImage>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVector>

namespace fb2 {

/// One author (title-info, document-info).
struct Author
{
    QString firstName;
    QString middleName;
    QString lastName;
    QString email;
    QString nickname;

    /// "first middle last" with the missing parts left out; the nickname when
    /// there is no name at all.
    QString displayName() const;
};

struct TitleInfo
{
    QStringList genres;
    QList<Author> authors;
    QString bookTitle;
    QString annotation; ///< plain text
    QString keywords;
    QString date;
    QString coverpage; ///< id of the cover image (no leading '#'), or empty
    QString lang;
    QString srcLang;
    QList<Author> translators;
};

struct DocumentInfo
{
    QList<Author> authors;
    QString programUsed;
    QString date;
    QString id;
    QString version;
};

struct PublishInfo
{
    QString bookName;
    QString publisher;
    QString city;
    QString year;
};

struct Description
{
    TitleInfo titleInfo;
    DocumentInfo documentInfo;
    PublishInfo publishInfo;
};

/// One section: its HTML pieces, kept apart so that the converter can place
/// the heading, the epigraphs and the nested sections.
struct Section
{
    /// One piece of the section's content in document order: HTML, or the
    /// index of a nested section in `sections`.
    struct Item
    {
        QString html;
        int section = -1;
    };

    QString id;            ///< "id" attribute; the converter fills it when empty
    QString title;         ///< HTML ("<p>…</p>" per title paragraph), may be empty
    QStringList epigraphs; ///< HTML
    QStringList images;    ///< ids of the images the section shows
    QList<Section> sections;
    QVector<Item> content;
};

struct Body
{
    QString name; ///< "name" attribute ("notes" for footnotes), may be empty
    QString id;   ///< anchor id; the converter fills it when empty
    QString title;
    QStringList epigraphs;
    QStringList images;
    QList<Section> sections;
};

/// Everything the parser took from one FB2 file.
struct Book
{
    QMap<QString, QImage> images; ///< by "binary" id
    /// The cover's encoded image bytes, only when the parser was asked to
    /// keep them instead of decoding (FbParser::setCoverAsData).
    QByteArray coverData;
    Description description;
    QList<Body> bodies;

    QString title() const { return description.titleInfo.bookTitle; }
    /// Display names of the title-info authors joined with ", ".
    QString authors() const;
    /// The cover image, null when the book has none.
    QImage cover() const { return images.value(description.titleInfo.coverpage); }
    /// Book metadata by the library's metadata codes: 0 document id, 1 title,
    /// 2 authors, 5 publisher, 6 annotation, 7 genres, 10 language. Only
    /// non-empty values; several values of one element joined with a space.
    QMap<int, QString> metadata() const;
};

} // namespace fb2
