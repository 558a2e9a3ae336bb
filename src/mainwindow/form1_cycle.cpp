// Refresh cycle: start, stop, tick, packing and thumbnail layout.
#include "form1.h"

namespace tickora {

void Form1::Timer1_Timer() {}
void Form1::menu3_Click() {}
void Form1::menu4_Click() { stopCycle(); }
void Form1::PackRows() {}
void Form1::LayoutThumbs() {}
void Form1::LayoutThumbLabels() {}
void Form1::RefreshThumbs(Then then)
{
    if (then)
        then();
}

} // namespace tickora
