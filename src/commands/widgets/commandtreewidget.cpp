#include "commandtreewidget.h"

#include "commanddlg.h"
#include "icmdwidget.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>
#include <QTreeWidget>
#include <QVBoxLayout>

// Resources of a static library are registered by hand, outside any namespace.
static void initCommandResources()
{
    Q_INIT_RESOURCE(commandwidgets);
}

namespace DevelopViews {

CommandTreeWidget::CommandTreeWidget(QWidget* parent)
    : QWidget(parent)
    , m_tree(new QTreeWidget(this))
    , m_addBtn(new QPushButton(QIcon(QStringLiteral(":/img/menu_insert")), QString(), this))
    , m_removeBtn(new QPushButton(QIcon(QStringLiteral(":/img/trash")), QString(), this))
    , m_runSelectedBtn(new QPushButton(this))
    , m_runCheckedBtn(new QPushButton(this))
    , m_runStageBtn(new QPushButton(this))
{
    initCommandResources();
    m_tree->setColumnCount(2);
    m_tree->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_tree->setContextMenuPolicy(Qt::CustomContextMenu);
    m_tree->setUniformRowHeights(true);
    m_tree->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    m_tree->header()->setStretchLastSection(true);
    for (int stage : CommandStages::stages()) {
        auto* item = new QTreeWidgetItem(m_tree);
        item->setData(0, RoleStage, stage);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(0, Qt::Checked);
        item->setExpanded(true);
    }

    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : { m_addBtn, m_removeBtn })
        buttons->addWidget(b);
    buttons->addStretch(1);
    for (QPushButton* b : { m_runSelectedBtn, m_runCheckedBtn, m_runStageBtn })
        buttons->addWidget(b);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(5, 5, 5, 5);
    layout->addWidget(m_tree, 1);
    layout->addLayout(buttons);

    connect(m_tree, &QTreeWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        QTreeWidgetItem* item = m_tree->itemAt(pos);
        if (!item)
            return;
        QMenu* menu = makeMenu(item);
        menu->exec(m_tree->viewport()->mapToGlobal(pos));
        delete menu;
    });
    connect(m_tree, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        if (item->parent())
            slotEditCommand(item);
    });
    connect(m_tree, &QTreeWidget::itemSelectionChanged, this, [this] { setRunEnabled(m_runEnabled); });
    auto* del = new QShortcut(QKeySequence::Delete, m_tree, nullptr, nullptr, Qt::WidgetShortcut);
    connect(del, &QShortcut::activated, this, &CommandTreeWidget::slotRemoveSelected);
    connect(m_addBtn, &QPushButton::clicked, this, &CommandTreeWidget::slotAddCommand);
    connect(m_removeBtn, &QPushButton::clicked, this, &CommandTreeWidget::slotRemoveSelected);
    connect(m_runSelectedBtn, &QPushButton::clicked, this, &CommandTreeWidget::slotRunSelected);
    connect(m_runCheckedBtn, &QPushButton::clicked, this, &CommandTreeWidget::slotRunChecked);
    connect(m_runStageBtn, &QPushButton::clicked, this, &CommandTreeWidget::signalStageRun);
    retranslate();
    slotReload();
}

void CommandTreeWidget::retranslate()
{
    m_tree->setHeaderLabels({ tr("Command"), tr("Parameters") });
    for (int stage : CommandStages::stages())
        stageItem(stage)->setText(0, CommandStages::stageTitle(stage));
    m_addBtn->setText(tr("Add Command"));
    m_removeBtn->setText(tr("Remove Selected"));
    m_runSelectedBtn->setText(tr("Run Selected"));
    m_runCheckedBtn->setText(tr("Run Checked Stages"));
    m_runStageBtn->setText(tr("Run by Device Stage"));
    m_runStageBtn->setToolTip(tr("The device's life cycle decides whether the Open or the Close stage runs."));
}

void CommandTreeWidget::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QWidget::changeEvent(event);
}

