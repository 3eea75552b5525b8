// Editor of config-memory: the memory and the address of its configuration block.
#pragma once

#include "icmdwidget.h"

class QComboBox;
class QLineEdit;

namespace DevelopViews {

class CmdConfigMemoryWidget : public ICmdWidget
{
    Q_OBJECT
public:
    explicit CmdConfigMemoryWidget(QWidget* parent = nullptr);

    QComboBox* memoryBox() const { return m_memory; }
    QLineEdit* addressEdit() const { return m_address; }

protected:
    CommandForm form() const override;
    void setForm(const CommandForm& form) override;

private:
    QComboBox* m_memory;
    QLineEdit* m_address;
};

} // namespace DevelopViews
