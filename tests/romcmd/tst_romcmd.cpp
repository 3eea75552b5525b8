// ROM commands against the simulated ROM through the real transports: packet
// layouts, the response rule, chunked transfers, time-out handling and the
// bounds that keep a bad file or a bad device from looping or overrunning.
#include "romrig.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace Rig;
using RomCmd::IoStatus;

namespace {

enum Op {
    OpConfigMemory,
    OpReset,
    OpEraseRegion,
    OpEraseAll,
    OpQueryRte0,
    OpQueryRte4,
    OpConfigRte,
    OpWrite1000,
    OpWriteFile1000,
    OpLoad1017,
    OpRead16,
    OpReadToFile16
};

const char* transportName(int type)
{
    return type == EDeviceTypeUart ? "uart" : "hid";
}

} // namespace

class TestRomCmd : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void packets_data();
    void packets();
    void responseStatus_data();
    void responseStatus();
    void abortReadsStatus_data();
    void abortReadsStatus();
    void write1000_data();
    void write1000();
    void loadImage1017_data();
    void loadImage1017();
    void readBlocks_data();
    void readBlocks();
    void readToFile_data();
    void readToFile();
    void otpLengthRefused_data();
    void otpLengthRefused();
    void eraseTimeout_data();
    void eraseTimeout();
    void unknownDeviceType();
    void rteRecords_data();
    void rteRecords();
    void rteRefused();
    void shortFile_data();
    void shortFile();
    void scriptedBounds_data();
    void scriptedBounds();

private:
    int run(Rom& r, Op op);
    QString file(const QString& name, const QByteArray& content);
    void transports();

    QTemporaryDir m_dir;
};

void TestRomCmd::initTestCase()
{
    QVERIFY(m_dir.isValid());
    RomCmd::registerRomMetaTypes();
}

QString TestRomCmd::file(const QString& name, const QByteArray& content)
{
    const QString path = m_dir.filePath(name);
    return writeFile(path, content) ? path : QString();
}

int TestRomCmd::run(Rom& r, Op op)
{
    RomCmd::RomCmd& rom = *r.rom;
    switch (op) {
    case OpConfigMemory: return rom.configMemory(RomSim::MemXpi0, 0x2000);
    case OpReset: return rom.reset(2);
    case OpEraseRegion: return rom.eraseMemory(RomSim::MemXpi0, RomSim::FlashBase + 0x1000, 0x2000, 0);
    case OpEraseAll: return rom.eraseAll(RomSim::MemXpi0, 0);
    case OpQueryRte0: return rom.queryRte(0, 0);
    case OpQueryRte4: return rom.queryRte(4, RomSim::MemXpi0);
    case OpConfigRte: {
        const uint32_t words[3] = { 3, 0x1, 460800 };
        return rom.configRte(words, sizeof(words));
    }
    case OpWrite1000: {
        const QByteArray data = pattern(1000);
        return rom.writeMemory(RomSim::MemIlm, 0x100, reinterpret_cast<const uint8_t*>(data.constData()), 1000);
    }
    case OpWriteFile1000: return rom.writeMemoryByFile(RomSim::MemIlm, 0x100, file("w1000.bin", pattern(1000)));
    case OpLoad1017: return rom.loadImage(file("img1017.bin", pattern(1017, 3)));
    case OpRead16: return rom.readMemory(RomSim::MemIlm, 0x40, 16, false);
    case OpReadToFile16: return rom.readMemoryToFile(RomSim::MemIlm, 0x40, 16, m_dir.filePath("read16.bin"));
    }
    return -1;
}

void TestRomCmd::packets_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("op");
    QTest::addColumn<QByteArray>("packet");
    for (int type : { EDeviceTypeUart, EDeviceTypeUsbHid }) {
        const auto row = [type](const char* name) {
            return &QTest::newRow(QStringLiteral("%1 %2").arg(transportName(type), name).toLatin1().constData());
        };
        *row("config memory") << type << int(OpConfigMemory)
                              << header(0x03, 2, 0x02) + le32(RomSim::MemXpi0) + le32(0x2000);
        *row("reset") << type << int(OpReset) << header(0x08, 1, 0) + le32(2);
        *row("erase region") << type << int(OpEraseRegion)
                             << header(0x07, 4, 0) + le32(0) + le32(RomSim::MemXpi0) + le32(RomSim::FlashBase + 0x1000)
                + le32(0x2000);
        *row("erase all") << type << int(OpEraseAll) << header(0x07, 2, 0) + le32(1) + le32(RomSim::MemXpi0);
        *row("query rte 0") << type << int(OpQueryRte0) << header(0x01, 1, 0) + le32(0);
        *row("query rte 4 with arg") << type << int(OpQueryRte4)
                                     << header(0x01, 2, 0) + le32(4) + le32(RomSim::MemXpi0);
        *row("config rte") << type << int(OpConfigRte)
                           << header(0x02, 4, 0) + le32(1) + le32(3) + le32(1) + le32(460800);
    }
}

