// The hexadecimal conversions of the OTP views, kept in one place so that the
// whole subsystem switches together when the shared helpers change.
#pragma once

#include "hex.h"

#include <QString>
#include <cstdint>

namespace OtpHex {

// "0x" and 8 lower-case hexadecimal digits.
inline QString hex8(quint32 value)
{
    return QStringLiteral("0x") + Hex::hex8(value);
}

// A 32-bit hexadecimal number by the tool's one hexadecimal rule.
inline bool parseHex32(const QString& text, quint32& value)
{
    const std::optional<quint32> parsed = Hex::parse32(text);
    if (parsed)
        value = *parsed;
    return parsed.has_value();
}

// An unsigned decimal number that fits 32 bits; nothing else.
inline bool parseDec32(const QString& text, quint32& value)
{
    if (text.isEmpty())
        return false;
    for (const QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    bool ok = false;
    const qulonglong v = text.toULongLong(&ok, 10);
    if (!ok || v > 0xFFFFFFFFull)
        return false;
    value = quint32(v);
    return true;
}

} // namespace OtpHex
