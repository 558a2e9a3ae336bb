#include "commandline.h"

#include "exchange/securitycode.h"

#include <QCommandLineParser>

#include <optional>

namespace tickora {

using namespace Qt::StringLiterals;

namespace {

const QString Program = u"tickora"_s;

/// The program's options, described to the parser they are made for.
struct Options
{
    QCommandLineOption help{{u"h"_s, u"help"_s}, u"この説明を表示して終了します。"_s};
    QCommandLineOption version{{u"v"_s, u"version"_s}, u"バージョンを表示して終了します。"_s};
    QCommandLineOption dataDir{
        u"data-dir"_s,
        u"データフォルダーを DIR にします（既定は ~/kabu）。環境変数 TICKORA_DATA_DIR と同じ意味で、"
        u"両方あるときはこのオプションが優先されます。"_s,
        u"DIR"_s};
    QCommandLineOption importCodeList{
        u"import-codelist"_s,
        u"取引所の上場銘柄一覧 FILE（data_j.xlsx、data_j.xls、またはそれを保存した "
        u"CSV）からデータフォルダーのコード一覧 "
        u"tousyou1.csv を作り直して終了します。前の一覧は tousyou1.csv.bak に残します。"
        u"一覧は日本取引所グループのサイトの「東証上場銘柄一覧」で data_j.xlsx として公開されています。"
        u"読める形式は .xlsx、.xls と CSV です（ファイルの中身で見分けます）。"
        u"今の一覧の半分に満たない銘柄数の一覧は、--force がないかぎり読み込みません。"_s,
        u"FILE"_s};
    QCommandLineOption force{
        u"force"_s, u"--import-codelist で、今の一覧の半分に満たない銘柄数の一覧でも置き換えます。"_s};
    QCommandLineOption checkQuotes{
        u"check-quotes"_s,
        u"ウィンドウを開かずに、後に続くコード（CODE...）の株価ページと日経平均のページを一度ずつ読み、"
        u"ページの形式と読めた値を表示します。株価が表示されないときに最初に試してください。"
        u"コードは入力欄と同じく、小文字や全角でも受け付けます（285a、７２０３）。"
        u"すべて読めたとき 0、そうでないとき 1 で終了します。"_s};

    explicit Options(QCommandLineParser& parser)
    {
        parser.addPositionalArgument(u"CODE"_s, u"--check-quotes で確かめる銘柄コード。"_s, u"[CODE...]"_s);
        parser.setApplicationDescription(
            u"Tickora: 日本株の株価を最大 12 銘柄まで表示し、売買の目標値で知らせます。"_s);
        parser.addOptions({help, version, dataDir, importCodeList, force, checkQuotes});
        // "-foo" is one unknown option, reported as written, rather than -f -o -o.
        parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    }
};

/// A refused command line: `text`, then where to find the usage.
CommandLine failure(const QString& text)
{
    CommandLine result;
    result.action = CommandLine::Action::Fail;
    result.text = text + u"使い方は「%1 --help」で表示されます。\n"_s.arg(Program);
    return result;
}

/// The option `name` as the user wrote it, without a value given with "=".
QString writtenOption(const QStringList& arguments, const QString& name)
{
    for (const QString& arg : arguments.mid(1)) {
        const QString option = arg.section(u'=', 0, 0);
        if (option.startsWith(u'-') && QStringView(option).mid(option.startsWith(u"--"_s) ? 2 : 1) == name)
            return option;
    }
    return name;
}

/// The parser's other refusals, a value missing after an option that takes one or given to one
/// that takes none, in Japanese (the parser words them in English); empty for any other.
QString valueError(const QStringList& arguments)
{
    const QStringList withValue{u"data-dir"_s, u"import-codelist"_s};
    for (qsizetype i = 1; i < arguments.size() && arguments[i] != u"--"; ++i) {
        const QString& arg = arguments[i];
        if (!arg.startsWith(u'-'))
            continue;
        const QString option = arg.section(u'=', 0, 0);
        const bool takesValue = withValue.contains(option.mid(option.startsWith(u"--"_s) ? 2 : 1));
        if (takesValue && option == arg && i + 1 == arguments.size())
            return u"%1 の後に値を指定してください。"_s.arg(option);
        if (!takesValue && option != arg)
            return u"%1 には値を付けられません。"_s.arg(option);
    }
    return {};
}

/// Why the parser refused `arguments`.
QString parseError(const QCommandLineParser& parser, const QStringList& arguments)
{
    const QStringList unknown = parser.unknownOptionNames();
    if (unknown.isEmpty()) {
        const QString why = valueError(arguments);
        return u"%1: %2\n"_s.arg(
            Program, why.isEmpty() ? u"コマンドラインを読めません（%1）"_s.arg(parser.errorText()) : why);
    }
    return u"%1: 不明なオプションです: %2\n"_s.arg(Program, writtenOption(arguments, unknown.constFirst()));
}

/// The usage text. The parser's own usage line names the running program only once an
/// application object exists; this one is printed before any.
QString helpText(const QCommandLineParser& parser)
{
    QString help = parser.helpText();
    help = help.mid(help.indexOf(u'\n'));
    return u"使い方: %1 [オプション]"_s.arg(Program) + help +
           u"\nQt の標準オプション（-platform、-style、-reverse、-qwindowgeometry、-display など）も使えます。\n"_s;
}

/// How Qt takes one of its own options.
enum class QtTakes
{
    Alone,     ///< the option by itself (-reverse)
    NextValue, ///< the option and the argument after it (-platform offscreen)
    Joined,    ///< the option with "=value" (-style=fusion)
};

/// The options QGuiApplication, QApplication and the X11 platform plugin take out of the
/// arguments, without their dash; "-style fusion" and "-style=fusion" are both taken.
struct QtOption
{
    QLatin1StringView name;
    QtTakes takes;
};
constexpr QtOption QtOptions[] = {
    {"platform"_L1, QtTakes::NextValue},
    {"platformpluginpath"_L1, QtTakes::NextValue},
    {"platformtheme"_L1, QtTakes::NextValue},
    {"plugin"_L1, QtTakes::NextValue},
    {"qwindowgeometry"_L1, QtTakes::NextValue},
    {"qwindowicon"_L1, QtTakes::NextValue},
    {"qwindowtitle"_L1, QtTakes::NextValue},
    {"session"_L1, QtTakes::NextValue},
    {"style"_L1, QtTakes::NextValue},
    {"style"_L1, QtTakes::Joined},
    {"stylesheet"_L1, QtTakes::NextValue},
    {"stylesheet"_L1, QtTakes::Joined},
    {"qmljsdebugger"_L1, QtTakes::NextValue},
    {"qmljsdebugger"_L1, QtTakes::Joined},
    {"reverse"_L1, QtTakes::Alone},
    {"widgetcount"_L1, QtTakes::Alone},
    {"testability"_L1, QtTakes::Alone},
    // X11: the display and the window manager's view of the program.
    {"display"_L1, QtTakes::NextValue},
    {"geometry"_L1, QtTakes::NextValue},
    {"title"_L1, QtTakes::NextValue},
    {"icon"_L1, QtTakes::NextValue},
    {"name"_L1, QtTakes::NextValue},
    {"visual"_L1, QtTakes::NextValue},
    {"nograb"_L1, QtTakes::Alone},
    {"dograb"_L1, QtTakes::Alone},
};

/// How Qt takes `arg`, when it is one of Qt's options.
std::optional<QtTakes> qtTakes(QStringView arg)
{
    // Qt reads "--platform" as "-platform".
    if (!arg.startsWith(u'-'))
        return std::nullopt;
    const QStringView word = arg.mid(arg.startsWith(u"--") ? 2 : 1);
    for (const QtOption& option : QtOptions) {
        if (option.takes == QtTakes::Joined) {
            if (word.startsWith(option.name) && word.mid(option.name.size()).startsWith(u'='))
                return option.takes;
        } else if (word == option.name) {
            return option.takes;
        }
    }
    return std::nullopt;
}

} // namespace

QStringList withoutQtOptions(const QStringList& arguments)
{
    QStringList kept;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const std::optional<QtTakes> takes = i == 0 ? std::nullopt : qtTakes(arguments.at(i));
        if (!takes)
            kept.append(arguments.at(i));
        else if (*takes == QtTakes::NextValue)
            ++i; // its value goes with it
    }
    return kept;
}

