// The ROM workbench as a user meets it: its parts in English and Chinese, USB
// ROM devices coming and going, and connection tests from the device panel
// against the ROM simulator on a pseudo-terminal.
#include "commandtreewidget.h"
#include "globalsetting.h"
#include "hexviewwidget.h"
#include "ids.h"
#include "loadingwidget.h"
#include "logdock.h"
#include "memoryviewtab.h"
#include "orchestratortestenv.h"
#include "otptab.h"
#include "plaintextbrowser.h"
#include "romcentralwidget.h"
#include "romdevicepanel.h"
#include "romrig.h"
#include "romworkbenchwindow.h"
#include "testfiles.h"
#include "tiptabwidget.h"

#include "constants.h"
#include "projectconfig.h"
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTreeWidgetItem>
#include <QAbstractButton>
#include <QtTest>

using namespace DevelopViews;
using namespace OrchTest;

namespace {

const QString ReportHead = QStringLiteral("Device report: UART %1 115200");

// Answers the closing question by script.
class ScriptedWindow : public RomWorkbenchWindow
{
public:
    using RomWorkbenchWindow::RomWorkbenchWindow;
    int answer = 1;
    int asked = 0;

protected:
    int askAboutOtpWords() override
    {
        ++asked;
        return answer;
    }
};

struct Bench
{
    ScriptedHotplugSource* source = nullptr;
    std::unique_ptr<ScriptedWindow> window;

    Bench()
    {
        auto s = std::make_unique<ScriptedHotplugSource>();
        source = s.get();
        window = std::make_unique<ScriptedWindow>(std::move(s));
    }
    ~Bench()
    {
        drainPool();
        window.reset();
    }
    RomDevicePanel* panel() const { return window->devicePanel(); }
    bool logged(const QString& text) const
    {
        window->logDock()->browser()->flushPending();
        const QStringList lines = window->logDock()->browser()->toPlainText().split(QLatin1Char('\n'));
        return std::any_of(lines.begin(), lines.end(), [&](const QString& l) { return l.endsWith(text); });
    }
    // Adds the port by name as a user would, selects it and presses Connect.
    void connectPort(const QString& port)
    {
        panel()->portEdit()->setText(port);
        QTest::keyClick(panel()->portEdit(), Qt::Key_Return);
        panel()->connectButton()->click();
    }
};

} // namespace

class TestWorkbench : public QObject
{
    Q_OBJECT

    std::unique_ptr<AppDir> m_app;

private slots:
    void init()
    {
        m_app = std::make_unique<AppDir>();
        // The SoC of the rig with its flash in the memory view.
        const QString xml = m_app->path() + QStringLiteral("/flash.xml");
        QVERIFY(writeFile(xml,
            "<?xml version=\"1.0\" encoding=\"utf-8\"?><configuration><socs>"
            "<soc name=\"A/B\" vid=\"0x34B7\" pid=\"0x0009\" minSocRevision=\"0.1.0\"><memoryView>"
            "<memory name=\"XPI0 NOR\" value=\"0x10000\" /><memory name=\"OTP\" value=\"0x20000\" />"
            "</memoryView></soc></socs></configuration>"));
        SocDatabase::instance().loadFrom(xml, m_app->path() + QStringLiteral("/no_exclude_list"));
        ProjectConfig::instance().setSocType(QStringLiteral("A/B"));
        GlobalSetting::instance().setLanguage(1);
    }
    void cleanup()
    {
        QVERIFY(drainPool());
        m_app.reset();
    }

    // Started in each language, then switched to the other from the menu: the window is
    // renamed and keeps its tabs; it fits a 1280 x 720 screen in both.
    void partsInBothLanguages()
    {
        const QStringList titles { "Veltrix Krel ROM 工作台", "Veltrix Krel ROM Workbench" }; // by language
        const QStringList connects { "连接", "Connect" }, settings { "全局设置……", "Global Settings..." };
        const QStringList commands { "命令", "Commands" }, readView { "读取视图", "Read View" };
        for (int language : { 1, 0 }) {
            GlobalSetting::instance().setLanguage(language);
            Bench bench;
            RomWorkbenchWindow* w = bench.window.get();
            QCOMPARE(w->windowTitle(), titles[language]);
            QVERIFY2(w->minimumSizeHint().width() <= 1280, qPrintable(QString::number(w->minimumSizeHint().width())));
            QCOMPARE(bench.panel()->connectButton()->text(), connects[language]);
            QCOMPARE(w->globalSettingsAction()->text(), settings[language]);
            QCOMPARE(w->centralView()->tabWidget()->count(), 3);
            QCOMPARE(w->centralView()->tabWidget()->widget(0), w->centralView()->otpTab());
            QCOMPARE(w->centralView()->tabWidget()->widget(1), w->centralView()->memoryTab());
            QCOMPARE(w->centralView()->tabWidget()->widget(2), w->centralView()->commandTree());
            QCOMPARE(bench.panel()->socCombo()->currentText(), QStringLiteral("A/B"));
            const auto otpHas = [&](const QString& text) {
                const auto buttons = w->centralView()->otpTab()->findChildren<QAbstractButton*>();
                return std::any_of(buttons.begin(), buttons.end(), [&](QAbstractButton* b) { return b->text() == text; });
            };
            QVERIFY(otpHas(readView[language]));
            (language == 1 ? w->chineseAction() : w->englishAction())->trigger();
            QCoreApplication::processEvents();
            QCOMPARE(w->windowTitle(), titles[1 - language]);
            QCOMPARE(w->centralView()->tabWidget()->tabText(0), QStringLiteral("OTP"));
            QCOMPARE(w->centralView()->tabWidget()->tabText(2), commands[1 - language]);
            QVERIFY(otpHas(readView[1 - language]));
        }
    }

