#include "files/watchlist.h"
#include "support/files.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace tickora;
using namespace tickora::test;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(QList<WatchRow>)

namespace {

QByteArray encoded(const QString& text)
{
    QByteArray out;
    return encodeCp932(text, &out) ? out : QByteArray("<unencodable>");
}

WatchRow row(const QString& code, const QString& name = {}, QStringList rest = {})
{
    WatchRow r{code, name};
    r += rest;
    while (r.size() < WatchListFields)
        r.append(QString());
    return r;
}

// The rows behind tests/files/data/golden-dat.txt, as they stand in the grid.
QList<WatchRow> goldenRows()
{
    return {
        row(u"0123"_s, u"トヨタ自動車"_s,
            {u"1,234"_s, u"+15"_s, u"1,219"_s, u"12,345,600"_s, u"1,220"_s, u"1,240"_s, u"1,215"_s, u"1200"_s,
             u"1,300"_s, u"15:00"_s}),
        row(u"7203"_s, u"  空 白 入 り "_s),
        row(u"9984.5"_s, u"ソフトバンクグループ"_s, {{}, u"-30"_s, {}, {}, {}, {}, {}, {}, {}, u"09:01"_s}),
        row(u"-5"_s, u"髙島屋\u3000\u301C①㈱"_s, {{}, {}, {}, {}, {}, {}, {}, {}, {}, u"  "_s}),
        row(u"06758"_s, {}, {{}, {}, {}, {}, {}, {}, {}, {}, {}, u"x"_s}),
    };
}

// What the grid holds after the golden file is read back: codes as plain numbers, and the
// wave dash in its CP932 form.
QList<WatchRow> goldenRowsLoaded()
{
    QList<WatchRow> rows = goldenRows();
    rows[0][0] = u"123"_s;
    rows[2][0] = u"9984"_s;
    rows[3][1] = u"髙島屋\u3000\uFF5E①㈱"_s;
    rows[4][0] = u"6758"_s;
    return rows;
}

} // namespace

