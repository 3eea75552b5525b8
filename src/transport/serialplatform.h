// The few things about serial ports that differ between systems: how a port
// name becomes a device path, how an open failure is explained, and the raw
// reads and writes of the transfer path on the port's native handle.
#pragma once

#include <QSerialPort>
#include <QString>
#include <cstdint>

namespace RomCmd::SerialPlatform {

// Device path for a port name ("ttyUSB0" -> "/dev/ttyUSB0"; a path stays as is).
QString devicePath(const QString& portName);

// A sentence the user can act on for a failed open.
QString explainOpenError(QSerialPort::SerialPortError error, const QString& path);

// Waits up to ms (-1: for ever) until bytes can be read; false on time-out or error.
bool waitReadable(qintptr handle, int ms);
// Reads what is there now, without waiting: the count, 0 when nothing, -1 on error or hang-up.
int64_t readAvailable(qintptr handle, uint8_t* data, int64_t capacity);
// Writes all bytes unless the port accepts nothing for stallMs; returns the count written.
int64_t writeAll(qintptr handle, const uint8_t* data, int64_t length, int stallMs);
// Drops what the system still holds to send (output) or has received (input);
// returns the count of received bytes dropped, when the system tells it.
void discardOutput(qintptr handle);
int64_t discardInput(qintptr handle);

} // namespace RomCmd::SerialPlatform
