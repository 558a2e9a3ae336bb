#pragma once

#include "clock.h"
#include "config.h"
#include "dialogs.h"
#include "downloader.h"
#include "helpviewer.h"
#include "httpclient.h"
#include "notifier.h"
#include "pictures.h"
#include "printer.h"
#include "screen.h"
#include "singleinstance.h"
#include "sound.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace tickora {

/// True when this Qt can convert Shift_JIS (CP932), the code page of the data folder's text files.
inline bool hasShiftJisConverter()
{
    return QStringEncoder("Shift_JIS").isValid() && QStringDecoder("Shift_JIS").isValid();
}

/// Every platform service the main window uses, handed to it through its constructor.
/// The services outlive the window; the struct does not own them.
struct Services
{
    Config config;
    HttpClient* http = nullptr;
    Downloader* downloader = nullptr;
    SoundPlayer* sound = nullptr;
    Notifier* notifier = nullptr; ///< null: no desktop notifications
    Pictures* pictures = nullptr;
    Screen* screen = nullptr;
    Printer* printer = nullptr;
    HelpViewer* help = nullptr;
    Dialogs* dialogs = nullptr;
    Clock* clock = nullptr;
    SingleInstance* instance = nullptr;
    /// Whether the Shift_JIS (CP932) converter exists, checked when the services are gathered.
    bool shiftJisConverter = hasShiftJisConverter();
};

} // namespace tickora
