#include "writeconfigtask.h"

#include "durablecopy.h"
#include "jobpool.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>

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
        status = StatusDone;
        return QString();
    }
    if (candidates.size() > 1) {
        emit signalAddLogs(QStringLiteral("Multiple Krel USB flash drive devices are detected, multiple devices are "
                                          "not supported to be processed at the same time, please try to "
                                          "reconnect after keeping only one Krel!"),
            LogError);
        status = StatusDone;
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
        emit signalTaskStatus(StatusDone);
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
        emit signalTaskStatus(StatusDone);
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
    const QDir dir(destination);
    for (const auto& pair : qAsConst(m_srcPathList)) {
        const QString& source = pair.first;
        const QString target = dir.filePath(pair.second);
        // Exporting into the folder that holds a source: deleting the target
        // would delete the source, and the file is already in place.
        const QFileInfo sourceInfo(source);
        if (sourceInfo.exists() && sourceInfo.canonicalFilePath() == QFileInfo(target).canonicalFilePath()) {
            emit signalAddLogs(QStringLiteral("copy:") + source + QStringLiteral(",to:") + target, LogInfo);
            continue;
        }
        // The copy replaces an existing target in one step (removing it first
        // would leave the box without the file if the copy is cut off); a target
        // whose source is gone is stale and goes.
        if (QFileInfo::exists(source)) {
            QString error;
            if (DurableCopy::copyFile(source, target, &error)) {
                emit signalAddLogs(QStringLiteral("copy:") + source + QStringLiteral(",to:") + target, LogInfo);
            } else {
                qWarning() << "copy" << source << "to" << target << "failed:" << error;
                emit signalAddLogs(QStringLiteral("This file failed to copy: ") + source, LogError);
                result = StatusCopyFailed;
            }
        } else {
            QFile::remove(target);
            emit signalAddLogs(QStringLiteral("This file does not exist: ") + source, LogError);
            result = StatusSourceMissing;
        }
    }
    emit signalAddLogs(QStringLiteral("write config success!"), LogInfo);
    emit signalTaskStatus(result);
}

} // namespace RomCmd
