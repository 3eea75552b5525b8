#include "serialportlister.h"

#include <QSerialPortInfo>

namespace RomCmd {

QStringList SerialPortLister::portNames() const
{
    QStringList names;
    const auto ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo& port : ports)
        names.append(port.portName());
    return names;
}

} // namespace RomCmd
