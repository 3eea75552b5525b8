// The Krel device panel end to end: the box simulator behind the fake hidapi,
// its arrivals and removals through a scripted hot-plug source, the orchestrator
// running the command job, and the panel wired as the main window wires it.
#include "../orchestrator/orchestratortestenv.h"
#include "devicedock.h"
#include "devicedockwidget.h"
#include "krelbox.h"
#include "simdrivelister.h"
#include "updatefirmwaredlg.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

using DevelopViews::DeviceDock;
using DevelopViews::DeviceDockWidget;
using KrelSim::KrelBox;
using RomCmd::RomUiMode;

namespace {
constexpr int kSafety = 10000; // ms; only reached when something is broken

struct Bench
{
    OrchTest::AppDir appDir;
    QTemporaryDir firmware;
    ScriptedHotplugSource* source = nullptr;
    OrchTest::UiPtr ui;
    std::unique_ptr<DeviceDock> dock;
    QList<QPair<QString, int>> logs;

    explicit Bench(const QByteArray& newJson = QByteArray())
    {
        if (!newJson.isEmpty()) {
            QFile f(firmware.filePath("new.json"));
            f.open(QIODevice::WriteOnly);
            f.write(newJson);
        }
        auto s = std::make_unique<ScriptedHotplugSource>();
        source = s.get();
        ui.reset(new RomUiMode(std::move(s)));
        dock = std::make_unique<DeviceDock>(nullptr, firmware.path() + "/");
        QObject::connect(dock.get(), &DeviceDock::signalAddLogs, dock.get(), [this](const QString& t, LogLevel l) {
            logs.append({ t, int(l) });
        });
        QObject::connect(ui.get(), &RomUiMode::signalUpdateUsbDevice, ui.get(), &RomUiMode::slotUpdateUsbDevice);
        QObject::connect(dock.get(), &DeviceDock::signalDeviceconnect, ui.get(), &RomUiMode::slotDeviceconnect);
        QObject::connect(dock.get(), &DeviceDock::signalDeviceDestroy, ui.get(), &RomUiMode::slotDeviceDestroy);
        QObject::connect(ui.get(), &RomUiMode::signalCustomStatus, dock.get(), &DeviceDock::signalCustomStatus);
        QObject::connect(ui.get(), &RomUiMode::signalCustomRecvData, dock.get(), &DeviceDock::signalCustomRecvData);
        QObject::connect(dock.get(), &DeviceDock::signalCustomeCmdData, ui.get(), &RomUiMode::signalCustomeCmdData);
        QObject::connect(ui.get(), &RomUiMode::signalUpdateUsbDevice, dock.get(), &DeviceDock::signalUpdateUsbDevice);
    }
    ~Bench()
    {
        dock.reset();
        OrchTest::drainPool();
    }
    // The box's comings and goings reach the detector as hardware would.
    void attach(KrelBox& box, const QString& id)
    {
        QObject::connect(&box, &KrelBox::attached, dock.get(), [this, id](const QString& path, const QString& product) {
            source->plug(path, HidFacts { id, KrelBox::VendorId, KrelBox::ProductId, product });
        });
        QObject::connect(&box, &KrelBox::detached, dock.get(),
            [this](const QString& path, const QString&) { source->unplug(path); });
    }
    // One box plugged in and listed.
    bool plugOne(KrelBox& box, KrelSim::Mode mode = KrelSim::Mode::Command)
    {
        attach(box, "KREL0");
        box.plug(mode);
        return mode != KrelSim::Mode::Command || QTest::qWaitFor([this] { return devices()->count() == 1; }, kSafety);
    }
    DeviceDockWidget* panel() const { return dock->panel(); }
    template <class T> T* child(const char* name) const { return panel()->findChild<T*>(name); }
    QPushButton* connectBtn() const { return child<QPushButton>("ConnectBtn"); }
    QPushButton* resetBtn() const { return child<QPushButton>("ResetBtn"); }
    QComboBox* devices() const { return child<QComboBox>("DeviceList"); }
    QString boxText() const
    {
        const auto boxes = panel()->findChildren<QMessageBox*>();
        return boxes.isEmpty() ? QString() : boxes.last()->text();
    }
    int logCount(const QString& text, int level) const { return logs.count({ text, level }); }
    bool disconnectedLook() const
    {
        return connectBtn()->isEnabled() && !connectBtn()->isChecked() && connectBtn()->text() == "Connect"
            && !resetBtn()->isChecked() && resetBtn()->text() == "Reset" && devices()->isEnabled();
    }
};
} // namespace

