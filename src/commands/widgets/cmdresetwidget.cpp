#include "cmdresetwidget.h"

#include <QComboBox>
#include <QFormLayout>

namespace DevelopViews {

CmdResetWidget::CmdResetWidget(QWidget* parent)
    : ICmdWidget(9, parent)
    , m_type(new QComboBox(this))
{
    for (int type = 0; type <= 2; ++type)
        m_type->addItem(CommandForm::resetTypeName(type), type);
    auto* layout = new QFormLayout(this);
    layout->addRow(tr("Reset Type:"), m_type);
}

CommandForm CmdResetWidget::form() const
{
    CommandForm f;
    f.resetType = m_type->currentData().toInt();
    return f;
}

void CmdResetWidget::setForm(const CommandForm& form)
{
    m_type->setCurrentIndex(qMax(0, m_type->findData(form.resetType)));
}

} // namespace DevelopViews
