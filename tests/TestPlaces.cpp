// Places in a book are character positions of the whole book's text. Stored
// reading places, bookmarks, exported archives and tables of contents hold
// them, so the text at a position must never change when the engine does.
//
// fixtures/places.tsv was written by this program (LANTERNLEAF_RECORD_PLACES
// set to its path) with the engine that laid the whole book out as one
// document: for each book, its character count and the text at a set of
// positions. The test opens the same books and checks that the same
// positions still hold the same text.

#include "BookFormat.h"
#include "TextDocument.h"
#include "util/EpubBuilder.h"
#include "util/Fb2Builder.h"
#include "util/MobiBuilder.h"
#include "util/TestHome.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

constexpr int kTextLength = 24;
constexpr int kSpread = 40;

QString escaped(QString text)
{
    text.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    text.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    text.replace(QLatin1Char('\t'), QLatin1String("\\t"));
    return text;
}

struct Book
{
    QString name;
    std::function<QByteArray()> make; ///< null: a sample file
    QString suffix;
};

QString para(int chapter, int n)
{
    return QStringLiteral("Chapter %1, paragraph %2: the lanterns along the quay were lit one by one "
                          "while the ferry waited for the last of the travellers.")
        .arg(chapter)
        .arg(n);
}

QStringList paras(int chapter, int count)
{
    QStringList list;
    for (int i = 0; i < count; ++i)
        list << para(chapter, i);
    return list;
}

QList<Book> builtBooks()
{
    QList<Book> books;
    books << Book{
        "built-fb2-bodies",
        [] {
            Fb2Builder b;
            b.title("Places").author("Ann", "Writer").cover("cover.png");
            b.image("cover.png", Fb2Builder::makeImage(60, 90));
            b.body("<title><p>Part One</p></title><epigraph><p>An epigraph.</p></epigraph>" +
                   Fb2Builder::section("First", paras(1, 12)) + Fb2Builder::section("Second", paras(2, 30)) +
                   "<section><title><p>Third</p></title>" + Fb2Builder::section("Inner", paras(3, 5)) +
                   "<p>After the inner section.</p></section>");
            // An untitled body, an empty section and a notes body.
            b.body(Fb2Builder::section(QString(), paras(4, 8)) + "<section></section>" +
                   Fb2Builder::section("Last", paras(5, 3)));
            b.body(Fb2Builder::section("1", {"A note."}), "notes");
            return b.build();
        },
        "fb2"};
    books << Book{"built-epub-chapters",
                  [] {
                      EpubBuilder b;
                      b.title("Places").author("Ann Writer");
                      b.css("Styles/book.css", "p { text-indent: 1em } h2 { margin-top: 2em }");
                      b.image("pic", "Images/pic.png", Fb2Builder::makeImage(40, 30));
                      b.chapter("c0", "Text/c0.xhtml", EpubBuilder::body("One", paras(1, 10)), "One");
                      b.chapter("c1", "Text/c1.xhtml", QString(), "Empty");
                      b.chapter("c2", "Text/c2.xhtml",
                                EpubBuilder::body("Two", paras(2, 25)) +
                                    "<p><img src=\"../Images/pic.png\"/></p><div><p>In a div.</p></div>",
                                "Two");
                      b.chapter("c3", "Text/c3.xhtml",
                                "<h2 id=\"t\">Three</h2><table><tr><td>a</td><td>b</td></tr></table>"
                                "<ul><li>one</li><li>two</li></ul>" +
                                    paras(3, 4).join(QString()),
                                "Three");
                      return b.build();
                  },
                  "epub"};
    books << Book{"built-mobi-breaks",
                  [] {
                      QByteArray html = "<html><head></head><body>";
                      for (int i = 0; i < 4; ++i) {
                          if (i > 0)
                              html += "<mbp:pagebreak/>";
                          if (i == 2)
                              continue; // an empty chapter
                          html += "<h2>Chapter " + QByteArray::number(i) + "</h2>";
                          for (const QString& p : paras(i, 9))
                              html += "<p>" + p.toUtf8() + "</p>";
                      }
                      html += "</body></html>";
                      return MobiBuilder().title("Places").author("Ann Writer").text(html).build();
                  },
                  "mobi"};
    return books;
}

QStringList sampleFiles()
{
    QStringList files;
    const QDir samples(QStringLiteral(LANTERNLEAF_SAMPLES_DIR));
    for (const char* folder : {"fb2", "epub", "mobi"}) {
        const QDir dir(samples.filePath(QLatin1String(folder)));
        for (const QString& name : dir.entryList(QDir::Files, QDir::Name))
            files << QStringLiteral("%1/%2").arg(QLatin1String(folder), name);
    }
    return files;
}

