// The OTP tab as a user meets it: the read view driven through its slots as the
// orchestrator would, the write view's table, runs, write order, synchronising,
// the file imports and exports, and the questions it asks.
#include "krelcipher.h"
#include "otpfiles.h"
#include "otptab.h"
#include "otptestenv.h"
#include "otpwordsdlg.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTableWidget>
#include <QtTest>

using DevelopViews::OTPTab;
using DevelopViews::OTPWordsDlg;
using namespace OtpTest;

namespace {

struct Asked
{
    QString title;
    QString text;
    QStringList buttons;
};

class Tab : public OTPTab
{
public:
    QList<int> answers; // button index per question, in order; -1 closes the box
    QList<Asked> asked;
    QStringList files; // names the file dialogs return, in order
    QStringList folders;
    std::function<void(OTPWordsDlg&)> onDialog;
    QList<QPair<QString, int>> logs;

    Tab()
    {
        connect(this, &OTPTab::signalAddLogs, this, [this](const QString& t, LogLevel l) {
            logs.append({ t, int(l) });
        });
    }

protected:
    int ask(QMessageBox::Icon, const QString& title, const QString& text, const QStringList& buttons, int) override
    {
        asked.append({ title, text, buttons });
        return answers.isEmpty() ? -1 : answers.takeFirst();
    }
    QString saveFileName(const QString&, const QString&) override
    {
        return files.isEmpty() ? QString() : files.takeFirst();
    }
    QString openFileName(const QString&, const QString&) override
    {
        return files.isEmpty() ? QString() : files.takeFirst();
    }
    void runWordsDialog(OTPWordsDlg& dlg) override
    {
        if (onDialog)
            onDialog(dlg);
    }
    void openFolder(const QString& folder) override { folders.append(folder); }
};

QVector<uint8_t> chunk(quint32 first)
{
    QVector<uint8_t> out;
    for (quint32 w = first; w < first + 4; ++w) {
        const quint32 v = w == 0 ? 0x00000008 : 0xA0000000 + w; // word 0 locks words 12..15
        for (int b = 0; b < 4; ++b)
            out.append(uint8_t(v >> (8 * b)));
    }
    return out;
}

QString address(const QList<DownloadCommand>& cmds, int i)
{
    return cmds.at(i).params.value("address");
}

QStringList writeOrder(const QList<DownloadCommand>& cmds)
{
    QStringList out;
    for (const DownloadCommand& c : cmds)
        out << c.params.value("address").right(2) + "=" + c.params.value("word").right(1);
    return out;
}

} // namespace

class TestOtpTab : public QObject
{
    Q_OBJECT

    std::unique_ptr<AppDir> m_app;

private slots:
    void init() { m_app = std::make_unique<AppDir>(); }
    void cleanup() { m_app.reset(); }

