#include "cmdchiperasewidget.h"

#include <QComboBox>
#include <QFormLayout>

namespace DevelopViews {

CmdChipEraseWidget::CmdChipEraseWidget(QWidget* parent)
    : ICmdWidget(8, parent)
    , m_memory(makeMemoryBox(false))
{
    auto* layout = new QFormLayout(this);
    layout->addRow(tr("Memory ID:"), m_memory);
}

CommandForm CmdChipEraseWidget::form() const
{
    CommandForm f;
    f.memory = memoryValue(m_memory);
    return f;
}

void CmdChipEraseWidget::setForm(const CommandForm& form)
{
    selectMemory(m_memory, form.memory);
}

} // namespace DevelopViews
