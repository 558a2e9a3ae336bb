#pragma once

#include "config.h"

#include <QStringList>

namespace tickora {

/// Creates the data folder when missing and installs the files that come with an installation
/// (the two chimes, the help document, the code list) from the program's built-in resources,
/// each only when it is missing; existing files are never overwritten. Returns the problems
/// met, one line each (empty when all went well).
QStringList installSuppliedFiles(const Config& config);

} // namespace tickora
