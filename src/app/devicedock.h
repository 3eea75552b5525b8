// Stand-in for the Krel device panel until it lands: the dock ("Device Window")
// with the signals the main window wires to the orchestrator, the central
// widget and the log dock.
#pragma once

#include "records.h"

#include <QDockWidget>
#include <QList>
#include <QPair>
#include <QString>
#include <QVariant>

class QLabel;

namespace DevelopViews {

class DeviceDock : public QDockWidget
{
    Q_OBJECT
public:
    explicit DeviceDock(QWidget* parent = nullptr);

signals:
    void signalAddLogs(QString log, LogLevel level = LogDebug);
    void signalUsbRefreshBtnClicked();
    void signalDeviceconnect(QVariant info, EDeviceType type, QList<QString> listCmd);
    void signalDeviceDestroy();
    void signalDeviceSetConnectStatus(bool isconnect);
    void signalCustomStatus(int status);
    void signalCustomRecvData(int result, QList<QPair<int, QString>> ackList);
    void signalCustomeCmdData(QList<QString> listCmd);
    void signalUpdateUsbDevice(UsbInfo info, bool isArrival);
    // The window is closing: the panel logs out of its box.
    void signalCloseEvent();

protected:
    void changeEvent(QEvent* event) override;

private:
    void retranslate();
    QLabel* m_label = nullptr;
};

} // namespace DevelopViews
