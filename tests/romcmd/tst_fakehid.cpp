// The fake hidapi itself: enumeration filters, open rules, report queues,
// unplugging, and a reader blocked while another thread changes the registry.

#include "fakehid.h"

#include <hidapi/hidapi.h>

#include <QtTest>
#include <atomic>
#include <thread>

namespace {
FakeHid::Identity ident(const QString& path, unsigned short vid, unsigned short pid, const QString& serial = {})
{
    FakeHid::Identity id;
    id.path = path;
    id.vendorId = vid;
    id.productId = pid;
    id.productString = QStringLiteral("Product ") + path;
    id.serial = serial;
    return id;
}

QStringList enumeratePaths(unsigned short vid, unsigned short pid)
{
    QStringList out;
    hid_device_info* list = hid_enumerate(vid, pid);
    for (hid_device_info* i = list; i; i = i->next)
        out << QString::fromUtf8(i->path);
    hid_free_enumeration(list);
    return out;
}
} // namespace

class TestFakeHid : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        FakeHid::addDevice(std::make_shared<FakeHid::RecordingDevice>(), ident("a", 0x34B7, 1, "S1"));
        FakeHid::addDevice(std::make_shared<FakeHid::RecordingDevice>(), ident("b", 0x34B7, 2, "S2"));
        FakeHid::addDevice(std::make_shared<FakeHid::RecordingDevice>(), ident("c", 0x1111, 1, "S3"));
        FakeHid::addDevice(std::make_shared<FakeHid::RecordingDevice>(), ident("d", 0x34B7, 1, "S4"));
    }
    void cleanup() { FakeHid::reset(); }

    void enumerateFilters_data()
    {
        QTest::addColumn<int>("vid");
        QTest::addColumn<int>("pid");
        QTest::addColumn<QStringList>("paths");
        QTest::newRow("any") << 0 << 0 << QStringList { "a", "b", "c", "d" };
        QTest::newRow("vendor") << 0x34B7 << 0 << QStringList { "a", "b", "d" };
        QTest::newRow("product only") << 0 << 1 << QStringList { "a", "c", "d" };
        QTest::newRow("both") << 0x34B7 << 1 << QStringList { "a", "d" };
        QTest::newRow("none") << 0x9999 << 0 << QStringList {};
    }
    void enumerateFilters()
    {
        QFETCH(int, vid);
        QFETCH(int, pid);
        QFETCH(QStringList, paths);
        QCOMPARE(enumeratePaths(ushort(vid), ushort(pid)), paths);
    }

    void enumerationFields()
    {
        hid_device_info* list = hid_enumerate(0x1111, 0);
        QVERIFY(list);
        QCOMPARE(QString::fromWCharArray(list->product_string), QStringLiteral("Product c"));
        QCOMPARE(QString::fromWCharArray(list->serial_number), QStringLiteral("S3"));
        QCOMPARE(list->vendor_id, ushort(0x1111));
        QCOMPARE(list->product_id, ushort(1));
        QVERIFY(!list->next);
        hid_free_enumeration(list);
    }

    void openRules()
    {
        hid_device* first = hid_open(0x34B7, 1, nullptr);
        QVERIFY(first);
        QCOMPARE(FakeHid::openCount("a"), 1); // first match in plug order
        hid_device* bySerial = hid_open(0x34B7, 1, L"S4");
        QVERIFY(bySerial);
        QCOMPARE(FakeHid::openCount("d"), 1);
        QVERIFY(!hid_open(0x34B7, 1, L"nope"));
        QVERIFY(!hid_open_path("missing"));
        QVERIFY(!QString::fromWCharArray(hid_error(nullptr)).isEmpty());
        FakeHid::device("b")->setOpenError(true);
        QVERIFY(!hid_open_path("b"));
        QCOMPARE(FakeHid::openCount("b"), 0);
        hid_close(first);
        hid_close(bySerial);
        QCOMPARE(FakeHid::openCount("a"), 0);
        QCOMPARE(FakeHid::openCount("d"), 0);
    }

    void reportsAndTimeouts()
    {
        auto dev = std::static_pointer_cast<FakeHid::RecordingDevice>(FakeHid::device("a"));
        hid_device* h = hid_open_path("a");
        QVERIFY(h);
        const unsigned char out[3] = { 1, 2, 3 };
        dev->queueReplyToNextWrite({ QByteArray("\x01xyz", 4), QByteArray("\x01w", 2) });
        QCOMPARE(hid_write(h, out, 3), 3);
        QCOMPARE(dev->writes(), QList<QByteArray> { QByteArray("\x01\x02\x03", 3) });
        unsigned char in[8] = {};
        QCOMPARE(hid_read_timeout(h, in, 2, 0), 2); // truncated to the buffer
        QCOMPARE(QByteArray(reinterpret_cast<char*>(in), 2), QByteArray("\x01x", 2));
        QCOMPARE(hid_read_timeout(h, in, 8, 0), 2);
        QCOMPARE(hid_read_timeout(h, in, 8, 0), 0); // poll, nothing queued
        QCOMPARE(hid_read_timeout(h, in, 8, 30), 0); // time-out
        dev->setReadError(true);
        dev->queueInput("\x01q");
        QCOMPARE(hid_read_timeout(h, in, 8, 0), -1);
        dev->setReadError(false);
        QCOMPARE(hid_read_timeout(h, in, 8, 0), 2);
        dev->setWriteError(true);
        QCOMPARE(hid_write(h, out, 3), -1);
        QVERIFY(!QString::fromWCharArray(hid_error(h)).isEmpty());
        hid_close(h);
    }

    void unplugFailsOpenHandles()
    {
        auto dev = FakeHid::device("b");
        hid_device* h = hid_open_path("b");
        QVERIFY(h);
        dev->queueInput("\x01z");
        FakeHid::removeDevice("b");
        unsigned char in[8];
        const unsigned char out[1] = { 1 };
        QCOMPARE(hid_read_timeout(h, in, 8, 0), -1);
        QCOMPARE(hid_write(h, out, 1), -1);
        QVERIFY(!enumeratePaths(0, 0).contains("b"));
        // Plugged in again: the old handle stays dead, a new one works.
        FakeHid::addDevice(dev, ident("b", 0x34B7, 2));
        QCOMPARE(hid_write(h, out, 1), -1);
        hid_device* again = hid_open_path("b");
        QVERIFY(again);
        QCOMPARE(hid_write(again, out, 1), 1);
        QCOMPARE(FakeHid::openCount("b"), 2);
        hid_close(h);
        hid_close(again);
        QCOMPARE(FakeHid::openCount("b"), 0);
    }

    // A blocking reader is woken by input from another thread, and by an unplug.
    void blockedReaderWakes()
    {
        auto dev = FakeHid::device("a");
        hid_device* h = hid_open_path("a");
        QVERIFY(h);
        std::atomic<int> first { -2 }, second { -2 };
        std::thread reader([&] {
            unsigned char in[8];
            first = hid_read_timeout(h, in, 8, -1);
            second = hid_read(h, in, 8);
        });
        // Registry churn while the reader waits.
        for (int i = 0; i < 50; ++i) {
            FakeHid::addDevice(std::make_shared<FakeHid::RecordingDevice>(), ident("tmp", 1, 1));
            FakeHid::removeDevice("tmp");
        }
        dev->queueInput("\x01"
                        "abc");
        QTRY_COMPARE_WITH_TIMEOUT(first.load(), 4, 10000);
        FakeHid::removeDevice("a");
        reader.join();
        QCOMPARE(second.load(), -1);
        hid_close(h);
    }
};

QTEST_GUILESS_MAIN(TestFakeHid)
#include "tst_fakehid.moc"
