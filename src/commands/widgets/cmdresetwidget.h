// Editor of reset: the reset type passed to the ROM.
#pragma once

#include "icmdwidget.h"

class QComboBox;

namespace DevelopViews {

class CmdResetWidget : public ICmdWidget
{
    Q_OBJECT
public:
    explicit CmdResetWidget(QWidget* parent = nullptr);

    QComboBox* typeBox() const { return m_type; }

protected:
    CommandForm form() const override;
    void setForm(const CommandForm& form) override;

private:
    QComboBox* m_type;
};

} // namespace DevelopViews
