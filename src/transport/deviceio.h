// Transport of ROM bootloader packets to one device: frames, checks and the
// one-byte acknowledgement handshake. Opened in the constructor, closed in the
// destructor; used by one worker thread at a time.
#pragma once

#include <QObject>
#include <QVariant>
#include <atomic>
#include <cstdint>

namespace RomCmd {

// Received frames are assembled in a buffer of this size; longer length
// fields are refused, never copied.
constexpr uint16_t MaxFrameBuffer = 1024;
constexpr uint8_t AckOk = 0xA1;
constexpr uint8_t AckNak = 0xA2;
constexpr uint8_t AckAbort = 0xA3;

class DeviceIO : public QObject
{
    Q_OBJECT
public:
    explicit DeviceIO(QObject* parent = nullptr);
    ~DeviceIO() override;

    // Sends one packet as a frame, then reads the acknowledgement.
    virtual int writePacket(const uint8_t* data, uint16_t length) = 0;
    // Receives one frame (payload into buffer of MaxFrameBuffer bytes) and acknowledges it.
    virtual int readPacket(uint8_t* buffer, uint16_t* length) = 0;
    // Raw report exchange for text commands; -1 where unsupported.
    virtual int transferReport(const uint8_t* data, uint16_t length, uint8_t* reply, uint16_t capacity) = 0;
    virtual void setTimeout(uint32_t ms);
    virtual int readAck() = 0;
    virtual int sendResponse(uint8_t code) = 0;

    uint32_t timeout() const { return m_timeout; }
    int status() const { return m_status; }
    // The owner's terminate request, polled where a read may wait long (the
    // UART frame hunt); it must outlive this object. Null: never terminated.
    void setTerminateFlag(const std::atomic<bool>* flag) { m_terminate = flag; }

protected:
    bool terminateRequested() const { return m_terminate && m_terminate->load(std::memory_order_relaxed); }

    uint32_t m_timeout = 10000; // read time-out for frames and acks, ms
    int m_status = 0;           // IoStatus of the last operation; 5 after a failed open
    const std::atomic<bool>* m_terminate = nullptr;
};

} // namespace RomCmd
