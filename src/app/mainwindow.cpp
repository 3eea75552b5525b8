#include "mainwindow.h"

#include "aboutdlg.h"
#include "apppaths.h"
#include "centralwidget.h"
#include "detectdeviceswin.h"
#include "devicedock.h"
#include "dockbasetitlewidget.h"
#include "globalsetting.h"
#include "hotplugsource.h"
#include "loadingwidget.h"
#include "logdock.h"
#include "projectconfig.h"
#include "romuimode.h"
#include "runreport.h"
#include "stylesheet.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QDebug>
#include <QDesktopServices>
#include <QEventLoop>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProcess>
#include <QStatusBar>
#include <QTimer>
#include <QTranslator>
#include <QUrl>

// Resources of the static libraries must be registered by name, outside any namespace.
static void initAppResources()
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

void registerWindowMetaTypes()
{
    registerMetaTypes();
    qRegisterMetaType<QVector<uint8_t>>("QVector<uint8_t>");
    qRegisterMetaType<QVector<uint8_t>>("QVector<uint8_t>&");
    qRegisterMetaType<LogLevel>("LogLevel");
    qRegisterMetaType<LogLevel>("LogLevel&");
    qRegisterMetaType<uint32_t>("uint32_t");
    qRegisterMetaType<uint32_t>("uint32_t&");
    qRegisterMetaType<EDeviceType>("EDeviceType");
    qRegisterMetaType<EDeviceType>("EDeviceType&");
    qRegisterMetaType<QProcess::ExitStatus>("QProcess::ExitStatus");
    qRegisterMetaType<QProcess::ExitStatus>("QProcess::ExitStatus&");
    qRegisterMetaType<QList<QString>>("QList<QString>");
    qRegisterMetaType<QList<QString>>("QList<QString>&");
    qRegisterMetaType<QList<QPair<int, QString>>>("QList<QPair<int, QString>>");
    qRegisterMetaType<QList<QPair<int, QString>>>("QList<QPair<int, QString>>&");
}

} // namespace

MainWindow::MainWindow(QWidget* parent) : MainWindow(nullptr, parent) { }

MainWindow::MainWindow(std::unique_ptr<HotplugSource> source, QWidget* parent) : QMainWindow(parent)
{
    initAppResources();
    m_romUiMode = source ? new RomCmd::RomUiMode(std::move(source), this) : new RomCmd::RomUiMode(this);

    // 1. Language.
    m_translator = new QTranslator(qApp);
    loadLanguage(catalogueFor(GlobalSetting::instance().language()));

    // 2. Central widget and docks.
    m_centralWidget = new CentralWidget(this);
    setCentralWidget(m_centralWidget);
    m_deviceDock = new DeviceDock(this);
    auto* deviceTitle = new DockBaseTitleWidget(m_deviceDock->windowTitle(), m_deviceDock);
    m_deviceDock->setTitleBarWidget(deviceTitle);
    connect(m_deviceDock, &QDockWidget::windowTitleChanged, deviceTitle, &DockBaseTitleWidget::setTitle);
    connect(deviceTitle, &DockBaseTitleWidget::signalFloatBtnClicked, m_deviceDock,
        [dock = m_deviceDock] { dock->setFloating(!dock->isFloating()); });
    connect(deviceTitle, &DockBaseTitleWidget::signalCloseBtnClicked, m_deviceDock, &QDockWidget::close);
    addDockWidget(Qt::LeftDockWidgetArea, m_deviceDock);
    m_logDock = new LogDock(this);
    addDockWidget(Qt::BottomDockWidgetArea, m_logDock);
    resizeDocks({m_deviceDock, m_logDock}, {int(height() * 0.8), int(height() * 0.2)}, Qt::Vertical);

    // 3. Menus.
    buildMenus();

    // 4. Status bar.
    statusBar()->setSizeGripEnabled(false);

    // 5. Overlay.
    m_loadingWidget = new LoadingWidget(this);
    m_loadingWidget->resize(size());
    m_loadingWidget->hide();

    // 6. Style.
    StyleSheet::apply(QStringLiteral(":/qss/devmainwindow.qss"), this);

    // 7. Language marks.
    const bool english = GlobalSetting::instance().language() == 1;
    m_englishAction->setChecked(english);
    m_chineseAction->setChecked(!english);

    // 8. Wiring.
    registerWindowMetaTypes();
    connectParts();

    // 9. Window.
    setDockNestingEnabled(true);
    setMouseTracking(true);
    resize(1280, 720);
    // The docks were sized before the window had its size: give them their share of it again.
    resizeDocks({m_deviceDock, m_logDock}, {int(height() * 0.8), int(height() * 0.2)}, Qt::Vertical);
    setWindowTitle(QString::fromLatin1(Title));

    if (!m_romUiMode->detector()->isRegistered())
        m_logDock->slotAddLogs(tr("Device arrival and removal are not watched: %1")
                                   .arg(m_romUiMode->detector()->errorString()),
            LogWarning);

    // 10. List the devices present.
    emit signalRefreshDevice();
}

