// Writes the seed corpora of the fuzzers (one folder per fuzzer below the
// folder given) with the fixture builders of the tests: small sound books of
// every format, each with the features its parser has code for, and a few
// damaged ones. make-seeds.sh runs it; the output is committed.
#include "FuzzCommon.h"

#include "LibraryContainer.h"
#include "ZipReader.h"
#include "util/ComicFixtures.h"
#include "util/EpubBuilder.h"
#include "util/Fb2Builder.h"
#include "util/MobiBuilder.h"
#include "util/PdfBuilder.h"
#include "util/RawZipBuilder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextCodec>

#include <cstdio>

namespace {

QString g_out;
int g_failures = 0;

void save(const QString& fuzzer, const QString& name, const QByteArray& data)
{
    QDir().mkpath(g_out + "/" + fuzzer);
    QFile file(g_out + "/" + fuzzer + "/" + name);
    if (data.isEmpty() || !file.open(QIODevice::WriteOnly) || file.write(data) != data.size()) {
        std::fprintf(stderr, "make_seeds: cannot write %s/%s\n", qPrintable(fuzzer), qPrintable(name));
        ++g_failures;
    }
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray joinParts(const QList<QByteArray>& parts)
{
    QByteArray out;
    for (int i = 0; i < parts.size(); ++i) {
        if (i > 0)
            out += fuzz::partSeparator();
        out += parts[i];
    }
    return out;
}

// --- FictionBook 2 ---
void fb2Seeds()
{
    const QString sections =
        Fb2Builder::section("One",
                            {"<p>Plain <emphasis>em</emphasis> <strong>strong</strong> "
                             "<strikethrough>s</strikethrough> <a l:href=\"#n1\">1</a></p>"},
                            "s1") +
        "<section><title><p>Two</p></title><epigraph><p>Epigraph</p><text-author>A</text-author></epigraph>"
        "<poem><title><p>Poem</p></title><stanza><v>Verse one</v><v>Verse two</v></stanza></poem>"
        "<cite><p>Cited</p><empty-line/></cite>"
        "<table><tr><th>H</th></tr><tr><td>C</td></tr></table>"
        "<image l:href=\"#pic\"/><subtitle>Sub</subtitle>"
        "<section><title><p>Nested</p></title><p>Deep</p></section></section>";
    const QImage small = Fb2Builder::makeImage(4, 4);
    const QByteArray full =
        Fb2Builder()
            .title("Seed")
            .author("Ann", "Writer")
            .cover("cover.png")
            .image("cover.png", small)
            .image("pic", small)
            .body("<title><p>Book</p></title>" + sections)
            .body("<section id=\"n1\"><title><p>1</p></title><p>Note</p></section>", "notes")
            .build();
    const QByteArray cp1251 = Fb2Builder()
                                  .encoding("windows-1251")
                                  .title(QString::fromUtf8("Книга"))
                                  .author(QString::fromUtf8("Анна"), QString::fromUtf8("Писатель"))
                                  .body(Fb2Builder::section(QString::fromUtf8("Глава"), {"<p>Текст</p>"}))
                                  .build();
    const QByteArray utf16 = Fb2Builder()
                                 .encoding("UTF-16")
                                 .bom()
                                 .title("Wide")
                                 .body(Fb2Builder::section("One", {"<p>Text</p>"}))
                                 .build();
    const QByteArray plain = Fb2Builder().title("Plain").body(Fb2Builder::section("A", {"<p>B</p>"})).build();
    const QByteArray doctype =
        Fb2Builder().doctype("<!DOCTYPE FictionBook [<!ENTITY a \"aaaa\">]>").title("&a;").build();
    const QByteArray wrongRoot = Fb2Builder().root("NotFiction").title("Root").build();
    const QByteArray coverAtEnd =
        Fb2Builder()
            .title("Cover last")
            .cover("c")
            .body(Fb2Builder::section("A", {"<p>B</p>"}))
            .rawBinary("c", small.isNull() ? QByteArray() : QByteArray("iVBORw0KGgo="))
            .build();
    for (const QString& fuzzer : {QStringLiteral("fb2"), QStringLiteral("fb2_meta")}) {
        save(fuzzer, "full.fb2", full);
        save(fuzzer, "cp1251.fb2", cp1251);
        save(fuzzer, "utf16.fb2", utf16);
        save(fuzzer, "plain.fb2", plain);
        save(fuzzer, "doctype.fb2", doctype);
        save(fuzzer, "wrong-root.fb2", wrongRoot);
        save(fuzzer, "cover-damaged.fb2", coverAtEnd);
    }
}

// --- EPUB ---
const char* const epubParts[] = {
    "META-INF/container.xml", "OEBPS/content.opf", "OEBPS/toc.ncx",   "OEBPS/nav.xhtml",
    "OEBPS/c1.xhtml",         "OEBPS/c2.xhtml",    "OEBPS/style.css", "OEBPS/images/cover.png",
};

EpubBuilder sampleEpub()
{
    return EpubBuilder()
        .title("Seed")
        .author("Ann Writer")
        .meta("dc:language", "en")
        .meta("dc:description", "<p>About &amp; more</p>")
        .chapter("c1", "c1.xhtml",
                 "<h1 id=\"top\">One</h1><p class=\"x\">Text <a href=\"c2.xhtml#two\">link</a> "
                 "<img src=\"images/cover.png\" alt=\"c\"/> &nbsp;&mdash;</p>",
                 "One")
        .chapter("c2", "c2.xhtml", "<h2 id=\"two\">Two</h2><p>More <b>bold</b><br/>line</p>", "Two")
        .css("style.css", "p { margin: 0 } .x { color: red }")
        .image("cover", "images/cover.png", MobiBuilder::makeImage(4, 4, Qt::blue), "cover-image")
        .coverMeta("cover")
        .tocKind(EpubBuilder::Toc::Both);
}

void epubSeeds(const QString& scratch)
{
    const QString path = scratch + "/seed.epub";
    QFile::remove(path);
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(sampleEpub().build()) < 0)
            ++g_failures;
    }
    ZipReader zip;
    QStringList names;
    for (const char* name : epubParts)
        names << QString::fromLatin1(name);
    QHash<QString, QByteArray> entries;
    zip.readEntries(path, names, entries);
    QList<QByteArray> parts;
    for (const QString& name : names)
        parts << entries.value(name);
    save("epub", "parts-both-tocs.txt", joinParts(parts));

