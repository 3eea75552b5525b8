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

QByteArray hex(const char* text) { return QByteArray::fromHex(text); }

QByteArray pattern(int n)
{
    QByteArray b(n, '\0');
    for (int i = 0; i < n; ++i)
        b[i] = char((i * 13 + 1) & 0xFF);
    return b;
}

// A frame report: id, tag, 16-bit length (or a lying lengthField), payload.
QByteArray frameReport(const QByteArray& payload, int lengthField = -1, const char* head = "02c3")
{
    const int n = lengthField < 0 ? payload.size() : lengthField;
    return hex(head) + char(n & 0xFF) + char(n >> 8) + payload; // bytes 0 and 1 of a received frame are not examined
}

UsbInfo usb(const QString& path, quint32 pid = 0x0001)
{
    UsbInfo info;
    info.devicePath = path;
    info.vendorId = 0x34B7;
    info.productId = pid;
    return info;
}

void addDevice(std::shared_ptr<FakeHid::Device> dev, const QString& path, quint32 pid)
{
    FakeHid::Identity id;
    id.path = path;
    id.vendorId = 0x34B7;
    id.productId = pid;
    FakeHid::addDevice(std::move(dev), id);
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
        addDevice(dev, kPath, 0x0001);
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

    void writePacket_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("writeError");
        QTest::addColumn<int>("status");
        QTest::newRow("largest report") << 1020 << false << int(IoOk);
        QTest::newRow("oversized refused") << 1021 << false << int(IoWritePayloadFailed);
        QTest::newRow("write error") << 4 << true << int(IoWritePayloadFailed);
    }
    void writePacket()
    {
        QFETCH(int, size);
        QFETCH(bool, writeError);
        QFETCH(int, status);
        open();
        dev->queueInput(hex("01a10000"));
        dev->setWriteError(writeError);
        const QByteArray payload = pattern(size);
        QCOMPARE(io->writePacket(reinterpret_cast<const uint8_t*>(payload.constData()), uint16_t(size)), status);
        if (status == IoOk)
            QCOMPARE(dev->writes(), QList<QByteArray> { frameReport(payload, -1, "01a5") });
        else
            QVERIFY(dev->writes().isEmpty());
    }

    // No report, or a failed read, must never read as an ack (0), a NAK (1) or an abort (2).
    void ackDecoding_data()
    {
        QTest::addColumn<QByteArray>("report"); // empty = nothing arrives
        QTest::addColumn<int>("fault"); // 1 read error, 2 unplugged
        QTest::addColumn<int>("status");
        QTest::newRow("ack") << hex("01a10000") << 0 << int(IoOk);
        QTest::newRow("nak") << hex("01a20000") << 0 << int(IoNak);
        QTest::newRow("abort") << hex("01a30000") << 0 << int(IoAbort);
        QTest::newRow("code at byte 0") << hex("a1000000") << 0 << int(IoFailure);
        QTest::newRow("long report") << hex("01a2000000000000ffff") << 0 << int(IoNak);
        QTest::newRow("one-byte report") << hex("01") << 0 << int(IoReadAckStatusFailed);
        QTest::newRow("time-out") << QByteArray() << 0 << int(IoReadAckStartFailed);
        QTest::newRow("read error") << QByteArray() << 1 << int(IoReadAckStartFailed);
        QTest::newRow("unplugged") << QByteArray() << 2 << int(IoReadAckStartFailed);
    }
    void ackDecoding()
    {
        QFETCH(QByteArray, report);
        QFETCH(int, fault);
        QFETCH(int, status);
        open();
        if (!report.isEmpty())
            dev->queueInput(report);
        dev->setReadError(fault == 1);
        if (fault == 2) {
            FakeHid::removeDevice(kPath);
            QCOMPARE(io->readAck(), status);
        } else {
            const uint8_t packet[8] = { 1, 1, 0, 0, 0, 0, 0, 0 };
            QCOMPARE(io->writePacket(packet, 8), status);
        }
        QCOMPARE(io->status(), status);
    }

    void readPacket_data()
    {
        QTest::addColumn<QByteArray>("report"); // empty = nothing arrives
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<bool>("readError");
        const QByteArray p = pattern(40);
        QTest::newRow("padded report") << frameReport(p) + QByteArray(100, '\0') << int(IoOk) << p << false;
        QTest::newRow("empty payload") << frameReport(QByteArray()) << int(IoOk) << QByteArray() << false;
        QTest::newRow("largest") << frameReport(pattern(1020)) << int(IoOk) << pattern(1020) << false;
        QTest::newRow("nothing") << QByteArray() << int(IoReadPayloadFailed) << QByteArray() << false;
        QTest::newRow("too short for a length") << hex("01a505") << int(IoReadLengthFailed) << QByteArray() << false;
        QTest::newRow("length beyond report") << frameReport(p, 41) << int(IoReadPayloadBufferFailed) << QByteArray()
                                              << false;
        QTest::newRow("length beyond buffer") << frameReport(pattern(1020), 1021) << int(IoReadPayloadBufferFailed)
                                              << QByteArray() << false;
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
            QCOMPARE(buffer.left(length), payload);
            QCOMPARE(dev->writes(), QList<QByteArray> { hex("01a10000") });
        } else {
            QCOMPARE(length, uint16_t(0xBEEF));
            QVERIFY(dev->writes().isEmpty()); // a failed frame is not acknowledged
        }
    }

    void sendResponse()
    {
        open();
        QCOMPARE(io->sendResponse(0xA3), int(IoOk));
        QCOMPARE(dev->writes(), QList<QByteArray> { hex("01a30000") });
        dev->setWriteError(true);
        QCOMPARE(io->sendResponse(0xA3), int(IoSendResponseFailed));
        QCOMPARE(io->status(), int(IoSendResponseFailed));
    }

    void transferReport_data()
    {
        QTest::addColumn<QByteArray>("cmd");
        QTest::addColumn<QByteArray>("reply"); // empty = silence
        QTest::addColumn<int>("capacity");
        QTest::addColumn<int>("mode"); // 0 normal, 1 write error, 2 read error
        QTest::addColumn<int>("result");
        QTest::addColumn<QByteArray>("text");
        const QByteArray login("LOGIN:secret");
        QByteArray full(64, '\0');
        full[0] = 0x01;
        full.replace(1, 6, "ok 1.2");
        QTest::newRow("reply") << login << full << 64 << 0 << 64 << QByteArray("ok 1.2\0", 7);
        QTest::newRow("short reply") << login << QByteArray("\x02" "abc\0zz", 7) << 64 << 0 << 7
                                     << QByteArray("abc\0", 4);
        QTest::newRow("no zero byte") << login << QByteArray("\x02" "abcdef", 7) << 64 << 0 << 7
                                      << QByteArray("abcdef");
        QTest::newRow("text longer than a report") << QByteArray(100, 'x') << hex("0100") << 64 << 0 << 2
                                                   << QByteArray();
        QTest::newRow("silence") << login << QByteArray() << 64 << 0 << 0 << QByteArray();
        QTest::newRow("longer than capacity") << login << full << 32 << 0 << -4 << QByteArray();
        QTest::newRow("write error") << login << full << 64 << 1 << -2 << QByteArray();
        QTest::newRow("read error") << login << full << 64 << 2 << -3 << QByteArray();
    }
    void transferReport()
    {
        QFETCH(QByteArray, cmd);
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
        QCOMPARE(io->transferReport(reinterpret_cast<const uint8_t*>(cmd.constData()), uint16_t(cmd.size()),
                     reinterpret_cast<uint8_t*>(buffer.data()), uint16_t(capacity)),
            result);
        QCOMPARE(buffer.mid(capacity), QByteArray(16, char(0x77))); // never past the capacity
        if (mode == 1)
            return;
        // One 64-byte report: id 1, then the text, cut or padded with zeros.
        QCOMPARE(dev->writes(), QList<QByteArray> { (char(0x01) + cmd).left(64).leftJustified(64, '\0') });
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

    void openByPathOrIds_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("pid"); // -1: not a USB record at all
        QTest::addColumn<QString>("opened"); // empty = open fails
        QTest::newRow("by path") << "/dev/hidraw-b" << 0 << "/dev/hidraw-b";
        QTest::newRow("by ids, first match") << "" << 2 << "/dev/hidraw-a";
        QTest::newRow("ids match nothing") << "" << 9 << "";
        QTest::newRow("path absent") << "/dev/hidraw-none" << 2 << "";
        QTest::newRow("not a USB record") << "" << -1 << "";
        QTest::newRow("no path, zero ids") << "" << 0 << "";
    }
    void openByPathOrIds()
    {
        QFETCH(QString, path);
        QFETCH(int, pid);
        QFETCH(QString, opened);
        // A record without a path or ids must not open whatever is plugged.
        for (const char* p : { "/dev/hidraw-a", "/dev/hidraw-b" })
            addDevice(std::make_shared<FakeHid::RecordingDevice>(), QString::fromLatin1(p), 2);
        {
            HidIO hid { pid < 0 ? QVariant(42) : QVariant::fromValue(usb(path, quint32(pid))) };
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
};

QTEST_GUILESS_MAIN(TestTransportHid)
#include "tst_transport_hid.moc"
