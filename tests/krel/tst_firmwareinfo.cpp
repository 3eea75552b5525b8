// The firmware information file "new.json".
#include "apppaths.h"
#include "firmwareinfo.h"
#include "testfiles.h"

#include <QtTest>

using namespace Krel;

class TestFirmwareInfo : public QObject
{
    Q_OBJECT
private slots:
    void read_data();
    void read();
    void missingFile();
    void defaultFolderIsBelowAppDir();
};

void TestFirmwareInfo::read_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("name"); // expected path = folder + name, or empty

    QTest::newRow("both members") << QByteArray(R"({"firmware_name":"krel_1.3.0.uf2","version":"1.3.0"})") << "1.3.0"
                                  << "krel_1.3.0.uf2";
    QTest::newRow("version only") << QByteArray(R"({"version":"1.1"})") << "1.1"
                                  << "";
    QTest::newRow("empty name is no path") << QByteArray(R"({"firmware_name":"","version":"1.1"})") << "1.1"
                                           << "";
    QTest::newRow("not JSON") << QByteArray("version=1.3.0") << ""
                              << "";
    QTest::newRow("non-string version") << QByteArray(R"({"firmware_name":"f.uf2","version":1.3})") << ""
                                        << "f.uf2";
}

void TestFirmwareInfo::read()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, version);
    QFETCH(QString, name);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString folder = dir.path() + "/mcuimage/";
    QVERIFY(writeFile(folder + "new.json", content));

    const FirmwareInfo info = readFirmwareInfo(folder);
    QCOMPARE(info.version, version);
    QCOMPARE(info.path, name.isEmpty() ? QString() : folder + name);
    QCOMPARE(info.logText(), "newVersion:" + info.version + ",firmwarePath:" + info.path);
}

void TestFirmwareInfo::missingFile()
{
    QTemporaryDir dir;
    const FirmwareInfo info = readFirmwareInfo(dir.path() + "/mcuimage/");
    QVERIFY(info.version.isEmpty());
    QVERIFY(info.path.isEmpty());
}

// The default folder lies below the application directory, whatever the
// current directory is (a program started from a menu runs in $HOME or "/").
void TestFirmwareInfo::defaultFolderIsBelowAppDir()
{
    QTemporaryDir app, elsewhere;
    for (const QString& root : { app.path(), elsewhere.path() }) {
        QVERIFY(writeFile(root + "/mcuimage/new.json",
            root == app.path() ? R"({"firmware_name":"fw.uf2","version":"1.2"})"
                               : R"({"firmware_name":"cwd.uf2","version":"9.9"})"));
    }
    const QString old = QDir::currentPath();
    AppPaths::setAppDirOverride(app.path());
    QVERIFY(QDir::setCurrent(elsewhere.path()));
    const FirmwareInfo info = readFirmwareInfo();
    QDir::setCurrent(old);
    AppPaths::setAppDirOverride(QString());
    QCOMPARE(info.path, app.path() + "/mcuimage/fw.uf2");
    QCOMPARE(info.version, QString("1.2"));
}

QTEST_GUILESS_MAIN(TestFirmwareInfo)
#include "tst_firmwareinfo.moc"
