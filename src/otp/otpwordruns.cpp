#include "otpwordruns.h"

#include "ids.h"
#include "otphex.h"

#include <QMetaType>
#include <QStringList>

namespace OtpRuns {

QList<quint32> writeOrder(const OtpWordRuns& runs)
{
    QList<quint32> order;
    for (auto it = runs.cbegin(); it != runs.cend(); ++it)
        if (it.key() != 0)
            order.append(it.key());
    if (runs.contains(0))
        order.append(0);
    return order;
}

QList<DownloadCommand> writeCommands(const OtpWordRuns& runs, const QString& memoryId)
{
    QList<DownloadCommand> list;
    for (const quint32 start : writeOrder(runs)) {
        const QVector<quint32> values = runs.value(start);
        for (int k = 0; k < values.size(); ++k) {
            DownloadCommand cmd;
            cmd.id = Ids::newId();
            cmd.nameId = 4;
            cmd.params.insert(QLatin1String(ParamKey::MemoryId), memoryId);
            cmd.params.insert(QLatin1String(ParamKey::Address), OtpHex::hex8(start + quint32(k)));
            cmd.params.insert(QLatin1String(ParamKey::Word), OtpHex::hex8(values.at(k)));
            list.append(cmd);
        }
    }
    return list;
}

AddResult addRun(OtpWordRuns& runs, quint32 start, const QVector<quint32>& values)
{
    // An empty run is nothing to keep either.
    const bool deletion = values.isEmpty() || (values.size() == 1 && values.first() == 0);
    if (runs.contains(start)) {
        if (deletion) {
            runs.remove(start);
            return AddResult::Deleted;
        }
        runs.insert(start, values);
        return AddResult::Replaced;
    }
    if (deletion)
        return AddResult::Unchanged;
    runs.insert(start, values);
    return AddResult::Inserted;
}

bool parseRunMessage(const QString& text, quint32& start, QVector<quint32>& values)
{
    const QStringList parts = text.split(QLatin1Char(';'));
    if (parts.size() < 2 || !OtpHex::parseDec32(parts.at(0).trimmed(), start))
        return false;
    QVector<quint32> out;
    for (const QString& item : parts.at(1).split(QLatin1Char(','))) {
        quint32 v = 0;
        if (!OtpHex::parseHex32(item.trimmed(), v))
            return false;
        out.append(v);
    }
    values = out;
    return true;
}

bool insideOtp(quint32 start, int count, quint32 wordCount)
{
    return count > 0 && quint64(start) + quint64(count) <= wordCount;
}

bool enableMessageRun(
    const OtpWordRuns& runs, const QString& text, quint32 wordCount, quint32& word, QVector<quint32>& values)
{
    const QStringList parts = text.split(QLatin1Char(','));
    quint32 enable = 0, bit = 0;
    if (parts.size() != 4 || !OtpHex::parseDec32(parts.at(0).trimmed(), enable)
        || !OtpHex::parseDec32(parts.at(1).trimmed(), word) || !OtpHex::parseDec32(parts.at(2).trimmed(), bit)
        || word >= wordCount)
        return false;
    const quint32 mask = 1u << (bit % 32);
    if (runs.contains(word) && !runs.value(word).isEmpty()) {
        values = runs.value(word);
        values[0] = enable ? (values[0] | mask) : (values[0] & ~mask);
        return true;
    }
    if (!enable)
        return false;
    values = { mask };
    return true;
}

bool lockMessageRun(const OtpWordRuns& runs, const QString& text, QVector<quint32>& values)
{
    const QStringList parts = text.split(QLatin1Char(','));
    quint32 lock = 0, first = 0, count = 0;
    if (parts.size() != 3 || !OtpHex::parseDec32(parts.at(0).trimmed(), lock)
        || !OtpHex::parseDec32(parts.at(1).trimmed(), first) || !OtpHex::parseDec32(parts.at(2).trimmed(), count))
        return false;
    const quint64 groups = count / 4 + (count % 4 ? 1 : 0);
    quint32 mask = 0;
    // Word 0 has 32 lock bits; groups past them have none to set.
    for (quint64 b = first / 4; b < quint64(first / 4) + groups && b < 32; ++b)
        mask |= 1u << b;
    if (runs.contains(0) && !runs.value(0).isEmpty()) {
        values = runs.value(0);
        values[0] = lock ? (values[0] | mask) : (values[0] & ~mask);
        return true;
    }
    if (!lock)
        return false;
    values = { mask };
    return true;
}

bool findOverlap(const OtpWordRuns& queued, quint32 start, quint32 count, quint32& otherStart)
{
    if (count == 0)
        return false;
    const quint64 first = start;
    const quint64 last = first + count - 1;
    for (auto it = queued.cbegin(); it != queued.cend(); ++it) {
        if (it.key() == start || it.value().isEmpty())
            continue;
        const quint64 s = it.key();
        const quint64 e = s + quint64(it.value().size()) - 1;
        if (first <= e && s <= last) {
            otherStart = it.key();
            return true;
        }
    }
    return false;
}

void registerMetaTypes()
{
    ::registerMetaTypes();
    qRegisterMetaType<QVector<quint32>>("QVector<uint32_t>");
    qRegisterMetaType<QMap<QString, QString>>("QMap<QString,QString>");
}

QString valuesText(const QVector<quint32>& values)
{
    QStringList items;
    items.reserve(values.size());
    for (const quint32 v : values)
        items.append(OtpHex::hex8(v));
    return items.join(QLatin1Char(','));
}

} // namespace OtpRuns