    void readSkipsLockedSecretGroupsAndEndsAfterTheLastStep()
    {
        Tab tab;
        QSignalSpy runs(&tab, &OTPTab::signalLinkedCommandsRun);
        QSignalSpy ends(&tab, &OTPTab::signalLinkedCommandsEndSend);
        tab.slotRefreshBtnClicked();
        QCOMPARE(runs.count(), 1);
        const QString uuid = runs[0][0].toString();
        QVERIFY(!uuid.contains('{'));
        QCOMPARE(runs[0][2].toBool(), true);
        auto cmds = runs[0][1].value<QList<DownloadCommand>>();
        QCOMPARE(cmds.size(), 1);
        QCOMPARE(cmds[0].nameId, 1);
        QCOMPARE(cmds[0].params.value("memory"), QStringLiteral("0x20000"));

        tab.slotLinkedOTPMemoryQueried("other run", 0, 127, 4, 128);
        QCOMPARE(runs.count(), 1);
        tab.slotLinkedOTPMemoryQueried(uuid, 0, 127, 4, 128);
        QStringList reads;
        int step = 0;
        while (runs.count() > reads.size() + 1) {
            cmds = runs.last()[1].value<QList<DownloadCommand>>();
            reads << address(cmds, 0);
            const quint32 at = address(cmds, 0).toUInt(nullptr, 16);
            tab.slotLinkedMemoryDataReadFinished(uuid, at, chunk(at));
            tab.slotLinkedStepFinished(uuid, ++step, true);
        }
        QVERIFY(!reads.contains("0x0000000c"));
        QCOMPARE(tab.readSteps(), 31);
        QCOMPARE(ends.count(), 1);
        QCOMPARE(ends[0][0].toString(), uuid);
        tab.slotLinkedStepFinished(uuid, 31, true);
        QCOMPARE(ends.count(), 1);

        QTableWidget* t = tab.readTable();
        QCOMPARE(t->columnCount(), 8);
        QCOMPARE(t->rowCount(), 16);
        QCOMPARE(t->verticalHeaderItem(1)->text(), QStringLiteral("8:15"));
        QCOMPARE(t->item(1, 4)->text(), QStringLiteral("--")); // word 12
        QVERIFY(tab.logs.contains({ "OTP first word[0-31]: 0001 0000 0000 0000 0000 0000 0000 0000 ", 0 }));
        QVERIFY(tab.readTooltip(1).contains(">LIFE_CYCLE<"));

        tab.readColumnChooser()->setCurrentIndex(15);
        QCOMPARE(t->rowCount(), 8);
        QCOMPARE(t->verticalHeaderItem(7)->text(), QStringLiteral("112:127"));
    }

    void readThatStops_data()
    {
        QTest::addColumn<quint32>("end");
        QTest::addColumn<int>("bytes");
        QTest::addColumn<QString>("error");
        QTest::addColumn<int>("lastStep");
        QTest::newRow("region short") << 126u << 16 << "MemorySize is not match with the address!" << 0;
        QTest::newRow("12-byte chunk") << 127u << 12 << "The length of obtained data is not match with the word length!"
                                       << 1;
    }
    void readThatStops()
    {
        QFETCH(quint32, end);
        QFETCH(int, bytes);
        QFETCH(QString, error);
        QFETCH(int, lastStep);
        Tab tab;
        QSignalSpy runs(&tab, &OTPTab::signalLinkedCommandsRun);
        QSignalSpy ends(&tab, &OTPTab::signalLinkedCommandsEndSend);
        tab.slotRefreshBtnClicked();
        const QString uuid = tab.linkedUuid();
        tab.slotLinkedOTPMemoryQueried(uuid, 0, end, 4, 128);
        if (runs.count() == 2)
            tab.slotLinkedMemoryDataReadFinished(uuid, 0, chunk(0).mid(0, bytes));
        QCOMPARE(runs.count(), 1 + lastStep);
        QVERIFY(tab.logs.contains({ error, 3 }));
        tab.slotLinkedStepFinished(uuid, lastStep, false);
        QCOMPARE(ends.count(), 1);
        if (lastStep)
            QCOMPARE(tab.readTable()->item(0, 0)->text(), QStringLiteral("--"));
    }