void collectToc(const QList<TocPoint>& points, QList<int>& out)
{
    for (const TocPoint& p : points) {
        out << p.position;
        collectToc(p.children, out);
    }
}

/// The positions recorded for a book of `characters` characters.
QList<int> positionsFor(const TextDocument& doc, int characters)
{
    QList<int> positions;
    for (int i = 0; i < kSpread; ++i)
        positions << int(qint64(characters - 1) * i / kSpread);
    positions << characters - 2;
    collectToc(doc.toc(), positions);
    std::sort(positions.begin(), positions.end());
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
    positions.erase(std::remove_if(positions.begin(), positions.end(), [](int p) { return p < 0; }),
                    positions.end());
    return positions;
}

QString bookText(const TextDocument& doc)
{
    return doc.plainText();
}

QString textAt(const QString& text, int position)
{
    return escaped(text.mid(position, kTextLength));
}

struct Recorded
{
    int characters = 0;
    QList<QPair<int, QString>> places;
};

QHash<QString, Recorded> readFixture(const QString& path)
{
    QHash<QString, Recorded> books;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return books;
    QString current;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).chopped(1);
        if (line.startsWith(QLatin1String("#book\t"))) {
            const QStringList parts = line.split(QLatin1Char('\t'));
            current = parts.value(1);
            books[current].characters = parts.value(2).toInt();
        } else if (!current.isEmpty() && !line.isEmpty()) {
            const int tab = line.indexOf(QLatin1Char('\t'));
            books[current].places << qMakePair(line.left(tab).toInt(), line.mid(tab + 1));
        }
    }
    return books;
}

} // namespace

class TestPlaces : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }
    void init() { m_home.wipe(); }

    void sameTextAtSamePositions_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("path");
        for (const Book& b : builtBooks()) {
            const QString path = m_dir.filePath(b.name + QLatin1Char('.') + b.suffix);
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(b.make());
            file.close();
            QTest::newRow(qPrintable(b.name)) << b.name << path;
        }
        const QDir samples(QStringLiteral(LANTERNLEAF_SAMPLES_DIR));
        for (const QString& name : sampleFiles())
            QTest::newRow(qPrintable(name)) << name << samples.filePath(name);
    }
    void sameTextAtSamePositions()
    {
        QFETCH(QString, name);
        QFETCH(QString, path);
        const QString record = qEnvironmentVariable("LANTERNLEAF_RECORD_PLACES");
        if (record.isEmpty() && !QFileInfo::exists(path))
            QSKIP("sample books not present");

        std::unique_ptr<TextDocument> doc(createTextDocument(path));
        doc->setDefaultFont(QFont(QStringLiteral("DejaVu Serif"), 12));
        doc->load();
        doc->setViewPortSize(QSize(500, 700));
        const QString text = bookText(*doc);
        const int characters = text.size() + 1;

        if (!record.isEmpty()) {
            QFile out(record);
            QVERIFY(out.open(QIODevice::Append));
            QTextStream stream(&out);
            stream.setCodec("UTF-8");
            stream << "#book\t" << name << '\t' << characters << '\n';
            for (int p : positionsFor(*doc, characters))
                stream << p << '\t' << textAt(text, p) << '\n';
            return;
        }

        const QHash<QString, Recorded> fixture = readFixture(QStringLiteral(PLACES_FIXTURE));
        QVERIFY2(fixture.contains(name), qPrintable(name));
        const Recorded& recorded = fixture.value(name);
        QCOMPARE(characters, recorded.characters);
        for (const auto& place : recorded.places)
            QCOMPARE(textAt(text, place.first), place.second);

        // Opened at each place, the reader shows that text on its page.
        for (const auto& place : recorded.places) {
            const int position = place.first;
            doc->setPageByPosition(position);
            const int page = doc->page();
            const int start = doc->calcPositionByPage(page);
            QVERIFY2(start <= position, qPrintable(QStringLiteral("%1 at %2").arg(start).arg(position)));
            const QString shown = doc->pageText(page);
            const int offset = position - start;
            if (offset >= shown.size())
                continue; // the paragraph end that closes the page
            const int length = qMin(kTextLength, int(shown.size()) - offset);
            QCOMPARE(escaped(shown.mid(offset, length)),
                     place.second.left(escaped(shown.mid(offset, length)).size()));
        }
    }

private:
    TestHome m_home;
    QTemporaryDir m_dir;
};

QTEST_MAIN(TestPlaces)
#include "TestPlaces.moc"
