#include "cmdqueryrtewidget.h"

#include <QComboBox>
#include <QFormLayout>

namespace DevelopViews {

CmdQueryRteWidget::CmdQueryRteWidget(QWidget* parent)
    : ICmdWidget(1, parent)
    , m_memory(makeMemoryBox(true))
{
    auto* layout = new QFormLayout(this);
    layout->addRow(tr("Memory:"), m_memory);
}

CommandForm CmdQueryRteWidget::form() const
{
    CommandForm f;
    f.memory = memoryValue(m_memory);
    return f;
}

void CmdQueryRteWidget::setForm(const CommandForm& form)
{
    selectMemory(m_memory, form.memory);
}

} // namespace DevelopViews
