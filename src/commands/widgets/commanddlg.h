// The command dialog: choose a command kind and a stage, edit the kind's
// parameters in its editor, and store the command into the project. Used for
// new commands (appended or inserted at a place) and for editing one.
#pragma once

#include "records.h"

#include <QDialog>
#include <QMap>
#include <QString>

class QComboBox;
class QLabel;
class QPushButton;
class QStackedWidget;

namespace DevelopViews {

class ICmdWidget;

class CommandDlg : public QDialog
{
    Q_OBJECT
public:
    explicit CommandDlg(QWidget* parent = nullptr);

    // A new command goes into stage at index (-1 appends). With a fixed stage
    // (an insert beside a command) the stage cannot be changed.
    void setNewCommand(int stage, int index = -1, bool fixedStage = false);
    // Edits a stored command: selects its kind and stage and fills its editor.
    void setCommand(int stage, const DownloadCommand& cmd);

    QString id() const { return m_id; }
    const DownloadCommand& command() const { return m_cmd; }
    QComboBox* commandBox() const { return m_cmdBox; }
    QComboBox* stageBox() const { return m_stageBox; }
    QPushButton* okButton() const { return m_okBtn; }
    QPushButton* cancelButton() const { return m_cancelBtn; }
    // The editor of a kind (the empty editor for kinds without one).
    ICmdWidget* editor(int nameId) const;
    ICmdWidget* currentEditor() const;

signals:
    void signalEditCommondUpdate(EDownloadStageType type, QString id);

public slots:
    void slotCmdCbbCurrentIndexChanged(int index);
    void slotOkBtnClicked();
    void slotCancelBtnClicked();

protected:
    void changeEvent(QEvent* event) override;

private:
    void retranslate();
    int kindIndex(int nameId);

    QString m_id;
    DownloadCommand m_cmd;
    int m_index = -1;
    QComboBox* m_cmdBox;
    QComboBox* m_stageBox;
    QStackedWidget* m_stack;
    QMap<int, ICmdWidget*> m_editors; // by nameId; 0 is the empty editor
    QPushButton* m_okBtn;
    QPushButton* m_cancelBtn;
    QLabel* m_cmdLabel;
    QLabel* m_stageLabel;
    QLabel* m_paramsLabel;
};

} // namespace DevelopViews
