// Device arrival and removal rules of the device panel.
#include "krelarrival.h"

#include <QtTest>

using Krel::ArrivalDecision;
using Krel::KrelArrival;
using AckList = QList<QPair<int, QString>>;

Q_DECLARE_METATYPE(ArrivalDecision::Action)

namespace {
UsbInfo usb(const QString& id, const QString& product, quint32 vid = 0x34B7, quint32 pid = 0x1000, quint32 cls = 0)
{
    UsbInfo i;
    i.instanceId = id;
    i.devicePath = "/dev/hidraw-" + id;
    i.vendorId = vid;
    i.productId = pid;
    i.productString = product;
    i.classIndex = cls;
    return i;
}
QString lines(const KrelLogLines& l)
{
    QStringList out;
    for (const KrelLogLine& x : l)
        out << QString::number(x.level) + "|" + x.text;
    return out.join('\n');
}
} // namespace

class TestKrelArrival : public QObject
{
    Q_OBJECT
private slots:
    void arrival_data();
    void arrival();
    void removal_data();
    void removal();
    void login_data();
    void login();
};

void TestKrelArrival::arrival_data()
{
    QTest::addColumn<UsbInfo>("info");
    QTest::addColumn<QStringList>("listed");
    QTest::addColumn<ArrivalDecision::Action>("action");
    QTest::addColumn<bool>("append");
    QTest::addColumn<bool>("select");
    QTest::addColumn<QString>("log");

    const QString detectMsc = "Detect Usb: A, vid: 0x34b7, pid: 0x1000, productString: Veltrix KREL MSC";
    QTest::newRow("drive alone connects")
        << usb("A", "Veltrix KREL MSC") << QStringList() << ArrivalDecision::ConnectDrive << true << true
        << "1|" + detectMsc + "\n1|Device connected successfully";
    QTest::newRow("command mode drops the job")
        << usb("A", "Veltrix KREL HID") << QStringList() << ArrivalDecision::DropCommand << true << true
        << "1|Detect Usb: A, vid: 0x34b7, pid: 0x1000, productString: Veltrix KREL HID";
    QTest::newRow("update mode warns") << usb("A", "Veltrix KREL UF2") << QStringList() << ArrivalDecision::DropUpdate
                                       << true << true
                                       << "1|Detect Usb: A, vid: 0x34b7, pid: 0x1000, productString: Veltrix KREL UF2\n"
                                          "2|Device enters UF2 upgrade mode";
    QTest::newRow("second box is refused")
        << usb("B", "Veltrix KREL HID") << QStringList { "A" } << ArrivalDecision::ListOnly << true << false
        << "1|Detect Usb: B, vid: 0x34b7, pid: 0x1000, productString: Veltrix KREL HID\n"
           "3|Multiple devices are not supported, please access only one offline burner";
    QTest::newRow("same id again keeps one entry")
        << usb("A", "Veltrix KREL MSC") << QStringList { "A" } << ArrivalDecision::ConnectDrive << false << true
        << "1|" + detectMsc + "\n1|Device connected successfully";
    QTest::newRow("other product string")
        << usb("A", "Veltrix KREL msc") << QStringList() << ArrivalDecision::Ignore << false << false
        << "0|Detect Usb: A, vid: 0x34b7, pid: 0x1000, productString: Veltrix KREL msc";
    QTest::newRow("other ids, padded hex")
        << usb("X", "Veltrix KREL HID", 0x1a, 0xb) << QStringList() << ArrivalDecision::Ignore << false << false
        << "0|Detect Usb: X, vid: 0x001a, pid: 0x000b, productString: Veltrix KREL HID";
    QTest::newRow("not a HID") << usb("A", "Veltrix KREL HID", 0x34B7, 0x1000, 1) << QStringList()
                               << ArrivalDecision::Ignore << false << false
                               << "0|Detect Usb: A, vid: 0x34b7, pid: 0x1000, productString: Veltrix KREL HID";
}

void TestKrelArrival::arrival()
{
    QFETCH(UsbInfo, info);
    QFETCH(QStringList, listed);
    const ArrivalDecision d = KrelArrival::arrival(info, listed);
    QTEST(d.action, "action");
    QTEST(d.append, "append");
    QTEST(d.select, "select");
    QTEST(lines(d.logs), "log");
}

void TestKrelArrival::removal_data()
{
    QTest::addColumn<UsbInfo>("info");
    QTest::addColumn<QStringList>("listed");
    QTest::addColumn<ArrivalDecision::Action>("action");
    QTest::addColumn<QString>("log");
    QTest::newRow("listed box") << usb("A", "Veltrix KREL HID") << QStringList { "A" } << ArrivalDecision::Removed
                                << "2|Remove USB: A";
    QTest::newRow("unlisted device") << usb("Z", "Mouse", 1, 2) << QStringList { "A" } << ArrivalDecision::Ignore
                                     << QString();
    QTest::newRow("empty id never matches")
        << usb("", "Veltrix KREL HID") << QStringList { "" } << ArrivalDecision::Ignore << QString();
}

void TestKrelArrival::removal()
{
    QFETCH(UsbInfo, info);
    QFETCH(QStringList, listed);
    const ArrivalDecision d = KrelArrival::removal(info, listed);
    QTEST(d.action, "action");
    QTEST(lines(d.logs), "log");
}

void TestKrelArrival::login_data()
{
    using Krel::LoginOutcome;
    QTest::addColumn<AckList>("acks");
    QTest::addColumn<int>("outcome");
    const QString sec = "Veltrix_Zindrake_SEC:2,pw", ver = "Veltrix_Zindrake_VER", msc = "Veltrix_Zindrake_MSC";
    QTest::newRow("entered") << AckList { { 1, "Veltrix_Zindrake_SEC OK" }, { 1, ver + ":1.2" }, { 1, msc + " OK" } }
                             << int(LoginOutcome::Entered);
    QTest::newRow("wrong password") << AckList { { 1, "Veltrix_Zindrake_SEC ok" }, { 1, ver + ":1.2" },
        { 1, msc + " BAD" } } << int(LoginOutcome::Handled);
    QTest::newRow("msc refused") << AckList { { 1, "Veltrix_Zindrake_SEC OK" }, { 1, ver + ":1.2" },
        { 1, msc + " BAD" } } << int(LoginOutcome::Handled);
    QTest::newRow("all timed out") << AckList { { 0, sec }, { 0, ver }, { 0, msc } } << int(LoginOutcome::NoAnswer);
    QTest::newRow("no device") << AckList { { -1, sec }, { -1, ver }, { -1, msc } } << int(LoginOutcome::NoAnswer);
    QTest::newRow("garbage") << AckList { { 1, "\x01zz" }, { 1, "OK" }, { 1, "hello" } } << int(LoginOutcome::NoAnswer);
    QTest::newRow("msc lost") << AckList { { 1, "Veltrix_Zindrake_SEC OK" }, { 1, ver + ":1.2" }, { 0, msc } }
                              << int(LoginOutcome::Unconfirmed);
}

void TestKrelArrival::login()
{
    QFETCH(AckList, acks);
    QTEST(int(Krel::loginOutcome(acks)), "outcome");
}

QTEST_GUILESS_MAIN(TestKrelArrival)
#include "tst_krelarrival.moc"