void TestRomCmd::packets()
{
    QFETCH(int, type);
    QFETCH(int, op);
    QFETCH(QByteArray, packet);
    Rom r(type);
    r.sim().setRequireFlashConfig(false);
    QCOMPARE(run(r, Op(op)), int(RomCmd::IoOk));
    QCOMPARE(r.packets(), QList<QByteArray> { packet });
    // One response came back, and the tool acknowledged it (the UART simulator
    // may take the last acknowledgement after the command has returned).
    QCOMPARE(r.deviceFrames().size(), 1);
    QTRY_COMPARE_WITH_TIMEOUT(r.sim().toolAcks(), QList<uint8_t> { 0xA1 }, 5000);
}

void TestRomCmd::responseStatus_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("op");
    QTest::addColumn<int>("tag");
    QTest::addColumn<uint>("romStatus");
    QTest::addColumn<int>("expected");
    const struct
    {
        const char* name;
        Op op;
        int tag;
    } ops[] = { { "reset", OpReset, 0x08 }, { "query rte", OpQueryRte0, 0x01 }, { "write", OpWrite1000, 0x04 },
        { "write file", OpWriteFile1000, 0x04 }, { "load image", OpLoad1017, 0x06 }, { "read", OpRead16, 0x05 },
        { "read to file", OpReadToFile16, 0x05 } };
    // Which status gives 17 and which 18 is tst_romstatus's table; here every
    // command reads and logs the status, each split on both transports.
    int n = 0;
    for (int type : { EDeviceTypeUart, EDeviceTypeUsbHid }) {
        for (const auto& o : ops) {
            const bool bootMode = n++ % 2 == 0;
            QTest::newRow(qPrintable(QStringLiteral("%1 %2").arg(transportName(type), o.name)))
                << type << int(o.op) << o.tag << (bootMode ? 1002000u : 1001002u) << (bootMode ? 18 : 17);
        }
    }
}

void TestRomCmd::responseStatus()
{
    QFETCH(int, type);
    QFETCH(int, op);
    QFETCH(int, tag);
    QFETCH(uint, romStatus);
    QFETCH(int, expected);
    Rom r(type);
    LogCapture log;
    r.sim().setCommandStatus(uint8_t(tag), romStatus, 1);
    QCOMPARE(run(r, Op(op)), expected);
    QVERIFY(log.contains(QString::number(romStatus)));
    QVERIFY(log.contains(RomCmd::romStatusText(romStatus)));
}

void TestRomCmd::abortReadsStatus_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("op");
    QTest::addColumn<int>("tag");
    QTest::addColumn<int>("index");
    QTest::addColumn<uint>("romStatus");
    QTest::addColumn<int>("expected");
    QTest::addColumn<int>("packets");
    for (int type : { EDeviceTypeUart, EDeviceTypeUsbHid }) {
        const QString t = QString::fromLatin1(transportName(type));
        QTest::newRow(qPrintable(t + " reset, status 0")) << type << int(OpReset) << 0x08 << 0 << 0u << 0 << 1;
        // An abort on the second chunk stops the data phase and the status decides.
        QTest::newRow(qPrintable(t + " write, 2nd chunk, 1001004"))
            << type << int(OpWrite1000) << 0x04 << 1 << 1001004u << 17 << 2;
        QTest::newRow(qPrintable(t + " load, 1st chunk, 0")) << type << int(OpLoad1017) << 0x06 << 0 << 0u << 0 << 1;
    }
}

