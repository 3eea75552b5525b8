// Worker job that keeps one device open across several command lists (steps)
// queued one after another under one run id: connection tests, bootloader
// firmware loading and the OTP views chain their steps through it.
#pragma once

#include "downloadcmd.h"

#include <QRunnable>
#include <QVector>
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

    // GUI thread: queues a further step and returns at once, also while a step
    // runs. An empty list ends the run with status 15; steps still queued then
    // are not run.
    void addCmds(QList<DownloadCommand> cmdList, QVariant info, QString stepInfo);
    // GUI thread: no further step will come. "isLoadBLFWCmd" = "1" keeps the
    // ROM at its current speed after the run.
    void endSend(QVariantMap endInfoMap);
    QString uuid() const { return m_uuid; }

    // Set by the orchestrator just before each addCmds; the OTP flag is taken
    // with the step it belongs to.
    std::atomic<bool> isEmitFinishSignal;
    std::atomic<bool> isDisableOTPQuery;

signals:
    void signalLinkedStepFinished(QString uuid, int step, bool result, QVariantMap stepResultInfoMap);
    void signalLinkedOTPMemoryQueried(
        QString uuid, uint32_t startAddress, uint32_t endAddress, uint32_t unitSize, uint32_t memorySize);
    void signalLinkedMemoryDataReadFinished(QString uuid, uint32_t address, QVector<uint8_t> dataVec);

public slots:
    void slotOTPMemoryQueried(uint32_t startAddress, uint32_t endAddress, uint32_t unitSize, uint32_t memorySize);
    void slotMemoryDataReadFinished(uint32_t address, QVector<uint8_t> dataVec);

private:
    friend class LinkedDownloadTaskTestAccess; // benchmark: fixed sleeps instead of wake-ups

    struct Step
    {
        QList<DownloadCommand> cmds;
        QString info;
        bool otpCheckDisabled = false;
    };

    // Takes the next step; false when the run is to end. A run ended while a
    // step ran stops there; before that, a step queued ahead of the end still
    // runs. Waits for a step or the end without polling delay.
    bool nextStep(Step* step, bool afterStep);
    // Ends the run after the running step; noCommand marks an empty addCmds (status 15).
    void end(bool noCommand);

    std::mutex queueLock; // guards queue, ended, noCommandEnd; held only around queue operations
    std::condition_variable wakeCondition; // with queueLock
    QVector<Step> queue;
    bool ended = false;
    bool noCommandEnd = false;
    QString m_uuid;
    int step = 0; // job thread only
    bool fixedSleepPolling = false;
};

} // namespace RomCmd
