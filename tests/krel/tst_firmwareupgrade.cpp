// The firmware copy onto the box's update drive: the checks before it, and what
// each way it can end means, the drive leaving at different moments included.
#include "firmwareupgrade.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using Krel::FirmwareCopy;
using Krel::FirmwareCopyResult;

namespace {
QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// How the simulated drive behaves during the copy of one file.
enum Drive { Stays, LeavesAfterLastByte, LeavesHalfWay, RefusesRename };
} // namespace

class TestFirmwareUpgrade : public QObject
{
    Q_OBJECT
private slots:
    void refusal_data()
    {
        QTest::addColumn<QString>("current");
        QTest::addColumn<QString>("latest");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("box version never read") << ""
                                                << ""
                                                << ""
                                                << "Current version is empty";
        QTest::newRow("no new.json") << "1.0.0"
                                     << ""
                                     << ""
                                     << "New version is empty";
        QTest::newRow("no firmware name") << "1.0.0"
                                          << "2.0.0"
                                          << ""
                                          << "New firmware path is empty";
        QTest::newRow("all there") << "1.0.0"
                                   << "2.0.0"
                                   << "mcuimage/fw.uf2"
                                   << "";
    }
    void refusal()
    {
        QFETCH(QString, current);
        QFETCH(QString, latest);
        QFETCH(QString, path);
        QFETCH(QString, refusal);
        QCOMPARE(Krel::upgradeRefusal(current, latest, path), refusal);
    }

    void copy_data()
    {
        QTest::addColumn<int>("drive");
        QTest::addColumn<int>("oldFile"); // 0 none, 1 an old firmware, 2 one no attempt removes
        QTest::addColumn<int>("outcome");
        QTest::addColumn<bool>("success");
        QTest::addColumn<QString>("firstLine");
        const QString ok = "Downloaded files successfull: 1 ";
        QTest::newRow("whole file") << int(Stays) << 0 << int(FirmwareCopyResult::Copied) << true << ok;
        QTest::newRow("old file replaced") << int(Stays) << 1 << int(FirmwareCopyResult::Copied) << true << ok;
        QTest::newRow("drive leaves after the flushed last byte")
            << int(LeavesAfterLastByte) << 0 << int(FirmwareCopyResult::Restarting) << true << ok;
        QTest::newRow("drive leaves half way")
            << int(LeavesHalfWay) << 0 << int(FirmwareCopyResult::DriveLost) << false << "Failed to download";
        QTest::newRow("name not taken, drive stays")
            << int(RefusesRename) << 0 << int(FirmwareCopyResult::Failed) << false << "Failed to download";
        QTest::newRow("old file cannot be deleted")
            << int(Stays) << 2 << int(FirmwareCopyResult::Failed) << false << "Failed to download";
    }
    void copy()
    {
        QFETCH(int, drive);
        QFETCH(int, oldFile);
        QFETCH(int, outcome);
        QFETCH(bool, success);
        QFETCH(QString, firstLine);
        QTemporaryDir tmp;
        const QString source = tmp.filePath("krel_2.0.0.uf2");
        const QString root = tmp.filePath("VLXBOOT");
        const QByteArray firmware(4096, 'F');
        QFile f(source);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(firmware) == firmware.size());
        f.close();
        QVERIFY(QDir().mkpath(root));
        if (oldFile == 1) {
            QFile old(root + "/krel_2.0.0.uf2");
            QVERIFY(old.open(QIODevice::WriteOnly) && old.write("OLD") == 3);
            QVERIFY(old.setPermissions(QFileDevice::ReadOwner));
        } else if (oldFile == 2) { // a folder by that name with something in it
            QVERIFY(QDir().mkpath(root + "/krel_2.0.0.uf2/inside"));
        }

        // The real durable copy while the drive stays; a drive that leaves is played here.
        Krel::CopyStep step = [&](const QString&, const QString& t, QString* error, bool* flushed) {
            QFile out(t);
            out.open(QIODevice::WriteOnly);
            out.write(drive == LeavesHalfWay ? firmware.left(firmware.size() / 2) : firmware);
            out.close();
            *flushed = drive != LeavesHalfWay;
            if (drive != RefusesRename)
                QDir(root).removeRecursively(); // the box restarts or the cable is pulled
            *error = QStringLiteral("No such device");
            return false;
        };
        QList<int> progress;
        const FirmwareCopyResult r
            = FirmwareCopy(drive == Stays ? Krel::CopyStep() : step).run({ source }, root, [&](int v) {
                  progress << v;
              });
        QCOMPARE(int(r.outcome), outcome);
        QCOMPARE(r.success, success);
        QCOMPARE(r.message.section('\n', 0, 0), firstLine);
        QCOMPARE(r.errors.isEmpty(), success);
        if (!success)
            QCOMPARE(r.errors.last(), "Download failed:" + source);
        QCOMPARE(progress, success ? QList<int> { 100 } : QList<int> {});
        if (outcome == FirmwareCopyResult::Copied)
            QCOMPARE(readFile(root + "/krel_2.0.0.uf2"), firmware);
        if (outcome == FirmwareCopyResult::Restarting)
            QVERIFY(r.message.contains("restarting"));
        if (outcome == FirmwareCopyResult::DriveLost)
            QVERIFY(r.message.contains("disappeared before the whole firmware"));
    }

    void targetFolderCannotBeMade()
    {
        QTemporaryDir tmp;
        QFile blocker(tmp.filePath("file"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        const FirmwareCopyResult r = FirmwareCopy().run({ tmp.filePath("fw.uf2") }, tmp.filePath("file/sub"));
        QVERIFY(!r.success);
        QCOMPARE(r.message, QString("Failed to download"));
        QCOMPARE(r.errors, QStringList { "Unable to create target directory" });
    }
};

QTEST_GUILESS_MAIN(TestFirmwareUpgrade)
#include "tst_firmwareupgrade.moc"
