// Host device discovery: turns the system's device-change notifications into UsbInfo
// records and emits them. The logic here is the same on every system; what the system
// provides comes through a HotplugSource.
#pragma once

#include "hotplugsource.h"
#include "records.h"

#include <QObject>
#include <QStringList>
#include <memory>

class DetectDevicesWin : public QObject
{
    Q_OBJECT
public:
    // Watches the system's own source (udev on Linux); notifications arrive on this thread.
    explicit DetectDevicesWin(QObject* parent = nullptr);
    // Watches the given source (tests, the demo build).
    explicit DetectDevicesWin(std::unique_ptr<HotplugSource> source, QObject* parent = nullptr);
    ~DetectDevicesWin() override;

    // False when the source refused to notify: arrivals and removals are then not seen
    // (loadUsbDevices still works). The owner tells the user; errorString() says why.
    bool isRegistered() const { return m_registered; }
    QString errorString() const { return m_error; }

    // Interface class table; entry 0 is the HID interface class, the only one used.
    static QStringList interfaceClasses();

    // A native window message from the main window's event hook, for sources notified
    // that way. False when it is not a device change the detector took.
    bool nativeEvent(const QByteArray& eventType, void* message);

    // One notification: arrivals and removals of HID interfaces are identified, serial
    // ports are only logged, everything else is ignored.
    void handleDeviceChange(const DeviceChange& change);

    // Emits an arrival for every HID interface present now.
    void loadUsbDevices();

    // Builds the record of one interface path and emits it: a path shorter than 4
    // characters or unobtainable device information is logged and not emitted; a device
    // the system does not know (any removal) is emitted with the instance id only.
    void identifyUsbDevice(const QString& path, quint32 classIndex, bool isArrival);

    // Windows interface path to instance string: without the "\\?\" prefix, "#" as "\",
    // upper case. Empty for paths shorter than the prefix.
    static QString instanceStringFromPath(const QString& path);
    // The instance string up to, not including, the first "\{".
    static QString instanceIdFromPath(const QString& path);

signals:
    void signalUpdateUsbDevice(UsbInfo info, bool isArrival);

private:
    std::unique_ptr<HotplugSource> m_source;
    bool m_registered = false;
    QString m_error;
};
