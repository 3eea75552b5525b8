#include "romworkbenchwindow.h"

#include "aboutdlg.h"
#include "detectdeviceswin.h"
#include "dockbasetitlewidget.h"
#include "globalsetting.h"
#include "globalsettingdlg.h"
#include "hotplugsource.h"
#include "loadingwidget.h"
#include "logdock.h"
#include "mainwindow.h"
#include "programsettingdlg.h"
#include "projectconfig.h"
#include "romcentralwidget.h"
#include "romdevicepanel.h"
#include "romuimode.h"
#include "runreport.h"
#include "serialportlister.h"
#include "stylesheet.h"
#include "workbenchrules.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDebug>
#include <QDockWidget>
#include <QEvent>
#include <QFileInfo>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QStatusBar>
#include <QTranslator>

// Resources of the static libraries are registered by name, outside any namespace.
static void initWorkbenchResources()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    Q_INIT_RESOURCE(app);
    Q_INIT_RESOURCE(krel_translations);
}

namespace DevelopViews {

namespace {

// The orchestrator waits for a restarted UART device among these: the ports typed
// into the panel are not enumerated by the system but come back under their names.
class WorkbenchPortLister : public RomCmd::SerialPortLister
{
public:
    explicit WorkbenchPortLister(RomDevicePanel* panel)
        : m_panel(panel)
    { }
    QStringList portNames() const override
    {
        const QStringList typed = m_panel ? m_panel->typedPorts() : QStringList();
        QStringList existing;
        for (const QString& port : typed)
            if (QFileInfo::exists(port))
                existing << port;
        return WorkbenchRules::restartPorts(RomCmd::SerialPortLister::portNames(), typed, existing);
    }

private:
    QPointer<RomDevicePanel> m_panel;
};

} // namespace

RomWorkbenchWindow::RomWorkbenchWindow(QWidget* parent)
    : QMainWindow(parent)
{
    m_romUiMode = new RomCmd::RomUiMode(this);
    build();
}

RomWorkbenchWindow::RomWorkbenchWindow(std::unique_ptr<HotplugSource> source, QWidget* parent)
    : QMainWindow(parent)
{
    m_romUiMode = new RomCmd::RomUiMode(std::move(source), this);
    build();
}

RomWorkbenchWindow::~RomWorkbenchWindow()
{
    QCoreApplication::removeTranslator(m_translator);
    delete m_translator;
}

QString RomWorkbenchWindow::titleText()
{
    return QString::fromLatin1(MainWindow::Title) + QLatin1Char(' ') + tr("ROM Workbench");
}

void RomWorkbenchWindow::build()
{
    initWorkbenchResources();
    registerMetaTypes();
    qRegisterMetaType<LogLevel>("LogLevel");
    qRegisterMetaType<EDeviceType>("EDeviceType");
    qRegisterMetaType<uint32_t>("uint32_t");

    m_translator = new QTranslator(qApp);
    loadLanguage(GlobalSetting::instance().language());

    m_centralWidget = new RomCentralWidget(this);
    setCentralWidget(m_centralWidget);

    m_deviceDock = new QDockWidget(this);
    m_deviceDock->setObjectName(QStringLiteral("RomDeviceDock"));
    m_deviceDock->setFeatures(
        QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    m_devicePanel = new RomDevicePanel(m_deviceDock);
    m_deviceDock->setWidget(m_devicePanel);
    m_romUiMode->setSerialPortLister(std::make_unique<WorkbenchPortLister>(m_devicePanel));
    auto* deviceTitle = new DockBaseTitleWidget(QString(), m_deviceDock);
    m_deviceDock->setTitleBarWidget(deviceTitle);
    connect(m_deviceDock, &QDockWidget::windowTitleChanged, deviceTitle, &DockBaseTitleWidget::setTitle);
    connect(deviceTitle, &DockBaseTitleWidget::signalFloatBtnClicked, m_deviceDock,
        [dock = m_deviceDock] { dock->setFloating(!dock->isFloating()); });
    connect(deviceTitle, &DockBaseTitleWidget::signalCloseBtnClicked, m_deviceDock, &QDockWidget::close);
    addDockWidget(Qt::LeftDockWidgetArea, m_deviceDock);
    m_logDock = new LogDock(this);
    addDockWidget(Qt::BottomDockWidgetArea, m_logDock);

    buildMenus();
    statusBar()->setSizeGripEnabled(false);

    m_loadingWidget = new LoadingWidget(this);
    m_loadingWidget->hide();

    StyleSheet::apply(QStringLiteral(":/qss/devmainwindow.qss"), this);
    // The hexadecimal viewer paints with its palette: give it the inputs' dark ground.
    setStyleSheet(styleSheet()
        + QStringLiteral("\nDevelopViews--HexViewWidget { background-color: #16191d; border: 1px solid #3d4450; }\n"));
    const bool english = GlobalSetting::instance().language() == 1;
    m_englishAction->setChecked(english);
    m_chineseAction->setChecked(!english);

    connectParts();
    retranslate();

    setDockNestingEnabled(true);
    resize(1280, 720);
    resizeDocks({ m_deviceDock }, { 260 }, Qt::Horizontal);
    resizeDocks({ m_logDock }, { int(height() * 0.28) }, Qt::Vertical);
    m_loadingWidget->resize(size());

    if (!m_romUiMode->detector()->isRegistered())
        m_logDock->slotAddLogs(
            tr("Device arrival and removal are not watched: %1").arg(m_romUiMode->detector()->errorString()),
            LogWarning);
    emit signalRefreshDevice();
}

void RomWorkbenchWindow::loadLanguage(int languageSetting)
{
    const QString catalogue = MainWindow::catalogueFor(languageSetting);
    if (!m_translator->load(catalogue))
        qWarning().noquote() << "Cannot load the translation catalogue" << catalogue;
    QCoreApplication::removeTranslator(m_translator);
    QCoreApplication::installTranslator(m_translator);
}

void RomWorkbenchWindow::buildMenus()
{
    m_deviceMenu = menuBar()->addMenu(QString());
    m_connectAction = m_deviceMenu->addAction(QString());
    m_disconnectAction = m_deviceMenu->addAction(QString());
    m_deviceMenu->addSeparator();
    m_stopAction = m_deviceMenu->addAction(QString());
    // Esc reaches the window while the overlay covers it.
    m_stopAction->setShortcut(QKeySequence(Qt::Key_Escape));
    m_stopAction->setShortcutContext(Qt::WindowShortcut);
    m_settingsMenu = menuBar()->addMenu(QString());
    m_programSettingsAction = m_settingsMenu->addAction(QString());
    m_globalSettingsAction = m_settingsMenu->addAction(QString());
    m_viewsMenu = menuBar()->addMenu(QString());
    m_viewsMenu->addAction(m_deviceDock->toggleViewAction());
    m_viewsMenu->addAction(m_logDock->toggleViewAction());
    m_helpMenu = menuBar()->addMenu(QString());
    m_languageMenu = m_helpMenu->addMenu(QString());
    m_englishAction = m_languageMenu->addAction(QString());
    m_englishAction->setCheckable(true);
    m_chineseAction = m_languageMenu->addAction(QString());
    m_chineseAction->setCheckable(true);
    m_aboutAction = m_helpMenu->addAction(QString());
}

void RomWorkbenchWindow::retranslate()
{
    setWindowTitle(titleText());
    m_deviceDock->setWindowTitle(tr("ROM Devices"));
    m_deviceMenu->setTitle(tr("Device"));
    m_connectAction->setText(tr("Connect"));
    m_disconnectAction->setText(tr("Disconnect"));
    m_stopAction->setText(tr("Stop the Run"));
    m_settingsMenu->setTitle(tr("Settings"));
    m_programSettingsAction->setText(tr("Program Settings..."));
    m_globalSettingsAction->setText(tr("Global Settings..."));
    m_viewsMenu->setTitle(tr("Views"));
    m_helpMenu->setTitle(tr("Help"));
    m_languageMenu->setTitle(tr("Language"));
    m_englishAction->setText(tr("English"));
    m_chineseAction->setText(tr("Chinese"));
    m_aboutAction->setText(tr("About"));
}

void RomWorkbenchWindow::connectParts()
{
    using RomCmd::RomUiMode;
    RomUiMode* orch = m_romUiMode;
    RomCentralWidget* central = m_centralWidget;
    RomDevicePanel* panel = m_devicePanel;

    // Devices: hot-plug reaches the panel and, for restarting devices, the orchestrator.
    connect(this, &RomWorkbenchWindow::signalRefreshDevice, orch, &RomUiMode::slotLoadUsbDevices);
    connect(orch, &RomUiMode::signalUpdateUsbDevice, panel, &RomDevicePanel::slotUpdateUsbDevice);
    connect(orch, &RomUiMode::signalUpdateUsbDevice, orch, &RomUiMode::slotUpdateUsbDevice);
    connect(orch, &RomUiMode::signalUpdatePortDevice, panel, &RomDevicePanel::slotUpdatePortDevice);
    connect(panel, &RomDevicePanel::signalDeviceConnectTest, orch, &RomUiMode::slotDeviceConnectTest);
    connect(orch, &RomUiMode::signalDeviceConnectTestFinished, panel, &RomDevicePanel::slotDeviceConnectTestFinished);
    connect(
        orch, &RomUiMode::signalDeviceConnectTestFinished, central, &CentralWidget::signalDeviceConnectTestFinished);
    connect(orch, &RomUiMode::callbackDownloadTaskUpdate, panel, &RomDevicePanel::slotDownloadTaskUpdate);
    connect(orch, &RomUiMode::signalSetLoadingWidgetHided, panel, &RomDevicePanel::slotSetLoadingWidgetHided);
    connect(panel, &RomDevicePanel::signalRunDeviceChanged, central, &RomCentralWidget::slotRunDeviceChanged);
    connect(panel, &RomDevicePanel::signalSocChanged, central, &RomCentralWidget::slotSocChanged);
    connect(panel, &RomDevicePanel::signalAddLogs, m_logDock, &LogDock::slotAddLogs);

    // Runs: the central widget's run signals go to the orchestrator, the results come back.
    connect(central, &CentralWidget::signalAddLogs, m_logDock, &LogDock::slotAddLogs);
    connect(central, &CentralWidget::signalDeviceDownloadTask, orch, &RomUiMode::slotDeviceDownloadTask);
    connect(central, &CentralWidget::signalLinkedDeviceDownloadTask, orch, &RomUiMode::slotDeviceLinkedDownloadTask);
    connect(central, &CentralWidget::signalLinkedCommandsEndSend, orch, &RomUiMode::slotLinkedCommandsEndSend);
    connect(central, &CentralWidget::signalStageDownloadTask, orch, &RomUiMode::slotStageDownloadTask);
    connect(orch, &RomUiMode::signalMemoryDataReadFinished, central, &CentralWidget::signalMemoryDataReadFinished);
    connect(orch, &RomUiMode::signalLinkedOTPMemoryQueried, central, &CentralWidget::signalLinkedOTPMemoryQueried);
    connect(orch, &RomUiMode::signalLinkedStepFinished, central, &CentralWidget::signalLinkedStepFinished);
    connect(orch, &RomUiMode::signalLinkedMemoryDataReadFinished, central,
        &CentralWidget::signalLinkedMemoryDataReadFinished);

    // Log and overlay.
    connect(orch, &RomUiMode::signalAddLogs, m_logDock, &LogDock::slotAddLogs);
    connect(orch, &RomUiMode::signalRunStarted, this, &RomWorkbenchWindow::slotCmdRunStarted);
    connect(orch, &RomUiMode::signalRunFinished, this, &RomWorkbenchWindow::slotCmdRunFinished);
    connect(orch, &RomUiMode::signalDeviceConnectTestFinished, this, &RomWorkbenchWindow::slotConnectTestFinished);
    connect(orch, &RomUiMode::signalSetLoadingWidgetHided, this, &RomWorkbenchWindow::slotSetLoadingWidgetHided);
    connect(orch, &RomUiMode::signalUpdateLoadingProgressStatus, this, &RomWorkbenchWindow::slotSetLoadingShowProgress);
    connect(orch, &RomUiMode::callbackDownloadTaskUpdate, m_loadingWidget, &LoadingWidget::slotTaskInfoUpdated);

    connect(m_connectAction, &QAction::triggered, panel, &RomDevicePanel::slotConnectBtnClicked);
    connect(m_disconnectAction, &QAction::triggered, panel, &RomDevicePanel::slotDisconnectBtnClicked);
    connect(m_stopAction, &QAction::triggered, this, &RomWorkbenchWindow::slotStopClicked);
    connect(panel, &RomDevicePanel::signalRunDeviceChanged, this, &RomWorkbenchWindow::slotRunDeviceChanged);
    connect(m_programSettingsAction, &QAction::triggered, this, &RomWorkbenchWindow::slotProgramSettingsClicked);
    connect(m_globalSettingsAction, &QAction::triggered, this, &RomWorkbenchWindow::slotGlobalSettingsClicked);
    connect(m_aboutAction, &QAction::triggered, this, &RomWorkbenchWindow::slotAboutClicked);
    connect(m_englishAction, &QAction::triggered, this, &RomWorkbenchWindow::slotLanguageClicked);
    connect(m_chineseAction, &QAction::triggered, this, &RomWorkbenchWindow::slotLanguageClicked);
}

void RomWorkbenchWindow::slotStopClicked()
{
    // Nothing runs while the overlay is away.
    if (m_loadingWidget->isHidden())
        return;
    m_logDock->slotAddLogs(tr("Stop requested!"), LogWarning);
    m_romUiMode->slotDownloadStarted(false);
}

void RomWorkbenchWindow::slotRunDeviceChanged(QVariant info, EDeviceType type, bool connected)
{
    if (connected)
        statusBar()->showMessage(tr("Runs go to %1").arg(WorkbenchRules::deviceText(info, type)));
    else
        statusBar()->clearMessage();
}

void RomWorkbenchWindow::slotProgramSettingsClicked()
{
    ProgramSettingDlg dlg(this);
    dlg.exec();
}

void RomWorkbenchWindow::slotGlobalSettingsClicked()
{
    GlobalSettingDlg dlg(this);
    dlg.exec();
}

void RomWorkbenchWindow::slotAboutClicked()
{
    AboutDlg dlg(windowTitle(), this);
    dlg.exec();
}

void RomWorkbenchWindow::slotLanguageClicked()
{
    QObject* from = sender();
    if (from != m_englishAction && from != m_chineseAction)
        return;
    const bool english = from == m_englishAction;
    m_englishAction->setChecked(english);
    m_chineseAction->setChecked(!english);
    loadLanguage(english ? 1 : 0);
    GlobalSetting::instance().setLanguage(english ? 1 : 0);
}

void RomWorkbenchWindow::slotCmdRunStarted(bool isShowProgress)
{
    m_logDock->slotAddLogs(tr("Commands run start!"), LogDebug);
    m_loadingWidget->setShowProgress(isShowProgress);
    m_loadingWidget->resize(size());
    m_loadingWidget->show();
    m_loadingWidget->raise();
    m_centralWidget->slotRunStarted();
}

void RomWorkbenchWindow::slotConnectTestFinished(QVariant, EDeviceType, bool result, QVariantMap stepResultInfoMap)
{
    if (!result)
        m_failedTestRuns.insert(stepResultInfoMap.value(QStringLiteral("linkedUuid")).toString());
}

void RomWorkbenchWindow::slotCmdRunFinished(bool result, QVariantMap resultInfoMap)
{
    // A test whose query went through on a device that is no usable ROM ends its
    // run without a failed step: the run's line must still say it failed.
    if (m_failedTestRuns.remove(resultInfoMap.value(QStringLiteral("linkedUuid")).toString()))
        result = false;
    m_loadingWidget->hide();
    const RunReport::Line line = RunReport::finished(result, resultInfoMap);
    m_logDock->slotAddLogs(line.text, line.level);
    m_centralWidget->slotCmdRunFinished(result, resultInfoMap);
    m_centralWidget->slotRunFinished(result);
}

void RomWorkbenchWindow::slotSetLoadingWidgetHided()
{
    m_loadingWidget->hide();
    m_centralWidget->slotRunFinished();
}

void RomWorkbenchWindow::slotSetLoadingShowProgress(bool isShowProgress)
{
    m_loadingWidget->setShowProgress(isShowProgress);
}

bool RomWorkbenchWindow::nativeEvent(const QByteArray& eventType, void* message, long* result)
{
    m_romUiMode->nativeEvent(eventType, message);
    return QMainWindow::nativeEvent(eventType, message, result);
}

void RomWorkbenchWindow::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange && m_helpMenu)
        retranslate();
    QMainWindow::changeEvent(event);
}

void RomWorkbenchWindow::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    if (m_loadingWidget)
        m_loadingWidget->resize(size());
}

int RomWorkbenchWindow::askAboutOtpWords()
{
    return MainWindow::askToEnterOtpWriteView(this) ? 0 : 1;
}

void RomWorkbenchWindow::closeEvent(QCloseEvent* event)
{
    // Here the OTP tab exists: the question can take the user to the words.
    if (ProjectConfig::instance().showOtpWriteViewTips() && askAboutOtpWords() == 0) {
        m_centralWidget->showOtpWriteView();
        event->ignore();
        return;
    }
    event->accept();
}

} // namespace DevelopViews
