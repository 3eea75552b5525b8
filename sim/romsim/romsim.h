// Simulated target ROM bootloader: the device end of the framed ROM protocol.
// Engine is the protocol and command logic (packets in, acks and packets out);
// UartServer (uartserver.h) and HidDevice (hiddevice.h) put it on a wire.
//
// Wire layout of what the simulator sends (the tool does not examine the headers):
//   response packet   [0xA0, P, 0x00, tag] status(u32) value words...
//   read data packet  [0x05, 0x00, 0x01, 0x00] data (readChunkSize bytes, last one shorter)
//
// Image load end rule: with setExpectedImageLength(n > 0) the image ends once n bytes
// have arrived; otherwise it ends with the first chunk carrying fewer than 508 data
// bytes (so an image of an exact multiple of 508 bytes needs the expected length).
//
// Memories: ILM (id 0, bytes 0x0..0x3FFFF), XPI0 NOR (id 0x10000, 16 MiB mapped at
// 0x80000000, erased to 0xFF, programming only clears bits (else 1001003), erase,
// write and read need a prior configure-memory (else 1001009) unless
// setRequireFlashConfig(false)), OTP (id 0x20000, 128 words addressed by word index,
// whole words only, programming only sets bits; bit k of word 0 locks words
// 4k..4k+3 against programming, 1001002). Lengths are bytes everywhere; a range
// outside a memory is 1001001, an unknown memory id 1001011, an unknown tag 1002000.
// Reset forgets flash configuration, speed and a firmware version set by image load.
//
// Flow: each received frame gets its ack at once; a command's response follows the
// ack of its last packet; read data packets go out one per A1 ack from the tool.
// A new frame abandons any unfinished data phase.
#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