QTreeWidgetItem* CommandTreeWidget::stageItem(int stage) const
{
    for (int i = 0; i < m_tree->topLevelItemCount(); ++i) {
        if (m_tree->topLevelItem(i)->data(0, RoleStage).toInt() == stage)
            return m_tree->topLevelItem(i);
    }
    return nullptr;
}

QTreeWidgetItem* CommandTreeWidget::commandItem(const QString& id) const
{
    for (int stage : CommandStages::stages()) {
        QTreeWidgetItem* top = stageItem(stage);
        for (int i = 0; i < top->childCount(); ++i) {
            if (top->child(i)->data(0, RoleId).toString() == id)
                return top->child(i);
        }
    }
    return nullptr;
}

void CommandTreeWidget::slotReload()
{
    reloadSelecting(QString());
}

void CommandTreeWidget::reloadSelecting(const QString& selectId)
{
    const QIcon icon(QStringLiteral(":/img/cmd_icon"));
    m_tree->clearSelection();
    for (int stage : CommandStages::stages()) {
        QTreeWidgetItem* top = stageItem(stage);
        qDeleteAll(top->takeChildren());
        for (const DownloadCommand& cmd : CommandStages::commands(stage)) {
            auto* item = new QTreeWidgetItem(top);
            item->setIcon(0, icon);
            item->setText(0, CommandStages::commandTitle(cmd));
            item->setText(1, CommandStages::paramsText(cmd));
            item->setToolTip(1, item->text(1));
            item->setData(0, RoleStage, stage);
            item->setData(0, RoleId, cmd.id);
            if (cmd.id == selectId) {
                top->setExpanded(true);
                item->setSelected(true);
                m_tree->setCurrentItem(item);
            }
        }
    }
    setRunEnabled(m_runEnabled);
}

void CommandTreeWidget::slotEditCommondUpdate(EDownloadStageType, QString id)
{
    reloadSelecting(id);
    emit signalBatchProdCmdUpdate();
}

CommandStages::Ref CommandTreeWidget::refOf(const QTreeWidgetItem* item)
{
    return { item->data(0, RoleStage).toInt(), item->data(0, RoleId).toString() };
}

QMenu* CommandTreeWidget::makeMenu(QTreeWidgetItem* item)
{
    auto* menu = new QMenu(this);
    if (!item->parent()) {
        const int stage = item->data(0, RoleStage).toInt();
        menu->addAction(QIcon(QStringLiteral(":/img/menu_insert")), tr("Add Command"), this, [this, stage] {
            auto* dlg = new CommandDlg(this);
            dlg->setNewCommand(stage);
            openDialog(dlg);
        });
        return menu;
    }
    const CommandStages::Ref ref = refOf(item);
    menu->addAction(QIcon(QStringLiteral(":/img/edit")), tr("Edit"), this, [this, item] { slotEditCommand(item); });
    menu->addAction(QIcon(QStringLiteral(":/img/menu_insert")), tr("Insert Before"), this,
        [this, item] { slotInsertCommand(item, false); });
    menu->addAction(QIcon(QStringLiteral(":/img/menu_insert")), tr("Insert After"), this,
        [this, item] { slotInsertCommand(item, true); });
    menu->addAction(
        QIcon(QStringLiteral(":/img/trash")), tr("Delete"), this, [this, item] { slotDeleteCommand(item); });
    menu->addSeparator();
    QAction* up = menu->addAction(QIcon(QStringLiteral(":/img/menu_arrow_up")), tr("Move Up"), this,
        [this, item] { slotMoveCommand(item, true); });
    QAction* down = menu->addAction(QIcon(QStringLiteral(":/img/menu_arrow_down")), tr("Move Down"), this,
        [this, item] { slotMoveCommand(item, false); });
    up->setEnabled(CommandStages::canMove(ref.first, ref.second, true));
    down->setEnabled(CommandStages::canMove(ref.first, ref.second, false));
    return menu;
}

void CommandTreeWidget::openDialog(CommandDlg* dlg)
{
    dlg->setAttribute(Qt::WA_DeleteOnClose, false);
    connect(dlg, &CommandDlg::signalEditCommondUpdate, this, &CommandTreeWidget::slotEditCommondUpdate);
    execDialog(dlg);
    delete dlg;
}

