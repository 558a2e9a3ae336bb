// The exchange's list read from its Excel file and from CSV files saved from it, and the import.
#include "files/codelistimport.h"
#include "support/files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <bit>
#include <cerrno>

using namespace tickora;
using namespace tickora::test;
using namespace Qt::StringLiterals;

namespace {

const QString Xls = QString::fromUtf8(TICKORA_TEST_DATA "/data_j.xls");
// The same list as the exchange publishes it now (made by make_xlsx_fixtures.py, as its damaged and
// bomb forms).
const QString Xlsx = QString::fromUtf8(TICKORA_TEST_DATA "/data_j.xlsx");

// The table of data_j.xls as a CSV saved from it, one name quoted with a comma and a doubled quote,
// the last row's last field empty.
const QString Csv =
    u"日付,コード,銘柄名,市場・商品区分\n20260531,1301,\"極洋,\"\"A\"\"\",プライム\n"
    "20260531,285A,キオクシアホールディングス,プライム\n\n20260531,25935,伊藤園第１種優先株式,\n"_s;

QByteArray crlf(const QString& text)
{
    return QString(text).replace(u"\n"_s, u"\r\n"_s).toUtf8();
}

} // namespace

class TestCodeListImport : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString file(const QString& name, const QByteArray& bytes)
    {
        const QString path = m_dir.filePath(name);
        return writeFile(path, bytes) ? path : QString();
    }
