#include "imageprogrammetab.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QStyle>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "apppaths.h"
#include "bootimagechecker.h"
#include "fileselectwidget.h"
#include "flashwords.h"
#include "globalsetting.h"
#include "krelotpinfo.h"
#include "projectconfig.h"
#include "socdatabase.h"
#include "writeconfigtask.h"

namespace DevelopViews {

namespace {

const char* const PropOptionIndex = "OptionIndex";
const char* const PropMinBit = "MinBit";
const char* const PropMaxBit = "MaxBit";
const char* const PropValue = "Value";
const char* const PropKind = "ParamType";

const QStringList BaudRates { QStringLiteral("115200"), QStringLiteral("230400"), QStringLiteral("460800"),
    QStringLiteral("500000"), QStringLiteral("1000000"), QStringLiteral("2000000") };

const int RoleCustom = Qt::UserRole + 1;

// Program addresses and sector indexes: "0x" and up to eight hex digits.
QValidator* addressValidator(QObject* parent)
{
    return new QRegularExpressionValidator(QRegularExpression(QStringLiteral("^0x[0-9a-fA-F]{0,8}$")), parent);
}

void setBits(QObject* o, const ConfigOptionInfo& option, const ConfigParamInfo& param)
{
    o->setProperty(PropOptionIndex, int(option.index));
    o->setProperty(PropMinBit, int(param.minBit));
    o->setProperty(PropMaxBit, int(param.maxBit));
    o->setProperty(PropKind, int(param.type));
}

} // namespace

ImageProgrammeTab::ImageProgrammeTab(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("ImageProgrammeTab"));
    // signalWriteConfigRun crosses to the orchestrator, possibly queued.
    qRegisterMetaType<QList<QPair<QString, QString>>>("QList<QPair<QString,QString>>");
    buildUi();
    retranslateUi();
    reloadConfiguration();
}

// A helper still running is stopped with the tab (its QProcess is a child).
ImageProgrammeTab::~ImageProgrammeTab() = default;

