// A whole OTP read through the orchestrator's linked run against the ROM
// simulator behind the fake hidapi: word 0 locks the secret words 12..15, which
// the device refuses to read; the tab never asks for them and shows "--".
#include "fakehid.h"
#include "hiddevice.h"
#include "otptab.h"
#include "otptestenv.h"
#include "poolwait.h"
#include "romsim.h"
#include "romuimode.h"
#include "scriptedhotplugsource.h"

#include <QSignalSpy>
#include <QTableWidget>
#include <QtTest>

using DevelopViews::OTPTab;
using RomCmd::RomUiMode;

static const QString RomPath = QStringLiteral("sim-rom-hid-otp");

class TestOtpReadSim : public QObject
{
    Q_OBJECT

private slots:
    void readThroughTheOrchestrator()
    {
        OtpTest::AppDir app;
        QThreadPool::globalInstance()->setExpiryTimeout(0);
        auto device = std::make_shared<RomSim::HidDevice>();
        RomSim::Engine& rom = device->engine();
        for (int i = 1; i < RomSim::OtpWords; ++i)
            rom.setOtpWord(i, 0xC0DE0000u + quint32(i));
        rom.setOtpWord(0, 0x00000008);
        rom.setOtpReadDisallowed(12, 4);
        FakeHid::Identity id;
        id.path = RomPath;
        id.vendorId = 0x34B7;
        id.productId = 0x0009;
        FakeHid::addDevice(device, id);
        UsbInfo usb;
        usb.devicePath = RomPath;
        const QVariant info = QVariant::fromValue(usb);

        auto* ui = new RomUiMode(std::make_unique<ScriptedHotplugSource>());
        OTPTab tab;
        QObject::connect(&tab, &OTPTab::signalLinkedCommandsRun, ui,
            [ui, info](QString uuid, QList<DownloadCommand> list, bool noOtpQuery) {
                ui->slotDeviceLinkedDownloadTask(info, EDeviceTypeUsbHid, uuid, list, "otp", true, noOtpQuery);
            });
        QObject::connect(&tab, &OTPTab::signalLinkedCommandsEndSend, ui, &RomUiMode::slotLinkedCommandsEndSend);
        QObject::connect(ui, &RomUiMode::signalLinkedOTPMemoryQueried, &tab, &OTPTab::slotLinkedOTPMemoryQueried);
        QObject::connect(
            ui, &RomUiMode::signalLinkedMemoryDataReadFinished, &tab, &OTPTab::slotLinkedMemoryDataReadFinished);
        QObject::connect(ui, &RomUiMode::signalLinkedStepFinished, &tab, &OTPTab::slotLinkedStepFinished);
        QSignalSpy finished(ui, &RomUiMode::signalRunFinished);

        tab.slotRefreshBtnClicked();
        QVERIFY(PoolWait::waitFor([&] { return finished.count() == 1; }));
        QCOMPARE(finished[0][0].toBool(), true);
        QCOMPARE(tab.readSteps(), 31);
        QVERIFY(!ui->hasLinkedTask(tab.linkedUuid()));

        QTableWidget* t = tab.readTable();
        QCOMPARE(t->item(0, 0)->text(), QStringLiteral("0x00000008"));
        QCOMPARE(t->item(0, 1)->text(), QStringLiteral("0xc0de0001"));
        QCOMPARE(t->item(1, 3)->text(), QStringLiteral("0xc0de000b"));
        for (int c = 4; c < 8; ++c)
            QCOMPARE(t->item(1, c)->text(), QStringLiteral("--"));
        QCOMPARE(t->item(2, 0)->text(), QStringLiteral("0xc0de0010"));
        QCOMPARE(t->item(15, 7)->text(), QStringLiteral("0xc0de007f"));

        QVERIFY(PoolWait::drainPool());
        delete ui;
        FakeHid::removeDevice(RomPath);
    }
};

QTEST_MAIN(TestOtpReadSim)
#include "tst_otpread_sim.moc"
