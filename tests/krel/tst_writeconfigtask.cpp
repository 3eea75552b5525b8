// The removable-drive listing (lsblk outputs saved from several systems, stand-in
// lsblk programs, the Krel drive rule), then the configuration writer job against
// drives made of temporary folders: which drive it picks, what it copies, the log
// lines and the final status.
#include <QTemporaryDir>
#include <QThreadPool>
#include <QtTest>
#include <atomic>

#include "drivespace.h"
#include "removabledrives.h"
#include "testfiles.h"
#include "writeconfigtask.h"

using RomCmd::writeconfigtask;
using CopyList = QList<QPair<QString, QString>>;

namespace {

const quint64 MiB = 1 << 20;

QByteArray sample(const QString& name)
{
    return readFile(QStringLiteral(KREL_TEST_DATA "/") + name);
}

QString drivesText(const QList<RemovableDrive>& drives)
{
    QStringList out;
    for (const RemovableDrive& d : drives)
        out.append(QStringLiteral("%1|%2|%3").arg(d.device, d.root).arg(d.sizeBytes));
    return out.join(QLatin1Char(';'));
}

// A stand-in lsblk that answers only when asked for JSON with the columns the parser reads.
QByteArray listingScript()
{
    return "case \"$*\" in\n  *--json*--bytes*--paths*--tree*FSSIZE*MOUNTPOINT*) cat '" + QByteArray(KREL_TEST_DATA)
        + "/lsblk_old_strings.json' ;;\n  *) exit 3 ;;\nesac\n";
}

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

Outcome runJob(int type, const CopyList& list, const QString& des)
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
    QScopedPointer<QTemporaryDir> m_dir;
    QList<RemovableDrive> m_drives;
    std::atomic<int> m_listCalls { 0 };

    // A folder posing as a drive of the given size, with or without the marker.
    QString addDrive(const QString& name, quint64 size, bool marker)
    {
        const QString root = m_dir->filePath(name);
        QDir().mkpath(root);
        if (marker)
            writeFile(QDir(root).filePath(QStringLiteral(".VID_34B7_PID_1000")), QByteArray());
        m_drives.append({ root, size, QStringLiteral("/dev/") + name });
        return root;
    }
    QString source(const QString& name, const QByteArray& bytes)
    {
        const QString path = m_dir->filePath(QStringLiteral("src/") + name);
        writeFile(path, bytes);
        return path;
    }

private slots:
    void init()
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
    void cleanup() { RemovableDrives::setLister({}); }

