#include "otptab.h"

#include "ids.h"
#include "otpfiles.h"
#include "otphex.h"
#include "otpwordsdlg.h"
#include "projectconfig.h"
#include "socdatabase.h"

#include <QComboBox>
#include <QEvent>
#include <QCursor>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTableWidget>
#include <QToolTip>
#include <QUrl>
#include <QVBoxLayout>

static void initOtpResources()
{
    Q_INIT_RESOURCE(otpwidgets);
}

namespace DevelopViews {

namespace {

const QColor WordTypeColours[]
    = { QColor(), QColor(0, 150, 255), QColor(200, 200, 0), QColor(255, 50, 0), QColor(0, 200, 0) };
const QColor CellText(220, 220, 220);
constexpr int RowHeight = 40;
constexpr int MaxColumns = 16;

} // namespace

OTPTab::OTPTab(QWidget* parent)
    : QWidget(parent)
{
    initOtpResources();
    OtpRuns::registerMetaTypes();
    buildUi();
    reloadSocInfo();
    m_writeWords = ProjectConfig::instance().otpWords();
    slotViewRadioClicked();
    slotAdjustReadTableData();
    slotAdjustWriteTableData();
}

void OTPTab::retranslate()
{
    m_readRadio->setText(tr("Read View"));
    m_writeRadio->setText(tr("Write View"));
    m_marker->setToolTip(tr("OTP words in the write view wait to be written or synchronised"));
    m_exportBtn->setText(tr("Export CSV"));
    m_refreshBtn->setText(tr("Refresh"));
    m_writeBtn->setText(tr("Write"));
    m_importBtn->setText(tr("Import"));
    m_syncBtn->setText(tr("Synchronize"));
    m_exportInfoBtn->setText(tr("Export ZINDRAKE"));
    m_readColumnsLabel->setText(tr("Words per row:"));
    m_writeColumnsLabel->setText(tr("Words per row:"));
    m_addBtn->setText(tr("Add Words"));
    m_removeAllBtn->setText(tr("Remove All"));
}

void OTPTab::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::LanguageChange && m_readRadio) {
        retranslate();
        slotAdjustWriteTableData(); // its header and tips
    }
}

