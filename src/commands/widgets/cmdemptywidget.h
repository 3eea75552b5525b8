// The editor shown for a command kind without parameters to edit.
#pragma once

#include "icmdwidget.h"

namespace DevelopViews {

class CmdEmptyWidget : public ICmdWidget
{
    Q_OBJECT
public:
    explicit CmdEmptyWidget(QWidget* parent = nullptr);

protected:
    CommandForm form() const override;
    void setForm(const CommandForm& form) override;
};

} // namespace DevelopViews
