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

/// A lock file in the temp folder; a lock left by a crashed process is recovered.
class LockFileInstance : public SingleInstance
{
public:
    explicit LockFileInstance(QString lockPath);
    ~LockFileInstance() override;
    bool claim() override;

    static QString defaultLockPath();

private:
    std::unique_ptr<QLockFile> m_lock;
};

} // namespace tickora
