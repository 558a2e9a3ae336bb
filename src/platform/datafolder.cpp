#include "datafolder.h"

namespace tickora {

QStringList installSuppliedFiles(const Config&)
{
    return {};
}

} // namespace tickora
