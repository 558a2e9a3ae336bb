// The command line: what each argument list asks for, and what the program then prints and
// returns before it needs a display.
#include "commandline.h"
#include "platform/config.h"

#include <QProcess>
#include <QTest>

using namespace tickora;
using namespace Qt::StringLiterals;

using Action = CommandLine::Action;

class TestCommandLine : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // A run gives the data folder used (TICKORA_DATA_DIR is /env/kabu); anything else a message
    // holding the given text, and on failure the pointer to --help.
    void parses()
    {
        const std::tuple<QStringList, Action, QString> cases[] = {
            {{}, Action::Run, u"/env/kabu"_s},
            {{u"--data-dir"_s, u"/opt/kabu"_s}, Action::Run, u"/opt/kabu"_s},
            {{u"--data-dir=/opt/kabu"_s}, Action::Run, u"/opt/kabu"_s},
            {{u"--bogus=1"_s}, Action::Fail, u": --bogus\n"_s},
            {{u"-platform"_s, u"xcb"_s}, Action::Fail, u": -platform\n"_s},
            {{u"--help"_s, u"--bogus"_s}, Action::Fail, u"--bogus"_s},
            {{u"--data-dir"_s}, Action::Fail, u"data-dir"_s},
            {{u"--data-dir="_s}, Action::Fail, u"data-dir"_s},
            {{u"dat.txt"_s}, Action::Fail, u"dat.txt"_s},
            {{u"--help"_s}, Action::ShowHelp, u"TICKORA_DATA_DIR"_s},
            {{u"-v"_s}, Action::ShowVersion, u"tickora 9.8.7\n"_s},
        };
        QProcessEnvironment env;
        env.insert(u"TICKORA_DATA_DIR"_s, u"/env/kabu"_s);
        for (const auto& [args, action, expect] : cases) {
            const CommandLine cli = parseCommandLine(QStringList{u"/usr/bin/tickora"_s} + args, u"9.8.7"_s);
            QCOMPARE(cli.action, action);
            if (action == Action::Run)
                QCOMPARE(Config::fromEnvironment(cli.environment(env)).dataDir, expect);
            else
                QVERIFY2(cli.text.contains(expect), qPrintable(cli.text));
            QCOMPARE(cli.text.contains(u"tickora --help"_s), action == Action::Fail);
        }
    }

    // Help and version on standard output with 0, a wrong option on standard error with 2.
    void exitStatus()
    {
        const std::tuple<QString, int, QString> runs[] = {{u"--version"_s, 0, u"tickora "_s},
                                                          {u"--help"_s, 0, u"--data-dir"_s},
                                                          {u"--bogus"_s, 2, u"--bogus"_s}};
        for (const auto& [arg, status, printed] : runs) {
            QProcess p;
            p.start(QString::fromUtf8(TICKORA_BIN), {arg});
            QVERIFY(p.waitForFinished(30000));
            QCOMPARE(p.exitCode(), status);
            const QByteArray out = status == 0 ? p.readAllStandardOutput() : p.readAllStandardError();
            QVERIFY2(QString::fromUtf8(out).contains(printed), out.constData());
        }
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
