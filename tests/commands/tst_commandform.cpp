// The command editors' rules and the two-stage list without widgets; the command
// dialog and tree wired together offscreen.
#include "cmdconfigmemorywidget.h"
#include "commanddlg.h"
#include "commandform.h"
#include "commandstages.h"
#include "commandtreewidget.h"
#include "tempappdir.h"

#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryFile>
#include <QTreeWidget>
#include <QtTest>

using namespace DevelopViews;

namespace {

// A one-SoC catalogue (memories ILM 0x0 and XPI0 NOR 0x10000) and an empty project selecting it.
struct AppDir : TempAppDir
{
    AppDir()
        : TempAppDir("<?xml version=\"1.0\" encoding=\"utf-8\"?><configuration><socs>"
                     "<soc name=\"T1\" vid=\"0x34B7\" pid=\"0x0009\"><memoryView>"
                     "<memory name=\"ILM\" value=\"0x0\"/><memory name=\"XPI0 NOR\" value=\"0x10000\" erasable=\"1\"/>"
                     "</memoryView></soc></socs></configuration>",
            QStringLiteral("T1"))
    { }
};

DownloadCommand command(const QString& id, int nameId = 9, const QString& type = QStringLiteral("0"))
{
    return DownloadCommand { id, nameId, { { QStringLiteral("type"), type } } };
}

// "a b | c": the ids of the Open list, then of the Close list.
QString stagesText()
{
    QStringList parts;
    for (int stage : { EStageOpen, EStageClose }) {
        QStringList ids;
        for (const DownloadCommand& c : ProjectConfig::instance().commands(stage))
            ids << c.id;
        parts << ids.join(QLatin1Char(' '));
    }
    return parts.join(QStringLiteral(" | "));
}

void setStages(const QStringList& open, const QStringList& close)
{
    QList<DownloadCommand> o, c;
    for (const QString& id : open)
        o << command(id);
    for (const QString& id : close)
        c << command(id);
    ProjectConfig::instance().setStageCommands(o, EStageOpen, false);
    ProjectConfig::instance().setStageCommands(c, EStageClose, false);
}

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

class TstCommandForm : public QObject
{
    Q_OBJECT

    QTemporaryFile m_file;
    std::unique_ptr<AppDir> m_env;
    QStringList m_warnings;

    // "key=value;..." into the editor fields; "$FILE" stands for an existing file.
    CommandForm form(const QString& text) const
    {
        CommandForm f;
        const QMap<QString, QString CommandForm::*> fields { { "mem", &CommandForm::memory },
            { "addr", &CommandForm::address }, { "len", &CommandForm::length }, { "words", &CommandForm::words },
            { "file", &CommandForm::writeFile }, { "save", &CommandForm::savePath }, { "img", &CommandForm::imagePath } };
        for (const QString& pair : text.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const QString key = pair.section(QLatin1Char('='), 0, 0);
            const QString v = pair.section(QLatin1Char('='), 1).replace(QStringLiteral("$FILE"), m_file.fileName());
            if (key == QLatin1String("reset"))
                f.resetType = v.toInt();
            else
                f.*fields.value(key) = v;
            f.writeArray = f.writeArray && key != QLatin1String("file");
            f.saveToFile = f.saveToFile || key == QLatin1String("save");
        }
        return f;
    }
    QString paramsText(const QMap<QString, QString>& p) const
    {
        QStringList out;
        for (auto it = p.cbegin(); it != p.cend(); ++it)
            out << it.key() + QLatin1Char('=') + QString(it.value()).replace(m_file.fileName(), QStringLiteral("$FILE"));
        return out.join(QLatin1Char(';'));
    }

private slots:
    void initTestCase() { QVERIFY(m_file.open()); }
    void init()
    {
        m_env = std::make_unique<AppDir>();
        m_warnings.clear();
        ICmdWidget::setWarningSink([this](const QString& t, const QString& s) { m_warnings << t + ": " + s; });
    }
    void cleanup()
    {
        ICmdWidget::setWarningSink(nullptr);
        m_env.reset();
    }

