// The log dock: every line for the user, coloured by level, and the same line
// in the log file.
#pragma once

#include "records.h"

#include <QColor>
#include <QDockWidget>

namespace DevelopViews {

class LogDockTitleWidget;
class PlainTextBrowser;

class LogDock : public QDockWidget
{
    Q_OBJECT
public:
    explicit LogDock(QWidget* parent = nullptr);

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
};

} // namespace DevelopViews
