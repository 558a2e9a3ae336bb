#include "commandline.h"

#include <QCommandLineParser>

namespace tickora {

using namespace Qt::StringLiterals;

QProcessEnvironment CommandLine::environment(QProcessEnvironment env) const
{
    if (!dataDir.isEmpty())
        env.insert(u"TICKORA_DATA_DIR"_s, dataDir);
    return env;
}

CommandLine parseCommandLine(const QStringList& arguments, const QString& version)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        u"Tickora: 日本株の株価を最大 12 銘柄まで表示し、売買の目標値で知らせます。"_s);
    const QCommandLineOption helpOpt({u"h"_s, u"help"_s}, u"この説明を表示して終了します。"_s);
    const QCommandLineOption versionOpt({u"v"_s, u"version"_s}, u"バージョンを表示して終了します。"_s);
    const QCommandLineOption dataDirOpt(
        u"data-dir"_s,
        u"データフォルダーを DIR にします（既定は ~/kabu）。環境変数 TICKORA_DATA_DIR と同じ意味で、"
        u"両方あるときはこのオプションが優先されます。"_s,
        u"DIR"_s);
    parser.addOptions({helpOpt, versionOpt, dataDirOpt});
    // "-foo" is one unknown option, reported as written, rather than -f -o -o.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);

    CommandLine result;
    const QString program = u"tickora"_s;
    const QString hint = u"使い方は「%1 --help」で表示されます。\n"_s.arg(program);
    if (!parser.parse(arguments)) {
        result.action = CommandLine::Action::Fail;
        const QStringList unknown = parser.unknownOptionNames();
        if (!unknown.isEmpty()) {
            // The option as the user wrote it, without a value given with "=".
            QString written = unknown.constFirst();
            for (const QString& arg : arguments.mid(1)) {
                const QString option = arg.section(u'=', 0, 0);
                if (option.startsWith(u'-') &&
                    QStringView(option).mid(option.startsWith(u"--"_s) ? 2 : 1) == written) {
                    written = option;
                    break;
                }
            }
            result.text = u"%1: 不明なオプションです: %2\n"_s.arg(program, written);
        } else {
            result.text = u"%1: %2\n"_s.arg(program, parser.errorText());
        }
        result.text += hint;
        return result;
    }
    if (parser.isSet(helpOpt)) {
        result.action = CommandLine::Action::ShowHelp;
        // The parser's own usage line names the running program only once an application
        // object exists; this one is printed before any.
        QString help = parser.helpText();
        help = help.mid(help.indexOf(u'\n'));
        result.text = u"使い方: %1 [オプション]"_s.arg(program) + help;
        return result;
    }
    if (parser.isSet(versionOpt)) {
        result.action = CommandLine::Action::ShowVersion;
        result.text = u"%1 %2\n"_s.arg(program, version);
        return result;
    }
    if (!parser.positionalArguments().isEmpty()) {
        result.action = CommandLine::Action::Fail;
        result.text =
            u"%1: 余分な引数があります: %2\n"_s.arg(program, parser.positionalArguments().constFirst()) +
            hint;
        return result;
    }
    if (parser.isSet(dataDirOpt)) {
        result.dataDir = parser.value(dataDirOpt);
        if (result.dataDir.isEmpty()) {
            result.action = CommandLine::Action::Fail;
            result.text = u"%1: --data-dir にはフォルダーを指定してください。\n"_s.arg(program) + hint;
        }
    }
    return result;
}

} // namespace tickora
