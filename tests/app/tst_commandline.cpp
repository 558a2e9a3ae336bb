// The command line: what each argument list asks for, what the program then prints and returns
// (before it needs a display when it does not run), and Qt's own options left to Qt.
#include "commandline.h"
#include "platform/config.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace tickora;
using namespace Qt::StringLiterals;

using Action = CommandLine::Action;

namespace {

const QString Program = QString::fromUtf8(TICKORA_BIN);

/// The environment of a program run without any display: no X11, no Wayland, no platform chosen.
QProcessEnvironment withoutDisplay()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString& name : {u"DISPLAY"_s, u"WAYLAND_DISPLAY"_s, u"QT_QPA_PLATFORM"_s})
        env.remove(name);
    return env;
}

} // namespace

class TestCommandLine : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Qt's options go with their values, in either dash form, wherever they stand; the program's
    // own options, the program's name and what Qt does not know stay in their order.
    void withoutQtOptions_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("kept");
        const QString exe = u"tickora"_s;
        QTest::newRow("none") << QStringList{exe} << QStringList{exe};
        QTest::newRow("platform and its value")
            << QStringList{exe, u"-platform"_s, u"offscreen"_s, u"--version"_s}
            << QStringList{exe, u"--version"_s};
        QTest::newRow("two dashes, style both ways, reverse")
            << QStringList{exe,         u"--platform"_s, u"xcb"_s,      u"-style=fusion"_s,
                           u"-style"_s, u"windows"_s,    u"-reverse"_s, u"--data-dir"_s,
                           u"/d"_s}
            << QStringList{exe, u"--data-dir"_s, u"/d"_s};
        QTest::newRow("X11 and window options") << QStringList{exe,          u"-display"_s,
                                                               u":1"_s,      u"-geometry"_s,
                                                               u"10x10"_s,   u"-qwindowgeometry"_s,
                                                               u"5x5+1+1"_s, u"-qwindowtitle"_s,
                                                               u"T"_s,       u"-name"_s,
                                                               u"n"_s,       u"-nograb"_s}
                                                << QStringList{exe};
        QTest::newRow("a value that looks like an option goes too")
            << QStringList{exe, u"-platformtheme"_s, u"--help"_s} << QStringList{exe};
        QTest::newRow("last option without its value")
            << QStringList{exe, u"-platform"_s} << QStringList{exe};
        QTest::newRow("unknown and near misses stay")
            << QStringList{exe,         u"--bogus"_s, u"-platform=xcb"_s, u"-reversed"_s, u"-stylex=1"_s,
                           u"dat.txt"_s}
            << QStringList{exe,         u"--bogus"_s, u"-platform=xcb"_s, u"-reversed"_s, u"-stylex=1"_s,
                           u"dat.txt"_s};
        QTest::newRow("the program's name is never an option")
            << QStringList{u"-reverse"_s, u"-v"_s} << QStringList{u"-reverse"_s, u"-v"_s};
    }
    void withoutQtOptions()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, kept);
        QCOMPARE(tickora::withoutQtOptions(arguments), kept);
    }

    // A run gives the data folder used (TICKORA_DATA_DIR is /env/kabu); anything else a message
    // holding the given text, on failure with the pointer to --help. The program itself then
    // prints that message and ends before it needs a display: with 2 on a failure, else 0.
    void parses()
    {
        const std::tuple<QStringList, Action, QString> cases[] = {
            {{}, Action::Run, u"/env/kabu"_s},
            {{u"--data-dir"_s, u"/opt/kabu"_s}, Action::Run, u"/opt/kabu"_s},
            {{u"--data-dir=/opt/kabu"_s}, Action::Run, u"/opt/kabu"_s},
            {{u"-platform"_s, u"offscreen"_s, u"--data-dir"_s, u"/opt/kabu"_s}, Action::Run, u"/opt/kabu"_s},
            {{u"--bogus=1"_s}, Action::Fail, u": --bogus\n"_s},
            {{u"-platform"_s, u"offscreen"_s, u"--bogus"_s}, Action::Fail, u": --bogus\n"_s},
            {{u"-platform=xcb"_s}, Action::Fail, u": -platform\n"_s},
            {{u"--help"_s, u"--bogus"_s}, Action::Fail, u"--bogus"_s},
            {{u"--data-dir"_s}, Action::Fail, u"data-dir"_s},
            {{u"--data-dir="_s}, Action::Fail, u"data-dir"_s},
            {{u"dat.txt"_s}, Action::Fail, u"dat.txt"_s},
            {{u"--help"_s}, Action::ShowHelp, u"TICKORA_DATA_DIR"_s},
            {{u"-style"_s, u"fusion"_s, u"--help"_s}, Action::ShowHelp, u"-platform"_s},
            {{u"-v"_s}, Action::ShowVersion, u"tickora 9.8.7\n"_s},
            {{u"-platform"_s, u"xcb"_s, u"--version"_s}, Action::ShowVersion, u"tickora 9.8.7\n"_s},
            {{u"-platform"_s, u"offscreen"_s, u"--version"_s}, Action::ShowVersion, u"tickora 9.8.7\n"_s},
        };
        QProcessEnvironment env;
        env.insert(u"TICKORA_DATA_DIR"_s, u"/env/kabu"_s);
        for (const auto& [args, action, expect] : cases) {
            const QStringList arguments =
                tickora::withoutQtOptions(QStringList{u"/usr/bin/tickora"_s} + args);
            const CommandLine cli = parseCommandLine(arguments, u"9.8.7"_s);
            QCOMPARE(cli.action, action);
            QCOMPARE(cli.text.contains(u"tickora --help"_s), action == Action::Fail);
            if (action == Action::Run) {
                QCOMPARE(Config::fromEnvironment(cli.environment(env)).dataDir, expect);
                continue;
            }
            QVERIFY2(cli.text.contains(expect), qPrintable(cli.text));
            QProcess program;
            program.setProcessEnvironment(withoutDisplay());
            program.start(Program, args);
            QVERIFY(program.waitForFinished(30000));
            QCOMPARE(program.exitStatus(), QProcess::NormalExit);
            QCOMPARE(program.exitCode(), action == Action::Fail ? 2 : 0);
            const QString shown = QString::fromUtf8(action == Action::Fail ? program.readAllStandardError()
                                                                           : program.readAllStandardOutput());
            const QString real = parseCommandLine(arguments, QString::fromUtf8(TICKORA_VERSION)).text;
            QCOMPARE(shown, real);
        }
    }

    // A quote-page kind or chart source it does not know stops the program before anything else, with no
    // display needed; a tick too short for a public service is said and replaced, and the program runs.
    void settingsCheckedAtStart()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QProcessEnvironment env = withoutDisplay();
        env.insert(u"TICKORA_DATA_DIR"_s, dir.filePath(u"kabu"_s));
        env.insert(u"TICKORA_QUOTE_PAGES"_s, u"2013"_s);
        QProcess refused;
        refused.setProcessEnvironment(env);
        refused.start(Program, {});
        QVERIFY(refused.waitForFinished(30000));
        QCOMPARE(refused.exitCode(), CommandLine::ExitUsage);
        QVERIFY(QString::fromUtf8(refused.readAllStandardError())
                    .contains(u"TICKORA_QUOTE_PAGES の値「2013」"_s));
        QVERIFY(!QFile::exists(dir.filePath(u"kabu"_s)));
        // So is a chart source it does not know.
        env.insert(u"TICKORA_QUOTE_PAGES"_s, u"today"_s);
        env.insert(u"TICKORA_CHARTS"_s, u"gif"_s);
        refused.setProcessEnvironment(env);
        refused.start(Program, {});
        QVERIFY(refused.waitForFinished(30000));
        QCOMPARE(refused.exitCode(), CommandLine::ExitUsage);
        QVERIFY(QString::fromUtf8(refused.readAllStandardError()).contains(u"TICKORA_CHARTS の値「gif」"_s));
        QVERIFY(!QFile::exists(dir.filePath(u"kabu"_s)));
        env.remove(u"TICKORA_CHARTS"_s);

        env.insert(u"TICKORA_QUOTE_PAGES"_s, u"today"_s);
        env.insert(u"TICKORA_TICK_MS"_s, u"250"_s);
        env.insert(u"TICKORA_MARKET_URL"_s, u"http://127.0.0.1:9"_s);
        env.insert(u"TICKORA_QUOTE_URL"_s, u"https://finance.yahoo.co.jp"_s);
        QVERIFY(QDir(dir.path()).mkdir(u"run"_s));
        QVERIFY(QFile::setPermissions(dir.filePath(u"run"_s),
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        env.insert(u"XDG_RUNTIME_DIR"_s, dir.filePath(u"run"_s));
        QProcess running;
        running.setProcessEnvironment(env);
        running.start(Program, {u"-platform"_s, u"offscreen"_s});
        QVERIFY(running.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(dir.filePath(u"kabu/tousyou1.csv"_s)) ||
                                     running.state() == QProcess::NotRunning,
                                 20000);
        const bool ran = running.state() == QProcess::Running;
        running.kill();
        running.waitForFinished();
        const QString said = QString::fromUtf8(running.readAllStandardError());
        QVERIFY2(ran, qPrintable(said));
        QVERIFY2(said.contains(u"TICKORA_TICK_MS=250 は使えません"_s) && said.contains(u"30000"_s),
                 qPrintable(said));
    }

    // Qt takes its options and the program runs: with -platform offscreen it installs its files
    // into the data folder given after them. An option the chosen platform leaves alone is the
    // program's to refuse, after all.
    void qtOptionsReachQt()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(QDir(dir.path()).mkdir(u"run"_s));
        QVERIFY(QFile::setPermissions(dir.filePath(u"run"_s),
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QProcessEnvironment env = withoutDisplay();
        env.insert(u"XDG_RUNTIME_DIR"_s, dir.filePath(u"run"_s));
        env.insert(u"TICKORA_DATA_DIR"_s, dir.filePath(u"env-kabu"_s));
        const QString data = dir.filePath(u"kabu"_s);

        QProcess running;
        running.setProcessEnvironment(env);
        running.start(Program, {u"-platform"_s, u"offscreen"_s, u"-style"_s, u"fusion"_s, u"-reverse"_s,
                                u"--data-dir"_s, data, u"-qwindowgeometry"_s, u"640x480+0+0"_s});
        QVERIFY(running.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(
            QFile::exists(data + u"/tousyou1.csv"_s) || running.state() == QProcess::NotRunning, 20000);
        const bool ran = running.state() == QProcess::Running;
        running.kill();
        running.waitForFinished();
        QVERIFY2(ran, running.readAllStandardError().constData());

        QProcess refused;
        refused.setProcessEnvironment(env);
        refused.start(Program,
                      {u"-platform"_s, u"offscreen"_s, u"-display"_s, u":9"_s, u"--data-dir"_s, data});
        QVERIFY(refused.waitForFinished(30000));
        QCOMPARE(refused.exitCode(), CommandLine::ExitUsage);
        QVERIFY(
            QString::fromUtf8(refused.readAllStandardError()).contains(u"不明なオプションです: -display"_s));
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
