// The configuration writer job against drives made of temporary folders:
// which drive it picks, what it copies, the log lines and the final status.
#include <QTemporaryDir>
#include <QThreadPool>
#include <QtTest>
#include <atomic>

#include "drivespace.h"
#include "removabledrives.h"
#include "testfiles.h"
#include "writeconfigtask.h"

using RomCmd::writeconfigtask;

namespace {

const quint64 MiB = 1 << 20;

struct Outcome
{
    QList<int> statuses;
    QList<QPair<QString, LogLevel>> logs;

    QStringList texts() const
    {
        QStringList out;
        for (const auto& l : logs)
            out.append(l.first);
        return out;
    }
    bool has(const QString& text, LogLevel level) const { return logs.contains(qMakePair(text, level)); }
};

Outcome runJob(int type, const QList<QPair<QString, QString>>& list, const QString& des)
{
    Outcome o;
    writeconfigtask job(type, list, des);
    QObject::connect(&job, &writeconfigtask::signalTaskStatus, [&o](int s) { o.statuses.append(s); });
    QObject::connect(&job, &writeconfigtask::signalAddLogs, [&o](const QString& text, LogLevel level) {
        o.logs.append({ text, level });
    });
    job.run();
    return o;
}

} // namespace

class TstWriteConfigTask : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void copiesOntoTheOneKrelDrive();
    void stopsBeforeCopying_data();
    void stopsBeforeCopying();
    void existingTargetReplaced();
    void failedImageLeavesNoConfig_data();
    void failedImageLeavesNoConfig();
    void notEnoughSpaceCopiesNothing();
    void lastFailureDecidesStatus_data();
    void lastFailureDecidesStatus();
    void exportFolder_data();
    void exportFolder();

private:
    // A folder posing as a drive of the given size, with or without the marker.
    QString addDrive(const QString& name, quint64 size, bool marker);
    QString source(const QString& name, const QByteArray& bytes);

    QScopedPointer<QTemporaryDir> m_dir;
    QList<RemovableDrive> m_drives;
    std::atomic<int> m_listCalls { 0 };
};

void TstWriteConfigTask::init()
{
    m_dir.reset(new QTemporaryDir);
    QVERIFY(m_dir->isValid());
    m_drives.clear();
    m_listCalls = 0;
    RemovableDrives::setLister([this] {
        ++m_listCalls;
        DriveListing l;
        l.ok = true;
        l.drives = m_drives;
        l.report = RemovableDrives::describe(m_drives);
        return l;
    });
}

void TstWriteConfigTask::cleanup()
{
    RemovableDrives::setLister({});
}

QString TstWriteConfigTask::addDrive(const QString& name, quint64 size, bool marker)
{
    const QString root = m_dir->filePath(name);
    QDir().mkpath(root);
    if (marker)
        writeFile(QDir(root).filePath(QStringLiteral(".VID_34B7_PID_1000")), QByteArray());
    m_drives.append({ root, size, QStringLiteral("/dev/") + name });
    return root;
}

QString TstWriteConfigTask::source(const QString& name, const QByteArray& bytes)
{
    const QString path = m_dir->filePath(QStringLiteral("src/") + name);
    QDir().mkpath(QFileInfo(path).absolutePath());
    writeFile(path, bytes);
    return path;
}

void TstWriteConfigTask::copiesOntoTheOneKrelDrive()
{
    const QString big = addDrive(QStringLiteral("big"), 256 * MiB, true);
    const QString plain = addDrive(QStringLiteral("plain"), 128 * MiB, false);
    const QString box = addDrive(QStringLiteral("box"), 128 * MiB, true);
    const QString app = source(QStringLiteral("app.bin"), "APP");
    const QString cfg = source(QStringLiteral("config.info"), "CFG");

    const Outcome o = runJob(0, { { app, "app_0.bin" }, { cfg, "config.info" } }, QString());
    QCOMPARE(o.statuses, QList<int>({ 1, 0 }));
    QCOMPARE(readFile(QDir(box).filePath("app_0.bin")), QByteArray("APP"));
    QCOMPARE(readFile(QDir(box).filePath("config.info")), QByteArray("CFG"));
    QVERIFY(!QFile::exists(QDir(big).filePath("config.info")));
    QVERIFY(!QFile::exists(QDir(plain).filePath("config.info")));

    const QList<QPair<QString, LogLevel>> expected {
        { "write config run...", LogDebug },
        { "Sniffing flash drives are available:\n" + RemovableDrives::describe(m_drives), LogDebug },
        { "now copy...", LogDebug },
        { "copy:" + app + ",to:" + QDir(box).filePath("app_0.bin"), LogInfo },
        { "copy:" + cfg + ",to:" + QDir(box).filePath("config.info"), LogInfo },
        { "write config success!", LogInfo },
    };
    QCOMPARE(o.logs, expected);
}

