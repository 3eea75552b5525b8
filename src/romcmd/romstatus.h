// Vocabulary of the ROM bootloader's answers: its status word and texts, the
// run-time environment (RTE) records, command tag names, capability texts,
// and the small formatters the device report shares.
#pragma once

#include <QMetaType>
#include <QString>
#include <QStringList>
#include <cstddef>
#include <cstdint>

namespace RomCmd {

// The ROM's own status word (bytes 4-7 of every response).
enum RomStatus : uint32_t {
    RomSuccess = 0,
    RomFailure = 1,
    RomInvalidArgument = 2,
    RomTimeout = 4, // there is no code 3
    RomUnsupportedMemoryCommand = 1001000, // "unsupport memory command"
    RomInvalidMemoryRange = 1001001,
    RomProgrammingFailed = 1001002,
    RomProgrammingVerifyFailed = 1001003,
    RomEraseFailed = 1001004,
    RomEraseVerifyFailed = 1001005,
    RomConfigMemoryFailed = 1001006,
    RomReadMemoryFailed = 1001007,
    RomReadMemoryDisallowed = 1001008,
    RomWriteBeforeConfig = 1001009,
    RomUnalignedStartAddress = 1001010,
    RomInvalidMemoryId = 1001011,
    RomCommandNotSupported = 1002000,
    RomInvalidCommandArguments = 1002001,
    RomReadOnlyAttribute = 1002002
};

// Text of a ROM status; "unknown error message" for codes outside the table.
QString romStatusText(uint32_t code);
// True for the statuses that mean the device is not in the expected boot mode
// (1..3, 1001000, 1002000): those map to IoBootModeFailed, the rest to IoCommandFailed.
bool isBootModeStatus(uint32_t code);

// Memory id of the OTP words; reads of it go by whole 32-bit words.
constexpr uint32_t OtpMemoryId = 0x20000;

// Name of a command tag as the ROM reports it in CmdStatusInfo ("Unknown command" otherwise).
QString tagName(uint32_t tag);

// One line per set capability bit that has a text, ascending bit order.
QStringList capabilityTexts(uint32_t capabilities);

// Byte size as "N bytes", "N Kbytes", "N.NN Mbytes", ... Returns its own
// string, so concurrent jobs may format at once.
QString formatByteSize(uint64_t size);

// Size of a file in bytes; 0 when it cannot be opened.
uint64_t fileSize(const QString& path);

// "%1%2.%3.%4": a letter from bits 31-24, then three decimal bytes (V1.2.3).
QString versionText(uint32_t version);
// The life-cycle byte as two lower-case hexadecimal digits.
QString lifecycleText(uint8_t lifecycle);

// RTE records. Decoded word by word from the little-endian wire bytes; bytes
// missing from a short answer read as zero (never read past the answer).
struct RomParamInfo // rteId 0, 16 bytes
{
    uint32_t romVersion = 0;
    uint32_t socRevision = 0;
    uint8_t lifecycle = 0; // low byte of word 2
    uint32_t capabilities = 0;
    static RomParamInfo decode(const uint8_t* data, size_t length);
};

struct SerialInfParam // rteId 1, 24 bytes
{
    uint8_t words = 0; // low byte of word 0
    uint32_t periphMask = 0; // 0x1 UART, 0x10 USB-HID
    uint32_t speed = 0; // baud rate
    uint32_t reserved[3] = { 0, 0, 0 };
    static SerialInfParam decode(const uint8_t* data, size_t length);
};

struct CmdStatusInfo // rteId 2, 24 bytes
{
    uint8_t tag = 0; // low byte of word 0: tag of the last command
    uint32_t status = 0;
    uint32_t reserved[4] = { 0, 0, 0, 0 };
    static CmdStatusInfo decode(const uint8_t* data, size_t length);
};

struct BootStatusInfo // rteId 3, 12 bytes
{
    uint8_t bootMode = 0; // low byte of word 0
    uint32_t bootDevice = 0;
    uint32_t bootStatus = 0;
    static BootStatusInfo decode(const uint8_t* data, size_t length);
};

struct MemoryAttribute // rteId 4, 32 bytes
{
    uint8_t words = 0; // number of valid words (byte 0 of word 0)
    uint8_t unitSizeLog2 = 0; // byte 1 of word 0
    uint32_t memoryId = 0;
    uint32_t startAddress = 0;
    uint32_t endAddress = 0;
    uint32_t sizeInUnits = 0;
    uint32_t pageSize = 0; // valid only when words is 8
    uint32_t sectorSize = 0; // valid only when words is 8
    uint32_t blockSize = 0; // valid only when words is 8
    uint32_t unitSize() const { return 1u << (unitSizeLog2 % 32); }
    uint64_t sizeInBytes() const { return uint64_t(sizeInUnits) * unitSize(); }
    static MemoryAttribute decode(const uint8_t* data, size_t length);
};

// Wire size of the record of an RTE id, 0 for ids without one.
size_t rteRecordSize(uint32_t rteId);

// Registers the RTE records under their qualified names ("RomCmd::RomParamInfo", ...).
void registerRomMetaTypes();

} // namespace RomCmd

Q_DECLARE_METATYPE(RomCmd::RomParamInfo)
Q_DECLARE_METATYPE(RomCmd::SerialInfParam)
Q_DECLARE_METATYPE(RomCmd::CmdStatusInfo)
Q_DECLARE_METATYPE(RomCmd::BootStatusInfo)
Q_DECLARE_METATYPE(RomCmd::MemoryAttribute)
