// Saving what the memory view read: the raw bytes, or, for a ".txt" name, the
// rows as the viewer shows them. Written through QSaveFile, so an existing file
// is replaced only by a complete one.
#pragma once

#include <QByteArray>
#include <QString>

namespace MemoryDump {

// One text line per 16 bytes: address, hexadecimal bytes, characters.
QByteArray textDump(const QByteArray& bytes, quint64 baseAddress, int addressWidth = 8);
// Text when path ends in ".txt" (any case), raw bytes otherwise. False with the reason in error.
bool save(const QString& path, const QByteArray& bytes, quint64 baseAddress, int addressWidth, QString* error);

} // namespace MemoryDump
