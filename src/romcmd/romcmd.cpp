#include "romcmd.h"

#include "hex.h"
#include "hidio.h"
#include "records.h"
#include "serialio.h"

#include <QFile>
#include <QSaveFile>
#include <QtDebug>
#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>
#include <vector>

namespace RomCmd {

namespace {

constexpr uint8_t TagQueryRte = 0x01;
constexpr uint8_t TagConfigRte = 0x02;
constexpr uint8_t TagConfigMemory = 0x03;
constexpr uint8_t TagWriteMemory = 0x04;
constexpr uint8_t TagReadMemory = 0x05;
constexpr uint8_t TagLoadImage = 0x06;
constexpr uint8_t TagErase = 0x07;
constexpr uint8_t TagReset = 0x08;
constexpr uint8_t FlagData = 0x01;
constexpr uint8_t FlagConfigMemory = 0x02;
// Longest erase wait (12 days): beyond it a wait is as good as endless, and the
// transports add their own margins to it in int milliseconds.
constexpr uint64_t MaxEraseTimeout = 0x40000000;
// Response: 4 header bytes the tool ignores, then the RomStatus word.
constexpr uint16_t ResponseHeaderSize = 8;

void putHeader(uint8_t* p, uint8_t tag, uint8_t paramCount, uint8_t flags)
{
    p[0] = tag;
    p[1] = paramCount;
    p[2] = flags;
    p[3] = 0;
}

void putLe32(uint8_t* p, uint32_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}

uint32_t le32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

QString hex8(uint32_t v)
{
    return QStringLiteral("0x") + Hex::hex8(v);
}

// Progress signals carry int; totals beyond INT_MAX are shown saturated.
int clampInt(uint64_t v)
{
    return v > uint64_t(INT_MAX) ? INT_MAX : int(v);
}

// While a transfer runs, a stop request also ends a wait for a frame (a device
// streaming garbage would otherwise hold the job until the time-out); single
// commands run to their end even after a stop.
class TransferStop
{
public:
    TransferStop(DeviceIO* io, const std::atomic<bool>* flag) : m_io(io)
    {
        if (m_io)
            m_io->setTerminateFlag(flag);
    }
    ~TransferStop()
    {
        if (m_io)
            m_io->setTerminateFlag(nullptr);
    }
    TransferStop(const TransferStop&) = delete;
    TransferStop& operator=(const TransferStop&) = delete;

private:
    DeviceIO* m_io;
};

} // namespace

RomCmd::RomCmd(const QVariant& deviceInfo, int deviceType, QObject* parent)
    : QObject(parent)
    , m_deviceType(deviceType)
{
    if (deviceType == EDeviceTypeUart) {
        m_id = recordFromVariant<SerialPortInfo>(deviceInfo).portName;
        m_io = std::make_unique<SerialIO>(deviceInfo);
    } else if (deviceType == EDeviceTypeUsbHid) {
        m_id = recordFromVariant<UsbInfo>(deviceInfo).devicePath;
        m_io = std::make_unique<HidIO>(deviceInfo);
    } else {
        qCritical().noquote() << prefix() + QStringLiteral("Rom command device type error! Type: %1").arg(deviceType);
    }
}

RomCmd::~RomCmd() = default;

std::unique_ptr<RomCmd> RomCmd::create(const QVariant& deviceInfo, int deviceType)
{
    return std::make_unique<RomCmd>(deviceInfo, deviceType);
}

QString RomCmd::prefix() const
{
    return QStringLiteral("Id: ") + m_id + QStringLiteral("\r\n");
}

bool RomCmd::hasTransport(const char* operation)
{
    if (m_io)
        return true;
    // Unknown device type: fail like a device that could not be opened, touching nothing.
    qCritical().noquote() << prefix() + QStringLiteral("No device for command: %1").arg(QLatin1String(operation));
    return false;
}

int RomCmd::finished(const char* name, int status)
{
    qInfo().noquote() << prefix()
            + QStringLiteral("Cmd '%1' finished! Status: %2 message: %3")
                  .arg(QLatin1String(name))
                  .arg(status)
                  .arg(ioStatusText(status));
    return status;
}

int RomCmd::readResponse(uint8_t* response, const QString& failedText, uint16_t* length)
{
    uint16_t size = 0;
    const int result = m_io->readPacket(response, &size);
    if (result != IoOk)
        return result;
    if (size < ResponseHeaderSize || size > MaxFrameBuffer) {
        // No status word to judge by: a failed command, never a success.
        qCritical().noquote() << prefix() + QStringLiteral("%1 response length: %2").arg(failedText).arg(size);
        return IoCommandFailed;
    }
    if (length)
        *length = size;
    return IoOk;
}

int RomCmd::getResponse(int writeResult)
{
    if (writeResult != IoOk && writeResult != IoAbort)
        return writeResult;
    uint8_t response[MaxFrameBuffer];
    const int result = readResponse(response, QStringLiteral("Cmd get response failed!"));
    if (result != IoOk)
        return result;
    const uint32_t status = le32(response + 4);
    if (status == RomSuccess)
        return IoOk;
    qCritical().noquote() << prefix()
            + QStringLiteral("Cmd get response failed! status: %1 message: %2").arg(status).arg(romStatusText(status));
    return isBootModeStatus(status) ? IoBootModeFailed : IoCommandFailed;
}

int RomCmd::queryRte(uint32_t rteId, uint32_t arg)
{
    qInfo().noquote() << prefix() + QStringLiteral("query rte rteId: %1 arg: %2").arg(rteId).arg(arg);
    if (!hasTransport("queryRte"))
        return IoOpenFailed;

    uint8_t packet[12];
    const bool withArg = rteId == 4;
    putHeader(packet, TagQueryRte, withArg ? 2 : 1, 0);
    putLe32(packet + 4, rteId);
    putLe32(packet + 8, arg);
    int result = m_io->writePacket(packet, withArg ? 12 : 8);
    if (result != IoOk && result != IoAbort)
        return result;

    uint8_t response[MaxFrameBuffer];
    uint16_t length = 0;
    result = readResponse(response, QStringLiteral("QueryRTE failed. rteId: %1 arg: %2").arg(rteId).arg(arg), &length);
    if (result != IoOk)
        return result;
    const uint32_t status = le32(response + 4);
    const auto failed = [&] {
        qCritical().noquote() << prefix()
                + QStringLiteral("QueryRTE failed. rteId: %1 arg: %2 status: %3 message: %4")
                      .arg(rteId)
                      .arg(arg)
                      .arg(status)
                      .arg(romStatusText(status));
    };
    if (status != RomSuccess) {
        failed();
        return isBootModeStatus(status) ? IoBootModeFailed : IoCommandFailed;
    }

    const uint8_t* record = response + ResponseHeaderSize;
    const size_t recordLength = length - ResponseHeaderSize;
    QVariant variant;
    switch (rteId) {
    case 0: variant = QVariant::fromValue(RomParamInfo::decode(record, recordLength)); break;
    case 1: variant = QVariant::fromValue(SerialInfParam::decode(record, recordLength)); break;
    case 2: variant = QVariant::fromValue(CmdStatusInfo::decode(record, recordLength)); break;
    case 3: variant = QVariant::fromValue(BootStatusInfo::decode(record, recordLength)); break;
    case 4: variant = QVariant::fromValue(MemoryAttribute::decode(record, recordLength)); break;
    default: failed(); return IoFailure;
    }
    qInfo().noquote() << prefix() + QStringLiteral("QueryRTE success. rteId: %1 arg: %2").arg(rteId).arg(arg);
    emit signalRTEQueried(int(rteId), variant);
    return IoOk;
}

int RomCmd::configRte(const uint32_t* data, uint32_t size)
{
    const auto word = [&](uint32_t i) { return (data && size >= 4 * (i + 1)) ? data[i] : 0u; };
    qInfo().noquote() << prefix()
            + QStringLiteral("config rte speed: %1 words: %2 periphMask: %3").arg(word(2)).arg(word(0)).arg(word(1));
    if (!hasTransport("configRte"))
        return IoOpenFailed;
    if (size > MaxConfigRteBytes || (size > 0 && !data)) {
        qCritical().noquote() << prefix() + QStringLiteral("config rte refused, size: %1").arg(size);
        return finished("Config RTE", IoFailure);
    }
    const uint32_t words = size / 4;
    uint8_t packet[8 + MaxConfigRteBytes];
    putHeader(packet, TagConfigRte, uint8_t(words + 1), 0);
    putLe32(packet + 4, 1); // RTE id of SerialInfParam
    for (uint32_t i = 0; i < words; ++i)
        putLe32(packet + 8 + 4 * i, data[i]);
    return finished("Config RTE", getResponse(m_io->writePacket(packet, uint16_t(4 * (words + 2)))));
}

int RomCmd::configMemory(uint32_t memoryId, uint32_t address)
{
    qInfo().noquote() << prefix()
            + QStringLiteral("Config memory id: %1 address: %2").arg(hex8(memoryId), hex8(address));
    if (!hasTransport("configMemory"))
        return IoOpenFailed;
    uint8_t packet[12];
    putHeader(packet, TagConfigMemory, 2, FlagConfigMemory);
    putLe32(packet + 4, memoryId);
    putLe32(packet + 8, address);
    return finished("Config Memory", getResponse(m_io->writePacket(packet, sizeof(packet))));
}

int RomCmd::erase(const uint8_t* packet, uint16_t length, uint64_t timeout)
{
    const uint32_t previous = m_io->timeout();
    // Erases may only lengthen the wait, and not once the run fixed its time-out.
    const bool raise = !m_fixedTimeout && timeout > previous;
    if (raise) {
        qInfo().noquote() << prefix() + QStringLiteral("set erase time out: %1ms").arg(timeout);
        // Saturate rather than keep the low 32 bits, which could shorten the wait.
        m_io->setTimeout(uint32_t(std::min<uint64_t>(timeout, MaxEraseTimeout)));
    }
    const int result = getResponse(m_io->writePacket(packet, length));
    if (raise)
        m_io->setTimeout(previous);
    return result;
}

int RomCmd::eraseMemory(uint32_t memoryId, uint32_t address, uint32_t length, uint64_t timeout)
{
    qInfo().noquote() << prefix()
            + QStringLiteral("Erase memory id: %1 address: %2 length: %3")
                  .arg(hex8(memoryId), hex8(address))
                  .arg(length);
    if (!hasTransport("eraseMemory"))
        return IoOpenFailed;
    uint8_t packet[20];
    putHeader(packet, TagErase, 4, 0);
    putLe32(packet + 4, 0);
    putLe32(packet + 8, memoryId);
    putLe32(packet + 12, address);
    putLe32(packet + 16, length);
    return finished("Erase Memory", erase(packet, sizeof(packet), timeout));
}

int RomCmd::eraseAll(uint32_t memoryId, uint64_t timeout)
{
    qInfo().noquote() << prefix() + QStringLiteral("Erase all memory id: %1").arg(hex8(memoryId));
    if (!hasTransport("eraseAll"))
        return IoOpenFailed;
    uint8_t packet[12];
    putHeader(packet, TagErase, 2, 0);
    putLe32(packet + 4, 1);
    putLe32(packet + 8, memoryId);
    return finished("Erase Memory", erase(packet, sizeof(packet), timeout));
}

int RomCmd::reset(uint32_t resetType)
{
    qInfo().noquote() << prefix() + QStringLiteral("Reset resetType: %1").arg(resetType);
    if (!hasTransport("reset"))
        return IoOpenFailed;
    uint8_t packet[8];
    putHeader(packet, TagReset, 1, 0);
    putLe32(packet + 4, resetType);
    return finished("Reset", getResponse(m_io->writePacket(packet, sizeof(packet))));
}

namespace {
// Hands out a file's bytes chunk by chunk from blocks read ahead. A block that
// comes up short means the file shrank after its size was taken: nothing of
// that block is handed out, so a cut tail never goes to the device.
class ChunkReader
{
public:
    ChunkReader(QIODevice* file, uint64_t total)
        : m_file(file)
        , m_left(total)
    {
    }