void ImageProgrammeTab::buildUi()
{
    // Basic settings.
    m_basicGroup = new QGroupBox(this);
    auto* basic = new QGridLayout(m_basicGroup);
    m_socLabel = new QLabel(m_basicGroup);
    m_socCbb = new QComboBox(m_basicGroup);
    m_socCbb->setObjectName(QStringLiteral("socCbb"));
    m_socCbb->setMinimumContentsLength(14);
    m_socTrashBtn = new QToolButton(m_basicGroup);
    m_socTrashBtn->setObjectName(QStringLiteral("socTrashBtn"));
    m_socTrashBtn->setIcon(style()->standardIcon(QStyle::SP_TrashIcon));
    m_modeLabel = new QLabel(m_basicGroup);
    m_modeCbb = new QComboBox(m_basicGroup);
    m_modeCbb->setObjectName(QStringLiteral("modeCbb"));
    m_modeCbb->addItems({ QString(), QString(), QString() });
    m_baudLabel = new QLabel(m_basicGroup);
    m_baudCbb = new QComboBox(m_basicGroup);
    m_baudCbb->setObjectName(QStringLiteral("baudCbb"));
    m_baudCbb->addItems(BaudRates);
    m_beepLabel = new QLabel(m_basicGroup);
    m_beepChk = new QCheckBox(m_basicGroup);
    m_beepChk->setObjectName(QStringLiteral("beepChk"));
    m_fiveVoltLabel = new QLabel(m_basicGroup);
    m_fiveVoltChk = new QCheckBox(m_basicGroup);
    m_fiveVoltChk->setObjectName(QStringLiteral("fiveVoltChk"));
    auto* socRow = new QHBoxLayout;
    socRow->addWidget(m_socCbb, 1);
    socRow->addWidget(m_socTrashBtn);
    basic->addWidget(m_socLabel, 0, 0);
    basic->addLayout(socRow, 0, 1);
    basic->addWidget(m_modeLabel, 1, 0);
    basic->addWidget(m_modeCbb, 1, 1);
    basic->addWidget(m_baudLabel, 2, 0);
    basic->addWidget(m_baudCbb, 2, 1);
    auto* switches = new QHBoxLayout;
    switches->addWidget(m_beepChk);
    switches->addSpacing(24);
    switches->addWidget(m_fiveVoltLabel);
    switches->addWidget(m_fiveVoltChk);
    switches->addStretch(1);
    basic->addWidget(m_beepLabel, 3, 0);
    basic->addLayout(switches, 3, 1);
    basic->setColumnStretch(1, 1);

    // The image and its flash configuration.
    m_imageGroup = new QGroupBox(this);
    auto* image = new QGridLayout(m_imageGroup);
    m_withBootRadio = new QRadioButton(m_imageGroup);
    m_withBootRadio->setObjectName(QStringLiteral("withBootRadio"));
    m_withoutBootRadio = new QRadioButton(m_imageGroup);
    m_withoutBootRadio->setObjectName(QStringLiteral("withoutBootRadio"));
    m_imageTypeGroup = new QButtonGroup(this);
    m_imageTypeGroup->addButton(m_withBootRadio);
    m_imageTypeGroup->addButton(m_withoutBootRadio);
    m_withBootRadio->setChecked(true);
    m_withoutHint = new QLabel(m_imageGroup);
    m_withoutHint->setObjectName(QStringLiteral("withoutHint"));
    m_withoutHint->setWordWrap(true);
    m_memoryLabel = new QLabel(m_imageGroup);
    m_memoryCbb = new QComboBox(m_imageGroup);
    m_memoryCbb->setObjectName(QStringLiteral("memoryCbb"));
    m_addressLabel = new QLabel(m_imageGroup);
    m_addressLabel->setObjectName(QStringLiteral("addressLabel"));
    m_addressEdit = new QLineEdit(m_imageGroup);
    m_addressEdit->setObjectName(QStringLiteral("addressEdit"));
    m_addressEdit->setValidator(addressValidator(m_addressEdit));
    m_imageLabel = new QLabel(m_imageGroup);
    m_imageSelect = new FileSelectWidget(m_imageGroup);
    m_imageSelect->setObjectName(QStringLiteral("imageSelect"));
    m_flashWordLabel = new QLabel(m_imageGroup);
    m_flashWordEdit = new QLineEdit(m_imageGroup);
    m_flashWordEdit->setObjectName(QStringLiteral("flashWordEdit"));
    m_flashWordEdit->setReadOnly(true);
    m_otpChk = new QCheckBox(m_imageGroup);
    m_otpChk->setObjectName(QStringLiteral("otpChk"));
    m_otpSelect = new FileSelectWidget(m_imageGroup);
    m_otpSelect->setObjectName(QStringLiteral("otpSelect"));
    m_otpSelect->setEnabled(false);
    auto* radios = new QHBoxLayout;
    radios->addWidget(m_withBootRadio);
    radios->addWidget(m_withoutBootRadio);
    radios->addStretch(1);
    image->addLayout(radios, 0, 0, 1, 2);
    image->addWidget(m_withoutHint, 1, 0, 1, 2);
    image->addWidget(m_memoryLabel, 2, 0);
    image->addWidget(m_memoryCbb, 2, 1);
    image->addWidget(m_addressLabel, 3, 0);
    image->addWidget(m_addressEdit, 3, 1);
    image->addWidget(m_imageLabel, 4, 0);
    image->addWidget(m_imageSelect, 4, 1);
    image->addWidget(m_flashWordLabel, 5, 0);
    image->addWidget(m_flashWordEdit, 5, 1);
    image->addWidget(m_otpChk, 6, 0);
    image->addWidget(m_otpSelect, 6, 1);
    image->setColumnStretch(1, 1);

    // Flash options, one row per visible parameter of the word layout.
    m_optionGroup = new QGroupBox(this);
    m_optionGroup->setObjectName(QStringLiteral("optionGroup"));
    auto* options = new QVBoxLayout(m_optionGroup);
    m_optionTable = new QTableWidget(0, 2, m_optionGroup);
    m_optionTable->setObjectName(QStringLiteral("optionTable"));
    m_optionTable->verticalHeader()->hide();
    m_optionTable->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    m_optionTable->horizontalHeader()->setStretchLastSection(true);
    m_optionTable->setSelectionMode(QAbstractItemView::NoSelection);
    m_optionTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    options->addWidget(m_optionTable);

    // Additional files.
    m_addFileGroup = new QGroupBox(this);
    auto* files = new QVBoxLayout(m_addFileGroup);
    m_addFileTable = new QTableWidget(0, 5, m_addFileGroup);
    m_addFileTable->setObjectName(QStringLiteral("addFileTable"));
    m_addFileTable->horizontalHeader()->hide();
    m_addFileTable->verticalHeader()->hide();
    m_addFileTable->setShowGrid(false);
    m_addFileTable->setSelectionMode(QAbstractItemView::NoSelection);
    m_addFileTable->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_addFileTable->setFrameShape(QFrame::NoFrame);
    auto* header = m_addFileTable->horizontalHeader();
    header->setMinimumSectionSize(8);
    header->setSectionResizeMode(QHeaderView::ResizeToContents);
    header->setSectionResizeMode(3, QHeaderView::Stretch);
    header->setSectionResizeMode(4, QHeaderView::Fixed);
    header->resizeSection(4, 36);
    m_addFileBtn = new QPushButton(m_addFileGroup);
    m_addFileBtn->setObjectName(QStringLiteral("addFileBtn"));
    auto* addRow = new QHBoxLayout;
    addRow->addWidget(m_addFileBtn);
    addRow->addStretch(1);
    files->addLayout(addRow);
    files->addWidget(m_addFileTable);

    // Actions.
    m_imageEditBtn = new QPushButton(this);
    m_imageEditBtn->setObjectName(QStringLiteral("imageEditBtn"));
    m_statusLabel = new QLabel(this);
    m_statusLabel->setObjectName(QStringLiteral("statusLabel"));
    m_exportBtn = new QPushButton(this);
    m_exportBtn->setObjectName(QStringLiteral("exportBtn"));
    m_writeBtn = new QPushButton(this);
    m_writeBtn->setObjectName(QStringLiteral("writeBtn"));
    m_writeBtn->setDefault(true);

    auto* left = new QVBoxLayout;
    left->addWidget(m_basicGroup);
    left->addWidget(m_imageGroup);
    left->addStretch(1);
    auto* right = new QVBoxLayout;
    right->addWidget(m_optionGroup, 3);
    right->addWidget(m_addFileGroup, 2);
    auto* columns = new QHBoxLayout;
    columns->addLayout(left, 1);
    columns->addLayout(right, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_imageEditBtn);
    buttons->addWidget(m_statusLabel, 1);
    buttons->addWidget(m_exportBtn);
    buttons->addWidget(m_writeBtn);
    auto* root = new QVBoxLayout(this);
    root->addLayout(columns, 1);
    root->addLayout(buttons);

    connect(m_socCbb, qOverload<int>(&QComboBox::currentIndexChanged), this,
        &ImageProgrammeTab::slotSelMcuCbbIndexChanged);
    connect(m_socTrashBtn, &QToolButton::clicked, this, &ImageProgrammeTab::slotSltSocCbbTrashBtnClicked);
    connect(m_memoryCbb, qOverload<int>(&QComboBox::currentIndexChanged), this,
        &ImageProgrammeTab::slotMemoryIdCurrentIndexChanged);
    connect(m_withBootRadio, &QRadioButton::clicked, this, &ImageProgrammeTab::slotImageTypeRadioBtnClicked);
    connect(m_withoutBootRadio, &QRadioButton::clicked, this, &ImageProgrammeTab::slotImageTypeRadioBtnClicked);
    connect(m_imageSelect, &FileSelectWidget::signalBrowseClicked, this, &ImageProgrammeTab::slotImgSltClicked);
    connect(
        m_imageSelect, &FileSelectWidget::signalPathChanged, this, &ImageProgrammeTab::slotFileSelectWgtTextChanged);
    connect(m_otpSelect, &FileSelectWidget::signalBrowseClicked, this, &ImageProgrammeTab::slotOtpSltClicked);
    connect(m_otpSelect, &FileSelectWidget::signalPathChanged, this, &ImageProgrammeTab::slotOTPSelectWgtTextChanged);
    connect(m_otpChk, &QCheckBox::clicked, this, &ImageProgrammeTab::slotOtpEnableChkClicked);
    connect(m_addressEdit, &QLineEdit::editingFinished, this, &ImageProgrammeTab::storeProject);
    connect(m_addFileBtn, &QPushButton::clicked, this, &ImageProgrammeTab::slotNewCommandBtnClicked);
    connect(m_imageEditBtn, &QPushButton::clicked, this, [this] { slotImageEditClicked(false); });
    connect(m_writeBtn, &QPushButton::clicked, this, &ImageProgrammeTab::slotWriteBtnClicked);
    connect(m_exportBtn, &QPushButton::clicked, this, &ImageProgrammeTab::slotExportBtnClicked);
}

