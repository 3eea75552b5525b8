// The folders the tool writes to.
#include "apppaths.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTest>

class TestAppPaths : public QObject
{
    Q_OBJECT
private slots:
    // An unwritable application folder sends every file to the user's folders
    // under one fixed name: the first log line and the rest of the run land in
    // the same place, whenever the application name is set.
    void userFoldersDoNotFollowTheApplicationName()
    {
        QTemporaryDir home;
        qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toUtf8());
        qputenv("XDG_DATA_HOME", (home.path() + "/data").toUtf8());
        QTemporaryDir app;
        AppPaths::setAppDirOverride(app.path());
        QCOMPARE(AppPaths::configDir(), app.path());
        QCOMPARE(AppPaths::logDir(), app.path() + "/logs/vlx_krel_tool");

        QCoreApplication::setApplicationName(QString());
        AppPaths::setAppDirOverride("/dev/null/not-a-folder");
        const QString config = AppPaths::configDir(), log = AppPaths::logDir();
        QCoreApplication::setApplicationName("Veltirx Krel Tool");
        QCOMPARE(AppPaths::configDir(), config);
        QCOMPARE(AppPaths::logDir(), log);
        QCOMPARE(config, home.path() + "/config/vlx_krel_tool");
        QCOMPARE(log, home.path() + "/data/vlx_krel_tool/logs/vlx_krel_tool");
        AppPaths::setAppDirOverride(QString());
    }
};

QTEST_GUILESS_MAIN(TestAppPaths)
#include "tst_apppaths.moc"
