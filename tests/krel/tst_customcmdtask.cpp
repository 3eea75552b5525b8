// The custom command job against the Krel box simulator, through the real HID
// transport and the fake hidapi. Waits on signals; time-outs are safety nets only.
#include "customcmdtask.h"
#include "jobpool.h"
#include "krelbox.h"
#include "krelcommand.h"
#include "simdrivelister.h"

#include <QtTest>

#include <memory>

using Krel::KrelCommand;
using KrelSim::Fault;
using KrelSim::KrelBox;
using RomCmd::customcmdtask;
using AckList = QList<QPair<int, QString>>;

namespace {

constexpr int kSafety = 30000; // ms; only reached when something is broken

// A job started on the global pool the way the orchestrator does it, stopped and deleted at the end.
struct RunningJob
{
    std::unique_ptr<customcmdtask> job;
    QObject context; // takes the job's signals on the test thread
    QList<int> statuses;
    QList<AckList> batches;

    explicit RunningJob(const UsbInfo& info, EDeviceType type = EDeviceTypeUsbHid)
        : job(new customcmdtask(QVariant::fromValue(info), type))
    {
        job->setRunFlag(true);
        job->setAutoDelete(false);
        QObject::connect(job.get(), &customcmdtask::signalTaskStatus, &context, [this](int s) { statuses << s; });
        QObject::connect(
            job.get(), &customcmdtask::signalRecvData, &context, [this](int, const AckList& acks) { batches << acks; });
        JobPool::start(job.get());
    }
    ~RunningJob() { stop(); }

    bool stop()
    {
        if (!job)
            return true;
        job->setRunFlag(false);
        if (!QThreadPool::globalInstance()->tryTake(job.get())
            && !QTest::qWaitFor([this] { return job->hasFinished(); }, kSafety))
            return false;
        // Deliver what the job emitted last.
        QCoreApplication::sendPostedEvents();
        job.reset();
        return true;
    }

    bool waitBatches(int n)
    {
        return QTest::qWaitFor([&] { return batches.size() >= n; }, kSafety);
    }
};

UsbInfo usbFor(const KrelBox& box, KrelSim::Mode mode)
{
    UsbInfo info;
    info.devicePath = box.pathFor(mode);
    info.vendorId = KrelBox::VendorId;
    info.productId = KrelBox::ProductId;
    info.productString = KrelBox::productString(mode);
    return info;
}

} // namespace

class TestCustomCmdTask : public QObject
{
    Q_OBJECT
    std::unique_ptr<KrelBox> m_box;

private slots:
    void init()
    {
        m_box = std::make_unique<KrelBox>();
        m_box->plug();
    }
    void cleanup()
    {
        m_box.reset();
        FakeHid::reset();
        KrelSim::SimDrives::clear();
    }

    // The login batch as 64-byte reports (an empty password keeps its count and
    // comma); after MSC the job stays bound to the device that left, and a job
    // for the drive-mode device reaches the box still logged in. A wrong password
    // is the box's answer, relayed the same way (the reply and panel tests hold it).
    void connectAndRebind()
    {
        m_box->setFirmwareVersion("1.2.0");
        QSignalSpy came(m_box.get(), &KrelBox::attached);
        RunningJob run(usbFor(*m_box, KrelSim::Mode::Command));
        run.job->slotSendCmd(KrelCommand::connectBatch(""));
        QVERIFY(run.waitBatches(1));
        QCOMPARE(run.batches.first(),
            (AckList { { 1, "Veltrix_Zindrake_SEC OK" }, { 1, "Veltrix_Zindrake_VER:1.2.0" },
                { 1, "Veltrix_Zindrake_MSC OK" } }));
        QCOMPARE(m_box->receivedCommands(),
            (QStringList { "Veltrix_Zindrake_SEC:0,", "Veltrix_Zindrake_VER", "Veltrix_Zindrake_MSC" }));
        QByteArray report(64, '\0');
        report[0] = 0x01;
        QCOMPARE(m_box->receivedReports().first(), report.replace(1, 23, "Veltrix_Zindrake_SEC:0,"));
        QTRY_COMPARE_WITH_TIMEOUT(came.size(), 1, kSafety);
        QCOMPARE(m_box->mode(), KrelSim::Mode::Drive);

        // The old job's device has left the bus: writes fail.
        run.job->slotSendCmd(KrelCommand::versionBatch());
        QVERIFY(run.waitBatches(2));
        QCOMPARE(run.batches.at(1), (AckList { { -2, KrelCommand::version() } }));
        m_box->setFirmwareVersion("1.3");
        RunningJob drive(usbFor(*m_box, KrelSim::Mode::Drive));
        drive.job->slotSendCmd(KrelCommand::versionBatch());
        drive.job->slotSendCmd(KrelCommand::quitBatch());
        QVERIFY(drive.waitBatches(2));
        QCOMPARE(drive.batches.at(0), (AckList { { 1, "Veltrix_Zindrake_VER:1.3" } }));
        QCOMPARE(drive.batches.at(1), (AckList { { 1, "Veltrix_Zindrake_QUT OK" } }));
        QVERIFY(!m_box->isLoggedIn());
    }

