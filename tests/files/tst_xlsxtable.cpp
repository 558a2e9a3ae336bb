// The first sheet of an .xlsx workbook read as a table, and the bounds on hostile archives.
#include "files/xlsxparts.h"
#include "files/xlsxtable.h"

#include <QBuffer>
#include <QTest>

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipnewinfo.h>

using namespace tickora;
using namespace Qt::StringLiterals;

namespace {

using Parts = QList<std::pair<QString, QByteArray>>;

/// A zip archive of `parts`, deflated, in order.
QByteArray zipOf(const Parts& parts)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    QuaZip zip(&buffer);
    if (!zip.open(QuaZip::mdCreate))
        return {};
    for (const auto& [name, data] : parts) {
        QuaZipFile file(&zip);
        if (!file.open(QIODevice::WriteOnly, QuaZipNewInfo(name)) || file.write(data) != data.size())
            return {};
        file.close();
    }
    zip.close();
    return bytes;
}

/// `zip` with its closing record saying the archive holds no entries (a zip of no comment).
QByteArray withoutEntries(QByteArray zip)
{
    const qsizetype end = zip.size() - 22;
    for (qsizetype at : {end + 8, end + 10, end + 12, end + 13, end + 14, end + 15})
        zip[at] = 0;
    return zip;
}

const QByteArray Main = "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
                        "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"";
const QByteArray RelType = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";

QByteArray rels(const QList<std::tuple<QByteArray, QByteArray, QByteArray>>& list)
{
    QByteArray xml = "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
    for (const auto& [id, type, target] : list)
        xml += "<Relationship Id=\"" + id + "\" Type=\"" + RelType + type + "\" Target=\"" + target + "\"/>";
    return xml + "</Relationships>";
}

/// A workbook laid out as Excel writes one: its sheet's rows `sheetData` and the shared strings `si`.
Parts workbook(const QByteArray& sheetData, const QByteArray& si = {})
{
    return {
        {u"_rels/.rels"_s, rels({{"rId1", "officeDocument", "xl/workbook.xml"}})},
        {u"xl/workbook.xml"_s,
         "<workbook " + Main +
             "><sheets><sheet name=\"Sheet1\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>"},
        {u"xl/_rels/workbook.xml.rels"_s, rels({{"rId1", "worksheet", "worksheets/sheet1.xml"},
                                                {"rId2", "sharedStrings", "sharedStrings.xml"}})},
        {u"xl/sharedStrings.xml"_s, "<sst " + Main + ">" + si + "</sst>"},
        {u"xl/worksheets/sheet1.xml"_s,
         "<worksheet " + Main + "><sheetData>" + sheetData + "</sheetData></worksheet>"},
    };
}

/// `parts` with part `i` replaced.
Parts replaced(Parts parts, int i, const std::pair<QString, QByteArray>& part)
{
    parts[i] = part;
    return parts;
}

/// The table as text: rows joined by "/", cells by "|".
QString shown(const QList<QStringList>& rows)
{
    QStringList lines;
    for (const QStringList& row : rows)
        lines.append(row.join(u'|'));
    return lines.join(u'/');
}

const QByteArray Header =
    "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"B1\" t=\"s\"><v>1</v></c></row>";
const QByteArray HeaderStrings = "<si><t>コード</t></si><si><t>銘柄名</t></si>";

} // namespace

