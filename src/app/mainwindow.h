// The main window: owns the device orchestrator for the life of the program.
// Until the docks and the central widget land it shows the tool's log lines.
#pragma once

#include "records.h"

#include <QMainWindow>

class QPlainTextEdit;

namespace RomCmd {
class RomUiMode;
}

namespace DevelopViews {

class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    RomCmd::RomUiMode* romUiMode() const { return m_romUiMode; }

public slots:
    void slotAddLogs(QString log, LogLevel level = LogDebug);

private:
    RomCmd::RomUiMode* m_romUiMode = nullptr;
    QPlainTextEdit* m_logView = nullptr;
};

} // namespace DevelopViews
