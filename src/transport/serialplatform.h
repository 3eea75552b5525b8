// The few things about serial ports that differ between systems: how a port
// name becomes a device path, and how an open failure is explained.
#pragma once

#include <QSerialPort>
#include <QString>

namespace RomCmd::SerialPlatform {

// Device path for a port name ("ttyUSB0" -> "/dev/ttyUSB0"; a path stays as is).
QString devicePath(const QString& portName);

// A sentence the user can act on for a failed open.
QString explainOpenError(QSerialPort::SerialPortError error, const QString& path);

} // namespace RomCmd::SerialPlatform
