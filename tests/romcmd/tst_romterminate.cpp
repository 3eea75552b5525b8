// Termination of ROM transfers: asked from another thread while the worker is
// between chunks, it stops the transfer at that chunk with 17, once.
#include "romrig.h"

#include <QTemporaryDir>
#include <QtTest>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

using namespace Rig;

namespace {
enum Op { OpLoad, OpWriteFile, OpWriteBuffer, OpRead, OpReadToFile };
constexpr int Size = 64 * 1024;

// A one-shot signal between threads (standard primitives, which the thread
// sanitizer sees through).
class Gate
{
public:
    void open()
    {
        std::lock_guard<std::mutex> l(m_mutex);
        m_open = true;
        m_cv.notify_all();
    }
    bool wait(int ms)
    {
        std::unique_lock<std::mutex> l(m_mutex);
        return m_cv.wait_for(l, std::chrono::milliseconds(ms), [this] { return m_open; });
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_open = false;
};
} // namespace

class TestRomTerminate : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void fromAnotherThread_data();
    void fromAnotherThread();
    void stopsEveryLaterTransfer_data();
    void stopsEveryLaterTransfer();

private:
    QString image();
    QTemporaryDir m_dir;
};

void TestRomTerminate::initTestCase()
{
    QVERIFY(m_dir.isValid());
}

QString TestRomTerminate::image()
{
    const QString path = m_dir.filePath("image.bin");
    return writeFile(path, pattern(Size)) ? path : QString();
}

void TestRomTerminate::fromAnotherThread_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("op");
    QTest::addColumn<QString>("logText");
    for (int type : { EDeviceTypeUart, EDeviceTypeUsbHid }) {
        const QString t = QLatin1String(type == EDeviceTypeUart ? "uart " : "hid ");
        QTest::newRow(qPrintable(t + "load image"))
            << type << int(OpLoad) << QStringLiteral("Load image terminate! progress: 1524 total: 65536");
        QTest::newRow(qPrintable(t + "write by file"))
            << type << int(OpWriteFile)
            << QStringLiteral("Write memory by file terminate! progress: 1512 total: 65536");
        QTest::newRow(qPrintable(t + "write buffer"))
            << type << int(OpWriteBuffer) << QStringLiteral("Write memory terminate! progress: 1512 total: 65536");
        QTest::newRow(qPrintable(t + "read"))
            << type << int(OpRead) << QStringLiteral("Read memory terminate! progress: 1536 total: 65536");
        QTest::newRow(qPrintable(t + "read to file"))
            << type << int(OpReadToFile)
            << QStringLiteral("Read memory to file terminate! progress: 1536 total: 65536");
    }
}

void TestRomTerminate::fromAnotherThread()
{
    QFETCH(int, type);
    QFETCH(int, op);
    QFETCH(QString, logText);
    Rom r(type, false);
    LogCapture log;
    const QByteArray data = pattern(Size);
    r.sim().poke(RomSim::MemIlm, 0, data);
    r.sim().setReadChunkSize(512);
    r.sim().setExpectedImageLength(Size);
    const QString imagePath = image();
    const QString readPath = m_dir.filePath("read.bin");
    QVERIFY(writeFile(readPath, "old"));

    // The worker parks inside its third progress report until the test has
    // asked for termination from this thread.
    Gate reached, go;
    std::atomic<int> terminations { 0 };
    int result = -1;
    int reports = 0;
    const auto progress = [&] {
        if (++reports == 3) {
            reached.open();
            go.wait(120000);
        }
    };
    std::thread worker([&] {
        r.open();
        RomCmd::RomCmd* rom = r.rom.get();
        QObject::connect(rom, &RomCmd::RomCmd::signalImageLoadProgress, progress);
        QObject::connect(rom, &RomCmd::RomCmd::signalFile2MemoryWriteProgress, progress);
        QObject::connect(rom, &RomCmd::RomCmd::signalMemoryWriteProgress, progress);
        QObject::connect(rom, &RomCmd::RomCmd::signalMemory2FileReadProgress, progress);
        QObject::connect(rom, &RomCmd::RomCmd::signalMemoryReadProgress,
            [&](uint32_t, uint32_t, uint8_t*, int, int, int, bool) { progress(); });
        QObject::connect(rom, &RomCmd::RomCmd::callbackTerminate, [&] { ++terminations; });
        switch (Op(op)) {
        case OpLoad: result = rom->loadImage(imagePath); break;
        case OpWriteFile: result = rom->writeMemoryByFile(RomSim::MemIlm, 0, imagePath); break;
        case OpWriteBuffer:
            result = rom->writeMemory(RomSim::MemIlm, 0, reinterpret_cast<const uint8_t*>(data.constData()), Size);
            break;
        case OpRead: result = rom->readMemory(RomSim::MemIlm, 0, Size, false); break;
        case OpReadToFile: result = rom->readMemoryToFile(RomSim::MemIlm, 0, Size, readPath); break;
        }
        r.rom.reset(); // closed on the thread that used it
    });
    const bool parked = reached.wait(60000);
    if (parked)
        r.rom->terminate();
    go.open();
    worker.join();
    QVERIFY(parked);

    QCOMPARE(result, int(RomCmd::IoCommandFailed));
    QCOMPARE(terminations.load(), 1);
    QCOMPARE(reports, 3);
    QVERIFY2(log.contains(logText), qPrintable(log.lines().join('\n')));
    if (op == OpRead || op == OpReadToFile) {
        // The command, then three data packets, each acknowledged; nothing more read.
        QCOMPARE(r.packets().size(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(r.sim().toolAcks().size(), 4, 5000);
        QFile f(readPath);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("old")); // a cut-short read replaces no file
    } else {
        QCOMPARE(r.packets().size(), 3);
        QVERIFY(r.sim().loadedImage().isEmpty());
    }
}

void TestRomTerminate::stopsEveryLaterTransfer_data()
{
    QTest::addColumn<int>("type");
    QTest::newRow("uart") << int(EDeviceTypeUart);
    QTest::newRow("hid") << int(EDeviceTypeUsbHid);
}

void TestRomTerminate::stopsEveryLaterTransfer()
{
    QFETCH(int, type);
    Rom r(type);
    r.sim().setExpectedImageLength(Size);
    int terminations = 0;
    QObject::connect(r.rom.get(), &RomCmd::RomCmd::callbackTerminate, [&] { ++terminations; });
    r.rom->terminate();
    QVERIFY(r.rom->isTerminateRequested());
    QCOMPARE(r.rom->loadImage(image()), 17);
    QCOMPARE(r.packets().size(), 1);
    const QByteArray data = pattern(4000);
    QCOMPARE(r.rom->writeMemory(RomSim::MemIlm, 0, reinterpret_cast<const uint8_t*>(data.constData()), 4000), 17);
    QCOMPARE(r.packets().size(), 2);
    QCOMPARE(terminations, 2);
    // A single command is not a transfer: it still runs, however long its
    // answer takes.
    for (int i = 0; i < 20; ++i)
        QCOMPARE(r.rom->queryRte(2, 0), int(RomCmd::IoOk));
    QCOMPARE(r.rom->reset(0), int(RomCmd::IoOk));
}

QTEST_GUILESS_MAIN(TestRomTerminate)
#include "tst_romterminate.moc"
