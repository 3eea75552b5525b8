#include "drivespace.h"

#include <QStorageInfo>
#include <mutex>

namespace DriveSpace {

namespace {
std::mutex g_lock; // guards g_probe
Probe g_probe;
} // namespace

qint64 available(const QString& folder)
{
    Probe probe;
    {
        std::lock_guard<std::mutex> lock(g_lock);
        probe = g_probe;
    }
    if (probe)
        return probe(folder);
    const QStorageInfo info(folder);
    return info.isValid() ? info.bytesAvailable() : -1;
}

void setProbe(Probe probe)
{
    std::lock_guard<std::mutex> lock(g_lock);
    g_probe = std::move(probe);
}

} // namespace DriveSpace