MainWindow::~MainWindow()
{
    QCoreApplication::removeTranslator(m_translator);
    delete m_translator;
}

QString MainWindow::catalogueFor(int languageSetting)
{
    return languageSetting == 1 ? QStringLiteral(":/language/english") : QStringLiteral(":/language/chinese");
}

QString MainWindow::userManualPath()
{
    return AppPaths::dataPath(QStringLiteral("doc/user_manual.html"));
}

void MainWindow::loadLanguage(const QString& catalogue)
{
    if (!m_translator->load(catalogue))
        qWarning().noquote() << "Cannot load the translation catalogue" << catalogue;
    QCoreApplication::removeTranslator(m_translator);
    QCoreApplication::installTranslator(m_translator);
}

void MainWindow::buildMenus()
{
    m_viewsMenu = menuBar()->addMenu(tr("Views"));
    m_viewsMenu->addAction(m_deviceDock->toggleViewAction());
    m_viewsMenu->addAction(m_logDock->toggleViewAction());

    m_helpMenu = menuBar()->addMenu(tr("Help"));
    m_userGuideAction = m_helpMenu->addAction(tr("User Guide"));
    m_languageMenu = m_helpMenu->addMenu(tr("Lanugage"));
    m_englishAction = m_languageMenu->addAction(tr("English"));
    m_englishAction->setCheckable(true);
    m_chineseAction = m_languageMenu->addAction(tr("Chinese"));
    m_chineseAction->setCheckable(true);
    m_aboutAction = m_helpMenu->addAction(tr("About"));
}

void MainWindow::retranslateMenus()
{
    m_viewsMenu->setTitle(tr("Views"));
    m_helpMenu->setTitle(tr("Help"));
    m_userGuideAction->setText(tr("User Guide"));
    m_languageMenu->setTitle(tr("Language"));
    m_englishAction->setText(tr("English"));
    m_chineseAction->setText(tr("Chinese"));
    m_aboutAction->setText(tr("About"));
}