// Every way the job stops before it copies: the reason is the last line and no
// drive gets a file.
void TstWriteConfigTask::stopsBeforeCopying_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("marked");
    QTest::addColumn<int>("plain");
    QTest::addColumn<QString>("listingError");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message");
    const QString none = QStringLiteral("Krel USB flash drive device not detected, please reset and reconnect to retry!");
    QTest::newRow("no drive") << 0 << 0 << 0 << QString() << int(writeconfigtask::StatusNoDrive) << none;
    QTest::newRow("128 MiB without marker") << 0 << 0 << 1 << QString() << int(writeconfigtask::StatusNoDrive) << none;
    QTest::newRow("two Krel drives") << 0 << 2 << 0 << QString() << int(writeconfigtask::StatusSeveralDrives)
                                     << "Multiple Krel USB flash drive devices are detected, multiple devices are not "
                                        "supported to be processed at the same time, please try to reconnect after "
                                        "keeping only one Krel!";
    // A listing that failed is not "no drive".
    QTest::newRow("listing fails") << 0 << 0 << 0 << "lsblk did not finish within 30000 ms"
                                   << int(writeconfigtask::StatusListingFailed)
                                   << "List removable drives failed: lsblk did not finish within 30000 ms";
    QTest::newRow("unknown type") << 1 << 1 << 0 << QString() << int(writeconfigtask::StatusUnknownType) << QString();
}

void TstWriteConfigTask::stopsBeforeCopying()
{
    QFETCH(int, type);
    QFETCH(int, marked);
    QFETCH(int, plain);
    QFETCH(QString, listingError);
    QFETCH(int, status);
    QFETCH(QString, message);
    QStringList roots;
    for (int i = 0; i < marked + plain; ++i)
        roots << addDrive(QStringLiteral("d%1").arg(i), 128 * MiB, i < marked);
    if (!listingError.isEmpty()) {
        RemovableDrives::setLister([listingError] {
            DriveListing l;
            l.error = listingError;
            return l;
        });
    }
    const Outcome o = runJob(type, { { source(QStringLiteral("config.info"), "CFG"), "config.info" } }, QString());
    QCOMPARE(o.statuses, QList<int>({ 1, status }));
    if (!message.isEmpty())
        QCOMPARE(o.logs.last(), qMakePair(message, LogError));
    if (type != 0) {
        QCOMPARE(m_listCalls.load(), 0);
        QVERIFY(!o.texts().contains("write config run..."));
    }
    QVERIFY(!o.texts().contains("now copy..."));
    for (const QString& root : roots)
        QVERIFY(!QFile::exists(QDir(root).filePath("config.info")));
}

// The copy replaces the old file in one step; what a cut-off earlier write
// left under a temporary name is cleared first.
void TstWriteConfigTask::existingTargetReplaced()
{
    const QString box = addDrive(QStringLiteral("box"), 128 * MiB, true);
    QVERIFY(writeFile(QDir(box).filePath("app_0.bin"), QByteArray(4096, 'o')));
    QVERIFY(writeFile(QDir(box).filePath(".krel-part-config.info"), "cut"));
    const Outcome o = runJob(0, { { source("app.bin", "new image"), "app_0.bin" } }, QString());
    QCOMPARE(o.statuses.last(), 0);
    QCOMPARE(readFile(QDir(box).filePath("app_0.bin")), QByteArray("new image"));
    QVERIFY(o.has("Removed unfinished copies of an earlier write: .krel-part-config.info", LogDebug));
    QCOMPARE(QDir(box).entryList(QDir::Files | QDir::Hidden), QStringList({ ".VID_34B7_PID_1000", "app_0.bin" }));
}

// A failed image leaves no configuration that names it: the new one is not
// written, an older one goes when its images were replaced, the old target of
// a missing or failed source stays whole (copies replace in one step), and the
// job says it failed.
void TstWriteConfigTask::failedImageLeavesNoConfig_data()
{
    QTest::addColumn<bool>("missing"); // else the copy fails
    QTest::addColumn<bool>("oldConfigNamesReplaced");
    QTest::addColumn<int>("status");
    QTest::newRow("missing source") << true << false << int(writeconfigtask::StatusSourceMissing);
    QTest::newRow("copy fails, older config removed") << false << true << int(writeconfigtask::StatusCopyFailed);
}

