// The removable-drive listing: lsblk outputs saved from several systems, the
// process layer with stand-in lsblk programs, and the Krel drive rule.
#include <QTemporaryDir>
#include <QtTest>

#include "removabledrives.h"

namespace {

QByteArray sample(const QString& name)
{
    QFile f(QStringLiteral(KREL_TEST_DATA "/") + name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString drivesText(const QList<RemovableDrive>& drives)
{
    QStringList out;
    for (const RemovableDrive& d : drives)
        out.append(QStringLiteral("%1|%2|%3").arg(d.device, d.root).arg(d.sizeBytes));
    return out.join(QLatin1Char(';'));
}

bool writeScript(const QString& path, const QByteArray& body)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write("#!/bin/sh\n" + body) < 0)
        return false;
    f.close();
    return f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

} // namespace

class TstRemovableDrives : public QObject
{
    Q_OBJECT
private slots:
    void parseSaved_data();
    void parseSaved();
    void parseRejectsBadOutput_data();
    void parseRejectsBadOutput();
    void sizeOutOfRangeIsUnknown_data();
    void sizeOutOfRangeIsUnknown();
    void systemListingReportsFailures_data();
    void systemListingReportsFailures();
    void systemListingReadsLsblk();
    void krelDriveRule_data();
    void krelDriveRule();

private:
    // The system listing with dir first on PATH (alone with onlyDir).
    DriveListing listWithPath(const QString& dir, bool onlyDir);
};

void TstRemovableDrives::parseSaved_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("drives");
    // The partition of a USB disk inherits removability; the optical drive is skipped.
    QTest::newRow("usb stick with partition") << "lsblk_usb_partition.json"
                                              << "/dev/sda1|/media/user/KREL|133169152";
    // Older lsblk writes "1"/"0" and numbers as strings; an unmounted stick is no drive.
    QTest::newRow("old string values") << "lsblk_old_strings.json"
                                       << "/dev/sdb|/media/KREL BOX|133922816";
    // hotplug alone counts; "mountpoints" arrays are read; loop devices are skipped.
    QTest::newRow("hotplug card, mountpoints array") << "lsblk_hotplug_mountpoints.json"
                                                     << "/dev/mmcblk0p1|/run/media/user/SDCARD|31902400512";
    QTest::newRow("no removable drive") << "lsblk_no_removable.json"
                                        << "";
}

void TstRemovableDrives::parseSaved()
{
    QFETCH(QString, file);
    QFETCH(QString, drives);
    const QByteArray json = sample(file);
    QVERIFY(!json.isEmpty());
    const DriveListing listing = RemovableDrives::parseLsblkJson(json);
    QVERIFY2(listing.ok, qPrintable(listing.error));
    QCOMPARE(drivesText(listing.drives), drives);
}

void TstRemovableDrives::parseRejectsBadOutput_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("truncated") << sample(QStringLiteral("lsblk_usb_partition.json")).left(200);
    QTest::newRow("no blockdevices") << QByteArray(R"({"devices":[]})");
}

void TstRemovableDrives::parseRejectsBadOutput()
{
    QFETCH(QByteArray, json);
    const DriveListing listing = RemovableDrives::parseLsblkJson(json);
    QVERIFY(!listing.ok);
    QVERIFY(!listing.error.isEmpty());
}

void TstRemovableDrives::sizeOutOfRangeIsUnknown_data()
{
    QTest::addColumn<QByteArray>("size");
    QTest::newRow("8e88") << QByteArray("8e88");
    QTest::newRow("2^64") << QByteArray("18446744073709551616");
    QTest::newRow("negative") << QByteArray("-133169152");
    QTest::newRow("text over range") << QByteArray("\"99999999999999999999\"");
}

// A size that fits no 64-bit count is unknown, never a Krel candidate, and said so.
void TstRemovableDrives::sizeOutOfRangeIsUnknown()
{
    QFETCH(QByteArray, size);
    QTemporaryDir root;
    const QByteArray json = R"({"blockdevices":[{"name":"/dev/sdz","type":"disk","rm":true,"size":)" + size
        + R"(,"mountpoint":")" + root.path().toUtf8() + R"("}]})";
    const DriveListing listing = RemovableDrives::parseLsblkJson(json);
    QVERIFY2(listing.ok, qPrintable(listing.error));
    QCOMPARE(drivesText(listing.drives), QStringLiteral("/dev/sdz|%1|0").arg(root.path()));
    QVERIFY(RemovableDrives::krelDrives(listing.drives).isEmpty());
    QVERIFY2(listing.report.contains(QLatin1String("/dev/sdz size unknown (size ")), qPrintable(listing.report));
}