void MainWindow::connectParts()
{
    using RomCmd::RomUiMode;
    RomUiMode* orch = m_romUiMode;
    connect(m_deviceDock, &DeviceDock::signalAddLogs, m_logDock, &LogDock::slotAddLogs);
    connect(m_deviceDock, &DeviceDock::signalUsbRefreshBtnClicked, orch, &RomUiMode::slotLoadUsbDevices);
    connect(m_deviceDock, &DeviceDock::signalDeviceconnect, orch, &RomUiMode::slotDeviceconnect);
    connect(m_deviceDock, &DeviceDock::signalDeviceDestroy, orch, &RomUiMode::slotDeviceDestroy);
    connect(m_deviceDock, &DeviceDock::signalDeviceSetConnectStatus, m_centralWidget,
        &CentralWidget::slotDeviceSetConnectStatus);
    connect(orch, &RomUiMode::signalCustomStatus, m_deviceDock, &DeviceDock::signalCustomStatus);
    connect(orch, &RomUiMode::signalCustomRecvData, m_deviceDock, &DeviceDock::signalCustomRecvData);
    connect(m_deviceDock, &DeviceDock::signalCustomeCmdData, orch, &RomUiMode::signalCustomeCmdData);
    connect(orch, &RomUiMode::signalUpdateUsbDevice, m_deviceDock, &DeviceDock::signalUpdateUsbDevice);
    connect(orch, &RomUiMode::signalAddLogs, m_logDock, &LogDock::slotAddLogs);
    connect(orch, &RomUiMode::signalUpdatePortDevice, m_deviceDock, &DeviceDock::signalUpdatePortDevice);
    connect(orch, &RomUiMode::signalRunStarted, this, &MainWindow::slotCmdRunStarted);
    connect(orch, &RomUiMode::signalRunFinished, this, &MainWindow::slotCmdRunFinished);
    connect(orch, &RomUiMode::signalSetLoadingWidgetHided, this, &MainWindow::slotSetLoadingWidgetHided);
    connect(orch, &RomUiMode::signalUpdateLoadingProgressStatus, this, &MainWindow::slotSetLoadingShowProgress);
    connect(orch, &RomUiMode::signalWriteConfigStatus, this, &MainWindow::slotSetLoadingShoworHided);
    connect(orch, &RomUiMode::signalCustomStatus, this, &MainWindow::slotSetLoadingShoworHided);
    connect(m_centralWidget, &CentralWidget::signalAddLogs, m_logDock, &LogDock::slotAddLogs);
    connect(m_centralWidget, &CentralWidget::signalDeviceDownloadTask, orch, &RomUiMode::slotDeviceDownloadTask);
    connect(m_centralWidget, &CentralWidget::signalWriteConfigTask, orch, &RomUiMode::slotWriteConfigTask);
    connect(m_centralWidget, &CentralWidget::signalLinkedDeviceDownloadTask, orch,
        &RomUiMode::slotDeviceLinkedDownloadTask);
    connect(m_centralWidget, &CentralWidget::signalLinkedCommandsEndSend, orch, &RomUiMode::slotLinkedCommandsEndSend);
    connect(m_centralWidget, &CentralWidget::signalStageDownloadTask, orch, &RomUiMode::slotStageDownloadTask);
    connect(m_centralWidget, &CentralWidget::signalSetWindowToTop, this, &MainWindow::slotSetWindowtoTop);
    connect(this, &MainWindow::signalImageEditClicked, m_centralWidget, &CentralWidget::signalMenuImageEditClicked);
    connect(this, &MainWindow::signalCmdRunFinishedNotify, m_centralWidget, &CentralWidget::slotCmdRunFinished);
    connect(this, &MainWindow::signalRefreshDevice, orch, &RomUiMode::slotLoadUsbDevices);
    // The overlay shows which command runs and how far it is.
    connect(orch, &RomUiMode::callbackDownloadTaskUpdate, m_loadingWidget, &LoadingWidget::slotTaskInfoUpdated);
    // The configuration tab says how a write ended.
    connect(orch, &RomUiMode::signalWriteConfigStatus, m_centralWidget, &CentralWidget::slotWriteConfigStatus);

    connect(m_userGuideAction, &QAction::triggered, this, &MainWindow::slotMenuBarUserGuideClicked);
    connect(m_aboutAction, &QAction::triggered, this, &MainWindow::slotMenuBarAboutClicked);
    connect(m_englishAction, &QAction::triggered, this, &MainWindow::slotMenuBarLanguageClicked);
    connect(m_chineseAction, &QAction::triggered, this, &MainWindow::slotMenuBarLanguageClicked);
}

void MainWindow::slotMenuBarUserGuideClicked(bool checked)
{
    Q_UNUSED(checked)
    const QString path = userManualPath();
    if (!QFileInfo::exists(path)) {
        m_logDock->slotAddLogs(tr("Can not find document ") + path, LogError);
        auto* box = new QMessageBox(QMessageBox::Warning, tr("User Guide"),
            tr("The user manual is missing. It should be at:\n%1").arg(path), QMessageBox::Ok, this);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
        return;
    }
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        m_logDock->slotAddLogs(tr("Can not open document %1: no program to show HTML files is set up").arg(path),
            LogError);
}

