#include "commanddlg.h"

#include "cmdchiperasewidget.h"
#include "cmdconfigmemorywidget.h"
#include "cmdemptywidget.h"
#include "cmderaseregionwidget.h"
#include "cmdloadimagewidget.h"
#include "cmdqueryrtewidget.h"
#include "cmdreadmemorywidget.h"
#include "cmdresetwidget.h"
#include "cmdwritememorywidget.h"
#include "commandform.h"
#include "commandstages.h"
#include "constants.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QUuid>
#include <QVBoxLayout>

namespace DevelopViews {

CommandDlg::CommandDlg(QWidget* parent)
    : QDialog(parent)
    , m_id(QUuid::createUuid().toString(QUuid::WithoutBraces))
    , m_cmdBox(new QComboBox(this))
    , m_stageBox(new QComboBox(this))
    , m_stack(new QStackedWidget(this))
    , m_okBtn(new QPushButton(this))
    , m_cancelBtn(new QPushButton(this))
    , m_cmdLabel(new QLabel(this))
    , m_stageLabel(new QLabel(this))
    , m_paramsLabel(new QLabel(this))
{
    setMinimumWidth(660);
    m_editors.insert(0, new CmdEmptyWidget(m_stack));
    m_editors.insert(1, new CmdQueryRteWidget(m_stack));
    m_editors.insert(3, new CmdConfigMemoryWidget(m_stack));
    m_editors.insert(4, new CmdWriteMemoryWidget(m_stack));
    m_editors.insert(5, new CmdReadMemoryWidget(m_stack));
    m_editors.insert(6, new CmdLoadImageWidget(m_stack));
    m_editors.insert(7, new CmdEraseRegionWidget(m_stack));
    m_editors.insert(8, new CmdChipEraseWidget(m_stack));
    m_editors.insert(9, new CmdResetWidget(m_stack));
    for (ICmdWidget* w : qAsConst(m_editors)) {
        if (w->layout())
            w->layout()->setContentsMargins(0, 0, 0, 0);
        m_stack->addWidget(w);
    }
    for (int nameId : CommandForm::editorKinds())
        m_cmdBox->addItem(Constants::commandName(nameId), nameId);
    m_stageBox->addItem(QString(), int(EStageOpen));
    m_stageBox->addItem(QString(), int(EStageClose));

    auto* grid = new QGridLayout;
    grid->addWidget(m_cmdLabel, 0, 0);
    grid->addWidget(m_cmdBox, 0, 1);
    grid->addWidget(m_stageLabel, 1, 0);
    grid->addWidget(m_stageBox, 1, 1);
    grid->addWidget(m_paramsLabel, 2, 0, Qt::AlignTop);
    grid->addWidget(m_stack, 2, 1);
    grid->setColumnStretch(1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_okBtn);
    buttons->addWidget(m_cancelBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addStretch(1);
    layout->addLayout(buttons);
    m_okBtn->setDefault(true);

    connect(m_cmdBox, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
        &CommandDlg::slotCmdCbbCurrentIndexChanged);
    connect(m_okBtn, &QPushButton::clicked, this, &CommandDlg::slotOkBtnClicked);
    connect(m_cancelBtn, &QPushButton::clicked, this, &CommandDlg::slotCancelBtnClicked);
    retranslate();
    slotCmdCbbCurrentIndexChanged(m_cmdBox->currentIndex());
}

void CommandDlg::retranslate()
{
    setWindowTitle(tr("Command Dialog"));
    m_cmdLabel->setText(tr("Select Commands: "));
    m_stageLabel->setText(tr("Select Stage: "));
    m_paramsLabel->setText(tr("Parameters: "));
    m_stageBox->setItemText(0, tr("Open"));
    m_stageBox->setItemText(1, tr("Close"));
    m_okBtn->setText(tr("Ok"));
    m_cancelBtn->setText(tr("Cancel"));
}

void CommandDlg::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QDialog::changeEvent(event);
}

void CommandDlg::setNewCommand(int stage, int index, bool fixedStage)
{
    m_cmd = DownloadCommand();
    m_index = index;
    m_stageBox->setCurrentIndex(stage == EStageOpen ? 0 : 1);
    m_stageBox->setEnabled(!fixedStage);
}

int CommandDlg::kindIndex(int nameId)
{
    int index = m_cmdBox->findData(nameId);
    if (index < 0) {
        // A kind without an editor (from a project file) is shown, but Ok cannot store it.
        m_cmdBox->addItem(CommandStages::commandTitle(DownloadCommand { QString(), nameId, {} }), nameId);
        index = m_cmdBox->count() - 1;
    }
    return index;
}

void CommandDlg::setCommand(int stage, const DownloadCommand& cmd)
{
    m_cmd = cmd;
    m_index = -1;
    m_stageBox->setCurrentIndex(stage == EStageOpen ? 0 : 1);
    m_stageBox->setEnabled(true);
    m_cmdBox->setCurrentIndex(kindIndex(cmd.nameId));
    if (ICmdWidget* w = m_editors.value(cmd.nameId))
        w->setCommand(cmd);
}

ICmdWidget* CommandDlg::editor(int nameId) const
{
    return m_editors.value(nameId, m_editors.value(0));
}

ICmdWidget* CommandDlg::currentEditor() const
{
    return editor(m_cmdBox->currentData().toInt());
}

void CommandDlg::slotCmdCbbCurrentIndexChanged(int index)
{
    // The stack shows one editor and hides every other.
    m_stack->setCurrentWidget(editor(m_cmdBox->itemData(index).toInt()));
}

void CommandDlg::slotOkBtnClicked()
{
    const int stage = m_stageBox->currentData().toInt();
    m_cmd.nameId = m_cmdBox->currentData().toInt();
    m_cmd.params.clear();
    if (!CommandForm::hasEditor(m_cmd.nameId))
        return;
    if (!editor(m_cmd.nameId)->getCommand(m_cmd))
        return;
    if (!CommandStages::store(stage, m_index, m_cmd, m_id)) {
        ICmdWidget::warn(this, tr("Error"),
            tr("The command could not be saved: its parameters hold characters a project file cannot carry."));
        return;
    }
    emit signalEditCommondUpdate(EDownloadStageType(stage), m_cmd.id);
    accept();
}

void CommandDlg::slotCancelBtnClicked()
{
    reject();
}

} // namespace DevelopViews
