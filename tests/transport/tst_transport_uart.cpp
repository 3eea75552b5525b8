// The UART transport against a pseudo-terminal: the device side is scripted
// byte by byte so every frame, ack and failure path is checked on the wire.

#include "crc16.h"
#include "iostatus.h"
#include "ptylink.h"
#include "records.h"
#include "romsim.h"
#include "serialio.h"

#include <QLoggingCategory>
#include <QtTest>
#include <atomic>
#include <memory>
#include <thread>

using namespace RomCmd;

namespace {
QByteArray hex(const char* text) { return QByteArray::fromHex(text); }

QByteArray uartFrame(const QByteArray& payload)
{
    const QByteArray f = hex("5aa5") + char(payload.size() & 0xFF) + char(payload.size() >> 8) + payload;
    const uint16_t crc = RomSim::crc16(f);
    return f + char(crc & 0xFF) + char(crc >> 8);
}

QByteArray pattern(int n)
{
    QByteArray b(n, '\0');
    for (int i = 0; i < n; ++i)
        b[i] = char((i * 7 + 3) & 0xFF);
    return b;
}
} // namespace

class TestTransportUart : public QObject
{
    Q_OBJECT

    std::unique_ptr<PtyLink> link;
    std::unique_ptr<SerialIO> io;

    static void expectCritical(const QString& text)
    {
        if (!text.isEmpty())
            QTest::ignoreMessage(
                QtCriticalMsg, QRegularExpression(QLatin1Char('^') + QRegularExpression::escape(text)));
    }

    void open(uint32_t timeout = 200)
    {
        link = std::make_unique<PtyLink>();
        QVERIFY(link->isOpen());
        SerialPortInfo info;
        info.portName = link->toolPath();
        io = std::make_unique<SerialIO>(QVariant::fromValue(info));
        QCOMPARE(io->status(), 0);
        io->setTimeout(timeout);
    }

private slots:
    void cleanup()
    {
        io.reset();
        link.reset();
    }

    void frameOnWire()
    {
        const int size = 1024; // the whole buffer
        open();
        const QByteArray payload = pattern(size);
        QVERIFY(link->writeAll(hex("5aa1")));
        QCOMPARE(io->writePacket(reinterpret_cast<const uint8_t*>(payload.constData()), uint16_t(size)), 0);
        const QByteArray wire = link->readExact(size + 6, 2000);
        QCOMPARE(wire.size(), size + 6);
        QCOMPARE(wire, uartFrame(payload));
        QVERIFY(link->read(16, 50).isEmpty()); // nothing beyond the frame
    }

    void ackDecoding_data()
    {
        QTest::addColumn<QByteArray>("device");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("log"); // critical line expected, empty = none
        QTest::newRow("ack") << hex("5aa1") << int(IoOk) << QString();
        QTest::newRow("nak") << hex("5aa2") << int(IoNak) << QString();
        QTest::newRow("abort") << hex("5aa3") << int(IoAbort) << QString();
        QTest::newRow("unknown code") << hex("5a00") << int(IoFailure) << QString();
        QTest::newRow("no 5A") << hex("00") << int(IoFailure) << QString();
        QTest::newRow("silence") << QByteArray() << int(IoReadAckStartFailed) << "Read ack error!";
        QTest::newRow("5A only") << hex("5a") << int(IoReadAckStatusFailed) << "Read ack error!";
    }
    void ackDecoding()
    {
        QFETCH(QByteArray, device);
        QFETCH(int, status);
        QFETCH(QString, log);
        open();
        QVERIFY(link->writeAll(device));
        expectCritical(log);
        const uint8_t packet[8] = { 1, 1, 0, 0, 0, 0, 0, 0 };
        QCOMPARE(io->writePacket(packet, 8), status);
        QCOMPARE(io->status(), status);
    }