    QList<QByteArray> ncxOnly = parts;
    ncxOnly[3].clear();
    save("epub", "parts-ncx-only.txt", joinParts(ncxOnly));
    QList<QByteArray> navOnly = parts;
    navOnly[2].clear();
    save("epub", "parts-nav-only.txt", joinParts(navOnly));
    QList<QByteArray> utf16 = parts;
    QTextCodec* codec = QTextCodec::codecForName("UTF-16LE");
    utf16[4] = QByteArray("\xff\xfe") +
               codec->fromUnicode(QString::fromUtf8(parts[4]).replace(QLatin1String("encoding=\"utf-8\""),
                                                                      QLatin1String("encoding=\"UTF-16\"")));
    save("epub", "parts-utf16-chapter.txt", joinParts(utf16));
    QList<QByteArray> escaping = parts;
    escaping[1].replace("href=\"c2.xhtml\"", "href=\"../../c2.xhtml\"");
    save("epub", "parts-escaping-href.txt", joinParts(escaping));
    QList<QByteArray> entities = parts;
    entities[1].replace("<package", "<!DOCTYPE package [<!ENTITY e \"eeee\">]><package");
    save("epub", "parts-entities.txt", joinParts(entities));

    save("epub", "whole.epub", sampleEpub().build());
    save("zip", "book.epub", sampleEpub().build());
}

