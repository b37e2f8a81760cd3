// What every reflowable back-end (FB2, EPUB, and each one added later)
// promises the reader: a book opens with pages, its metadata reader gives the
// title, the table of contents leads to the right text, real books open, and
// damaged files never crash or hang. Adding a format is one row in formats().

#include "BookFormat.h"
#include "TextDocument.h"
#include "epub/EpubParser.h"
#include "fb2/FbParser.h"
#include "mobi/MobiReader.h"
#include "util/EpubBuilder.h"
#include "util/Fb2Builder.h"
#include "util/MobiBuilder.h"
#include "util/TestHome.h"

#include <QDir>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

const QString kTitle = QStringLiteral("Contract Book");
const QStringList kChapters = {QStringLiteral("Chapter One"), QStringLiteral("Chapter Two"),
                               QStringLiteral("Chapter Three")};

QString wordsOf(int chapter)
{
    return QStringLiteral("Words of chapter %1.").arg(chapter + 1);
}

struct Format
{
    const char* name;
    const char* suffix;
    /// A book titled kTitle with the three chapters of kChapters, each a
    /// heading and the paragraph wordsOf(i), in the table of contents.
    std::function<QByteArray()> makeBook;
    /// The title the format's metadata reader (the add-books path) gives;
    /// empty when it cannot read the file.
    std::function<QString(const QString& path)> readTitle;
    /// Folder of real books below the samples folder.
    const char* samples;
};

const QList<Format>& formats()
{
    static const QList<Format> list = {
        {"FB2", "fb2",
         [] {
             Fb2Builder book;
             book.title(kTitle).author("Ann", "Writer");
             for (int i = 0; i < kChapters.size(); ++i)
                 book.body(QStringLiteral("<title><p>%1</p></title>").arg(kChapters.at(i)) +
                           Fb2Builder::section(QString(), {wordsOf(i)}));
             return book.build();
         },
         [](const QString& path) {
             fb2::FbParser parser;
             return parser.parse(path, true) ? parser.book().title() : QString();
         },
         "fb2"},
        {"EPUB", "epub",
         [] {
             EpubBuilder book;
             book.title(kTitle).author("Ann Writer");
             for (int i = 0; i < kChapters.size(); ++i)
                 book.chapter(QStringLiteral("c%1").arg(i), QStringLiteral("Text/c%1.xhtml").arg(i),
                              EpubBuilder::body(kChapters.at(i), {wordsOf(i)}), kChapters.at(i));
             return book.build();
         },
         [](const QString& path) {
             epub::Book book;
             return epub::EpubParser().parse(path, book, true) ? book.title() : QString();
         },
         "epub"},
        {"MOBI", "mobi",
         [] {
             QByteArray html = "<html><head></head><body>";
             for (int i = 0; i < kChapters.size(); ++i) {
                 if (i > 0)
                     html += "<mbp:pagebreak/>";
                 html += "<h2>" + kChapters.at(i).toUtf8() + "</h2><p>" + wordsOf(i).toUtf8() + "</p>";
             }
             html += "</body></html>";
             return MobiBuilder().title(kTitle.toUtf8()).author("Ann Writer").text(html).build();
         },
         [](const QString& path) {
             mobi::MobiReader reader;
             return reader.open(path) ? reader.title() : QString();
         },
         "mobi"},
    };
    return list;
}

// The first words at `position`, after white space and object characters.
QString textAt(const TextDocument& document, int position)
{
    return document.plainText().mid(position, 200).remove(QChar::ObjectReplacementCharacter).trimmed();
}

void checkTocPositions(const QList<TocPoint>& points, int characters)
{
    for (const TocPoint& p : points) {
        QVERIFY2(p.position >= 0 && p.position < characters, qPrintable(p.title));
        QVERIFY(p.page >= 1);
        checkTocPositions(p.children, characters);
    }
}

} // namespace

