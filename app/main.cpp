// tickora: watches up to twelve Japanese stocks through the trading day.
#include "checkquotes.h"
#include "commandline.h"
#include "files/codelistimport.h"
#include "mainwindow/mainwindow.h"
#include "platform/datafolder.h"
#include "platform/qthttpclient.h"
#include "platform/services.h"
#include "version.h"

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <cstdio>
#include <optional>

using namespace Qt::StringLiterals;

using namespace tickora;

namespace {

constexpr int IconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

QIcon programIcon()
{
    QIcon icon;
    for (int size : IconSizes)
        icon.addFile(u":/icons/tickora-%1.png"_s.arg(size), QSize(size, size));
    return icon;
}

// Files installed with the program (the help document among them) lie in share/tickora beside
// the bin folder of the installation, wherever its prefix is.
QString installedFilesDir()
{
    return QDir::cleanPath(QCoreApplication::applicationDirPath() + u"/../share/tickora"_s);
}

/// The program's arguments as text.
QStringList argumentList(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

/// Answers --help, --version and a wrong command line on the standard streams and returns the
/// exit code; returns nothing when the program is to run.
std::optional<int> answerWithoutWindow(const CommandLine& cli)
{
    switch (cli.action) {
    case CommandLine::Action::ShowHelp:
    case CommandLine::Action::ShowVersion:
        std::fputs(cli.text.toUtf8().constData(), stdout);
        return 0;
    case CommandLine::Action::Fail:
        std::fputs(cli.text.toUtf8().constData(), stderr);
        return CommandLine::ExitUsage;
    case CommandLine::Action::Run:
    case CommandLine::Action::ImportCodeList:
    case CommandLine::Action::CheckQuotes:
        break;
    }
    return std::nullopt;
}

void describeApplication()
{
    // The name is also the X window class, which the desktop entry's StartupWMClass names.
    QApplication::setApplicationName(u"Tickora"_s);
    QApplication::setApplicationVersion(QString::fromUtf8(TICKORA_VERSION));
    QGuiApplication::setDesktopFileName(u"tickora"_s);
    QApplication::setWindowIcon(programIcon());
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
}

/// Standard dialog buttons read in Japanese (はい, いいえ, OK).
void installQtTranslation(QTranslator& translator)
{
    if (translator.load(QLocale(QLocale::Japanese), u"qtbase"_s, u"_"_s,
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&translator);
}

/// Every request names the program and its version, or what TICKORA_USER_AGENT says.
QtHttpClient::Limits httpLimits(const Config& config)
{
    QtHttpClient::Limits limits;
    limits.userAgent =
        config.userAgent.isEmpty() ? QByteArray("Tickora/") + TICKORA_VERSION : config.userAgent;
    return limits;
}

/// The real clients behind the window's services.
struct Platform
{
    explicit Platform(const Config& config) : http(httpLimits(config)) {}

    QtHttpClient http;
    HttpDownloader downloader{http};
    ProcessSoundPlayer sound;
    DBusNotifier notifier;
    QtPictures pictures;
    QtScreen screen;
    QtPrinter printer{qEnvironmentVariable("TICKORA_PRINT_TO_PDF")};
    HelpWindowViewer help;
    SystemClock clock;

    Services services(const Config& config, Dialogs& dialogs, SingleInstance& instance)
    {
        Services s;
        s.config = config;
        s.http = &http;
        s.downloader = &downloader;
        s.sound = &sound;
        s.notifier = &notifier;
        s.pictures = &pictures;
        s.screen = &screen;
        s.printer = &printer;
        s.help = &help;
        s.dialogs = &dialogs;
        s.clock = &clock;
        s.instance = &instance;
        return s;
    }
};

/// tickora --check-quotes CODE...: the pages read once, without a window, the findings printed.
int checkQuotes(int argc, char* argv[], const CommandLine& cli)
{
    QCoreApplication app(argc, argv);
    const Config config = Config::fromEnvironment(cli.environment(QProcessEnvironment::systemEnvironment()));
    for (const QString& notice : config.notices)
        std::fprintf(stderr, "tickora: %s\n", qPrintable(notice));
    QtHttpClient http(httpLimits(config));
    return runQuoteCheck(http, config, cli.codes, [](const QString& text) {
        std::fputs(text.toUtf8().constData(), stdout);
        std::fflush(stdout);
    });
}

} // namespace

int main(int argc, char* argv[])
{
    // The command line is read before the application object exists: --help, --version and a
    // wrong option are answered without a display, a window or the single-instance lock. Qt's
    // own options (-platform, -style, ...) are left for the application object.
    const QString version = QString::fromUtf8(TICKORA_VERSION);
    const CommandLine early = parseCommandLine(withoutQtOptions(argumentList(argc, argv)), version);
    if (const std::optional<int> exitCode = answerWithoutWindow(early))
        return *exitCode;
    // A setting the program cannot run with is refused before anything else, display included.
    if (const QString error =
            Config::fromEnvironment(early.environment(QProcessEnvironment::systemEnvironment())).error;
        !error.isEmpty()) {
        std::fprintf(stderr, "tickora: %s\n", qPrintable(error));
        return CommandLine::ExitUsage;
    }
    if (early.action == CommandLine::Action::ImportCodeList) {
        const Config config =
            Config::fromEnvironment(early.environment(QProcessEnvironment::systemEnvironment()));
        const CodeListImport done =
            importCodeList(early.importFile, config.dataFile(DataFolder::codeList()), early.force);
        std::fputs(done.message.toUtf8().constData(), done.ok ? stdout : stderr);
        return done.ok ? 0 : 1;
    }

    if (early.action == CommandLine::Action::CheckQuotes)
        return checkQuotes(argc, argv, early);

    QApplication app(argc, argv);
    // What Qt has not taken is the program's: read it again from there, so an argument that Qt
    // left alone (an X11 option on another platform) is refused rather than dropped.
    const CommandLine cli = parseCommandLine(QCoreApplication::arguments(), version);
    if (const std::optional<int> exitCode = answerWithoutWindow(cli))
        return *exitCode;
    describeApplication();
    QTranslator qtTranslator;
    installQtTranslation(qtTranslator);

    QtDialogs dialogs;
    LockFileInstance instance(LockFileInstance::defaultLockPath(Config::fromEnvironment().dataDir));
    if (!MainWindow::claimSingleInstance(instance, dialogs))
        return 0;

    const Config config = Config::fromEnvironment(cli.environment(QProcessEnvironment::systemEnvironment()));
    for (const QString& notice : config.notices)
        std::fprintf(stderr, "tickora: %s\n", qPrintable(notice));
    for (const QString& problem : installSuppliedFiles(config, installedFilesDir()))
        std::fprintf(stderr, "tickora: %s\n", qPrintable(problem));
    // This process holds the lock now, so no other one can be in the middle of a save.
    removeSaveLeftovers(config, DataFolder::watchList());

    Platform platform(config);
    const Services services = platform.services(config, dialogs, instance);
    MainWindow window(services);
    window.showAtStart();
    return app.exec();
}
