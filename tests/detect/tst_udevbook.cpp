// The Linux source: records made from udev data, its event handling replayed
// without libudev (udev events in, the detector's signals out; removals must give
// the instance id their arrival had), and a smoke test against real udev.
#include "detectrig.h"
#include "udevhidrecord.h"

#include <QDir>
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

    // Expected: "path id vid pid product".
    void udevRecord_data()
    {
        QTest::addColumn<Props>("props");
        QTest::addColumn<QString>("record");
        Props arrival = present("1-2", 3); // HID_ID and HID_NAME lose to the USB properties
        arrival.insert(UdevHid::HidId, "0003:000034B7:00001000");
        arrival.insert(UdevHid::HidName, "Veltrix Veltrix KREL HID");
        QTest::newRow("usb arrival") << arrival
                                     << "/dev/hidraw3 HID\\VID_34B7&PID_1000\\1-2:1.0 34b7 1000 Veltrix KREL HID";
        QTest::newRow("removal, parents gone")
            << removal("1-2", 3) << "/dev/hidraw3 HID\\VID_34B7&PID_1000\\1-2:1.0 34b7 1000 ";
        QTest::newRow("bare node name") << Props { { UdevHid::DevNode, "hidraw0" }, { UdevHid::UsbVendor, "1234" },
            { UdevHid::UsbProduct, "5678" }, { UdevHid::UsbInterface, "3-1:1.0" } }
                                        << "/dev/hidraw0 HID\\VID_1234&PID_5678\\3-1:1.0 1234 5678 ";
        QTest::newRow("not on usb") << Props { { UdevHid::DevNode, "/dev/hidraw1" },
            { UdevHid::DevPath, "/devices/virtual/misc/uhid/0005:046D:B01A.0003/hidraw/hidraw1" },
            { UdevHid::HidId, "0005:0000046D:0000B01A" }, { UdevHid::HidName, "MX Keys" },
            { UdevHid::HidPhys, "11:22:33:44:55:66" }, { UdevHid::HidUniq, "aa:bb:cc:dd:ee:ff" } }
                                    << "/dev/hidraw1 HID\\VID_046D&PID_B01A\\AA:BB:CC:DD:EE:FF 46d b01a MX Keys";
        QTest::newRow("unreadable usb ids fall back to HID_ID") << Props { { UdevHid::DevNode, "/dev/hidraw4" },
            { UdevHid::HidId, "0003:00001234:00005678" }, { UdevHid::UsbVendor, "zz" }, { UdevHid::UsbProduct, "5678" },
            { UdevHid::UsbInterface, "2-3:1.1" } } << "/dev/hidraw4 HID\\VID_1234&PID_5678\\2-3:1.1 1234 5678 ";
        QTest::newRow("ids out of range")
            << Props { { UdevHid::DevNode, "/dev/hidraw4" }, { UdevHid::HidId, "0003:00012345:00005678" } }
            << "/dev/hidraw4 HID\\VID_0000&PID_0000\\HIDRAW4 0 0 ";
        QTest::newRow("no node") << Props { { UdevHid::UsbVendor, "1234" }, { UdevHid::UsbProduct, "5678" } }
                                 << " HID\\VID_1234&PID_5678\\ 1234 5678 ";
    }
    void udevRecord()
    {
        QFETCH(Props, props);
        const UdevHid::Record r = UdevHid::recordFromProperties(props);
        QTEST(QString("%1 %2 %3 %4 %5")
                  .arg(r.devicePath, r.facts.instanceId)
                  .arg(r.facts.vendorId, 0, 16)
                  .arg(r.facts.productId, 0, 16)
                  .arg(r.facts.productString),
            "record");
    }

    void plugAndPull()
    {
        Rig rig;
        rig.plug("1-2", 3);
        rig.pull("1-2", 3);
        QCOMPARE(rig.reports(),
            QStringList({ "+/dev/hidraw3 HID\\VID_34B7&PID_1000\\1-2:1.0 34b7 1000 1 Veltrix KREL HID",
                "-/dev/hidraw3 HID\\VID_34B7&PID_1000\\1-2:1.0 0 0 1 " }));
        QVERIFY(!rig.source->book.knows("/dev/hidraw3"));
    }

    // The listing records the device; a removal without DEVPATH is matched through that record.
    void removalOfADeviceListedAtStart()
    {
        Rig rig;
        rig.source->sysfs.insert("/dev/hidraw0", present("3-1.4", 0));
        rig.detector->loadUsbDevices();
        rig.pull("3-1.4", 0, false);
        QCOMPARE(rig.reports().value(1), QString("-/dev/hidraw0 HID\\VID_34B7&PID_1000\\3-1.4:1.0 0 0 1 "));
    }

    void removalOfADeviceNeverSeen()
    {
        Rig rig;
        rig.pull("1-5", 2);
        QCOMPARE(rig.reports(), QStringList("-/dev/hidraw2 HID\\VID_34B7&PID_1000\\1-5:1.0 0 0 1 "));
    }

    // Unplugged again before the detector looked: the arrival event's record stands.
    void goneBeforeTheLookup()
    {
        Rig rig;
        rig.source->event("add", "hidraw", "hidraw4", present("2-1", 4, "Veltrix KREL MSC"));
        QCOMPARE(
            rig.reports(), QStringList("+/dev/hidraw4 HID\\VID_34B7&PID_1000\\2-1:1.0 34b7 1000 1 Veltrix KREL MSC"));
    }

    // The box re-enumerates on another port under the same node: the removal gives the new id.
    void nodeReusedByAnotherDevice()
    {
        Rig rig;
        rig.plug("1-2", 3, "Veltrix KREL HID");
        rig.pull("1-2", 3);
        rig.plug("1-3", 3, "Veltrix KREL MSC");
        rig.pull("1-3", 3, false);
        QCOMPARE(rig.reports().mid(2),
            QStringList({ "+/dev/hidraw3 HID\\VID_34B7&PID_1000\\1-3:1.0 34b7 1000 1 Veltrix KREL MSC",
                "-/dev/hidraw3 HID\\VID_34B7&PID_1000\\1-3:1.0 0 0 1 " }));
    }

    void ignoredEvents_data()
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

    void ignoredEvents()
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

    void serialPortsAreOnlyLogged()
    {
        Rig rig;
        LogCapture log;
        rig.source->event("add", "tty", "ttyACM0", {});
        rig.source->event("change", "tty", "ttyACM0", {});
        rig.source->event("remove", "tty", "ttyACM0", {});
        QCOMPARE(rig.spy->count(), 0);
        QCOMPARE(log.texts(QtInfoMsg),
            QStringList({ "Detect serial port device: ttyACM0 Arrival:true",
                "Detect serial port device: ttyACM0 Arrival:false" }));
    }

    // The real udev source on this machine: listing what is there (often nothing)
    // works, agrees with sysfs and reports no error.
    void listsWhatIsPresent()
    {
        DetectDevicesWin detector;
        if (!detector.isRegistered())
            qInfo("hot-plug monitor not available here: %s", qPrintable(detector.errorString()));
        QSignalSpy spy(&detector, &DetectDevicesWin::signalUpdateUsbDevice);
        QStringList nodes = QDir("/sys/class/hidraw").entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        {
            LogCapture log;
            detector.loadUsbDevices();
            QVERIFY2(log.problems().isEmpty(), qPrintable(log.problems().join('\n')));
        }
        QStringList listed;
        for (const QList<QVariant>& args : qAsConst(spy)) {
            const UsbInfo info = args.at(0).value<UsbInfo>();
            QVERIFY(args.at(1).toBool());
            QVERIFY2(info.instanceId.startsWith("HID\\VID_"), qPrintable(info.instanceId));
            QCOMPARE(info.status, 1u);
            listed << info.devicePath.section('/', -1);
        }
        listed.sort();
        nodes.sort();
        QCOMPARE(listed, nodes);
        QTest::qWait(20); // lets the monitor's notifier run once; nothing is plugged here
    }
};

QTEST_GUILESS_MAIN(TestUdevBook)
#include "tst_udevbook.moc"
