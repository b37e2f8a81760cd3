#pragma once

#include <QImage>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

/// Writes small DjVu books for tests with DjVuLibre's own tools (c44 for
/// colour pages, cjb2 for black-and-white ones, djvm to bundle, djvmcvt for
/// an indirect book, djvused for text layers, outlines, rotation and
/// metadata), run as real processes. Pages are scans drawn in code: a page
/// number in large type, lines of words and a coloured band on colour pages.
class DjvuBuilder
{
public:
    struct Outline
    {
        QString title;
        QString link; ///< "#3" for page 3, or a page file name
        QList<Outline> children;
    };

    /// A page of `width` × `height` pixels at `dpi`; its words form the
    /// hidden text layer (none when empty); `quarterTurns` counter-clockwise
    /// as DjVu counts them.
    DjvuBuilder& page(int width, int height, const QStringList& words = {}, bool colour = true,
                      int quarterTurns = 0, int dpi = 300);
    /// `count` small colour pages; page n holds the words "Page", "n".
    DjvuBuilder& pages(int count);
    DjvuBuilder& outline(const QList<Outline>& items);
    /// A document metadata entry ("title", "author").
    DjvuBuilder& meta(const QString& key, const QString& value);

    /// Writes a bundled book; false (and `error`) when a tool fails.
    bool writeBundled(const QString& path, QString* error = nullptr) const;
    /// Writes an indirect book: the index file `indexPath` and one file per
    /// page next to it, whose names go to `pageFiles`.
    bool writeIndirect(const QString& indexPath, QStringList* pageFiles, QString* error = nullptr) const;

    /// Whether the tools are installed.
    static bool toolsAvailable();

private:
    struct Page
    {
        QSize size;
        QStringList words;
        bool colour = true;
        int quarterTurns = 0;
        int dpi = 300;
    };

    bool writePage(int index, const Page& page, const QString& dir, QString* file, QString* error) const;

    QList<Page> m_pages;
    QList<Outline> m_outline;
    QMap<QString, QString> m_meta;
};
