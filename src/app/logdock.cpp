#include "logdock.h"

#include "logdocktitlewidget.h"
#include "logfilewriter.h"
#include "logline.h"
#include "plaintextbrowser.h"
#include "stylesheet.h"

#include <QDateTime>
#include <QEvent>
#include <QTime>

namespace DevelopViews {

LogDock::LogDock(QWidget* parent) : QDockWidget(parent), m_fileWriter(std::make_unique<LogFileWriter>())
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

LogDock::~LogDock() = default;

void LogDock::waitForLogFile()
{
    m_fileWriter->waitUntilWritten();
}

void LogDock::slotAddLogs(QString log, LogLevel level)
{
    if (log.isEmpty())
        return;
    m_colour = LogLine::colour(level, m_colour);
    if (level >= LogDebug && level <= LogError)
        m_fileWriter->enqueue(level, log);
    // Formatting the local time costs more than the rest of a line: once a second.
    const qint64 second = QDateTime::currentMSecsSinceEpoch() / 1000;
    if (second != m_prefixSecond) {
        m_prefixSecond = second;
        m_prefix = LogLine::text(QTime::currentTime(), QString());
    }
    m_browser->appendLine(m_prefix + log, m_colour);
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
