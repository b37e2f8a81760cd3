#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>

/// Builds small FictionBook 2 files in memory for tests: description, bodies
/// given as XML text, images as "binary" elements, any encoding, optional BOM,
/// DOCTYPE and root name.
class Fb2Builder
{
public:
    Fb2Builder& encoding(const QString& name, bool declare = true);
    Fb2Builder& bom(bool on = true);
    Fb2Builder& root(const QString& name);
    Fb2Builder& doctype(const QString& text);
    Fb2Builder& title(const QString& title);
    Fb2Builder& author(const QString& first, const QString& last);
    Fb2Builder& cover(const QString& id);
    /// A body: inner XML (title, sections...), with an optional name.
    Fb2Builder& body(const QString& innerXml, const QString& name = QString());
    /// A "binary" holding `image` as PNG.
    Fb2Builder& image(const QString& id, const QImage& image);
    /// A "binary" with the given text as its base64 content.
    Fb2Builder& rawBinary(const QString& id, const QByteArray& base64);

    QByteArray build() const;
    /// Writes the book to dir/name and returns the path.
    QString write(const QString& dir, const QString& name) const;

    /// A filled image of the given size.
    static QImage makeImage(int width, int height);
    /// A section with a title and paragraphs "<p>…</p>".
    static QString section(const QString& title, const QStringList& paragraphs,
                           const QString& id = QString());

private:
    QString m_encoding = QStringLiteral("UTF-8");
    bool m_declare = true;
    bool m_bom = false;
    QString m_root = QStringLiteral("FictionBook");
    QString m_doctype;
    QString m_title = QStringLiteral("Test Book");
    QStringList m_authors;
    QString m_cover;
    QStringList m_bodies;
    QStringList m_binaries;
};
