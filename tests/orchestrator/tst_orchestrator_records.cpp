// Records, timers and host-list bookkeeping of the orchestrator, and its file rules.
// Devices here are unreachable: only the bookkeeping done before any job answers counts.
#include "devicelistinfo.h"
#include "orchestratortestenv.h"

#include <QPointer>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

using namespace RomCmd;
using namespace OrchTest;

namespace {

const QString DeadPort = QStringLiteral("/nonexistent/ttyKREL0");
const QString GaveUp
    = QStringLiteral("Cannot detect device connection automatically. Please reset the device and connect it again.");

QVariant port(const QString& name)
{
    SerialPortInfo p;
    p.portName = name;
    return QVariant::fromValue(p);
}

UsbInfo usbInfo(const QString& path, const QString& instanceId = QString())
{
    UsbInfo u;
    u.devicePath = path;
    u.instanceId = instanceId;
    return u;
}

// The run id of the only record of the device.
QString runIdOf(const RomUiMode& ui, const QString& deviceId)
{
    for (auto it = ui.deviceInfoMap().cbegin(); it != ui.deviceInfoMap().cend(); ++it)
        if (RomUiMode::deviceId(it->info, it->type) == deviceId)
            return it.key();
    return QString();
}

using EndMap = QMap<QString, QString>;
const EndMap WaitForRestart { { QStringLiteral("isLoadBLFWCmd"), QStringLiteral("1") } };

} // namespace

class TestOrchestratorRecords : public QObject
{
    Q_OBJECT

    std::unique_ptr<AppDir> m_app;
    DeviceListInfo m_hosts;

    UiPtr makeUi()
    {
        UiPtr ui = OrchTest::makeUi();
        m_hosts = DeviceListInfo();
        ui->setDeviceList(&m_hosts);
        ui->setRestartIntervals(3600000, 3600000);
        return ui;
    }

private slots:
    void init() { m_app = std::make_unique<AppDir>(); }
    void cleanup()
    {
        QVERIFY(drainPool());
        m_app.reset();
    }

    // Setting 0 by the life cycle is seen end to end in the connection tests.
    void fileNameRules_data()
    {
        QTest::addColumn<int>("fwLoadType");
        QTest::addColumn<bool>("secured"); // life cycle above 4
        QTest::addColumn<QString>("expected");
        QTest::newRow("signed whatever the life cycle") << 2 << false << "a_b_blfw_signed.bin";
        QTest::newRow("unknown type follows the life cycle") << 7 << true << "a_b_blfw_signed.bin";
    }
    void fileNameRules()
    {
        QFETCH(int, fwLoadType);
        QFETCH(bool, secured);
        QFETCH(QString, expected);
        const QString series = RomUiMode::firmwareSeriesName(QStringLiteral("A/B"));
        QCOMPARE(series, QStringLiteral("A_B"));
        QCOMPARE(RomUiMode::firmwareFileName(series, fwLoadType, secured), expected);
    }

    void socRevision_data()
    {
        QTest::addColumn<QString>("revision");
        QTest::addColumn<QString>("minimum");
        QTest::addColumn<bool>("below");
        QTest::newRow("below") << "A0.0.9" << "0.1.0" << true;
        QTest::newRow("two-digit part is not below") << "B0.10.0" << "0.9.0" << false;
        QTest::newRow("missing part counts as zero") << "A1.0" << "1.0.0" << false;
        QTest::newRow("not numeric: compared as text") << "Xb.1" << "a.1" << false;
    }
    void socRevision()
    {
        QFETCH(QString, revision);
        QFETCH(QString, minimum);
        QFETCH(bool, below);
        QCOMPARE(RomUiMode::isSocRevisionBelow(revision, minimum), below);
    }

