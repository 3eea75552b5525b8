// The host device list: adding, removing and status, with their log lines.
#include "devicelistinfo.h"
#include "detectrig.h"

#include <QtTest>

namespace {
UsbInfo usb(const QString& path, const QString& tag)
{
    UsbInfo u;
    u.devicePath = path;
    u.instanceId = tag; // tells records with the same path apart
    u.status = 1;
    return u;
}

SerialPortInfo port(const QString& name, int baud)
{
    SerialPortInfo p;
    p.portName = name;
    p.baudRate = baud;
    return p;
}

QStringList usbTags(const DeviceListInfo& l)
{
    QStringList out;
    for (const UsbInfo& u : l.usbDevices())
        out << u.instanceId;
    return out;
}

QList<int> bauds(const DeviceListInfo& l)
{
    QList<int> out;
    for (const SerialPortInfo& p : l.serialPorts())
        out << p.baudRate;
    return out;
}

// Two records for /dev/hidraw0 (a and c), one for /dev/hidraw1; COM3 twice, ttyUSB0 once.
void fill(DeviceListInfo& l)
{
    l.addDevice(usb("/dev/hidraw0", "a"));
    l.addDevice(usb("/dev/hidraw1", "b"));
    l.addDevice(usb("/dev/hidraw0", "c"));
    l.addDevice(port("COM3", 1));
    l.addDevice(port("ttyUSB0", 2));
    l.addDevice(port("COM3", 3));
}
} // namespace

class TestDeviceList : public QObject
{
    Q_OBJECT
private slots:
    void addDeviceLogsAndKeepsDuplicates();
    void removeDevice_data();
    void removeDevice();
    void setStatus_data();
    void setStatus();
};

void TestDeviceList::addDeviceLogsAndKeepsDuplicates()
{
    DeviceListInfo l;
    LogCapture log;
    fill(l);
    QCOMPARE(usbTags(l), QStringList({ "a", "b", "c" }));
    QCOMPARE(bauds(l), QList<int>({ 1, 2, 3 }));
    QCOMPARE(log.texts(QtInfoMsg),
        QStringList({ "DeviceListInfo add device: /dev/hidraw0", "DeviceListInfo add device: /dev/hidraw1",
            "DeviceListInfo add device: /dev/hidraw0", "DeviceListInfo add device: COM3",
            "DeviceListInfo add device: ttyUSB0", "DeviceListInfo add device: COM3" }));
}

void TestDeviceList::removeDevice_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("id");
    QTest::addColumn<bool>("removed");
    QTest::addColumn<QStringList>("usbLeft");
    QTest::addColumn<QList<int>>("portsLeft");
    const QStringList allUsb { "a", "b", "c" };
    const QList<int> allPorts { 1, 2, 3 };
    QTest::newRow("usb absent") << int(EDeviceTypeUsbHid) << "/dev/hidraw9" << false << allUsb << allPorts;
    QTest::newRow("usb doubled: first only")
        << int(EDeviceTypeUsbHid) << "/dev/hidraw0" << true << QStringList({ "b", "c" }) << allPorts;
    QTest::newRow("usb path differs in case")
        << int(EDeviceTypeUsbHid) << "/DEV/HIDRAW1" << false << allUsb << allPorts;
    QTest::newRow("uart doubled: first only")
        << int(EDeviceTypeUart) << "COM3" << true << allUsb << QList<int>({ 2, 3 });
    QTest::newRow("invalid type") << 3 << "COM3" << false << allUsb << allPorts;
}

void TestDeviceList::removeDevice()
{
    QFETCH(int, type);
    QFETCH(QString, id);
    QFETCH(bool, removed);
    QFETCH(QStringList, usbLeft);
    QFETCH(QList<int>, portsLeft);
    DeviceListInfo l;
    fill(l);
    LogCapture log;
    QCOMPARE(l.removeDevice(EDeviceType(type), id), removed);
    QCOMPARE(usbTags(l), usbLeft);
    QCOMPARE(bauds(l), portsLeft);
    QCOMPARE(log.lines(), removed ? QStringList("DeviceListInfo remove device: " + id) : QStringList());
}

void TestDeviceList::setStatus_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("id");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QList<uint>>("usbStatus");
    QTest::addColumn<QList<int>>("portStatus");
    QTest::newRow("usb doubled: first only")
        << int(EDeviceTypeUsbHid) << "/dev/hidraw0" << true << QList<uint>({ 7, 1, 1 }) << QList<int>({ 0, 0, 0 });
    QTest::newRow("uart doubled: first only")
        << int(EDeviceTypeUart) << "COM3" << true << QList<uint>({ 1, 1, 1 }) << QList<int>({ 7, 0, 0 });
}

void TestDeviceList::setStatus()
{
    QFETCH(int, type);
    QFETCH(QString, id);
    QFETCH(bool, found);
    QFETCH(QList<uint>, usbStatus);
    QFETCH(QList<int>, portStatus);
    DeviceListInfo l;
    fill(l);
    QCOMPARE(l.setStatus(EDeviceType(type), id, 7), found);
    QList<uint> us;
    for (const UsbInfo& u : l.usbDevices())
        us << u.status;
    QList<int> ps;
    for (const SerialPortInfo& p : l.serialPorts())
        ps << p.status;
    QCOMPARE(us, usbStatus);
    QCOMPARE(ps, portStatus);
}

QTEST_GUILESS_MAIN(TestDeviceList)
#include "tst_devicelist.moc"
