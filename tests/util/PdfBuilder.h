#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QSizeF>
#include <QString>
#include <QStringList>

/// Writes small PDF files by hand for tests, with what QPdfWriter cannot
/// make: page rotation, outlines (also looping ones), a looping page tree,
/// document information and the standard RC4 password protection. Pages
/// show their lines of text in Helvetica, so their words can be extracted.
class PdfBuilder
{
public:
    struct Outline
    {
        QString title;
        int page = 1; ///< 1-based target page
        QList<Outline> children;
    };

    /// A page of `size` points, turned by `rotate` degrees, with text lines.
    PdfBuilder& page(const QSizeF& size, const QStringList& lines = {}, int rotate = 0);
    /// `count` pages of US letter size; page n says "Page n" and `text`.
    PdfBuilder& pages(int count, const QString& text = QString());
    PdfBuilder& outlines(const QList<Outline>& items);
    /// An entry of the information dictionary ("Title", "Author", ...).
    PdfBuilder& info(const QString& key, const QString& value);
    /// Protects the file with the standard handler (RC4 40-bit, revision 2).
    PdfBuilder& userPassword(const QString& password);
    /// The last top-level outline item's /Next points back to the first, and
    /// the first child of the first item names its parent as its own child.
    PdfBuilder& loopOutlines(bool on = true);
    /// The page tree holds a node that lists its own parent as a kid.
    PdfBuilder& loopPageTree(bool on = true);
    /// The page tree root claims this /Count instead of the real one.
    PdfBuilder& claimPageCount(int count);

    QByteArray build() const;
    /// Writes the file to dir/name and returns its path.
    QString write(const QString& dir, const QString& name) const;

private:
    struct PageSpec
    {
        QSizeF size;
        QStringList lines;
        int rotate = 0;
    };
    QList<PageSpec> m_pages;
    QList<Outline> m_outlines;
    QMap<QString, QString> m_info;
    QString m_password;
    bool m_encrypt = false;
    bool m_loopOutlines = false;
    bool m_loopPageTree = false;
    int m_claimedCount = -1;
};
