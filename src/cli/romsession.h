// One device for one vlx-rom run: the command runner's opening (baud switch),
// closing (switch back to 115200) and device report, with the ROM command
// object reachable so that each command's own status comes back.
#pragma once

#include "downloadcmd.h"

namespace RomCmd {

class RomSession : public DownloadCmd
{
    Q_OBJECT
public:
    RomSession(QVariant info, EDeviceType type)
        : DownloadCmd(std::move(info), type)
    { }

    // The open ROM command object; null before beforeRunCmds and after afterRunCmds.
    RomCmd* rom() const { return romCmd; }
    // The one way the command line stops a transfer: at its next chunk, as the
    // terminate request of the jobs does.
    void stop() { slotTerminate(); }
};

} // namespace RomCmd
