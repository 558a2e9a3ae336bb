// The command line: what each argument list asks for, and what the program then prints and returns.
#include "commandline.h"
#include "platform/config.h"
#include "support/files.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace tickora;
using namespace tickora::test;
using namespace Qt::StringLiterals;

using Action = CommandLine::Action;

namespace {

/// The environment without any display, with a private runtime folder in `dir` when given.
QProcessEnvironment withoutDisplay(const QTemporaryDir* dir = nullptr)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString& name : {u"DISPLAY"_s, u"WAYLAND_DISPLAY"_s, u"QT_QPA_PLATFORM"_s})
        env.remove(name);
    if (dir && QDir(dir->path()).mkdir(u"run"_s) &&
        QFile::setPermissions(dir->filePath(u"run"_s),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner))
        env.insert(u"XDG_RUNTIME_DIR"_s, dir->filePath(u"run"_s));
    return env;
}

struct Ran
{
    int code; ///< the exit code; -1 when it did not end normally (or, given a file, did not run)
    QString out, err;
};

/// Runs the program to its end, or until `file` exists (code 0 when it still ran then).
Ran run(const QProcessEnvironment& env, const QStringList& args, const QString& file = {})
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(QString::fromUtf8(TICKORA_BIN), args);
    int code = -1;
    if (file.isEmpty()) {
        if (p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit)
            code = p.exitCode();
    } else if (p.waitForStarted()) {
        const bool settled =
            QTest::qWaitFor([&] { return QFile::exists(file) || p.state() != QProcess::Running; }, 20000);
        code = settled && p.state() == QProcess::Running && QFile::exists(file) ? 0 : -1;
        p.kill();
    }
    p.waitForFinished();
    return {code, QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

} // namespace