    void writeViewTableAndOrder()
    {
        Tab tab;
        QSignalSpy dots(&tab, &OTPTab::signalShowTabsDotTips);
        tab.slotOTPWordsAdd(0, { 0x8 });
        tab.slotOTPWordsAdd(16, { 0xA, 0xB });
        tab.slotOTPWordsAdd(4, QVector<uint32_t>(10, 0xC));
        QCOMPARE(ProjectConfig::instance().otpWords(), tab.writeWords());
        QVERIFY(ProjectConfig::instance().showOtpWriteViewTips());
        QVERIFY(!tab.marker()->isHidden());
        QCOMPARE(dots.last()[0].toBool(), true);

        QTableWidget* t = tab.writeTable();
        QCOMPARE(t->rowCount(), 4); // 4..13 takes two rows
        QCOMPARE(t->item(0, 0)->text(), QStringLiteral("4:13"));
        QCOMPARE(t->rowSpan(0, 0), 2);
        QCOMPARE(t->item(2, 0)->text(), QStringLiteral("16:17"));
        QCOMPARE(t->item(3, 0)->text(), QStringLiteral("0:0"));
        QCOMPARE(t->item(1, 2)->text(), QStringLiteral("0x0000000c"));
        QVERIFY(!(t->item(2, 1)->flags() & Qt::ItemIsSelectable));

        QSignalSpy run(&tab, &OTPTab::signalCommondsRun);
        tab.answers = { 1 }; // No
        tab.slotWriteBtnClicked();
        QCOMPARE(run.count(), 0);
        tab.answers = { 0 };
        tab.slotWriteBtnClicked();
        QCOMPARE(tab.asked.last().text, QStringLiteral("Do you really want to write the OTP words in the list? "));
        const auto cmds = run[0][0].value<QList<DownloadCommand>>();
        QCOMPARE(cmds.size(), 13);
        QCOMPARE(writeOrder(cmds).mid(9), QStringList({ "0d=c", "10=a", "11=b", "00=8" }));
        QVERIFY(!ProjectConfig::instance().showOtpWriteViewTips());
        QVERIFY(tab.marker()->isHidden());
        QCOMPARE(dots.last()[0].toBool(), false);

        // The run of two rows goes; its span must not cover the next run's head.
        tab.slotOTPWordsAdd(4, { 0 });
        QCOMPARE(t->rowCount(), 2);
        QCOMPARE(t->rowSpan(0, 0), 1);
        QCOMPARE(t->item(1, 0)->text(), QStringLiteral("0:0"));
    }

    void runsAreEditedAndDeleted()
    {
        Tab tab;
        tab.slotOTPWordsAdd(20, { 1, 2 });
        tab.slotOTPWordsAdd(30, { 3 });
        tab.slotOTPWordsAdd(30, { 0 }); // deletion request
        QCOMPARE(tab.writeWords().keys(), QList<quint32>({ 20 }));

        QString prefilled;
        tab.onDialog = [&](OTPWordsDlg& dlg) {
            prefilled = dlg.startEdit()->text() + "|" + dlg.countEdit()->text() + "|" + dlg.wordsEdit()->toPlainText();
            QCOMPARE(dlg.tabs()->currentIndex(), 1);
            QVERIFY(!dlg.startEdit()->isEnabled()); // an edit keeps its start
            dlg.wordsEdit()->setPlainText("0x00000005,0x00000006");
            dlg.slotOkBtnClicked();
        };
        tab.answers = { 0 }; // Edit
        tab.slotWriteTableItemClicked(tab.writeTable()->item(0, 0));
        QCOMPARE(tab.asked[0].title, QStringLiteral("Delete Tip"));
        QCOMPARE(tab.asked[0].text,
            QStringLiteral("Do you want to edit the OTP words or delete them derectly which started at 20"));
        QCOMPARE(prefilled, QStringLiteral("20|2|0x00000001,0x00000002"));
        QCOMPARE(tab.writeWords().value(20), QVector<quint32>({ 5, 6 }));

        tab.slotWriteTableItemClicked(tab.writeTable()->item(0, 1)); // word cells do not react
        QCOMPARE(tab.asked.size(), 1);
        tab.answers = { 1 }; // Delete
        tab.slotWriteTableItemClicked(tab.writeTable()->item(0, 0));
        QVERIFY(tab.writeWords().isEmpty());
        QVERIFY(ProjectConfig::instance().otpWords().isEmpty());
        QVERIFY(!ProjectConfig::instance().showOtpWriteViewTips());
        QCOMPARE(tab.writeTable()->rowCount(), 0);
    }

    void removeAll()
    {
        Tab tab;
        tab.slotOTPWordsAdd(20, { 1 });
        tab.answers = { 1 };
        tab.slotRemoveAllWordBtnClicked();
        QCOMPARE(tab.asked[0].text, QStringLiteral("Do you really want to remove all of the OTP words?"));
        QCOMPARE(tab.writeWords().size(), 1);
        tab.answers = { 0 };
        tab.slotRemoveAllWordBtnClicked();
        QVERIFY(tab.writeWords().isEmpty());
        QVERIFY(ProjectConfig::instance().otpWords().isEmpty());
        QVERIFY(!ProjectConfig::instance().showOtpWriteViewTips());
    }

