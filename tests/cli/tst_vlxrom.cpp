// vlx-rom against the ROM simulator: one table of command lines with their exit
// status, message and effect on the simulated device (pseudo-terminal or fake hidapi).
#include "romrig.h"
#include "vlxrom.h"

#include "progressmeter.h"
#include "projectconfig.h"
#include "scriptedhotplugsource.h"
#include "testfiles.h"

#include <QBuffer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <thread>
#include <unistd.h>

namespace {

struct Fixture
{
    ~Fixture()
    {
        if (helper.joinable())
            helper.join();
    }
    std::unique_ptr<Rig::Rom> rom;
    std::thread helper; // joined before the simulator goes
    QTemporaryDir dir;
    QString path(const QString& name) const { return dir.filePath(name); }
    RomSim::Engine& sim() { return rom->sim(); }
};

struct Row
{
    const char* name;
    int transport; // EDeviceTypeUart or EDeviceTypeUsbHid
    QStringList args; // {dev} is the device options, {dir} the scratch folder
    int exit;
    QString errText; // expected on standard error
    QString outText; // expected on standard output
    std::function<void(Fixture&)> setup;
    std::function<void(Fixture&, const QString& out)> check;
};

// A project whose Open list is the one command.
void writeProject(Fixture& f, int nameId, const QMap<QString, QString>& params)
{
    ProjectData p;
    p.socType = "TSL1100";
    DownloadCommand cmd;
    cmd.nameId = nameId;
    cmd.params = params;
    p.openCommands = { cmd };
    QVERIFY(writeFile(f.path("p.vlxmfg"), ProjectConfig::wrap(ProjectConfig::toXml(p))));
}

const QByteArray Image = Rig::pattern(5000, 3);
const QByteArray Firmware = Rig::pattern(1000, 9);

QList<Row> rows()
{
    return {
        { "list", EDeviceTypeUsbHid, { "list" }, 0, {}, "TSL1100", nullptr,
            [](Fixture&, const QString& out) {
                QVERIFY(out.contains("uart  ttyUSB7"));
                QVERIFY(out.contains("--usb 34b7:0001:sim-rom-hid"));
            } },
        { "list json", EDeviceTypeUsbHid, { "--json", "list" }, 0, {}, "\"kind\":\"usb-hid\"", nullptr, nullptr },
        { "info uart", EDeviceTypeUart, { "{dev}", "info" }, 0, {}, "ROM Version: V1.0.0", nullptr,
            [](Fixture&, const QString& out) { QVERIFY(out.contains("Memory identifier: 0x00010000")); } },
        { "info hid json", EDeviceTypeUsbHid, { "--usb", "1fc9:0021", "--json", "info" }, 0, {},
            "\"romVersion\":\"V1.0.0\"", nullptr,
            [](Fixture&, const QString& out) {
                const QJsonObject o = QJsonDocument::fromJson(out.toUtf8()).object();
                QCOMPARE(o.value("lifecycle").toString(), QString("02"));
                QVERIFY(o.value("memories").toArray().size() >= 3);
            } },
        { "write", EDeviceTypeUart, { "{dev}", "--memory", "0", "write", "{dir}/image.bin", "0x1000" }, 0,
            "write: 100%", {}, [](Fixture& f) { QVERIFY(writeFile(f.path("image.bin"), Image)); },
            [](Fixture& f, const QString&) {
                QCOMPARE(f.sim().readBytes(RomSim::MemIlm, 0x1000, Image.size()), Image);
                QCOMPARE(f.sim().receivedPackets().first().left(16),
                    Rig::header(4, 3, 0) + Rig::le32(0x1000) + Rig::le32(Image.size()) + Rig::le32(0));
            } },
        { "read", EDeviceTypeUsbHid, { "{dev}", "-m", "0x0", "read", "0x20", "5000", "{dir}/back.bin" }, 0, {}, {},
            [](Fixture& f) { f.sim().poke(RomSim::MemIlm, 0x20, Image); },
            [](Fixture& f, const QString&) { QCOMPARE(readFile(f.path("back.bin")), Image); } },
        { "erase", EDeviceTypeUart, { "{dev}", "-m", "0x10000", "erase", "0x80001000", "4K" }, 0, {}, {},
            [](Fixture& f) {
                f.sim().setRequireFlashConfig(false);
                f.sim().poke(RomSim::MemXpi0, 0x80000000, QByteArray(0x3000, '\0'));
            },
            [](Fixture& f, const QString&) {
                QCOMPARE(f.sim().readBytes(RomSim::MemXpi0, 0x80001000, 0x1000), QByteArray(0x1000, char(0xFF)));
                QCOMPARE(f.sim().readBytes(RomSim::MemXpi0, 0x80000FFF, 1), QByteArray(1, '\0'));
                QCOMPARE(f.sim().readBytes(RomSim::MemXpi0, 0x80002000, 1), QByteArray(1, '\0'));
            } },
        { "erase-all", EDeviceTypeUsbHid, { "{dev}", "-m", "0x10000", "erase-all" }, 0, {}, {},
            [](Fixture& f) {
                f.sim().setRequireFlashConfig(false);
                f.sim().poke(RomSim::MemXpi0, 0x80FFFFF0, QByteArray(16, '\0'));
            },
            [](Fixture& f, const QString&) {
                QCOMPARE(f.sim().readBytes(RomSim::MemXpi0, 0x80FFFFF0, 16), QByteArray(16, char(0xFF)));
            } },
        { "config-memory", EDeviceTypeUart, { "{dev}", "-m", "0x10000", "config-memory", "0x100" }, 0, {}, {}, nullptr,
            [](Fixture& f, const QString&) { QVERIFY(f.sim().isConfigured(RomSim::MemXpi0)); } },
        { "load-image", EDeviceTypeUsbHid, { "{dev}", "load-image", "{dir}/image.bin" }, 0, {}, {},
            [](Fixture& f) { QVERIFY(writeFile(f.path("image.bin"), Image)); },
            [](Fixture& f, const QString&) { QCOMPARE(f.sim().loadedImage(), Image); } },
        { "otp-read", EDeviceTypeUart, { "{dev}", "otp-read", "2", "3" }, 0, {}, "   2 0x0000abcd\n   3 0x12345678\n",
            [](Fixture& f) {
                f.sim().setOtpWord(2, 0xABCD);
                f.sim().setOtpWord(3, 0x12345678);
            },
            nullptr },
        { "otp-write json", EDeviceTypeUsbHid, { "{dev}", "--json", "otp-write", "8", "0x80000001", "2" }, 0, {},
            "\"words\":[\"0x80000001\",\"0x00000002\"]", nullptr,
            [](Fixture& f, const QString&) {
                QCOMPARE(f.sim().otpWord(8), 0x80000001u);
                QCOMPARE(f.sim().otpWord(9), 2u);
            } },
        { "reset", EDeviceTypeUart, { "{dev}", "reset" }, 0, {}, {}, nullptr,
            [](Fixture& f, const QString&) { QCOMPARE(f.sim().resetCount(), 1); } },
        { "run loads the firmware, then the Open list", EDeviceTypeUart,
            { "{dev}", "run", "{dir}/p.vlxmfg", "--bl-fw", "{dir}/bl_fw" }, 0, "[1/1] write-memory", {},
            [](Fixture& f) {
                writeProject(f, 4, { { "memoryId", "0" }, { "address", "0x100" }, { "word", "11223344" } });
                QVERIFY(writeFile(f.path("bl_fw/TSL1100/tsl1100_blfw_unsigned.bin"), Firmware));
                f.sim().setSocRevision("A9.9.9");
                f.sim().setVersionAfterImageLoad("F1.0.0");
            },
            [](Fixture& f, const QString&) {
                QCOMPARE(f.sim().loadedImage(), Firmware);
                QCOMPARE(f.sim().readBytes(RomSim::MemIlm, 0x100, 4), Rig::le32(0x11223344));
            } },
        { "run refused by the OTP lock, ROM back at 115200", EDeviceTypeUart,
            { "{dev}", "--baud", "460800", "run", "{dir}/p.vlxmfg", "--bl-fw", "{dir}/none" }, 5,
            "OTP words are hard locked", {},
            [](Fixture& f) {
                writeProject(f, 5, { { "memoryId", "0x20000" }, { "address", "0x0" }, { "length", "4" } });
                f.sim().setOtpWord(0, 0x1);
            },
            [](Fixture& f, const QString&) {
                QCOMPARE(f.sim().uartSpeed(), 115200u);
                QCOMPARE(f.sim().loadedImage(), QByteArray()); // no firmware found: the ROM is used as it is
            } },
        { "bad address", EDeviceTypeUart, { "{dev}", "-m", "0", "read", "0xZZ", "4", "{dir}/x" }, 2,
            "bad address: 0xZZ", {}, nullptr, nullptr },
        { "address outside the memory", EDeviceTypeUart, { "{dev}", "-m", "0", "read", "0x40000", "16", "{dir}/x" }, 5,
            "status 1001001 (invalid memory range)", {}, nullptr,
            [](Fixture& f, const QString&) { QVERIFY(!QFile::exists(f.path("x"))); } },
        { "ROM refuses the write", EDeviceTypeUsbHid, { "{dev}", "--json", "-m", "0", "write", "{dir}/image.bin", "0" },
            5, "status 1001002 (programming memory failed)", "\"romStatus\":1001002",
            [](Fixture& f) {
                QVERIFY(writeFile(f.path("image.bin"), Image));
                f.sim().setCommandStatus(RomSim::TagWriteMemory, RomSim::StProgramFailed);
            },
            nullptr },
        { "no answer", EDeviceTypeUart, { "{dev}", "--timeout", "300", "reset" }, 4,
            "transport status 9 (Read ack start status failed)", {},
            [](Fixture& f) {
                RomSim::Fault silence;
                silence.tag = RomSim::TagReset;
                silence.kind = RomSim::FaultKind::Silence;
                f.sim().addFault(silence);
            },
            nullptr },
        { "absent port", EDeviceTypeUart, { "--port", "{dir}/ttyNone", "--json", "reset" }, 3, "no such port",
            "\"exit\":3", nullptr, nullptr },
        { "absent USB device", EDeviceTypeUsbHid, { "--usb", "1fc9:0021:elsewhere", "reset" }, 3,
            "no such USB-HID device", {}, nullptr, nullptr },
        { "Ctrl-C during a 1 MiB write", EDeviceTypeUart,
            { "{dev}", "--baud", "460800", "-m", "0x10000", "write", "{dir}/big.bin", "0x80000000" }, 130,
            "interrupted", {},
            [](Fixture& f) {
                QVERIFY(writeFile(f.path("big.bin"), Rig::pattern(1 << 20, 5)));
                f.sim().setRequireFlashConfig(false);
                RomSim::Engine* sim = &f.sim();
                f.helper = std::thread([sim] {
                    if (sim->waitForPackets(300, 60000))
                        kill(getpid(), SIGINT);
                });
            },
            [](Fixture& f, const QString&) {
                QCOMPARE(f.sim().uartSpeed(), 115200u);
                QCOMPARE(f.sim().readBytes(RomSim::MemXpi0, 0x800FFFF0, 16), QByteArray(16, char(0xFF)));
                QVERIFY(f.sim().receivedPackets().size() < 2000);
            } },
    };
}

} // namespace

