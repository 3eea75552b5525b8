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
    queue.append(Step { cmdList, stepInfo, isDisableOTPQuery });
    // Direct: both ends are this object, and the job may be gone before a queued call could run.
    connect(this, &DownloadCmd::signalOTPMemoryQueried, this, &LinkedDownloadTask::slotOTPMemoryQueried,
        Qt::DirectConnection);
    connect(this, &DownloadCmd::signalMemoryDataReadFinished, this, &LinkedDownloadTask::slotMemoryDataReadFinished,
        Qt::DirectConnection);
}

LinkedDownloadTask::~LinkedDownloadTask() = default;

bool LinkedDownloadTask::nextStep(Step* next, bool afterStep)
{
    std::unique_lock<std::mutex> locker(queueLock);
    if (afterStep && ended)
        return false; // steps still queued are not run
    for (;;) {
        if (!queue.isEmpty()) {
            *next = queue.takeFirst();
            return true;
        }
        if (ended)
            return false;
        if (fixedSleepPolling) {
            locker.unlock();
            QThread::msleep(PollIntervalMs);
            locker.lock();
        } else {
            wakeCondition.wait_for(locker, std::chrono::milliseconds(PollIntervalMs));
        }
    }
}

void LinkedDownloadTask::run()
{
    JobPool::jobStarted(this);
    emit signalRunStarted(false);
    bool result = beforeRunCmds();
    Step current;
    for (bool afterStep = false; nextStep(&current, afterStep); afterStep = true) {
        // With the pre-check on, each step starts from its verdict; with it off a
        // failure carries over, so no later step runs its commands.
        if (!current.otpCheckDisabled) {
            result = checkCmds(current.cmds);
            if (!result)
                emitUpdate();
        }
        if (result)
            result = runCmds(current.cmds);

        stepResultInfoMap.insert(QStringLiteral("linkedStepInfo"), current.info);
        stepResultInfoMap.insert(QStringLiteral("linkedTaskInfo"), QVariant::fromValue(taskInfo));
        stepResultInfoMap.insert(QStringLiteral("linkedDeviceType"), QVariant::fromValue(type));
        stepResultInfoMap.insert(QStringLiteral("linkedDeviceInfo"), info);
        // A copy of its own: the map goes on growing here while the receiver reads it.
        QVariantMap reported = stepResultInfoMap;
        reported.detach();
        emit signalLinkedStepFinished(m_uuid, step, result, reported);
        ++step;
    }

    bool noCommand = false;
    {
        std::lock_guard<std::mutex> locker(queueLock);
        noCommand = noCommandEnd;
    }
    if (noCommand) {
        taskInfo.status = Constants::StatusNoCommand;
        taskInfo.progress = 100;
        taskInfo.total = 100;
        emitUpdate();
    }
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
    afterRunCmds();
    // The pool deletes the job once run() returns: let a caller still inside
    // addCmds or endSend leave it first.
    std::lock_guard<std::mutex> locker(queueLock);
}

void LinkedDownloadTask::end(bool noCommand)
{
    std::lock_guard<std::mutex> locker(queueLock);
    ended = true;
    noCommandEnd = noCommandEnd || noCommand;
    // Under the lock: once it is released the job may finish and be deleted.
    wakeCondition.notify_all();
}

void LinkedDownloadTask::addCmds(QList<DownloadCommand> cmdList, QVariant info, QString stepInfo)
{
    Q_UNUSED(info) // the device stays the one the job opened
    if (cmdList.isEmpty()) {
        end(true);
        return;
    }
    std::lock_guard<std::mutex> locker(queueLock);
    queue.append(Step { cmdList, stepInfo, isDisableOTPQuery.load() });
    wakeCondition.notify_all();
}

void LinkedDownloadTask::endSend(QVariantMap endInfoMap)
{
    // The flag goes first, so the job never closes without seeing it.
    const QString key = QStringLiteral("isLoadBLFWCmd");
    if (endInfoMap.contains(key))
        skipResetConfig = endInfoMap.value(key).toString() == QLatin1String("1");
    end(false);
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