    void parse_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("drives"); // "error": the output is refused with a reason
        // The partition of a USB disk inherits removability; the optical drive is skipped.
        QTest::newRow("usb stick with partition")
            << sample("lsblk_usb_partition.json") << "/dev/sda1|/media/user/KREL|133169152";
        // Older lsblk writes "1"/"0" and numbers as strings; an unmounted stick is no drive.
        QTest::newRow("old string values") << sample("lsblk_old_strings.json") << "/dev/sdb|/media/KREL BOX|133922816";
        // hotplug alone counts; "mountpoints" arrays are read; loop devices are skipped.
        QTest::newRow("hotplug card, mountpoints array")
            << sample("lsblk_hotplug_mountpoints.json") << "/dev/mmcblk0p1|/run/media/user/SDCARD|31902400512";
        QTest::newRow("no removable drive") << sample("lsblk_no_removable.json") << "";
        QTest::newRow("empty") << QByteArray() << "error";
        QTest::newRow("truncated") << sample("lsblk_usb_partition.json").left(200) << "error";
        QTest::newRow("no blockdevices") << QByteArray("{\"devices\":[]}") << "error";
    }
    void parse()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, drives);
        const DriveListing listing = RemovableDrives::parseLsblkJson(json);
        QCOMPARE(listing.ok, drives != "error");
        QCOMPARE(listing.error.isEmpty(), listing.ok);
        if (listing.ok)
            QCOMPARE(drivesText(listing.drives), drives);
    }

    void sizeOutOfRangeIsUnknown_data()
    {
        QTest::addColumn<QByteArray>("size");
        QTest::newRow("8e88") << QByteArray("8e88");
        QTest::newRow("2^64") << QByteArray("18446744073709551616");
        QTest::newRow("negative") << QByteArray("-133169152");
        QTest::newRow("text over range") << QByteArray("\"99999999999999999999\"");
    }
    // A size that fits no 64-bit count is unknown, never a Krel candidate, and said so.
    void sizeOutOfRangeIsUnknown()
    {
        QFETCH(QByteArray, size);
        QTemporaryDir root;
        const QByteArray json = "{\"blockdevices\":[{\"name\":\"/dev/sdz\",\"type\":\"disk\",\"rm\":true,\"size\":"
            + size + ",\"mountpoint\":\"" + root.path().toUtf8() + "\"}]}";
        const DriveListing listing = RemovableDrives::parseLsblkJson(json);
        QVERIFY2(listing.ok, qPrintable(listing.error));
        QCOMPARE(drivesText(listing.drives), QStringLiteral("/dev/sdz|%1|0").arg(root.path()));
        QVERIFY(RemovableDrives::krelDrives(listing.drives).isEmpty());
        QVERIFY2(listing.report.contains(QLatin1String("/dev/sdz size unknown (size ")), qPrintable(listing.report));
    }

    // A failing listing is an error with its reason, never an empty drive list.
    void systemListing_data()
    {
        QTest::addColumn<QByteArray>("script"); // empty: no lsblk at all
        QTest::addColumn<QString>("errorStart"); // empty: listed
        QTest::newRow("not installed") << QByteArray() << "lsblk could not be started";
        QTest::newRow("exit code") << QByteArray("echo 'lsblk: cannot read /sys' >&2\nexit 32\n")
                                   << "lsblk failed (exit code 32): lsblk: cannot read /sys";
        QTest::newRow("garbage") << QByteArray("echo 'NAME TYPE'\n") << "lsblk output is not valid JSON";
        QTest::newRow("listed") << listingScript() << QString();
    }
    void systemListing()
    {
        QFETCH(QByteArray, script);
        QFETCH(QString, errorStart);
        QTemporaryDir dir;
        const QString lsblk = dir.filePath(QStringLiteral("lsblk"));
        QVERIFY(script.isEmpty() || writeFile(lsblk, "#!/bin/sh\n" + script));
        QVERIFY(
            QFile::setPermissions(lsblk, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner) || script.isEmpty());
        // dir first on PATH, alone when there is no lsblk at all
        const QByteArray oldPath = qgetenv("PATH");
        qputenv("PATH", script.isEmpty() ? dir.path().toLocal8Bit() : dir.path().toLocal8Bit() + ":" + oldPath);
        const DriveListing listing = RemovableDrives::systemListing();
        qputenv("PATH", oldPath);
        QVERIFY2(listing.error.startsWith(errorStart), qPrintable(listing.error));
        QCOMPARE(listing.ok, errorStart.isEmpty());
        if (!listing.ok)
            return;
        QCOMPARE(drivesText(listing.drives), QStringLiteral("/dev/sdb|/media/KREL BOX|133922816"));
        // The unmounted stick is no drive but shows in the report.
        QCOMPARE(
            listing.report, QStringLiteral("/dev/sdb /media/KREL BOX 133922816\n/dev/sdc1 (not mounted) 16007561216"));
    }

    void krelDriveRule_data()
    {
        QTest::addColumn<quint64>("sizeBytes");
        QTest::addColumn<bool>("marker");
        QTest::addColumn<bool>("candidate");
        QTest::newRow("119 MiB") << 119 * MiB << true << true;
        QTest::newRow("137 MiB and a bit") << 137 * MiB + 1 << true << true;
        QTest::newRow("just under 119 MiB") << 119 * MiB - 1 << true << false;
        QTest::newRow("138 MiB") << 138 * MiB << true << false;
        QTest::newRow("128 MiB without marker") << 128 * MiB << false << false;
    }
    void krelDriveRule()
    {
        QFETCH(quint64, sizeBytes);
        QFETCH(bool, marker);
        QFETCH(bool, candidate);
        QTemporaryDir dir;
        QVERIFY(!marker || writeFile(dir.filePath(QStringLiteral(".VID_34B7_PID_1000")), QByteArray()));
        const RemovableDrive drive { dir.path(), sizeBytes, QStringLiteral("/dev/x") };
        QCOMPARE(RemovableDrives::isKrelDrive(drive), candidate);
        QCOMPARE(RemovableDrives::krelDrives({ drive }).size(), candidate ? 1 : 0);
    }

    // The copy replaces the old file in one step; what a cut-off earlier write
    // left under a temporary name is cleared first.
    void copiesOntoTheOneKrelDrive()
    {
        const QString big = addDrive(QStringLiteral("big"), 256 * MiB, true);
        const QString plain = addDrive(QStringLiteral("plain"), 128 * MiB, false);
        const QString box = addDrive(QStringLiteral("box"), 128 * MiB, true);
        QVERIFY(writeFile(box + "/app_0.bin", QByteArray(4096, 'o')));
        QVERIFY(writeFile(box + "/.krel-part-config.info", "cut"));
        const QString app = source(QStringLiteral("app.bin"), "APP");
        const QString cfg = source(QStringLiteral("config.info"), "CFG");

        const Outcome o = runJob(0, { { app, "app_0.bin" }, { cfg, "config.info" } }, QString());
        QCOMPARE(o.statuses, QList<int>({ 1, 0 }));
        QCOMPARE(readFile(box + "/app_0.bin"), QByteArray("APP"));
        QCOMPARE(readFile(box + "/config.info"), QByteArray("CFG"));
        QCOMPARE(QDir(box).entryList(QDir::Files | QDir::Hidden),
            QStringList({ ".VID_34B7_PID_1000", "app_0.bin", "config.info" }));
        QVERIFY(!QFile::exists(big + "/config.info"));
        QVERIFY(!QFile::exists(plain + "/config.info"));

        const QList<QPair<QString, LogLevel>> expected {
            { "write config run...", LogDebug },
            { "Sniffing flash drives are available:\n" + RemovableDrives::describe(m_drives), LogDebug },
            { "now copy...", LogDebug },
            { "Removed unfinished copies of an earlier write: .krel-part-config.info", LogDebug },
            { "copy:" + app + ",to:" + box + "/app_0.bin", LogInfo },
            { "copy:" + cfg + ",to:" + box + "/config.info", LogInfo },
            { "write config success!", LogInfo },
        };
        QCOMPARE(o.logs, expected);
    }

    // Every way the job stops before it copies: the reason is the last line and no
    // drive gets a file.
    void stopsBeforeCopying_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("marked");
        QTest::addColumn<int>("plain");
        QTest::addColumn<QString>("listingError");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message");
        const QString none
            = QStringLiteral("Krel USB flash drive device not detected, please reset and reconnect to retry!");
        QTest::newRow("no drive") << 0 << 0 << 0 << QString() << int(writeconfigtask::StatusNoDrive) << none;
        QTest::newRow("128 MiB without marker") << 0 << 0 << 1 << QString() << int(writeconfigtask::StatusNoDrive) << none;
        QTest::newRow("two Krel drives") << 0 << 2 << 0 << QString() << int(writeconfigtask::StatusSeveralDrives)
                                         << "Multiple Krel USB flash drive devices are detected, multiple devices are "
                                            "not supported to be processed at the same time, please try to reconnect "
                                            "after keeping only one Krel!";
        // A listing that failed is not "no drive".
        QTest::newRow("listing fails") << 0 << 0 << 0 << "lsblk did not finish within 30000 ms"
                                       << int(writeconfigtask::StatusListingFailed)
                                       << "List removable drives failed: lsblk did not finish within 30000 ms";
        QTest::newRow("unknown type") << 1 << 1 << 0 << QString() << int(writeconfigtask::StatusUnknownType)
                                      << "Unknown write config type: 1";
    }
    void stopsBeforeCopying()
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
        QCOMPARE(o.logs.last(), qMakePair(message, LogError));
        if (type != 0) {
            QCOMPARE(m_listCalls.load(), 0);
            QVERIFY(!o.texts().contains("write config run..."));
        }
        QVERIFY(!o.texts().contains("now copy..."));
        for (const QString& root : roots)
            QVERIFY(!QFile::exists(QDir(root).filePath("config.info")));
    }

    // A failed image leaves no configuration that names it: the new one is not
    // written, an older one goes when its images were replaced, the old target of
    // a missing or failed source stays whole (copies replace in one step), and the
    // status is the last failure's.
    void failedImageLeavesNoConfig_data()
    {
        QTest::addColumn<QStringList>("bad"); // "missing", or "folder": exists, cannot be copied as a file
        QTest::addColumn<bool>("oldImageReplaced");
        QTest::addColumn<int>("status");
        const int missing = writeconfigtask::StatusSourceMissing, failed = writeconfigtask::StatusCopyFailed;
        QTest::newRow("missing source") << QStringList { "missing" } << false << missing;
        QTest::newRow("copy fails, older config removed") << QStringList { "folder" } << true << failed;
        QTest::newRow("copy failure, then missing") << QStringList { "folder", "missing" } << false << missing;
        QTest::newRow("missing, then copy failure") << QStringList { "missing", "folder" } << false << failed;
    }
    void failedImageLeavesNoConfig()
    {
        QFETCH(QStringList, bad);
        QFETCH(bool, oldImageReplaced);
        QFETCH(int, status);
        const QString box = addDrive(QStringLiteral("box"), 128 * MiB, true);
        QVERIFY(writeFile(box + "/config.info", "OLD"));
        if (oldImageReplaced)
            QVERIFY(writeFile(box + "/a_0.bin", "old a"));
        CopyList list { { source("a.bin", "A"), "a_0.bin" } };
        for (const QString& kind : bad) {
            const QString path = m_dir->filePath("src/" + kind + ".bin");
            QVERIFY(kind == "missing" || QDir().mkpath(path));
            list.append({ path, QStringLiteral("%1_%2.bin").arg(kind).arg(list.size()) });
            // An old target counts as replaced unless its source is missing.
            if (kind == "missing" || oldImageReplaced)
                QVERIFY(writeFile(box + "/" + list.last().second, "old image"));
        }
        const Outcome o = runJob(0, list + CopyList { { source("config.info", "CFG"), "config.info" } }, QString());
        QCOMPARE(o.statuses, QList<int>({ 1, status }));
        for (int i = 1; i < list.size(); ++i) {
            const QString why
                = bad.at(i - 1) == "missing" ? "This file does not exist: " : "This file failed to copy: ";
            QVERIFY(o.has(why + list.at(i).first, LogError));
            const bool seeded = bad.at(i - 1) == "missing" || oldImageReplaced;
            QCOMPARE(readFile(box + "/" + list.at(i).second), seeded ? QByteArray("old image") : "<unreadable>");
        }
        QCOMPARE(o.texts().filter("The configuration was not written: ").size(), 1);
        QVERIFY(!o.texts().contains("write config success!"));
        QCOMPARE(o.logs.last(), qMakePair(QStringLiteral("write config failed! status: %1").arg(status), LogError));
        QCOMPARE(readFile(box + "/a_0.bin"), QByteArray("A"));
        // Never the new configuration; the older one only while its images are untouched.
        QCOMPARE(readFile(box + "/config.info"), oldImageReplaced ? QByteArray("<unreadable>") : QByteArray("OLD"));
    }

    void notEnoughSpaceCopiesNothing()
    {
        const QString box = addDrive(QStringLiteral("box"), 128 * MiB, true);
        QVERIFY(writeFile(box + "/app_0.bin", QByteArray(100, 'o')));
        // 1000 new bytes replace 100 old ones, but the new file stands whole beside
        // the old one until the rename: 1000 needed, 850 free.
        DriveSpace::setProbe([](const QString&) { return qint64(850); });
        const Outcome o = runJob(0, { { source("app.bin", QByteArray(1000, 'n')), "app_0.bin" } }, QString());
        DriveSpace::setProbe({});
        QCOMPARE(o.statuses, QList<int>({ 1, writeconfigtask::StatusNoSpace }));
        QCOMPARE(o.logs.last(),
            qMakePair("Not enough free space on " + box
                    + ": 1000 bytes needed, 850 bytes free, 150 bytes missing. Nothing was copied.",
                LogError));
        QCOMPARE(readFile(box + "/app_0.bin"), QByteArray(100, 'o'));
    }

    // A given folder takes the files without any drive listing; the folder that
    // already holds "config.info" keeps it.
    void exportFolder_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<int>("status");
        QTest::newRow("given") << "export" << 0;
        QTest::newRow("the source's own") << "src" << 0;
        QTest::newRow("missing") << "nowhere" << int(writeconfigtask::StatusNoDestination);
    }
    void exportFolder()
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
        QCOMPARE(readFile(out + "/config.info"), QByteArray("CFG"));
        QCOMPARE(readFile(cfg), QByteArray("CFG"));
    }
};

QTEST_GUILESS_MAIN(TstWriteConfigTask)
#include "tst_writeconfigtask.moc"