    void readPacket_data()
    {
        QTest::addColumn<QByteArray>("device");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("payload"); // expected payload when status is 0
        QTest::addColumn<QString>("log"); // critical line expected, empty = none
        const QByteArray p = pattern(24);
        QByteArray badCrc = uartFrame(p);
        badCrc[badCrc.size() - 1] = char(badCrc.at(badCrc.size() - 1) ^ 0x40);
        const QByteArray none;
        QTest::newRow("garbage skipped") << hex("0011a5ffa1") + uartFrame(p) << int(IoOk) << p << QString();
        QTest::newRow("largest frame") << uartFrame(pattern(1024)) << int(IoOk) << pattern(1024) << QString();
        QTest::newRow("bad crc") << badCrc << int(IoNak) << none << QString();
        QTest::newRow("5A then not A5") << hex("5a00") + uartFrame(p) << int(IoReadPayloadFailed) << none
                                        << "Read payload error!";
        QTest::newRow("5A then silence") << hex("5a") << int(IoReadPayloadFailed) << none << "Read payload error!";
        QTest::newRow("silence") << none << int(IoTimeout) << none << "Read timeout!";
        QTest::newRow("half a length") << hex("5aa510") << int(IoReadLengthFailed) << none
                                       << "Read payload length error!";
        QTest::newRow("length beyond buffer") << hex("5aa50104") + pattern(1025) << int(IoReadLengthFailed) << none
                                              << "Read payload length error!";
        QTest::newRow("short payload") << hex("5aa51000") + pattern(5) << int(IoReadPayloadBufferFailed) << none
                                       << "Read payload buffer error!";
        QTest::newRow("missing crc") << uartFrame(p).left(4 + 24 + 1) << int(IoReadCrcFailed) << none
                                     << "Read crc error!";
    }
    void readPacket()
    {
        QFETCH(QByteArray, device);
        QFETCH(int, status);
        QFETCH(QByteArray, payload);
        QFETCH(QString, log);
        open();
        QVERIFY(link->writeAll(device));
        expectCritical(log);
        // Guard bytes past the 1024-byte buffer show any overrun.
        QByteArray buffer(MaxFrameBuffer + 64, char(0xEE));
        uint16_t length = 0xBEEF;
        QCOMPARE(io->readPacket(reinterpret_cast<uint8_t*>(buffer.data()), &length), status);
        QCOMPARE(buffer.mid(MaxFrameBuffer), QByteArray(64, char(0xEE)));
        if (status == IoOk)
            QCOMPARE(buffer.left(length), payload);
        else
            QCOMPARE(length, uint16_t(0xBEEF)); // untouched on failure
        // The tool acknowledges a whole frame and refuses a bad CRC; anything else gets no answer.
        const QByteArray toolAck = status == IoOk ? hex("5aa1") : status == IoNak ? hex("5aa2") : QByteArray();
        QCOMPARE(link->read(16, toolAck.isEmpty() ? 50 : 2000), toolAck);
    }

    void transferReportUnsupported()
    {
        open();
        uint8_t reply[64];
        QCOMPARE(io->transferReport(reinterpret_cast<const uint8_t*>("ver"), 3, reply, 64), -1);
        QVERIFY(link->read(16, 50).isEmpty());
    }

    void missingPort()
    {
        SerialPortInfo info;
        info.portName = QStringLiteral("/dev/pts/krel-none");
        SerialIO port { QVariant::fromValue(info) };
        QCOMPARE(port.status(), int(IoOpenFailed));
        const uint8_t packet[4] = { 1, 0, 0, 0 };
        QCOMPARE(port.writePacket(packet, 4), int(IoOpenFailed));
        uint8_t buffer[MaxFrameBuffer];
        uint16_t length = 0;
        QCOMPARE(port.readPacket(buffer, &length), int(IoOpenFailed));
        QCOMPARE(port.readAck(), int(IoOpenFailed));
        QCOMPARE(port.status(), int(IoOpenFailed)); // stays for the object's life
    }

    // Bytes of a failed exchange that arrive late must not answer the next frame.
    void leftoverInputDiscarded()
    {
        open();
        // The tool gives up at 5A 00; the 5A A1 behind it is no ack for what comes next.
        QVERIFY(link->writeAll(hex("5a005aa1")));
        QTest::ignoreMessage(QtCriticalMsg, "Read payload error!");
        uint8_t buffer[MaxFrameBuffer];
        uint16_t length = 0;
        QCOMPARE(io->readPacket(buffer, &length), int(IoReadPayloadFailed));
        const uint8_t packet[8] = { 1, 1, 0, 0, 0, 0, 0, 0 };
        std::thread device([&] {
            if (link->readExact(14, 2000).size() == 14)
                link->writeAll(hex("5aa2"));
        });
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Discarded 2 received bytes left over"));
        const int r = io->writePacket(packet, 8);
        device.join();
        QCOMPARE(r, int(IoNak));
    }

