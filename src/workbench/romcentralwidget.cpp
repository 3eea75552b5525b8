#include "romcentralwidget.h"

#include "commandtreewidget.h"
#include "memoryviewtab.h"
#include "otptab.h"
#include "romuimode.h"
#include "tiptabwidget.h"

#include <QEvent>

namespace DevelopViews {

RomCentralWidget::RomCentralWidget(QWidget* parent)
    : CentralWidget(parent, false)
{
    addOtpTab();
    addMemoryTab();
    addCommandTree();
    retranslate();
    updateRunEnabled();
}

void RomCentralWidget::addOtpTab()
{
    m_otpTab = new OTPTab(tabWidget());
    tabWidget()->addTab(m_otpTab, QString());
    connect(m_otpTab, &OTPTab::signalAddLogs, this, &CentralWidget::signalAddLogs);
    connect(m_otpTab, &OTPTab::signalCommondsRun, this, &RomCentralWidget::slotCommandsRun);
    connect(m_otpTab, &OTPTab::signalLinkedCommandsRun, this, &RomCentralWidget::slotLinkedCommandsRun);
    connect(m_otpTab, &OTPTab::signalLinkedCommandsEndSend, this, &CentralWidget::signalLinkedCommandsEndSend);
    connect(m_otpTab, &OTPTab::signalOpenOTPTabs, this, [this] { tabWidget()->setCurrentWidget(m_otpTab); });
    connect(m_otpTab, &OTPTab::signalShowTabsDotTips, this,
        [this](bool shown) { tabWidget()->tipTabBar()->setTabDotTip(tabWidget()->indexOf(m_otpTab), shown); });
    connect(this, &CentralWidget::signalLinkedOTPMemoryQueried, m_otpTab, &OTPTab::slotLinkedOTPMemoryQueried);
    connect(
        this, &CentralWidget::signalLinkedMemoryDataReadFinished, m_otpTab, &OTPTab::slotLinkedMemoryDataReadFinished);
    connect(this, &CentralWidget::signalLinkedStepFinished, m_otpTab,
        [tab = m_otpTab](
            QString uuid, int step, bool result, QVariantMap) { tab->slotLinkedStepFinished(uuid, step, result); });
}

void RomCentralWidget::addMemoryTab()
{
    m_memoryTab = new MemoryViewTab(tabWidget());
    tabWidget()->addTab(m_memoryTab, QString());
    connect(m_memoryTab, &MemoryViewTab::signalAddLogs, this, &CentralWidget::signalAddLogs);
    connect(m_memoryTab, &MemoryViewTab::signalCommondsRun, this, &RomCentralWidget::slotCommandsRun);
    connect(
        this, &CentralWidget::signalMemoryDataReadFinished, m_memoryTab, &MemoryViewTab::slotMemoryDataReadFinished);
}

void RomCentralWidget::addCommandTree()
{
    m_commandTree = new CommandTreeWidget(tabWidget());
    tabWidget()->addTab(m_commandTree, QString());
    connect(m_commandTree, &CommandTreeWidget::signalAddLogs, this, &CentralWidget::signalAddLogs);
    connect(m_commandTree, &CommandTreeWidget::signalCommondsRun, this, &RomCentralWidget::slotCommandsRun);
    connect(m_commandTree, &CommandTreeWidget::signalStageRun, this, &RomCentralWidget::slotStageRun);
    // Words the OTP write view synchronises into a stage show in the tree at once.
    connect(m_otpTab, &OTPTab::signalBatchProdCmdUpdate, m_commandTree, [tree = m_commandTree] { tree->slotReload(); });
}

void RomCentralWidget::updateRunEnabled()
{
    m_commandTree->setRunEnabled(hasRunDevice() && !m_running);
}

void RomCentralWidget::slotRunStarted()
{
    m_running = true;
    updateRunEnabled();
}

void RomCentralWidget::slotRunFinished(bool result)
{
    m_running = false;
    updateRunEnabled();
    m_memoryTab->slotRunFinished(result);
}

void RomCentralWidget::retranslate()
{
    tabWidget()->setTabText(tabWidget()->indexOf(m_otpTab), tr("OTP"));
    tabWidget()->setTabText(tabWidget()->indexOf(m_memoryTab), tr("Memory"));
    tabWidget()->setTabText(tabWidget()->indexOf(m_commandTree), tr("Commands"));
}

void RomCentralWidget::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange && m_otpTab)
        retranslate();
    CentralWidget::changeEvent(event);
}

void RomCentralWidget::showOtpWriteView()
{
    tabWidget()->setCurrentWidget(m_otpTab);
    m_otpTab->slotShowOTPWriteView();
}

void RomCentralWidget::slotRunDeviceChanged(QVariant info, EDeviceType type, bool connected)
{
    if (connected) {
        m_runDevice = info;
        m_runType = type;
    } else if (m_runType == type
        && RomCmd::RomUiMode::deviceId(m_runDevice, m_runType) == RomCmd::RomUiMode::deviceId(info, type)) {
        m_runDevice = QVariant();
    }
    updateRunEnabled();
}

void RomCentralWidget::slotSocChanged()
{
    m_otpTab->reloadSocInfo();
    m_memoryTab->reloadSocInfo();
}

bool RomCentralWidget::checkDevice()
{
    if (hasRunDevice())
        return true;
    emit signalAddLogs(tr("No device is connected: choose one in the device panel and press Connect."), LogWarning);
    return false;
}

void RomCentralWidget::slotCommandsRun(QList<DownloadCommand> cmdList)
{
    if (checkDevice())
        emit signalDeviceDownloadTask(m_runDevice, m_runType, cmdList);
}

void RomCentralWidget::slotLinkedCommandsRun(QString uuid, QList<DownloadCommand> cmdList, bool isDisableOTPQuery)
{
    if (!checkDevice()) {
        // The view waits for its first step: tell it the run ended there.
        emit signalLinkedStepFinished(uuid, 0, false, QVariantMap());
        return;
    }
    emit signalLinkedDeviceDownloadTask(m_runDevice, m_runType, uuid, cmdList, QString(), true, isDisableOTPQuery);
}

void RomCentralWidget::slotStageRun()
{
    if (checkDevice())
        emit signalStageDownloadTask(m_runDevice, m_runType);
}

} // namespace DevelopViews
