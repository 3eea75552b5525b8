// The one object through which the GUI reaches devices: starts every worker job and
// forwards its signals, runs connection tests (loading the bootloader firmware into a
// device that runs the plain ROM and waiting for it to restart), and keeps the host
// device list in step with arrivals and removals. Lives on the GUI thread.
#pragma once

#include "records.h"
#include "romcmd.h"
#include "serialportlister.h"

#include <QList>
#include <QMap>
#include <QObject>
#include <QPair>
#include <QSharedPointer>
#include <QString>
#include <QVariant>
#include <QVector>
#include <functional>
#include <memory>

class QRunnable;
class QTimer;
class DetectDevicesWin;
class DeviceListInfo;
class HotplugSource;

namespace RomCmd {

class DownloadCmd;
class LinkedDownloadTask;
class customcmdtask;

// One device under connection test or waiting for its restart.
struct DeviceConnectInfo
{
    QVariant info; // UsbInfo or SerialPortInfo as given to the test
    EDeviceType type = EDeviceTypeUart;
    int loadTimes = 0; // bootloader-firmware loads tried for this device
    unsigned lifecycle = 0; // life cycle the device reported
    int status = 2; // status-text key: 2 querying, 3 loading firmware
};

class RomUiMode : public QObject
{
    Q_OBJECT
public:
    static constexpr int UartRestartIntervalMs = 2000;
    static constexpr int UsbRestartIntervalMs = 10000;
    // UART timer ticks (shared by all UART devices) before a restart wait is given up.
    static constexpr int UartRetryLimit = 5;
    // Tests of a device still answering with its plain ROM after this many loads end.
    static constexpr int MaxFirmwareLoads = 3;

    // Watches the system's hot-plug source.
    explicit RomUiMode(QObject* parent = nullptr);
    // Watches the given source (tests, the demo build).
    explicit RomUiMode(std::unique_ptr<HotplugSource> source, QObject* parent = nullptr);
    ~RomUiMode() override;

    // A native message of the main window; false when it was not a device change.
    bool nativeEvent(const QByteArray& eventType, void* message);

    // Drops every record (and its timer) of the device.
    void clearDevice(const QVariant& info, EDeviceType type);
    // Stops and releases the timer of run id; with an empty id, the entry holding timer.
    // A given timer that is not the one stored under id leaves everything as it is.
    void removeTimer(const QString& id, QTimer* timer = nullptr);
    // Queues the firmware load on the linked job of uuid; false when no firmware is found.
    bool loadBootloaderFirmware(const QString& uuid, bool isSigned);
    // The 8 bytes at offset 0x90 of the firmware file as 16 lower-case hex digits.
    QString readFirmwareId(const QString& path);
    void updateConnectFinishedStatus(const QString& uuid, const QString& deviceId, bool result,
        const QVariantMap& stepResultInfoMap, bool isLoadBLFW);

    // Port name for UART, device path for USB-HID, else empty.
    static QString deviceId(const QVariant& info, EDeviceType type);
    // "bl_fw" folder name of a SoC: every "/" as "_".
    static QString firmwareSeriesName(const QString& socName);
    // File name below the series folder for the FwLoadType setting and the signing rule.
    static QString firmwareFileName(const QString& seriesName, int fwLoadType, bool isSigned);
    // True when the SoC revision (its first character dropped) is below the minimum.
    static bool isSocRevisionBelow(const QString& socRevision, const QString& minSocRevision);