// --- Mobipocket ---
void mobiSeeds()
{
    const QByteArray html =
        "<html><head><guide><reference type=\"toc\" filepos=\"0000000120\"/></guide></head>"
        "<body><h1>One</h1><p>Text <a filepos=\"0000000200\">jump</a> "
        "<img recindex=\"00001\"/></p><mbp:pagebreak/><h2>Two</h2>"
        "<p>More text &amp; entities</p></body></html>";
    const QImage image = MobiBuilder::makeImage(4, 4, Qt::red);
    save("mobi", "none.mobi", MobiBuilder().text(html).compression(1).title("Seed").author("Ann").build());
    save("mobi", "palmdoc.mobi",
         MobiBuilder()
             .text(html)
             .compression(2)
             .extraFlags(3)
             .recordSize(64)
             .image(image)
             .exth(201, "\0\0\0\0")
             .ncx({{"One", 120, -1, -1, 0}, {"Two", 300, 0, -1, 0}})
             .build());
    save("mobi", "huffcdic.mobi",
         MobiBuilder()
             .text(QString::fromUtf8("<p>Привет, мир</p><p>булок</p>").toUtf8())
             .encoding(65001)
             .compression(17480)
             .huffPhrases({{"<p>", false}, {QString::fromUtf8("булок").toUtf8(), true}})
             .extraFlags(1)
             .recordSize(32)
             .build());
    save("mobi", "plain.pdb",
         MobiBuilder().text("Plain PalmDOC text.\nSecond line.").compression(2).plainPalmDoc().build());
    save("mobi", "protected.mobi", MobiBuilder().text("<p>secret</p>").encryption(2).build());
    const QList<MobiBuilder::Kf8File> files = {
        {"<?xml version=\"1.0\"?><html><head><title>First</title></head><body>",
         "</body></html>",
         {"<p>Start <a href=\"kindle:pos:fid:0001:off:0000000000\">next</a></p>",
          "<div><img src=\"kindle:embed:0001\"/></div>"}},
        {"<html><body>", "</body></html>", {"<h1>Chapter</h1><p>Landing</p>"}},
    };
    save("mobi", "kf8.azw3",
         MobiBuilder().kf8Files(files, "p { color: red }").recordSize(50).extraFlags(3).image(image).build());
}

// --- archives and comics ---
void archiveSeeds(const QString& scratch)
{
    const QList<ComicFixtures::Entry> pages =
        ComicFixtures::pages({"b/02.png", "01.jpg", "03.gif", "04.bmp", "notes.txt"}, QSize(6, 8));
    const QString cbz = scratch + "/seed.cbz";
    if (ComicFixtures::writeCbz(cbz, pages, {"b/"})) {
        save("zip", "comic.cbz", readFile(cbz));
        save("comic", "comic.cbz", readFile(cbz));
    } else {
        ++g_failures;
    }
    const QList<ComicFixtures::Entry> claiming = {
        {"01.bmp", ComicFixtures::claimingBmp(QSize(30000, 30000))}};
    if (ComicFixtures::writeCbz(cbz, claiming))
        save("comic", "claiming-bmp.cbz", readFile(cbz));

    const QString raw = scratch + "/raw.zip";
    if (RawZipBuilder()
            .entry("ok.txt", "fine")
            .rawEntry("bomb.txt", QByteArray(64, 'x'), 2LL * 1024 * 1024 * 1024, 0x12345678, 0)
            .rawEntry("../escape.txt", "up", 2, 0, 0)
            .write(raw))
        save("zip", "hostile.zip", readFile(raw));

    if (ComicFixtures::rarTool().isEmpty()) {
        std::fprintf(stderr, "make_seeds: no rar tool, no RAR seeds\n");
        return;
    }
    const QList<ComicFixtures::Entry> rarPages =
        ComicFixtures::pages({"01.png", "02.jpg", "x/03.gif"}, QSize(6, 8));
    const QString cbr = scratch + "/seed.cbr";
    struct RarSeed
    {
        const char* name;
        QStringList options;
    };
    const RarSeed rars[] = {{"plain.cbr", {}},
                            {"solid.cbr", {"-s"}},
                            {"password.cbr", {"-pSECRET"}},
                            {"headers-locked.cbr", {"-hpSECRET"}}};
    for (const RarSeed& seed : rars) {
        QFile::remove(cbr);
        if (!ComicFixtures::writeCbr(cbr, rarPages, seed.options)) {
            std::fprintf(stderr, "make_seeds: rar %s failed\n", seed.name);
            continue;
        }
        save("rar", seed.name, readFile(cbr));
        if (QByteArray(seed.name) == "plain.cbr" || QByteArray(seed.name) == "solid.cbr")
            save("comic", seed.name, readFile(cbr));
    }
}

