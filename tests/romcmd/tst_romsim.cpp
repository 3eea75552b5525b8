// The ROM bootloader simulator driven through the real transports, over the
// pseudo-terminal and over the fake hidapi: every command, the memory rules,
// the image end rule and each injected fault as the tool sees it.

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
#include <atomic>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <poll.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

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

    // openNow false: the caller opens the transport on the thread that will use it.
    explicit Rig(bool overUart, bool openNow = true)
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
        if (openNow)
            openIo();
    }
    void openIo(int baud = 115200)
    {
        if (uart) {
            SerialPortInfo info;
            info.portName = link->toolPath();
            info.baudRate = baud;
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
    uint32_t command(const QByteArray& p, QByteArray* response = nullptr)
    {
        const int w = send(p);
        if (w != IoOk && w != IoAbort)
            return 0xFFFF0000u | uint32_t(w);
        QByteArray r;
        const int s = read(&r);
        if (s != IoOk)
            return 0xFFFF0000u | uint32_t(s);
        if (response)
            *response = r;
        return word(r, 1);
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
    // Reads with the tool's rules: status response, then data packets until length bytes arrived.
    uint32_t readMemory(uint32_t memId, uint32_t address, uint32_t length, QByteArray* data)
    {
        const uint32_t st = command(packet(0x05, 0, { address, length, memId }));
        if (st != 0)
            return st;
        data->clear();
        while (uint32_t(data->size()) < length) {
            QByteArray p;
            const int s = read(&p);
            if (s != IoOk)
                return 0xFFFF0000u | uint32_t(s);
            if (p.size() <= 4)
                break;
            *data += p.mid(4);
        }
        return 0;
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

    void versionWords()
    {
        QCOMPARE(RomSim::versionWord("V1.2.3"), 0x56010203u);
        QCOMPARE(RomSim::versionWord("F2.0.10"), 0x4602000Au);
        RomSim::Engine e;
        e.setRomVersion("v9.8.7");
        QCOMPARE(e.romVersion(), QStringLiteral("v9.8.7"));
    }

    void queryRte_data()
    {
        QTest::addColumn<bool>("uart");
        QTest::addColumn<uint32_t>("rteId");
        QTest::addColumn<uint32_t>("arg");
        QTest::addColumn<uint32_t>("status");
        QTest::addColumn<QList<uint32_t>>("words");
        for (bool uart : { true, false }) {
            const char* t = uart ? "uart " : "hid ";
            const uint32_t periph = uart ? 0x1 : 0x10;
            QTest::addRow("%sparams", t) << uart << 0u << 0u << 0u
                                         << QList<uint32_t> { 0x56010203u, 0x41000200u, 0x0Bu, 0x0301010Fu };
            QTest::addRow("%sserial", t) << uart << 1u << 0u << 0u << QList<uint32_t> { 3u, periph, 115200u };
            QTest::addRow("%sboot", t) << uart << 3u << 0u << 0u << QList<uint32_t> { 2u, 5u, 7u };
            QTest::addRow("%sotp", t) << uart << 4u << 0x20000u << 0u
                                      << QList<uint32_t> { 0x205u, 0x20000u, 0u, 127u, 128u };
            QTest::addRow("%sflash", t) << uart << 4u << 0x10000u << 0u
                                        << QList<uint32_t> { 8u, 0x10000u, 0x80000000u, 0x80FFFFFFu, 0x1000000u, 256u,
                                               4096u, 65536u };
            QTest::addRow("%sunknown memory", t) << uart << 4u << 0x30000u << 1001011u << QList<uint32_t> {};
            QTest::addRow("%sunknown rte", t) << uart << 5u << 0u << 2u << QList<uint32_t> {};
        }
    }
    void queryRte()
    {
        QFETCH(bool, uart);
        QFETCH(uint32_t, rteId);
        QFETCH(uint32_t, arg);
        QFETCH(uint32_t, status);
        QFETCH(QList<uint32_t>, words);
        Rig rig(uart);
        rig.engine->setRomVersion("V1.2.3");
        rig.engine->setSocRevision("A0.2.0");
        rig.engine->setLifecycle(0x0B);
        rig.engine->setCapabilities(0x0301010F);
        rig.engine->setBootStatus(2, 5, 7);
        const QByteArray p = rteId == 4 ? packet(0x01, 0, { rteId, arg }) : packet(0x01, 0, { rteId });
        QByteArray r;
        QCOMPARE(rig.command(p, &r), status);
        for (int i = 0; i < words.size(); ++i)
            QCOMPARE(word(r, 2 + i), words[i]);
        // The exchange on the wire: one frame each way and one ack each way.
        QCOMPARE(rig.engine->receivedPackets(), QList<QByteArray> { p });
        QCOMPARE(rig.engine->deviceAcks(), QList<uint8_t> { 0xA1 });
        QTRY_COMPARE(rig.engine->toolAcks(), QList<uint8_t> { 0xA1 });
    }

    void configRteSwitchesSpeed_data()
    {
        addTransports();
        QTest::newRow("uart") << true;
        QTest::newRow("hid") << false;
    }
    void configRteSwitchesSpeed()
    {
        QFETCH(bool, uart);
        Rig rig(uart);
        QCOMPARE(rig.command(packet(0x02, 0, { 1, 3, 0x1, 921600 })), 0u);
        QCOMPARE(rig.engine->uartSpeed(), 921600u);
        QByteArray r;
        QCOMPARE(rig.command(packet(0x01, 0, { 1 }), &r), 0u);
        QCOMPARE(word(r, 4), 921600u);
        QCOMPARE(rig.command(packet(0x02, 0, { 0, 1 })), 1002002u); // read-only attribute
    }

    // With the line-speed check on, frames sent at the old speed after a switch go unanswered.
    void lineSpeedSwitch()
    {
        Rig rig(true);
        rig.server->setCheckLineSpeed(true);
        QCOMPARE(rig.command(packet(0x02, 0, { 1, 3, 0x1, 921600 })), 0u);
        rig.io->setTimeout(300);
        QCOMPARE(rig.command(packet(0x01, 0, { 0 })), io(IoReadAckStartFailed));
        rig.io.reset();
        rig.openIo(921600);
        QCOMPARE(rig.command(packet(0x01, 0, { 0 })), 0u);
        QCOMPARE(rig.command(packet(0x08, 0, { 0 })), 0u); // reset: back to 115200
        rig.io.reset();
        rig.openIo(115200);
        QCOMPARE(rig.command(packet(0x01, 0, { 0 })), 0u);
    }

    void writeAndReadIlm_data()
    {
        QTest::addColumn<bool>("uart");
        QTest::addColumn<int>("size");
        for (bool uart : { true, false }) {
            for (int size : { 4, 496, 497, 1000, 4096 }) {
                QTest::addRow("%s %d", uart ? "uart" : "hid", size) << uart << size;
            }
        }
    }
    void writeAndReadIlm()
    {
        QFETCH(bool, uart);
        QFETCH(int, size);
        Rig rig(uart);
        const QByteArray data = pattern(size);
        QCOMPARE(rig.writeMemory(RomSim::MemIlm, 0x2000, data), 0u);
        QCOMPARE(rig.engine->readBytes(RomSim::MemIlm, 0x2000, size), data);
        // Chunking as sent: 16 + 496 in the first packet, 4 + 508 after.
        const QList<QByteArray> got = rig.engine->receivedPackets();
        QCOMPARE(got.size(), size <= 496 ? 1 : 1 + (size - 496 + 507) / 508);
        QCOMPARE(got.first().size(), 16 + qMin(size, 496));
        QByteArray back;
        QCOMPARE(rig.readMemory(RomSim::MemIlm, 0x2000, uint32_t(size), &back), 0u);
        QCOMPARE(back, data);
    }

    void readChunking()
    {
        Rig rig(true);
        rig.engine->poke(RomSim::MemIlm, 0, pattern(1000));
        QCOMPARE(rig.command(packet(0x05, 0, { 0, 1000, RomSim::MemIlm })), 0u);
        QByteArray p;
        QCOMPARE(rig.read(&p), 0);
        QCOMPARE(p.size(), 512);
        QCOMPARE(p.left(4), QByteArray::fromHex("05000100"));
        QCOMPARE(rig.read(&p), 0);
        QCOMPARE(p.size(), 4 + 492);
        QCOMPARE(p.mid(4), pattern(1000).mid(508));
    }

    void loadImage_data()
    {
        QTest::addColumn<bool>("uart");
        QTest::addColumn<int>("size");
        QTest::addColumn<uint32_t>("expected"); // configured expected length, 0 = short-chunk rule
        for (bool uart : { true, false }) {
            const char* t = uart ? "uart " : "hid ";
            QTest::addRow("%sshort last chunk", t) << uart << 1017 << 0u;
            QTest::addRow("%ssingle chunk", t) << uart << 100 << 0u;
            QTest::addRow("%sexact multiple, expected length", t) << uart << 1016 << 1016u;
            QTest::addRow("%sshort last chunk, expected length", t) << uart << 1017 << 1017u;
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

    void otpRules_data()
    {
        addTransports();
        QTest::newRow("uart") << true;
        QTest::newRow("hid") << false;
    }
    void otpRules()
    {
        QFETCH(bool, uart);
        Rig rig(uart);
        QByteArray w;
        w.append("\x01\x00\x00\x00", 4);
        rig.engine->setOtpWord(5, 0x10);
        QCOMPARE(rig.writeMemory(RomSim::MemOtp, 5, w), 0u);
        QCOMPARE(rig.engine->otpWord(5), 0x11u); // fuses only get set
        QCOMPARE(rig.writeMemory(RomSim::MemOtp, 0, QByteArray("\x02\x00\x00\x00", 4)), 0u); // lock words 4..7
        QCOMPARE(rig.writeMemory(RomSim::MemOtp, 6, w), 1001002u);
        QCOMPARE(rig.writeMemory(RomSim::MemOtp, 8, w), 0u);
        QCOMPARE(rig.writeMemory(RomSim::MemOtp, 127, w + w), 1001001u); // beyond word 127
        QByteArray back;
        QCOMPARE(rig.readMemory(RomSim::MemOtp, 4, 16, &back), 0u);
        QCOMPARE(word(back, 1), 0x11u);
        QCOMPARE(rig.command(packet(0x05, 0, { 0, 6, RomSim::MemOtp })), 2u); // not whole words
        rig.engine->setOtpReadDisallowed(16, 4);
        QCOMPARE(rig.command(packet(0x05, 0, { 12, 16, RomSim::MemOtp })), 0u);
        QByteArray drain;
        QCOMPARE(rig.read(&drain), 0);
        QCOMPARE(rig.command(packet(0x05, 0, { 14, 16, RomSim::MemOtp })), 1001008u);
    }

    void commandStatusAndLastCommand_data()
    {
        addTransports();
        QTest::newRow("uart") << true;
        QTest::newRow("hid") << false;
    }
    void commandStatusAndLastCommand()
    {
        QFETCH(bool, uart);
        Rig rig(uart);
        rig.engine->setCommandStatus(0x08, 1002000, 1);
        QCOMPARE(rig.command(packet(0x08, 0, { 0 })), 1002000u);
        QCOMPARE(rig.engine->resetCount(), 0); // answered without running
        QByteArray r;
        QCOMPARE(rig.command(packet(0x01, 0, { 2 }), &r), 0u);
        QCOMPARE(word(r, 2), 0x08u);
        QCOMPARE(word(r, 3), 1002000u);
        QCOMPARE(rig.command(packet(0x08, 0, { 0 })), 0u); // once only
        QCOMPARE(rig.command(packet(0x09, 0, {})), 1002000u); // unknown tag
        // A forced status on a write still consumes the data phase.
        rig.engine->setCommandStatus(0x04, 1001002);
        QCOMPARE(rig.writeMemory(RomSim::MemIlm, 0, pattern(1200)), 1001002u);
        QCOMPARE(rig.engine->readBytes(RomSim::MemIlm, 0, 4), QByteArray(4, '\0'));
        rig.engine->clearCommandStatus(0x04);
        QCOMPARE(rig.writeMemory(RomSim::MemIlm, 0, pattern(4)), 0u);
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
            QTest::addRow("%snak", t) << uart << ack << int(FaultKind::Nak) << 0u << QByteArray() << io(IoNak) << true;
            QTest::addRow("%sabort", t) << uart << ack << int(FaultKind::Abort) << 0u << QByteArray() << 1001002u
                                        << true;
            QTest::addRow("%sack code 00", t)
                << uart << ack << int(FaultKind::AckCode) << 0u << QByteArray() << io(IoFailure) << true;
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

    void faultOnDataPhase_data()
    {
        addTransports();
        QTest::newRow("uart") << true;
        QTest::newRow("hid") << false;
    }
    void faultOnDataPhase()
    {
        QFETCH(bool, uart);
        Rig rig(uart);
        rig.io->setTimeout(300);
        // NAK for the second data packet of a write: the tool stops; the next command still works.
        Fault nak;
        nak.tag = 0x04;
        nak.index = 2;
        nak.kind = FaultKind::Nak;
        rig.engine->addFault(nak);
        QCOMPARE(rig.writeMemory(RomSim::MemIlm, 0, pattern(2000)), io(IoNak));
        // Silence on the second read data packet.
        Fault quiet;
        quiet.tag = 0x05;
        quiet.point = FaultPoint::Data;
        quiet.index = 1;
        quiet.kind = FaultKind::Silence;
        rig.engine->addFault(quiet);
        QByteArray back;
        QCOMPARE(rig.readMemory(RomSim::MemIlm, 0, 1500, &back), io(uart ? IoTimeout : IoReadPayloadFailed));
        QCOMPARE(back.size(), 508);
        rig.io->setTimeout(5000);
        QCOMPARE(rig.command(packet(0x01, 0, { 0 })), 0u);
        QCOMPARE(rig.readMemory(RomSim::MemIlm, 0, 1500, &back), 0u);
        QCOMPARE(back.size(), 1500);
    }

    // A frame from the tool that fails its CRC is answered 5A A2 and not executed.
    void corruptToolFrameIsNaked()
    {
        Rig rig(true, false);
        const int fd = ::open(rig.link->toolPath().toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
        QVERIFY(fd >= 0);
        termios t {};
        tcgetattr(fd, &t);
        cfmakeraw(&t);
        tcsetattr(fd, TCSANOW, &t);
        const QByteArray bad = QByteArray::fromHex("5aa50800") + packet(0x08, 0, { 0 }) + QByteArray::fromHex("0000");
        QCOMPARE(::write(fd, bad.constData(), size_t(bad.size())), ssize_t(bad.size()));
        char reply[2] = {};
        pollfd p { fd, POLLIN, 0 };
        int got = 0;
        while (got < 2 && ::poll(&p, 1, 5000) > 0)
            got += int(::read(fd, reply + got, size_t(2 - got)));
        ::close(fd);
        QCOMPARE(QByteArray(reply, got), QByteArray::fromHex("5aa2"));
        QCOMPARE(rig.engine->resetCount(), 0);
        QVERIFY(rig.engine->receivedPackets().isEmpty());
        QCOMPARE(rig.engine->transcript().first().kind, RomSim::TranscriptEntry::BadFrame);
    }

    // Hooks run once the tool has acknowledged the response, so a reset hook may unplug the device.
    void resetHookMayUnplug()
    {
        Rig rig(false);
        std::atomic<int> resets { 0 };
        rig.engine->setResetHook([&](uint32_t type) {
            resets += int(type) + 1;
            FakeHid::removeDevice(kHidPath);
        });
        QCOMPARE(rig.send(packet(0x08, 0, { 1 })), 0);
        QCOMPARE(resets.load(), 0);
        QByteArray r;
        QCOMPARE(rig.read(&r), 0);
        QCOMPARE(word(r, 1), 0u);
        QCOMPARE(resets.load(), 2);
        QCOMPARE(rig.send(packet(0x01, 0, { 0 })), int(IoWritePayloadFailed)); // unplugged
    }

    // The test thread reconfigures the engine while the tool talks to it from a worker.
    void configureWhileRunning_data()
    {
        addTransports();
        QTest::newRow("uart") << true;
        QTest::newRow("hid") << false;
    }
    void configureWhileRunning()
    {
        QFETCH(bool, uart);
        Rig rig(uart, false);
        std::atomic<int> failures { 0 };
        std::atomic<bool> done { false };
        std::unique_ptr<QThread> worker(QThread::create([&] {
            rig.openIo(); // the transport lives on the worker, as in a job
            for (int i = 0; i < 40; ++i)
                if (rig.command(packet(0x01, 0, { 0 })) != 0)
                    ++failures;
            rig.io.reset();
            done = true;
        }));
        worker->start();
        for (int i = 0; !done; ++i) {
            rig.engine->setLifecycle(uint8_t(i));
            rig.engine->setCommandStatus(0x08, 1, 1);
            (void)rig.engine->transcript();
            std::this_thread::yield();
        }
        QVERIFY(worker->wait(60000));
        QCOMPARE(failures.load(), 0);
        QCOMPARE(rig.engine->receivedPackets().size(), 40);
    }
};

QTEST_GUILESS_MAIN(TestRomSim)
#include "tst_romsim.moc"