void TestRomCmd::abortReadsStatus()
{
    QFETCH(int, type);
    QFETCH(int, op);
    QFETCH(int, tag);
    QFETCH(int, index);
    QFETCH(uint, romStatus);
    QFETCH(int, expected);
    QFETCH(int, packets);
    Rom r(type);
    RomSim::Fault f;
    f.tag = uint8_t(tag);
    f.point = RomSim::FaultPoint::Ack;
    f.index = index;
    f.kind = RomSim::FaultKind::Abort;
    f.romStatus = romStatus;
    r.sim().addFault(f);
    QCOMPARE(run(r, Op(op)), expected);
    QCOMPARE(r.packets().size(), packets);
    QVERIFY(r.sim().deviceAcks().contains(0xA3));
    // The status response after the abort was read and acknowledged.
    QCOMPARE(r.deviceFrames().size(), 1);
    QTRY_COMPARE_WITH_TIMEOUT(r.sim().toolAcks(), QList<uint8_t> { 0xA1 }, 5000);
}

void TestRomCmd::transports()
{
    QTest::addColumn<int>("type");
    QTest::newRow("uart") << int(EDeviceTypeUart);
    QTest::newRow("hid") << int(EDeviceTypeUsbHid);
}

void TestRomCmd::write1000_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("fromFile");
    for (int type : { EDeviceTypeUart, EDeviceTypeUsbHid }) {
        QTest::newRow(qPrintable(QStringLiteral("%1 buffer").arg(transportName(type)))) << type << false;
        QTest::newRow(qPrintable(QStringLiteral("%1 file").arg(transportName(type)))) << type << true;
    }
}

void TestRomCmd::write1000()
{
    QFETCH(int, type);
    QFETCH(bool, fromFile);
    Rom r(type);
    const QByteArray data = pattern(1000);
    QList<int> progress;
    QList<int> totals;
    const auto record = [&](int total, int done) {
        totals.append(total);
        progress.append(done);
    };
    QObject::connect(r.rom.get(), &RomCmd::RomCmd::signalMemoryWriteProgress, record);
    QObject::connect(r.rom.get(), &RomCmd::RomCmd::signalFile2MemoryWriteProgress, record);
    const int result = fromFile
        ? r.rom->writeMemoryByFile(RomSim::MemIlm, 0x100, file("w.bin", data))
        : r.rom->writeMemory(RomSim::MemIlm, 0x100, reinterpret_cast<const uint8_t*>(data.constData()), 1000);
    QCOMPARE(result, int(RomCmd::IoOk));
    const QList<QByteArray> packets = r.packets();
    QCOMPARE(packets.size(), 2);
    QCOMPARE(packets[0].size(), 512);
    QCOMPARE(packets[1].size(), 508);
    QCOMPARE(packets[0], header(0x04, 3, 0) + le32(0x100) + le32(1000) + le32(RomSim::MemIlm) + data.left(496));
    QCOMPARE(packets[1], header(0x04, 0, 0x01) + data.mid(496));
    QCOMPARE(progress, QList<int>({ 496, 1000 }));
    QCOMPARE(totals, QList<int>({ 1000, 1000 }));
    QCOMPARE(r.sim().readBytes(RomSim::MemIlm, 0x100, 1000), data);
    QCOMPARE(r.deviceFrames().size(), 1);
}

void TestRomCmd::loadImage1017_data()
{
    transports();
}

void TestRomCmd::loadImage1017()
{
    QFETCH(int, type);
    Rom r(type);
    LogCapture log;
    const QByteArray image = pattern(1017, 5);
    QList<int> progress;
    QObject::connect(r.rom.get(), &RomCmd::RomCmd::signalImageLoadProgress, [&](int total, int done) {
        QCOMPARE(total, 1017);
        progress.append(done);
    });
    QCOMPARE(r.rom->loadImage(file("img.bin", image)), int(RomCmd::IoOk));
    const QList<QByteArray> packets = r.packets();
    QCOMPARE(packets.size(), 3);
    QCOMPARE(packets[0].size(), 512);
    QCOMPARE(packets[1].size(), 512);
    QCOMPARE(packets[2].size(), 5);
    for (const QByteArray& p : packets)
        QCOMPARE(p.left(4), header(0x06, 0, 0x01));
    QCOMPARE(progress, QList<int>({ 508, 1016, 1017 }));
    // One response, read after the last chunk.
    QCOMPARE(r.deviceFrames().size(), 1);
    QTRY_COMPARE_WITH_TIMEOUT(r.sim().toolAcks(), QList<uint8_t> { 0xA1 }, 5000);
    QCOMPARE(r.sim().loadedImage(), image);
    QVERIFY(log.contains(QStringLiteral("Cmd 'Load Image' finished! Status: 0 message: OK")));
}

