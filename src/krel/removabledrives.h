// Removable drives with their mount roots and sizes, and the rule that picks
// the Krel box's configuration drive among them. The listing can be replaced
// process-wide (tests, the box simulator) with setLister().
#pragma once

#include <QList>
#include <QString>
#include <functional>

struct RemovableDrive
{
    QString root; // mount point (folder) to copy into
    quint64 sizeBytes = 0; // file-system size
    QString device; // system name, for the log
};

struct DriveListing
{
    bool ok = false; // false: the listing itself failed (never "no drives")
    QString error; // why it failed
    QString report; // what was found, for the log
    QList<RemovableDrive> drives;
};

namespace RemovableDrives {

// Longest time the system listing may take.
inline constexpr int ListTimeoutMs = 30000;

using Lister = std::function<DriveListing()>;

// The drives through the installed lister, else systemListing(). Thread-safe.
DriveListing list();
// Replaces the listing for the whole process; an empty function restores the system one.
void setLister(Lister lister);

// The operating system's removable drives (Linux: lsblk).
DriveListing systemListing();

// lsblk --json --bytes --paths --tree output with the columns name, type, tran,
// rm, hotplug, fssize, size, mountpoint. Booleans may be true or "1", numbers may
// be strings; partitions nest below their disk and inherit its removability.
// Only mounted file systems are drives.
DriveListing parseLsblkJson(const QByteArray& json);

// One line per drive: device, root and size in bytes.
QString describe(const QList<RemovableDrive>& drives);

// The Krel configuration drive: 119..137 MiB and the marker file in its root.
bool isKrelDrive(const RemovableDrive& drive);
QList<RemovableDrive> krelDrives(const QList<RemovableDrive>& drives);

} // namespace RemovableDrives
