#include "romuimode.h"

#include "apppaths.h"
#include "constants.h"
#include "customcmdtask.h"
#include "detectdeviceswin.h"
#include "devicelistinfo.h"
#include "downloadtask.h"
#include "globalsetting.h"
#include "ids.h"
#include "jobpool.h"
#include "linkeddownloadtask.h"
#include "projectconfig.h"
#include "romstatus.h"
#include "socdatabase.h"
#include "stagedownloadtask.h"
#include "writeconfigtask.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <QThreadPool>
#include <QTimer>

namespace RomCmd {

namespace {

const QString KeyStepInfo = QStringLiteral("linkedStepInfo");
const QString KeyDeviceType = QStringLiteral("linkedDeviceType");
const QString KeyDeviceInfo = QStringLiteral("linkedDeviceInfo");
const QString KeyRomVersion = QStringLiteral("romVersion");
const QString KeySocRevision = QStringLiteral("socRevision");
const QString KeyLifecycle = QStringLiteral("lifecycle");
const QString KeyIsLoadBlfw = QStringLiteral("isLoadBLFWCmd");
const QString StepQueryRte = QStringLiteral("linkedStepInfoQueryRte");
const QString StepLoadBlfw = QStringLiteral("linkedStepInfoLoadBLFW");

constexpr qint64 FirmwareIdOffset = 0x90;
constexpr int FirmwareIdBytes = 8;
constexpr int DefaultUartBaud = 115200;

EDeviceType deviceTypeFromVariant(const QVariant& v)
{
    if (v.userType() == qMetaTypeId<EDeviceType>())
        return v.value<EDeviceType>();
    return static_cast<EDeviceType>(v.toInt());
}

// The device record a job gets: without the custom-speed setting a UART ROM is
// always talked to at its power-on speed.
QVariant jobRecord(const QVariant& info, EDeviceType type)
{
    if (type != EDeviceTypeUart || GlobalSetting::instance().fwLoadUseCustomBaudRate())
        return info;
    SerialPortInfo port = recordFromVariant<SerialPortInfo>(info);
    port.baudRate = DefaultUartBaud;
    return QVariant::fromValue(port);
}

DownloadCommand makeCommand(int nameId, const QMap<QString, QString>& params = {})
{
    DownloadCommand cmd;
    cmd.id = Ids::newId();
    cmd.nameId = nameId;
    cmd.params = params;
    return cmd;
}

// Releases a timer from any context, including its own timeout slot.
void releaseTimer(QTimer* timer)
{
    timer->stop();
    timer->deleteLater();
}

// A dotted all-digit revision as numbers; empty when any part is not a number.
QList<qulonglong> numericParts(const QString& text)
{
    QList<qulonglong> parts;
    const QStringList items = text.split(QLatin1Char('.'));
    for (const QString& item : items) {
        bool ok = false;
        const qulonglong n = item.toULongLong(&ok);
        if (!ok)
            return {};
        parts.append(n);
    }
    return parts;
}

} // namespace

RomUiMode::RomUiMode(QObject* parent)
    : QObject(parent)
    , m_detector(new DetectDevicesWin(this))
{
    init();
}

RomUiMode::RomUiMode(std::unique_ptr<HotplugSource> source, QObject* parent)
    : QObject(parent)
    , m_detector(new DetectDevicesWin(std::move(source), this))
{
    init();
}

void RomUiMode::init()
{
    registerMetaTypes();
    registerRomMetaTypes();
    qRegisterMetaType<QVariantMap>("QVariantMap");
    qRegisterMetaType<QList<QString>>("QList<QString>");
    qRegisterMetaType<QList<QPair<int, QString>>>("QList<QPair<int,QString>>");
    qRegisterMetaType<QList<QPair<QString, QString>>>("QList<QPair<QString,QString>>");
    qRegisterMetaType<QMap<QString, QString>>("QMap<QString,QString>");
    m_deviceList = &DeviceListInfo::instance();
    m_portLister = std::make_unique<SerialPortLister>();
    m_terminate = std::make_shared<std::atomic<bool>>(false);
    connect(m_detector, &DetectDevicesWin::signalUpdateUsbDevice, this, &RomUiMode::signalUpdateUsbDevice);
}

RomUiMode::~RomUiMode()
{
    slotDeviceDestroy();
    // Linked jobs still waiting for steps would poll for ever: end them.
    for (LinkedDownloadTask* job : qAsConst(m_linkedTaskMap))
        job->endSend(QVariantMap());
    m_linkedTaskMap.clear();
    for (const auto& timer : qAsConst(m_timerMap))
        timer->stop();
    m_timerMap.clear();
}

bool RomUiMode::nativeEvent(const QByteArray& eventType, void* message)
{
    return m_detector->nativeEvent(eventType, message);
}

// ---------------------------------------------------------------- helpers

QString RomUiMode::deviceId(const QVariant& info, EDeviceType type)
{
    if (type == EDeviceTypeUart)
        return recordFromVariant<SerialPortInfo>(info).portName;
    if (type == EDeviceTypeUsbHid)
        return recordFromVariant<UsbInfo>(info).devicePath;
    return QString();
}

QString RomUiMode::firmwareSeriesName(const QString& socName)
{
    QString series = socName;
    series.replace(QLatin1Char('/'), QLatin1Char('_'));
    return series;
}

QString RomUiMode::firmwareFileName(const QString& seriesName, int fwLoadType, bool isSigned)
{
    QString ending;
    if (fwLoadType == 1)
        ending = QStringLiteral("unsigned.bin");
    else if (fwLoadType == 2)
        ending = QStringLiteral("signed.bin");
    else
        ending = isSigned ? QStringLiteral("signed.bin") : QStringLiteral("unsigned.bin");
    return seriesName.toLower() + QStringLiteral("_blfw_") + ending;
}

bool RomUiMode::isSocRevisionBelow(const QString& socRevision, const QString& minSocRevision)
{
    const QString revision = socRevision.mid(1);
    // Compared part by part as numbers so that 0.10.0 is not taken for less than 0.9.0;
    // anything that is not dotted digits falls back to a text comparison.
    QList<qulonglong> a = numericParts(revision);
    QList<qulonglong> b = numericParts(minSocRevision);
    if (a.isEmpty() || b.isEmpty())
        return revision < minSocRevision;
    while (a.size() < b.size())
        a.append(0);
    while (b.size() < a.size())
        b.append(0);
    for (int i = 0; i < a.size(); ++i) {
        if (a[i] != b[i])
            return a[i] < b[i];
    }
    return false;
}

void RomUiMode::setRestartIntervals(int uartMs, int usbMs)
{
    m_uartIntervalMs = uartMs;
    m_usbIntervalMs = usbMs;
}

void RomUiMode::setSerialPortLister(std::unique_ptr<SerialPortLister> lister)
{
    m_portLister = lister ? std::move(lister) : std::make_unique<SerialPortLister>();
}

void RomUiMode::setDeviceList(DeviceListInfo* list)
{
    m_deviceList = list ? list : &DeviceListInfo::instance();
}

QTimer* RomUiMode::restartTimer(const QString& uuid) const
{
    return m_timerMap.value(uuid).data();
}

QStringList RomUiMode::findRecords(
    EDeviceType type, const std::function<bool(const DeviceConnectInfo&)>& match, QTimer* timer) const
{
    QStringList runIds;
    for (auto it = m_deviceInfoMap.cbegin(); it != m_deviceInfoMap.cend(); ++it) {
        if (it->type == type && (!timer || m_timerMap.value(it.key()).data() == timer) && match(*it))
            runIds.append(it.key());
    }
    return runIds;
}

QStringList RomUiMode::findRecords(EDeviceType type, const QString& id, QTimer* timer) const
{
    return findRecords(
        type, [&](const DeviceConnectInfo& record) { return deviceId(record.info, record.type) == id; }, timer);
}

QString RomUiMode::timerSizeText() const
{
    return QStringLiteral("deviceInfoMap size: ") + QString::number(m_deviceInfoMap.size())
        + QStringLiteral(" timer size: ") + QString::number(m_timerMap.size());
}

// ---------------------------------------------------------------- host devices

void RomUiMode::slotLoadUsbDevices()
{
    m_detector->loadUsbDevices();
}

void RomUiMode::slotNewSerialPort(SerialPortInfo port)
{
    // The host list does not look for duplicates itself.
    bool known = false;
    for (const SerialPortInfo& p : m_deviceList->serialPorts())
        known = known || p.portName == port.portName;
    if (!known)
        m_deviceList->addDevice(port);
    if (m_downloadStarted)
        slotDeviceConnectTest(QVariant::fromValue(port), EDeviceTypeUart, 0);
}

void RomUiMode::slotDownloadStarted(bool isStarted)
{
    m_downloadStarted = isStarted;
    if (!isStarted) {
        // Jobs started from now on are not stopped.
        m_terminate->store(true);
        m_terminate = std::make_shared<std::atomic<bool>>(false);
        emit signalTerminate();
        return;
    }
    const QList<UsbInfo> usbDevices = m_deviceList->usbDevices();
    for (const UsbInfo& usb : usbDevices)
        slotDeviceConnectTest(QVariant::fromValue(usb), EDeviceTypeUsbHid, 0);
    const QList<SerialPortInfo> ports = m_deviceList->serialPorts();
    for (const SerialPortInfo& port : ports)
        slotDeviceConnectTest(QVariant::fromValue(port), EDeviceTypeUart, 0);
}

void RomUiMode::slotUpdateUsbDevice(UsbInfo info, bool isArrival)
{
    // The node path may change when the device comes back after its restart;
    // the port-based instance id does not.
    QStringList ids;
    if (!info.instanceId.isEmpty()) {
        ids = findRecords(EDeviceTypeUsbHid, [&](const DeviceConnectInfo& record) {
            return recordFromVariant<UsbInfo>(record.info).instanceId == info.instanceId;
        });
    }
    if (ids.isEmpty())
        ids = findRecords(EDeviceTypeUsbHid, info.devicePath);
    const QString recordId = ids.value(0);
    if (!isArrival) {
        // A device under test that leaves is restarting into its firmware.
        if (recordId.isEmpty())
            m_deviceList->removeDevice(EDeviceTypeUsbHid, info.devicePath);
        return;
    }
    if (recordId.isEmpty())
        return;
    const DeviceConnectInfo record = m_deviceInfoMap.value(recordId);
    removeTimer(recordId);
    m_deviceInfoMap.remove(recordId);
    // Tested under the node it arrived with.
    slotDeviceConnectTest(QVariant::fromValue(info), record.type, record.loadTimes);
}

void RomUiMode::slotUpdatePortDevice(QString port, bool isArrival)
{
    if (!isArrival)
        m_deviceList->removeDevice(EDeviceTypeUart, port);
}

// ---------------------------------------------------------------- job dispatch

void RomUiMode::slotDeviceDownloadTask(QVariant info, EDeviceType type, QList<DownloadCommand> list)
{
    auto* job = new DownloadTask(info, type, list);
    connect(job, &DownloadCmd::callbackDownloadTaskUpdate, this, &RomUiMode::callbackDownloadTaskUpdate);
    connect(job, QOverload<QString, LogLevel>::of(&DownloadCmd::signalAddLogs), this, &RomUiMode::signalAddLogs);
    connect(job, QOverload<bool>::of(&DownloadCmd::signalRunStarted), this, &RomUiMode::signalRunStarted);
    connect(job, &DownloadCmd::signalRunFinished, this, &RomUiMode::signalRunFinished);
    connect(job, &DownloadCmd::signalMemoryDataReadFinished, this, &RomUiMode::signalMemoryDataReadFinished);
    startJob(job, job);
}

void RomUiMode::slotDeviceLinkedDownloadTask(QVariant info, EDeviceType type, QString uuid, QList<DownloadCommand> list,
    QString stepInfo, bool isEmitFinishSignal, bool isDisableOTPQuery)
{
    if (LinkedDownloadTask* job = m_linkedTaskMap.value(uuid)) {
        job->isEmitFinishSignal = isEmitFinishSignal;
        job->isDisableOTPQuery = isDisableOTPQuery;
        job->addCmds(list, info, stepInfo);
        // An empty list ends the job; it may be gone as soon as it notices.
        if (list.isEmpty())
            m_linkedTaskMap.remove(uuid);
        return;
    }
    auto* job = new LinkedDownloadTask(info, type, uuid, list, stepInfo, isEmitFinishSignal, isDisableOTPQuery);
    connect(job, &DownloadCmd::callbackDownloadTaskUpdate, this, &RomUiMode::slotDownloadTaskUpdateCallback);
    connect(job, QOverload<QString, LogLevel>::of(&DownloadCmd::signalAddLogs), this, &RomUiMode::signalAddLogs);
    connect(job, QOverload<bool>::of(&DownloadCmd::signalRunStarted), this, &RomUiMode::signalRunStarted);
    connect(job, &DownloadCmd::signalRunFinished, this, &RomUiMode::signalRunFinished);
    connect(job, &LinkedDownloadTask::signalLinkedMemoryDataReadFinished, this,
        &RomUiMode::signalLinkedMemoryDataReadFinished);
    connect(job, &LinkedDownloadTask::signalLinkedOTPMemoryQueried, this, &RomUiMode::signalLinkedOTPMemoryQueried);
    connect(job, &LinkedDownloadTask::signalLinkedStepFinished, this, &RomUiMode::signalLinkedStepFinished);
    connect(job, &LinkedDownloadTask::signalLinkedStepFinished, this, &RomUiMode::slotDeviceConnectLinkedStepFinished);
    m_linkedTaskMap.insert(uuid, job);
    startJob(job, job);
}

void RomUiMode::slotStageDownloadTask(QVariant info, EDeviceType type)
{
    // The job copies both lists while it is built.
    const QList<DownloadCommand> openCmds = ProjectConfig::instance().openCommands();
    const QList<DownloadCommand> closeCmds = ProjectConfig::instance().closeCommands();
    auto* job = new StageDownloadTask(info, type, &openCmds, &closeCmds);
    connect(job, &DownloadCmd::callbackDownloadTaskUpdate, this, &RomUiMode::slotDownloadTaskUpdateCallback);
    connect(job, QOverload<bool>::of(&DownloadCmd::signalRunStarted), this, &RomUiMode::signalRunStarted);
    connect(job, &DownloadCmd::signalRunFinished, this, &RomUiMode::signalRunFinished);
    connect(job, QOverload<QString, LogLevel>::of(&DownloadCmd::signalAddLogs), this, &RomUiMode::signalAddLogs);
    connect(job, &StageDownloadTask::signalUpdateLoadingProgressStatus, this,
        &RomUiMode::signalUpdateLoadingProgressStatus);
    startJob(job, job);
}

void RomUiMode::startJob(DownloadCmd* job, QRunnable* runnable)
{
    job->setTerminateToken(m_terminate);
    JobPool::start(runnable, 0);
}

void RomUiMode::slotWriteConfigTask(int type, QList<QPair<QString, QString>> srcPathList, QString desPath)
{
    auto* job = new writeconfigtask(type, srcPathList, desPath);
    connect(job, &writeconfigtask::signalTaskStatus, this, &RomUiMode::signalWriteConfigStatus);
    connect(job, &writeconfigtask::signalAddLogs, this, &RomUiMode::signalAddLogs);
    JobPool::start(job, 0);
}

void RomUiMode::slotLinkedCommandsEndSend(QString uuid, QMap<QString, QString> endInfoMap)
{
    if (LinkedDownloadTask* job = m_linkedTaskMap.value(uuid)) {
        QVariantMap endMap;
        for (auto it = endInfoMap.cbegin(); it != endInfoMap.cend(); ++it)
            endMap.insert(it.key(), it.value());
        job->endSend(endMap);
        m_linkedTaskMap.remove(uuid);
    }
    if (m_deviceInfoMap.contains(uuid) && endInfoMap.value(KeyIsLoadBlfw) != QLatin1String("1")) {
        removeTimer(uuid);
        m_deviceInfoMap.remove(uuid);
    }
    qInfo().noquote() << QStringLiteral("slotLinkedCommandsEndSend ") + timerSizeText();
}

void RomUiMode::slotDownloadTaskUpdateCallback(QString id, DownloadTaskInfo taskInfo)
{
    DownloadTaskInfo shown = taskInfo;
    for (const QString& runId : findRecords(static_cast<EDeviceType>(taskInfo.deviceType), id)) {
        const int status = m_deviceInfoMap.value(runId).status;
        if (status != Constants::StatusRunCommand)
            shown.status = status;
    }
    m_deviceList->setStatus(static_cast<EDeviceType>(taskInfo.deviceType), id, taskInfo.status);
    emit callbackDownloadTaskUpdate(id, shown);
}

// ---------------------------------------------------------------- Krel jobs

void RomUiMode::slotCustomCmdTask(QVariant info, EDeviceType type)
{
    if (m_customTask)
        return;
    m_customTask = new customcmdtask(info, type);
    m_customTask->setRunFlag(true);
    m_customTask->setAutoDelete(false);
    connect(m_customTask, &customcmdtask::signalTaskStatus, this, &RomUiMode::signalCustomStatus);
    connect(m_customTask, &customcmdtask::signalRecvData, this, &RomUiMode::signalCustomRecvData);
    connect(this, &RomUiMode::signalCustomeCmdData, m_customTask, &customcmdtask::slotSendCmd);
    JobPool::start(m_customTask, 0);
}

void RomUiMode::slotDeviceconnect(QVariant info, EDeviceType type, QList<QString> listCmd)
{
    slotCustomCmdTask(info, type);
    if (!listCmd.isEmpty())
        emit signalCustomeCmdData(listCmd);
}

void RomUiMode::slotDeviceDestroy()
{
    if (!m_customTask)
        return;
    customcmdtask* job = m_customTask;
    job->setRunFlag(false);
    // A job the pool has not started yet is taken back; a started one is waited
    // for until run() has returned for good (isRunning() is also false before it starts).
    if (!QThreadPool::globalInstance()->tryTake(job)) {
        while (!job->hasFinished())
            QThread::msleep(5);
    }
    disconnect(job, &customcmdtask::signalTaskStatus, this, &RomUiMode::signalCustomStatus);
    disconnect(job, &customcmdtask::signalRecvData, this, &RomUiMode::signalCustomRecvData);
    disconnect(this, &RomUiMode::signalCustomeCmdData, job, &customcmdtask::slotSendCmd);
    m_customTask = nullptr;
    delete job;
}

// ---------------------------------------------------------------- connection test

void RomUiMode::slotDeviceConnectTest(QVariant info, EDeviceType type, int connectCnt)
{
    const QList<DownloadCommand> list { makeCommand(1) };

    DeviceConnectInfo record;
    record.info = info;
    record.type = type;
    record.loadTimes = connectCnt;
    record.status = Constants::StatusQueryRomVersion;

    // Parented as well, so that timers released with deleteLater never outlive us.
    QSharedPointer<QTimer> timer(new QTimer(this), &releaseTimer);
    if (type == EDeviceTypeUart)
        connect(timer.data(), &QTimer::timeout, this, &RomUiMode::slotUartDeviceConnectTimeout);
    else
        connect(timer.data(), &QTimer::timeout, this, &RomUiMode::slotUsbDeviceConnectTimeout);

    const QVariant jobInfo = jobRecord(info, type);
    const QString id = deviceId(info, type);
    qInfo().noquote() << QStringLiteral("Device Connect Test deviceId: ") + id;

    clearDevice(info, type);

    const QString uuid = Ids::newId();
    m_deviceInfoMap.insert(uuid, record);
    m_timerMap.insert(uuid, timer);

    slotDeviceLinkedDownloadTask(jobInfo, type, uuid, list, StepQueryRte, true, false);
}

void RomUiMode::slotDeviceConnectLinkedStepFinished(QString uuid, int step, bool result, QVariantMap map)
{
    const QString stepInfo = map.value(KeyStepInfo).toString();
    const EDeviceType type = deviceTypeFromVariant(map.value(KeyDeviceType));
    const QString id = deviceId(map.value(KeyDeviceInfo), type);
    qInfo().noquote() << QStringLiteral("uuid:") + uuid + QStringLiteral(" deviceId: ") + id + QStringLiteral(" step: ")
            + QString::number(step) + QStringLiteral(" result: ") + QString::number(result)
            + QStringLiteral(" stepInfo: ") + stepInfo;

    // Linked runs of other views pass through here too.
    if (!m_deviceInfoMap.contains(uuid))
        return;

    if (!result) {
        updateConnectFinishedStatus(uuid, id, false, map, false);
        return;
    }

    if (step == 0) {
        const QString romVersion = map.value(KeyRomVersion).toString();
        const unsigned lifecycle = map.value(KeyLifecycle).toUInt();
        const QString socRevision = map.value(KeySocRevision).toString();
        m_deviceInfoMap[uuid].lifecycle = lifecycle;
        emit signalAddLogs(tr("Rom version: %1, Soc revision: %2 life cycle: %3")
                               .arg(romVersion, socRevision, QString::number(lifecycle)),
            LogDebug);

        if (romVersion.startsWith(QLatin1Char('F'), Qt::CaseInsensitive)) {
            // Already running the bootloader firmware.
            updateConnectFinishedStatus(uuid, id, true, map, false);
        } else if (romVersion.startsWith(QLatin1Char('V'), Qt::CaseInsensitive)) {
            const QString minRevision = SocDatabase::instance().currentSoc().minSocRevision;
            if (isSocRevisionBelow(socRevision, minRevision)) {
                emit signalAddLogs(
                    tr("Current soc revision is less than minimal soc revision: ") + minRevision, LogWarning);
                // The device is used with its ROM, without firmware.
                updateConnectFinishedStatus(uuid, id, true, map, false);
            } else if (m_deviceInfoMap.value(uuid).loadTimes >= MaxFirmwareLoads) {
                emit signalAddLogs(tr("Try to load firmware failed!"), LogWarning);
                updateConnectFinishedStatus(uuid, id, true, map, false);
            } else {
                m_deviceInfoMap[uuid].status = Constants::StatusLoadingRomFirmware;
                // Otherwise the firmware step is now queued on the same linked job.
                if (!loadBootloaderFirmware(uuid, lifecycle > 4))
                    updateConnectFinishedStatus(uuid, id, true, map, false);
            }
        } else {
            updateConnectFinishedStatus(uuid, id, false, map, false);
        }
        return;
    }

    if (step == 1) {
        if (stepInfo != StepLoadBlfw)
            return;
        const DeviceConnectInfo record = m_deviceInfoMap.value(uuid);
        if (QTimer* timer = m_timerMap.value(uuid).data()) {
            if (record.type == EDeviceTypeUart)
                timer->start(m_uartIntervalMs);
            else if (record.type == EDeviceTypeUsbHid)
                timer->start(m_usbIntervalMs);
        }
        updateConnectFinishedStatus(uuid, id, true, map, true);
        return;
    }

    updateConnectFinishedStatus(uuid, id, false, map, false);
}

void RomUiMode::updateConnectFinishedStatus(
    const QString& uuid, const QString& deviceId, bool result, const QVariantMap& map, bool isLoadBLFW)
{
    qInfo().noquote() << QStringLiteral("updateConnectFinishedStatus") + QStringLiteral(" uuid: ") + uuid
            + QStringLiteral(" deviceId: ") + deviceId + QStringLiteral(" result: ") + QString::number(result)
            + QStringLiteral(" isLoadBLFW: ") + QString::number(isLoadBLFW);
    if (!m_deviceInfoMap.contains(uuid))
        return;

    const QMap<QString, QString> endMap { { KeyIsLoadBlfw, isLoadBLFW ? QStringLiteral("1") : QStringLiteral("0") } };
    if (isLoadBLFW) {
        // The job ends without resetting the baud rate; the record and its timer stay.
        slotLinkedCommandsEndSend(uuid, endMap);
        emit signalAddLogs(tr("Waiting for the device to restart! Please don't operate the device!"), LogWarning);
        return;
    }

    const DeviceConnectInfo record = m_deviceInfoMap.value(uuid);
    // The run id lets a window tie the test's verdict to its linked run's own end.
    QVariantMap reported = map;
    reported.insert(QStringLiteral("linkedUuid"), uuid);
    emit signalDeviceConnectTestFinished(record.info, record.type, result, reported);
    clearDevice(record.info, record.type);
    slotLinkedCommandsEndSend(uuid, endMap);
    emit signalBatchCmdsRunFinished(result, map);
}

bool RomUiMode::loadBootloaderFirmware(const QString& uuid, bool isSigned)
{
    if (!m_deviceInfoMap.contains(uuid))
        return false;
    DeviceConnectInfo& record = m_deviceInfoMap[uuid];
    ++record.loadTimes;
    emit signalAddLogs(tr("Find bootloader firmware and load...Times: ") + QString::number(record.loadTimes), LogDebug);

    const QString series = firmwareSeriesName(SocDatabase::instance().currentSocBaseName());
    const QString folder = AppPaths::dataPath(QStringLiteral("bl_fw")) + QLatin1Char('/') + series;
    if (!QDir(folder).exists()) {
        emit signalAddLogs(tr("Cannot locate bootloader firmware folder path: ") + folder, LogWarning);
        return false;
    }
    const QString file
        = folder + QLatin1Char('/') + firmwareFileName(series, GlobalSetting::instance().fwLoadType(), isSigned);
    if (!QFileInfo(file).isFile()) {
        emit signalAddLogs(tr("Cannot locate bootloader firmware path: ") + file, LogWarning);
        return false;
    }
    emit signalAddLogs(tr("load firmware: ") + file + QLatin1Char(' ') + readFirmwareId(file), LogDebug);

    const QList<DownloadCommand> list { makeCommand(6, { { QString::fromLatin1(ParamKey::ImagePath), file } }) };
    const QVariant jobInfo = jobRecord(record.info, record.type);
    slotDeviceLinkedDownloadTask(jobInfo, record.type, uuid, list, StepLoadBlfw, false, false);
    return true;
}

QString RomUiMode::readFirmwareId(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        emit signalAddLogs(tr("Open file failed: ") + path, LogWarning);
        return QString();
    }
    if (!file.seek(FirmwareIdOffset)) {
        emit signalAddLogs(tr("Seek file error! Error: ") + QString::number(file.error()), LogError);
        return QString();
    }
    const QByteArray bytes = file.read(FirmwareIdBytes);
    if (bytes.size() < FirmwareIdBytes) {
        emit signalAddLogs(tr("Read address length error! Address offset: ")
                + QStringLiteral("%1").arg(FirmwareIdOffset, 8, 16, QLatin1Char('0')),
            LogDebug);
        return QString();
    }
    return QString::fromLatin1(bytes.toHex());
}