void ImageProgrammeTab::retranslateUi()
{
    m_basicGroup->setTitle(tr("Basic Settings"));
    m_socLabel->setText(tr("MCU: "));
    m_socTrashBtn->setToolTip(tr("Remove this custom SoC"));
    m_modeLabel->setText(tr("Mode: "));
    m_modeCbb->setItemText(0, tr("ManualMode"));
    m_modeCbb->setItemText(1, tr("AutoMode"));
    m_modeCbb->setItemText(2, tr("MachineMode"));
    m_baudLabel->setText(tr("Uart Baudrate: "));
    m_beepLabel->setText(tr("Beep Enable: "));
    m_fiveVoltLabel->setText(tr("5V Enable: "));

    m_imageGroup->setTitle(tr("Image"));
    m_withBootRadio->setText(tr("With Boot Image"));
    m_withBootRadio->setToolTip(
        tr("With Boot Image, the tool will detect the image to ensure whether the image is correspond with the "
           "SoC's boot image and obtain the program address automatically"));
    m_withoutBootRadio->setText(tr("Without Boot Image"));
    const QString withoutText = tr("Without Boot Image, You need to set the Flash configuration items manually.");
    m_withoutBootRadio->setToolTip(withoutText);
    m_withoutHint->setText(withoutText);
    m_memoryLabel->setText(tr("Memory Type: "));
    m_addressLabel->setText(currentMemory().kind == EMemoryKindEmmc ? tr("Sector Index: ") : tr("Program Address: "));
    m_addressEdit->setPlaceholderText(tr("Hexadecimal Format, example: 0xFFFF"));
    m_imageLabel->setText(tr("Image File Path: "));
    m_imageSelect->browseButton()->setToolTip(tr("Select"));
    m_flashWordLabel->setText(tr("Flash Word: "));
    m_otpChk->setText(tr("OTP Program"));
    m_otpSelect->browseButton()->setToolTip(tr("Select"));

    m_optionGroup->setTitle(tr("Flash Options"));
    m_optionTable->setHorizontalHeaderLabels({ tr("Option"), tr("Value") });
    m_addFileGroup->setTitle(tr("Additional Files"));
    m_addFileBtn->setText(tr("Add File"));
    for (const AddFileRow& row : qAsConst(m_rows)) {
        row.addressLabel->setText(tr("Program Address:"));
        row.fileLabel->setText(tr("File Path:"));
        row.remove->setToolTip(tr("Remove this file"));
        row.address->setPlaceholderText(tr("Hexadecimal Format, example: 0xFFFF"));
    }

    m_imageEditBtn->setText(tr("Image Edit"));
    m_imageEditBtn->setToolTip(tr("Edit the image or the OTP data with the image helper"));
    m_writeBtn->setText(tr("Write Config"));
    m_writeBtn->setToolTip(tr("Write Configuration to Krel"));
    m_exportBtn->setText(tr("Export Config"));
    m_exportBtn->setToolTip(tr("Export Configurations to Computer Disk"));
    m_statusLabel->setText(statusText(m_lastStatus));
}

void ImageProgrammeTab::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslateUi();
    QWidget::changeEvent(event);
}

// ---------------------------------------------------------------- SoC and project

void ImageProgrammeTab::fillSocSelector()
{
    const QString selected = ProjectConfig::instance().socType();
    const QSignalBlocker block(m_socCbb);
    m_socCbb->clear();
    const QList<SocInfo> socs = SocDatabase::instance().socList();
    for (const SocInfo& soc : socs)
        m_socCbb->addItem(soc.name);
    const QList<CustomSocInfo> customs = ProjectConfig::instance().customSocs();
    for (const CustomSocInfo& custom : customs) {
        if (SocDatabase::instance().socByName(custom.ref).name.isEmpty())
            continue; // based on a SoC this build does not carry
        m_socCbb->addItem(custom.name);
        m_socCbb->setItemData(m_socCbb->count() - 1, true, RoleCustom);
        m_socCbb->setItemData(m_socCbb->count() - 1, tr("Custom SoC based on %1").arg(custom.ref), Qt::ToolTipRole);
    }
    const int index = m_socCbb->findText(selected);
    m_socCbb->setCurrentIndex(index >= 0 ? index : (m_socCbb->count() > 0 ? 0 : -1));
}

