// The removable-drive listing: lsblk outputs saved from several systems, the
// process layer with stand-in lsblk programs, and the Krel drive rule.
#include <QTemporaryDir>
#include <QtTest>

#include "removabledrives.h"
#include "testfiles.h"

namespace {

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

} // namespace

class TstRemovableDrives : public QObject
{
    Q_OBJECT
private slots:
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
        const quint64 MiB = 1 << 20;
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
};

QTEST_GUILESS_MAIN(TstRemovableDrives)
#include "tst_removabledrives.moc"