class TestDeviceDock : public QObject
{
    Q_OBJECT
private slots:
    void init() { KrelSim::installDriveLister(); }
    void cleanup()
    {
        KrelSim::uninstallDriveLister();
        FakeHid::reset();
        KrelSim::SimDrives::clear();
    }
    void login()
    {
        Bench b(R"({"firmware_name":"krel_2.0.0.uf2","version":"2.0.0"})");
        KrelBox box;
        box.setPassword("pw");
        box.setFirmwareVersion("1.5.0");
        QVERIFY(b.plugOne(box));
        QVERIFY(b.disconnectedLook());
        b.child<QLineEdit>("PasswordEdit")->setText("pw");
        b.connectBtn()->click();
        QCOMPARE(b.connectBtn()->text(), QString("Connecting..."));
        QVERIFY(!b.connectBtn()->isEnabled());

        QTRY_VERIFY_WITH_TIMEOUT(b.panel()->isConnected(), kSafety);
        QCOMPARE(b.connectBtn()->text(), QString("Disconnect"));
        QCOMPARE(b.resetBtn()->text(), QString("UpdatePD"));
        QVERIFY(!b.devices()->isEnabled());
        QCOMPARE(b.logCount("Device connected successfully", LogInfo), 1);
        // VER again once the drive has arrived.
        QTRY_COMPARE_WITH_TIMEOUT(box.receivedCommands().count("Veltrix_Zindrake_VER"), 2, kSafety);
        QTRY_COMPARE_WITH_TIMEOUT(b.child<QLineEdit>("VersionEdit")->text(), QString("1.5.0"), kSafety);
        QVERIFY(b.panel()->upgradeAvailable());
        QVERIFY(b.child<QPushButton>("UpgradeBtn")->isEnabled());
        b.connectBtn()->click(); // Disconnect: the look at once, whether or not QUT is answered
        QVERIFY(b.disconnectedLook());
        QTRY_VERIFY_WITH_TIMEOUT(box.receivedCommands().contains("Veltrix_Zindrake_QUT"), kSafety);
    }