class TestXlsxTable : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // The first sheet read as a table; hostile and broken workbooks refused with their reason and no rows.
    void readsTheFirstSheet_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("reason"); ///< why the workbook is refused; empty: it is read
        QTest::newRow("shared, inline, numbers as written")
            << zipOf(workbook(
                   Header +
                       "<row r=\"2\"><c r=\"A2\"><v>1301</v></c><c r=\"B2\" t=\"inlineStr\"><is><t>極洋</t>"
                       "</is></c></row><row r=\"3\"><c r=\"A3\" t=\"s\"><v>2</v></c><c r=\"B3\" "
                       "t=\"str\"><v>1.5E3</v></c></row>",
                   HeaderStrings + "<si><t>130A</t></si>"))
            << u"コード|銘柄名/1301|極洋/130A|1.5E3"_s << QString();
        QTest::newRow("runs joined, readings left out")
            << zipOf(workbook(
                   Header + "<row r=\"2\"><c r=\"B2\" t=\"s\"><v>2</v></c></row>",
                   HeaderStrings +
                       "<si><r><t>極</t></r><r><rPr><b/></rPr><t xml:space=\"preserve\">洋 </t></r>"
                       "<rPh sb=\"0\" eb=\"2\"><t>キョクヨウ</t></rPh><phoneticPr fontId=\"1\"/></si>"))
            << u"コード|銘柄名/|極洋 "_s << QString();
        QTest::newRow("formulas and extensions around the values")
            << zipOf(workbook("<row><c><f>1+2</f><v>3</v></c><c t=\"inlineStr\"><is><t>極洋</t></is>"
                              "<extLst><ext uri=\"x\"/></extLst></c></row>"))
            << u"3|極洋"_s << QString();
        QTest::newRow("cells and rows placed by reference")
            << zipOf(workbook(
                   "<row r=\"1\"><c r=\"C1\"><v>3</v></c></row><row r=\"3\"><c><v>1</v></c><c><v>2</v>"
                   "</c><c r=\"E3\"><v>5</v></c></row><row><c r=\"A4\"><v>4</v></c></row>"))
            << u"||3//1|2|||5/4"_s << QString();
        QTest::newRow("a reference with a zero")
            << zipOf(workbook("<row r=\"10\"><c r=\"A10\"><v>10</v></c></row>")) << u"/////////10"_s
            << QString();
        QTest::newRow("columns past the cap left out")
            << zipOf(workbook(
                   "<row r=\"1\"><c r=\"A1\"><v>1</v></c><c r=\"AG1\"><v>33</v></c><c r=\"XFD1\"><v>x</v>"
                   "</c></row>"))
            << u"1"_s << QString();
        Parts elsewhere{
            {u"_rels/.rels"_s, rels({{"rId7", "officeDocument", "/book/wb.xml"}})},
            {u"book/wb.xml"_s,
             "<workbook " + Main +
                 "><sheets><sheet name=\"A\" sheetId=\"2\" r:id=\"rB\"/><sheet name=\"B\" sheetId=\"1\" "
                 "r:id=\"rA\"/></sheets></workbook>"},
            {u"book/_rels/wb.xml.rels"_s,
             rels({{"rA", "worksheet", "s/other.xml"}, {"rB", "worksheet", "../sheets/first.xml"}})},
            {u"s/other.xml"_s,
             "<worksheet><sheetData><row><c><v>other</v></c></row></sheetData></worksheet>"},
            {u"SHEETS/First.xml"_s, "<worksheet><sheetData><row><c t=\"inlineStr\"><is><t>first</t></is></c>"
                                    "</row></sheetData></worksheet>"},
        };
        QTest::newRow("workbook and sheet where the relationships say")
            << zipOf(elsewhere) << u"first"_s << QString();
        Parts many = workbook(Header, HeaderStrings);
        for (int i = 0; i < 100; ++i)
            many.append({u"pad/%1"_s.arg(i), "x"});
        QTest::newRow("too many entries") << zipOf(many) << QString() << u"部品が多すぎます（100 個まで）"_s;
        QTest::newRow("no workbook") << zipOf({{u"hello.txt"_s, "hi"}}) << QString()
                                     << u"部品「xl/workbook.xml」がありません"_s;
        QTest::newRow("a directory of no entries") << withoutEntries(zipOf({{u"a"_s, "x"}})) << QString()
                                                   << u"部品「xl/workbook.xml」がありません"_s;
        QTest::newRow("zip magic, then garbage")
            << QByteArray("PK\x03\x04garbage", 11) << QString() << u"として読めません"_s;
        QTest::newRow("no sheet") << zipOf(replaced(workbook(Header), 1,
                                                    {u"xl/workbook.xml"_s,
                                                     "<workbook " + Main + "><sheets/></workbook>"}))
                                  << QString() << u"シートがありません"_s;
        QTest::newRow("sheet part missing")
            << zipOf(workbook(Header).mid(0, 4)) << QString() << u"「xl/worksheets/sheet1.xml」"_s;
        QTest::newRow("relationship leaves the archive")
            << zipOf(replaced(
                   workbook(Header), 2,
                   {u"xl/_rels/workbook.xml.rels"_s, rels({{"rId1", "worksheet", "../../../etc/passwd"}})}))
            << QString() << u"「xl/_rels/workbook.xml.rels」が壊れています"_s;
        QTest::newRow("entity declarations")
            << zipOf(replaced(
                   workbook({}), 4,
                   {u"xl/worksheets/sheet1.xml"_s,
                    "<?xml version=\"1.0\"?><!DOCTYPE w [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b "
                    "\"&a;&a;&a;\">]>"
                    "<worksheet><sheetData><row><c t=\"inlineStr\"><is><t>&b;</t></is></c></row></sheetData>"
                    "</worksheet>"}))
            << QString() << u"「xl/worksheets/sheet1.xml」が壊れています"_s;
        QTest::newRow("shared string out of range")
            << zipOf(workbook("<row><c t=\"s\"><v>2</v></c></row>", HeaderStrings)) << QString()
            << u"が壊れています"_s;
        QTest::newRow("rows out of order")
            << zipOf(workbook("<row r=\"2\"><c><v>1</v></c></row><row r=\"1\"><c><v>1</v></c></row>"))
            << QString() << u"が壊れています"_s;
        QTest::newRow("cell of another row") << zipOf(workbook("<row r=\"2\"><c r=\"A3\"><v>1</v></c></row>"))
                                             << QString() << u"が壊れています"_s;
        QTest::newRow("unclosed XML")
            << zipOf(workbook("<row><c><v>1</v></c>")) << QString() << u"が壊れています"_s;
        QTest::newRow("row a million down")
            << zipOf(workbook(Header + "<row r=\"1000000\"><c><v>1</v></c></row>", HeaderStrings))
            << QString() << u"シートの行が多すぎます（100000 行まで）"_s;
        QByteArray millionRows;
        for (int r = 1; r <= 100001; ++r)
            millionRows += "<row/>";
        QTest::newRow("one row past the cap")
            << zipOf(workbook(millionRows)) << QString() << u"シートの行が多すぎます"_s;
    }
    void readsTheFirstSheet()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, table);
        QFETCH(QString, reason);
        QVERIFY(!bytes.isEmpty());
        const SheetTable got = xlsxTable(bytes);
        QVERIFY2(reason.isEmpty() ? got.error.isEmpty() : got.error.contains(reason), qPrintable(got.error));
        QCOMPARE(shown(got.rows), table);
        QVERIFY(reason.isEmpty() || got.rows.isEmpty());
    }

    // A part that inflates past the cap is refused; one that just fits is read.
    void partCap()
    {
        const QByteArray sheet = "<worksheet><sheetData><row><c><v>1</v></c></row></sheetData>" +
                                 QByteArray(4000, ' ') + "</worksheet>";
        const QByteArray bytes =
            zipOf(workbook({}).mid(0, 4) << std::pair(u"xl/worksheets/sheet1.xml"_s, sheet));
        XlsxLimits limits;
        limits.maxPartBytes = sheet.size();
        QCOMPARE(shown(xlsxTable(bytes, limits).rows), u"1"_s);
        limits.maxPartBytes = sheet.size() - 1;
        QVERIFY(xlsxTable(bytes, limits)
                    .error.contains(u"「xl/worksheets/sheet1.xml」は展開すると大きすぎます"_s));
    }

    // An archive refused as a whole gives no part, not even one it holds; a part needs a name.
    void partsOfARefusedArchive()
    {
        const QByteArray bytes = zipOf({{u"a.xml"_s, "<a/>"}, {u"b.xml"_s, "<b/>"}});
        QByteArray out = "left over";
        XlsxLimits limits;
        XlsxParts whole(bytes, limits);
        QCOMPARE(whole.read(u"A.XML"_s, &out), XlsxParts::Status::Ok);
        QCOMPARE(out, QByteArray("<a/>"));
        QCOMPARE(whole.read(QString(), &out), XlsxParts::Status::Missing);
        QVERIFY(out.isEmpty());
        limits.maxEntries = 1;
        XlsxParts refused(bytes, limits);
        QVERIFY(!refused.error().isEmpty());
        QCOMPARE(refused.read(u"a.xml"_s, &out), XlsxParts::Status::Missing);
    }
};

QTEST_GUILESS_MAIN(TestXlsxTable)
#include "tst_xlsxtable.moc"
