// Chart routines, their triggers and the secondary chart windows.
#include "form1.h"

namespace tickora {

namespace {
void done(const Form1::Then& then)
{
    if (then)
        then();
}
} // namespace

void Form1::chart(Then then) { done(then); }
void Form1::lifechart(Then then) { done(then); }
void Form1::yahoochart(Then then) { done(then); }
void Form1::mchart(Then then) { done(then); }
void Form1::relchart(Then then) { done(then); }
void Form1::nynkchart(Then then) { done(then); }
void Form1::tourakuchart(Then then) { done(then); }
void Form1::nychart(Then then) { done(then); }
void Form1::dolen(Then then) { done(then); }
void Form1::Image1_Click(int) {}
void Form1::Label1_Click(int) {}
void Form1::menu5_Click() {}
void Form1::munu6_Click() {}
void Form1::nyd_Click() {}
void Form1::menu7_Click() {}
void Form1::en_Click() {}
void Form1::closeSecondaryWindows() {}

} // namespace tickora