void OTPTab::buildUi()
{
    // The tooltips are white rich text.
    setStyleSheet(QStringLiteral("QToolTip { background-color: #2d2d30; color: #ffffff; border: 1px solid #5a5a5a; }"));

    m_readRadio = new QRadioButton(this);
    m_writeRadio = new QRadioButton(this);
    m_readRadio->setChecked(true);
    m_marker = new QLabel(this);
    m_marker->setFixedSize(8, 8);
    m_marker->setStyleSheet(QStringLiteral("background-color: #e81123; border-radius: 4px;"));
    m_exportBtn = new QPushButton(this);
    m_refreshBtn = new QPushButton(this);
    m_writeBtn = new QPushButton(this);
    m_importBtn = new QPushButton(this);
    m_syncBtn = new QPushButton(this);
    m_exportInfoBtn = new QPushButton(this);

    auto* top = new QHBoxLayout;
    top->addWidget(m_readRadio);
    top->addSpacing(12);
    top->addWidget(m_writeRadio);
    top->addWidget(m_marker);
    top->addStretch(1);
    for (QPushButton* b : { m_exportBtn, m_refreshBtn, m_writeBtn, m_importBtn, m_syncBtn, m_exportInfoBtn })
        top->addWidget(b);

    QStringList counts;
    for (int i = 1; i <= MaxColumns; ++i)
        counts << QString::number(i);

    auto* readPage = new QWidget(this);
    auto* readLayout = new QVBoxLayout(readPage);
    readLayout->setContentsMargins(0, 0, 0, 0);
    auto* readBar = new QHBoxLayout;
    m_readColumns = new QComboBox(readPage);
    m_readColumns->addItems(counts);
    m_readColumns->setCurrentIndex(7);
    m_readColumnsLabel = new QLabel(readPage);
    readBar->addWidget(m_readColumnsLabel);
    readBar->addWidget(m_readColumns);
    readBar->addStretch(1);
    m_readTable = new QTableWidget(readPage);
    m_readTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_readTable->setMouseTracking(true);
    m_readTable->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    // A word is never cut to "0xc0de00…": below this the table scrolls sideways instead.
    m_readTable->horizontalHeader()->setMinimumSectionSize(
        m_readTable->fontMetrics().horizontalAdvance(QStringLiteral("0x00000000")) + 20);
    m_readTable->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_readTable->verticalHeader()->setDefaultSectionSize(RowHeight);
    readLayout->addLayout(readBar);
    readLayout->addWidget(m_readTable, 1);

    auto* writePage = new QWidget(this);
    auto* writeLayout = new QVBoxLayout(writePage);
    writeLayout->setContentsMargins(0, 0, 0, 0);
    auto* writeBar = new QHBoxLayout;
    m_writeColumns = new QComboBox(writePage);
    m_writeColumns->addItems(counts);
    m_writeColumns->setCurrentIndex(7);
    m_addBtn = new QPushButton(writePage);
    m_removeAllBtn = new QPushButton(writePage);
    m_writeColumnsLabel = new QLabel(writePage);
    writeBar->addWidget(m_writeColumnsLabel);
    writeBar->addWidget(m_writeColumns);
    writeBar->addStretch(1);
    writeBar->addWidget(m_addBtn);
    writeBar->addWidget(m_removeAllBtn);
    m_writeTable = new QTableWidget(writePage);
    m_writeTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_writeTable->setSelectionMode(QAbstractItemView::SingleSelection);
    m_writeTable->verticalHeader()->setVisible(false);
    m_writeTable->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_writeTable->verticalHeader()->setDefaultSectionSize(RowHeight);
    m_writeTable->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    writeLayout->addLayout(writeBar);
    writeLayout->addWidget(m_writeTable, 1);

    m_pages = new QStackedWidget(this);
    m_pages->addWidget(readPage);
    m_pages->addWidget(writePage);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_pages, 1);

    connect(m_readRadio, &QRadioButton::clicked, this, &OTPTab::slotViewRadioClicked);
    connect(m_writeRadio, &QRadioButton::clicked, this, &OTPTab::slotViewRadioClicked);
    connect(m_readRadio, &QRadioButton::clicked, this, &OTPTab::slotReadRBClicked);
    connect(m_readColumns, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &OTPTab::slotAdjustReadTableData);
    connect(
        m_writeColumns, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &OTPTab::slotAdjustWriteTableData);
    connect(m_exportBtn, &QPushButton::clicked, this, &OTPTab::slotExportBtnClicked);
    connect(m_refreshBtn, &QPushButton::clicked, this, &OTPTab::slotRefreshBtnClicked);
    connect(m_writeBtn, &QPushButton::clicked, this, &OTPTab::slotWriteBtnClicked);
    connect(m_importBtn, &QPushButton::clicked, this, &OTPTab::slotImportBtnClicked);
    connect(m_syncBtn, &QPushButton::clicked, this, &OTPTab::slotSyncBtnClicked);
    connect(m_exportInfoBtn, &QPushButton::clicked, this, &OTPTab::slotExportZIndrakeBtnClicked);
    connect(m_addBtn, &QPushButton::clicked, this, &OTPTab::slotAddNewWordBtnClicked);
    connect(m_removeAllBtn, &QPushButton::clicked, this, &OTPTab::slotRemoveAllWordBtnClicked);
    connect(m_readTable, &QTableWidget::itemEntered, this, &OTPTab::slotReadTableWgtItemEntered);
    connect(m_writeTable, &QTableWidget::itemClicked, this, &OTPTab::slotWriteTableItemClicked);
    retranslate();
}

void OTPTab::reloadSocInfo()
{
    const SocInfo soc = SocDatabase::instance().currentSoc();
    m_fuseMap = soc.fuseMap;
    m_otpWordCount = quint32(m_fuseMap.size());
    m_otpMemoryId.clear();
    for (const MemoryViewItemInfo& m : soc.memoryView)
        if (m.name.compare(QLatin1String("OTP"), Qt::CaseInsensitive) == 0)
            m_otpMemoryId = m.value;
}

