#include "files/codelist.h"
#include "support/files.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace tickora;
using namespace tickora::test;
using namespace Qt::StringLiterals;

class TestCodeList : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // One line: code|name of the record it gives, empty when it is none.
    void lines_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("record");
        QTest::newRow("quoted name") << u"7203,\"トヨタ自動車\""_s << u"7203|トヨタ自動車"_s;
        QTest::newRow("a bare name loses its blanks")
            << u"9984 ,  ソフトバンク \t"_s << u"9984|ソフトバンク"_s;
        QTest::newRow("but not full-width ones") << u"6752,　Ａ　"_s << u"6752|　Ａ　"_s;
        QTest::newRow("quoted code, leading zero") << u" \"07203\",\"x\""_s << u"7203|x"_s;
        QTest::newRow("comma in quotes") << u"1234,\"A,B\""_s << u"1234|A,B"_s;
        QTest::newRow("a third field") << u"8306,三菱,extra"_s << u"8306|三菱"_s;
        QTest::newRow("open quote") << u"1234,\"open"_s << u"1234|open"_s;
        QTest::newRow("five digits, past the old 16-bit limit") << u"25935,"_s << u"25935|"_s;
        QTest::newRow("empty second field") << u"1301,,極洋"_s << u"1301|"_s;
        QTest::newRow("an empty name in quotes") << u"1332,\"\""_s << u"1332|"_s;
        QTest::newRow("lower-case letter") << u"285a,\"キオクシア\""_s << u"285A|キオクシア"_s;
        QTest::newRow("B is never a code letter") << u"28B5,\"x\""_s << QString();
        QTest::newRow("a line starting with a comma") << u",\"x\""_s << QString();
        QTest::newRow("code alone") << u"7203"_s << QString();
    }
    void lines()
    {
        QFETCH(QString, line);
        QFETCH(QString, record);
        const auto entry = parseCodeListLine(line);
        QCOMPARE(entry ? entry->code + u'|' + entry->name : QString(), record);
    }

    // Blank lines first and later, mixed line ends, a header, no final line end, a broken DBCS byte.
    void wholeFile()
    {
        QList<CodeListEntry> entries = parseCodeList(
            QByteArray(cp932(u"\n1301,\"極洋\"\r\nコード,銘柄\r\n7203,\"トヨタ\",東証\n\r\n1111,\""_s) +
                       "\x81" + cp932(u"\r\n6758,\"ソニー\"\n6758,\"ソニーグループ\""_s)));
        QCOMPARE(entries.takeAt(2).code, u"1111"_s);
        QCOMPARE(entries, (QList<CodeListEntry>{{u"1301"_s, u"極洋"_s},
                                                {u"7203"_s, u"トヨタ"_s},
                                                {u"6758"_s, u"ソニー"_s},
                                                {u"6758"_s, u"ソニーグループ"_s}}));
    }

    // A line as the program writes it, and additions to a file that may lack its folder or last line end.
    void linesWrittenAndAdded()
    {
        QCOMPARE(codeListLine({u"285A"_s, u"ア〜\"B\"\r\n😀"_s}), cp932(u"285A,\"ア～＂B＂  ?\"\r\n"_s));
        QTemporaryDir dir;
        const QString path = dir.filePath(u"new/codes-added.csv"_s);
        QCOMPARE(appendToCodeList(path, {u"130A"_s, u"一"_s}), QString());
        QVERIFY(writeFile(path, readFile(path) + "7203,x"));
        QCOMPARE(appendToCodeList(path, {u"131A"_s, u"二"_s}), QString());
        QCOMPARE(readFile(path), cp932(u"130A,\"一\"\r\n7203,x\r\n131A,\"二\"\r\n"_s));
        QVERIFY(appendToCodeList(dir.path(), {u"1"_s, u"x"_s}).contains(u"読み込めない"_s)); // a folder
        QVERIFY(
            appendToCodeList(path + u"/x.csv"_s, {u"1"_s, u"x"_s}).contains(u"書き加えられませんでした"_s));
    }

    void lookupLastWinsAndFollowsEdits()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"tousyou1.csv"_s);
        QVERIFY(writeFile(path, cp932(u"6758,\"ソニー\"\r\n6758,\"ソニーグループ\"\r\n"_s)));
        CodeList list;
        QCOMPARE(list.lookup(path, u"6758"_s).name, u"ソニーグループ"_s);
        QCOMPARE(list.lookup(path, u"7203"_s).status, CodeList::Status::Ok);
        QCOMPARE(list.lookup(path, u"7203"_s).name, std::nullopt);

        // A rewrite of another size is read again, and one of the same size with another time too.
        QVERIFY(writeFile(path, cp932(u"7203,\"トヨタ自動車\"\r\n"_s)));
        QCOMPARE(list.lookup(path, u"7203"_s).name, u"トヨタ自動車"_s);
        QCOMPARE(list.lookup(path, u"6758"_s).name, std::nullopt);
        QVERIFY(writeFile(path, cp932(u"7203,\"トヨタ自動者\"\r\n"_s)));
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadWrite) &&
                f.setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime));
        QCOMPARE(list.lookup(path, u"7203"_s).name, u"トヨタ自動者"_s);
        // The same size and time: the names already read serve, the file is not read per key.
        const QDateTime stamp = QFileInfo(path).lastModified();
        QVERIFY(writeFile(path, cp932(u"7203,\"トヨタ自動車\"\r\n"_s)));
        QVERIFY(f.setFileTime(stamp, QFileDevice::FileModificationTime));
        QCOMPARE(list.lookup(path, u"7203"_s).name, u"トヨタ自動者"_s);

        QVERIFY(f.remove()); // closed first
        QCOMPARE(list.lookup(path, u"7203"_s).status, CodeList::Status::Missing);
        // A file past the size cap is refused instead of read into memory; one at the cap is read.
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(cp932(u"7203,\"トヨタ\"\r\n"_s)) > 0 &&
                f.resize(CodeList::MaxFileSize) && f.flush());
        QCOMPARE(list.lookup(path, u"7203"_s).name, u"トヨタ"_s);
        QCOMPARE(list.lookup(dir.path(), u"7203"_s).status, CodeList::Status::Unreadable); // a folder
        QCOMPARE(list.lookup(path, u"7203"_s).name, u"トヨタ"_s); // and the list read before it still serves
        QVERIFY(f.resize(CodeList::MaxFileSize + 1) && f.flush());
        QCOMPARE(list.lookup(path, u"7203"_s).status, CodeList::Status::Unreadable);
    }
};

QTEST_GUILESS_MAIN(TestCodeList)
#include "tst_codelist.moc"
