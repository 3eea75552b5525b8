// Editor of read-memory: a memory region, shown in the views or saved to a file.
#pragma once

#include "icmdwidget.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace DevelopViews {

class CmdReadMemoryWidget : public ICmdWidget
{
    Q_OBJECT
public:
    explicit CmdReadMemoryWidget(QWidget* parent = nullptr);

    QComboBox* memoryBox() const { return m_memory; }
    QLineEdit* addressEdit() const { return m_address; }
    QLineEdit* lengthEdit() const { return m_length; }
    QCheckBox* saveToFileCheck() const { return m_saveToFile; }
    QLineEdit* savePathEdit() const { return m_savePath; }

protected:
    CommandForm form() const override;
    void setForm(const CommandForm& form) override;

private:
    void pickSavePath();

    QComboBox* m_memory;
    QLineEdit* m_address;
    QLineEdit* m_length;
    QCheckBox* m_saveToFile;
    QLineEdit* m_savePath;
    QPushButton* m_select;
};

} // namespace DevelopViews