void ImageProgrammeTab::reloadConfiguration()
{
    fillSocSelector();
    slotSelMcuCbbIndexChanged(m_socCbb->currentIndex());
}

void ImageProgrammeTab::slotSelMcuCbbIndexChanged(int index)
{
    if (index < 0) {
        m_socTrashBtn->setVisible(false);
        return;
    }
    const QString name = m_socCbb->itemText(index);
    ProjectConfig& project = ProjectConfig::instance();
    if (project.socType() != name) {
        project.setSocType(name);
        project.saveDefault();
    }
    m_socIsCustom = m_socCbb->itemData(index, RoleCustom).toBool();
    m_soc = SocDatabase::instance().socByName(name);
    if (m_soc.name.isEmpty())
        m_soc = SocDatabase::instance().socByName(SocDatabase::instance().currentSocBaseName());
    m_socTrashBtn->setVisible(m_socIsCustom);

    // Back to what the project holds for the tab; nothing is stored meanwhile.
    m_loading = true;
    const QString imagePath = project.imagePath();
    const QString flashType = project.flashType();
    const QString flashWord = project.flashWord();
    const QString flashAddress = project.flashAddress();

    {
        const QSignalBlocker block(m_memoryCbb);
        m_memoryCbb->clear();
        for (const MemoryItemInfo& m : qAsConst(m_soc.flashMemory))
            m_memoryCbb->addItem(m.name, QVariant::fromValue(m));
        for (const MemoryItemInfo& m : qAsConst(m_soc.emmcMemory))
            m_memoryCbb->addItem(m.name, QVariant::fromValue(m));
    }

    clearFlashWords();
    m_flashConfigOffset.reset();
    m_bootHeaderOffset.reset();
    if (!imagePath.isEmpty()) {
        m_imageSelect->setPathQuietly(imagePath);
        if (!QFileInfo::exists(imagePath))
            emit signalAddLogs(tr("File not found! Path: ") + imagePath, LogError);
    }
    int memoryIndex = 0;
    for (int i = 0; i < m_memoryCbb->count(); ++i) {
        if (m_memoryCbb->itemData(i).value<MemoryItemInfo>().value == flashType && !flashType.isEmpty())
            memoryIndex = i;
    }
    m_withBootRadio->setChecked(flashWord.isEmpty());
    m_withoutBootRadio->setChecked(!flashWord.isEmpty());
    {
        const QSignalBlocker block(m_memoryCbb);
        m_memoryCbb->setCurrentIndex(m_memoryCbb->count() > 0 ? memoryIndex : -1);
    }
    m_optionsForFlash = optionConfigIsFlash();
    slotMemoryIdCurrentIndexChanged(m_memoryCbb->currentIndex());

    if (flashWord.isEmpty()) {
        slotImageTypeRadioBtnClicked();
    } else {
        applyFlashWords(flashWord.split(QLatin1Char(',')));
        applyModeUi();
        rebuildFlashOptions();
    }
    if (!flashAddress.isEmpty())
        setProgramAddress(flashAddress);
    m_loading = false;
}

void ImageProgrammeTab::storeProject()
{
    if (m_loading)
        return;
    ProjectConfig& project = ProjectConfig::instance();
    const QString imagePath = m_imageSelect->path();
    const QString flashType = currentMemory().value;
    const QString flashAddress = m_addressEdit->text();
    const QString flashWord = isWithBootImage() ? QString() : m_flashWordText;
    if (project.imagePath() == imagePath && project.flashType() == flashType
        && project.flashAddress() == flashAddress && project.flashWord() == flashWord)
        return;
    project.setImagePath(imagePath);
    project.setFlashType(flashType);
    project.setFlashAddress(flashAddress);
    project.setFlashWord(flashWord);
    project.saveDefault();
}

