// The settings file: absent values, conversions and which keys each write touches.
#include "apppaths.h"
#include "globalsetting.h"
#include "testfiles.h"

#include <QFile>
#include <QLockFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

class TestGlobalSetting : public QObject
{
    Q_OBJECT

private:
    QScopedPointer<QTemporaryDir> m_dir;

    QString iniPath() const { return m_dir->path() + QStringLiteral("/config.ini"); }
    void writeIni(const QByteArray& content) { QVERIFY(writeFile(iniPath(), content)); }

private slots:
    void init()
    {
        m_dir.reset(new QTemporaryDir);
        QVERIFY(m_dir->isValid());
        AppPaths::setAppDirOverride(m_dir->path());
        GlobalSetting::instance().resetForTests();
    }
    void cleanup()
    {
        GlobalSetting::instance().resetForTests();
        AppPaths::setAppDirOverride(QString());
    }


    void readTable_data()
    {
        QTest::addColumn<QByteArray>("ini"); // empty: no file at all
        QTest::addColumn<int>("language");
        QTest::addColumn<int>("fwLoadType");
        QTest::addColumn<bool>("customBaud");
        QTest::addColumn<int>("cmdTimeout");
        QTest::addColumn<bool>("autoAddPort");
        QTest::addColumn<bool>("enableAllSoCs");
        QTest::addColumn<bool>("downloadAll");

        QTest::newRow("absent file") << QByteArray() << 0 << 0 << false << 0 << false << false << false;
        QTest::newRow("bool text true reads false")
            << QByteArray("[Base]\nAutoAddPort=true\nEnableAllSoCs=true\n") << 0 << 0 << false << 0 << false << false << false;
        QTest::newRow("numbers, bool 1 reads true")
            << QByteArray("[Base]\nLanguage=1\nCmdTimeout=2500\nFwLoadType=2\nAutoAddPort=1\nEnableAllSoCs=1\n"
                          "FwLoadUseCustomBaudRate=1\nDownloadAllStateDevices=1\n")
            << 1 << 2 << true << 2500 << true << true << true;
        QTest::newRow("keys outside Base ignored") << QByteArray("[General]\nLanguage=1\n[Other]\nAutoAddPort=1\n") << 0 << 0 << false
                                                   << 0 << false << false << false;
    }
    void readTable()
    {
        QFETCH(QByteArray, ini);
        if (!ini.isEmpty())
            writeIni(ini);
        GlobalSetting& s = GlobalSetting::instance();
        s.load();
        QTEST(s.language(), "language");
        QTEST(s.fwLoadType(), "fwLoadType");
        QTEST(s.fwLoadUseCustomBaudRate(), "customBaud");
        QTEST(s.cmdTimeout(), "cmdTimeout");
        QTEST(s.autoAddPort(), "autoAddPort");
        QTEST(s.enableAllSoCs(), "enableAllSoCs");
        QTEST(s.downloadAllStateDevices(), "downloadAll");
        QCOMPARE(s.info().cmdTimeout, s.cmdTimeout());
    }

    void saveWritesAllKeysAndDefaultTimeoutRoundTrips()
    {
        GlobalSetting& s = GlobalSetting::instance();
        s.load();
        GlobalSettingInfo info;
        info.language = 1;
        info.fwLoadType = 2;
        info.fwLoadUseCustomBaudRate = true;
        info.cmdTimeout = -1; // the dialog's "default"
        info.downloadAllStateDevices = true;
        s.save(info);
        QCOMPARE(s.cmdTimeout(), -1);

        QSettings raw(iniPath(), QSettings::IniFormat);
        raw.beginGroup(QStringLiteral("Base"));
        QCOMPARE(raw.childKeys().size(), 7);
        QCOMPARE(raw.value("CmdTimeout").toString(), QStringLiteral("-1"));
        QCOMPARE(raw.value("FwLoadUseCustomBaudRate").toString(), QStringLiteral("1"));
        QCOMPARE(raw.value("AutoAddPort").toString(), QStringLiteral("0"));

        s.resetForTests();
        s.load();
        QCOMPARE(s.cmdTimeout(), 0);
        QCOMPARE(s.language(), 1);
        QCOMPARE(s.fwLoadType(), 2);
        QVERIFY(s.fwLoadUseCustomBaudRate());
        QVERIFY(s.downloadAllStateDevices());
        QVERIFY(!s.autoAddPort());
    }

