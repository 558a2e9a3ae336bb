// The command line: what each argument list asks for, and what the program then prints and
// returns.
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
    void parses_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("action");
        QTest::addColumn<QString>("expect"); // the data folder used (TICKORA_DATA_DIR is /env/kabu), or a
                                             // text the printed message must hold
        const int run = int(Action::Run), fail = int(Action::Fail);
        QTest::newRow("nothing") << QStringList() << run << u"/env/kabu"_s;
        QTest::newRow("option wins over variable")
            << QStringList{u"--data-dir"_s, u"/opt/kabu"_s} << run << u"/opt/kabu"_s;
        QTest::newRow("option with =") << QStringList{u"--data-dir=/opt/kabu"_s} << run << u"/opt/kabu"_s;
        QTest::newRow("unknown long") << QStringList{u"--bogus=1"_s} << fail << u": --bogus\n"_s;
        QTest::newRow("unknown single-dash word")
            << QStringList{u"-platform"_s, u"xcb"_s} << fail << u": -platform\n"_s;
        QTest::newRow("unknown beside help")
            << QStringList{u"--help"_s, u"--bogus"_s} << fail << u"--bogus"_s;
        QTest::newRow("value missing") << QStringList{u"--data-dir"_s} << fail << u"data-dir"_s;
        QTest::newRow("value empty") << QStringList{u"--data-dir="_s} << fail << u"data-dir"_s;
        QTest::newRow("stray argument") << QStringList{u"dat.txt"_s} << fail << u"dat.txt"_s;
        QTest::newRow("help") << QStringList{u"--help"_s} << int(Action::ShowHelp) << u"TICKORA_DATA_DIR"_s;
        QTest::newRow("version") << QStringList{u"-v"_s} << int(Action::ShowVersion) << u"tickora 9.8.7\n"_s;
    }
    void parses()
    {
        QFETCH(QStringList, args);
        QFETCH(int, action);
        QFETCH(QString, expect);
        const CommandLine cli = parseCommandLine(QStringList{u"/usr/bin/tickora"_s} + args, u"9.8.7"_s);
        QCOMPARE(int(cli.action), action);
        if (cli.action == Action::Run) {
            QProcessEnvironment env;
            env.insert(u"TICKORA_DATA_DIR"_s, u"/env/kabu"_s);
            QCOMPARE(Config::fromEnvironment(cli.environment(env)).dataDir, expect);
        } else {
            QVERIFY2(cli.text.contains(expect), qPrintable(cli.text));
        }
        if (cli.action == Action::Fail)
            QVERIFY2(cli.text.contains(u"tickora --help"_s), qPrintable(cli.text));
    }

    // The program answers before it needs a display: help and version on standard output with 0,
    // a wrong option on standard error with 2.
    void exitStatus()
    {
        const std::tuple<QString, int, QString> runs[] = {{u"--version"_s, 0, u"tickora "_s},
                                                          {u"--help"_s, 0, u"--data-dir"_s},
                                                          {u"--bogus"_s, 2, u"--bogus"_s}};
        for (const auto& [arg, status, printed] : runs) {
            QProcess p;
            p.start(QString::fromUtf8(TICKORA_BIN), {arg});
            QVERIFY(p.waitForFinished(30000));
            QCOMPARE(p.exitStatus(), QProcess::NormalExit);
            QCOMPARE(p.exitCode(), status);
            const QByteArray out = status == 0 ? p.readAllStandardOutput() : p.readAllStandardError();
            QVERIFY2(QString::fromUtf8(out).contains(printed), out.constData());
        }
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
