#include "writeconfigtask.h"

#include "durablecopy.h"
#include "jobpool.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "drivespace.h"

#include "removabledrives.h"

namespace RomCmd {

writeconfigtask::writeconfigtask(int type, const QList<QPair<QString, QString>>& srcPathList, const QString& desPath)
    : m_type(type)
    , m_srcPathList(srcPathList)
    , m_desPath(desPath)
{ }

QString writeconfigtask::findKrelDrive(int& status)
{
    const DriveListing listing = RemovableDrives::list();
    if (!listing.ok) {
        // A failed listing says nothing about which drives exist.
        emit signalAddLogs(QStringLiteral("List removable drives failed: ") + listing.error, LogError);
        status = StatusListingFailed;
        return QString();
    }
    emit signalAddLogs(QStringLiteral("Sniffing flash drives are available:\n") + listing.report, LogDebug);

    const QList<RemovableDrive> candidates = RemovableDrives::krelDrives(listing.drives);
    if (candidates.isEmpty()) {
        emit signalAddLogs(
            QStringLiteral("Krel USB flash drive device not detected, please reset and reconnect to retry!"), LogError);
        status = StatusNoDrive;
        return QString();
    }
    if (candidates.size() > 1) {
        emit signalAddLogs(QStringLiteral("Multiple Krel USB flash drive devices are detected, multiple devices are "
                                          "not supported to be processed at the same time, please try to "
                                          "reconnect after keeping only one Krel!"),
            LogError);
        status = StatusSeveralDrives;
        return QString();
    }
    return candidates.first().root;
}

void writeconfigtask::run()
{
    JobPool::jobStarted(this);
    emit signalTaskStatus(StatusBusy);
    if (m_type != 0) {
        // Leaving status 1 would keep the caller's busy overlay up for ever.
        emit signalAddLogs(QStringLiteral("Unknown write config type: %1").arg(m_type), LogError);
        emit signalTaskStatus(StatusUnknownType);
        return;
    }
    emit signalAddLogs(QStringLiteral("write config run..."), LogDebug);

    QString destination = m_desPath;
    if (destination.isEmpty()) {
        int status = StatusDone;
        destination = findKrelDrive(status);
        if (destination.isEmpty()) {
            emit signalTaskStatus(status);
            return;
        }
    }

    emit signalAddLogs(QStringLiteral("now copy..."), LogDebug);
    if (!QFileInfo(destination).isDir()) {
        emit signalAddLogs(QStringLiteral("Current path: ") + destination + QStringLiteral(". non-existent"), LogError);
        emit signalTaskStatus(StatusNoDestination);
        return;
    }
    const QDir dir(destination);
    const QLatin1String configName("config.info");

    // The configuration names the images: it is copied after them, and only
    // when every one of them arrived.
    QList<QPair<QString, QString>> images, configs;
    for (const auto& pair : qAsConst(m_srcPathList))
        (pair.second == configName ? configs : images).append(pair);

    // A copy that would be the file itself (exporting into the folder that
    // holds a source): deleting the target would delete the source.
    auto sameFile = [&dir](const QPair<QString, QString>& pair) {
        const QFileInfo source(pair.first);
        return source.exists() && source.canonicalFilePath() == QFileInfo(dir.filePath(pair.second)).canonicalFilePath();
    };

    // Refuse before touching anything when the files cannot fit. Each copy
    // holds its whole new file beside the old one until the rename.
    qint64 needed = 0;
    qint64 grown = 0;
    for (const auto& pair : qAsConst(m_srcPathList)) {
        const QFileInfo source(pair.first);
        if (!source.isFile() || sameFile(pair))
            continue;
        const QFileInfo target(dir.filePath(pair.second));
        needed = qMax(needed, grown + source.size());
        grown += source.size() - (target.isFile() ? target.size() : 0);
    }
    const qint64 available = DriveSpace::available(destination);
    if (available >= 0 && needed > available) {
        emit signalAddLogs(QStringLiteral("Not enough free space on %1: %2 bytes needed, %3 bytes free, %4 bytes "
                                          "missing. Nothing was copied.")
                               .arg(destination)
                               .arg(needed)
                               .arg(available)
                               .arg(needed - available),
            LogError);
        emit signalTaskStatus(StatusNoSpace);
        return;
    }

    // Left-overs of a copy that was cut off (kill, crash, pulled drive).
    QStringList stale;
    if (!DurableCopy::removeStaleTemporaries(destination, &stale))
        qWarning() << "Cannot remove every unfinished copy in" << destination;
    if (!stale.isEmpty())
        emit signalAddLogs(QStringLiteral("Removed unfinished copies of an earlier write: ") + stale.join(QStringLiteral(", ")),
            LogDebug);

    int result = StatusDone;
    bool replacedImage = false; // an image an older configuration may name was overwritten
    auto copyOne = [&](const QPair<QString, QString>& pair) {
        const QString& source = pair.first;
        const QString target = dir.filePath(pair.second);
        if (sameFile(pair)) {
            emit signalAddLogs(QStringLiteral("copy:") + source + QStringLiteral(",to:") + target, LogInfo);
            return;
        }
        // A missing source keeps its old target: nothing is lost for nothing.
        if (!QFileInfo::exists(source)) {
            emit signalAddLogs(QStringLiteral("This file does not exist: ") + source, LogError);
            result = StatusSourceMissing;
            return;
        }
        // The copy replaces an existing target in one step: removing it first
        // would leave the box without the file if the copy is cut off.
        if (QFileInfo::exists(target))
            replacedImage = replacedImage || pair.second != configName;
        QString error;
        if (DurableCopy::copyFile(source, target, &error)) {
            emit signalAddLogs(QStringLiteral("copy:") + source + QStringLiteral(",to:") + target, LogInfo);
        } else {
            qWarning() << "copy" << source << "to" << target << "failed:" << error;
            emit signalAddLogs(QStringLiteral("This file failed to copy: ") + source, LogError);
            result = StatusCopyFailed;
        }
    };
    for (const auto& pair : qAsConst(images))
        copyOne(pair);

    if (result != StatusDone) {
        // The box must never hold a configuration that names an image it does not have.
        const QString target = dir.filePath(configName);
        QString reason = QStringLiteral("an image failed (status %1)").arg(result);
        if (replacedImage && QFileInfo::exists(target)) {
            if (QFile::remove(target))
                reason += QStringLiteral("; the older config.info was removed because its images were replaced");
            else
                reason += QStringLiteral("; the older config.info could not be removed: ") + target;
        }
        if (!configs.isEmpty())
            emit signalAddLogs(QStringLiteral("The configuration was not written: ") + reason, LogError);
    } else {
        for (const auto& pair : qAsConst(configs))
            copyOne(pair);
    }

    if (result == StatusDone)
        emit signalAddLogs(QStringLiteral("write config success!"), LogInfo);
    else
        emit signalAddLogs(QStringLiteral("write config failed! status: %1").arg(result), LogError);
    emit signalTaskStatus(result);
}

} // namespace RomCmd