// ---------------------------------------------------------------- records and timers

void RomUiMode::clearDevice(const QVariant& info, EDeviceType type)
{
    const QString id = deviceId(info, type);
    for (const QString& runId : findRecords(type, id)) {
        qInfo().noquote() << QStringLiteral("clearDevice deviceId: ") + id;
        removeTimer(runId);
        m_deviceInfoMap.remove(runId);
        // Nobody could end the dropped run's job any more; it would hold the device for ever.
        if (LinkedDownloadTask* job = m_linkedTaskMap.take(runId))
            job->endSend(QVariantMap());
    }
    qInfo().noquote() << QStringLiteral("clearDeviceConnectInfoMap ") + timerSizeText();
}

void RomUiMode::removeTimer(const QString& id, QTimer* timer)
{
    qInfo().noquote() << QStringLiteral("remove timer: ") + id + QStringLiteral(" size: ")
            + QString::number(m_timerMap.size());
    if (m_timerMap.contains(id)) {
        if (!timer || m_timerMap.value(id).data() == timer)
            m_timerMap.remove(id); // the last reference stops and releases it
    } else if (id.isEmpty() && timer) {
        for (auto it = m_timerMap.begin(); it != m_timerMap.end(); ++it) {
            if (it.value().data() == timer) {
                m_timerMap.erase(it);
                break;
            }
        }
    }
    qInfo().noquote() << QStringLiteral("remove timer finished: ") + id + QStringLiteral(" size: ")
            + QString::number(m_timerMap.size());
}