void OTPTab::log(const QString& text, LogLevel level)
{
    emit signalAddLogs(text, level);
}

void OTPTab::logAll(const OtpLogLines& lines)
{
    for (const OtpLogLine& l : lines)
        emit signalAddLogs(l.text, l.level);
}

void OTPTab::storeWords()
{
    ProjectConfig::instance().setOtpWords(m_writeWords);
    ProjectConfig::instance().saveDefault();
}

void OTPTab::setTips(bool show)
{
    ProjectConfig::instance().setShowOtpWriteViewTips(show);
}

void OTPTab::updateMarker()
{
    const bool show = ProjectConfig::instance().showOtpWriteViewTips();
    m_marker->setVisible(show);
    emit signalShowTabsDotTips(show);
}

// ---------------------------------------------------------------- read view

void OTPTab::slotRefreshBtnClicked()
{
    m_readTable->clearContents();
    m_readTable->setRowCount(0);
    m_plan.reset();
    m_readSteps = 0;
    reloadSocInfo();
    if (m_otpMemoryId.isEmpty()) {
        log(tr("The selected SoC has no OTP memory!"), LogError);
        return;
    }
    // An older run still taking steps is told to end; its late results are ignored.
    if (!m_readEnded && !m_linkedUuid.isEmpty())
        emit signalLinkedCommandsEndSend(m_linkedUuid, {});
    m_linkedUuid = Ids::newId();
    m_readEnded = false;
    emit signalLinkedCommandsRun(m_linkedUuid, { OtpReadPlan::queryCommand(m_otpMemoryId) }, true);
}

void OTPTab::slotReadRBClicked()
{
    if (m_readRadio->isChecked() && m_plan.unitSize() == 0)
        slotRefreshBtnClicked();
}

void OTPTab::slotLinkedOTPMemoryQueried(
    QString uuid, uint32_t startAddress, uint32_t endAddress, uint32_t unitSize, uint32_t memorySize)
{
    if (uuid != m_linkedUuid)
        return;
    OtpLogLines logs;
    const bool ok = m_plan.setRegion(startAddress, endAddress, unitSize, memorySize, m_fuseMap.size(), logs);
    logAll(logs);
    if (!ok)
        return;
    slotAdjustReadTableData();
    ++m_readSteps;
    emit signalLinkedCommandsRun(m_linkedUuid, { OtpReadPlan::readCommand(m_otpMemoryId, m_plan.start()) }, true);
}

void OTPTab::slotLinkedMemoryDataReadFinished(QString uuid, uint32_t address, QVector<uint8_t> dataVec)
{
    if (uuid != m_linkedUuid)
        return;
    OtpLogLines logs;
    const bool ok = m_plan.takeChunk(address, dataVec, logs);
    logAll(logs);
    if (!ok)
        return;
    quint32 next = 0;
    const bool more = m_plan.nextGroup(address, m_fuseMap, next);
    // The device reads the next group while the table shows this one.
    if (more) {
        ++m_readSteps;
        emit signalLinkedCommandsRun(m_linkedUuid, { OtpReadPlan::readCommand(m_otpMemoryId, next) }, true);
    }
    // Only the words this chunk read or skipped change.
    const qint64 from = qint64(address) - m_plan.start();
    updateReadCells(int(from), more ? int(qint64(next) - m_plan.start()) : m_plan.words().size());
}

void OTPTab::slotLinkedStepFinished(QString uuid, int step, bool result)
{
    Q_UNUSED(result) // a failed read leaves the rest of the words not valid
    if (uuid != m_linkedUuid || step != m_readSteps || m_readEnded)
        return;
    m_readEnded = true;
    emit signalLinkedCommandsEndSend(m_linkedUuid, {});
}

