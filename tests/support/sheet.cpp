#include "sheet.h"

using namespace Qt::StringLiterals;

namespace tickora::test {

void fillRow(QuoteSheet& sheet, int row, const QString& code, const QString& name)
{
    sheet.setCellText(row, grid::Code, code);
    sheet.setCellText(row, grid::Name, name);
    sheet.setCellText(row, grid::Price, u"1,%1"_s.arg(row));
    sheet.setCellText(row, grid::SellTarget, QString::number(row * 100));
}

QStringList rowTexts(const QuoteSheet& sheet, int row)
{
    QStringList texts;
    for (int c = grid::Code; c <= grid::Time; ++c)
        texts.append(sheet.cellText(row, c));
    return texts;
}

} // namespace tickora::test
