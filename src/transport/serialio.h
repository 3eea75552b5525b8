// UART transport. A name without a leading "/" is opened as "/dev/" + name.
#pragma once

#include "deviceio.h"
#include "records.h"

#include <mutex>
#include <memory>

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
    // Queues and flushes; returns the count of bytes that left the port.
    qint64 writeAll(const uint8_t* data, qint64 length);
    // Reads exactly length bytes within the time-out rules; returns the count read.
    qint64 readExact(uint8_t* data, qint64 length);

    SerialPortInfo m_info;
    std::unique_ptr<QSerialPort> m_port;
};

} // namespace RomCmd
