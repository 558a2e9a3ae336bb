// Fuzzes the reading of the exchange's list, from an Excel workbook (.xls through FreeXL, .xlsx
// through QuaZip) or a CSV file, told by content: a list it takes holds codes in canonical form and
// names, and what the import writes of it reads back through the program's own code-list reader
// with the same codes. The .xlsx reader also gets every input directly (a zip archive or not): it
// answers with rows or with a reason, never both, within its row and column caps.

#include "exchange/securitycode.h"
#include "files/codelistimport.h"
#include "files/xlsxtable.h"
#include "fuzzcheck.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipnewinfo.h>

#include <sanitizer/common_interface_defs.h>

#include <csignal>
#include <pthread.h>

using namespace Qt::StringLiterals;
using namespace tickora;
using tickora::fuzz::check;

namespace {

// A workbook is read in a child process, since FreeXL reads past its buffers on some damaged
// files: a fault there ends the child, which the reader takes for an unreadable file. It is no
// finding of this target, so the child leaves the fuzzer's crash reports alone.
void quietChild()
{
    __sanitizer_set_death_callback(nullptr);
    for (const int sig : {SIGSEGV, SIGBUS, SIGABRT, SIGILL, SIGFPE})
        std::signal(sig, SIG_DFL);
}
const int QuietChildren = pthread_atfork(nullptr, nullptr, quietChild);

/// A workbook whose sheet and shared strings are both `xml`, stored without compression, so the
/// fuzzer's changes reach the XML readers rather than the inflater.
QByteArray workbookAround(const QByteArray& xml)
{
    static const QByteArray rels =
        "<Relationships><Relationship Id=\"rId1\" Type=\"x/worksheet\" Target=\"worksheets/sheet1.xml\"/>"
        "<Relationship Id=\"rId2\" Type=\"x/sharedStrings\" Target=\"sharedStrings.xml\"/></Relationships>";
    static const QByteArray book =
        "<workbook xmlns:r=\"r\"><sheets><sheet r:id=\"rId1\"/></sheets></workbook>";
    QByteArray bytes;
    QBuffer buffer(&bytes);
    QuaZip zip(&buffer);
    if (!zip.open(QuaZip::mdCreate))
        return {};
    for (const auto& [name, part] :
         {std::pair(u"xl/workbook.xml"_s, book), std::pair(u"xl/_rels/workbook.xml.rels"_s, rels),
          std::pair(u"xl/sharedStrings.xml"_s, xml), std::pair(u"xl/worksheets/sheet1.xml"_s, xml)}) {
        QuaZipFile file(&zip);
        if (!file.open(QIODevice::WriteOnly, QuaZipNewInfo(name), nullptr, 0, 0) ||
            file.write(part) != part.size())
            return {};
        file.close();
    }
    zip.close();
    return bytes;
}

/// What the workbook reader gives is rows or a reason, within its caps.
void checkSheet(const QByteArray& bytes)
{
    const XlsxLimits limits;
    const SheetTable sheet = xlsxTable(bytes, limits);
    check(sheet.error.isEmpty() || sheet.rows.isEmpty(), "rows or a reason, not both", sheet.error);
    check(sheet.rows.size() <= limits.maxRows, "rows within the cap");
    for (const QStringList& row : sheet.rows)
        check(row.size() <= limits.maxColumns, "columns within the cap");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    checkSheet(bytes);
    if (!bytes.startsWith("PK"))
        checkSheet(workbookAround(bytes));

    // The workbook reader reads files only, so every input goes through one.
    static QTemporaryDir dir;
    const QString path = dir.filePath(u"input"_s);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(reinterpret_cast<const char*>(data), qint64(size)) != qint64(size))
        return 0;
    file.close();

    const ExchangeList list = readExchangeList(path);
    check(list.error.isEmpty() != list.entries.isEmpty(), "either issues or a reason");
    QByteArray written;
    QStringList codes;
    for (const CodeListEntry& entry : list.entries) {
        check(canonicalCode(entry.code) == entry.code, "codes in canonical form", entry.code);
        check(!entry.name.isEmpty() && entry.name == entry.name.trimmed(), "a name, trimmed", entry.name);
        written += codeListLine(entry);
        codes.append(entry.code);
    }
    QStringList readBack;
    for (const CodeListEntry& entry : parseCodeList(written))
        readBack.append(entry.code);
    check(readBack == codes, "the written list reads back with the same codes", codes.join(u' '));
    return 0;
}