void TestRomCmd::readBlocks_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("chunk");
    QTest::addColumn<QList<int>>("blocks");
    // Block sizes are the tool's own, the same on both transports.
    const int hid = EDeviceTypeUsbHid;
    QTest::newRow("uart 1500 by 508") << int(EDeviceTypeUart) << 1500 << 508 << QList<int>({ 512, 512, 476 });
    QTest::newRow("hid 1500 by 508") << hid << 1500 << 508 << QList<int>({ 512, 512, 476 });
    QTest::newRow("hid 2100 by 1000") << hid << 2100 << 1000 << QList<int>({ 512, 512, 512, 512, 52 });
    QTest::newRow("hid 700 by 1") << hid << 700 << 1 << QList<int>({ 512, 188 });
    QTest::newRow("hid nothing") << hid << 0 << 508 << QList<int>();
}

void TestRomCmd::readBlocks()
{
    QFETCH(int, type);
    QFETCH(int, length);
    QFETCH(int, chunk);
    QFETCH(QList<int>, blocks);
    Rom r(type);
    const QByteArray data = pattern(length, 9);
    r.sim().poke(RomSim::MemIlm, 0x2000, data);
    r.sim().setReadChunkSize(chunk);
    QByteArray got;
    QList<int> sizes;
    int lastProgress = 0;
    bool monotonic = true;
    QObject::connect(r.rom.get(), &RomCmd::RomCmd::signalMemoryReadProgress,
        [&](uint32_t memoryId, uint32_t address, uint8_t* value, int n, int total, int progress, bool isShowLog) {
            QCOMPARE(memoryId, RomSim::MemIlm);
            QCOMPARE(address, 0x2000u); // every block names the start of the read
            QCOMPARE(total, length);
            QVERIFY(isShowLog);
            monotonic = monotonic && progress >= lastProgress && progress <= total;
            lastProgress = progress;
            got.append(reinterpret_cast<const char*>(value), n);
            sizes.append(n);
        });
    QCOMPARE(r.rom->readMemory(RomSim::MemIlm, 0x2000, uint32_t(length), true), int(RomCmd::IoOk));
    QCOMPARE(sizes, blocks);
    QCOMPARE(got, data);
    QVERIFY(monotonic);
    if (length > 0)
        QCOMPARE(lastProgress, length);
    QCOMPARE(
        r.packets(), QList<QByteArray> { header(0x05, 3, 0) + le32(0x2000) + le32(length) + le32(RomSim::MemIlm) });
    // The status response and every data packet were acknowledged.
    const int dataPackets = chunk > 0 ? (length + chunk - 1) / chunk : 0;
    QTRY_COMPARE_WITH_TIMEOUT(r.sim().toolAcks().size(), 1 + dataPackets, 5000);
}

void TestRomCmd::readToFile_data()
{
    transports();
}

void TestRomCmd::readToFile()
{
    QFETCH(int, type);
    Rom r(type);
    const QByteArray data = pattern(1300, 1);
    r.sim().poke(RomSim::MemIlm, 0x10, data);
    QList<int> progress;
    QObject::connect(r.rom.get(), &RomCmd::RomCmd::signalMemory2FileReadProgress, [&](int total, int done) {
        QCOMPARE(total, 1300);
        progress.append(done);
    });
    const QString path = m_dir.filePath("readback.bin");
    QCOMPARE(r.rom->readMemoryToFile(RomSim::MemIlm, 0x10, 1300, path), int(RomCmd::IoOk));
    QCOMPARE(progress, QList<int>({ 508, 1016, 1300 }));
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), data);
    f.close();

    // A refused read leaves the earlier file as it was.
    r.sim().setCommandStatus(0x05, 1001007, 1);
    QCOMPARE(r.rom->readMemoryToFile(RomSim::MemIlm, 0x10, 1300, path), 17);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), data);
}

void TestRomCmd::otpLengthRefused_data()
{
    transports();
}

void TestRomCmd::otpLengthRefused()
{
    QFETCH(int, type);
    Rom r(type);
    LogCapture log;
    QCOMPARE(r.rom->readMemory(RomCmd::OtpMemoryId, 0, 6, false), int(RomCmd::IoFailure));
    QVERIFY(r.packets().isEmpty());
    QVERIFY(log.contains(QStringLiteral("OTP only supports quering by multiple of four bytes.")));
    QCOMPARE(r.rom->readMemoryToFile(RomCmd::OtpMemoryId, 0, 8, m_dir.filePath("otp.bin")), int(RomCmd::IoOk));
    // Other memories take any length.
    QCOMPARE(r.rom->readMemory(RomSim::MemIlm, 0, 6, false), int(RomCmd::IoOk));
}

