#include "cmdconfigmemorywidget.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>

namespace DevelopViews {

CmdConfigMemoryWidget::CmdConfigMemoryWidget(QWidget* parent)
    : ICmdWidget(3, parent)
    , m_memory(makeMemoryBox(false))
    , m_address(makeAddressEdit(CommandForm::addressPlaceholder()))
{
    auto* layout = new QFormLayout(this);
    layout->addRow(tr("Memory ID:"), m_memory);
    layout->addRow(tr("Address:"), m_address);
}

CommandForm CmdConfigMemoryWidget::form() const
{
    CommandForm f;
    f.memory = memoryValue(m_memory);
    f.address = m_address->text();
    return f;
}

void CmdConfigMemoryWidget::setForm(const CommandForm& form)
{
    selectMemory(m_memory, form.memory);
    m_address->setText(form.address);
}

} // namespace DevelopViews
