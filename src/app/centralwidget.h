// The window's central area: the Krel configuration tab in a tab widget. It
// relays the tab's requests as its own signals (the main window wires them to
// the orchestrator) and is enabled only while a Krel box is connected.
#pragma once

#include "records.h"

#include <QList>
#include <QMap>
#include <QPair>
#include <QString>
#include <QVariant>
#include <QVariantMap>
#include <QVector>
#include <QWidget>

namespace DevelopViews {

class TipTabWidget;
class ImageProgrammeTab;

class CentralWidget : public QWidget
{
    Q_OBJECT
public:
    // Without the Krel tab the widget starts empty; other windows add their own tabs.
    explicit CentralWidget(QWidget* parent = nullptr, bool withKrelTab = true);

    TipTabWidget* tabWidget() const { return m_tabWidget; }
    ImageProgrammeTab* programmeTab() const { return m_programmeTab; }
    // Shows the OTP write view when an OTP tab exists; this window has none.
    void showOTPWriteView();

signals:
    void signalDeviceConnectTestFinished(QVariant info, EDeviceType type, bool result, QVariantMap stepResultInfoMap);
    void signalMenuImageEditClicked();
    void signalAddLogs(QString log, LogLevel level = LogDebug);
    void signalDeviceDownloadTask(QVariant info, EDeviceType type, QList<DownloadCommand> list);
    void signalWriteConfigTask(int type, QList<QPair<QString, QString>> srcPathList, QString desPath);
    void signalCustomCmdTask(QVariant info, EDeviceType type);
    void signalLinkedDeviceDownloadTask(QVariant info, EDeviceType type, QString uuid, QList<DownloadCommand> list,
        QString stepInfo = QString(), bool isEmitFinishSignal = true, bool isDisableOTPQuery = false);
    void signalStageDownloadTask(QVariant info, EDeviceType type);
    void signalMemoryDataReadFinished(uint32_t address, QVector<uint8_t> dataVec);
    void signalLinkedOTPMemoryQueried(
        QString uuid, uint32_t startAddress, uint32_t endAddress, uint32_t unitSize, uint32_t memorySize);
    void signalLinkedStepFinished(QString uuid, int step, bool result, QVariantMap stepResultInfoMap);
    void signalLinkedCommandsEndSend(QString uuid, QMap<QString, QString> endInfoMap = {});
    void signalLinkedMemoryDataReadFinished(QString uuid, uint32_t address, QVector<uint8_t> dataVec);
    void signalSetWindowToTop();

public slots:
    void slotSingleWriteConfigRun(int type, QList<QPair<QString, QString>> srcPathList, QString desPath);
    void slotDeviceSetConnectStatus(bool isConnect);
    void slotCmdRunFinished(bool result, QVariantMap resultInfoMap);
    // The writer's status, shown on the tab.
    void slotWriteConfigStatus(int status);

protected:
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    ImageProgrammeTab* createKrelTab();

    TipTabWidget* m_tabWidget = nullptr;
    ImageProgrammeTab* m_programmeTab = nullptr; // the Krel configuration tab
    QVariant m_deviceInfo; // record of the connected device, empty until one connects
    EDeviceType m_deviceType = EDeviceTypeUsbHid;
};

} // namespace DevelopViews