    // The next n bytes, or nullptr when the file ends before them.
    const uint8_t* next(uint32_t n)
    {
        if (m_end - m_pos < n && (!refill() || m_end - m_pos < n))
            return nullptr;
        const uint8_t* p = m_buffer.data() + m_pos;
        m_pos += n;
        return p;
    }

private:
    bool refill()
    {
        std::memmove(m_buffer.data(), m_buffer.data() + m_pos, m_end - m_pos);
        m_end -= m_pos;
        m_pos = 0;
        const uint32_t want = uint32_t(std::min<uint64_t>(m_buffer.size() - m_end, m_left));
        uint32_t got = 0;
        while (got < want) {
            const qint64 n = m_file->read(reinterpret_cast<char*>(m_buffer.data() + m_end + got), want - got);
            if (n <= 0)
                return false;
            got += uint32_t(n);
        }
        m_end += got;
        m_left -= got;
        return true;
    }

    QIODevice* m_file;
    uint64_t m_left;
    uint32_t m_pos = 0;
    uint32_t m_end = 0;
    std::vector<uint8_t> m_buffer = std::vector<uint8_t>(FileReadAhead);
};
} // namespace

// Shared by both writes: the first packet carries the command and 496 bytes,
// each following one 508. With a file, bytes missing before `length` went out
// end the transfer with IoCommandFailed, so a file that shrank after its size
// was taken can neither loop nor overrun.
int RomCmd::streamWrite(uint32_t memoryId, uint32_t address, uint32_t length, const uint8_t* buffer, QIODevice* file)
{
    const TransferStop stop(m_io.get(), m_terminate.get());
    std::unique_ptr<ChunkReader> reader(file ? new ChunkReader(file, length) : nullptr);
    uint8_t packet[MaxPacketSize];
    uint32_t sent = 0;
    int result = IoOk;
    bool first = true;
    while (sent < length) {
        uint32_t headerSize = PacketHeaderSize;
        if (first) {
            putHeader(packet, TagWriteMemory, 3, 0);
            putLe32(packet + 4, address);
            putLe32(packet + 8, length);
            putLe32(packet + 12, memoryId);
            headerSize = 16;
        } else {
            putHeader(packet, TagWriteMemory, 0, FlagData);
        }
        const uint32_t want = std::min(MaxPacketSize - headerSize, length - sent);
        const uint8_t* chunk = reader ? reader->next(want) : buffer + sent;
        if (!chunk) {
            qCritical().noquote() << prefix()
                    + QStringLiteral("Write memory by file failed! The file ended early. "
                                     "progress: %1 total: %2")
                          .arg(sent)
                          .arg(length);
            return IoCommandFailed;
        }
        memcpy(packet + headerSize, chunk, want);
        first = false;
        result = m_io->writePacket(packet, uint16_t(headerSize + want));
        if (result != IoOk)
            break;
        sent += want;
        if (file)
            emit signalFile2MemoryWriteProgress(clampInt(length), clampInt(sent));
        else
            emit signalMemoryWriteProgress(clampInt(length), clampInt(sent));
        if (m_terminate->load()) {
            qInfo().noquote() << prefix()
                    + QStringLiteral("%1 terminate! progress: %2 total: %3")
                          .arg(file ? QStringLiteral("Write memory by file") : QStringLiteral("Write memory"))
                          .arg(sent)
                          .arg(length);
            emit callbackTerminate();
            return IoCommandFailed;
        }
    }
    if (file)
        file->close();
    return getResponse(result);
}

int RomCmd::writeMemory(uint32_t memoryId, uint32_t address, const uint8_t* buffer, uint32_t length)
{
    QString bytes;
    if (buffer) {
        bytes.reserve(int(std::min<uint32_t>(length, 1u << 20) * 4));
        for (uint32_t i = 0; i < length; ++i) {
            bytes += QString::number(buffer[i]);
            bytes += QLatin1Char(',');
        }
    }
    qInfo().noquote() << prefix()
            + QStringLiteral("Write memory id: %1 address: %2 length: %3 buffer: %4")
                  .arg(hex8(memoryId), hex8(address))
                  .arg(length)
                  .arg(bytes);
    if (!hasTransport("writeMemory"))
        return IoOpenFailed;
    if (!buffer && length > 0)
        return finished("Write Memory", IoFailure);
    return finished("Write Memory", streamWrite(memoryId, address, length, buffer, nullptr));
}

int RomCmd::writeMemoryByFile(uint32_t memoryId, uint32_t address, const QString& filePath)
{
    qInfo().noquote() << prefix()
            + QStringLiteral("Write memory by file id: %1 address: %2 file: %3")
                  .arg(hex8(memoryId), hex8(address), filePath);
    if (!hasTransport("writeMemoryByFile"))
        return IoOpenFailed;
    const uint64_t size = fileSize(filePath);
    if (size == 0)
        return finished("Write Memory", IoOpenFailed);
    if (size > UINT32_MAX) {
        // The length field of the command is 32 bits wide.
        qCritical().noquote() << prefix() + QStringLiteral("Write memory by file failed! File too large: %1").arg(size);
        return finished("Write Memory", IoCommandFailed);
    }
    QFile file(filePath);
    // Unbuffered: the transfer reads ahead in blocks of its own.
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return finished("Write Memory", IoOpenFailed);
    return finished("Write Memory", streamWrite(memoryId, address, uint32_t(size), nullptr, &file));
}

int RomCmd::loadImage(const QString& filePath)
{
    qInfo().noquote() << prefix() + QStringLiteral("Load image filePath: %1").arg(filePath);
    if (!hasTransport("loadImage"))
        return IoOpenFailed;
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return finished("Load Image", IoOpenFailed);
    const uint64_t total = uint64_t(std::max<qint64>(file.size(), 0));
    const TransferStop stop(m_io.get(), m_terminate.get());

    uint8_t packet[MaxPacketSize];
    putHeader(packet, TagLoadImage, 0, FlagData);
    ChunkReader reader(&file, total);
    uint64_t sent = 0;
    int result = IoOk;
    while (sent < total) {
        const uint32_t n = uint32_t(std::min<uint64_t>(DataChunk, total - sent));
        const uint8_t* chunk = reader.next(n);
        if (!chunk) {
            // The file is shorter than its size said: stop instead of spinning at
            // its end, and never send a cut chunk, which the ROM would take for
            // the image's last one and start a cut image.
            qCritical().noquote() << prefix()
                    + QStringLiteral("Load image failed! The file ended early. progress: %1 total: %2")
                          .arg(sent)
                          .arg(total);
            return finished("Load Image", IoCommandFailed);
        }
        memcpy(packet + PacketHeaderSize, chunk, n);
        result = m_io->writePacket(packet, uint16_t(PacketHeaderSize + n));
        if (result != IoOk)
            break;
        sent += n;
        emit signalImageLoadProgress(clampInt(total), clampInt(sent));
        if (m_terminate->load()) {
            qInfo().noquote() << prefix()
                    + QStringLiteral("Load image terminate! progress: %1 total: %2").arg(sent).arg(total);
            emit callbackTerminate();
            return finished("Load Image", IoCommandFailed);
        }
    }
    file.close();
    return finished("Load Image", getResponse(result));
}

int RomCmd::sendReadCommand(uint32_t memoryId, uint32_t address, uint32_t length, const char* failedText)
{
    uint8_t packet[16];
    putHeader(packet, TagReadMemory, 3, 0);
    putLe32(packet + 4, address);
    putLe32(packet + 8, length);
    putLe32(packet + 12, memoryId);
    int result = m_io->writePacket(packet, sizeof(packet));
    if (result != IoOk && result != IoAbort)
        return result;

    uint8_t response[MaxFrameBuffer];
    result = readResponse(response, QLatin1String(failedText));
    if (result != IoOk)
        return result;
    const uint32_t status = le32(response + 4);
    if (status == RomSuccess)
        return IoOk;
    qCritical().noquote() << prefix()
            + QStringLiteral("%1 resp status: %2 message: %3")
                  .arg(QLatin1String(failedText))
                  .arg(status)
                  .arg(romStatusText(status));
    // Same mapping as every other command, so a wrong boot mode reads as such.
    return isBootModeStatus(status) ? IoBootModeFailed : IoCommandFailed;
}

// Data packets: a 4-byte header, then data. A packet of 4 bytes or less ends
// the data phase; one that carries more bytes than remain is refused with
// IoCommandFailed and not copied. Data that ends before `length` bytes is a
// failure (IoCommandFailed), never a success.
template <typename Sink>
int RomCmd::readData(uint32_t length, const char* name, const char* stopName, Sink sink)
{
    const TransferStop stop(m_io.get(), m_terminate.get());
    uint8_t packet[MaxFrameBuffer];
    uint32_t received = 0;
    int result = IoOk;
    while (received < length) {
        uint16_t size = 0;
        result = m_io->readPacket(packet, &size);
        if (result != IoOk || size <= PacketHeaderSize)
            break;
        const uint32_t data = std::min<uint32_t>(size, sizeof(packet)) - PacketHeaderSize;
        if (size > sizeof(packet) || data > length - received) {
            qCritical().noquote() << prefix()
                    + QStringLiteral("Cmd '%1' data packet too long! data: %2 remaining: %3")
                          .arg(QLatin1String(name))
                          .arg(data)
                          .arg(length - received);
            return IoCommandFailed;
        }
        if (!sink(packet + PacketHeaderSize, data, received))
            return IoCommandFailed;
        received += data;
        if (m_terminate->load()) {
            qInfo().noquote() << prefix()
                    + QStringLiteral("%1 terminate! progress: %2 total: %3")
                          .arg(QLatin1String(stopName))
                          .arg(received)
                          .arg(length);
            emit callbackTerminate();
            return IoCommandFailed;
        }
    }
    if (result == IoOk && received < length) {
        qCritical().noquote() << prefix()
                + QStringLiteral("Cmd '%1' data ended early! progress: %2 total: %3")
                      .arg(QLatin1String(name))
                      .arg(received)
                      .arg(length);
        return IoCommandFailed;
    }
    return result;
}

int RomCmd::readMemory(uint32_t memoryId, uint32_t address, uint32_t length, bool isShowLog)
{
    qInfo().noquote() << prefix()
            + QStringLiteral("Read memory id: %1 address: %2 length: %3")
                  .arg(hex8(memoryId), hex8(address))
                  .arg(length);
    if (!hasTransport("readMemory"))
        return IoOpenFailed;
    if (memoryId == OtpMemoryId && length % 4 != 0) {
        qWarning().noquote() << prefix() + QStringLiteral("OTP only supports quering by multiple of four bytes.");
        return IoFailure;
    }
    int result = sendReadCommand(memoryId, address, length, "Cmd 'Read Memory' read package failed!");
    if (result != IoOk)
        return finished("Read Memory", result);

    // Delivered in blocks of 512 bytes, whatever the packet size.
    uint8_t block[ReadBlockSize];
    uint32_t inBlock = 0;
    uint32_t delivered = 0;
    result = readData(length, "Read Memory", "Read memory",
        [&](const uint8_t* p, uint32_t data, uint32_t received) {
            uint32_t left = data;
            while (left > 0) {
                const uint32_t n = std::min(left, ReadBlockSize - inBlock);
                memcpy(block + inBlock, p, n);
                inBlock += n;
                p += n;
                left -= n;
                delivered = received + (data - left);
                if (inBlock == ReadBlockSize) {
                    emit signalMemoryReadProgress(
                        memoryId, address, block, int(ReadBlockSize), clampInt(length), clampInt(delivered), isShowLog);
                    inBlock = 0;
                }
            }
            return true;
        });
    if (inBlock > 0)
        emit signalMemoryReadProgress(
            memoryId, address, block, int(inBlock), clampInt(length), clampInt(delivered), isShowLog);
    return finished("Read Memory", result);
}

// Same data rules as readMemory. The file is replaced only when every byte
// arrived; a failed or terminated read leaves an existing file untouched.
int RomCmd::readMemoryToFile(uint32_t memoryId, uint32_t address, uint32_t length, const QString& filePath)
{
    qInfo().noquote() << prefix()
            + QStringLiteral("Read memory to file id: %1 address: %2 length: %3 filePath: %4")
                  .arg(hex8(memoryId), hex8(address))
                  .arg(length)
                  .arg(filePath);
    if (!hasTransport("readMemoryToFile"))
        return IoOpenFailed;
    int result = sendReadCommand(memoryId, address, length, "Cmd 'Read Memory to File' read package failed!");
    if (result != IoOk)
        return finished("Read Memory to File", result);

    QSaveFile file(filePath);
    if (!file.open(QIODevice::WriteOnly)) {
        qCritical().noquote() << prefix() + QStringLiteral("Cmd 'Read Memory to File' open file failed!");
        return finished("Read Memory to File", IoOpenFailed);
    }
    result = readData(length, "Read Memory to File", "Read memory to file",
        [&](const uint8_t* p, uint32_t data, uint32_t received) {
            if (file.write(reinterpret_cast<const char*>(p), data) != qint64(data)) {
                qCritical().noquote() << prefix() + QStringLiteral("Cmd 'Read Memory to File' write file failed!");
                return false;
            }
            emit signalMemory2FileReadProgress(clampInt(length), clampInt(received + data));
            return true;
        });
    if (result == IoOk && !file.commit()) {
        qCritical().noquote() << prefix() + QStringLiteral("Cmd 'Read Memory to File' write file failed!");
        result = IoCommandFailed;
    }
    if (result != IoOk)
        file.cancelWriting();
    return finished("Read Memory to File", result);
}

void RomCmd::setCmdTimeout(uint32_t ms)
{
    if (ms == 0)
        return;
    m_fixedTimeout = true;
    if (m_io)
        m_io->setTimeout(ms);
}

void RomCmd::terminate()
{
    m_terminate->store(true);
}

} // namespace RomCmd
