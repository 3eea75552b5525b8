#include "otpfiles.h"

#include "krelcipher.h"
#include "otphex.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStringList>

namespace OtpFiles {

namespace {

// Warnings for passed lines, the flood of a huge file cut down to a count.
struct SkipLog
{
    OtpLogLines& logs;
    int skipped = 0;
    void warn(const QString& text)
    {
        if (++skipped <= MaxSkipWarnings)
            logs.append({ text, LogWarning });
    }
    void finish()
    {
        if (skipped > MaxSkipWarnings)
            logs.append({ QCoreApplication::translate("DevelopViews::OTPTab", "%1 more lines were passed.")
                              .arg(skipped - MaxSkipWarnings),
                LogWarning });
    }
};

} // namespace

ImportResult importCsv(const QByteArray& bytes, quint32 wordCount, const QString& path)
{
    ImportResult r;
    QString text = QString::fromUtf8(bytes.constData(), bytes.size());
    // Spreadsheet programs put a byte-order mark before the header.
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    if (text.isEmpty()) {
        r.logs.append(
            { QCoreApplication::translate("DevelopViews::OTPTab", "File content is empty! Path: ") + path, LogError });
        return r;
    }
    const QStringList lines = text.split(QLatin1Char('\n'));
    const QStringList header = lines.first().split(QLatin1Char(','));
    if (header.size() != 2 || header.at(0).trimmed() != QLatin1String("word")
        || header.at(1).trimmed() != QLatin1String("value")) {
        r.logs.append({ QCoreApplication::translate("DevelopViews::OTPTab",
                            "File format is error! The first line must be word,value, and each line only has 'word' "
                            "and 'value' two values."),
            LogError });
        return r;
    }
    SkipLog skip { r.logs };
    OtpWordRuns runs;
    for (int n = 1; n < lines.size(); ++n) {
        const QString& line = lines.at(n);
        // A blank line of a CRLF file still holds its "\r".
        if (line.trimmed().isEmpty())
            continue;
        const QStringList parts = line.split(QLatin1Char(','));
        const QString lineNo = QString::number(n);
        if (parts.size() != 2) {
            skip.warn(QCoreApplication::translate("DevelopViews::OTPTab", "Import configuration format error! Line: ")
                + lineNo);
            continue;
        }
        quint32 index = 0;
        if (!OtpHex::parseDec32(parts.at(0).trimmed(), index)) {
            skip.warn(QCoreApplication::translate(
                          "DevelopViews::OTPTab", "Import configuration index parses error and will be passed. Line: ")
                + lineNo);
            continue;
        }
        if (index >= wordCount) {
            r.logs.append(
                { QCoreApplication::translate("DevelopViews::OTPTab", "Import configuration index exceed range. Line: ")
                        + lineNo,
                    LogError });
            r.logs.append({ path + QCoreApplication::translate("DevelopViews::OTPTab", " import failed!"), LogError });
            return r;
        }
        const QString valueText = parts.at(1).trimmed();
        if (valueText.isEmpty()) {
            skip.warn(QCoreApplication::translate(
                          "DevelopViews::OTPTab", "Import configuration value is empty and will be passed. Line: ")
                + lineNo);
            continue;
        }
        quint32 value = 0;
        if (!OtpHex::parseHex32(valueText, value)) {
            r.logs.append(
                { QCoreApplication::translate("DevelopViews::OTPTab", "Import configuration value parses error! Line: ")
                        + lineNo,
                    LogError });
            r.logs.append({ path + QCoreApplication::translate("DevelopViews::OTPTab", " import failed!"), LogError });
            return r;
        }
        if (value == 0) {
            skip.warn(QCoreApplication::translate(
                          "DevelopViews::OTPTab", "Import configuration value is 0 and will be passed. Line: ")
                + lineNo);
            continue;
        }
        runs.insert(index, { value });
    }
    skip.finish();
    r.runs = runs;
    r.ok = true;
    return r;
}

ImportResult importInfo(const QByteArray& fileBytes, quint32 wordCount, const QString& path)
{
    ImportResult r;
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(KrelCipher::decipher(fileBytes), &error);
    if (error.error != QJsonParseError::NoError) {
        r.logs.append({ QCoreApplication::translate("DevelopViews::OTPTab", "Parse OTP info failed! Error: ")
                + error.errorString(),
            LogError });
        return r;
    }
    // An "info" that is not an array holds no words: the same as none.
    if (!doc.isObject() || !doc.object().value(QLatin1String("info")).isArray()) {
        r.logs.append(
            { QCoreApplication::translate("DevelopViews::OTPTab", "Can not find OTP info in ") + path, LogError });
        return r;
    }
    const QJsonArray info = doc.object().value(QLatin1String("info")).toArray();
    OtpWordRuns runs;
    for (int i = 0; i < info.size(); ++i) {
        const QJsonObject entry = info.at(i).toObject();
        if (!entry.contains(QLatin1String("address")) || !entry.contains(QLatin1String("value")))
            continue;
        quint32 address = 0, value = 0;
        // An address past the OTP would become write commands outside it.
        if (!OtpHex::parseHex32(entry.value(QLatin1String("address")).toString(), address) || address >= wordCount) {
            r.logs.append({ QCoreApplication::translate("DevelopViews::OTPTab", "Parse OTP info error! Index: ")
                    + QString::number(i),
                LogError });
            return r;
        }
        if (!OtpHex::parseHex32(entry.value(QLatin1String("value")).toString(), value)) {
            r.logs.append({ QCoreApplication::translate("DevelopViews::OTPTab", "Parse OTP info value error! Index: ")
                    + QString::number(i),
                LogError });
            return r;
        }
        runs.insert(address, { value });
    }
    r.runs = runs;
    r.ok = true;
    return r;
}

QByteArray exportCsv(const QVector<OtpReadWord>& words, quint32 start)
{
    QByteArray out = "word,value\n";
    for (int i = 0; i < words.size(); ++i) {
        out += QByteArray::number(quint64(start) + quint64(i)) + ',';
        if (words.at(i).valid)
            out += OtpHex::hex8(words.at(i).value).toLatin1();
        out += '\n';
    }
    return out;
}

QByteArray templateCsv(int wordCount)
{
    QByteArray out = "word,value\n";
    for (int i = 0; i < wordCount; ++i)
        out += QByteArray::number(i) + ",0x00000000\n";
    return out;
}

QByteArray infoJson(const OtpWordRuns& runs)
{
    QJsonArray info;
    for (const quint32 start : OtpRuns::writeOrder(runs)) {
        const QVector<quint32> values = runs.value(start);
        for (int k = 0; k < values.size(); ++k) {
            QJsonObject o;
            o.insert(QStringLiteral("address"), OtpHex::hex8(start + quint32(k)));
            o.insert(QStringLiteral("value"), OtpHex::hex8(values.at(k)));
            info.append(o);
        }
    }
    QJsonObject root;
    root.insert(QStringLiteral("info"), info);
    return QJsonDocument(root).toJson(QJsonDocument::Compact);
}

QByteArray exportInfo(const OtpWordRuns& runs)
{
    return KrelCipher::encipher(infoJson(runs));
}

bool readFile(const QString& path, QByteArray& bytes, OtpLogLines& logs)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        logs.append(
            { QCoreApplication::translate("DevelopViews::OTPTab", "Open file failed! Path: ") + path, LogError });
        return false;
    }
    bytes = file.readAll();
    return true;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

} // namespace OtpFiles
