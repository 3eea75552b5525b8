// Connection tests end to end: the orchestrator's linked jobs talk to the ROM
// simulator (fake hidapi or a pseudo-terminal); the firmware files sit in a
// temporary application directory; arrivals come from a scripted hot-plug source.
#include "devicelistinfo.h"
#include "orchestratortestenv.h"
#include "romrig.h"

#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

using namespace RomCmd;
using namespace OrchTest;

namespace {

constexpr int Never = 3600000; // restart intervals the tests drive by hand
const QString HidPath = QStringLiteral("sim-rom-hid-orch");
const QString WaitingText = QStringLiteral("Waiting for the device to restart! Please don't operate the device!");

using UartRom = Rig::UartRig;

// The orchestrator as the main window would hold it, with spies on its outcomes.
struct Ui
{
    ScriptedHotplugSource* source = nullptr;
    UiPtr ui;
    ViewLog logs;
    std::unique_ptr<QSignalSpy> finished;
    std::unique_ptr<QSignalSpy> batch;
    std::unique_ptr<QSignalSpy> hidden;

    Ui()
    {
        auto s = std::make_unique<ScriptedHotplugSource>();
        source = s.get();
        ui.reset(new RomUiMode(std::move(s)));
        ui->setRestartIntervals(Never, Never);
        // The main window's wiring: arrivals and removals reach the orchestrator's slot.
        QObject::connect(ui.get(), &RomUiMode::signalUpdateUsbDevice, ui.get(), &RomUiMode::slotUpdateUsbDevice);
        logs.attach(*ui);
        finished = std::make_unique<QSignalSpy>(ui.get(), &RomUiMode::signalDeviceConnectTestFinished);
        batch = std::make_unique<QSignalSpy>(ui.get(), &RomUiMode::signalBatchCmdsRunFinished);
        hidden = std::make_unique<QSignalSpy>(ui.get(), &RomUiMode::signalSetLoadingWidgetHided);
    }
    RomUiMode* operator->() { return ui.get(); }

    bool waitFinished()
    {
        return waitFor([this] { return finished->count() > 0; });
    }
    bool waitWaiting(int n = 1)
    {
        return waitFor([this, n] { return logs.count(WaitingText, 2) >= n; });
    }
    QString onlyRunId() const { return ui->deviceInfoMap().isEmpty() ? QString() : ui->deviceInfoMap().firstKey(); }
};

} // namespace

class TestOrchestratorFlow : public QObject
{
    Q_OBJECT

    std::unique_ptr<AppDir> m_app;

private slots:
    void init() { m_app = std::make_unique<AppDir>(); }
    void cleanup()
    {
        QVERIFY(drainPool());
        FakeHid::reset();
        m_app.reset();
    }

    void firmwareDeviceEndsAtOnce_data()
    {
        QTest::addColumn<bool>("uart");
        QTest::addColumn<QString>("version");
        QTest::newRow("usb-hid") << false << "F1.2.0";
        QTest::newRow("uart") << true << "F1.2.0";
        QTest::newRow("lower-case f") << false << "f1.2.0";
    }
    void firmwareDeviceEndsAtOnce()
    {
        QFETCH(bool, uart);
        QFETCH(QString, version);
        m_app->addFirmware(QStringLiteral("a_b_blfw_unsigned.bin"));
        Rig::HidRig hid(HidPath);
        UartRom serial;
        RomSim::Engine& engine = uart ? serial.engine : hid.engine();
        engine.setRomVersion(version);
        Ui ui;
        const QVariant info = uart ? serial.info() : hid.info();
        ui->slotDeviceConnectTest(info, uart ? EDeviceTypeUart : EDeviceTypeUsbHid, 0);
        QVERIFY(ui.waitFinished());
        QCOMPARE(ui.finished->count(), 1);
        QCOMPARE(ui.finished->at(0).at(2).toBool(), true);
        const QVariant tested = ui.finished->at(0).at(0);
        QCOMPARE(RomUiMode::deviceId(tested, uart ? EDeviceTypeUart : EDeviceTypeUsbHid),
            RomUiMode::deviceId(info, uart ? EDeviceTypeUart : EDeviceTypeUsbHid));
        QCOMPARE(ui.batch->count(), 1);
        QCOMPARE(ui.batch->at(0).at(0).toBool(), true);
        QCOMPARE(
            ui.logs.count(
                QStringLiteral("Rom version: ") + version + QStringLiteral(", Soc revision: A0.1.0 life cycle: 2"), 0),
            1);
        QCOMPARE(ui.logs.count("Find bootloader firmware"), 0);
        QVERIFY(engine.loadedImage().isEmpty());
        QVERIFY(ui->deviceInfoMap().isEmpty());
        QCOMPARE(ui->timerCount(), 0);
        QCOMPARE(ui->linkedTaskCount(), 0);
    }

