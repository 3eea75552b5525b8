// The Krel device panel: lists the boxes on USB, logs in to one, resets it,
// changes its password and shows its firmware version. The rules live in
// Krel::KrelArrival and Krel::KrelReply; this widget applies their answers.
#pragma once

#include "krelreply.h"
#include "records.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QVariant>
#include <QWidget>
#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTimer;
class QToolButton;
class UpdateFirmwareDlg;

namespace DevelopViews {

class DeviceDockWidget : public QWidget
{
    Q_OBJECT
public:
    // firmwareFolder holds "new.json"; empty means the folder below the application.
    explicit DeviceDockWidget(QWidget* parent = nullptr, const QString& firmwareFolder = QString());

    bool isConnected() const { return m_connected; }
    bool isConnecting() const { return m_connecting; }
    QString currentVersion() const { return m_currentVersion; }
    QString newestVersion() const { return m_newestVersion; }
    QString firmwarePath() const { return m_firmwarePath; }
    // A newer firmware than the box's is known: the upgrade button is on.
    bool upgradeAvailable() const { return m_upgradeAvailable; }
    // Where the UART list comes from (the system's serial ports unless set; the demo adds its own).
    void setPortLister(std::function<QStringList()> lister) { m_portLister = std::move(lister); }

public slots:
    void slotUpdateUsbDevice(UsbInfo info, bool isArrival);
    void slotUpdatePortDevice(QString port, bool isArrival);
    void slotUartRefreshBtnClicked();
    void slotConnectBtnClicked(bool checked);
    void slotResetBtnClicked(bool checked);
    void slotUpdateBtnClicked();
    void slotPwdEyeBtnClicked(bool checked);
    void slotCustomStatus(int status);
    void slotCustomRecvData(int result, QList<QPair<int, QString>> ackList);
    void slotDeviceConnectTestFinished(QVariant info, EDeviceType type, bool result);
    void slotReloadConfiguration();
    void slotCloseEvent();

signals:
    void signalAddLogs(QString log, LogLevel level = LogDebug);
    void signalDeviceconnect(QVariant info, EDeviceType type, QList<QString> listCmd);
    void signalCustomeCmdData(QList<QString> listCmd);
    void signalDeviceDestroy();
    void signalDeviceSetConnectStatus(bool isconnect);
    // The modal upgrade dialog is about to run (the demo points its folder question at the simulated drive).
    void signalUpgradeDialogOpened(UpdateFirmwareDlg* dialog);

protected:
    void changeEvent(QEvent* event) override;

private:
    void retranslate();
    void readFirmwareInfo();
    void applyLook(bool connected);
    void setConnected(bool connected); // look plus status signal
    void setUpgradeAvailable(bool on);
    void sendQuit();
    void sendToBox(const QList<QString>& batch);
    void showBox(Krel::PanelAction::Icon icon, const QString& title, const QString& text);
    void apply(const Krel::PanelAction& action);
    void loginFailed(const QString& text);
    UsbInfo currentUsb() const;
    QStringList listedIds() const;

    QString m_firmwareFolder;
    std::function<QStringList()> m_portLister;
    QString m_currentVersion;
    QString m_newestVersion;
    QString m_firmwarePath;
    bool m_connected = false;
    bool m_connecting = false;
    bool m_upgradeAvailable = false;
    bool m_loginBatchPending = false;

    QLabel* m_deviceLabel = nullptr;
    QComboBox* m_deviceList = nullptr;
    QLabel* m_pwdLabel = nullptr;
    QLineEdit* m_pwdEdit = nullptr;
    QToolButton* m_eyeBtn = nullptr;
    QPushButton* m_connectBtn = nullptr;
    QPushButton* m_resetBtn = nullptr;
    QLabel* m_verLabel = nullptr;
    QLineEdit* m_verEdit = nullptr;
    QPushButton* m_upgradeBtn = nullptr;
    QLabel* m_uartLabel = nullptr;
    QToolButton* m_uartRefreshBtn = nullptr;
    QListWidget* m_uartList = nullptr;
    QTimer* m_loginWatchdog = nullptr;
};

} // namespace DevelopViews
