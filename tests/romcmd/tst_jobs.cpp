// The command runner and its jobs on the global pool against the simulated ROM. One-shot jobs: parameter rules and
// failure messages, erase time-outs, word writes, the OTP pre-check, the UART speed switch and the device report.
// Linked and stage jobs: step order and numbering, end rules and final statuses, the baud reset flag, stage choice,
// unopenable devices, termination mid-transfer and steps queued from another thread while a step runs.
#include "downloadtask.h"
#include "globalsetting.h"
#include "jobpool.h"
#include "jobrig.h"

#include <QRegularExpression>
#include <functional>
#include <thread>

using namespace JobTest;
using RomCmd::DownloadTask;
using RomCmd::LinkedDownloadTask;
using RomCmd::StageDownloadTask;
using Setup = std::function<void(RomSim::Engine&)>;
using Next = std::function<void(LinkedDownloadTask*, int)>;
Q_DECLARE_METATYPE(Setup)

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

DownloadCommand reset(const char* type = "0")
{
    return command(9, { { "type", type } });
}

DownloadCommand imageWrite(const QString& path)
{
    return command(4, { { "memoryId", "0" }, { "address", "0x0" }, { "imagePath", path } });
}

// The last device report line ("DeviceId: ...") sent to the view.
QString report(const QSignalSpy& logs, int n = -1)
{
    QStringList out;
    for (const QList<QVariant>& args : logs)
        if (args.at(0).toString().startsWith("DeviceId: "))
            out << args.at(0).toString();
    return out.value(n < 0 ? out.size() - 1 : n);
}

void boolRows(const char* column, const char* yes, const char* no)
{
    QTest::addColumn<bool>(column);
    QTest::newRow(yes) << true;
    QTest::newRow(no) << false;
}

// The result of each step as the view received it.
QList<bool> stepResults(const JobWatch& w)
{
    QList<bool> out;
    for (const QList<QVariant>& step : w.steps)
        out << step.at(2).toBool();
    return out;
}

// Steps are numbered in order, each with the run's uuid and the info it was queued with.
void checkSteps(const JobWatch& w)
{
    for (int i = 0; i < w.steps.size(); ++i) {
        QCOMPARE(w.steps.at(i).at(0).toString(), QString("run-1"));
        QCOMPARE(w.steps.at(i).at(1).toInt(), i);
        QCOMPARE(w.steps.at(i).at(3).toMap().value("linkedStepInfo").toString(), QStringLiteral("s%1").arg(i));
    }
}

const Next endAfterFirst = [](LinkedDownloadTask* job, int) { job->endSend({}); };
const Next keepOpen = [](LinkedDownloadTask*, int) {};

} // namespace

