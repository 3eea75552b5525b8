#include "romdevicepanel.h"

#include "constants.h"
#include "projectconfig.h"
#include "romuimode.h"
#include "serialportlister.h"
#include "socdatabase.h"

#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace DevelopViews {

namespace {

constexpr int RoleInfo = Qt::UserRole; // UsbInfo of a USB item
constexpr int DefaultBaudIndex = 1; // 115200

} // namespace

RomDevicePanel::RomDevicePanel(QWidget* parent)
    : QWidget(parent)
    , m_portLister(std::make_unique<RomCmd::SerialPortLister>())
{
    setObjectName(QStringLiteral("RomDevicePanel"));
    m_socLabel = new QLabel(this);
    m_socCombo = new QComboBox(this);
    m_socCombo->setObjectName(QStringLiteral("SocCombo"));
    m_usbLabel = new QLabel(this);
    m_usbList = new QListWidget(this);
    m_usbList->setObjectName(QStringLiteral("UsbRomList"));
    m_uartLabel = new QLabel(this);
    m_uartRefreshBtn = new QToolButton(this);
    m_uartList = new QListWidget(this);
    m_uartList->setObjectName(QStringLiteral("UartList"));
    m_portEdit = new QLineEdit(this);
    m_addPortBtn = new QToolButton(this);
    m_baudLabel = new QLabel(this);
    m_baudCombo = new QComboBox(this);
    m_baudCombo->addItems(Constants::baudRates());
    m_baudCombo->setCurrentIndex(DefaultBaudIndex);
    m_connectBtn = new QPushButton(this);
    m_connectBtn->setObjectName(QStringLiteral("ConnectBtn"));
    m_disconnectBtn = new QPushButton(this);
    m_statusLabel = new QLabel(this);
    m_statusLabel->setWordWrap(true);
    m_statusLabel->setObjectName(QStringLiteral("ConnectStatus"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    auto* socRow = new QHBoxLayout;
    socRow->addWidget(m_socLabel);
    socRow->addWidget(m_socCombo, 1);
    layout->addLayout(socRow);
    layout->addWidget(m_usbLabel);
    layout->addWidget(m_usbList, 1);
    auto* uartHead = new QHBoxLayout;
    uartHead->addWidget(m_uartLabel, 1);
    uartHead->addWidget(m_uartRefreshBtn);
    layout->addLayout(uartHead);
    layout->addWidget(m_uartList, 1);
    auto* portRow = new QHBoxLayout;
    portRow->addWidget(m_portEdit, 1);
    portRow->addWidget(m_addPortBtn);
    layout->addLayout(portRow);
    auto* baudRow = new QHBoxLayout;
    baudRow->addWidget(m_baudLabel);
    baudRow->addWidget(m_baudCombo, 1);
    layout->addLayout(baudRow);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_connectBtn);
    buttons->addWidget(m_disconnectBtn);
    layout->addLayout(buttons);
    layout->addWidget(m_statusLabel);

    // One selection over both lists: choosing in one clears the other.
    connect(m_usbList, &QListWidget::itemSelectionChanged, this, [this] {
        if (!m_usbList->selectedItems().isEmpty())
            m_uartList->clearSelection();
        updateButtons();
    });
    connect(m_uartList, &QListWidget::itemSelectionChanged, this, [this] {
        if (!m_uartList->selectedItems().isEmpty())
            m_usbList->clearSelection();
        updateButtons();
    });
    connect(m_usbList, &QListWidget::itemDoubleClicked, this, &RomDevicePanel::slotConnectBtnClicked);
    connect(m_uartList, &QListWidget::itemDoubleClicked, this, &RomDevicePanel::slotConnectBtnClicked);
    connect(m_uartRefreshBtn, &QToolButton::clicked, this, &RomDevicePanel::slotRefreshPorts);
    connect(m_addPortBtn, &QToolButton::clicked, this, &RomDevicePanel::slotAddPortBtnClicked);
    connect(m_portEdit, &QLineEdit::returnPressed, this, &RomDevicePanel::slotAddPortBtnClicked);
    connect(m_connectBtn, &QPushButton::clicked, this, &RomDevicePanel::slotConnectBtnClicked);
    connect(m_disconnectBtn, &QPushButton::clicked, this, &RomDevicePanel::slotDisconnectBtnClicked);
    connect(m_socCombo, QOverload<int>::of(&QComboBox::activated), this, &RomDevicePanel::slotSocChosen);

    // The system tells only about USB changes; serial ports are looked at now and then.
    m_portPoll = new QTimer(this);
    m_portPoll->setInterval(PortPollMs);
    connect(m_portPoll, &QTimer::timeout, this, &RomDevicePanel::slotRefreshPorts);
    m_portPoll->start();

    retranslate();
    reloadSocs();
    showStatus();
    updateButtons();
    QTimer::singleShot(0, this, &RomDevicePanel::slotRefreshPorts);
}

RomDevicePanel::~RomDevicePanel() = default;

void RomDevicePanel::setSerialPortLister(std::unique_ptr<RomCmd::SerialPortLister> lister)
{
    m_portLister = lister ? std::move(lister) : std::make_unique<RomCmd::SerialPortLister>();
}

void RomDevicePanel::retranslate()
{
    m_socLabel->setText(tr("SoC:"));
    m_usbLabel->setText(tr("USB ROM devices:"));
    m_uartLabel->setText(tr("UART:"));
    m_uartRefreshBtn->setText(tr("Refresh"));
    m_uartRefreshBtn->setToolTip(tr("Refresh the UART list"));
    m_portEdit->setPlaceholderText(tr("Other port by name"));
    m_portEdit->setToolTip(tr("A port the system does not list, e.g. /dev/ttyUSB0 or a pseudo-terminal"));
    m_addPortBtn->setText(tr("Add"));
    m_addPortBtn->setToolTip(tr("Add the port to the UART list"));
    m_baudLabel->setText(tr("Baud rate:"));
    m_connectBtn->setText(tr("Connect"));
    m_connectBtn->setToolTip(tr("Test the connection of the selected device and load the bootloader firmware "
                                "when it runs the plain ROM"));
    m_disconnectBtn->setText(tr("Disconnect"));
    showStatus();
}

void RomDevicePanel::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange && m_socLabel)
        retranslate();
    QWidget::changeEvent(event);
}

