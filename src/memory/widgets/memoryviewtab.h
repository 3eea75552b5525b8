// The memory view: reads a region of a memory of the connected device into the
// hexadecimal viewer, erases a region or a whole memory, and saves what was read.
// It never talks to a device: it emits one-command lists (signalCommondsRun) for
// the central widget to run as a download (signalDeviceDownloadTask with the
// device record), and takes the bytes read through slotMemoryDataReadFinished
// from the central widget's signal of the same name; signalAddLogs goes to the
// log view. The memories offered are the memoryView entries of the selected SoC.
#pragma once

#include "memorycommands.h"
#include "records.h"

#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <QVector>
#include <QWidget>
#include <cstdint>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

namespace DevelopViews {

class HexViewWidget;

class MemoryViewTab : public QWidget
{
    Q_OBJECT
public:
    explicit MemoryViewTab(QWidget* parent = nullptr);

    // The chooser from the selected SoC's memories; called again when it changes.
    void reloadSocInfo();

    QComboBox* memoryChooser() const { return m_memoryCbb; }
    QLineEdit* addressEdit() const { return m_addressEdit; }
    QLineEdit* lengthEdit() const { return m_lengthEdit; }
    QPushButton* loadButton() const { return m_loadBtn; }
    QPushButton* eraseButton() const { return m_eraseBtn; }
    QPushButton* eraseAllButton() const { return m_eraseAllBtn; }
    QPushButton* saveButton() const { return m_saveBtn; }
    HexViewWidget* hexView() const { return m_hexView; }
    QLabel* statusLabel() const { return m_statusLbl; }
    // A load is waiting for bytes.
    bool isLoading() const { return m_loading; }

signals:
    void signalAddLogs(QString log, LogLevel level);
    void signalCommondsRun(QList<DownloadCommand> cmdList);

public slots:
    void slotMemoryDataReadFinished(uint32_t address, QVector<uint8_t> dataVec);
    void slotLoadBtnClicked();
    void slotEraseBtnClicked();
    void slotEraseAllBtnClicked();
    void slotMemoryCbbCurrentIndexChanged(int index);
    // Saves the bytes read (raw, or as text for a ".txt" name).
    void slotSaveBtnClicked();
    // The host's run ended: a load cut short shows (and can save) what did arrive.
    void slotRunFinished(bool result);

protected:
    // A modal question; the index of the button chosen, -1 when the box was closed.
    // Tests replace these with scripted answers.
    virtual int ask(QMessageBox::Icon icon, const QString& title, const QString& text, const QStringList& buttons);
    virtual QString saveFileName(const QString& title, const QString& suggested, const QString& filter);
    void changeEvent(QEvent* event) override;

private:
    void buildUi();
    void retranslateUi();
    void log(const QString& text, LogLevel level);
    void run(const MemoryRequest& request);
    void updateStatus();
    // The erase buttons ask first: what they destroy cannot be read back.
    void confirmErase();
    void confirmEraseAll();

    bool m_loading = false;
    uint32_t m_loadAddress = 0; // as the read command reads the address text
    quint64 m_loadLength = 0; // 0: unknown
    bool m_overflowLogged = false;
    bool m_skipOtpWord0 = false; // the runner's OTP check may deliver word 0 first

    QLabel* m_memoryLbl = nullptr;
    QLabel* m_addressLbl = nullptr;
    QLabel* m_lengthLbl = nullptr;
    QLabel* m_statusLbl = nullptr;
    QComboBox* m_memoryCbb = nullptr;
    QLineEdit* m_addressEdit = nullptr;
    QLineEdit* m_lengthEdit = nullptr;
    QPushButton* m_loadBtn = nullptr;
    QPushButton* m_eraseBtn = nullptr;
    QPushButton* m_eraseAllBtn = nullptr;
    QPushButton* m_saveBtn = nullptr;
    HexViewWidget* m_hexView = nullptr;
    QTimer* m_statusTimer = nullptr;
};

} // namespace DevelopViews
