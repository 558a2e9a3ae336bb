// Quote refresh pass and the Nikkei average line.
#include "form1.h"

namespace tickora {

void Form1::refreshQuotes(Then then)
{
    if (then)
        then();
}

void Form1::heikin(Then then)
{
    if (then)
        then();
}

} // namespace tickora
