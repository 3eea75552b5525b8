// The command runner: turns a list of DownloadCommand records into ROM commands
// for one device, keeps the progress record, builds the device report from RTE
// answers and guards OTP accesses against the current SoC's fuse map.
// Base of the worker jobs; everything but slotTerminate runs on the job's thread.
#pragma once

#include "records.h"
#include "romcmd.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QVariant>
#include <QVariantMap>
#include <QVector>
#include <atomic>
#include <cstdint>

namespace RomCmd {

// Most words one write-memory command may carry.
constexpr int MaxWriteWords = 256;

class DownloadCmd : public QObject
{
    Q_OBJECT
public:
    DownloadCmd(QVariant info, EDeviceType type, QObject* parent = nullptr);
    ~DownloadCmd() override;

    // Opens the device; on UART first switches the ROM from 115200 to the
    // record's speed. False when the switch fails or the device cannot be opened.
    virtual bool beforeRunCmds();
    // Switches the ROM back to 115200 unless skipResetConfig, then closes.
    virtual bool afterRunCmds();
    // Runs the list in order and stops at the first failure.
    virtual bool runCmds(const QList<DownloadCommand>& cmdList);

    // Before the job starts: the stop flag it shares with its owner, who may
    // set it from any thread (also after the job is gone).
    void setTerminateToken(TerminateToken token) { m_terminate = std::move(token); }
    TerminateToken terminateToken() const { return m_terminate; }

    bool runCmd(const DownloadCommand& cmd);
    // False (status 12 or 13 in taskInfo) when an OTP access of the list is
    // out of the fuse map or touches a locked word group.
    bool checkCmds(const QList<DownloadCommand>& cmdList);
    void updateShowProgress(const QList<DownloadCommand>& cmdList);
    bool switchBaudRate(int baud);
    // Creates the ROM command object without any baud switch.
    bool openDevice();

    // Read-only views for the jobs' owners and tests.
    QString deviceId() const { return id; }
    DownloadTaskInfo currentTaskInfo() const { return taskInfo; }
    int currentStage() const { return stage; }
    bool showProgress() const { return isShowProgress; }
    uint64_t flashSize() const { return flashSizeMB; }
    QString otpFirstWord() const { return otpFirstWordStr; }
    bool isSkipResetConfig() const { return skipResetConfig.load(); }
    void setSkipResetConfig(bool skip) { skipResetConfig = skip; }
    QVariantMap resultMap() const { return stepResultInfoMap; }

signals:
    void callbackDownloadTaskUpdate(QString id, DownloadTaskInfo taskInfo);
    void signalAddLogs(QString log, LogLevel level);
    void signalAddLogs(QString log);
    void signalRunStarted(bool isShowProgress);
    void signalRunStarted();
    void signalRunFinished(bool result, QVariantMap stepResultInfoMap);
    void signalMemoryDataReadFinished(uint32_t address, QVector<uint8_t> dataVec);
    void signalOTPMemoryQueried(uint32_t startAddress, uint32_t endAddress, uint32_t unitSize, uint32_t memorySize);

public slots:
    // Any thread: sets the stop flag; a transfer ends at its next chunk with
    // status 11 and no further command of the list runs.
    void slotTerminate();
    void slotRTEQueried(int rteId, QVariant variant);
    void slotMemoryReadProgress(uint32_t memoryId, uint32_t address, const uint8_t* value, uint32_t length,
        uint32_t total, uint32_t progress, bool isShowLog);
    void slotMemory2FileReadProgress(int total, int progress);
    void slotMemoryWriteProgress(int total, int progress);
    void slotFile2MemoryWriteProgress(int total, int progress);
    void slotImageLoadProgress(int total, int progress);
    void slotTerminateCallback();

protected:
    void addLog(const QString& log, LogLevel level) { emit signalAddLogs(log, level); }
    void emitUpdate() { emit callbackDownloadTaskUpdate(id, taskInfo); }
    // Progress of a data phase; doneFormat (id, progress, total) is logged once it completes.
    void reportProgress(const QString& doneFormat, int total, int progress);
    // The loop every job's list runs through: cmdIndex counts from offset + 1,
    // lastStatus follows the last command, and a stop leaves status 11 when
    // keepStop (else 9). The caller sets cmdCount.
    bool runList(const QList<DownloadCommand>& cmdList, int offset, int lastStatus, bool keepStop);

    QString id;
    RomCmd* romCmd = nullptr; // job thread only
    DownloadTaskInfo taskInfo;
    int stage = EStageNone;
    QVariant info;
    EDeviceType type;
    int currentBaudRate = 115200;
    std::atomic<bool> skipResetConfig { false }; // set from the GUI thread by endSend
    QVariantMap stepResultInfoMap;
    uint64_t flashSizeMB = 0;
    bool isShowProgress = true;
    QString otpMemoryId;
    QString otpFirstWordStr;

private:
    bool runQueryRte(const DownloadCommand& cmd);
    bool runConfigRte(const DownloadCommand& cmd);
    bool runConfigMemory(const DownloadCommand& cmd);
    bool runWriteMemory(const DownloadCommand& cmd);
    bool runReadMemory(const DownloadCommand& cmd);
    bool runLoadImage(const DownloadCommand& cmd);
    bool runErase(const DownloadCommand& cmd, bool wholeChip);
    bool runReset(const DownloadCommand& cmd);
    // Memory query before an erase; sets flashSizeMB when it succeeds.
    void queryFlashSize(const QString& memoryId);
    // The level-3 failure line, plus the boot-mode hint for NAK, Abort and Failure.
    void failed(const QString& message, int status);
    bool lackParameter(const DownloadCommand& cmd, const char* key, const QString& message);
    bool configRteOnTemporary(const QVariant& record, int baud);
    void setRomCmd(RomCmd* cmd);

    TerminateToken m_terminate = std::make_shared<std::atomic<bool>>(false);
};

} // namespace RomCmd