void OTPTab::slotAdjustReadTableData()
{
    const QVector<OtpReadWord>& words = m_plan.words();
    const int columns = m_readColumns->currentIndex() + 1;
    const int rows = (words.size() + columns - 1) / columns;
    m_readTable->clearContents();
    m_readTable->setColumnCount(columns);
    m_readTable->setRowCount(rows);
    QStringList headers;
    for (int c = 0; c < columns; ++c)
        headers << QString::number(c);
    m_readTable->setHorizontalHeaderLabels(headers);
    QStringList rowLabels;
    for (int r = 0; r < rows; ++r) {
        const quint64 first = quint64(m_plan.start()) + quint64(r) * columns;
        const quint64 last = qMin<quint64>(first + columns, quint64(m_plan.start()) + words.size()) - 1;
        rowLabels << QStringLiteral("%1:%2").arg(first).arg(last);
    }
    m_readTable->setVerticalHeaderLabels(rowLabels);
    for (int i = 0; i < words.size(); ++i) {
        auto* item = new QTableWidgetItem;
        item->setTextAlignment(Qt::AlignCenter);
        const quint32 index = m_plan.start() + quint32(i);
        const FuseWordInfo* fuse = OtpText::fuseWord(m_fuseMap, index);
        const int type = fuse ? fuse->type : 0;
        if (type >= EFuseWordIdentify && type <= EFuseWordGeneral)
            item->setForeground(WordTypeColours[type]);
        item->setData(RoleIndex, index);
        m_readTable->setItem(i / columns, i % columns, item);
    }
    updateReadCells(0, words.size());
}

void OTPTab::updateReadCells(int from, int to)
{
    const QVector<OtpReadWord>& words = m_plan.words();
    const int columns = m_readTable->columnCount();
    for (int i = qMax(0, from); i < qMin(to, words.size()) && columns > 0; ++i) {
        if (QTableWidgetItem* item = m_readTable->item(i / columns, i % columns)) {
            item->setText(OtpText::wordCell(words.at(i)));
            item->setData(RoleValue, words.at(i).value);
        }
    }
}

QString OTPTab::readTooltip(quint32 wordIndex) const
{
    const qint64 i = qint64(wordIndex) - m_plan.start();
    const FuseWordInfo* fuse = OtpText::fuseWord(m_fuseMap, wordIndex);
    if (i < 0 || i >= m_plan.words().size() || !fuse)
        return QString();
    return OtpText::wordTooltip(wordIndex, m_plan.words().at(int(i)), *fuse);
}

void OTPTab::slotReadTableWgtItemEntered(QTableWidgetItem* item)
{
    if (!item)
        return;
    const QString text = readTooltip(item->data(RoleIndex).toUInt());
    if (!text.isEmpty())
        QToolTip::showText(QCursor::pos(), text, m_readTable);
}

void OTPTab::slotExportBtnClicked()
{
    // Nothing to pick a file for before a read.
    if (m_plan.words().isEmpty()) {
        log(tr("OTP words is empty! Please refresh the read view"), LogError);
        return;
    }
    const QString path = saveFileName(tr("Save File"), tr("CSV File (*.csv);;Text File (*.txt)"));
    if (path.isEmpty())
        return;
    if (!OtpFiles::writeFile(path, OtpFiles::exportCsv(m_plan.words(), m_plan.start()))) {
        log(tr("Open file failed! Path: ") + path, LogError);
        return;
    }
    log(tr("File export success! Path: ") + path, LogInfo);
}

// ---------------------------------------------------------------- write view

