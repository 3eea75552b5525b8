#include "hex.h"

#include <limits>

namespace Hex {

std::optional<quint64> parse64(QStringView text)
{
    QStringView t = text.trimmed();
    if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        t = t.mid(2);
    if (t.isEmpty())
        return std::nullopt;
    quint64 value = 0;
    for (const QChar c : t) {
        const char16_t u = c.unicode();
        int digit;
        if (u >= '0' && u <= '9')
            digit = u - '0';
        else if (u >= 'a' && u <= 'f')
            digit = u - 'a' + 10;
        else if (u >= 'A' && u <= 'F')
            digit = u - 'A' + 10;
        else
            return std::nullopt;
        if (value > (std::numeric_limits<quint64>::max() >> 4))
            return std::nullopt;
        value = value << 4 | quint64(digit);
    }
    return value;
}

std::optional<quint32> parse32(QStringView text)
{
    const std::optional<quint64> v = parse64(text);
    if (!v || *v > std::numeric_limits<quint32>::max())
        return std::nullopt;
    return quint32(*v);
}

QString hex8(quint64 value)
{
    return QStringLiteral("%1").arg(value, 8, 16, QLatin1Char('0'));
}

} // namespace Hex