void RomDevicePanel::reloadSocs()
{
    const QSignalBlocker block(m_socCombo);
    m_socCombo->clear();
    QStringList names;
    for (const SocInfo& soc : SocDatabase::instance().socList())
        names << soc.name;
    for (const CustomSocInfo& soc : ProjectConfig::instance().customSocs())
        if (!names.contains(soc.name))
            names << soc.name;
    m_socCombo->addItems(names);
    m_socCombo->setCurrentIndex(names.indexOf(ProjectConfig::instance().socType()));
}

void RomDevicePanel::slotSocChosen(int index)
{
    const QString name = m_socCombo->itemText(index);
    if (name.isEmpty() || name == ProjectConfig::instance().socType())
        return;
    if (!ProjectConfig::instance().setSocType(name)) {
        emit signalAddLogs(tr("Cannot store the SoC %1 in the project").arg(name), LogError);
        reloadSocs();
        return;
    }
    emit signalAddLogs(tr("SoC: %1").arg(name), LogInfo);
    emit signalSocChanged();
}

QListWidgetItem* RomDevicePanel::findItem(QListWidget* list, const QString& id) const
{
    for (int i = 0; i < list->count(); ++i) {
        QListWidgetItem* item = list->item(i);
        const QString itemId = list == m_usbList ? item->data(RoleInfo).value<UsbInfo>().devicePath : item->text();
        if (itemId == id)
            return item;
    }
    return nullptr;
}