    void closeAsksAboutOtpWords_data()
    {
        QTest::addColumn<bool>("wordsLeft");
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("asked");
        QTest::addColumn<bool>("closed");
        QTest::newRow("no words") << false << 0 << 0 << true;
        QTest::newRow("words, quit") << true << 1 << 1 << true;
        QTest::newRow("words, show them") << true << 0 << 1 << false;
    }
    void closeAsksAboutOtpWords()
    {
        QFETCH(bool, wordsLeft);
        QFETCH(bool, closed);
        ProjectConfig::instance().setShowOtpWriteViewTips(wordsLeft);
        Bench bench;
        QFETCH(int, answer);
        bench.window->answer = answer;
        bench.window->show();
        QTEST(bench.window->close(), "closed");
        QTEST(bench.window->asked, "asked");
        OTPTab* otp = bench.window->centralView()->otpTab();
        QCOMPARE(otp->writeRadio()->isChecked(), !closed);
    }

    void stopOnlyWhileRunning()
    {
        for (bool running : { true, false }) {
            Bench bench;
            QSignalSpy terminate(bench.window->romUiMode(), &RomCmd::RomUiMode::signalTerminate);
            if (running)
                bench.window->slotCmdRunStarted(false);
            bench.window->stopAction()->trigger();
            QCOMPARE(terminate.count(), int(running));
            QCOMPARE(bench.logged(QStringLiteral("Stop requested!")), running);
        }
    }

    // Which devices are ROMs is the rules' test; here a listed one comes and goes.
    void usbRomComesAndGoes()
    {
        Bench bench;
        HidFacts facts;
        facts.instanceId = QStringLiteral("HID\\VID_34B7&PID_0009\\1-2:1.0");
        facts.vendorId = 0x34B7;
        facts.productId = 0x0009;
        QVERIFY(!bench.panel()->connectButton()->isEnabled());
        bench.source->plug(QStringLiteral("/dev/hidraw5"), facts);
        QListWidget* list = bench.panel()->usbList();
        QCOMPARE(list->count(), 1);
        QVERIFY(list->item(0)->text().startsWith(QStringLiteral("34B7:0009")));
        QVERIFY(bench.panel()->connectButton()->isEnabled());
        bench.source->unplug(QStringLiteral("/dev/hidraw5"));
        QCOMPARE(list->count(), 0);
    }