void OTPTab::slotAdjustWriteTableData()
{
    const int columns = m_writeColumns->currentIndex() + 2;
    const int perRow = columns - 1;
    m_writeTable->setUpdatesEnabled(false);
    m_writeTable->clear();
    m_writeTable->clearSpans(); // spans outlive the items
    m_writeTable->setColumnCount(columns);
    QStringList headers { tr("Address") };
    for (int c = 1; c < columns; ++c)
        headers << QString::number(c);
    m_writeTable->setHorizontalHeaderLabels(headers);
    m_writeTable->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);

    const QList<quint32> order = OtpRuns::writeOrder(m_writeWords);
    int rows = 0;
    for (const quint32 start : order)
        rows += qMax(1, (m_writeWords.value(start).size() + perRow - 1) / perRow);
    m_writeTable->setRowCount(rows);

    const QIcon editIcon(QStringLiteral(":/img/edit"));
    int row = 0;
    for (int n = 0; n < order.size(); ++n) {
        const quint32 start = order.at(n);
        const QVector<quint32> values = m_writeWords.value(start);
        const int runRows = qMax(1, (values.size() + perRow - 1) / perRow);
        auto* head = new QTableWidgetItem(
            editIcon, QStringLiteral("%1:%2").arg(start).arg(quint64(start) + qMax(1, values.size()) - 1));
        QFont italic = head->font();
        italic.setItalic(true);
        head->setFont(italic);
        head->setBackground(QColor(70, 70, 70));
        head->setForeground(QColor(156, 160, 167));
        head->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
        head->setData(RoleRunStart, start);
        head->setToolTip(tr("Click to edit or delete the words"));
        m_writeTable->setItem(row, 0, head);
        if (runRows > 1)
            m_writeTable->setSpan(row, 0, runRows, 1);
        const QColor background = n % 2 == 0 ? QColor(35, 35, 35) : QColor(48, 48, 48);
        for (int k = 0; k < runRows * perRow; ++k) {
            auto* cell = new QTableWidgetItem;
            cell->setBackground(background);
            cell->setFlags(Qt::ItemIsEnabled);
            if (k < values.size()) {
                cell->setText(OtpHex::hex8(values.at(k)));
                cell->setTextAlignment(Qt::AlignCenter);
                cell->setForeground(CellText);
                cell->setData(RoleRunStart, start);
                cell->setData(RoleIndex, k);
            }
            m_writeTable->setItem(row + k / perRow, 1 + k % perRow, cell);
        }
        row += runRows;
    }
    m_writeTable->setUpdatesEnabled(true);
    updateMarker();
}

void OTPTab::slotOTPWordsAdd(uint32_t startAddress, QVector<uint32_t> dataVec)
{
    const OtpRuns::AddResult result = OtpRuns::addRun(m_writeWords, startAddress, dataVec);
    storeWords();
    if (result == OtpRuns::AddResult::Replaced || result == OtpRuns::AddResult::Inserted)
        setTips(true);
    else if (m_writeWords.isEmpty())
        setTips(false); // nothing is left to wait for
    slotAdjustWriteTableData();
}

void OTPTab::slotOTPEXIPAdded(QString exipStr)
{
    quint32 start = 0;
    QVector<quint32> values;
    if (!OtpRuns::parseRunMessage(exipStr, start, values)) {
        log(tr("OTP words message cannot be parsed: ") + exipStr, LogWarning);
        return;
    }
    // Words past the OTP cannot be programmed, and a run wrapping past the
    // last word number would reach the lock word 0 in the exported files.
    if (!OtpRuns::insideOtp(start, values.size(), m_otpWordCount)) {
        log(tr("OTP words message lies outside the OTP of %1 words: ").arg(m_otpWordCount) + exipStr, LogWarning);
        return;
    }
    slotOTPWordsAdd(start, values);
}

void OTPTab::slotOTPSRKHashAdded(QString srkHash)
{
    slotOTPEXIPAdded(srkHash);
}

void OTPTab::slotOTPEXIPEnabled(QString enableStr)
{
    quint32 word = 0;
    QVector<quint32> values;
    if (OtpRuns::enableMessageRun(m_writeWords, enableStr, m_otpWordCount, word, values))
        slotOTPWordsAdd(word, values);
}

void OTPTab::slotOTPEXIPLocked(QString exipLockStr)
{
    QVector<quint32> values;
    if (OtpRuns::lockMessageRun(m_writeWords, exipLockStr, values))
        slotOTPWordsAdd(0, values);
}

void OTPTab::slotShowOTPWriteView()
{
    m_writeRadio->click();
    emit signalOpenOTPTabs();
}

