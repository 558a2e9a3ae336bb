#include "commandline.h"
#include "platform/config.h"

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
        QTest::addColumn<QString>("envDataDir"); // TICKORA_DATA_DIR, empty when unset
        QTest::addColumn<int>("action");
        QTest::addColumn<QString>("dataDir");  // the data folder the program then uses
        QTest::addColumn<QString>("mentions"); // a text the printed message must hold

        const int run = int(Action::Run), fail = int(Action::Fail);
        QTest::newRow("nothing") << QStringList() << u"/env/kabu"_s << run << u"/env/kabu"_s << QString();
        QTest::newRow("option") << QStringList{u"--data-dir"_s, u"/opt/kabu"_s} << QString() << run
                                << u"/opt/kabu"_s << QString();
        QTest::newRow("option wins over variable")
            << QStringList{u"--data-dir=/opt/kabu"_s} << u"/env/kabu"_s << run << u"/opt/kabu"_s << QString();
        QTest::newRow("unknown long")
            << QStringList{u"--bogus=1"_s} << QString() << fail << QString() << u": --bogus\n"_s;
        QTest::newRow("unknown single-dash word")
            << QStringList{u"-platform"_s, u"xcb"_s} << QString() << fail << QString() << u": -platform\n"_s;
        QTest::newRow("unknown beside help")
            << QStringList{u"--help"_s, u"--bogus"_s} << QString() << fail << QString() << u"--bogus"_s;
        QTest::newRow("value missing")
            << QStringList{u"--data-dir"_s} << QString() << fail << QString() << u"data-dir"_s;
        QTest::newRow("value empty") << QStringList{u"--data-dir="_s} << QString() << fail << QString()
                                     << u"data-dir"_s;
        QTest::newRow("stray argument")
            << QStringList{u"dat.txt"_s} << QString() << fail << QString() << u"dat.txt"_s;
        QTest::newRow("help") << QStringList{u"--help"_s} << QString() << int(Action::ShowHelp) << QString()
                              << u"TICKORA_DATA_DIR"_s;
        QTest::newRow("version") << QStringList{u"-v"_s} << QString() << int(Action::ShowVersion) << QString()
                                 << u"tickora 9.8.7\n"_s;
    }

    void parses()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, envDataDir);
        QFETCH(int, action);
        QFETCH(QString, dataDir);
        QFETCH(QString, mentions);

        const CommandLine cli = parseCommandLine(QStringList{u"/usr/bin/tickora"_s} + args, u"9.8.7"_s);
        QCOMPARE(int(cli.action), action);
        QVERIFY2(cli.text.contains(mentions), qPrintable(cli.text));
        if (cli.action == Action::Fail)
            QVERIFY2(cli.text.contains(u"tickora --help"_s), qPrintable(cli.text));
        if (cli.action == Action::Run) {
            QProcessEnvironment env;
            if (!envDataDir.isEmpty())
                env.insert(u"TICKORA_DATA_DIR"_s, envDataDir);
            QCOMPARE(Config::fromEnvironment(cli.environment(env)).dataDir, dataDir);
        }
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
