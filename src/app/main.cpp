// Process entry: the daily log first, then the application, its settings and
// SoC database, and the main window.
#include "apppaths.h"
#include "globalsetting.h"
#include "loghandler.h"
#include "mainwindow.h"
#include "socdatabase.h"
#include "startup.h"

#include <QApplication>
#include <QDebug>
#include <QIcon>
#include <memory>

int main(int argc, char* argv[])
{
    // The folders are decided before the first line, so every line of the run
    // goes to the same file.
    AppPaths::resolve();
    qInstallMessageHandler(LogHandler::messageHandler);

    QApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);
    QApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);

    QApplication app(argc, argv);
    Q_INIT_RESOURCE(app);
    qInfo() << "\r\nVLX Krel Tool Start! Version: " << "0.4.0" << "\r\n";

    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icon/krel_icon.ico")));
    QApplication::setApplicationName(QStringLiteral("Veltirx Krel Tool"));
    QApplication::setApplicationVersion(QStringLiteral("0.4.0"));
    AppPaths::logFolders();

    GlobalSetting::instance().load();
    // Loads the project file first, then the catalogue.
    SocDatabase::instance().load();

    auto window = std::make_unique<DevelopViews::MainWindow>();

    Startup::showOnCursorScreen(window.get());

    const int code = app.exec();
    window.reset();
    return code;
}