void OTPTab::slotViewRadioClicked()
{
    const bool read = m_readRadio->isChecked();
    m_exportBtn->setVisible(read);
    m_refreshBtn->setVisible(read);
    for (QPushButton* b : { m_writeBtn, m_importBtn, m_syncBtn, m_exportInfoBtn })
        b->setVisible(!read);
    m_pages->setCurrentIndex(read ? 0 : 1);
}

void OTPTab::slotWriteTableItemClicked(QTableWidgetItem* item)
{
    if (!item || item->column() != 0 || !item->data(RoleRunStart).isValid())
        return;
    const quint32 start = item->data(RoleRunStart).toUInt();
    const int choice = ask(QMessageBox::Information, tr("Delete Tip"),
        tr("Do you want to edit the OTP words or delete them derectly which started at ") + QString::number(start),
        { tr("Edit"), tr("Delete"), tr("Cancel") }, 2);
    if (choice == 0) {
        OTPWordsDlg dlg(start, OtpRuns::valuesText(m_writeWords.value(start)), this);
        openWordsDialog(dlg);
    } else if (choice == 1) {
        if (!m_writeWords.remove(start))
            log(tr("Can not find data in dataMap"), LogError);
        storeWords();
        if (m_writeWords.isEmpty())
            setTips(false);
        slotAdjustWriteTableData();
    }
}

void OTPTab::slotAddNewWordBtnClicked()
{
    OTPWordsDlg dlg(this);
    openWordsDialog(dlg);
}

void OTPTab::openWordsDialog(OTPWordsDlg& dlg)
{
    connect(&dlg, &OTPWordsDlg::signalOTPWordsAdd, this, &OTPTab::slotOTPWordsAdd);
    runWordsDialog(dlg);
}

void OTPTab::slotRemoveAllWordBtnClicked()
{
    if (ask(QMessageBox::Warning, tr("Warning"), tr("Do you really want to remove all of the OTP words?"),
            { tr("Yes"), tr("No") }, 1)
        != 0)
        return;
    m_writeWords.clear();
    storeWords();
    setTips(false);
    slotAdjustWriteTableData();
}

void OTPTab::slotWriteBtnClicked()
{
    if (m_writeWords.isEmpty())
        return;
    storeWords();
    if (ask(QMessageBox::Information, tr("Tips"), tr("Do you really want to write the OTP words in the list? "),
            { tr("Yes"), tr("No") })
        != 0)
        return;
    emit signalCommondsRun(OtpRuns::writeCommands(m_writeWords, m_otpMemoryId));
    setTips(false);
    updateMarker();
}

void OTPTab::slotSyncBtnClicked()
{
    storeWords();
    const QList<DownloadCommand> cmds = OtpRuns::writeCommands(m_writeWords, m_otpMemoryId);
    if (cmds.isEmpty())
        return;
    const int stageChoice = ask(QMessageBox::Information, tr("Tips"),
        tr("Which stage in Production Commands do you want the commands synchronize to?"),
        { tr("Open Stage"), tr("Close Stage"), tr("Cancel") }, 2);
    if (stageChoice != 0 && stageChoice != 1)
        return;
    const int stage = stageChoice == 0 ? EStageOpen : EStageClose;
    bool append = false;
    if (ProjectConfig::instance().hasCommands(stage)) {
        const int how = ask(QMessageBox::Information, tr("Synchronize Tip"),
            tr("Do you want to reset the original batch command or append the commands to the batch commands?"),
            { tr("Reset"), tr("Append"), tr("Cancel") }, 2);
        if (how != 0 && how != 1)
            return;
        append = how == 1;
    }
    ProjectConfig::instance().setStageCommands(cmds, stage, append);
    emit signalBatchProdCmdUpdate();
    setTips(false);
    updateMarker();
}

void OTPTab::slotExportZIndrakeBtnClicked()
{
    const QString path = saveFileName(tr("Export ZINDRAKE File"), tr("ZINDRAKE File (*.info)"));
    if (path.isEmpty())
        return;
    if (!OtpFiles::writeFile(path, OtpFiles::exportInfo(m_writeWords))) {
        log(tr("Open file failed! path: ") + path, LogError);
        return;
    }
    log(tr("Export ZINDRAKE data success!"), LogInfo);
}

