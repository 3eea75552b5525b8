// The OTP views as a user meets them: the read view through its slots and once end to
// end against the ROM simulator; the write view and its questions; the words dialog.
#include "krelcipher.h"
#include "otpfiles.h"
#include "otptab.h"
#include "otpwordsdlg.h"
#include "poolwait.h"
#include "romrig.h"
#include "romuimode.h"
#include "scriptedhotplugsource.h"
#include "tempappdir.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTableWidget>
#include <QWheelEvent>
#include <QtTest>

using DevelopViews::OTPTab;
using DevelopViews::OTPWordsDlg;
using RomCmd::RomUiMode;

namespace {

// A temporary application directory with a one-SoC catalogue (128 OTP words;
// word 1 with LIFE_CYCLE, JTAG_DISABLE and DEBUG_DISABLE, word 2 with an input
// and a check, words 12..15 SECRET), and an empty project selecting it.
QByteArray catalogue()
{
    QByteArray xml
        = "<?xml version=\"1.0\" encoding=\"utf-8\"?><configuration><socs>"
          "<soc name=\"T1\" vid=\"0x34B7\" pid=\"0x0009\">"
          "<memoryView><memory name=\"ILM\" value=\"0\"/><memory name=\"OTP\" value=\"0x20000\"/></memoryView>"
          "<fuseMap>"
          "<word index=\"0\" type=\"SECURE\" desc=\"LOCK\"><field name=\"OTP_LOCK\" offset=\"0\" width=\"32\" "
          "type=\"none\"/></word>"
          "<word index=\"1\" type=\"SECURE\" desc=\"SECURITY\">"
          "<field name=\"LIFE_CYCLE\" offset=\"0,28\" width=\"4\" desc=\"Life cycle state\" type=\"select\">"
          "<item value=\"0\">CREATE</item><item value=\"3\">RETURN</item><item value=\"17\">BAD</item></field>"
          "<field name=\"JTAG_DISABLE\" offset=\"16\" width=\"1\" desc=\"Disable the JTAG port\" type=\"check\"/>"
          "<field name=\"DEBUG_DISABLE\" offset=\"17\" width=\"1\" desc=\"Disable the debug port\" "
          "type=\"check\"/></word>"
          "<word index=\"2\" type=\"SECURE\" desc=\"SECURITY\">"
          "<field name=\"KEY_REVOKE\" offset=\"4\" width=\"4\" desc=\"Revoked key mask\" default=\"0\" "
          "type=\"input\"/></word>";
    for (int i = 3; i < 128; ++i) {
        const char* type = (i >= 12 && i < 16) ? "SECRET" : (i >= 8 && i < 12) ? "IDENTIFY" : "GENERAL";
        xml += QStringLiteral("<word index=\"%1\" type=\"%2\" desc=\"W\"><field name=\"F%1\" offset=\"0\" "
                              "width=\"32\" type=\"none\"/></word>")
                   .arg(i)
                   .arg(QLatin1String(type))
                   .toLatin1();
    }
    xml += "</fuseMap></soc></socs></configuration>";
    return xml;
}

struct AppDir : TempAppDir
{
    AppDir()
        : TempAppDir(catalogue(), QStringLiteral("T1"))
    {
        ProjectConfig::instance().saveDefault();
    }
};

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
    QString saveFileName(const QString&, const QString&) override { return nextFile(); }
    QString openFileName(const QString&, const QString&) override { return nextFile(); }
    QString nextFile() { return files.isEmpty() ? QString() : files.takeFirst(); }
    void runWordsDialog(OTPWordsDlg& dlg) override
    {
        if (onDialog)
            onDialog(dlg);
    }
    void openFolder(const QString& folder) override { folders.append(folder); }
};

// A message box as the user saw it.
QString box(QMessageBox::Icon icon, const QString& title, const QString& text)
{
    return QStringLiteral("%1|%2|%3").arg(int(icon)).arg(title, text);
}

class Dlg : public OTPWordsDlg
{
public:
    using OTPWordsDlg::OTPWordsDlg;
    QStringList shown;

protected:
    void showMessage(QMessageBox::Icon icon, const QString& title, const QString& text) override
    {
        shown << box(icon, title, text);
    }
};

QCheckBox* checkBox(OTPWordsDlg& dlg, const QString& name, int* row = nullptr, int* column = nullptr)
{
    QTableWidget* t = dlg.templateTable();
    for (int r = 0; r < t->rowCount(); ++r)
        for (int c : { 1, 3 })
            if (auto* box = qobject_cast<QCheckBox*>(t->cellWidget(r, c)); box && box->text() == name) {
                if (row)
                    *row = r;
                if (column)
                    *column = c;
                return box;
            }
    return nullptr;
}

