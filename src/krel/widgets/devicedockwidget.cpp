#include "devicedockwidget.h"

#include "firmwareinfo.h"
#include "krelarrival.h"
#include "krelcommand.h"
#include "serialportlister.h"
#include "updatefirmwaredlg.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace DevelopViews {

using Krel::ArrivalDecision;
using Krel::KrelCommand;
using Krel::PanelAction;

namespace {
// Longest a login may show "Connecting...": the batch takes under two seconds
// and the drive re-enumerates within a few more.
constexpr int kLoginWatchdogMs = 15000;
} // namespace

DeviceDockWidget::DeviceDockWidget(QWidget* parent, const QString& firmwareFolder)
    : QWidget(parent)
    , m_firmwareFolder(firmwareFolder.isEmpty() ? Krel::firmwareFolder() : firmwareFolder)
{
    setObjectName(QStringLiteral("DeviceDockWidget"));
    m_deviceLabel = new QLabel(this);
    m_deviceList = new QComboBox(this);
    m_deviceList->setObjectName(QStringLiteral("DeviceList"));
    m_pwdLabel = new QLabel(this);
    m_pwdEdit = new QLineEdit(this);
    m_pwdEdit->setObjectName(QStringLiteral("PasswordEdit"));
    m_pwdEdit->setEchoMode(QLineEdit::Password);
    m_eyeBtn = new QToolButton(this);
    m_eyeBtn->setObjectName(QStringLiteral("PwdEyeBtn"));
    m_eyeBtn->setCheckable(true);
    m_eyeBtn->setIcon(QIcon(QStringLiteral(":/img/passwd_eye_close")));
    m_connectBtn = new QPushButton(this);
    m_connectBtn->setObjectName(QStringLiteral("ConnectBtn"));
    m_connectBtn->setCheckable(true);
    m_resetBtn = new QPushButton(this);
    m_resetBtn->setObjectName(QStringLiteral("ResetBtn"));
    m_resetBtn->setCheckable(true);
    m_verLabel = new QLabel(this);
    m_verEdit = new QLineEdit(this);
    m_verEdit->setObjectName(QStringLiteral("VersionEdit"));
    m_verEdit->setEnabled(false);
    m_upgradeBtn = new QPushButton(this);
    m_upgradeBtn->setObjectName(QStringLiteral("UpgradeBtn"));
    m_upgradeBtn->setEnabled(false);
    m_uartLabel = new QLabel(this);
    m_uartRefreshBtn = new QToolButton(this);
    m_uartRefreshBtn->setObjectName(QStringLiteral("UartRefreshBtn"));
    m_uartList = new QListWidget(this);
    m_uartList->setObjectName(QStringLiteral("UartList"));

    auto* grid = new QGridLayout;
    grid->addWidget(m_deviceLabel, 0, 0);
    grid->addWidget(m_deviceList, 0, 1, 1, 2);
    grid->addWidget(m_pwdLabel, 1, 0);
    grid->addWidget(m_pwdEdit, 1, 1, 1, 2);
    // The eye sits inside the field's right end so the placeholder keeps its room.
    auto* eyeLayout = new QHBoxLayout(m_pwdEdit);
    eyeLayout->setContentsMargins(0, 0, 2, 0);
    eyeLayout->addStretch(1);
    eyeLayout->addWidget(m_eyeBtn);
    m_eyeBtn->setCursor(Qt::ArrowCursor);
    m_eyeBtn->setAutoRaise(true);
    m_pwdEdit->setTextMargins(0, 0, 22, 0);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_connectBtn);
    buttons->addWidget(m_resetBtn);
    grid->addLayout(buttons, 2, 0, 1, 3);
    grid->addWidget(m_verLabel, 3, 0);
    grid->addWidget(m_verEdit, 3, 1, 1, 2);
    grid->addWidget(m_upgradeBtn, 4, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    auto* uartHead = new QHBoxLayout;
    uartHead->addWidget(m_uartLabel, 1);
    uartHead->addWidget(m_uartRefreshBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addSpacing(8);
    layout->addLayout(uartHead);
    layout->addWidget(m_uartList, 1);

    m_loginWatchdog = new QTimer(this);
    m_loginWatchdog->setSingleShot(true);
    m_loginWatchdog->setInterval(kLoginWatchdogMs);
    connect(m_loginWatchdog, &QTimer::timeout, this, [this] {
        if (m_connecting)
            loginFailed(tr("The Krel box did not finish the login. Unplug it, plug it in again and press Connect."));
    });

    connect(m_connectBtn, &QPushButton::clicked, this, &DeviceDockWidget::slotConnectBtnClicked);
    connect(m_resetBtn, &QPushButton::clicked, this, &DeviceDockWidget::slotResetBtnClicked);
    connect(m_eyeBtn, &QToolButton::clicked, this, &DeviceDockWidget::slotPwdEyeBtnClicked);
    connect(m_uartRefreshBtn, &QToolButton::clicked, this, &DeviceDockWidget::slotUartRefreshBtnClicked);
    connect(m_upgradeBtn, &QPushButton::clicked, this, &DeviceDockWidget::slotUpdateBtnClicked);

    setMinimumWidth(330);
    retranslate();
    applyLook(false);
    readFirmwareInfo();
    // The ports present at start, once the window has wired the log.
    QTimer::singleShot(0, this, &DeviceDockWidget::slotUartRefreshBtnClicked);
}

void DeviceDockWidget::retranslate()
{
    m_deviceLabel->setText(tr("Device: "));
    m_pwdLabel->setText(tr("Password: "));
    m_pwdEdit->setPlaceholderText(tr("The initial password is empty"));
    m_pwdEdit->setToolTip(m_pwdEdit->placeholderText()); // the narrow dock may cut it
    m_eyeBtn->setToolTip(tr("Show or hide the password"));
    m_verLabel->setText(tr("Ver: "));
    m_upgradeBtn->setText(tr("Firmware Upgrade"));
    m_uartLabel->setText(tr("UART: "));
    m_uartRefreshBtn->setText(tr("Refresh"));
    m_uartRefreshBtn->setToolTip(tr("Refresh the UART list"));
    if (m_connecting)
        m_connectBtn->setText(tr("Connecting..."));
    else
        m_connectBtn->setText(m_connected ? tr("Disconnect") : tr("Connect"));
    m_resetBtn->setText(m_connected ? tr("UpdatePD") : tr("Reset"));
    setUpgradeAvailable(m_upgradeAvailable);
}

void DeviceDockWidget::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QWidget::changeEvent(event);
}

