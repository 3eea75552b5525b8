#include "cmdemptywidget.h"

namespace DevelopViews {

CmdEmptyWidget::CmdEmptyWidget(QWidget* parent)
    : ICmdWidget(0, parent)
{ }

CommandForm CmdEmptyWidget::form() const
{
    return CommandForm();
}

void CmdEmptyWidget::setForm(const CommandForm&) { }

} // namespace DevelopViews
