// Lock files of a writer that died: QSettings guards each write of an INI file
// with "<file>.lock" and treats a lock it cannot read (its writer was killed
// between creating and filling it) as stale only after 30 s.
#pragma once

#include <QString>

namespace StaleLock {

// Clears the way for a write guarded by lockPath: a lock of a process that is
// gone, or an empty or cut one nobody holds, is removed at once; a live owner
// is waited for up to waitMs. True when the lock is free afterwards.
bool takeOver(const QString& lockPath, int waitMs);

} // namespace StaleLock
