// The workbench's device panel: the SoC the project targets, the USB ROM devices
// and serial ports present (kept current by hot-plug and a port poll), the line
// speed, and Connect, which runs the orchestrator's connection test on the chosen
// device. The tested device becomes the one every run of the tabs goes to.
#pragma once

#include "records.h"
#include "workbenchrules.h"

#include <QVariant>
#include <QVariantMap>
#include <QWidget>
#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QTimer;
class QToolButton;

namespace RomCmd {
class SerialPortLister;
}

namespace DevelopViews {

class RomDevicePanel : public QWidget
{
    Q_OBJECT
public:
    static constexpr int PortPollMs = 2000;

    explicit RomDevicePanel(QWidget* parent = nullptr);
    ~RomDevicePanel() override;

    // Tests replace the system's port enumeration.
    void setSerialPortLister(std::unique_ptr<RomCmd::SerialPortLister> lister);

    // Ports added by name, in the order they were added.
    QStringList typedPorts() const { return m_typedPorts; }
    bool isConnected() const { return m_connected; }
    QVariant connectedInfo() const { return m_connectedInfo; }
    EDeviceType connectedType() const { return m_connectedType; }
    // The device Connect tests: the selected list item, with the chosen speed for UART.
    bool selectedDevice(QVariant* info, EDeviceType* type) const;

    QComboBox* socCombo() const { return m_socCombo; }
    QListWidget* usbList() const { return m_usbList; }
    QListWidget* uartList() const { return m_uartList; }
    QComboBox* baudCombo() const { return m_baudCombo; }
    QLineEdit* portEdit() const { return m_portEdit; }
    QPushButton* connectButton() const { return m_connectBtn; }
    QPushButton* disconnectButton() const { return m_disconnectBtn; }
    QLabel* statusLabel() const { return m_statusLabel; }

signals:
    void signalAddLogs(QString log, LogLevel level = LogDebug);
    void signalDeviceConnectTest(QVariant info, EDeviceType type, int connectCnt);
    // The device runs go to changed: connected, or none (connected false).
    void signalRunDeviceChanged(QVariant info, EDeviceType type, bool connected);
    void signalSocChanged();

public slots:
    void slotUpdateUsbDevice(UsbInfo info, bool isArrival);
    void slotUpdatePortDevice(QString port, bool isArrival);
    void slotDeviceConnectTestFinished(QVariant info, EDeviceType type, bool result, QVariantMap stepResultInfoMap);
    void slotDownloadTaskUpdate(QString id, DownloadTaskInfo taskInfo);
    void slotSetLoadingWidgetHided();
    void slotRefreshPorts();
    void slotAddPortBtnClicked();
    void slotConnectBtnClicked();
    void slotDisconnectBtnClicked();
    void slotSocChosen(int index);
    // Fills the SoC list again from the catalogue and the project.
    void reloadSocs();

protected:
    void changeEvent(QEvent* event) override;

private:
    void retranslate();
    void updateButtons();
    void showStatus();
    void disconnectDevice(bool log);
    QListWidgetItem* findItem(QListWidget* list, const QString& id) const;
    QString deviceIdOf(const QVariant& info, EDeviceType type) const;

    QLabel* m_socLabel = nullptr;
    QComboBox* m_socCombo = nullptr;
    QLabel* m_usbLabel = nullptr;
    QListWidget* m_usbList = nullptr;
    QLabel* m_uartLabel = nullptr;
    QToolButton* m_uartRefreshBtn = nullptr;
    QListWidget* m_uartList = nullptr;
    QLineEdit* m_portEdit = nullptr;
    QToolButton* m_addPortBtn = nullptr;
    QLabel* m_baudLabel = nullptr;
    QComboBox* m_baudCombo = nullptr;
    QPushButton* m_connectBtn = nullptr;
    QPushButton* m_disconnectBtn = nullptr;
    QLabel* m_statusLabel = nullptr;
    QTimer* m_portPoll = nullptr;
    std::unique_ptr<RomCmd::SerialPortLister> m_portLister;

    QStringList m_typedPorts; // ports the user added by name
    bool m_testing = false; // a connection test started here has not ended
    bool m_connected = false;
    QVariant m_connectedInfo;
    EDeviceType m_connectedType = EDeviceTypeUart;
    // What the status line says; rebuilt from these on a language change.
    enum class Shown { Idle, Testing, Outcome } m_shown = Shown::Idle;
    WorkbenchRules::ConnectState m_outcome = WorkbenchRules::ConnectState::Failed;
    QString m_statusDevice; // device text of the test shown
};

} // namespace DevelopViews
