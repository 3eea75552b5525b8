#include "otpreadplan.h"

#include "ids.h"
#include "otphex.h"

#include <QCoreApplication>
#include <QDebug>

DownloadCommand OtpReadPlan::queryCommand(const QString& otpMemoryId)
{
    DownloadCommand cmd;
    cmd.id = Ids::newId();
    cmd.nameId = 1;
    cmd.params.insert(QLatin1String(ParamKey::Memory), otpMemoryId);
    return cmd;
}

DownloadCommand OtpReadPlan::readCommand(const QString& otpMemoryId, quint32 word)
{
    DownloadCommand cmd;
    cmd.id = Ids::newId();
    cmd.nameId = 5;
    cmd.params.insert(QLatin1String(ParamKey::MemoryId), otpMemoryId);
    cmd.params.insert(QLatin1String(ParamKey::Address), OtpHex::hex8(word));
    cmd.params.insert(QLatin1String(ParamKey::Length), QString::number(ChunkBytes));
    cmd.params.insert(QLatin1String(ParamKey::ShowReadMemoryLog), QStringLiteral("false"));
    return cmd;
}

void OtpReadPlan::reset()
{
    *this = OtpReadPlan();
}

bool OtpReadPlan::setRegion(
    quint32 start, quint32 end, quint32 unitSize, quint32 memorySize, int fuseWordCount, OtpLogLines& logs)
{
    qInfo().noquote() << QStringLiteral("startAddress: %1 endAddress: %2 unitSize: %3 memorySize: %4")
                             .arg(start)
                             .arg(end)
                             .arg(unitSize)
                             .arg(memorySize);
    m_start = start;
    m_end = end;
    m_unitSize = unitSize;
    m_memorySize = memorySize;
    m_words.clear();
    if (qint64(end) - qint64(start) + 1 != qint64(memorySize)) {
        logs.append({ QCoreApplication::translate("DevelopViews::OTPTab", "MemorySize is not match with the address!"),
            LogError });
        return false;
    }
    if (qint64(memorySize) != qint64(fuseWordCount)) {
        logs.append({ QCoreApplication::translate("DevelopViews::OTPTab", "MemorySize is not match with the soc info!"),
            LogError });
        return false;
    }
    m_words.fill(OtpReadWord(), int(memorySize));
    return true;
}

bool OtpReadPlan::takeChunk(quint32 address, const QVector<uint8_t>& data, OtpLogLines& logs)
{
    if (data.size() != ChunkBytes) {
        logs.append({ QCoreApplication::translate(
                          "DevelopViews::OTPTab", "The length of obtained data is not match with the word length!"),
            LogError });
        return false;
    }
    // A device that answers for another address must not write outside the table.
    if (address < m_start || qint64(address) - m_start + GroupWords > m_words.size()) {
        logs.append({ QCoreApplication::translate(
                          "DevelopViews::OTPTab", "The address of obtained data is out of the OTP range! Address: ")
                + OtpHex::hex8(address),
            LogError });
        return false;
    }
    for (int i = 0; i < ChunkBytes; i += 4) {
        OtpReadWord& w = m_words[int(address - m_start) + i / 4];
        w.value
            = quint32(data[i]) | quint32(data[i + 1]) << 8 | quint32(data[i + 2]) << 16 | quint32(data[i + 3]) << 24;
        w.valid = true;
    }
    if (address == m_start) {
        const quint32 first = m_words.first().value;
        m_firstWordBits = QStringLiteral("%1").arg(first, 32, 2, QLatin1Char('0'));
        logs.append({ QCoreApplication::translate("DevelopViews::OTPTab", "OTP first word[0-31]: ")
                + OtpText::bitsFromLsb(first),
            LogDebug });
    }
    return true;
}

bool OtpReadPlan::isGroupLocked(quint32 word) const
{
    const quint32 bit = word / GroupWords;
    return bit < 32 && m_firstWordBits.size() == 32 && m_firstWordBits.at(int(31 - bit)) == QLatin1Char('1');
}

