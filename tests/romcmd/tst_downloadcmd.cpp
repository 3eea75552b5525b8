// The command runner seen through one-shot jobs against the simulated ROM:
// parameter rules and failure messages, erase time-outs, word writes, the OTP
// pre-check, the UART speed switch and the device report.
#include "downloadtask.h"
#include "jobrig.h"

#include "globalsetting.h"

using namespace JobTest;
using RomCmd::DownloadTask;

class TestDownloadCmd : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<Rig::LogCapture> m_log; // made once the test runner handles messages

    using Run = JobWatch;

    void run(Run& r, const QVariant& info, EDeviceType type, const QList<DownloadCommand>& list)
    {
        auto* job = new DownloadTask(info, type, list);
        r.relay.attach(job);
        QVERIFY(runToEnd(job));
        QCOMPARE(r.finished.size(), 1);
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

    void refusedWriteStopsBeforeReset()
    {
        UartRig rig;
        rig.engine.setCommandStatus(RomSim::TagWriteMemory, RomSim::StProgramFailed);
        Run r;
        run(r, rig.info(), EDeviceTypeUart,
            { command(1), command(4, { { "memoryId", "0x0" }, { "address", "0x100" }, { "word", "0x1" } }),
                command(9, { { "type", "0" } }) });
        QVERIFY(!r.result());
        QCOMPARE(r.last().status, 9);
        QCOMPARE(r.last().cmdIndex, 2);
        QCOMPARE(r.last().cmdCount, 3);
        QVERIFY(!tags(rig.engine).contains(RomSim::TagReset));
        QCOMPARE(rig.engine.resetCount(), 0);
        const QStringList errors = r.relay.errors(r.logs);
        QCOMPARE(errors.size(), 1); // 17 carries no boot-mode hint
        QVERIFY(errors.at(0).startsWith("Write memory failed!\r\n deviceId: " + rig.id()
            + " memoryId: 0x00000000 address: 0x00000100 buffer: 0x1 status: Command execute failed"));
    }

    void eraseChipTimeoutFollowsFlashSize()
    {
        UartRig rig;
        rig.engine.setRequireFlashConfig(false);
        m_log->clear();
        Run r;
        QSignalSpy otp(&r.relay, &JobRelay::otpQueried);
        run(r, rig.info(), EDeviceTypeUart, { command(8, { { "memoryId", "0x10000" } }) });
        QVERIFY(r.result());
        QVERIFY(m_log->contains("current flash size: 16Mbytes"));
        QVERIFY(m_log->contains("set erase time out: 160000ms"));
        // The memory query goes first and is reported.
        QCOMPARE(tags(rig.engine), (QList<uint8_t> { RomSim::TagQueryRte, RomSim::TagErase }));
        QCOMPARE(otp.size(), 1);
        QCOMPARE(otp.at(0).at(3).toUInt(), 16u * 1024 * 1024);
        QCOMPARE(rig.engine.memory(RomSim::MemXpi0).count(char(0xFF)), 16 * 1024 * 1024);
    }

    void eraseWithFailedQueryKeepsTransportTimeout()
    {
        UartRig rig;
        m_log->clear();
        Run r;
        run(r, rig.info(), EDeviceTypeUart,
            { command(7, { { "memoryId", "0x77" }, { "address", "0x0" }, { "length", "4096" } }) });
        QVERIFY(!r.result());
        QVERIFY(m_log->contains("current flash size: 0Mbytes"));
        QVERIFY(!m_log->contains("set erase time out"));
        const QStringList errors = r.relay.errors(r.logs);
        QVERIFY(errors.first().startsWith("QueryRTE failed! deviceId: " + rig.id() + " rteId: 4 arg: 0x00000077"));
        QVERIFY(errors.last().startsWith("Erase region failed!\r\n deviceId: " + rig.id()
            + " memoryId: 0x00000077 address: 0x00000000 length: 4096 status: "));
    }

    void writeWords_data()
    {
        QTest::addColumn<QString>("words");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("error");
        QTest::newRow("trailing comma") << "0x1,0x2," << false << QByteArray()
                                        << "Parameter is not a number! value: ! DeviceId: ";
        QStringList many;
        for (int i = 0; i < 257; ++i)
            many << QStringLiteral("0x%1").arg(i, 0, 16);
        QTest::newRow("257 words") << many.join(',') << false << QByteArray()
                                   << "Too many words to write! count: 257 maximum: 256 DeviceId: ";
        many.removeLast();
        QByteArray full;
        for (int i = 0; i < 256; ++i)
            full += QByteArray::fromHex(QByteArray::number(i, 16).rightJustified(2, '0')) + QByteArray(3, '\0');
        QTest::newRow("256 words") << many.join(',') << true << full << QString();
    }

    void writeWords()
    {
        QFETCH(QString, words);
        QFETCH(bool, ok);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, error);
        UartRig rig;
        Run r;
        run(r, rig.info(), EDeviceTypeUart,
            { command(4, { { "memoryId", "0x0" }, { "address", "0x200" }, { "word", words } }) });
        QCOMPARE(r.result(), ok);
        if (ok) {
            QCOMPARE(rig.engine.readBytes(RomSim::MemIlm, 0x200, bytes.size()), bytes);
            return;
        }
        QVERIFY(rig.engine.receivedPackets().isEmpty()); // refused before any traffic
        const QStringList errors = r.relay.errors(r.logs);
        QCOMPARE(errors.size(), 1);
        QCOMPARE(errors.at(0), error + rig.id());
    }

    void wordsWinOverImagePath()
    {
        UartRig rig;
        Run r;
        run(r, rig.info(), EDeviceTypeUart,
            { command(4,
                { { "memoryId", "0" }, { "address", "0x10" }, { "word", "0x11223344" },
                    { "imagePath", m_dir.path() + "/missing.bin" } }) });
        QVERIFY(r.result());
        QCOMPARE(rig.engine.readBytes(RomSim::MemIlm, 0x10, 4), QByteArray::fromHex("44332211"));
    }

    void lackParameter_data()
    {
        QTest::addColumn<int>("nameId");
        QTest::addColumn<QStringList>("keys");
        QTest::addColumn<QString>("message");
        QTest::newRow("config-rte") << 2 << QStringList() << "Lack Parameter: baudRate! DeviceId: ";
        QTest::newRow("write content") << 4 << QStringList { "memoryId", "address" }
                                       << "Lack Parameter: write content! DeviceId: ";
        QTest::newRow("read length") << 5 << QStringList { "memoryId", "address" }
                                     << "Lack Parameter: length! DeviceId: ";
    }

    void lackParameter()
    {
        QFETCH(int, nameId);
        QFETCH(QStringList, keys);
        QFETCH(QString, message);
        QMap<QString, QString> params;
        for (const QString& key : keys)
            params.insert(key, key == "word" ? "0x1" : "0x0");
        UartRig rig;
        Run r;
        run(r, rig.info(), EDeviceTypeUart, { command(nameId, params) });
        QVERIFY(!r.result());
        QCOMPARE(r.last().status, 9);
        QCOMPARE(r.relay.errors(r.logs), QStringList { message + rig.id() });
        QVERIFY(rig.engine.receivedPackets().isEmpty());
    }

    void unsupportedCommandsSendNothing_data()
    {
        QTest::addColumn<int>("nameId");
        QTest::newRow("load-blfw") << 11;
        QTest::newRow("unknown") << 0;
    }

    void unsupportedCommandsSendNothing()
    {
        QFETCH(int, nameId);
        UartRig rig;
        Run r;
        run(r, rig.info(), EDeviceTypeUart, { command(nameId, { { "imagePath", "x.bin" } }) });
        QVERIFY(!r.result());
        QCOMPARE(r.last().status, 9);
        QVERIFY(rig.engine.transcript().isEmpty());
        QCOMPARE(r.relay.errors(r.logs).size(), 1);
    }

    void bootModeHint_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("hint");
        QTest::newRow("NAK") << int(RomSim::FaultKind::Nak) << true;
        QTest::newRow("unknown ack") << int(RomSim::FaultKind::AckCode) << true;
        QTest::newRow("ROM refusal") << -1 << false;
    }

    void bootModeHint()
    {
        QFETCH(int, kind);
        QFETCH(bool, hint);
        UartRig rig;
        if (kind < 0) {
            rig.engine.setCommandStatus(RomSim::TagReset, RomSim::StCommandNotSupported);
        } else {
            RomSim::Fault fault;
            fault.tag = RomSim::TagReset;
            fault.kind = RomSim::FaultKind(kind);
            rig.engine.addFault(fault);
        }
        Run r;
        run(r, rig.info(), EDeviceTypeUart, { command(9, { { "type", "1" } }) });
        QVERIFY(!r.result());
        const QStringList errors = r.relay.errors(r.logs);
        QVERIFY(errors.first().startsWith("Reset failed!\r\n deviceId: " + rig.id() + " resetType: 1 status: "));
        QCOMPARE(errors.size(), hint ? 2 : 1);
        if (hint)
            QCOMPARE(errors.last(), QString("Please check whether the boot mode is correct!"));
    }

    void otpPreCheck_data()
    {
        QTest::addColumn<uint32_t>("word0");
        QTest::addColumn<DownloadCommand>("cmd");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("error");
        QTest::newRow("word 0 locked") << 0x1u << otpRead(0, 16) << 13
                                       << "OTP word is locked and cannot be read or wrote! word index: 0";
        QTest::newRow("last four words") << 0x0u << otpRead(124, 16) << 0 << QString();
        QTest::newRow("last four words locked") << 0x80000000u << otpRead(124, 16) << 13
                                                << "OTP word is locked and cannot be read or wrote! word index: 124";
        QTest::newRow("other group locked") << 0x2u << otpRead(100, 16) << 0 << QString();
        QTest::newRow("second word of locked group")
            << 0x2u << otpRead(2, 24) << 13 << "OTP word is locked and cannot be read or wrote! word index: 4";
        QTest::newRow("read past the end") << 0x0u << otpRead(124, 32) << 12
                                           << "The address and length exceed OTP word length! address: 124 length: 8";
        QTest::newRow("write past the end")
            << 0x0u << command(4, { { "memoryId", "0x20000" }, { "address", "0x7E" }, { "word", "0x1,0x2,0x3" } }) << 12
            << "The address and length exceed OTP word length! address: 126 length: 3";
        QTest::newRow("write to a locked word")
            << 0x8u << command(4, { { "memoryId", "0x00020000" }, { "address", "0xD" }, { "word", "0x1" } }) << 13
            << "OTP word is locked and cannot be read or wrote! word index: 13";
    }

    void otpPreCheck()
    {
        QFETCH(uint32_t, word0);
        QFETCH(DownloadCommand, cmd);
        QFETCH(int, status);
        QFETCH(QString, error);
        UartRig rig;
        rig.engine.setOtpWord(0, word0);
        rig.engine.setOtpWord(125, 0xA5A5A5A5);
        Run r;
        run(r, rig.info(), EDeviceTypeUart, { cmd });
        // The first OTP word is read once, for the lock bits.
        const QList<QByteArray> packets = rig.engine.receivedPackets();
        QVERIFY(!packets.isEmpty());
        QCOMPARE(uint8_t(packets.at(0).at(0)), uint8_t(RomSim::TagReadMemory));
        QCOMPARE(word(packets.at(0), 0), 0u);
        QCOMPARE(word(packets.at(0), 1), 4u);
        if (status == 0) {
            QVERIFY(r.result());
            QCOMPARE(packets.size(), 2);
            if (word(packets.at(1), 0) == 124) {
                QCOMPARE(r.reads.size(), 2);
                const QVector<uint8_t> data = r.reads.at(1).at(1).value<QVector<uint8_t>>();
                QCOMPARE(data.size(), 16);
                QCOMPARE(data.at(4), uint8_t(0xA5));
            }
            return;
        }
        QVERIFY(!r.result());
        QCOMPARE(packets.size(), 1);
        QCOMPARE(r.last().status, status);
        QCOMPARE(r.last().cmdType, 5);
        QCOMPARE(r.relay.errors(r.logs), QStringList { error });
    }

    void showProgressFlag_data()
    {
        QTest::addColumn<int>("nameId");
        QTest::addColumn<bool>("shown");
        QTest::newRow("erase-region") << 7 << false;
        QTest::newRow("write-memory") << 4 << true;
    }

    void showProgressFlag()
    {
        QFETCH(int, nameId);
        QFETCH(bool, shown);
        UartRig rig;
        rig.engine.setRequireFlashConfig(false);
        Run r;
        run(r, rig.info(), EDeviceTypeUart,
            { command(4, { { "memoryId", "0" }, { "address", "0" }, { "word", "0x1" } }),
                command(nameId,
                    { { "memoryId", "0x10000" }, { "address", "0x80000000" }, { "length", "4096" },
                        { "word", "0x2" } }) });
        QCOMPARE(r.started.size(), 1);
        QCOMPARE(r.started.at(0).at(0).toBool(), shown);
    }

    void emptyList()
    {
        UartRig rig;
        Run r;
        run(r, rig.info(), EDeviceTypeUart, {});
        QVERIFY(!r.result());
        QCOMPARE(r.map().value("noCommandExecuted").toBool(), true);
    }

    void progressAndFinish()
    {
        HidRig rig;
        Run r;
        const QByteArray image(1000, '\x5C');
        const QString file = m_dir.path() + "/image.bin";
        QVERIFY(writeFile(file, image));
        run(r, rig.info(), EDeviceTypeUsbHid,
            { command(4, { { "memoryId", "0" }, { "address", "0x1000" }, { "imagePath", file } }),
                command(5, { { "memoryId", "0" }, { "address", "0x1000" }, { "length", "1000" } }) });
        QVERIFY(r.result());
        const QList<DownloadTaskInfo> infos = JobTest::infos(r.updates);
        QCOMPARE(infos.first().status, 7);
        QCOMPARE(infos.first().cmdIndex, 1);
        QCOMPARE(infos.last().status, 8);
        QCOMPARE(infos.last().cmdIndex, 2);
        QCOMPARE(infos.last().progress, 100);
        for (const DownloadTaskInfo& i : infos)
            QCOMPARE(i.deviceType, 2);
        QVERIFY(r.logs.size() > 0);
        bool writeLine = false;
        for (const QList<QVariant>& args : r.logs)
            writeLine |= args.at(0).toString()
                == QString("Write File to Memory. DeviceId: %1 Progress: 1000 Total: 1000").arg(rig.path);
        QVERIFY(writeLine);
        // The dump goes to the view in lines of 16 bytes.
        int dumpLines = 0;
        for (const QList<QVariant>& args : r.logs)
            dumpLines += args.at(0).toString().startsWith("Read memory: 5c 5c ");
        QCOMPARE(dumpLines, (1000 + 15) / 16);
        QByteArray read;
        for (const QList<QVariant>& args : r.reads) {
            const QVector<uint8_t> block = args.at(1).value<QVector<uint8_t>>();
            read.append(reinterpret_cast<const char*>(block.constData()), block.size());
        }
        QCOMPARE(read, image);
    }

    void baudRoundTrip_data()
    {
        QTest::addColumn<int>("baud");
        QTest::newRow("460800") << 460800;
        QTest::newRow("115200") << 115200;
    }

    void baudRoundTrip()
    {
        QFETCH(int, baud);
        UartRig rig;
        rig.server->setCheckLineSpeed(true); // a frame sent at the wrong speed goes unanswered
        Run r;
        run(r, rig.info(baud), EDeviceTypeUart, { command(1) });
        QVERIFY(r.result());
        const QList<QByteArray> packets = rig.engine.receivedPackets();
        if (baud == 115200) {
            QCOMPARE(tags(rig.engine), QList<uint8_t> { RomSim::TagQueryRte });
            return;
        }
        QCOMPARE(
            tags(rig.engine), (QList<uint8_t> { RomSim::TagConfigRte, RomSim::TagQueryRte, RomSim::TagConfigRte }));
        QCOMPARE(word(packets.at(0), 1), 3u);
        QCOMPARE(word(packets.at(0), 2), 1u);
        QCOMPARE(word(packets.at(0), 3), 460800u);
        QCOMPARE(word(packets.at(2), 3), 115200u);
        QCOMPARE(rig.engine.uartSpeed(), 115200u);
    }

    void refusedBaudSwitch()
    {
        UartRig rig;
        rig.engine.setCommandStatus(RomSim::TagConfigRte, RomSim::StInvalidArgument, 1);
        m_log->clear();
        Run r;
        run(r, rig.info(460800), EDeviceTypeUart, { command(1) });
        QVERIFY(m_log->contains("ConfigRTE failed! peripheral: 1 baudRate: 460800 status: 18"));
        // No device is opened, and the speed stays where it was, so closing sends nothing.
        QCOMPARE(r.finished.at(0).at(0).toBool(), false);
        QCOMPARE(tags(rig.engine), (QList<uint8_t> { RomSim::TagConfigRte }));
    }

    // The life cycle's text and the stage it gives: reportFromRecord.
    void deviceReport()
    {
        UartRig rig;
        rig.engine.setRomVersion("V1.2.3");
        rig.engine.setSocRevision("A0.1.0");
        rig.engine.setLifecycle(0x0A);
        rig.engine.setCapabilities(0x00000105);
        Run r;
        run(r, rig.info(), EDeviceTypeUart, { command(1) });
        QVERIFY(r.result());
        QCOMPARE(r.map().value("romVersion").toString(), QString("V1.2.3"));
        QCOMPARE(r.map().value("socRevision").toString(), QString("A0.1.0"));
        QCOMPARE(r.map().value("lifecycle").toUInt(), 0x0Au);
        QString report;
        for (const QList<QVariant>& args : r.logs)
            if (args.at(0).toString().startsWith("DeviceId: "))
                report = args.at(0).toString();
        QCOMPARE(report,
            "DeviceId: " + rig.id() + "\r\nROM Version: V1.2.3\r\nSoC Revision: A0.1.0\r\nSoC LifeCycle: 0a\r\nSupport Primary Boot\r\nSupport Serial Boot\r\nSupport Secure Boot\r\n");
    }

    // Records the ROM does not send on its own still give their report lines;
    // the stage and the flash size (64-bit: 4 GiB and more) come from them too.
    void reportFromRecord_data()
    {
        QTest::addColumn<int>("rteId");
        QTest::addColumn<QVariant>("record");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("stage");
        QTest::addColumn<quint64>("flashMiB");
        RomCmd::RomParamInfo open;
        open.lifecycle = 0x07;
        RomCmd::RomParamInfo close;
        close.lifecycle = 0x08;
        QTest::newRow("lifecycle 0x07") << 0 << QVariant::fromValue(open) << "SoC LifeCycle: 07" << 1 << quint64(0);
        QTest::newRow("lifecycle 0x08") << 0 << QVariant::fromValue(close) << "SoC LifeCycle: 08" << 2 << quint64(0);
        RomCmd::SerialInfParam uart;
        uart.periphMask = 0x1;
        uart.speed = 460800;
        QTest::newRow("UART") << 1 << QVariant::fromValue(uart) << "Active peripheral: UART\r\nBaud Rate: 460800" << 0
                              << quint64(0);
        RomCmd::SerialInfParam usb;
        usb.periphMask = 0x10;
        QTest::newRow("USB-HID") << 1 << QVariant::fromValue(usb) << "Active peripheral: USB-HID" << 0 << quint64(0);
        RomCmd::CmdStatusInfo last;
        last.tag = 4;
        last.status = 17;
        QTest::newRow("last command") << 2 << QVariant::fromValue(last)
                                      << "Last Command Status Info\r\n----------------------------\r\n"
                                         "Last Command: write-memory\r\nLast Command Status: 17"
                                      << 0 << quint64(0);
        RomCmd::BootStatusInfo boot;
        boot.bootMode = 1;
        boot.bootDevice = 2;
        boot.bootStatus = 3;
        QTest::newRow("boot status") << 3 << QVariant::fromValue(boot)
                                     << "Last Boot Status Info\r\n----------------------------\r\nboot mode: 1\r\n"
                                        "boot device: 2\r\nboot status: 3"
                                     << 0 << quint64(0);
        RomCmd::MemoryAttribute big;
        big.words = 5;
        big.unitSizeLog2 = 12;
        big.sizeInUnits = 0x200000; // 8 GiB of 4 KiB units
        QTest::newRow("8 GiB memory") << 4 << QVariant::fromValue(big) << "Memory words: 5" << 0 << quint64(8192);
    }

    void reportFromRecord()
    {
        QFETCH(int, rteId);
        QFETCH(QVariant, record);
        QFETCH(QString, text);
        QFETCH(int, stage);
        QFETCH(quint64, flashMiB);
        RomCmd::DownloadCmd runner(QVariant::fromValue(SerialPortInfo()), EDeviceTypeUart);
        QSignalSpy logs(&runner, QOverload<QString, LogLevel>::of(&RomCmd::DownloadCmd::signalAddLogs));
        runner.slotRTEQueried(rteId, record);
        QCOMPARE(logs.size(), 1);
        QVERIFY2(logs.at(0).at(0).toString().contains(text), qPrintable(logs.at(0).at(0).toString()));
        QCOMPARE(runner.currentStage(), stage);
        QCOMPARE(quint64(runner.flashSize()), flashMiB);
    }

    // The CmdTimeout setting is the ROM object's fixed time-out; 0 keeps the transport's.
    void cmdTimeoutSetting_data()
    {
        QTest::addColumn<int>("setting");
        QTest::newRow("set") << 2500;
        QTest::newRow("unset") << 0;
    }

    void cmdTimeoutSetting()
    {
        QFETCH(int, setting);
        struct Runner : RomCmd::DownloadCmd
        {
            using DownloadCmd::DownloadCmd;
            RomCmd::RomCmd* rom() const { return romCmd; }
        };
        GlobalSettingInfo settings = GlobalSetting::instance().info();
        settings.cmdTimeout = setting;
        GlobalSetting::instance().save(settings);
        UartRig rig;
        Runner runner(rig.info(), EDeviceTypeUart);
        QVERIFY(runner.openDevice());
        QCOMPARE(runner.rom()->hasFixedTimeout(), setting > 0);
        if (setting > 0)
            QCOMPARE(runner.rom()->io()->timeout(), uint32_t(setting));
        settings.cmdTimeout = 0;
        GlobalSetting::instance().save(settings);
    }

    // "showReadMemoryLog" is compared without case: only "true" in any case logs the bytes.
    void showReadMemoryLogIgnoresCase_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("shown");
        QTest::newRow("TRUE") << "TRUE" << true;
        QTest::newRow("False") << "False" << false;
    }

    void showReadMemoryLogIgnoresCase()
    {
        QFETCH(QString, value);
        QFETCH(bool, shown);
        UartRig rig;
        Run r;
        run(r, rig.info(), EDeviceTypeUart,
            { command(5, { { "memoryId", "0" }, { "address", "0x0" }, { "length", "16" },
                             { "showReadMemoryLog", value } }) });
        QVERIFY(r.result());
        bool logged = false;
        for (const QList<QVariant>& args : r.logs)
            logged = logged || args.at(0).toString().startsWith("Read memory: ");
        QCOMPARE(logged, shown);
    }

    void memoryReport()
    {
        UartRig rig;
        Run r;
        run(r, rig.info(), EDeviceTypeUart, { command(1, { { "memory", "0x20000" } }) });
        QVERIFY(r.result());
        QString report;
        for (const QList<QVariant>& args : r.logs)
            if (args.at(0).toString().startsWith("DeviceId: "))
                report = args.at(0).toString();
        QVERIFY(report.contains("Memory identifier: 0x00020000\r\nMemory unit size: 4 bytes\r\n"
                                "Memory start address: 0x00000000\r\nMemory end address: 0x0000007f\r\n"
                                "Memory Size: 512 bytes\r\nMemory words: 5"));
    }
};

#if defined(__SANITIZE_THREAD__)
// QtTest's watchdog thread ends inside the uninstrumented QtTest library.
extern "C" const char* __tsan_default_suppressions()
{
    return "race:libQt5Test.so\n";
}
#endif

QTEST_GUILESS_MAIN(TestDownloadCmd)
#include "tst_downloadcmd.moc"