namespace RomSim {

// CRC-16/XMODEM, kept separate from the tool's so the tests check it independently.
uint16_t crc16(const QByteArray& bytes, uint16_t crc = 0);

enum Tag : uint8_t {
    TagQueryRte = 0x01,
    TagConfigRte = 0x02,
    TagConfigMemory = 0x03,
    TagWriteMemory = 0x04,
    TagReadMemory = 0x05,
    TagLoadImage = 0x06,
    TagErase = 0x07,
    TagReset = 0x08,
};

constexpr uint32_t MemIlm = 0x0;
constexpr uint32_t MemXpi0 = 0x10000;
constexpr uint32_t MemOtp = 0x20000;
constexpr uint32_t FlashBase = 0x80000000u;
constexpr int OtpWords = 128;
constexpr int DataChunk = 508;

// ROM status words the engine produces itself.
enum Status : uint32_t {
    StSuccess = 0,
    StFailure = 1,
    StInvalidArgument = 2,
    StUnsupportedMemoryCommand = 1001000,
    StInvalidMemoryRange = 1001001,
    StProgramFailed = 1001002,
    StProgramVerifyFailed = 1001003,
    StConfigureFailed = 1001006,
    StReadDisallowed = 1001008,
    StWriteBeforeConfig = 1001009,
    StInvalidMemoryId = 1001011,
    StCommandNotSupported = 1002000,
    StReadOnlyAttribute = 1002002,
};

// Builds the 32-bit version word of "V1.2.3" / "F2.0.1" (letter, then three decimals).
uint32_t versionWord(const QString& text);

enum class FaultKind {
    None,
    Nak, // ack point: answer 0xA2 and drop the packet
    Abort, // ack point: answer 0xA3, end the command, send its response with Fault::romStatus
    AckCode, // ack point: answer with the code in Fault::value (e.g. 0x00)
    ShortAck, // ack point: UART sends only 0x5A; HID a 1-byte report
    Silence, // any point: send nothing (an ack-point silence also drops the packet)
    BadCrc, // frame point, UART: the CRC is off by one
    Garbage, // ack or frame point, UART: Fault::bytes go out first
    ShortFrame, // frame point: full length announced, Fault::value payload bytes fewer sent, no CRC
    OversizedLength, // frame point: length field Fault::value (default 0x0800), real payload follows
    BadStart, // frame point, UART: 0x5A then Fault::value instead of 0xA5, nothing more
};

enum class FaultPoint {
    Ack, // the ack to a received packet; Fault::index 0 = the command packet, n = its n-th data packet
    Response, // the status response of a command
    Data, // read-memory data packet number Fault::index (0-based)
};

struct Fault
{
    uint8_t tag = 0; // command tag it applies to; 0 = any command
    FaultPoint point = FaultPoint::Ack;
    int index = 0; // see FaultPoint; -1 = every packet of the command
    FaultKind kind = FaultKind::None;
    uint32_t value = 0;
    uint32_t romStatus = 0;
    QByteArray bytes;
    int times = 1; // how many times it fires; -1 = until clearFaults()
};

// One thing the simulator has to send, with the frame-level fault to apply.
struct Output
{
    enum Type { Ack, Frame, Raw } type = Ack;
    uint8_t code = 0; // Ack
    QByteArray bytes; // Frame payload, or Raw bytes
    FaultKind fault = FaultKind::None;
    uint32_t faultValue = 0;
    QByteArray faultBytes;
};

struct TranscriptEntry
{
    enum Direction { ToDevice, FromDevice } direction = ToDevice;
    enum Kind { Frame, Ack, BadFrame, Raw } kind = Frame;
    QByteArray bytes; // frame payload, raw bytes, or the damaged frame
    uint8_t code = 0; // Ack
};

struct MemoryRegion
{
    uint32_t id = 0;
    uint32_t start = 0; // first address
    uint32_t unitLog2 = 0; // addresses count units of 1 << unitLog2 bytes
    uint32_t sizeUnits = 0;
    uint32_t words = 5; // valid words of the memory attribute (8 with page/sector/block)
    uint32_t page = 0, sector = 0, block = 0;
    enum Kind { Ram, Flash, Otp } kind = Ram;
};

class Engine
{
public:
    Engine();
    ~Engine();
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    // ---- configuration; every setter is safe while a server thread runs ----
    void setRomVersion(const QString& text); // "V1.2.3" (ROM) or "F..." (firmware); default "V1.0.0"
    void setSocRevision(const QString& text); // default "A0.1.0"
    void setLifecycle(uint8_t lifecycle); // default 0x02
    void setCapabilities(uint32_t mask); // default 0x0000010F
    void setBootStatus(uint32_t mode, uint32_t device, uint32_t status); // default 1, 0, 0
    void setPeripheral(uint32_t mask); // 0x1 UART, 0x10 USB-HID; the servers set it
    void setUartSpeed(uint32_t baud); // default 115200; config-rte changes it
    // Answers every later command with this tag with the status instead of running it
    // (data phases are still consumed). times = -1: until cleared.
    void setCommandStatus(uint8_t tag, uint32_t status, int times = -1);
    void clearCommandStatus(uint8_t tag);
    void addFault(const Fault& fault);
    void clearFaults();
    void setExpectedImageLength(uint32_t bytes); // 0 = short-chunk rule
    void setReadChunkSize(int bytes); // data bytes per read packet, default 508
    void setRequireFlashConfig(bool on); // default true
    // After a complete image load the ROM version becomes this text (empty = unchanged).
    void setVersionAfterImageLoad(const QString& text);
    // OTP words [first, first+count) refuse reading with 1001008.
    void setOtpReadDisallowed(int firstWord, int count);
    // Called outside the engine lock, on the server's thread, once the tool has
    // acknowledged the command's response (or sent its next frame), so a hook may
    // unplug or re-plug the device as a ROM restarting after reset or image load.
    void setImageLoadedHook(std::function<void(const QByteArray& image)> hook);
    void setResetHook(std::function<void(uint32_t resetType)> hook);

    // ---- memories ----
    QList<MemoryRegion> regions() const;
    QByteArray memory(uint32_t memoryId) const; // whole content
    QByteArray readBytes(uint32_t memoryId, uint32_t address, int length) const;
    void poke(uint32_t memoryId, uint32_t address, const QByteArray& bytes); // no rules applied
    uint32_t otpWord(int index) const;
    void setOtpWord(int index, uint32_t value);
    bool isConfigured(uint32_t memoryId) const;
    QList<uint32_t> flashConfigWords() const; // first 4 words of the last configuration block

    // ---- what happened ----
    QList<TranscriptEntry> transcript() const;
    QList<QByteArray> receivedPackets() const; // payloads of good frames, in order
    QList<uint8_t> toolAcks() const; // ack codes the tool sent
    QList<uint8_t> deviceAcks() const; // ack codes the simulator sent
    QByteArray loadedImage() const; // last complete image
    uint32_t uartSpeed() const;
    int resetCount() const;
    QString romVersion() const;
    void clearTranscript();
    // Waits until at least n good frames have been received in total.
    bool waitForPackets(int n, int timeoutMs) const;

    // ---- protocol entry points, called by the servers ----
    QList<Output> onFrame(const QByteArray& payload);
    QList<Output> onCorruptFrame(const QByteArray& raw); // received frame failed its CRC
    QList<Output> onToolAck(uint8_t code);
    // Bytes that were neither a frame nor an ack (logged only).
    void onGarbage(const QByteArray& bytes);
    // Runs the hooks due; the servers call it after each tool ack and before each frame.
    void runPendingHooks();

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace RomSim
