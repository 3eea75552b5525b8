// Records through QVariant; the folders the tool writes to.
#include "apppaths.h"
#include "records.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTest>

class TestRecords : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { registerMetaTypes(); }

    void serialPortInfoRoundTrip()
    {
        SerialPortInfo in;
        in.portName = "ttyUSB3";
        in.baudRate = 460800;
        in.dataBits = 7;
        in.parity = 3;
        in.stopBits = 2;
        in.status = 4;
        const auto out = recordFromVariant<SerialPortInfo>(QVariant::fromValue(in));
        QCOMPARE(out.portName, in.portName);
        QCOMPARE(out.baudRate, 460800);
        QCOMPARE(out.dataBits, 7);
        QCOMPARE(out.parity, 3);
        QCOMPARE(out.stopBits, 2);
        QCOMPARE(out.status, 4);
    }

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

QTEST_GUILESS_MAIN(TestRecords)
#include "tst_records.moc"
