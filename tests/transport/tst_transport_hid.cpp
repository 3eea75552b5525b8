// The USB-HID transport against the fake hidapi: reports on the wire, ack
// decoding, read failures and the bounds on received length fields.

#include "fakehid.h"
#include "hidio.h"
#include "iostatus.h"
#include "records.h"

#include <QtTest>
#include <memory>

using namespace RomCmd;

namespace {
const QString kPath = QStringLiteral("/dev/hidraw-test0");

QByteArray hex(const char* text)
{
    return QByteArray::fromHex(text);
}

QByteArray pattern(int n)
{
    QByteArray b(n, '\0');
    for (int i = 0; i < n; ++i)
        b[i] = char((i * 13 + 1) & 0xFF);
    return b;
}

QByteArray frameReport(const QByteArray& payload, int lengthField = -1)
{
    const int n = lengthField < 0 ? payload.size() : lengthField;
    QByteArray r = hex("02c3"); // bytes 0 and 1 are not examined
    r.append(char(n & 0xFF));
    r.append(char(n >> 8));
    return r + payload;
}

UsbInfo usb(const QString& path, quint32 vid = 0x34B7, quint32 pid = 0x0001)
{
    UsbInfo info;
    info.devicePath = path;
    info.vendorId = vid;
    info.productId = pid;
    return info;
}
} // namespace

class TestTransportHid : public QObject
{
    Q_OBJECT

    std::shared_ptr<FakeHid::RecordingDevice> dev;
    std::unique_ptr<HidIO> io;

    void open()
    {
        dev = std::make_shared<FakeHid::RecordingDevice>();
        FakeHid::Identity id;
        id.path = kPath;
        id.vendorId = 0x34B7;
        id.productId = 0x0001;
        FakeHid::addDevice(dev, id);
        io = std::make_unique<HidIO>(QVariant::fromValue(usb(kPath)));
        QCOMPARE(io->status(), 0);
        io->setTimeout(200); // only failure paths ever wait for it
    }

private slots:
    void cleanup()
    {
        io.reset();
        dev.reset();
        FakeHid::reset();
    }

    void frameReportOnWire()
    {
        const int size = 1020; // the largest report
        open();
        dev->queueInput(hex("01a10000"));
        const QByteArray payload = pattern(size);
        QCOMPARE(io->writePacket(reinterpret_cast<const uint8_t*>(payload.constData()), uint16_t(size)), 0);
        QByteArray expected = hex("01a5");
        expected.append(char(size & 0xFF));
        expected.append(char(size >> 8));
        expected += payload;
        QCOMPARE(dev->writes(), QList<QByteArray> { expected });
    }

    void oversizedPacketRefused()
    {
        open();
        const QByteArray payload = pattern(1021);
        QCOMPARE(
            io->writePacket(reinterpret_cast<const uint8_t*>(payload.constData()), 1021), int(IoWritePayloadFailed));
        QVERIFY(dev->writes().isEmpty());
    }

    void ackDecoding_data()
    {
        QTest::addColumn<QByteArray>("report");
        QTest::addColumn<int>("status");
        QTest::newRow("ack") << hex("01a10000") << int(IoOk);
        QTest::newRow("nak") << hex("01a20000") << int(IoNak);
        QTest::newRow("abort") << hex("01a30000") << int(IoAbort);
        QTest::newRow("unknown code") << hex("01000000") << int(IoFailure);
        QTest::newRow("code at byte 0") << hex("a1000000") << int(IoFailure);
        QTest::newRow("long report") << hex("01a2000000000000ffff") << int(IoNak);
    }
    void ackDecoding()
    {
        QFETCH(QByteArray, report);
        QFETCH(int, status);
        open();
        dev->queueInput(report);
        const uint8_t packet[8] = { 1, 1, 0, 0, 0, 0, 0, 0 };
        QCOMPARE(io->writePacket(packet, 8), status);
        QCOMPARE(io->status(), status);
    }

    // No report, or a failed read, must never read as an ack (0), a NAK (1) or an abort (2).
    void ackReadFailure_data()
    {
        QTest::addColumn<int>("mode");
        QTest::newRow("time-out") << 0;
        QTest::newRow("read error") << 1;
        QTest::newRow("unplugged") << 2;
        QTest::newRow("one-byte report") << 3;
    }
    void ackReadFailure()
    {
        QFETCH(int, mode);
        open();
        if (mode == 1)
            dev->setReadError(true);
        if (mode == 3)
            dev->queueInput(hex("01"));
        if (mode == 2) {
            FakeHid::removeDevice(kPath);
            QCOMPARE(io->readAck(), int(IoReadAckStartFailed));
            return;
        }
        const uint8_t packet[4] = { 6, 0, 1, 0 };
        const int r = io->writePacket(packet, 4);
        QVERIFY2(r != IoOk && r != IoNak && r != IoAbort, qPrintable(QString::number(r)));
        QCOMPARE(r, mode == 3 ? int(IoReadAckStatusFailed) : int(IoReadAckStartFailed));
    }

