// Identification: the Windows instance-string rule and the records made from udev data.
#include "detectdeviceswin.h"
#include "udevhidrecord.h"

#include <QtTest>

using Props = QMap<QString, QString>;

class TestIdentify : public QObject
{
    Q_OBJECT
private slots:
    void windowsPath_data();
    void windowsPath();
    void udevRecord_data();
    void udevRecord();
};

void TestIdentify::windowsPath_data()
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

void TestIdentify::windowsPath()
{
    QFETCH(QString, path);
    QFETCH(QString, instanceString);
    QFETCH(QString, instanceId);
    QCOMPARE(DetectDevicesWin::instanceStringFromPath(path), instanceString);
    QCOMPARE(DetectDevicesWin::instanceIdFromPath(path), instanceId);
}

void TestIdentify::udevRecord_data()
{
    QTest::addColumn<Props>("props");
    QTest::addColumn<QString>("devicePath");
    QTest::addColumn<QString>("instanceId");
    QTest::addColumn<uint>("vendorId");
    QTest::addColumn<uint>("productId");
    QTest::addColumn<QString>("productString");

    const QString krelDevPath = "/devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.0/0003:34B7:1000.0005/hidraw/hidraw3";
    QTest::newRow("usb arrival") << Props { { UdevHid::DevNode, "/dev/hidraw3" }, { UdevHid::DevPath, krelDevPath },
        { UdevHid::HidId, "0003:000034B7:00001000" }, { UdevHid::HidName, "Veltrix Veltrix KREL HID" },
        { UdevHid::UsbVendor, "34b7" }, { UdevHid::UsbProduct, "1000" },
        { UdevHid::UsbProductString, "Veltrix KREL HID" }, { UdevHid::UsbInterface, "1-2:1.0" } }
                                 << "/dev/hidraw3"
                                 << "HID\\VID_34B7&PID_1000\\1-2:1.0" << 0x34B7u << 0x1000u << "Veltrix KREL HID";
    QTest::newRow("removal, parents gone")
        << Props { { UdevHid::DevNode, "/dev/hidraw3" }, { UdevHid::DevPath, krelDevPath } } << "/dev/hidraw3"
        << "HID\\VID_34B7&PID_1000\\1-2:1.0" << 0x34B7u << 0x1000u << "";
    QTest::newRow("bare node name") << Props { { UdevHid::DevNode, "hidraw0" }, { UdevHid::UsbVendor, "1234" },
        { UdevHid::UsbProduct, "5678" }, { UdevHid::UsbInterface, "3-1:1.0" } }
                                    << "/dev/hidraw0"
                                    << "HID\\VID_1234&PID_5678\\3-1:1.0" << 0x1234u << 0x5678u << "";
    QTest::newRow("not on usb") << Props { { UdevHid::DevNode, "/dev/hidraw1" },
        { UdevHid::DevPath, "/devices/virtual/misc/uhid/0005:046D:B01A.0003/hidraw/hidraw1" },
        { UdevHid::HidId, "0005:0000046D:0000B01A" }, { UdevHid::HidName, "MX Keys" },
        { UdevHid::HidPhys, "11:22:33:44:55:66" }, { UdevHid::HidUniq, "aa:bb:cc:dd:ee:ff" } }
                                << "/dev/hidraw1"
                                << "HID\\VID_046D&PID_B01A\\AA:BB:CC:DD:EE:FF" << 0x046Du << 0xB01Au << "MX Keys";
    QTest::newRow("unreadable usb ids fall back to HID_ID")
        << Props { { UdevHid::DevNode, "/dev/hidraw4" }, { UdevHid::HidId, "0003:00001234:00005678" },
               { UdevHid::UsbVendor, "zz" }, { UdevHid::UsbProduct, "5678" }, { UdevHid::UsbInterface, "2-3:1.1" } }
        << "/dev/hidraw4"
        << "HID\\VID_1234&PID_5678\\2-3:1.1" << 0x1234u << 0x5678u << "";
    QTest::newRow("ids out of range") << Props { { UdevHid::DevNode, "/dev/hidraw4" },
        { UdevHid::HidId, "0003:00012345:00005678" } }
                                      << "/dev/hidraw4"
                                      << "HID\\VID_0000&PID_0000\\HIDRAW4" << 0u << 0u << "";
    QTest::newRow("no node") << Props { { UdevHid::UsbVendor, "1234" }, { UdevHid::UsbProduct, "5678" } } << ""
                             << "HID\\VID_1234&PID_5678\\" << 0x1234u << 0x5678u << "";
}

void TestIdentify::udevRecord()
{
    QFETCH(Props, props);
    QFETCH(QString, devicePath);
    QFETCH(QString, instanceId);
    QFETCH(uint, vendorId);
    QFETCH(uint, productId);
    QFETCH(QString, productString);

    const UdevHid::Record r = UdevHid::recordFromProperties(props);
    QCOMPARE(r.devicePath, devicePath);
    QCOMPARE(r.facts.instanceId, instanceId);
    QCOMPARE(r.facts.vendorId, vendorId);
    QCOMPARE(r.facts.productId, productId);
    QCOMPARE(r.facts.productString, productString);
}

QTEST_GUILESS_MAIN(TestIdentify)
#include "tst_identify.moc"
