// The jobs the orchestrator starts and whose signals it forwards: the Krel custom
// command job (created once, fed batches, destroyed idle or busy), the configuration
// writer and the three ROM jobs.
#include "customcmdtask.h"
#include "krelbox.h"
#include "orchestratortestenv.h"
#include "romrig.h"

#include <QSignalSpy>
#include <QtTest>

using namespace RomCmd;
using namespace OrchTest;
using AckList = QList<QPair<int, QString>>;

namespace {

const QString RomPath = QStringLiteral("sim-rom-hid-jobs");
const QString Ver = QStringLiteral("Veltrix_Zindrake_VER");


DownloadCommand queryRte()
{
    DownloadCommand cmd;
    cmd.id = QStringLiteral("q");
    cmd.nameId = 1;
    return cmd;
}

QVariant boxInfo(const KrelSim::KrelBox& box)
{
    UsbInfo usb;
    usb.devicePath = box.path();
    usb.vendorId = KrelSim::KrelBox::VendorId;
    usb.productId = KrelSim::KrelBox::ProductId;
    usb.productString = KrelSim::KrelBox::productString(box.mode());
    return QVariant::fromValue(usb);
}

} // namespace

class TestOrchestratorJobs : public QObject
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

    void krelJobIsCreatedOnceAndFedBatches()
    {
        KrelSim::KrelBox box(QStringLiteral("krelsim/orch0"));
        box.plug(KrelSim::Mode::Command);
        box.setFirmwareVersion(QStringLiteral("1.4.2"));
        auto ui = makeUi();
        QSignalSpy recv(ui.get(), &RomUiMode::signalCustomRecvData);
        QSignalSpy status(ui.get(), &RomUiMode::signalCustomStatus);

        ui->slotDeviceconnect(boxInfo(box), EDeviceTypeUsbHid, { Ver });
        customcmdtask* job = ui->customTask();
        QVERIFY(job);
        QVERIFY(waitFor([&] { return recv.count() == 1; }));
        auto acks = recv[0][1].value<AckList>();
        QCOMPARE(acks.size(), 1);
        QCOMPARE(acks[0].first, 1);
        QVERIFY2(acks[0].second.startsWith(Ver), qPrintable(acks[0].second));
        QVERIFY(acks[0].second.contains(QStringLiteral("1.4.2")));

        ui->slotCustomCmdTask(boxInfo(box), EDeviceTypeUsbHid);
        ui->slotDeviceconnect(boxInfo(box), EDeviceTypeUsbHid, {});
        ui->slotDeviceconnect(boxInfo(box), EDeviceTypeUsbHid, { Ver, Ver });
        QCOMPARE(ui->customTask(), job);
        QVERIFY(waitFor([&] { return recv.count() == 2; }));
        QCOMPARE(recv[1][1].value<AckList>().size(), 2);
        QCOMPARE(box.receivedCommands(), QStringList({ Ver, Ver, Ver }));
        // 1 when a batch starts, 0 once the queue has drained.
        QVERIFY(waitFor([&] { return status.count() >= 2 && status.last()[0].toInt() == 0; }));
        QCOMPARE(status[0][0].toInt(), 1);

        // Idle: the job leaves its loop and is deleted.
        ui->slotDeviceDestroy();
        QVERIFY(!ui->customTask());
        ui->slotDeviceDestroy(); // nothing left to destroy
        // A batch with no job goes nowhere.
        emit ui->signalCustomeCmdData({ Ver });
        QVERIFY(drainPool());
        QCOMPARE(box.receivedCommands().size(), 3);

        // The next batch builds a new job.
        ui->slotDeviceconnect(boxInfo(box), EDeviceTypeUsbHid, { Ver });
        QVERIFY(ui->customTask());
        QVERIFY(waitFor([&] { return recv.count() == 3; }));
        ui->slotDeviceDestroy();
    }

    void krelJobDestroyedWhileBusyFinishesItsBatch()
    {
        KrelSim::KrelBox box(QStringLiteral("krelsim/orch1"));
        box.plug(KrelSim::Mode::Command);
        box.setCommandFault(QStringLiteral("VER"), KrelSim::Fault::NoReply);
        auto ui = makeUi();
        ui->slotDeviceconnect(boxInfo(box), EDeviceTypeUsbHid, { Ver, Ver, Ver });
        QVERIFY(waitFor([&] { return !box.receivedCommands().isEmpty(); }));
        QVERIFY(ui->customTask()->isRunning());
        ui->slotDeviceDestroy();
        QVERIFY(!ui->customTask());
        // A batch is never cut short.
        QCOMPARE(box.receivedCommands().size(), 3);
    }

    void krelJobDestroyedAtOnce()
    {
        KrelSim::KrelBox box(QStringLiteral("krelsim/orch2"));
        box.plug(KrelSim::Mode::Command);
        auto ui = makeUi();
        for (int i = 0; i < 5; ++i) {
            ui->slotDeviceconnect(boxInfo(box), EDeviceTypeUsbHid, { Ver });
            ui->slotDeviceDestroy();
            QVERIFY(!ui->customTask());
        }
        QVERIFY(drainPool());
    }

    void writerCopiesAndReports()
    {
        QTemporaryDir src;
        QTemporaryDir dest;
        const QString app = src.filePath(QStringLiteral("app.bin"));
        QVERIFY(writeFile(app, "image"));
        auto ui = makeUi();
        ViewLog logs;
        logs.attach(*ui);
        QSignalSpy status(ui.get(), &RomUiMode::signalWriteConfigStatus);
        const QList<QPair<QString, QString>> files { { app, QStringLiteral("app_0.bin") },
            { src.filePath(QStringLiteral("gone.bin")), QStringLiteral("gone_1.bin") } };
        ui->slotWriteConfigTask(0, files, dest.path());
        QVERIFY(waitFor([&] { return status.count() == 2; }));
        QCOMPARE(status[0][0].toInt(), 1);
        QCOMPARE(status[1][0].toInt(), -2);
        QVERIFY(QFile::exists(dest.filePath(QStringLiteral("app_0.bin"))));
        QCOMPARE(logs.count("write config success!", 1), 0);
        QCOMPARE(logs.count("write config failed! status: -2", 3), 1);
        QCOMPARE(logs.count("This file does not exist: ", 3), 1);
    }

    // The one-shot and stage jobs report through the orchestrator; a stage job runs
    // the project list as it was when the job was made.
    void romJobForwardsItsSignals_data()
    {
        QTest::addColumn<bool>("stage");
        QTest::newRow("download") << false;
        QTest::newRow("stage") << true;
    }
    void romJobForwardsItsSignals()
    {
        QFETCH(bool, stage);
        Rig::HidRig rom(RomPath);
        ProjectConfig::instance().setStageCommands({ queryRte(), queryRte() }, EStageOpen, false);
        auto ui = makeUi();
        QSignalSpy started(ui.get(), &RomUiMode::signalRunStarted);
        QSignalSpy finished(ui.get(), &RomUiMode::signalRunFinished);
        QSignalSpy progress(ui.get(), &RomUiMode::callbackDownloadTaskUpdate);
        ViewLog logs;
        logs.attach(*ui);
        if (stage)
            ui->slotStageDownloadTask(rom.info(), EDeviceTypeUsbHid);
        else
            ui->slotDeviceDownloadTask(rom.info(), EDeviceTypeUsbHid, { queryRte() });
        ProjectConfig::instance().setStageCommands({}, EStageOpen, false);
        QVERIFY(waitFor([&] { return finished.count() == 1; }));
        QCOMPARE(started.count(), 1);
        QCOMPARE(started[0][0].toBool(), true);
        QCOMPARE(finished[0][0].toBool(), true);
        QCOMPARE(finished[0][1].toMap().value("romVersion").toString(), QStringLiteral("V1.0.0"));
        QVERIFY(progress.count() >= 2);
        QCOMPARE(progress.last()[0].toString(), RomPath);
        const auto last = progress.last()[1].value<DownloadTaskInfo>();
        QCOMPARE(last.cmdCount, stage ? 2 : 1);
        if (stage)
            QCOMPARE(last.status, 10);
        QVERIFY(logs.count("DeviceId: " + RomPath, 0) >= 1);
    }

    void linkedTaskTakesStepsUntilEnded()
    {
        Rig::HidRig rom(RomPath);
        auto ui = makeUi();
        QSignalSpy steps(ui.get(), &RomUiMode::signalLinkedStepFinished);
        QSignalSpy finished(ui.get(), &RomUiMode::signalRunFinished);
        const QString uuid = QStringLiteral("otp-view-run");

        ui->slotDeviceLinkedDownloadTask(rom.info(), EDeviceTypeUsbHid, uuid, { queryRte() }, "first");
        QVERIFY(ui->hasLinkedTask(uuid));
        ui->slotDeviceLinkedDownloadTask(rom.info(), EDeviceTypeUsbHid, uuid, { queryRte() }, "second");
        QCOMPARE(ui->linkedTaskCount(), 1);
        QVERIFY(waitFor([&] { return steps.count() == 2; }));
        // Not a connection test: no record is made or touched.
        QVERIFY(ui->deviceInfoMap().isEmpty());

        ui->slotLinkedCommandsEndSend(uuid, {});
        QVERIFY(!ui->hasLinkedTask(uuid));
        QVERIFY(waitFor([&] { return finished.count() == 1; }));
        QCOMPARE(finished[0][0].toBool(), true);
    }

    void linkedTaskEndedByAnEmptyStep()
    {
        Rig::HidRig rom(RomPath);
        auto ui = makeUi();
        QSignalSpy progress(ui.get(), &RomUiMode::callbackDownloadTaskUpdate);
        const QString uuid = QStringLiteral("ended-by-empty-step");
        QSignalSpy steps(ui.get(), &RomUiMode::signalLinkedStepFinished);
        ui->slotDeviceLinkedDownloadTask(rom.info(), EDeviceTypeUsbHid, uuid, { queryRte() }, "first");
        QVERIFY(waitFor([&] { return steps.count() == 1; }));
        ui->slotDeviceLinkedDownloadTask(rom.info(), EDeviceTypeUsbHid, uuid, {}, "none");
        // The job ends on its own now; it must not be reachable any more.
        QVERIFY(!ui->hasLinkedTask(uuid));
        QVERIFY(drainPool());
        QCOMPARE(progress.last()[1].value<DownloadTaskInfo>().status, 15);
        // A later step under the same id starts a new job instead of touching the old one.
        ui->slotDeviceLinkedDownloadTask(rom.info(), EDeviceTypeUsbHid, uuid, { queryRte() }, "again");
        QVERIFY(ui->hasLinkedTask(uuid));
        ui->slotLinkedCommandsEndSend(uuid, {});
    }

    void terminateReachesLinkedJobs()
    {
        Rig::HidRig rom(RomPath);
        rom.device->gateAt = 3;
        rom.device->gateTag = 0x06; // load image

        auto ui = makeUi();
        QSignalSpy finished(ui.get(), &RomUiMode::signalRunFinished);
        QSignalSpy progress(ui.get(), &RomUiMode::callbackDownloadTaskUpdate);
        const QString image = m_app->path() + QStringLiteral("/image.bin");
        QVERIFY(writeFile(image, QByteArray(16 * 1024, 'x')));
        DownloadCommand load;
        load.nameId = 6;
        load.params.insert(QStringLiteral("imagePath"), image);
        const QString uuid = QStringLiteral("to-be-stopped");
        ui->slotDeviceLinkedDownloadTask(rom.info(), EDeviceTypeUsbHid, uuid, { load }, "load");
        // Jobs die on pool threads: no signal of the orchestrator may lead into one.
        QCOMPARE(RomUiModeTestAccess::terminateReceivers(*ui), 0);
        QVERIFY(rom.device->reached.tryAcquire(1, 30000));
        ui->slotDownloadStarted(false);
        rom.device->proceed.release();
        ui->slotLinkedCommandsEndSend(uuid, {});
        QVERIFY(waitFor([&] { return finished.count() == 1; }));
        QCOMPARE(finished[0][0].toBool(), false);
        QCOMPARE(progress.last()[1].value<DownloadTaskInfo>().status, 11);
    }
};

QTEST_GUILESS_MAIN(TestOrchestratorJobs)
#include "tst_orchestrator_jobs.moc"
