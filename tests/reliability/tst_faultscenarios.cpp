// Fault scenarios end to end: real jobs on the pool, real transports, the
// simulators misbehaving. Each run must end with a failure status within its
// time-out: no hang, no crash, no file left half-written under its final name.
#include "devicedock.h"
#include "devicedockwidget.h"
#include "downloadtask.h"
#include "globalsetting.h"
#include "jobrig.h"
#include "krelbox.h"
#include "romuimode.h"
#include "scriptedhotplugsource.h"
#include "simdrivelister.h"
#include "writeconfigtask.h"

#include <QComboBox>
#include <QDir>
#include <QMessageBox>
#include <QPushButton>
#include <csignal>
#include <sys/resource.h>

using namespace JobTest;

namespace {

constexpr int CmdTimeoutMs = 300;
// Only a guard against a hang: every wait in these runs is a few hundred milliseconds.
constexpr qint64 RunLimitMs = 60000;

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

    // Keeps the runs' log lines out of the test output; made once QTest has
    // installed its own handler, which would otherwise replace it.
    std::unique_ptr<Rig::LogCapture> m_logs;
    QTemporaryDir m_dir;
    QString m_image;

private slots:
    void initTestCase()
    {
        m_logs = std::make_unique<Rig::LogCapture>();
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
    void cleanupTestCase() { m_logs.reset(); }

    void romJob_data();
    void romJob();
    void shortImage_data();
    void shortImage();
    void writer_data();
    void writer();
    void krelBox_data();
    void krelBox();
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
    QCOMPARE(w.finished.size(), 1);
    QVERIFY(!w.result());
    QVERIFY(w.last().status != 0);
}

void TestFaultScenarios::shortImage_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("nameId"); // 4 write-memory from the file, 6 load-image
    QTest::addColumn<int>("cutTo"); // bytes left once the first chunk is out; -1: empty from the start
    for (int t : { int(EDeviceTypeUart), int(EDeviceTypeUsbHid) }) {
        const char* n = t == EDeviceTypeUart ? "UART" : "HID";
        QTest::addRow("%s image file cut during the write", n) << t << 4 << 700;
        QTest::addRow("%s image file cut during the image load", n) << t << 6 << 700;
        QTest::addRow("%s empty image file", n) << t << 4 << -1;
    }
}

// The image file yields fewer bytes than its size promised: the transfer
// stops with a failure instead of waiting at the file's end, and the ROM is
// never handed a cut image as a complete one.
void TestFaultScenarios::shortImage()
{
    QFETCH(int, type);
    QFETCH(int, nameId);
    QFETCH(int, cutTo);
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
    }
    const QString path = m_dir.filePath(QStringLiteral("short.bin"));
    QFile image(path);
    QVERIFY(image.open(QIODevice::WriteOnly | QIODevice::Truncate));
    image.write(cutTo < 0 ? QByteArray() : QByteArray(int(RomCmd::FileReadAhead) + 8192, '\x5C'));
    image.close();
    QMap<QString, QString> params { { "imagePath", path } };
    if (nameId == 4)
        params.insert({ { "memoryId", "0x0" }, { "address", "0x1000" } });

    m_logs->clear();
    JobWatch w;
    auto* job = new RomCmd::DownloadTask(info, EDeviceType(type), { command(nameId, params) });
    w.relay.attach(job);
    // Cut on the job's thread, between the first chunk and the next read.
    std::atomic<bool> cut { false };
    if (cutTo >= 0)
        QObject::connect(
            job, &RomCmd::DownloadCmd::callbackDownloadTaskUpdate, job,
            [&](const QString&, const DownloadTaskInfo& progress) {
                if (progress.progress > 0 && !cut)
                    cut = QFile::resize(path, cutTo);
            },
            Qt::DirectConnection);
    JobPool::start(job);
    QVERIFY(waitForPool());
    QCOMPARE(cut.load(), cutTo >= 0);
    QCOMPARE(w.finished.size(), 1);
    QVERIFY(!w.result());
    QCOMPARE(w.last().status, 9); // "Failed! Please reconnect device!"
    const QString failed = nameId == 4 ? QStringLiteral("Write memory failed!") : QStringLiteral("Load image failed!");
    const QStringList errors = w.relay.errors(w.logs);
    QVERIFY2(errors.size() == 1 && errors.first().startsWith(failed) && errors.first().contains(path),
        qPrintable(errors.join('|')));
    if (cutTo >= 0)
        QVERIFY(m_logs->contains(QStringLiteral("The file ended early.")));
    QVERIFY(engine->loadedImage().isEmpty());
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
    QCOMPARE(statuses.last().at(0).toInt(), status);
    // Nothing but a whole file may carry the final name.
    const QFileInfo left(drive.filePath(QStringLiteral("config.info")));
    QVERIFY2(!left.exists() || left.size() == QFileInfo(m_image).size(), qPrintable(QString::number(left.size())));
}

