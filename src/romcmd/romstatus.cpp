#include "romstatus.h"

#include <QCoreApplication>
#include <QFile>
#include <QHash>
#include <QVector>

namespace RomCmd {

namespace {

uint32_t wordAt(const uint8_t* data, size_t length, size_t index)
{
    uint32_t v = 0;
    for (size_t b = 0; b < 4; ++b) {
        const size_t at = index * 4 + b;
        if (data && at < length)
            v |= uint32_t(data[at]) << (8 * b);
    }
    return v;
}

struct Capability
{
    uint32_t mask;
    QString text;
};

// Built on first use, translated then, read-only afterwards.
const QVector<Capability>& capabilityTable()
{
    static const QVector<Capability> table = [] {
        static const struct
        {
            uint32_t mask;
            const char* text;
        } source[] = {
            { 0x00000001, QT_TRANSLATE_NOOP("RomCmd", "Support Primary Boot") },
            { 0x00000002, QT_TRANSLATE_NOOP("RomCmd", "Support Recovery Boot") },
            { 0x00000004, QT_TRANSLATE_NOOP("RomCmd", "Support Serial Boot") },
            { 0x00000008, QT_TRANSLATE_NOOP("RomCmd", "Support ISP Boot") },
            { 0x00000100, QT_TRANSLATE_NOOP("RomCmd", "Support Secure Boot") },
            { 0x00000200, QT_TRANSLATE_NOOP("RomCmd", "Support Encrypted Boot") },
            { 0x00000400, QT_TRANSLATE_NOOP("RomCmd", "Support Command Container") },
            { 0x00000800, QT_TRANSLATE_NOOP("RomCmd", "Support Device Configuration Block") },
            { 0x00010000, QT_TRANSLATE_NOOP("RomCmd", "Support ECDSA-P256") },
            { 0x00020000, QT_TRANSLATE_NOOP("RomCmd", "Support ECDSA-P384") },
            { 0x00040000, QT_TRANSLATE_NOOP("RomCmd", "Support ECDSA-P521") },
            { 0x00080000, QT_TRANSLATE_NOOP("RomCmd", "Support SM2") },
            { 0x01000000, QT_TRANSLATE_NOOP("RomCmd", "Support AES-CCM(128-bit key)") },
            { 0x02000000, QT_TRANSLATE_NOOP("RomCmd", "Support AES-CCM(256-bit key)") },
            { 0x04000000, QT_TRANSLATE_NOOP("RomCmd", "Support SM4-CCM") },
        };
        QVector<Capability> t;
        for (const auto& s : source)
            t.append({ s.mask, QCoreApplication::translate("RomCmd", s.text) });
        return t;
    }();
    return table;
}

} // namespace

QString romStatusText(uint32_t code)
{
    static const QHash<uint32_t, QString> table = {
        { 0, QStringLiteral("success") },
        { 1, QStringLiteral("failure") },
        { 2, QStringLiteral("invalid argument") },
        { 4, QStringLiteral("timeout") },
        { 1001000, QStringLiteral("unsupport memory command") },
        { 1001001, QStringLiteral("invalid memory range") },
        { 1001002, QStringLiteral("programming memory failed") },
        { 1001003, QStringLiteral("programming verify failed") },
        { 1001004, QStringLiteral("erasing memory failed") },
        { 1001005, QStringLiteral("erasing verify failed") },
        { 1001006, QStringLiteral("configuring memory failed") },
        { 1001007, QStringLiteral("reading memory failed") },
        { 1001008, QStringLiteral("reading memory is disallowed") },
        { 1001009, QStringLiteral("write memory before configuration") },
        { 1001010, QStringLiteral("memory start address in unaligned") },
        { 1001011, QStringLiteral("invalid memory id") },
        { 1002000, QStringLiteral("command is not supported") },
        { 1002001, QStringLiteral("command arguments are invalid") },
        { 1002002, QStringLiteral("attribute in run-time environment is read-only") },
    };
    return table.value(code, QStringLiteral("unknown error message"));
}

bool isBootModeStatus(uint32_t code)
{
    return (code != 0 && code < 4) || code == RomUnsupportedMemoryCommand || code == RomCommandNotSupported;
}

QString tagName(uint32_t tag)
{
    static const char* const names[] = { "query-rte", "config-rte", "configure-memory", "write-memory", "read-memory",
        "load-image", "erase", "reset", "gen-fwbob" };
    if (tag >= 1 && tag <= 9)
        return QString::fromLatin1(names[tag - 1]);
    return QStringLiteral("Unknown command");
}

QStringList capabilityTexts(uint32_t capabilities)
{
    QStringList lines;
    for (const Capability& c : capabilityTable()) {
        if (capabilities & c.mask)
            lines.append(c.text);
    }
    return lines;
}

QString formatByteSize(uint64_t size)
{
    constexpr uint64_t KiB = 1024, MiB = KiB * 1024, GiB = MiB * 1024;
    const auto scaled = [size](uint64_t unit, const char* name) {
        if (size % unit == 0)
            return QStringLiteral("%1 %2").arg(size / unit).arg(QLatin1String(name));
        return QStringLiteral("%1 %2").arg(double(size) / double(unit), 0, 'f', 2).arg(QLatin1String(name));
    };
    if (size < KiB)
        return QStringLiteral("%1 bytes").arg(size);
    if (size < MiB)
        return scaled(KiB, "Kbytes");
    if (size < GiB)
        return scaled(MiB, "Mbytes");
    return scaled(GiB, "Gbytes");
}

uint64_t fileSize(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const qint64 size = f.size();
    return size > 0 ? uint64_t(size) : 0;
}

QString versionText(uint32_t version)
{
    return QStringLiteral("%1%2.%3.%4")
        .arg(QChar(char16_t(version >> 24)))
        .arg((version >> 16) & 0xFF)
        .arg((version >> 8) & 0xFF)
        .arg(version & 0xFF);
}

QString lifecycleText(uint8_t lifecycle)
{
    return QStringLiteral("%1").arg(uint(lifecycle), 2, 16, QLatin1Char('0'));
}

RomParamInfo RomParamInfo::decode(const uint8_t* data, size_t length)
{
    RomParamInfo r;
    r.romVersion = wordAt(data, length, 0);
    r.socRevision = wordAt(data, length, 1);
    r.lifecycle = uint8_t(wordAt(data, length, 2) & 0xFF);
    r.capabilities = wordAt(data, length, 3);
    return r;
}

SerialInfParam SerialInfParam::decode(const uint8_t* data, size_t length)
{
    SerialInfParam r;
    r.words = uint8_t(wordAt(data, length, 0) & 0xFF);
    r.periphMask = wordAt(data, length, 1);
    r.speed = wordAt(data, length, 2);
    for (size_t i = 0; i < 3; ++i)
        r.reserved[i] = wordAt(data, length, 3 + i);
    return r;
}

CmdStatusInfo CmdStatusInfo::decode(const uint8_t* data, size_t length)
{
    CmdStatusInfo r;
    r.tag = uint8_t(wordAt(data, length, 0) & 0xFF);
    r.status = wordAt(data, length, 1);
    for (size_t i = 0; i < 4; ++i)
        r.reserved[i] = wordAt(data, length, 2 + i);
    return r;
}

BootStatusInfo BootStatusInfo::decode(const uint8_t* data, size_t length)
{
    BootStatusInfo r;
    r.bootMode = uint8_t(wordAt(data, length, 0) & 0xFF);
    r.bootDevice = wordAt(data, length, 1);
    r.bootStatus = wordAt(data, length, 2);
    return r;
}

MemoryAttribute MemoryAttribute::decode(const uint8_t* data, size_t length)
{
    MemoryAttribute r;
    const uint32_t w0 = wordAt(data, length, 0);
    r.words = uint8_t(w0 & 0xFF);
    r.unitSizeLog2 = uint8_t((w0 >> 8) & 0xFF);
    r.memoryId = wordAt(data, length, 1);
    r.startAddress = wordAt(data, length, 2);
    r.endAddress = wordAt(data, length, 3);
    r.sizeInUnits = wordAt(data, length, 4);
    r.pageSize = wordAt(data, length, 5);
    r.sectorSize = wordAt(data, length, 6);
    r.blockSize = wordAt(data, length, 7);
    return r;
}

size_t rteRecordSize(uint32_t rteId)
{
    static const size_t sizes[] = { 16, 24, 24, 12, 32 };
    return rteId < 5 ? sizes[rteId] : 0;
}

void registerRomMetaTypes()
{
    qRegisterMetaType<RomParamInfo>("RomCmd::RomParamInfo");
    qRegisterMetaType<SerialInfParam>("RomCmd::SerialInfParam");
    qRegisterMetaType<CmdStatusInfo>("RomCmd::CmdStatusInfo");
    qRegisterMetaType<BootStatusInfo>("RomCmd::BootStatusInfo");
    qRegisterMetaType<MemoryAttribute>("RomCmd::MemoryAttribute");
}

} // namespace RomCmd
