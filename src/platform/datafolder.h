#pragma once

#include "config.h"

#include <QFileDevice>
#include <QStringList>

namespace tickora {

/// The names of the files and folders the program keeps in its data folder, relative to it.
namespace DataFolder {
/// The saved watch list: the filled rows of the quote grid.
inline QString watchList()
{
    return QStringLiteral("dat.txt");
}
/// The list of codes and names the entry box completes from.
inline QString codeList()
{
    return QStringLiteral("tousyou1.csv");
}
/// Codes and names the user added beside the code list.
inline QString addedCodes()
{
    return QStringLiteral("codes-added.csv");
}
/// The chime of a sell target reached.
inline QString sellChime()
{
    return QStringLiteral("chimes.wav");
}
/// The chime of a buy target reached.
inline QString buyChime()
{
    return QStringLiteral("chimesRow.wav");
}
/// The help document.
inline QString helpDocument()
{
    return QStringLiteral("Auot.html");
}
/// The folder of the screen captures.
inline QString captures()
{
    return QStringLiteral("pic");
}
/// The folder of the year series kept for drawn charts, one file per symbol and day.
inline QString seriesCache()
{
    return QStringLiteral("series");
}

// The chart pictures, each downloaded to its own file.
inline QString yearChartPicture()
{
    return QStringLiteral("chart.jpg");
}
/// Shared by the 6-month chart of a stock and the New York Dow.
inline QString sixMonthChartPicture()
{
    return QStringLiteral("ny.gif");
}
inline QString dowChartPicture()
{
    return sixMonthChartPicture();
}
inline QString thumbnailPicture()
{
    return QStringLiteral("yahoo.jpg");
}
inline QString nikkeiSixMonthPicture()
{
    return QStringLiteral("Mchart.jpg");
}
inline QString nikkeiIndexPicture()
{
    return QStringLiteral("rel.jpg");
}
inline QString nyNikkeiPicture()
{
    return QStringLiteral("nkh.gif");
}
inline QString advanceDeclinePicture()
{
    return QStringLiteral("trk.gif");
}
inline QString dollarYenPicture()
{
    return QStringLiteral("japan.gif");
}
} // namespace DataFolder

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
