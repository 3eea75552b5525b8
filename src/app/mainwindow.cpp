#include "mainwindow.h"

#include "detectdeviceswin.h"
#include "romuimode.h"

#include <QDebug>
#include <QPlainTextEdit>
#include <QTimer>

namespace DevelopViews {

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent)
{
    registerMetaTypes();
    setWindowTitle(QStringLiteral("Veltrix Krel"));
    resize(1280, 720);

    m_logView = new QPlainTextEdit(this);
    m_logView->setReadOnly(true);
    m_logView->setMaximumBlockCount(5000);
    m_logView->setPlaceholderText(tr("Device messages appear here."));
    setCentralWidget(m_logView);

    m_romUiMode = new RomCmd::RomUiMode(this);
    connect(m_romUiMode, &RomCmd::RomUiMode::signalAddLogs, this, &MainWindow::slotAddLogs);
    if (!m_romUiMode->detector()->isRegistered())
        slotAddLogs(tr("Device arrival and removal are not watched: %1").arg(m_romUiMode->detector()->errorString()),
                    LogWarning);
    // The device list is filled once the event loop runs, as the device panel would ask for it.
    QTimer::singleShot(0, m_romUiMode, &RomCmd::RomUiMode::slotLoadUsbDevices);
}

MainWindow::~MainWindow() = default;

void MainWindow::slotAddLogs(QString log, LogLevel level)
{
    static const char* const colours[] = {"#606060", "#000000", "#b36b00", "#c00000"};
    const int i = qBound(0, int(level), 3);
    m_logView->appendHtml(QStringLiteral("<span style=\"color:%1\">%2</span>")
                              .arg(QLatin1String(colours[i]), log.toHtmlEscaped().replace('\n', "<br>")));
    qInfo().noquote() << log;
}

} // namespace DevelopViews
