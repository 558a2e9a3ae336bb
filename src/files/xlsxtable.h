#pragma once

// The first worksheet of an Office Open XML workbook (.xlsx), as the exchange publishes its list
// of listed issues (data_j.xlsx), read as a table of texts.

#include "xlsxparts.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace tickora {

/// The rows of a worksheet, or why there are none (Japanese).
struct SheetTable
{
    QList<QStringList> rows; ///< row 1 first; a row missing from the sheet is an empty row
    QString error;
};

/// Reads the first worksheet of the workbook in `bytes`: the workbook part named by the package's
/// relationships (xl/workbook.xml), its first sheet through the workbook's relationships, text
/// from the shared strings (without phonetic readings) or inline, numbers and other values as the
/// sheet writes them ("1301", not "1301.0"). Cells are placed by their references. Refuses, with
/// its reason, an archive of too many parts, a part that inflates past the cap (a zip bomb), a
/// sheet of too many rows, a document type declaration, and any part it cannot read.
SheetTable xlsxTable(const QByteArray& bytes, const XlsxLimits& limits = {});

} // namespace tickora
