// The Linux source's event handling, replayed without libudev: udev events in, the
// detector's signals out. Removals must give the instance id their arrival had.
#include "detectrig.h"
#include "udevhidrecord.h"

#include <QtTest>

using Props = QMap<QString, QString>;

namespace {

// What the udev source does, with sysfs replaced by a map from node to properties.
class ReplaySource : public HotplugSource
{
public:
    bool start(Notify n, QString*) override
    {
        notify = std::move(n);
        return true;
    }
    bool presentHidPaths(QStringList* paths, QString*) override
    {
        for (auto it = sysfs.constBegin(); it != sysfs.constEnd(); ++it) {
            book.remember(UdevHid::recordFromProperties(it.value()));
            paths->append(it.key());
        }
        return true;
    }
    Lookup identify(const QString& path, bool isArrival, HidFacts* facts) override
    {
        UdevHid::Record now;
        if (isArrival && sysfs.contains(path))
            now = UdevHid::recordFromProperties(sysfs.value(path));
        return book.identify(path, isArrival, now, facts);
    }
    void event(const QByteArray& action, const QByteArray& subsystem, const QString& sysname, const Props& props)
    {
        book.onEvent(action, subsystem, sysname, props, notify);
    }

    UdevHid::Book book;
    QMap<QString, Props> sysfs; // present devices by node
    Notify notify;
};

QString devPath(const QString& port, int node)
{
    return QString("/devices/pci0000:00/0000:00:14.0/usb1/%1/%1:1.0/0003:34B7:1000.00%2/hidraw/hidraw%3")
        .arg(port)
        .arg(node + 10)
        .arg(node);
}

// A Krel on the given port as udev describes it while it is present.
Props present(const QString& port, int node, const QString& product = "Veltrix KREL HID")
{
    return { { UdevHid::DevNode, QString("/dev/hidraw%1").arg(node) }, { UdevHid::DevPath, devPath(port, node) },
        { UdevHid::UsbVendor, "34b7" }, { UdevHid::UsbProduct, "1000" }, { UdevHid::UsbProductString, product },
        { UdevHid::UsbInterface, port + ":1.0" } };
}

// What a removal event carries; withDevPath false leaves only the node.
Props removal(const QString& port, int node, bool withDevPath = true)
{
    Props p { { UdevHid::DevNode, QString("/dev/hidraw%1").arg(node) } };
    if (withDevPath)
        p.insert(UdevHid::DevPath, devPath(port, node));
    return p;
}

struct Rig : DetectorRig<ReplaySource>
{
    void plug(const QString& port, int node, const QString& product = "Veltrix KREL HID")
    {
        source->sysfs.insert(QString("/dev/hidraw%1").arg(node), present(port, node, product));
        source->event("add", "hidraw", QString("hidraw%1").arg(node), present(port, node, product));
    }
    void pull(const QString& port, int node, bool withDevPath = true)
    {
        source->sysfs.remove(QString("/dev/hidraw%1").arg(node));
        source->event("remove", "hidraw", QString("hidraw%1").arg(node), removal(port, node, withDevPath));
    }
};

} // namespace

class TestUdevBook : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { qRegisterMetaType<UsbInfo>("UsbInfo"); }
    void plugAndPull();
    void removalOfADeviceListedAtStart();
    void removalOfADeviceNeverSeen();
    void goneBeforeTheLookup();
    void nodeReusedByAnotherDevice();
    void ignoredEvents_data();
    void ignoredEvents();
    void serialPortsAreOnlyLogged();
};

void TestUdevBook::plugAndPull()
{
    Rig rig;
    rig.plug("1-2", 3);
    rig.pull("1-2", 3);
    QCOMPARE(rig.spy->count(), 2);
    QVERIFY(rig.arrival(0));
    QCOMPARE(rig.info(0).devicePath, QString("/dev/hidraw3"));
    QCOMPARE(rig.info(0).instanceId, QString("HID\\VID_34B7&PID_1000\\1-2:1.0"));
    QCOMPARE(rig.info(0).productString, QString("Veltrix KREL HID"));
    QVERIFY(!rig.arrival(1));
    QCOMPARE(rig.info(1).devicePath, QString("/dev/hidraw3"));
    QCOMPARE(rig.info(1).instanceId, rig.info(0).instanceId);
    QCOMPARE(rig.info(1).vendorId, 0u);
    QCOMPARE(rig.info(1).productString, QString());
    QVERIFY(!rig.source->book.knows("/dev/hidraw3"));
}