void OTPTab::slotImportBtnClicked()
{
    if (!m_writeWords.isEmpty()
        && ask(QMessageBox::Warning, tr("Warn"),
               tr("Import csv data will remove all the OTP data in write view, do you want to continue?"),
               { tr("Yes"), tr("Cancel") }, 1)
            != 0)
        return;
    const int how = ask(QMessageBox::Information, tr("Information"),
        tr("Do you want to use a OTP csv template or import directly?"),
        { tr("Use Template"), tr("Import Directly"), tr("Cancel") }, 2);
    if (how == 0) {
        const QString path = saveFileName(tr("Save File"), tr("CSV File (*.csv);;Text File (*.txt)"));
        if (path.isEmpty())
            return;
        if (!OtpFiles::writeFile(path, OtpFiles::templateCsv(int(m_otpWordCount)))) {
            log(tr("Open file failed! Path: ") + path, LogError);
            return;
        }
        log(path + tr(" export success! Please continue to edit it!"), LogInfo);
        openFolder(QFileInfo(path).absolutePath());
    } else if (how == 1) {
        const QString path
            = openFileName(tr("Open File"), tr("CSV File (*.csv);;Text File (*.txt);;ZINDRAKE File (*.info)"));
        if (path.isEmpty())
            return;
        const QString suffix = QFileInfo(path).suffix().toLower();
        if (suffix == QLatin1String("csv") || suffix == QLatin1String("txt"))
            importCsvFile(path);
        else if (suffix == QLatin1String("info"))
            importInfoFile(path);
        else
            log(tr("Import file format error"), LogError);
    }
}

void OTPTab::importCsvFile(const QString& path)
{
    QByteArray bytes;
    OtpLogLines logs;
    if (!OtpFiles::readFile(path, bytes, logs)) {
        logAll(logs);
        return;
    }
    const OtpFiles::ImportResult r = OtpFiles::importCsv(bytes, m_otpWordCount, path);
    logAll(r.logs);
    if (r.ok)
        applyImport(r.runs, path);
}

void OTPTab::importInfoFile(const QString& path)
{
    QByteArray bytes;
    OtpLogLines logs;
    if (!OtpFiles::readFile(path, bytes, logs)) {
        logAll(logs);
        return;
    }
    const OtpFiles::ImportResult r = OtpFiles::importInfo(bytes, m_otpWordCount, path);
    logAll(r.logs);
    if (r.ok)
        applyImport(r.runs, path);
}

void OTPTab::applyImport(const OtpWordRuns& runs, const QString& path)
{
    m_writeWords = runs;
    storeWords();
    setTips(!m_writeWords.isEmpty());
    slotAdjustWriteTableData();
    log(path + tr(" import success!"), LogInfo);
}

// ---------------------------------------------------------------- user interaction

int OTPTab::ask(
    QMessageBox::Icon icon, const QString& title, const QString& text, const QStringList& buttons, int defaultButton)
{
    QMessageBox box(icon, title, text, QMessageBox::NoButton, this);
    QList<QPushButton*> added;
    for (const QString& b : buttons)
        added.append(box.addButton(b, QMessageBox::ActionRole));
    if (defaultButton >= 0 && defaultButton < added.size()) {
        box.setDefaultButton(added.at(defaultButton));
        box.setEscapeButton(added.last());
    }
    box.exec();
    return added.indexOf(qobject_cast<QPushButton*>(box.clickedButton()));
}

QString OTPTab::saveFileName(const QString& title, const QString& filter)
{
    return QFileDialog::getSaveFileName(this, title, QString(), filter);
}

QString OTPTab::openFileName(const QString& title, const QString& filter)
{
    return QFileDialog::getOpenFileName(this, title, QString(), filter);
}

void OTPTab::runWordsDialog(OTPWordsDlg& dlg)
{
    dlg.exec();
}

void OTPTab::openFolder(const QString& folder)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
}

} // namespace DevelopViews
