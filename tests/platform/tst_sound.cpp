// The chime: played by the first sound player found on the PATH.
#include "platform/sound.h"
#include "support/files.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace tickora;
using namespace tickora::test;
using namespace Qt::StringLiterals;

class TestSound : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // A chime starts the first player found on the PATH (paplay, else aplay -q) with the file, its
    // input and output on /dev/null; a missing file or a machine without either player stays silent.
    void soundPlayers_data()
    {
        QTest::addColumn<QStringList>("players");
        QTest::addColumn<bool>("fileExists");
        QTest::addColumn<QString>("heard");
        QTest::newRow("paplay first") << QStringList{u"paplay"_s, u"aplay"_s} << true << u"paplay %1"_s;
        QTest::newRow("aplay alone") << QStringList{u"aplay"_s} << true << u"aplay -q %1"_s;
        QTest::newRow("no file") << QStringList{u"paplay"_s, u"aplay"_s} << false << QString();
        QTest::newRow("no player") << QStringList{} << true << QString();
    }

    void soundPlayers()
    {
        QFETCH(QStringList, players);
        QFETCH(bool, fileExists);
        QFETCH(QString, heard);
        QTemporaryDir bin;
        const QString wav = bin.filePath(u"chime.wav"_s);
        const QString marker = bin.filePath(u"heard"_s);
        if (fileExists)
            QVERIFY(writeFile(wav, "RIFF"));
        for (const QString& player : players) {
            const QString script = bin.filePath(player);
            QVERIFY(writeFile(
                script,
                QStringLiteral("#!/bin/sh\nfds=$(/bin/readlink /proc/$$/fd/0 /proc/$$/fd/1 /proc/$$/fd/2)\n"
                               "echo %1 \"$@\" $fds > %2.part && /bin/mv %2.part %2\n")
                    .arg(player, marker)
                    .toUtf8()));
            QFile(script).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", bin.path().toUtf8());
        ProcessSoundPlayer().play(wav);
        qputenv("PATH", path);
        if (heard.isEmpty()) {
            QTest::qWait(300);
            QVERIFY(!QFile::exists(marker));
        } else {
            QTRY_VERIFY(QFile::exists(marker));
            QFile file(marker);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(QString::fromUtf8(file.readAll()).simplified(),
                     heard.arg(wav) + u" /dev/null /dev/null /dev/null"_s); // input, output, errors
        }
    }
};

QTEST_GUILESS_MAIN(TestSound)
#include "tst_sound.moc"
