// Log flood benchmark: 65 536 lines (a 1 MiB read with its hex dump) reach the
// log dock as queued signals from a worker thread, as a run sends them. Measures
// the time until every line is shown and the longest stall of the event loop
// (gaps of a 5 ms heartbeat timer beyond its interval), with the daily log
// file written as in the tool, and without it.
//
//   krel_bench_log [--lines 65536]
#include "loghandler.h"
#include "logdock.h"
#include "plaintextbrowser.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextStream>
#include <QThread>
#include <QTimer>

#include <time.h>

namespace {

class Sender : public QObject
{
    Q_OBJECT
signals:
    void signalAddLogs(QString log, LogLevel level);
};

struct Result
{
    double totalMs = 0;
    double maxStallMs = 0;
    double guiCpuMs = 0; // CPU time of the GUI thread: less sensitive to a busy machine
};

double threadCpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

Result run(int lines)
{
    DevelopViews::LogDock dock;
    dock.resize(1200, 300);
    dock.show();
    QApplication::processEvents();

    Sender sender;
    QThread worker;
    sender.moveToThread(&worker);
    QObject::connect(&sender, &Sender::signalAddLogs, &dock, &DevelopViews::LogDock::slotAddLogs,
        Qt::QueuedConnection);

    QElapsedTimer clock;
    QElapsedTimer beat;
    double maxGap = 0;
    QTimer heartbeat;
    heartbeat.setInterval(5);
    QObject::connect(&heartbeat, &QTimer::timeout, [&] {
        maxGap = qMax(maxGap, beat.nsecsElapsed() / 1e6);
        beat.restart();
    });

    worker.start();
    const double cpuStart = threadCpuMs();
    clock.start();
    beat.start();
    heartbeat.start();
    QMetaObject::invokeMethod(&sender, [&sender, lines] {
        for (int i = 0; i < lines; ++i) {
            emit sender.signalAddLogs(QStringLiteral("0x%1: 00 11 22 33 44 55 66 77 88 99 aa bb cc dd ee ff")
                                          .arg(i * 16, 8, 16, QLatin1Char('0')),
                LogDebug);
        }
    });
    // Done once every line has been delivered and shown.
    const int expected = qMin(lines, DevelopViews::PlainTextBrowser::MaxLines);
    while (true) {
        QApplication::processEvents(QEventLoop::AllEvents, 50);
        QTextDocument* doc = dock.browser()->document();
        if (dock.browser()->pendingCount() == 0 && doc->blockCount() >= expected
            && doc->lastBlock().text().contains(QStringLiteral("0x%1:").arg((lines - 1) * 16, 8, 16, QLatin1Char('0'))))
            break;
    }
    Result r;
    r.totalMs = clock.nsecsElapsed() / 1e6;
    r.guiCpuMs = threadCpuMs() - cpuStart;
    r.maxStallMs = qMax(0.0, maxGap - heartbeat.interval());
    heartbeat.stop();
    worker.quit();
    worker.wait();
    return r;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    int lines = 65536;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args.at(i) == QLatin1String("--lines"))
            lines = qMax(1, args.at(i + 1).toInt());
    }
    QTextStream out(stdout);

    const Result view = run(lines);
    out << QStringLiteral("%1 lines, view only:          %2 ms in all, GUI thread CPU %3 ms, longest stall %4 ms\n")
               .arg(lines)
               .arg(view.totalMs, 0, 'f', 1)
               .arg(view.guiCpuMs, 0, 'f', 1)
               .arg(view.maxStallMs, 0, 'f', 1);
    out.flush();

    QTemporaryDir dir;
    LogHandler::setLogDir(dir.path());
    qInstallMessageHandler(LogHandler::messageHandler);
    const Result withFile = run(lines);
    qInstallMessageHandler(nullptr);
    out << QStringLiteral("%1 lines, view and log file: %2 ms in all, GUI thread CPU %3 ms, longest stall %4 ms "
                          "(targets 1000 and 100)\n")
               .arg(lines)
               .arg(withFile.totalMs, 0, 'f', 1)
               .arg(withFile.guiCpuMs, 0, 'f', 1)
               .arg(withFile.maxStallMs, 0, 'f', 1);
    return 0;
}

#include "logbench.moc"
