#include "iostatus.h"

#include <QHash>

namespace RomCmd {

QString ioStatusText(int code)
{
    static const QHash<int, QString> table = {
        {0, QStringLiteral("OK")},
        {1, QStringLiteral("NAK")},
        {2, QStringLiteral("Abort")},
        {3, QStringLiteral("Failure")},
        {4, QStringLiteral("TimeOut")},
        {5, QStringLiteral("Open device failed")},
        {6, QStringLiteral("Write header failed")},
        {7, QStringLiteral("Write payload failed")},
        {8, QStringLiteral("Write CRC failed")},
        {9, QStringLiteral("Read ack start status failed")},
        {10, QStringLiteral("Read ack status failed")},
        {11, QStringLiteral("Read payload failed")},
        {12, QStringLiteral("Read payload length failed")},
        {13, QStringLiteral("Read payload buffer failed")},
        {14, QStringLiteral("Read CRC failed")},
        {15, QStringLiteral("Send response failed")},
        {16, QStringLiteral("Set timeout failed")},
        {17, QStringLiteral("Command execute failed, check the log file to get more details.")},
        {18, QStringLiteral("Command execute failed, check whether the boot mode is correct!")},
    };
    return table.value(code);
}

} // namespace RomCmd
