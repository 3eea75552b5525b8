// The host device list: the USB devices and serial ports the tool currently knows about.
// One instance per process, used from the GUI thread only (no lock).
#pragma once

#include "records.h"

#include <QList>
#include <QString>

class DeviceListInfo
{
public:
    // The process-wide list, created on first use.
    static DeviceListInfo& instance();

    // Separate lists are for tests; the program uses instance().
    DeviceListInfo() = default;

    // Appends the record. Duplicates are not looked for; the orchestrator avoids them.
    void addDevice(const SerialPortInfo& port);
    void addDevice(const UsbInfo& usb);

    // Removes the first record of the type whose id (port name or device path) is id.
    // False when there is none or the type is neither UART nor USB-HID.
    bool removeDevice(EDeviceType type, const QString& id);

    // Writes status into the first matching record (matched as removeDevice does).
    bool setStatus(EDeviceType type, const QString& id, int status);

    const QList<UsbInfo>& usbDevices() const { return m_usbDevices; }
    const QList<SerialPortInfo>& serialPorts() const { return m_serialPorts; }

private:
    QList<UsbInfo> m_usbDevices;
    QList<SerialPortInfo> m_serialPorts;
};