    // A whole id is seen end to end ("load firmware: ... 4142434445464748").
    void firmwareId_data()
    {
        QTest::addColumn<bool>("exists"); // a file too short for the id, or none
        QTest::addColumn<QString>("log");
        QTest::addColumn<int>("level");
        QTest::newRow("short file") << true << "Read address length error! Address offset: 00000090" << 0;
        QTest::newRow("missing file") << false << "Open file failed: " << 2;
    }
    void firmwareId()
    {
        QFETCH(bool, exists);
        QFETCH(QString, log);
        QFETCH(int, level);
        auto ui = makeUi();
        ViewLog logs;
        logs.attach(*ui);
        QString path = m_app->path() + QStringLiteral("/absent.bin");
        if (exists) {
            m_app->addFirmware(QStringLiteral("fw.bin"), 0x30, 0x94);
            path = m_app->firmwareFolder() + QStringLiteral("/fw.bin");
        }
        QCOMPARE(ui->readFirmwareId(path), QString());
        QCOMPARE(logs.lines.size(), 1);
        QVERIFY2(logs.lines[0].first.startsWith(log), qPrintable(logs.lines[0].first));
        QCOMPARE(logs.lines[0].second, level);
    }

    void secondTestOfSamePortDropsOlderRecord()
    {
        auto ui = makeUi();
        ui->slotDeviceConnectTest(port(DeadPort), EDeviceTypeUart, 1);
        const QString first = runIdOf(*ui, DeadPort);
        QPointer<QTimer> firstTimer = ui->restartTimer(first);
        QVERIFY(firstTimer);
        QVERIFY(!firstTimer->isActive());

        ui->slotDeviceConnectTest(port(DeadPort), EDeviceTypeUart, 2);
        QCOMPARE(ui->deviceInfoMap().size(), 1);
        QCOMPARE(ui->timerCount(), 1);
        const QString second = runIdOf(*ui, DeadPort);
        QVERIFY(second != first);
        QCOMPARE(ui->deviceInfoMap().value(second).loadTimes, 2);
        QCOMPARE(ui->deviceInfoMap().value(second).status, 2);
        // The older run can never be finished by anyone: its job is ended too.
        QVERIFY(!ui->hasLinkedTask(first));
        QVERIFY(ui->hasLinkedTask(second));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(firstTimer.isNull());
    }

    // A finished test drops its record and timer; one waiting for a restart keeps
    // them (the tick and arrival cases below start from there).
    void endSendOfFinishedTestDrops()
    {
        auto ui = makeUi();
        ui->slotDeviceConnectTest(port(DeadPort), EDeviceTypeUart, 0);
        const QString uuid = runIdOf(*ui, DeadPort);
        QVERIFY(ui->hasLinkedTask(uuid));
        ui->slotLinkedCommandsEndSend(uuid, { { QStringLiteral("isLoadBLFWCmd"), QStringLiteral("0") } });
        QVERIFY(!ui->hasLinkedTask(uuid));
        QVERIFY(!ui->deviceInfoMap().contains(uuid));
        QVERIFY(!ui->restartTimer(uuid));
    }

    void usbRemovalOfDeviceUnderTestKeepsHostEntry()
    {
        auto ui = makeUi();
        m_hosts.addDevice(usbInfo(QStringLiteral("hid#under-test")));
        m_hosts.addDevice(usbInfo(QStringLiteral("hid#other")));
        ui->slotDeviceConnectTest(QVariant::fromValue(usbInfo(QStringLiteral("hid#under-test"))), EDeviceTypeUsbHid, 0);

        ui->slotUpdateUsbDevice(usbInfo(QStringLiteral("hid#under-test")), false);
        ui->slotUpdateUsbDevice(usbInfo(QStringLiteral("hid#other")), false);
        QCOMPARE(m_hosts.usbDevices().size(), 1);
        QCOMPARE(m_hosts.usbDevices().first().devicePath, QStringLiteral("hid#under-test"));
        QCOMPARE(ui->deviceInfoMap().size(), 1);
    }

    // The restarted device is found by its port-based instance id, whatever node it
    // comes back under (without an id, by its node path: the flow test's plain ROM).
    void usbArrivalRetestsWithCarriedCount()
    {
        const QString instanceId = QStringLiteral("USB\\VID_34B7&PID_0009\\1-2");
        const QString arrivalPath = QStringLiteral("hid#restarted-as-7");
        auto ui = makeUi();
        const QString path = QStringLiteral("hid#restarting");
        ui->slotDeviceConnectTest(QVariant::fromValue(usbInfo(path, instanceId)), EDeviceTypeUsbHid, 2);
        const QString first = runIdOf(*ui, path);
        ui->slotLinkedCommandsEndSend(first, WaitForRestart);

        ui->slotUpdateUsbDevice(usbInfo(QStringLiteral("hid#stranger"), QStringLiteral("other-port")), true);
        QCOMPARE(ui->deviceInfoMap().size(), 1);
        QVERIFY(m_hosts.usbDevices().isEmpty()); // arrivals are not listed here

        ui->slotUpdateUsbDevice(usbInfo(arrivalPath, instanceId), true);
        QCOMPARE(ui->deviceInfoMap().size(), 1);
        const QString second = runIdOf(*ui, arrivalPath);
        QVERIFY(!second.isEmpty());
        QVERIFY(second != first);
        QCOMPARE(ui->deviceInfoMap().value(second).loadTimes, 2);
        QCOMPARE(ui->timerCount(), 1);
        QVERIFY(ui->hasLinkedTask(second));
    }

