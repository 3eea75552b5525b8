#include "devicelistinfo.h"

#include <QDebug>

namespace {
int indexOfUsb(const QList<UsbInfo>& list, const QString& path)
{
    for (int i = 0; i < list.size(); ++i) {
        if (list.at(i).devicePath == path)
            return i;
    }
    return -1;
}

int indexOfPort(const QList<SerialPortInfo>& list, const QString& name)
{
    for (int i = 0; i < list.size(); ++i) {
        if (list.at(i).portName == name)
            return i;
    }
    return -1;
}
} // namespace

DeviceListInfo& DeviceListInfo::instance()
{
    static DeviceListInfo list;
    return list;
}

void DeviceListInfo::addDevice(const SerialPortInfo& port)
{
    qInfo().noquote() << QStringLiteral("DeviceListInfo add device: ") + port.portName;
    m_serialPorts.append(port);
}

void DeviceListInfo::addDevice(const UsbInfo& usb)
{
    qInfo().noquote() << QStringLiteral("DeviceListInfo add device: ") + usb.devicePath;
    m_usbDevices.append(usb);
}

bool DeviceListInfo::removeDevice(EDeviceType type, const QString& id)
{
    int i = -1;
    if (type == EDeviceTypeUart)
        i = indexOfPort(m_serialPorts, id);
    else if (type == EDeviceTypeUsbHid)
        i = indexOfUsb(m_usbDevices, id);
    if (i < 0)
        return false;
    qInfo().noquote() << QStringLiteral("DeviceListInfo remove device: ") + id;
    if (type == EDeviceTypeUart)
        m_serialPorts.removeAt(i);
    else
        m_usbDevices.removeAt(i);
    return true;
}

bool DeviceListInfo::setStatus(EDeviceType type, const QString& id, int status)
{
    if (type == EDeviceTypeUart) {
        const int i = indexOfPort(m_serialPorts, id);
        if (i >= 0)
            m_serialPorts[i].status = status;
        return i >= 0;
    }
    if (type == EDeviceTypeUsbHid) {
        const int i = indexOfUsb(m_usbDevices, id);
        if (i >= 0)
            m_usbDevices[i].status = quint32(status);
        return i >= 0;
    }
    return false;
}
