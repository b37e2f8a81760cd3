#include "util/EpubBuilder.h"

#include <QBuffer>
#include <QDir>

namespace {

const QString kFolder = QStringLiteral("OEBPS");

QString escaped(const QString& text)
{
    return text.toHtmlEscaped();
}

QString ncxPoints(const QList<EpubBuilder::Nav>& entries, int& order)
{
    QString xml;
    for (const EpubBuilder::Nav& e : entries) {
        ++order;
        xml += QStringLiteral("<navPoint id=\"np%1\" playOrder=\"%1\"><navLabel><text>%2</text></navLabel>"
                              "<content src=\"%3\"/>%4</navPoint>\n")
                   .arg(order)
                   .arg(escaped(e.label), escaped(e.href), ncxPoints(e.children, order));
    }
    return xml;
}

QString navList(const QList<EpubBuilder::Nav>& entries)
{
    if (entries.isEmpty())
        return QString();
    QString html = QStringLiteral("<ol>");
    for (const EpubBuilder::Nav& e : entries)
        html += QStringLiteral("<li><a href=\"%1\">%2</a>%3</li>")
                    .arg(escaped(e.href), escaped(e.label), navList(e.children));
    return html + QStringLiteral("</ol>");
}

} // namespace

EpubBuilder& EpubBuilder::title(const QString& title)
{
    m_title = title;
    return *this;
}

EpubBuilder& EpubBuilder::author(const QString& name)
{
    m_authors << name;
    return *this;
}

EpubBuilder& EpubBuilder::meta(const QString& element, const QString& value)
{
    m_meta.append({element, value});
    return *this;
}

EpubBuilder& EpubBuilder::chapter(const QString& id, const QString& href, const QString& body,
                                  const QString& label)
{
    rawChapter(id, href, xhtml(body));
    if (!label.isEmpty() && !m_customToc)
        m_toc.append({label, href, {}});
    return *this;
}

EpubBuilder& EpubBuilder::rawChapter(const QString& id, const QString& href, const QByteArray& document)
{
    item(id, href, QStringLiteral("application/xhtml+xml"));
    m_spine << id;
    return file(kFolder + "/" + href, document);
}

EpubBuilder& EpubBuilder::item(const QString& id, const QString& href, const QString& mediaType,
                               const QString& properties)
{
    m_items.append({id, href, mediaType, properties});
    return *this;
}

EpubBuilder& EpubBuilder::spine(const QString& idref)
{
    m_spine << idref;
    return *this;
}

EpubBuilder& EpubBuilder::css(const QString& href, const QString& text)
{
    item(QStringLiteral("css%1").arg(m_items.size()), href, QStringLiteral("text/css"));
    return file(kFolder + "/" + href, text.toUtf8());
}

EpubBuilder& EpubBuilder::image(const QString& id, const QString& href, const QImage& image,
                                const QString& properties)
{
    const bool jpeg = href.endsWith(QLatin1String(".jpg"), Qt::CaseInsensitive);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, jpeg ? "JPEG" : "PNG");
    item(id, href, jpeg ? QStringLiteral("image/jpeg") : QStringLiteral("image/png"), properties);
    return file(kFolder + "/" + href, bytes);
}

EpubBuilder& EpubBuilder::coverMeta(const QString& id)
{
    m_coverMeta = id;
    return *this;
}

EpubBuilder& EpubBuilder::toc(const QList<Nav>& entries)
{
    m_toc = entries;
    m_customToc = true;
    return *this;
}

EpubBuilder& EpubBuilder::tocKind(Toc kind)
{
    m_tocKind = kind;
    return *this;
}

EpubBuilder& EpubBuilder::ncxName(const QString& name)
{
    m_ncxName = name;
    return *this;
}

EpubBuilder& EpubBuilder::file(const QString& path, const QByteArray& data)
{
    m_files.append({path, data});
    return *this;
}

EpubBuilder& EpubBuilder::container(const QByteArray& xml)
{
    m_container = xml;
    return *this;
}

EpubBuilder& EpubBuilder::package(const QByteArray& opf)
{
    m_package = opf;
    return *this;
}

QString EpubBuilder::body(const QString& heading, const QStringList& paragraphs, const QString& headingId)
{
    QString html = headingId.isEmpty() ? QStringLiteral("<h1>%1</h1>").arg(heading)
                                       : QStringLiteral("<h1 id=\"%1\">%2</h1>").arg(headingId, heading);
    for (const QString& p : paragraphs)
        html += QStringLiteral("<p>%1</p>").arg(p);
    return html;
}

