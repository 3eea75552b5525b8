// What the ROM workbench decides without a window: which USB devices its panel
// lists, how the UART list follows the ports present, and what a connection
// test's result means for the panel and its device report.
#pragma once

#include "records.h"
#include "socinfo.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantMap>

namespace WorkbenchRules {

struct UsbId
{
    quint32 vid = 0;
    quint32 pid = 0;
    bool operator==(const UsbId& o) const { return vid == o.vid && pid == o.pid; }
};

// USB ids of the ROM bootloaders of the catalogue's and the project's custom SoCs,
// each once; records that name no SoC (ids 0xFFFFFFFF) and zero ids are left out.
QList<UsbId> romUsbIds(const QList<SocInfo>& socs, const QList<CustomSocInfo>& customSocs);

// An arriving USB device is listed when its ids are a ROM's and it is not the Krel box.
bool isRomUsbDevice(const UsbInfo& usb, const QList<UsbId>& romIds);

// "34B7:0009  <product>" and the path on a second line (the product only when known).
QString usbItemText(const UsbInfo& usb);

struct PortChanges
{
    QStringList added; // in the order present lists them
    QStringList removed; // in the order shown lists them
};

// What the UART list does to show the ports present; ports the user typed in stay
// while they are not present (pseudo-terminals and links are not enumerated).
PortChanges portChanges(const QStringList& shown, const QStringList& present, const QStringList& typed);

// Ports the orchestrator looks among for a restarted UART device: the system's, then
// the typed ones that exist (a restart keeps a pseudo-terminal's or a link's name).
QStringList restartPorts(const QStringList& systemPorts, const QStringList& typed, const QStringList& existing);

enum class ConnectState {
    Failed, // the device did not answer as a ROM: not usable
    Rom, // usable with the ROM's own commands (no firmware, or firmware could not be loaded)
    Firmware // the bootloader firmware runs
};

struct ConnectOutcome
{
    ConnectState state = ConnectState::Failed;
    QString romVersion; // empty when the device did not tell
    QString statusText; // for the panel
    LogLevel level = LogError; // of the report
    QStringList report; // the device report, one line each
};

// The panel's words for a state (translated).
QString stateText(ConnectState state);

// A connection test's end as the orchestrator reports it.
ConnectOutcome connectOutcome(
    const QVariant& info, EDeviceType type, bool result, const QVariantMap& stepResultInfoMap);

// "UART /dev/ttyUSB0 115200" or "USB-HID 34B7:0009 <path>".
QString deviceText(const QVariant& info, EDeviceType type);
// The same without the USB ids, for narrow places.
QString shortDeviceText(const QVariant& info, EDeviceType type);

} // namespace WorkbenchRules
