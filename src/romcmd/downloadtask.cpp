#include "downloadtask.h"

#include "jobpool.h"

namespace RomCmd {

DownloadTask::DownloadTask(QVariant info, EDeviceType type, QList<DownloadCommand> cmdList, QObject* parent)
    : DownloadCmd(info, type, parent)
    , cmdList(cmdList)
{
    setAutoDelete(true);
}

DownloadTask::~DownloadTask() = default;

void DownloadTask::run()
{
    JobPool::jobStarted(this);
    updateShowProgress(cmdList);
    emit signalRunStarted(isShowProgress);
    // Without an open device the pre-check or the first command fails and says why.
    beforeRunCmds();
    bool result = checkCmds(cmdList);
    if (result)
        result = runCmds(cmdList);
    else
        emitUpdate(); // status 12 or 13 for the GUI
    if (cmdList.isEmpty())
        stepResultInfoMap.insert(QStringLiteral("noCommandExecuted"), true);
    emit signalRunFinished(result, stepResultInfoMap);
    afterRunCmds();
}

} // namespace RomCmd