    void toParams_data()
    {
        QTest::addColumn<int>("nameId");
        QTest::addColumn<QString>("fields");
        QTest::addColumn<QString>("params");
        QTest::addColumn<QString>("refusal");
        const QString m = QStringLiteral("mem=0x10000;");
        QTest::newRow("query ROM") << 1 << "" << "memory=" << "";
        QTest::newRow("query memory") << 1 << m << "memory=0x10000" << "";
        QTest::newRow("config") << 3 << m + "addr=0x2000" << "address=0x2000;memoryId=0x10000" << "";
        QTest::newRow("config no address") << 3 << m << "" << "Please input an address!";
        QTest::newRow("config half address") << 3 << m + "addr=0x" << ""
                                             << "The address must be '0x' followed by 1 to 8 hexadecimal digits!";
        QTest::newRow("config no memory") << 3 << "addr=0x1" << ""
                                          << "There is no memory to choose! Please select a SoC first.";
        QTest::newRow("write array") << 4 << m + "addr=0x0;words=0x1,0xFFFFFFFF"
                                     << "address=0x0;memoryId=0x10000;word=0x1,0xFFFFFFFF" << "";
        QTest::newRow("write array empty") << 4 << m + "addr=0x0" << "" << "Please input hexadecimal array!";
        QTest::newRow("write array trailing comma")
            << 4 << m + "addr=0x0;words=0x1,0x2," << ""
            << "The hexadecimal array must be words of '0x' and 1 to 8 digits, separated by commas!";
        QTest::newRow("write file") << 4 << m + "addr=0x0;words=0x1;file=$FILE"
                                    << "address=0x0;imagePath=$FILE;memoryId=0x10000" << "";
        QTest::newRow("write file empty") << 4 << m + "addr=0x0;file=" << "" << "Please select a file path!";
        QTest::newRow("write file missing") << 4 << m + "addr=0x0;file=/no/such.bin" << ""
                                            << "The file does not exist: /no/such.bin";
        QTest::newRow("read to views") << 5 << m + "addr=0x10;len=64"
                                       << "address=0x10;length=64;memoryId=0x10000" << "";
        QTest::newRow("read to file") << 5 << m + "addr=0x10;len=64;save=/tmp/a.bin"
                                      << "address=0x10;length=64;memoryId=0x10000;path=/tmp/a.bin" << "";
        QTest::newRow("read save no path") << 5 << m + "addr=0x10;len=64;save=" << "" << "Please select a file path!";
        QTest::newRow("read no length") << 5 << m + "addr=0x10" << "" << "Please input an address and a length!";
        QTest::newRow("read zero length") << 5 << m + "addr=0x10;len=0" << ""
                                          << "The length must be a decimal number from 1 to 4294967295!";
        QTest::newRow("load image") << 6 << "img=$FILE" << "imagePath=$FILE" << "";
        QTest::newRow("load image empty") << 6 << "" << "" << "Please select a file path!";
        QTest::newRow("erase region") << 7 << m + "addr=0xFFFFFF00;len=256"
                                      << "address=0xFFFFFF00;length=256;memoryId=0x10000" << "";
        QTest::newRow("erase past 4 GiB") << 7 << m + "addr=0xFFFFFF00;len=257" << ""
                                          << "The address and length exceed the 32-bit address space!";
        QTest::newRow("erase no address") << 7 << m + "len=4" << "" << "Please input an address and a length!";
        QTest::newRow("erase chip") << 8 << m << "memoryId=0x10000" << "";
        QTest::newRow("hot reset") << 9 << "reset=1" << "type=1" << "";
        QTest::newRow("no editor") << 2 << m + "addr=0x1" << "" << "";
    }
    void toParams()
    {
        QFETCH(int, nameId);
        QFETCH(QString, fields);
        QFETCH(QString, params);
        QFETCH(QString, refusal);
        QMap<QString, QString> out { { QStringLiteral("stale"), QStringLiteral("x") } };
        QCOMPARE(form(fields).toParams(nameId, out), refusal);
        QCOMPARE(paramsText(out), params);
        // A stored command loads into fields that store the same parameters again.
        if (refusal.isEmpty() && CommandForm::hasEditor(nameId)) {
            QMap<QString, QString> again;
            QVERIFY(CommandForm::fromCommand({ QString(), nameId, out }).toParams(nameId, again).isEmpty());
            QCOMPARE(again, out);
        }
    }

