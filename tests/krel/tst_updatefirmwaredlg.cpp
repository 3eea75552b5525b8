// The firmware upgrade dialog: what it shows, its refusals, and a copy on its
// worker thread through to the result box and the dialog closing.
#include "updatefirmwaredlg.h"

#include <QDir>
#include <QLabel>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

namespace {
constexpr int kSafety = 10000; // ms; only reached when something is broken

QMessageBox* messageBox(QWidget* dlg, const char* name)
{
    return dlg->findChild<QMessageBox*>(name);
}
} // namespace

class TestUpdateFirmwareDlg : public QObject
{
    Q_OBJECT
private slots:
    void shows()
    {
        UpdateFirmwareDlg dlg("1.0.0", "2.0.0", "mcuimage/fw.uf2");
        QCOMPARE(dlg.windowTitle(), QString("Firmware Updates"));
        QCOMPARE(dlg.size(), QSize(900, 600));
        QCOMPARE(dlg.minimumSize(), dlg.maximumSize());
        QVERIFY(!(dlg.windowFlags() & Qt::WindowContextHelpButtonHint));
        QCOMPARE(dlg.findChild<QLabel*>("CurrentVersionLabel")->text(), QString("Current firmware version: 1.0.0"));
        QCOMPARE(dlg.findChild<QLabel*>("NewVersionLabel")->text(), QString("Latest firmware version: 2.0.0"));
        int pictures = 0;
        for (QLabel* l : dlg.findChildren<QLabel*>())
            pictures += !l->pixmap(Qt::ReturnByValue).isNull();
        QCOMPARE(pictures, 2);
        QCOMPARE(dlg.findChild<QPushButton*>("DownloadFirmwareBtn")->text(), QString("Download Firmware"));
    }

    void refuses_data()
    {
        QTest::addColumn<QString>("current");
        QTest::addColumn<QString>("latest");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("text");
        QTest::newRow("empty current version") << ""
                                               << "2.0.0"
                                               << "fw.uf2"
                                               << "Current version is empty";
        QTest::newRow("empty path") << "1.0.0"
                                    << "2.0.0"
                                    << ""
                                    << "New firmware path is empty";
    }
    void refuses()
    {
        QFETCH(QString, current);
        QFETCH(QString, latest);
        QFETCH(QString, path);
        QFETCH(QString, text);
        UpdateFirmwareDlg dlg(current, latest, path);
        bool asked = false;
        dlg.setDirectoryChooser([&](QWidget*) {
            asked = true;
            return QString();
        });
        dlg.findChild<QPushButton*>("DownloadFirmwareBtn")->click();
        QMessageBox* box = messageBox(&dlg, "UpdateErrorBox");
        QVERIFY(box);
        QCOMPARE(box->windowTitle(), QString("Update Error"));
        QCOMPARE(box->text(), text);
        QCOMPARE(box->buttons().size(), 1);
        QCOMPARE(box->buttons().first()->text(), QString("Quit"));
        QVERIFY(!asked);
        QVERIFY(!dlg.isCopying());
    }

    void copies_data()
    {
        QTest::addColumn<bool>("driveLeavesEarly");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("firstLine");
        QTest::newRow("copied") << false << "Download Successfully"
                                << "Downloaded files successfull: 1 ";
        QTest::newRow("drive left half way") << true << "Failed to download"
                                             << "Failed to download";
    }
    void copies()
    {
        QFETCH(bool, driveLeavesEarly);
        QFETCH(QString, title);
        QFETCH(QString, firstLine);
        QTemporaryDir tmp;
        const QString firmware = tmp.filePath("krel_2.0.0.uf2");
        QFile f(firmware);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write("FIRMWARE") == 8);
        f.close();
        const QString drive = tmp.filePath("VLXBOOT");
        QVERIFY(QDir().mkpath(drive));

        UpdateFirmwareDlg dlg("1.0.0", "2.0.0", firmware);
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

        QTRY_VERIFY_WITH_TIMEOUT(messageBox(&dlg, "DownloadResultBox"), kSafety);
        QMessageBox* box = messageBox(&dlg, "DownloadResultBox");
        QCOMPARE(box->windowTitle(), title);
        QCOMPARE(box->text().section('\n', 0, 0), firstLine);
        QVERIFY(!dlg.isCopying());
        if (driveLeavesEarly)
            QVERIFY(copyThread && copyThread != QThread::currentThread());
        else
            QCOMPARE(QFile(drive + "/krel_2.0.0.uf2").size(), qint64(8));
        box->button(QMessageBox::Ok)->click();
        QTRY_VERIFY_WITH_TIMEOUT(!dlg.isVisible(), kSafety);
    }
};

QTEST_MAIN(TestUpdateFirmwareDlg)
#include "tst_updatefirmwaredlg.moc"
