#include "serialplatform.h"

#include <QFileInfo>

namespace RomCmd::SerialPlatform {

QString devicePath(const QString& portName)
{
    // Counterpart of the "\\.\" prefix on Windows; absolute paths (e.g. pseudo-terminals) pass unchanged.
    if (portName.startsWith(QLatin1Char('/')))
        return portName;
    return QStringLiteral("/dev/") + portName;
}

QString explainOpenError(QSerialPort::SerialPortError error, const QString& path)
{
    switch (error) {
    case QSerialPort::PermissionError:
        if (QFileInfo::exists(path) && !QFileInfo(path).isWritable())
            return QStringLiteral("permission denied: the user needs access to the port "
                                  "(e.g. membership of the dialout group, then log in again)");
        return QStringLiteral("the port is busy: another program holds it");
    case QSerialPort::DeviceNotFoundError:
        return QStringLiteral("no such port");
    default:
        return QStringLiteral("cannot open the port");
    }
}

} // namespace RomCmd::SerialPlatform