void DeviceDockWidget::readFirmwareInfo()
{
    const Krel::FirmwareInfo info = Krel::readFirmwareInfo(m_firmwareFolder);
    m_newestVersion = info.version;
    m_firmwarePath = info.path;
    emit signalAddLogs(info.logText(), LogDebug);
}

void DeviceDockWidget::setUpgradeAvailable(bool on)
{
    m_upgradeAvailable = on;
    m_upgradeBtn->setEnabled(on);
    m_upgradeBtn->setToolTip(
        on ? tr("Firmware %1 is available").arg(m_newestVersion) : tr("No newer firmware is known"));
}

void DeviceDockWidget::applyLook(bool connected)
{
    m_connected = connected;
    m_connecting = false;
    m_loginWatchdog->stop();
    m_connectBtn->setEnabled(true);
    m_connectBtn->setChecked(connected);
    m_connectBtn->setText(connected ? tr("Disconnect") : tr("Connect"));
    m_resetBtn->setChecked(connected);
    m_resetBtn->setText(connected ? tr("UpdatePD") : tr("Reset"));
    m_deviceList->setEnabled(!connected);
    if (!connected)
        setUpgradeAvailable(false);
}

void DeviceDockWidget::setConnected(bool connected)
{
    applyLook(connected);
    emit signalDeviceSetConnectStatus(connected);
}

UsbInfo DeviceDockWidget::currentUsb() const
{
    return m_deviceList->currentData().value<UsbInfo>();
}

QStringList DeviceDockWidget::listedIds() const
{
    QStringList ids;
    for (int i = 0; i < m_deviceList->count(); ++i)
        ids << m_deviceList->itemText(i);
    return ids;
}

void DeviceDockWidget::sendToBox(const QList<QString>& batch)
{
    emit signalDeviceconnect(QVariant::fromValue(currentUsb()), EDeviceTypeUsbHid, batch);
}

void DeviceDockWidget::sendQuit()
{
    // QUT reaches a job only when one exists; with nothing selected there is no box to log out of.
    if (m_deviceList->currentText().isEmpty())
        return;
    emit signalCustomeCmdData(KrelCommand::quitBatch());
}

