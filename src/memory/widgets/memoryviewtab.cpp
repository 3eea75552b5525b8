#include "memoryviewtab.h"

#include "hex.h"
#include "hexviewwidget.h"
#include "memorydump.h"
#include "socdatabase.h"

#include <QComboBox>
#include <QDebug>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace DevelopViews {

MemoryViewTab::MemoryViewTab(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("MemoryViewTab"));
    buildUi();
    retranslateUi();
    reloadSocInfo();
}

void MemoryViewTab::buildUi()
{
    m_memoryLbl = new QLabel(this);
    m_memoryCbb = new QComboBox(this);
    m_memoryCbb->setMinimumContentsLength(8);
    m_addressLbl = new QLabel(this);
    m_addressEdit = new QLineEdit(this);
    m_lengthLbl = new QLabel(this);
    m_lengthEdit = new QLineEdit(this);
    m_loadBtn = new QPushButton(this);
    m_eraseBtn = new QPushButton(this);
    m_eraseAllBtn = new QPushButton(this);
    m_saveBtn = new QPushButton(this);
    m_saveBtn->setEnabled(false);
    // A whole 32-bit address in hexadecimal stays readable however narrow the row gets.
    m_addressEdit->setMinimumWidth(m_addressEdit->fontMetrics().horizontalAdvance(QStringLiteral("0x00000000")) + 16);
    m_hexView = new HexViewWidget(this);
    m_statusLbl = new QLabel(this);

    auto* bar = new QHBoxLayout;
    bar->addWidget(m_memoryLbl);
    bar->addWidget(m_memoryCbb);
    bar->addSpacing(8);
    bar->addWidget(m_addressLbl);
    bar->addWidget(m_addressEdit);
    bar->addWidget(m_lengthLbl);
    bar->addWidget(m_lengthEdit);
    bar->addSpacing(8);
    bar->addWidget(m_loadBtn);
    bar->addWidget(m_eraseBtn);
    bar->addWidget(m_eraseAllBtn);
    bar->addStretch(1);
    bar->addWidget(m_saveBtn);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(5, 5, 5, 5);
    layout->addLayout(bar);
    layout->addWidget(m_hexView, 1);
    layout->addWidget(m_statusLbl);

    connect(m_memoryCbb, qOverload<int>(&QComboBox::currentIndexChanged), this,
        &MemoryViewTab::slotMemoryCbbCurrentIndexChanged);
    connect(m_loadBtn, &QPushButton::clicked, this, &MemoryViewTab::slotLoadBtnClicked);
    connect(m_addressEdit, &QLineEdit::returnPressed, this, &MemoryViewTab::slotLoadBtnClicked);
    connect(m_lengthEdit, &QLineEdit::returnPressed, this, &MemoryViewTab::slotLoadBtnClicked);
    connect(m_eraseBtn, &QPushButton::clicked, this, &MemoryViewTab::confirmErase);
    connect(m_eraseAllBtn, &QPushButton::clicked, this, &MemoryViewTab::confirmEraseAll);
    connect(m_saveBtn, &QPushButton::clicked, this, &MemoryViewTab::slotSaveBtnClicked);
    HexViewModel* model = m_hexView->hexModel();
    // The status line follows the bytes at most ten times a second, not per piece.
    m_statusTimer = new QTimer(this);
    m_statusTimer->setSingleShot(true);
    m_statusTimer->setInterval(100);
    connect(m_statusTimer, &QTimer::timeout, this, &MemoryViewTab::updateStatus);
    auto later = [this] {
        if (!m_statusTimer->isActive())
            m_statusTimer->start();
    };
    connect(model, &QAbstractItemModel::modelReset, this, &MemoryViewTab::updateStatus);
    connect(model, &QAbstractItemModel::rowsInserted, this, later);
    connect(model, &QAbstractItemModel::dataChanged, this, later);
}

