// Start-up benchmark: time from process start to a shown, painted main window
// (settings, SoC database and window, as main() does), against a process that
// shows a bare QMainWindow; both are children of this run, started in turn.
// With --shot <prefix> it also saves the window (and the workbench, tab by tab) at 1280 x 720 in English and in
// Chinese (<prefix>_en.png, <prefix>_zh.png) for a look at the layout.
//
//   krel_bench_startup [--rounds 5] [--shot /tmp/krel]
#include "apppaths.h"
#include "globalsetting.h"
#include "logdock.h"
#include "mainwindow.h"
#include "projectconfig.h"
#include "socdatabase.h"
#include "romuimode.h"
#include "romcentralwidget.h"
#include "romworkbenchwindow.h"
#include "tiptabwidget.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <cstdio>

namespace {

double median(QVector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.isEmpty() ? 0 : v.at(v.size() / 2);
}

void shot(const QString& prefix)
{
    GlobalSetting::instance().load();
    SocDatabase::instance().load();
    for (int language : {1, 0}) {
        GlobalSetting::instance().setLanguage(language);
        DevelopViews::MainWindow w;
        w.resize(1280, 720);
        w.show();
        w.logDock()->slotAddLogs(QStringLiteral("Detect Usb: HID\\VID_34B7&PID_1000\\1-2:1.0, vid: 0x34b7, pid: 0x1000"), LogInfo);
        w.logDock()->slotAddLogs(QStringLiteral("Refresh UART List"), LogDebug);
        w.logDock()->slotAddLogs(QStringLiteral("Device enters UF2 upgrade mode"), LogWarning);
        w.logDock()->slotAddLogs(QStringLiteral("Please select an Krel device"), LogError);
        QApplication::processEvents();
        const QString suffix = language == 1 ? QStringLiteral("_en.png") : QStringLiteral("_zh.png");
        w.grab().save(prefix + suffix);
        // The overlay as a run shows it.
        w.slotCmdRunStarted(true);
        DownloadTaskInfo info;
        info.cmdIndex = 2;
        info.cmdCount = 3;
        info.progress = 300;
        info.total = 1000;
        emit w.romUiMode()->callbackDownloadTaskUpdate(QStringLiteral("run"), info);
        QApplication::processEvents();
        w.grab().save(prefix + QStringLiteral("_overlay") + suffix);

        // The ROM workbench, one picture per tab.
        DevelopViews::RomWorkbenchWindow bench;
        bench.resize(1280, 720);
        bench.show();
        QTabWidget* tabs = bench.centralView()->tabWidget();
        for (int i = 0; i < tabs->count(); ++i) {
            tabs->setCurrentIndex(i);
            QApplication::processEvents();
            bench.grab().save(prefix + QStringLiteral("_workbench%1").arg(i) + suffix);
        }
    }
}

} // namespace

// A child: start up, show the window, paint it, leave.
int child(int argc, char* argv[], bool tool)
{
    QApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QApplication app(argc, argv);
    QTemporaryDir dir;
    if (tool) {
        AppPaths::setAppDirOverride(dir.path());
        GlobalSetting::instance().load();
        SocDatabase::instance().load();
        DevelopViews::MainWindow w;
        w.show();
        QApplication::processEvents();
        w.repaint();
    } else {
        QMainWindow w;
        w.resize(1280, 720);
        w.show();
        QApplication::processEvents();
        w.repaint();
    }
    return 0;
}

double timeChild(const QString& mode)
{
    QElapsedTimer clock;
    clock.start();
    QProcess p;
    p.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--child"), mode});
    p.waitForFinished(60000);
    return clock.nsecsElapsed() / 1e6;
}

int main(int argc, char* argv[])
{
    if (argc == 3 && qstrcmp(argv[1], "--child") == 0)
        return child(argc, argv, qstrcmp(argv[2], "tool") == 0);
    QApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QApplication app(argc, argv);
    int rounds = 5;
    QString shotPrefix;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args.at(i) == QLatin1String("--rounds"))
            rounds = qMax(1, args.at(i + 1).toInt());
        else if (args.at(i) == QLatin1String("--shot"))
            shotPrefix = args.at(i + 1);
    }

    QTemporaryDir dir;
    AppPaths::setAppDirOverride(dir.path());
    GlobalSetting::instance().load();
    GlobalSetting::instance().setLanguage(1);
    ProjectConfig::instance().loadIfExists();

    QTextStream out(stdout);
    QVector<double> bare, tool;
    for (int r = 0; r < rounds; ++r) {
        bare << timeChild(QStringLiteral("bare"));
        tool << timeChild(QStringLiteral("tool"));
    }
    out << QStringLiteral("process start to shown window, median of %1: bare window %2 ms, tool window %3 ms "
                          "(ratio %4, target <= 3)\n")
               .arg(rounds)
               .arg(median(bare), 0, 'f', 1)
               .arg(median(tool), 0, 'f', 1)
               .arg(median(tool) / qMax(median(bare), 0.001), 0, 'f', 2);
    out.flush();

    if (!shotPrefix.isEmpty())
        shot(shotPrefix);
    return 0;
}
