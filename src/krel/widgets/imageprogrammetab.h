// The Krel configuration tab: target SoC, trigger mode, UART speed, beeper and
// 5 V supply, the memory with its flash configuration words, the image files with
// their program addresses and the OTP word file; it launches the image helper and
// asks for the configuration to be written onto the box or exported.
#pragma once

#include <QList>
#include <QMap>
#include <QPair>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVector>
#include <QWidget>
#include <functional>
#include <optional>

#include "imagehelper.h"
#include "krelconfigbuilder.h"
#include "records.h"
#include "socinfo.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QIODevice;
class QLabel;
class QLineEdit;
class QProcess;
class QPushButton;
class QRadioButton;
class QTableWidget;
class QToolButton;

namespace DevelopViews {

class FileSelectWidget;

class ImageProgrammeTab : public QWidget
{
    Q_OBJECT
public:
    explicit ImageProgrammeTab(QWidget* parent);
    ~ImageProgrammeTab() override;

    // Refills the SoC selector and every widget from the project configuration
    // (at construction and after a project import).
    void reloadConfiguration();

    // Validates the widgets, writes "config.info" into the tool's working folder
    // and rebuilds the copy list; false (logged) on the first failed check.
    bool generateConfig();
    // Inspects the main image; true when it is usable without a warning.
    bool checkBootImage(bool updateAddress);
    // Examines one offset of the open image; false on a seek or read error.
    bool inspectOffset(QIODevice& file, quint32 offset);
    // Replaces the flash configuration words and shows their text.
    void applyFlashWords(const QStringList& words);

    QString flashWordText() const { return m_flashWordText; }
    KrelCopyList copyList() const { return m_copyList; }
    QMap<quint32, quint32> otpWords() const { return m_otpWords; }
    std::optional<quint32> flashConfigOffset() const { return m_flashConfigOffset; }
    std::optional<quint32> bootHeaderOffset() const { return m_bootHeaderOffset; }

signals:
    void signalAddLogs(QString log, LogLevel level = LogDebug);
    void signalWriteConfigRun(int type, QList<QPair<QString, QString>> srcPathList, QString desPath);
    void signalOTPEXIPAdded(QString exipStr);
    void signalOTPEXIPEnabled(QString enableStr);
    void signalOTPEXIPLocked(QString exipLockStr);
    void signalOTPSRKHashAdded(QString srkHash);
    void signalOTPWriteViewShown();

public slots:
    void slotSelMcuCbbIndexChanged(int index);
    void slotMemoryIdCurrentIndexChanged(int index);
    void slotImageTypeRadioBtnClicked();
    void slotFlashTitleChkStateChanged(int state);
    void slotFlashWordCalculated();
    void slotImgSltClicked();
    void slotAddFileSltClicked(int row);
    void slotOtpSltClicked();
    void slotImagePathUpdated(QString path);
    void slotFileSelectWgtTextChanged();
    void slotOTPSelectWgtTextChanged();
    void slotOtpEnableChkClicked();
    void slotNewCommandBtnClicked();
    void slotAddFileDelBtnClicked(int row);
    void soltUpdateAddFileTableAddress();
    void slotImageEditClicked(bool isMainMenuClicked);
    void slotMenuImageEditClicked();
    void slotSltSocCbbTrashBtnClicked();
    void slotWriteBtnClicked();
    void slotExportBtnClicked();
    // The writer's status (the orchestrator's signalWriteConfigStatus): shown on
    // the tab, failures also logged with what they mean.
    void slotWriteConfigStatus(int status);

protected:
    void changeEvent(QEvent* event) override;

private:
    struct AddFileRow
    {
        QLabel* addressLabel;
        QLineEdit* address;
        QLabel* fileLabel;
        FileSelectWidget* file;
        QToolButton* remove;
    };

    void buildUi();
    void retranslateUi();
    void fillSocSelector();
    bool isWithBootImage() const;
    MemoryItemInfo currentMemory() const;
    // The word layout of the selected memory: eMMC memories use the eMMC words
    // when the SoC has them.
    const FlashConfigInfo& optionConfig() const;
    bool optionConfigIsFlash() const;
    void rebuildFlashOptions();
    void applyModeUi();
    void clearFlashWords();
    void setProgramAddress(const QString& text);
    void addLogs(const KrelLogLines& lines);
    void storeProject();
    void openFileDialog(const QString& title, const QString& filter, const QString& current, bool directory,
        const std::function<void(const QString&)>& chosen);
    int rowOf(QObject* widget) const;
    void readHelperOutput();
    void handleHelperLine(const QString& line);
    QString statusText(int status) const;

    // The selected SoC (custom SoCs resolved to their catalogue entry).
    SocInfo m_soc;
    bool m_socIsCustom = false;
    QVector<quint32> m_words;
    QString m_flashWordText;
    QMap<quint32, quint32> m_otpWords;
    KrelCopyList m_copyList;
    std::optional<quint32> m_flashConfigOffset;
    std::optional<quint32> m_bootHeaderOffset;
    bool m_loading = false; // widgets are being filled from the project: nothing is stored
    bool m_optionsForFlash = true; // the option area shows the flash layout

    QPointer<QProcess> m_helper;
    ImageHelper::LineReader m_helperReader;

    QGroupBox* m_basicGroup = nullptr;
    QLabel* m_socLabel = nullptr;
    QComboBox* m_socCbb = nullptr;
    QToolButton* m_socTrashBtn = nullptr;
    QLabel* m_modeLabel = nullptr;
    QComboBox* m_modeCbb = nullptr;
    QLabel* m_baudLabel = nullptr;
    QComboBox* m_baudCbb = nullptr;
    QLabel* m_beepLabel = nullptr;
    QCheckBox* m_beepChk = nullptr;
    QLabel* m_fiveVoltLabel = nullptr;
    QCheckBox* m_fiveVoltChk = nullptr;

    QGroupBox* m_imageGroup = nullptr;
    QRadioButton* m_withBootRadio = nullptr;
    QRadioButton* m_withoutBootRadio = nullptr;
    QButtonGroup* m_imageTypeGroup = nullptr;
    QLabel* m_withoutHint = nullptr;
    QLabel* m_memoryLabel = nullptr;
    QComboBox* m_memoryCbb = nullptr;
    QLabel* m_addressLabel = nullptr;
    QLineEdit* m_addressEdit = nullptr;
    QLabel* m_imageLabel = nullptr;
    FileSelectWidget* m_imageSelect = nullptr;
    QLabel* m_flashWordLabel = nullptr;
    QLineEdit* m_flashWordEdit = nullptr;
    QCheckBox* m_otpChk = nullptr;
    FileSelectWidget* m_otpSelect = nullptr;

    QGroupBox* m_optionGroup = nullptr;
    QTableWidget* m_optionTable = nullptr;
    QList<QObject*> m_optionWidgets; // editors and value holders, in catalogue order

    QGroupBox* m_addFileGroup = nullptr;
    QTableWidget* m_addFileTable = nullptr;
    QPushButton* m_addFileBtn = nullptr;
    QVector<AddFileRow> m_rows;

    QPushButton* m_imageEditBtn = nullptr;
    QLabel* m_statusLabel = nullptr;
    QPushButton* m_exportBtn = nullptr;
    QPushButton* m_writeBtn = nullptr;
    int m_lastStatus = 2; // none yet
};

} // namespace DevelopViews
