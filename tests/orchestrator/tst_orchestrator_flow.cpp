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

    // Connection tests that end at once without loading firmware: the ROM runs it
    // already, has none to get, must keep its ROM, or is no ROM this tool knows.
    void endsWithoutLoading_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("revision"); // empty: the simulator's A0.1.0
        QTest::addColumn<QString>("firmware"); // file put into the series folder, empty: none
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("log"); // %1: the application directory
        QTest::addColumn<int>("level");
        const QString unsignedFw = QStringLiteral("a_b_blfw_unsigned.bin");
        QTest::newRow("firmware runs") << "F1.2.0" << "" << unsignedFw << true
                                       << "Rom version: F1.2.0, Soc revision: A0.1.0 life cycle: 2" << 0;
        QTest::newRow("lower-case f") << "f1.2.0" << "" << unsignedFw << true
                                      << "Rom version: f1.2.0, Soc revision: A0.1.0 life cycle: 2" << 0;
        QTest::newRow("no folder") << "V1.0.0" << "" << "" << true
                                   << "Cannot locate bootloader firmware folder path: %1/bl_fw/A_B" << 2;
        QTest::newRow("no file") << "V1.0.0" << "" << "a_b_blfw_signed.bin" << true
                                 << "Cannot locate bootloader firmware path: %1/bl_fw/A_B/a_b_blfw_unsigned.bin" << 2;
        QTest::newRow("SoC revision below minimum")
            << "V1.0.0" << "A0.0.9" << unsignedFw << true
            << "Current soc revision is less than minimal soc revision: 0.1.0" << 2;
        QTest::newRow("unknown ROM version") << "X1.0.0" << "" << unsignedFw << false << "" << 0;
    }
    void endsWithoutLoading()
    {
        QFETCH(QString, version);
        QFETCH(QString, revision);
        QFETCH(QString, firmware);
        QFETCH(bool, ok);
        QFETCH(QString, log);
        QFETCH(int, level);
        if (!firmware.isEmpty())
            m_app->addFirmware(firmware);
        Rig::HidRig hid(HidPath);
        hid.engine().setRomVersion(version);
        if (!revision.isEmpty())
            hid.engine().setSocRevision(revision);
        Ui ui;
        ui->slotDeviceConnectTest(hid.info(), EDeviceTypeUsbHid, 0);
        QVERIFY(ui.waitFinished());
        QCOMPARE(ui.finished->count(), 1);
        QCOMPARE(ui.finished->at(0).at(2).toBool(), ok);
        QCOMPARE(RomUiMode::deviceId(ui.finished->at(0).at(0), EDeviceTypeUsbHid),
            RomUiMode::deviceId(hid.info(), EDeviceTypeUsbHid));
        QCOMPARE(ui.batch->count(), 1);
        QCOMPARE(ui.batch->at(0).at(0).toBool(), ok);
        if (!log.isEmpty())
            QCOMPARE(ui.logs.count(log.arg(m_app->path()), level), 1);
        // Only a missing file or folder was looked for.
        QCOMPARE(ui.logs.count("Find bootloader firmware"), log.startsWith(QLatin1String("Cannot locate")) ? 1 : 0);
        QVERIFY(hid.engine().loadedImage().isEmpty());
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

    // The firmware file follows the setting and the life cycle; a custom SoC loads its base series' file.
    void firmwareFileFollowsSettingAndLifecycle_data()
    {
        QTest::addColumn<int>("fwLoadType");
        QTest::addColumn<int>("lifecycle");
        QTest::addColumn<bool>("custom");
        QTest::addColumn<bool>("signedFile");
        QTest::newRow("type 0, life cycle 5") << 0 << 5 << false << true;
        QTest::newRow("type 1, life cycle 5") << 1 << 5 << false << false;
        QTest::newRow("custom SoC") << 0 << 2 << true << false;
    }
    void firmwareFileFollowsSettingAndLifecycle()
    {
        QFETCH(int, fwLoadType);
        QFETCH(int, lifecycle);
        QFETCH(bool, custom);
        QFETCH(bool, signedFile);
        if (custom) {
            ProjectConfig::instance().setCustomSocs({ { QStringLiteral("Board-7"), 0, 0, QStringLiteral("A/B") } });
            ProjectConfig::instance().setSocType(QStringLiteral("Board-7"));
        }
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
};

QTEST_GUILESS_MAIN(TestOrchestratorFlow)
#include "tst_orchestrator_flow.moc"
