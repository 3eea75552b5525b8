// The ROM workbench's entry: the daily log, the settings and SoC database, then
// the workbench window.
#include "apppaths.h"
#include "globalsetting.h"
#include "loghandler.h"
#include "romworkbenchwindow.h"
#include "socdatabase.h"
#include "startup.h"

#include <QApplication>
#include <QDebug>
#include <QIcon>
#include <QThreadPool>
#include <memory>

int main(int argc, char* argv[])
{
    AppPaths::resolve();
    qInstallMessageHandler(LogHandler::messageHandler);

    QApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);
    QApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);

    QApplication app(argc, argv);
    Q_INIT_RESOURCE(app);
    qInfo() << "\r\nVLX ROM Workbench Start! Version: "
            << "0.4.0"
            << "\r\n";

    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icon/krel_icon.ico")));
    QApplication::setApplicationName(QStringLiteral("Veltirx Krel Tool"));
    QApplication::setApplicationVersion(QStringLiteral("0.4.0"));
    AppPaths::logFolders();

    GlobalSetting::instance().load();
    SocDatabase::instance().load();

    auto window = std::make_unique<DevelopViews::RomWorkbenchWindow>();
    Startup::showOnCursorScreen(window.get());

    const int code = app.exec();
    window.reset();
    // Jobs still on the pool end before the libraries they use go away.
    QThreadPool::globalInstance()->waitForDone();
    return code;
}