    void uartGivesUpAfterFiveTicks()
    {
        auto ui = makeUi();
        ui->setSerialPortLister(std::make_unique<ScriptedPorts>([] { return QStringList { "ttyOther" }; }));
        ViewLog logs;
        logs.attach(*ui);
        QSignalSpy hidden(ui.get(), &RomUiMode::signalSetLoadingWidgetHided);
        ui->slotDeviceConnectTest(port(DeadPort), EDeviceTypeUart, 1);
        const QString uuid = runIdOf(*ui, DeadPort);
        ui->slotLinkedCommandsEndSend(uuid, WaitForRestart);
        QTimer* timer = ui->restartTimer(uuid);
        QVERIFY(timer && !ui->hasLinkedTask(uuid));

        for (int i = 1; i < RomUiMode::UartRetryLimit; ++i) {
            ::RomCmd::RomUiModeTestAccess::uartTimerFired(*ui, timer);
            QCOMPARE(ui->uartRetryCount(), i);
        }
        QCOMPARE(hidden.count(), 0);
        QCOMPARE(logs.count("Detect UART: ttyOther", 0), 4);
        ::RomCmd::RomUiModeTestAccess::uartTimerFired(*ui, timer);
        QCOMPARE(hidden.count(), 1);
        QCOMPARE(logs.count(GaveUp, 3), 1);
        QCOMPARE(ui->uartRetryCount(), 0);
        QCOMPARE(ui->timerCount(), 0);
        QVERIFY(ui->deviceInfoMap().contains(uuid));
    }

    void uartTickFindingThePortRetests()
    {
        auto ui = makeUi();
        bool plugged = false;
        ui->setSerialPortLister(std::make_unique<ScriptedPorts>([&] {
            return plugged ? QStringList { "ttyOther", DeadPort } : QStringList();
        }));
        ui->slotDeviceConnectTest(port(DeadPort), EDeviceTypeUart, 2);
        const QString first = runIdOf(*ui, DeadPort);
        ui->slotLinkedCommandsEndSend(first, WaitForRestart);
        QTimer* timer = ui->restartTimer(first);
        ::RomCmd::RomUiModeTestAccess::uartTimerFired(*ui, timer);
        ::RomCmd::RomUiModeTestAccess::uartTimerFired(*ui, timer);
        QCOMPARE(ui->uartRetryCount(), 2);
        QCOMPARE(ui->deviceInfoMap().firstKey(), first);

        plugged = true;
        ::RomCmd::RomUiModeTestAccess::uartTimerFired(*ui, timer);
        QCOMPARE(ui->uartRetryCount(), 0);
        QCOMPARE(ui->deviceInfoMap().size(), 1);
        const QString second = runIdOf(*ui, DeadPort);
        QVERIFY(second != first);
        QCOMPARE(ui->deviceInfoMap().value(second).loadTimes, 2);
        QCOMPARE(ui->timerCount(), 1);
        QVERIFY(ui->restartTimer(second) != timer);
    }

    void usbTimerGivesUpForItsOwnRecord()
    {
        auto ui = makeUi();
        ViewLog logs;
        logs.attach(*ui);
        QSignalSpy hidden(ui.get(), &RomUiMode::signalSetLoadingWidgetHided);
        const QStringList paths { "hid#one", "hid#two" };
        for (const QString& p : paths) {
            ui->slotDeviceConnectTest(QVariant::fromValue(usbInfo(p)), EDeviceTypeUsbHid, 1);
            ui->slotLinkedCommandsEndSend(runIdOf(*ui, p), WaitForRestart);
        }
        const QString one = runIdOf(*ui, paths[0]);
        const QString two = runIdOf(*ui, paths[1]);
        ::RomCmd::RomUiModeTestAccess::usbTimerFired(*ui, ui->restartTimer(two));
        QCOMPARE(hidden.count(), 1);
        QCOMPARE(logs.count(GaveUp, 3), 1);
        QVERIFY(ui->restartTimer(one));
        QVERIFY(!ui->restartTimer(two));
        QCOMPARE(ui->deviceInfoMap().size(), 2); // the records stay for a late arrival
    }

