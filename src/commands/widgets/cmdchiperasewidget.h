// Editor of erase-chip: the memory to erase whole.
#pragma once

#include "icmdwidget.h"

class QComboBox;

namespace DevelopViews {

class CmdChipEraseWidget : public ICmdWidget
{
    Q_OBJECT
public:
    explicit CmdChipEraseWidget(QWidget* parent = nullptr);

    QComboBox* memoryBox() const { return m_memory; }

protected:
    CommandForm form() const override;
    void setForm(const CommandForm& form) override;

private:
    QComboBox* m_memory;
};

} // namespace DevelopViews