void TestRomCmd::eraseTimeout_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("all");
    QTest::addColumn<uint>("fixed");
    QTest::addColumn<qulonglong>("timeout");
    QTest::addColumn<uint>("during");
    QTest::addColumn<uint>("after");
    QTest::addColumn<bool>("logged");
    // The wait during the erase is seen on the HID frame; the rule is the ROM
    // object's, so UART keeps one row for the restore after it.
    const int hid = EDeviceTypeUsbHid;
    QTest::newRow("hid erase all raises") << hid << true << 0u << 60000ull << 60000u << 10000u << true;
    QTest::newRow("hid erase region raises") << hid << false << 0u << 160000ull << 160000u << 10000u << true;
    QTest::newRow("hid never lowers") << hid << true << 0u << 5000ull << 10000u << 10000u << false;
    QTest::newRow("hid zero keeps") << hid << false << 0u << 0ull << 10000u << 10000u << false;
    QTest::newRow("hid fixed time-out stays") << hid << true << 20000u << 60000ull << 20000u << 20000u << false;
    // Beyond 32 bits the wait saturates instead of wrapping to a short one.
    for (int type : { EDeviceTypeUart, EDeviceTypeUsbHid })
        QTest::newRow(qPrintable(QStringLiteral("%1 beyond 32 bits").arg(transportName(type))))
            << type << true << 0u << ((1ull << 32) + 5) << 0x40000000u << 10000u << true;
}

void TestRomCmd::eraseTimeout()
{
    QFETCH(int, type);
    QFETCH(bool, all);
    QFETCH(uint, fixed);
    QFETCH(qulonglong, timeout);
    QFETCH(uint, during);
    QFETCH(uint, after);
    QFETCH(bool, logged);
    Rom r(type);
    r.sim().setRequireFlashConfig(false);
    LogCapture log;
    uint32_t seen = 0;
    if (r.hid) {
        // Look at the transport while the erase frame goes out.
        r.hid->onWrite = [&](const QByteArray& report) {
            if (report.size() > 4 && uint8_t(report[1]) == 0xA5 && uint8_t(report[4]) == 0x07)
                seen = r.rom->io()->timeout();
        };
    }
    r.rom->setCmdTimeout(fixed);
    QCOMPARE(r.rom->hasFixedTimeout(), fixed != 0);
    QCOMPARE(r.rom->io()->timeout(), fixed ? fixed : 10000u);
    const int result = all ? r.rom->eraseAll(RomSim::MemXpi0, timeout)
                           : r.rom->eraseMemory(RomSim::MemXpi0, RomSim::FlashBase, 0x1000, timeout);
    QCOMPARE(result, int(RomCmd::IoOk));
    if (r.hid)
        QCOMPARE(seen, during);
    QCOMPARE(r.rom->io()->timeout(), after);
    QCOMPARE(log.contains(QStringLiteral("set erase time out: %1ms").arg(timeout)), logged);
    QVERIFY(log.contains(QStringLiteral("Cmd 'Erase Memory' finished! Status: 0 message: OK")));
}

void TestRomCmd::unknownDeviceType()
{
    LogCapture log;
    auto rom = RomCmd::RomCmd::create(QVariant(), 3);
    QVERIFY(!rom->io());
    QCOMPARE(rom->deviceType(), 3);
    QVERIFY(log.contains(QStringLiteral("Rom command device type error! Type: 3")));
    const QString image = file("any.bin", pattern(100));
    const uint8_t bytes[4] = { 1, 2, 3, 4 };
    const uint32_t words[3] = { 3, 1, 115200 };
    QCOMPARE(rom->queryRte(0, 0), int(RomCmd::IoOpenFailed));
    QCOMPARE(rom->configRte(words, 12), int(RomCmd::IoOpenFailed));
    QCOMPARE(rom->configMemory(1, 2), int(RomCmd::IoOpenFailed));
    QCOMPARE(rom->writeMemory(0, 0, bytes, 4), int(RomCmd::IoOpenFailed));
    QCOMPARE(rom->writeMemoryByFile(0, 0, image), int(RomCmd::IoOpenFailed));
    QCOMPARE(rom->readMemory(0, 0, 4, false), int(RomCmd::IoOpenFailed));
    QCOMPARE(rom->readMemoryToFile(0, 0, 4, m_dir.filePath("never.bin")), int(RomCmd::IoOpenFailed));
    QCOMPARE(rom->loadImage(image), int(RomCmd::IoOpenFailed));
    QCOMPARE(rom->eraseMemory(0, 0, 4, 60000), int(RomCmd::IoOpenFailed));
    QCOMPARE(rom->eraseAll(0, 60000), int(RomCmd::IoOpenFailed));
    QCOMPARE(rom->reset(0), int(RomCmd::IoOpenFailed));
    rom->setCmdTimeout(5000);
    rom->terminate();
    QVERIFY(!QFile::exists(m_dir.filePath("never.bin")));
}

