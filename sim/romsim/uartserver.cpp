#include "uartserver.h"

#include <chrono>

namespace RomSim {

namespace {
constexpr int kMaxFrame = 4096; // longer length fields are treated as line noise
constexpr int kStaleMs = 2000; // an unfinished frame this old is dropped
constexpr uint8_t kStart = 0x5A;

QByteArray le16(uint16_t v)
{
    QByteArray b;
    b.append(char(v & 0xFF));
    b.append(char(v >> 8));
    return b;
}
} // namespace

UartServer::UartServer(PtyLink& link, Engine& engine)
    : m_link(link)
    , m_engine(engine)
{
    m_engine.setPeripheral(0x1);
    m_thread = std::thread([this] { run(); });
}

UartServer::~UartServer()
{
    stop();
}

void UartServer::stop()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
}

QByteArray UartServer::received() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_received;
}

void UartServer::clearReceived()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_received.clear();
}

QByteArray UartServer::encode(const Output& out)
{
    switch (out.type) {
    case Output::Raw: return out.bytes;
    case Output::Ack: {
        QByteArray b;
        b.append(char(kStart));
        if (out.fault != FaultKind::ShortAck)
            b.append(char(out.code));
        return b;
    }
    case Output::Frame: break;
    }
    const QByteArray& p = out.bytes;
    QByteArray b;
    if (out.fault == FaultKind::Garbage)
        b += out.faultBytes;
    if (out.fault == FaultKind::BadStart) {
        b.append(char(kStart));
        b.append(char(out.faultValue));
        return b;
    }
    QByteArray header;
    header.append(char(kStart));
    header.append(char(0xA5));
    uint16_t len = uint16_t(p.size());
    if (out.fault == FaultKind::OversizedLength)
        len = uint16_t(out.faultValue ? out.faultValue : 0x0800);
    header += le16(len);
    if (out.fault == FaultKind::ShortFrame) {
        const int keep = qMax(0, p.size() - int(out.faultValue ? out.faultValue : 1));
        return b + header + p.left(keep);
    }
    uint16_t crc = crc16(p, crc16(header));
    if (out.fault == FaultKind::BadCrc)
        crc ^= 0x0001;
    return b + header + p + le16(crc);
}

void UartServer::send(const QList<Output>& outs)
{
    for (const Output& o : outs)
        if (!m_link.writeAll(encode(o)))
            return;
}

void UartServer::run()
{
    using Clock = std::chrono::steady_clock;
    QByteArray buf;
    auto lastByte = Clock::now();
    while (!m_stop) {
        const QByteArray chunk = m_link.read(4096, 20);
        if (!chunk.isEmpty()) {
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_received += chunk;
            }
            buf += chunk;
            lastByte = Clock::now();
        } else if (!buf.isEmpty() && Clock::now() - lastByte > std::chrono::milliseconds(kStaleMs)) {
            m_engine.onGarbage(buf);
            buf.clear();
        }
        for (;;) {
            const int start = buf.indexOf(char(kStart));
            if (start < 0) {
                if (!buf.isEmpty())
                    m_engine.onGarbage(buf);
                buf.clear();
                break;
            }
            if (start > 0) {
                m_engine.onGarbage(buf.left(start));
                buf.remove(0, start);
            }
            if (buf.size() < 2)
                break;
            const uint8_t second = uint8_t(buf[1]);
            if (second != 0xA5) {
                buf.remove(0, 2);
                send(m_engine.onToolAck(second));
                m_engine.runPendingHooks();
                continue;
            }
            if (buf.size() < 4)
                break;
            const int n = uint8_t(buf[2]) | (uint8_t(buf[3]) << 8);
            if (n > kMaxFrame) {
                m_engine.onGarbage(buf.left(2));
                buf.remove(0, 2);
                continue;
            }
            if (buf.size() < n + 6)
                break;
            const QByteArray frame = buf.left(n + 6);
            buf.remove(0, n + 6);
            const uint16_t crc = uint16_t(uint8_t(frame[n + 4]) | (uint8_t(frame[n + 5]) << 8));
            m_engine.runPendingHooks(); // the tool went on without acknowledging
            if (m_checkSpeed) {
                const int toolBaud = m_link.toolBaudRate();
                if (toolBaud != 0 && uint32_t(toolBaud) != m_engine.uartSpeed()) {
                    m_engine.onGarbage(frame);
                    continue;
                }
            }
            if (crc16(frame.left(n + 4)) == crc)
                send(m_engine.onFrame(frame.mid(4, n)));
            else
                send(m_engine.onCorruptFrame(frame));
        }
    }
}

} // namespace RomSim
