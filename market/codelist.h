#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace tickora::market {

/// One listed company: securities code and short company name.
struct Listing
{
    QString code;
    QString name;
};

/// Reads a code list in either of its two shapes: CP932 with CR LF and lines like `1301,"極洋"`,
/// or UTF-8 with a header line `code,name` and lines like `1301,極洋`. The encoding is recognised by
/// content (text that is valid UTF-8 is read as UTF-8). Lines whose first field is empty or that
/// hold no name (a header line included) are skipped; the quotes around a name are dropped. When
/// a code appears twice the later line wins, as in the program's own lookup.
QList<Listing> readCodeList(const QByteArray& data);

/// The code list built into the program.
QByteArray builtInCodeList();

} // namespace tickora::market
