#include "files/codelist.h"
#include "support/files.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace tickora;
using namespace tickora::test;
using namespace Qt::StringLiterals;

class TestCodeList : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void line_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("record");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("name");
        QTest::newRow("quoted name") << u"7203,\"トヨタ自動車\""_s << true << 7203 << u"トヨタ自動車"_s;
        QTest::newRow("bare name, blanks dropped")
            << u"9984 ,  ソフトバンク \t"_s << true << 9984 << u"ソフトバンク"_s;
        QTest::newRow("bare name keeps full-width blanks") << u"6752,　Ａ　"_s << true << 6752 << u"　Ａ　"_s;
        QTest::newRow("leading zeros") << u"07203,\"x\""_s << true << 7203 << u"x"_s;
        QTest::newRow("quoted code") << u"\"7203\",\"x\""_s << true << 7203 << u"x"_s;
        QTest::newRow("comma inside quotes") << u"1234,\"A,B\""_s << true << 1234 << u"A,B"_s;
        QTest::newRow("third field, bare") << u"8306,三菱,extra"_s << true << 8306 << u"三菱"_s;
        QTest::newRow("quote never closed") << u"1234,\"open"_s << true << 1234 << u"open"_s;
        QTest::newRow("empty name") << u"1234,"_s << true << 1234 << QString();
        QTest::newRow("code out of range") << u"32768,\"x\""_s << false << 0 << QString();
        QTest::newRow("code not a number") << u"abc,\"x\""_s << false << 0 << QString();
        QTest::newRow("no comma") << u"7203"_s << false << 0 << QString();
    }
    void line()
    {
        QFETCH(QString, line);
        QFETCH(bool, record);
        QFETCH(int, code);
        QFETCH(QString, name);
        const std::optional<CodeListEntry> entry = parseCodeListLine(line);
        QCOMPARE(entry.has_value(), record);
        if (record) {
            QCOMPARE(int(entry->code), code);
            QCOMPARE(entry->name, name);
        }
    }

    void wholeFile()
    {
        // Mixed line ends, a bad line and a line with a third field in the middle, no final line end.
        const QByteArray bytes = cp932(u"1301,\"極洋\"\r\n"
                                       "コード,銘柄\r\n"
                                       "7203,\"トヨタ自動車\",東証\n"
                                       "\r\n"
                                       "6758,\"ソニー\"\n"
                                       "6758,\"ソニーグループ\""_s);
        const QList<CodeListEntry> expected = {
            {1301, u"極洋"_s}, {7203, u"トヨタ自動車"_s}, {6758, u"ソニー"_s}, {6758, u"ソニーグループ"_s}};
        QCOMPARE(parseCodeList(bytes), expected);
    }

    void undecodableBytesStayLocal()
    {
        // A broken double-byte sequence spoils its own line at most.
        QByteArray bytes = "1111,\"";
        bytes += char(0x81);
        bytes += "\"\r\n" + cp932(u"2222,\"次\"\r\n"_s);
        const QList<CodeListEntry> entries = parseCodeList(bytes);
        QVERIFY(!entries.isEmpty());
        QCOMPARE(entries.last(), (CodeListEntry{2222, u"次"_s}));
    }

    void lookupLastWinsAndFollowsEdits()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"tousyou1.csv"_s);
        QVERIFY(writeFile(path, cp932(u"6758,\"ソニー\"\r\n6758,\"ソニーグループ\"\r\n"_s)));
        CodeList list;
        CodeList::Result r = list.lookup(path, 6758);
        QCOMPARE(r.status, CodeList::Status::Ok);
        QCOMPARE(r.name, std::optional<QString>(u"ソニーグループ"_s));
        QCOMPARE(list.lookup(path, 7203).name, std::nullopt);

        // A rewrite of another size is read again.
        QVERIFY(writeFile(path, cp932(u"7203,\"トヨタ自動車\"\r\n"_s)));
        QCOMPARE(list.lookup(path, 7203).name, std::optional<QString>(u"トヨタ自動車"_s));
        QCOMPARE(list.lookup(path, 6758).name, std::nullopt);

        // A rewrite of the same size with another modification time is read again too.
        QVERIFY(writeFile(path, cp932(u"7203,\"トヨタ自動者\"\r\n"_s)));
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime));
        f.close();
        QCOMPARE(list.lookup(path, 7203).name, std::optional<QString>(u"トヨタ自動者"_s));

        QVERIFY(QFile::remove(path));
        QCOMPARE(list.lookup(path, 7203).status, CodeList::Status::Missing);
    }

    void unreadable()
    {
        QTemporaryDir dir;
        CodeList list;
        QCOMPARE(list.lookup(dir.filePath(u"none.csv"_s), 7203).status, CodeList::Status::Missing);
        // A folder where the file should be.
        QCOMPARE(list.lookup(dir.path(), 7203).status, CodeList::Status::Unreadable);

        // Far too large to be a code list: refused instead of read into memory.
        const QString huge = dir.filePath(u"huge.csv"_s);
        QFile big(huge);
        QVERIFY(big.open(QIODevice::WriteOnly));
        QVERIFY(big.resize(CodeList::MaxFileSize + 1));
        big.close();
        QCOMPARE(list.lookup(huge, 7203).status, CodeList::Status::Unreadable);

        const QString path = dir.filePath(u"locked.csv"_s);
        QVERIFY(writeFile(path, cp932(u"7203,\"トヨタ自動車\"\r\n"_s)));
        QVERIFY(QFile::setPermissions(path, QFileDevice::Permissions()));
        QFile probe(path);
        if (probe.open(QIODevice::ReadOnly))
            QSKIP("running with rights that read any file");
        QCOMPARE(list.lookup(path, 7203).status, CodeList::Status::Unreadable);
    }
};

QTEST_GUILESS_MAIN(TestCodeList)
#include "tst_codelist.moc"