void TestRomCmd::rteRecords_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("rteId");
    for (int type : { EDeviceTypeUart, EDeviceTypeUsbHid })
        for (int id = 0; id <= 4; ++id)
            QTest::newRow(qPrintable(QStringLiteral("%1 rte %2").arg(transportName(type)).arg(id))) << type << id;
}

void TestRomCmd::rteRecords()
{
    QFETCH(int, type);
    QFETCH(int, rteId);
    Rom r(type);
    LogCapture log;
    r.sim().setRomVersion(QStringLiteral("V1.2.3"));
    r.sim().setSocRevision(QStringLiteral("B2.0.7"));
    r.sim().setLifecycle(0x0A);
    r.sim().setCapabilities(0x01000105);
    r.sim().setBootStatus(2, 5, 0x33);
    // Leaves a last command for rte 2 to report.
    r.sim().setCommandStatus(0x08, 1001002, 1);
    QCOMPARE(r.rom->reset(0), 17);

    QList<QPair<int, QVariant>> got;
    QObject::connect(r.rom.get(), &RomCmd::RomCmd::signalRTEQueried, [&](int id, const QVariant& v) {
        got.append({ id, v });
    });
    const uint32_t arg = rteId == 4 ? RomSim::MemXpi0 : 0;
    QCOMPARE(r.rom->queryRte(uint32_t(rteId), arg), int(RomCmd::IoOk));
    QCOMPARE(got.size(), 1);
    QCOMPARE(got[0].first, rteId);
    const QVariant v = got[0].second;
    QVERIFY(log.contains(QStringLiteral("QueryRTE success. rteId: %1 arg: %2").arg(rteId).arg(arg)));
    switch (rteId) {
    case 0: {
        QVERIFY(v.canConvert<RomCmd::RomParamInfo>());
        const auto p = v.value<RomCmd::RomParamInfo>();
        QCOMPARE(RomCmd::versionText(p.romVersion), QStringLiteral("V1.2.3"));
        QCOMPARE(RomCmd::versionText(p.socRevision), QStringLiteral("B2.0.7"));
        QCOMPARE(RomCmd::lifecycleText(p.lifecycle), QStringLiteral("0a"));
        QCOMPARE(RomCmd::capabilityTexts(p.capabilities),
            QStringList({ "Support Primary Boot", "Support Serial Boot", "Support Secure Boot",
                "Support AES-CCM(128-bit key)" }));
        break;
    }
    case 1: {
        QVERIFY(v.canConvert<RomCmd::SerialInfParam>());
        const auto s = v.value<RomCmd::SerialInfParam>();
        QCOMPARE(int(s.words), 3);
        QCOMPARE(s.periphMask, type == EDeviceTypeUart ? 0x1u : 0x10u);
        QCOMPARE(s.speed, 115200u);
        break;
    }
    case 2: {
        QVERIFY(v.canConvert<RomCmd::CmdStatusInfo>());
        const auto c = v.value<RomCmd::CmdStatusInfo>();
        QCOMPARE(RomCmd::tagName(c.tag), QStringLiteral("reset"));
        QCOMPARE(c.status, 1001002u);
        break;
    }
    case 3: {
        QVERIFY(v.canConvert<RomCmd::BootStatusInfo>());
        const auto b = v.value<RomCmd::BootStatusInfo>();
        QCOMPARE(int(b.bootMode), 2);
        QCOMPARE(b.bootDevice, 5u);
        QCOMPARE(b.bootStatus, 0x33u);
        break;
    }
    case 4: {
        QVERIFY(v.canConvert<RomCmd::MemoryAttribute>());
        const auto m = v.value<RomCmd::MemoryAttribute>();
        QCOMPARE(int(m.words), 8);
        QCOMPARE(m.memoryId, RomSim::MemXpi0);
        QCOMPARE(m.startAddress, RomSim::FlashBase);
        QCOMPARE(m.endAddress, RomSim::FlashBase + 0xFFFFFF);
        QCOMPARE(m.unitSize(), 1u);
        QCOMPARE(RomCmd::formatByteSize(m.sizeInBytes()), QStringLiteral("16 Mbytes"));
        QCOMPARE(m.pageSize, 256u);
        QCOMPARE(m.sectorSize, 4096u);
        QCOMPARE(m.blockSize, 65536u);
        break;
    }
    }
}

