#include "bootimagechecker.h"

#include <QFile>

#include "hex.h"

namespace {

using Hex::hex8;

bool readWord(QIODevice& file, quint32& word)
{
    unsigned char b[4];
    if (file.read(reinterpret_cast<char*>(b), 4) != 4)
        return false;
    word = quint32(b[0]) | quint32(b[1]) << 8 | quint32(b[2]) << 16 | quint32(b[3]) << 24;
    return true;
}

// A memory base address; 0 when it is not a number.
quint64 baseAddress(const QString& text)
{
    return Hex::parse64(text).value_or(0);
}

void addLog(BootImageReport& report, const QString& text, LogLevel level)
{
    report.logs.append({ text, level });
}

} // namespace

QString BootImageChecker::wordText(quint32 word)
{
    return QStringLiteral("0x") + hex8(word);
}

int BootImageChecker::optionWordCount(quint32 header)
{
    // The header's two low bytes are written in decimal, one after the other,
    // and the digits read back as a hexadecimal number.
    const quint32 b0 = header & 0xFF;
    const quint32 b1 = (header >> 8) & 0xFF;
    const QString text = QString::number(b1) + QString::number(b0);
    bool ok = false;
    const uint n = text.toUInt(&ok, 16);
    if (!ok)
        return 0;
    return int(qMin<uint>(n, 3));
}

bool BootImageChecker::inspectOffset(QIODevice& file, quint32 offset, BootImageReport& report)
{
    if (qint64(offset) >= file.size())
        return true;
    if (!file.seek(offset)) {
        addLog(report, QStringLiteral("Seek file error! Error: %1").arg(-1), LogDebug);
        return false;
    }
    const QString readError = QStringLiteral("Read address length error! Address offset: ") + hex8(offset);
    quint32 header = 0;
    if (!readWord(file, header)) {
        addLog(report, readError, LogDebug);
        return false;
    }
    const quint32 b0 = header & 0xFF, b1 = (header >> 8) & 0xFF;
    const quint32 b2 = (header >> 16) & 0xFF, b3 = header >> 24;

    if (offset <= LastFlashConfigOffset && b3 == 0xFC && b2 == 0xF9) {
        report.flashConfigOffset = offset;
        const int n = optionWordCount(header);
        addLog(report,
            QStringLiteral("Has detected XIP Flash configuration! address: 0x%1 word number: %2")
                .arg(hex8(offset))
                .arg(n),
            LogInfo);
        QStringList words { wordText(header) };
        for (int i = 0; i < n; ++i) {
            quint32 word = 0;
            if (!readWord(file, word)) {
                addLog(report, readError, LogDebug);
                return false;
            }
            words.append(wordText(word));
        }
        while (words.size() < 4)
            words.append(wordText(0));
        addLog(report,
            QStringLiteral("Detect flash configuration: ") + words.join(QLatin1Char(','))
                + QStringLiteral(". The configuration will be replaced by this!"),
            LogInfo);
        report.flashWords = words;
        return true;
    }
    if (b0 == 0xBF && b1 == 0x10) {
        report.bootHeaderOffset = offset;
        addLog(report, QStringLiteral("Has detected Boot Header! address: 0x") + hex8(offset), LogInfo);
    }
    return true;
}

BootImageReport BootImageChecker::check(const QString& path, const MemoryItemInfo& memory, bool updateAddress)
{
    // Each check starts from no detections, so a file rewritten under the same
    // path is never judged by what an earlier version held.
    BootImageReport report;
    if (path.isEmpty())
        return report;
    addLog(report, QStringLiteral("Check boot image whether it is valid: ") + path, LogDebug);

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        addLog(report, QStringLiteral("Open file failed: ") + path, LogDebug);
        return report;
    }
    inspect(file, memory, updateAddress, report);
    return report;
}

void BootImageChecker::inspect(QIODevice& file, const MemoryItemInfo& memory, bool updateAddress, BootImageReport& report)
{
    for (quint32 offset : Offsets) {
        if (!inspectOffset(file, offset, report))
            return;
    }

    const QString head = QStringLiteral("Check boot image finished! ");
    const bool setAddress = updateAddress && memory.kind == EMemoryKindFlash;
    const quint64 base = baseAddress(memory.address);
    auto addressText = [](quint64 v) { return QStringLiteral("0x") + hex8(v); };

    if (report.flashConfigOffset && report.bootHeaderOffset) {
        addLog(report,
            QStringLiteral("%1 Flash config address: 0x%2. Boot Header address: 0x%3")
                .arg(head, hex8(*report.flashConfigOffset), hex8(*report.bootHeaderOffset)),
            LogInfo);
        report.result = true;
        if (setAddress)
            report.programAddress = addressText(*report.flashConfigOffset == 0 ? base + 0x400 : base);
    } else if (report.flashConfigOffset) {
        addLog(report,
            QStringLiteral("%1 Flash config address: 0x%2. Boot Header can not be located!")
                .arg(head, hex8(*report.flashConfigOffset)),
            LogError);
        report.result = false;
    } else if (report.bootHeaderOffset) {
        addLog(report,
            QStringLiteral("%1 Boot Header address: 0x%2. Flash config can not be located!")
                .arg(head, hex8(*report.bootHeaderOffset)),
            LogWarning);
        report.result = true;
        if (setAddress)
            report.programAddress = addressText(*report.bootHeaderOffset == 0 ? base + 0x1000 : base);
    } else {
        addLog(
            report, QStringLiteral("%1 Boot Header address and flash config can not be located!").arg(head), LogError);
        report.result = false;
        if (setAddress)
            report.programAddress = QString();
    }
}
