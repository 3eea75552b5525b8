#include "devicedock.h"

#include "devicedockwidget.h"

#include <QEvent>

namespace DevelopViews {

DeviceDock::DeviceDock(QWidget* parent, const QString& firmwareFolder)
    : QDockWidget(parent)
{
    setObjectName(QStringLiteral("DeviceDock"));
    setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    setAllowedAreas(Qt::AllDockWidgetAreas);
    setWindowTitle(tr("Device Window"));
    m_panel = new DeviceDockWidget(this, firmwareFolder);
    setWidget(m_panel);

    DeviceDockWidget* p = m_panel;
    connect(p, &DeviceDockWidget::signalAddLogs, this, &DeviceDock::signalAddLogs);
    connect(p, &DeviceDockWidget::signalDeviceconnect, this, &DeviceDock::signalDeviceconnect);
    connect(p, &DeviceDockWidget::signalCustomeCmdData, this, &DeviceDock::signalCustomeCmdData);
    connect(p, &DeviceDockWidget::signalDeviceDestroy, this, &DeviceDock::signalDeviceDestroy);
    connect(p, &DeviceDockWidget::signalDeviceSetConnectStatus, this, &DeviceDock::signalDeviceSetConnectStatus);
    connect(this, &DeviceDock::signalCustomStatus, p, &DeviceDockWidget::slotCustomStatus);
    connect(this, &DeviceDock::signalCustomRecvData, p, &DeviceDockWidget::slotCustomRecvData);
    connect(this, &DeviceDock::signalUpdateUsbDevice, p, &DeviceDockWidget::slotUpdateUsbDevice);
    connect(this, &DeviceDock::signalUpdatePortDevice, p, &DeviceDockWidget::slotUpdatePortDevice);
    connect(this, &DeviceDock::signalCloseEvent, p, &DeviceDockWidget::slotCloseEvent);
}

void DeviceDock::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        setWindowTitle(tr("Device Window"));
    QDockWidget::changeEvent(event);
}

} // namespace DevelopViews