QString RomDevicePanel::deviceIdOf(const QVariant& info, EDeviceType type) const
{
    return RomCmd::RomUiMode::deviceId(info, type);
}

void RomDevicePanel::slotUpdateUsbDevice(UsbInfo info, bool isArrival)
{
    QListWidgetItem* item = findItem(m_usbList, info.devicePath);
    if (!isArrival) {
        // A removal carries the path only: drop whatever is listed under it.
        if (!item)
            return;
        delete item;
        emit signalAddLogs(tr("USB ROM device removed: %1").arg(info.devicePath), LogDebug);
        if (m_connected && m_connectedType == EDeviceTypeUsbHid
            && deviceIdOf(m_connectedInfo, m_connectedType) == info.devicePath && !m_testing)
            disconnectDevice(true);
        updateButtons();
        return;
    }
    const QList<WorkbenchRules::UsbId> ids
        = WorkbenchRules::romUsbIds(SocDatabase::instance().socList(), ProjectConfig::instance().customSocs());
    if (!WorkbenchRules::isRomUsbDevice(info, ids))
        return;
    if (!item) {
        item = new QListWidgetItem(m_usbList);
        emit signalAddLogs(tr("USB ROM device found: %1")
                               .arg(WorkbenchRules::deviceText(QVariant::fromValue(info), EDeviceTypeUsbHid)),
            LogDebug);
    }
    item->setText(WorkbenchRules::usbItemText(info));
    item->setData(RoleInfo, QVariant::fromValue(info));
    if (m_usbList->selectedItems().isEmpty() && m_uartList->selectedItems().isEmpty())
        item->setSelected(true);
    updateButtons();
}

void RomDevicePanel::slotUpdatePortDevice(QString port, bool isArrival)
{
    QListWidgetItem* item = findItem(m_uartList, port);
    if (isArrival && !item) {
        m_uartList->addItem(port);
        emit signalAddLogs(tr("Detect UART: ") + port, LogDebug);
    } else if (!isArrival && item && !m_typedPorts.contains(port)) {
        delete item;
        emit signalAddLogs(tr("Remove UART: ") + port, LogDebug);
        if (m_connected && m_connectedType == EDeviceTypeUart && deviceIdOf(m_connectedInfo, m_connectedType) == port
            && !m_testing)
            disconnectDevice(true);
    }
    updateButtons();
}

void RomDevicePanel::slotRefreshPorts()
{
    QStringList shown;
    for (int i = 0; i < m_uartList->count(); ++i)
        shown << m_uartList->item(i)->text();
    const WorkbenchRules::PortChanges changes
        = WorkbenchRules::portChanges(shown, m_portLister->portNames(), m_typedPorts);
    for (const QString& port : changes.removed)
        slotUpdatePortDevice(port, false);
    for (const QString& port : changes.added)
        slotUpdatePortDevice(port, true);
}

void RomDevicePanel::slotAddPortBtnClicked()
{
    const QString port = m_portEdit->text().trimmed();
    if (port.isEmpty())
        return;
    if (!m_typedPorts.contains(port))
        m_typedPorts << port;
    slotUpdatePortDevice(port, true);
    m_portEdit->clear();
    if (QListWidgetItem* item = findItem(m_uartList, port)) {
        m_uartList->setCurrentItem(item);
        item->setSelected(true);
    }
}

bool RomDevicePanel::selectedDevice(QVariant* info, EDeviceType* type) const
{
    const QList<QListWidgetItem*> usb = m_usbList->selectedItems();
    if (!usb.isEmpty()) {
        *info = usb.first()->data(RoleInfo);
        *type = EDeviceTypeUsbHid;
        return true;
    }
    const QList<QListWidgetItem*> uart = m_uartList->selectedItems();
    if (!uart.isEmpty()) {
        SerialPortInfo port;
        port.portName = uart.first()->text();
        port.baudRate = m_baudCombo->currentText().toInt();
        *info = QVariant::fromValue(port);
        *type = EDeviceTypeUart;
        return true;
    }
    return false;
}

