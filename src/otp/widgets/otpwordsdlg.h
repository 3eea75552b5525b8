// The modal dialog in which OTP words are composed for the OTP tab's write view:
// by fuse-map field (Template page) or as a start word and a list (Custom page).
// The checks and the packing live in OtpWordsInput; this class only shows them.
#pragma once

#include <QDialog>
#include <QMessageBox>
#include <QVector>
#include <cstdint>

class QLineEdit;
class QPlainTextEdit;
class QTabWidget;
class QTableWidget;

namespace DevelopViews {

class OTPWordsDlg : public QDialog
{
    Q_OBJECT
public:
    // Data roles of the key cells of the Template table.
    enum Role { RoleWord = Qt::UserRole, RoleOffset, RoleWidth, RoleType };

    // New words; the Template page first.
    explicit OTPWordsDlg(QWidget* parent = nullptr);
    // Edits the run at startAddress: the Custom page with the start fixed.
    OTPWordsDlg(uint32_t startAddress, QString wordsText, QWidget* parent = nullptr);

    QTabWidget* tabs() const { return m_tabs; }
    QTableWidget* templateTable() const { return m_table; }
    QLineEdit* startEdit() const { return m_startEdit; }
    QLineEdit* countEdit() const { return m_countEdit; }
    QPlainTextEdit* wordsEdit() const { return m_wordsEdit; }

signals:
    void signalOTPWordsAdd(uint32_t startAddress, QVector<uint32_t> dataVec);

public slots:
    void slotOkBtnClicked();
    void slotCancelBtnClicked();
    void slotChkBoxStateChanged(int status);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // A modal message box; tests replace it.
    virtual void showMessage(QMessageBox::Icon icon, const QString& title, const QString& text);

private:
    void buildUi();
    void buildTemplateTable();
    bool acceptTemplate();
    bool acceptCustom();
    // The line edit or combo box of a value cell, or the cell's widget.
    QWidget* valueEditor(int row, int column) const;

    QTabWidget* m_tabs = nullptr;
    QTableWidget* m_table = nullptr;
    QLineEdit* m_startEdit = nullptr;
    QLineEdit* m_countEdit = nullptr;
    QPlainTextEdit* m_wordsEdit = nullptr;
};

} // namespace DevelopViews