class TestReflowableContract : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_dir.reset(new QTemporaryDir());
        QVERIFY(m_dir->isValid());
    }

    void opensWithPagesTitleAndContents_data()
    {
        QTest::addColumn<int>("format");
        for (int i = 0; i < formats().size(); ++i)
            QTest::newRow(formats().at(i).name) << i;
    }
    void opensWithPagesTitleAndContents()
    {
        QFETCH(int, format);
        const Format& f = formats().at(format);
        const QString path = m_dir->filePath(QStringLiteral("contract.%1").arg(f.suffix));
        QVERIFY(writeFile(path, f.makeBook()));

        QCOMPARE(f.readTitle(path), kTitle);
        std::unique_ptr<TextDocument> doc(createTextDocument(path));
        doc->load();
        doc->setViewPortSize(QSize(400, 500));
        QVERIFY(doc->pageCount() > 0);
        QVERIFY(doc->errorString().isEmpty());

        const QList<TocPoint> toc = doc->toc();
        QCOMPARE(toc.size(), kChapters.size());
        for (int i = 0; i < kChapters.size(); ++i) {
            QCOMPARE(toc.at(i).title, kChapters.at(i));
            const QString text = textAt(*doc, toc.at(i).position);
            QVERIFY2(text.startsWith(kChapters.at(i)), qPrintable(text));
            QVERIFY(text.contains(wordsOf(i)));
            QCOMPARE(doc->chapterTitle(toc.at(i).position), kChapters.at(i));
            QCOMPARE(doc->calcPageByPosition(toc.at(i).position), toc.at(i).page);
            if (i > 0)
                QVERIFY(toc.at(i).page >= toc.at(i - 1).page);
        }
        // Going to an entry shows its chapter.
        doc->setPageByPosition(toc.last().position);
        QCOMPARE(doc->page(), toc.last().page);
    }

    void survivesTruncation_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<double>("kept");
        for (int i = 0; i < formats().size(); ++i) {
            for (double kept : {0.0, 0.05, 0.2, 0.5, 0.8, 0.95, 0.999})
                QTest::addRow("%s, %g of the file", formats().at(i).name, kept) << i << kept;
        }
    }
    void survivesTruncation()
    {
        QFETCH(int, format);
        QFETCH(double, kept);
        const Format& f = formats().at(format);
        const QByteArray whole = f.makeBook();
        const QString path = m_dir->filePath(QStringLiteral("cut.%1").arg(f.suffix));
        QVERIFY(writeFile(path, whole.left(int(whole.size() * kept))));

        f.readTitle(path);
        std::unique_ptr<TextDocument> doc(createTextDocument(path));
        doc->load();
        doc->setViewPortSize(QSize(400, 500));
        QVERIFY(doc->pageCount() >= 0);
        checkTocPositions(doc->toc(), qMax(1, doc->textLength()));
        doc->rebuild();
        doc->setPage(doc->pageCount());
    }

    void opensRealBooks_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("path");
        int rows = 0;
        for (int i = 0; i < formats().size(); ++i) {
            const QDir dir(QStringLiteral(LANTERNLEAF_SAMPLES_DIR) + "/" + formats().at(i).samples);
            const QString filter = QStringLiteral("*.%1").arg(formats().at(i).suffix);
            for (const QString& name : dir.entryList({filter}, QDir::Files, QDir::Name)) {
                QTest::addRow("%s", qPrintable(name)) << i << dir.filePath(name);
                ++rows;
            }
        }
        if (rows == 0)
            QTest::newRow("no samples") << 0 << QString();
    }
    void opensRealBooks()
    {
        QFETCH(int, format);
        QFETCH(QString, path);
        if (path.isEmpty())
            QSKIP("no sample books");
        const Format& f = formats().at(format);
        QVERIFY(!f.readTitle(path).isEmpty());
        std::unique_ptr<TextDocument> doc(createTextDocument(path));
        doc->load();
        doc->setViewPortSize(QSize(600, 800));
        QVERIFY(doc->pageCount() > 0);
        QVERIFY(!doc->toc().isEmpty());
        checkTocPositions(doc->toc(), doc->textLength());
    }

private:
    static bool writeFile(const QString& path, const QByteArray& data)
    {
        QFile file(path);
        return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(data) == data.size();
    }

    TestHome m_home;
    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_MAIN(TestReflowableContract)
#include "TestReflowableContract.moc"
