// The demo build's entry: the tool's start-up with its folders in a temporary
// folder of the user and its devices simulated (DemoRig).
#include "apppaths.h"
#include "demorig.h"
#include "globalsetting.h"
#include "loghandler.h"
#include "mainwindow.h"
#include "socdatabase.h"

#include <QApplication>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QIcon>
#include <QMessageBox>
#include <QSocketNotifier>
#include <QTemporaryDir>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int g_quitPipe[2] = { -1, -1 };

// Ctrl-C or a kill ends the event loop, so the run's temporary folders go too.
void requestQuit(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_quitPipe[1], &byte, 1);
}

void quitOnSignals(QObject* owner)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_quitPipe) != 0)
        return;
    auto* notifier = new QSocketNotifier(g_quitPipe[0], QSocketNotifier::Read, owner);
    QObject::connect(notifier, &QSocketNotifier::activated, qApp, &QCoreApplication::quit);
    struct sigaction sa
    {
    };
    sa.sa_handler = requestQuit;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &sa, nullptr);
    ::sigaction(SIGTERM, &sa, nullptr);
}
} // namespace

int main(int argc, char* argv[])
{
    AppPaths::resolve();
    const QString manual = AppPaths::dataPath(QStringLiteral("doc/user_manual.html"));
    // Settings, logs, project file and the firmware offer live here for one run.
    QTemporaryDir root(QDir::tempPath() + QStringLiteral("/vlx_krel_tool_demo-XXXXXX"));
    AppPaths::setAppDirOverride(root.path());
    qInstallMessageHandler(LogHandler::messageHandler);

    QApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);
    QApplication app(argc, argv);
    quitOnSignals(&app);
    QApplication::setApplicationName(QStringLiteral("Veltirx Krel Tool"));
    QApplication::setApplicationVersion(QStringLiteral("0.4.0"));
    QString error;
    if (!root.isValid() || !DemoRig::prepareAppFolder(root.path(), &error)) {
        QMessageBox::critical(nullptr, QStringLiteral("Demo"),
            QStringLiteral("Cannot prepare the demo folder %1: %2").arg(root.path(), error));
        return 1;
    }
    QDir().mkpath(root.filePath(QStringLiteral("doc")));
    QFile::copy(manual, root.filePath(QStringLiteral("doc/user_manual.html")));
    qInfo().noquote() << "Demo folder:" << root.path();

    GlobalSetting::instance().load();
    SocDatabase::instance().load();
    DemoRig rig;
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icon/krel_icon.ico")));
    rig.window()->show();
    return app.exec();
}
