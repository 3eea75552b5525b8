#include "flashwords.h"

#include <QDebug>

namespace FlashWords {

namespace {

quint64 fieldMask(int minBit, int maxBit)
{
    const int width = maxBit - minBit + 1;
    return width >= 64 ? ~quint64(0) : (quint64(1) << width) - 1;
}

int bitLength(quint64 v)
{
    int n = 0;
    while (v) {
        ++n;
        v >>= 1;
    }
    return n;
}

} // namespace

bool setField(QVector<quint32>& words, const FieldValue& f)
{
    const bool rangeOk = f.minBit >= 0 && f.maxBit <= 31 && f.minBit <= f.maxBit && f.optionIndex >= 0
        && f.optionIndex < words.size();
    if (!rangeOk || bitLength(f.value) > f.maxBit - f.minBit + 1) {
        qDebug().noquote() << QStringLiteral("%1 option index: %2 minBit: %3 maxBit: %4 value: %5")
                                  .arg(rangeOk ? QStringLiteral("Value's bit is greater than setting!")
                                               : QStringLiteral("Option field out of range!"))
                                  .arg(f.optionIndex)
                                  .arg(f.minBit)
                                  .arg(f.maxBit)
                                  .arg(f.value);
        return false;
    }
    const quint64 mask = fieldMask(f.minBit, f.maxBit) << f.minBit;
    quint32& word = words[f.optionIndex];
    word = quint32((word & ~mask) | (f.value << f.minBit));
    return true;
}

quint32 fieldOf(quint32 word, int minBit, int maxBit)
{
    if (minBit < 0 || maxBit > 31 || minBit > maxBit)
        return 0;
    return quint32((quint64(word) >> minBit) & fieldMask(minBit, maxBit));
}

void setOptionCount(QVector<quint32>& words)
{
    if (words.isEmpty())
        return;
    quint32 count = 0;
    for (int i = 1; i < words.size(); ++i)
        count += words.at(i) != 0 ? 1 : 0;
    words[0] = (words[0] & ~quint32(0xF)) | (count & 0xF);
}

QVector<quint32> compute(QVector<quint32> words, int wordCount, const QList<FieldValue>& fields, bool optionCount)
{
    while (words.size() < wordCount)
        words.append(0);
    for (const FieldValue& f : fields)
        setField(words, f);
    if (optionCount)
        setOptionCount(words);
    return words;
}

QStringList toTextList(const QVector<quint32>& words)
{
    QStringList out;
    for (quint32 w : words)
        out.append(QStringLiteral("0x%1").arg(w, 8, 16, QLatin1Char('0')));
    return out;
}

QString toText(const QVector<quint32>& words)
{
    return toTextList(words).join(QLatin1Char(','));
}

bool parseAddress(const QString& text, quint64& value)
{
    QString t = text.trimmed();
    if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        t = t.mid(2);
    if (t.isEmpty())
        return false;
    bool ok = false;
    value = t.toULongLong(&ok, 16);
    return ok;
}

bool parse(const QStringList& texts, QVector<quint32>& words)
{
    QVector<quint32> out;
    for (const QString& t : texts) {
        quint64 v = 0;
        if (!parseAddress(t, v) || v > 0xFFFFFFFFull)
            return false;
        out.append(quint32(v));
    }
    words = out;
    return true;
}

bool parseNumber(const QString& text, quint64& value)
{
    const QString t = text.trimmed();
    if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        return parseAddress(t, value);
    bool ok = false;
    value = t.toULongLong(&ok, 10);
    return ok;
}

QString rebaseAddress(const QString& address, quint64 base)
{
    quint64 v = 0;
    if (!parseAddress(address, v))
        return address;
    return QStringLiteral("0x%1").arg(base + (v & 0x0FFFFFFFull), 8, 16, QLatin1Char('0'));
}

} // namespace FlashWords