    void replyFaults_data()
    {
        QTest::addColumn<int>("fault"); // KrelSim::Fault, or -1 read error, -2 write error
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("text");

        QTest::newRow("no reply") << int(Fault::NoReply) << KrelCommand::quit() << 0 << KrelCommand::quit();
        QTest::newRow("garbage") << int(Fault::Garbage) << KrelCommand::quit() << 1
                                 << QString::fromUtf8("\xA7\x13#garbage#\x7F");
        // The reply runs past the report: only its first 63 bytes can arrive.
        QTest::newRow("reply longer than the report") << int(Fault::Oversized) << KrelCommand::quit() << 1
                                                      << QString("Veltrix_Zindrake_QUT OK ") + QString(63 - 24, '#');
        QTest::newRow("read failure") << -1 << KrelCommand::version() << -3 << KrelCommand::version();
        QTest::newRow("write failure") << -2 << KrelCommand::version() << -2 << KrelCommand::version();
    }
    void replyFaults()
    {
        QFETCH(int, fault);
        QFETCH(QString, command);
        QFETCH(int, status);
        QFETCH(QString, text);
        const auto endpoint = FakeHid::device(m_box->path());
        QVERIFY(endpoint);
        if (fault == -1)
            endpoint->setReadError(true);
        else if (fault == -2)
            endpoint->setWriteError(true);
        else
            m_box->injectFault(Fault(fault));

        RunningJob run(usbFor(*m_box, KrelSim::Mode::Command));
        // The faulty command first; the next one must still be sent and answered normally.
        run.job->slotSendCmd({ command });
        QVERIFY(run.waitBatches(1));
        QCOMPARE(run.batches.first(), (AckList { { status, text } }));
        endpoint->setReadError(false);
        endpoint->setWriteError(false);
        run.job->slotSendCmd({ KrelCommand::version() });
        QVERIFY(run.waitBatches(2));
        QCOMPARE(run.batches.at(1), (AckList { { 1, "Veltrix_Zindrake_VER:1.0.0" } }));
    }

    // Batches queued while one is inside its transfer are answered in order; an
    // empty batch is ignored; status 0 comes once when the queue drains.
    void batchesInOrder()
    {
        m_box->hold();
        RunningJob run(usbFor(*m_box, KrelSim::Mode::Command));
        run.job->slotSendCmd({ KrelCommand::login("") });
        QVERIFY(QTest::qWaitFor([&] { return m_box->receivedCommands().size() == 1; }, kSafety));
        run.job->slotSendCmd({});
        run.job->slotSendCmd({ KrelCommand::version() });
        run.job->slotSendCmd({ KrelCommand::quit(), KrelCommand::version() });
        m_box->release();
        QVERIFY(run.waitBatches(3));
        QCOMPARE(run.batches.at(0), (AckList { { 1, "Veltrix_Zindrake_SEC OK" } }));
        QCOMPARE(run.batches.at(1), (AckList { { 1, "Veltrix_Zindrake_VER:1.0.0" } }));
        QCOMPARE(
            run.batches.at(2), (AckList { { 1, "Veltrix_Zindrake_QUT OK" }, { 1, "Veltrix_Zindrake_VER:1.0.0" } }));
        QTRY_COMPARE_WITH_TIMEOUT(run.statuses, (QList<int> { 1, 1, 1, 0 }), kSafety);
        // Several idle polls go by without another status. A slow machine polls
        // less often here, which can only hide a fault, never invent one.
        QTest::qWait(600);
        QCOMPARE(run.statuses, (QList<int> { 1, 1, 1, 0 }));
        QCOMPARE(run.batches.size(), 3);
        QVERIFY(run.job->isRunning());

        run.job->slotSendCmd(KrelCommand::versionBatch());
        QVERIFY(run.waitBatches(4));
        QTRY_COMPARE_WITH_TIMEOUT(run.statuses, (QList<int> { 1, 1, 1, 0, 1, 0 }), kSafety);
        QVERIFY(run.stop());
        // The loop's end adds one more 0.
        QCOMPARE(run.statuses, (QList<int> { 1, 1, 1, 0, 1, 0, 0 }));
    }

