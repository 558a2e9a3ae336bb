// Watch-list file, display settings, screen capture and printing.
#include "form1.h"

namespace tickora {

void Form1::menu2_Click() {}
void Form1::menu11_Click() {}
void Form1::menu1_Click() {}
void Form1::HDCOPY_Click() {}

} // namespace tickora
