// Which serial ports the system shows right now. The orchestrator asks it while
// it waits for a restarted UART device; tests replace it to plug and unplug ports.
#pragma once

#include <QStringList>

namespace RomCmd {

class SerialPortLister
{
public:
    virtual ~SerialPortLister() = default;
    // Port names as the serial-port enumeration reports them, in its order.
    virtual QStringList portNames() const;
};

} // namespace RomCmd