    // A single-key setter writes that key only: other keys keep their text, unknown
    // keys and groups stay, absent keys are not added. (Whole-file replacement is
    // tst_killsaves' business.)
    void singleKeyWriteLeavesOthers()
    {
        writeIni("[Base]\nLanguage=0\nFwLoadType=2\nCmdTimeout=abc\nAutoAddPort=true\nForeign=kept\n[Extra]\nx=1\n");
        GlobalSetting& s = GlobalSetting::instance();
        s.load();
        s.setLanguage(1);
        s.setAutoAddPort(true);
        QSettings raw(iniPath(), QSettings::IniFormat);
        QCOMPARE(raw.value("Base/Language").toString(), QStringLiteral("1"));
        QCOMPARE(raw.value("Base/AutoAddPort").toString(), QStringLiteral("1")); // "true" would read back as false
        QCOMPARE(raw.value("Base/FwLoadType").toString(), QStringLiteral("2"));
        QCOMPARE(raw.value("Base/CmdTimeout").toString(), QStringLiteral("abc"));
        QCOMPARE(raw.value("Base/Foreign").toString(), QStringLiteral("kept"));
        QCOMPARE(raw.value("Extra/x").toString(), QStringLiteral("1"));
        QVERIFY(!raw.contains("Base/EnableAllSoCs"));
        QCOMPARE(s.language(), 1);
        QVERIFY(s.autoAddPort());
    }

    // A writer killed while creating "config.ini.lock" leaves it empty; one
    // killed later leaves its gone process id. Either is taken over at once
    // (no wait allowed here); a lock a live process holds is left alone.
    void staleLockTakenOver_data()
    {
        QTest::addColumn<QByteArray>("lock"); // "held": a live QLockFile of this process
        QTest::addColumn<bool>("written");
        QProcess gone;
        gone.start(QStringLiteral("true"), QStringList());
        QVERIFY(gone.waitForStarted());
        const qint64 pid = gone.processId();
        QVERIFY(gone.waitForFinished());
        QTest::newRow("empty lock") << QByteArray() << true;
        QTest::newRow("cut lock") << QByteArray("4") << true;
        QTest::newRow("process gone") << QByteArray::number(pid) + "\nvlx_krel_tool\n" + QSysInfo::machineHostName().toUtf8() + "\n"
                                      << true;
        QTest::newRow("live owner") << QByteArray("held") << false;
    }
    void staleLockTakenOver()
    {
        QFETCH(QByteArray, lock);
        QFETCH(bool, written);
        writeIni("[Base]\nLanguage=0\n");
        const QString lockPath = iniPath() + QStringLiteral(".lock");
        QLockFile live(lockPath);
        if (lock == "held") {
            QVERIFY(live.tryLock(0));
        } else {
            QFile f(lockPath);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(lock);
        }
        GlobalSetting& s = GlobalSetting::instance();
        s.setLockWaitForTests(0);
        s.load();
        if (!written)
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Settings file is locked by another process"));
        s.setLanguage(1);
        QCOMPARE(readFile(iniPath()).contains("Language=1"), written);
        QCOMPARE(QFile::exists(lockPath), !written);
        // Once the owner lets go, the next write carries the change.
        live.unlock();
        s.setAutoAddPort(true);
        QVERIFY(readFile(iniPath()).contains("Language=1"));
    }

    void writesBeforeLoadOnlyChangeMemory()
    {
        GlobalSetting::instance().setLanguage(1);
        QCOMPARE(GlobalSetting::instance().language(), 1);
        QVERIFY(!QFile::exists(iniPath()));
    }
};

QTEST_GUILESS_MAIN(TestGlobalSetting)
#include "tst_globalsetting.moc"