    void progressShowsTheTestStatus_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<int>("deviceType");
        QTest::addColumn<int>("shown");
        QTest::newRow("device under test") << DeadPort << 1 << 2;
        QTest::newRow("other port") << QStringLiteral("ttyOther") << 1 << 7;
        QTest::newRow("same id, other type") << DeadPort << 2 << 7;
    }
    void progressShowsTheTestStatus()
    {
        QFETCH(QString, id);
        QFETCH(int, deviceType);
        QFETCH(int, shown);
        auto ui = makeUi();
        m_hosts.addDevice(recordFromVariant<SerialPortInfo>(port(id)));
        ui->slotDeviceConnectTest(port(DeadPort), EDeviceTypeUart, 0);
        QSignalSpy spy(ui.get(), &RomUiMode::callbackDownloadTaskUpdate);
        DownloadTaskInfo info;
        info.deviceType = deviceType;
        info.status = 7;
        info.cmdIndex = 1;
        ui->slotDownloadTaskUpdateCallback(id, info);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy[0][0].toString(), id);
        const auto out = spy[0][1].value<DownloadTaskInfo>();
        QCOMPARE(out.status, shown);
        QCOMPARE(out.cmdIndex, 1);
        // The host list keeps the job's own status.
        QCOMPARE(m_hosts.serialPorts().first().status, deviceType == 1 ? 7 : 0);
    }

    void serialPortsAndDownloadStart()
    {
        auto ui = makeUi();
        ui->slotNewSerialPort(recordFromVariant<SerialPortInfo>(port(DeadPort)));
        ui->slotNewSerialPort(recordFromVariant<SerialPortInfo>(port(DeadPort)));
        QCOMPARE(m_hosts.serialPorts().size(), 1);
        QVERIFY(ui->deviceInfoMap().isEmpty());

        m_hosts.addDevice(usbInfo(QStringLiteral("hid#absent")));
        QSignalSpy terminate(ui.get(), &RomUiMode::signalTerminate);
        ui->slotDownloadStarted(true);
        QVERIFY(ui->isDownloadStarted());
        QCOMPARE(ui->deviceInfoMap().size(), 2);
        QCOMPARE(terminate.count(), 0);

        ui->slotNewSerialPort(recordFromVariant<SerialPortInfo>(port(QStringLiteral("/nonexistent/ttyKREL1"))));
        QCOMPARE(m_hosts.serialPorts().size(), 2);
        QCOMPARE(ui->deviceInfoMap().size(), 3);

        ui->slotDownloadStarted(false);
        QCOMPARE(terminate.count(), 1);

        ui->slotUpdatePortDevice(DeadPort, true);
        QCOMPARE(m_hosts.serialPorts().size(), 2);
        ui->slotUpdatePortDevice(DeadPort, false);
        QCOMPARE(m_hosts.serialPorts().size(), 1);
    }

    void failedStepEndsTheTestFalse()
    {
        auto ui = makeUi();
        QSignalSpy finished(ui.get(), &RomUiMode::signalDeviceConnectTestFinished);
        QSignalSpy batch(ui.get(), &RomUiMode::signalBatchCmdsRunFinished);
        ui->slotDeviceConnectTest(port(DeadPort), EDeviceTypeUart, 0);
        QVERIFY(waitFor([&] { return finished.count() > 0; }));
        QCOMPARE(finished[0][2].toBool(), false);
        QCOMPARE(recordFromVariant<SerialPortInfo>(finished[0][0]).portName, DeadPort);
        QCOMPARE(batch.count(), 1);
        QVERIFY(ui->deviceInfoMap().isEmpty());
        QCOMPARE(ui->timerCount(), 0);
        QCOMPARE(ui->linkedTaskCount(), 0);
    }
};

QTEST_GUILESS_MAIN(TestOrchestratorRecords)
#include "tst_orchestrator_records.moc"
