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
        return;
    }
    taskInfo.status = Constants::StatusDetected;
    emitUpdate();
    emit signalRunStarted(true);

    DownloadCommand query;
    query.nameId = 1; // query-rte without parameters: the report sets the stage
    runCmd(query);

    bool precheckFailed = false;
    if (stage == EStageNone) {
        qCritical().noquote() << QStringLiteral("Id: %1\r\nDownload stage type error!").arg(id);
        taskInfo.status = Constants::StatusConnectedError;
        precheckFailed = true;
    } else {
        qInfo().noquote() << QStringLiteral("Query download stage! deviceId: %1 stage: %2").arg(id).arg(stage);
        taskInfo.status = Constants::StatusConnected;
        emitUpdate();

        const QList<DownloadCommand>& list = stage == EStageOpen ? openCmds : closeCmds;
        updateShowProgress(list);
        if (!isShowProgress)
            emit signalUpdateLoadingProgressStatus(false);
        if (!checkCmds(list)) {
            precheckFailed = true;
        } else {
            bool result = true;
            if (stage == EStageOpen)
                result = runCmds(openCmds);
            else if (stage == EStageClose)
                result = runCmds(closeCmds);
            if (list.isEmpty())
                stepResultInfoMap.insert(QStringLiteral("noCommandExecuted"), true);
            emit signalRunFinished(result, stepResultInfoMap);
            afterRunCmds();
            return;
        }
    }
    if (precheckFailed) {
        // The device closes when the job is destroyed.
        emitUpdate();
        emit signalRunFinished(false, stepResultInfoMap);
    }
}

bool StageDownloadTask::runCmds(const QList<DownloadCommand>& cmdList)
{
    taskInfo.cmdCount = openCmds.size() + closeCmds.size();
    const int offset = stage == EStageClose ? openCmds.size() : 0;
    bool result = false;
    for (int i = 0; i < cmdList.size(); ++i) {
        const DownloadCommand& cmd = cmdList.at(i);
        taskInfo.cmdIndex = i + 1 + offset;
        taskInfo.cmdType = cmd.nameId;
        taskInfo.status = Constants::StatusRunCommand;
        taskInfo.progress = 0;
        taskInfo.total = 0;
        emitUpdate();
        // A stop that came during a command without data chunks ends the list too.
        result = !(romCmd && romCmd->isTerminateRequested()) && runCmd(cmd);
        if (!result) {
            taskInfo.status = Constants::StatusFailed;
            emitUpdate();
            break;
        }
        if (i == cmdList.size() - 1)
            taskInfo.status = Constants::StatusRunSuccess;
        taskInfo.progress = 100;
        taskInfo.total = 100;
        emitUpdate();
    }
    if (!cmdList.isEmpty())
        return result;
    qCritical().noquote() << QStringLiteral("Id: %1\r\nCommands is empty! No command is run!").arg(id);
    taskInfo.status = Constants::StatusFailed;
    emitUpdate();
    return false;
}

} // namespace RomCmd
