// Simulator behaviour no tool test reaches, driven through the real transports:
// the flash memory rules, the image end rule and the fault kinds the command
// and job tests never inject.

#include "fakehid.h"
#include "hiddevice.h"
#include "hidio.h"
#include "iostatus.h"
#include "ptylink.h"
#include "records.h"
#include "romsim.h"
#include "serialio.h"
#include "uartserver.h"

#include <QtTest>
#include <memory>
#include <mutex>

using namespace RomCmd;
using RomSim::Fault;
using RomSim::FaultKind;
using RomSim::FaultPoint;

namespace {
const QString kHidPath = QStringLiteral("/dev/hidraw-rom");

QByteArray packet(uint8_t tag, uint8_t flags, const QList<uint32_t>& params, const QByteArray& data = {})
{
    QByteArray p;
    p.append(char(tag));
    p.append(char(params.size()));
    p.append(char(flags));
    p.append(char(0));
    for (uint32_t v : params)
        for (int i = 0; i < 4; ++i)
            p.append(char((v >> (8 * i)) & 0xFF));
    return p + data;
}

QByteArray dataPacket(uint8_t tag, const QByteArray& data)
{
    return packet(tag, 0x01, {}, data);
}

uint32_t word(const QByteArray& b, int index)
{
    const int o = 4 * index;
    if (o + 4 > b.size())
        return 0xDEADBEEF;
    const auto* p = reinterpret_cast<const uint8_t*>(b.constData() + o);
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

QByteArray pattern(int n, int seed = 1)
{
    QByteArray b(n, '\0');
    for (int i = 0; i < n; ++i)
        b[i] = char((i * 31 + seed) & 0xFF);
    return b;
}

// One simulated device and the tool's transport to it.
struct Rig
{
    bool uart;
    std::shared_ptr<RomSim::Engine> engine = std::make_shared<RomSim::Engine>();
    std::unique_ptr<PtyLink> link;
    std::unique_ptr<RomSim::UartServer> server;
    std::shared_ptr<RomSim::HidDevice> hid;
    std::unique_ptr<DeviceIO> io;

    explicit Rig(bool overUart)
        : uart(overUart)
    {
        if (uart) {
            link = std::make_unique<PtyLink>();
            server = std::make_unique<RomSim::UartServer>(*link, *engine);
        } else {
            hid = std::make_shared<RomSim::HidDevice>(engine);
            FakeHid::Identity id;
            id.path = kHidPath;
            id.vendorId = 0x34B7;
            id.productId = 0x0001;
            FakeHid::addDevice(hid, id);
        }
        if (uart) {
            SerialPortInfo info;
            info.portName = link->toolPath();
            io = std::make_unique<SerialIO>(QVariant::fromValue(info));
        } else {
            UsbInfo info;
            info.devicePath = kHidPath;
            io = std::make_unique<HidIO>(QVariant::fromValue(info));
        }
        io->setTimeout(5000);
    }
    ~Rig()
    {
        io.reset();
        server.reset();
        FakeHid::reset();
    }

    int send(const QByteArray& p)
    {
        return io->writePacket(reinterpret_cast<const uint8_t*>(p.constData()), uint16_t(p.size()));
    }
    int read(QByteArray* payload)
    {
        QByteArray buffer(MaxFrameBuffer, '\0');
        uint16_t length = 0;
        const int r = io->readPacket(reinterpret_cast<uint8_t*>(buffer.data()), &length);
        *payload = r == IoOk ? buffer.left(length) : QByteArray();
        return r;
    }
    // One command packet and its status response; returns the ROM status, or
    // 0xFFFF0000 | IoStatus on a transport failure.
    uint32_t command(const QByteArray& p)
    {
        const int w = send(p);
        if (w != IoOk && w != IoAbort)
            return 0xFFFF0000u | uint32_t(w);
        QByteArray r;
        const int s = read(&r);
        return s == IoOk ? word(r, 1) : 0xFFFF0000u | uint32_t(s);
    }
    // Writes data with the tool's chunking: 496 bytes in the command packet, 508 per data packet.
    uint32_t writeMemory(uint32_t memId, uint32_t address, const QByteArray& data)
    {
        int sent = qMin(496, data.size());
        int w = send(packet(0x04, 0, { address, uint32_t(data.size()), memId }, data.left(sent)));
        while (w == IoOk && sent < data.size()) {
            const int n = qMin(508, data.size() - sent);
            w = send(dataPacket(0x04, data.mid(sent, n)));
            sent += n;
        }
        if (w != IoOk && w != IoAbort)
            return 0xFFFF0000u | uint32_t(w);
        QByteArray r;
        const int s = read(&r);
        return s == IoOk ? word(r, 1) : 0xFFFF0000u | uint32_t(s);
    }
    uint32_t loadImage(const QByteArray& image)
    {
        int w = IoOk;
        for (int sent = 0; sent < image.size() && w == IoOk; sent += 508)
            w = send(dataPacket(0x06, image.mid(sent, 508)));
        if (w != IoOk && w != IoAbort)
            return 0xFFFF0000u | uint32_t(w);
        QByteArray r;
        const int s = read(&r);
        return s == IoOk ? word(r, 1) : 0xFFFF0000u | uint32_t(s);
    }
    uint32_t configureFlash()
    {
        // Configuration block in ILM, then configure-memory pointing at it.
        const QByteArray block = QByteArray::fromHex("0700f9fc0600000000000000000000");
        if (writeMemory(RomSim::MemIlm, 0x100, block + QByteArray(1, '\0')) != 0)
            return 1;
        return command(packet(0x03, 0x02, { RomSim::MemXpi0, 0x100 }));
    }
};

constexpr uint32_t io(int status)
{
    return 0xFFFF0000u | uint32_t(status);
}

void addTransports()
{
    QTest::addColumn<bool>("uart");
}
} // namespace

class TestRomSim : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { FakeHid::reset(); }

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
        Rig rig(uart);
        rig.engine->setExpectedImageLength(expected);
        rig.engine->setVersionAfterImageLoad("F1.1.0");
        std::mutex hookMutex;
        QByteArray hooked; // guarded by hookMutex; the hook runs on the server's thread
        rig.engine->setImageLoadedHook([&](const QByteArray& image) {
            std::lock_guard<std::mutex> lock(hookMutex);
            hooked = image;
        });
        auto hookedImage = [&] {
            std::lock_guard<std::mutex> lock(hookMutex);
            return hooked;
        };
        const QByteArray image = pattern(size, 5);
        QCOMPARE(rig.loadImage(image), 0u);
        QCOMPARE(rig.engine->loadedImage(), image);
        QTRY_COMPARE(hookedImage(), image); // after the tool acknowledged the response
        QCOMPARE(rig.engine->romVersion(), QStringLiteral("F1.1.0"));
        for (const QByteArray& p : rig.engine->receivedPackets())
            QCOMPARE(p.left(4), QByteArray::fromHex("06000100"));
    }

    void flashRules_data()
    {
        addTransports();
        QTest::newRow("uart") << true;
        QTest::newRow("hid") << false;
    }
    void flashRules()
    {
        QFETCH(bool, uart);
        Rig rig(uart);
        const uint32_t base = RomSim::FlashBase;
        QCOMPARE(rig.writeMemory(RomSim::MemXpi0, base, pattern(16)), 1001009u); // not configured
        QCOMPARE(rig.command(packet(0x07, 0, { 1, RomSim::MemXpi0 })), 1001009u);
        QCOMPARE(rig.configureFlash(), 0u);
        QVERIFY(rig.engine->isConfigured(RomSim::MemXpi0));
        QCOMPARE(rig.engine->flashConfigWords().value(0), 0xFCF90007u);
        QCOMPARE(rig.writeMemory(RomSim::MemXpi0, base + 0x1000, pattern(600)), 0u);
        QCOMPARE(rig.engine->readBytes(RomSim::MemXpi0, base + 0x1000, 600), pattern(600));
        QCOMPARE(rig.writeMemory(RomSim::MemXpi0, base + 0x1000, pattern(600, 9)), 1001003u); // not erased
        QCOMPARE(rig.command(packet(0x07, 0, { 0, RomSim::MemXpi0, base + 0x1000, 0x1000 })), 0u);
        QCOMPARE(rig.engine->readBytes(RomSim::MemXpi0, base + 0x1000, 600), QByteArray(600, char(0xFF)));
        QCOMPARE(rig.writeMemory(RomSim::MemXpi0, base + 0x1000, pattern(600, 9)), 0u);
        QCOMPARE(rig.writeMemory(RomSim::MemXpi0, base - 4, pattern(8)), 1001001u); // below the range
        QCOMPARE(rig.writeMemory(RomSim::MemXpi0, base + 0xFFFFFC, pattern(8)), 1001001u); // past the end
        QCOMPARE(rig.command(packet(0x07, 0, { 1, RomSim::MemXpi0 })), 0u);
        QCOMPARE(rig.engine->memory(RomSim::MemXpi0).count(char(0xFF)), 16 * 1024 * 1024);
        QCOMPARE(rig.command(packet(0x07, 0, { 1, RomSim::MemIlm })), 1001000u); // RAM is not erasable
        QCOMPARE(rig.command(packet(0x03, 0x02, { 0x30000, 0 })), 1001011u);
        // A reset forgets the configuration.
        QCOMPARE(rig.command(packet(0x08, 0, { 0 })), 0u);
        QCOMPARE(rig.engine->resetCount(), 1);
        QVERIFY(!rig.engine->isConfigured(RomSim::MemXpi0));
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
        Rig rig(uart);
        rig.io->setTimeout(300); // failure paths wait for it
        Fault f;
        f.tag = 0x01;
        f.point = FaultPoint(point);
        f.kind = FaultKind(kind);
        f.value = value;
        f.bytes = bytes;
        f.romStatus = 1001002;
        rig.engine->addFault(f);
        QCOMPARE(rig.command(packet(0x01, 0, { 0 })), result);
        if (kind == int(FaultKind::BadCrc))
            QTRY_COMPARE(rig.engine->toolAcks(), QList<uint8_t> { 0xA2 });
        if (recovers) {
            rig.io->setTimeout(5000);
            QCOMPARE(rig.command(packet(0x01, 0, { 0 })), 0u); // the fault fired once only
        }
    }
};

QTEST_GUILESS_MAIN(TestRomSim)
#include "tst_romsim.moc"
