#include "linkeddownloadtask.h"

#include "jobpool.h"

#include "constants.h"

#include <QThread>
#include <chrono>

namespace RomCmd {

namespace {
constexpr unsigned long PollIntervalMs = 100;
}

LinkedDownloadTask::LinkedDownloadTask(QVariant info, EDeviceType type, QString uuid, QList<DownloadCommand> cmdList,
    QString stepInfo, bool isEmitFinishSignal, bool isDisableOTPQuery, QObject* parent)
    : DownloadCmd(info, type, parent)
    , isEmitFinishSignal(isEmitFinishSignal)
    , isDisableOTPQuery(isDisableOTPQuery)
    , m_uuid(uuid)
{
    setAutoDelete(true);
    {
        std::lock_guard<std::mutex> locker(stepLock);
        stepQueue.append(cmdList);
        stepInfoQueue.append(stepInfo);
        stepOtpQueryDisabled.append(isDisableOTPQuery);
    }
    // Direct: both ends are this object, and the job may be gone before a queued call could run.
    connect(this, &DownloadCmd::signalOTPMemoryQueried, this, &LinkedDownloadTask::slotOTPMemoryQueried,
        Qt::DirectConnection);
    connect(this, &DownloadCmd::signalMemoryDataReadFinished, this, &LinkedDownloadTask::slotMemoryDataReadFinished,
        Qt::DirectConnection);
}

LinkedDownloadTask::~LinkedDownloadTask() = default;

void LinkedDownloadTask::run()
{
    JobPool::jobStarted(this);
    emit signalRunStarted(false);
    bool result = beforeRunCmds();
    for (;;) {
        stepLock.lock();
        if (stepQueue.isEmpty()) {
            stepLock.unlock();
            if (ended)
                break;
            waitForWork();
            continue;
        }
        const QList<DownloadCommand> cmdList = stepQueue.first();
        // With the pre-check on, each step starts from its verdict; with it off a
        // failure carries over, so no later step runs its commands.
        if (!stepOtpQueryDisabled.first()) {
            result = checkCmds(cmdList);
            if (!result)
                emitUpdate();
        }
        const QString stepInfo = stepInfoQueue.first();
        if (result)
            result = runCmds(cmdList);
        stepQueue.removeFirst();
        stepInfoQueue.removeFirst();
        stepOtpQueryDisabled.removeFirst();

        stepResultInfoMap.insert(QStringLiteral("linkedStepInfo"), stepInfo);
        stepResultInfoMap.insert(QStringLiteral("linkedTaskInfo"), QVariant::fromValue(taskInfo));
        stepResultInfoMap.insert(QStringLiteral("linkedDeviceType"), QVariant::fromValue(type));
        stepResultInfoMap.insert(QStringLiteral("linkedDeviceInfo"), info);
        emit signalLinkedStepFinished(m_uuid, step, result, stepResultInfoMap);
        ++step;
        stepLock.unlock();
        if (ended)
            break; // steps still queued are not run
        waitForWork();
    }

    {
        std::lock_guard<std::mutex> locker(stepLock); // an empty addCmds may still write taskInfo
        stepResultInfoMap = QVariantMap();
        stepResultInfoMap.insert(QStringLiteral("linkedUuid"), m_uuid);
        stepResultInfoMap.insert(QStringLiteral("linkedTaskInfo"), QVariant::fromValue(taskInfo));
        const int status = taskInfo.status;
        if (status != Constants::StatusStop && status != Constants::StatusOtpOutOfRange
            && status != Constants::StatusOtpLocked && status != Constants::StatusNoCommand) {
            taskInfo.progress = 100;
            taskInfo.total = 100;
            taskInfo.status = result ? Constants::StatusRunSuccess : Constants::StatusFailed;
            emitUpdate();
        }
        if (isEmitFinishSignal || !result)
            emit signalRunFinished(result, stepResultInfoMap);
    }
    afterRunCmds();
    // The pool deletes the job once run() returns: let a caller still inside
    // addCmds or endSend leave it first.
    std::lock_guard<std::mutex> steps(stepLock);
    std::lock_guard<std::mutex> wakes(wakeLock);
}

void LinkedDownloadTask::waitForWork()
{
    if (fixedSleepPolling) {
        QThread::msleep(PollIntervalMs);
        return;
    }
    std::unique_lock<std::mutex> locker(wakeLock);
    if (!wakePending && !ended)
        wakeCondition.wait_for(locker, std::chrono::milliseconds(PollIntervalMs));
    wakePending = false;
}

void LinkedDownloadTask::wake(bool end)
{
    std::lock_guard<std::mutex> locker(wakeLock);
    if (end)
        ended = true;
    wakePending = true;
    wakeCondition.notify_all();
}

void LinkedDownloadTask::addCmds(QList<DownloadCommand> cmdList, QVariant info, QString stepInfo)
{
    Q_UNUSED(info) // the device stays the one the job opened
    if (cmdList.isEmpty()) {
        DownloadTaskInfo endInfo;
        {
            std::lock_guard<std::mutex> locker(stepLock);
            taskInfo.status = Constants::StatusNoCommand;
            taskInfo.progress = 100;
            taskInfo.total = 100;
            endInfo = taskInfo;
        }
        // Reported before the end is marked: once ended is set the job may be gone.
        emit callbackDownloadTaskUpdate(id, endInfo);
        wake(true);
        return;
    }
    std::lock_guard<std::mutex> locker(stepLock);
    stepQueue.append(cmdList);
    stepInfoQueue.append(stepInfo);
    stepOtpQueryDisabled.append(isDisableOTPQuery.load());
    wake(false);
}

void LinkedDownloadTask::endSend(QVariantMap endInfoMap)
{
    // The flag goes first, so the job never closes without seeing it.
    const QString key = QStringLiteral("isLoadBLFWCmd");
    if (endInfoMap.contains(key))
        skipResetConfig = endInfoMap.value(key).toString() == QLatin1String("1");
    wake(true);
}

void LinkedDownloadTask::slotOTPMemoryQueried(
    uint32_t startAddress, uint32_t endAddress, uint32_t unitSize, uint32_t memorySize)
{
    emit signalLinkedOTPMemoryQueried(m_uuid, startAddress, endAddress, unitSize, memorySize);
}

void LinkedDownloadTask::slotMemoryDataReadFinished(uint32_t address, QVector<uint8_t> dataVec)
{
    emit signalLinkedMemoryDataReadFinished(m_uuid, address, dataVec);
}

} // namespace RomCmd