    void readPacket_data()
    {
        QTest::addColumn<QByteArray>("report"); // empty = nothing arrives
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<bool>("readError");
        const QByteArray p = pattern(40);
        QTest::newRow("frame") << frameReport(p) << int(IoOk) << p << false;
        QTest::newRow("padded report") << frameReport(p) + QByteArray(100, '\0') << int(IoOk) << p << false;
        QTest::newRow("empty payload") << frameReport(QByteArray()) << int(IoOk) << QByteArray() << false;
        QTest::newRow("largest") << frameReport(pattern(1020)) << int(IoOk) << pattern(1020) << false;
        QTest::newRow("nothing") << QByteArray() << int(IoReadPayloadFailed) << QByteArray() << false;
        QTest::newRow("too short for a length") << hex("01a505") << int(IoReadLengthFailed) << QByteArray() << false;
        QTest::newRow("length beyond report")
            << frameReport(p, 41) << int(IoReadPayloadBufferFailed) << QByteArray() << false;
        QTest::newRow("length beyond buffer")
            << frameReport(pattern(1020), 1021) << int(IoReadPayloadBufferFailed) << QByteArray() << false;
        QTest::newRow("read error") << frameReport(p) << int(IoReadPayloadFailed) << QByteArray() << true;
    }
    void readPacket()
    {
        QFETCH(QByteArray, report);
        QFETCH(int, status);
        QFETCH(QByteArray, payload);
        QFETCH(bool, readError);
        open();
        dev->setReadError(readError);
        if (!report.isEmpty())
            dev->queueInput(report);
        QByteArray buffer(MaxFrameBuffer + 64, char(0xEE));
        uint16_t length = 0xBEEF;
        QCOMPARE(io->readPacket(reinterpret_cast<uint8_t*>(buffer.data()), &length), status);
        QCOMPARE(buffer.mid(MaxFrameBuffer), QByteArray(64, char(0xEE)));
        if (status == IoOk) {
            QCOMPARE(int(length), payload.size());
            QCOMPARE(buffer.left(length), payload);
            QCOMPARE(dev->writes(), QList<QByteArray> { hex("01a10000") });
        } else {
            QCOMPARE(length, uint16_t(0xBEEF));
            QVERIFY(dev->writes().isEmpty()); // a failed frame is not acknowledged
        }
    }

    void sendResponse_data()
    {
        QTest::addColumn<bool>("writeFails");
        QTest::addColumn<int>("status");
        QTest::newRow("written") << false << int(IoOk);
        QTest::newRow("write error") << true << int(IoSendResponseFailed);
    }
    void sendResponse()
    {
        QFETCH(bool, writeFails);
        QFETCH(int, status);
        open();
        dev->setWriteError(writeFails);
        QCOMPARE(io->sendResponse(0xA3), status);
        if (!writeFails)
            QCOMPARE(dev->writes(), QList<QByteArray> { hex("01a30000") });
    }

    void writeFailure()
    {
        open();
        dev->setWriteError(true);
        const uint8_t packet[4] = { 8, 1, 0, 0 };
        QCOMPARE(io->writePacket(packet, 4), int(IoWritePayloadFailed));
    }

    void transferReport_data()
    {
        QTest::addColumn<QByteArray>("reply"); // empty = silence
        QTest::addColumn<int>("capacity");
        QTest::addColumn<int>("mode"); // 0 normal, 1 write error, 2 read error
        QTest::addColumn<int>("result");
        QTest::addColumn<QByteArray>("text");
        QByteArray full(64, '\0');
        full[0] = 0x01;
        full.replace(1, 6, "ok 1.2");
        QTest::newRow("reply") << full << 64 << 0 << 64 << QByteArray("ok 1.2\0", 7);
        QTest::newRow("short reply") << QByteArray("\x02"
                                                   "abc\0zz",
            7) << 64 << 0 << 7 << QByteArray("abc\0", 4);
        QTest::newRow("no zero byte") << QByteArray("\x02"
                                                    "abcdef",
            7) << 64 << 0 << 7 << QByteArray("abcdef");
        QTest::newRow("silence") << QByteArray() << 64 << 0 << 0 << QByteArray();
        QTest::newRow("longer than capacity") << full << 32 << 0 << -4 << QByteArray();
        QTest::newRow("write error") << full << 64 << 1 << -2 << QByteArray();
        QTest::newRow("read error") << full << 64 << 2 << -3 << QByteArray();
    }
    void transferReport()
    {
        QFETCH(QByteArray, reply);
        QFETCH(int, capacity);
        QFETCH(int, mode);
        QFETCH(int, result);
        QFETCH(QByteArray, text);
        open();
        if (!reply.isEmpty())
            dev->queueReplyToNextWrite({ reply });
        dev->setWriteError(mode == 1);
        dev->setReadError(mode == 2);
        QByteArray buffer(capacity + 16, char(0x77));
        const QByteArray cmd("LOGIN:secret");
        QCOMPARE(io->transferReport(reinterpret_cast<const uint8_t*>(cmd.constData()), uint16_t(cmd.size()),
                     reinterpret_cast<uint8_t*>(buffer.data()), uint16_t(capacity)),
            result);
        QCOMPARE(buffer.mid(capacity), QByteArray(16, char(0x77))); // never past the capacity
        if (mode == 1)
            return;
        QByteArray out(64, '\0');
        out[0] = 0x01;
        out.replace(1, cmd.size(), cmd);
        QCOMPARE(dev->writes(), QList<QByteArray> { out });
        if (result > 0) {
            QCOMPARE(buffer.left(text.size()), text);
            QCOMPARE(buffer.mid(text.size(), capacity - text.size()), QByteArray(capacity - text.size(), '\0'));
        }
    }