void TestFaultScenarios::krelBox_data()
{
    QTest::addColumn<int>("answered"); // commands of the Connect batch answered before the box falls silent
    QTest::newRow("Krel box silent after the login") << 1;
    QTest::newRow("Krel box silent after the version") << 2;
}

// The box answers the start of the Connect batch (SEC, VER, MSC), then
// nothing more: the panel must come back disconnected with its reason, the
// job must drain, and the box never shows its drive, so nothing is written.
void TestFaultScenarios::krelBox()
{
    QFETCH(int, answered);
    KrelSim::installDriveLister();
    auto source = std::make_unique<ScriptedHotplugSource>();
    ScriptedHotplugSource* hotplug = source.get();
    RomCmd::RomUiMode ui(std::move(source));
    QTemporaryDir firmware;
    auto dock = std::make_unique<DevelopViews::DeviceDock>(nullptr, firmware.path() + QLatin1Char('/'));
    QList<QPair<QString, int>> logs;
    connect(dock.get(), &DevelopViews::DeviceDock::signalAddLogs, dock.get(), [&](const QString& t, LogLevel l) {
        logs.append({ t, int(l) });
    });
    using Ui = RomCmd::RomUiMode;
    using Dock = DevelopViews::DeviceDock;
    connect(&ui, &Ui::signalUpdateUsbDevice, &ui, &Ui::slotUpdateUsbDevice);
    connect(&ui, &Ui::signalUpdateUsbDevice, dock.get(), &Dock::signalUpdateUsbDevice);
    connect(dock.get(), &Dock::signalDeviceconnect, &ui, &Ui::slotDeviceconnect);
    connect(dock.get(), &Dock::signalDeviceDestroy, &ui, &Ui::slotDeviceDestroy);
    connect(dock.get(), &Dock::signalCustomeCmdData, &ui, &Ui::signalCustomeCmdData);
    connect(&ui, &Ui::signalCustomStatus, dock.get(), &Dock::signalCustomStatus);
    connect(&ui, &Ui::signalCustomRecvData, dock.get(), &Dock::signalCustomRecvData);

    KrelSim::KrelBox box;
    connect(&box, &KrelSim::KrelBox::attached, dock.get(), [&](const QString& path, const QString& product) {
        hotplug->plug(path, HidFacts { "KREL0", KrelSim::KrelBox::VendorId, KrelSim::KrelBox::ProductId, product });
    });
    connect(&box, &KrelSim::KrelBox::detached, dock.get(), [&](const QString& path) { hotplug->unplug(path); });
    box.plug();
    DevelopViews::DeviceDockWidget* panel = dock->panel();
    auto* connectBtn = panel->findChild<QPushButton*>("ConnectBtn");
    QTRY_COMPARE_WITH_TIMEOUT(panel->findChild<QComboBox*>("DeviceList")->count(), 1, 10000);
    box.injectFault(KrelSim::Fault::None, answered);
    box.injectFault(KrelSim::Fault::NoReply, 1000);

    connectBtn->click();
    QVERIFY(panel->isConnecting());
    QTRY_VERIFY_WITH_TIMEOUT(!panel->isConnecting(), int(RunLimitMs));
    // The whole batch went out: a silent command does not stop the ones after it.
    QCOMPARE(box.receivedCommands().size(), 3);
    // What the user sees: the reason in a warning box, the panel ready to connect again.
    const QString reason = QStringLiteral("The Krel box did not confirm the login. "
                                          "Unplug it, plug it in again and press Connect.");
    const auto boxes = panel->findChildren<QMessageBox*>();
    QVERIFY(!boxes.isEmpty());
    QCOMPARE(boxes.last()->text(), reason);
    QVERIFY(!panel->isConnected());
    QCOMPARE(connectBtn->text(), QStringLiteral("Connect"));
    QVERIFY(connectBtn->isEnabled() && !connectBtn->isChecked());
    // What the log says: the reason as an error, and the job back to idle.
    QVERIFY(logs.contains({ reason, int(LogError) }));
    QTRY_VERIFY_WITH_TIMEOUT(logs.contains({ QStringLiteral("recv status: 0"), int(LogDebug) }), 10000);
    // What is on the drive: the box never switched to it, nothing was written.
    QCOMPARE(box.mode(), KrelSim::Mode::Command);
    QVERIFY(KrelSim::SimDrives::list().isEmpty());
    QCOMPARE(QDir(box.driveRoot()).entryList(QDir::Files | QDir::Hidden), QStringList { ".VID_34B7_PID_1000" });

    dock.reset();
    ui.slotDeviceDestroy();
    QVERIFY(waitForPool());
    KrelSim::uninstallDriveLister();
    KrelSim::SimDrives::clear();
}

QTEST_MAIN(TestFaultScenarios)
#include "tst_faultscenarios.moc"