class TestWatchList : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void goldenFileIsWrittenByteForByte()
    {
        const QByteArray golden = readFile(QString::fromUtf8(TICKORA_TEST_DATA "/golden-dat.txt"));
        QVERIFY(!golden.isEmpty());
        const WatchListBytes written = formatWatchList(goldenRows());
        QVERIFY2(written.ok(), qPrintable(written.error));
        QCOMPARE(written.bytes, golden);
    }

    void goldenFileLoadsExactly()
    {
        const WatchListContent content =
            parseWatchList(readFile(QString::fromUtf8(TICKORA_TEST_DATA "/golden-dat.txt")));
        QCOMPARE(content.skippedLines, QList<int>());
        QCOMPARE(content.rows, goldenRowsLoaded());
    }

    void roundTrips_data()
    {
        QTest::addColumn<QList<WatchRow>>("rows");
        QTest::newRow("double quotes") << QList<WatchRow>{
            row(u"2"_s, u"\"quoted\" name"_s, {u"\""_s, u"\"\""_s, u"a\",\"b"_s, u",\""_s, u"\","_s})};
        QTest::newRow("half-width katakana that is also UTF-8")
            << QList<WatchRow>{row(u"5"_s, u"ﾃｽ"_s, {u"ﾂｱ"_s, u"ﾄﾞｰ"_s})};
        QTest::newRow("control codes beside kana")
            << QList<WatchRow>{row(u"4"_s, u"ア\x1A\x1C\x7Fイ"_s, {u"\x7F"_s})};
        QTest::newRow("a cell that looks like a field list")
            << QList<WatchRow>{row(u"3"_s, u"\",\"\",\""_s, {u"\"\"\""_s})};
        QTest::newRow("negative and extreme codes")
            << QList<WatchRow>{row(u"-32768"_s, u"x"_s), row(u"32767"_s, u"y"_s), row(u"0"_s, u"z"_s)};
    }
    void roundTrips()
    {
        QFETCH(QList<WatchRow>, rows);
        const WatchListBytes written = formatWatchList(rows);
        QVERIFY2(written.ok(), qPrintable(written.error));
        QCOMPARE(written.bytes.count("\r\n"), rows.size());
        QCOMPARE(written.bytes.count('\n'), rows.size());
        const WatchListContent content = parseWatchList(written.bytes);
        QCOMPARE(content.skippedLines, QList<int>());
        QCOMPARE(content.rows, rows);
    }

    void cp932Mapping_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("wave dash") << u"\u301C"_s << QByteArray("\x81\x60");
        QTest::newRow("minus sign") << u"\u2212"_s << QByteArray("\x81\x7C");
        QTest::newRow("double vertical line") << u"\u2016"_s << QByteArray("\x81\x61");
        QTest::newRow("not sign") << u"\u00AC"_s << QByteArray("\x81\xCA");
        QTest::newRow("yen sign") << u"\u00A5"_s << QByteArray("\x81\x8F");
        QTest::newRow("NEC and IBM extensions")
            << u"①㈱髙﨑"_s << QByteArray("\x87\x40\x87\x8A\xFB\xFC\xFA\xB1");
        QTest::newRow("half-width kana and ASCII") << u"ｱ\\~"_s << QByteArray("\xB1\\~");
        QTest::newRow("control codes keep their ASCII bytes")
            << u"\x1A\x1C\x7F\u3042"_s << QByteArray("\x1A\x1C\x7F\x82\xA0");
    }
    void cp932Mapping()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QCOMPARE(encoded(text), bytes);
    }

    void refusesWhatTheFileCannotHold_data()
    {
        QTest::addColumn<QList<WatchRow>>("rows");
        QTest::addColumn<QStringList>("mentions");
        const WatchRow good = row(u"7203"_s, u"A"_s);
        QTest::newRow("code above range")
            << QList<WatchRow>{good, good, row(u"32768"_s, u"B"_s)} << QStringList{u"3行目"_s, u"32768"_s};
        QTest::newRow("code not a number")
            << QList<WatchRow>{good, row(u"72a3"_s)} << QStringList{u"2行目"_s, u"72a3"_s};
        QTest::newRow("code rounds out of range")
            << QList<WatchRow>{row(u"32767.5"_s)} << QStringList{u"1行目"_s};
    }
    void refusesWhatTheFileCannotHold()
    {
        QFETCH(QList<WatchRow>, rows);
        QFETCH(QStringList, mentions);
        const WatchListBytes written = formatWatchList(rows);
        QVERIFY(!written.ok());
        QVERIFY(written.bytes.isEmpty());
        for (const QString& m : mentions)
            QVERIFY2(written.error.contains(m), qPrintable(written.error + u" lacks "_s + m));
    }

    // A text cell never stops a save: what CP932 lacks is written as "?", a line break as a blank.
    void textCellsAlwaysSave_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("field");
        QTest::newRow("emoji") << u"株😀"_s << QByteArray("\"\x8A\x94?\"");
        QTest::newRow("lone surrogate") << QString(QChar(0xD800)) << QByteArray("\"?\"");
        QTest::newRow("line breaks") << u"a\r\nb\nc"_s << QByteArray("\"a  b c\"");
    }
    void textCellsAlwaysSave()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, field);
        const WatchListBytes written =
            formatWatchList({row(u"1"_s, {}, {{}, {}, {}, {}, {}, {}, {}, {}, text})});
        QVERIFY2(written.ok(), qPrintable(written.error));
        QCOMPARE(written.bytes, "1,\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"," + field + ",\"\"\r\n");
    }

    void readsDamagedAndForeignFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("codes");
        QTest::addColumn<QList<int>>("skipped");
        const QByteArray empties = ",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"";
        const QByteArray good1 = "1001,\"a\"" + empties + "\r\n";
        const QByteArray good2 = "1002,\"b\"" + empties + "\r\n";

        QTest::newRow("short line") << good1 + "1,\"a\",\"b\"\r\n" + good2
                                    << QStringList{u"1001"_s, u"1002"_s} << QList<int>{2};
        QTest::newRow("long line") << good1 + "1003,\"x\"" + empties + ",\"extra\"\r\n" + good2
                                   << QStringList{u"1001"_s, u"1002"_s} << QList<int>{2};
        QTest::newRow("blank lines") << "\r\n" + good1 + "   \r\n" + good2 + "\r\n"
                                     << QStringList{u"1001"_s, u"1002"_s} << QList<int>{1, 3, 5};
        QTest::newRow("first field not a number") << "abc,\"a\"" + empties + "\r\n" + "\"\",\"a\"" + empties +
                                                         "\r\n" + "40000,\"a\"" + empties + "\r\n" + good1
                                                  << QStringList{u"1001"_s} << QList<int>{1, 2, 3};
        QTest::newRow("unterminated quote") << good1 + "1003,\"a\"" + empties.chopped(1) + "x\r\n" + good2
                                            << QStringList{u"1001"_s, u"1002"_s} << QList<int>{2};
        QTest::newRow("LF line ends, no final line end") << good1.chopped(2) + "\n" + good2.chopped(2)
                                                         << QStringList{u"1001"_s, u"1002"_s} << QList<int>();
        QTest::newRow("bytes neither UTF-8 nor CP932") << good1 + "1003,\"\xFF\xFE\"" + empties + "\r\n"
                                                       << QStringList{u"1001"_s} << QList<int>{2};
        QTest::newRow("hand-made: quoted code, unquoted cells, fraction")
            << QByteArray("\"0042\",name,1,2,3,4,5,6,7,8,9,10\r\n7203.5,,,,,,,,,,,\r\n")
            << QStringList{u"42"_s, u"7204"_s} << QList<int>();
        QByteArray fifteen;
        for (int i = 1; i <= 15; ++i)
            fifteen += QByteArray::number(2000 + i) + ",\"n\"" + empties + "\r\n";
        QStringList first12;
        for (int i = 1; i <= 12; ++i)
            first12.append(QString::number(2000 + i));
        QTest::newRow("a bad line does not take a place") << "x\r\n" + fifteen << first12 << QList<int>{1};
        QTest::newRow("binary junk") << QByteArray("\x00\x01\x02\x80\x81\n\x89PNG\r\n", 12) << QStringList()
                                     << QList<int>{1, 2};
    }
    void readsDamagedAndForeignFiles()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, codes);
        QFETCH(QList<int>, skipped);
        const WatchListContent content = parseWatchList(bytes);
        QStringList got;
        for (const WatchRow& r : content.rows) {
            QCOMPARE(r.size(), WatchListFields);
            got.append(r.first());
        }
        QCOMPARE(got, codes);
        QCOMPARE(content.skippedLines, skipped);
    }

    void foreignTextIsDecoded()
    {
        const QByteArray empties = ",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"";
        const WatchListContent content = parseWatchList(cp932(u"1,\"トヨタ自動車\""_s) + empties + "\r\n" +
                                                        u"2,\"ソニーグループ\""_s.toUtf8() + empties + "\n");
        QCOMPARE(content.rows.size(), 2);
        QCOMPARE(content.rows[0][1], u"トヨタ自動車"_s);
        QCOMPARE(content.rows[1][1], u"ソニーグループ"_s);
    }

    void twoByteUtf8FollowsTheSignature()
    {
        // Without a signature C3 BD is CP932 ﾃｽ (what a save of ﾃｽ writes); after one it is ý.
        const QByteArray empties = ",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"";
        const QByteArray line = "1,\"\xC3\xBD\"" + empties + "\r\n";
        QCOMPARE(parseWatchList(line).rows.value(0).value(1), u"ﾃｽ"_s);
        QCOMPARE(parseWatchList("\xEF\xBB\xBF" + line + line).rows.value(1).value(1), u"ý"_s);
        QCOMPARE(parseWatchList(u"1,\"é\u30A2\""_s.toUtf8() + empties).rows.value(0).value(1), u"é\u30A2"_s);
    }

    void skippedLinesAreNamedInOneMessage()
    {
        QVERIFY(skippedLinesMessage({}).isEmpty());
        const QString capped = skippedLinesMessage({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14});
        QVERIFY(capped.contains(u"9、10 行目"_s));
        QVERIFY(!capped.contains(u"11"_s));
        QVERIFY(capped.contains(u"ほか 4 行"_s));
    }

    void saveReplacesTheFileWhole()
    {
        QTemporaryDir tmp;
        const QString path = tmp.filePath(u"kabu/dat.txt"_s); // the folder is made when missing
        QVERIFY(saveWatchList(path, goldenRows()).isEmpty());
        QCOMPARE(readFile(path), readFile(QString::fromUtf8(TICKORA_TEST_DATA "/golden-dat.txt")));
        QVERIFY(saveWatchList(path, {}).isEmpty());
        QVERIFY(QFileInfo::exists(path));
        QCOMPARE(QFileInfo(path).size(), 0);
    }

    void refusedSaveKeepsTheOldFile()
    {
        QTemporaryDir tmp;
        const QString path = tmp.filePath(u"dat.txt"_s);
        const QByteArray old = "7203,\"old\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n";
        QVERIFY(writeFile(path, old));
        const QString problem = saveWatchList(path, {row(u"1"_s), row(u"99999"_s)});
        QVERIFY(problem.contains(u"保存できませんでした"_s));
        QVERIFY(problem.contains(u"2行目"_s));
        QCOMPARE(readFile(path), old);
        QCOMPARE(QDir(tmp.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"dat.txt"_s});
    }

    void writeFailingPartWayKeepsTheOldFile()
    {
        QTemporaryDir tmp;
        const QString path = tmp.filePath(u"dat.txt"_s);
        const QByteArray old = "7203,\"old\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n";
        QVERIFY(writeFile(path, old));
        QList<WatchRow> twelve;
        for (int i = 1; i <= 12; ++i)
            twelve.append(row(QString::number(1000 + i), u"とても長い銘柄の名前 %1"_s.arg(i)));

        QString problem;
        {
            FileSizeLimit limit(200); // the write stops in the middle of the list
            problem = saveWatchList(path, twelve);
        }

        QVERIFY(problem.contains(u"保存できませんでした"_s));
        QVERIFY(problem.contains(u"そのまま残っています"_s));
        QCOMPARE(readFile(path), old);
        QCOMPARE(QDir(tmp.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"dat.txt"_s});
        // With room again, the same list saves.
        QVERIFY(saveWatchList(path, twelve).isEmpty());
        QCOMPARE(parseWatchList(readFile(path)).rows, twelve);
    }

    void unwritablePlacesAreReported()
    {
        QTemporaryDir tmp;
        // A folder stands where the file should be.
        QVERIFY(QDir().mkpath(tmp.filePath(u"a/dat.txt"_s)));
        QString problem = saveWatchList(tmp.filePath(u"a/dat.txt"_s), {row(u"1"_s)});
        QVERIFY(problem.contains(u"保存できませんでした"_s));
        QVERIFY(problem.contains(u"フォルダー"_s));
        // The data folder's place is taken by a regular file.
        QVERIFY(writeFile(tmp.filePath(u"b"_s), "x"));
        problem = saveWatchList(tmp.filePath(u"b/dat.txt"_s), {row(u"1"_s)});
        QVERIFY(problem.contains(u"保存できませんでした"_s));
        QVERIFY(problem.contains(u"作成することもできません"_s));
        QCOMPARE(readFile(tmp.filePath(u"b"_s)), QByteArray("x"));
    }

    void loadReportsMissingFolderAndFile()
    {
        QTemporaryDir tmp;
        WatchListLoad load = loadWatchList(tmp.filePath(u"nowhere/dat.txt"_s));
        QVERIFY(load.error.contains(u"データフォルダー"_s));
        QVERIFY(load.content.rows.isEmpty());
        load = loadWatchList(tmp.filePath(u"dat.txt"_s));
        QVERIFY(load.error.contains(u"ありません"_s));
        QVERIFY(QDir().mkpath(tmp.filePath(u"dir/dat.txt"_s)));
        load = loadWatchList(tmp.filePath(u"dir/dat.txt"_s));
        QVERIFY(load.error.contains(u"フォルダー"_s));
        QVERIFY(load.content.rows.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestWatchList)
#include "tst_watchlist.moc"