    void noDevice_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("type");
        QTest::newRow("path not present") << "krelsim/absent/hid" << int(EDeviceTypeUsbHid);
        QTest::newRow("wrong device type") << QString() << int(EDeviceTypeUart);
    }
    void noDevice()
    {
        QFETCH(QString, path);
        QFETCH(int, type);
        UsbInfo info = usbFor(*m_box, KrelSim::Mode::Command);
        if (!path.isEmpty())
            info.devicePath = path;
        if (type == EDeviceTypeUsbHid)
            QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("Usb device open failed!"));
        else
            QTest::ignoreMessage(
                QtCriticalMsg, QRegularExpression("^Id: .*\r\nRom command device type error! Type: 1$"));
        RunningJob run(info, EDeviceType(type));
        const QList<QString> batch = KrelCommand::connectBatch("pw");
        run.job->slotSendCmd(batch);
        run.job->slotSendCmd(KrelCommand::quitBatch());
        QVERIFY(run.waitBatches(2));
        QCOMPARE(run.batches.at(0), (AckList { { -1, batch.at(0) }, { -1, batch.at(1) }, { -1, batch.at(2) } }));
        QCOMPARE(run.batches.at(1), (AckList { { -1, KrelCommand::quit() } }));
        QVERIFY(m_box->receivedCommands().isEmpty());
    }

    void stopWhileBatchRuns()
    {
        m_box->hold();
        RunningJob run(usbFor(*m_box, KrelSim::Mode::Command));
        run.job->slotSendCmd(KrelCommand::connectBatch(""));
        run.job->slotSendCmd(KrelCommand::quitBatch());
        QVERIFY(QTest::qWaitFor([&] { return m_box->receivedCommands().size() == 1; }, kSafety));
        QVERIFY(run.job->isRunning());

        run.job->setRunFlag(false);
        m_box->release();
        QVERIFY(QTest::qWaitFor([&] { return run.job->hasFinished(); }, kSafety));
        QVERIFY(!run.job->isRunning());
        QCoreApplication::sendPostedEvents();

        // The batch under way is finished, the one behind it is never started.
        QCOMPARE(run.batches.size(), 1);
        QCOMPARE(run.batches.first().size(), 3);
        QCOMPARE(m_box->receivedCommands().size(), 3);
        QCOMPARE(run.statuses, (QList<int> { 1, 0 }));
    }

    void overlongCommandNeverSent()
    {
        RunningJob run(usbFor(*m_box, KrelSim::Mode::Command));
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("longer than 63 bytes"));
        // A hand-made batch with a text the report cannot carry is refused whole.
        run.job->slotSendCmd({ KrelCommand::setPassword(QString(40, 'x')), KrelCommand::quit() });
        run.job->slotSendCmd(KrelCommand::versionBatch());
        QVERIFY(run.waitBatches(1));
        QCOMPARE(run.batches.first(), (AckList { { 1, "Veltrix_Zindrake_VER:1.0.0" } }));
        QCOMPARE(m_box->receivedCommands(), QStringList { KrelCommand::version() });
        QCOMPARE(m_box->password(), QString());
    }
};

QTEST_GUILESS_MAIN(TestCustomCmdTask)
#include "tst_customcmdtask.moc"