    void indexOfMemory_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("index");
        QTest::newRow("ROM") << "" << 0;
        QTest::newRow("same text") << "0x10000" << 2;
        QTest::newRow("no prefix") << "10000" << 2;
        QTest::newRow("upper prefix, zeros") << "0X00010000" << 2;
        QTest::newRow("unknown") << "0x30000" << -1;
    }
    void indexOfMemory()
    {
        QFETCH(QString, value);
        QFETCH(int, index);
        SocInfo soc;
        soc.memoryView = { { QStringLiteral("ILM"), QStringLiteral("0"), false },
            { QStringLiteral("XPI0 NOR"), QStringLiteral("0x10000"), true } };
        QCOMPARE(CommandForm::indexOfMemory(CommandForm::memoryChoices(soc, true), value), index);
    }

    void texts_data()
    {
        QTest::addColumn<int>("nameId");
        QTest::addColumn<QString>("title");
        QTest::newRow("in table") << 4 << "write-memory";
        QTest::newRow("table's own zero") << 0 << "unknown command";
        QTest::newRow("past the table") << 12 << "Unknown Command";
        QTest::newRow("negative") << -1 << "Unknown Command";
    }
    void texts()
    {
        QFETCH(int, nameId);
        QFETCH(QString, title);
        const DownloadCommand cmd { QStringLiteral("x"), nameId,
            { { QStringLiteral("memoryId"), QStringLiteral("0x0") },
                { QStringLiteral("address"), QStringLiteral("0x1") } } };
        QCOMPARE(CommandStages::commandTitle(cmd), title);
        QCOMPARE(CommandStages::paramsText(cmd), QStringLiteral("address: 0x1; memoryId: 0x0; "));
    }

    void move_data()
    {
        QTest::addColumn<int>("stage");
        QTest::addColumn<QString>("id");
        QTest::addColumn<bool>("up");
        QTest::addColumn<bool>("moved");
        QTest::addColumn<QString>("after");
        QTest::newRow("down inside Open") << 1 << "a" << false << true << "b a | c d";
        QTest::newRow("last Open down into Close") << 1 << "b" << false << true << "a | b c d";
        QTest::newRow("first Close up into Open") << 2 << "c" << true << true << "a b c | d";
        QTest::newRow("first Open up") << 1 << "a" << true << false << "a b | c d";
        QTest::newRow("last Close down") << 2 << "d" << false << false << "a b | c d";
        QTest::newRow("wrong stage") << 2 << "a" << false << false << "a b | c d";
        QTest::newRow("unknown id") << 1 << "z" << false << false << "a b | c d";
    }
    void move()
    {
        QFETCH(int, stage);
        QFETCH(QString, id);
        QFETCH(bool, up);
        QFETCH(bool, moved);
        QFETCH(QString, after);
        setStages({ "a", "b" }, { "c", "d" });
        QCOMPARE(CommandStages::canMove(stage, id, up), moved);
        QCOMPARE(CommandStages::move(stage, id, up), moved);
        QCOMPARE(stagesText(), after);
    }

    // id "" is a new command placed at index; "a".."c" are stored ones edited.
    void store_data()
    {
        QTest::addColumn<int>("stage");
        QTest::addColumn<QString>("id");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("after");
        QTest::newRow("append") << 1 << "" << -1 << "a b n | c";
        QTest::newRow("insert before first") << 1 << "" << 0 << "n a b | c";
        QTest::newRow("insert after last Close") << 2 << "" << 1 << "a b | c n";
        QTest::newRow("index past the end") << 2 << "" << 7 << "a b | c n";
        QTest::newRow("edit in place") << 1 << "a" << -1 << "a b | c";
        QTest::newRow("edit into Close") << 2 << "a" << -1 << "b | c a";
        QTest::newRow("edit into Open") << 1 << "c" << -1 << "a b c | ";
        QTest::newRow("edited after deletion") << 2 << "gone" << -1 << "a b | c gone";
    }
    void store()
    {
        QFETCH(int, stage);
        QFETCH(QString, id);
        QFETCH(int, index);
        QFETCH(QString, after);
        setStages({ "a", "b" }, { "c" });
        DownloadCommand cmd = command(id, 9, QStringLiteral("2"));
        QVERIFY(CommandStages::store(stage, index, cmd, QStringLiteral("n")));
        QCOMPARE(stagesText(), after);
        QCOMPARE(cmd.id, id.isEmpty() ? QStringLiteral("n") : id);
        const QList<DownloadCommand> list = CommandStages::commands(stage);
        const auto it
            = std::find_if(list.cbegin(), list.cend(), [&](const DownloadCommand& c) { return c.id == cmd.id; });
        QVERIFY(it != list.cend());
        QCOMPARE(it->params.value(QStringLiteral("type")), QStringLiteral("2"));
    }

