// Refresh cycle: start, stop, tick, packing and thumbnail layout.
#include "form1.h"

#include "quotegrid.h"

namespace tickora {

void Form1::Timer1_Timer() {}
void Form1::menu3_Click() {}
void Form1::menu4_Click() { stopCycle(); }
void Form1::PackRows()
{
    // Twelve sweeps move every filled row over all the empty rows above it.
    for (int sweep = 0; sweep < 12; ++sweep) {
        for (int r = grid::FirstRow; r < grid::LastRow; ++r) {
            if (!MSFlexGrid1->cellText(r, grid::Code).isEmpty() || MSFlexGrid1->cellText(r + 1, grid::Code).isEmpty())
                continue;
            for (int c = grid::Code; c <= grid::Time; ++c) {
                MSFlexGrid1->setCellText(r, c, MSFlexGrid1->cellText(r + 1, c));
                MSFlexGrid1->setCellText(r + 1, c, QString());
            }
        }
    }
}
void Form1::LayoutThumbs() {}
void Form1::LayoutThumbLabels() {}
void Form1::RefreshThumbs(Then then)
{
    if (then)
        then();
}

} // namespace tickora