private Q_SLOTS:
    void readsEachForm_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("firstName");
        QTest::newRow("Excel") << Xls << u"極洋"_s;
        QTest::newRow("Excel workbook (.xlsx)") << Xlsx << u"極洋"_s;
        QTest::newRow(".xlsx under another name") << file(u"list.csv"_s, readFile(Xlsx)) << u"極洋"_s;
        QTest::newRow("UTF-8 with signature")
            << file(u"a.csv"_s, "\xEF\xBB\xBF" + Csv.toUtf8()) << u"極洋,\"A\""_s;
        QTest::newRow("UTF-8, no last line end") << file(u"b.csv"_s, crlf(Csv).chopped(2)) << u"極洋,\"A\""_s;
        QTest::newRow("UTF-8, ends in a quoted field")
            << file(u"q.csv"_s, crlf(Csv).chopped(2) + "\"スタンダード\"") << u"極洋,\"A\""_s;
        QTest::newRow("CP932") << file(u"c.csv"_s, cp932(QString(Csv).replace(u"\n"_s, u"\r\n"_s)))
                               << u"極洋,\"A\""_s;
    }
    void readsEachForm()
    {
        QFETCH(QString, path);
        QFETCH(QString, firstName);
        errno = EINTR; // left by some earlier call: the end of the child's cells still ends the reading
        const ExchangeList list = readExchangeList(path);
        QCOMPARE(list.error, QString());
        QCOMPARE(list.entries, (QList<CodeListEntry>{{u"1301"_s, firstName},
                                                     {u"285A"_s, u"キオクシアホールディングス"_s},
                                                     {u"25935"_s, u"伊藤園第１種優先株式"_s}}));
    }

    // Fields and rows of a CSV text: the last row needs no line end, and a line end at the very end
    // makes no empty row.
    void csvRows()
    {
        using Rows = QList<QStringList>;
        QCOMPARE(csvTable("a,\"b\"\"c\"\r\nd"), (Rows{{u"a"_s, u"b\"c"_s}, {u"d"_s}}));
        QCOMPARE(csvTable("a\n"), (Rows{{u"a"_s}}));
    }

    // A file that is no list is refused with its reason, and the code list stays as it was.
    void refusesWhatIsNoList_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("reason");
        const QByteArray xls = readFile(Xls);
        QTest::newRow("cut workbook") << xls.left(1536) << u"Excel"_s;
        QTest::newRow("workbook header only") << xls.left(512) << u"Excel"_s;
        const auto number = [](double d) { // a NUMBER cell's value as the workbook stores it
            const quint64 bits = qToLittleEndian(std::bit_cast<quint64>(d));
            return QByteArray(reinterpret_cast<const char*>(&bits), 8);
        };
        QTest::newRow("workbook code with a fraction")
            << QByteArray(xls).replace(number(25935), number(25935.5)) << u"4行目のコード「25935.5」"_s;
        // FreeXL reads past its buffers here: the child reading it may fall, the import must not.
        QTest::newRow("workbook FreeXL misreads")
            << readFile(QString::fromUtf8(TICKORA_TEST_DATA
                                          "/../../fuzz/regressions/codelistimport/freexl-overread.xls"))
            << u"Excel"_s;
        const auto fixture = [](const char* name) {
            return readFile(QString::fromUtf8(TICKORA_TEST_DATA) + u'/' + QString::fromUtf8(name));
        };
        QTest::newRow("damaged .xlsx")
            << fixture("data_j-damaged.xlsx") << u"「xl/worksheets/sheet1.xml」が壊れています"_s;
        QTest::newRow(".xlsx zip bomb") << fixture("data_j-bomb.xlsx") << u"展開すると大きすぎます"_s;
        QTest::newRow(".xlsx bomb claiming a small size")
            << fixture("data_j-lying.xlsx") << u"が壊れています"_s;
        QTest::newRow(".xlsx cut short")
            << readFile(Xlsx).left(3000) << u"Excel のファイル（.xlsx）として読めません"_s;
        QTest::newRow("the code list itself") << cp932(u"1301,\"極洋\"\r\n"_s) << u"「コード」と「銘柄名」"_s;
        QTest::newRow("no name column") << crlf(u"コード,名前\n1301,a\n"_s) << u"「コード」と「銘柄名」"_s;
        QTest::newRow("bad code") << crlf(u"コード,銘柄名\n1301,a\n28B5,b\n"_s) << u"3行目のコード「28B5」"_s;
        QTest::newRow("no name") << crlf(u"銘柄名,コード\n ,1301\n"_s) << u"2行目に銘柄名"_s;
        QTest::newRow("no issue") << crlf(u"コード,銘柄名\n,\n"_s) << u"1 件も"_s;
        QTest::newRow("empty") << QByteArray() << u"「コード」と「銘柄名」"_s;
    }
    void refusesWhatIsNoList()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, reason);
        const QString target = m_dir.filePath(u"kabu/tousyou1.csv"_s);
        QVERIFY(QDir().mkpath(m_dir.filePath(u"kabu"_s)));
        QVERIFY(writeFile(target, "7203,\"old\"\r\n"));
        const CodeListImport done = importCodeList(file(u"x.xls"_s, bytes), target);
        QVERIFY2(!done.ok && done.message.contains(reason) && done.message.contains(u"変更していません"_s),
                 qPrintable(done.message));
        QCOMPARE(readFile(target), QByteArray("7203,\"old\"\r\n"));
        QVERIFY(!QFile::exists(target + u".bak"_s));
    }

    // Nothing changes when the file is missing or far too large, or the old list cannot be read or replaced.
    void refusesWhatCannotBeDone()
    {
        const auto refused = [](const QString& from, const QString& to, const QString& reason) {
            const CodeListImport done = importCodeList(from, to);
            return !done.ok && done.message.contains(reason);
        };
        const QString target = m_dir.filePath(u"t/tousyou1.csv"_s);
        QVERIFY(refused(m_dir.filePath(u"missing.xls"_s), target, u"開けません"_s));
        QFile huge(m_dir.filePath(u"huge.csv"_s));
        QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(CodeList::MaxFileSize + 1));
        huge.close();
        QVERIFY(refused(huge.fileName(), target, u"大きすぎ"_s));
        QVERIFY(QDir().mkpath(target)); // a folder where the list should be
        QVERIFY(refused(Xls, target, u"今のコード一覧"_s));
        QVERIFY(refused(Xls, huge.fileName() + u"/tousyou1.csv"_s, u"書き込みに失敗"_s));
    }

    // A list of fewer than half as many issues as the current one replaces it only when forced;
    // refused, it says both counts and how to force it, and the current list stays as it was.
    void guardsAgainstAShrunkenList_data()
    {
        QTest::addColumn<int>("before");
        QTest::addColumn<int>("after");
        QTest::addColumn<bool>("force");
        QTest::addColumn<bool>("replaced");
        QTest::newRow("no list yet") << 0 << 1 << false << true;
        QTest::newRow("a longer list") << 2 << 3 << false << true;
        QTest::newRow("exactly half") << 4 << 2 << false << true;
        QTest::newRow("under half") << 5 << 2 << false << false;
        QTest::newRow("2 for 4451") << 4451 << 2 << false << false;
        QTest::newRow("2 for 4451, forced") << 4451 << 2 << true << true;
    }
    void guardsAgainstAShrunkenList()
    {
        QFETCH(int, before);
        QFETCH(int, after);
        QFETCH(bool, force);
        QFETCH(bool, replaced);
        QTemporaryDir dir;
        const QString target = dir.filePath(u"tousyou1.csv"_s);
        QByteArray old;
        for (int i = 0; i < before; ++i)
            old += QByteArray::number(1000 + i) + ",\"a\"\r\n";
        QVERIFY(before == 0 || writeFile(target, old));
        QString csv = u"コード,銘柄名\n"_s;
        for (int i = 0; i < after; ++i)
            csv += u"%1,b\n"_s.arg(9000 + i);
        const CodeListImport done = importCodeList(file(u"shrunk.csv"_s, csv.toUtf8()), target, force);
        QVERIFY2(done.ok == replaced, qPrintable(done.message));
        QVERIFY(QFile::exists(target + u".bak"_s) == (replaced && before > 0));
        if (replaced) {
            QCOMPARE(readFile(target).count('\n'), after);
            return;
        }
        QCOMPARE(readFile(target), old);
        QVERIFY2(done.message.contains(u"新しい一覧は %1 銘柄"_s.arg(after)) &&
                     done.message.contains(u"今のコード一覧（%1 銘柄）"_s.arg(before)) &&
                     done.message.contains(u"--force"_s) && done.message.contains(u"変更していません"_s),
                 qPrintable(done.message));
    }

    // The list is written in the code list's form, the old one kept, and the change counted.
    void writesTheListAndKeepsTheOld()
    {
        const QString target = m_dir.filePath(u"new/tousyou1.csv"_s);
        const CodeListImport first = importCodeList(Xls, target);
        QVERIFY2(first.ok && first.message.contains(u"3 銘柄"_s) &&
                     first.message.contains(u"追加 3、削除 0"_s) &&
                     first.message.contains(u"ありませんでした"_s),
                 qPrintable(first.message));
        const QByteArray written = readFile(target);
        QCOMPARE(
            written,
            cp932(
                u"1301,\"極洋\"\r\n285A,\"キオクシアホールディングス\"\r\n25935,\"伊藤園第１種優先株式\"\r\n"_s));
        QVERIFY(!QFile::exists(target + u".bak"_s));
        QVERIFY(writeFile(target, written + "7203,\"トヨタ\"\r\n"));
        const CodeListImport again =
            importCodeList(file(u"d.csv"_s, crlf(u"コード,銘柄名\n1301,極洋\n130A,新\n"_s)), target);
        QVERIFY2(again.ok && again.message.contains(u"2 銘柄"_s) &&
                     again.message.contains(u"追加 1、削除 3"_s) &&
                     again.message.contains(u"tousyou1.csv.bak"_s),
                 qPrintable(again.message));
        QCOMPARE(readFile(target + u".bak"_s), written + "7203,\"トヨタ\"\r\n");
        QCOMPARE(readFile(target), cp932(u"1301,\"極洋\"\r\n130A,\"新\"\r\n"_s));
    }
};

QTEST_GUILESS_MAIN(TestCodeListImport)
#include "tst_codelistimport.moc"
