#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>

namespace mobi {

/// The text of a book as the reader found it, before any HTML clean-up: the
/// decompressed bytes (still in the book's encoding), split into parts, with
/// the places the book's own table of contents points at.
///
/// Places are byte positions of the whole text (`filepos` values of a
/// Mobipocket 6 book; positions of the assembled files of a KF8 book). A part
/// covers the positions [start, start + bytes.size()).
struct MobiContent
{
    struct Part
    {
        QByteArray bytes;
        qint64 start = 0;
    };
    struct TocEntry
    {
        QString title;
        qint64 position = -1;
        int parent = -1; ///< index of the parent entry, -1 at the top
    };

    QList<Part> parts;
    /// KF8: the position each fragment was inserted at, by fragment number
    /// (the "fid" of kindle:pos:fid links).
    QVector<qint64> fragmentStarts;
    QList<TocEntry> toc;
    /// Codec name for the bytes ("UTF-8" or "windows-1252").
    QByteArray codec = "windows-1252";
    /// A plain PalmDOC book: text, not HTML.
    bool plainText = false;
    bool kf8 = false;
};

} // namespace mobi
