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
#include <QTemporaryDir>

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
