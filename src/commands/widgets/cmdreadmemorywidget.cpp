#include "cmdreadmemorywidget.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

namespace DevelopViews {

CmdReadMemoryWidget::CmdReadMemoryWidget(QWidget* parent)
    : ICmdWidget(5, parent)
    , m_memory(makeMemoryBox(false))
    , m_address(makeAddressEdit(CommandForm::addressPlaceholder()))
    , m_length(makeLengthEdit())
    , m_saveToFile(new QCheckBox(tr("Save to File"), this))
    , m_savePath(new QLineEdit(this))
    , m_select(new QPushButton(tr("Select"), this))
{
    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(m_savePath, 1);
    pathRow->addWidget(m_select);
    auto* layout = new QFormLayout(this);
    layout->addRow(tr("Memory ID:"), m_memory);
    layout->addRow(tr("Address:"), m_address);
    layout->addRow(tr("Length:"), m_length);
    layout->addRow(m_saveToFile);
    layout->addRow(tr("Save Path:"), pathRow);
    auto enable = [this](bool on) {
        m_savePath->setEnabled(on);
        m_select->setEnabled(on);
    };
    connect(m_saveToFile, &QCheckBox::toggled, this, enable);
    connect(m_select, &QPushButton::clicked, this, &CmdReadMemoryWidget::pickSavePath);
    enable(false);
}

void CmdReadMemoryWidget::pickSavePath()
{
    QFileDialog dlg(this, tr("Save File"));
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setNameFilter(QStringLiteral("Bin File (*.bin)"));
    dlg.setDefaultSuffix(QStringLiteral("bin"));
    dlg.selectFile(m_savePath->text().isEmpty() ? QStringLiteral("untitled.bin") : m_savePath->text());
    if (dlg.exec() == QDialog::Accepted && !dlg.selectedFiles().isEmpty())
        m_savePath->setText(dlg.selectedFiles().constFirst());
}

CommandForm CmdReadMemoryWidget::form() const
{
    CommandForm f;
    f.memory = memoryValue(m_memory);
    f.address = m_address->text();
    f.length = m_length->text();
    f.saveToFile = m_saveToFile->isChecked();
    f.savePath = m_savePath->text();
    return f;
}

void CmdReadMemoryWidget::setForm(const CommandForm& form)
{
    selectMemory(m_memory, form.memory);
    m_address->setText(form.address);
    m_length->setText(form.length);
    m_savePath->setText(form.savePath);
    m_saveToFile->setChecked(form.saveToFile);
}

} // namespace DevelopViews