class TestVlxRom : public QObject
{
    Q_OBJECT
private slots:
    void commands_data()
    {
        QTest::addColumn<int>("row");
        const QList<Row> all = rows();
        for (int i = 0; i < all.size(); ++i)
            QTest::newRow(all[i].name) << i;
    }

    void commands()
    {
        QFETCH(int, row);
        const Row r = rows().at(row);
        Fixture f;
        f.rom = std::make_unique<Rig::Rom>(r.transport, false);
        if (r.setup)
            r.setup(f);
        if (QTest::currentTestFailed())
            return;

        QStringList args { "vlx-rom" };
        for (const QString& a : r.args) {
            if (a == "{dev}") {
                if (r.transport == EDeviceTypeUart)
                    args << "--port" << f.rom->link->toolPath();
                else
                    args << "--usb" << QString("1fc9:0021:") + Rig::HidPath;
            } else {
                args << QString(a).replace("{dir}", f.dir.path());
            }
        }
        QBuffer out, err;
        out.open(QIODevice::WriteOnly);
        err.open(QIODevice::WriteOnly);
        RomCmd::CliEnvironment env;
        env.out = &out;
        env.err = &err;
        env.restartPollMs = 20;
        env.restartPolls = 5;
        env.serialPorts = [] { return QList<RomCmd::SerialPortEntry> { { "ttyUSB7", "USB serial", 0x0403, 0x6001 } }; };
        env.hotplugSource = [] {
            auto source = std::make_unique<ScriptedHotplugSource>();
            HidFacts rom;
            rom.vendorId = 0x34B7;
            rom.productId = 0x0001;
            source->addPresent(Rig::HidPath, rom);
            HidFacts keyboard;
            keyboard.vendorId = 0x046D;
            keyboard.productId = 0xC31C;
            source->addPresent("keyboard", keyboard);
            return std::unique_ptr<HotplugSource>(std::move(source));
        };

        const int exit = RomCmd::runVlxRom(args, env);
        const QString stdOut = QString::fromUtf8(out.data());
        const QString stdErr = QString::fromUtf8(err.data());
        if (exit != r.exit || !stdErr.contains(r.errText) || !stdOut.contains(r.outText))
            qWarning().noquote() << "stdout:" << stdOut << "\nstderr:" << stdErr;
        QCOMPARE(exit, r.exit);
        QVERIFY(stdErr.contains(r.errText));
        QVERIFY(stdOut.contains(r.outText));
        if (args.contains("--json")) {
            const QStringList lines = stdOut.split('\n', Qt::SkipEmptyParts);
            QVERIFY(!lines.isEmpty());
            for (const QString& line : lines)
                QVERIFY2(QJsonDocument::fromJson(line.toUtf8()).isObject(), qPrintable(line));
            if (!args.contains("list"))
                QCOMPARE(QJsonDocument::fromJson(lines.last().toUtf8()).object().value("exit").toInt(), r.exit);
        }
        if (r.check)
            r.check(f, stdOut);
    }

