// Test rig for the ROM command set and the jobs: a simulated ROM behind the real transports, UART over a
// pseudo-terminal or USB-HID through the fake hidapi, plus the shared capture of the log lines of every thread.
#pragma once

#include "fakehid.h"
#include "hiddevice.h"
#include "logcapture.h"
#include "ptylink.h"
#include "records.h"
#include "romcmd.h"
#include "romsim.h"
#include "testfiles.h"
#include "uartserver.h"

#include <QSemaphore>
#include <QTest>
#include <QtEndian>
#include <atomic>
#include <functional>
#include <memory>
#include <tuple>
#include <utility>

namespace Rig {

// HID ROM that lets a test look at the tool while a frame is being written, or hold it inside the gateAt-th data packet
// of command gateTag until proceed is released (handleWrite runs on the tool's own thread).
class TapDevice : public RomSim::HidDevice
{
public:
    using RomSim::HidDevice::HidDevice;
    std::function<void(const QByteArray&)> onWrite;
    uint8_t gateTag = 0x04;
    int gateAt = 0; // set before the run
    std::atomic<int> dataPackets { 0 };
    QSemaphore reached;
    QSemaphore proceed;
    int handleWrite(const QByteArray& report) override
    {
        if (onWrite)
            onWrite(report);
        const bool dataPacket = report.size() > 7 && uint8_t(report[4]) == gateTag && uint8_t(report[5]) == 0
            && uint8_t(report[6]) == 0x01;
        if (dataPacket && ++dataPackets == gateAt) {
            reached.release();
            proceed.acquire();
        }
        return RomSim::HidDevice::handleWrite(report);
    }
};

inline const char* const HidPath = "sim-rom-hid";

struct Rom
{
    // With openNow false the ROM command object is made later by open(), e.g. on a worker thread.
    explicit Rom(int deviceType, bool openNow = true)
        : type(deviceType)
    {
        if (deviceType == EDeviceTypeUart) {
            link = std::make_unique<PtyLink>();
            server = std::make_unique<RomSim::UartServer>(*link, *engine);
        } else {
            hid = std::make_shared<TapDevice>(engine);
            FakeHid::addDevice(hid, { QString::fromLatin1(HidPath), 0x1FC9, 0x0021, {}, {}, {} });
        }
        if (openNow)
            open();
    }
    void open()
    {
        UsbInfo usb;
        usb.devicePath = QString::fromLatin1(HidPath);
        const bool uart = type == EDeviceTypeUart;
        rom = RomCmd::RomCmd::create(
            uart ? QVariant::fromValue(SerialPortInfo { link->toolPath() }) : QVariant::fromValue(usb), type);
    }
    ~Rom()
    {
        rom.reset();
        server.reset();
        link.reset();
        FakeHid::reset();
    }
    RomSim::Engine& sim() { return *engine; }
    QList<QByteArray> packets() const { return engine->receivedPackets(); }
    // Frames the simulator sent (responses and read data), in order.
    QList<QByteArray> deviceFrames() const
    {
        QList<QByteArray> out;
        for (const RomSim::TranscriptEntry& e : engine->transcript())
            if (e.direction == RomSim::TranscriptEntry::FromDevice && e.kind == RomSim::TranscriptEntry::Frame)
                out.append(e.bytes);
        return out;
    }

    int type;
    std::shared_ptr<RomSim::Engine> engine = std::make_shared<RomSim::Engine>();
    std::unique_ptr<PtyLink> link;
    std::unique_ptr<RomSim::UartServer> server;
    std::shared_ptr<TapDevice> hid;
    std::unique_ptr<RomCmd::RomCmd> rom;
};

using ::LogCapture;

// A ROM on a pseudo-terminal for the jobs, which open the port themselves.
struct UartRig
{
    PtyLink link;
    RomSim::Engine engine;
    std::unique_ptr<RomSim::UartServer> server;

    UartRig() { server = std::make_unique<RomSim::UartServer>(link, engine); }
    ~UartRig() { server->stop(); }
    QVariant info(int baud = 115200) const { return QVariant::fromValue(SerialPortInfo { link.toolPath(), baud }); }
    QString id() const { return link.toolPath(); }
};

// A ROM behind the fake hidapi for the jobs.
struct HidRig
{
    std::shared_ptr<TapDevice> device = std::make_shared<TapDevice>();
    QString path;

    explicit HidRig(const QString& devicePath = QStringLiteral("sim-rom-hid-0"))
        : path(devicePath)
    {
        FakeHid::addDevice(device, { path, 0x34B7, 0x0009, QStringLiteral("ROM"), {}, {} });
    }
    ~HidRig() { FakeHid::removeDevice(path); }
    RomSim::Engine& engine() { return device->engine(); }
    // Path, no instance id, product and vendor as the SoC catalogue names them.
    QVariant info() const { return QVariant::fromValue(UsbInfo { path, {}, 0x0009, 0x34B7, {} }); }
};

// The columns of a data table in one statement: columns<int, QString>({ "type", "text" }).
template <typename... T> void columns(std::initializer_list<const char*> names)
{
    auto name = names.begin();
    (QTest::addColumn<T>(*name++), ...);
}

// The current row's cells in one statement: const auto [type, text] = fetch<int, QString>({ "type", "text" }).
template <typename... T, std::size_t... I>
std::tuple<T...> fetchAt(const char* const* names, std::index_sequence<I...>)
{
    return { *static_cast<T*>(QTest::qData(names[I], qMetaTypeId<T>()))... };
}
template <typename... T> std::tuple<T...> fetch(std::initializer_list<const char*> names)
{
    return fetchAt<T...>(names.begin(), std::index_sequence_for<T...>());
}

inline QByteArray le32(uint32_t v)
{
    QByteArray b(4, '\0');
    qToLittleEndian(v, b.data());
    return b;
}

inline QByteArray header(uint8_t tag, uint8_t count, uint8_t flags)
{
    const char h[4] = { char(tag), char(count), char(flags), 0 };
    return QByteArray(h, 4);
}

inline QByteArray pattern(int size, int seed = 0)
{
    QByteArray b(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        b[i] = char((i * 7 + seed + (i >> 8)) & 0xFF);
    return b;
}

} // namespace Rig