// --- PDF ---
void pdfSeeds()
{
    const QList<PdfBuilder::Outline> outline = {{"One", 1, {{"Inner", 2, {}}}}, {"Two", 2, {}}};
    save("pdf", "outline.pdf",
         PdfBuilder()
             .pages(2, "Seed text")
             .outlines(outline)
             .info("Title", "Seed")
             .info("Author", "Ann")
             .build());
    save("pdf", "rotated.pdf", PdfBuilder().page(QSizeF(200, 100), {"Turned"}, 90).build());
    save("pdf", "password.pdf", PdfBuilder().pages(1).userPassword("secret").build());
    save("pdf", "loops.pdf", PdfBuilder().pages(2).outlines(outline).loopOutlines().loopPageTree().build());
    save("pdf", "claims-pages.pdf", PdfBuilder().pages(1).claimPageCount(1000000).build());
}

// --- library export archive ---
void librarySeeds(const QString& scratch)
{
    ContainerBook first;
    first.bookId = "1";
    first.fileName = "Book One.fb2";
    first.relPath = "books/1/book.fb2";
    first.coverPath = "books/1/cover.jpg";
    first.author = "Ann Writer";
    first.title = "Book One";
    first.format = 2;
    first.position = 120;
    first.progress = 40;
    first.favorite = true;
    first.bookmarks = {{"Mark", 10, 5}, {"Other", 90, 60}};
    ContainerBook second;
    second.bookId = "2";
    second.fileName = "sub/../Second.epub";
    second.relPath = "books/2/book.epub";
    second.coverPath = "books/2/cover.png";
    second.title = "Second";
    ContainerBook hostile;
    hostile.bookId = "3";
    hostile.fileName = "../../escape.fb2";
    hostile.relPath = "../books/1/book.fb2";
    hostile.coverPath = "/etc/cover.jpg";
    hostile.format = 77;

    const QByteArray fb2 =
        Fb2Builder().title("Book One").body(Fb2Builder::section("A", {"<p>B</p>"})).build();
    const QByteArray jpg = ComicFixtures::page("c.jpg", Qt::red, QSize(4, 4));
    const QByteArray png = ComicFixtures::page("c.png", Qt::blue, QSize(4, 4));
    const QByteArray epub = "not really an epub";
    save("library", "two-books.txt",
         joinParts({LibraryContainer::serialize({first, second}), fb2, jpg, epub, png}));
    save("library", "hostile-names.txt",
         joinParts({LibraryContainer::serialize({hostile, first}), fb2, jpg}));
    save("library", "missing-entries.txt", joinParts({LibraryContainer::serialize({first, second}), fb2}));
    save("library", "not-json.txt", joinParts({"{\"books\": [ {\"title\": 1, ", fb2}));

    const QString raw = scratch + "/library.lvx";
    if (RawZipBuilder()
            .entry("container.json", LibraryContainer::serialize({first}))
            .rawEntry("books/1/book.fb2", fb2, 5LL * 1024 * 1024 * 1024, 0, 0)
            .entry("books/1/cover.jpg", jpg)
            .write(raw))
        save("library", "claims-huge.lvx", readFile(raw));
}

} // namespace

int main(int argc, char** argv)
{
    fuzz::initialize(&argc, &argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_make_seeds OUTPUT_FOLDER\n");
        return 2;
    }
    g_out = QString::fromLocal8Bit(argv[1]);
    QDir(g_out).removeRecursively();
    QTemporaryDir scratch(fuzz::scratchDir() + "/seeds-XXXXXX");
    fb2Seeds();
    epubSeeds(scratch.path());
    mobiSeeds();
    archiveSeeds(scratch.path());
    pdfSeeds();
    librarySeeds(scratch.path());
    return g_failures == 0 ? 0 : 1;
}
