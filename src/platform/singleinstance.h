#pragma once

#include <QString>

#include <memory>

class QLockFile;

namespace tickora {

/// Tells whether another instance of the program already runs.
class SingleInstance
{
public:
    virtual ~SingleInstance() = default;
    /// Claims the program for this process; false when another running instance holds it.
    virtual bool claim() = 0;
};

/// A lock file in a folder of the user's own; a lock left by a crashed process is recovered. Only
/// a lock that another process holds counts: when the lock file cannot be made at all, the
/// program runs rather than refuse to start.
class LockFileInstance : public SingleInstance
{
public:
    explicit LockFileInstance(QString lockPath);
    ~LockFileInstance() override;
    bool claim() override;

    /// The lock in the user's runtime folder, or in `dataDir` (created when missing) where there
    /// is none; never in a folder other users can write to, where anyone could plant it.
    static QString defaultLockPath(const QString& dataDir);

private:
    std::unique_ptr<QLockFile> m_lock;
};

} // namespace tickora
