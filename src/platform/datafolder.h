#pragma once

#include "config.h"

#include <QFileDevice>
#include <QStringList>

namespace tickora {

/// Creates the data folder when missing and installs the files that come with an installation
/// (the two chimes, the help document, the code list), each only when it is missing; existing
/// files are never overwritten. A file is taken from `installedDir` (the installation's
/// share/tickora) when it lies there, otherwise from the program's built-in resources. Returns
/// the problems met, one line each (empty when all went well).
QStringList installSuppliedFiles(const Config& config, const QString& installedDir = {});

/// Removes what a save cut short leaves beside `fileName` in the data folder: files named
/// `fileName` + "." + six letters or digits (the temporary file a save writes before it renames
/// it over the old file). Nothing else is touched. Returns the names removed.
QStringList removeSaveLeftovers(const Config& config, const QString& fileName);

/// Makes `path` a folder only its owner may read, write and enter: created so (its parents
/// as ordinary folders) when missing, and narrowed to that when it exists. False when it is
/// no folder afterwards.
bool makePrivateFolder(const QString& path);

/// Permissions of a file only its owner may read and write.
constexpr QFileDevice::Permissions OwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

} // namespace tickora
