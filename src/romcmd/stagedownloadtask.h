// Worker job for the production (batch) lists: asks the device for its download
// stage from the life cycle, then runs the project's Open or Close list.
#pragma once

#include "downloadcmd.h"

#include <QRunnable>

namespace RomCmd {

class StageDownloadTask : public DownloadCmd, public QRunnable
{
    Q_OBJECT
public:
    // The lists are copied here, so the project may change once the job is created.
    StageDownloadTask(QVariant info, EDeviceType type, const QList<DownloadCommand>* openCmds,
        const QList<DownloadCommand>* closeCmds, QObject* parent = nullptr);
    ~StageDownloadTask() override;

    void run() override;
    // Numbers the Close list's commands after the Open list's and ends with status 10.
    bool runCmds(const QList<DownloadCommand>& cmdList) override;

signals:
    void signalUpdateLoadingProgressStatus(bool isShowProgress);

private:
    QList<DownloadCommand> openCmds;
    QList<DownloadCommand> closeCmds;
};

} // namespace RomCmd
