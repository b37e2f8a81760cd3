#include "mobi/HuffCdic.h"
#include "mobi/Kf8Layout.h"
#include "mobi/MobiIndex.h"
#include "mobi/MobiReader.h"
#include "mobi/PalmDoc.h"
#include "util/MobiBuilder.h"

#include <QtTest>

#include <functional>

using mobi::MobiReader;
using Entry = MobiBuilder::DictionaryEntry;
using Damage = std::function<void(QByteArray&, const MobiBuilder::Layout&)>;
Q_DECLARE_METATYPE(Damage)
Q_DECLARE_METATYPE(MobiBuilder::DictionaryEntry)

namespace {

QByteArray hex(const char* text)
{
    return QByteArray::fromHex(text);
}

// Text of about 3 KB per chapter with multi-byte characters in it.
QByteArray utf8Text(int chapters = 3)
{
    QByteArray text = "<html><head><guide></guide></head><body>";
    for (int c = 1; c <= chapters; ++c) {
        text += "<h2>Глава " + QByteArray::number(c) + "</h2>";
        for (int p = 0; p < 12; ++p)
            text += QStringLiteral("<p>Съешь же ещё этих мягких французских булок — %1 € · naïve café.</p>")
                        .arg(p)
                        .toUtf8();
        text += "<mbp:pagebreak/>";
    }
    return text + "</body></html>";
}

MobiBuilder plainBook(const QByteArray& text)
{
    MobiBuilder b;
    b.text(text).title("Plain").author("Ann Writer");
    return b;
}

} // namespace