void TestRomCmd::rteRefused()
{
    Rom r(EDeviceTypeUsbHid);
    LogCapture log;
    int emitted = 0;
    QObject::connect(r.rom.get(), &RomCmd::RomCmd::signalRTEQueried, [&] { ++emitted; });
    // Unknown memory: 1001011 is neither boot-mode status, so 17.
    QCOMPARE(r.rom->queryRte(4, 0x12345), 17);
    QVERIFY(log.contains(
        QStringLiteral("QueryRTE failed. rteId: 4 arg: 74565 status: 1001011 message: invalid memory id")));
    // The simulator answers an unknown id with "invalid argument" (2): a boot-mode status.
    QCOMPARE(r.rom->queryRte(9, 0), 18);
    QCOMPARE(emitted, 0);
}

void TestRomCmd::shortFile_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("image");
    for (int type : { EDeviceTypeUart, EDeviceTypeUsbHid }) {
        const QString t = QString::fromLatin1(transportName(type));
        QTest::newRow(qPrintable(t + " write by file")) << type << false;
        QTest::newRow(qPrintable(t + " load image")) << type << true;
    }
}

void TestRomCmd::shortFile()
{
    QFETCH(int, type);
    QFETCH(bool, image);
    Rom r(type);
    LogCapture log;
    const int size = int(RomCmd::FileReadAhead) + 5000;
    r.sim().setExpectedImageLength(uint32_t(size));
    const QString path = file("shrinks.bin", pattern(size));
    // The file loses most of its bytes after the first chunk went out.
    bool truncated = false;
    const auto shrink = [&](int, int) {
        if (!truncated)
            truncated = QFile::resize(path, 700);
    };
    QObject::connect(r.rom.get(), &RomCmd::RomCmd::signalFile2MemoryWriteProgress, shrink);
    QObject::connect(r.rom.get(), &RomCmd::RomCmd::signalImageLoadProgress, shrink);
    const int result = image ? r.rom->loadImage(path) : r.rom->writeMemoryByFile(RomSim::MemIlm, 0, path);
    QVERIFY(truncated);
    QCOMPARE(result, int(RomCmd::IoCommandFailed));
    // Only whole packets from the block read before the cut went out; its cut tail did not.
    int payload = 0;
    bool command = !image; // the write's first packet carries a 16-byte command
    for (const QByteArray& p : r.packets()) {
        QCOMPARE(p.size(), int(RomCmd::MaxPacketSize));
        payload += p.size() - (command ? 16 : int(RomCmd::PacketHeaderSize));
        command = false;
    }
    QVERIFY2(payload > 0 && payload <= int(RomCmd::FileReadAhead), qPrintable(QString::number(payload)));
    QVERIFY(log.contains(QStringLiteral("The file ended early.")));
}

namespace {
QByteArray ackReport(uint8_t code)
{
    return QByteArray("\x01", 1) + char(code) + QByteArray(2, '\0');
}
QByteArray frameReport(const QByteArray& payload)
{
    QByteArray r("\x01\xA5", 2);
    r.append(char(payload.size() & 0xFF));
    r.append(char(payload.size() >> 8));
    return r + payload;
}
QByteArray response(uint32_t status, const QByteArray& value = QByteArray())
{
    return header(0xA0, 1, 0) + le32(status) + value;
}
QByteArray dataPacket(int n)
{
    return header(0x05, 0, 0x01) + pattern(n);
}

enum Script {
    OversizedData,
    OversizedLater,
    DataEndsEarly,
    ShortResponse,
    EmptyWriteResponse,
    ShortReadStatus,
    ShortRteAnswer,
    UnknownRte
};
} // namespace

