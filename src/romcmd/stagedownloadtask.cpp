#include "stagedownloadtask.h"

#include "jobpool.h"

#include "constants.h"

#include <QDebug>

namespace RomCmd {

StageDownloadTask::StageDownloadTask(QVariant info, EDeviceType type, const QList<DownloadCommand>* openCmds,
    const QList<DownloadCommand>* closeCmds, QObject* parent)
    : DownloadCmd(info, type, parent)
    , openCmds(openCmds ? *openCmds : QList<DownloadCommand>())
    , closeCmds(closeCmds ? *closeCmds : QList<DownloadCommand>())
{
    setAutoDelete(true);
}

StageDownloadTask::~StageDownloadTask() = default;

void StageDownloadTask::run()
{
    JobPool::jobStarted(this);
    if (!beforeRunCmds()) {
        taskInfo.status = Constants::StatusConnectedError;
        emitUpdate();
        // A UART ROM may already listen at the custom speed.
        afterRunCmds();
        return;
    }
    taskInfo.status = Constants::StatusDetected;
    emitUpdate();
    emit signalRunStarted(true);

    DownloadCommand query;
    query.nameId = 1; // query-rte without parameters: the report sets the stage
    runCmd(query);

    bool result = false;
    if (stage == EStageNone) {
        qCritical().noquote() << QStringLiteral("Id: %1\r\nDownload stage type error!").arg(id);
        taskInfo.status = Constants::StatusConnectedError;
        emitUpdate();
    } else {
        qInfo().noquote() << QStringLiteral("Query download stage! deviceId: %1 stage: %2").arg(id).arg(stage);
        taskInfo.status = Constants::StatusConnected;
        emitUpdate();

        const QList<DownloadCommand>& list = stage == EStageOpen ? openCmds : closeCmds;
        updateShowProgress(list);
        if (!isShowProgress)
            emit signalUpdateLoadingProgressStatus(false);
        if (!checkCmds(list)) {
            emitUpdate();
        } else {
            result = runCmds(list);
            if (list.isEmpty())
                stepResultInfoMap.insert(QStringLiteral("noCommandExecuted"), true);
        }
    }
    emit signalRunFinished(result, stepResultInfoMap);
    // Every exit: a ROM left at the custom speed fails every later run.
    afterRunCmds();
}

bool StageDownloadTask::runCmds(const QList<DownloadCommand>& cmdList)
{
    taskInfo.cmdCount = openCmds.size() + closeCmds.size();
    if (cmdList.isEmpty()) {
        qCritical().noquote() << QStringLiteral("Id: %1\r\nCommands is empty! No command is run!").arg(id);
        taskInfo.status = Constants::StatusFailed;
        emitUpdate();
        return false;
    }
    return runList(cmdList, stage == EStageClose ? openCmds.size() : 0, Constants::StatusRunSuccess, false);
}

} // namespace RomCmd
