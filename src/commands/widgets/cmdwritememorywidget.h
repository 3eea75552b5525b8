// Editor of write-memory: a memory, an address and either a line of words or a file.
#pragma once

#include "icmdwidget.h"

class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace DevelopViews {

class CmdWriteMemoryWidget : public ICmdWidget
{
    Q_OBJECT
public:
    explicit CmdWriteMemoryWidget(QWidget* parent = nullptr);

    QComboBox* memoryBox() const { return m_memory; }
    QLineEdit* addressEdit() const { return m_address; }
    QRadioButton* arrayChoice() const { return m_arrayChoice; }
    QRadioButton* fileChoice() const { return m_fileChoice; }
    QLineEdit* wordsEdit() const { return m_words; }
    QLineEdit* fileEdit() const { return m_file; }

protected:
    CommandForm form() const override;
    void setForm(const CommandForm& form) override;

private:
    void updateChoice();

    QComboBox* m_memory;
    QLineEdit* m_address;
    QRadioButton* m_arrayChoice;
    QRadioButton* m_fileChoice;
    QLineEdit* m_words;
    QLineEdit* m_file;
    QPushButton* m_select;
};

} // namespace DevelopViews
