#include "capture.h"

#include "platform/datafolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace tickora {

using namespace Qt::StringLiterals;

QString captureFileName(QDate day)
{
    return u"p"_s + day.toString(u"yy-MM-dd "_s) + u".bmp"_s;
}

QString saveCapture(Pictures& pictures, const QImage& shot, const QString& picDir, QDate day,
                    QString* savedPath)
{
    const QString notSaved = u"画面を保存できませんでした。\n"_s;
    if (shot.isNull())
        return notSaved + u"画面を取り込めませんでした。"_s;
    // The whole screen may show anything: folder and file are the user's alone.
    if (!makePrivateFolder(picDir))
        return notSaved +
               u"保存先のフォルダー「%1」を作成できません。"_s.arg(QDir::toNativeSeparators(picDir));
    const QString path = QDir(picDir).filePath(captureFileName(day));
    if (savedPath)
        *savedPath = path;
    QString reason;
    if (!pictures.saveBmp(shot, path, &reason)) {
        if (QFileInfo(path).isDir())
            return notSaved + u"「%1」と同じ名前のフォルダーがあるため、ファイルを書き込めません。"_s.arg(
                                  QDir::toNativeSeparators(path));
        return notSaved +
               u"「%1」に書き込めませんでした（%2）。"_s.arg(QDir::toNativeSeparators(path), reason);
    }
    QFile::setPermissions(path, OwnerOnly);
    return {};
}

QString printFailureMessage(const Printer::Result& result, const QString& savedPath)
{
    const QString saved =
        u"\n画面の画像は「%1」に保存されています。"_s.arg(QDir::toNativeSeparators(savedPath));
    if (result.noPrinter)
        return u"既定のプリンターが設定されていないため、印刷できませんでした。"_s + saved;
    const QString reason = result.error.isEmpty() ? u"原因不明のエラー"_s : result.error;
    return u"印刷できませんでした（%1）。"_s.arg(reason) + saved;
}

} // namespace tickora