// The listing records the device; a removal without DEVPATH is matched through that record.
void TestUdevBook::removalOfADeviceListedAtStart()
{
    Rig rig;
    rig.source->sysfs.insert("/dev/hidraw0", present("3-1.4", 0));
    rig.detector->loadUsbDevices();
    QCOMPARE(rig.spy->count(), 1);
    rig.pull("3-1.4", 0, false);
    QCOMPARE(rig.spy->count(), 2);
    QVERIFY(!rig.arrival(1));
    QCOMPARE(rig.info(1).instanceId, QString("HID\\VID_34B7&PID_1000\\3-1.4:1.0"));
}

void TestUdevBook::removalOfADeviceNeverSeen()
{
    Rig rig;
    rig.pull("1-5", 2);
    QCOMPARE(rig.spy->count(), 1);
    QVERIFY(!rig.arrival(0));
    QCOMPARE(rig.info(0).devicePath, QString("/dev/hidraw2"));
    QCOMPARE(rig.info(0).instanceId, QString("HID\\VID_34B7&PID_1000\\1-5:1.0"));
}

// Unplugged again before the detector looked: the arrival event's record stands.
void TestUdevBook::goneBeforeTheLookup()
{
    Rig rig;
    rig.source->event("add", "hidraw", "hidraw4", present("2-1", 4, "Veltrix KREL MSC"));
    QCOMPARE(rig.spy->count(), 1);
    QVERIFY(rig.arrival(0));
    QCOMPARE(rig.info(0).instanceId, QString("HID\\VID_34B7&PID_1000\\2-1:1.0"));
    QCOMPARE(rig.info(0).productString, QString("Veltrix KREL MSC"));
}

// The box re-enumerates on another port under the same node: the removal gives the new id.
void TestUdevBook::nodeReusedByAnotherDevice()
{
    Rig rig;
    rig.plug("1-2", 3, "Veltrix KREL HID");
    rig.pull("1-2", 3);
    rig.plug("1-3", 3, "Veltrix KREL MSC");
    rig.pull("1-3", 3, false);
    QCOMPARE(rig.spy->count(), 4);
    QCOMPARE(rig.info(2).instanceId, QString("HID\\VID_34B7&PID_1000\\1-3:1.0"));
    QCOMPARE(rig.info(2).productString, QString("Veltrix KREL MSC"));
    QCOMPARE(rig.info(3).instanceId, QString("HID\\VID_34B7&PID_1000\\1-3:1.0"));
}

void TestUdevBook::ignoredEvents_data()
{
    QTest::addColumn<QByteArray>("action");
    QTest::addColumn<QByteArray>("subsystem");
    QTest::addColumn<Props>("props");
    const Props p = present("1-2", 3);
    QTest::newRow("change") << QByteArray("change") << QByteArray("hidraw") << p;
    QTest::newRow("no action") << QByteArray() << QByteArray("hidraw") << p;
    QTest::newRow("other subsystem") << QByteArray("add") << QByteArray("usb") << p;
    QTest::newRow("hidraw without a node")
        << QByteArray("add") << QByteArray("hidraw") << Props { { UdevHid::UsbVendor, "34b7" } };
}

void TestUdevBook::ignoredEvents()
{
    QFETCH(QByteArray, action);
    QFETCH(QByteArray, subsystem);
    QFETCH(Props, props);
    Rig rig;
    LogCapture log;
    rig.source->event(action, subsystem, "hidraw3", props);
    QCOMPARE(rig.spy->count(), 0);
    QVERIFY2(log.lines().isEmpty(), qPrintable(log.lines().join('\n')));
}

void TestUdevBook::serialPortsAreOnlyLogged()
{
    Rig rig;
    LogCapture log;
    rig.source->event("add", "tty", "ttyACM0", {});
    rig.source->event("change", "tty", "ttyACM0", {});
    rig.source->event("remove", "tty", "ttyACM0", {});
    QCOMPARE(rig.spy->count(), 0);
    QCOMPARE(log.texts(QtInfoMsg),
        QStringList(
            { "Detect serial port device: ttyACM0 Arrival:true", "Detect serial port device: ttyACM0 Arrival:false" }));
}

QTEST_GUILESS_MAIN(TestUdevBook)
#include "tst_udevbook.moc"
