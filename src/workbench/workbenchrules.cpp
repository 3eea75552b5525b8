#include "workbenchrules.h"

#include "constants.h"

#include <QCoreApplication>
#include <QSet>

namespace WorkbenchRules {

namespace {

QString hex4(quint32 v)
{
    return QStringLiteral("%1").arg(v, 4, 16, QLatin1Char('0')).toUpper();
}

void addId(QList<UsbId>& ids, quint32 vid, quint32 pid)
{
    if (vid == 0 || pid == 0 || vid == 0xFFFFFFFFu || pid == 0xFFFFFFFFu)
        return;
    const UsbId id { vid, pid };
    if (!ids.contains(id))
        ids.append(id);
}

} // namespace

QList<UsbId> romUsbIds(const QList<SocInfo>& socs, const QList<CustomSocInfo>& customSocs)
{
    QList<UsbId> ids;
    for (const SocInfo& soc : socs)
        addId(ids, soc.vid, soc.pid);
    for (const CustomSocInfo& soc : customSocs)
        addId(ids, quint32(soc.vid), quint32(soc.pid));
    return ids;
}

bool isRomUsbDevice(const UsbInfo& usb, const QList<UsbId>& romIds)
{
    if (usb.vendorId == Constants::KrelIdentity.vendorId && usb.productId == Constants::KrelIdentity.productId)
        return false;
    return romIds.contains(UsbId { usb.vendorId, usb.productId });
}

QString usbItemText(const UsbInfo& usb)
{
    QString text = hex4(usb.vendorId) + QLatin1Char(':') + hex4(usb.productId);
    if (!usb.productString.isEmpty())
        text += QStringLiteral("  ") + usb.productString;
    return text + QLatin1Char('\n') + usb.devicePath;
}

PortChanges portChanges(const QStringList& shown, const QStringList& present, const QStringList& typed)
{
    PortChanges changes;
    for (const QString& port : present)
        if (!shown.contains(port) && !changes.added.contains(port))
            changes.added.append(port);
    for (const QString& port : shown)
        if (!present.contains(port) && !typed.contains(port))
            changes.removed.append(port);
    return changes;
}

QStringList restartPorts(const QStringList& systemPorts, const QStringList& typed, const QStringList& existing)
{
    QStringList ports = systemPorts;
    for (const QString& port : typed)
        if (existing.contains(port) && !ports.contains(port))
            ports.append(port);
    return ports;
}

QString deviceText(const QVariant& info, EDeviceType type)
{
    if (type == EDeviceTypeUart) {
        const SerialPortInfo port = recordFromVariant<SerialPortInfo>(info);
        return QStringLiteral("UART %1 %2").arg(port.portName).arg(port.baudRate);
    }
    const UsbInfo usb = recordFromVariant<UsbInfo>(info);
    return QStringLiteral("USB-HID ") + hex4(usb.vendorId) + QLatin1Char(':') + hex4(usb.productId) + QLatin1Char(' ')
        + usb.devicePath;
}

QString stateText(ConnectState state)
{
    switch (state) {
    case ConnectState::Rom: return QCoreApplication::translate("WorkbenchRules", "Connected (ROM)");
    case ConnectState::Firmware:
        return QCoreApplication::translate("WorkbenchRules", "Connected (bootloader firmware)");
    case ConnectState::Failed: break;
    }
    return QCoreApplication::translate("WorkbenchRules", "Connection failed");
}

QString shortDeviceText(const QVariant& info, EDeviceType type)
{
    if (type == EDeviceTypeUart)
        return deviceText(info, type);
    return QStringLiteral("USB-HID ") + recordFromVariant<UsbInfo>(info).devicePath;
}

ConnectOutcome connectOutcome(const QVariant& info, EDeviceType type, bool result, const QVariantMap& map)
{
    ConnectOutcome out;
    out.romVersion = map.value(QStringLiteral("romVersion")).toString();
    const QChar kind = out.romVersion.isEmpty() ? QChar() : out.romVersion.at(0).toUpper();
    if (!result)
        out.state = ConnectState::Failed;
    else if (kind == QLatin1Char('F'))
        out.state = ConnectState::Firmware;
    else
        out.state = ConnectState::Rom;

    out.statusText = stateText(out.state);
    out.level = out.state == ConnectState::Failed ? LogError : LogInfo;

    out.report << QCoreApplication::translate("WorkbenchRules", "Device report: %1").arg(deviceText(info, type));
    if (!out.romVersion.isEmpty()) {
        const char* what = kind == QLatin1Char('F') ? QT_TRANSLATE_NOOP("WorkbenchRules", "bootloader firmware")
            : kind == QLatin1Char('V')              ? QT_TRANSLATE_NOOP("WorkbenchRules", "plain ROM")
                                                    : QT_TRANSLATE_NOOP("WorkbenchRules", "not a ROM version");
        out.report << QCoreApplication::translate("WorkbenchRules", "  ROM version: %1 (%2)")
                          .arg(out.romVersion, QCoreApplication::translate("WorkbenchRules", what));
        out.report << QCoreApplication::translate("WorkbenchRules", "  SoC revision: %1")
                          .arg(map.value(QStringLiteral("socRevision")).toString());
        out.report << QCoreApplication::translate("WorkbenchRules", "  Life cycle: %1")
                          .arg(map.value(QStringLiteral("lifecycle")).toUInt());
    }
    out.report << QCoreApplication::translate("WorkbenchRules", "  Result: %1").arg(out.statusText);
    return out;
}

} // namespace WorkbenchRules
