// A whole Krel session on the simulator: log in and switch to the drive, then
// find the drive through the tool's drive listing and write a configuration onto it.
#include "jobpool.h"
#include "customcmdtask.h"
#include "krelbox.h"
#include "krelcommand.h"
#include "simdrivelister.h"
#include "writeconfigtask.h"

#include <QtTest>

#include <memory>

using KrelSim::KrelBox;
using RomCmd::customcmdtask;
using AckList = QList<QPair<int, QString>>;

namespace {
constexpr int kSafety = 30000; // ms; only reached when something is broken
}

class TestKrelSession : public QObject
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
    void connectThenWriteConfig();
};

void TestKrelSession::connectThenWriteConfig()
{
    KrelBox box;
    box.setPassword("pw");
    box.plug();
    QSignalSpy came(&box, &KrelBox::attached);

    UsbInfo info;
    info.devicePath = box.path();
    info.vendorId = KrelBox::VendorId;
    info.productId = KrelBox::ProductId;
    info.productString = KrelBox::productString(KrelSim::Mode::Command);
    auto job = std::make_unique<customcmdtask>(QVariant::fromValue(info), EDeviceTypeUsbHid);
    job->setAutoDelete(false);
    QList<AckList> batches;
    QObject ctx;
    connect(job.get(), &customcmdtask::signalRecvData, &ctx,
        [&](int, QList<QPair<int, QString>> acks) { batches << acks; });
    JobPool::start(job.get());
    job->slotSendCmd(Krel::KrelCommand::connectBatch("pw"));
    QVERIFY(QTest::qWaitFor([&] { return !batches.isEmpty(); }, kSafety));
    QCOMPARE(batches.first().last(), qMakePair(1, QString("Veltrix_Zindrake_MSC OK")));
    QTRY_COMPARE_WITH_TIMEOUT(came.size(), 1, kSafety);
    job->setRunFlag(false);
    QVERIFY(QTest::qWaitFor([&] { return job->hasFinished(); }, kSafety));

    QTemporaryDir src;
    QFile f(src.filePath("config.info"));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("enciphered");
    f.close();
    RomCmd::writeconfigtask writer(0, { { f.fileName(), "config.info" } }, QString());
    QList<int> statuses;
    connect(&writer, &RomCmd::writeconfigtask::signalTaskStatus, [&](int s) { statuses << s; });
    writer.run();
    QCOMPARE(statuses.last(), 0);
    QFile written(box.driveRoot() + "/config.info");
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll(), QByteArray("enciphered"));
}

QTEST_GUILESS_MAIN(TestKrelSession)
#include "tst_krelsession.moc"
