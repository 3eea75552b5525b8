// Worker job that runs one command list once against one device on the
// global thread pool; the pool deletes it when run() returns.
#pragma once

#include "downloadcmd.h"

#include <QRunnable>

namespace RomCmd {

class DownloadTask : public DownloadCmd, public QRunnable
{
    Q_OBJECT
public:
    DownloadTask(QVariant info, EDeviceType type, QList<DownloadCommand> cmdList, QObject* parent = nullptr);
    ~DownloadTask() override;

    void run() override;

private:
    QList<DownloadCommand> cmdList;
};

} // namespace RomCmd