    // A login that fails returns the panel to Connect with the reason in a box.
    void loginFails_data()
    {
        QTest::addColumn<int>("fault");
        QTest::addColumn<QString>("reason"); // the box text's first sentence
        QTest::newRow("wrong password") << int(KrelSim::Fault::None)
                                        << "Connection failed, please make sure the password is correct";
        QTest::newRow("silent") << int(KrelSim::Fault::NoReply) << "The Krel box did not answer";
        QTest::newRow("garbage") << int(KrelSim::Fault::Garbage) << "The Krel box did not answer";
    }
    void loginFails()
    {
        QFETCH(int, fault);
        QFETCH(QString, reason);
        Bench b;
        KrelBox box;
        box.setPassword("pw");
        QVERIFY(b.plugOne(box));
        b.child<QLineEdit>("PasswordEdit")->setText(fault == int(KrelSim::Fault::None) ? "nope" : "pw");
        box.injectFault(KrelSim::Fault(fault), 3);
        b.connectBtn()->click();
        QTRY_COMPARE_WITH_TIMEOUT(b.boxText().section('.', 0, 0), reason, kSafety);
        QTRY_VERIFY_WITH_TIMEOUT(b.disconnectedLook(), kSafety);
        QVERIFY(!b.panel()->isConnecting() && !b.panel()->isConnected());
    }
    void reset()
    {
        Bench b;
        KrelBox box;
        QVERIFY(b.plugOne(box));
        b.resetBtn()->click();
        QTRY_COMPARE_WITH_TIMEOUT(b.boxText(), QString("Reset successful, please reconnect"), kSafety);
        QVERIFY(box.receivedCommands().contains("Veltrix_Zindrake_RST"));
        QVERIFY(b.disconnectedLook());
    }
    void updatePasswordThenQuit()
    {
        Bench b;
        KrelBox box;
        QVERIFY(b.plugOne(box));
        b.connectBtn()->click();
        QTRY_VERIFY_WITH_TIMEOUT(b.panel()->isConnected(), kSafety);
        // Without new.json no upgrade is offered.
        QTRY_COMPARE_WITH_TIMEOUT(b.child<QLineEdit>("VersionEdit")->text(), QString("1.0.0"), kSafety);
        QVERIFY(!b.child<QPushButton>("UpgradeBtn")->isEnabled());
        box.clearReceived();
        b.child<QLineEdit>("PasswordEdit")->setText("new");
        b.resetBtn()->click(); // reads "UpdatePD" while connected
        QTRY_COMPARE_WITH_TIMEOUT(b.boxText(), QString("Change password successfully, please reconnect"), kSafety);
        QTRY_VERIFY_WITH_TIMEOUT(box.receivedCommands().contains("Veltrix_Zindrake_QUT"), kSafety);
        const QStringList sent = box.receivedCommands();
        QVERIFY(sent.indexOf("Veltrix_Zindrake_SSS:3,new") >= 0);
        QVERIFY(sent.indexOf("Veltrix_Zindrake_SSS:3,new") < sent.indexOf("Veltrix_Zindrake_QUT"));
        QCOMPARE(box.password(), QString("new"));
        QTRY_VERIFY_WITH_TIMEOUT(b.disconnectedLook(), kSafety);
    }
    void upgradeButton()
    {
        Bench b(R"({"firmware_name":"fw.uf2","version":"1.10.0"})");
        KrelBox box;
        box.setFirmwareVersion("1.5.0");
        QVERIFY(b.plugOne(box, KrelSim::Mode::Drive)); // logged in before: the drive's arrival connects and asks VER
        QTRY_COMPARE_WITH_TIMEOUT(b.child<QLineEdit>("VersionEdit")->text(), QString("1.5.0"), kSafety);
        auto* upgrade = b.child<QPushButton>("UpgradeBtn");
        QVERIFY(upgrade->isEnabled());
        // The dialog gets the box's version, the newest and the firmware file.
        QObject::connect(
            b.panel(), &DeviceDockWidget::signalUpgradeDialogOpened, b.panel(), [](UpdateFirmwareDlg* dlg) {
                QCOMPARE(
                    dlg->findChild<QLabel*>("CurrentVersionLabel")->text(), QString("Current firmware version: 1.5.0"));
                QCOMPARE(
                    dlg->findChild<QLabel*>("NewVersionLabel")->text(), QString("Latest firmware version: 1.10.0"));
                QTimer::singleShot(0, dlg, &QDialog::reject);
            });
        upgrade->click();
        QCOMPARE(b.panel()->firmwarePath(), b.firmware.path() + "/fw.uf2");
        // Unplugged, the button goes off again.
        box.unplug();
        QTRY_VERIFY_WITH_TIMEOUT(!upgrade->isEnabled(), kSafety);
    }
    void twoBoxes()
    {
        Bench b;
        KrelBox one("krelsim/one"), two("krelsim/two");
        b.attach(one, "KREL1");
        b.attach(two, "KREL2");
        one.plug();
        two.plug();
        QTRY_COMPARE_WITH_TIMEOUT(b.devices()->count(), 2, kSafety);
        QCOMPARE(b.logCount("Multiple devices are not supported, please access only one offline burner", LogError), 1);
        QCOMPARE(b.devices()->currentIndex(), -1);
        // Connect with nothing selected sends nothing.
        b.connectBtn()->click();
        QCOMPARE(b.logCount("Please select an Krel device", LogError), 1);
        QVERIFY(b.disconnectedLook());
        QVERIFY(one.receivedCommands().isEmpty() && two.receivedCommands().isEmpty());
    }
    void passwordTooLong()
    {
        Bench b;
        KrelBox box;
        QVERIFY(b.plugOne(box));
        b.child<QLineEdit>("PasswordEdit")->setText(QString(60, QChar(0x4E2D)));
        b.connectBtn()->click();
        QCOMPARE(b.boxText(), Krel::KrelCommand::passwordTooLongMessage());
        QVERIFY(b.disconnectedLook());
        QTest::qWait(300);
        QVERIFY(box.receivedCommands().isEmpty());
    }
};

QTEST_MAIN(TestDeviceDock)
#include "tst_devicedock.moc"