void DeviceDockWidget::showBox(PanelAction::Icon icon, const QString& title, const QString& text)
{
    // Window-modal and non-blocking: the replies that follow keep flowing while it is shown.
    auto* box = new QMessageBox(icon == PanelAction::Warning ? QMessageBox::Warning : QMessageBox::Information, title,
        text, QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("DeviceMessageBox"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void DeviceDockWidget::slotUpdateUsbDevice(UsbInfo info, bool isArrival)
{
    const QStringList listed = listedIds();
    const ArrivalDecision d
        = isArrival ? Krel::KrelArrival::arrival(info, listed) : Krel::KrelArrival::removal(info, listed);
    if (d.action == ArrivalDecision::Removed) {
        m_connectBtn->setEnabled(true);
        m_deviceList->setEnabled(true);
        m_connectBtn->setChecked(false);
        emit signalDeviceSetConnectStatus(false);
        sendQuit();
        const bool wasConnecting = m_connecting;
        // The box leaving in the middle of the login is the MSC switch: keep waiting for its drive.
        const bool keepWaiting = wasConnecting;
        applyLook(false);
        if (keepWaiting) {
            m_connecting = true;
            m_connectBtn->setEnabled(false);
            m_connectBtn->setChecked(true);
            m_connectBtn->setText(tr("Connecting..."));
            m_loginWatchdog->start();
        }
        const int index = m_deviceList->findText(info.instanceId);
        if (index >= 0)
            m_deviceList->removeItem(index);
    }
    for (const KrelLogLine& line : d.logs)
        emit signalAddLogs(line.text, line.level);
    if (d.action == ArrivalDecision::Removed) {
        emit signalDeviceDestroy();
        return;
    }
    if (d.append)
        m_deviceList->addItem(info.instanceId, QVariant::fromValue(info));
    else if (isArrival && d.mode != Krel::KrelMode::NotKrel) {
        // The same id again: keep the newest path and product string.
        const int index = m_deviceList->findText(info.instanceId);
        if (index >= 0)
            m_deviceList->setItemData(index, QVariant::fromValue(info));
    }
    if (d.action == ArrivalDecision::ListOnly) {
        m_deviceList->setCurrentIndex(-1);
        return;
    }
    if (d.select)
        m_deviceList->setCurrentIndex(m_deviceList->findText(info.instanceId));
    switch (d.action) {
    case ArrivalDecision::ConnectDrive:
        setConnected(true);
        sendToBox(KrelCommand::versionBatch());
        break;
    case ArrivalDecision::DropCommand:
    case ArrivalDecision::DropUpdate:
        if (m_connecting && d.action == ArrivalDecision::DropCommand)
            break; // the box came back before its drive; the watchdog ends the wait
        setConnected(false);
        emit signalDeviceDestroy();
        break;
    default: break;
    }
}

void DeviceDockWidget::slotUpdatePortDevice(QString port, bool isArrival)
{
    if (isArrival) {
        if (m_uartList->findItems(port, Qt::MatchExactly).isEmpty())
            m_uartList->addItem(port);
        emit signalAddLogs(tr("Detect UART: ") + port, LogDebug);
        return;
    }
    const QList<QListWidgetItem*> items = m_uartList->findItems(port, Qt::MatchExactly);
    if (items.isEmpty())
        return;
    m_connectBtn->setEnabled(true);
    m_deviceList->setEnabled(true);
    m_connectBtn->setChecked(false);
    emit signalDeviceSetConnectStatus(false);
    sendQuit();
    qDeleteAll(items);
    emit signalAddLogs(tr("Remove UART: ") + port, LogDebug);
}

void DeviceDockWidget::slotUartRefreshBtnClicked()
{
    emit signalAddLogs(tr("Refresh UART List"), LogDebug);
    m_uartList->clear();
    const QStringList ports = m_portLister ? m_portLister() : RomCmd::SerialPortLister().portNames();
    for (const QString& port : ports) {
        m_uartList->addItem(port);
        emit signalAddLogs(tr("Detect UART: ") + port, LogDebug);
    }
    emit signalAddLogs(tr("Refresh UART List Finished!"), LogDebug);
}

void DeviceDockWidget::slotConnectBtnClicked(bool checked)
{
    if (!checked) {
        // Not left showing "Disconnect" when no job is there to answer the QUT.
        setConnected(false);
        sendQuit();
        return;
    }
    if (m_deviceList->count() == 0 || m_deviceList->currentIndex() < 0) {
        m_connectBtn->setChecked(false);
        m_deviceList->setEnabled(true);
        emit signalAddLogs(tr("Please select an Krel device"), LogError);
        return;
    }
    QString error;
    const QList<QString> batch = KrelCommand::connectBatch(m_pwdEdit->text(), &error);
    if (batch.isEmpty()) {
        m_connectBtn->setChecked(false);
        emit signalAddLogs(error, LogError);
        showBox(PanelAction::Warning, tr("Error"), error);
        return;
    }
    m_connecting = true;
    m_connectBtn->setEnabled(false);
    m_deviceList->setEnabled(false);
    m_connectBtn->setText(tr("Connecting..."));
    const UsbInfo info = currentUsb();
    emit signalAddLogs(QStringLiteral("%1, vid: %2, pid: %3")
                           .arg(tr("Connect device: ") + info.instanceId)
                           .arg(info.vendorId)
                           .arg(info.productId),
        LogDebug);
    m_loginWatchdog->start();
    m_loginBatchPending = true;
    sendToBox(batch);
}

void DeviceDockWidget::slotResetBtnClicked(bool checked)
{
    if (m_deviceList->currentIndex() < 0) {
        m_resetBtn->setChecked(!checked);
        emit signalAddLogs(tr("Please select an Krel device"), LogError);
        return;
    }
    if (checked) {
        sendToBox(KrelCommand::resetBatch());
        return;
    }
    QString error;
    const QList<QString> batch = KrelCommand::changePasswordBatch(m_pwdEdit->text(), &error);
    if (batch.isEmpty()) {
        m_resetBtn->setChecked(true); // still connected, nothing was sent
        emit signalAddLogs(error, LogError);
        showBox(PanelAction::Warning, tr("Error"), error);
        return;
    }
    sendToBox(batch);
}

void DeviceDockWidget::slotUpdateBtnClicked()
{
    readFirmwareInfo();
    UpdateFirmwareDlg dlg(m_currentVersion, m_newestVersion, m_firmwarePath, this);
    emit signalUpgradeDialogOpened(&dlg);
    dlg.exec();
}

void DeviceDockWidget::slotPwdEyeBtnClicked(bool checked)
{
    m_pwdEdit->setEchoMode(checked ? QLineEdit::Normal : QLineEdit::Password);
    m_eyeBtn->setIcon(QIcon(checked ? QStringLiteral(":/img/passwd_eye") : QStringLiteral(":/img/passwd_eye_close")));
}

void DeviceDockWidget::slotCustomStatus(int status)
{
    emit signalAddLogs(QStringLiteral("recv status: ") + QString::number(status), LogDebug);
}

void DeviceDockWidget::apply(const PanelAction& action)
{
    switch (action.kind) {
    case PanelAction::SetConnected: setConnected(action.flag); break;
    case PanelAction::MessageBox: showBox(action.icon, action.title, action.text); break;
    case PanelAction::Log: emit signalAddLogs(action.text, action.level); break;
    case PanelAction::ShowVersion:
        m_currentVersion = action.text;
        m_verEdit->setText(action.text);
        break;
    case PanelAction::EnableUpgrade: setUpgradeAvailable(action.flag); break;
    case PanelAction::SendQuit: sendQuit(); break;
    }
}

void DeviceDockWidget::loginFailed(const QString& text)
{
    setConnected(false);
    emit signalAddLogs(text, LogError);
    showBox(PanelAction::Warning, tr("Error"), text);
}

void DeviceDockWidget::slotCustomRecvData(int result, QList<QPair<int, QString>> ackList)
{
    Q_UNUSED(result);
    // The first batch answered after Connect is the login: its replies may be garbage.
    const bool login = m_connecting && m_loginBatchPending;
    m_loginBatchPending = false;
    for (const PanelAction& action : Krel::KrelReply::interpret(ackList, m_newestVersion))
        apply(action);
    if (!login || !m_connecting)
        return;
    switch (Krel::loginOutcome(ackList)) {
    case Krel::LoginOutcome::NoAnswer:
        loginFailed(tr("The Krel box did not answer. Unplug it, plug it in again and press Connect; "
                       "if it still does not answer, press Reset."));
        break;
    case Krel::LoginOutcome::Unconfirmed:
        loginFailed(tr("The Krel box did not confirm the login. Unplug it, plug it in again and press Connect."));
        break;
    case Krel::LoginOutcome::Handled: setConnected(false); break;
    case Krel::LoginOutcome::Entered: break; // the drive's arrival connects
    }
}

void DeviceDockWidget::slotDeviceConnectTestFinished(QVariant info, EDeviceType type, bool result)
{
    Q_UNUSED(info);
    Q_UNUSED(type);
    setConnected(result);
}

void DeviceDockWidget::slotReloadConfiguration()
{
    setConnected(false);
}

void DeviceDockWidget::slotCloseEvent()
{
    sendQuit();
    // Gives the job time to send QUT before it is destroyed.
    QThread::msleep(400);
    emit signalDeviceDestroy();
    QThread::msleep(100);
}

} // namespace DevelopViews