class TestMobiReader : public QObject
{
    Q_OBJECT
private slots:
    void palmDoc_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QByteArray>("output");
        QTest::newRow("0xC1 is a space and A") << hex("C1") << QByteArray(" A");
        QTest::newRow("plain bytes") << QByteArray("abc\t\x7f", 5) << QByteArray("abc\t\x7f", 5);
        QTest::newRow("zero byte") << hex("00") << hex("00");
        QTest::newRow("literal run") << hex("0380FF01") << hex("80FF01");
        // distance 1, length 5: v = 0x8000 | 1 << 3 | (5 - 3)
        QTest::newRow("distance 1 length 5") << QByteArray("a") + hex("800A") << QByteArray("aaaaaa");
        QTest::newRow("copy of a copy") << QByteArray("ab") + hex("8011") << QByteArray("ababab");
        QTest::newRow("literal run cut short") << QByteArray("x") + hex("05AABB") << QByteArray("x");
        QTest::newRow("back-reference without its second byte")
            << QByteArray("xy") + hex("80") << QByteArray("xy");
        QTest::newRow("back-reference before the start")
            << QByteArray("x") + hex("8010") + "z" << QByteArray("x");
        QTest::newRow("distance 0") << QByteArray("x") + hex("8000") + "z" << QByteArray("x");
        QTest::newRow("empty") << QByteArray() << QByteArray();
    }
    void palmDoc()
    {
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, output);
        QCOMPARE(mobi::PalmDoc::decompress(input, 1 << 20), output);
    }

    void palmDocStopsAtTheOutputLimit()
    {
        // 600 back-references of 10 bytes each: 6 KB from 1.2 KB.
        QByteArray input = "abcdefghij";
        for (int i = 0; i < 600; ++i)
            input += hex("8057");
        QCOMPARE(mobi::PalmDoc::decompress(input, 1 << 20).size(), 6010);
        QCOMPARE(mobi::PalmDoc::decompress(input, 1000).size(), 1000);
    }

    void palmDocRoundTrip()
    {
        QByteArray text = utf8Text(2);
        text += QByteArray("\x01\x02 binary \x08\x09 end", 16);
        QCOMPARE(mobi::PalmDoc::decompress(MobiBuilder::palmDocCompress(text), 1 << 20), text);
    }

    void huffCdicRoundTrip()
    {
        const QList<Entry> phrases{{"the ", false}, {"Mobipocket", true}, {" and ", false}};
        const QList<Entry> dictionary = MobiBuilder::dictionary(phrases);
        QCOMPARE(MobiBuilder::cdicRecords(dictionary).size(), 2); // entries 256+ live in the second record
        mobi::HuffCdic huff;
        QVERIFY(huff.load(MobiBuilder::huffRecord(), MobiBuilder::cdicRecords(dictionary)));
        const QByteArray text = "the cat and the Mobipocket reader: the end and ünïcödé";
        const QList<int> indexes = MobiBuilder::huffIndexes(text, phrases);
        QVERIFY(indexes.contains(256) && indexes.contains(257) && indexes.contains(258));
        QCOMPARE(huff.decompress(MobiBuilder::huffEncode(indexes), 1 << 20), text);
        // Expanded entries are remembered: the same record decodes the same.
        QCOMPARE(huff.decompress(MobiBuilder::huffEncode(indexes), 1 << 20), text);
        QCOMPARE(huff.decompress(MobiBuilder::huffEncode(indexes), 10), text.left(10));
    }

    void huffCdicDamage_data()
    {
        QTest::addColumn<QList<Entry>>("extra");
        QTest::addColumn<QList<int>>("codes");
        QTest::addColumn<QByteArray>("output");
        const QByteArray ab = MobiBuilder::huffEncode({'a', 'b'});
        QTest::newRow("entry refers to itself") << QList<Entry>{{MobiBuilder::huffEncode({'x', 256}), false}}
                                                << QList<int>{'o', 'k', 256} << QByteArray("ok");
        QTest::newRow("two entries refer to each other")
            << QList<Entry>{{MobiBuilder::huffEncode({257}), false}, {MobiBuilder::huffEncode({256}), false}}
            << QList<int>{'o', 'k', 256} << QByteArray("ok");
        QTest::newRow("index beyond the dictionary")
            << QList<Entry>{} << QList<int>{'o', 'k', 300, 'z'} << QByteArray("ok");
        // 40 entries each expanding the next: deeper than 32.
        QList<Entry> chain;
        for (int i = 0; i < 40; ++i)
            chain << Entry{MobiBuilder::huffEncode({i == 39 ? int('z') : 257 + i}), false};
        QTest::newRow("nesting deeper than 32") << chain << QList<int>{'o', 'k', 256} << QByteArray("ok");
        QList<Entry> shallow = chain.mid(10);
        for (int i = 0; i < shallow.size(); ++i)
            shallow[i] =
                Entry{MobiBuilder::huffEncode({i == shallow.size() - 1 ? int('z') : 257 + i}), false};
        QTest::newRow("nesting of 30 is fine") << shallow << QList<int>{'o', 'k', 256} << QByteArray("okz");
        QTest::newRow("plain entries")
            << QList<Entry>{{ab, false}} << QList<int>{256, 'c'} << QByteArray("abc");
    }
    void huffCdicDamage()
    {
        QFETCH(QList<Entry>, extra);
        QFETCH(QList<int>, codes);
        QFETCH(QByteArray, output);
        QList<Entry> dictionary = MobiBuilder::dictionary({});
        dictionary += extra;
        mobi::HuffCdic huff;
        QVERIFY(huff.load(MobiBuilder::huffRecord(), MobiBuilder::cdicRecords(dictionary)));
        QCOMPARE(huff.decompress(MobiBuilder::huffEncode(codes), 1 << 20), output);
    }

    void huffCdicRefusesDamagedTables()
    {
        const QList<QByteArray> cdics = MobiBuilder::cdicRecords(MobiBuilder::dictionary({}));
        mobi::HuffCdic huff;
        QVERIFY(!huff.load(MobiBuilder::huffRecord().left(500), cdics));
        QVERIFY(!huff.load("HUFF", cdics));
        QVERIFY(!huff.load(MobiBuilder::huffRecord(), {}));
        QVERIFY(!huff.load(MobiBuilder::huffRecord(), {"CDIC"}));
        QVERIFY(huff.decompress("abc", 100).isEmpty());
        // A CDIC record cut in the middle of its entries: decoding stops at
        // the first entry that is not there.
        QList<QByteArray> cut = cdics;
        cut[0] = cut[0].left(16 + 512 + 3 * 'c');
        QVERIFY(huff.load(MobiBuilder::huffRecord(), cut));
        QCOMPARE(huff.decompress(MobiBuilder::huffEncode({'a', 'b', 'z', 'a'}), 100), QByteArray("ab"));
    }

    void trailingEntries_data()
    {
        QTest::addColumn<QByteArray>("record");
        QTest::addColumn<int>("flags");
        QTest::addColumn<int>("size");
        QTest::newRow("no flags") << QByteArray("text") << 0 << 0;
        QTest::newRow("multibyte, nothing overlaps") << QByteArray("text") + hex("00") << 1 << 1;
        QTest::newRow("multibyte, two bytes overlap") << QByteArray("text") + hex("BCBD02") << 1 << 3;
        QTest::newRow("one entry of 3") << QByteArray("text") + "ab" + hex("83") << 2 << 3;
        QTest::newRow("entry, then multibyte")
            << QByteArray("text") + hex("BD01") + "ab" + hex("83") << 3 << 5;
        QTest::newRow("two entries") << QByteArray("text") + "x" + hex("82") + "ab" + hex("83") << 6 << 5;
        QTest::newRow("two-byte size") << QByteArray(200, 'q') + hex("8104") << 2 << 132;
        QTest::newRow("size larger than the record") << QByteArray("ab") + hex("FF") << 2 << 3;
        QTest::newRow("empty record") << QByteArray() << 3 << 0;
    }
    void trailingEntries()
    {
        QFETCH(QByteArray, record);
        QFETCH(int, flags);
        QFETCH(int, size);
        QCOMPARE(MobiReader::trailingEntriesSize(record, quint16(flags)), size);
    }

    void textSurvivesTrailingEntries_data()
    {
        QTest::addColumn<int>("compression");
        QTest::addColumn<int>("flags");
        QTest::addColumn<int>("recordSize");
        for (int compression : {1, 2, 17480}) {
            for (int flags : {0, 1, 3, 7, 0x8003}) {
                for (int size : {61, 4096}) {
                    QTest::addRow("compression %d flags %x records of %d", compression, flags, size)
                        << compression << flags << size;
                }
            }
        }
    }
    void textSurvivesTrailingEntries()
    {
        QFETCH(int, compression);
        QFETCH(int, flags);
        QFETCH(int, recordSize);
        const QByteArray text = utf8Text();
        MobiBuilder builder = plainBook(text);
        builder.compression(compression).extraFlags(quint16(flags)).recordSize(recordSize);
        builder.huffPhrases({{"<p>", false}, {"булок", true}});
        MobiReader reader;
        QVERIFY(reader.openData(builder.build()));
        QCOMPARE(reader.header().extraDataFlags(), quint16(flags));
        QCOMPARE(reader.text(), text);
        QCOMPARE(reader.error(), MobiReader::NoError);
    }

    void metadata()
    {
        MobiBuilder builder;
        builder.text("<p>x</p>")
            .title("Bleak House")
            .author("Charles Dickens")
            .author("Hablot K. Browne")
            .exth(101, "Bradbury & Evans")
            .exth(103, "A novel.")
            .exth(104, "978-0-00-000000-0")
            .exth(113, "B000ASIN")
            .exth(105, "Fiction")
            .exth(105, "London")
            .exth(108, "calibre")
            .exth(109, "Public domain")
            .exthNumber(201, 1)
            .image(MobiBuilder::makeImage(40, 60, Qt::red))
            .image(MobiBuilder::makeImage(300, 450, Qt::blue));
        MobiReader reader;
        QVERIFY(reader.openData(builder.build()));
        QCOMPARE(reader.title(), QString("Bleak House"));
        QCOMPARE(reader.author(), QString("Charles Dickens, Hablot K. Browne"));
        const QMap<int, QString> expected{
            {0, "978-0-00-000000-0"}, {1, "Bleak House"},     {2, "Charles Dickens Hablot K. Browne"},
            {3, "calibre"},           {4, "Fiction London"},  {5, "Bradbury & Evans"},
            {6, "A novel."},          {7, "Mobipocket Book"}, {11, "Public domain"}};
        QCOMPARE(reader.metadata(), expected);
        QCOMPARE(reader.imageCount(), 2);
        // EXTH 201 names the cover; image 1 is not it.
        QCOMPARE(reader.coverNumber(), 2);
        QCOMPARE(reader.cover().size(), QSize(300, 450));
        QCOMPARE(reader.header().compressionName(), QString("PalmDOC"));
        QCOMPARE(reader.header().bookTypeName(), QString("Mobipocket Book"));
    }

    void coverAndImages_data()
    {
        QTest::addColumn<bool>("headerIndex");
        QTest::addColumn<bool>("otherRecord");
        QTest::addColumn<int>("coverOffset");
        QTest::addColumn<QColor>("cover");
        QTest::newRow("image 1") << true << false << -1 << QColor(Qt::red);
        QTest::newRow("cover offset out of range") << true << false << 7 << QColor(Qt::red);
        QTest::newRow("found by looking, after a record that is no image")
            << false << true << -1 << QColor(Qt::red);
        QTest::newRow("counted from the header's index") << true << true << 1 << QColor(Qt::green);
    }
    void coverAndImages()
    {
        QFETCH(bool, headerIndex);
        QFETCH(bool, otherRecord);
        QFETCH(int, coverOffset);
        QFETCH(QColor, cover);
        MobiBuilder builder = plainBook("<p>x</p>");
        if (!headerIndex)
            builder.noImageIndex();
        if (otherRecord)
            builder.otherRecord("FLIS not an image");
        if (coverOffset >= 0)
            builder.exthNumber(201, quint32(coverOffset));
        builder.image(MobiBuilder::makeImage(50, 50, Qt::red))
            .image(MobiBuilder::makeImage(50, 50, Qt::green));
        MobiReader reader;
        QVERIFY(reader.openData(builder.build()));
        QCOMPARE(reader.cover().pixelColor(40, 40), cover);
        QVERIFY(reader.image(0).isNull());
        QVERIFY(reader.image(reader.imageCount() + 1).isNull());
    }

    void encodings_data()
    {
        QTest::addColumn<quint32>("codepage");
        QTest::addColumn<QByteArray>("codec");
        QTest::newRow("1252") << 1252u << QByteArray("windows-1252");
        QTest::newRow("65001") << 65001u << QByteArray("UTF-8");
        QTest::newRow("1251 falls back") << 1251u << QByteArray("windows-1252");
        QTest::newRow("0 falls back") << 0u << QByteArray("windows-1252");
    }
    void encodings()
    {
        QFETCH(quint32, codepage);
        QFETCH(QByteArray, codec);
        MobiReader reader;
        QVERIFY(
            reader.openData(plainBook("<p>x</p>").encoding(codepage).title("Caf\xe9 \x93Noir\x94").build()));
        QCOMPARE(reader.header().codecName(), codec);
        if (codec == "windows-1252")
            QCOMPARE(reader.title(), QString::fromUtf8("Café “Noir”"));
        QCOMPARE(reader.content().codec, codec);
    }

    void plainPalmDocBook()
    {
        MobiBuilder builder;
        builder.plainPalmDoc().title("Old Notes").text("First line\nSecond <line>\n\nCaf\xe9");
        MobiReader reader;
        QVERIFY(reader.openData(builder.build()));
        QVERIFY(reader.isPlainPalmDoc());
        QVERIFY(!reader.isProtected());
        QCOMPARE(reader.title(), QString("Old Notes"));
        const mobi::MobiContent content = reader.content();
        QVERIFY(content.plainText);
        QCOMPARE(content.parts.size(), 1);
        QCOMPARE(content.parts.first().bytes, QByteArray("First line\nSecond <line>\n\nCaf\xe9"));
    }

    void protectedBook()
    {
        MobiReader reader;
        QVERIFY(reader.openData(plainBook("<p>secret</p>").encryption(2).build()));
        QVERIFY(reader.isProtected());
        QCOMPARE(reader.author(), QString("Ann Writer"));
        QVERIFY(reader.content().parts.isEmpty());
        QCOMPARE(reader.error(), MobiReader::Protected);
    }

    void damagedFiles_data()
    {
        QTest::addColumn<int>("compression");
        QTest::addColumn<Damage>("damage");
        QTest::addColumn<bool>("opens");
        QTest::addColumn<int>("error");
        QTest::addColumn<QByteArray>("textStart");
        const QByteArray start = "<html><head><guide></guide></head><body><h2>Глава 1";
        const auto none = [](QByteArray&, const MobiBuilder::Layout&) {};
        QTest::newRow("sound") << 2 << Damage(none) << true << 0 << start;
        QTest::newRow("too short for a header")
            << 2 << Damage([](QByteArray& d, const MobiBuilder::Layout&) { d.truncate(60); }) << false
            << int(MobiReader::NotMobi) << QByteArray();
        QTest::newRow("another kind of database")
            << 2 << Damage([](QByteArray& d, const MobiBuilder::Layout&) { d.replace(60, 8, "PNRdPPrs"); })
            << false << int(MobiReader::NotMobi) << QByteArray();
        QTest::newRow("no MOBI identifier") << 2 << Damage([](QByteArray& d, const MobiBuilder::Layout& l) {
            d.replace(int(l.offsets[0]) + 16, 4, "MOBY");
        }) << false << int(MobiReader::NotMobi)
                                            << QByteArray();
        QTest::newRow("no records") << 2 << Damage([](QByteArray& d, const MobiBuilder::Layout&) {
            MobiBuilder::put16(d, 76, 0);
        }) << false << int(MobiReader::NotMobi)
                                    << QByteArray();
        QTest::newRow("record count 0xFFFF") << 2 << Damage([](QByteArray& d, const MobiBuilder::Layout&) {
            MobiBuilder::put16(d, 76, 0xFFFF);
        }) << true << 0 << start;
        QTest::newRow("text length 0x7FFFFFFF")
            << 2 << Damage([](QByteArray& d, const MobiBuilder::Layout& l) {
                   MobiBuilder::put32(d, int(l.offsets[0]) + 4, 0x7FFFFFFF);
               })
            << true << 0 << start;
        QTest::newRow("text record count 0xFFFF")
            << 2 << Damage([](QByteArray& d, const MobiBuilder::Layout& l) {
                   MobiBuilder::put16(d, int(l.offsets[0]) + 8, 0xFFFF);
               })
            << true << int(MobiReader::NoText) << QByteArray();
        QTest::newRow("record offsets past the end")
            << 2 << Damage([](QByteArray& d, const MobiBuilder::Layout& l) {
                   for (int i = 3; i < l.offsets.size(); ++i)
                       MobiBuilder::put32(d, 78 + 8 * i, 0x7FFFFF00u + quint32(i));
               })
            << true << int(MobiReader::NoText) << QByteArray();
        QTest::newRow("record offsets out of order")
            << 2 << Damage([](QByteArray& d, const MobiBuilder::Layout& l) {
                   MobiBuilder::put32(d, 78 + 8 * 2, l.offsets[3]);
                   MobiBuilder::put32(d, 78 + 8 * 3, l.offsets[2]);
               })
            << true << int(MobiReader::NoText) << QByteArray();
        // Text records missing or cut short: part of the text would pass
        // for the whole book, so nothing is shown.
        QTest::newRow("file cut in half")
            << 2 << Damage([](QByteArray& d, const MobiBuilder::Layout&) { d.truncate(d.size() / 2); })
            << true << int(MobiReader::NoText) << QByteArray();
        QTest::newRow("MOBI header length 0xFFFFFFF0")
            << 2 << Damage([](QByteArray& d, const MobiBuilder::Layout& l) {
                   MobiBuilder::put32(d, int(l.offsets[0]) + 20, 0xFFFFFFF0);
               })
            << true << 0 << start;
        QTest::newRow("EXTH length larger than the record")
            << 2 << Damage([](QByteArray& d, const MobiBuilder::Layout& l) {
                   MobiBuilder::put32(d, int(l.offsets[0]) + 16 + 232 + 12 + 4, 0x7FFFFFF0);
               })
            << true << 0 << start;
        QTest::newRow("EXTH record count 0xFFFFFFFF")
            << 2 << Damage([](QByteArray& d, const MobiBuilder::Layout& l) {
                   MobiBuilder::put32(d, int(l.offsets[0]) + 16 + 232 + 8, 0xFFFFFFFF);
               })
            << true << 0 << start;
        QTest::newRow("NCX index names a text record")
            << 2 << Damage([](QByteArray& d, const MobiBuilder::Layout& l) {
                   MobiBuilder::put32(d, int(l.offsets[0]) + 244, 1);
               })
            << true << 0 << start;
        QTest::newRow("HUFF record cut short")
            << 17480 << Damage([](QByteArray& d, const MobiBuilder::Layout& l) {
                   MobiBuilder::put32(d, 78 + 8 * (l.huffRecord + 1), l.offsets[l.huffRecord] + 40);
               })
            << true << int(MobiReader::NoText) << QByteArray();
        QTest::newRow("HUFF record index past the end")
            << 17480 << Damage([](QByteArray& d, const MobiBuilder::Layout& l) {
                   MobiBuilder::put32(d, int(l.offsets[0]) + 112, 0xFFFFFF);
               })
            << true << int(MobiReader::NoText) << QByteArray();
        QTest::newRow("HUFF dictionary count 0xFFFFFFFF")
            << 17480 << Damage([](QByteArray& d, const MobiBuilder::Layout& l) {
                   MobiBuilder::put32(d, int(l.offsets[0]) + 116, 0xFFFFFFFF);
               })
            << true << 0 << start;
        // Its bytes read as text would be garbage.
        QTest::newRow("unknown compression is not supported")
            << 1 << Damage([](QByteArray& d, const MobiBuilder::Layout& l) {
                   MobiBuilder::put16(d, int(l.offsets[0]), 7);
               })
            << true << int(MobiReader::Unsupported) << QByteArray();
    }
    void damagedFiles()
    {
        QFETCH(int, compression);
        QFETCH(Damage, damage);
        QFETCH(bool, opens);
        QFETCH(int, error);
        QFETCH(QByteArray, textStart);
        MobiBuilder builder = plainBook(utf8Text(6));
        builder.compression(compression).extraFlags(3).exth(105, "Subject");
        builder.ncx({{"One", 40, -1, -1, 0}});
        QByteArray data = builder.build();
        damage(data, builder.layout());
        MobiReader reader;
        QCOMPARE(reader.openData(data), opens);
        if (!opens) {
            QCOMPARE(int(reader.error()), error);
            QVERIFY(!reader.errorString().isEmpty());
            return;
        }
        // Whatever the damage: metadata and images are answered without
        // reading outside the file (the sanitizer build checks that).
        reader.title();
        reader.metadata();
        reader.cover();
        const mobi::MobiContent content = reader.content();
        QCOMPARE(int(reader.error()), error);
        if (textStart.isEmpty()) {
            QVERIFY(content.parts.isEmpty());
        } else {
            QVERIFY(!content.parts.isEmpty());
            QVERIFY2(content.parts.first().bytes.startsWith(textStart), content.parts.first().bytes.left(60));
        }
    }

    void index()
    {
        const QList<QByteArray> strings{"Chapter One", "Глава два"};
        const QList<quint32> offsets = MobiBuilder::cncxOffsets(strings);
        const QList<QByteArray> records =
            MobiBuilder::indexRecords({{1, 1}, {3, 1}, {6, 2}},
                                      {{"00", {{1, {300}}, {3, {offsets[0]}}}},
                                       {"01", {{1, {70000}}, {3, {offsets[1]}}, {6, {2, 129}}}}},
                                      strings);
        mobi::MobiIndex index;
        QVERIFY(index.read(5, [&](int i) { return records.value(i - 5); }));
        QCOMPARE(index.entries().size(), 2);
        QCOMPARE(index.entries()[0].label, QByteArray("00"));
        QCOMPARE(index.entries()[0].value(1), 300u);
        QVERIFY(!index.entries()[0].has(6));
        QCOMPARE(index.entries()[1].value(1), 70000u);
        QCOMPARE(index.entries()[1].value(6, 1), 129u);
        QCOMPARE(index.string(index.entries()[1].value(3)), strings[1]);
        QVERIFY(index.string(0x50000).isEmpty());

        // Damage: no TAGX, no IDXT, entries cut off.
        QList<QByteArray> broken = records;
        broken[0].replace(192, 4, "XXXX");
        QVERIFY(!index.read(0, [&](int i) { return broken.value(i); }));
        broken = records;
        broken[1].replace(broken[1].indexOf("IDXT"), 4, "XXXX");
        QVERIFY(index.read(0, [&](int i) { return broken.value(i); }));
        QVERIFY(index.entries().isEmpty());
        broken = records;
        broken[1].truncate(196);
        QVERIFY(index.read(0, [&](int i) { return broken.value(i); }));
        QVERIFY(!index.read(0, [&](int) { return QByteArray(); }));
    }

    void kf8Layout()
    {
        const QList<MobiBuilder::Kf8File> files{
            {"<html><head><title>A</title></head><body aid=\"0\">",
             "</body></html>",
             {"<p aid=\"1\">One.</p>", "<p aid=\"2\">Two.</p>"}},
            {"<html><head></head><body>", "</body></html>", {"<h1>Second file</h1>"}},
        };
        MobiBuilder builder;
        builder.kf8Files(files, "p { color: red }").recordSize(64).extraFlags(3);
        builder.ncx({{"Second", 0, -1, 2, 0}});
        MobiReader reader;
        QVERIFY(reader.openData(builder.build()));
        QVERIFY(reader.isKf8());
        const mobi::MobiContent content = reader.content();
        QVERIFY(content.kf8);
        QCOMPARE(content.parts.size(), 2);
        QCOMPARE(content.parts[0].bytes,
                 files[0].head + files[0].fragments[0] + files[0].fragments[1] + files[0].tail);
        QCOMPARE(content.parts[1].bytes, files[1].head + files[1].fragments[0] + files[1].tail);
        QCOMPARE(content.parts[1].start, qint64(content.parts[0].bytes.size()));
        QCOMPARE(content.fragmentStarts.toList(), builder.layout().fragmentStarts);
        QCOMPARE(content.toc.size(), 1);
        QCOMPARE(content.toc[0].position, builder.layout().fragmentStarts[2]);

        // Flows: the style sheet is not part of the markup.
        const QByteArray raw = builder.layout().rawText;
        const QByteArray fdst = "FDST" + MobiBuilder::be32(12) + MobiBuilder::be32(2) + MobiBuilder::be32(0) +
                                MobiBuilder::be32(10) + MobiBuilder::be32(10) + MobiBuilder::be32(0xFFFFFF);
        const auto flows = mobi::Kf8Layout::flows(raw, fdst);
        QCOMPARE(flows.size(), 2);
        QCOMPARE(flows[1], qMakePair(qint64(10), qint64(raw.size())));
        QCOMPARE(mobi::Kf8Layout::flows(raw, "FDST").size(), 1);
    }

    void kf8FragmentInsidePositionDamage()
    {
        mobi::MobiIndex::Entry skeleton;
        skeleton.tags.insert(1, {1});
        skeleton.tags.insert(6, {0, 19});
        mobi::MobiIndex::Entry fragment;
        fragment.label = "8"; // inside "<body>"
        fragment.tags.insert(6, {0, 4});
        mobi::MobiContent content;
        mobi::Kf8Layout::assemble("<html><body></body>TEXT", {skeleton}, {fragment}, content);
        QCOMPARE(content.parts.size(), 1);
        QCOMPARE(content.parts[0].bytes, QByteArray("<html><body>TEXT</body>"));
        // Lengths past the end are clamped.
        fragment.tags.insert(6, {0, 0xFFFFFF});
        skeleton.tags.insert(6, {0xFFFFFF, 0xFFFFFF});
        mobi::Kf8Layout::assemble("abc", {skeleton}, {fragment}, content);
        QCOMPARE(content.parts.size(), 1);
        QVERIFY(content.parts[0].bytes.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestMobiReader)
#include "TestMobiReader.moc"