int CommandTreeWidget::execDialog(CommandDlg* dlg)
{
    return dlg->exec();
}

void CommandTreeWidget::slotAddCommand()
{
    // Into the stage of the current item, the Open stage when nothing is current.
    int stage = EStageOpen;
    if (QTreeWidgetItem* cur = m_tree->currentItem())
        stage = cur->data(0, RoleStage).toInt();
    auto* dlg = new CommandDlg(this);
    dlg->setNewCommand(stage);
    openDialog(dlg);
}

void CommandTreeWidget::slotEditCommand(QTreeWidgetItem* item)
{
    const CommandStages::Ref ref = refOf(item);
    const QList<DownloadCommand> list = CommandStages::commands(ref.first);
    for (const DownloadCommand& cmd : list) {
        if (cmd.id == ref.second) {
            auto* dlg = new CommandDlg(this);
            dlg->setCommand(ref.first, cmd);
            openDialog(dlg);
            return;
        }
    }
    slotReload();
}

void CommandTreeWidget::slotInsertCommand(QTreeWidgetItem* item, bool after)
{
    const CommandStages::Ref ref = refOf(item);
    const int index = CommandStages::insertIndex(ref.first, ref.second, after);
    auto* dlg = new CommandDlg(this);
    dlg->setNewCommand(ref.first, index, true);
    openDialog(dlg);
}

void CommandTreeWidget::slotDeleteCommand(QTreeWidgetItem* item)
{
    const CommandStages::Ref ref = refOf(item);
    if (ask(tr("Warning"), tr("Do you want to delete the command?")) != QMessageBox::Yes)
        return;
    CommandStages::remove(ref.first, ref.second);
    slotReload();
    emit signalBatchProdCmdUpdate();
}

void CommandTreeWidget::slotMoveCommand(QTreeWidgetItem* item, bool up)
{
    const CommandStages::Ref ref = refOf(item);
    if (CommandStages::move(ref.first, ref.second, up)) {
        reloadSelecting(ref.second);
        emit signalBatchProdCmdUpdate();
    }
}

QList<CommandStages::Ref> CommandTreeWidget::selectedRefs() const
{
    QList<CommandStages::Ref> refs;
    for (QTreeWidgetItem* item : m_tree->selectedItems()) {
        if (item->parent())
            refs.append(refOf(item));
    }
    return refs;
}

void CommandTreeWidget::slotRemoveSelected()
{
    const QList<CommandStages::Ref> refs = selectedRefs();
    if (refs.isEmpty()) {
        warn(tr("Warning"), tr("There is no command selected to be removed!"));
        return;
    }
    if (ask(tr("Warning"), tr("Do you really want to delete the selected command?")) != QMessageBox::Yes)
        return;
    CommandStages::remove(refs);
    slotReload();
    emit signalBatchProdCmdUpdate();
}

void CommandTreeWidget::slotRunSelected()
{
    const QList<DownloadCommand> list = CommandStages::inRunOrder(selectedRefs());
    if (!list.isEmpty())
        emit signalCommondsRun(list);
}

void CommandTreeWidget::slotRunChecked()
{
    QList<DownloadCommand> list;
    for (int stage : CommandStages::stages()) {
        if (stageItem(stage)->checkState(0) == Qt::Checked)
            list += CommandStages::commands(stage);
    }
    if (list.isEmpty()) {
        warn(tr("Warning"), tr("There is no command to execute!"));
        return;
    }
    emit signalCommondsRun(list);
}

void CommandTreeWidget::setRunEnabled(bool enabled)
{
    m_runEnabled = enabled;
    m_runSelectedBtn->setEnabled(enabled && !selectedRefs().isEmpty());
    m_runCheckedBtn->setEnabled(enabled);
    m_runStageBtn->setEnabled(enabled);
}

QMessageBox::StandardButton CommandTreeWidget::ask(const QString& title, const QString& text)
{
    return QMessageBox::warning(this, title, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
}

void CommandTreeWidget::warn(const QString& title, const QString& text)
{
    ICmdWidget::warn(this, title, text);
}

} // namespace DevelopViews