    void synchronise_data()
    {
        QTest::addColumn<bool>("stageHasCommands");
        QTest::addColumn<QList<int>>("answers");
        QTest::addColumn<int>("questions");
        QTest::addColumn<int>("closeCommands");
        QTest::newRow("empty stage") << false << QList<int> { 1 } << 1 << 2;
        QTest::newRow("reset") << true << QList<int> { 1, 0 } << 2 << 2;
        QTest::newRow("append") << true << QList<int> { 1, 1 } << 2 << 3;
        QTest::newRow("cancel") << true << QList<int> { 1, 2 } << 2 << 1;
    }
    void synchronise()
    {
        QFETCH(bool, stageHasCommands);
        QFETCH(QList<int>, answers);
        QFETCH(int, questions);
        QFETCH(int, closeCommands);
        if (stageHasCommands) {
            DownloadCommand reset;
            reset.nameId = 8;
            ProjectConfig::instance().setStageCommands({ reset }, EStageClose, false);
        }
        Tab tab;
        tab.slotOTPWordsAdd(0, { 0x8 });
        tab.slotOTPWordsAdd(4, { 0x1 });
        QSignalSpy updated(&tab, &OTPTab::signalBatchProdCmdUpdate);
        tab.answers = answers;
        tab.slotSyncBtnClicked();
        QCOMPARE(tab.asked.size(), questions);
        QCOMPARE(tab.asked[0].buttons, QStringList({ "Open Stage", "Close Stage", "Cancel" }));
        const QList<DownloadCommand> close = ProjectConfig::instance().closeCommands();
        QCOMPARE(close.size(), closeCommands);
        const bool changed = answers.last() != 2;
        QCOMPARE(updated.count(), changed ? 1 : 0);
        QCOMPARE(ProjectConfig::instance().showOtpWriteViewTips(), !changed);
        if (changed)
            QCOMPARE(close.last().params.value("address"), QStringLiteral("0x00000000"));
    }

