#include "cmderaseregionwidget.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>

namespace DevelopViews {

CmdEraseRegionWidget::CmdEraseRegionWidget(QWidget* parent)
    : ICmdWidget(7, parent)
    , m_memory(makeMemoryBox(false))
    , m_address(makeAddressEdit(CommandForm::eraseAddressPlaceholder()))
    , m_length(makeLengthEdit())
{
    auto* layout = new QFormLayout(this);
    layout->addRow(tr("Memory ID:"), m_memory);
    layout->addRow(tr("Address:"), m_address);
    layout->addRow(tr("Length:"), m_length);
}

CommandForm CmdEraseRegionWidget::form() const
{
    CommandForm f;
    f.memory = memoryValue(m_memory);
    f.address = m_address->text();
    f.length = m_length->text();
    return f;
}

void CmdEraseRegionWidget::setForm(const CommandForm& form)
{
    selectMemory(m_memory, form.memory);
    m_address->setText(form.address);
    m_length->setText(form.length);
}

} // namespace DevelopViews