void MemoryViewTab::retranslateUi()
{
    m_memoryLbl->setText(tr("Memory:"));
    m_addressLbl->setText(tr("Address:"));
    m_lengthLbl->setText(tr("Length:"));
    m_addressEdit->setPlaceholderText(tr("Hexadecimal, e.g. 0x80000000"));
    m_lengthEdit->setPlaceholderText(tr("Bytes, decimal"));
    m_loadBtn->setText(tr("Load"));
    m_eraseBtn->setText(tr("Erase"));
    m_eraseAllBtn->setText(tr("Erase All"));
    m_saveBtn->setText(tr("Save..."));
    m_loadBtn->setToolTip(tr("Read the region into the viewer"));
    m_eraseBtn->setToolTip(tr("Erase the region"));
    m_eraseAllBtn->setToolTip(tr("Erase the whole memory"));
    m_saveBtn->setToolTip(tr("Save the bytes read, raw (.bin) or as text (.txt)"));
    updateStatus();
}

void MemoryViewTab::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::LanguageChange)
        retranslateUi();
}

void MemoryViewTab::reloadSocInfo()
{
    const QString previous = m_memoryCbb->currentText();
    const QList<MemoryViewItemInfo> memories = SocDatabase::instance().currentSoc().memoryView;
    {
        const QSignalBlocker block(m_memoryCbb);
        m_memoryCbb->clear();
        for (const MemoryViewItemInfo& m : memories)
            m_memoryCbb->addItem(m.name, QVariant::fromValue(m));
        m_memoryCbb->setCurrentIndex(std::max(0, m_memoryCbb->findText(previous)));
    }
    slotMemoryCbbCurrentIndexChanged(m_memoryCbb->currentIndex());
}

void MemoryViewTab::slotMemoryCbbCurrentIndexChanged(int index)
{
    const bool erasable = MemoryCommands::isErasable(m_memoryCbb->itemData(index));
    m_eraseBtn->setEnabled(erasable);
    m_eraseAllBtn->setEnabled(erasable);
}

void MemoryViewTab::log(const QString& text, LogLevel level)
{
    emit signalAddLogs(text, level);
}

void MemoryViewTab::run(const MemoryRequest& request)
{
    if (!request.ok) {
        log(request.error, LogError);
        return;
    }
    emit signalCommondsRun({ request.command });
}

void MemoryViewTab::slotLoadBtnClicked()
{
    const QString address = m_addressEdit->text();
    const QString length = m_lengthEdit->text();
    const MemoryViewItemInfo memory = m_memoryCbb->currentData().value<MemoryViewItemInfo>();
    const MemoryRequest request = MemoryCommands::read(memory, address, length);
    if (request.ok) {
        m_hexView->clear();
        m_hexView->setAddress(address, length);
        m_loadAddress = Hex::parse32(address).value_or(0);
        m_loadLength = length.trimmed().toUInt(nullptr, 10);
        m_loading = true;
        m_overflowLogged = false;
        m_skipOtpWord0 = MemoryCommands::precedesWithOtpWord0(memory, address, length);
        updateStatus();
    }
    run(request);
}

void MemoryViewTab::slotEraseBtnClicked()
{
    run(MemoryCommands::erase(
        m_memoryCbb->currentData().value<MemoryViewItemInfo>(), m_addressEdit->text(), m_lengthEdit->text()));
}

void MemoryViewTab::slotEraseAllBtnClicked()
{
    run(MemoryCommands::eraseAll(m_memoryCbb->currentData().value<MemoryViewItemInfo>()));
}

void MemoryViewTab::confirmErase()
{
    const QString text
        = tr("Erase %1 bytes of %2 from address %3?")
              .arg(m_lengthEdit->text().trimmed(), m_memoryCbb->currentText(), m_addressEdit->text().trimmed());
    if (ask(QMessageBox::Question, tr("Erase"), text, { tr("Erase"), tr("Cancel") }) == 0)
        slotEraseBtnClicked();
}

void MemoryViewTab::confirmEraseAll()
{
    const QString text = tr("Erase the whole %1? Everything it holds will be lost.").arg(m_memoryCbb->currentText());
    if (ask(QMessageBox::Warning, tr("Erase All"), text, { tr("Erase All"), tr("Cancel") }) == 0)
        slotEraseAllBtnClicked();
}

