// The OTP tab: a read view that reads a device's OTP group by group through a
// linked run and shows every word coloured by type with a decoding tooltip, and a
// write view that holds runs of words to program, write, synchronise into a
// production stage, export and import. It never talks to a device itself: it
// emits command lists and takes the results through its slots.
#pragma once

#include "otpreadplan.h"
#include "otpwordruns.h"
#include "records.h"
#include "socinfo.h"

#include <QList>
#include <QMap>
#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <QVector>
#include <QWidget>
#include <cstdint>

class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QTableWidget;
class QTableWidgetItem;

namespace DevelopViews {

class OTPWordsDlg;

class OTPTab : public QWidget
{
    Q_OBJECT
public:
    // Data roles of the table cells.
    enum Role { RoleRunStart = Qt::UserRole, RoleIndex, RoleValue };

    explicit OTPTab(QWidget* parent = nullptr);

    // The OTP memory id and word count of the selected SoC; called again when it changes.
    void reloadSocInfo();

    QString otpMemoryId() const { return m_otpMemoryId; }
    quint32 otpWordCount() const { return m_otpWordCount; }
    QString linkedUuid() const { return m_linkedUuid; }
    int readSteps() const { return m_readSteps; }
    const OtpReadPlan& readPlan() const { return m_plan; }
    const OtpWordRuns& writeWords() const { return m_writeWords; }

    QTableWidget* readTable() const { return m_readTable; }
    QTableWidget* writeTable() const { return m_writeTable; }
    QRadioButton* readRadio() const { return m_readRadio; }
    QRadioButton* writeRadio() const { return m_writeRadio; }
    QComboBox* readColumnChooser() const { return m_readColumns; }
    QComboBox* writeColumnChooser() const { return m_writeColumns; }
    QLabel* marker() const { return m_marker; }
    QStackedWidget* pages() const { return m_pages; }
    QList<QPushButton*> readButtons() const { return { m_exportBtn, m_refreshBtn }; }
    QList<QPushButton*> writeButtons() const { return { m_writeBtn, m_importBtn, m_syncBtn, m_exportInfoBtn }; }

    // Tooltip text of a read-view word, empty when the word has none.
    QString readTooltip(quint32 wordIndex) const;

signals:
    void signalBatchProdCmdUpdate();
    void signalCommondsRun(QList<DownloadCommand> cmdList);
    void signalLinkedCommandsRun(QString uuid, QList<DownloadCommand> cmdList, bool isDisableOTPQuery);
    void signalLinkedCommandsEndSend(QString uuid, QMap<QString, QString> endInfoMap);
    void signalAddLogs(QString log, LogLevel level);
    void signalOpenOTPTabs();
    void signalShowTabsDotTips(bool isVisible);

public slots:
    void slotLinkedOTPMemoryQueried(
        QString uuid, uint32_t startAddress, uint32_t endAddress, uint32_t unitSize, uint32_t memorySize);
    void slotLinkedMemoryDataReadFinished(QString uuid, uint32_t address, QVector<uint8_t> dataVec);
    void slotLinkedStepFinished(QString uuid, int step, bool result);
    void slotOTPEXIPAdded(QString exipStr);
    void slotOTPSRKHashAdded(QString srkHash);
    void slotOTPEXIPEnabled(QString enableStr);
    void slotOTPEXIPLocked(QString exipLockStr);
    void slotShowOTPWriteView();
    void slotViewRadioClicked();
    void slotReadRBClicked();
    void slotAdjustReadTableData();
    void slotAdjustWriteTableData();
    void slotExportBtnClicked();
    void slotRefreshBtnClicked();
    void slotWriteBtnClicked();
    void slotImportBtnClicked();
    void slotSyncBtnClicked();
    void slotExportZIndrakeBtnClicked();
    void slotAddNewWordBtnClicked();
    void slotRemoveAllWordBtnClicked();
    void slotReadTableWgtItemEntered(QTableWidgetItem* item);
    void slotOTPWordsAdd(uint32_t startAddress, QVector<uint32_t> dataVec);
    void slotWriteTableItemClicked(QTableWidgetItem* item);

protected:
    // A modal question; the index of the button chosen, -1 when the box was closed.
    // Tests replace these four with scripted answers.
    virtual int ask(QMessageBox::Icon icon, const QString& title, const QString& text, const QStringList& buttons,
        int defaultButton = 0);
    virtual QString saveFileName(const QString& title, const QString& filter);
    virtual QString openFileName(const QString& title, const QString& filter);
    virtual void runWordsDialog(OTPWordsDlg& dlg);
    virtual void openFolder(const QString& folder);
    void changeEvent(QEvent* event) override;

private:
    void buildUi();
    void retranslate();
    // Texts and values of the read table's words from..to-1 (indices into the words read).
    void updateReadCells(int from, int to);
    void log(const QString& text, LogLevel level);
    void logAll(const OtpLogLines& lines);
    void storeWords(); // writeWords into the project, saved
    void setTips(bool show);
    void updateMarker();
    void applyImport(const OtpWordRuns& runs, const QString& path);
    void importCsvFile(const QString& path);
    void importInfoFile(const QString& path);
    void openWordsDialog(OTPWordsDlg& dlg);

    QString m_otpMemoryId;
    quint32 m_otpWordCount = 0;
    QString m_linkedUuid;
    OtpReadPlan m_plan; // region, words read, word 0's bits
    int m_readSteps = 0;
    bool m_readEnded = true; // the current linked run has been told to end
    OtpWordRuns m_writeWords;
    QVector<FuseWordInfo> m_fuseMap; // of the selected SoC

    QRadioButton* m_readRadio = nullptr;
    QRadioButton* m_writeRadio = nullptr;
    QLabel* m_marker = nullptr;
    QPushButton* m_exportBtn = nullptr;
    QPushButton* m_refreshBtn = nullptr;
    QPushButton* m_writeBtn = nullptr;
    QPushButton* m_importBtn = nullptr;
    QPushButton* m_syncBtn = nullptr;
    QPushButton* m_exportInfoBtn = nullptr;
    QPushButton* m_addBtn = nullptr;
    QPushButton* m_removeAllBtn = nullptr;
    QLabel* m_readColumnsLabel = nullptr;
    QLabel* m_writeColumnsLabel = nullptr;
    QStackedWidget* m_pages = nullptr;
    QComboBox* m_readColumns = nullptr;
    QComboBox* m_writeColumns = nullptr;
    QTableWidget* m_readTable = nullptr;
    QTableWidget* m_writeTable = nullptr;
};

} // namespace DevelopViews
