#include "datafolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryFile>

namespace tickora {

using namespace Qt::StringLiterals;

namespace {

// The files that come with an installation, by their names in the data folder; the program's
// resources hold each under ":/supplied/" and the same name.
QStringList suppliedFiles()
{
    return {DataFolder::codeList(), DataFolder::sellChime(), DataFolder::buyChime(),
            DataFolder::helpDocument()};
}

// Writes `bytes` as a new file at `path`. The bytes go to a temporary file in the same folder
// first and are then linked under the final name by a rename that refuses to replace an
// existing file, so a file that appeared meanwhile is kept and a crash leaves no half file.
bool installNew(const QString& path, const QByteArray& bytes, QString* error)
{
    QTemporaryFile temp(path + u".XXXXXX"_s);
    const bool written = temp.open() && temp.write(bytes) == bytes.size() && temp.flush();
    // Ordinary permissions, as for any file the user creates.
    if (written)
        temp.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                            QFileDevice::ReadOther);
    if (!written || !temp.rename(path)) {
        *error = temp.errorString();
        return false;
    }
    temp.setAutoRemove(false);
    return true;
}

} // namespace

bool makePrivateFolder(const QString& path)
{
    constexpr QFileDevice::Permissions Private = OwnerOnly | QFileDevice::ExeOwner;
    const QFileInfo info(path);
    if (!info.exists()) { // a link to nowhere fails the folder check below
        if (!QDir().mkpath(info.absolutePath()))
            return false;
        QDir().mkdir(path, Private);
    }
    if (!QFileInfo(path).isDir())
        return false;
    QFile::setPermissions(path, Private);
    return true;
}

QStringList installSuppliedFiles(const Config& config, const QString& installedDir)
{
    QStringList problems;
    const QString dataDir = QDir::toNativeSeparators(config.dataDir);
    if (!QDir().mkpath(config.dataDir)) { // it fails also where a file has the folder's name
        problems.append(u"データフォルダー「%1」を作成できません。"_s.arg(dataDir));
        return problems;
    }
    const QString picDir = config.dataFile(DataFolder::captures());
    // Captures hold the whole screen: their folder is the user's alone.
    if (!makePrivateFolder(picDir))
        problems.append(
            u"キャプチャー用のフォルダー「%1」を作成できません。"_s.arg(QDir::toNativeSeparators(picDir)));

    for (const QString& name : suppliedFiles()) {
        const QString target = config.dataFile(name);
        if (QFileInfo::exists(target) || QFileInfo(target).isSymLink())
            continue; // the user's own copy (or a file installed earlier) is never replaced
        const QString installed = installedDir.isEmpty() ? QString() : QDir(installedDir).filePath(name);
        QFile resource(!installed.isEmpty() && QFileInfo(installed).isFile() ? installed
                                                                             : u":/supplied/"_s + name);
        if (!resource.open(QIODevice::ReadOnly)) {
            problems.append(u"付属ファイル「%1」がプログラムに含まれていません。"_s.arg(name));
            continue;
        }
        QString error;
        if (!installNew(target, resource.readAll(), &error))
            problems.append(u"付属ファイル「%1」をデータフォルダーに置けません（%2）。"_s.arg(
                QDir::toNativeSeparators(target), error));
    }
    return problems;
}

QStringList removeSaveLeftovers(const Config& config, const QString& fileName)
{
    const QRegularExpression leftover(u"\\A"_s + QRegularExpression::escape(fileName) +
                                      u"\\.[A-Za-z0-9]{6}\\z"_s);
    QStringList removed;
    const QDir dir(config.dataDir);
    for (const QFileInfo& info : dir.entryInfoList({fileName + u".??????"_s}, QDir::Files | QDir::Hidden)) {
        if (info.isSymLink() || !leftover.match(info.fileName()).hasMatch())
            continue;
        if (QFile::remove(info.absoluteFilePath()))
            removed.append(info.fileName());
    }
    return removed;
}

} // namespace tickora
