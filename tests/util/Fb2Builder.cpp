#include "util/Fb2Builder.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTextCodec>

Fb2Builder& Fb2Builder::encoding(const QString& name, bool declare)
{
    m_encoding = name;
    m_declare = declare;
    return *this;
}

Fb2Builder& Fb2Builder::bom(bool on)
{
    m_bom = on;
    return *this;
}

Fb2Builder& Fb2Builder::root(const QString& name)
{
    m_root = name;
    return *this;
}

Fb2Builder& Fb2Builder::doctype(const QString& text)
{
    m_doctype = text;
    return *this;
}

Fb2Builder& Fb2Builder::title(const QString& title)
{
    m_title = title;
    return *this;
}

Fb2Builder& Fb2Builder::author(const QString& first, const QString& last)
{
    m_authors << QStringLiteral("<author><first-name>%1</first-name><last-name>%2</last-name></author>")
                     .arg(first.toHtmlEscaped(), last.toHtmlEscaped());
    return *this;
}

Fb2Builder& Fb2Builder::cover(const QString& id)
{
    m_cover = id;
    return *this;
}

Fb2Builder& Fb2Builder::body(const QString& innerXml, const QString& name)
{
    const QString attr = name.isEmpty() ? QString() : QStringLiteral(" name=\"%1\"").arg(name);
    m_bodies << QStringLiteral("<body%1>%2</body>").arg(attr, innerXml);
    return *this;
}

Fb2Builder& Fb2Builder::image(const QString& id, const QImage& image)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return rawBinary(id, png.toBase64());
}

Fb2Builder& Fb2Builder::rawBinary(const QString& id, const QByteArray& base64)
{
    m_binaries << QStringLiteral("<binary id=\"%1\" content-type=\"image/png\">%2</binary>")
                      .arg(id, QString::fromLatin1(base64));
    return *this;
}

QByteArray Fb2Builder::build() const
{
    QString xml;
    if (m_declare)
        xml += QStringLiteral("<?xml version=\"1.0\" encoding=\"%1\"?>\n").arg(m_encoding);
    else
        xml += QStringLiteral("<?xml version=\"1.0\"?>\n");
    xml += m_doctype;
    xml += QStringLiteral("<%1 xmlns=\"http://www.gribuser.ru/xml/fictionbook/2.0\" "
                          "xmlns:l=\"http://www.w3.org/1999/xlink\">")
               .arg(m_root);
    xml += QStringLiteral("<description><title-info><genre>prose</genre>");
    xml += m_authors.join(QString());
    xml += QStringLiteral("<book-title>%1</book-title>").arg(m_title.toHtmlEscaped());
    if (!m_cover.isEmpty())
        xml += QStringLiteral("<coverpage><image l:href=\"#%1\"/></coverpage>").arg(m_cover);
    xml += QStringLiteral("<lang>en</lang></title-info>"
                          "<document-info><id>doc-1</id></document-info>"
                          "<publish-info><publisher>Press</publisher></publish-info></description>");
    xml += m_bodies.join(QString());
    xml += m_binaries.join(QString());
    xml += QStringLiteral("</%1>\n").arg(m_root);

    QTextCodec* codec = QTextCodec::codecForName(m_encoding.toLatin1());
    QByteArray bytes = codec ? codec->fromUnicode(xml) : xml.toUtf8();
    // fromUnicode of the UTF codecs may add its own mark; control it here.
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    if (m_bom)
        bytes.prepend("\xEF\xBB\xBF");
    return bytes;
}

QString Fb2Builder::write(const QString& dir, const QString& name) const
{
    const QString path = QDir(dir).filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(build());
    return path;
}

QImage Fb2Builder::makeImage(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    return image;
}

QString Fb2Builder::section(const QString& title, const QStringList& paragraphs, const QString& id)
{
    QString xml = id.isEmpty() ? QStringLiteral("<section>") : QStringLiteral("<section id=\"%1\">").arg(id);
    if (!title.isEmpty())
        xml += QStringLiteral("<title><p>%1</p></title>").arg(title.toHtmlEscaped());
    for (const QString& p : paragraphs)
        xml += QStringLiteral("<p>%1</p>").arg(p.toHtmlEscaped());
    return xml + QStringLiteral("</section>");
}
