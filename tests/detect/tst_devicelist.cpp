// The host device list: adding, removing and status, with their log lines.
#include "detectrig.h"
#include "devicelistinfo.h"

#include <QtTest>

namespace {
// Two records for /dev/hidraw0 (a and c), one for /dev/hidraw1; COM3 twice (bauds 1 and 3), ttyUSB0 once.
void fill(DeviceListInfo& l)
{
    for (const QString tag : { "a", "b", "c" }) {
        UsbInfo u;
        u.devicePath = tag == "b" ? "/dev/hidraw1" : "/dev/hidraw0";
        u.instanceId = tag; // tells records with the same path apart
        u.status = 1;
        l.addDevice(u);
    }
    for (int baud : { 1, 2, 3 }) {
        SerialPortInfo p;
        p.portName = baud == 2 ? "ttyUSB0" : "COM3";
        p.baudRate = baud; // tells records with the same name apart
        l.addDevice(p);
    }
}

// The records in order: USB as tag and status, then ports as baud:status.
QString describe(const DeviceListInfo& l)
{
    QStringList out;
    for (const UsbInfo& u : l.usbDevices())
        out << u.instanceId + QString::number(u.status);
    out << "|";
    for (const SerialPortInfo& p : l.serialPorts())
        out << QString("%1:%2").arg(p.baudRate).arg(p.status);
    return out.join(' ');
}

const QString All = "a1 b1 c1 | 1:0 2:0 3:0";
} // namespace

class TestDeviceList : public QObject
{
    Q_OBJECT
private slots:
    void addDeviceLogsAndKeepsDuplicates()
    {
        DeviceListInfo l;
        LogCapture log;
        fill(l);
        QCOMPARE(describe(l), All);
        QStringList added;
        for (const char* id : { "/dev/hidraw0", "/dev/hidraw1", "/dev/hidraw0", "COM3", "ttyUSB0", "COM3" })
            added << QString("DeviceListInfo add device: ") + id;
        QCOMPARE(log.texts(QtInfoMsg), added);
    }

    // Removal and status act on the first record of a doubled name only.
    void removeAndSetStatus_data()
    {
        QTest::addColumn<bool>("remove"); // else set status 7
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("id");
        QTest::addColumn<bool>("found");
        QTest::addColumn<QString>("after");
        const int usb = EDeviceTypeUsbHid, uart = EDeviceTypeUart;
        QTest::newRow("remove usb absent") << true << usb << "/dev/hidraw9" << false << All;
        QTest::newRow("remove usb doubled") << true << usb << "/dev/hidraw0" << true << "b1 c1 | 1:0 2:0 3:0";
        QTest::newRow("remove usb path differs in case") << true << usb << "/DEV/HIDRAW1" << false << All;
        QTest::newRow("remove uart doubled") << true << uart << "COM3" << true << "a1 b1 c1 | 2:0 3:0";
        QTest::newRow("remove invalid type") << true << 3 << "COM3" << false << All;
        QTest::newRow("status usb doubled") << false << usb << "/dev/hidraw0" << true << "a7 b1 c1 | 1:0 2:0 3:0";
        QTest::newRow("status uart doubled") << false << uart << "COM3" << true << "a1 b1 c1 | 1:7 2:0 3:0";
    }
    void removeAndSetStatus()
    {
        QFETCH(bool, remove);
        QFETCH(int, type);
        QFETCH(QString, id);
        DeviceListInfo l;
        fill(l);
        LogCapture log;
        QTEST(remove ? l.removeDevice(EDeviceType(type), id) : l.setStatus(EDeviceType(type), id, 7), "found");
        QTEST(describe(l), "after");
        if (remove)
            QCOMPARE(log.lines(),
                l.usbDevices().size() + l.serialPorts().size() < 6 ? QStringList("DeviceListInfo remove device: " + id)
                                                                   : QStringList());
    }
};

QTEST_GUILESS_MAIN(TestDeviceList)
#include "tst_devicelist.moc"
