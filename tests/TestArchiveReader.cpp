#include "ArchiveReader.h"
#include "Limits.h"
#include "Logger.h"
#include "RarReader.h"
#include "ZipReader.h"
#include "util/TestHome.h"
#include "util/ZipBuilder.h"

#include <QDir>
#include <QDirIterator>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString todaysLog()
{
    return QString::fromUtf8(readFile(Logger::instance()->currentLogPath()));
}

// Every file below `dir`, relative to it, sorted.
QStringList filesBelow(const QString& dir)
{
    QStringList files;
    QDirIterator it(dir, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(dir).relativeFilePath(it.next());
    files.sort();
    return files;
}

QString rarTool()
{
    return QStandardPaths::findExecutable(QStringLiteral("rar"));
}

// RAR fixtures are made by the rar tool (Debian non-free, installed by the
// set-up script).
#define REQUIRE_RAR()                                                                                        \
    if (rarTool().isEmpty())                                                                                 \
    QSKIP("the rar tool is not installed")

QString samples()
{
    return QStringLiteral(LANTERNLEAF_SAMPLES_DIR);
}

} // namespace

class TestArchiveReader : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_dir.reset(new QTemporaryDir());
        QVERIFY(m_dir->isValid());
    }

    // --- factory and null reader ---
    void factoryBySuffix_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("kind");
        QTest::newRow("epub") << "/books/a.epub"
                              << "zip";
        QTest::newRow("mixed-case Epub") << "/books/a.Epub"
                                         << "zip";
        QTest::newRow("zip") << "a.zip"
                             << "zip";
        QTest::newRow("upper-case CBZ") << "/comics/B.CBZ"
                                        << "zip";
        QTest::newRow("cbr") << "c.cbr"
                             << "rar";
        QTest::newRow("upper-case CBR") << "c.CBR"
                                        << "rar";
        QTest::newRow("rar") << "c.rar"
                             << "null";
        QTest::newRow("7z") << "c.7z"
                            << "null";
        QTest::newRow("no suffix") << "epub"
                                   << "null";
    }
    void factoryBySuffix()
    {
        QFETCH(QString, path);
        QFETCH(QString, kind);
        std::unique_ptr<ArchiveReader> reader(createArchiveReader(path));
        QVERIFY(reader);
        QString actual = QStringLiteral("null");
        if (dynamic_cast<ZipReader*>(reader.get()))
            actual = QStringLiteral("zip");
        else if (dynamic_cast<RarReader*>(reader.get()))
            actual = QStringLiteral("rar");
        QCOMPARE(actual, kind);
    }

    void nullReaderFailsEverything()
    {
        const QString zip = m_dir->filePath("a.7z");
        QVERIFY(ZipBuilder().add("a.txt", "text").write(zip));
        std::unique_ptr<ArchiveReader> reader(createArchiveReader(zip));
        QString out = QStringLiteral("unchanged");
        QList<QFileInfo> files;
        QVERIFY(!reader->extractAll(zip, m_dir->filePath("t"), &files));
        QVERIFY(!reader->extract(zip, QRegExp(), m_dir->filePath("t"), out));
        QVERIFY(!reader->extract(zip, QStringLiteral("a.txt"), m_dir->filePath("t"), out));
        QVERIFY(reader->fileList(zip).isEmpty());
        QVERIFY(reader->readEntry(zip, QStringLiteral("a.txt")).isEmpty());
        QCOMPARE(out, QStringLiteral("unchanged"));
        QVERIFY(files.isEmpty());
        QVERIFY(!QFileInfo::exists(m_dir->filePath("t")));
    }

    void safeEntryNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("safe");
        QTest::newRow("plain") << "page1.jpg" << true;
        QTest::newRow("nested") << "OEBPS/Text/ch1.xhtml" << true;
        QTest::newRow("dots in a name") << "a..b/..c" << true;
        QTest::newRow("parent") << "../evil.txt" << false;
        QTest::newRow("parent inside") << "a/../../evil.txt" << false;
        QTest::newRow("absolute") << "/tmp/evil.txt" << false;
        QTest::newRow("backslash parent") << "..\\evil.txt" << false;
        QTest::newRow("drive") << "C:/evil.txt" << false;
        QTest::newRow("drive relative") << "c:evil.txt" << false;
        QTest::newRow("empty") << "" << false;
    }
    void safeEntryNames()
    {
        QFETCH(QString, name);
        QFETCH(bool, safe);
        QCOMPARE(ArchiveReader::isSafeEntryName(name), safe);
    }

    // --- zip ---
    void zipExtractByNameIgnoresCase()
    {
        const QString zip = m_dir->filePath("comic.cbz");
        QVERIFY(ZipBuilder().add("Pages/Page1.JPG", "one").add("Pages/Page2.jpg", "two").write(zip));
        const QString target = m_dir->filePath("out");
        QString out;
        QVERIFY(ZipReader().extract(zip, QStringLiteral("pages/page1.jpg"), target, out));
        QCOMPARE(out, target + "/Pages/Page1.JPG");
        QCOMPARE(readFile(out), QByteArray("one"));
        QCOMPARE(filesBelow(target), QStringList{"Pages/Page1.JPG"});
    }

    void zipExtractMissingNameLeavesOutPath()
    {
        const QString zip = m_dir->filePath("comic.cbz");
        QVERIFY(ZipBuilder().add("a.jpg", "a").write(zip));
        QString out = QStringLiteral("before");
        QVERIFY(ZipReader().extract(zip, QStringLiteral("b.jpg"), m_dir->filePath("out"), out));
        QCOMPARE(out, QStringLiteral("before"));
    }

    void zipExtractEmptyNameExtractsEverything()
    {
        const QString zip = m_dir->filePath("comic.cbz");
        QVERIFY(ZipBuilder().add("a.jpg", "a").addFolder("sub").add("sub/b.jpg", "b").write(zip));
        const QString target = m_dir->filePath("out");
        QString out;
        QVERIFY(ZipReader().extract(zip, QString(), target, out));
        QCOMPARE(out, target + "/sub/b.jpg");
        QCOMPARE(filesBelow(target), (QStringList{"a.jpg", "sub/b.jpg"}));
    }

    void zipExtractByPattern()
    {
        const QString zip = m_dir->filePath("book.epub");
        QVERIFY(ZipBuilder()
                    .add("OEBPS/cover.png", "c")
                    .add("OEBPS/text.xhtml", "t")
                    .add("OEBPS/images/Cover-small.PNG", "s")
                    .write(zip));
        const QString target = m_dir->filePath("out");
        QString out;
        QVERIFY(ZipReader().extract(zip, QRegExp(".*cover.*.(png)", Qt::CaseInsensitive), target, out));
        QCOMPARE(out, target + "/OEBPS/images/Cover-small.PNG");
        QCOMPARE(filesBelow(target), (QStringList{"OEBPS/cover.png", "OEBPS/images/Cover-small.PNG"}));
    }

    void zipExtractAllTwiceWritesNothingTheSecondTime()
    {
        const QString zip = m_dir->filePath("book.epub");
        QVERIFY(ZipBuilder().add("mimetype", "application/epub+zip", false).add("a/b.txt", "b").write(zip));
        const QString target = m_dir->filePath("out");
        QList<QFileInfo> files;
        QVERIFY(ZipReader().extractAll(zip, target, &files));
        QCOMPARE(files.size(), 2);
        QCOMPARE(files.at(1).absoluteFilePath(), QFileInfo(target + "/a/b.txt").absoluteFilePath());
        QVERIFY(todaysLog().contains("Unzip complete. filename:" + zip));

        // A file changed since must survive a second extraction untouched.
        QVERIFY(ZipBuilder::writeFile(target + "/a/b.txt", "edited"));
        files.clear();
        QVERIFY(ZipReader().extractAll(zip, target, &files));
        QVERIFY(files.isEmpty());
        QCOMPARE(readFile(target + "/a/b.txt"), QByteArray("edited"));
    }

    void zipFileListKeepsFolders()
    {
        const QString zip = m_dir->filePath("c.cbz");
        QVERIFY(ZipBuilder().addFolder("pages").add("pages/1.png", "1").write(zip));
        QCOMPARE(ZipReader().fileList(zip), (QStringList{"pages/", "pages/1.png"}));
        QVERIFY(ZipReader().fileList(m_dir->filePath("missing.cbz")).isEmpty());
    }

    void zipSlipEntriesAreRefused_data()
    {
        QTest::addColumn<QString>("evil");
        QTest::newRow("parent") << "../evil.txt";
        QTest::newRow("deep parent") << "a/../../evil.txt";
        QTest::newRow("absolute") << "ABSOLUTE/evil.txt";
        QTest::newRow("backslash") << "..\\evil.txt";
        QTest::newRow("drive") << "C:/evil.txt";
    }
    void zipSlipEntriesAreRefused()
    {
        QFETCH(QString, evil);
        // The absolute form points into this test's own folder.
        evil.replace("ABSOLUTE", m_dir->path());
        const QString zip = m_dir->filePath("slip.cbz");
        QVERIFY(ZipBuilder().add(evil, "evil").add("good.txt", "good").write(zip));
        const QString target = m_dir->filePath("deep/target");

        QList<QFileInfo> files;
        QVERIFY(ZipReader().extractAll(zip, target, &files));
        QCOMPARE(files.size(), 1);
        QString out;
        QVERIFY(ZipReader().extract(zip, evil, target, out));
        QVERIFY(out.isEmpty());
        QVERIFY(ZipReader().extract(zip, QRegExp("evil"), target, out));
        QVERIFY(out.isEmpty());

        // Nothing but good.txt anywhere in the test's folder.
        QCOMPARE(filesBelow(m_dir->path()), (QStringList{"deep/target/good.txt", "slip.cbz"}));
        QVERIFY(todaysLog().contains("Archive entry refused:" + evil));
    }

    void zipUtf8FlagDecidesTheNameCodec()
    {
        const QString cyrillic = QString::fromUtf8("Глава первая.xhtml");
        const QString zip = m_dir->filePath("names.epub");
        QVERIFY(ZipBuilder()
                    .utf8(true)
                    .add("utf8/" + cyrillic, "u")
                    .utf8(false, "IBM866")
                    .add("dos/" + cyrillic, "d")
                    .write(zip));
        QCOMPARE(ZipReader().fileList(zip), (QStringList{"utf8/" + cyrillic, "dos/" + cyrillic}));
        QCOMPARE(ZipReader().readEntry(zip, "utf8/" + cyrillic), QByteArray("u"));
        const QString target = m_dir->filePath("out");
        QString out;
        QVERIFY(ZipReader().extract(zip, "dos/" + cyrillic, target, out));
        QCOMPARE(out, target + "/dos/" + cyrillic);
    }

    void zipTruncatedEntryFails()
    {
        const QString zip = m_dir->filePath("short.cbz");
        QByteArray bytes = ZipBuilder()
                               .add("a.txt", "first entry")
                               .add("b.txt", QByteArray(5000, 'b'))
                               .add("c.txt", "third")
                               .build();
        // b.txt claims more than its deflate stream holds.
        QVERIFY(ZipBuilder::setClaimedSize(bytes, "b.txt", 6000));
        QVERIFY(ZipBuilder::writeFile(zip, bytes));

        const QString target = m_dir->filePath("out");
        QString out;
        QVERIFY(!ZipReader().extract(zip, QString(), target, out));
        QVERIFY(todaysLog().contains("Read zip failed. read all but not EOF"));
        // What came before stays; the half entry does not.
        QCOMPARE(filesBelow(target), QStringList{"a.txt"});
        QCOMPARE(out, target + "/a.txt");

        QHash<QString, QByteArray> data;
        QVERIFY(!ZipReader().readEntries(zip, {"a.txt", "b.txt", "c.txt"}, data));
        QCOMPARE(QStringList(data.keys()).size(), 2);
        QCOMPARE(data.value("c.txt"), QByteArray("third"));
    }

    void zipDamagedEntryIsLeftOutOfReading()
    {
        const QString zip = m_dir->filePath("damaged.epub");
        QByteArray text;
        for (int i = 0; i < 2000; ++i)
            text +=
                "Call me Ishmael. Some years ago, never mind how long precisely. " + QByteArray::number(i);
        QByteArray bytes = ZipBuilder().add("one.xhtml", text).add("two.xhtml", text).build();
        QVERIFY(ZipBuilder::damageData(bytes, "one.xhtml", 64));
        QVERIFY(ZipBuilder::writeFile(zip, bytes));
        QHash<QString, QByteArray> data;
        QVERIFY(!ZipReader().readEntries(zip, {"one.xhtml", "two.xhtml"}, data));
        QVERIFY(!data.contains("one.xhtml"));
        QCOMPARE(data.value("two.xhtml"), text);
    }

    void zipBombsAreRefused_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("claims more than the entry limit") << "claim";
        QTest::newRow("compresses far too well") << "ratio";
    }
    void zipBombsAreRefused()
    {
        QFETCH(QString, kind);
        const QString zip = m_dir->filePath("bomb.cbz");
        QByteArray bytes;
        if (kind == "claim") {
            bytes = ZipBuilder().add("bomb.png", QByteArray(100000, 'x')).add("ok.png", "fine").build();
            QVERIFY(ZipBuilder::setClaimedSize(bytes, "bomb.png", quint32(Limits::maxEntrySize + 1)));
        } else {
            // Zeros deflate at just over 1000:1.
            bytes = ZipBuilder()
                        .add("bomb.png", QByteArray(int(Limits::ratioCheckFrom) + 4 * 1024 * 1024, '\0'))
                        .add("ok.png", "fine")
                        .build();
        }
        QVERIFY(ZipBuilder::writeFile(zip, bytes));
        const QString target = m_dir->filePath("out");
        QList<QFileInfo> files;
        QVERIFY(ZipReader().extractAll(zip, target, &files));
        QCOMPARE(filesBelow(target), QStringList{"ok.png"});
        QHash<QString, QByteArray> data;
        QVERIFY(!ZipReader().readEntries(zip, {"bomb.png", "ok.png"}, data));
        QCOMPARE(QStringList(data.keys()), QStringList{"ok.png"});
        QVERIFY(todaysLog().contains("Archive entry refused:bomb.png"));
    }

    void zipNotAnArchive()
    {
        const QString path = m_dir->filePath("text.epub");
        QVERIFY(ZipBuilder::writeFile(path, "this is no zip"));
        QString out;
        QVERIFY(!ZipReader().extract(path, QStringLiteral("a"), m_dir->filePath("t"), out));
        QVERIFY(todaysLog().contains("Read zip failed. Open zip. Error code:"));
        QVERIFY(!ZipReader().extractAll(path, m_dir->filePath("t"), nullptr));
        QVERIFY(todaysLog().contains("Extract archive. Error:"));
        QVERIFY(ZipReader().readEntry(path, QStringLiteral("a")).isEmpty());
    }

    // --- RAR ---
    void rarListingLeavesOutFolders()
    {
        REQUIRE_RAR();
        const QString rar = makeRar({"-r"});
        QStringList names = RarReader().fileList(rar);
        names.sort();
        QCOMPARE(names, (QStringList{"book/Page1.png", "book/pages/page2.png"}));
    }

    void rarExtractByExactName()
    {
        REQUIRE_RAR();
        const QString rar = makeRar({"-r"});
        const QString target = m_dir->filePath("out");
        QString out;
        QVERIFY(RarReader().extract(rar, QStringLiteral("book/pages/page2.png"), target, out));
        QCOMPARE(out, target + "/book/pages/page2.png");
        QCOMPARE(readFile(out), QByteArray("second page"));

        // Another case or a missing entry: true, out path untouched.
        for (const QString& name : {QStringLiteral("book/page1.png"), QStringLiteral("nothing.png")}) {
            QString unchanged = QStringLiteral("before");
            QVERIFY(RarReader().extract(rar, name, target, unchanged));
            QCOMPARE(unchanged, QStringLiteral("before"));
        }
        QCOMPARE(filesBelow(target), QStringList{"book/pages/page2.png"});
    }

    void rarReadsIntoMemory_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::newRow("stored") << QStringList{"-r", "-m0"};
        QTest::newRow("solid") << QStringList{"-r", "-s", "-m5"};
        // The archive's own name and time in its main header: the record a
        // header check refuses when it is broken must pass when it is sound.
        QTest::newRow("archive name and time") << QStringList{"-r", "-ams"};
    }
    void rarReadsIntoMemory()
    {
        QFETCH(QStringList, options);
        REQUIRE_RAR();
        const QString rar = makeRar(options);
        QHash<QString, QByteArray> data;
        QVERIFY(RarReader().readEntries(rar, {"book/pages/page2.png", "book/Page1.png"}, data));
        QCOMPARE(data.value("book/Page1.png"), QByteArray("first page"));
        QCOMPARE(data.value("book/pages/page2.png"), QByteArray("second page"));
        QVERIFY(!RarReader().readEntries(rar, {"book/Page1.png", "missing.png"}, data));
    }

    void rarEncryptedEntriesFailWithoutWaiting_data()
    {
        QTest::addColumn<QString>("option");
        QTest::newRow("encrypted data") << "-psecret";
        QTest::newRow("encrypted headers") << "-hpsecret";
    }
    void rarEncryptedEntriesFailWithoutWaiting()
    {
        QFETCH(QString, option);
        REQUIRE_RAR();
        const QString rar = makeRar({"-r", option});
        const QString target = m_dir->filePath("out");
        QString out;
        const bool extracted = RarReader().extract(rar, QStringLiteral("book/Page1.png"), target, out);
        // Either the entry fails (data) or it cannot even be seen (headers):
        // never a file, never a wait for a password.
        QVERIFY(!extracted || out.isEmpty());
        QVERIFY(out.isEmpty());
        QVERIFY(filesBelow(target).isEmpty());
        QHash<QString, QByteArray> data;
        QVERIFY(!RarReader().readEntries(rar, {"book/Page1.png"}, data));
        QVERIFY(data.isEmpty());
        if (option.startsWith("-hp"))
            QVERIFY(RarReader().fileList(rar).isEmpty());
        else
            QCOMPARE(RarReader().fileList(rar).size(), 2);
    }

    void rarOnlyExtractsByName()
    {
        REQUIRE_RAR();
        const QString rar = makeRar({"-r"});
        QString out;
        QVERIFY(!RarReader().extractAll(rar, m_dir->filePath("out"), nullptr));
        QVERIFY(!RarReader().extract(rar, QRegExp(), m_dir->filePath("out"), out));
        QVERIFY(!RarReader().extract(m_dir->filePath("missing.cbr"), QStringLiteral("a"),
                                     m_dir->filePath("o"), out));
        QVERIFY(RarReader().fileList(m_dir->filePath("missing.cbr")).isEmpty());
        QVERIFY(!QFileInfo::exists(m_dir->filePath("out")));
    }

    void rarResultTexts()
    {
        QCOMPARE(RarReader::resultText(0, "a.cbr"), QString());
        QCOMPARE(RarReader::resultText(10, "a.cbr"), QString());
        QCOMPARE(RarReader::resultText(12, "a.cbr"),
                 QStringLiteral("\na.cbr: archive header or data are damaged"));
        QCOMPARE(RarReader::resultText(15, "a.cbr"), QStringLiteral("\nCannot open a.cbr"));
        QCOMPARE(RarReader::resultText(15, "a.cbr", true), QStringLiteral("Volume open error"));
        QCOMPARE(RarReader::resultText(22, "a.cbr"),
                 QStringLiteral("Password for encrypted file or header is not specified"));
    }

    // --- real files, when the samples are there ---
    void samplesHostileZipSlip()
    {
        const QString cbz = samples() + "/hostile/zip-slip-unix.cbz";
        if (!QFileInfo::exists(cbz))
            QSKIP("no sample books");
        const QString target = m_dir->filePath("a/b/c/d/target");
        const QStringList before = filesBelow(QDir::tempPath());
        QVERIFY(ZipReader().extractAll(cbz, target, nullptr));
        QCOMPARE(filesBelow(target), QStringList{"good.txt"});
        QCOMPARE(filesBelow(m_dir->path()), QStringList{"a/b/c/d/target/good.txt"});
        QVERIFY(!filesBelow(QDir::tempPath()).contains("evil.txt") || before.contains("evil.txt"));
    }

    void samplesComics()
    {
        const QString cbr = samples() + "/cbr/komga-rar4-stored.cbr";
        if (!QFileInfo::exists(cbr))
            QSKIP("no sample books");
        for (const QString& path : {cbr, samples() + "/cbr/komga-rar5-stored.cbr"}) {
            std::unique_ptr<ArchiveReader> reader(createArchiveReader(path));
            const QStringList names = reader->fileList(path);
            QVERIFY2(!names.isEmpty(), qPrintable(path));
            QHash<QString, QByteArray> data;
            QVERIFY(reader->readEntries(path, names, data));
            QVERIFY(QImage::fromData(data.value(names.first())).width() > 0);
        }
        const QString cbz = samples() + "/cbz/acbf-craphound-24-pages.cbz";
        const QStringList names = ZipReader().fileList(cbz);
        QCOMPARE(names.size(), 27);
        QHash<QString, QByteArray> data;
        QVERIFY(ZipReader().readEntries(cbz, names.filter(".jpg"), data));
        QCOMPARE(data.size(), 24);
    }

private:
    // Two pages below book/, one in a subfolder, archived by the rar tool
    // with `options`.
    QString makeRar(const QStringList& options)
    {
        const QString source = m_dir->filePath("src");
        QDir().mkpath(source + "/book/pages");
        ZipBuilder::writeFile(source + "/book/Page1.png", "first page");
        ZipBuilder::writeFile(source + "/book/pages/page2.png", "second page");
        const QString archive = m_dir->filePath("comic.cbr");
        QFile::remove(archive);
        QProcess rar;
        rar.setWorkingDirectory(source);
        rar.start(rarTool(), QStringList{"a", "-idq", "-y"} + options + QStringList{archive, "book"});
        if (!rar.waitForFinished(60000) || rar.exitCode() != 0)
            qWarning() << "rar failed" << rar.readAllStandardError();
        return archive;
    }

    TestHome m_home;
    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_GUILESS_MAIN(TestArchiveReader)
#include "TestArchiveReader.moc"
