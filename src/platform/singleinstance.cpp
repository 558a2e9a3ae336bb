#include "singleinstance.h"

#include <QDir>
#include <QLockFile>

namespace tickora {

LockFileInstance::LockFileInstance(QString lockPath) : m_lock(std::make_unique<QLockFile>(lockPath))
{
    m_lock->setStaleLockTime(0); // only a dead owner makes the lock stale
}

LockFileInstance::~LockFileInstance() = default;

bool LockFileInstance::claim()
{
    return m_lock->isLocked() || m_lock->tryLock(0);
}

QString LockFileInstance::defaultLockPath()
{
    return QDir::temp().filePath(QStringLiteral("tickora.lock"));
}

} // namespace tickora
