#include "krelconfigbuilder.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QSaveFile>

#include "krelcipher.h"
#include "krelotpinfo.h"

namespace {

QJsonObject infoEntry(const QString& fileName, const QString& address)
{
    QJsonObject o;
    o.insert(QStringLiteral("filename"), fileName);
    o.insert(QStringLiteral("address"), address);
    return o;
}

} // namespace

bool KrelConfigBuilder::isAddressText(const QString& text)
{
    static const QRegularExpression re(QStringLiteral("^0x[0-9a-fA-F]{1,8}$"));
    return re.match(text).hasMatch();
}

QString KrelConfigBuilder::triggerSource(int modeIndex)
{
    switch (modeIndex) {
    case 0: return QStringLiteral("key");
    case 1: return QStringLiteral("auto");
    case 2: return QStringLiteral("machine");
    default: return QString();
    }
}

QString KrelConfigBuilder::destinationName(const QString& sourcePath, int number)
{
    const QFileInfo info(sourcePath);
    const QString suffix = info.suffix();
    // A trailing "." would be dropped or refused by the FAT drive.
    if (suffix.isEmpty())
        return QStringLiteral("%1_%2").arg(info.baseName()).arg(number);
    return QStringLiteral("%1_%2.%3").arg(info.baseName()).arg(number).arg(suffix);
}

KrelConfigResult KrelConfigBuilder::generate(const KrelConfigInput& in, const QString& outputDir)
{
    KrelConfigResult r;
    auto fail = [&r](const QString& text) {
        r.logs.append({ text, LogError });
        r.copyList.clear();
        return r;
    };

    QJsonObject doc;
    doc.insert(QStringLiteral("name"), QStringLiteral("flash download config"));

    if (in.socName.isEmpty())
        return fail(QStringLiteral("mcu is empty!"));
    doc.insert(QStringLiteral("mcu"), in.socName);

    const QString trigger = triggerSource(in.modeIndex);
    if (trigger.isEmpty())
        return fail(QStringLiteral("mode is error!"));
    doc.insert(QStringLiteral("trigger_source"), trigger);

    if (in.baudText.isEmpty())
        return fail(QStringLiteral("uart baudrate is empty!"));
    doc.insert(QStringLiteral("uart_config"), in.baudText);
    doc.insert(QStringLiteral("beep_config"), in.beep ? QStringLiteral("on") : QStringLiteral("off"));
    doc.insert(QStringLiteral("5v_config"), in.fiveVolt ? QStringLiteral("on") : QStringLiteral("off"));

    if (in.flashWordText.isEmpty())
        return fail(QStringLiteral("Flash Words is empty!"));
    doc.insert(QStringLiteral("flash_option"), QJsonArray::fromStringList(in.flashWordText.split(QLatin1Char(','))));

    if (in.otpEnabled) {
        if (!KrelOtpInfo::load(in.otpPath, r.otpWords, r.logs))
            return fail(QStringLiteral("OTP info Parse fail!"));
        doc.insert(QStringLiteral("otp_info"), KrelOtpInfo::toJsonArray(r.otpWords));
    }

    QJsonArray info;
    int number = 0;
    if (in.withBootImage) {
        if (!QFileInfo(in.imagePath).isFile())
            return fail(QStringLiteral("Image File not found! Path: ") + in.imagePath);
        // The box would program nothing, or at an address it cannot read.
        if (QFileInfo(in.imagePath).size() == 0)
            return fail(QStringLiteral("Image File is empty! Path: ") + in.imagePath);
        if (in.programAddress.isEmpty())
            return fail(QStringLiteral("Image File Base Address is empty! "));
        if (!isAddressText(in.programAddress))
            return fail(QStringLiteral("Image File Base Address is invalid! Address: ") + in.programAddress);
        const QString name = destinationName(in.imagePath, number++);
        info.append(infoEntry(name, in.programAddress));
        r.copyList.append({ in.imagePath, name });
    }
    for (int row = 0; row < in.additionalFiles.size(); ++row) {
        const QString& address = in.additionalFiles.at(row).first;
        const QString& path = in.additionalFiles.at(row).second;
        if (address.isEmpty())
            return fail(QStringLiteral("Custom File Program Address is empty!, the index:%1").arg(row));
        if (!QFileInfo(path).isFile())
            return fail(QStringLiteral("Custom File not found! Path: ") + path);
        if (!isAddressText(address))
            return fail(QStringLiteral("Custom File Program Address is invalid!, the index:%1, address: %2")
                            .arg(row)
                            .arg(address));
        if (QFileInfo(path).size() == 0)
            return fail(QStringLiteral("Custom File is empty! Path: ") + path);
        const QString name = destinationName(path, number++);
        info.append(infoEntry(name, address));
        r.copyList.append({ path, name });
    }
    doc.insert(QStringLiteral("info"), info);

    r.document = doc;
    r.json = QJsonDocument(doc).toJson(QJsonDocument::Compact);
    r.cipherText = KrelCipher::encipher(r.json);

    // Written through a temporary file, so a failed write never leaves half a file.
    const QString path = QDir(outputDir).absoluteFilePath(QLatin1String(ConfigFileName));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(r.cipherText) != r.cipherText.size() || !file.commit())
        return fail(QStringLiteral("Open file failed! path: ") + QLatin1String(ConfigFileName));
    r.logs.append({ QStringLiteral("generate Krel config success!"), LogInfo });

    const QFileInfo written(path);
    if (!written.exists())
        return fail(QStringLiteral("Config file non-existent!"));
    r.configPath = written.absoluteFilePath();
    r.copyList.append({ r.configPath, QLatin1String(ConfigFileName) });
    r.ok = true;
    return r;
}