class TestJobs : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<Rig::LogCapture> m_log; // made once the test runner handles messages

    void runOnce(JobWatch& w, const QVariant& info, EDeviceType type, const QList<DownloadCommand>& list)
    {
        auto* job = new DownloadTask(info, type, list);
        w.relay.attach(job);
        JobPool::start(job);
        QVERIFY(waitForPool());
        QCOMPARE(w.finished.size(), 1);
    }

    // Started on the pool; each step reported on the GUI side is answered by next, as a view does.
    LinkedDownloadTask* startLinked(JobWatch& w, const QVariant& info, EDeviceType type,
        const QList<DownloadCommand>& list, const Next& next, bool emitFinish = true, bool noOtpCheck = false)
    {
        auto* job = new LinkedDownloadTask(info, type, "run-1", list, "s0", emitFinish, noOtpCheck);
        w.relay.attach(job);
        connect(&w.relay, &JobRelay::stepFinished, this, [job, next](QString, int step) { next(job, step); });
        JobPool::start(job);
        return job;
    }

    StageDownloadTask* startStage(JobWatch& w, const QVariant& info, EDeviceType type,
        const QList<DownloadCommand>& open, const QList<DownloadCommand>& close)
    {
        auto* job = new StageDownloadTask(info, type, &open, &close);
        w.relay.attach(job);
        JobPool::start(job);
        return job;
    }

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
    void cleanup() { QVERIFY(waitForPool()); }

    // One-shot runs that fail: the error lines the view gets (a trailing '*'
    // marks a prefix) and the packets that reached the ROM before the refusal.
    void refused_data()
    {
        // logged: lines of the log file; '!' marks one that must be missing.
        Rig::columns<Setup, QList<DownloadCommand>, int, QList<uint8_t>, QStringList, QStringList>(
            { "setup", "list", "index", "sent", "errors", "logged" });
        const Setup none = [](RomSim::Engine&) {};
        const auto status
            = [](uint8_t tag, uint32_t st) { return Setup([=](RomSim::Engine& e) { e.setCommandStatus(tag, st); }); };
        const auto fault = [](RomSim::FaultKind kind) {
            return Setup([=](RomSim::Engine& e) {
                e.addFault({ RomSim::TagReset, RomSim::FaultPoint::Ack, 0, kind, 0, 0, {}, 1 });
            });
        };
        const auto row = [none](const char* name, const QList<DownloadCommand>& list, const QStringList& errors,
                             const QList<uint8_t>& sent = {}, const Setup& setup = {}, int index = 1,
                             const QStringList& logged = {}) {
            QTest::newRow(name) << (setup ? setup : none) << list << index << sent << errors << logged;
        };
        // 17 carries no boot-mode hint; the reset after the refused write is never sent.
        row("ROM refuses a write", { command(1), ilmWrite(0x100, "0x1"), reset() },
            { "Write memory failed!\r\n deviceId: %1 memoryId: 0x00000000 address: 0x00000100 buffer: 0x1 status: "
              "Command execute failed*" },
            { RomSim::TagQueryRte, RomSim::TagWriteMemory }, status(RomSim::TagWriteMemory, RomSim::StProgramFailed),
            2);
        row("trailing comma", { ilmWrite(0x200, "0x1,0x2,") }, { "Parameter is not a number! value: ! DeviceId: %1" });
        QStringList many;
        for (int i = 0; i < 257; ++i)
            many << QStringLiteral("0x%1").arg(i, 0, 16);
        row("257 words", { ilmWrite(0x200, many.join(',')) },
            { "Too many words to write! count: 257 maximum: 256 DeviceId: %1" });
        row("config-rte without baud rate", { command(2) }, { "Lack Parameter: baudRate! DeviceId: %1" });
        row("write without content", { command(4, { { "memoryId", "0x0" }, { "address", "0x0" } }) },
            { "Lack Parameter: write content! DeviceId: %1" });
        row("read without length", { command(5, { { "memoryId", "0x0" }, { "address", "0x0" } }) },
            { "Lack Parameter: length! DeviceId: %1" });
        row("load-blfw", { command(11, { { "imagePath", "x.bin" } }) },
            { "Command is not supported: load-blfw! DeviceId: %1" });
        row("unknown command", { command(0, { { "imagePath", "x.bin" } }) },
            { "Command is not supported: unknown command! DeviceId: %1" });
        const QStringList resetFailed { "Reset failed!\r\n deviceId: %1 resetType: 1 status: *" };
        const QStringList hint = resetFailed + QStringList { "Please check whether the boot mode is correct!" };
        row("reset NAK", { reset("1") }, hint, { RomSim::TagReset }, fault(RomSim::FaultKind::Nak));
        row("reset unknown ack", { reset("1") }, hint, { RomSim::TagReset }, fault(RomSim::FaultKind::AckCode));
        row("ROM refuses a reset", { reset("1") }, resetFailed, { RomSim::TagReset },
            status(RomSim::TagReset, RomSim::StCommandNotSupported));
        // The erase keeps the transport's time-out when the memory query fails.
        row("erase after a failed memory query",
            { command(7, { { "memoryId", "0x77" }, { "address", "0x0" }, { "length", "4096" } }) },
            { "QueryRTE failed! deviceId: %1 rteId: 4 arg: 0x00000077*",
                "Erase region failed!\r\n deviceId: %1 memoryId: 0x00000077 address: 0x00000000 length: 4096 status: "
                "*" },
            { RomSim::TagQueryRte, RomSim::TagErase }, {}, 1, { "current flash size: 0Mbytes", "!set erase time out" });
    }

    void refused()
    {
        const auto [setup, list, index, sent, errors, logged]
            = Rig::fetch<Setup, QList<DownloadCommand>, int, QList<uint8_t>, QStringList, QStringList>(
                { "setup", "list", "index", "sent", "errors", "logged" });
        UartRig rig;
        setup(rig.engine);
        m_log->clear();
        JobWatch w;
        runOnce(w, rig.info(), EDeviceTypeUart, list);
        QVERIFY(!w.result());
        QCOMPARE(w.last().status, 9);
        QCOMPARE(w.last().cmdIndex, index);
        QCOMPARE(w.last().cmdCount, list.size());
        QCOMPARE(tags(rig.engine), sent);
        if (sent.isEmpty())
            QVERIFY(rig.engine.transcript().isEmpty());
        const QStringList got = w.relay.errors(w.logs);
        QCOMPARE(got.size(), errors.size());
        for (int i = 0; i < errors.size(); ++i) {
            const QString e = errors.at(i).arg(rig.id());
            if (e.endsWith('*'))
                QVERIFY2(got.at(i).startsWith(e.chopped(1)), qPrintable(got.at(i)));
            else
                QCOMPARE(got.at(i), e);
        }
        for (const QString& line : logged)
            QVERIFY2(line.startsWith('!') ? !m_log->contains(line.mid(1)) : m_log->contains(line), qPrintable(line));
    }

    // 256 words is the most a write takes; words win over an image path.
    void writeWords()
    {
        UartRig rig;
        QStringList words;
        QByteArray bytes;
        for (int i = 0; i < 256; ++i) {
            words << QStringLiteral("0x%1").arg(i, 0, 16);
            bytes += char(i) + QByteArray(3, '\0');
        }
        DownloadCommand both = ilmWrite(0x10, "0x11223344");
        both.params.insert("imagePath", m_dir.path() + "/missing.bin");
        JobWatch w;
        runOnce(w, rig.info(), EDeviceTypeUart, { ilmWrite(0x200, words.join(',')), both });
        QVERIFY(w.result());
        QCOMPARE(rig.engine.readBytes(RomSim::MemIlm, 0x200, bytes.size()), bytes);
        QCOMPARE(rig.engine.readBytes(RomSim::MemIlm, 0x10, 4), QByteArray::fromHex("44332211"));
    }

    void eraseChipTimeoutFollowsFlashSize()
    {
        UartRig rig;
        rig.engine.setRequireFlashConfig(false);
        m_log->clear();
        JobWatch w;
        QSignalSpy otp(&w.relay, &JobRelay::otpQueried);
        runOnce(w, rig.info(), EDeviceTypeUart, { command(8, { { "memoryId", "0x10000" } }) });
        QVERIFY(w.result());
        QVERIFY(m_log->contains("current flash size: 16Mbytes"));
        QVERIFY(m_log->contains("set erase time out: 160000ms"));
        QCOMPARE(w.started.at(0).at(0).toBool(), false); // an erase shows no progress bar
        // The memory query goes first and is reported.
        QCOMPARE(tags(rig.engine), (QList<uint8_t> { RomSim::TagQueryRte, RomSim::TagErase }));
        QCOMPARE(otp.size(), 1);
        QCOMPARE(otp.at(0).at(3).toUInt(), 16u * 1024 * 1024);
        QCOMPARE(rig.engine.memory(RomSim::MemXpi0).count(char(0xFF)), 16 * 1024 * 1024);
    }

    void otpPreCheck_data()
    {
        Rig::columns<uint32_t, DownloadCommand, int, QString>({ "word0", "cmd", "status", "error" });
        const QString locked = "OTP word is locked and cannot be read or wrote! word index: %1";
        const QString beyond = "The address and length exceed OTP word length! address: %1 length: %2";
        const auto write = [](const char* memory, const char* address, const char* words) {
            return command(4, { { "memoryId", memory }, { "address", address }, { "word", words } });
        };
        QTest::newRow("word 0 locked") << 0x1u << otpRead(0, 16) << 13 << locked.arg(0);
        QTest::newRow("last four words") << 0x0u << otpRead(124, 16) << 0 << QString();
        QTest::newRow("last four words locked") << 0x80000000u << otpRead(124, 16) << 13 << locked.arg(124);
        QTest::newRow("other group locked") << 0x2u << otpRead(100, 16) << 0 << QString();
        QTest::newRow("second word of locked group") << 0x2u << otpRead(2, 24) << 13 << locked.arg(4);
        QTest::newRow("read past the end") << 0x0u << otpRead(124, 32) << 12 << beyond.arg(124).arg(8);
        QTest::newRow("write past the end")
            << 0x0u << write("0x20000", "0x7E", "0x1,0x2,0x3") << 12 << beyond.arg(126).arg(3);
        QTest::newRow("write to a locked word") << 0x8u << write("0x00020000", "0xD", "0x1") << 13 << locked.arg(13);
    }

    void otpPreCheck()
    {
        const auto [word0, cmd, status, error]
            = Rig::fetch<uint32_t, DownloadCommand, int, QString>({ "word0", "cmd", "status", "error" });
        UartRig rig;
        rig.engine.setOtpWord(0, word0);
        rig.engine.setOtpWord(125, 0xA5A5A5A5);
        JobWatch w;
        runOnce(w, rig.info(), EDeviceTypeUart, { cmd });
        // The first OTP word is read once, for the lock bits.
        const QList<QByteArray> packets = rig.engine.receivedPackets();
        QVERIFY(!packets.isEmpty());
        QCOMPARE(uint8_t(packets.at(0).at(0)), uint8_t(RomSim::TagReadMemory));
        QCOMPARE(word(packets.at(0), 0), 0u);
        QCOMPARE(word(packets.at(0), 1), 4u);
        if (status == 0) {
            QVERIFY(w.result());
            QCOMPARE(packets.size(), 2);
            if (word(packets.at(1), 0) == 124) {
                QCOMPARE(w.reads.size(), 2);
                const QVector<uint8_t> data = w.reads.at(1).at(1).value<QVector<uint8_t>>();
                QCOMPARE(data.size(), 16);
                QCOMPARE(data.at(4), uint8_t(0xA5));
            }
            return;
        }
        QVERIFY(!w.result());
        QCOMPARE(packets.size(), 1);
        QCOMPARE(w.last().status, status);
        QCOMPARE(w.last().cmdType, 5);
        QCOMPARE(w.relay.errors(w.logs), QStringList { error });
    }

    void emptyList()
    {
        UartRig rig;
        JobWatch w;
        runOnce(w, rig.info(), EDeviceTypeUart, {});
        QVERIFY(!w.result());
        QCOMPARE(w.map().value("noCommandExecuted").toBool(), true);
    }

    // A write from a file and its read-back: progress, the final report and the dump of what was read.
    // "showReadMemoryLog" is compared without case: only "true" in any case (or no key) logs the bytes.
    void progressAndFinish_data()
    {
        Rig::columns<QString, int>({ "showLog", "dumpLines" });
        QTest::newRow("no key") << QString() << (1000 + 15) / 16;
        QTest::newRow("TRUE") << "TRUE" << (1000 + 15) / 16;
        QTest::newRow("False") << "False" << 0;
    }

    void progressAndFinish()
    {
        QFETCH(QString, showLog);
        QFETCH(int, dumpLines);
        HidRig rig;
        JobWatch w;
        const QByteArray image(1000, '\x5C');
        const QString file = m_dir.path() + "/image.bin";
        QVERIFY(writeFile(file, image));
        DownloadCommand read = command(5, { { "memoryId", "0" }, { "address", "0x1000" }, { "length", "1000" } });
        if (!showLog.isNull())
            read.params.insert("showReadMemoryLog", showLog);
        runOnce(w, rig.info(), EDeviceTypeUsbHid,
            { command(4, { { "memoryId", "0" }, { "address", "0x1000" }, { "imagePath", file } }), read });
        QVERIFY(w.result());
        QCOMPARE(w.started.at(0).at(0).toBool(), true);
        const QList<DownloadTaskInfo> all = infos(w.updates);
        QCOMPARE(all.first().status, 7);
        QCOMPARE(all.first().cmdIndex, 1);
        QCOMPARE(all.last().status, 8);
        QCOMPARE(all.last().cmdIndex, 2);
        QCOMPARE(all.last().progress, 100);
        for (const DownloadTaskInfo& i : all)
            QCOMPARE(i.deviceType, 2);
        QStringList lines;
        for (const QList<QVariant>& args : w.logs)
            lines << args.at(0).toString();
        QVERIFY(lines.contains(QString("Write File to Memory. DeviceId: %1 Progress: 1000 Total: 1000").arg(rig.path)));
        // The dump goes to the view in lines of 16 bytes.
        QCOMPARE(lines.filter(QRegularExpression("^Read memory: ")).size(), dumpLines);
        QCOMPARE(lines.filter(QRegularExpression("^Read memory: 5c 5c ")).size(), dumpLines);
        QByteArray got;
        for (const QList<QVariant>& args : w.reads) {
            const QVector<uint8_t> block = args.at(1).value<QVector<uint8_t>>();
            got.append(reinterpret_cast<const char*>(block.constData()), block.size());
        }
        QCOMPARE(got, image);
    }

    // The speed switch of a UART run, and the switch back when the run ends (a linked run keeps the speed when its end
    // says a firmware load follows). A frame sent at the wrong line speed goes unanswered.
    void baudSwitch_data()
    {
        Rig::columns<int, bool, QVariantMap, uint, QList<uint8_t>, bool, uint>(
            { "baud", "linked", "endMap", "refusal", "sent", "result", "speed" });
        const QList<uint8_t> there { RomSim::TagConfigRte, RomSim::TagQueryRte };
        const QList<uint8_t> andBack = there + QList<uint8_t> { RomSim::TagConfigRte };
        QTest::newRow("460800") << 460800 << false << QVariantMap() << 0u << andBack << true << 115200u;
        QTest::newRow("115200") << 115200 << false << QVariantMap() << 0u << QList<uint8_t> { RomSim::TagQueryRte }
                                << true << 115200u;
        // No device is opened, and the speed stays where it was, so closing sends nothing.
        QTest::newRow("switch refused") << 460800 << false << QVariantMap() << uint(RomSim::StInvalidArgument)
                                        << QList<uint8_t> { RomSim::TagConfigRte } << false << 115200u;
        QTest::newRow("linked, isLoadBLFWCmd 1")
            << 460800 << true << QVariantMap { { "isLoadBLFWCmd", "1" } } << 0u << there << true << 460800u;
        QTest::newRow("linked, isLoadBLFWCmd 0")
            << 460800 << true << QVariantMap { { "isLoadBLFWCmd", "0" } } << 0u << andBack << true << 115200u;
        QTest::newRow("linked, no key") << 460800 << true << QVariantMap() << 0u << andBack << true << 115200u;
    }

    void baudSwitch()
    {
        const auto [baud, linked, endMap, refusal, sent, result, speed]
            = Rig::fetch<int, bool, QVariantMap, uint, QList<uint8_t>, bool, uint>(
                { "baud", "linked", "endMap", "refusal", "sent", "result", "speed" });
        UartRig rig;
        rig.server->setCheckLineSpeed(true);
        if (refusal)
            rig.engine.setCommandStatus(RomSim::TagConfigRte, refusal, 1);
        m_log->clear();
        JobWatch w;
        if (linked) {
            const Next next = [endMap = endMap](LinkedDownloadTask* job, int) { job->endSend(endMap); };
            startLinked(w, rig.info(baud), EDeviceTypeUart, { command(1) }, next);
            QVERIFY(waitForPool());
        } else {
            runOnce(w, rig.info(baud), EDeviceTypeUart, { command(1) });
        }
        QVERIFY(result ? w.result() : w.failed());
        QCOMPARE(tags(rig.engine), sent);
        QCOMPARE(rig.engine.uartSpeed(), speed);
        if (refusal)
            QVERIFY(m_log->contains("ConfigRTE failed! peripheral: 1 baudRate: 460800 status: 18"));
        const QList<QByteArray> packets = rig.engine.receivedPackets();
        if (sent.size() == 3) {
            QCOMPARE(word(packets.at(0), 1), 3u);
            QCOMPARE(word(packets.at(0), 2), 1u);
            QCOMPARE(word(packets.at(0), 3), 460800u);
            QCOMPARE(word(packets.at(2), 3), 115200u);
        }
    }

    // The life cycle's text and the stage it gives: reportFromRecord.
    void deviceReport()
    {
        UartRig rig;
        rig.engine.setRomVersion("V1.2.3");
        rig.engine.setSocRevision("A0.1.0");
        rig.engine.setLifecycle(0x0A);
        rig.engine.setCapabilities(0x00000105);
        JobWatch w;
        runOnce(w, rig.info(), EDeviceTypeUart, { command(1), command(1, { { "memory", "0x20000" } }) });
        QVERIFY(w.result());
        QCOMPARE(w.map().value("romVersion").toString(), QString("V1.2.3"));
        QCOMPARE(w.map().value("socRevision").toString(), QString("A0.1.0"));
        QCOMPARE(w.map().value("lifecycle").toUInt(), 0x0Au);
        QCOMPARE(report(w.logs, 0),
            "DeviceId: " + rig.id()
                + "\r\nROM Version: V1.2.3\r\nSoC Revision: A0.1.0\r\nSoC LifeCycle: 0a\r\nSupport Primary "
                  "Boot\r\nSupport Serial Boot\r\nSupport Secure Boot\r\n");
        QVERIFY(report(w.logs).contains("Memory identifier: 0x00020000\r\nMemory unit size: 4 bytes\r\n"
                                        "Memory start address: 0x00000000\r\nMemory end address: 0x0000007f\r\n"
                                        "Memory Size: 512 bytes\r\nMemory words: 5"));
    }

    // Records the ROM does not send on its own still give their report lines;
    // the stage and the flash size (64-bit: 4 GiB and more) come from them too.
    void reportFromRecord_data()
    {
        Rig::columns<int, QVariant, QString, int, quint64>({ "rteId", "record", "text", "stage", "flashMiB" });
        const auto row
            = [](const char* name, int rteId, const QVariant& record, const QString& text, int stage = 0,
                  quint64 flashMiB = 0) { QTest::newRow(name) << rteId << record << text << stage << flashMiB; };
        row("lifecycle 0x07", 0, QVariant::fromValue(RomCmd::RomParamInfo { 0, 0, 0x07 }), "SoC LifeCycle: 07", 1);
        row("lifecycle 0x08", 0, QVariant::fromValue(RomCmd::RomParamInfo { 0, 0, 0x08 }), "SoC LifeCycle: 08", 2);
        row("UART", 1, QVariant::fromValue(RomCmd::SerialInfParam { 0, 0x1, 460800 }),
            "Active peripheral: UART\r\nBaud Rate: 460800");
        row("USB-HID", 1, QVariant::fromValue(RomCmd::SerialInfParam { 0, 0x10 }), "Active peripheral: USB-HID");
        row("last command", 2, QVariant::fromValue(RomCmd::CmdStatusInfo { 4, 17 }),
            "Last Command Status Info\r\n----------------------------\r\nLast Command: write-memory\r\n"
            "Last Command Status: 17");
        row("boot status", 3, QVariant::fromValue(RomCmd::BootStatusInfo { 1, 2, 3 }),
            "Last Boot Status Info\r\n----------------------------\r\nboot mode: 1\r\nboot device: 2\r\n"
            "boot status: 3");
        // 8 GiB of 4 KiB units
        row("8 GiB memory", 4, QVariant::fromValue(RomCmd::MemoryAttribute { 5, 12, 0, 0, 0, 0x200000 }),
            "Memory words: 5", 0, 8192);
    }

    void reportFromRecord()
    {
        const auto [rteId, record, text, stage, flashMiB]
            = Rig::fetch<int, QVariant, QString, int, quint64>({ "rteId", "record", "text", "stage", "flashMiB" });
        RomCmd::DownloadCmd runner(QVariant::fromValue(SerialPortInfo()), EDeviceTypeUart);
        QSignalSpy logs(&runner, QOverload<QString, LogLevel>::of(&RomCmd::DownloadCmd::signalAddLogs));
        runner.slotRTEQueried(rteId, record);
        QCOMPARE(logs.size(), 1);
        QVERIFY2(logs.at(0).at(0).toString().contains(text), qPrintable(logs.at(0).at(0).toString()));
        QCOMPARE(runner.currentStage(), stage);
        QCOMPARE(quint64(runner.flashSize()), flashMiB);
    }

    // The CmdTimeout setting is the ROM object's fixed time-out; 0 keeps the transport's.
    void cmdTimeoutSetting()
    {
        struct Runner : RomCmd::DownloadCmd
        {
            using DownloadCmd::DownloadCmd;
            RomCmd::RomCmd* rom() const { return romCmd; }
        };
        GlobalSettingInfo settings = GlobalSetting::instance().info();
        UartRig rig;
        for (const int setting : { 2500, 0 }) {
            settings.cmdTimeout = setting;
            GlobalSetting::instance().save(settings);
            Runner runner(rig.info(), EDeviceTypeUart);
            QVERIFY(runner.openDevice());
            QCOMPARE(runner.rom()->hasFixedTimeout(), setting > 0);
            QCOMPARE(runner.rom()->io()->timeout(), setting > 0 ? uint32_t(setting) : 10000u);
        }
    }

    // A successful run without the end signal is linkedEnding's "OTP pre-check off" row.
    void twoStepsThenEndSend()
    {
        HidRig rig;
        rig.engine().setRomVersion("F2.0.1");
        rig.engine().poke(RomSim::MemIlm, 0x40, QByteArray::fromHex("00112233445566778899aabbccddeeff"));
        JobWatch w;
        const Next next = [&rig](LinkedDownloadTask* job, int step) {
            if (step == 0)
                job->addCmds({ command(1, { { "memory", "0x20000" } }), ilmRead(0x40) }, rig.info(), "s1");
            else
                job->endSend({});
        };
        startLinked(w, rig.info(), EDeviceTypeUsbHid, { command(1) }, next);
        QVERIFY(waitForPool());

        QCOMPARE(w.started.size(), 1);
        QCOMPARE(w.started.at(0).at(0).toBool(), false);
        QCOMPARE(stepResults(w), QList<bool>({ true, true }));
        checkSteps(w);
        for (const QList<QVariant>& step : w.steps)
            QCOMPARE(step.at(3).toMap().value("romVersion").toString(), QString("F2.0.1")); // kept
        const QVariantMap first = w.steps.at(0).at(3).toMap();
        QCOMPARE(first.value("linkedDeviceType").value<EDeviceType>(), EDeviceTypeUsbHid);
        QCOMPARE(first.value("linkedDeviceInfo").value<UsbInfo>().devicePath, rig.path);
        QCOMPARE(first.value("linkedTaskInfo").value<DownloadTaskInfo>().status, 8);

        QCOMPARE(w.linkedOtp.size(), 1);
        QCOMPARE(w.linkedOtp.at(0).at(0).toString(), QString("run-1"));
        QCOMPARE(w.linkedOtp.at(0).at(2).toUInt(), 127u);
        QCOMPARE(w.linkedOtp.at(0).at(3).toUInt(), 4u);
        QCOMPARE(w.linkedReads.size(), 1);
        QCOMPARE(w.linkedReads.at(0).at(2).value<QVector<uint8_t>>().at(15), uint8_t(0xFF));

        QCOMPARE(w.last().status, 10);
        QCOMPARE(w.last().progress, 100);
        QVERIFY(w.result());
        QCOMPARE(w.map().value("linkedUuid").toString(), QString("run-1"));
        QVERIFY(!w.map().contains("romVersion"));
    }

    // How a linked run ends, by what its steps meet and how the view answers each
    // step: the step results, the final status and the end signal (-1: none sent).
    void linkedEnding_data()
    {
        Rig::columns<bool, Setup, QList<DownloadCommand>, QString, bool, bool, QList<bool>, int, int>(
            { "openable", "setup", "first", "answer", "emitFinish", "noOtpCheck", "results", "status", "finished" });
        const Setup none = [](RomSim::Engine&) {};
        const Setup otpLocked = [](RomSim::Engine& e) { e.setOtpWord(0, 0x1); };
        const Setup resetRefused
            = [](RomSim::Engine& e) { e.setCommandStatus(RomSim::TagReset, RomSim::StProgramFailed, 1); };
        const QList<DownloadCommand> query { command(1) };
        QTest::newRow("empty step list ends with 15")
            << true << none << query << "empty" << true << false << QList<bool> { true } << 15 << 1;
        // A pre-check failure is kept in the final report.
        QTest::newRow("OTP pre-check") << true << otpLocked << QList<DownloadCommand> { otpRead(0, 16) } << "end"
                                       << false << false << QList<bool> { false } << 13 << 0;
        QTest::newRow("OTP pre-check off") << true << otpLocked << QList<DownloadCommand> { otpRead(0, 16) } << "end"
                                           << false << true << QList<bool> { true } << 10 << -1;
        // Without the pre-check too, a failed step fails the steps after it: the second reset is never sent.
        QTest::newRow("failure carries over") << true << resetRefused << QList<DownloadCommand> { reset() } << "reset"
                                              << true << true << QList<bool> { false, false } << 9 << 0;
        QTest::newRow("device cannot be opened")
            << false << none << query << "end" << false << false << QList<bool> { false } << 9 << 0;
    }

    void linkedEnding()
    {
        const auto [openable, setup, first, answer, emitFinish, noOtpCheck, results, status, finished]
            = Rig::fetch<bool, Setup, QList<DownloadCommand>, QString, bool, bool, QList<bool>, int, int>(
                { "openable", "setup", "first", "answer", "emitFinish", "noOtpCheck", "results", "status",
                    "finished" });
        HidRig rig;
        setup(rig.engine());
        const QVariant info = openable ? rig.info() : QVariant::fromValue(UsbInfo { "no-such-hid-path", {}, 0, 0, {} });
        JobWatch w;
        const Next next = [&, answer = answer](LinkedDownloadTask* job, int step) {
            if (answer == "empty")
                job->addCmds({}, info, QString());
            else if (answer == "reset" && step == 0)
                job->addCmds({ reset() }, info, "s1");
            else
                job->endSend({});
        };
        startLinked(w, info, EDeviceTypeUsbHid, first, next, emitFinish, noOtpCheck);
        QVERIFY(waitForPool());
        QCOMPARE(stepResults(w), results);
        QCOMPARE(w.last().status, status);
        if (finished != 0)
            QCOMPARE(w.last().progress, 100); // a run that did not fail ends full
        QCOMPARE(w.statuses().contains(10), status == 10);
        QCOMPARE(w.finished.size(), finished < 0 ? 0 : 1);
        if (finished >= 0)
            QCOMPARE(w.finished.at(0).at(0).toBool(), finished == 1);
        QCOMPARE(tags(rig.engine()).count(RomSim::TagReset), answer == "reset" ? 1 : 0);
    }

    // addCmds (and endSend) return while a step runs: the GUI thread must not stall for it. Steps queued meanwhile run
    // in order afterwards, unless the run was ended: then they are dropped.
    void stepsQueuedWhileAStepRuns_data() { boolRows("ended", "dropped at the end", "run afterwards"); }

    void stepsQueuedWhileAStepRuns()
    {
        QFETCH(bool, ended);
        HidRig rig;
        rig.device->gateAt = 2;
        JobWatch w;
        LinkedDownloadTask* job
            = startLinked(w, rig.info(), EDeviceTypeUsbHid, { imageWrite(writeImage(4096)) }, keepOpen);
        QVERIFY(rig.device->reached.tryAcquire(1, 30000)); // step 0 is inside its transfer

        QSemaphore queued;
        std::thread gui([&] {
            for (int i = 1; i <= 3; ++i) {
                job->isDisableOTPQuery = (i == 2);
                job->addCmds({ ilmRead(0x10 * i) }, rig.info(), QStringLiteral("s%1").arg(i));
            }
            if (ended)
                job->endSend({});
            queued.release();
        });
        const bool returned = queued.tryAcquire(1, 10000);
        rig.device->proceed.release();
        gui.join();
        QVERIFY2(returned, "addCmds or endSend waited for the running step");
        if (!ended) {
            QTRY_COMPARE_WITH_TIMEOUT(w.steps.size(), 4, 30000);
            job->endSend({});
        }
        QVERIFY(waitForPool());
        QCOMPARE(stepResults(w), (ended ? QList<bool> { true } : QList<bool> { true, true, true, true }));
        checkSteps(w);
        QCOMPARE(tags(rig.engine()).contains(RomSim::TagReadMemory), !ended);
        QCOMPARE(w.last().status, 10);
    }

    void terminateMidTransfer_data() { boolRows("linked", "linked", "stage"); }

    void terminateMidTransfer()
    {
        QFETCH(bool, linked);
        HidRig rig;
        rig.device->gateAt = 2;
        rig.engine().setLifecycle(0x02);
        const QList<DownloadCommand> list { imageWrite(writeImage(8192)), reset() };
        JobWatch w;
        RomCmd::DownloadCmd* job = linked ? static_cast<RomCmd::DownloadCmd*>(
                                       startLinked(w, rig.info(), EDeviceTypeUsbHid, list, endAfterFirst, false))
                                          : startStage(w, rig.info(), EDeviceTypeUsbHid, list, {});
        QVERIFY(rig.device->reached.tryAcquire(1, 30000));
        job->slotTerminate(); // from this (GUI) thread, as the orchestrator does
        rig.device->proceed.release();
        QVERIFY(waitForPool());

        QVERIFY(w.statuses().contains(11));
        QCOMPARE(w.last().status, linked ? 11 : 9);
        QVERIFY(w.failed());
        QVERIFY(!tags(rig.engine()).contains(RomSim::TagReset));
        QCOMPARE(rig.device->dataPackets.load(), 2);
    }

    // Per job kind: 0 one-shot, 2 stage (the linked one is a linkedEnding row). The open itself is the runner's, the
    // same for every kind: each transport once, each kind's ending once more.
    void deviceCannotBeOpened_data()
    {
        Rig::columns<int, int, int>({ "type", "kind", "baud" });
        QTest::newRow("one-shot UART") << int(EDeviceTypeUart) << 0 << 115200;
        QTest::newRow("one-shot USB-HID") << int(EDeviceTypeUsbHid) << 0 << 0;
        QTest::newRow("stage USB-HID") << int(EDeviceTypeUsbHid) << 2 << 0;
        QTest::newRow("stage UART at 460800") << int(EDeviceTypeUart) << 2 << 460800;
    }

    void deviceCannotBeOpened()
    {
        const auto [type, kind, baud] = Rig::fetch<int, int, int>({ "type", "kind", "baud" });
        const QVariant info = type == EDeviceTypeUart
            ? QVariant::fromValue(SerialPortInfo { m_dir.path() + "/no-such-port", baud })
            : QVariant::fromValue(UsbInfo { "no-such-hid-path", {}, 0, 0, {} });
        JobWatch w;
        if (kind == 0) {
            runOnce(w, info, EDeviceType(type), { reset() });
            QVERIFY(!w.result());
            QCOMPARE(w.last().status, 9);
            QVERIFY(w.relay.errors(w.logs).first().contains("status: Open device failed"));
        } else {
            startStage(w, info, EDeviceType(type), { command(1) }, { command(1) });
            QVERIFY(waitForPool());
            QCOMPARE(w.statuses(), QList<int> { 5 });
            QCOMPARE(w.started.size(), 0);
            QCOMPARE(w.finished.size(), 0);
        }
    }

    // How a stage run ends, by the chip's life cycle and its lists: which commands start, numbered across both lists.
    // Each run opened a UART ROM at a custom speed and leaves it at 115200 on every way out, or every later run fails
    // at its speed switch.
    void stageRun_data()
    {
        Rig::columns<QString, int, bool, int, QList<int>>({ "what", "lifecycle", "result", "status", "started" });
        QTest::newRow("open chip") << "ran" << 0x02 << true << 10 << QList<int> { 1, 2, 3 };
        QTest::newRow("closed chip") << "ran" << 0x0A << true << 10 << QList<int> { 4, 5 };
        QTest::newRow("empty close list") << "empty" << 0x0A << false << 9 << QList<int>();
        QTest::newRow("stage unknown") << "stage0" << 0x0A << false << 5 << QList<int>();
        QTest::newRow("OTP pre-check") << "otp" << 0x0A << false << 13 << QList<int>();
        QTest::newRow("erase list") << "erase" << 0x0A << true << 10 << QList<int> { 4 };
    }

    void stageRun()
    {
        const auto [what, lifecycle, result, status, started]
            = Rig::fetch<QString, int, bool, int, QList<int>>({ "what", "lifecycle", "result", "status", "started" });
        UartRig rig;
        rig.server->setCheckLineSpeed(true);
        rig.engine.setLifecycle(uint8_t(lifecycle));
        rig.engine.setRequireFlashConfig(false);
        const QList<DownloadCommand> open { ilmWrite(0x0, "0x1"), ilmWrite(0x4, "0x2"), ilmWrite(0x8, "0x3") };
        QList<DownloadCommand> close { ilmWrite(0x100, "0x4"), ilmWrite(0x104, "0x5") };
        if (what == "empty")
            close.clear();
        if (what == "stage0")
            rig.engine.setCommandStatus(RomSim::TagQueryRte, RomSim::StFailure);
        if (what == "otp") {
            rig.engine.setOtpWord(0, 0x1);
            close = { otpRead(0, 4) };
        }
        if (what == "erase")
            close = { command(7, { { "memoryId", "0x10000" }, { "address", "0x80000000" }, { "length", "4096" } }) };
        m_log->clear();
        JobWatch w;
        startStage(w, rig.info(460800), EDeviceTypeUart, open, close);
        QVERIFY(waitForPool());
        QCOMPARE(w.finished.size(), 1);
        QCOMPARE(w.result(), result);
        QCOMPARE(w.last().status, status);
        QCOMPARE(tags(rig.engine).last(), RomSim::TagConfigRte);
        QCOMPARE(rig.engine.uartSpeed(), 115200u);
        const QList<DownloadTaskInfo> all = infos(w.updates);
        QCOMPARE(all.at(0).status, 1);
        QCOMPARE(all.at(1).status, what == "stage0" ? 5 : 4);
        QCOMPARE(m_log->contains(QStringLiteral("Query download stage! deviceId: %1 stage: %2")
                                     .arg(rig.id())
                                     .arg(lifecycle < 8 ? 1 : 2)),
            what != "stage0");
        QList<int> seen;
        for (const DownloadTaskInfo& i : all) {
            if (i.status == 7 && i.total == 0) { // the start of a command
                seen << i.cmdIndex;
                QCOMPARE(i.cmdCount, open.size() + close.size());
            }
        }
        QCOMPARE(seen, started);
        if (what == "ran") {
            const uint32_t probe = lifecycle < 8 ? 0x8 : 0x104;
            QCOMPARE(rig.engine.readBytes(RomSim::MemIlm, probe, 1), QByteArray(1, lifecycle < 8 ? '\x03' : '\x05'));
        } else if (what == "empty") {
            QVERIFY(w.map().value("noCommandExecuted").toBool());
            QVERIFY(m_log->contains("Commands is empty! No command is run!"));
        } else if (what == "stage0") {
            QVERIFY(m_log->contains("Download stage type error!"));
        } else if (what == "erase") {
            QCOMPARE(w.loading.size(), 1);
            QVERIFY(!w.loading.at(0).at(0).toBool());
            QCOMPARE(w.last().cmdIndex, 4);
        }
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
