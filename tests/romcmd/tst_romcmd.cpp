// ROM commands against the simulated ROM through the real transports: packet layouts, the response rule, chunked
// transfers, termination between chunks, time-out handling and the bounds that keep a bad file or a bad device from
// looping or overrunning; and the status vocabulary their log lines use.
#include "romrig.h"
#include "romstatus.h"

#include <QTemporaryDir>
#include <QtTest>
#include <atomic>
#include <thread>

using namespace Rig;

namespace {

enum Op {
    OpConfigMemory,
    OpReset,
    OpEraseRegion,
    OpEraseAll,
    OpQueryRte0,
    OpQueryRte4,
    OpQueryRte7,
    OpConfigRte,
    OpWrite,
    OpWriteFile,
    OpLoad,
    OpRead,
    OpReadToFile
};

constexpr uint32_t At = 0x100; // where transfers write and read

} // namespace

class TestRomCmd : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    static const char* transportName(int type) { return type == EDeviceTypeUart ? "uart" : "hid"; }
    // Reports a scripted HID device answers with.
    static QByteArray ackReport(uint8_t code) { return QByteArray("\x01", 1) + char(code) + QByteArray(2, '\0'); }
    static QByteArray frameReport(const QByteArray& payload)
    {
        return QByteArray("\x01\xA5", 2) + char(payload.size() & 0xFF) + char(payload.size() >> 8) + payload;
    }
    static QByteArray response(uint32_t status, const QByteArray& value = {})
    {
        return header(0xA0, 1, 0) + le32(status) + value;
    }
    static QByteArray dataPacket(int n) { return header(0x05, 0, 0x01) + pattern(n); }

    // A one-shot signal between threads (an atomic, which the thread sanitizer sees through).
    struct Gate
    {
        std::atomic<bool> isOpen { false };
        void open() { isOpen = true; }
        bool wait(int ms)
        {
            for (int i = 0; i < ms && !isOpen; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            return isOpen;
        }
    };

    QString file(const QString& name, const QByteArray& content)
    {
        const QString path = m_dir.filePath(name);
        return writeFile(path, content) ? path : QString();
    }

    // Transfers move pattern(size) to or from At.
    int run(Rom& r, Op op, int size = 1000) { return run(*r.rom, op, size); }
    int run(RomCmd::RomCmd& rom, Op op, int size = 1000)
    {
        const QByteArray data = pattern(size);
        switch (op) {
        case OpConfigMemory: return rom.configMemory(RomSim::MemXpi0, 0x2000);
        case OpReset: return rom.reset(2);
        case OpEraseRegion: return rom.eraseMemory(RomSim::MemXpi0, RomSim::FlashBase + 0x1000, 0x2000, 0);
        case OpEraseAll: return rom.eraseAll(RomSim::MemXpi0, 0);
        case OpQueryRte0: return rom.queryRte(0, 0);
        case OpQueryRte4: return rom.queryRte(4, RomSim::MemXpi0);
        case OpQueryRte7: return rom.queryRte(7, 0);
        case OpConfigRte: {
            const uint32_t words[3] = { 3, 0x1, 460800 };
            return rom.configRte(words, sizeof(words));
        }
        case OpWrite:
            return rom.writeMemory(RomSim::MemIlm, At, reinterpret_cast<const uint8_t*>(data.constData()), size);
        case OpWriteFile: return rom.writeMemoryByFile(RomSim::MemIlm, At, file("image.bin", data));
        case OpLoad: return rom.loadImage(file("image.bin", data));
        case OpRead: return rom.readMemory(RomSim::MemIlm, At, size, false);
        case OpReadToFile: return rom.readMemoryToFile(RomSim::MemIlm, At, size, m_dir.filePath("read.bin"));
        }
        return -1;
    }

    static void transports()
    {
        QTest::addColumn<int>("type");
        QTest::newRow("uart") << int(EDeviceTypeUart);
        QTest::newRow("hid") << int(EDeviceTypeUsbHid);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        RomCmd::registerRomMetaTypes();
    }

    void byteSize_data()
    {
        Rig::columns<qulonglong, QString>({ "size", "text" });
        QTest::newRow("0") << 0ull << "0 bytes";
        QTest::newRow("just below 1 M") << (1024ull * 1024 - 1) << "1024.00 Kbytes";
        QTest::newRow("16 M + 1 K") << 16ull * 1024 * 1024 + 1024 << "16.00 Mbytes";
        QTest::newRow("huge") << 0xFFFFFFFFFFFFFFFFull << "17179869184.00 Gbytes";
    }

    // Each row formats while another thread formats another size: two jobs
    // formatting at once must each get their own text.
    void byteSize()
    {
        QFETCH(qulonglong, size);
        QFETCH(QString, text);
        QCOMPARE(RomCmd::formatByteSize(size), text);
        bool ok = true, okOther = true;
        std::thread other([&] {
            for (int i = 0; i < 20000; ++i)
                okOther &= RomCmd::formatByteSize(3ull << 30) == QLatin1String("3 Gbytes");
        });
        for (int i = 0; i < 20000; ++i)
            ok &= RomCmd::formatByteSize(size) == text;
        other.join();
        QVERIFY(ok);
        QVERIFY(okOther);
    }

    void decodeShortAnswerReadsZero()
    {
        // An answer cut short must not be read past its end.
        const QByteArray m = (le32(0x0005) + le32(0x20000)).left(6);
        const auto ma
            = RomCmd::MemoryAttribute::decode(reinterpret_cast<const uint8_t*>(m.constData()), size_t(m.size()));
        QCOMPARE(int(ma.words), 5);
        QCOMPARE(ma.memoryId, 0x0000u); // only two of its four bytes arrived: 0x00 0x00
        QCOMPARE(ma.sizeInUnits, 0u);
        QCOMPARE(RomCmd::RomParamInfo::decode(nullptr, 0).romVersion, 0u);
        QCOMPARE(RomCmd::rteRecordSize(4), size_t(32));
        QCOMPARE(RomCmd::rteRecordSize(5), size_t(0));
    }

    // Each command once per transport: what it sends, and how its one response
    // (after an abort: the status the ROM sends instead) decides the result.
    void commands_data()
    {
        Rig::columns<int, int, int, int, uint, int, int, QByteArray>(
            { "type", "op", "tag", "abortAt", "romStatus", "expected", "packets", "packet" });
        const struct
        {
            const char* name;
            Op op;
            int tag;
            int packets; // a write or load sends its data before the one response
        } refusable[] = { { "reset", OpReset, 0x08, 1 }, { "query rte", OpQueryRte0, 0x01, 1 },
            { "write", OpWrite, 0x04, 2 }, { "write file", OpWriteFile, 0x04, 2 }, { "load image", OpLoad, 0x06, 2 },
            { "read", OpRead, 0x05, 1 }, { "read to file", OpReadToFile, 0x05, 1 } };
        // The ROM statuses and what they give: 18 for the boot-mode ones, else 17.
        const QPair<uint, int> statuses[]
            = { { 1002000u, 18 }, { 1001002u, 17 }, { 1u, 18 }, { 4u, 17 }, { 1001000u, 18 }, { 1001002u, 17 } };
        int n = 0;
        for (int type : { EDeviceTypeUart, EDeviceTypeUsbHid }) {
            const auto row = [type](const char* name) {
                return &QTest::newRow(QStringLiteral("%1 %2").arg(transportName(type), name).toLatin1().constData());
            };
            const auto ok = [&](const char* name, Op op, const QByteArray& packet) {
                *row(name) << type << int(op) << 0 << -1 << 0u << 0 << 1 << packet;
            };
            ok("config memory", OpConfigMemory, header(0x03, 2, 0x02) + le32(RomSim::MemXpi0) + le32(0x2000));
            ok("reset", OpReset, header(0x08, 1, 0) + le32(2));
            ok("erase region", OpEraseRegion,
                header(0x07, 4, 0) + le32(0) + le32(RomSim::MemXpi0) + le32(RomSim::FlashBase + 0x1000) + le32(0x2000));
            ok("erase all", OpEraseAll, header(0x07, 2, 0) + le32(1) + le32(RomSim::MemXpi0));
            ok("query rte 0", OpQueryRte0, header(0x01, 1, 0) + le32(0));
            ok("query rte 4 with arg", OpQueryRte4, header(0x01, 2, 0) + le32(4) + le32(RomSim::MemXpi0));
            ok("config rte", OpConfigRte, header(0x02, 4, 0) + le32(1) + le32(3) + le32(1) + le32(460800));
            // Every command reads and logs the status; across the two transports each sees both a boot-mode status (18)
            // and another failure (17), and the statuses of the split take turns.
            for (const auto& o : refusable) {
                const auto& st = statuses[n++ % 6];
                *row(QByteArray(o.name).append(" refused"))
                    << type << int(o.op) << o.tag << -1 << st.first << st.second << o.packets << QByteArray();
            }
            // An abort on the second chunk stops the data phase and the status decides.
            *row("reset aborted, status 0") << type << int(OpReset) << 0x08 << 0 << 0u << 0 << 1 << QByteArray();
            *row("write aborted at 2nd chunk, 1001004")
                << type << int(OpWrite) << 0x04 << 1 << 1001004u << 17 << 2 << QByteArray();
            *row("load aborted at 1st chunk, 0") << type << int(OpLoad) << 0x06 << 0 << 0u << 0 << 1 << QByteArray();
        }
    }

    void commands()
    {
        const auto [type, op, tag, abortAt, romStatus, expected, packets, packet]
            = Rig::fetch<int, int, int, int, uint, int, int, QByteArray>(
                { "type", "op", "tag", "abortAt", "romStatus", "expected", "packets", "packet" });
        Rom r(type);
        r.sim().setRequireFlashConfig(false);
        LogCapture log;
        QVERIFY(writeFile(m_dir.filePath("read.bin"), "old"));
        if (tag && abortAt < 0)
            r.sim().setCommandStatus(uint8_t(tag), romStatus, 1);
        if (abortAt >= 0)
            r.sim().addFault(
                { uint8_t(tag), RomSim::FaultPoint::Ack, abortAt, RomSim::FaultKind::Abort, 0, romStatus, {}, 1 });
        QCOMPARE(run(r, Op(op)), expected);
        QCOMPARE(r.packets().size(), packets);
        if (!packet.isEmpty())
            QCOMPARE(r.packets().first(), packet);
        QCOMPARE(r.sim().deviceAcks().contains(0xA3), abortAt >= 0);
        // One response came back, and the tool acknowledged it (the UART simulator
        // may take the last acknowledgement after the command has returned).
        QCOMPARE(r.deviceFrames().size(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(r.sim().toolAcks(), QList<uint8_t> { 0xA1 }, 5000);
        if (romStatus) {
            QVERIFY(log.contains(QString::number(romStatus)));
            QVERIFY(log.contains(RomCmd::romStatusText(romStatus)));
        }
        QCOMPARE(readFile(m_dir.filePath("read.bin")), QByteArray("old")); // a refused read replaces no file
    }

    // 1000 bytes each way: a write's first packet carries the command and 496
    // bytes, an image load sends 508-byte chunks, a read comes in 508-byte packets.
    void transfer_data()
    {
        Rig::columns<int, int, QList<int>>({ "type", "op", "progress" });
        for (int type : { EDeviceTypeUart, EDeviceTypeUsbHid }) {
            const QString t = QString::fromLatin1(transportName(type));
            QTest::newRow(qPrintable(t + " write")) << type << int(OpWrite) << QList<int> { 496, 1000 };
            QTest::newRow(qPrintable(t + " write file")) << type << int(OpWriteFile) << QList<int> { 496, 1000 };
            QTest::newRow(qPrintable(t + " load image")) << type << int(OpLoad) << QList<int> { 508, 1000 };
            QTest::newRow(qPrintable(t + " read to file")) << type << int(OpReadToFile) << QList<int> { 508, 1000 };
        }
    }

    void transfer()
    {
        const auto [type, op, progress] = Rig::fetch<int, int, QList<int>>({ "type", "op", "progress" });
        Rom r(type);
        LogCapture log;
        const QByteArray data = pattern(1000);
        if (op == OpReadToFile)
            r.sim().poke(RomSim::MemIlm, At, data);
        QList<int> done;
        const auto record = [&](int total, int n) {
            QCOMPARE(total, 1000);
            done.append(n);
        };
        for (auto signal :
            { &RomCmd::RomCmd::signalMemoryWriteProgress, &RomCmd::RomCmd::signalFile2MemoryWriteProgress,
                &RomCmd::RomCmd::signalImageLoadProgress, &RomCmd::RomCmd::signalMemory2FileReadProgress })
            QObject::connect(r.rom.get(), signal, record);
        QCOMPARE(run(r, Op(op)), int(RomCmd::IoOk));
        QCOMPARE(done, progress);
        const QList<QByteArray> packets = r.packets();
        if (op == OpReadToFile) {
            QCOMPARE(packets, QList<QByteArray> { header(0x05, 3, 0) + le32(At) + le32(1000) + le32(RomSim::MemIlm) });
            QCOMPARE(readFile(m_dir.filePath("read.bin")), data);
            QTRY_COMPARE_WITH_TIMEOUT(r.sim().toolAcks().size(), 3, 5000);
            return;
        }
        // One response, read after the last chunk.
        QCOMPARE(r.deviceFrames().size(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(r.sim().toolAcks(), QList<uint8_t> { 0xA1 }, 5000);
        if (op == OpLoad) {
            const QByteArray chunk = header(0x06, 0, 0x01);
            QCOMPARE(packets, (QList<QByteArray> { chunk + data.left(508), chunk + data.mid(508) }));
            QCOMPARE(r.sim().loadedImage(), data);
            QVERIFY(log.contains(QStringLiteral("Cmd 'Load Image' finished! Status: 0 message: OK")));
            return;
        }
        QCOMPARE(packets,
            (QList<QByteArray> { header(0x04, 3, 0) + le32(At) + le32(1000) + le32(RomSim::MemIlm) + data.left(496),
                header(0x04, 0, 0x01) + data.mid(496) }));
        QCOMPARE(r.sim().readBytes(RomSim::MemIlm, At, 1000), data);
    }

    void readBlocks_data()
    {
        Rig::columns<int, int, int, QList<int>>({ "type", "length", "chunk", "blocks" });
        // Block sizes are the tool's own, the same on both transports.
        const int hid = EDeviceTypeUsbHid;
        QTest::newRow("uart 1500 by 508") << int(EDeviceTypeUart) << 1500 << 508 << QList<int>({ 512, 512, 476 });
        QTest::newRow("hid 2100 by 1000") << hid << 2100 << 1000 << QList<int>({ 512, 512, 512, 512, 52 });
        QTest::newRow("hid 700 by 1") << hid << 700 << 1 << QList<int>({ 512, 188 });
        QTest::newRow("hid nothing") << hid << 0 << 508 << QList<int>();
    }

    void readBlocks()
    {
        const auto [type, length, chunk, blocks]
            = Rig::fetch<int, int, int, QList<int>>({ "type", "length", "chunk", "blocks" });
        Rom r(type);
        const QByteArray data = pattern(length, 9);
        r.sim().poke(RomSim::MemIlm, 0x2000, data);
        r.sim().setReadChunkSize(chunk);
        QByteArray got;
        QList<int> sizes;
        int lastProgress = 0;
        bool monotonic = true;
        QObject::connect(r.rom.get(), &RomCmd::RomCmd::signalMemoryReadProgress,
            [&, length = length](uint32_t memoryId, uint32_t address, uint8_t* value, int n, int total, int progress,
                bool isShowLog) {
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
        QCOMPARE(lastProgress, length);
        QCOMPARE(
            r.packets(), QList<QByteArray> { header(0x05, 3, 0) + le32(0x2000) + le32(length) + le32(RomSim::MemIlm) });
        // The status response and every data packet were acknowledged.
        const int dataPackets = (length + chunk - 1) / chunk;
        QTRY_COMPARE_WITH_TIMEOUT(r.sim().toolAcks().size(), 1 + dataPackets, 5000);
    }

    // Refused before any traffic, whatever the transport.
    void otpLengthRefused()
    {
        Rom r(EDeviceTypeUsbHid);
        LogCapture log;
        QCOMPARE(r.rom->readMemory(RomCmd::OtpMemoryId, 0, 6, false), int(RomCmd::IoFailure));
        QVERIFY(r.packets().isEmpty());
        QVERIFY(log.contains(QStringLiteral("OTP only supports quering by multiple of four bytes.")));
        QCOMPARE(r.rom->readMemoryToFile(RomCmd::OtpMemoryId, 0, 8, m_dir.filePath("otp.bin")), int(RomCmd::IoOk));
        // Other memories take any length.
        QCOMPARE(r.rom->readMemory(RomSim::MemIlm, 0, 6, false), int(RomCmd::IoOk));
    }

    void eraseTimeout_data()
    {
        Rig::columns<int, bool, uint, qulonglong, uint, uint, bool>(
            { "type", "all", "fixed", "timeout", "during", "after", "logged" });
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

    void eraseTimeout()
    {
        const auto [type, all, fixed, timeout, during, after, logged]
            = Rig::fetch<int, bool, uint, qulonglong, uint, uint, bool>(
                { "type", "all", "fixed", "timeout", "during", "after", "logged" });
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

    void unknownDeviceType()
    {
        LogCapture log;
        auto rom = RomCmd::RomCmd::create(QVariant(), 3);
        QVERIFY(!rom->io());
        QCOMPARE(rom->deviceType(), 3);
        QVERIFY(log.contains(QStringLiteral("Rom command device type error! Type: 3")));
        const QString image = file("any.bin", pattern(100));
        const uint8_t bytes[4] = { 1, 2, 3, 4 };
        const uint32_t words[3] = { 3, 1, 115200 };
        const QVector<int> results { rom->queryRte(0, 0), rom->configRte(words, 12), rom->configMemory(1, 2),
            rom->writeMemory(0, 0, bytes, 4), rom->writeMemoryByFile(0, 0, image), rom->readMemory(0, 0, 4, false),
            rom->readMemoryToFile(0, 0, 4, m_dir.filePath("never.bin")), rom->loadImage(image),
            rom->eraseMemory(0, 0, 4, 60000), rom->eraseAll(0, 60000), rom->reset(0) };
        QCOMPARE(results, QVector<int>(11, RomCmd::IoOpenFailed));
        rom->setCmdTimeout(5000);
        rom->terminate();
        QVERIFY(!QFile::exists(m_dir.filePath("never.bin")));
    }

    // Each record as the ROM sent it, field by field.
    void rteRecords_data()
    {
        Rig::columns<int, int, QStringList>({ "type", "rteId", "fields" });
        for (int type : { EDeviceTypeUart, EDeviceTypeUsbHid }) {
            const auto row = [type](int id, const QStringList& fields) {
                QTest::newRow(qPrintable(QStringLiteral("%1 rte %2").arg(transportName(type)).arg(id)))
                    << type << id << fields;
            };
            row(0,
                { "V1.2.3", "B2.0.7", "0a", "Support Primary Boot", "Support Serial Boot", "Support Secure Boot",
                    "Support AES-CCM(128-bit key)" });
            row(1, { "3", type == EDeviceTypeUart ? "1" : "16", "115200" });
            row(2, { "reset", "1001002" });
            row(3, { "2", "5", "51" });
            row(4,
                { "8", QString::number(RomSim::MemXpi0), QString::number(RomSim::FlashBase),
                    QString::number(RomSim::FlashBase + 0xFFFFFF), "1", "256", "4096", "65536", "16 Mbytes" });
        }
    }

    void rteRecords()
    {
        const auto [type, rteId, fields] = Rig::fetch<int, int, QStringList>({ "type", "rteId", "fields" });
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
        QVERIFY(log.contains(QStringLiteral("QueryRTE success. rteId: %1 arg: %2").arg(rteId).arg(arg)));
        const QVariant v = got[0].second;
        QStringList seen;
        const auto numbers = [&](std::initializer_list<uint64_t> values) {
            for (uint64_t value : values)
                seen << QString::number(value);
        };
        switch (rteId) {
        case 0: {
            const auto p = v.value<RomCmd::RomParamInfo>();
            seen << RomCmd::versionText(p.romVersion) << RomCmd::versionText(p.socRevision)
                 << RomCmd::lifecycleText(p.lifecycle) << RomCmd::capabilityTexts(p.capabilities);
            break;
        }
        case 1: {
            const auto s = v.value<RomCmd::SerialInfParam>();
            numbers({ s.words, s.periphMask, s.speed });
            break;
        }
        case 2:
            seen << RomCmd::tagName(v.value<RomCmd::CmdStatusInfo>().tag);
            numbers({ v.value<RomCmd::CmdStatusInfo>().status });
            break;
        case 3: {
            const auto b = v.value<RomCmd::BootStatusInfo>();
            numbers({ b.bootMode, b.bootDevice, b.bootStatus });
            break;
        }
        case 4: {
            const auto m = v.value<RomCmd::MemoryAttribute>();
            numbers({ m.words, m.memoryId, m.startAddress, m.endAddress, m.unitSize(), m.pageSize, m.sectorSize,
                m.blockSize });
            seen << RomCmd::formatByteSize(m.sizeInBytes());
            break;
        }
        }
        QCOMPARE(seen, fields);
        // Refused queries give no record. Unknown memory: 1001011 is neither boot-mode status, so 17; the simulator
        // answers an unknown id with "invalid argument" (2): a boot-mode status, 18.
        QCOMPARE(r.rom->queryRte(4, 0x12345), 17);
        QVERIFY(log.contains(
            QStringLiteral("QueryRTE failed. rteId: 4 arg: 74565 status: 1001011 message: invalid memory id")));
        QCOMPARE(r.rom->queryRte(9, 0), 18);
        QCOMPARE(got.size(), 1);
    }

    void shortFile_data()
    {
        Rig::columns<int, bool>({ "type", "image" });
        for (int type : { EDeviceTypeUart, EDeviceTypeUsbHid }) {
            const QString t = QString::fromLatin1(transportName(type));
            QTest::newRow(qPrintable(t + " write by file")) << type << false;
            QTest::newRow(qPrintable(t + " load image")) << type << true;
        }
    }

    void shortFile()
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

    // A scripted HID device answers each write of the tool with prepared reports,
    // so the tool can be fed what no well-behaved ROM sends.
    void scriptedBounds_data()
    {
        // replies: the reports answering each write; delivered: read bytes handed out.
        Rig::columns<int, int, QList<QByteArrayList>, int, QString>(
            { "op", "size", "replies", "delivered", "logText" });
        const QByteArrayList ok { ackReport(0xA1), frameReport(response(0)) };
        const auto data = [](int n) { return QByteArrayList { frameReport(dataPacket(n)) }; };
        const auto cut = [](const QByteArray& response) {
            return QList<QByteArrayList> { { ackReport(0xA1), frameReport(response) } };
        };
        QTest::newRow("data packet longer than the read")
            << int(OpRead) << 100 << QList<QByteArrayList> { ok, data(600) } << 0 << "data packet too long";
        QTest::newRow("later packet longer than the rest")
            << int(OpRead) << 600 << QList<QByteArrayList> { ok, data(508), data(508) } << 508
            << "data packet too long";
        QTest::newRow("data ends early") << int(OpRead) << 1000 << QList<QByteArrayList> { ok, data(508), data(0) }
                                         << 508 << "data ended early";
        QTest::newRow("response shorter than its header")
            << int(OpReset) << 0 << cut(header(0xA0, 1, 0)) << 0 << "response length: 4";
        QTest::newRow("empty response to a write") << int(OpWrite) << 4 << cut({}) << 0 << "response length: 0";
        QTest::newRow("read status shorter than its header")
            << int(OpReadToFile) << 16 << cut(response(0).left(6)) << 0 << "response length: 6";
        QTest::newRow("rte answer without status")
            << int(OpQueryRte0) << 0 << cut(response(0).left(7)) << 0 << "response length: 7";
        QTest::newRow("rte id without a record")
            << int(OpQueryRte7) << 0 << cut(response(0, le32(1) + le32(2))) << 0 << "QueryRTE failed. rteId: 7";
    }

    void scriptedBounds()
    {
        const auto [op, size, replies, delivered, logText]
            = Rig::fetch<int, int, QList<QByteArrayList>, int, QString>(
                { "op", "size", "replies", "delivered", "logText" });
        auto dev = std::make_shared<FakeHid::RecordingDevice>();
        FakeHid::addDevice(dev, { QStringLiteral("scripted-rom"), 0, 0, {}, {}, {}, 0 });
        for (const QByteArrayList& reports : replies)
            dev->queueReplyToNextWrite(reports);
        const UsbInfo info { "scripted-rom", {}, 0, 0, {} };
        auto rom = RomCmd::RomCmd::create(QVariant::fromValue(info), EDeviceTypeUsbHid);
        rom->setCmdTimeout(3000);
        LogCapture log;
        int got = 0;
        QObject::connect(rom.get(), &RomCmd::RomCmd::signalMemoryReadProgress,
            [&](uint32_t, uint32_t, uint8_t*, int n, int, int, bool) { got += n; });
        QVERIFY(writeFile(m_dir.filePath("read.bin"), "old"));
        // An unknown record is the ROM's answer, not a broken one.
        QCOMPARE(run(*rom, Op(op), size), op == OpQueryRte7 ? 3 : 17);
        QCOMPARE(got, delivered);
        QVERIFY2(log.contains(logText), qPrintable(log.lines().join('\n')));
        QCOMPARE(readFile(m_dir.filePath("read.bin")), QByteArray("old"));
        // Every frame the tool read was acknowledged; nothing was read after the refusal.
        QCOMPARE(dev->pendingInput(), 0);
        rom.reset();
        FakeHid::reset();
    }

    // Asked from another thread while the worker is between chunks, termination
    // stops the transfer at that chunk with 17, once.
    void terminateFromAnotherThread_data()
    {
        Rig::columns<int, int, QString>({ "type", "op", "logText" });
        for (int type : { EDeviceTypeUart, EDeviceTypeUsbHid }) {
            const auto row = [type](const char* name, Op op, const char* text, int progress) {
                QTest::newRow(qPrintable(QStringLiteral("%1 %2").arg(transportName(type), name)))
                    << type << int(op)
                    << QStringLiteral("%1 terminate! progress: %2 total: 65536").arg(text).arg(progress);
            };
            row("load image", OpLoad, "Load image", 1524);
            row("write by file", OpWriteFile, "Write memory by file", 1512);
            row("write buffer", OpWrite, "Write memory", 1512);
            row("read", OpRead, "Read memory", 1536);
            row("read to file", OpReadToFile, "Read memory to file", 1536);
        }
    }

    void terminateFromAnotherThread()
    {
        const auto [type, op, logText] = Rig::fetch<int, int, QString>({ "type", "op", "logText" });
        constexpr int Size = 64 * 1024;
        Rom r(type, false);
        LogCapture log;
        r.sim().poke(RomSim::MemIlm, At, pattern(Size));
        r.sim().setReadChunkSize(512);
        r.sim().setExpectedImageLength(Size);
        QVERIFY(writeFile(m_dir.filePath("read.bin"), "old"));

        // The worker parks inside its third progress report until the test has asked for termination from this thread.
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
        std::thread worker([&, op = op] {
            r.open();
            RomCmd::RomCmd* rom = r.rom.get();
            for (auto signal :
                { &RomCmd::RomCmd::signalImageLoadProgress, &RomCmd::RomCmd::signalFile2MemoryWriteProgress,
                    &RomCmd::RomCmd::signalMemoryWriteProgress, &RomCmd::RomCmd::signalMemory2FileReadProgress })
                QObject::connect(rom, signal, progress);
            QObject::connect(rom, &RomCmd::RomCmd::signalMemoryReadProgress,
                [&](uint32_t, uint32_t, uint8_t*, int, int, int, bool) { progress(); });
            QObject::connect(rom, &RomCmd::RomCmd::callbackTerminate, [&] { ++terminations; });
            result = run(r, Op(op), Size);
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
            QCOMPARE(readFile(m_dir.filePath("read.bin")), QByteArray("old")); // a cut-short read replaces no file
        } else {
            QCOMPARE(r.packets().size(), 3);
            QVERIFY(r.sim().loadedImage().isEmpty());
        }
    }

    void stopsEveryLaterTransfer_data() { transports(); }

    void stopsEveryLaterTransfer()
    {
        QFETCH(int, type);
        Rom r(type);
        r.sim().setExpectedImageLength(64 * 1024);
        int terminations = 0;
        QObject::connect(r.rom.get(), &RomCmd::RomCmd::callbackTerminate, [&] { ++terminations; });
        r.rom->terminate();
        QVERIFY(r.rom->isTerminateRequested());
        QCOMPARE(run(r, OpLoad, 64 * 1024), 17);
        QCOMPARE(r.packets().size(), 1);
        QCOMPARE(run(r, OpWrite, 4000), 17);
        QCOMPARE(r.packets().size(), 2);
        QCOMPARE(terminations, 2);
        // A single command is not a transfer: it still runs, however long its answer takes.
        for (int i = 0; i < 20; ++i)
            QCOMPARE(r.rom->queryRte(2, 0), int(RomCmd::IoOk));
        QCOMPARE(r.rom->reset(0), int(RomCmd::IoOk));
    }
};

QTEST_GUILESS_MAIN(TestRomCmd)
#include "tst_romcmd.moc"