    void progressLines()
    {
        // Rate and time left come from the given figures; the bar never outgrows the terminal.
        QCOMPARE(RomCmd::ProgressMeter::plainLine("write", 1 << 20, 4 << 20, 1 << 20),
            QString("write: 25% 1048576/4194304 bytes 1.0 MiB/s 0:03 left"));
        const QString bar = RomCmd::ProgressMeter::barLine("write", 1 << 20, 4 << 20, 1 << 20, 60);
        QVERIFY(bar.size() < 60);
        QVERIFY(bar.contains("25%"));
        QVERIFY(bar.contains("1.0 MiB/4.0 MiB"));
        QCOMPARE(RomCmd::ProgressMeter::durationText(3725), QString("1:02:05"));
    }

    void program()
    {
        Rig::Rom rom(EDeviceTypeUart, false);
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath("image.bin"), Image));
        QProcess p;
        p.start(VLXROM_PROGRAM,
            { "--port", rom.link->toolPath(), "--json", "-m", "0", "write", dir.filePath("image.bin"), "0x40" });
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitCode(), 0);
        const QJsonObject result = QJsonDocument::fromJson(p.readAllStandardOutput()).object();
        QCOMPARE(result.value("bytes").toInt(), Image.size());
        QVERIFY(p.readAllStandardError().contains("write: 100%"));
        QCOMPARE(rom.sim().readBytes(RomSim::MemIlm, 0x40, Image.size()), Image);

        p.start(VLXROM_PROGRAM, { "--port", dir.filePath("none"), "reset" });
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitCode(), 3);
        QVERIFY(p.readAllStandardOutput().isEmpty());
        QVERIFY(p.readAllStandardError().contains("no such port"));
    }
};

QTEST_GUILESS_MAIN(TestVlxRom)
#include "tst_vlxrom.moc"
