#pragma once

#include "config.h"

#include <QStringList>

namespace tickora {

/// Creates the data folder when missing and installs the files that come with an installation
/// (the two chimes, the help document, the code list), each only when it is missing; existing
/// files are never overwritten. A file is taken from `installedDir` (the installation's
/// share/tickora) when it lies there, otherwise from the program's built-in resources. Returns
/// the problems met, one line each (empty when all went well).
QStringList installSuppliedFiles(const Config& config, const QString& installedDir = {});

} // namespace tickora
