#include "helpviewer.h"

#include <QDesktopServices>
#include <QUrl>

namespace tickora {

bool DesktopHelpViewer::open(const QString& path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

} // namespace tickora
