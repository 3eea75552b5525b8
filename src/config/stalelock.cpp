#include "stalelock.h"

#include <QLockFile>

namespace StaleLock {

bool takeOver(const QString& lockPath, int waitMs)
{
    QLockFile lock(lockPath);
    // tryLock itself takes over a lock whose process id is no longer running.
    if (!lock.tryLock(0)) {
        qint64 pid = 0;
        QString host, app;
        // Unreadable: no owner to ask. The system lock its creator took on the
        // file is released by the kernel when that process dies, and
        // removeStaleLockFile only deletes the file when it can take that lock.
        if (lock.error() == QLockFile::LockFailedError && !lock.getLockInfo(&pid, &host, &app))
            lock.removeStaleLockFile();
        if (!lock.tryLock(waitMs))
            return false;
    }
    lock.unlock();
    return true;
}

} // namespace StaleLock
