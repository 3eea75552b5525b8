// The firmware upgrade: the checks before a copy and what each way a copy onto
// the box's update drive can end means (the drive leaving at different moments
// included), then the dialog that refuses, copies on its worker thread and
// shows the result (offscreen).
#include "firmwareupgrade.h"
#include "testfiles.h"
#include "updatefirmwaredlg.h"

#include <QLabel>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using Krel::FirmwareCopy;
using Krel::FirmwareCopyResult;

namespace {
constexpr int kSafety = 10000; // ms; only reached when something is broken

// How the simulated drive behaves during the copy of one file.
enum Drive { Stays, LeavesAfterLastByte, LeavesHalfWay, RefusesRename };
} // namespace

class TestFirmwareUpgrade : public QObject
{
    Q_OBJECT
private slots:
    // The dialog refuses with the check's text before it asks for the drive.
    void refusal_data()
    {
        QTest::addColumn<QString>("current");
        QTest::addColumn<QString>("latest");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("refusal");
        auto row = [](const char* name, const QString& current, const QString& latest, const QString& path,
                       const QString& refusal) { QTest::newRow(name) << current << latest << path << refusal; };
        row("box version never read", "", "", "", "Current version is empty");
        row("no new.json", "1.0.0", "", "", "New version is empty");
        row("no firmware name", "1.0.0", "2.0.0", "", "New firmware path is empty");
        row("all there", "1.0.0", "2.0.0", "mcuimage/fw.uf2", "");
    }
    void refusal()
    {
        QFETCH(QString, current);
        QFETCH(QString, latest);
        QFETCH(QString, path);
        QFETCH(QString, refusal);
        QCOMPARE(Krel::upgradeRefusal(current, latest, path), refusal);

        UpdateFirmwareDlg dlg(current, latest, path);
        bool asked = false;
        dlg.setDirectoryChooser([&](QWidget*) {
            asked = true;
            return QString(); // the user cancels
        });
        dlg.findChild<QPushButton*>("DownloadFirmwareBtn")->click();
        QMessageBox* box = dlg.findChild<QMessageBox*>("UpdateErrorBox");
        QCOMPARE(asked, refusal.isEmpty());
        QVERIFY(!dlg.isCopying());
        if (refusal.isEmpty())
            return;
        QVERIFY(box);
        QCOMPARE(box->windowTitle(), QString("Update Error"));
        QCOMPARE(box->text(), refusal);
        QCOMPARE(box->buttons().size(), 1);
        QCOMPARE(box->buttons().first()->text(), QString("Quit"));
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
        QVERIFY(writeFile(source, firmware));
        QVERIFY(QDir().mkpath(root));
        if (oldFile == 1) {
            QVERIFY(writeFile(root + "/krel_2.0.0.uf2", "OLD"));
            QVERIFY(QFile::setPermissions(root + "/krel_2.0.0.uf2", QFileDevice::ReadOwner));
        } else if (oldFile == 2) { // a folder by that name with something in it
            QVERIFY(QDir().mkpath(root + "/krel_2.0.0.uf2/inside"));
        }

        // The real durable copy while the drive stays; a drive that leaves is played here.
        Krel::CopyStep step = [&](const QString&, const QString& t, QString* error, bool* flushed) {
            writeFile(t, drive == LeavesHalfWay ? firmware.left(firmware.size() / 2) : firmware);
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
        QVERIFY(writeFile(tmp.filePath("file"), QByteArray()));
        const FirmwareCopyResult r = FirmwareCopy().run({ tmp.filePath("fw.uf2") }, tmp.filePath("file/sub"));
        QVERIFY(!r.success);
        QCOMPARE(r.message, QString("Failed to download"));
        QCOMPARE(r.errors, QStringList { "Unable to create target directory" });
    }

    // The dialog's look; the copy starts a second after the click, on its own
    // thread, and ends in the result box.
    void dialogCopies_data()
    {
        QTest::addColumn<bool>("driveLeavesEarly");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("firstLine");
        QTest::newRow("copied") << false << "Download Successfully" << QString("Downloaded files successfull: 1 ");
        QTest::newRow("drive left half way") << true << "Failed to download" << QString("Failed to download");
    }
    void dialogCopies()
    {
        QFETCH(bool, driveLeavesEarly);
        QTemporaryDir tmp;
        const QString firmware = tmp.filePath("krel_2.0.0.uf2");
        QVERIFY(writeFile(firmware, "FIRMWARE"));
        const QString drive = tmp.filePath("VLXBOOT");
        QVERIFY(QDir().mkpath(drive));

        UpdateFirmwareDlg dlg("1.0.0", "2.0.0", firmware);
        QCOMPARE(dlg.windowTitle(), QString("Firmware Updates"));
        QCOMPARE(dlg.size(), QSize(900, 600));
        QCOMPARE(dlg.minimumSize(), dlg.maximumSize());
        QVERIFY(!(dlg.windowFlags() & Qt::WindowContextHelpButtonHint));
        int pictures = 0;
        for (QLabel* l : dlg.findChildren<QLabel*>())
            pictures += !l->pixmap(Qt::ReturnByValue).isNull();
        QCOMPARE(pictures, 2);
        QCOMPARE(dlg.findChild<QPushButton*>("DownloadFirmwareBtn")->text(), QString("Download Firmware"));
        dlg.setDirectoryChooser([&](QWidget*) { return drive; });
        QThread* copyThread = nullptr;
        if (driveLeavesEarly)
            dlg.setCopyStep([&](const QString&, const QString&, QString* error, bool* flushed) {
                copyThread = QThread::currentThread();
                QDir(drive).removeRecursively();
                *flushed = false;
                *error = "Input/output error";
                return false;
            });
        dlg.show();
        dlg.findChild<QPushButton*>("DownloadFirmwareBtn")->click();
        QVERIFY(dlg.isCopying());
        auto* timer = dlg.findChild<QTimer*>("StartCopyTimer");
        QVERIFY(timer->isActive() && timer->isSingleShot());
        QCOMPARE(timer->interval(), 1000);
        auto* progress = dlg.findChild<QProgressDialog*>("DownloadProgress");
        QCOMPARE(progress->windowTitle(), QString("File Download"));
        QCOMPARE(progress->labelText(), QString("Downloading files..."));

        QTRY_VERIFY_WITH_TIMEOUT(dlg.findChild<QMessageBox*>("DownloadResultBox"), kSafety);
        QMessageBox* box = dlg.findChild<QMessageBox*>("DownloadResultBox");
        QTEST(box->windowTitle(), "title");
        QTEST(box->text().section('\n', 0, 0), "firstLine");
        QVERIFY(!dlg.isCopying());
        if (driveLeavesEarly)
            QVERIFY(copyThread && copyThread != QThread::currentThread());
        else
            QCOMPARE(readFile(drive + "/krel_2.0.0.uf2"), QByteArray("FIRMWARE"));
        box->button(QMessageBox::Ok)->click();
        QTRY_VERIFY_WITH_TIMEOUT(!dlg.isVisible(), kSafety);
    }
};

QTEST_MAIN(TestFirmwareUpgrade)
#include "tst_firmwareupgrade.moc"
