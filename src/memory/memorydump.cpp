#include "memorydump.h"

#include "hexviewmodel.h"

#include <QSaveFile>

namespace MemoryDump {

QByteArray textDump(const QByteArray& bytes, quint64 baseAddress, int addressWidth)
{
    constexpr int Row = DevelopViews::HexViewModel::BytesPerRow;
    static const char digits[] = "0123456789ABCDEF";
    QByteArray out;
    out.reserve((bytes.size() / Row + 1) * (addressWidth + 4 + 3 * Row + 2 + Row + 1));
    for (int at = 0; at < bytes.size(); at += Row) {
        out += "0x" + QByteArray::number(baseAddress + quint64(at), 16).toUpper().rightJustified(addressWidth, '0');
        out += ' ';
        for (int i = at; i < at + Row; ++i) {
            out += ' ';
            if (i < bytes.size()) {
                const uint8_t b = uint8_t(bytes.at(i));
                out += digits[b >> 4];
                out += digits[b & 0xF];
            } else {
                out += "  ";
            }
        }
        out += "  ";
        for (int i = at; i < at + Row && i < bytes.size(); ++i)
            out += DevelopViews::HexViewModel::displayChar(uint8_t(bytes.at(i))).toLatin1();
        out += '\n';
    }
    return out;
}

bool save(const QString& path, const QByteArray& bytes, quint64 baseAddress, int addressWidth, QString* error)
{
    QSaveFile file(path);
    const bool text = path.endsWith(QLatin1String(".txt"), Qt::CaseInsensitive);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    const QByteArray content = text ? textDump(bytes, baseAddress, addressWidth) : bytes;
    if (file.write(content) != content.size() || !file.commit()) {
        if (error)
            *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    return true;
}

} // namespace MemoryDump
