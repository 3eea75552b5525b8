#include "otpwordsinput.h"

#include "otphex.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QStringList>

namespace OtpWordsInput {

namespace {

bool refuse(Refusal& refusal, const QString& title, const QString& text)
{
    refusal = { title, text };
    return false;
}

} // namespace

bool isDangerousField(const QString& name)
{
    return name == QLatin1String("LIFE_CYCLE") || name == QLatin1String("JTAG_DISABLE")
        || name == QLatin1String("DEBUG_DISABLE");
}

bool packFields(const QList<FieldSetting>& fields, QMap<quint32, quint32>& words, Refusal& refusal)
{
    QMap<quint32, quint32> out;
    for (const FieldSetting& f : fields) {
        const quint64 threshold = f.width >= 64 ? ~0ull : (1ull << f.width) - 1;
        if (f.value > threshold && (f.type == EFuseFieldInput || f.type == EFuseFieldSelect)) {
            const QString text = f.type == EFuseFieldInput ? QCoreApplication::translate(
                                     "DevelopViews::OTPWordsDlg", "Input value greater than the threshold! key: ")
                                                           : QCoreApplication::translate("DevelopViews::OTPWordsDlg",
                                                               "Select value greater than the threshold! key: ");
            return refuse(refusal, QCoreApplication::translate("DevelopViews::OTPWordsDlg", "Error"),
                text + f.name + QCoreApplication::translate("DevelopViews::OTPWordsDlg", " bit width: ")
                    + QString::number(f.width));
        }
        quint32& word = out[f.word];
        for (const QString& o : f.offsets.split(QLatin1Char(','))) {
            quint32 offset = 0;
            if (!OtpHex::parseDec32(o.trimmed(), offset))
                continue;
            for (quint32 i = 0; i < f.width && offset + i < 32; ++i) {
                const quint32 bit = 1u << (offset + i);
                word = (i < 64 && (f.value >> i) & 1u) ? (word | bit) : (word & ~bit);
            }
        }
    }
    words = out;
    return true;
}

bool parseCustom(const QString& startText, const QString& countText, const QString& listText, const OtpWordRuns& queued,
    quint32 wordLimit, quint32& start, QVector<quint32>& values, Refusal& refusal)
{
    const QString warning = QCoreApplication::translate("DevelopViews::OTPWordsDlg", "Warning");
    if (startText.isEmpty())
        return refuse(
            refusal, warning, QCoreApplication::translate("DevelopViews::OTPWordsDlg", "Start address is empty!"));
    if (countText.isEmpty())
        return refuse(
            refusal, warning, QCoreApplication::translate("DevelopViews::OTPWordsDlg", "Word count is empty!"));
    quint32 first = 0;
    if (!OtpHex::parseDec32(startText, first) && !OtpHex::parseHex32(startText, first))
        return refuse(refusal, warning,
            QCoreApplication::translate(
                "DevelopViews::OTPWordsDlg", "Start address format error! Please input decimal or hexadecimal number"));
    quint32 count = 0;
    const bool countOk = OtpHex::parseDec32(countText.trimmed(), count);
    const QStringList items = listText.split(QLatin1Char(','));
    if (listText.trimmed().isEmpty() || !countOk || quint32(items.size()) != count)
        return refuse(refusal, warning,
            QCoreApplication::translate("DevelopViews::OTPWordsDlg", "Word count is not match with the input words!"));
    // "A-f" as the list has always been checked: the letters G to Z pass here and
    // are refused by the conversion below.
    static const QRegularExpression pattern(QStringLiteral("^0x[0-9a-fA-f]{8}$"));
    QVector<quint32> out;
    out.reserve(items.size());
    for (const QString& raw : items) {
        // Blanks and line breaks around an item are only layout.
        const QString item = raw.trimmed();
        if (!pattern.match(item).hasMatch())
            return refuse(refusal, warning,
                QCoreApplication::translate("DevelopViews::OTPWordsDlg", "Word number format is error! Word: ") + item);
        quint32 v = 0;
        if (!OtpHex::parseHex32(item, v))
            return refuse(refusal, warning,
                QCoreApplication::translate(
                    "DevelopViews::OTPWordsDlg", "Word number cannot convert to hexadecimal number! Word: ")
                    + item);
        out.append(v);
    }
    if (wordLimit > 0 && quint64(first) + count > wordLimit)
        return refuse(refusal, warning,
            QCoreApplication::translate(
                "DevelopViews::OTPWordsDlg", "The words exceed the OTP! The SoC has %1 OTP words.")
                .arg(wordLimit));
    quint32 other = 0;
    if (OtpRuns::findOverlap(queued, first, count, other))
        return refuse(refusal, QCoreApplication::translate("DevelopViews::OTPWordsDlg", "Error"),
            QCoreApplication::translate("DevelopViews::OTPWordsDlg", "The range is duplicated with start address: ")
                + QString::number(other));
    start = first;
    values = out;
    return true;
}

} // namespace OtpWordsInput
