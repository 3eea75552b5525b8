// A load of the memory view run by the orchestrator against the ROM simulator on
// a pseudo-terminal: the viewer ends up holding exactly the simulator's memory.
#include "hex.h"
#include "hexviewwidget.h"
#include "memorytestenv.h"
#include "romrig.h"
#include "romuimode.h"
#include "scriptedhotplugsource.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QThreadPool>
#include <QtTest>

using RomCmd::RomUiMode;

class TestMemoryReadSim : public QObject
{
    Q_OBJECT

private slots:
    void loadFromTheSimulator_data()
    {
        QTest::addColumn<QString>("memory");
        QTest::addColumn<uint>("memoryId");
        QTest::addColumn<QString>("address");
        QTest::addColumn<int>("length");
        QTest::newRow("XPI0 NOR flash, three pieces") << "XPI0 NOR" << uint(RomSim::MemXpi0) << "0x80000100" << 1300;
        QTest::newRow("OTP from word 0") << "OTP" << uint(RomSim::MemOtp) << "0" << 64;
    }
    void loadFromTheSimulator()
    {
        QFETCH(QString, memory);
        QFETCH(uint, memoryId);
        QFETCH(QString, address);
        QFETCH(int, length);
        MemTest::AppDir app;
        QThreadPool::globalInstance()->setExpiryTimeout(0);
        Rig::UartRig rom;
        rom.engine.setRequireFlashConfig(false);
        const uint32_t at = *Hex::parse32(address);
        rom.engine.poke(RomSim::MemXpi0, RomSim::FlashBase, Rig::pattern(4096, 3));
        for (int i = 0; i < 32; ++i)
            rom.engine.setOtpWord(i, 0xA5000000u + uint32_t(i));
        const QByteArray expected = rom.engine.readBytes(memoryId, at, length);
        QCOMPARE(expected.size(), length);

        auto* ui = new RomUiMode(std::make_unique<ScriptedHotplugSource>());
        MemTest::Tab tab;
        const QVariant info = rom.info();
        QObject::connect(&tab, &DevelopViews::MemoryViewTab::signalCommondsRun, ui,
            [ui, info](QList<DownloadCommand> list) { ui->slotDeviceDownloadTask(info, EDeviceTypeUart, list); });
        QObject::connect(ui, &RomUiMode::signalMemoryDataReadFinished, &tab,
            &DevelopViews::MemoryViewTab::slotMemoryDataReadFinished);
        QSignalSpy finished(ui, &RomUiMode::signalRunFinished);

        tab.choose(memory);
        tab.addressEdit()->setText(address);
        tab.lengthEdit()->setText(QString::number(length));
        tab.loadButton()->click();
        QElapsedTimer t;
        t.start();
        while (finished.isEmpty() && t.elapsed() < 30000)
            QTest::qWait(5);
        QCOMPARE(finished.count(), 1);
        QCOMPARE(finished[0][0].toBool(), true);
        QTRY_VERIFY(!tab.isLoading());
        QCOMPARE(tab.hexView()->hexModel()->bytes(), expected);
        QCOMPARE(tab.hexView()->hexModel()->rowCount(), (length + 15) / 16);

        QTRY_COMPARE(QThreadPool::globalInstance()->activeThreadCount(), 0);
        QCoreApplication::processEvents();
        delete ui;
    }
};

QTEST_MAIN(TestMemoryReadSim)
#include "tst_memoryread_sim.moc"