    // The rest of a frame that could not be written must not go out ahead of the next frame.
    void failedWriteLeavesNothingQueued()
    {
        open(20);
        QLoggingCategory::setFilterRules(QStringLiteral("default.critical=false"));
        const QByteArray big = pattern(1024);
        int r = IoOk;
        for (int i = 0; i < 1000; ++i) { // the device reads nothing until the link is full
            r = io->writePacket(reinterpret_cast<const uint8_t*>(big.constData()), 1024);
            if (r == IoWriteHeaderFailed || r == IoWritePayloadFailed || r == IoWriteCrcFailed)
                break;
        }
        QLoggingCategory::setFilterRules(QString());
        QVERIFY2(r == IoWriteHeaderFailed || r == IoWritePayloadFailed || r == IoWriteCrcFailed,
            qPrintable(QString::number(r)));
        while (!link->read(1 << 16, 200).isEmpty()) { } // the device catches up
        const QByteArray payload = pattern(24);
        QByteArray wire;
        std::thread device([&] {
            wire = link->readExact(30, 2000);
            link->writeAll(hex("5aa1"));
        });
        r = io->writePacket(reinterpret_cast<const uint8_t*>(payload.constData()), 24);
        device.join();
        QCOMPARE(wire, uartFrame(payload));
        QCOMPARE(r, int(IoOk));
    }

    // The hunt for a frame start ends at the time-out, or at terminate, even
    // while the device streams other bytes.
    void frameHuntBounded_data()
    {
        QTest::addColumn<bool>("stream");
        QTest::addColumn<bool>("terminate"); // else a 300 ms time-out; terminate runs without one
        QTest::newRow("streaming past the time-out") << true << false;
        QTest::newRow("terminate while streaming") << true << true;
        QTest::newRow("terminate while silent") << false << true;
    }
    void frameHuntBounded()
    {
        QFETCH(bool, stream);
        QFETCH(bool, terminate);
        const int status = terminate ? IoCommandFailed : IoTimeout;
        open(terminate ? 0 : 300);
        std::atomic<bool> stop { false };
        std::atomic<bool> flag { false };
        std::atomic<bool> gaveUp { false }; // the device side ran out of patience first
        io->setTerminateFlag(&flag);
        std::thread device([&] {
            const QByteArray noise(64, char(0x11));
            for (int i = 0; !stop; ++i) {
                if (stream)
                    link->writeAll(noise, 100);
                if (i == 50 && terminate)
                    flag = true;
                if (i == 10000) { // 10 s and more: far beyond any bound under test
                    gaveUp = true;
                    return;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        });
        if (status == IoTimeout)
            QTest::ignoreMessage(QtCriticalMsg, "Read timeout!");
        uint8_t buffer[MaxFrameBuffer];
        uint16_t length = 0;
        const int r = io->readPacket(buffer, &length);
        stop = true;
        device.join();
        QVERIFY(!gaveUp);
        QCOMPARE(r, status);
    }

    // A reply that arrives in pieces after the read has started is still one frame.
    void frameInPieces()
    {
        open(3000);
        const QByteArray frame = uartFrame(pattern(300));
        std::thread device([&] {
            for (int i = 0; i < frame.size(); i += 37) {
                link->writeAll(frame.mid(i, 37));
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
        });
        QByteArray buffer(MaxFrameBuffer, '\0');
        uint16_t length = 0;
        const int r = io->readPacket(reinterpret_cast<uint8_t*>(buffer.data()), &length);
        device.join();
        QCOMPARE(r, 0);
        QCOMPARE(buffer.left(length), pattern(300));
    }
};

QTEST_GUILESS_MAIN(TestTransportUart)
#include "tst_transport_uart.moc"