QProcessEnvironment CommandLine::environment(QProcessEnvironment env) const
{
    if (!dataDir.isEmpty())
        env.insert(u"TICKORA_DATA_DIR"_s, dataDir);
    return env;
}

CommandLine parseCommandLine(const QStringList& arguments, const QString& version)
{
    QCommandLineParser parser;
    const Options options(parser);
    if (!parser.parse(arguments))
        return failure(parseError(parser, arguments));

    CommandLine result;
    if (parser.isSet(options.help)) {
        result.action = CommandLine::Action::ShowHelp;
        result.text = helpText(parser);
        return result;
    }
    if (parser.isSet(options.version)) {
        result.action = CommandLine::Action::ShowVersion;
        result.text = u"%1 %2\n"_s.arg(Program, version);
        return result;
    }
    if (parser.isSet(options.checkQuotes) && parser.isSet(options.importCodeList))
        return failure(u"%1: --check-quotes と --import-codelist は一緒に使えません。\n"_s.arg(Program));
    if (parser.isSet(options.checkQuotes)) {
        result.action = CommandLine::Action::CheckQuotes;
        if (parser.positionalArguments().isEmpty())
            return failure(
                u"%1: --check-quotes には銘柄コードを 1 つ以上指定してください。\n"_s.arg(Program));
        // The codes are taken as the entry box takes them: lower-case and full-width forms too.
        for (const QString& written : parser.positionalArguments()) {
            const std::optional<QString> code = typedCode(written);
            if (!code)
                return failure(u"%1: 「%2」は銘柄コードではありません。\n"_s.arg(Program, written));
            result.codes.append(*code);
        }
    } else if (!parser.positionalArguments().isEmpty()) {
        return failure(
            u"%1: 余分な引数があります: %2\n"_s.arg(Program, parser.positionalArguments().constFirst()));
    }
    if (parser.isSet(options.dataDir)) {
        result.dataDir = parser.value(options.dataDir);
        if (result.dataDir.isEmpty())
            return failure(u"%1: --data-dir にはフォルダーを指定してください。\n"_s.arg(Program));
    }
    if (parser.isSet(options.importCodeList)) {
        result.importFile = parser.value(options.importCodeList);
        if (result.importFile.isEmpty())
            return failure(
                u"%1: --import-codelist には取引所の上場銘柄一覧のファイルを指定してください。\n"_s.arg(
                    Program));
        result.action = CommandLine::Action::ImportCodeList;
        result.force = parser.isSet(options.force);
    } else if (parser.isSet(options.force)) {
        return failure(u"%1: --force は --import-codelist と一緒に使います。\n"_s.arg(Program));
    }
    return result;
}

} // namespace tickora
