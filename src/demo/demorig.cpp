#include "demorig.h"

#include "devicedock.h"
#include "devicedockwidget.h"
#include "firmwareinfo.h"
#include "krelbox.h"
#include "mainwindow.h"
#include "ptylink.h"
#include "romsim.h"
#include "scriptedhotplugsource.h"
#include "serialportlister.h"
#include "simdrivelister.h"
#include "uartserver.h"
#include "updatefirmwaredlg.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QMenu>
#include <QMenuBar>
#include <QTranslator>

using KrelSim::KrelBox;

static void initDemoResources()
{
    Q_INIT_RESOURCE(demo_language);
}

namespace {
const char kFirmwareName[] = "krel_demo_1.1.0.bin";
} // namespace

bool DemoRig::prepareAppFolder(const QString& root, QString* error)
{
    const QString folder = root + QStringLiteral("/mcuimage");
    QFile json(folder + QLatin1Char('/') + QLatin1String(Krel::FirmwareInfoFile));
    QFile firmware(folder + QLatin1Char('/') + QLatin1String(kFirmwareName));
    const bool ok = QDir().mkpath(folder) && json.open(QIODevice::WriteOnly)
        && json.write(QStringLiteral(R"({"firmware_name":"%1","version":"%2"})")
                          .arg(QLatin1String(kFirmwareName), QLatin1String(OfferedVersion))
                          .toUtf8())
            > 0
        && firmware.open(QIODevice::WriteOnly)
        // The simulated loader takes its new version from the file's first line.
        && firmware.write("KRELFW " + QByteArray(OfferedVersion) + "\n" + QByteArray(64 * 1024, '\xA5')) > 0;
    if (!ok && error)
        *error = json.errorString().isEmpty() ? firmware.errorString() : json.errorString();
    return ok;
}

DemoRig::DemoRig()
{
    initDemoResources();
    m_translator = new QTranslator(this);
    if (!m_translator->load(QStringLiteral(":/demo/language/chinese")))
        qWarning("Cannot load the demo's Chinese texts");
    KrelSim::installDriveLister();
    auto source = std::make_unique<ScriptedHotplugSource>();
    m_source = source.get();
    m_window = std::make_unique<DevelopViews::MainWindow>(std::move(source));

    m_box = std::make_unique<KrelBox>(QStringLiteral("krelsim/demo0"));
    m_box->setFirmwareVersion(QLatin1String(BoxVersion));
    attach(m_box.get(), QStringLiteral("USB\\VID_34B7&PID_1000\\KRELDEMO0"));
    m_second = std::make_unique<KrelBox>(QStringLiteral("krelsim/demo1"));
    m_second->setFirmwareVersion(QLatin1String(BoxVersion));
    attach(m_second.get(), QStringLiteral("USB\\VID_34B7&PID_1000\\KRELDEMO1"));

    // The ROM device sits on a pseudo-terminal the UART list shows.
    m_engine = std::make_unique<RomSim::Engine>();
    m_link = std::make_unique<PtyLink>();
    if (m_link->isOpen()) {
        m_server = std::make_unique<RomSim::UartServer>(*m_link, *m_engine);
        const QString port = m_link->toolPath();
        m_window->deviceDock()->panel()->setPortLister(
            [port] { return RomCmd::SerialPortLister().portNames() << port; });
        m_window->deviceDock()->panel()->slotUartRefreshBtnClicked();
    }

    // The dialog tells the user to set the switches and plug the box in: the demo
    // does that for them and opens the folder question on the update drive.
    DevelopViews::DeviceDockWidget* panel = m_window->deviceDock()->panel();
    connect(panel, &DevelopViews::DeviceDockWidget::signalUpgradeDialogOpened, this, [this](UpdateFirmwareDlg* dlg) {
        dlg->setDirectoryChooser([this](QWidget* parent) {
            m_box->plug(KrelSim::Mode::Update);
            return QFileDialog::getExistingDirectory(parent, UpdateFirmwareDlg::tr("Open Directory"),
                m_box->updateDriveRoot(), QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
        });
    });

    m_menu = m_window->menuBar()->addMenu(QString());
    m_menu->setObjectName(QStringLiteral("DemoMenu"));
    m_unplug = m_menu->addAction(QString(), this, [this] { setBoxPlugged(false); });
    m_replug = m_menu->addAction(QString(), this, [this] { setBoxPlugged(true); });
    m_menu->addSeparator();
    m_plugSecond = m_menu->addAction(QString(), this, [this] { setSecondBoxPlugged(true); });
    m_unplugSecond = m_menu->addAction(QString(), this, [this] { setSecondBoxPlugged(false); });
    m_window->installEventFilter(this);
    retranslate();

    m_box->plug(KrelSim::Mode::Command);
    updateActions();
}

DemoRig::~DemoRig()
{
    // The window logs out and ends its jobs while the boxes still answer; their
    // unplugging afterwards has no hot-plug source left to tell.
    m_box->disconnect(this);
    m_second->disconnect(this);
    m_window.reset();
    if (m_translatorInstalled)
        QCoreApplication::removeTranslator(m_translator);
    m_server.reset();
    m_second.reset();
    m_box.reset();
    KrelSim::uninstallDriveLister();
}

QString DemoRig::romPort() const
{
    return m_link && m_link->isOpen() ? m_link->toolPath() : QString();
}

void DemoRig::attach(KrelBox* box, const QString& instanceId)
{
    connect(box, &KrelBox::attached, this, [this, instanceId](const QString& path, const QString& product) {
        m_source->plug(path, HidFacts { instanceId, KrelBox::VendorId, KrelBox::ProductId, product });
        updateActions();
    });
    connect(box, &KrelBox::detached, this, [this](const QString& path, const QString&) {
        m_source->unplug(path);
        updateActions();
    });
}

void DemoRig::setBoxPlugged(bool plugged)
{
    if (plugged)
        m_box->plug(KrelSim::Mode::Command);
    else
        m_box->unplug();
}

void DemoRig::setSecondBoxPlugged(bool plugged)
{
    if (plugged)
        m_second->plug(KrelSim::Mode::Command);
    else
        m_second->unplug();
}

void DemoRig::updateActions()
{
    if (!m_unplug)
        return;
    const bool first = m_box->mode() != KrelSim::Mode::Unplugged;
    const bool second = m_second->mode() != KrelSim::Mode::Unplugged;
    m_unplug->setEnabled(first);
    m_replug->setEnabled(!first);
    m_plugSecond->setEnabled(!second);
    m_unplugSecond->setEnabled(second);
}

void DemoRig::retranslate()
{
    // Follows the window's language; (un)installing sends LanguageChange, which lands here again.
    const bool chinese = m_window->chineseAction()->isChecked();
    if (chinese != m_translatorInstalled) {
        m_translatorInstalled = chinese;
        if (chinese)
            QCoreApplication::installTranslator(m_translator);
        else
            QCoreApplication::removeTranslator(m_translator);
    }
    m_window->setWindowTitle(
        QLatin1String(DevelopViews::MainWindow::Title) + QStringLiteral(" - ") + tr("Demo on simulated devices"));
    m_menu->setTitle(tr("Demo"));
    m_unplug->setText(tr("Unplug the Krel box"));
    m_replug->setText(tr("Plug the Krel box in again"));
    m_plugSecond->setText(tr("Plug in a second Krel box"));
    m_unplugSecond->setText(tr("Unplug the second Krel box"));
}

bool DemoRig::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_window.get() && event->type() == QEvent::LanguageChange)
        retranslate();
    return QObject::eventFilter(watched, event);
}
