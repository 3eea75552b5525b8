// Saves under stress: a child process writes a file over and over, switching
// between two versions, and is killed at a random moment, many times. Every
// file left under the final name must be one of the two versions, whole.
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include "apppaths.h"
#include "globalsetting.h"
#include "projectconfig.h"
#include "durablecopy.h"

namespace {

constexpr int Kills = 100;

// Memory-backed when the system has it: every save syncs to the disk, and the
// test is about where a kill lands, not about the disk.
QString scratchTemplate()
{
    const QString shm = QStringLiteral("/dev/shm");
    return QString(QFileInfo(shm).isWritable() ? shm : QDir::tempPath()) + QStringLiteral("/krel_kill-XXXXXX");
}

ProjectData projectVersion(int v)
{
    ProjectData d;
    d.socType = QStringLiteral("SOC-%1").arg(v);
    d.flashAddress = QStringLiteral("0x8000000%1").arg(v);
    // Large enough that a write takes a while.
    QVector<quint32> words;
    for (quint32 i = 0; i < 2000; ++i)
        words.append(i * 7u + quint32(v));
    d.otpWords.insert(quint32(v), words);
    return d;
}

GlobalSettingInfo settingsVersion(int v)
{
    GlobalSettingInfo s;
    s.language = v;
    s.fwLoadType = v;
    s.fwLoadUseCustomBaudRate = v == 1;
    s.cmdTimeout = 1111 * v;
    s.autoAddPort = v == 1;
    s.enableAllSoCs = v == 2;
    s.downloadAllStateDevices = v == 1;
    return s;
}

QByteArray driveImage(int v)
{
    QByteArray b(1 << 20, char('A' + v));
    for (int i = 0; i < b.size(); i += 4096)
        b[i] = char(i / 4096);
    return b;
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

bool writeAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// The child: writes versions 1 and 2 in turn into dir until killed; says
// "ready" once the first write is done.
int childMain(const QString& kind, const QString& dir)
{
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) { });
    AppPaths::setAppDirOverride(dir);
    const auto ready = [] {
        std::fputs("ready\n", stdout);
        std::fflush(stdout);
    };
    for (int n = 0;; ++n) {
        const int v = 1 + n % 2;
        if (kind == QLatin1String("project")) {
            ProjectConfig::instance().setData(projectVersion(v));
            ProjectConfig::instance().save(dir + QStringLiteral("/project.vlxmfg"));
        } else if (kind == QLatin1String("settings")) {
            if (n == 0)
                GlobalSetting::instance().load();
            GlobalSetting::instance().save(settingsVersion(v));
        } else {
            DurableCopy::copyFile(dir + QStringLiteral("/source%1").arg(v), dir + QStringLiteral("/drive/config.info"));
        }
        if (n == 0)
            ready();
    }
}

} // namespace

class TestKillSaves : public QObject
{
    Q_OBJECT
private slots:
    void killedMidWrite_data();
    void killedMidWrite();
};

void TestKillSaves::killedMidWrite_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("project") << "project";
    QTest::newRow("settings") << "settings";
    QTest::newRow("config.info") << "config.info";
}

void TestKillSaves::killedMidWrite()
{
    QFETCH(QString, kind);
    QTemporaryDir dir(scratchTemplate());
    QVERIFY(dir.isValid());
    QString target;
    QByteArray versions[2];
    if (kind == QLatin1String("project")) {
        target = dir.filePath(QStringLiteral("project.vlxmfg"));
        AppPaths::setAppDirOverride(dir.path());
        for (int v : { 1, 2 })
            versions[v - 1] = ProjectConfig::wrap(ProjectConfig::toXml(projectVersion(v)));
        AppPaths::setAppDirOverride(QString());
    } else if (kind == QLatin1String("settings")) {
        // The reference bytes come from the same writer in a folder of their own.
        QTemporaryDir ref(scratchTemplate());
        AppPaths::setAppDirOverride(ref.path());
        GlobalSetting::instance().load();
        for (int v : { 1, 2 }) {
            GlobalSetting::instance().save(settingsVersion(v));
            versions[v - 1] = readAll(GlobalSetting::filePath());
        }
        GlobalSetting::instance().resetForTests();
        AppPaths::setAppDirOverride(dir.path());
        target = GlobalSetting::filePath();
        AppPaths::setAppDirOverride(QString());
    } else {
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("drive")));
        target = dir.filePath(QStringLiteral("drive/config.info"));
        for (int v : { 1, 2 }) {
            versions[v - 1] = driveImage(v);
            QVERIFY(writeAll(dir.filePath(QStringLiteral("source%1").arg(v)), versions[v - 1]));
        }
    }
    QVERIFY(!versions[0].isEmpty() && versions[0] != versions[1]);
    QVERIFY(writeAll(target, versions[0]));

    int broken = 0;
    QString firstBroken;
    for (int i = 0; i < Kills; ++i) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QCoreApplication::applicationFilePath(), { QStringLiteral("--child"), kind, dir.path() });
        QVERIFY2(child.waitForReadyRead(60000), qPrintable(child.errorString()));
        QThread::usleep(QRandomGenerator::global()->bounded(20000));
        child.kill();
        QVERIFY(child.waitForFinished(60000));
        // A lock file the kill left behind stays: the next writer takes it over.
        const QByteArray left = readAll(target);
        if (left != versions[0] && left != versions[1]) {
            if (!broken++)
                firstBroken = QStringLiteral("kill %1 left %2 bytes").arg(i).arg(left.size());
            // Start the next round from a whole file.
            QVERIFY(writeAll(target, versions[0]));
        }
    }
    QVERIFY2(broken == 0, qPrintable(QStringLiteral("%1 of %2 kills left a broken file; first: %3")
                                         .arg(broken).arg(Kills).arg(firstBroken)));
}

int main(int argc, char** argv)
{
    if (argc == 4 && qstrcmp(argv[1], "--child") == 0) {
        QCoreApplication app(argc, argv);
        return childMain(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    }
    QCoreApplication app(argc, argv);
    TestKillSaves test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_killsaves.moc"
