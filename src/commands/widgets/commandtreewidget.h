// The production command list: a tree with the Open and Close stages and their
// commands, a context menu to edit, insert, delete and move commands (across
// the stage boundary), and buttons to add, remove and run. It never talks to
// a device: runs leave as signals for the central widget's run signals.
#pragma once

#include "commandstages.h"
#include "records.h"

#include <QMessageBox>
#include <QWidget>

class QMenu;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace DevelopViews {

class CommandDlg;

class CommandTreeWidget : public QWidget
{
    Q_OBJECT
public:
    enum Role { RoleStage = Qt::UserRole, RoleId };

    explicit CommandTreeWidget(QWidget* parent = nullptr);

    QTreeWidget* tree() const { return m_tree; }
    QTreeWidgetItem* stageItem(int stage) const;
    QTreeWidgetItem* commandItem(const QString& id) const;
    // The menu a command item (or a stage item) offers; the caller owns it.
    QMenu* makeMenu(QTreeWidgetItem* item);
    QList<QPushButton*> buttons() const
    {
        return { m_addBtn, m_removeBtn, m_runSelectedBtn, m_runCheckedBtn, m_runStageBtn };
    }
    // Runs are offered only while a device is ready and nothing runs.
    void setRunEnabled(bool enabled);

signals:
    // The selected commands, or those of the checked stages, in run order.
    void signalCommondsRun(QList<DownloadCommand> cmdList);
    // The device's own stage decides which list runs.
    void signalStageRun();
    void signalAddLogs(QString log, LogLevel level);
    void signalBatchProdCmdUpdate();

public slots:
    // Rebuilds the tree from the project; connect what changes the stages
    // elsewhere (the OTP tab's synchronisation, a project import) here.
    void slotReload();
    void slotEditCommondUpdate(EDownloadStageType type, QString id);
    void slotAddCommand();
    void slotEditCommand(QTreeWidgetItem* item);
    void slotInsertCommand(QTreeWidgetItem* item, bool after);
    void slotDeleteCommand(QTreeWidgetItem* item);
    void slotMoveCommand(QTreeWidgetItem* item, bool up);
    void slotRemoveSelected();
    void slotRunSelected();
    void slotRunChecked();

protected:
    void changeEvent(QEvent* event) override;
    // Seams for tests: the question box and the modal dialog.
    virtual QMessageBox::StandardButton ask(const QString& title, const QString& text);
    virtual void warn(const QString& title, const QString& text);
    virtual int execDialog(CommandDlg* dlg);

private:
    void retranslate();
    // Rebuilds the tree and selects the given command when there is one.
    void reloadSelecting(const QString& selectId);
    void openDialog(CommandDlg* dlg);
    QList<CommandStages::Ref> selectedRefs() const;
    static CommandStages::Ref refOf(const QTreeWidgetItem* item);

    QTreeWidget* m_tree;
    QPushButton* m_addBtn;
    QPushButton* m_removeBtn;
    QPushButton* m_runSelectedBtn;
    QPushButton* m_runCheckedBtn;
    QPushButton* m_runStageBtn;
    bool m_runEnabled = true;
};

} // namespace DevelopViews
