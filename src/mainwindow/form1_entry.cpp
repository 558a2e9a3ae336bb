// Code entry through the entry box, code-list lookup and the grid's own events.
#include "form1.h"

namespace tickora {

void Form1::Text1_Change() {}
void Form1::Text1_GotFocus() {}
bool Form1::Text1_KeyPress(int) { return false; }
bool Form1::NumericOnly(EntryBox*) { return false; }
void Form1::LookupCode() {}
void Form1::MSFlexGrid1_Click() {}
void Form1::MSFlexGrid1_GotFocus() {}
bool Form1::MSFlexGrid1_KeyPress(int) { return false; }

} // namespace tickora
