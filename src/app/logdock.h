// The log dock: every line for the user, coloured by level, and the same line
// in the log file.
#pragma once

#include "records.h"

#include <QColor>
#include <QDockWidget>
#include <memory>

namespace DevelopViews {

class LogDockTitleWidget;
class LogFileWriter;
class PlainTextBrowser;

class LogDock : public QDockWidget
{
    Q_OBJECT
public:
    explicit LogDock(QWidget* parent = nullptr);
    ~LogDock() override;

    // Returns once every line shown so far is also in the log file.
    void waitForLogFile();

    PlainTextBrowser* browser() const { return m_browser; }
    LogDockTitleWidget* titleWidget() const { return m_titleWidget; }

public slots:
    void slotAddLogs(QString log, LogLevel level = LogDebug);
    void slotClearAllText();

protected:
    void changeEvent(QEvent* event) override;

private:
    PlainTextBrowser* m_browser = nullptr;
    LogDockTitleWidget* m_titleWidget = nullptr;
    QColor m_colour = QColor(200, 200, 200);
    std::unique_ptr<LogFileWriter> m_fileWriter;
    qint64 m_prefixSecond = -1; // the second m_prefix was made for
    QString m_prefix; // "[hh:mm:ss] " of that second
};

} // namespace DevelopViews
