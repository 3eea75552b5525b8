// The program settings dialog: the production-mode port auto-connect option.
#pragma once

#include <QDialog>

class QCheckBox;

class ProgramSettingDlg : public QDialog
{
    Q_OBJECT
public:
    explicit ProgramSettingDlg(QWidget* parent = nullptr);

    QCheckBox* autoAddPortCheck() const { return m_autoAddPortChk; }

public slots:
    void slotOkBtnClicked();
    void slotCancelBtnClicked();

private:
    QCheckBox* m_autoAddPortChk = nullptr;
};
