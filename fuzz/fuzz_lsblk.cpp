// lsblk JSON: a listing either failed with a reason or lists mounted drives;
// a drive whose size is not known is never the Krel drive.
#include "fuzzsupport.h"
#include "removabledrives.h"

FUZZ_INIT

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const DriveListing listing = RemovableDrives::parseLsblkJson(Fuzz::bytes(data, size));
    FUZZ_CHECK(listing.ok != !listing.error.isEmpty(), listing.error);
    FUZZ_CHECK(listing.ok || listing.drives.isEmpty(), QString());
    for (const RemovableDrive& d : listing.drives) {
        FUZZ_CHECK(!d.root.isEmpty(), d.device);
        if (d.sizeBytes == 0)
            FUZZ_CHECK(!RemovableDrives::isKrelDrive(d), d.root);
    }
    return 0;
}