    // A reply that came after its command gave up is dropped, not taken as the next answer.
    void staleReplyDropped()
    {
        open();
        dev->queueInput(QByteArray("\x01" "late\0", 6));
        dev->queueInput(QByteArray("\x01" "later\0", 7));
        dev->queueReplyToNextWrite({ QByteArray("\x01" "fresh\0", 7) });
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Dropped 2 stale input report\\(s\\)"));
        uint8_t reply[64];
        QCOMPARE(io->transferReport(reinterpret_cast<const uint8_t*>("VER"), 3, reply, 64), 7);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(reply)), QByteArray("fresh"));
        QCOMPARE(dev->pendingInput(), 0);
    }

    void textLongerThanReport()
    {
        open();
        dev->queueReplyToNextWrite({ hex("0100") });
        const QByteArray cmd(100, 'x');
        uint8_t reply[64];
        QCOMPARE(io->transferReport(reinterpret_cast<const uint8_t*>(cmd.constData()), 100, reply, 64), 2);
        QCOMPARE(dev->writes().first(), QByteArray("\x01", 1) + QByteArray(63, 'x'));
    }

    void openByPathOrIds_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("pid");
        QTest::addColumn<QString>("opened"); // empty = open fails
        QTest::newRow("by path") << "/dev/hidraw-b" << 0 << "/dev/hidraw-b";
        QTest::newRow("by ids, first match") << "" << 2 << "/dev/hidraw-a";
        QTest::newRow("ids match nothing") << "" << 9 << "";
        QTest::newRow("path absent") << "/dev/hidraw-none" << 2 << "";
    }
    void openByPathOrIds()
    {
        QFETCH(QString, path);
        QFETCH(int, pid);
        QFETCH(QString, opened);
        for (const char* p : { "/dev/hidraw-a", "/dev/hidraw-b" }) {
            FakeHid::Identity id;
            id.path = QString::fromLatin1(p);
            id.vendorId = 0x34B7;
            id.productId = 2;
            FakeHid::addDevice(std::make_shared<FakeHid::RecordingDevice>(), id);
        }
        {
            HidIO hid { QVariant::fromValue(usb(path, 0x34B7, quint32(pid))) };
            if (opened.isEmpty()) {
                QCOMPARE(hid.status(), int(IoOpenFailed));
                const uint8_t packet[4] = { 8, 1, 0, 0 };
                uint8_t buffer[MaxFrameBuffer];
                uint16_t length = 0;
                QCOMPARE(hid.writePacket(packet, 4), int(IoOpenFailed));
                QCOMPARE(hid.readPacket(buffer, &length), int(IoOpenFailed));
                QCOMPARE(hid.readAck(), int(IoOpenFailed));
                QCOMPARE(hid.sendResponse(0xA1), int(IoOpenFailed));
                QCOMPARE(hid.transferReport(packet, 4, buffer, 64), -1);
                QCOMPARE(hid.status(), int(IoOpenFailed));
            } else {
                QCOMPARE(hid.status(), 0);
                QCOMPARE(FakeHid::openCount(opened), 1);
            }
        }
        QCOMPARE(FakeHid::openCount("/dev/hidraw-a"), 0); // closed by the destructor
        QCOMPARE(FakeHid::openCount("/dev/hidraw-b"), 0);
    }

    void wrongVariantOpensNothing()
    {
        HidIO hid { QVariant(42) };
        QCOMPARE(hid.status(), int(IoOpenFailed));
    }
};

QTEST_GUILESS_MAIN(TestTransportHid)
#include "tst_transport_hid.moc"
