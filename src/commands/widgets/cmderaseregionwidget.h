// Editor of erase-region: a memory, an address and a length.
#pragma once

#include "icmdwidget.h"

class QComboBox;
class QLineEdit;

namespace DevelopViews {

class CmdEraseRegionWidget : public ICmdWidget
{
    Q_OBJECT
public:
    explicit CmdEraseRegionWidget(QWidget* parent = nullptr);

    QComboBox* memoryBox() const { return m_memory; }
    QLineEdit* addressEdit() const { return m_address; }
    QLineEdit* lengthEdit() const { return m_length; }

protected:
    CommandForm form() const override;
    void setForm(const CommandForm& form) override;

private:
    QComboBox* m_memory;
    QLineEdit* m_address;
    QLineEdit* m_length;
};

} // namespace DevelopViews