template <typename W> W* editorOf(OTPWordsDlg& dlg, const QString& name)
{
    int r = 0, c = 0;
    if (!checkBox(dlg, name, &r, &c))
        return nullptr;
    QWidget* cell = dlg.templateTable()->cellWidget(r, c + 1);
    if (auto* w = qobject_cast<W*>(cell))
        return w;
    return cell ? cell->findChild<W*>() : nullptr;
}

QList<QPair<quint32, QVector<quint32>>> emitted(const QSignalSpy& spy)
{
    QList<QPair<quint32, QVector<quint32>>> out;
    for (const auto& args : spy)
        out.append({ args[0].value<uint32_t>(), args[1].value<QVector<uint32_t>>() });
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
            tab.slotLinkedMemoryDataReadFinished(uuid, 0, QVector<uint8_t>(bytes, 0xA5));
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
        QCOMPARE(cmds.last().params.value("address"), QStringLiteral("0x00000000")); // the lock word last
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

        // Remove all asks first; No keeps the words.
        tab.slotOTPWordsAdd(20, { 1 });
        tab.answers = { 1 };
        tab.slotRemoveAllWordBtnClicked();
        QCOMPARE(tab.asked.last().text, QStringLiteral("Do you really want to remove all of the OTP words?"));
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
        const QString path = m_app->filePath(name.isEmpty() ? "none.csv" : name);
        if (name.isEmpty())
            lastLog += path;
        else
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
        QCOMPARE(tab.logs.last().second, ok ? 1 : 3);
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
        QCOMPARE(readFile(m_app->filePath("t.csv")), OtpFiles::templateCsv(128));
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
        QCOMPARE(KrelCipher::decipher(readFile(m_app->filePath("w.info"))), OtpFiles::infoJson(tab.writeWords()));
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

    // The Template table from the fuse map. Checking a dangerous field warns and enables
    // its editor; the wheel leaves a combo alone; a refused Template page stays open and
    // emits nothing; unchecked fields are not written.
    void templatePage()
    {
        Dlg dlg;
        QSignalSpy spy(&dlg, &OTPWordsDlg::signalOTPWordsAdd);
        QCOMPARE(dlg.tabs()->currentIndex(), 0);
        QTableWidget* t = dlg.templateTable();
        // Word 1: three fields in two rows; word 2: one; words with only "none" fields are left out.
        QCOMPARE(t->rowCount(), 3);
        QCOMPARE(t->item(0, 0)->text(), QStringLiteral("1"));
        QCOMPARE(t->rowSpan(0, 0), 2);
        QCOMPARE(t->item(2, 0)->text(), QStringLiteral("2"));
        int r = 0, c = 0;
        QCheckBox* life = checkBox(dlg, "LIFE_CYCLE", &r, &c);
        QVERIFY(life);
        QCOMPARE(r * 10 + c, 1);
        QCOMPARE(life->toolTip(), QStringLiteral("Life cycle state"));
        auto* combo = editorOf<QComboBox>(dlg, "LIFE_CYCLE");
        QCOMPARE(combo->count(), 3);
        QCOMPARE(combo->itemText(2), QStringLiteral("RETURN")); // "17" sorts before "3"
        QVERIFY(!combo->isEnabled());
        QVERIFY(checkBox(dlg, "DEBUG_DISABLE", &r, &c));
        QCOMPARE(r * 10 + c, 11);
        checkBox(dlg, "JTAG_DISABLE", &r, &c);
        QCOMPARE(t->item(r, c + 1)->text(), QStringLiteral("Disable the JTAG port"));
        auto* edit = editorOf<QLineEdit>(dlg, "KEY_REVOKE");
        QCOMPARE(edit->text(), QStringLiteral("0"));
        QVERIFY(!edit->isEnabled());
        life->setChecked(true);
        QCOMPARE(dlg.shown,
            QStringList { box(QMessageBox::Warning, "Warning",
                "Change 'LIFE_CYCLE' is dangerous. You should write it only in volume production stage!") });
        QVERIFY(combo->isEnabled());
        life->setChecked(false);
        QVERIFY(!combo->isEnabled());
        checkBox(dlg, "KEY_REVOKE")->setChecked(true);
        QCOMPARE(dlg.shown.size(), 1);
        QVERIFY(editorOf<QLineEdit>(dlg, "KEY_REVOKE")->isEnabled());

        life->setChecked(true);
        // The wheel over a combo in the table changes nothing.
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QCOMPARE(combo->currentIndex(), 0);
        QWheelEvent wheel(QPointF(5, 5), combo->mapToGlobal(QPoint(5, 5)), QPoint(), QPoint(0, -120), Qt::NoButton,
            Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(combo, &wheel);
        QCOMPARE(combo->currentIndex(), 0);
        combo->setCurrentIndex(combo->findText("RETURN"));
        editorOf<QLineEdit>(dlg, "KEY_REVOKE")->setText("16");
        dlg.shown.clear();
        dlg.slotOkBtnClicked();
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QCOMPARE(spy.count(), 0);
        QCOMPARE(dlg.shown,
            QStringList { box(QMessageBox::Warning, "Error",
                "Input value greater than the threshold! key: KEY_REVOKE bit width: 4") });
        checkBox(dlg, "KEY_REVOKE")->setChecked(false);
        dlg.slotOkBtnClicked();
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(emitted(spy), (QList<QPair<quint32, QVector<quint32>>> { { 1, { 0x30000003 } } }));
    }

    void customPage()
    {
        ProjectConfig::instance().setOtpWords({ { 20, { 1, 2, 3, 4 } } });
        Dlg dlg;
        QSignalSpy spy(&dlg, &OTPWordsDlg::signalOTPWordsAdd);
        dlg.tabs()->setCurrentIndex(1);
        QCOMPARE(dlg.startEdit()->placeholderText(), QStringLiteral("Decimal or hexadecimal number"));
        dlg.startEdit()->setText("22");
        dlg.countEdit()->setText("1");
        dlg.wordsEdit()->setPlainText("0x00000001");
        dlg.slotOkBtnClicked();
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QCOMPARE(dlg.shown,
            QStringList { box(QMessageBox::Critical, "Error", "The range is duplicated with start address: 20") });
        QCOMPARE(dlg.startEdit()->text(), QStringLiteral("22")); // input untouched
        dlg.startEdit()->setText("0x10");
        dlg.countEdit()->setText("2");
        dlg.wordsEdit()->setPlainText("0x00000001,0x00000002");
        dlg.slotOkBtnClicked();
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(emitted(spy), (QList<QPair<quint32, QVector<quint32>>> { { 16, { 1, 2 } } }));
    }

    // The read end to end: word 0 locks the secret words 12..15, which the device
    // refuses to read; the tab never asks for them and shows "--".
    void readThroughTheOrchestrator()
    {
        QThreadPool::globalInstance()->setExpiryTimeout(0);
        Rig::HidRig hid(QStringLiteral("sim-rom-hid-otp"));
        RomSim::Engine& rom = hid.engine();
        for (int i = 1; i < RomSim::OtpWords; ++i)
            rom.setOtpWord(i, 0xC0DE0000u + quint32(i));
        rom.setOtpWord(0, 0x00000008);
        rom.setOtpReadDisallowed(12, 4);
        const QVariant info = hid.info();

        auto* ui = new RomUiMode(std::make_unique<ScriptedHotplugSource>());
        Tab tab;
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
        QSignalSpy runs(&tab, &OTPTab::signalLinkedCommandsRun);
        QSignalSpy ends(&tab, &OTPTab::signalLinkedCommandsEndSend);

        tab.slotRefreshBtnClicked();
        QCOMPARE(runs.count(), 1);
        const QString uuid = runs[0][0].toString();
        QVERIFY(!uuid.contains('{'));
        QCOMPARE(runs[0][2].toBool(), true);
        const auto query = runs[0][1].value<QList<DownloadCommand>>();
        QCOMPARE(query.size(), 1);
        QCOMPARE(query[0].nameId, 1);
        QCOMPARE(query[0].params.value("memory"), QStringLiteral("0x20000"));
        tab.slotLinkedOTPMemoryQueried("other run", 0, 127, 4, 128); // not this tab's run
        QCOMPARE(runs.count(), 1);

        QVERIFY(PoolWait::waitFor([&] { return finished.count() == 1; }));
        QCOMPARE(finished[0][0].toBool(), true);
        QCOMPARE(tab.readSteps(), 31);
        QVERIFY(!ui->hasLinkedTask(uuid));
        QCOMPARE(ends.count(), 1);
        tab.slotLinkedStepFinished(uuid, 31, true); // a late report ends nothing more
        QCOMPARE(ends.count(), 1);

        QTableWidget* t = tab.readTable();
        QCOMPARE(t->columnCount(), 8);
        QCOMPARE(t->rowCount(), 16);
        QCOMPARE(t->verticalHeaderItem(1)->text(), QStringLiteral("8:15"));
        for (int i = 0; i < 128; ++i) // word 0 as set, the locked 12..15 unread
            QCOMPARE(t->item(i / 8, i % 8)->text(),
                i == 0                  ? QStringLiteral("0x00000008")
                    : i >= 12 && i < 16 ? QStringLiteral("--")
                                        : QString::asprintf("0xc0de%04x", i));
        QVERIFY(tab.logs.contains({ "OTP first word[0-31]: 0001 0000 0000 0000 0000 0000 0000 0000 ", 0 }));
        QVERIFY(tab.readTooltip(1).contains(">LIFE_CYCLE<"));
        tab.readColumnChooser()->setCurrentIndex(15);
        QCOMPARE(t->rowCount(), 8);
        QCOMPARE(t->verticalHeaderItem(7)->text(), QStringLiteral("112:127"));

        QVERIFY(PoolWait::drainPool());
        delete ui;
    }
};

QTEST_MAIN(TestOtpTab)
#include "tst_otptab.moc"