bool OtpReadPlan::nextGroup(quint32 address, const QVector<FuseWordInfo>& fuseMap, quint32& next)
{
    // Groups up to the region's last word (the region need not begin at word 0).
    for (qint64 g = qint64(address) + GroupWords; g - m_start < m_memorySize && g >= m_start; g += GroupWords) {
        const FuseWordInfo* fuse = OtpText::fuseWord(fuseMap, quint32(g));
        if (fuse && fuse->type == EFuseWordSecret && isGroupLocked(quint32(g))) {
            for (qint64 i = g - m_start; i < g - m_start + GroupWords && i < m_words.size(); ++i)
                m_words[int(i)].valid = false;
            continue;
        }
        next = quint32(g);
        return true;
    }
    return false;
}

namespace OtpText {

QString wordCell(const OtpReadWord& word)
{
    return word.valid ? OtpHex::hex8(word.value) : QStringLiteral("--");
}

QString bitsFromLsb(quint32 value)
{
    QString out;
    out.reserve(40);
    for (int b = 0; b < 32; ++b) {
        out.append((value >> b) & 1u ? QLatin1Char('1') : QLatin1Char('0'));
        if (b % 4 == 3)
            out.append(QLatin1Char(' '));
    }
    return out;
}

const FuseWordInfo* fuseWord(const QVector<FuseWordInfo>& fuseMap, quint32 index)
{
    // The catalogue lists words in index order; look there first.
    if (index < quint32(fuseMap.size()) && fuseMap.at(int(index)).index == qint32(index))
        return &fuseMap.at(int(index));
    for (const FuseWordInfo& w : fuseMap)
        if (w.index >= 0 && quint32(w.index) == index)
            return &w;
    return nullptr;
}

QString wordTooltip(quint32 index, const OtpReadWord& word, const FuseWordInfo& fuse)
{
    QString hex = QStringLiteral("--");
    QString binary = QStringLiteral("--");
    if (word.valid) {
        hex = QStringLiteral("%1").arg(word.value, 8, 16, QLatin1Char('0'));
        const QString digits = QStringLiteral("%1").arg(word.value, 32, 2, QLatin1Char('0'));
        binary.clear();
        for (int i = 0; i < 32; i += 4)
            binary += QLatin1Char(' ') + digits.mid(i, 4);
    }
    QString text = QStringLiteral("<div>Word Index: <font color=\"#ffffff\">%1</font></div>"
                                  "<div>Hex: <font color=\"#ffffff\">0x%2</font></div>"
                                  "<div style='white-space:pre'>Binary: <font color=\"#ffffff\">%3</font></div>")
                       .arg(QString::number(index), hex, binary);
    if (fuse.fields.isEmpty())
        return text;
    const QString style = QStringLiteral("style='text-align:left; padding-right:10px;'");
    QString rows;
    for (const FuseFieldInfo& f : fuse.fields) {
        QString value = QStringLiteral("--");
        if (word.valid) {
            bool ok = false;
            const uint offset = f.offset.split(QLatin1Char(',')).first().trimmed().toUInt(&ok);
            const quint64 bits = ok && offset < 32 ? quint64(word.value) >> offset : 0;
            const quint32 width = qMin<quint32>(f.width, 64);
            const quint64 mask = width >= 64 ? ~0ull : (1ull << width) - 1;
            value = QStringLiteral("(%1)").arg(bits & mask, int(width), 2, QLatin1Char('0'));
        }
        rows += QStringLiteral("<tr><td %5>%1</td><td %5>%2</td><td %5>%3</td><td %5>%4</td></tr>\n")
                    .arg(f.name.toHtmlEscaped(), f.offset.toHtmlEscaped(), QString::number(f.width), value, style);
    }
    text += QStringLiteral("<table style='white-space:pre;color:white;'><tr><th %2>Field</th><th %2>Offset</th>"
                           "<th %2>Width</th><th %2>Value</th></tr>%1</table>")
                .arg(rows, style);
    return text;
}

} // namespace OtpText
