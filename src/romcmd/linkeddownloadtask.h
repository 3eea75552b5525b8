// Worker job that keeps one device open across several command lists (steps)
// queued one after another under one run id: connection tests, bootloader
// firmware loading and the OTP views chain their steps through it.
#pragma once

#include "downloadcmd.h"

#include <QRunnable>
#include <atomic>
#include <condition_variable>
#include <mutex>

namespace RomCmd {

class LinkedDownloadTask : public DownloadCmd, public QRunnable
{
    Q_OBJECT
public:
    LinkedDownloadTask(QVariant info, EDeviceType type, QString uuid, QList<DownloadCommand> cmdList, QString stepInfo,
        bool isEmitFinishSignal, bool isDisableOTPQuery, QObject* parent = nullptr);
    ~LinkedDownloadTask() override;

    void run() override;

    // GUI thread: queues a further step; waits while a step runs. An empty
    // list ends the run with status 15.
    void addCmds(QList<DownloadCommand> cmdList, QVariant info, QString stepInfo);
    // GUI thread: no further step will come. "isLoadBLFWCmd" = "1" keeps the
    // ROM at its current speed after the run.
    void endSend(QVariantMap endInfoMap);
    QString uuid() const { return m_uuid; }

    // Set by the orchestrator just before each addCmds; the OTP flag is taken
    // with the step it belongs to.
    std::atomic<bool> isEmitFinishSignal;
    std::atomic<bool> isDisableOTPQuery;

    // Benchmark comparison only: poll with a plain 100 ms sleep instead of
    // waiting for addCmds or endSend to wake the job.
    void setFixedSleepPolling(bool on) { fixedSleepPolling = on; }

signals:
    void signalLinkedStepFinished(QString uuid, int step, bool result, QVariantMap stepResultInfoMap);
    void signalLinkedOTPMemoryQueried(
        QString uuid, uint32_t startAddress, uint32_t endAddress, uint32_t unitSize, uint32_t memorySize);
    void signalLinkedMemoryDataReadFinished(QString uuid, uint32_t address, QVector<uint8_t> dataVec);

public slots:
    void slotOTPMemoryQueried(uint32_t startAddress, uint32_t endAddress, uint32_t unitSize, uint32_t memorySize);
    void slotMemoryDataReadFinished(uint32_t address, QVector<uint8_t> dataVec);

private:
    // Returns after at most 100 ms, at once when a step or the end arrived meanwhile.
    void waitForWork();
    // Marks the news and wakes the job; ended is only set here, under wakeLock.
    void wake(bool end);

    QList<QList<DownloadCommand>> stepQueue; // guarded by stepLock
    QList<QString> stepInfoQueue; // guarded by stepLock, one entry per step
    QList<bool> stepOtpQueryDisabled; // guarded by stepLock, one entry per step
    std::mutex stepLock; // held for a whole step; also guards taskInfo against addCmds
    std::atomic<bool> ended { false }; // set only under wakeLock, read anywhere
    QString m_uuid;
    int step = 0;
    bool fixedSleepPolling = false;

    std::mutex wakeLock; // guards wakePending; taken last
    std::condition_variable wakeCondition;
    bool wakePending = false; // addCmds or endSend happened since the job last looked
};

} // namespace RomCmd