void RomUiMode::slotUartDeviceConnectTimeout()
{
    uartTimerFired(qobject_cast<QTimer*>(sender()));
}

void RomUiMode::slotUsbDeviceConnectTimeout()
{
    usbTimerFired(qobject_cast<QTimer*>(sender()));
}

void RomUiMode::uartTimerFired(QTimer* timer)
{
    emit signalAddLogs(tr("Refresh UART: "), LogDebug);
    ++m_uartRetryCount;
    if (m_uartRetryCount >= UartRetryLimit) {
        emit signalSetLoadingWidgetHided();
        emit signalAddLogs(
            tr("Cannot detect device connection automatically. Please reset the device and connect it again."),
            LogError);
        m_uartRetryCount = 0;
        removeTimer(QString(), timer);
        return;
    }
    const QStringList ports = m_portLister->portNames();
    for (const QString& port : ports) {
        emit signalAddLogs(tr("Detect UART: ") + port, LogDebug);
        const QString match = findRecords(EDeviceTypeUart, port, timer).value(0);
        if (match.isEmpty())
            continue;
        const DeviceConnectInfo record = m_deviceInfoMap.value(match);
        removeTimer(match, timer);
        m_deviceInfoMap.remove(match);
        m_uartRetryCount = 0;
        slotDeviceConnectTest(record.info, EDeviceTypeUart, record.loadTimes);
        // The timer that fired is gone; no other record can hold it.
        return;
    }
}

void RomUiMode::usbTimerFired(QTimer* timer)
{
    // The record whose timer fired: with several USB devices waiting, taking just the
    // first one would leave the fired timer running and repeating this give-up.
    const QString runId = findRecords(EDeviceTypeUsbHid, [](const DeviceConnectInfo&) { return true; }, timer).value(0);
    if (!runId.isEmpty())
        removeTimer(runId, timer);
    else if (timer)
        removeTimer(QString(), timer);
    emit signalSetLoadingWidgetHided();
    emit signalAddLogs(
        tr("Cannot detect device connection automatically. Please reset the device and connect it again."), LogError);
}

} // namespace RomCmd
