#pragma once

// Reading the exchange's list of listed issues, as it publishes it every month (data_j.xlsx now,
// data_j.xls before) or as a CSV saved from it, and bringing the code list up to date from it.

#include "codelist.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace tickora {

/// The issues of the exchange's list, or why the table is no such list (Japanese).
struct ExchangeList
{
    QList<CodeListEntry> entries;
    QString error;
};

/// Takes the issues out of a table whose first row names the columns, among them "コード" and
/// "銘柄名". Every later row that is not blank must hold a securities code and a name there;
/// a table with no issue, without those columns or with a row that breaks the rule is refused.
ExchangeList exchangeListFromTable(const QList<QStringList>& rows);

/// The rows of a CSV file: UTF-8 with or without a signature, else CP932; CR LF or LF; fields
/// in double quotes may hold commas and line ends, and "" inside them is one double quote.
QList<QStringList> csvTable(const QByteArray& bytes);

/// The rows of the first worksheet of an Excel file of the 97–2003 form (.xls), read through
/// FreeXL in a child process: text as it stands, whole numbers without a point. No value when the
/// file is no such workbook or cannot be read, also when reading it brings the child down.
std::optional<QList<QStringList>> excelTable(const QString& path);

/// Reads the exchange's list from the file at `path`, told by content: an Excel workbook of the
/// 97–2003 form (.xls), an Office Open XML workbook (.xlsx, a zip archive; see xlsxTable) or a
/// CSV file.
ExchangeList readExchangeList(const QString& path);

/// What importing a list did, for the user (Japanese, one line each, ending in a new line).
struct CodeListImport
{
    bool ok = false;
    QString message;
};

/// Writes the code list `target` from the exchange's list at `source`: the previous file is
/// kept as `target` + ".bak" and the new one takes its place atomically. Says how many issues it
/// wrote and how many codes came and went against the previous list. A source that is no such
/// list changes nothing, and neither does one with fewer than half as many issues as the previous
/// list (a part of the list, or another file) unless `force` is given.
CodeListImport importCodeList(const QString& source, const QString& target, bool force = false);

} // namespace tickora