void TestRomCmd::scriptedBounds_data()
{
    QTest::addColumn<int>("script");
    QTest::addColumn<int>("expected");
    QTest::addColumn<int>("delivered"); // read bytes handed out
    QTest::addColumn<QString>("logText");
    QTest::newRow("data packet longer than the read") << int(OversizedData) << 17 << 0 << "data packet too long";
    QTest::newRow("later packet longer than the rest") << int(OversizedLater) << 17 << 508 << "data packet too long";
    QTest::newRow("data ends early") << int(DataEndsEarly) << 17 << 508 << "data ended early";
    QTest::newRow("response shorter than its header") << int(ShortResponse) << 17 << 0 << "response length: 4";
    QTest::newRow("empty response to a write") << int(EmptyWriteResponse) << 17 << 0 << "response length: 0";
    QTest::newRow("read status shorter than its header") << int(ShortReadStatus) << 17 << 0 << "response length: 6";
    QTest::newRow("rte answer without status") << int(ShortRteAnswer) << 17 << 0 << "response length: 7";
    QTest::newRow("rte id without a record") << int(UnknownRte) << 3 << 0 << "QueryRTE failed. rteId: 7";
}

// A scripted HID device answers each write of the tool with prepared reports,
// so the tool can be fed what no well-behaved ROM sends.
void TestRomCmd::scriptedBounds()
{
    QFETCH(int, script);
    QFETCH(int, expected);
    QFETCH(int, delivered);
    QFETCH(QString, logText);
    auto dev = std::make_shared<FakeHid::RecordingDevice>();
    FakeHid::Identity id;
    id.path = QStringLiteral("scripted-rom");
    FakeHid::addDevice(dev, id);
    UsbInfo info;
    info.devicePath = id.path;
    auto rom = RomCmd::RomCmd::create(QVariant::fromValue(info), EDeviceTypeUsbHid);
    rom->setCmdTimeout(3000);
    LogCapture log;
    int got = 0;
    QObject::connect(rom.get(), &RomCmd::RomCmd::signalMemoryReadProgress,
        [&](uint32_t, uint32_t, uint8_t*, int n, int, int, bool) { got += n; });
    int result = -1;
    switch (Script(script)) {
    case OversizedData:
        dev->queueReplyToNextWrite({ ackReport(0xA1), frameReport(response(0)) });
        dev->queueReplyToNextWrite({ frameReport(dataPacket(600)) });
        result = rom->readMemory(0, 0, 100, false);
        break;
    case OversizedLater:
        dev->queueReplyToNextWrite({ ackReport(0xA1), frameReport(response(0)) });
        dev->queueReplyToNextWrite({ frameReport(dataPacket(508)) });
        dev->queueReplyToNextWrite({ frameReport(dataPacket(508)) });
        result = rom->readMemory(0, 0, 600, false);
        break;
    case DataEndsEarly:
        dev->queueReplyToNextWrite({ ackReport(0xA1), frameReport(response(0)) });
        dev->queueReplyToNextWrite({ frameReport(dataPacket(508)) });
        dev->queueReplyToNextWrite({ frameReport(dataPacket(0)) });
        result = rom->readMemory(0, 0, 1000, false);
        break;
    case ShortResponse:
        dev->queueReplyToNextWrite({ ackReport(0xA1), frameReport(header(0xA0, 1, 0)) });
        result = rom->reset(0);
        break;
    case EmptyWriteResponse: {
        const uint8_t bytes[4] = { 1, 2, 3, 4 };
        dev->queueReplyToNextWrite({ ackReport(0xA1), frameReport(QByteArray()) });
        result = rom->writeMemory(0, 0, bytes, 4);
        break;
    }
    case ShortReadStatus:
        dev->queueReplyToNextWrite({ ackReport(0xA1), frameReport(response(0).left(6)) });
        result = rom->readMemoryToFile(0, 0, 16, m_dir.filePath("never-written.bin"));
        QVERIFY(!QFile::exists(m_dir.filePath("never-written.bin")));
        break;
    case ShortRteAnswer:
        dev->queueReplyToNextWrite({ ackReport(0xA1), frameReport(response(0).left(7)) });
        result = rom->queryRte(0, 0);
        break;
    case UnknownRte:
        dev->queueReplyToNextWrite({ ackReport(0xA1), frameReport(response(0, le32(1) + le32(2))) });
        result = rom->queryRte(7, 0);
        break;
    }
    QCOMPARE(result, expected);
    QCOMPARE(got, delivered);
    QVERIFY2(log.contains(logText), qPrintable(log.lines().join('\n')));
    // Every frame the tool read was acknowledged; nothing was read after the refusal.
    QCOMPARE(dev->pendingInput(), 0);
    rom.reset();
    FakeHid::reset();
}

QTEST_GUILESS_MAIN(TestRomCmd)
#include "tst_romcmd.moc"