void TstWriteConfigTask::failedImageLeavesNoConfig()
{
    QFETCH(bool, missing);
    QFETCH(bool, oldConfigNamesReplaced);
    QFETCH(int, status);
    const QString box = addDrive(QStringLiteral("box"), 128 * MiB, true);
    QVERIFY(writeFile(QDir(box).filePath("gone_1.bin"), "old image"));
    QVERIFY(writeFile(QDir(box).filePath("config.info"), "OLD"));
    if (oldConfigNamesReplaced)
        QVERIFY(writeFile(QDir(box).filePath("a_0.bin"), "old a"));
    const QString a = source("a.bin", "A");
    QString bad = m_dir->filePath("src/gone.bin");
    if (!missing)
        QVERIFY(QDir().mkpath(bad)); // a folder exists but cannot be copied as a file
    const QString cfg = source("config.info", "CFG");
    const Outcome o = runJob(0, { { a, "a_0.bin" }, { bad, "gone_1.bin" }, { cfg, "config.info" } }, QString());
    QCOMPARE(o.statuses, QList<int>({ 1, status }));
    QVERIFY(o.has(missing ? "This file does not exist: " + bad : "This file failed to copy: " + bad, LogError));
    QVERIFY(o.texts().filter("The configuration was not written: ").size() == 1);
    QVERIFY(!o.texts().contains("write config success!"));
    QCOMPARE(o.logs.last(), qMakePair(QStringLiteral("write config failed! status: %1").arg(status), LogError));
    QCOMPARE(readFile(QDir(box).filePath("a_0.bin")), QByteArray("A"));
    // Never the new configuration; the older one only while its images are untouched.
    QCOMPARE(QFile::exists(QDir(box).filePath("config.info")), !oldConfigNamesReplaced && missing);
    if (QFile::exists(QDir(box).filePath("config.info")))
        QCOMPARE(readFile(QDir(box).filePath("config.info")), QByteArray("OLD"));
    QCOMPARE(readFile(QDir(box).filePath("gone_1.bin")), QByteArray("old image"));
}

void TstWriteConfigTask::notEnoughSpaceCopiesNothing()
{
    const QString box = addDrive(QStringLiteral("box"), 128 * MiB, true);
    QVERIFY(writeFile(QDir(box).filePath("app_0.bin"), QByteArray(100, 'o')));
    // 1000 new bytes replace 100 old ones, but the new file stands whole beside
    // the old one until the rename: 1000 needed, 850 free.
    DriveSpace::setProbe([](const QString&) { return qint64(850); });
    const Outcome o
        = runJob(0, { { source("app.bin", QByteArray(1000, 'n')), "app_0.bin" } }, QString());
    DriveSpace::setProbe({});
    QCOMPARE(o.statuses, QList<int>({ 1, writeconfigtask::StatusNoSpace }));
    QCOMPARE(o.logs.last(),
        qMakePair("Not enough free space on " + box + ": 1000 bytes needed, 850 bytes free, 150 bytes missing. "
                  "Nothing was copied.",
            LogError));
    QCOMPARE(readFile(QDir(box).filePath("app_0.bin")), QByteArray(100, 'o'));
}

void TstWriteConfigTask::lastFailureDecidesStatus_data()
{
    QTest::addColumn<bool>("folderFirst");
    QTest::addColumn<int>("status");
    QTest::newRow("copy failure, then missing") << true << int(writeconfigtask::StatusSourceMissing);
    QTest::newRow("missing, then copy failure") << false << int(writeconfigtask::StatusCopyFailed);
}

void TstWriteConfigTask::lastFailureDecidesStatus()
{
    QFETCH(bool, folderFirst);
    QFETCH(int, status);
    const QString box = addDrive(QStringLiteral("box"), 128 * MiB, true);
    // A folder exists but cannot be copied as a file.
    const QString folder = m_dir->filePath("src/folder.bin");
    QVERIFY(QDir().mkpath(folder));
    const QString gone = m_dir->filePath("src/gone.bin");
    QList<QPair<QString, QString>> list { { folder, "folder_0.bin" }, { gone, "gone_1.bin" } };
    if (!folderFirst)
        std::swap(list[0], list[1]);
    const Outcome o = runJob(0, list, QString());
    QCOMPARE(o.statuses, QList<int>({ 1, status }));
    QVERIFY(o.has("This file failed to copy: " + folder, LogError));
    QVERIFY(!QFileInfo::exists(QDir(box).filePath("folder_0.bin")));
}

// A given folder takes the files without any drive listing; the folder that
// already holds "config.info" keeps it.
void TstWriteConfigTask::exportFolder_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<int>("status");
    QTest::newRow("given") << "export" << 0;
    QTest::newRow("the source's own") << "src" << 0;
    QTest::newRow("missing") << "nowhere" << int(writeconfigtask::StatusNoDestination);
}

void TstWriteConfigTask::exportFolder()
{
    QFETCH(QString, folder);
    QFETCH(int, status);
    const QString cfg = source("config.info", "CFG");
    const QString out = m_dir->filePath(folder);
    if (folder == "export")
        QVERIFY(QDir().mkpath(out));
    const Outcome o = runJob(0, { { cfg, "config.info" } }, QDir::toNativeSeparators(out));
    QCOMPARE(o.statuses, QList<int>({ 1, status }));
    QCOMPARE(m_listCalls.load(), 0);
    if (status != 0) {
        QCOMPARE(o.logs.last(), qMakePair("Current path: " + out + ". non-existent", LogError));
        return;
    }
    QCOMPARE(readFile(QDir(out).filePath("config.info")), QByteArray("CFG"));
    QCOMPARE(readFile(cfg), QByteArray("CFG"));
}

QTEST_GUILESS_MAIN(TstWriteConfigTask)
#include "tst_writeconfigtask.moc"