void ImageProgrammeTab::slotSltSocCbbTrashBtnClicked()
{
    const int index = m_socCbb->currentIndex();
    if (index < 0 || !m_socCbb->itemData(index, RoleCustom).toBool())
        return;
    const QString name = m_socCbb->itemText(index);
    auto* box = new QMessageBox(QMessageBox::Warning, tr("Warning"),
        tr("Do you really want to remove the custom SoC: ") + name + QStringLiteral("?"),
        QMessageBox::Yes | QMessageBox::No, this);
    box->setObjectName(QStringLiteral("removeSocBox"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    connect(box, &QMessageBox::finished, this, [this, name](int result) {
        if (result != QMessageBox::Yes)
            return;
        ProjectConfig& project = ProjectConfig::instance();
        QList<CustomSocInfo> customs = project.customSocs();
        for (int i = customs.size() - 1; i >= 0; --i) {
            if (customs.at(i).name == name)
                customs.removeAt(i);
        }
        project.setCustomSocs(customs);
        project.saveDefault();
        const int at = m_socCbb->findText(name);
        if (at >= 0)
            m_socCbb->removeItem(at); // selects a neighbour, which becomes the project's SoC
        emit signalAddLogs(tr("Custom SoC removed: ") + name, LogInfo);
    });
    box->open();
}

// ---------------------------------------------------------------- memory, mode and flash words

MemoryItemInfo ImageProgrammeTab::currentMemory() const
{
    if (!m_memoryCbb || m_memoryCbb->currentIndex() < 0)
        return MemoryItemInfo();
    return m_memoryCbb->currentData().value<MemoryItemInfo>();
}

bool ImageProgrammeTab::optionConfigIsFlash() const
{
    return !(currentMemory().kind == EMemoryKindEmmc && !m_soc.emmcConfig.options.isEmpty());
}

const FlashConfigInfo& ImageProgrammeTab::optionConfig() const
{
    return optionConfigIsFlash() ? m_soc.flashConfig : m_soc.emmcConfig;
}

bool ImageProgrammeTab::isWithBootImage() const
{
    return !m_withoutBootRadio->isChecked();
}

void ImageProgrammeTab::setProgramAddress(const QString& text)
{
    m_addressEdit->setText(text);
}

void ImageProgrammeTab::slotMemoryIdCurrentIndexChanged(int index)
{
    if (index < 0)
        return;
    const MemoryItemInfo memory = currentMemory();
    if (memory.kind == EMemoryKindEmmc) {
        // eMMC images carry no flash boot structures: nothing to inspect.
        m_addressLabel->setText(tr("Sector Index: "));
        setProgramAddress(memory.sectorIndex);
    } else {
        m_addressLabel->setText(tr("Program Address: "));
        setProgramAddress(memory.address);
        // Manual words are the user's; only the main image's own words replace words.
        if (isWithBootImage() && !m_loading)
            checkBootImage(true);
    }
    const bool forFlash = optionConfigIsFlash();
    if (forFlash != m_optionsForFlash) {
        // Another word layout: the old words mean nothing in it.
        m_optionsForFlash = forFlash;
        clearFlashWords();
        rebuildFlashOptions();
        slotFlashWordCalculated();
    }
    soltUpdateAddFileTableAddress();
    storeProject();
}

void ImageProgrammeTab::clearFlashWords()
{
    m_words.clear();
    m_flashWordText.clear();
    m_flashWordEdit->clear();
}

void ImageProgrammeTab::applyModeUi()
{
    const bool with = isWithBootImage();
    m_imageSelect->setEnabled(with);
    m_addressEdit->setEnabled(with);
    m_imageLabel->setEnabled(with);
    m_addressLabel->setEnabled(with);
    m_withoutHint->setVisible(!with);
    m_optionGroup->setVisible(!with);
    slotFlashTitleChkStateChanged(with ? 0 : 1);
}

void ImageProgrammeTab::slotImageTypeRadioBtnClicked()
{
    clearFlashWords();
    applyModeUi();
    if (isWithBootImage()) {
        if (currentMemory().kind == EMemoryKindFlash)
            checkBootImage(true);
    } else {
        rebuildFlashOptions();
    }
    slotFlashWordCalculated();
    storeProject();
}

void ImageProgrammeTab::slotFlashTitleChkStateChanged(int state)
{
    for (QObject* o : qAsConst(m_optionWidgets)) {
        if (auto* w = qobject_cast<QWidget*>(o))
            w->setEnabled(state == 1);
    }
}

void ImageProgrammeTab::rebuildFlashOptions()
{
    for (QObject* o : qAsConst(m_optionWidgets)) {
        if (!o->isWidgetType())
            delete o; // value holders; the editors go with their rows
    }
    m_optionWidgets.clear();
    m_optionTable->setRowCount(0);

    const FlashConfigInfo& config = optionConfig();
    const bool haveWords = !m_words.isEmpty();
    for (const ConfigOptionInfo& option : config.options) {
        const quint32 word = int(option.index) < m_words.size() ? m_words.at(int(option.index)) : 0;
        for (const ConfigParamInfo& param : option.params) {
            if (param.hide)
                continue; // its bits keep what the words hold
            const quint32 current = FlashWords::fieldOf(word, int(param.minBit), int(param.maxBit));
            QWidget* editor = nullptr;
            if (param.type == EConfigParamValue) {
                auto* holder = new QObject(this);
                setBits(holder, option, param);
                holder->setProperty(PropValue, param.value);
                m_optionWidgets.append(holder);
                continue;
            } else if (param.type == EConfigParamSelect) {
                auto* combo = new QComboBox;
                int select = -1, preferred = -1;
                for (auto it = param.items.cbegin(); it != param.items.cend(); ++it) {
                    combo->addItem(it.value().text, it.key());
                    combo->setItemData(combo->count() - 1, it.value().desc, Qt::ToolTipRole);
                    quint64 v = 0;
                    if (FlashWords::parseNumber(it.key(), v) && v == current)
                        select = combo->count() - 1;
                    if (it.key() == param.defaultItem)
                        preferred = combo->count() - 1;
                }
                combo->setCurrentIndex(haveWords && select >= 0 ? select : (preferred >= 0 ? preferred : 0));
                connect(combo, qOverload<int>(&QComboBox::currentIndexChanged), this,
                    &ImageProgrammeTab::slotFlashWordCalculated);
                editor = combo;
            } else if (param.type == EConfigParamInput) {
                auto* edit = new QLineEdit;
                edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("^[0-9]{0,10}$")), edit));
                edit->setPlaceholderText(param.placeholder);
                edit->setProperty(PropValue, param.placeholderValue);
                quint64 placeholderValue = 0;
                const bool hasPlaceholderValue = FlashWords::parseNumber(param.placeholderValue, placeholderValue);
                if (haveWords) {
                    // The placeholder already says what its value stands for.
                    if (!(param.placeholder.size() && hasPlaceholderValue && placeholderValue == current))
                        edit->setText(QString::number(current));
                } else {
                    quint64 defaultValue = 0;
                    const bool isPlaceholder = param.placeholder.size() && hasPlaceholderValue
                        && FlashWords::parseNumber(param.defaultValue, defaultValue) && defaultValue == placeholderValue;
                    if (!isPlaceholder)
                        edit->setText(param.defaultValue);
                }
                connect(edit, &QLineEdit::textEdited, this, &ImageProgrammeTab::slotFlashWordCalculated);
                editor = edit;
            } else {
                continue; // a type the tool does not know: never edited
            }
            setBits(editor, option, param);
            editor->setEnabled(!isWithBootImage());
            const int row = m_optionTable->rowCount();
            m_optionTable->insertRow(row);
            auto* name = new QTableWidgetItem(param.name);
            name->setToolTip(param.desc);
            m_optionTable->setItem(row, 0, name);
            m_optionTable->setCellWidget(row, 1, editor);
            m_optionWidgets.append(editor);
        }
    }
}