    // ---- for tests and the demo build ----
    void setRestartIntervals(int uartMs, int usbMs);
    void setSerialPortLister(std::unique_ptr<SerialPortLister> lister);
    // The host device list to keep; DeviceListInfo::instance() unless set.
    void setDeviceList(DeviceListInfo* list);
    DeviceListInfo& deviceList() const { return *m_deviceList; }
    DetectDevicesWin* detector() const { return m_detector; }
    const QMap<QString, DeviceConnectInfo>& deviceInfoMap() const { return m_deviceInfoMap; }
    QTimer* restartTimer(const QString& uuid) const;
    int timerCount() const { return m_timerMap.size(); }
    bool hasLinkedTask(const QString& uuid) const { return m_linkedTaskMap.contains(uuid); }
    int linkedTaskCount() const { return m_linkedTaskMap.size(); }
    customcmdtask* customTask() const { return m_customTask; }
    int uartRetryCount() const { return m_uartRetryCount; }
    bool isDownloadStarted() const { return m_downloadStarted; }

signals:
    void signalUpdateUsbDevice(UsbInfo info, bool isArrival);
    void signalUpdatePortDevice(QString port, bool isArrival);
    void signalDeviceConnectTestFinished(QVariant info, EDeviceType type, bool result, QVariantMap stepResultInfoMap);
    void callbackDownloadTaskUpdate(QString id, DownloadTaskInfo taskInfo);
    void signalTerminate();
    void signalAddLogs(QString log, LogLevel level = LogDebug);
    void signalRunStarted(bool isShowProgress);
    void signalRunFinished(bool result, QVariantMap resultInfoMap);
    void signalWriteConfigStatus(int status);
    void signalCustomStatus(int status);
    void signalCustomRecvData(int result, QList<QPair<int, QString>> ackList);
    void signalCustomeCmdData(QList<QString> listCmd);
    void signalBatchCmdsRunFinished(bool result, QVariantMap resultInfoMap);
    void signalMemoryDataReadFinished(uint32_t address, QVector<uint8_t> dataVec);
    void signalLinkedOTPMemoryQueried(
        QString uuid, uint32_t startAddress, uint32_t endAddress, uint32_t unitSize, uint32_t memorySize);
    void signalLinkedStepFinished(QString uuid, int step, bool result, QVariantMap stepResultInfoMap);
    void signalLinkedMemoryDataReadFinished(QString uuid, uint32_t address, QVector<uint8_t> dataVec);
    void signalSetLoadingWidgetHided();
    void signalUpdateLoadingProgressStatus(bool isShowProgress);

public slots:
    void slotLoadUsbDevices();
    void slotDeviceConnectTest(QVariant info, EDeviceType type, int connectCnt);
    void slotNewSerialPort(SerialPortInfo port);
    void slotDownloadStarted(bool isStarted);
    void slotDeviceDownloadTask(QVariant info, EDeviceType type, QList<DownloadCommand> list);
    void slotWriteConfigTask(int type, QList<QPair<QString, QString>> srcPathList, QString desPath);
    void slotDeviceLinkedDownloadTask(QVariant info, EDeviceType type, QString uuid, QList<DownloadCommand> list,
        QString stepInfo, bool isEmitFinishSignal = true, bool isDisableOTPQuery = false);
    void slotCustomCmdTask(QVariant info, EDeviceType type);
    void slotDeviceconnect(QVariant info, EDeviceType type, QList<QString> listCmd);
    void slotDeviceDestroy();
    void slotStageDownloadTask(QVariant info, EDeviceType type);
    void slotLinkedCommandsEndSend(QString uuid, QMap<QString, QString> endInfoMap);
    void slotUpdateUsbDevice(UsbInfo info, bool isArrival);
    void slotUpdatePortDevice(QString port, bool isArrival);
    void slotDownloadTaskUpdateCallback(QString id, DownloadTaskInfo taskInfo);
    void slotDeviceConnectLinkedStepFinished(QString uuid, int step, bool result, QVariantMap stepResultInfoMap);
    void slotUartDeviceConnectTimeout();
    void slotUsbDeviceConnectTimeout();

private:
    friend class RomUiModeTestAccess; // tests fire the restart timers themselves

    void init();
    QString timerSizeText() const;
    // What a tick of a restart timer does; the timer slots call these with their sender.
    void uartTimerFired(QTimer* timer);
    void usbTimerFired(QTimer* timer);
    // Run ids of the records of this type that match, in key order; with a
    // timer, only the record holding it.
    QStringList findRecords(
        EDeviceType type, const std::function<bool(const DeviceConnectInfo&)>& match, QTimer* timer = nullptr) const;
    QStringList findRecords(EDeviceType type, const QString& deviceId, QTimer* timer = nullptr) const;
    // Starts a job on the pool, holding the current stop flag.
    void startJob(DownloadCmd* job, QRunnable* runnable);

    bool m_downloadStarted = false;
    QMap<QString, LinkedDownloadTask*> m_linkedTaskMap; // jobs that still accept steps, by run id
    QMap<QString, DeviceConnectInfo> m_deviceInfoMap; // devices under test, by run id
    QMap<QString, QSharedPointer<QTimer>> m_timerMap; // restart timer of each record, by run id
    customcmdtask* m_customTask = nullptr;
    DetectDevicesWin* m_detector = nullptr; // child of this object

    DeviceListInfo* m_deviceList = nullptr;
    std::unique_ptr<SerialPortLister> m_portLister;
    int m_uartIntervalMs = UartRestartIntervalMs;
    int m_usbIntervalMs = UsbRestartIntervalMs;
    int m_uartRetryCount = 0; // shared by every UART device
    // Stop flag of the jobs started since the last stop; jobs hold it, never a
    // connection to this object, so a job may die at any time.
    TerminateToken m_terminate;
};

} // namespace RomCmd
