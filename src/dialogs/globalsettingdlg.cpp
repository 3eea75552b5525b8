#include "globalsettingdlg.h"

#include "dialogresources.h"
#include "globalsetting.h"
#include "stylesheet.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include <limits>

namespace {

// Explanation under an option: word-wrapped, indented 25 px.
QLabel* explanation(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QStringLiteral("ExplainLabel"));
    label->setWordWrap(true);
    label->setIndent(25);
    return label;
}

QLabel* heading(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QStringLiteral("SectionLabel"));
    label->setWordWrap(true);
    return label;
}

} // namespace

GlobalSettingDlg::GlobalSettingDlg(QWidget* parent) : QDialog(parent)
{
    initDialogResources();
    setObjectName(QStringLiteral("GlobalSettingDlg"));
    setWindowTitle(tr("Global Settings Dialog"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    resize(700, 520);
    buildUi();
    StyleSheet::apply(QStringLiteral(":/qss/settingdlg.qss"), this);
    fill();
}

int GlobalSettingDlg::timeoutFromText(const QString& text)
{
    bool ok = false;
    const uint value = text.trimmed().toUInt(&ok, 10);
    // The setting is a signed 32-bit number: larger values would read back negative.
    if (!ok || value > uint(std::numeric_limits<int>::max()))
        return 0;
    return int(value);
}

void GlobalSettingDlg::buildUi()
{
    auto* outer = new QVBoxLayout(this);
    auto* split = new QHBoxLayout;
    split->setSpacing(0);
    outer->addLayout(split, 1);

    auto* sidebar = new QWidget(this);
    sidebar->setObjectName(QStringLiteral("SettingSidebar"));
    auto* sideLayout = new QVBoxLayout(sidebar);
    sideLayout->setContentsMargins(0, 0, 0, 0);
    m_connectBtn = new QPushButton(tr("Connect Settings"), sidebar);
    m_programBtn = new QPushButton(tr("Program Settings"), sidebar);
    for (QPushButton* b : {m_connectBtn, m_programBtn}) {
        b->setCheckable(true);
        b->setObjectName(QStringLiteral("SidebarBtn"));
        sideLayout->addWidget(b);
        connect(b, &QPushButton::clicked, this, &GlobalSettingDlg::slotSidebarBtnClicked);
    }
    sideLayout->addStretch(1);
    sidebar->setFixedWidth(160);
    split->addWidget(sidebar);

    m_scrollArea = new QScrollArea(this);
    m_scrollArea->setWidgetResizable(true);
    m_scrollArea->setMinimumWidth(600);
    m_scrollArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* content = new QWidget(m_scrollArea);
    content->setObjectName(QStringLiteral("SettingContent"));
    auto* contentLayout = new QVBoxLayout(content);

    // Connect Settings page.
    m_connectGroup = new QGroupBox(tr("Connect Settings"), content);
    auto* c = new QVBoxLayout(m_connectGroup);
    c->addWidget(heading(tr("1. Bootloader firmware type select"), m_connectGroup));
    m_autoFwRB = new QRadioButton(tr("Auto select firmware by SoC life cycle."), m_connectGroup);
    c->addWidget(m_autoFwRB);
    c->addWidget(explanation(tr("If life cycle is secure, signed firmware will be used as default. If signed firmware "
                                "exists and can be loaded by current life cycle. Signed firmware will be used at "
                                "first."),
        m_connectGroup));
    m_unsignedFwRB = new QRadioButton(tr("Use unsigned firmware."), m_connectGroup);
    c->addWidget(m_unsignedFwRB);
    m_signedFwRB = new QRadioButton(tr("Use signed firmware."), m_connectGroup);
    c->addWidget(m_signedFwRB);
    auto* fwGroup = new QButtonGroup(this);
    fwGroup->addButton(m_autoFwRB);
    fwGroup->addButton(m_unsignedFwRB);
    fwGroup->addButton(m_signedFwRB);

    c->addSpacing(12);
    c->addWidget(heading(tr("2. Load bootloader firmware baudrate select"), m_connectGroup));
    m_defaultBaudRB = new QRadioButton(tr("Use 115200 baudrate to load bootloader firmware."), m_connectGroup);
    c->addWidget(m_defaultBaudRB);
    c->addWidget(explanation(tr("The tool will use 115200 baudrate to load bootloader firmware to ensure that firmware "
                                "can be loaded success."),
        m_connectGroup));
    m_customBaudRB = new QRadioButton(tr("Use baudrate that user set to load bootloader firmware."), m_connectGroup);
    c->addWidget(m_customBaudRB);
    c->addWidget(explanation(tr("The tool will use baudrate that user set to load bootloader firmware. Maybe this will "
                                "accelerate the speed if you use a large baudrate, but there is a risk of not being "
                                "able to connect."),
        m_connectGroup));
    auto* baudGroup = new QButtonGroup(this);
    baudGroup->addButton(m_defaultBaudRB);
    baudGroup->addButton(m_customBaudRB);
    contentLayout->addWidget(m_connectGroup);

    // Program Settings page.
    m_programGroup = new QGroupBox(tr("Program Settings"), content);
    auto* p = new QVBoxLayout(m_programGroup);
    p->addWidget(heading(tr("1. Program command timeout setting"), m_programGroup));
    m_defaultTimeoutRB = new QRadioButton(tr("Default timeout time"), m_programGroup);
    p->addWidget(m_defaultTimeoutRB);
    p->addWidget(explanation(tr("The default timeout for one program is 10s and the time will be extended if you use "
                                "erase command to ensure erase command execute success. You can custom the timeout "
                                "time by select the custom timeout option."),
        m_programGroup));
    auto* customRow = new QHBoxLayout;
    m_customTimeoutRB = new QRadioButton(tr("Custom timeout time(unit:ms)"), m_programGroup);
    customRow->addWidget(m_customTimeoutRB);
    m_timeoutEdit = new QLineEdit(m_programGroup);
    m_timeoutEdit->setObjectName(QStringLiteral("TimeoutEdit"));
    m_timeoutEdit->setMaximumWidth(160);
    customRow->addWidget(m_timeoutEdit);
    customRow->addStretch(1);
    p->addLayout(customRow);
    auto* timeoutGroup = new QButtonGroup(this);
    timeoutGroup->addButton(m_defaultTimeoutRB);
    timeoutGroup->addButton(m_customTimeoutRB);
    connect(m_defaultTimeoutRB, &QRadioButton::clicked, this, &GlobalSettingDlg::slotTimeoutRBClicked);
    connect(m_customTimeoutRB, &QRadioButton::clicked, this, &GlobalSettingDlg::slotTimeoutRBClicked);

    p->addSpacing(12);
    p->addWidget(heading(tr("2. In Production mode serial port auto connect setting"), m_programGroup));
    m_autoAddPortChk = new QCheckBox(tr("Auto connect the same port when the port is connected."), m_programGroup);
    p->addWidget(m_autoAddPortChk);
    p->addWidget(explanation(tr("The tool will connect the same port when the port is connected in production mode. If "
                                "you don't want to use this and reset the port parameters, you can unselect this "
                                "checkbox."),
        m_programGroup));
    p->addSpacing(12);
    p->addWidget(heading(tr("3. In Production mode which device state can be started"), m_programGroup));
    m_allStatesChk = new QCheckBox(
        tr("All the state of the device can be started when the start button click."), m_programGroup);
    p->addWidget(m_allStatesChk);
    p->addWidget(explanation(tr("If you unselect this checkbox and the device is programed success in production mode, "
                                "the device will not be programmed again even if you restart the button."),
        m_programGroup));
    contentLayout->addWidget(m_programGroup);

    m_tail = new QWidget(content);
    contentLayout->addWidget(m_tail);
    contentLayout->addStretch(1);
    m_scrollArea->setWidget(content);
    split->addWidget(m_scrollArea, 1);
    connect(m_scrollArea->verticalScrollBar(), &QScrollBar::valueChanged, this,
        &GlobalSettingDlg::slotScrollbarValueChanged);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto* cancel = new QPushButton(tr("Cancel"), this);
    cancel->setObjectName(QStringLiteral("CancelBtn"));
    auto* ok = new QPushButton(tr("OK"), this);
    ok->setObjectName(QStringLiteral("OkBtn"));
    ok->setDefault(true);
    buttons->addWidget(cancel);
    buttons->addWidget(ok);
    outer->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, &GlobalSettingDlg::slotOkBtnClicked);
    connect(cancel, &QPushButton::clicked, this, &GlobalSettingDlg::slotCancelBtnClicked);
}

void GlobalSettingDlg::fill()
{
    const GlobalSettingInfo info = GlobalSetting::instance().info();
    if (info.fwLoadType == 1)
        m_unsignedFwRB->click();
    else if (info.fwLoadType == 2)
        m_signedFwRB->click();
    else
        m_autoFwRB->click();
    (info.fwLoadUseCustomBaudRate ? m_customBaudRB : m_defaultBaudRB)->click();
    if (info.cmdTimeout >= 1) {
        m_timeoutEdit->setText(QString::number(info.cmdTimeout));
        m_customTimeoutRB->click();
    } else {
        m_defaultTimeoutRB->click();
    }
    m_autoAddPortChk->setChecked(info.autoAddPort);
    m_allStatesChk->setChecked(info.downloadAllStateDevices);
    m_connectBtn->click();
}

void GlobalSettingDlg::updateTailSpace()
{
    // Without room below it the last page could never scroll to the top, and the
    // sidebar would fall back to the first page right after it was chosen.
    const int room = m_scrollArea->viewport()->height() - m_programGroup->sizeHint().height();
    m_tail->setFixedHeight(qMax(0, room));
}

void GlobalSettingDlg::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    updateTailSpace();
}

void GlobalSettingDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    updateTailSpace();
}

void GlobalSettingDlg::slotSidebarBtnClicked(bool checked)
{
    Q_UNUSED(checked)
    const bool first = sender() != m_programBtn;
    m_connectBtn->setChecked(first);
    m_programBtn->setChecked(!first);
    m_scrollArea->verticalScrollBar()->setValue(first ? m_connectGroup->y() : m_programGroup->y());
}

void GlobalSettingDlg::slotScrollbarValueChanged(int value)
{
    const bool first = value < (m_connectGroup->y() + m_programGroup->y()) / 2;
    m_connectBtn->setChecked(first);
    m_programBtn->setChecked(!first);
}

void GlobalSettingDlg::slotTimeoutRBClicked()
{
    m_timeoutEdit->setEnabled(m_customTimeoutRB->isChecked());
}

void GlobalSettingDlg::slotOkBtnClicked()
{
    GlobalSettingInfo info = GlobalSetting::instance().info();
    info.fwLoadType = m_unsignedFwRB->isChecked() ? 1 : (m_signedFwRB->isChecked() ? 2 : 0);
    info.fwLoadUseCustomBaudRate = m_customBaudRB->isChecked();
    info.cmdTimeout = m_customTimeoutRB->isChecked() ? timeoutFromText(m_timeoutEdit->text()) : -1;
    info.autoAddPort = m_autoAddPortChk->isChecked();
    info.downloadAllStateDevices = m_allStatesChk->isChecked();
    GlobalSetting::instance().save(info);
    accept();
}

void GlobalSettingDlg::slotCancelBtnClicked()
{
    reject();
}
