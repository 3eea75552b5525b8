// Constant tables shared by several subsystems: command names, status texts,
// serial-line choices and the Krel box's USB identity.
#pragma once

#include <QString>
#include <QStringList>

namespace Constants {

// Command name by nameId; "unknown command" for ids outside the table.
QString commandName(int nameId);
// Number of entries in the command-name table (ids 0 .. count-1).
int commandNameCount();

// Translated status text by status key; an empty text for unknown keys.
QString statusText(int key);

// Status keys of the status text table.
enum StatusKey {
    StatusError = 0,
    StatusDetected = 1,
    StatusQueryRomVersion = 2,
    StatusLoadingRomFirmware = 3,
    StatusConnected = 4,
    StatusConnectedError = 5,
    StatusWaiting = 6,
    StatusRunCommand = 7,
    StatusFinish = 8,
    StatusFailed = 9,
    StatusRunSuccess = 10,
    StatusStop = 11,
    StatusOtpOutOfRange = 12,
    StatusOtpLocked = 13,
    StatusNoCommand = 15
};

QStringList baudRates();
QStringList dataBits();
QStringList parityNames();
// Serial-port library codes matching parityNames(), in the same order.
QList<int> parityCodes();

inline constexpr const char KrelProductHid[] = "Veltrix KREL HID";
inline constexpr const char KrelProductMsc[] = "Veltrix KREL MSC";
inline constexpr const char KrelProductUf2[] = "Veltrix KREL UF2";
inline constexpr const char KrelInstanceFragment[] = ".VID_34B7_PID_1000";

} // namespace Constants
