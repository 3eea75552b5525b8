// OTP read-view benchmark: the OTP tab reads all 128 words of the ROM simulator's
// OTP through the orchestrator's linked run (one query, 32 reads of 16 bytes), timed
// from the refresh click to the last table update. Beside it the same linked run
// driven by the plain read plan without any view, so the view's share shows as a
// ratio within one run. A program to run by hand, not a test.
#include "apppaths.h"
#include "fakehid.h"
#include "globalsetting.h"
#include "hiddevice.h"
#include "otpreadplan.h"
#include "otptab.h"
#include "projectconfig.h"
#include "ptylink.h"
#include "romsim.h"
#include "romuimode.h"
#include "scriptedhotplugsource.h"
#include "socdatabase.h"

#include "uartserver.h"
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThreadPool>
#include <QTimer>
#include <algorithm>
#include <cstdio>

using DevelopViews::OTPTab;
using RomCmd::RomUiMode;

namespace {

void writeCatalogue(const QString& path)
{
    QByteArray xml = "<?xml version=\"1.0\" encoding=\"utf-8\"?><configuration><socs><soc name=\"B1\" vid=\"0x34B7\" "
                     "pid=\"0x0009\"><memoryView><memory name=\"OTP\" value=\"0x20000\"/></memoryView><fuseMap>";
    for (int i = 0; i < 128; ++i)
        xml += QStringLiteral("<word index=\"%1\" type=\"%2\" desc=\"W\"><field name=\"F%1\" offset=\"0\" width=\"32\" "
                              "type=\"none\"/></word>")
                   .arg(i)
                   .arg(i >= 64 ? "SECRET" : "GENERAL")
                   .toLatin1();
    xml += "</fuseMap></soc></socs></configuration>";
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(xml);
}

// Milliseconds from the refresh click to the last table update; -1 on failure.
double viewRun(
    RomUiMode& ui, const QVariant& info, EDeviceType type, OTPTab& tab, QPushButton& refresh, int expectedReads)
{
    QElapsedTimer clock;
    double lastUpdate = -1;
    int reads = 0;
    QObject scope;
    QObject::connect(&tab, &OTPTab::signalLinkedCommandsRun, &scope,
        [&ui, info, type](QString uuid, QList<DownloadCommand> list, bool noOtpQuery) {
            ui.slotDeviceLinkedDownloadTask(info, type, uuid, list, "otp", true, noOtpQuery);
        });
    QObject::connect(&tab, &OTPTab::signalLinkedCommandsEndSend, &ui, &RomUiMode::slotLinkedCommandsEndSend);
    QObject::connect(&ui, &RomUiMode::signalLinkedOTPMemoryQueried, &tab, &OTPTab::slotLinkedOTPMemoryQueried);
    QObject::connect(
        &ui, &RomUiMode::signalLinkedMemoryDataReadFinished, &tab, &OTPTab::slotLinkedMemoryDataReadFinished);
    // Connected after the tab: runs once the tab has rebuilt its table for this chunk.
    QObject::connect(&ui, &RomUiMode::signalLinkedMemoryDataReadFinished, &scope, [&] {
        lastUpdate = clock.nsecsElapsed() / 1e6;
        ++reads;
    });
    QObject::connect(&ui, &RomUiMode::signalLinkedStepFinished, &tab, &OTPTab::slotLinkedStepFinished);
    QEventLoop loop;
    bool ok = false;
    QObject::connect(&ui, &RomUiMode::signalRunFinished, &scope, [&](bool result) {
        ok = result;
        loop.quit();
    });
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    clock.start();
    refresh.click();
    loop.exec();
    QThreadPool::globalInstance()->waitForDone();
    QCoreApplication::processEvents();
    QObject::disconnect(&tab, nullptr, &ui, nullptr);
    QObject::disconnect(&ui, nullptr, &tab, nullptr);
    return ok && reads == expectedReads ? lastUpdate : -1;
}

// The same linked run, chained by the plain read plan with no view.
double bareRun(
    RomUiMode& ui, const QVariant& info, EDeviceType type, const QVector<FuseWordInfo>& fuseMap, int expectedReads)
{
    QElapsedTimer clock;
    double last = -1;
    int reads = 0;
    int steps = 0;
    OtpReadPlan plan;
    const QString uuid = QStringLiteral("bare-otp-read");
    QObject scope;
    QObject::connect(&ui, &RomUiMode::signalLinkedOTPMemoryQueried, &scope,
        [&](QString, uint32_t s, uint32_t e, uint32_t u, uint32_t m) {
            OtpLogLines logs;
            if (plan.setRegion(s, e, u, m, fuseMap.size(), logs)) {
                ++steps;
                ui.slotDeviceLinkedDownloadTask(
                    info, type, uuid, { OtpReadPlan::readCommand("0x20000", s) }, "otp", true, true);
            }
        });
    QObject::connect(&ui, &RomUiMode::signalLinkedMemoryDataReadFinished, &scope,
        [&](QString, uint32_t address, QVector<uint8_t> data) {
            OtpLogLines logs;
            quint32 next = 0;
            ++reads;
            last = clock.nsecsElapsed() / 1e6;
            if (plan.takeChunk(address, data, logs) && plan.nextGroup(address, fuseMap, next)) {
                ++steps;
                ui.slotDeviceLinkedDownloadTask(
                    info, type, uuid, { OtpReadPlan::readCommand("0x20000", next) }, "otp", true, true);
            }
        });
    QObject::connect(&ui, &RomUiMode::signalLinkedStepFinished, &scope, [&](QString, int step) {
        if (step == steps)
            ui.slotLinkedCommandsEndSend(uuid, {});
    });
    QEventLoop loop;
    bool ok = false;
    QObject::connect(&ui, &RomUiMode::signalRunFinished, &scope, [&](bool result) {
        ok = result;
        loop.quit();
    });
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    clock.start();
    ui.slotDeviceLinkedDownloadTask(info, type, uuid, { OtpReadPlan::queryCommand("0x20000") }, "otp", true, true);
    loop.exec();
    QThreadPool::globalInstance()->waitForDone();
    QCoreApplication::processEvents();
    return ok && reads == expectedReads ? last : -1;
}

double median(QVector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void report(const char* name, RomUiMode& ui, const QVariant& info, EDeviceType type, RomSim::Engine& engine)
{
    // Word 0 locks words 64..127 (bits 16..31), which the catalogue marks SECRET: 16 reads.
    engine.setOtpWord(0, 0xFFFF0000u);
    OTPTab tab;
    tab.resize(1280, 720);
    tab.show();
    QPushButton* refresh = tab.readButtons().at(1);
    const QVector<FuseWordInfo> fuseMap = SocDatabase::instance().currentSoc().fuseMap;
    QVector<double> view, bare;
    for (int i = 0; i < 7; ++i) {
        bare.append(bareRun(ui, info, type, fuseMap, 16));
        view.append(viewRun(ui, info, type, tab, *refresh, 16));
    }
    engine.setOtpWord(0, 0);
    QVector<double> fullView, fullBare;
    for (int i = 0; i < 7; ++i) {
        fullBare.append(bareRun(ui, info, type, fuseMap, 32));
        fullView.append(viewRun(ui, info, type, tab, *refresh, 32));
    }
    if (qEnvironmentVariableIsSet("KREL_BENCH_ALL")) {
        for (int i = 0; i < 7; ++i)
            std::printf("  %.1f/%.1f  %.1f/%.1f\n", fullView[i], fullBare[i], view[i], bare[i]);
    }
    std::printf("%-14s 128 words, 32 reads: view %.1f ms, bare run %.1f ms, view/bare %.2f | "
                "16 reads (half locked): view %.1f ms, bare %.1f ms (medians of 7)\n",
        name, median(fullView), median(fullBare), median(fullView) / median(fullBare), median(view), median(bare));
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    registerMetaTypes();
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    QTemporaryDir dir;
    AppPaths::setAppDirOverride(dir.path());
    GlobalSetting::instance().load();
    ProjectConfig::instance().resetForTests();
    writeCatalogue(dir.filePath("socs.xml"));
    SocDatabase::instance().loadFrom(dir.filePath("socs.xml"), dir.filePath("none"));
    ProjectConfig::instance().setSocType("B1");

    RomUiMode ui(std::make_unique<ScriptedHotplugSource>());
    {
        auto device = std::make_shared<RomSim::HidDevice>();
        FakeHid::Identity id;
        id.path = "bench-otp-hid";
        id.vendorId = 0x34B7;
        id.productId = 0x0009;
        FakeHid::addDevice(device, id);
        UsbInfo usb;
        usb.devicePath = id.path;
        report("USB-HID (fake)", ui, QVariant::fromValue(usb), EDeviceTypeUsbHid, device->engine());
        FakeHid::removeDevice(id.path);
    }
    {
        PtyLink link;
        RomSim::Engine engine;
        RomSim::UartServer server(link, engine);
        SerialPortInfo port;
        port.portName = link.toolPath();
        report("UART (pty)", ui, QVariant::fromValue(port), EDeviceTypeUart, engine);
        server.stop();
    }
    return 0;
}
