#include "singleinstance.h"

#include <QDir>
#include <QLockFile>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace tickora {

LockFileInstance::LockFileInstance(QString lockPath) : m_lock(std::make_unique<QLockFile>(lockPath))
{
    m_lock->setStaleLockTime(0); // only a dead owner makes the lock stale
}

LockFileInstance::~LockFileInstance() = default;

bool LockFileInstance::claim()
{
    return m_lock->isLocked() || m_lock->tryLock(0) || m_lock->error() != QLockFile::LockFailedError;
}

QString LockFileInstance::defaultLockPath(const QString& dataDir)
{
    // Qt gives the runtime folder only when it is the user's own and closed to others.
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty()) {
        dir = dataDir;
        QDir().mkpath(dir);
    }
    return QDir(dir).filePath(u"tickora.lock"_s);
}

} // namespace tickora
