#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace tickora {

/// What the command line asks of tickora.
struct CommandLine
{
    enum class Action
    {
        Run,            ///< start the program
        ShowHelp,       ///< print `text` on standard output and end with 0
        ShowVersion,    ///< print `text` on standard output and end with 0
        Fail,           ///< print `text` on standard error and end with ExitUsage, before any window
        ImportCodeList, ///< write the code list from the exchange's list `importFile`, no window
        CheckQuotes,    ///< read the pages of `codes` and the Nikkei's once, without a window
    };
    static constexpr int ExitUsage = 2;

    Action action = Action::Run;
    QString dataDir;    ///< --data-dir DIR; empty when not given
    QString importFile; ///< --import-codelist FILE
    QStringList codes;  ///< --check-quotes CODE...: the codes whose pages are checked, in canonical form
    bool force = false; ///< --force: the import replaces a list even by one of far fewer issues
    QString text;       ///< help, version or error message, ending in a new line

    /// The environment the program reads its configuration from: `env` with --data-dir, when
    /// given, in place of TICKORA_DATA_DIR (the option wins over the variable).
    QProcessEnvironment environment(QProcessEnvironment env) const;
};

/// Parses the program's arguments, the program's own name first. Needs no application object,
/// so --help, --version and a wrong option are answered without a display. Qt's own options
/// must have been taken out first (withoutQtOptions, or the application object's arguments).
CommandLine parseCommandLine(const QStringList& arguments, const QString& version);

/// `arguments` without the options that QGuiApplication and QApplication take for themselves
/// (-platform NAME, -style NAME or -style=NAME, -reverse, -qwindowgeometry GEOMETRY, the X11
/// -display, -geometry and the like), each with its value, written with one dash or two, as
/// Qt takes them wherever they stand. Lets the program's own options be read before an
/// application object (and so a display) exists.
QStringList withoutQtOptions(const QStringList& arguments);

} // namespace tickora
