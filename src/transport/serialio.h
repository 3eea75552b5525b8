// UART transport. A name without a leading "/" is opened as "/dev/" + name.
#pragma once

#include "deviceio.h"
#include "records.h"

#include <memory>
#include <mutex>

class QSerialPort;

namespace RomCmd {

// Serialises opening and closing serial ports across worker threads.
std::mutex& serialPortLock();

class SerialIO : public DeviceIO
{
    Q_OBJECT
public:
    explicit SerialIO(const QVariant& info, QObject* parent = nullptr);
    ~SerialIO() override;

    int writePacket(const uint8_t* data, uint16_t length) override;
    int readPacket(uint8_t* buffer, uint16_t* length) override;
    int transferReport(const uint8_t* data, uint16_t length, uint8_t* reply, uint16_t capacity) override;
    void setTimeout(uint32_t ms) override;
    int readAck() override;
    int sendResponse(uint8_t code) override;

    const SerialPortInfo& info() const { return m_info; }
    // The path the port name maps to ("/dev/" + name unless it starts with "/").
    static QString devicePathFor(const QString& portName);

private:
    // Writes the bytes to the port and returns the count written; on a failed or
    // partial write the system's output queue is cleared so no rest of this frame
    // precedes the next one.
    qint64 writeAll(const uint8_t* data, qint64 length);
    // Refills the emptied input buffer with what the port has, waiting up to ms (-1: for ever)
    // for it: 1 when read (possibly nothing), 0 on time-out, -1 on error.
    int fill(int ms);
    // Takes exactly length bytes from the input within the time-out rules; returns the count taken.
    qint64 take(uint8_t* data, qint64 length);
    // Skips bytes up to and including the next 0x5A within the time-out; returns
    // IoOk, IoTimeout, or IoCommandFailed when terminated.
    int hunt();
    // Drops input left over from an earlier failure, before a new frame goes out.
    void discardLeftovers();
    int fail(int status);

    SerialPortInfo m_info;
    std::unique_ptr<QSerialPort> m_port;
    qintptr m_handle = -1;
    // Received bytes not yet parsed: m_in[m_inPos .. m_inEnd).
    uint8_t m_in[4096];
    int m_inPos = 0;
    int m_inEnd = 0;
    // Set by a failed exchange, cleared by a whole one: bytes still arriving
    // belong to it, not to the next command, and the device may have stopped reading.
    bool m_dirty = false;
};

} // namespace RomCmd
