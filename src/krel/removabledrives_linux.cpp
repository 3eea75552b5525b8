// Linux: removable drives from lsblk.
#include "removabledrives.h"

#include <QProcess>

namespace RemovableDrives {

DriveListing systemListing()
{
    DriveListing listing;
    QProcess lsblk;
    lsblk.start(QStringLiteral("lsblk"),
        { QStringLiteral("--json"), QStringLiteral("--bytes"), QStringLiteral("--paths"), QStringLiteral("--tree"),
            QStringLiteral("--output"), QStringLiteral("NAME,TYPE,TRAN,RM,HOTPLUG,FSSIZE,SIZE,MOUNTPOINT") });
    if (!lsblk.waitForStarted(ListTimeoutMs)) {
        listing.error = QStringLiteral("lsblk could not be started: ") + lsblk.errorString();
        return listing;
    }
    if (!lsblk.waitForFinished(ListTimeoutMs)) {
        lsblk.kill();
        lsblk.waitForFinished(1000);
        listing.error = QStringLiteral("lsblk did not finish within %1 ms").arg(ListTimeoutMs);
        return listing;
    }
    if (lsblk.exitStatus() != QProcess::NormalExit || lsblk.exitCode() != 0) {
        listing.error = QStringLiteral("lsblk failed (exit code %1): %2")
                            .arg(lsblk.exitCode())
                            .arg(QString::fromLocal8Bit(lsblk.readAllStandardError()).trimmed());
        return listing;
    }
    return parseLsblkJson(lsblk.readAllStandardOutput());
}

} // namespace RemovableDrives