    void insertStoreRefusedAndRemove()
    {
        setStages({ "a", "b" }, { "c" });
        DownloadCommand bad = command(QStringLiteral("a"), 9, QStringLiteral("bad\x01"));
        QVERIFY(!CommandStages::store(EStageClose, -1, bad, QStringLiteral("n")));
        QCOMPARE(stagesText(), QStringLiteral("a b | c"));
        QCOMPARE(CommandStages::insertIndex(EStageOpen, QStringLiteral("b"), false), 1);
        QCOMPARE(CommandStages::insertIndex(EStageOpen, QStringLiteral("b"), true), 2);
        QCOMPARE(CommandStages::insertIndex(EStageClose, QStringLiteral("b"), true), -1);
        const QList<CommandStages::Ref> refs { { EStageClose, QStringLiteral("c") },
            { EStageOpen, QStringLiteral("a") } };
        QStringList ids;
        for (const DownloadCommand& c : CommandStages::inRunOrder(refs))
            ids << c.id;
        QCOMPARE(ids, QStringList({ "a", "c" }));
        QCOMPARE(CommandStages::remove(refs), 2);
        QCOMPARE(stagesText(), QStringLiteral("b | "));
    }

    // Ok keeps the dialog open on a refusal; once mended, the command is stored and announced.
    void ok()
    {
        CommandDlg dlg;
        dlg.setNewCommand(EStageClose);
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Command Dialog"));
        dlg.show();
        dlg.commandBox()->setCurrentIndex(dlg.commandBox()->findData(3));
        QVERIFY(dlg.currentEditor()->isVisible());
        QVERIFY(!dlg.editor(1)->isVisible());
        auto* editor = static_cast<CmdConfigMemoryWidget*>(dlg.editor(3));
        editor->memoryBox()->setCurrentIndex(1);
        QSignalSpy spy(&dlg, &CommandDlg::signalEditCommondUpdate);
        dlg.okButton()->click();
        QCOMPARE(m_warnings, QStringList { "Error: Please input an address!" });
        QVERIFY(dlg.isVisible());
        QCOMPARE(spy.count(), 0);
        QVERIFY(ProjectConfig::instance().closeCommands().isEmpty());

        editor->addressEdit()->setText("0x2000");
        dlg.okButton()->click();
        QCOMPARE(m_warnings.size(), 1);
        QVERIFY(!dlg.isVisible());
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).value<EDownloadStageType>(), EStageClose);
        QCOMPARE(spy.at(0).at(1).toString(), dlg.id());
        const QList<DownloadCommand> stored = ProjectConfig::instance().closeCommands();
        QCOMPARE(stored.size(), 1);
        QCOMPARE(stored.at(0).id, dlg.id());
        QCOMPARE(stored.at(0).params.value("address"), QStringLiteral("0x2000"));
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
        setStages({ "a" }, { "b" });
        ScriptedTree tree;
        QTreeWidgetItem* open = tree.stageItem(EStageOpen);
        QCOMPARE(open->text(0), QStringLiteral("Stage Open"));
        QCOMPARE(open->checkState(0), Qt::Checked);
        QCOMPARE(itemTexts(open), QStringList { "reset type: 0; " });

        // Insert before the Open command, through the dialog.
        tree.slotInsertCommand(tree.commandItem("a"), false);
        QCOMPARE(itemTexts(open), QStringList({ "config-memory address: 0x3000; memoryId: 0x0; ", "reset type: 0; " }));
        QCOMPARE(stagesText().section(' ', 1), QStringLiteral("a | b"));

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
        QCOMPARE(stagesText().section(' ', 1), QStringLiteral("| a b"));
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
        QCOMPARE(stagesText().section(' ', 1), QStringLiteral("| a"));
    }
};

QTEST_MAIN(TstCommandForm)
#include "tst_commandform.moc"
