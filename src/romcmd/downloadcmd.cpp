#include "downloadcmd.h"

#include "constants.h"
#include "globalsetting.h"
#include "hex.h"
#include "iostatus.h"
#include "socdatabase.h"

#include <QDebug>
#include <QStringList>

namespace RomCmd {

namespace {

constexpr int DefaultBaudRate = 115200;
constexpr uint32_t UartPeripheral = 0x1;
constexpr uint32_t UsbHidPeripheral = 0x10;
constexpr uint64_t EraseMsPerMiB = 10000;

enum CommandId {
    CmdQueryRte = 1,
    CmdConfigRte = 2,
    CmdConfigMemory = 3,
    CmdWriteMemory = 4,
    CmdReadMemory = 5,
    CmdLoadImage = 6,
    CmdEraseRegion = 7,
    CmdEraseChip = 8,
    CmdReset = 9
};

QString hex8(uint32_t value)
{
    return QStringLiteral("0x") + Hex::hex8(value);
}

// The tool's one hexadecimal rule (hex.h); false and 0 when the text is not a number.
bool parseHex(const QString& text, uint32_t* value)
{
    const std::optional<quint32> v = Hex::parse32(text);
    *value = v.value_or(0);
    return v.has_value();
}

uint32_t hexValue(const QString& text)
{
    return Hex::parse32(text).value_or(0);
}

uint32_t decValue(const QString& text)
{
    bool ok = false;
    const uint v = text.trimmed().toUInt(&ok, 10);
    return ok ? v : 0;
}

QString param(const DownloadCommand& cmd, const char* key)
{
    return cmd.params.value(QLatin1String(key));
}

bool hasParam(const DownloadCommand& cmd, const char* key)
{
    return cmd.params.contains(QLatin1String(key));
}

} // namespace

DownloadCmd::DownloadCmd(QVariant info, EDeviceType type, QObject* parent)
    : QObject(parent)
    , info(info)
    , type(type)
{
    if (type == EDeviceTypeUart)
        id = recordFromVariant<SerialPortInfo>(info).portName;
    else if (type == EDeviceTypeUsbHid)
        id = recordFromVariant<UsbInfo>(info).devicePath;
    taskInfo.deviceType = type;
}

DownloadCmd::~DownloadCmd()
{
    setRomCmd(nullptr);
}

void DownloadCmd::setRomCmd(RomCmd* cmd)
{
    RomCmd* old = romCmd;
    romCmd = cmd;
    if (old) {
        disconnect(old, nullptr, this, nullptr);
        delete old; // closes the device
    }
}

bool DownloadCmd::configRteOnTemporary(const QVariant& record, int baud)
{
    RomCmd temporary(record, EDeviceTypeUart);
    const uint32_t words[3] = { 3, UartPeripheral, uint32_t(baud) };
    const int status = temporary.configRte(words, sizeof(words));
    if (status != IoOk) {
        qCritical().noquote() << QStringLiteral(
            "Id: %1\r\nConfigRTE failed! peripheral: %2 baudRate: %3 status: %4 message: %5")
                                     .arg(id)
                                     .arg(UartPeripheral)
                                     .arg(baud)
                                     .arg(status)
                                     .arg(ioStatusText(status));
        return false;
    }
    return true;
}

bool DownloadCmd::beforeRunCmds()
{
    if (type == EDeviceTypeUart) {
        const SerialPortInfo port = recordFromVariant<SerialPortInfo>(info);
        if (port.baudRate != DefaultBaudRate) {
            // The ROM listens at 115200 until told otherwise.
            currentBaudRate = port.baudRate;
            SerialPortInfo atDefault = port;
            atDefault.baudRate = DefaultBaudRate;
            if (!configRteOnTemporary(QVariant::fromValue(atDefault), currentBaudRate)) {
                currentBaudRate = DefaultBaudRate;
                return false;
            }
        }
    }
    return openDevice();
}

bool DownloadCmd::openDevice()
{
    auto* cmd = new RomCmd(info, type);
    cmd->setTerminateToken(m_terminate);
    const int timeout = GlobalSetting::instance().cmdTimeout();
    if (timeout > 0)
        cmd->setCmdTimeout(uint32_t(timeout));
    // Direct: the read buffer lives only during the emission, and everything runs on this thread.
    connect(cmd, &RomCmd::signalRTEQueried, this, &DownloadCmd::slotRTEQueried, Qt::DirectConnection);
    connect(cmd, &RomCmd::signalMemoryReadProgress, this, &DownloadCmd::slotMemoryReadProgress, Qt::DirectConnection);
    connect(cmd, &RomCmd::signalMemory2FileReadProgress, this, &DownloadCmd::slotMemory2FileReadProgress,
        Qt::DirectConnection);
    connect(cmd, &RomCmd::signalMemoryWriteProgress, this, &DownloadCmd::slotMemoryWriteProgress, Qt::DirectConnection);
    connect(cmd, &RomCmd::signalFile2MemoryWriteProgress, this, &DownloadCmd::slotFile2MemoryWriteProgress,
        Qt::DirectConnection);
    connect(cmd, &RomCmd::signalImageLoadProgress, this, &DownloadCmd::slotImageLoadProgress, Qt::DirectConnection);
    connect(cmd, &RomCmd::callbackTerminate, this, &DownloadCmd::slotTerminateCallback, Qt::DirectConnection);
    setRomCmd(cmd);
    // The object stays even when the open failed, so each command names the failure.
    return cmd->io() && cmd->io()->status() != IoOpenFailed;
}

bool DownloadCmd::switchBaudRate(int baud)
{
    if (type != EDeviceTypeUart)
        return true;
    const SerialPortInfo port = recordFromVariant<SerialPortInfo>(info);
    if (baud == port.baudRate)
        return true;
    currentBaudRate = baud;
    if (!configRteOnTemporary(info, baud)) {
        currentBaudRate = port.baudRate;
        return false;
    }
    return true;
}

bool DownloadCmd::afterRunCmds()
{
    if (romCmd && currentBaudRate != DefaultBaudRate && !skipResetConfig) {
        qInfo().noquote() << QStringLiteral("Id: %1\r\nafterRunCmds reset config.").arg(id);
        DownloadCommand reset;
        reset.nameId = CmdConfigRte;
        reset.params.insert(QLatin1String(ParamKey::BaudRate), QString::number(DefaultBaudRate));
        if (!runCmd(reset))
            qCritical().noquote() << QStringLiteral("Id: %1\r\nReset config failed!").arg(id);
    }
    setRomCmd(nullptr);
    return true;
}

void DownloadCmd::updateShowProgress(const QList<DownloadCommand>& cmdList)
{
    isShowProgress = true;
    for (const DownloadCommand& cmd : cmdList) {
        if (cmd.nameId == CmdEraseRegion || cmd.nameId == CmdEraseChip)
            isShowProgress = false;
    }
}

bool DownloadCmd::runCmds(const QList<DownloadCommand>& cmdList)
{
    if (!romCmd)
        return false;
    taskInfo.cmdCount = cmdList.size();
    if (cmdList.isEmpty())
        return false;
    return runList(cmdList, 0, Constants::StatusFinish, true);
}

bool DownloadCmd::runList(const QList<DownloadCommand>& cmdList, int offset, int lastStatus, bool keepStop)
{
    for (int i = 0; i < cmdList.size(); ++i) {
        const DownloadCommand& cmd = cmdList.at(i);
        taskInfo.cmdIndex = i + 1 + offset;
        taskInfo.cmdType = cmd.nameId;
        taskInfo.progress = 0;
        taskInfo.total = 0;
        if (m_terminate->load()) {
            // A stop that arrived during a command without data chunks: issue nothing more.
            taskInfo.status = keepStop ? Constants::StatusStop : Constants::StatusFailed;
            emitUpdate();
            return false;
        }
        taskInfo.status = Constants::StatusRunCommand;
        emitUpdate();
        if (!runCmd(cmd)) {
            if (!keepStop || taskInfo.status != Constants::StatusStop) {
                taskInfo.status = Constants::StatusFailed;
                emitUpdate();
            }
            return false;
        }
        if (i == cmdList.size() - 1)
            taskInfo.status = lastStatus;
        taskInfo.progress = 100;
        taskInfo.total = 100;
        emitUpdate();
    }
    return true;
}

bool DownloadCmd::runCmd(const DownloadCommand& cmd)
{
    if (!romCmd)
        return false;
    switch (cmd.nameId) {
    case CmdQueryRte: return runQueryRte(cmd);
    case CmdConfigRte: return runConfigRte(cmd);
    case CmdConfigMemory: return runConfigMemory(cmd);
    case CmdWriteMemory: return runWriteMemory(cmd);
    case CmdReadMemory: return runReadMemory(cmd);
    case CmdLoadImage: return runLoadImage(cmd);
    case CmdEraseRegion: return runErase(cmd, false);
    case CmdEraseChip: return runErase(cmd, true);
    case CmdReset: return runReset(cmd);
    default:
        addLog(tr("Command is not supported: %1! DeviceId: %2").arg(Constants::commandName(cmd.nameId), id), LogError);
        return false;
    }
}

void DownloadCmd::failed(const QString& message, int status)
{
    addLog(message, LogError);
    if (status > IoOk && status < IoTimeout)
        addLog(tr("Please check whether the boot mode is correct!"), LogError);
}

bool DownloadCmd::lackParameter(const DownloadCommand& cmd, const char* key, const QString& message)
{
    if (hasParam(cmd, key))
        return false;
    addLog(message, LogError);
    return true;
}

bool DownloadCmd::runQueryRte(const DownloadCommand& cmd)
{
    const QString memory = param(cmd, ParamKey::Memory);
    const uint32_t rteId = memory.isEmpty() ? 0 : 4;
    const uint32_t arg = memory.isEmpty() ? 0 : hexValue(memory);
    const int status = romCmd->queryRte(rteId, arg);
    if (status != IoOk) {
        failed(tr("QueryRTE failed! deviceId: %1 rteId: %2 arg: %3 status: %4")
                   .arg(id)
                   .arg(rteId)
                   .arg(hex8(arg), ioStatusText(status)),
            status);
        return false;
    }
    return true;
}

bool DownloadCmd::runConfigRte(const DownloadCommand& cmd)
{
    if (lackParameter(cmd, ParamKey::BaudRate, tr("Lack Parameter: baudRate! DeviceId: %1").arg(id)))
        return false;
    const uint32_t baud = decValue(param(cmd, ParamKey::BaudRate));
    const uint32_t words[3] = { 3, UartPeripheral, baud };
    const int status = romCmd->configRte(words, sizeof(words));
    if (status != IoOk) {
        failed(tr("ConfigRTE failed! peripheral: 0x1 baudRate: %1 status: %2").arg(baud).arg(ioStatusText(status)),
            status);
        return false;
    }
    return true;
}

bool DownloadCmd::runConfigMemory(const DownloadCommand& cmd)
{
    if (lackParameter(cmd, ParamKey::MemoryId, tr("Lack Parameter: memory! DeviceId: %1").arg(id))
        || lackParameter(cmd, ParamKey::Address, tr("Lack Parameter: address! DeviceId: %1").arg(id)))
        return false;
    const uint32_t memoryId = hexValue(param(cmd, ParamKey::MemoryId));
    const uint32_t address = hexValue(param(cmd, ParamKey::Address));
    const int status = romCmd->configMemory(memoryId, address);
    if (status != IoOk) {
        failed(tr("Config Memory failed!\r\n deviceId: %1 memoryId: %2 address: %3 status: %4")
                   .arg(id, hex8(memoryId), hex8(address), ioStatusText(status)),
            status);
        return false;
    }
    return true;
}

bool DownloadCmd::runWriteMemory(const DownloadCommand& cmd)
{
    QString line;
    for (auto it = cmd.params.constBegin(); it != cmd.params.constEnd(); ++it)
        line += it.key() + QLatin1Char(':') + it.value() + QLatin1String("; ");
    qInfo().noquote() << QStringLiteral("Id: %1\r\n").arg(id) + line;

    if (lackParameter(cmd, ParamKey::MemoryId, tr("Lack Parameter: memory id! DeviceId: %1").arg(id))
        || lackParameter(cmd, ParamKey::Address, tr("Lack Parameter: address! DeviceId: %1").arg(id)))
        return false;
    if (!hasParam(cmd, ParamKey::Word) && !hasParam(cmd, ParamKey::ImagePath)) {
        addLog(tr("Lack Parameter: write content! DeviceId: %1").arg(id), LogError);
        return false;
    }
    const uint32_t memoryId = hexValue(param(cmd, ParamKey::MemoryId));
    const uint32_t address = hexValue(param(cmd, ParamKey::Address));

    if (hasParam(cmd, ParamKey::Word)) {
        const QStringList items = param(cmd, ParamKey::Word).split(QLatin1Char(','));
        if (items.size() > MaxWriteWords) {
            addLog(tr("Too many words to write! count: %1 maximum: %2 DeviceId: %3")
                       .arg(items.size())
                       .arg(MaxWriteWords)
                       .arg(id),
                LogError);
            return false;
        }
        uint8_t buffer[MaxWriteWords * 4];
        uint32_t length = 0;
        for (const QString& item : items) {
            uint32_t word = 0;
            if (!parseHex(item, &word)) {
                addLog(tr("Parameter is not a number! value: %1! DeviceId: %2").arg(item, id), LogError);
                return false;
            }
            for (int b = 0; b < 4; ++b)
                buffer[length++] = uint8_t(word >> (8 * b));
        }
        const int status = romCmd->writeMemory(memoryId, address, buffer, length);
        if (status != IoOk) {
            failed(tr("Write memory failed!\r\n deviceId: %1 memoryId: %2 address: %3 buffer: %4 status: %5")
                       .arg(id, hex8(memoryId), hex8(address), items.join(QLatin1Char(',')), ioStatusText(status)),
                status);
            return false;
        }
        return true;
    }

    const QString path = param(cmd, ParamKey::ImagePath);
    const int status = romCmd->writeMemoryByFile(memoryId, address, path);
    if (status != IoOk) {
        failed(tr("Write memory failed!\r\n deviceId: %1 memoryId: %2 address: %3 file path: %4 status: %5")
                   .arg(id, hex8(memoryId), hex8(address), path, ioStatusText(status)),
            status);
        return false;
    }
    return true;
}

bool DownloadCmd::runReadMemory(const DownloadCommand& cmd)
{
    if (lackParameter(cmd, ParamKey::MemoryId, tr("Lack Parameter: memoryId! DeviceId: %1").arg(id))
        || lackParameter(cmd, ParamKey::Address, tr("Lack Parameter: address! DeviceId: %1").arg(id))
        || lackParameter(cmd, ParamKey::Length, tr("Lack Parameter: length! DeviceId: %1").arg(id)))
        return false;
    const uint32_t memoryId = hexValue(param(cmd, ParamKey::MemoryId));
    const uint32_t address = hexValue(param(cmd, ParamKey::Address));
    const uint32_t length = decValue(param(cmd, ParamKey::Length));

    if (hasParam(cmd, ParamKey::Path)) {
        const QString path = param(cmd, ParamKey::Path);
        const int status = romCmd->readMemoryToFile(memoryId, address, length, path);
        if (status != IoOk) {
            failed(
                tr("Read Memory failed!\r\n deviceId: %1 memoryId: %2 address: %3 length: %4 filePath: %5 status: %6")
                    .arg(id, hex8(memoryId), hex8(address))
                    .arg(length)
                    .arg(path, ioStatusText(status)),
                status);
            return false;
        }
        return true;
    }

    const bool isShowLog = !hasParam(cmd, ParamKey::ShowReadMemoryLog)
        || param(cmd, ParamKey::ShowReadMemoryLog).compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
    const int status = romCmd->readMemory(memoryId, address, length, isShowLog);
    if (status != IoOk) {
        failed(tr("Read Memory failed!\r\n deviceId: %1 memoryId: %2 address: %3 length: %4 status: %5")
                   .arg(id, hex8(memoryId), hex8(address))
                   .arg(length)
                   .arg(ioStatusText(status)),
            status);
        return false;
    }
    return true;
}

bool DownloadCmd::runLoadImage(const DownloadCommand& cmd)
{
    if (lackParameter(cmd, ParamKey::ImagePath, tr("Lack Parameter: image path! DeviceId: %1").arg(id)))
        return false;
    const QString path = param(cmd, ParamKey::ImagePath);
    const int status = romCmd->loadImage(path);
    if (status != IoOk) {
        failed(tr("Load image failed!\r\n deviceId: %1 file path: %2 status: %3").arg(id, path, ioStatusText(status)),
            status);
        return false;
    }
    return true;
}

void DownloadCmd::queryFlashSize(const QString& memoryId)
{
    flashSizeMB = 0;
    DownloadCommand query;
    query.nameId = CmdQueryRte;
    query.params.insert(QLatin1String(ParamKey::Memory), memoryId);
    runQueryRte(query); // a failed query leaves the size 0 and the transport's own time-out
    qInfo().noquote() << QStringLiteral("Id: %1\r\ncurrent flash size: %2Mbytes").arg(id).arg(flashSizeMB);
}

bool DownloadCmd::runErase(const DownloadCommand& cmd, bool wholeChip)
{
    if (lackParameter(cmd, ParamKey::MemoryId, tr("Lack Parameter: memoryId! DeviceId: %1").arg(id)))
        return false;
    if (!wholeChip
        && (lackParameter(cmd, ParamKey::Address, tr("Lack Parameter: address! DeviceId: %1").arg(id))
            || lackParameter(cmd, ParamKey::Length, tr("Lack Parameter: length! DeviceId: %1").arg(id))))
        return false;
    const QString memoryText = param(cmd, ParamKey::MemoryId);
    const uint32_t memoryId = hexValue(memoryText);
    queryFlashSize(memoryText);
    const uint64_t timeout = flashSizeMB * EraseMsPerMiB;

    if (wholeChip) {
        const int status = romCmd->eraseAll(memoryId, timeout);
        if (status != IoOk) {
            failed(tr("Erase all failed!\r\n deviceId: %1 memoryId: %2 status: %3")
                       .arg(id, hex8(memoryId), ioStatusText(status)),
                status);
            return false;
        }
        return true;
    }
    const uint32_t address = hexValue(param(cmd, ParamKey::Address));
    const uint32_t length = decValue(param(cmd, ParamKey::Length));
    const int status = romCmd->eraseMemory(memoryId, address, length, timeout);
    if (status != IoOk) {
        failed(tr("Erase region failed!\r\n deviceId: %1 memoryId: %2 address: %3 length: %4 status: %5")
                   .arg(id, hex8(memoryId), hex8(address))
                   .arg(length)
                   .arg(ioStatusText(status)),
            status);
        return false;
    }
    return true;
}

bool DownloadCmd::runReset(const DownloadCommand& cmd)
{
    if (lackParameter(cmd, ParamKey::Type, tr("Lack Parameter: reset type! DeviceId: %1").arg(id)))
        return false;
    const uint32_t resetType = decValue(param(cmd, ParamKey::Type));
    const int status = romCmd->reset(resetType);
    if (status != IoOk) {
        failed(tr("Reset failed!\r\n deviceId: %1 resetType: %2 status: %3")
                   .arg(id)
                   .arg(resetType)
                   .arg(ioStatusText(status)),
            status);
        return false;
    }
    return true;
}

bool DownloadCmd::checkCmds(const QList<DownloadCommand>& cmdList)
{
    // A copy: the GUI thread may ask for the current SoC at the same time.
    const SocInfo soc = SocDatabase::instance().currentSoc();
    if (otpMemoryId.isEmpty()) {
        for (const MemoryViewItemInfo& memory : soc.memoryView) {
            if (memory.name == QLatin1String("OTP")) {
                otpMemoryId = memory.value;
                break;
            }
        }
    }
    uint32_t otpId = 0;
    if (otpMemoryId.isEmpty() || !parseHex(otpMemoryId, &otpId))
        return true;

    // Ids compare as numbers, so "0x00020000" is caught as well as "0x20000".
    QList<DownloadCommand> accesses;
    for (const DownloadCommand& cmd : cmdList) {
        if (cmd.nameId != CmdReadMemory && cmd.nameId != CmdWriteMemory)
            continue;
        uint32_t memoryId = 0;
        if (hasParam(cmd, ParamKey::MemoryId) && parseHex(param(cmd, ParamKey::MemoryId), &memoryId)
            && memoryId == otpId)
            accesses.append(cmd);
    }
    if (accesses.isEmpty())
        return true;

    if (otpFirstWordStr.isEmpty()) {
        DownloadCommand read;
        read.nameId = CmdReadMemory;
        read.params.insert(QLatin1String(ParamKey::MemoryId), otpMemoryId);
        read.params.insert(QLatin1String(ParamKey::Address), QStringLiteral("0x00000000"));
        read.params.insert(QLatin1String(ParamKey::Length), QStringLiteral("4"));
        read.params.insert(QLatin1String(ParamKey::ShowReadMemoryLog), QStringLiteral("false"));
        runCmd(read); // slotMemoryReadProgress keeps the word
    }

    const uint64_t fuseWords = uint64_t(soc.fuseMap.size());
    for (const DownloadCommand& cmd : accesses) {
        // OTP addresses and the lock bits count 32-bit words; a read's length counts bytes.
        const uint64_t start = hexValue(param(cmd, ParamKey::Address));
        uint64_t count = 1;
        if (cmd.nameId == CmdReadMemory)
            count = (uint64_t(decValue(param(cmd, ParamKey::Length))) + 3) / 4;
        else if (hasParam(cmd, ParamKey::Word))
            count = uint64_t(param(cmd, ParamKey::Word).split(QLatin1Char(',')).size());
        const uint64_t end = start + count;
        if (end > fuseWords) {
            addLog(tr("The address and length exceed OTP word length! address: %1 length: %2").arg(start).arg(count),
                LogError);
            taskInfo.status = Constants::StatusOtpOutOfRange;
            taskInfo.cmdType = CmdReadMemory;
            return false;
        }
        for (uint64_t i = start; i < end; ++i) {
            const uint64_t bit = i / 4;
            if (bit >= 32 || bit >= uint64_t(otpFirstWordStr.size()))
                continue; // only word 0's 32 bits lock anything
            if (otpFirstWordStr.at(otpFirstWordStr.size() - 1 - int(bit)) == QLatin1Char('1')) {
                addLog(
                    tr("OTP word is locked and cannot be read or wrote! word index: ") + QString::number(i), LogError);
                taskInfo.status = Constants::StatusOtpLocked;
                taskInfo.cmdType = CmdReadMemory;
                return false;
            }
        }
    }
    return true;
}

void DownloadCmd::slotTerminate()
{
    m_terminate->store(true);
}

void DownloadCmd::slotRTEQueried(int rteId, QVariant variant)
{
    QString report = QStringLiteral("DeviceId: %1\r\n").arg(id);
    switch (rteId) {
    case 0: {
        const RomParamInfo p = variant.value<RomParamInfo>();
        stage = p.lifecycle < 8 ? EStageOpen : EStageClose;
        const QString romVersion = versionText(p.romVersion);
        const QString socRevision = versionText(p.socRevision);
        report += QStringLiteral("ROM Version: %1\r\nSoC Revision: %2\r\nSoC LifeCycle: %3\r\n")
                      .arg(romVersion, socRevision, lifecycleText(p.lifecycle));
        for (const QString& line : capabilityTexts(p.capabilities))
            report += line + QLatin1String("\r\n");
        stepResultInfoMap = QVariantMap();
        stepResultInfoMap.insert(QStringLiteral("romVersion"), romVersion);
        stepResultInfoMap.insert(QStringLiteral("socRevision"), socRevision);
        stepResultInfoMap.insert(QStringLiteral("lifecycle"), QVariant::fromValue<uchar>(p.lifecycle));
        break;
    }
    case 1: {
        const SerialInfParam p = variant.value<SerialInfParam>();
        if (p.periphMask == UartPeripheral)
            report += QStringLiteral("Active peripheral: UART\r\nBaud Rate: %1").arg(p.speed);
        else if (p.periphMask == UsbHidPeripheral)
            report += QStringLiteral("Active peripheral: USB-HID");
        break;
    }
    case 2: {
        const CmdStatusInfo p = variant.value<CmdStatusInfo>();
        report += QStringLiteral(
            "Last Command Status Info\r\n----------------------------\r\nLast Command: %1\r\nLast Command Status: %2")
                      .arg(tagName(p.tag))
                      .arg(p.status);
        break;
    }
    case 3: {
        const BootStatusInfo p = variant.value<BootStatusInfo>();
        report += QStringLiteral("Last Boot Status Info\r\n----------------------------\r\nboot mode: %1\r\nboot "
                                 "device: %2\r\nboot status: %3")
                      .arg(p.bootMode)
                      .arg(p.bootDevice)
                      .arg(p.bootStatus);
        break;
    }
    case 4: {
        const MemoryAttribute p = variant.value<MemoryAttribute>();
        report += QStringLiteral("Memory Property\r\n----------------------------\r\nMemory identifier: 0x%1\r\n"
                                 "Memory unit size: %2\r\nMemory start address: 0x%3\r\nMemory end address: 0x%4\r\n"
                                 "Memory Size: %5\r\nMemory words: %6")
                      .arg(p.memoryId, 8, 16, QLatin1Char('0'))
                      .arg(formatByteSize(p.unitSize()))
                      .arg(p.startAddress, 8, 16, QLatin1Char('0'))
                      .arg(p.endAddress, 8, 16, QLatin1Char('0'))
                      .arg(formatByteSize(p.sizeInBytes()))
                      .arg(p.words);
        if (p.words == 8) {
            report += QStringLiteral("\r\nPage Size: %1\r\nSector Size: %2\r\nBlock Size: %3")
                          .arg(formatByteSize(p.pageSize), formatByteSize(p.sectorSize), formatByteSize(p.blockSize));
        }
        flashSizeMB = p.sizeInBytes() / (1u << 20); // 64-bit: memories of 4 GiB and more
        addLog(report, LogDebug);
        emit signalOTPMemoryQueried(p.startAddress, p.endAddress, p.unitSize(), p.sizeInUnits);
        return;
    }
    default: break;
    }
    addLog(report, LogDebug);
}

void DownloadCmd::slotMemoryReadProgress(uint32_t memoryId, uint32_t address, const uint8_t* value, uint32_t length,
    uint32_t total, uint32_t progress, bool isShowLog)
{
    QVector<uint8_t> block(static_cast<int>(length));
    if (length > 0)
        std::copy(value, value + length, block.begin());

    for (int offset = 0; offset < block.size(); offset += 16) {
        QString line;
        const int end = qMin(offset + 16, block.size());
        for (int i = offset; i < end; ++i)
            line += QStringLiteral("%1 ").arg(block.at(i), 2, 16, QLatin1Char('0'));
        if (isShowLog)
            addLog(tr("Read memory: ") + line, LogDebug);
        else
            qInfo().noquote() << line;
    }

    uint32_t otpId = 0;
    if (!otpMemoryId.isEmpty() && parseHex(otpMemoryId, &otpId) && otpId == memoryId && address == 0 && length == 4) {
        const uint32_t word = uint32_t(block[3]) << 24 | uint32_t(block[2]) << 16 | uint32_t(block[1]) << 8 | block[0];
        otpFirstWordStr = QStringLiteral("%1").arg(word, 32, 2, QLatin1Char('0'));
        qInfo().noquote() << QStringLiteral("Id: %1\r\notpFirstWordStr: %2").arg(id, otpFirstWordStr);
    }

    emit signalMemoryDataReadFinished(address, block);
    taskInfo.progress = int(progress);
    taskInfo.total = int(total);
    emitUpdate();
}

void DownloadCmd::reportProgress(const QString& doneFormat, int total, int progress)
{
    if (progress == total)
        addLog(doneFormat.arg(id).arg(progress).arg(total), LogDebug);
    taskInfo.total = total;
    taskInfo.progress = progress;
    emitUpdate();
}

void DownloadCmd::slotMemory2FileReadProgress(int total, int progress)
{
    reportProgress(tr("Read Memory to File. DeviceId: %1 Progress: %2 Total: %3"), total, progress);
}

void DownloadCmd::slotMemoryWriteProgress(int total, int progress)
{
    reportProgress(tr("Write Memory. DeviceId: %1 Progress: %2 Total: %3"), total, progress);
}

void DownloadCmd::slotFile2MemoryWriteProgress(int total, int progress)
{
    reportProgress(tr("Write File to Memory. DeviceId: %1 Progress: %2 Total: %3"), total, progress);
}

void DownloadCmd::slotImageLoadProgress(int total, int progress)
{
    reportProgress(tr("Load Image. DeviceId: %1 Progress: %2 Total: %3"), total, progress);
}

void DownloadCmd::slotTerminateCallback()
{
    taskInfo.status = Constants::StatusStop;
    emitUpdate();
}

} // namespace RomCmd
