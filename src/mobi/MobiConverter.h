#pragma once

#include "mobi/MobiContent.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace mobi {

/// Turns the text of a Mobipocket book (MobiContent) into HTML the rich-text
/// engine understands, as a list of chapters.
///
/// - Link targets: every place a link or the book's table of contents points
///   at is a byte position; an anchor <a name="N"></a> is inserted at that
///   byte (moved before the tag it falls in, and to the start of a UTF-8
///   character) before the bytes are decoded, so that anchors land on the
///   right character in multi-byte books. Links (filepos, kindle:pos:fid)
///   become href="#N".
/// - Images: recindex and kindle:embed references become "pdbrec:/N", the
///   image number as the book counts them (MobiReader::image()).
/// - Page breaks (<mbp:pagebreak/>) and, in KF8 books, the boundaries of the
///   book's files split the text into chapters; each chapter starts a new
///   page (MobiDocument joins them).
/// - Table of contents: the book's own (NCX) when it has one; otherwise its
///   headings h1 to h4, each given an anchor at its start.
///
/// Threads: plain data, no QTextDocument; any thread.
class MobiConverter
{
public:
    struct TocItem
    {
        QString title;
        QString anchor;
        QList<TocItem> children;
    };

    enum Mode
    {
        Whole,
        /// The content is a book's opening (MobiReader::openingContent()):
        /// the chapters come out as the whole book's first ones, so empty
        /// chapters at its end are left to the chapter that follows them in
        /// the book, and contents entries past the opening are left out
        /// rather than replaced by headings.
        Opening,
    };

    /// Replaces everything converted before.
    void convert(const MobiContent& content, Mode mode = Whole);

    /// One HTML text per chapter, in reading order; chapters without
    /// anything to show are merged into the next one.
    const QStringList& chapters() const { return m_chapters; }
    const QList<TocItem>& toc() const { return m_toc; }

    /// Inserts <a name="N"></a> at each byte position in `targets` (N is
    /// the position plus `base`). Positions inside a tag move to the start of
    /// that tag; with `utf8`, positions inside a character move to its start.
    /// Positions outside [from, to] are clamped into it.
    static QByteArray insertAnchors(const QByteArray& bytes, const QList<qint64>& targets, qint64 base,
                                    bool utf8, qint64 from = 0, qint64 to = -1);
    /// The text of an HTML snippet: tags removed, common entities decoded,
    /// white space simplified.
    static QString plainText(const QString& html);

private:
    void convertHtml(const MobiContent& content);
    void convertPlainText(const MobiContent& content);
    /// Rewrites links, images and page breaks of one decoded part; returns
    /// its chapters.
    QStringList cleanUp(const QString& html, const MobiContent& content) const;
    void addChapters(const QStringList& pieces);
    void buildTocFromNcx(const MobiContent& content);
    void buildTocFromHeadings();
    qint64 fidPosition(const QString& fid, const QString& offset, const MobiContent& content) const;

    QStringList m_chapters;
    QList<TocItem> m_toc;
    QString m_pendingEmpty;   ///< markup of empty chapters waiting for the next one
    QList<qint64> m_inserted; ///< positions that received an anchor
};

} // namespace mobi