void MainWindow::slotMenuBarAboutClicked(bool checked)
{
    Q_UNUSED(checked)
    AboutDlg dlg(windowTitle(), this);
    dlg.exec();
}

void MainWindow::slotMenuBarLanguageClicked(bool checked)
{
    Q_UNUSED(checked)
    QObject* from = sender();
    bool english;
    if (from == m_englishAction)
        english = true;
    else if (from == m_chineseAction)
        english = false;
    else
        return;
    m_englishAction->setChecked(english);
    m_chineseAction->setChecked(!english);
    loadLanguage(catalogueFor(english ? 1 : 0));
    GlobalSetting::instance().setLanguage(english ? 1 : 0);
}

void MainWindow::showLoading()
{
    m_loadingWidget->resize(size());
    m_loadingWidget->show();
    m_loadingWidget->raise();
}

void MainWindow::slotCmdRunStarted(bool isShowProgress)
{
    m_logDock->slotAddLogs(tr("Commands run start!"), LogDebug);
    m_loadingWidget->setShowProgress(isShowProgress);
    showLoading();
}

void MainWindow::slotCmdRunFinished(bool result, QVariantMap resultInfoMap)
{
    m_loadingWidget->hide();
    const RunReport::Line line = RunReport::finished(result, resultInfoMap);
    m_logDock->slotAddLogs(line.text, line.level);
    emit signalCmdRunFinishedNotify(result, resultInfoMap);
}

void MainWindow::slotSetLoadingWidgetHided()
{
    m_loadingWidget->hide();
}

void MainWindow::slotSetLoadingShowProgress(bool isShowProgress)
{
    m_loadingWidget->setShowProgress(isShowProgress);
}

void MainWindow::slotSetLoadingShoworHided(int statue)
{
    if (statue >= 1) {
        m_loadingWidget->setShowProgress(false);
        showLoading();
    } else {
        m_loadingWidget->hide();
    }
}

void MainWindow::slotSetWindowtoTop()
{
    const bool wasMaximized = isMaximized();
    showMinimized();
    if (wasMaximized)
        showMaximized();
    else
        showNormal();
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    activateWindow();
    raise();
}

bool MainWindow::nativeEvent(const QByteArray& eventType, void* message, long* result)
{
    m_romUiMode->nativeEvent(eventType, message);
    return QMainWindow::nativeEvent(eventType, message, result);
}

void MainWindow::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange && m_helpMenu)
        retranslateMenus();
    QMainWindow::changeEvent(event);
}

void MainWindow::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    if (m_loadingWidget)
        m_loadingWidget->resize(size());
}

bool MainWindow::askToEnterOtpWriteView(QWidget* parent)
{
    QMessageBox box(QMessageBox::Information, tr("OTP Warning"),
        tr("There are OTP words in OTP write view, please ensure that words are wrote or synchronized to batch "
           "command list!"),
        QMessageBox::Yes | QMessageBox::No, parent);
    box.button(QMessageBox::Yes)->setText(tr("Enter OTP write view"));
    box.button(QMessageBox::No)->setText(tr("Quit"));
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

bool MainWindow::confirmCloseWithOtpWords()
{
    if (!ProjectConfig::instance().showOtpWriteViewTips())
        return true;
    if (askToEnterOtpWriteView(this)) {
        m_centralWidget->showOTPWriteView();
        return false;
    }
    return true;
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (m_closing) {
        event->ignore();
        return;
    }
    m_closing = true;
    emit m_deviceDock->signalCloseEvent();
    // The panel's log-out replies arrive through the event loop; user input waits.
    QEventLoop wait;
    QTimer::singleShot(CloseWaitMs, &wait, &QEventLoop::quit);
    wait.exec(QEventLoop::ExcludeUserInputEvents);
    const bool mayClose = confirmCloseWithOtpWords();
    m_closing = false;
    if (!mayClose) {
        event->ignore();
        return;
    }
    event->accept();
}

} // namespace DevelopViews