    void plainRomLoadsFirmwareWaitsAndRetests()
    {
        const QByteArray firmware = m_app->addFirmware(QStringLiteral("a_b_blfw_unsigned.bin"), 0x41);
        Rig::HidRig hid(HidPath);
        hid.engine().setExpectedImageLength(uint32_t(firmware.size()));
        hid.engine().setVersionAfterImageLoad(QStringLiteral("F2.0.0"));
        Ui ui;
        ui->setRestartIntervals(Never, Never - 1);
        ui->slotDeviceConnectTest(hid.info(), EDeviceTypeUsbHid, 0);
        const QString first = ui.onlyRunId();
        QVERIFY(ui.waitWaiting());

        QCOMPARE(hid.engine().loadedImage(), firmware);
        QCOMPARE(ui.logs.count("Find bootloader firmware and load...Times: 1", 0), 1);
        const QString file = m_app->firmwareFolder() + QStringLiteral("/a_b_blfw_unsigned.bin");
        QCOMPARE(ui.logs.count(QStringLiteral("load firmware: ") + file + QStringLiteral(" 4142434445464748"), 0), 1);
        QCOMPARE(ui.finished->count(), 0);
        QCOMPARE(ui->deviceInfoMap().size(), 1);
        const DeviceConnectInfo waiting = ui->deviceInfoMap().value(first);
        QCOMPARE(waiting.status, 3);
        QCOMPARE(waiting.loadTimes, 1);
        QCOMPARE(waiting.lifecycle, 2u);
        QVERIFY(ui->restartTimer(first)->isActive());
        QCOMPARE(ui->restartTimer(first)->interval(), Never - 1);
        QCOMPARE(ui->linkedTaskCount(), 0);

        // The device leaves while it restarts (it stays in the host list), then comes back.
        QVERIFY(drainPool());
        UsbInfo listed = recordFromVariant<UsbInfo>(hid.info());
        ui->deviceList().addDevice(listed);
        ui.source->unplug(HidPath);
        QCOMPARE(ui->deviceList().usbDevices().size(), 1);
        ui.source->plug(HidPath, HidFacts());
        QCOMPARE(ui->deviceInfoMap().size(), 1);
        const QString second = ui.onlyRunId();
        QVERIFY(second != first);
        QCOMPARE(ui->deviceInfoMap().value(second).loadTimes, 1);

        QVERIFY(ui.waitFinished());
        QCOMPARE(ui.finished->at(0).at(2).toBool(), true);
        QCOMPARE(ui.logs.count("Find bootloader firmware"), 1);
        QVERIFY(ui->deviceInfoMap().isEmpty());
        QCOMPARE(ui->timerCount(), 0);
        ui->deviceList().removeDevice(EDeviceTypeUsbHid, HidPath);
    }

    void firmwareMissing_data()
    {
        QTest::addColumn<bool>("folder");
        QTest::addColumn<QString>("log");
        QTest::newRow("no folder") << false << "Cannot locate bootloader firmware folder path: %1/bl_fw/A_B";
        QTest::newRow("no file") << true
                                 << "Cannot locate bootloader firmware path: %1/bl_fw/A_B/a_b_blfw_unsigned.bin";
    }
    void firmwareMissing()
    {
        QFETCH(bool, folder);
        QFETCH(QString, log);
        if (folder)
            m_app->addFirmware(QStringLiteral("a_b_blfw_signed.bin"));
        Rig::HidRig hid(HidPath);
        Ui ui;
        ui->slotDeviceConnectTest(hid.info(), EDeviceTypeUsbHid, 0);
        QVERIFY(ui.waitFinished());
        QCOMPARE(ui.logs.count(log.arg(m_app->path()), 2), 1);
        QCOMPARE(ui.finished->at(0).at(2).toBool(), true);
        QVERIFY(hid.engine().loadedImage().isEmpty());
        QVERIFY(ui->deviceInfoMap().isEmpty());
    }

    void socRevisionBelowMinimumKeepsTheRom()
    {
        m_app->addFirmware(QStringLiteral("a_b_blfw_unsigned.bin"));
        Rig::HidRig hid(HidPath);
        hid.engine().setSocRevision(QStringLiteral("A0.0.9"));
        Ui ui;
        ui->slotDeviceConnectTest(hid.info(), EDeviceTypeUsbHid, 0);
        QVERIFY(ui.waitFinished());
        QCOMPARE(ui.logs.count("Current soc revision is less than minimal soc revision: 0.1.0", 2), 1);
        QCOMPARE(ui.logs.count("Find bootloader firmware"), 0);
        QCOMPARE(ui.finished->at(0).at(2).toBool(), true);
        QVERIFY(hid.engine().loadedImage().isEmpty());
    }

