#include "programsettingdlg.h"

#include "dialogresources.h"
#include "globalsetting.h"
#include "stylesheet.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

ProgramSettingDlg::ProgramSettingDlg(QWidget* parent) : QDialog(parent)
{
    initDialogResources();
    setObjectName(QStringLiteral("ProgramSettingDlg"));
    setWindowTitle(tr("Program Settings Dialog"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* layout = new QVBoxLayout(this);
    m_autoAddPortChk = new QCheckBox(tr("Auto connect the same port when the port is connected."), this);
    m_autoAddPortChk->setChecked(GlobalSetting::instance().autoAddPort());
    layout->addWidget(m_autoAddPortChk);
    layout->addStretch(1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto* cancel = new QPushButton(tr("Cancel"), this);
    cancel->setObjectName(QStringLiteral("CancelBtn"));
    auto* ok = new QPushButton(tr("OK"), this);
    ok->setObjectName(QStringLiteral("OkBtn"));
    ok->setDefault(true);
    buttons->addWidget(cancel);
    buttons->addWidget(ok);
    layout->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, &ProgramSettingDlg::slotOkBtnClicked);
    connect(cancel, &QPushButton::clicked, this, &ProgramSettingDlg::slotCancelBtnClicked);
    StyleSheet::apply(QStringLiteral(":/qss/settingdlg.qss"), this);
}

void ProgramSettingDlg::slotOkBtnClicked()
{
    GlobalSetting::instance().setAutoAddPort(m_autoAddPortChk->isChecked());
    accept();
}

void ProgramSettingDlg::slotCancelBtnClicked()
{
    reject();
}