    void connectionTestOnPty_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<bool>("firmwareFile");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("reportVersion");
        QTest::newRow("plain ROM gets the firmware") << "V1.0.0" << true << "Connected (bootloader firmware)"
                                                     << "F2.0.0 (bootloader firmware)";
        QTest::newRow("plain ROM, no firmware") << "V1.0.0" << false << "Connected (ROM)"
                                                << "V1.0.0 (plain ROM)";
        QTest::newRow("not a ROM") << "X1.0.0" << false << "Connection failed"
                                   << "X1.0.0 (not a ROM version)";
    }
    void connectionTestOnPty()
    {
        QFETCH(QString, version);
        QFETCH(bool, firmwareFile);
        QFETCH(QString, status);
        QFETCH(QString, reportVersion);
        QByteArray firmware;
        if (firmwareFile)
            firmware = m_app->addFirmware(QStringLiteral("a_b_blfw_unsigned.bin"), 0x41);
        Rig::UartRig rom;
        rom.engine.setRomVersion(version);
        rom.engine.setExpectedImageLength(uint32_t(firmware.size()));
        rom.engine.setVersionAfterImageLoad(QStringLiteral("F2.0.0"));
        Bench bench;
        // The restarted device comes back under the name typed in (the system does not list it).
        const QString port = rom.id();
        bench.window->romUiMode()->setRestartIntervals(20, 3600000);
        QSignalSpy finished(bench.window->romUiMode(), &RomCmd::RomUiMode::signalDeviceConnectTestFinished);

        bench.connectPort(port);
        QVERIFY(!bench.panel()->connectButton()->isEnabled());
        QVERIFY(waitFor([&] { return finished.count() == 1; }));

        const bool usable = status != QLatin1String("Connection failed");
        QCOMPARE(bench.panel()->statusLabel()->text(), status + QStringLiteral("\n") + ReportHead.arg(port).mid(15));
        QVERIFY(bench.logged(ReportHead.arg(port)));
        QVERIFY(bench.logged(QStringLiteral("  ROM version: ") + reportVersion));
        QVERIFY(bench.logged(QStringLiteral("  Result: ") + status));
        QCOMPARE(rom.engine.loadedImage(), version.startsWith('V') ? firmware : QByteArray());
        QCOMPARE(bench.window->centralView()->hasRunDevice(), usable);
        QCOMPARE(bench.panel()->disconnectButton()->isEnabled(), usable);
        // The overlay goes once the test's last job has ended.
        QVERIFY(drainPool());
        QVERIFY(bench.window->loadingWidget()->isHidden());
        const QString runEnd = QStringLiteral("Commands run finish! Result: ");
        QVERIFY(waitFor([&] { return bench.logged(runEnd + (usable ? "success!" : "failed!")); }));
        QVERIFY(!bench.logged(runEnd + (usable ? "failed!" : "success!")));

        // Disconnect: the tabs' runs are refused with a word to the user.
        bench.panel()->disconnectButton()->click();
        QVERIFY(!bench.window->centralView()->hasRunDevice());
        QSignalSpy single(bench.window->centralView(), &CentralWidget::signalDeviceDownloadTask);
        QSignalSpy linkedStep(bench.window->centralView(), &CentralWidget::signalLinkedStepFinished);
        bench.window->centralView()->slotCommandsRun({ DownloadCommand() });
        bench.window->centralView()->slotLinkedCommandsRun(QStringLiteral("u1"), { DownloadCommand() }, true);
        QCOMPARE(single.count(), 0);
        QCOMPARE(linkedStep.count(), 1);
        QCOMPARE(linkedStep.at(0).at(2).toBool(), false);
        QVERIFY(
            bench.logged(QStringLiteral("No device is connected: choose one in the device panel and press Connect.")));
    }

    // One connected ROM: a memory read fills the viewer, then a stage run of three commands from the tree.
    void readMemoryThenStageRun()
    {
        Rig::UartRig rom;
        rom.engine.setRomVersion(QStringLiteral("F1.2.0"));
        rom.engine.setRequireFlashConfig(false);
        rom.engine.poke(RomSim::MemXpi0, RomSim::FlashBase, Rig::pattern(2000, 9));
        const auto command = [](int nameId, const QMap<QString, QString>& params) {
            DownloadCommand cmd;
            cmd.id = Ids::newId();
            cmd.nameId = nameId;
            cmd.params = params;
            return cmd;
        };
        const QMap<QString, QString> flash { { "memoryId", "0x10000" }, { "address", "0x80000000" } };
        QMap<QString, QString> erase = flash, write = flash, read = flash;
        erase.insert("length", "4096");
        write.insert("word", "0x12345678,0x9abcdef0");
        read.insert("length", "8");
        QVERIFY(ProjectConfig::instance().setStageCommands(
            { command(7, erase), command(4, write), command(5, read) }, EStageOpen, false));
        Bench bench;
        CommandTreeWidget* tree = bench.window->centralView()->commandTree();
        tree->slotReload();
        QCOMPARE(tree->stageItem(EStageOpen)->childCount(), 3);
        QPushButton* byStage = tree->buttons().at(4);
        QVERIFY(!byStage->isEnabled()); // no device yet
        QSignalSpy tested(bench.window->romUiMode(), &RomCmd::RomUiMode::signalDeviceConnectTestFinished);
        bench.connectPort(rom.id());
        QVERIFY(waitFor([&] { return tested.count() == 1; }) && drainPool());
        QVERIFY(byStage->isEnabled());

        MemoryViewTab* tab = bench.window->centralView()->memoryTab();
        tab->memoryChooser()->setCurrentIndex(tab->memoryChooser()->findText(QStringLiteral("XPI0 NOR")));
        tab->addressEdit()->setText(QStringLiteral("0x80000010"));
        tab->lengthEdit()->setText(QStringLiteral("1300"));
        QSignalSpy finished(bench.window->romUiMode(), &RomCmd::RomUiMode::signalRunFinished);
        tab->loadButton()->click();
        QVERIFY(waitFor([&] { return finished.count() == 1 && !tab->isLoading(); }));
        QCOMPARE(finished.at(0).at(0).toBool(), true);
        QCOMPARE(tab->hexView()->hexModel()->bytes(), Rig::pattern(2000, 9).mid(0x10, 1300));
        QVERIFY(drainPool());
        QVERIFY(bench.window->loadingWidget()->isHidden());

        QSignalSpy progress(bench.window->romUiMode(), &RomCmd::RomUiMode::callbackDownloadTaskUpdate);
        byStage->click();
        QVERIFY(waitFor([&] { return finished.count() == 2; }));
        QCOMPARE(finished.at(1).at(0).toBool(), true);
        QCOMPARE(rom.engine.readBytes(RomSim::MemXpi0, RomSim::FlashBase, 12),
            QByteArray::fromHex("78563412f0debc9aFFFFFFFF"));
        const DownloadTaskInfo last = progress.last().at(1).value<DownloadTaskInfo>();
        QCOMPARE(last.cmdCount, 3);
        QCOMPARE(last.status, int(Constants::StatusRunSuccess));
        QVERIFY(drainPool());
        QVERIFY(byStage->isEnabled());
    }
};

QTEST_MAIN(TestWorkbench)
#include "tst_workbench.moc"
