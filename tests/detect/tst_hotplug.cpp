// Arrival and removal through a scripted source: what the detector emits and logs.
#include "detectrig.h"
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
} // namespace

class TestHotplug : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { qRegisterMetaType<UsbInfo>("UsbInfo"); }
    void arrivalThenRemoval_data();
    void arrivalThenRemoval();
    void arrivalLogLines();
    void ignoredNotifications_data();
    void ignoredNotifications();
    void failuresAreLogged_data();
    void failuresAreLogged();
    void arrivalOfAnUnknownDevice();
    void loadUsbDevices_data();
    void loadUsbDevices();
    void refusedRegistration();
};

void TestHotplug::arrivalThenRemoval_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("givenInstanceId");
    QTest::addColumn<QString>("expectedPath");
    QTest::addColumn<QString>("expectedInstanceId");
    QTest::newRow("windows path") << winPath << "" << QString(winPath).toLower()
                                  << "HID\\VID_34B7&PID_1000\\7&1A2B&0&0000";
    QTest::newRow("hidraw node") << "/dev/hidraw3"
                                 << "HID\\VID_34B7&PID_1000\\1-2:1.0"
                                 << "/dev/hidraw3"
                                 << "HID\\VID_34B7&PID_1000\\1-2:1.0";
}

void TestHotplug::arrivalThenRemoval()
{
    QFETCH(QString, path);
    QFETCH(QString, givenInstanceId);
    QFETCH(QString, expectedPath);
    QFETCH(QString, expectedInstanceId);
    Rig rig;
    QVERIFY(rig.detector->isRegistered());

    rig.source->plug(path, krelFacts(givenInstanceId));
    QCOMPARE(rig.spy->count(), 1);
    QVERIFY(rig.arrival(0));
    const UsbInfo in = rig.info(0);
    QCOMPARE(in.devicePath, expectedPath);
    QCOMPARE(in.instanceId, expectedInstanceId);
    QCOMPARE(in.vendorId, 0x34B7u);
    QCOMPARE(in.productString, QString("Veltrix KREL HID"));
    QCOMPARE(in.status, 1u);

    // The device is gone: consumers match by path (orchestrator) and instance id (panel).
    rig.source->unplug(path);
    QCOMPARE(rig.spy->count(), 2);
    QVERIFY(!rig.arrival(1));
    const UsbInfo out = rig.info(1);
    QCOMPARE(out.devicePath, in.devicePath);
    QCOMPARE(out.instanceId, in.instanceId);
    QCOMPARE(out.vendorId, 0u);
    QCOMPARE(out.productString, QString());
    QCOMPARE(out.status, 1u);
}

void TestHotplug::arrivalLogLines()
{
    Rig rig;
    LogCapture log;
    rig.source->plug("/dev/hidraw3", krelFacts("HID\\VID_34B7&PID_1000\\1-2:1.0"));
    rig.source->unplug("/dev/hidraw3");
    QCOMPARE(log.texts(QtInfoMsg),
        QStringList({ "Detect usb device: /dev/hidraw3 Arrival:true",
            "Instance Id: HID\\VID_34B7&PID_1000\\1-2:1.0 Vid: 13495 Pid: 4096 ProductString: Veltrix KREL HID",
            "Detect usb device: /dev/hidraw3 Arrival:false" }));
    QVERIFY(log.problems().isEmpty());
}

void TestHotplug::ignoredNotifications_data()
{
    QTest::addColumn<uint>("event");
    QTest::addColumn<uint>("deviceType");
    QTest::newRow("nodes changed") << uint(DeviceChange::NodesChanged) << uint(DeviceChange::Interface);
    QTest::newRow("query remove") << 0x8001u << uint(DeviceChange::Interface);
    QTest::newRow("volume arrival") << uint(DeviceChange::Arrival) << 2u;
}

void TestHotplug::ignoredNotifications()
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
void TestHotplug::failuresAreLogged_data()
{
    QTest::addColumn<int>("what");
    QTest::addColumn<QString>("critical");
    QTest::newRow("malformed path") << 0 << "Device Name Format Error!";
    QTest::newRow("device information unavailable") << 1 << "Cannot get device info!";
    QTest::newRow("listing fails") << 2 << "Cannot list usb devices! udev enumeration failed: Permission denied";
}

void TestHotplug::failuresAreLogged()
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

// Not found: still emitted, with the instance id the path gives and no ids.
void TestHotplug::arrivalOfAnUnknownDevice()
{
    Rig rig;
    LogCapture log;
    rig.source->send({ DeviceChange::Arrival, DeviceChange::Interface, winPath });
    QCOMPARE(rig.spy->count(), 1);
    QVERIFY(rig.arrival(0));
    QCOMPARE(rig.info(0).instanceId, QString("HID\\VID_34B7&PID_1000\\7&1A2B&0&0000"));
    QCOMPARE(rig.info(0).vendorId, 0u);
    QCOMPARE(rig.info(0).productString, QString());
    QCOMPARE(log.texts(QtInfoMsg).size(), 1); // no "Instance Id:" line
}

void TestHotplug::loadUsbDevices_data()
{
    QTest::addColumn<int>("present");
    QTest::newRow("none") << 0;
    QTest::newRow("three") << 3;
}

void TestHotplug::loadUsbDevices()
{
    QFETCH(int, present);
    Rig rig;
    for (int i = 0; i < present; ++i) {
        HidFacts f = krelFacts(QString("HID\\VID_34B7&PID_1000\\1-%1:1.0").arg(i + 1));
        rig.source->addPresent(QString("/dev/hidraw%1").arg(i), f);
    }
    LogCapture log;
    rig.detector->loadUsbDevices();
    QCOMPARE(rig.spy->count(), present);
    for (int i = 0; i < present; ++i) {
        QVERIFY(rig.arrival(i));
        QCOMPARE(rig.info(i).devicePath, QString("/dev/hidraw%1").arg(i));
        QCOMPARE(rig.info(i).instanceId, QString("HID\\VID_34B7&PID_1000\\1-%1:1.0").arg(i + 1));
        QCOMPARE(rig.info(i).vendorId, 0x34B7u);
    }
    QVERIFY(log.problems().isEmpty());
}

void TestHotplug::refusedRegistration()
{
    auto s = std::make_unique<ScriptedHotplugSource>();
    ScriptedHotplugSource* source = s.get();
    source->setStartError("cannot create a udev monitor");
    source->addPresent("/dev/hidraw0", krelFacts());
    LogCapture log;
    DetectDevicesWin detector(std::move(s));
    QVERIFY(!detector.isRegistered());
    QCOMPARE(detector.errorString(), QString("cannot create a udev monitor"));
    QCOMPARE(log.texts(QtCriticalMsg), QStringList("Can't register device notification! cannot create a udev monitor"));

    // Listing does not depend on notifications.
    QSignalSpy spy(&detector, &DetectDevicesWin::signalUpdateUsbDevice);
    detector.loadUsbDevices();
    QCOMPARE(spy.count(), 1);
}

QTEST_GUILESS_MAIN(TestHotplug)
#include "tst_hotplug.moc"
