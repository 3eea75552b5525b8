#include "firmwareinfo.h"

#include "apppaths.h"

#include <QDebug>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

namespace Krel {

QString FirmwareInfo::logText() const
{
    return QStringLiteral("newVersion:") + version + QStringLiteral(",firmwarePath:") + path;
}

QString firmwareFolder()
{
    return AppPaths::dataPath(QStringLiteral("mcuimage")) + QLatin1Char('/');
}

FirmwareInfo readFirmwareInfo(const QString& folder)
{
    FirmwareInfo info;
    qDebug().noquote() << "Firmware information file:" << folder + QLatin1String(FirmwareInfoFile);
    QFile file(folder + QLatin1String(FirmwareInfoFile));
    if (!file.exists() || !file.open(QIODevice::ReadOnly | QIODevice::Text))
        return info;
    QJsonParseError err{};
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &err);
    if (err.error != QJsonParseError::NoError || !doc.isObject())
        return info;
    const QJsonObject obj = doc.object();
    // An empty name would make the folder itself pass for the firmware file.
    const QString name = obj.value(QLatin1String("firmware_name")).toString();
    if (!name.isEmpty())
        info.path = folder + name;
    info.version = obj.value(QLatin1String("version")).toString();
    return info;
}

} // namespace Krel
