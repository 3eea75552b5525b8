// Simulator behaviour no tool test reaches, driven through the real transports:
// the flash memory rules, the image end rule and the fault kinds the command
// and job tests never inject.

#include "iostatus.h"
#include "romrig.h"

#include <QtTest>
#include <mutex>

using namespace RomCmd;
using namespace Rig;
using RomSim::Fault;
using RomSim::FaultKind;
using RomSim::FaultPoint;

namespace {

QByteArray packet(uint8_t tag, uint8_t flags, const QList<uint32_t>& params, const QByteArray& data = {})
{
    QByteArray p = header(tag, uint8_t(params.size()), flags);
    for (uint32_t v : params)
        p += le32(v);
    return p + data;
}

uint32_t word(const QByteArray& b, int index)
{
    const int o = 4 * index;
    if (o + 4 > b.size())
        return 0xDEADBEEF;
    const auto* p = reinterpret_cast<const uint8_t*>(b.constData() + o);
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

constexpr uint32_t io(int status)
{
    return 0xFFFF0000u | uint32_t(status);
}

// Raw packets on the tool's transport; results are the ROM status, or io(IoStatus)
// on a transport failure.
struct Wire
{
    explicit Wire(bool uart)
        : rom(uart ? EDeviceTypeUart : EDeviceTypeUsbHid)
    {
        rom.rom->io()->setTimeout(5000);
    }
    DeviceIO* dev() { return rom.rom->io(); }
    int send(const QByteArray& p)
    {
        return dev()->writePacket(reinterpret_cast<const uint8_t*>(p.constData()), uint16_t(p.size()));
    }
    uint32_t status(int written)
    {
        if (written != IoOk && written != IoAbort)
            return io(written);
        QByteArray buffer(MaxFrameBuffer, '\0');
        uint16_t length = 0;
        const int r = dev()->readPacket(reinterpret_cast<uint8_t*>(buffer.data()), &length);
        return r == IoOk ? word(buffer.left(length), 1) : io(r);
    }
    uint32_t command(const QByteArray& p) { return status(send(p)); }
    // The tool's chunking: 496 bytes in the command packet, 508 per data packet.
    uint32_t writeMemory(uint32_t memId, uint32_t address, const QByteArray& data)
    {
        int sent = qMin(496, data.size());
        int w = send(packet(0x04, 0, { address, uint32_t(data.size()), memId }, data.left(sent)));
        for (; w == IoOk && sent < data.size(); sent += 508)
            w = send(packet(0x04, 0x01, {}, data.mid(sent, 508)));
        return status(w);
    }
    uint32_t loadImage(const QByteArray& image)
    {
        int w = IoOk;
        for (int sent = 0; sent < image.size() && w == IoOk; sent += 508)
            w = send(packet(0x06, 0x01, {}, image.mid(sent, 508)));
        return status(w);
    }
    Rom rom;
};

void addTransports()
{
    QTest::addColumn<bool>("uart");
    QTest::newRow("uart") << true;
    QTest::newRow("hid") << false;
}
} // namespace

class TestRomSim : public QObject
{
    Q_OBJECT

private slots:
    void loadImage_data()
    {
        QTest::addColumn<bool>("uart");
        QTest::addColumn<int>("size");
        QTest::addColumn<uint32_t>("expected"); // configured expected length, 0 = short-chunk rule
        for (bool uart : { true, false }) {
            const char* t = uart ? "uart " : "hid ";
            QTest::addRow("%sshort last chunk", t) << uart << 1017 << 0u;
            QTest::addRow("%sexact multiple, expected length", t) << uart << 1016 << 1016u;
        }
    }
    void loadImage()
    {
        QFETCH(bool, uart);
        QFETCH(int, size);
        QFETCH(uint32_t, expected);
        Wire w(uart);
        RomSim::Engine& sim = w.rom.sim();
        sim.setExpectedImageLength(expected);
        sim.setVersionAfterImageLoad("F1.1.0");
        std::mutex hookMutex;
        QByteArray hooked; // guarded by hookMutex; the hook runs on the server's thread
        sim.setImageLoadedHook([&](const QByteArray& image) {
            std::lock_guard<std::mutex> lock(hookMutex);
            hooked = image;
        });
        auto hookedImage = [&] {
            std::lock_guard<std::mutex> lock(hookMutex);
            return hooked;
        };
        const QByteArray image = pattern(size, 5);
        QCOMPARE(w.loadImage(image), 0u);
        QCOMPARE(sim.loadedImage(), image);
        QTRY_COMPARE(hookedImage(), image); // after the tool acknowledged the response
        QCOMPARE(sim.romVersion(), QStringLiteral("F1.1.0"));
    }

