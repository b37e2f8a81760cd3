// Inputs on which the fuzzers (fuzz/) found faults, each run through the
// entry point that failed on it. Every row names the outcome a sound program
// gives: the book opens with so many chapters, pages or entries, or it is
// refused. A crash, a hang or a sanitizer report fails the whole program.
#include "BookProvider.h"
#include "ImportWorker.h"
#include "Logger.h"
#include "RarReader.h"
#include "ZipReader.h"
#include "comics/ComicDocument.h"
#include "epub/EpubConverter.h"
#include "epub/EpubParser.h"
#include "fb2/FbConverter.h"
#include "fb2/FbParser.h"
#include "mobi/MobiConverter.h"
#include "mobi/MobiReader.h"
#include "pdf/Document.h"
#include "util/TestHome.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {

constexpr int Refused = -1;

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

/// The count each format reports for an input, or Refused.
int fb2Chapters(const QString& path)
{
    fb2::FbParser parser;
    if (!parser.parseData(readAll(path), false))
        return Refused;
    fb2::Book book = parser.takeBook();
    return fb2::FbConverter::toChunks(book).size();
}

int fb2Metadata(const QString& path)
{
    fb2::FbParser parser;
    return parser.parseData(readAll(path), true) ? parser.book().metadata().size() : Refused;
}

int epubChapters(const QString& path)
{
    epub::EpubParser parser;
    epub::Book book;
    if (!parser.parse(path, book, false))
        return Refused;
    epub::EpubConverter converter(book);
    converter.convert();
    int position = 0;
    converter.toc([&position](const QString&) { return position++; });
    return converter.chapters().size();
}

int mobiChapters(const QString& path)
{
    mobi::MobiReader reader;
    if (!reader.open(path))
        return Refused;
    reader.cover();
    mobi::MobiConverter converter;
    converter.convert(reader.content());
    return converter.chapters().size();
}

int zipEntries(const QString& path)
{
    ZipReader reader;
    const QStringList names = reader.fileList(path);
    QHash<QString, QByteArray> data;
    reader.readEntries(path, names, data);
    return names.isEmpty() ? Refused : data.size();
}

int rarEntries(const QString& path)
{
    RarReader reader;
    const QStringList names = reader.fileList(path);
    QHash<QString, QByteArray> data;
    reader.readEntries(path, names, data);
    return names.isEmpty() ? Refused : data.size();
}

/// Entries extracted one by one into a folder.
int rarExtracted(const QString& path)
{
    RarReader reader;
    const QStringList names = reader.fileList(path);
    QTemporaryDir target;
    int extracted = 0;
    for (const QString& name : names) {
        QString out;
        if (reader.extract(path, name, target.path(), out) && !out.isEmpty())
            ++extracted;
    }
    return names.isEmpty() ? Refused : extracted;
}

int comicPages(const QString& path)
{
    comics::ComicDocument document;
    document.load(path);
    if (document.pageCount() == 0)
        return Refused;
    document.requestImage(1);
    return document.pageCount();
}

int pdfPages(const QString& path)
{
    pdf::Document document;
    if (!document.load(path))
        return Refused;
    document.outlines();
    document.pageWords(1);
    return document.pageCount();
}

/// Books imported from a library archive into a fresh destination.
int libraryBooks(const QString& path)
{
    QTemporaryDir destination;
    ImportWorker worker(path, destination.path());
    QSignalSpy complete(&worker, &ImportWorker::complete);
    worker.start();
    if (!worker.wait(60000))
        return -2;
    return complete.isEmpty() ? Refused : complete.first().at(0).toInt();
}

using Runner = int (*)(const QString&);
const QHash<QString, Runner>& runners()
{
    static const QHash<QString, Runner> all = {
        {"fb2", fb2Chapters},          {"fb2-meta", fb2Metadata}, {"epub", epubChapters},
        {"mobi", mobiChapters},        {"zip", zipEntries},       {"rar", rarEntries},
        {"rar-extract", rarExtracted}, {"comic", comicPages},     {"pdf", pdfPages},
        {"library", libraryBooks},
    };
    return all;
}

} // namespace

class TestFuzzFindings : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void findings_data();
    void findings();

