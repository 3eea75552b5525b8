// Lets the tool's removable-drive listing see the simulation's drives, so the
// configuration writer finds a simulated box's drive. Header-only: krel_krelsim
// does not link the tool's libraries; include it where krel_krel is linked.
#pragma once

#include "krelbox.h"
#include "removabledrives.h"

namespace KrelSim {

inline DriveListing simDriveListing()
{
    DriveListing listing;
    listing.ok = true;
    const QList<SimDrive> drives = SimDrives::list();
    for (const SimDrive& d : drives) {
        RemovableDrive r;
        r.root = d.root;
        r.sizeBytes = d.sizeBytes;
        r.device = QStringLiteral("krelsim");
        listing.drives << r;
    }
    listing.report = RemovableDrives::describe(listing.drives);
    return listing;
}

// Process-wide until uninstallDriveLister().
inline void installDriveLister()
{
    RemovableDrives::setLister(&simDriveListing);
}

inline void uninstallDriveLister()
{
    RemovableDrives::setLister({});
}

} // namespace KrelSim