void RomDevicePanel::slotConnectBtnClicked()
{
    QVariant info;
    EDeviceType type = EDeviceTypeUart;
    if (m_testing)
        return;
    if (!selectedDevice(&info, &type)) {
        emit signalAddLogs(tr("Choose a USB ROM device or a serial port first"), LogWarning);
        return;
    }
    if (m_connected)
        disconnectDevice(false);
    m_testing = true;
    m_shown = Shown::Testing;
    m_statusDevice = WorkbenchRules::shortDeviceText(info, type);
    showStatus();
    updateButtons();
    emit signalDeviceConnectTest(info, type, 0);
}

void RomDevicePanel::slotDeviceConnectTestFinished(
    QVariant info, EDeviceType type, bool result, QVariantMap stepResultInfoMap)
{
    m_testing = false;
    const WorkbenchRules::ConnectOutcome outcome
        = WorkbenchRules::connectOutcome(info, type, result, stepResultInfoMap);
    for (const QString& line : outcome.report)
        emit signalAddLogs(line, outcome.level);
    m_shown = Shown::Outcome;
    m_outcome = outcome.state;
    m_statusDevice = WorkbenchRules::shortDeviceText(info, type);
    if (outcome.state != WorkbenchRules::ConnectState::Failed) {
        m_connected = true;
        m_connectedInfo = info;
        m_connectedType = type;
        emit signalRunDeviceChanged(info, type, true);
    }
    showStatus();
    updateButtons();
}

void RomDevicePanel::slotDownloadTaskUpdate(QString id, DownloadTaskInfo taskInfo)
{
    // While a test runs, the line says what the device is doing (querying, loading firmware).
    if (!m_testing
        || (taskInfo.status != Constants::StatusQueryRomVersion
            && taskInfo.status != Constants::StatusLoadingRomFirmware))
        return;
    m_statusLabel->setText(Constants::statusText(taskInfo.status) + QStringLiteral("\n") + id);
}

void RomDevicePanel::slotSetLoadingWidgetHided()
{
    // The orchestrator gave up waiting for a restarted device: the test is over.
    if (!m_testing)
        return;
    m_testing = false;
    m_shown = Shown::Outcome;
    m_outcome = WorkbenchRules::ConnectState::Failed;
    showStatus();
    updateButtons();
}

void RomDevicePanel::slotDisconnectBtnClicked()
{
    disconnectDevice(true);
}

void RomDevicePanel::disconnectDevice(bool log)
{
    if (!m_connected)
        return;
    const QVariant info = m_connectedInfo;
    const EDeviceType type = m_connectedType;
    m_connected = false;
    m_connectedInfo = QVariant();
    if (log)
        emit signalAddLogs(tr("Disconnected: %1").arg(WorkbenchRules::deviceText(info, type)), LogInfo);
    m_shown = Shown::Idle;
    showStatus();
    updateButtons();
    emit signalRunDeviceChanged(info, type, false);
}

void RomDevicePanel::showStatus()
{
    QString text;
    switch (m_shown) {
    case Shown::Idle: text = tr("No device connected"); break;
    case Shown::Testing: text = tr("Testing the connection...") + QStringLiteral("\n") + m_statusDevice; break;
    case Shown::Outcome: text = WorkbenchRules::stateText(m_outcome) + QStringLiteral("\n") + m_statusDevice; break;
    }
    m_statusLabel->setText(text);
}

void RomDevicePanel::updateButtons()
{
    const bool selected = !m_usbList->selectedItems().isEmpty() || !m_uartList->selectedItems().isEmpty();
    m_connectBtn->setEnabled(selected && !m_testing);
    m_disconnectBtn->setEnabled(m_connected && !m_testing);
}

} // namespace DevelopViews