    void importIsAllOrNothing_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("lastLog");
        QTest::newRow("csv") << "w.csv" << QByteArray("word,value\n3,0x1\n5,0\n") << true << "w.csv import success!";
        QTest::newRow("csv past the OTP")
            << "w.CSV" << QByteArray("word,value\n3,0x1\n200,0x1\n") << false << "w.CSV import failed!";
        QTest::newRow("info") << "w.info" << OtpFiles::exportInfo({ { 3, { 1 } } }) << true << "w.info import success!";
        QTest::newRow("wrong suffix") << "w.bin" << QByteArray("word,value\n") << false << "Import file format error";
        QTest::newRow("missing file") << "" << QByteArray() << false << "Open file failed! Path: ";
    }
    void importIsAllOrNothing()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(bool, ok);
        QFETCH(QString, lastLog);
        QString path = m_app->filePath(name.isEmpty() ? "none.csv" : name);
        if (!name.isEmpty())
            QVERIFY(OtpFiles::writeFile(path, content));
        Tab tab;
        tab.slotOTPWordsAdd(40, { 7 });
        tab.answers = { 0, 1 }; // continue, Import Directly
        tab.files = QStringList { path };
        tab.slotImportBtnClicked();
        QCOMPARE(tab.asked.size(), 2);
        QCOMPARE(tab.asked[0].title, QStringLiteral("Warn"));
        const QString last = tab.logs.last().first;
        QVERIFY2(last.endsWith(lastLog) || last.startsWith(lastLog), qPrintable(last));
        const OtpWordRuns expected = ok ? OtpWordRuns { { 3, { 1 } } } : OtpWordRuns { { 40, { 7 } } };
        QCOMPARE(tab.writeWords(), expected);
        QCOMPARE(ProjectConfig::instance().otpWords(), expected);
        QCOMPARE(tab.writeTable()->item(0, 0)->text(), ok ? QStringLiteral("3:3") : QStringLiteral("40:40"));
    }

    void templateAndExports()
    {
        Tab tab;
        tab.answers = { 0 }; // Use Template; an empty view asks nothing before
        tab.files = QStringList { m_app->filePath("t.csv") };
        tab.slotImportBtnClicked();
        QCOMPARE(tab.asked.size(), 1);
        QByteArray bytes;
        OtpLogLines logs;
        QVERIFY(OtpFiles::readFile(m_app->filePath("t.csv"), bytes, logs));
        QCOMPARE(bytes, OtpFiles::templateCsv(128));
        QCOMPARE(tab.folders, QStringList({ m_app->path() }));
        QCOMPARE(
            tab.logs.last(), qMakePair(m_app->filePath("t.csv") + " export success! Please continue to edit it!", 1));

        tab.slotExportBtnClicked();
        QCOMPARE(tab.logs.last(), qMakePair(QStringLiteral("OTP words is empty! Please refresh the read view"), 3));

        tab.slotOTPWordsAdd(0, { 0x8 });
        tab.slotOTPWordsAdd(4, { 0x1, 0x2 });
        tab.files = QStringList { m_app->filePath("w.info") };
        tab.slotExportZIndrakeBtnClicked();
        QCOMPARE(tab.logs.last(), qMakePair(QStringLiteral("Export ZINDRAKE data success!"), 1));
        QVERIFY(OtpFiles::readFile(m_app->filePath("w.info"), bytes, logs));
        QCOMPARE(KrelCipher::decipher(bytes), OtpFiles::infoJson(tab.writeWords()));
        tab.files = QStringList { m_app->filePath("no/dir/w.info") };
        tab.slotExportZIndrakeBtnClicked();
        QCOMPARE(tab.logs.last(), qMakePair("Open file failed! path: " + m_app->filePath("no/dir/w.info"), 3));
    }

    void imageHelperMessages()
    {
        Tab tab;
        tab.slotOTPEXIPAdded("16;0x1,0x2");
        tab.slotOTPSRKHashAdded("24;aa");
        tab.slotOTPEXIPEnabled("1,16,3,0");
        tab.slotOTPEXIPLocked("1,16,12");
        tab.slotOTPEXIPLocked("1,16"); // ignored
        // Past the OTP's last word, or wrapping round to the lock word 0: refused.
        tab.slotOTPEXIPAdded("4294967295;0x5,0x6");
        QCOMPARE(tab.logs.last().first,
            QString("OTP words message lies outside the OTP of %1 words: 4294967295;0x5,0x6").arg(tab.otpWordCount()));
        tab.slotOTPEXIPEnabled(QString("1,%1,3,0").arg(tab.otpWordCount()));
        const OtpWordRuns expected { { 0, { 0x70 } }, { 16, { 0x9, 0x2 } }, { 24, { 0xaa } } };
        QCOMPARE(tab.writeWords(), expected);
    }

    void viewsSwitch()
    {
        Tab tab;
        QSignalSpy open(&tab, &OTPTab::signalOpenOTPTabs);
        QSignalSpy runs(&tab, &OTPTab::signalLinkedCommandsRun);
        QVERIFY(tab.writeButtons()[0]->isHidden());
        tab.slotShowOTPWriteView();
        QCOMPARE(open.count(), 1);
        QCOMPARE(tab.pages()->currentIndex(), 1);
        QVERIFY(tab.readButtons()[1]->isHidden());
        QVERIFY(!tab.writeButtons()[3]->isHidden());
        tab.readRadio()->click(); // first use of the read view starts a read
        QCOMPARE(tab.pages()->currentIndex(), 0);
        QCOMPARE(runs.count(), 1);
    }
};

QTEST_MAIN(TestOtpTab)
#include "tst_otptab.moc"
