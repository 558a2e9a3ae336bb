#include "sound.h"

#include <QApplication>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace tickora {

void ProcessSoundPlayer::play(const QString& wavPath)
{
    if (!QFileInfo(wavPath).isFile())
        return;
    for (const QString& player : {u"paplay"_s, u"aplay"_s}) {
        const QString exe = QStandardPaths::findExecutable(player);
        if (exe.isEmpty())
            continue;
        QProcess process;
        process.setProgram(exe);
        process.setArguments(player == u"aplay"_s ? QStringList{u"-q"_s, wavPath} : QStringList{wavPath});
        process.setStandardOutputFile(QProcess::nullDevice());
        process.setStandardErrorFile(QProcess::nullDevice());
        process.setStandardInputFile(QProcess::nullDevice());
        if (process.startDetached())
            return;
    }
}

void ProcessSoundPlayer::beep()
{
    QApplication::beep();
}

} // namespace tickora
