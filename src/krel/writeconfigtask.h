// The configuration writer job: finds the Krel box's configuration drive (or
// takes a given folder) and copies "config.info" and the image files onto it,
// on a pool thread.
#pragma once

#include <QList>
#include <QObject>
#include <QPair>
#include <QRunnable>
#include <QString>

#include "records.h"

namespace RomCmd {

class writeconfigtask : public QObject, public QRunnable
{
    Q_OBJECT
public:
    // Values of signalTaskStatus.
    enum Status {
        StatusBusy = 1, // started
        StatusDone = 0, // every file copied
        StatusCopyFailed = -1, // the last failed file could not be copied
        StatusSourceMissing = -2, // the last failed file did not exist
        StatusListingFailed = -3, // the removable drives could not be listed
        StatusNoDrive = -4, // no Krel drive found
        StatusSeveralDrives = -5, // more than one Krel drive
        StatusNoDestination = -6, // the destination folder does not exist
        StatusUnknownType = -7, // a job type other than 0
        StatusNoSpace = -8 // the files do not fit on the destination; nothing copied
    };

    // type: 0 is the only job type; srcPathList: (source path, destination file
    // name); desPath: destination folder, empty to find the Krel drive.
    writeconfigtask(int type, const QList<QPair<QString, QString>>& srcPathList, const QString& desPath);

    void run() override;

signals:
    void signalTaskStatus(int status);
    void signalAddLogs(QString log, LogLevel level);

private:
    // The Krel drive's root, or empty after logging why there is none; status
    // is the job's final status in that case.
    QString findKrelDrive(int& status);

    int m_type;
    QList<QPair<QString, QString>> m_srcPathList;
    QString m_desPath;
};

} // namespace RomCmd
