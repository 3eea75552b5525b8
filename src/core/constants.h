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

// The Krel box's USB identity, the one place it is written: one vendor and
// product id in all modes, the product string telling the mode, and the marker
// file in the root of its configuration drive.
struct KrelUsbIdentity
{
    quint32 vendorId;
    quint32 productId;
    const char* productHid; // accepts text commands
    const char* productMsc; // shows its configuration drive
    const char* productUf2; // shows its firmware-update drive
    const char* driveMarker;
};
inline constexpr KrelUsbIdentity KrelIdentity { 0x34B7, 0x1000, "Veltrix KREL HID", "Veltrix KREL MSC",
    "Veltrix KREL UF2", ".VID_34B7_PID_1000" };

} // namespace Constants
