#pragma once

#include "platform/pictures.h"
#include "platform/printer.h"

#include <QDate>
#include <QImage>
#include <QString>

namespace tickora {

/// The capture file of a day: "p" + "yy-MM-dd " + ".bmp", a blank before the extension
/// (p13-03-05 .bmp on 5 March 2013).
QString captureFileName(QDate day);

/// Saves `shot` as the capture of `day` in `picDir`, creating the folder when missing and
/// replacing an earlier capture of the same day. Returns an empty text on success, else a
/// Japanese message saying the picture was not saved and why. `savedPath` receives the path.
QString saveCapture(Pictures& pictures, const QImage& shot, const QString& picDir, QDate day,
                    QString* savedPath = nullptr);

/// The Japanese message for a print that did not happen (no default printer, a printing error).
QString printFailureMessage(const Printer::Result& result, const QString& savedPath);

} // namespace tickora
