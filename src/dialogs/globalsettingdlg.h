// The global settings dialog: bootloader firmware choice, its loading speed,
// the command time-out and the production-mode options, on two pages reached
// from a sidebar. OK writes the whole settings record; Cancel writes nothing.
#pragma once

#include <QDialog>

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollArea;
class QWidget;

class GlobalSettingDlg : public QDialog
{
    Q_OBJECT
public:
    explicit GlobalSettingDlg(QWidget* parent = nullptr);

    // Text of the custom time-out field as stored: an unsigned decimal, else 0.
    static int timeoutFromText(const QString& text);

    // For tests.
    QRadioButton* autoFwRadio() const { return m_autoFwRB; }
    QRadioButton* unsignedFwRadio() const { return m_unsignedFwRB; }
    QRadioButton* signedFwRadio() const { return m_signedFwRB; }
    QRadioButton* defaultBaudRadio() const { return m_defaultBaudRB; }
    QRadioButton* customBaudRadio() const { return m_customBaudRB; }
    QRadioButton* defaultTimeoutRadio() const { return m_defaultTimeoutRB; }
    QRadioButton* customTimeoutRadio() const { return m_customTimeoutRB; }
    QLineEdit* timeoutEdit() const { return m_timeoutEdit; }
    QCheckBox* autoAddPortCheck() const { return m_autoAddPortChk; }
    QCheckBox* allStatesCheck() const { return m_allStatesChk; }
    QPushButton* connectPageButton() const { return m_connectBtn; }
    QPushButton* programPageButton() const { return m_programBtn; }
    QScrollArea* scrollArea() const { return m_scrollArea; }
    QGroupBox* connectGroup() const { return m_connectGroup; }
    QGroupBox* programGroup() const { return m_programGroup; }

public slots:
    void slotSidebarBtnClicked(bool checked);
    void slotScrollbarValueChanged(int value);
    void slotTimeoutRBClicked();
    void slotOkBtnClicked();
    void slotCancelBtnClicked();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildUi();
    void fill();
    void updateTailSpace();

    QPushButton* m_connectBtn = nullptr;
    QPushButton* m_programBtn = nullptr;
    QScrollArea* m_scrollArea = nullptr;
    QGroupBox* m_connectGroup = nullptr;
    QGroupBox* m_programGroup = nullptr;
    QWidget* m_tail = nullptr; // room below the last page so it can scroll to the top
    QRadioButton* m_autoFwRB = nullptr;
    QRadioButton* m_unsignedFwRB = nullptr;
    QRadioButton* m_signedFwRB = nullptr;
    QRadioButton* m_defaultBaudRB = nullptr;
    QRadioButton* m_customBaudRB = nullptr;
    QRadioButton* m_defaultTimeoutRB = nullptr;
    QRadioButton* m_customTimeoutRB = nullptr;
    QLineEdit* m_timeoutEdit = nullptr;
    QCheckBox* m_autoAddPortChk = nullptr;
    QCheckBox* m_allStatesChk = nullptr;
};