void ImageProgrammeTab::slotFlashWordCalculated()
{
    if (isWithBootImage())
        return; // the words come from the image
    QList<FlashWords::FieldValue> fields;
    for (QObject* o : qAsConst(m_optionWidgets)) {
        FlashWords::FieldValue f;
        f.optionIndex = o->property(PropOptionIndex).toInt();
        f.minBit = o->property(PropMinBit).toInt();
        f.maxBit = o->property(PropMaxBit).toInt();
        quint64 v = 0;
        if (auto* combo = qobject_cast<QComboBox*>(o)) {
            FlashWords::parseNumber(combo->currentData().toString(), v);
        } else if (auto* edit = qobject_cast<QLineEdit*>(o)) {
            if (!edit->text().isEmpty())
                FlashWords::parseNumber(edit->text(), v);
            else if (!edit->placeholderText().isEmpty())
                FlashWords::parseNumber(edit->property(PropValue).toString(), v);
        } else {
            FlashWords::parseAddress(o->property(PropValue).toString(), v);
        }
        f.value = v;
        fields.append(f);
    }
    const int count = qMax(int(optionConfig().optionCount), optionConfig().options.size());
    // The count of option words lives in word 0 of the flash layout only.
    m_words = FlashWords::compute(m_words, count, fields, optionConfigIsFlash());
    m_flashWordText = FlashWords::toText(m_words);
    m_flashWordEdit->setText(m_flashWordText);
    m_flashWordEdit->setCursorPosition(0);
    emit signalAddLogs(QStringLiteral("Current Memory Configuration Option: [") + m_flashWordText + QStringLiteral("]"),
        LogDebug);
    storeProject();
}

void ImageProgrammeTab::applyFlashWords(const QStringList& words)
{
    QVector<quint32> parsed;
    if (!FlashWords::parse(words, parsed)) {
        emit signalAddLogs(tr("Flash words are not valid: ") + words.join(QLatin1Char(',')), LogError);
        clearFlashWords();
        return;
    }
    m_words = parsed;
    m_flashWordText = FlashWords::toText(m_words);
    m_flashWordEdit->setText(m_flashWordText);
    m_flashWordEdit->setCursorPosition(0);
    storeProject();
}

// ---------------------------------------------------------------- boot image

void ImageProgrammeTab::addLogs(const KrelLogLines& lines)
{
    for (const KrelLogLine& line : lines)
        emit signalAddLogs(line.text, line.level);
}

bool ImageProgrammeTab::checkBootImage(bool updateAddress)
{
    const BootImageReport report = BootImageChecker::check(m_imageSelect->path(), currentMemory(), updateAddress);
    addLogs(report.logs);
    m_flashConfigOffset = report.flashConfigOffset;
    m_bootHeaderOffset = report.bootHeaderOffset;
    if (!report.flashWords.isEmpty()) {
        applyFlashWords(report.flashWords);
        rebuildFlashOptions();
    }
    if (report.programAddress)
        setProgramAddress(*report.programAddress);
    storeProject();
    return report.result;
}

bool ImageProgrammeTab::inspectOffset(QIODevice& file, quint32 offset)
{
    BootImageReport report;
    report.flashConfigOffset = m_flashConfigOffset;
    report.bootHeaderOffset = m_bootHeaderOffset;
    const bool ok = BootImageChecker::inspectOffset(file, offset, report);
    addLogs(report.logs);
    m_flashConfigOffset = report.flashConfigOffset;
    m_bootHeaderOffset = report.bootHeaderOffset;
    if (!report.flashWords.isEmpty()) {
        applyFlashWords(report.flashWords);
        rebuildFlashOptions();
    }
    return ok;
}

void ImageProgrammeTab::slotImagePathUpdated(QString path)
{
    m_imageSelect->setPath(path);
}

void ImageProgrammeTab::slotFileSelectWgtTextChanged()
{
    const QString path = m_imageSelect->path();
    if (!path.isEmpty()) {
        m_flashConfigOffset.reset();
        m_bootHeaderOffset.reset();
        const QFileInfo info(path);
        if (!info.isFile()) {
            emit signalAddLogs(tr("File not found! Path: ") + path, LogError);
        } else if (info.size() == 0) {
            emit signalAddLogs(tr("The image file is empty! Path: ") + path, LogError);
        } else if (currentMemory().kind == EMemoryKindFlash && isWithBootImage()) {
            // The words belong to the image: a new image never keeps the last one's.
            clearFlashWords();
            if (!checkBootImage(true)) {
                auto* box = new QMessageBox(QMessageBox::Warning, tr("Warning"),
                    tr("Can not find flash config or boot header in this image! Please select the correct image "
                       "after editing with the VLX Micro Programmer tool."),
                    QMessageBox::NoButton, this);
                box->setObjectName(QStringLiteral("bootImageWarning"));
                box->addButton(tr("Yes"), QMessageBox::YesRole);
                box->setAttribute(Qt::WA_DeleteOnClose);
                box->open(); // the helper may hand over an image at any time: never a nested loop
            }
        }
    }
    storeProject();
}

// ---------------------------------------------------------------- files and OTP

