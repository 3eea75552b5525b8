// The firmware upgrade dialog: explains how to put the box into its update mode,
// checks what it was given, and copies the firmware onto the drive the user picks
// with a FileCopier on a thread of its own.
#pragma once

#include "firmwareupgrade.h"

#include <QDialog>
#include <QStringList>
#include <functional>

class FileCopier;
class QLabel;
class QProgressDialog;
class QPushButton;
class QThread;
class QTimer;

class UpdateFirmwareDlg : public QDialog
{
    Q_OBJECT
public:
    // Time between choosing the drive and the start of the copy.
    static constexpr int StartDelayMs = 1000;
    using DirectoryChooser = std::function<QString(QWidget* parent)>;

    UpdateFirmwareDlg(const QString& currentVersion, const QString& newVersion, const QString& newFirmwarePath,
        QWidget* parent = nullptr);
    ~UpdateFirmwareDlg() override;

    // Tests replace the folder question and the copy of one file.
    void setDirectoryChooser(DirectoryChooser chooser) { m_chooseDirectory = std::move(chooser); }
    void setCopyStep(Krel::CopyStep step) { m_copyStep = std::move(step); }
    bool isCopying() const { return m_thread != nullptr; }

signals:
    void startCopy(QStringList sourceFiles, QString destDir);

public slots:
    void slotUpdateFirmBtnPressed();
    void onCopyFinished(bool success, QString message);
    void onProgressChanged(int value);

protected:
    void changeEvent(QEvent* event) override;
    void reject() override;

private:
    void retranslate();

    QString m_currentVersion;
    QString m_newVersion;
    QString m_newFirmwarePath;
    QStringList m_sourceFiles;
    FileCopier* m_copier = nullptr; // lives in m_thread
    QThread* m_thread = nullptr;
    QProgressDialog* m_progress = nullptr;

    DirectoryChooser m_chooseDirectory;
    Krel::CopyStep m_copyStep;
    QTimer* m_startTimer = nullptr;
    QLabel* m_currentLabel = nullptr;
    QLabel* m_newLabel = nullptr;
    QLabel* m_step1 = nullptr;
    QLabel* m_step2 = nullptr;
    QLabel* m_step3 = nullptr;
    QLabel* m_tip = nullptr;
    QPushButton* m_downloadBtn = nullptr;
};
