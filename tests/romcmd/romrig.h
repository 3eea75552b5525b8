// Test rig for the ROM command set: a simulated ROM behind the real transports,
// UART over a pseudo-terminal or USB-HID through the fake hidapi, plus a
// capture of the log lines the command layer writes.
#pragma once

#include "fakehid.h"
#include "hiddevice.h"
#include "ptylink.h"
#include "records.h"
#include "romcmd.h"
#include "romsim.h"
#include "uartserver.h"

#include <QMutex>
#include <QStringList>
#include <functional>
#include <memory>

namespace Rig {

// HID device that lets a test look at the tool while a frame is being written
// (handleWrite runs on the tool's own thread).
class TapDevice : public RomSim::HidDevice
{
public:
    using RomSim::HidDevice::HidDevice;
    std::function<void(const QByteArray&)> onWrite;
    int handleWrite(const QByteArray& report) override
    {
        if (onWrite)
            onWrite(report);
        return RomSim::HidDevice::handleWrite(report);
    }
};

inline const char* const HidPath = "sim-rom-hid";

struct Rom
{
    // With open false the ROM command object is made later by open(), e.g. on a worker thread.
    explicit Rom(int deviceType, bool openNow = true)
        : type(deviceType)
    {
        engine = std::make_shared<RomSim::Engine>();
        if (deviceType == EDeviceTypeUart) {
            link = std::make_unique<PtyLink>();
            server = std::make_unique<RomSim::UartServer>(*link, *engine);
        } else {
            hid = std::make_shared<TapDevice>(engine);
            FakeHid::Identity id;
            id.path = QString::fromLatin1(HidPath);
            id.vendorId = 0x1FC9;
            id.productId = 0x0021;
            FakeHid::addDevice(hid, id);
        }
        if (openNow)
            open();
    }
    void open()
    {
        if (type == EDeviceTypeUart) {
            SerialPortInfo info;
            info.portName = link->toolPath();
            rom = RomCmd::RomCmd::create(QVariant::fromValue(info), type);
        } else {
            UsbInfo info;
            info.devicePath = QString::fromLatin1(HidPath);
            rom = RomCmd::RomCmd::create(QVariant::fromValue(info), type);
        }
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
    std::shared_ptr<RomSim::Engine> engine;
    std::unique_ptr<PtyLink> link;
    std::unique_ptr<RomSim::UartServer> server;
    std::shared_ptr<TapDevice> hid;
    std::unique_ptr<RomCmd::RomCmd> rom;
};

// Collects every log line while alive.
class LogCapture
{
public:
    LogCapture()
    {
        instance() = this;
        m_previous = qInstallMessageHandler(&LogCapture::handler);
    }
    ~LogCapture()
    {
        qInstallMessageHandler(m_previous);
        instance() = nullptr;
    }
    QStringList lines() const
    {
        QMutexLocker l(&m_mutex);
        return m_lines;
    }
    bool contains(const QString& text) const
    {
        for (const QString& line : lines())
            if (line.contains(text))
                return true;
        return false;
    }

private:
    static LogCapture*& instance()
    {
        static LogCapture* p = nullptr;
        return p;
    }
    static void handler(QtMsgType, const QMessageLogContext&, const QString& msg)
    {
        if (LogCapture* c = instance()) {
            QMutexLocker l(&c->m_mutex);
            c->m_lines.append(msg);
        }
    }
    mutable QMutex m_mutex;
    QStringList m_lines;
    QtMessageHandler m_previous = nullptr;
};

inline QByteArray le32(uint32_t v)
{
    QByteArray b;
    for (int i = 0; i < 4; ++i)
        b.append(char((v >> (8 * i)) & 0xFF));
    return b;
}

inline QByteArray header(uint8_t tag, uint8_t count, uint8_t flags)
{
    QByteArray b;
    b.append(char(tag));
    b.append(char(count));
    b.append(char(flags));
    b.append(char(0));
    return b;
}

inline QByteArray pattern(int size, int seed = 0)
{
    QByteArray b(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        b[i] = char((i * 7 + seed + (i >> 8)) & 0xFF);
    return b;
}

} // namespace Rig