QByteArray EpubBuilder::xhtml(const QString& body, const QString& head)
{
    return QStringLiteral(
               "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE html>\n"
               "<html xmlns=\"http://www.w3.org/1999/xhtml\" xmlns:epub=\"http://www.idpf.org/2007/ops\">"
               "<head><title>Chapter</title>%1</head><body>%2</body></html>\n")
        .arg(head, body)
        .toUtf8();
}

QByteArray EpubBuilder::opf() const
{
    QString metadata = QStringLiteral("<dc:title>%1</dc:title>").arg(escaped(m_title));
    for (const QString& a : m_authors)
        metadata += QStringLiteral("<dc:creator>%1</dc:creator>").arg(escaped(a));
    for (const auto& m : m_meta)
        metadata += QStringLiteral("<%1>%2</%1>").arg(m.first, escaped(m.second));
    if (!m_coverMeta.isEmpty())
        metadata += QStringLiteral("<meta name=\"cover\" content=\"%1\"/>").arg(m_coverMeta);

    QString manifest;
    for (const Item& i : m_items) {
        manifest += QStringLiteral("<item id=\"%1\" href=\"%2\" media-type=\"%3\"%4/>\n")
                        .arg(i.id, escaped(i.href), i.mediaType,
                             i.properties.isEmpty() ? QString()
                                                    : QStringLiteral(" properties=\"%1\"").arg(i.properties));
    }
    const bool withNcx = m_tocKind == Toc::Ncx || m_tocKind == Toc::Both;
    const bool withNav = m_tocKind == Toc::NavDocument || m_tocKind == Toc::Both;
    if (withNcx)
        manifest += QStringLiteral("<item id=\"ncx\" href=\"%1\" media-type=\"application/x-dtbncx+xml\"/>\n")
                        .arg(m_ncxName);
    if (withNav)
        manifest += QStringLiteral("<item id=\"nav\" href=\"nav.xhtml\" media-type=\"application/xhtml+xml\" "
                                   "properties=\"nav\"/>\n");
    QString spine;
    for (const QString& idref : m_spine)
        spine += QStringLiteral("<itemref idref=\"%1\"/>").arg(idref);

    return QStringLiteral(
               "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
               "<package xmlns=\"http://www.idpf.org/2007/opf\" version=\"3.0\" unique-identifier=\"uid\">\n"
               "<metadata xmlns:dc=\"http://purl.org/dc/elements/1.1/\">%1</metadata>\n"
               "<manifest>\n%2</manifest>\n<spine%3>%4</spine>\n</package>\n")
        .arg(metadata, manifest, withNcx ? QStringLiteral(" toc=\"ncx\"") : QString(), spine)
        .toUtf8();
}

QByteArray EpubBuilder::ncx() const
{
    int order = 0;
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                          "<ncx xmlns=\"http://www.daisy.org/z3986/2005/ncx/\" version=\"2005-1\">"
                          "<head/><docTitle><text>%1</text></docTitle><navMap>\n%2</navMap></ncx>\n")
        .arg(escaped(m_title), ncxPoints(m_toc, order))
        .toUtf8();
}

QByteArray EpubBuilder::nav() const
{
    return xhtml(
        QStringLiteral(
            "<nav epub:type=\"landmarks\"><ol><li><a href=\"nowhere.xhtml\">Landmark</a></li></ol></nav>"
            "<nav epub:type=\"toc\" id=\"toc\"><h1>Contents</h1>%1</nav>")
            .arg(navList(m_toc)));
}

QByteArray EpubBuilder::build() const
{
    ZipBuilder zip;
    zip.add(QStringLiteral("mimetype"), "application/epub+zip", false);
    if (m_container == "default")
        zip.add(QStringLiteral("META-INF/container.xml"),
                "<?xml version=\"1.0\"?>\n"
                "<container version=\"1.0\" xmlns=\"urn:oasis:names:tc:opendocument:xmlns:container\">"
                "<rootfiles><rootfile full-path=\"OEBPS/content.opf\" "
                "media-type=\"application/oebps-package+xml\"/></rootfiles></container>\n");
    else if (!m_container.isEmpty())
        zip.add(QStringLiteral("META-INF/container.xml"), m_container);
    zip.add(kFolder + "/content.opf", m_package.isEmpty() ? opf() : m_package);
    if (m_tocKind == Toc::Ncx || m_tocKind == Toc::Both)
        zip.add(kFolder + "/" + m_ncxName, ncx());
    if (m_tocKind == Toc::NavDocument || m_tocKind == Toc::Both)
        zip.add(kFolder + "/nav.xhtml", nav());
    for (const auto& f : m_files)
        zip.add(f.first, f.second);
    return zip.build();
}

QString EpubBuilder::write(const QString& dir, const QString& name) const
{
    const QString path = QDir(dir).filePath(name);
    return ZipBuilder::writeFile(path, build()) ? path : QString();
}