class TestCommandLine : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Qt's options dropped with their values; the parse's action and text, which the program prints.
    void parses_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<Action>("action");
        QTest::addColumn<QString>("expect"); ///< the data folder of a run, else a part of the text
        QTest::newRow("Qt's options and their values")
            << u"--platform xcb -style=fusion -style windows -reverse -display :1 -geometry 10x10 -nograb "
               "-qwindowgeometry 5x5+1+1 -qwindowtitle T -name n --data-dir /opt/kabu"_s
            << Action::Run << u"/opt/kabu"_s;
        QTest::newRow("a value that looks like an option")
            << u"-platformtheme --help"_s << Action::Run << u"/env/kabu"_s;
        QTest::newRow("an option without its value") << u"-platform"_s << Action::Run << u"/env/kabu"_s;
        QTest::newRow("longer than a Qt option") << u"-reversed"_s << Action::Fail << u": -reversed\n"_s;
        QTest::newRow("a value to a longer name") << u"-stylex=1"_s << Action::Fail << u": -stylex\n"_s;
        QTest::newRow("a value to a Qt option") << u"-platform=xcb"_s << Action::Fail << u": -platform\n"_s;
        QTest::newRow("an unknown option after help") << u"--help --bogus"_s << Action::Fail << u"--bogus"_s;
        QTest::newRow("empty data folder") << u"--data-dir="_s << Action::Fail << u"data-dir"_s;
        QTest::newRow("empty import") << u"--import-codelist="_s << Action::Fail << u"import-codelist"_s;
        QTest::newRow("a stray argument") << u"dat.txt"_s << Action::Fail << u"dat.txt"_s;
        QTest::newRow("help") << u"-style fusion --help"_s << Action::ShowHelp << u"TICKORA_DATA_DIR"_s;
        QTest::newRow("version") << u"-v"_s << Action::ShowVersion << u"tickora 9.8.7\n"_s;
    }
    void parses()
    {
        QFETCH(QString, line);
        QFETCH(Action, action);
        QFETCH(QString, expect);
        QProcessEnvironment env;
        env.insert(u"TICKORA_DATA_DIR"_s, u"/env/kabu"_s);
        const QStringList args = line.split(u' ', Qt::SkipEmptyParts);
        const QStringList arguments = tickora::withoutQtOptions(QStringList{u"/usr/bin/tickora"_s} + args);
        const CommandLine cli = parseCommandLine(arguments, u"9.8.7"_s);
        QCOMPARE(cli.action, action);
        if (action == Action::Run) {
            QCOMPARE(Config::fromEnvironment(cli.environment(env)).dataDir, expect);
            return;
        }
        QVERIFY2(cli.text.contains(expect), qPrintable(cli.text));
        const Ran r = run(withoutDisplay(), args);
        QCOMPARE(r.code, action == Action::Fail ? CommandLine::ExitUsage : 0);
        QCOMPARE(action == Action::Fail ? r.err : r.out,
                 parseCommandLine(arguments, QString::fromUtf8(TICKORA_VERSION)).text);
    }

    // Codes to check are taken as the entry box takes them; what is no code is refused by name;
    // --force goes with the import only.
    void codesAndForce_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("codes"); // the codes checked; empty when refused
        QTest::addColumn<bool>("force");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("digits") << u"--check-quotes 7203"_s << QStringList{u"7203"_s} << false << QString();
        QTest::newRow("lower-case letter")
            << u"--check-quotes 285a"_s << QStringList{u"285A"_s} << false << QString();
        QTest::newRow("full-width digits")
            << u"--check-quotes ７２０３"_s << QStringList{u"7203"_s} << false << QString();
        QTest::newRow("full-width letter, then digits")
            << u"--check-quotes ２８５ａ 9984"_s << QStringList{u"285A"_s, u"9984"_s} << false << QString();
        QTest::newRow("letter O for zero")
            << u"--check-quotes 72O3"_s << QStringList() << false << u"「72O3」は銘柄コードではありません"_s;
        QTest::newRow("one bad among good") << u"--check-quotes 7203 abc"_s << QStringList() << false
                                            << u"「abc」は銘柄コードではありません"_s;
        QTest::newRow("no code to check")
            << u"--check-quotes"_s << QStringList() << false << u"--check-quotes"_s;
        QTest::newRow("check and import") << u"--check-quotes 7203 --import-codelist a.xls"_s << QStringList()
                                          << false << u"一緒に使えません"_s;
        QTest::newRow("import, forced")
            << u"--import-codelist a.xlsx --force"_s << QStringList() << true << QString();
        QTest::newRow("force alone") << u"--force"_s << QStringList() << false
                                     << u"--force は --import-codelist"_s;
        // Refusals besides unknown options are told in Japanese, naming the option.
        QTest::newRow("folder missing")
            << u"--data-dir"_s << QStringList() << false << u"--data-dir の後に値を指定してください"_s;
        QTest::newRow("file missing") << u"--data-dir d --import-codelist"_s << QStringList() << false
                                      << u"--import-codelist の後に値を指定してください"_s;
        QTest::newRow("value to help")
            << u"--help=3"_s << QStringList() << false << u"--help には値を付けられません"_s;
        QTest::newRow("value to force") << u"--import-codelist a --force=1"_s << QStringList() << false
                                        << u"--force には値を付けられません"_s;
        QTest::newRow("value to check-quotes") << u"--check-quotes=1 7203"_s << QStringList() << false
                                               << u"--check-quotes には値を付けられません"_s;
    }
    void codesAndForce()
    {
        QFETCH(QString, line);
        QFETCH(QStringList, codes);
        QFETCH(bool, force);
        QFETCH(QString, refusal);
        const CommandLine cli = parseCommandLine(QStringList{u"tickora"_s} + line.split(u' '), u"1"_s);
        QCOMPARE(cli.action == Action::Fail, !refusal.isEmpty());
        QVERIFY2(cli.text.contains(refusal) && !cli.text.contains(u"value"_s), qPrintable(cli.text));
        QCOMPARE(cli.codes, codes);
        QCOMPARE(cli.force, force);
    }

    // The help names --force and where the exchange publishes its list.
    void helpNamesForceAndTheList()
    {
        const QString help = parseCommandLine({u"tickora"_s, u"--help"_s}, u"1"_s).text;
        for (const QString& part :
             {u"--force"_s, u"data_j.xlsx"_s, u"東証上場銘柄一覧"_s, u".xls"_s, u"CSV"_s})
            QVERIFY2(help.contains(part), qPrintable(part));
    }

    // The import runs without a display and writes the code list of the data folder named, from the
    // list in each form the exchange has published it in; a list of far fewer stocks than the current
    // one is refused, naming both counts, until forced.
    void importsTheCodeList_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("shrinks"); ///< the folder holds a longer list already
        QTest::newRow("data_j.xlsx") << u"data_j.xlsx"_s << false;
        QTest::newRow("data_j.xls over a longer list") << u"data_j.xls"_s << true;
    }
    void importsTheCodeList()
    {
        QFETCH(QString, file);
        QFETCH(bool, shrinks);
        QTemporaryDir dir;
        const QString data = dir.filePath(u"kabu"_s);
        QByteArray longer;
        for (int code = 1000; code < 1007; ++code)
            longer += QByteArray::number(code) + ",\"a\"\r\n";
        QVERIFY(!shrinks || (QDir().mkpath(data) && writeFile(data + u"/tousyou1.csv"_s, longer)));
        const QString xls = QString::fromUtf8(TICKORA_TEST_DATA_DIR "/files/data/") + file;
        QStringList args{u"--data-dir"_s, data, u"--import-codelist"_s, xls};
        if (shrinks) {
            const Ran refused = run(withoutDisplay(), args);
            QVERIFY2(refused.code == 1 && refused.err.contains(u"3 銘柄"_s) &&
                         refused.err.contains(u"7 銘柄"_s) && refused.err.contains(u"--force"_s) &&
                         refused.out.isEmpty(),
                     qPrintable(refused.err));
            QVERIFY(!QFile::exists(data + u"/tousyou1.csv.bak"_s));
            args << u"--force"_s;
        }
        const Ran done = run(withoutDisplay(), args);
        QVERIFY2(done.code == 0 && done.out.contains(u"3 銘柄"_s), qPrintable(done.out + done.err));
        QVERIFY(QFile::exists(data + u"/tousyou1.csv"_s));
        QCOMPARE(QFile::exists(data + u"/tousyou1.csv.bak"_s), shrinks);
        const Ran refused = run(withoutDisplay(), {u"--data-dir"_s, data, u"--import-codelist"_s, data});
        QVERIFY2(refused.code == 1 && refused.err.contains(u"変更していません"_s), qPrintable(refused.err));
    }

    // Bad settings stop the program at once; with Qt's options it runs; a too short tick is replaced.
    void settingsAndQtOptionsAtStart()
    {
        QTemporaryDir dir;
        QProcessEnvironment env = withoutDisplay(&dir);
        env.insert(u"TICKORA_DATA_DIR"_s, dir.filePath(u"env-kabu"_s));
        QProcessEnvironment bad = env;
        bad.insert(u"TICKORA_CHARTS"_s, u"gif"_s);
        const Ran stopped = run(bad, {});
        QVERIFY2(stopped.code == CommandLine::ExitUsage &&
                     stopped.err.contains(u"TICKORA_CHARTS の値「gif」"_s),
                 qPrintable(stopped.err));
        QVERIFY(!QFile::exists(dir.filePath(u"env-kabu"_s)));
        env.insert(u"TICKORA_TICK_MS"_s, u"250"_s);
        env.insert(u"TICKORA_MARKET_URL"_s, u"http://127.0.0.1:9"_s);
        env.insert(u"TICKORA_QUOTE_URL"_s, u"https://finance.yahoo.co.jp"_s);
        const QString data = dir.filePath(u"kabu"_s);
        const QStringList qt =
            u"-platform offscreen -style fusion -reverse -qwindowgeometry 640x480+0+0"_s.split(u' ');
        const Ran r = run(env, qt + QStringList{u"--data-dir"_s, data}, data + u"/tousyou1.csv"_s);
        QVERIFY2(r.code == 0 && r.err.contains(u"TICKORA_TICK_MS=250 は使えません"_s) &&
                     r.err.contains(u"30000"_s),
                 qPrintable(r.err));
        const Ran refused = run(env, u"-platform offscreen -display :9 --data-dir"_s.split(u' ') << data);
        QCOMPARE(refused.code, CommandLine::ExitUsage);
        QVERIFY2(refused.err.contains(u"不明なオプションです: -display"_s), qPrintable(refused.err));
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
