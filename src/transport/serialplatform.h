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

// Sets the port up for the transfer path: reads that wait in the system, in
// short slices, so one call both waits and reads. False when it cannot.
bool prepareTransfers(qintptr handle);
// Reads what arrives within ms (-1: for ever; waits are rounded up to the
// slice of 100 ms): the count, 0 on time-out, -1 on error or hang-up.
int64_t readWait(qintptr handle, uint8_t* data, int64_t capacity, int ms);
// Writes all bytes and returns the count written. Bounded: gives up when the
// port accepts nothing for stallMs; otherwise the write may wait for room (the
// output queue is known to be drained: no flow control, last frame acknowledged).
int64_t writeAll(qintptr handle, const uint8_t* data, int64_t length, int stallMs, bool bounded);
// Drops what the system still holds to send (output) or has received (input);
// returns the count of received bytes dropped, when the system tells it.
void discardOutput(qintptr handle);
int64_t discardInput(qintptr handle);

} // namespace RomCmd::SerialPlatform
