#include "files/watchlist.h"
#include "support/files.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

using namespace tickora;
using namespace tickora::test;
using namespace Qt::StringLiterals;

namespace {

const QByteArray Empties = ",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"";

// One file line: the code and the name field as given, the other ten cells empty.
QByteArray line(const QByteArray& code, const QByteArray& name)
{
    return code + ",\"" + name + '"' + Empties + "\r\n";
}

WatchRow row(const QString& code, const QString& name = {}, QStringList rest = {})
{
    WatchRow r = QStringList{code, name} + rest;
    r.resize(WatchListFields);
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
        row(u"285a"_s, u"キオクシアホールディングス(株)"_s,
            {{}, u"-30"_s, {}, {}, {}, {}, {}, {}, {}, u"09:01"_s}),
        row(u"9A7A"_s, u"髙島屋\u3000\u301C①㈱"_s, {{}, {}, {}, {}, {}, {}, {}, {}, {}, u"  "_s}),
        row(u"06758"_s, {}, {{}, {}, {}, {}, {}, {}, {}, {}, {}, u"x"_s}),
    };
}

} // namespace

class TestWatchList : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void goldenFile()
    {
        QTemporaryDir tmp;
        const QString path = tmp.filePath(u"kabu/dat.txt"_s); // the folder is made when missing
        QCOMPARE(saveWatchList(path, goldenRows()), QString());
        QCOMPARE(readFile(path), readFile(QString::fromUtf8(TICKORA_TEST_DATA "/golden-dat.txt")));

        // Read back: codes in canonical form, the wave dash in its CP932 form.
        QList<WatchRow> loaded = goldenRows();
        loaded[0][0] = u"123"_s;
        loaded[2][0] = u"285A"_s;
        loaded[3][1] = u"髙島屋\u3000\uFF5E①㈱"_s;
        loaded[4][0] = u"6758"_s;
        const WatchListLoad load = loadWatchList(path);
        QCOMPARE(load.content.rows, loaded);
        // What was read is saved again byte for byte, lettered codes unquoted.
        QCOMPARE(formatWatchList(load.content.rows).bytes, readFile(path));

        for (const QString& code : {u"-5"_s, u"72a3"_s, u"285B"_s, u"7203.0"_s, u"2855A"_s,
                                    QString(20, u'x')}) // refused, the file kept, the code told whole
            QVERIFY(
                saveWatchList(path, {row(u"7"_s), row(code)}).contains(u"2行目の Code「"_s + code + u"」"_s));
        QCOMPARE(load.content.rows, loadWatchList(path).content.rows);
        QCOMPARE(saveWatchList(path, {}), QString());
        QCOMPARE(QFileInfo(path).size(), 0);
    }

    // A text cell never stops a save: a character CP932 lacks is written as "?", a line break as a blank.
    void textCells_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("field"); ///< its bytes in the file
        QTest::addColumn<QString>("readBack"); ///< the text read back
        QTest::addColumn<QString>("lacked");   ///< the first character CP932 lacks, if any
        const QString quotes = u"\"q\" a\",\"b,\"\""_s, controls = u"ア\x1A\x1C\x7Fイ"_s, lone(QChar(0xD800));
        QTest::newRow("quotes doubled")
            << quotes << QByteArray("\"\"q\"\" a\"\",\"\"b,\"\"\"\"") << quotes << QString();
        QTest::newRow("half-width kana") << u"ﾃｽ"_s << QByteArray("\xC3\xBD") << u"ﾃｽ"_s << QString();
        QTest::newRow("moved control codes")
            << controls << QByteArray("\x83\x41\x1A\x1C\x7F\x83\x43") << controls << QString();
        QTest::newRow("emoji") << u"株😀"_s << QByteArray("\x8A\x94?") << u"株?"_s << u"😀"_s;
        QTest::newRow("lone surrogate") << lone << QByteArray("?") << u"?"_s << lone;
        QTest::newRow("line breaks") << u"a\r\nb\nc"_s << QByteArray("a  b c") << u"a  b c"_s << QString();
    }
    void textCells()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, field);
        QFETCH(QString, readBack);
        QFETCH(QString, lacked);
        const WatchListBytes written = formatWatchList({row(u"1"_s, text)});
        QCOMPARE(written.bytes, line("1", field));
        QCOMPARE(parseWatchList(written.bytes).rows, QList<WatchRow>{row(u"1"_s, readBack)});
        QByteArray bytes;
        QString found;
        QCOMPARE(std::pair(encodeCp932(text, &bytes, &found), found), std::pair(lacked.isEmpty(), lacked));
    }
    void loneSurrogateAtTheLineEnd()
    {
        WatchRow last = row(u"1"_s, u"a"_s);
        last.back() = QString(QChar(0xD800));
        QVERIFY(formatWatchList({last}).bytes.endsWith("\"?\"\r\n"));
    }

    // Damaged and foreign files: the code|name of each row read, and the lines skipped.
    void readsDamagedAndForeignFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QList<int>>("skipped");
        const QByteArray a = line("1001", "a"), b = line("1002", "b"), bom = "\xEF\xBB\xBF";
        QTest::newRow("short, long, open quote, text after a quote, bad codes, bad bytes")
            << QByteArray(a + "3,\"a\",\"b\"\r\n" + line("3", "x").chopped(2) + ",\"\"\r\n" +
                          line("3", "x").chopped(3) + "\r\n3,\"a\"x" + Empties.mid(3) + "\r\n" +
                          line("abc", "a") + line("\"\"", "a") + line("28B5", "a") + line("3", "\xFF\xFE") +
                          b)
            << QStringList{u"1001|a"_s, u"1002|b"_s} << QList<int>{2, 3, 4, 5, 6, 7, 8, 9};
        QTest::newRow("blank lines, codes at the edges")
            << "\r\n" + line("-5", "a") + "   \r\n" + line("285a", "b") + line("25935", "c") + "\r\n"
            << QStringList{u"285A|b"_s, u"25935|c"_s} << QList<int>{1, 2, 3, 6};
        QTest::newRow("a blank LF line, a last line without an end")
            << "\n" + line("1003", "c").chopped(2) << QStringList{u"1003|c"_s} << QList<int>{1};
        QTest::newRow("hand-made: quoted code, unquoted cells, a fraction")
            << QByteArray("\"0042\",name,1,2,3,4,5,6,7,8,9,10\r\n7203.5,,,,,,,,,,,\r\n")
            << QStringList{u"42|name"_s} << QList<int>{2};
        QTest::newRow("CP932 and UTF-8 lines, LF and no line end")
            << line("1", cp932(u"トヨタ"_s)) + line("2", u"ソニー"_s.toUtf8()).chopped(2) + "\n" +
                   line("3", u"é\u30A2"_s.toUtf8()).chopped(2)
            << QStringList{u"1|トヨタ"_s, u"2|ソニー"_s, u"3|é\u30A2"_s} << QList<int>();
        // After a signature C3 BD is ý, not CP932 ﾃｽ, and a CP932 line is skipped.
        QTest::newRow("UTF-8 signature")
            << bom + line("1", cp932(u"ア"_s)) + line("2", "\xC3\xBD") + line("3", cp932(u"イ"_s))
            << QStringList{u"2|ý"_s, u"3|イ"_s} << QList<int>{1};
        QTest::newRow("a bad line takes no place")
            << "x\r\n" + line("1", "n").repeated(15) << QStringList(12, u"1|n"_s) << QList<int>{1};
        QTest::newRow("binary") << QByteArray("\x00\x01\x02\x80\x81\n\x89PNG\r\n", 12) << QStringList()
                                << QList<int>{1, 2};
        QTest::newRow("not ASCII, nor UTF-8, nor CP932")
            << line("4", "\x80") << QStringList() << QList<int>{1};
    }
    void readsDamagedAndForeignFiles()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, rows);
        QFETCH(QList<int>, skipped);
        const WatchListContent content = parseWatchList(bytes);
        QStringList got;
        for (const WatchRow& r : content.rows)
            got.append(r.size() == WatchListFields ? r[0] + u'|' + r[1] : u"wrong size"_s);
        QCOMPARE(got, rows);
        QCOMPARE(content.skippedLines, skipped);
    }

    // A code field longer than five characters (in the form codes are compared in) is a damaged
    // line, reported with the other skipped ones; the lines around it still load.
    void codeLengthIsBounded_data()
    {
        QTest::addColumn<QByteArray>("code");
        QTest::addColumn<QString>("loaded"); // the code read, empty when the line is skipped
        QTest::newRow("five digits") << QByteArray("32767") << u"32767"_s;
        QTest::newRow("four with a letter") << QByteArray("285A") << u"285A"_s;
        QTest::newRow("leading zeros dropped first") << QByteArray("0000007203") << u"7203"_s;
        QTest::newRow("six digits") << QByteArray("123456") << QString();
        QTest::newRow("twenty-two digits") << QByteArray("1234567890123456789012") << QString();
        QTest::newRow("quoted, six digits") << QByteArray("\"100000\"") << QString();
    }
    void codeLengthIsBounded()
    {
        QFETCH(QByteArray, code);
        QFETCH(QString, loaded);
        const WatchListContent content =
            parseWatchList(line("1001", "a") + line(code, "x") + line("1002", "b"));
        QStringList codes;
        for (const WatchRow& r : content.rows)
            codes.append(r.value(0));
        const QStringList expected =
            loaded.isEmpty() ? QStringList{u"1001"_s, u"1002"_s} : QStringList{u"1001"_s, loaded, u"1002"_s};
        QCOMPARE(codes, expected);
        QCOMPARE(content.skippedLines, loaded.isEmpty() ? QList<int>{2} : QList<int>());
        if (loaded.isEmpty())
            QVERIFY(skippedLinesMessage(content.skippedLines).contains(u"2 行目"_s));
    }

    // Of a file past the read cap only the whole lines read are taken, and none is told skipped.
    void oversizedFileKeepsItsWholeLines()
    {
        QTemporaryDir tmp;
        QVERIFY(writeFile(tmp.filePath(u"dat.txt"_s),
                          line("1001", "a").chopped(2) + "\n" + QByteArray(5 << 20, 'x')));
        const WatchListLoad load = loadWatchList(tmp.filePath(u"dat.txt"_s));
        QCOMPARE(load.content.rows.size(), 1);
        QVERIFY(load.content.skippedLines.isEmpty() && load.error.isEmpty());
    }

    void skippedLinesAreNamedInOneMessage()
    {
        QVERIFY(skippedLinesMessage({}).isEmpty());
        QVERIFY(skippedLinesMessage({3, 7}).contains(u"3、7 行目"_s));
        QVERIFY(!skippedLinesMessage({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}).contains(u"ほか"_s));
        const QString capped = skippedLinesMessage({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14});
        QVERIFY(capped.contains(u"9、10 行目"_s) && !capped.contains(u"11"_s) &&
                capped.contains(u"ほか 4 行"_s));
    }

    // Whatever stops a write, the old file stays whole; a load of the same place says what is wrong.
    void failedSavesKeepTheOldFile_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("saveMention");
        QTest::addColumn<QString>("loadMention"); ///< empty: the old file loads
        QTest::newRow("the disk fills part-way") << u"dat.txt"_s << u"そのまま残っています"_s << QString();
        QTest::newRow("a folder in the file's place")
            << u"dir/dat.txt"_s << u"同じ名前のフォルダー"_s << u"フォルダーのため"_s;
        QTest::newRow("a file in the folder's place")
            << u"dat.txt/dat.txt"_s << u"作成することもできません"_s << u"データフォルダー"_s;
    }
    void failedSavesKeepTheOldFile()
    {
        QFETCH(QString, file);
        QFETCH(QString, saveMention);
        QFETCH(QString, loadMention);
        const QList<WatchRow> rows(12, row(u"1234"_s, u"とても長い銘柄の名前"_s));
        QTemporaryDir tmp;
        QVERIFY(writeFile(tmp.filePath(u"dat.txt"_s), line("7203", "old")));
        QVERIFY(QDir().mkpath(tmp.filePath(u"dir/dat.txt"_s)));
        std::optional<FileSizeLimit> limit;
        if (file == u"dat.txt"_s)
            limit.emplace(200);
        const QString problem = saveWatchList(tmp.filePath(file), rows);
        limit.reset();
        QVERIFY2(problem.contains(u"保存できませんでした"_s) && problem.contains(saveMention),
                 qPrintable(problem));
        QCOMPARE(readFile(tmp.filePath(u"dat.txt"_s)), line("7203", "old"));
        const WatchListLoad load = loadWatchList(tmp.filePath(file));
        QVERIFY2(load.error.contains(loadMention) &&
                     load.content.rows.size() == (loadMention.isEmpty() ? 1 : 0),
                 qPrintable(load.error));
    }
};

QTEST_GUILESS_MAIN(TestWatchList)
#include "tst_watchlist.moc"
