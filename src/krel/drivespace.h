// Free space of the file system that holds a folder; replaceable process-wide
// so tests can pose as a nearly full drive.
#pragma once

#include <QString>
#include <functional>

namespace DriveSpace {

using Probe = std::function<qint64(const QString& folder)>;

// Bytes the user may still write below folder; -1 when unknown. Thread-safe.
qint64 available(const QString& folder);
// An empty function restores the system's answer.
void setProbe(Probe probe);

} // namespace DriveSpace
