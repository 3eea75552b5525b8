// The workbench's rules: which USB devices its panel lists, how the UART list
// follows the ports present, and what a connection test's end means.
#include "constants.h"
#include "workbenchrules.h"

#include <QtTest>

using namespace WorkbenchRules;

Q_DECLARE_METATYPE(ConnectState)

class TestWorkbenchRules : public QObject
{
    Q_OBJECT

private slots:
    void listedUsbDevices_data()
    {
        QTest::addColumn<quint32>("vid");
        QTest::addColumn<quint32>("pid");
        QTest::addColumn<bool>("listed");
        QTest::newRow("catalogue ROM") << 0x34B7u << 0x0009u << true;
        QTest::newRow("custom SoC ROM") << 0x1234u << 0x0042u << true;
        QTest::newRow("Krel box") << Constants::KrelIdentity.vendorId << Constants::KrelIdentity.productId << false;
        QTest::newRow("unknown device") << 0x34B7u << 0x0010u << false;
        QTest::newRow("ids of no SoC") << 0xFFFFFFFFu << 0xFFFFFFFFu << false;
    }
    void listedUsbDevices()
    {
        QFETCH(quint32, vid);
        QFETCH(quint32, pid);
        QFETCH(bool, listed);
        SocInfo rom;
        rom.vid = 0x34B7;
        rom.pid = 0x0009;
        SocInfo twin = rom; // a second SoC with the same ROM ids
        SocInfo krel; // a catalogue entry carrying the box's ids is still not a ROM
        krel.vid = Constants::KrelIdentity.vendorId;
        krel.pid = Constants::KrelIdentity.productId;
        CustomSocInfo custom;
        custom.vid = 0x1234;
        custom.pid = 0x0042;
        const QList<UsbId> ids = romUsbIds({ rom, twin, SocInfo(), krel }, { custom, CustomSocInfo() });
        QCOMPARE(ids.size(), 3);
        UsbInfo usb;
        usb.vendorId = vid;
        usb.productId = pid;
        QCOMPARE(isRomUsbDevice(usb, ids), listed);
    }

    void portList_data()
    {
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<QStringList>("added");
        QTest::addColumn<QStringList>("removed");
        QTest::newRow("first look") << QStringList() << QStringList { "ttyS0", "ttyUSB0" } << QStringList()
                                    << QStringList { "ttyS0", "ttyUSB0" } << QStringList();
        QTest::newRow("plugged and unplugged")
            << QStringList { "ttyS0", "ttyUSB0" } << QStringList { "ttyS0", "ttyACM0" } << QStringList()
            << QStringList { "ttyACM0" } << QStringList { "ttyUSB0" };
        QTest::newRow("typed port stays") << QStringList { "ttyS0", "/dev/pts/4" } << QStringList()
                                          << QStringList { "/dev/pts/4" } << QStringList() << QStringList { "ttyS0" };
        QTest::newRow("enumeration repeats a name") << QStringList() << QStringList { "ttyS0", "ttyS0" }
                                                    << QStringList() << QStringList { "ttyS0" } << QStringList();
    }
    void portList()
    {
        QFETCH(QStringList, shown);
        QFETCH(QStringList, present);
        QFETCH(QStringList, typed);
        const PortChanges changes = portChanges(shown, present, typed);
        QTEST(changes.added, "added");
        QTEST(changes.removed, "removed");
    }

    void restartPorts_data()
    {
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<QStringList>("existing");
        QTest::addColumn<QStringList>("ports");
        QTest::newRow("typed port there")
            << QStringList { "/dev/pts/3" } << QStringList { "/dev/pts/3" } << QStringList { "ttyS0", "/dev/pts/3" };
        QTest::newRow("typed port gone") << QStringList { "/dev/pts/3" } << QStringList() << QStringList { "ttyS0" };
        QTest::newRow("typed system port once")
            << QStringList { "ttyS0" } << QStringList { "ttyS0" } << QStringList { "ttyS0" };
    }
    void restartPorts()
    {
        QFETCH(QStringList, typed);
        QFETCH(QStringList, existing);
        QTEST(WorkbenchRules::restartPorts({ "ttyS0" }, typed, existing), "ports");
    }

    // The report names what the device answered; a failure is not usable whatever it answered.
    void connectionOutcome_data()
    {
        QTest::addColumn<bool>("result");
        QTest::addColumn<QString>("answer"); // the version and what the report makes of it
        QTest::addColumn<ConnectState>("state");
        QTest::addColumn<int>("level");
        QTest::addColumn<QString>("outcome");
        const auto ok = ConnectState::Firmware, rom = ConnectState::Rom, failed = ConnectState::Failed;
        const int info = LogInfo, error = LogError;
        const QString fw = "Connected (bootloader firmware)";
        QTest::newRow("firmware runs") << true << "F1.2.0 (bootloader firmware)" << ok << info << fw;
        QTest::newRow("lower-case f") << true << "f1.0.0 (bootloader firmware)" << ok << info << fw;
        QTest::newRow("plain ROM kept") << true << "V1.0.0 (plain ROM)" << rom << info << "Connected (ROM)";
        QTest::newRow("failed with a firmware version")
            << false << "F1.2.0 (bootloader firmware)" << failed << error << "Connection failed";
        QTest::newRow("no answer") << false << QString() << failed << error << "Connection failed";
    }
    void connectionOutcome()
    {
        QFETCH(bool, result);
        QFETCH(QString, answer);
        QFETCH(QString, outcome);
        SerialPortInfo port;
        port.portName = QStringLiteral("/dev/ttyUSB0");
        QVariantMap map;
        QStringList report { "Device report: UART /dev/ttyUSB0 115200" };
        if (!answer.isEmpty()) {
            map = { { "romVersion", answer.section(' ', 0, 0) }, { "socRevision", "A0.1.0" }, { "lifecycle", 5u } };
            report << "  ROM version: " + answer << "  SoC revision: A0.1.0"
                   << "  Life cycle: 5";
        }
        const ConnectOutcome got = connectOutcome(QVariant::fromValue(port), EDeviceTypeUart, result, map);
        QTEST(got.state, "state");
        QTEST(int(got.level), "level");
        QCOMPARE(got.report, report << "  Result: " + outcome);
    }
};

QTEST_GUILESS_MAIN(TestWorkbenchRules)
#include "tst_workbenchrules.moc"
