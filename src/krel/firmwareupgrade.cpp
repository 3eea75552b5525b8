#include "firmwareupgrade.h"

#include "durablecopy.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace Krel {

QString upgradeRefusal(const QString& currentVersion, const QString& newVersion, const QString& firmwarePath)
{
    if (currentVersion.isEmpty())
        return QCoreApplication::translate("UpdateFirmwareDlg", "Current version is empty");
    if (newVersion.isEmpty())
        return QCoreApplication::translate("UpdateFirmwareDlg", "New version is empty");
    if (firmwarePath.isEmpty())
        return QCoreApplication::translate("UpdateFirmwareDlg", "New firmware path is empty");
    return {};
}

bool sameDrive(const QString& dir, const DriveIdentity& identity)
{
    const DriveIdentity now = driveIdentity(dir);
    return identity.valid && now.valid && now.volume == identity.volume;
}

FirmwareCopy::FirmwareCopy(CopyStep step)
    : m_step(step ? std::move(step) : CopyStep([](const QString& s, const QString& t, QString* e, bool* f) {
        return DurableCopy::copyFile(s, t, e, f);
    }))
{ }

FirmwareCopyResult::Outcome FirmwareCopy::outcome(bool copied, bool flushed, bool lastFile, bool driveStillThere)
{
    if (driveStillThere)
        return copied ? FirmwareCopyResult::Copied : FirmwareCopyResult::Failed;
    return (copied || flushed) && lastFile ? FirmwareCopyResult::Restarting : FirmwareCopyResult::DriveLost;
}

FirmwareCopyResult FirmwareCopy::run(
    const QStringList& sources, const QString& destDir, const std::function<void(int)>& progress) const
{
    FirmwareCopyResult r;
    const QString failed = QCoreApplication::translate("UpdateFirmwareDlg", "Failed to download");
    if (!QDir(destDir).exists() && !QDir().mkpath(destDir)) {
        r.errors << QCoreApplication::translate("UpdateFirmwareDlg", "Unable to create target directory");
        r.message = failed;
        return r;
    }
    const DriveIdentity drive = driveIdentity(destDir);
    int total = 0;
    for (int i = 0; i < sources.size(); ++i) {
        const QString& source = sources.at(i);
        const QString target = QDir(destDir).filePath(QFileInfo(source).fileName());
        for (int attempt = 0; attempt < DeleteAttempts && QFileInfo::exists(target); ++attempt) {
            QFile::setPermissions(
                target, QFile::permissions(target) | QFileDevice::ReadOther | QFileDevice::WriteOther);
            QFile::remove(target);
        }
        if (QFileInfo::exists(target)) {
            qWarning().noquote() << "Unable to overwrite file:" << target;
            r.errors << QCoreApplication::translate("UpdateFirmwareDlg", "Download failed:") + source;
            r.message = failed + QLatin1Char('\n')
                + QCoreApplication::translate("UpdateFirmwareDlg", "The old file on the drive cannot be removed: %1")
                      .arg(target);
            return r;
        }
        QString error;
        bool flushed = false;
        const bool copied = m_step(source, target, &error, &flushed);
        const bool last = i == sources.size() - 1;
        r.outcome = outcome(copied, flushed, last, sameDrive(destDir, drive));
        switch (r.outcome) {
        case FirmwareCopyResult::Copied: break;
        case FirmwareCopyResult::Restarting:
            // The box took the whole file and restarts; the progress bar is full.
            if (progress)
                progress(100);
            r.success = true;
            r.message = QCoreApplication::translate("UpdateFirmwareDlg", "Downloaded files successfull:")
                + QStringLiteral(" %1 ").arg(sources.size()) + QLatin1Char('\n')
                + QCoreApplication::translate("UpdateFirmwareDlg",
                    "The Krel box has the whole firmware and is restarting. Set its switches back to 0,0 or 1,0.");
            return r;
        case FirmwareCopyResult::DriveLost:
            r.errors << QCoreApplication::translate("UpdateFirmwareDlg", "Download failed:") + source;
            r.message = failed + QLatin1Char('\n')
                + QCoreApplication::translate("UpdateFirmwareDlg",
                    "The update drive disappeared before the whole firmware was written to it. Set the switches "
                    "to 0,1, plug the Krel box in again and download again.");
            return r;
        case FirmwareCopyResult::Failed:
            r.errors << QCoreApplication::translate("UpdateFirmwareDlg", "Download failed:") + source;
            r.message = failed + QLatin1Char('\n') + source + QStringLiteral(": ") + error;
            return r;
        }
        total += 100;
        if (progress)
            progress(total / sources.size());
    }
    r.outcome = FirmwareCopyResult::Copied;
    r.success = true;
    r.message = QCoreApplication::translate("UpdateFirmwareDlg", "Downloaded files successfull:")
        + QStringLiteral(" %1 ").arg(sources.size());
    return r;
}

} // namespace Krel
