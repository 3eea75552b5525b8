// Linked-run benchmark: 32 single 16-byte OTP reads chained on one linked job
// against the ROM simulator, each step queued only once the previous step's
// result has reached the GUI thread, as the OTP read view does. Prints the
// time with the job woken by addCmds/endSend next to the old fixed 100 ms sleeps.
// A program to run by hand, not a test.
#include "hiddevice.h"
#include "linkeddownloadtask.h"
#include "ptylink.h"
#include "romsim.h"
#include "uartserver.h"

#include "fakehid.h"
#include "records.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThreadPool>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <memory>

namespace RomCmd {
// The job's test seam: poll with plain 100 ms sleeps, as the first version did.
class LinkedDownloadTaskTestAccess
{
public:
    static void setFixedSleepPolling(LinkedDownloadTask* job, bool on) { job->fixedSleepPolling = on; }
};
} // namespace RomCmd

namespace {

constexpr int Steps = 32;

DownloadCommand otpRead(int word)
{
    DownloadCommand cmd;
    cmd.nameId = 5;
    cmd.params.insert("memoryId", "0x20000");
    cmd.params.insert("address", QStringLiteral("0x%1").arg(word, 8, 16, QChar('0')));
    cmd.params.insert("length", "16");
    cmd.params.insert("showReadMemoryLog", "false");
    return cmd;
}

// One linked run; returns seconds from start until its end reached the GUI thread, or -1.
double runOnce(const QVariant& info, EDeviceType type, bool fixedSleeps, int* stepsSeen)
{
    auto* job = new RomCmd::LinkedDownloadTask(info, type, "bench", { otpRead(0) }, "read", true, true);
    ::RomCmd::LinkedDownloadTaskTestAccess::setFixedSleepPolling(job, fixedSleeps);
    QObject gui; // the receiving side, on this thread: every delivery is queued
    QEventLoop loop;
    bool ok = false;
    *stepsSeen = 0;
    QObject::connect(job, &RomCmd::LinkedDownloadTask::signalLinkedStepFinished, &gui,
        [job, info, stepsSeen](QString, int step, bool result) {
            ++*stepsSeen;
            if (result && step + 1 < Steps) {
                job->isDisableOTPQuery = true;
                job->addCmds({ otpRead(4 * (step + 1)) }, info, "read");
            } else {
                job->endSend({});
            }
        });
    QObject::connect(job, &RomCmd::DownloadCmd::signalRunFinished, &gui, [&](bool result) {
        ok = result;
        loop.quit();
    });
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    QElapsedTimer clock;
    clock.start();
    QThreadPool::globalInstance()->start(job);
    loop.exec();
    const double seconds = clock.nsecsElapsed() / 1e9;
    QThreadPool::globalInstance()->waitForDone();
    return ok && *stepsSeen == Steps ? seconds : -1;
}

void report(const char* transport, const QVariant& info, EDeviceType type)
{
    int steps = 0;
    double woken[5];
    for (double& s : woken)
        s = runOnce(info, type, false, &steps);
    std::sort(std::begin(woken), std::end(woken));
    const double fixed = runOnce(info, type, true, &steps);
    std::printf("%-14s %d steps: woken by addCmds %.3f s (median of 5, best %.3f s) | fixed 100 ms sleeps %.3f s\n",
        transport, Steps, woken[2], woken[0], fixed);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    registerMetaTypes();
    RomCmd::registerRomMetaTypes();
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});

    {
        PtyLink link;
        RomSim::Engine engine;
        RomSim::UartServer server(link, engine);
        SerialPortInfo port;
        port.portName = link.toolPath();
        report("UART (pty)", QVariant::fromValue(port), EDeviceTypeUart);
        server.stop();
    }
    {
        auto device = std::make_shared<RomSim::HidDevice>();
        FakeHid::Identity identity;
        identity.path = "bench-rom-hid";
        identity.vendorId = 0x34B7;
        identity.productId = 0x0009;
        FakeHid::addDevice(device, identity);
        UsbInfo usb;
        usb.devicePath = identity.path;
        report("USB-HID (fake)", QVariant::fromValue(usb), EDeviceTypeUsbHid);
        FakeHid::removeDevice(identity.path);
    }
    return 0;
}
