// Records through QVariant; the writable folders.
#include "apppaths.h"
#include "records.h"

#include <QStandardPaths>
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

    void appPathsFallBackWhenAppDirIsNotWritable()
    {
        QStandardPaths::setTestModeEnabled(true);
        QTemporaryDir tmp;
        AppPaths::setAppDirOverride(tmp.path());
        QCOMPARE(AppPaths::configDir(), tmp.path());
        QCOMPARE(AppPaths::logDir(), tmp.path() + "/logs/vlx_krel_tool");

        AppPaths::setAppDirOverride("/proc/krel-not-writable");
        QCOMPARE(AppPaths::appDir(), QString("/proc/krel-not-writable"));
        QVERIFY(!AppPaths::configDir().startsWith("/proc"));
        QCOMPARE(AppPaths::configDir(), QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation));
        QVERIFY(AppPaths::logDir().startsWith(QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation)));
        AppPaths::setAppDirOverride(QString());
    }
};

QTEST_GUILESS_MAIN(TestRecords)
#include "tst_records.moc"
