// The "Device Window" dock holding the Krel device panel; it forwards the
// panel's signals to the window and the window's to the panel.
#pragma once

#include "records.h"

#include <QDockWidget>
#include <QList>
#include <QPair>
#include <QString>
#include <QVariant>

namespace DevelopViews {

class DeviceDockWidget;

class DeviceDock : public QDockWidget
{
    Q_OBJECT
public:
    explicit DeviceDock(QWidget* parent = nullptr, const QString& firmwareFolder = QString());
    DeviceDockWidget* panel() const { return m_panel; }

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
    void signalUpdatePortDevice(QString port, bool isArrival);
    // The window is closing: the panel logs out of its box.
    void signalCloseEvent();

protected:
    void changeEvent(QEvent* event) override;

private:
    DeviceDockWidget* m_panel = nullptr;
};

} // namespace DevelopViews
