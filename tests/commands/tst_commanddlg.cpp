// The command dialog and tree wired together: Ok keeps the dialog open on a
// refusal, stores and announces a valid command, and the tree shows, inserts
// and deletes commands with its confirmations.
#include "cmdconfigmemorywidget.h"
#include "commanddlg.h"
#include "commandstestenv.h"
#include "commandtreewidget.h"

#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTreeWidget>
#include <QtTest>

using namespace DevelopViews;

namespace {

// The tree with scripted answers: the question's reply, and a dialog filled in
// as a user would (config-memory at the given address) and confirmed.
class ScriptedTree : public CommandTreeWidget
{
public:
    QMessageBox::StandardButton answer = QMessageBox::No;
    QString address = QStringLiteral("0x3000");
    QStringList shown;

protected:
    QMessageBox::StandardButton ask(const QString& title, const QString& text) override
    {
        shown << title + QLatin1String(": ") + text;
        return answer;
    }
    void warn(const QString& title, const QString& text) override { shown << title + QLatin1String(": ") + text; }
    int execDialog(CommandDlg* dlg) override
    {
        dlg->commandBox()->setCurrentIndex(dlg->commandBox()->findData(3));
        static_cast<CmdConfigMemoryWidget*>(dlg->editor(3))->addressEdit()->setText(address);
        dlg->okButton()->click();
        return dlg->result();
    }
};

QStringList itemTexts(QTreeWidgetItem* stage)
{
    QStringList out;
    for (int i = 0; i < stage->childCount(); ++i)
        out << stage->child(i)->text(0) + QLatin1String(" ") + stage->child(i)->text(1);
    return out;
}

} // namespace

class TstCommandDlg : public QObject
{
    Q_OBJECT

    CmdTest::AppDir* m_env = nullptr;
    QStringList m_warnings;

private slots:
    void init()
    {
        m_env = new CmdTest::AppDir;
        m_warnings.clear();
        ICmdWidget::setWarningSink([this](const QString& t, const QString& s) { m_warnings << t + ": " + s; });
    }
    void cleanup()
    {
        ICmdWidget::setWarningSink(nullptr);
        delete m_env;
    }

    void ok_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("warning");
        QTest::newRow("empty address stays open") << ""
                                                  << "Error: Please input an address!";
        QTest::newRow("valid address is stored") << "0x2000"
                                                 << "";
    }
    void ok()
    {
        QFETCH(QString, address);
        QFETCH(QString, warning);
        CommandDlg dlg;
        dlg.setNewCommand(EStageClose);
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Command Dialog"));
        dlg.show();
        dlg.commandBox()->setCurrentIndex(dlg.commandBox()->findData(3));
        QVERIFY(dlg.currentEditor()->isVisible());
        QVERIFY(!dlg.editor(1)->isVisible());
        auto* editor = static_cast<CmdConfigMemoryWidget*>(dlg.editor(3));
        editor->memoryBox()->setCurrentIndex(1);
        editor->addressEdit()->setText(address);
        QSignalSpy spy(&dlg, &CommandDlg::signalEditCommondUpdate);
        dlg.okButton()->click();

        const QList<DownloadCommand> stored = ProjectConfig::instance().closeCommands();
        if (!warning.isEmpty()) {
            QCOMPARE(m_warnings, QStringList { warning });
            QVERIFY(dlg.isVisible());
            QCOMPARE(spy.count(), 0);
            QVERIFY(stored.isEmpty());
            return;
        }
        QVERIFY(m_warnings.isEmpty());
        QVERIFY(!dlg.isVisible());
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).value<EDownloadStageType>(), EStageClose);
        QCOMPARE(spy.at(0).at(1).toString(), dlg.id());
        QCOMPARE(stored.size(), 1);
        QCOMPARE(stored.at(0).id, dlg.id());
        QCOMPARE(stored.at(0).params.value("address"), address);
        QCOMPARE(stored.at(0).params.value("memoryId"), QStringLiteral("0x10000"));
    }

    // Editing keeps what the dialog cannot offer: a memory the SoC no longer
    // lists stays chosen; a kind without an editor is shown but not stored.
    void editStored_data()
    {
        QTest::addColumn<int>("nameId");
        QTest::addColumn<bool>("stored");
        QTest::newRow("unlisted memory") << 3 << true;
        QTest::newRow("kind without editor") << 2 << false;
    }
    void editStored()
    {
        QFETCH(int, nameId);
        QFETCH(bool, stored);
        const DownloadCommand cmd { QStringLiteral("a"), nameId,
            { { QStringLiteral("memoryId"), QStringLiteral("0x30000") },
                { QStringLiteral("address"), QStringLiteral("0x4") } } };
        ProjectConfig::instance().setStageCommands({ cmd }, EStageOpen, false);
        CommandDlg dlg;
        dlg.setCommand(EStageOpen, cmd);
        dlg.show();
        QCOMPARE(dlg.commandBox()->currentData().toInt(), nameId);
        QSignalSpy spy(&dlg, &CommandDlg::signalEditCommondUpdate);
        dlg.okButton()->click();
        QCOMPARE(spy.count(), stored ? 1 : 0);
        QCOMPARE(dlg.isVisible(), !stored);
        const DownloadCommand now = ProjectConfig::instance().openCommands().value(0);
        QCOMPARE(now.id, QStringLiteral("a"));
        QCOMPARE(now.params, cmd.params);
    }

    void treeEditing()
    {
        CmdTest::setStages({ "a" }, { "b" });
        ScriptedTree tree;
        QTreeWidgetItem* open = tree.stageItem(EStageOpen);
        QCOMPARE(open->text(0), QStringLiteral("Stage Open"));
        QCOMPARE(open->checkState(0), Qt::Checked);
        QCOMPARE(itemTexts(open), QStringList { "reset type: 0; " });

        // Insert before the Open command, through the dialog.
        tree.slotInsertCommand(tree.commandItem("a"), false);
        QCOMPARE(itemTexts(open), QStringList({ "config-memory address: 0x3000; memoryId: 0x0; ", "reset type: 0; " }));
        QCOMPARE(CmdTest::stagesText().section(' ', 1), QStringLiteral("a | b"));

        // The first Open command cannot go up; the last goes down into Close.
        QMenu* first = tree.makeMenu(open->child(0));
        QVERIFY(!first->actions().at(5)->isEnabled());
        delete first;
        QMenu* menu = tree.makeMenu(tree.commandItem("a"));
        const QList<QAction*> actions = menu->actions();
        QCOMPARE(actions.size(), 7);
        QCOMPARE(actions.at(6)->text(), QStringLiteral("Move Down"));
        actions.at(6)->trigger();
        delete menu;
        QCOMPARE(CmdTest::stagesText().section(' ', 1), QStringLiteral("| a b"));
        QCOMPARE(tree.tree()->currentItem(), tree.commandItem("a"));

        tree.slotDeleteCommand(tree.commandItem("b"));
        tree.tree()->clearSelection();
        tree.slotRemoveSelected();
        QCOMPARE(tree.shown,
            QStringList({ "Warning: Do you want to delete the command?",
                "Warning: There is no command selected to be removed!" }));
        QVERIFY(tree.commandItem("b"));
        tree.answer = QMessageBox::Yes;
        tree.slotDeleteCommand(tree.commandItem("b"));
        QVERIFY(!tree.commandItem("b"));
        QCOMPARE(CmdTest::stagesText().section(' ', 1), QStringLiteral("| a"));
    }
};

QTEST_MAIN(TstCommandDlg)
#include "tst_commanddlg.moc"
