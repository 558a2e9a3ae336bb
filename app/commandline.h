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
        Run,         ///< start the program
        ShowHelp,    ///< print `text` on standard output and end with 0
        ShowVersion, ///< print `text` on standard output and end with 0
        Fail,        ///< print `text` on standard error and end with ExitUsage, before any window
    };
    static constexpr int ExitUsage = 2;

    Action action = Action::Run;
    QString dataDir; ///< --data-dir DIR; empty when not given
    QString text;    ///< help, version or error message, ending in a new line

    /// The environment the program reads its configuration from: `env` with --data-dir, when
    /// given, in place of TICKORA_DATA_DIR (the option wins over the variable).
    QProcessEnvironment environment(QProcessEnvironment env) const;
};

/// Parses the program's arguments, the program's own name first. Needs no application object,
/// so --help, --version and a wrong option are answered without a display.
CommandLine parseCommandLine(const QStringList& arguments, const QString& version);

} // namespace tickora
