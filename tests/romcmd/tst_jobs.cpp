// The linked and stage jobs on the global pool against the simulated ROM:
// step order and numbering, end rules and final statuses, the baud reset flag,
// stage choice and numbering, unopenable devices, termination mid-transfer and
// steps queued from another thread while a step runs.
#include "jobpool.h"
#include "downloadtask.h"
#include "jobrig.h"

#include <thread>

using namespace JobTest;
using RomCmd::LinkedDownloadTask;
using RomCmd::StageDownloadTask;

namespace {

DownloadCommand ilmRead(uint32_t address)
{
    return command(5,
        { { "memoryId", "0" }, { "address", QStringLiteral("0x%1").arg(address, 0, 16) }, { "length", "16" },
            { "showReadMemoryLog", "false" } });
}

DownloadCommand ilmWrite(uint32_t address, const QString& words)
{
    return command(
        4, { { "memoryId", "0" }, { "address", QStringLiteral("0x%1").arg(address, 0, 16) }, { "word", words } });
}

} // namespace

class TestJobs : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<Rig::LogCapture> m_log; // made once the test runner handles messages

    using Watch = JobWatch;

    static bool finishPool() { return JobTest::waitForPool(); }

    QString writeImage(int size)
    {
        const QString path = m_dir.path() + QStringLiteral("/image-%1.bin").arg(size);
        return writeFile(path, QByteArray(size, '\x3C')) ? path : QString();
    }

