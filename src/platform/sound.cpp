#include "sound.h"

#include <QApplication>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace tickora {

void ProcessSoundPlayer::play(const QString& wavPath)
{
    if (!QFileInfo(wavPath).isFile())
        return;
    for (const QString& player : {QStringLiteral("paplay"), QStringLiteral("aplay")}) {
        const QString exe = QStandardPaths::findExecutable(player);
        if (exe.isEmpty())
            continue;
        QProcess process;
        process.setProgram(exe);
        process.setArguments(player == QLatin1String("aplay") ? QStringList{QStringLiteral("-q"), wavPath}
                                                              : QStringList{wavPath});
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
