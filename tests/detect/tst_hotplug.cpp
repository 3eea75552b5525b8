// Arrival and removal through a scripted source: what the detector emits and
// logs, and the Windows instance-string rule the paths go through; the host
// device list with its log lines.
#include "detectrig.h"
#include "devicelistinfo.h"
#include "scriptedhotplugsource.h"

#include <QtTest>

namespace {
using Rig = DetectorRig<ScriptedHotplugSource>;

HidFacts krelFacts(const QString& instanceId = QString())
{
    HidFacts f;
    f.instanceId = instanceId;
    f.vendorId = 0x34B7;
    f.productId = 0x1000;
    f.productString = "Veltrix KREL HID";
    return f;
}

const char* winPath = "\\\\?\\HID#VID_34B7&PID_1000#7&1A2B&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}";
const QString winId = "HID\\VID_34B7&PID_1000\\7&1A2B&0&0000";
const QString udevId = "HID\\VID_34B7&PID_1000\\1-2:1.0";

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

class TestHotplug : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { qRegisterMetaType<UsbInfo>("UsbInfo"); }

    void windowsPath_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("instanceString");
        QTest::addColumn<QString>("instanceId");
        QTest::newRow("hid interface")
            << "\\\\?\\hid#vid_1234&pid_5678#7&1a2b&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}"
            << "HID\\VID_1234&PID_5678\\7&1A2B&0&0000\\{4D1E55B2-F16F-11CF-88CB-001111000030}"
            << "HID\\VID_1234&PID_5678\\7&1A2B&0&0000";
        QTest::newRow("cut at the first class part") << "\\\\?\\a#{x}#{y}"
                                                     << "A\\{X}\\{Y}"
                                                     << "A";
        QTest::newRow("shorter than the prefix") << "\\\\?"
                                                 << ""
                                                 << "";
    }
    void windowsPath()
    {
        QFETCH(QString, path);
        QTEST(DetectDevicesWin::instanceStringFromPath(path), "instanceString");
        QTEST(DetectDevicesWin::instanceIdFromPath(path), "instanceId");
    }

    // Consumers match a removal by path (orchestrator) and instance id (panel).
    void arrivalThenRemoval_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("givenInstanceId");
        QTest::addColumn<QString>("reportedPath");
        QTest::addColumn<QString>("instanceId");
        QTest::newRow("windows path") << winPath << "" << QString(winPath).toLower() << winId;
        QTest::newRow("hidraw node") << "/dev/hidraw3" << udevId << "/dev/hidraw3" << udevId;
    }
    void arrivalThenRemoval()
    {
        QFETCH(QString, path);
        QFETCH(QString, givenInstanceId);
        QFETCH(QString, reportedPath);
        QFETCH(QString, instanceId);
        Rig rig;
        QVERIFY(rig.detector->isRegistered());
        LogCapture log;
        rig.source->plug(path, krelFacts(givenInstanceId));
        rig.source->unplug(path);
        QCOMPARE(rig.reports(),
            QStringList({ "+" + reportedPath + " " + instanceId + " 34b7 1000 1 Veltrix KREL HID",
                "-" + reportedPath + " " + instanceId + " 0 0 1 " }));
        QCOMPARE(log.texts(QtInfoMsg),
            QStringList({ "Detect usb device: " + reportedPath + " Arrival:true",
                "Instance Id: " + instanceId + " Vid: 13495 Pid: 4096 ProductString: Veltrix KREL HID",
                "Detect usb device: " + reportedPath + " Arrival:false" }));
        QVERIFY(log.problems().isEmpty());
    }

    void ignoredNotifications_data()
    {
        QTest::addColumn<uint>("event");
        QTest::addColumn<uint>("deviceType");
        QTest::newRow("nodes changed") << uint(DeviceChange::NodesChanged) << uint(DeviceChange::Interface);
        QTest::newRow("query remove") << 0x8001u << uint(DeviceChange::Interface);
        QTest::newRow("volume arrival") << uint(DeviceChange::Arrival) << 2u;
    }
    void ignoredNotifications()
    {
        QFETCH(uint, event);
        QFETCH(uint, deviceType);
        Rig rig;
        rig.source->addPresent(winPath, krelFacts());
        LogCapture log;
        rig.source->send({ event, deviceType, winPath });
        QCOMPARE(rig.spy->count(), 0);
        QVERIFY2(log.lines().isEmpty(), qPrintable(log.lines().join('\n')));
    }

    // Each failure is logged once and reports no device.
    void failuresAreLogged_data()
    {
        QTest::addColumn<int>("what");
        QTest::addColumn<QString>("critical");
        QTest::newRow("malformed path") << 0 << "Device Name Format Error!";
        QTest::newRow("device information unavailable") << 1 << "Cannot get device info!";
        QTest::newRow("listing fails") << 2 << "Cannot list usb devices! udev enumeration failed: Permission denied";
    }
    void failuresAreLogged()
    {
        QFETCH(int, what);
        QFETCH(QString, critical);
        Rig rig;
        rig.source->addPresent("/dev/hidraw0", krelFacts());
        LogCapture log;
        if (what == 0) {
            rig.detector->identifyUsbDevice("abc", 0, true);
        } else if (what == 1) {
            rig.source->setLookupUnavailable(true);
            rig.source->plug(winPath, krelFacts());
        } else {
            rig.source->setListingError("udev enumeration failed: Permission denied");
            rig.detector->loadUsbDevices();
        }
        QCOMPARE(rig.spy->count(), 0);
        QCOMPARE(log.texts(QtCriticalMsg), QStringList(critical));
    }

    // Not found: still reported, with the instance id the path gives and no ids.
    void arrivalOfAnUnknownDevice()
    {
        Rig rig;
        LogCapture log;
        rig.source->send({ DeviceChange::Arrival, DeviceChange::Interface, winPath });
        QCOMPARE(rig.reports(), QStringList("+" + QString(winPath).toLower() + " " + winId + " 0 0 1 "));
        QCOMPARE(log.texts(QtInfoMsg).size(), 1); // no "Instance Id:" line
    }

    void loadUsbDevices()
    {
        for (int present : { 0, 3 }) {
            Rig rig;
            QStringList expected;
            for (int i = 0; i < present; ++i) {
                const QString node = QString("/dev/hidraw%1").arg(i), id = QString("1-%1:1.0").arg(i + 1);
                rig.source->addPresent(node, krelFacts("HID\\VID_34B7&PID_1000\\" + id));
                expected << "+" + node + " HID\\VID_34B7&PID_1000\\" + id + " 34b7 1000 1 Veltrix KREL HID";
            }
            LogCapture log;
            rig.detector->loadUsbDevices();
            QCOMPARE(rig.reports(), expected);
            QVERIFY(log.problems().isEmpty());
        }
    }

    void refusedRegistration()
    {
        auto s = std::make_unique<ScriptedHotplugSource>();
        ScriptedHotplugSource* source = s.get();
        source->setStartError("cannot create a udev monitor");
        source->addPresent("/dev/hidraw0", krelFacts());
        LogCapture log;
        DetectDevicesWin detector(std::move(s));
        QVERIFY(!detector.isRegistered());
        QCOMPARE(detector.errorString(), QString("cannot create a udev monitor"));
        QCOMPARE(
            log.texts(QtCriticalMsg), QStringList("Can't register device notification! cannot create a udev monitor"));

        // Listing does not depend on notifications.
        QSignalSpy spy(&detector, &DetectDevicesWin::signalUpdateUsbDevice);
        detector.loadUsbDevices();
        QCOMPARE(spy.count(), 1);
    }

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

QTEST_GUILESS_MAIN(TestHotplug)
#include "tst_hotplug.moc"