private slots:
    void initTestCase()
    {
        registerMetaTypes();
        RomCmd::registerRomMetaTypes();
        m_log = std::make_unique<Rig::LogCapture>();
        QVERIFY(m_dir.isValid());
        selectTestSoc(m_dir.path());
    }
    void cleanupTestCase() { m_log.reset(); }

    void cleanup() { QVERIFY(finishPool()); }

    void twoStepsThenEndSend_data()
    {
        QTest::addColumn<bool>("emitFinish");
        QTest::newRow("with finish signal") << true;
        QTest::newRow("without finish signal") << false;
    }

    void twoStepsThenEndSend()
    {
        QFETCH(bool, emitFinish);
        HidRig rig;
        rig.engine().setRomVersion("F2.0.1");
        Watch w;
        auto* job = new LinkedDownloadTask(
            rig.info(), EDeviceTypeUsbHid, "run-1", { command(1) }, "linkedStepInfoQueryRte", emitFinish, false);
        w.relay.attach(job);
        // As a view does: the next step only once the last one is reported.
        connect(&w.relay, &JobRelay::stepFinished, this, [job, &rig](QString, int step) {
            if (step == 0)
                job->addCmds({ command(1, { { "memory", "0x20000" } }), ilmRead(0x40) }, rig.info(), "second");
            else
                job->endSend({});
        });
        rig.engine().poke(RomSim::MemIlm, 0x40, QByteArray::fromHex("00112233445566778899aabbccddeeff"));
        JobPool::start(job);
        QVERIFY(finishPool());

        QCOMPARE(w.started.size(), 1);
        QCOMPARE(w.started.at(0).at(0).toBool(), false);
        QCOMPARE(w.steps.size(), 2);
        for (int i = 0; i < 2; ++i) {
            QCOMPARE(w.steps.at(i).at(0).toString(), QString("run-1"));
            QCOMPARE(w.steps.at(i).at(1).toInt(), i);
            QVERIFY(w.steps.at(i).at(2).toBool());
        }
        const QVariantMap first = w.steps.at(0).at(3).toMap();
        QCOMPARE(first.value("linkedStepInfo").toString(), QString("linkedStepInfoQueryRte"));
        QCOMPARE(first.value("romVersion").toString(), QString("F2.0.1"));
        QCOMPARE(first.value("linkedDeviceType").value<EDeviceType>(), EDeviceTypeUsbHid);
        QCOMPARE(first.value("linkedDeviceInfo").value<UsbInfo>().devicePath, rig.path);
        QCOMPARE(first.value("linkedTaskInfo").value<DownloadTaskInfo>().status, 8);
        const QVariantMap second = w.steps.at(1).at(3).toMap();
        QCOMPARE(second.value("linkedStepInfo").toString(), QString("second"));
        QCOMPARE(second.value("romVersion").toString(), QString("F2.0.1")); // not cleared between steps

        QCOMPARE(w.linkedOtp.size(), 1);
        QCOMPARE(w.linkedOtp.at(0).at(0).toString(), QString("run-1"));
        QCOMPARE(w.linkedOtp.at(0).at(2).toUInt(), 127u);
        QCOMPARE(w.linkedOtp.at(0).at(3).toUInt(), 4u);
        QCOMPARE(w.linkedReads.size(), 1);
        QCOMPARE(w.linkedReads.at(0).at(2).value<QVector<uint8_t>>().at(15), uint8_t(0xFF));

        QCOMPARE(w.last().status, 10);
        QCOMPARE(w.last().progress, 100);
        QCOMPARE(w.finished.size(), emitFinish ? 1 : 0);
        if (emitFinish) {
            QVERIFY(w.finished.at(0).at(0).toBool());
            const QVariantMap end = w.finished.at(0).at(1).toMap();
            QCOMPARE(end.value("linkedUuid").toString(), QString("run-1"));
            QVERIFY(!end.contains("romVersion"));
        }
    }

    void emptyAddCmdsEndsWithStatus15()
    {
        HidRig rig;
        Watch w;
        auto* job = new LinkedDownloadTask(rig.info(), EDeviceTypeUsbHid, "run-15", { command(1) }, "q", true, false);
        w.relay.attach(job);
        connect(&w.relay, &JobRelay::stepFinished, this,
            [job, &rig](QString, int) { job->addCmds({}, rig.info(), QString()); });
        JobPool::start(job);
        QVERIFY(finishPool());
        QCOMPARE(w.steps.size(), 1);
        QCOMPARE(w.last().status, 15);
        QCOMPARE(w.last().progress, 100);
        QVERIFY(!w.statuses().contains(10));
        QCOMPARE(w.finished.size(), 1);
        QVERIFY(w.finished.at(0).at(0).toBool());
    }

    void endSendBaudFlag_data()
    {
        QTest::addColumn<QVariantMap>("endMap");
        QTest::addColumn<bool>("reset");
        QTest::newRow("isLoadBLFWCmd 1") << QVariantMap { { "isLoadBLFWCmd", "1" } } << false;
        QTest::newRow("isLoadBLFWCmd 0") << QVariantMap { { "isLoadBLFWCmd", "0" } } << true;
        QTest::newRow("no key") << QVariantMap() << true;
    }

    void endSendBaudFlag()
    {
        QFETCH(QVariantMap, endMap);
        QFETCH(bool, reset);
        UartRig rig;
        rig.server->setCheckLineSpeed(true);
        Watch w;
        auto* job
            = new LinkedDownloadTask(rig.info(460800), EDeviceTypeUart, "run-b", { command(1) }, "q", true, false);
        w.relay.attach(job);
        connect(&w.relay, &JobRelay::stepFinished, this, [job, endMap](QString, int) { job->endSend(endMap); });
        JobPool::start(job);
        QVERIFY(finishPool());
        QCOMPARE(w.finished.size(), 1);
        QList<uint8_t> expected { RomSim::TagConfigRte, RomSim::TagQueryRte };
        if (reset)
            expected << RomSim::TagConfigRte;
        QCOMPARE(tags(rig.engine), expected);
        QCOMPARE(rig.engine.uartSpeed(), reset ? 115200u : 460800u);
    }

    void otpPreCheckPerStep_data()
    {
        QTest::addColumn<bool>("disableCheck");
        QTest::newRow("checked") << false;
        QTest::newRow("not checked") << true;
    }

    void otpPreCheckPerStep()
    {
        QFETCH(bool, disableCheck);
        HidRig rig;
        rig.engine().setOtpWord(0, 0x1);
        Watch w;
        auto* job = new LinkedDownloadTask(
            rig.info(), EDeviceTypeUsbHid, "run-otp", { otpRead(0, 16) }, "read", false, disableCheck);
        w.relay.attach(job);
        connect(&w.relay, &JobRelay::stepFinished, this, [job](QString, int) { job->endSend({}); });
        JobPool::start(job);
        QVERIFY(finishPool());
        QCOMPARE(w.steps.size(), 1);
        QCOMPARE(w.steps.at(0).at(2).toBool(), disableCheck);
        if (disableCheck) {
            QCOMPARE(w.last().status, 10);
            QCOMPARE(w.finished.size(), 0);
            return;
        }
        QCOMPARE(w.last().status, 13); // kept in the final report
        QCOMPARE(w.finished.size(), 1);
        QVERIFY(!w.finished.at(0).at(0).toBool());
    }

    void failureCarriesOverWithoutPreCheck()
    {
        HidRig rig;
        rig.engine().setCommandStatus(RomSim::TagReset, RomSim::StProgramFailed, 1);
        Watch w;
        auto* job = new LinkedDownloadTask(
            rig.info(), EDeviceTypeUsbHid, "run-c", { command(9, { { "type", "0" } }) }, "a", true, true);
        w.relay.attach(job);
        connect(&w.relay, &JobRelay::stepFinished, this, [job, &rig](QString, int step) {
            if (step == 0)
                job->addCmds({ command(9, { { "type", "0" } }) }, rig.info(), "b");
            else
                job->endSend({});
        });
        JobPool::start(job);
        QVERIFY(finishPool());
        QCOMPARE(w.steps.size(), 2);
        QVERIFY(!w.steps.at(1).at(2).toBool());
        QCOMPARE(tags(rig.engine()).count(RomSim::TagReset), 1); // the second step sent nothing
        QCOMPARE(w.last().status, 9);
        QCOMPARE(w.finished.size(), 1);
    }

    // addCmds returns while a step runs (the GUI thread must not stall for it),
    // and the queued steps run in order afterwards.
    void stepsQueuedWhileAStepRuns()
    {
        HidRig rig;
        rig.device->gateAt = 2;
        Watch w;
        auto* job = new LinkedDownloadTask(rig.info(), EDeviceTypeUsbHid, "run-t",
            { command(4, { { "memoryId", "0" }, { "address", "0x0" }, { "imagePath", writeImage(4096) } }) }, "s0",
            false, false);
        w.relay.attach(job);
        JobPool::start(job);
        QVERIFY(rig.device->reached.tryAcquire(1, 30000)); // step 0 is inside its transfer

        QSemaphore queued;
        std::thread feeder([&] {
            for (int i = 1; i <= 3; ++i) {
                job->isDisableOTPQuery = (i == 2);
                job->addCmds({ ilmRead(0x10 * i) }, rig.info(), QStringLiteral("s%1").arg(i));
            }
            queued.release();
        });
        const bool returned = queued.tryAcquire(1, 10000);
        rig.device->proceed.release();
        feeder.join();
        QVERIFY2(returned, "addCmds waited for the running step");
        QTRY_COMPARE_WITH_TIMEOUT(w.steps.size(), 4, 30000);
        job->endSend({});
        QVERIFY(finishPool());

        for (int i = 0; i < 4; ++i) {
            QCOMPARE(w.steps.at(i).at(1).toInt(), i);
            QVERIFY(w.steps.at(i).at(2).toBool());
            QCOMPARE(w.steps.at(i).at(3).toMap().value("linkedStepInfo").toString(), QStringLiteral("s%1").arg(i));
        }
        QCOMPARE(w.last().status, 10);
    }

    void stepsQueuedAtTheEndAreNotRun()
    {
        HidRig rig;
        rig.device->gateAt = 2;
        Watch w;
        auto* job = new LinkedDownloadTask(rig.info(), EDeviceTypeUsbHid, "run-e",
            { command(4, { { "memoryId", "0" }, { "address", "0x0" }, { "imagePath", writeImage(4096) } }) }, "s0",
            true, false);
        w.relay.attach(job);
        JobPool::start(job);
        QVERIFY(rig.device->reached.tryAcquire(1, 30000));
        std::thread gui([&] {
            job->addCmds({ command(9, { { "type", "0" } }) }, rig.info(), "s1");
            job->endSend({});
        });
        QTest::qWait(50);
        rig.device->proceed.release();
        gui.join();
        QVERIFY(finishPool());
        QCOMPARE(w.steps.size(), 1);
        QVERIFY(!tags(rig.engine()).contains(RomSim::TagReset));
        QCOMPARE(w.last().status, 10);
    }

    void terminateMidTransfer_data()
    {
        QTest::addColumn<bool>("linked");
        QTest::newRow("linked") << true;
        QTest::newRow("stage") << false;
    }

    void terminateMidTransfer()
    {
        QFETCH(bool, linked);
        HidRig rig;
        rig.device->gateAt = 2;
        rig.engine().setLifecycle(0x02);
        const QList<DownloadCommand> list {
            command(4, { { "memoryId", "0" }, { "address", "0x0" }, { "imagePath", writeImage(8192) } }),
            command(9, { { "type", "0" } })
        };
        Watch w;
        RomCmd::DownloadCmd* job = nullptr;
        QRunnable* runnable = nullptr;
        if (linked) {
            auto* l = new LinkedDownloadTask(rig.info(), EDeviceTypeUsbHid, "run-x", list, "x", false, false);
            connect(&w.relay, &JobRelay::stepFinished, this, [l](QString, int) { l->endSend({}); });
            job = l;
            runnable = l;
        } else {
            const QList<DownloadCommand> close;
            auto* s = new StageDownloadTask(rig.info(), EDeviceTypeUsbHid, &list, &close);
            job = s;
            runnable = s;
        }
        w.relay.attach(job);
        JobPool::start(runnable);
        QVERIFY(rig.device->reached.tryAcquire(1, 30000));
        job->slotTerminate(); // from this (GUI) thread, as the orchestrator does
        rig.device->proceed.release();
        QVERIFY(finishPool());

        QVERIFY(w.statuses().contains(11));
        QCOMPARE(w.last().status, linked ? 11 : 9);
        QCOMPARE(w.finished.size(), 1);
        QVERIFY(!w.finished.at(0).at(0).toBool());
        QVERIFY(!tags(rig.engine()).contains(RomSim::TagReset));
        QCOMPARE(rig.device->dataPackets.load(), 2);
    }

    // Per job kind: 0 one-shot, 1 linked, 2 stage. The open itself is the runner's,
    // the same for every kind: each transport once, each kind's ending once more.
    void deviceCannotBeOpened_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("kind");
        QTest::newRow("one-shot UART") << int(EDeviceTypeUart) << 0;
        QTest::newRow("one-shot USB-HID") << int(EDeviceTypeUsbHid) << 0;
        QTest::newRow("linked UART") << int(EDeviceTypeUart) << 1;
        QTest::newRow("stage USB-HID") << int(EDeviceTypeUsbHid) << 2;
        QTest::newRow("stage UART at 460800") << int(EDeviceTypeUart) + 100 << 2;
    }

    void deviceCannotBeOpened()
    {
        QFETCH(int, type);
        QFETCH(int, kind);
        SerialPortInfo port;
        port.portName = m_dir.path() + "/no-such-port";
        if (type > 100) {
            port.baudRate = 460800;
            type -= 100;
        }
        UsbInfo usb;
        usb.devicePath = "no-such-hid-path";
        const QVariant info = type == EDeviceTypeUart ? QVariant::fromValue(port) : QVariant::fromValue(usb);
        Watch w;
        if (kind == 0) {
            auto* job = new RomCmd::DownloadTask(info, EDeviceType(type), { command(9, { { "type", "0" } }) });
            w.relay.attach(job);
            QVERIFY(runToEnd(job));
            QVERIFY(!w.result());
            QCOMPARE(w.last().status, 9);
            QVERIFY(w.relay.errors(w.logs).first().contains("status: Open device failed"));
            return;
        }
        if (kind == 1) {
            auto* job = new LinkedDownloadTask(info, EDeviceType(type), "run-n", { command(1) }, "q", false, false);
            w.relay.attach(job);
            connect(&w.relay, &JobRelay::stepFinished, this, [job](QString, int) { job->endSend({}); });
            JobPool::start(job);
            QVERIFY(finishPool());
            QCOMPARE(w.steps.size(), 1);
            QVERIFY(!w.steps.at(0).at(2).toBool());
            QCOMPARE(w.last().status, 9);
            QCOMPARE(w.finished.size(), 1);
            QVERIFY(!w.finished.at(0).at(0).toBool());
            return;
        }
        const QList<DownloadCommand> open { command(1) };
        auto* job = new StageDownloadTask(info, EDeviceType(type), &open, &open);
        w.relay.attach(job);
        JobPool::start(job);
        QVERIFY(finishPool());
        QCOMPARE(w.statuses(), QList<int> { 5 });
        QCOMPARE(w.started.size(), 0);
        QCOMPARE(w.finished.size(), 0);
    }

    void stageNumbering_data()
    {
        QTest::addColumn<int>("lifecycle");
        QTest::addColumn<QList<int>>("indices");
        QTest::newRow("Close") << 0x0A << QList<int> { 4, 5 };
        QTest::newRow("Open") << 0x02 << QList<int> { 1, 2, 3 };
    }

    void stageNumbering()
    {
        QFETCH(int, lifecycle);
        QFETCH(QList<int>, indices);
        UartRig rig;
        rig.engine.setLifecycle(uint8_t(lifecycle));
        const QList<DownloadCommand> open { ilmWrite(0x0, "0x1"), ilmWrite(0x4, "0x2"), ilmWrite(0x8, "0x3") };
        const QList<DownloadCommand> close { ilmWrite(0x100, "0x4"), ilmWrite(0x104, "0x5") };
        m_log->clear();
        Watch w;
        auto* job = new StageDownloadTask(rig.info(), EDeviceTypeUart, &open, &close);
        w.relay.attach(job);
        QVERIFY(runToEnd(job));
        QVERIFY(m_log->contains(
            QStringLiteral("Query download stage! deviceId: %1 stage: %2").arg(rig.id()).arg(lifecycle < 8 ? 1 : 2)));
        const QList<DownloadTaskInfo> all = infos(w.updates);
        QCOMPARE(all.at(0).status, 1);
        QCOMPARE(all.at(1).status, 4);
        QList<int> seen;
        for (const DownloadTaskInfo& i : all) {
            if (i.status == 7 && i.total == 0) { // the start of a command
                seen << i.cmdIndex;
                QCOMPARE(i.cmdCount, 5);
            }
        }
        QCOMPARE(seen, indices);
        QCOMPARE(w.last().status, 10);
        const uint32_t probe = lifecycle < 8 ? 0x8 : 0x104;
        QCOMPARE(rig.engine.readBytes(RomSim::MemIlm, probe, 1), QByteArray(1, lifecycle < 8 ? '\x03' : '\x05'));
    }

    void stageEdgeCases_data()
    {
        QTest::addColumn<QString>("what");
        QTest::newRow("empty close list") << "empty";
        QTest::newRow("stage unknown") << "stage0";
        QTest::newRow("OTP locked") << "otp";
        QTest::newRow("erase list") << "erase";
    }

    void stageEdgeCases()
    {
        QFETCH(QString, what);
        HidRig rig;
        rig.engine().setLifecycle(0x0A);
        rig.engine().setRequireFlashConfig(false);
        QList<DownloadCommand> close;
        if (what == "stage0")
            rig.engine().setCommandStatus(RomSim::TagQueryRte, RomSim::StFailure);
        if (what == "otp") {
            rig.engine().setOtpWord(0, 0x1);
            close << otpRead(0, 4);
        }
        if (what == "erase")
            close << command(7, { { "memoryId", "0x10000" }, { "address", "0x80000000" }, { "length", "4096" } });
        const QList<DownloadCommand> open { ilmWrite(0, "0x1") };
        m_log->clear();
        Watch w;
        auto* job = new StageDownloadTask(rig.info(), EDeviceTypeUsbHid, &open, &close);
        w.relay.attach(job);
        QVERIFY(runToEnd(job));
        QCOMPARE(w.finished.size(), 1);
        const bool result = w.finished.at(0).at(0).toBool();
        const QVariantMap map = w.finished.at(0).at(1).toMap();
        if (what == "empty") {
            QVERIFY(!result);
            QVERIFY(map.value("noCommandExecuted").toBool());
            QCOMPARE(w.last().status, 9);
            QVERIFY(m_log->contains("Commands is empty! No command is run!"));
        } else if (what == "stage0") {
            QVERIFY(!result);
            QCOMPARE(w.last().status, 5);
            QVERIFY(m_log->contains("Download stage type error!"));
        } else if (what == "otp") {
            QVERIFY(!result);
            QCOMPARE(w.last().status, 13);
        } else {
            QVERIFY(result);
            QCOMPARE(w.loading.size(), 1);
            QVERIFY(!w.loading.at(0).at(0).toBool());
            QCOMPARE(w.last().cmdIndex, 2);
        }
    }

    // A stage run that opened a UART ROM at a custom speed leaves it at 115200
    // on every way out, or every later run fails at its speed switch.
    void stageRestoresBaudOnEveryExit_data()
    {
        QTest::addColumn<QString>("what");
        QTest::newRow("stage unknown") << "stage0";
        QTest::newRow("OTP pre-check") << "otp";
        QTest::newRow("commands ran") << "ran";
    }

    void stageRestoresBaudOnEveryExit()
    {
        QFETCH(QString, what);
        UartRig rig;
        rig.server->setCheckLineSpeed(true);
        rig.engine.setLifecycle(0x02);
        QList<DownloadCommand> open { ilmWrite(0, "0x1") };
        if (what == "stage0")
            rig.engine.setCommandStatus(RomSim::TagQueryRte, RomSim::StFailure);
        if (what == "otp") {
            rig.engine.setOtpWord(0, 0x1);
            open = { otpRead(0, 4) };
        }
        Watch w;
        auto* job = new StageDownloadTask(rig.info(460800), EDeviceTypeUart, &open, &open);
        w.relay.attach(job);
        QVERIFY(runToEnd(job));
        QCOMPARE(w.finished.size(), 1);
        QCOMPARE(w.result(), what == "ran");
        QCOMPARE(tags(rig.engine).last(), RomSim::TagConfigRte);
        QCOMPARE(rig.engine.uartSpeed(), 115200u);
    }
};

#if defined(__SANITIZE_THREAD__)
// QtTest's watchdog thread ends inside the uninstrumented QtTest library.
extern "C" const char* __tsan_default_suppressions()
{
    return "race:libQt5Test.so\n";
}
#endif

QTEST_GUILESS_MAIN(TestJobs)
#include "tst_jobs.moc"
