// Fault scenarios end to end: real jobs on the pool, real transports, the
// simulators misbehaving. Each run must end with a failure status within its
// time-out: no hang, no crash, no file left half-written under its final name.
#include "downloadtask.h"
#include "globalsetting.h"
#include "jobrig.h"
#include "writeconfigtask.h"

#include <QDir>
#include <csignal>
#include <sys/resource.h>

using namespace JobTest;

namespace {

constexpr int CmdTimeoutMs = 300;
constexpr qint64 RunLimitMs = 20000;

enum class Gone { No, Device };

RomSim::Fault fault(RomSim::FaultPoint point, RomSim::FaultKind kind, int index = 0, uint32_t value = 0)
{
    RomSim::Fault f;
    f.tag = RomSim::TagWriteMemory;
    f.point = point;
    f.index = index;
    f.kind = kind;
    f.value = value;
    f.bytes = QByteArray::fromHex("00ff5a13a5");
    f.romStatus = 0x1;
    f.times = -1;
    return f;
}

} // namespace

Q_DECLARE_METATYPE(RomSim::Fault)

class TestFaultScenarios : public QObject
{
    Q_OBJECT

    Rig::LogCapture m_logs; // the jobs' log lines, kept out of the test output
    QTemporaryDir m_dir;
    QString m_image;

private slots:
    void initTestCase()
    {
        registerMetaTypes();
        RomCmd::registerRomMetaTypes();
        QVERIFY(m_dir.isValid());
        selectTestSoc(m_dir.path());
        GlobalSetting::instance().load();
        GlobalSettingInfo s = GlobalSetting::instance().info();
        s.cmdTimeout = CmdTimeoutMs;
        GlobalSetting::instance().save(s);
        QFile f(m_dir.filePath(QStringLiteral("image.bin")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(8192, '\x5C'));
        m_image = f.fileName();
    }
    void cleanup() { QVERIFY(waitForPool()); }

    void romJob_data();
    void romJob();
    void writer_data();
    void writer();
};

void TestFaultScenarios::romJob_data()
{
    using P = RomSim::FaultPoint;
    using K = RomSim::FaultKind;
    QTest::addColumn<int>("type");
    QTest::addColumn<RomSim::Fault>("simFault");
    QTest::addColumn<bool>("deviceGone");
    const int uart = EDeviceTypeUart, hid = EDeviceTypeUsbHid;
    for (int t : { uart, hid }) {
        const char* n = t == uart ? "UART" : "HID";
        QTest::addRow("%s NAK", n) << t << fault(P::Ack, K::Nak) << false;
        QTest::addRow("%s abort", n) << t << fault(P::Ack, K::Abort, 0) << false;
        QTest::addRow("%s silence", n) << t << fault(P::Response, K::Silence) << false;
        QTest::addRow("%s short frame", n) << t << fault(P::Response, K::ShortFrame, 0, 2) << false;
        QTest::addRow("%s oversize length", n) << t << fault(P::Response, K::OversizedLength, 0, 0x0800) << false;
        QTest::addRow("%s device gone mid-transfer", n) << t << RomSim::Fault() << true;
    }
    QTest::addRow("UART bad CRC") << uart << fault(P::Response, K::BadCrc) << false;
    QTest::addRow("UART garbage") << uart << fault(P::Ack, K::Garbage, 1) << false;
    QTest::addRow("UART bad start") << uart << fault(P::Response, K::BadStart, 0, 0x11) << false;
}

// A write of an 8 KiB image into ILM with the fault on the write command.
void TestFaultScenarios::romJob()
{
    QFETCH(int, type);
    QFETCH(RomSim::Fault, simFault);
    QFETCH(bool, deviceGone);
    std::unique_ptr<UartRig> uart;
    std::unique_ptr<HidRig> hid;
    QVariant info;
    RomSim::Engine* engine;
    if (type == EDeviceTypeUart) {
        uart = std::make_unique<UartRig>();
        info = uart->info();
        engine = &uart->engine;
    } else {
        hid = std::make_unique<HidRig>();
        info = hid->info();
        engine = &hid->engine();
        hid->device->gateAt = deviceGone ? 2 : 0;
    }
    if (deviceGone && uart)
        simFault = fault(RomSim::FaultPoint::Ack, RomSim::FaultKind::Silence, 2);
    if (simFault.kind != RomSim::FaultKind::None)
        engine->addFault(simFault);

    JobWatch w;
    auto* job = new RomCmd::DownloadTask(info, EDeviceType(type),
        { command(4, { { "memoryId", "0x0" }, { "address", "0x1000" }, { "imagePath", m_image } }) });
    w.relay.attach(job);
    QElapsedTimer clock;
    clock.start();
    JobPool::start(job);
    if (deviceGone && hid) {
        QVERIFY(hid->device->reached.tryAcquire(1, 10000));
        FakeHid::removeDevice(hid->path);
        hid->device->proceed.release();
    } else if (deviceGone) {
        // The cable is pulled while the write waits for an acknowledgement.
        QTRY_VERIFY_WITH_TIMEOUT(tags(*engine).contains(RomSim::TagWriteMemory), 10000);
        uart->server->stop();
        uart->link.close();
    }
    QVERIFY(waitForPool());
    QVERIFY2(clock.elapsed() < RunLimitMs, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(w.finished.size(), 1);
    QVERIFY(!w.result());
    QVERIFY(w.last().status != 0);
}

void TestFaultScenarios::writer_data()
{
    QTest::addColumn<QString>("scenario");
    QTest::addColumn<int>("status");
    QTest::newRow("drive fills up") << "full" << int(RomCmd::writeconfigtask::StatusCopyFailed);
    // The drive's folder is gone: the job stops with the reason logged.
    QTest::newRow("drive gone") << "gone" << int(RomCmd::writeconfigtask::StatusNoDestination);
    QTest::newRow("source missing") << "missing" << int(RomCmd::writeconfigtask::StatusSourceMissing);
}

// The configuration writer onto a drive folder that fails under it.
void TestFaultScenarios::writer()
{
    QFETCH(QString, scenario);
    QFETCH(int, status);
    QTemporaryDir drive;
    QString root = drive.path();
    // A full drive: no file may grow past 4 KiB while the job runs (the
    // writes fail as they would with no space left).
    rlimit saved {};
    QVERIFY(getrlimit(RLIMIT_FSIZE, &saved) == 0);
    const bool full = scenario == QLatin1String("full");
    if (full)
        std::signal(SIGXFSZ, SIG_IGN);
    if (scenario == QLatin1String("gone")) {
        root = drive.filePath(QStringLiteral("unplugged"));
    }
    const QString source = scenario == QLatin1String("missing") ? m_dir.filePath(QStringLiteral("none")) : m_image;
    auto* job = new RomCmd::writeconfigtask(0, { qMakePair(source, QStringLiteral("config.info")) }, root);
    QSignalSpy statuses(job, &RomCmd::writeconfigtask::signalTaskStatus);
    QSignalSpy logs(job, &RomCmd::writeconfigtask::signalAddLogs);
    QElapsedTimer clock;
    clock.start();
    if (full) {
        rlimit small = saved;
        small.rlim_cur = 4096;
        QVERIFY(setrlimit(RLIMIT_FSIZE, &small) == 0);
    }
    JobPool::start(job);
    const bool done = waitForPool();
    setrlimit(RLIMIT_FSIZE, &saved);
    QVERIFY(done);
    bool errorLogged = false;
    for (const QList<QVariant>& args : logs)
        errorLogged = errorLogged || args.at(1).value<LogLevel>() == LogError;
    QVERIFY(errorLogged);
    QVERIFY(clock.elapsed() < RunLimitMs);
    QCOMPARE(statuses.last().at(0).toInt(), status);
    // Nothing but a whole file may carry the final name.
    const QFileInfo left(drive.filePath(QStringLiteral("config.info")));
    QVERIFY2(!left.exists() || left.size() == QFileInfo(m_image).size(),
             qPrintable(QString::number(left.size())));
}

QTEST_GUILESS_MAIN(TestFaultScenarios)
#include "tst_faultscenarios.moc"
