// The workbench's central area: the Krel window's central widget without its
// Krel tab, hosting the ROM views. It holds the device the panel connected and
// turns the views' requests into the central widget's run signals for it.
#pragma once

#include "centralwidget.h"

namespace DevelopViews {

class CommandTreeWidget;
class MemoryViewTab;
class OTPTab;

class RomCentralWidget : public CentralWidget
{
    Q_OBJECT
public:
    explicit RomCentralWidget(QWidget* parent = nullptr);

    OTPTab* otpTab() const { return m_otpTab; }
    MemoryViewTab* memoryTab() const { return m_memoryTab; }
    CommandTreeWidget* commandTree() const { return m_commandTree; }
    bool hasRunDevice() const { return m_runDevice.isValid(); }
    QVariant runDevice() const { return m_runDevice; }
    EDeviceType runDeviceType() const { return m_runType; }
    // Makes tab the current one and shows the OTP write view.
    void showOtpWriteView();

public slots:
    void slotRunDeviceChanged(QVariant info, EDeviceType type, bool connected);
    void slotSocChanged();
    // A single run of the list on the device.
    void slotCommandsRun(QList<DownloadCommand> cmdList);
    // A step of a linked run on the device.
    void slotLinkedCommandsRun(QString uuid, QList<DownloadCommand> cmdList, bool isDisableOTPQuery);
    // The project's production stages on the device.
    void slotStageRun();
    // A run of the orchestrator started or ended: the tree offers runs only in between.
    void slotRunStarted();
    void slotRunFinished(bool result = true);

protected:
    void changeEvent(QEvent* event) override;

private:
    bool checkDevice();
    void retranslate();
    void updateRunEnabled();
    void addOtpTab();
    void addMemoryTab();
    void addCommandTree();

    OTPTab* m_otpTab = nullptr;
    MemoryViewTab* m_memoryTab = nullptr;
    CommandTreeWidget* m_commandTree = nullptr;
    bool m_running = false; // a run started by the orchestrator has not ended
    QVariant m_runDevice; // invalid while no device is connected
    EDeviceType m_runType = EDeviceTypeUart;
};

} // namespace DevelopViews
