// The folders the tool writes to.
#include "apppaths.h"
#include "testfiles.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTest>

class TestAppPaths : public QObject
{
    Q_OBJECT
    static void setHome(const QTemporaryDir& home)
    {
        qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toUtf8());
        qputenv("XDG_DATA_HOME", (home.path() + "/data").toUtf8());
    }
private slots:
    // An unwritable application folder sends every file to the user's folders
    // under one fixed name: the first log line and the rest of the run land in
    // the same place, whenever the application name is set.
    void userFoldersDoNotFollowTheApplicationName()
    {
        QTemporaryDir home;
        setHome(home);
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

    // An installed layout <prefix>/bin + <prefix>/share/vlx-krel-tool: read-only
    // data comes from beside the executable when it is there, else from the share
    // folder; writable files follow the writability of bin alone.
    void dataLookup_data()
    {
        QTest::addColumn<bool>("binWritable");
        QTest::addColumn<bool>("besideHasData");
        QTest::addColumn<bool>("shareHasData");
        QTest::addColumn<QString>("expected"); // "bin", "share"; "bin" also when neither has it
        QTest::newRow("installed, read-only bin") << false << false << true << "share";
        QTest::newRow("read-only bin, data beside preferred") << false << true << true << "bin";
        QTest::newRow("writable bin, data only in share") << true << false << true << "share";
        QTest::newRow("developer build") << true << true << false << "bin";
        QTest::newRow("nowhere: named beside") << true << false << false << "bin";
    }
    void dataLookup()
    {
        QFETCH(bool, binWritable);
        QFETCH(bool, besideHasData);
        QFETCH(bool, shareHasData);
        QFETCH(QString, expected);
        QTemporaryDir home, prefix;
        setHome(home);
        const QString bin = prefix.path() + "/bin", share = prefix.path() + "/share/vlx-krel-tool";
        const QStringList items { "bl_fw", "mcuimage", "doc/user_manual.html" };
        for (const QString& folder : { besideHasData ? bin : QString(), shareHasData ? share : QString() }) {
            if (!folder.isEmpty())
                QVERIFY(QDir().mkpath(folder + "/bl_fw") && QDir().mkpath(folder + "/mcuimage")
                    && writeFile(folder + "/doc/user_manual.html", QByteArray()));
        }
        QVERIFY(QDir().mkpath(bin));
        if (!binWritable) {
            QVERIFY(
                QFile::setPermissions(bin, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther));
            if (AppPaths::isWritableDir(bin)) {
                QFile::setPermissions(bin, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
                QSKIP("permissions do not bind this user (root): no read-only folder to test with");
            }
        }
        AppPaths::setAppDirOverride(bin);

        const QString base = expected == "bin" ? bin : share;
        for (const QString& item : items)
            QCOMPARE(AppPaths::dataPath(item), base + '/' + item);
        QCOMPARE(AppPaths::dataDir(), base);
        QCOMPARE(AppPaths::configDir(), binWritable ? bin : home.path() + "/config/vlx_krel_tool");
        QCOMPARE(AppPaths::logDir(), (binWritable ? bin : home.path() + "/data/vlx_krel_tool") + "/logs/vlx_krel_tool");

        AppPaths::setAppDirOverride(QString());
        QFile::setPermissions(bin, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
};

QTEST_GUILESS_MAIN(TestAppPaths)
#include "tst_apppaths.moc"
