#include "krelotpinfo.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include "hex.h"
#include "krelcipher.h"

namespace KrelOtpInfo {

bool parse(const QByteArray& json, QMap<quint32, quint32>& words, KrelLogLines& logs)
{
    words.clear();
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError) {
        logs.append({ QStringLiteral("Parse OTP info failed! Error: ") + error.errorString(), LogError });
        return false;
    }
    // An "info" that is not an array carries no words: treated as missing.
    if (!doc.isObject() || !doc.object().value(QLatin1String("info")).isArray()) {
        logs.append({ QStringLiteral("Can not find OTP info"), LogError });
        return false;
    }
    const QJsonArray info = doc.object().value(QLatin1String("info")).toArray();
    QMap<quint32, quint32> result;
    for (int i = 0; i < info.size(); ++i) {
        const QJsonObject entry = info.at(i).toObject();
        if (!entry.contains(QLatin1String("address")) || !entry.contains(QLatin1String("value"))) {
            logs.append({ QStringLiteral("Parse OTP info value error! Index: %1").arg(i), LogError });
            return false;
        }
        const auto address = Hex::parse32(entry.value(QLatin1String("address")).toString());
        const auto value = Hex::parse32(entry.value(QLatin1String("value")).toString());
        if (!address || !value) {
            logs.append({ QStringLiteral("Parse OTP info error! Index: %1").arg(i), LogError });
            return false;
        }
        result.insert(*address, *value);
    }
    words = result;
    return true;
}

bool load(const QString& path, QMap<quint32, quint32>& words, KrelLogLines& logs)
{
    words.clear();
    if (path.isEmpty())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        logs.append({ QStringLiteral("Open file failed: ") + path, LogDebug });
        return false;
    }
    // Read on the GUI thread: a wrong pick (an image, say) must not stall the window.
    if (file.size() > MaxFileBytes) {
        logs.append({ QStringLiteral("OTP file is too large: %1 bytes, at most %2. Path: %3")
                          .arg(file.size())
                          .arg(MaxFileBytes)
                          .arg(path),
            LogError });
        return false;
    }
    return parse(KrelCipher::decipher(file.readAll()), words, logs);
}

QJsonArray toJsonArray(const QMap<quint32, quint32>& words)
{
    auto entry = [](quint32 address, quint32 value) {
        QJsonObject o;
        o.insert(QStringLiteral("address"), QStringLiteral("0x") + Hex::hex8(address));
        o.insert(QStringLiteral("value"), QStringLiteral("0x") + Hex::hex8(value));
        return o;
    };
    QJsonArray out;
    for (auto it = words.cbegin(); it != words.cend(); ++it) {
        if (it.key() != 0)
            out.append(entry(it.key(), it.value()));
    }
    if (words.contains(0))
        out.append(entry(0, words.value(0)));
    return out;
}

} // namespace KrelOtpInfo