private:
    TestHome m_home;
};

void TestFuzzFindings::initTestCase()
{
    QVERIFY(BookProvider::instance()->createConnection());
}

void TestFuzzFindings::findings_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("format");
    QTest::addColumn<int>("expected"); ///< chapters, pages, entries or books; Refused
    /// A text the log must show for the run (the refusal), empty for none.
    QTest::addColumn<QString>("logged");

    // A RAR 5 archive whose entries claim a 2 GiB dictionary: the library
    // would allocate the window before unpacking anything. Listed, not read.
    QTest::newRow("rar: 2 GiB dictionary") << "rar-dictionary-2gb.cbr"
                                           << "rar" << 0 << "a dictionary of 2147483648 bytes";
    // A first volume whose entry goes on in a next volume, which does not
    // exist: the library asks for it, and any answer but "no" has it try to
    // open it again for ever (listing, probing, reading and extracting).
    QTest::newRow("rar: next volume missing") << "rar-next-volume.cbr"
                                              << "rar" << 0 << "";
    QTest::newRow("rar: next volume missing, extracted") << "rar-next-volume.cbr"
                                                         << "rar-extract" << 0 << "";
    QTest::newRow("comic: next volume missing") << "rar-next-volume.cbr"
                                                << "comic" << Refused << "";
    // The same with a real first volume (one page split over three volumes,
    // the others missing), as a reader may well have on disk.
    QTest::newRow("rar: first volume alone") << "rar-split-first-volume.cbr"
                                             << "rar" << 0 << "";
    QTest::newRow("rar: first volume alone, extracted") << "rar-split-first-volume.cbr"
                                                        << "rar-extract" << 0 << "";
    QTest::newRow("comic: first volume alone") << "rar-split-first-volume.cbr"
                                               << "comic" << 1 << "";
    // A RAR 5 main header whose metadata record announces an archive name of
    // no bytes (or one cut off by the end of the header): the library reads
    // through a null pointer while opening the archive. Refused before it.
    for (const char* file : {"rar5-empty-archive-name.cbr", "rar5-cut-archive-name.cbr"}) {
        const QString name = QString::fromLatin1(file);
        QTest::newRow(qPrintable("rar: " + name)) << name << "rar" << Refused << "metadata";
        QTest::newRow(qPrintable("rar extract: " + name)) << name << "rar-extract" << Refused << "";
        QTest::newRow(qPrintable("comic: " + name)) << name << "comic" << Refused << "";
    }
    // Extra fields made of long runs of empty records, which the zip code
    // walks a few bytes at a time with a seek in between: through the file
    // every look at the headers took a tenth of a second. Read from memory.
    QTest::newRow("zip: extra field walk 1") << "zip-extra-field-walk-1.zip" << "zip" << Refused << "";
    QTest::newRow("zip: extra field walk 2") << "zip-extra-field-walk-2.zip" << "zip" << 0 << "";
    QTest::newRow("zip: extra field walk 3") << "zip-extra-field-walk-3.zip" << "zip" << Refused << "";
}

void TestFuzzFindings::findings()
{
    QFETCH(QString, file);
    QFETCH(QString, format);
    QFETCH(int, expected);
    QFETCH(QString, logged);
    // The entry points read files by path: the input is copied out of the
    // resources under its own name (the suffix matters to some of them).
    QTemporaryDir dir;
    const QString path = dir.filePath(file);
    QVERIFY2(QFile::copy(QStringLiteral(":/fuzz/") + file, path), qPrintable(file));
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    QVERIFY2(runners().contains(format), qPrintable(format));

    QFile log(Logger::instance()->currentLogPath());
    const qint64 logStart = log.exists() ? log.size() : 0;
    QCOMPARE(runners().value(format)(path), expected);
    if (!logged.isEmpty()) {
        QVERIFY(log.open(QIODevice::ReadOnly));
        log.seek(logStart);
        const QString written = QString::fromUtf8(log.readAll());
        QVERIFY2(written.contains(logged), qPrintable(written.right(2000)));
    }
}

QTEST_MAIN(TestFuzzFindings)
#include "TestFuzzFindings.moc"