void ImageProgrammeTab::openFileDialog(const QString& title, const QString& filter, const QString& current,
    bool directory, const std::function<void(const QString&)>& chosen)
{
    const QFileInfo info(current);
    QString start = AppPaths::appDir();
    if (!current.isEmpty())
        start = info.isDir() ? info.absoluteFilePath() : info.absolutePath();
    auto* dialog = new QFileDialog(this, title, start, filter);
    dialog->setObjectName(QStringLiteral("fileDialog"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    if (directory) {
        dialog->setFileMode(QFileDialog::Directory);
        dialog->setOption(QFileDialog::ShowDirsOnly);
    } else {
        dialog->setFileMode(QFileDialog::ExistingFile);
        if (info.isFile())
            dialog->selectFile(info.absoluteFilePath());
    }
    connect(dialog, &QFileDialog::fileSelected, this, [chosen](const QString& path) {
        if (!path.isEmpty())
            chosen(path);
    });
    dialog->open();
}

void ImageProgrammeTab::slotImgSltClicked()
{
    openFileDialog(tr("Select"), tr("Bin (*.bin)"), m_imageSelect->path(), false,
        [this](const QString& path) { m_imageSelect->setPath(QDir::toNativeSeparators(path)); });
}

void ImageProgrammeTab::slotOtpSltClicked()
{
    openFileDialog(tr("Select"), tr("Info (*.info)"), m_otpSelect->path(), false,
        [this](const QString& path) { m_otpSelect->setPath(QDir::toNativeSeparators(path)); });
}

void ImageProgrammeTab::slotAddFileSltClicked(int row)
{
    if (row < 0 || row >= m_rows.size())
        return;
    QPointer<FileSelectWidget> file = m_rows.at(row).file;
    openFileDialog(tr("Select"), QString(), file->path(), false, [file](const QString& path) {
        if (file)
            file->setPath(QDir::toNativeSeparators(path));
    });
}

void ImageProgrammeTab::slotOTPSelectWgtTextChanged()
{
    const QString path = m_otpSelect->path();
    if (path.isEmpty())
        return;
    if (!QFileInfo(path).isFile()) {
        emit signalAddLogs(tr("OTP File not found! Path: ") + path, LogError);
        return;
    }
    KrelLogLines logs;
    KrelOtpInfo::load(path, m_otpWords, logs);
    addLogs(logs);
}

void ImageProgrammeTab::slotOtpEnableChkClicked()
{
    m_otpSelect->setEnabled(m_otpChk->isChecked());
}

int ImageProgrammeTab::rowOf(QObject* widget) const
{
    for (int i = 0; i < m_rows.size(); ++i) {
        const AddFileRow& r = m_rows.at(i);
        if (widget == r.remove || widget == r.file || widget == r.address)
            return i;
    }
    return -1;
}

void ImageProgrammeTab::slotNewCommandBtnClicked()
{
    AddFileRow r;
    r.addressLabel = new QLabel(tr("Program Address:"));
    r.address = new QLineEdit;
    r.address->setValidator(addressValidator(r.address));
    r.address->setPlaceholderText(tr("Hexadecimal Format, example: 0xFFFF"));
    r.address->setMaximumWidth(r.address->fontMetrics().horizontalAdvance(QStringLiteral("0x00000000")) + 24);
    const MemoryItemInfo memory = currentMemory();
    if (memory.kind == EMemoryKindFlash)
        r.address->setText(memory.address);
    r.fileLabel = new QLabel(tr("File Path:"));
    r.file = new FileSelectWidget;
    r.remove = new QToolButton;
    r.remove->setIcon(style()->standardIcon(QStyle::SP_TrashIcon));
    r.remove->setToolTip(tr("Remove this file"));
    const int row = m_addFileTable->rowCount();
    m_addFileTable->insertRow(row);
    m_addFileTable->setCellWidget(row, 0, r.addressLabel);
    m_addFileTable->setCellWidget(row, 1, r.address);
    m_addFileTable->setCellWidget(row, 2, r.fileLabel);
    m_addFileTable->setCellWidget(row, 3, r.file);
    m_addFileTable->setCellWidget(row, 4, r.remove);
    m_rows.append(r);
    // Rows move when one above is removed: find the row when clicked.
    QToolButton* remove = r.remove;
    FileSelectWidget* file = r.file;
    connect(remove, &QToolButton::clicked, this, [this, remove] { slotAddFileDelBtnClicked(rowOf(remove)); });
    connect(file, &FileSelectWidget::signalBrowseClicked, this, [this, file] { slotAddFileSltClicked(rowOf(file)); });
}

void ImageProgrammeTab::slotAddFileDelBtnClicked(int row)
{
    if (row < 0 || row >= m_rows.size())
        return;
    m_rows.remove(row);
    m_addFileTable->removeRow(row);
}

void ImageProgrammeTab::soltUpdateAddFileTableAddress()
{
    const MemoryItemInfo memory = currentMemory();
    quint64 base = 0;
    if (memory.kind == EMemoryKindFlash)
        FlashWords::parseAddress(memory.address, base);
    // An empty field stays empty: generation then names the row.
    for (const AddFileRow& r : qAsConst(m_rows))
        r.address->setText(FlashWords::rebaseAddress(r.address->text(), base));
}

// ---------------------------------------------------------------- image helper

void ImageProgrammeTab::slotMenuImageEditClicked()
{
    slotImageEditClicked(true);
}

void ImageProgrammeTab::slotImageEditClicked(bool isMainMenuClicked)
{
    const QString program = ImageHelper::programPath();
    if (!QFileInfo(program).isFile()) {
        emit signalAddLogs(tr("Cannot find ") + program, LogError);
        return;
    }
    if (m_helper) {
        // One helper at a time; the old one is asked to close, then stopped,
        // without waiting for it here.
        QProcess* old = m_helper;
        old->disconnect(this);
        if (old->state() == QProcess::NotRunning) {
            old->deleteLater();
        } else {
            connect(old, qOverload<int, QProcess::ExitStatus>(&QProcess::finished), old, &QObject::deleteLater);
            old->terminate();
            QTimer::singleShot(3000, old, [old] { old->kill(); });
        }
    }
    m_helperReader = ImageHelper::LineReader();
    auto* process = new QProcess(this);
    process->setObjectName(QStringLiteral("imageHelper"));
    process->setWorkingDirectory(AppPaths::appDir());
    process->setProgram(program);
    process->setArguments(ImageHelper::arguments(SocDatabase::instance().currentSocBaseName(),
        GlobalSetting::instance().language() == 1, isMainMenuClicked || !m_withoutBootRadio->isChecked(),
        m_imageSelect->path()));
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    connect(process, &QProcess::readyReadStandardOutput, this, &ImageProgrammeTab::readHelperOutput);
    connect(process, qOverload<int, QProcess::ExitStatus>(&QProcess::finished), this, [this, process] {
        if (process != m_helper)
            return;
        readHelperOutput();
        const QStringList rest = m_helperReader.finish();
        for (const QString& line : rest)
            handleHelperLine(line);
    });
    connect(process, &QProcess::errorOccurred, this, [this, process](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            emit signalAddLogs(tr("Cannot start ") + process->program() + QStringLiteral(": ") + process->errorString(),
                LogError);
    });
    m_helper = process;
    emit signalAddLogs(QStringLiteral("Start image helper: ") + program + QLatin1Char(' ')
            + process->arguments().join(QLatin1Char(' ')),
        LogDebug);
    process->start();
}

void ImageProgrammeTab::readHelperOutput()
{
    if (!m_helper)
        return;
    const QStringList lines = m_helperReader.feed(m_helper->readAllStandardOutput());
    for (const QString& line : lines)
        handleHelperLine(line);
}

void ImageProgrammeTab::handleHelperLine(const QString& line)
{
    ImageHelper::Message m;
    if (!ImageHelper::parseLine(line, m))
        return;
    if (!m.rest.isEmpty())
        emit signalAddLogs(m.rest, LogDebug);
    switch (m.kind) {
    case ImageHelper::Message::File: slotImagePathUpdated(m.text); break;
    case ImageHelper::Message::ExipKek: emit signalOTPEXIPAdded(m.text); break;
    case ImageHelper::Message::ExipEnable: emit signalOTPEXIPEnabled(m.text); break;
    case ImageHelper::Message::ExipLock: emit signalOTPEXIPLocked(m.text); break;
    case ImageHelper::Message::SrkHash: emit signalOTPSRKHashAdded(m.text); break;
    case ImageHelper::Message::OpenOtpWriteView: emit signalOTPWriteViewShown(); break;
    case ImageHelper::Message::None: break;
    }
}

// ---------------------------------------------------------------- generate, write, export

bool ImageProgrammeTab::generateConfig()
{
    m_copyList.clear();
    KrelConfigInput in;
    in.socName = m_socCbb->currentText();
    in.modeIndex = m_modeCbb->currentIndex();
    in.baudText = m_baudCbb->currentText();
    in.beep = m_beepChk->isChecked();
    in.fiveVolt = m_fiveVoltChk->isChecked();
    in.flashWordText = m_flashWordText;
    in.otpEnabled = m_otpChk->isChecked();
    in.otpPath = m_otpSelect->path();
    in.withBootImage = isWithBootImage();
    in.imagePath = m_imageSelect->path();
    in.programAddress = m_addressEdit->text();
    for (const AddFileRow& r : qAsConst(m_rows))
        in.additionalFiles.append({ r.address->text(), r.file->path() });

    // The tool's own writable folder, never the current directory (which is
    // $HOME or "/" for a program started from a menu).
    const QString folder = AppPaths::configDir();
    const KrelConfigResult result = KrelConfigBuilder::generate(in, folder);
    addLogs(result.logs);
    if (!result.ok)
        return false;
    emit signalAddLogs(QStringLiteral("Krel config file: ") + result.configPath, LogDebug);
    m_copyList = result.copyList;
    if (in.otpEnabled)
        m_otpWords = result.otpWords;
    return true;
}

void ImageProgrammeTab::slotWriteBtnClicked()
{
    if (!generateConfig()) {
        emit signalAddLogs(QStringLiteral("Write Config failed!"), LogError);
        return;
    }
    emit signalWriteConfigRun(0, m_copyList, QString());
}

void ImageProgrammeTab::slotExportBtnClicked()
{
    if (!generateConfig()) {
        emit signalAddLogs(QStringLiteral("Synchronize command failed!"), LogError);
        return;
    }
    const KrelCopyList list = m_copyList;
    openFileDialog(tr("Open Directory"), QString(), QString(), true, [this, list](const QString& dir) {
        emit signalWriteConfigRun(0, list, QDir::toNativeSeparators(dir));
    });
}

QString ImageProgrammeTab::statusText(int status) const
{
    using W = RomCmd::writeconfigtask;
    switch (status) {
    case W::StatusBusy: return tr("Writing the configuration...");
    case W::StatusDone: return tr("The configuration was written.");
    case W::StatusCopyFailed: return tr("A file could not be copied; the configuration was not written.");
    case W::StatusSourceMissing: return tr("A file does not exist; the configuration was not written.");
    case W::StatusListingFailed: return tr("The removable drives could not be listed.");
    case W::StatusNoDrive: return tr("No Krel drive found. Connect the Krel and log in first.");
    case W::StatusSeveralDrives: return tr("More than one Krel drive found. Keep only one Krel connected.");
    case W::StatusNoDestination: return tr("The destination folder does not exist.");
    case W::StatusUnknownType: return tr("Unknown write job.");
    case W::StatusNoSpace: return tr("Not enough free space for the files; nothing was copied.");
    default: return status < 0 ? tr("The configuration was not written (status %1).").arg(status) : QString();
    }
}

void ImageProgrammeTab::slotWriteConfigStatus(int status)
{
    m_lastStatus = status;
    const QString text = statusText(status);
    m_statusLabel->setText(text);
    m_statusLabel->setStyleSheet(status < 0 ? QStringLiteral("color: #c62828;") : QString());
    if (status < 0)
        emit signalAddLogs(tr("Write Config failed: ") + text, LogError);
}

} // namespace DevelopViews
