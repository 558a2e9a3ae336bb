// tickora: watches up to twelve Japanese stocks through the trading day.
#include "mainwindow/form1.h"
#include "platform/datafolder.h"
#include "platform/qthttpclient.h"
#include "platform/services.h"
#include "uimap.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTimer>
#include <QTranslator>

#include <cstdio>

using namespace tickora;

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tickora"));
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));

    // Standard dialog buttons read in Japanese (はい, いいえ, OK).
    QTranslator qtTranslator;
    if (qtTranslator.load(QLocale(QLocale::Japanese), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslator);

    QtDialogs dialogs;
    LockFileInstance instance(LockFileInstance::defaultLockPath(Config::fromEnvironment().dataDir));
    if (!Form1::claimSingleInstance(instance, dialogs))
        return 0;

    const Config config = Config::fromEnvironment();
    for (const QString& problem : installSuppliedFiles(config))
        std::fprintf(stderr, "tickora: %s\n", qPrintable(problem));

    QtHttpClient http;
    HttpDownloader downloader(http);
    ProcessSoundPlayer sound;
    QtPictures pictures;
    QtScreen screen;
    QtPrinter printer(qEnvironmentVariable("TICKORA_PRINT_TO_PDF"));
    DesktopHelpViewer help;
    SystemClock clock;

    Services services;
    services.config = config;
    services.http = &http;
    services.downloader = &downloader;
    services.sound = &sound;
    services.pictures = &pictures;
    services.screen = &screen;
    services.printer = &printer;
    services.help = &help;
    services.dialogs = &dialogs;
    services.clock = &clock;
    services.instance = &instance;

    Form1 window(services);
    window.showAtStart();

    // For scripts that drive the program like a user: where everything stands, renewed every
    // second since the thumbnails move when a refresh lays them out.
    const QString uiMap = qEnvironmentVariable("TICKORA_UI_MAP");
    QTimer uiMapTimer;
    if (!uiMap.isEmpty()) {
        QObject::connect(&uiMapTimer, &QTimer::timeout, &window, [&window, uiMap] { writeUiMap(window, uiMap); });
        uiMapTimer.start(1000);
        QTimer::singleShot(300, &window, [&window, uiMap] { writeUiMap(window, uiMap); });
    }
    return app.exec();
}