DriveListing TstRemovableDrives::listWithPath(const QString& dir, bool onlyDir)
{
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", onlyDir ? dir.toLocal8Bit() : dir.toLocal8Bit() + ":" + oldPath);
    const DriveListing listing = RemovableDrives::systemListing();
    qputenv("PATH", oldPath);
    return listing;
}

void TstRemovableDrives::systemListingReportsFailures_data()
{
    QTest::addColumn<QByteArray>("script"); // empty: no lsblk at all
    QTest::addColumn<QString>("errorStart");
    QTest::newRow("not installed") << QByteArray() << "lsblk could not be started";
    QTest::newRow("exit code") << QByteArray("echo 'lsblk: cannot read /sys' >&2\nexit 32\n")
                               << "lsblk failed (exit code 32): lsblk: cannot read /sys";
    QTest::newRow("garbage") << QByteArray("echo 'NAME TYPE'\n") << "lsblk output is not valid JSON";
}

// A failing listing is an error with its reason, never an empty drive list.
void TstRemovableDrives::systemListingReportsFailures()
{
    QFETCH(QByteArray, script);
    QFETCH(QString, errorStart);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    if (!script.isEmpty())
        QVERIFY(writeScript(dir.filePath(QStringLiteral("lsblk")), script));
    const DriveListing listing = listWithPath(dir.path(), script.isEmpty());
    QVERIFY(!listing.ok);
    QVERIFY2(listing.error.startsWith(errorStart), qPrintable(listing.error));
}

void TstRemovableDrives::systemListingReadsLsblk()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    // The stand-in checks that it was asked for JSON with the columns the parser reads.
    const QByteArray body = "case \"$*\" in\n"
                            "  *--json*--bytes*--paths*--tree*FSSIZE*MOUNTPOINT*) cat '"
        + QByteArray(KREL_TEST_DATA) + "/lsblk_old_strings.json' ;;\n  *) exit 3 ;;\nesac\n";
    QVERIFY(writeScript(dir.filePath(QStringLiteral("lsblk")), body));
    const DriveListing listing = listWithPath(dir.path(), false);
    QVERIFY2(listing.ok, qPrintable(listing.error));
    QCOMPARE(drivesText(listing.drives), QStringLiteral("/dev/sdb|/media/KREL BOX|133922816"));
    // The unmounted stick is no drive but shows in the report.
    QCOMPARE(listing.report, QStringLiteral("/dev/sdb /media/KREL BOX 133922816\n/dev/sdc1 (not mounted) 16007561216"));
}

void TstRemovableDrives::krelDriveRule_data()
{
    QTest::addColumn<quint64>("sizeBytes");
    QTest::addColumn<bool>("marker");
    QTest::addColumn<bool>("candidate");
    const quint64 MiB = 1 << 20;
    QTest::newRow("119 MiB") << 119 * MiB << true << true;
    QTest::newRow("137 MiB and a bit") << 137 * MiB + 1 << true << true;
    QTest::newRow("just under 119 MiB") << 119 * MiB - 1 << true << false;
    QTest::newRow("138 MiB") << 138 * MiB << true << false;
    QTest::newRow("256 MiB with marker") << 256 * MiB << true << false;
    QTest::newRow("128 MiB without marker") << 128 * MiB << false << false;
}

void TstRemovableDrives::krelDriveRule()
{
    QFETCH(quint64, sizeBytes);
    QFETCH(bool, marker);
    QFETCH(bool, candidate);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    if (marker) {
        QFile f(dir.filePath(QStringLiteral(".VID_34B7_PID_1000")));
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    const RemovableDrive drive { dir.path(), sizeBytes, QStringLiteral("/dev/x") };
    QCOMPARE(RemovableDrives::isKrelDrive(drive), candidate);
    QCOMPARE(RemovableDrives::krelDrives({ drive }).size(), candidate ? 1 : 0);
}

QTEST_GUILESS_MAIN(TstRemovableDrives)
#include "tst_removabledrives.moc"
