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
    // holding the given text, on failure with the pointer to --help. The program itself then
    // ends before it needs a display: with 2 on a failure, else 0.
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
            QCOMPARE(cli.text.contains(u"tickora --help"_s), action == Action::Fail);
            if (action == Action::Run) {
                QCOMPARE(Config::fromEnvironment(cli.environment(env)).dataDir, expect);
                continue;
            }
            QVERIFY2(cli.text.contains(expect), qPrintable(cli.text));
            QProcess program;
            program.start(QString::fromUtf8(TICKORA_BIN), args);
            QVERIFY(program.waitForFinished(30000));
            QCOMPARE(program.exitCode(), action == Action::Fail ? 2 : 0);
        }
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