void MemoryViewTab::slotMemoryDataReadFinished(uint32_t address, QVector<uint8_t> dataVec)
{
    // Every read of a download run comes here (the command tree's too); only the
    // bytes of this tab's own load belong in its viewer.
    if (!m_loading || address != m_loadAddress) {
        qDebug().noquote() << QStringLiteral("Memory view: %1 bytes read at 0x%2 are not of its load, ignored")
                                  .arg(dataVec.size())
                                  .arg(Hex::hex8(address));
        return;
    }
    HexViewModel* model = m_hexView->hexModel();
    if (m_skipOtpWord0 && model->bytes().isEmpty() && dataVec.size() == MemoryCommands::OtpWord0Bytes) {
        m_skipOtpWord0 = false;
        return;
    }
    m_skipOtpWord0 = false;
    int count = dataVec.size();
    if (m_loadLength > 0)
        count = int(std::min<quint64>(quint64(count), m_loadLength - quint64(model->bytes().size())));
    const int taken = model->append(reinterpret_cast<const char*>(dataVec.constData()), count);
    if (taken < count && !m_overflowLogged) {
        m_overflowLogged = true;
        log(tr("The viewer holds at most %1 bytes; the rest of the read is not shown.").arg(HexViewModel::MaxBytes),
            LogWarning);
    }
    if (m_loadLength > 0 && quint64(model->bytes().size()) >= m_loadLength) {
        m_loading = false;
        updateStatus();
    }
}

void MemoryViewTab::slotRunFinished(bool result)
{
    if (!m_loading)
        return;
    // The load stays open: a piece still on its way is taken, since runs never overlap.
    updateStatus();
    const int size = m_hexView->hexModel()->bytes().size();
    if (!result && quint64(size) < m_loadLength)
        log(tr("The read ended after %1 of %2 bytes.").arg(size).arg(m_loadLength), LogWarning);
}

void MemoryViewTab::updateStatus()
{
    const HexViewModel* model = m_hexView->hexModel();
    const int size = model->bytes().size();
    m_saveBtn->setEnabled(size > 0);
    if (size == 0 && !m_loading) {
        m_statusLbl->clear();
        return;
    }
    const QString from = QStringLiteral("0x") + Hex::hex8(model->baseAddress()).toUpper();
    m_statusLbl->setText(m_loadLength > 0 ? tr("%1 of %2 bytes read from %3").arg(size).arg(m_loadLength).arg(from)
                                          : tr("%1 bytes read from %2").arg(size).arg(from));
}

void MemoryViewTab::slotSaveBtnClicked()
{
    const HexViewModel* model = m_hexView->hexModel();
    if (model->bytes().isEmpty())
        return;
    const QString suggested
        = QDir::home().filePath(QStringLiteral("memory_0x%1.bin").arg(Hex::hex8(model->baseAddress()).toUpper()));
    const QString path = saveFileName(tr("Save Memory Data"), suggested, tr("Binary (*.bin);;Text (*.txt)"));
    if (path.isEmpty())
        return;
    QString error;
    if (!MemoryDump::save(path, model->bytes(), model->baseAddress(), model->addressWidth(), &error)) {
        log(tr("Save memory data failed! Path: %1 Error: %2").arg(path, error), LogError);
        ask(QMessageBox::Critical, tr("Save Memory Data"), tr("Save memory data failed!\n%1\n%2").arg(path, error),
            { tr("OK") });
        return;
    }
    log(tr("Memory data saved: %1 (%2 bytes)").arg(path).arg(model->bytes().size()), LogInfo);
}

int MemoryViewTab::ask(QMessageBox::Icon icon, const QString& title, const QString& text, const QStringList& buttons)
{
    QMessageBox box(icon, title, text, QMessageBox::NoButton, this);
    QList<QAbstractButton*> added;
    for (int i = 0; i < buttons.size(); ++i)
        added.append(box.addButton(buttons[i], i == 0 ? QMessageBox::AcceptRole : QMessageBox::RejectRole));
    box.exec();
    return added.indexOf(box.clickedButton());
}

QString MemoryViewTab::saveFileName(const QString& title, const QString& suggested, const QString& filter)
{
    return QFileDialog::getSaveFileName(this, title, suggested, filter);
}

} // namespace DevelopViews
