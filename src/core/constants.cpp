#include "constants.h"

#include <QCoreApplication>

namespace Constants {

namespace {
const char* const kCommandNames[] = {"unknown command", "query-rte",    "config-rte",   "config-memory",
                                     "write-memory",    "read-memory",  "load-image",   "erase-region",
                                     "erase-chip",      "reset",        "gen-keyblob",  "load-blfw"};
constexpr int kCommandNameCount = int(sizeof(kCommandNames) / sizeof(kCommandNames[0]));
} // namespace

QString commandName(int nameId)
{
    if (nameId < 0 || nameId >= kCommandNameCount)
        return QString::fromLatin1(kCommandNames[0]);
    return QString::fromLatin1(kCommandNames[nameId]);
}

int commandNameCount() { return kCommandNameCount; }

QString statusText(int key)
{
    switch (key) {
    case StatusError: return QCoreApplication::translate("Constants", "Status Error");
    case StatusDetected: return QCoreApplication::translate("Constants", "Detected");
    case StatusQueryRomVersion: return QCoreApplication::translate("Constants", "Query Rom Version");
    case StatusLoadingRomFirmware:
        return QCoreApplication::translate("Constants", "Loading Rom Firmware! Don't handle device!");
    case StatusConnected: return QCoreApplication::translate("Constants", "Connected");
    case StatusConnectedError:
        return QCoreApplication::translate("Constants", "Connected Error! Please reconnect device!");
    case StatusWaiting: return QCoreApplication::translate("Constants", "Waiting");
    case StatusRunCommand: return QCoreApplication::translate("Constants", "Run Command");
    case StatusFinish: return QCoreApplication::translate("Constants", "Finish");
    case StatusFailed: return QCoreApplication::translate("Constants", "Failed! Please reconnect device!");
    case StatusRunSuccess: return QCoreApplication::translate("Constants", "Run success!");
    case StatusStop: return QCoreApplication::translate("Constants", "Stop");
    case StatusOtpOutOfRange:
        return QCoreApplication::translate("Constants", "Address and length exceeds OTP word length!");
    case StatusOtpLocked:
        return QCoreApplication::translate("Constants", "OTP words are hard locked and can not be read or wrote!");
    case StatusNoCommand: return QCoreApplication::translate("Constants", "There is no command to execute!");
    default: return QString();
    }
}

QStringList baudRates() { return {"57600", "115200", "230400", "460800", "500000", "1000000"}; }
QStringList dataBits() { return {"5", "6", "7", "8"}; }
QStringList parityNames() { return {"None", "Even", "Odd", "Space", "Mark"}; }
QList<int> parityCodes() { return {0, 2, 3, 4, 5}; }

} // namespace Constants