    void flashRules_data() { addTransports(); }
    void flashRules()
    {
        QFETCH(bool, uart);
        Wire w(uart);
        RomSim::Engine& sim = w.rom.sim();
        const uint32_t base = RomSim::FlashBase;
        QCOMPARE(w.writeMemory(RomSim::MemXpi0, base, pattern(16)), 1001009u); // not configured
        QCOMPARE(w.command(packet(0x07, 0, { 1, RomSim::MemXpi0 })), 1001009u);
        // Configuration block in ILM, then configure-memory pointing at it.
        const QByteArray block = QByteArray::fromHex("0700f9fc060000000000000000000000");
        QCOMPARE(w.writeMemory(RomSim::MemIlm, 0x100, block), 0u);
        QCOMPARE(w.command(packet(0x03, 0x02, { RomSim::MemXpi0, 0x100 })), 0u);
        QCOMPARE(sim.flashConfigWords().value(0), 0xFCF90007u);
        QCOMPARE(w.writeMemory(RomSim::MemXpi0, base + 0x1000, pattern(600)), 0u);
        QCOMPARE(sim.readBytes(RomSim::MemXpi0, base + 0x1000, 600), pattern(600));
        QCOMPARE(w.writeMemory(RomSim::MemXpi0, base + 0x1000, pattern(600, 9)), 1001003u); // not erased
        QCOMPARE(w.command(packet(0x07, 0, { 0, RomSim::MemXpi0, base + 0x1000, 0x1000 })), 0u);
        QCOMPARE(w.writeMemory(RomSim::MemXpi0, base + 0x1000, pattern(600, 9)), 0u);
        QCOMPARE(w.writeMemory(RomSim::MemXpi0, base - 4, pattern(8)), 1001001u); // below the range
        QCOMPARE(w.writeMemory(RomSim::MemXpi0, base + 0xFFFFFC, pattern(8)), 1001001u); // past the end
        QCOMPARE(w.command(packet(0x07, 0, { 1, RomSim::MemXpi0 })), 0u);
        QCOMPARE(sim.memory(RomSim::MemXpi0).count(char(0xFF)), 16 * 1024 * 1024);
        QCOMPARE(w.command(packet(0x07, 0, { 1, RomSim::MemIlm })), 1001000u); // RAM is not erasable
        QCOMPARE(w.command(packet(0x03, 0x02, { 0x30000, 0 })), 1001011u);
        // A reset forgets the configuration.
        QCOMPARE(w.command(packet(0x08, 0, { 0 })), 0u);
        QVERIFY(!sim.isConfigured(RomSim::MemXpi0));
    }

    void faults_data()
    {
        QTest::addColumn<bool>("uart");
        QTest::addColumn<int>("point");
        QTest::addColumn<int>("kind");
        QTest::addColumn<uint32_t>("value");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<uint32_t>("result"); // what command() reports
        QTest::addColumn<bool>("recovers"); // the next command works
        const int ack = int(FaultPoint::Ack), resp = int(FaultPoint::Response);
        for (bool uart : { true, false }) {
            const char* t = uart ? "uart " : "hid ";
            QTest::addRow("%sshort ack", t)
                << uart << ack << int(FaultKind::ShortAck) << 0u << QByteArray() << io(IoReadAckStatusFailed) << true;
            QTest::addRow("%sno ack", t) << uart << ack << int(FaultKind::Silence) << 0u << QByteArray()
                                         << io(IoReadAckStartFailed) << true;
            QTest::addRow("%sno response", t) << uart << resp << int(FaultKind::Silence) << 0u << QByteArray()
                                              << io(uart ? IoTimeout : IoReadPayloadFailed) << true;
            QTest::addRow("%sshort frame", t) << uart << resp << int(FaultKind::ShortFrame) << 3u << QByteArray()
                                              << io(IoReadPayloadBufferFailed) << true;
            QTest::addRow("%soversized length", t)
                << uart << resp << int(FaultKind::OversizedLength) << 0x800u << QByteArray()
                << io(uart ? IoReadLengthFailed : IoReadPayloadBufferFailed) << !uart;
        }
        QTest::newRow("uart bad crc") << true << resp << int(FaultKind::BadCrc) << 0u << QByteArray() << io(IoNak)
                                      << true;
        QTest::newRow("uart garbage before frame")
            << true << resp << int(FaultKind::Garbage) << 0u << QByteArray::fromHex("00a5a1ff") << 0u << true;
        QTest::newRow("uart garbage before ack")
            << true << ack << int(FaultKind::Garbage) << 0u << QByteArray::fromHex("00") << io(IoFailure) << false;
        QTest::newRow("uart bad start") << true << resp << int(FaultKind::BadStart) << 0x00u << QByteArray()
                                        << io(IoReadPayloadFailed) << true;
    }
    void faults()
    {
        QFETCH(bool, uart);
        QFETCH(int, point);
        QFETCH(int, kind);
        QFETCH(uint32_t, value);
        QFETCH(QByteArray, bytes);
        QFETCH(uint32_t, result);
        QFETCH(bool, recovers);
        Wire w(uart);
        w.dev()->setTimeout(300); // failure paths wait for it
        Fault f;
        f.tag = 0x01;
        f.point = FaultPoint(point);
        f.kind = FaultKind(kind);
        f.value = value;
        f.bytes = bytes;
        f.romStatus = 1001002;
        w.rom.sim().addFault(f);
        QCOMPARE(w.command(packet(0x01, 0, { 0 })), result);
        if (kind == int(FaultKind::BadCrc))
            QTRY_COMPARE(w.rom.sim().toolAcks(), QList<uint8_t> { 0xA2 });
        if (recovers) {
            w.dev()->setTimeout(5000);
            QCOMPARE(w.command(packet(0x01, 0, { 0 })), 0u); // the fault fired once only
        }
    }
};

QTEST_GUILESS_MAIN(TestRomSim)
#include "tst_romsim.moc"
