#include "logdock.h"

#include "logdocktitlewidget.h"
#include "logline.h"
#include "plaintextbrowser.h"
#include "stylesheet.h"

#include <QEvent>
#include <QTime>

namespace DevelopViews {

LogDock::LogDock(QWidget* parent) : QDockWidget(parent)
{
    setObjectName(QStringLiteral("LogDock"));
    setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    setAllowedAreas(Qt::AllDockWidgetAreas);
    setWindowTitle(tr("Log Window"));

    m_browser = new PlainTextBrowser(this);
    m_browser->setObjectName(QStringLiteral("LogBrowser"));
    m_browser->setContentsMargins(0, 0, 0, 0);
    m_browser->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_browser->setUndoRedoEnabled(false);
    m_browser->setMinimumHeight(50);
    setWidget(m_browser);

    m_titleWidget = new LogDockTitleWidget(tr("Log Window"), this);
    setTitleBarWidget(m_titleWidget);
    connect(m_titleWidget, &DockBaseTitleWidget::signalFloatBtnClicked, this, [this] { setFloating(!isFloating()); });
    connect(m_titleWidget, &DockBaseTitleWidget::signalCloseBtnClicked, this, &QDockWidget::close);
    connect(m_titleWidget, &LogDockTitleWidget::signalDeleteBtnClicked, this, &LogDock::slotClearAllText);

    StyleSheet::apply(QStringLiteral(":/qss/docks.qss"), this);
}

void LogDock::slotAddLogs(QString log, LogLevel level)
{
    if (log.isEmpty())
        return;
    m_colour = LogLine::colour(level, m_colour);
    LogLine::writeToLogFile(level, log);
    m_browser->appendLine(LogLine::text(QTime::currentTime(), log), m_colour);
}

void LogDock::slotClearAllText()
{
    m_browser->slotClear();
}

void LogDock::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange) {
        setWindowTitle(tr("Log Window"));
        m_titleWidget->setTitle(tr("Log Window"));
    }
    QDockWidget::changeEvent(event);
}

} // namespace DevelopViews
