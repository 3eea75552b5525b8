// The tool's side of the ROM bootloader command protocol for one device:
// builds command packets, streams the data phases in chunks, reads the ROM's
// responses and reports each outcome as an IoStatus.
#pragma once

#include "deviceio.h"
#include "iostatus.h"
#include "romstatus.h"

#include <QObject>
#include <QString>
#include <QVariant>
#include <atomic>
#include <cstdint>
#include <memory>

class QIODevice;

namespace RomCmd {

// Largest command or data packet; the first write packet carries 16 header bytes.
constexpr uint32_t MaxPacketSize = 512;
constexpr uint32_t PacketHeaderSize = 4;
constexpr uint32_t FirstWriteChunk = MaxPacketSize - 16; // 496
constexpr uint32_t DataChunk = MaxPacketSize - PacketHeaderSize; // 508
// Image files are read this much at a time: one system call per block, not per frame.
constexpr uint32_t FileReadAhead = 32 * 1024;
constexpr uint32_t ReadBlockSize = 512;
constexpr uint32_t MaxConfigRteBytes = 1016;

// A stop request shared by a job, its owner and the ROM command object; it is
// never cleared, and outlives whichever of them goes first.
using TerminateToken = std::shared_ptr<std::atomic<bool>>;

class RomCmd : public QObject
{
    Q_OBJECT
public:
    // deviceType 1 builds a SerialIO from a SerialPortInfo, 2 a HidIO from a UsbInfo;
    // any other type leaves the object without a transport.
    RomCmd(const QVariant& deviceInfo, int deviceType, QObject* parent = nullptr);
    ~RomCmd() override;

    static std::unique_ptr<RomCmd> create(const QVariant& deviceInfo, int deviceType);

    int queryRte(uint32_t rteId, uint32_t arg);
    int configRte(const uint32_t* data, uint32_t size);
    int configMemory(uint32_t memoryId, uint32_t address);
    int writeMemory(uint32_t memoryId, uint32_t address, const uint8_t* buffer, uint32_t length);
    int writeMemoryByFile(uint32_t memoryId, uint32_t address, const QString& filePath);
    int readMemory(uint32_t memoryId, uint32_t address, uint32_t length, bool isShowLog);
    int readMemoryToFile(uint32_t memoryId, uint32_t address, uint32_t length, const QString& filePath);
    int loadImage(const QString& filePath);
    int eraseMemory(uint32_t memoryId, uint32_t address, uint32_t length, uint64_t timeout);
    int eraseAll(uint32_t memoryId, uint64_t timeout);
    int reset(uint32_t resetType);
    void setCmdTimeout(uint32_t ms);
    // Any thread; takes effect at the next chunk boundary and is never cleared.
    void terminate();
    // Shares the stop request of a job; set before the first command.
    void setTerminateToken(TerminateToken token) { m_terminate = std::move(token); }

    const QString& id() const { return m_id; }
    int deviceType() const { return m_deviceType; }
    DeviceIO* io() const { return m_io.get(); }
    bool isTerminateRequested() const { return m_terminate->load(); }
    bool hasFixedTimeout() const { return m_fixedTimeout; }

signals:
    void signalRTEQueried(int rteId, QVariant variant);
    // value is valid only during the emission.
    void signalMemoryReadProgress(
        uint32_t memoryId, uint32_t address, uint8_t* value, int length, int total, int progress, bool isShowLog);
    void signalMemory2FileReadProgress(int total, int progress);
    void signalMemoryWriteProgress(int total, int progress);
    void signalFile2MemoryWriteProgress(int total, int progress);
    void signalImageLoadProgress(int total, int progress);
    void callbackTerminate();

private:
    int getResponse(int writeResult);
    // Reads a response packet into a MaxFrameBuffer-byte buffer; one shorter than its
    // header fails with IoCommandFailed, logged as "<failedText> response length: N".
    int readResponse(uint8_t* response, const QString& failedText, uint16_t* length = nullptr);
    int erase(const uint8_t* packet, uint16_t length, uint64_t timeout);
    int streamWrite(uint32_t memoryId, uint32_t address, uint32_t length, const uint8_t* buffer, QIODevice* file);
    int sendReadCommand(uint32_t memoryId, uint32_t address, uint32_t length, const char* failedText);
    // The data phase of a read: hands each packet's data to sink (false = stop with
    // IoCommandFailed) and checks terminate after it. Ends early data, oversized
    // packets and a stop as IoCommandFailed.
    template <typename Sink>
    int readData(uint32_t length, const char* name, const char* stopName, Sink sink);
    int finished(const char* name, int status);
    bool hasTransport(const char* operation);
    QString prefix() const;

    std::unique_ptr<DeviceIO> m_io;
    int m_deviceType = 0;
    QString m_id;
    TerminateToken m_terminate = std::make_shared<std::atomic<bool>>(false);
    bool m_fixedTimeout = false;
};

} // namespace RomCmd
