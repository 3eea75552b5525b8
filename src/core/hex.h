// One rule for hexadecimal numbers, wherever they come from (the SoC catalogue,
// command parameters, OTP word files, udev records, memory base addresses), and
// the eight-digit form the logs and files write them in.
#pragma once

#include <QString>
#include <QStringView>
#include <optional>

namespace Hex {

// Surrounding white space is ignored; then an optional "0x" or "0X"; then one or
// more hexadecimal digits and nothing else (no sign, no inner space). Leading
// zeros never count against the width: the value must fit the type. Anything
// else gives no value.
std::optional<quint64> parse64(QStringView text);
std::optional<quint32> parse32(QStringView text);

// The value in at least eight lower-case digits, zero-filled, without "0x"
// (wider when the value needs more digits).
QString hex8(quint64 value);

} // namespace Hex