    void unknownRomVersionFails()
    {
        Rig::HidRig hid(HidPath);
        hid.engine().setRomVersion(QStringLiteral("X1.0.0"));
        Ui ui;
        ui->slotDeviceConnectTest(hid.info(), EDeviceTypeUsbHid, 0);
        QVERIFY(ui.waitFinished());
        QCOMPARE(ui.finished->at(0).at(2).toBool(), false);
        QCOMPARE(ui.batch->at(0).at(0).toBool(), false);
    }

    void fourthTestGivesUpLoading()
    {
        const QByteArray firmware = m_app->addFirmware(QStringLiteral("a_b_blfw_unsigned.bin"));
        Rig::HidRig hid(HidPath);
        hid.engine().setExpectedImageLength(uint32_t(firmware.size()));
        Ui ui;
        ui->slotDeviceConnectTest(hid.info(), EDeviceTypeUsbHid, 0);
        for (int load = 1; load <= RomUiMode::MaxFirmwareLoads; ++load) {
            QVERIFY(ui.waitWaiting(load));
            QCOMPARE(ui->deviceInfoMap().first().loadTimes, load);
            QVERIFY(drainPool());
            ui.source->plug(HidPath, HidFacts());
        }
        QVERIFY(ui.waitFinished());
        QCOMPARE(ui.finished->count(), 1);
        QCOMPARE(ui.finished->at(0).at(2).toBool(), true);
        QCOMPARE(ui.logs.count("Try to load firmware failed!", 2), 1);
        for (int load = 1; load <= 3; ++load)
            QCOMPARE(ui.logs.count(QStringLiteral("Find bootloader firmware and load...Times: %1").arg(load)), 1);
        QCOMPARE(ui.logs.count("Find bootloader firmware"), 3);
        QVERIFY(ui->deviceInfoMap().isEmpty());
    }

    void firmwareFileFollowsSettingAndLifecycle_data()
    {
        QTest::addColumn<int>("fwLoadType");
        QTest::addColumn<int>("lifecycle");
        QTest::addColumn<bool>("signedFile");
        QTest::newRow("type 0, life cycle 5") << 0 << 5 << true;
        QTest::newRow("type 1, life cycle 5") << 1 << 5 << false;
    }
    void firmwareFileFollowsSettingAndLifecycle()
    {
        QFETCH(int, fwLoadType);
        QFETCH(int, lifecycle);
        QFETCH(bool, signedFile);
        m_app->setFwLoadType(fwLoadType);
        const QByteArray unsignedFw = m_app->addFirmware(QStringLiteral("a_b_blfw_unsigned.bin"), 0x01, 1100);
        const QByteArray signedFw = m_app->addFirmware(QStringLiteral("a_b_blfw_signed.bin"), 0x02, 1300);
        Rig::HidRig hid(HidPath);
        hid.engine().setLifecycle(uint8_t(lifecycle));
        hid.engine().setExpectedImageLength(uint32_t((signedFile ? signedFw : unsignedFw).size()));
        Ui ui;
        ui->slotDeviceConnectTest(hid.info(), EDeviceTypeUsbHid, 0);
        QVERIFY(ui.waitWaiting());
        QCOMPARE(hid.engine().loadedImage(), signedFile ? signedFw : unsignedFw);
    }

    void customSocUsesItsBaseSeries()
    {
        CustomSocInfo custom;
        custom.name = QStringLiteral("Board-7");
        custom.ref = QStringLiteral("A/B");
        ProjectConfig::instance().setCustomSocs({ custom });
        ProjectConfig::instance().setSocType(custom.name);
        const QByteArray firmware = m_app->addFirmware(QStringLiteral("a_b_blfw_unsigned.bin"));
        Rig::HidRig hid(HidPath);
        hid.engine().setExpectedImageLength(uint32_t(firmware.size()));
        Ui ui;
        ui->slotDeviceConnectTest(hid.info(), EDeviceTypeUsbHid, 0);
        QVERIFY(ui.waitWaiting());
        QCOMPARE(hid.engine().loadedImage(), firmware);
    }
};

QTEST_GUILESS_MAIN(TestOrchestratorFlow)
#include "tst_orchestrator_flow.moc"
