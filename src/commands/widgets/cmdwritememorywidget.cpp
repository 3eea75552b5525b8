#include "cmdwritememorywidget.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>

namespace DevelopViews {

CmdWriteMemoryWidget::CmdWriteMemoryWidget(QWidget* parent)
    : ICmdWidget(4, parent)
    , m_memory(makeMemoryBox(false))
    , m_address(makeAddressEdit(CommandForm::addressPlaceholder()))
    , m_arrayChoice(new QRadioButton(tr("Write Hexadecimal Array:"), this))
    , m_fileChoice(new QRadioButton(tr("Write file:"), this))
    , m_words(new QLineEdit(this))
    , m_file(new QLineEdit(this))
    , m_select(new QPushButton(tr("Select"), this))
{
    m_words->setPlaceholderText(CommandForm::wordsPlaceholder());
    m_words->setValidator(new QRegularExpressionValidator(QRegularExpression(CommandForm::wordsPattern()), m_words));
    m_arrayChoice->setChecked(true);
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(m_file, 1);
    fileRow->addWidget(m_select);
    auto* layout = new QFormLayout(this);
    layout->addRow(tr("Memory ID:"), m_memory);
    layout->addRow(tr("Address:"), m_address);
    // The choices on rows of their own, so the word line gets the full width.
    layout->addRow(m_arrayChoice);
    layout->addRow(m_words);
    layout->addRow(m_fileChoice);
    layout->addRow(fileRow);
    connect(m_arrayChoice, &QRadioButton::toggled, this, &CmdWriteMemoryWidget::updateChoice);
    connect(m_select, &QPushButton::clicked, this, [this] {
        const QString path = pickBinFile(m_file->text());
        if (!path.isEmpty())
            m_file->setText(path);
    });
    updateChoice();
}

void CmdWriteMemoryWidget::updateChoice()
{
    const bool array = m_arrayChoice->isChecked();
    m_words->setEnabled(array);
    m_file->setEnabled(!array);
    m_select->setEnabled(!array);
}

CommandForm CmdWriteMemoryWidget::form() const
{
    CommandForm f;
    f.memory = memoryValue(m_memory);
    f.address = m_address->text();
    f.writeArray = m_arrayChoice->isChecked();
    f.words = m_words->text();
    f.writeFile = m_file->text();
    return f;
}

void CmdWriteMemoryWidget::setForm(const CommandForm& form)
{
    selectMemory(m_memory, form.memory);
    m_address->setText(form.address);
    m_words->setText(form.words);
    m_words->setCursorPosition(0);
    m_file->setText(form.writeFile);
    (form.writeArray ? m_arrayChoice : m_fileChoice)->setChecked(true);
}

} // namespace DevelopViews
