#pragma once

#include "util/ZipBuilder.h"

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

/// Builds small EPUB books in memory for tests: chapters (XHTML bodies),
/// style sheets, images, a table of contents as NCX, EPUB 3 navigation
/// document or both, cover declarations, and whatever damage a test needs
/// (extra or missing files, a container that names no package).
///
/// Paths given to the builder are relative to the package folder ("OEBPS"
/// unless changed); the package is "OEBPS/content.opf".
class EpubBuilder
{
public:
    /// A table-of-contents entry; `href` relative to the package folder.
    struct Nav
    {
        QString label;
        QString href;
        QList<Nav> children;
    };
    enum class Toc
    {
        Ncx,
        NavDocument,
        Both,
        None
    };

    EpubBuilder& title(const QString& title);
    EpubBuilder& author(const QString& name);
    /// Any Dublin Core element ("dc:publisher").
    EpubBuilder& meta(const QString& element, const QString& value);
    /// A chapter: manifest item `id` at `href`, listed in the spine, with
    /// `body` as the content of its body element; an NCX/nav entry named
    /// `label` unless empty.
    EpubBuilder& chapter(const QString& id, const QString& href, const QString& body,
                         const QString& label = QString());
    /// A whole content document as written (encoding tests).
    EpubBuilder& rawChapter(const QString& id, const QString& href, const QByteArray& document);
    /// A manifest item without an archive entry or spine entry.
    EpubBuilder& item(const QString& id, const QString& href, const QString& mediaType,
                      const QString& properties = QString());
    EpubBuilder& spine(const QString& idref);
    /// A style sheet item and its file.
    EpubBuilder& css(const QString& href, const QString& text);
    /// An image item and its file (PNG; JPEG when href ends in .jpg).
    EpubBuilder& image(const QString& id, const QString& href, const QImage& image,
                       const QString& properties = QString());
    /// Adds <meta name="cover" content="id"/>.
    EpubBuilder& coverMeta(const QString& id);
    /// Replaces the generated table of contents.
    EpubBuilder& toc(const QList<Nav>& entries);
    EpubBuilder& tocKind(Toc kind);
    /// The NCX is stored under this name (relative to the package folder).
    EpubBuilder& ncxName(const QString& name);
    /// Any archive entry, path from the archive root.
    EpubBuilder& file(const QString& path, const QByteArray& data);
    /// Replaces META-INF/container.xml (empty: none at all).
    EpubBuilder& container(const QByteArray& xml);
    /// Replaces the generated package document.
    EpubBuilder& package(const QByteArray& opf);

    QByteArray build() const;
    /// Writes the book to dir/name and returns the path.
    QString write(const QString& dir, const QString& name) const;

    /// A chapter body: a heading and paragraphs.
    static QString body(const QString& heading, const QStringList& paragraphs,
                        const QString& headingId = QString());
    /// An XHTML document around `body`.
    static QByteArray xhtml(const QString& body, const QString& head = QString());

private:
    struct Item
    {
        QString id;
        QString href;
        QString mediaType;
        QString properties;
    };
    QByteArray opf() const;
    QByteArray ncx() const;
    QByteArray nav() const;

    QString m_title = QStringLiteral("Test Book");
    QStringList m_authors;
    QList<QPair<QString, QString>> m_meta;
    QList<Item> m_items;
    QStringList m_spine;
    QList<Nav> m_toc;
    bool m_customToc = false;
    Toc m_tocKind = Toc::Ncx;
    QString m_ncxName = QStringLiteral("toc.ncx");
    QString m_coverMeta;
    QList<QPair<QString, QByteArray>> m_files;
    QByteArray m_container = "default";
    QByteArray m_package;
};
