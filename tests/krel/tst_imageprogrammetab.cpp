// The Krel configuration tab with the shipped SoC catalogue: what the user sees
// after each action, the project it keeps, the image helper (a script stands in
// for it), and a write from the widgets onto the simulated box's drive. Then the
// firmware upgrade: the checks before a copy and what each way a copy onto the
// box's update drive can end means (the drive leaving at different moments
// included), and the dialog that refuses, copies on its worker thread and shows
// the result.
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include "apppaths.h"
#include "fileselectwidget.h"
#include "firmwareupgrade.h"
#include "globalsetting.h"
#include "imageprogrammetab.h"
#include "krelcipher.h"
#include "projectconfig.h"
#include "simdrivelister.h"
#include "socdatabase.h"
#include "testfiles.h"
#include "updatefirmwaredlg.h"
#include "writeconfigtask.h"

using DevelopViews::FileSelectWidget;
using DevelopViews::ImageProgrammeTab;
using KrelSim::KrelBox;
using CopyList = QList<QPair<QString, QString>>;
using Krel::FirmwareCopy;
using Krel::FirmwareCopyResult;

namespace {
constexpr int kSafety = 10000; // ms; only reached when something is broken

// How the simulated drive behaves during the copy of one firmware file.
enum Drive { Stays, LeavesAfterLastByte, LeavesHalfWay, RefusesRename };

QByteArray le(quint32 w)
{
    return QByteArray(1, char(w & 0xFF)) + char((w >> 8) & 0xFF) + char((w >> 16) & 0xFF) + char(w >> 24);
}

// A flash configuration block with two option words at 0 and a boot header at 0xC00.
QByteArray bootImage()
{
    QByteArray b(0x2000, '\0');
    b.replace(0, 12, le(0xFCF90002) + le(0x7) + le(0x1000));
    b.replace(0xC00, 4, le(0x12AB10BF));
    return b;
}

struct Tab
{
    ImageProgrammeTab tab { nullptr };
    QList<QPair<QString, LogLevel>> logs;
    Tab()
    {
        QObject::connect(&tab, &ImageProgrammeTab::signalAddLogs, [this](const QString& text, LogLevel level) {
            logs.append({ text, level });
        });
    }
    template <typename T> T* get(const char* name) const
    {
        T* w = tab.findChild<T*>(QLatin1String(name));
        if (!w)
            qFatal("no widget %s", name);
        return w;
    }
    QString words() const { return get<QLineEdit>("flashWordEdit")->text(); }
    QString address() const { return get<QLineEdit>("addressEdit")->text(); }
    FileSelectWidget* image() const { return get<FileSelectWidget>("imageSelect"); }
    bool logged(const QString& text, LogLevel level) const { return logs.contains(qMakePair(text, level)); }
    // The editor of a flash option row by its name.
    QWidget* option(const QString& name) const
    {
        auto* table = get<QTableWidget>("optionTable");
        for (int r = 0; r < table->rowCount(); ++r) {
            if (table->item(r, 0)->text() == name)
                return table->cellWidget(r, 1);
        }
        return nullptr;
    }
    QLineEdit* fileRowAddress(int row) const
    {
        return qobject_cast<QLineEdit*>(get<QTableWidget>("addFileTable")->cellWidget(row, 1));
    }
    FileSelectWidget* fileRowPath(int row) const
    {
        return qobject_cast<FileSelectWidget*>(get<QTableWidget>("addFileTable")->cellWidget(row, 3));
    }
};

} // namespace

class TstImageProgrammeTab : public QObject
{
    Q_OBJECT
    QString path(const QString& name) const { return m_app.filePath(name); }
    QTemporaryDir m_app;

private slots:
    void initTestCase()
    {
        QVERIFY(m_app.isValid());
        AppPaths::setAppDirOverride(m_app.path());
        registerMetaTypes();
        GlobalSetting::instance().load();
        ProjectConfig::instance().resetForTests();
        SocDatabase::instance().load();
        QVERIFY(!SocDatabase::instance().socByName("TSL1200").name.isEmpty());
    }
    void init()
    {
        ProjectConfig& pc = ProjectConfig::instance();
        pc.resetForTests();
        pc.setSocType("TSL1200");
        QVERIFY(pc.saveDefault());
    }
    void cleanup()
    {
        KrelSim::uninstallDriveLister();
        KrelSim::SimDrives::clear();
        FakeHid::reset();
        QFile::remove(path("vlx_image_helper"));
    }
    void imageWordsAndModeSwitch()
    {
        Tab t;
        QVERIFY(writeFile(path("img/app.bin"), bootImage()));
        t.tab.slotImagePathUpdated(path("img/app.bin"));
        const QString imageWords = "0xfcf90002,0x00000007,0x00001000,0x00000000";
        QCOMPARE(t.words(), imageWords);
        QCOMPARE(t.address(), QString("0x80000400"));
        QVERIFY(t.logged(
            "Check boot image finished!  Flash config address: 0x00000000. Boot Header address: 0x00000c00", LogInfo));
        QVERIFY(!t.get<QWidget>("optionGroup")->isVisibleTo(&t.tab));

        QStringList shown;
        connect(t.get<QLineEdit>("flashWordEdit"), &QLineEdit::textChanged, [&](const QString& s) { shown << s; });
        t.get<QRadioButton>("withoutBootRadio")->click();
        // Emptied, then filled from the option widgets (their defaults).
        QCOMPARE(shown, QStringList({ "", "0xfcf90001,0x00000007,0x00000000,0x00000000" }));
        QVERIFY(t.get<QWidget>("optionGroup")->isVisibleTo(&t.tab));
        QVERIFY(!t.image()->isEnabled());
        // Hidden parameters have no row.
        QVERIFY(!t.option("Option size") && !t.option("Reserved"));
        auto* size = qobject_cast<QLineEdit*>(t.option("Flash size (MB)"));
        QVERIFY(size && size->isEnabled());
        QTest::keyClicks(size, "16");
        // Words 1 and 3 set, word 2 zero: 2 in the low bits of word 0.
        const QString typed = "0xfcf90002,0x00000007,0x00000000,0x00001000";
        QCOMPARE(t.words(), typed);
        QVERIFY(t.logged("Current Memory Configuration Option: [" + typed + "]", LogDebug));

        shown.clear();
        t.get<QRadioButton>("withBootRadio")->click();
        QCOMPARE(shown, QStringList({ "", imageWords }));
        QVERIFY(t.image()->isEnabled());

        // An image with only a boot header keeps none of the last image's words.
        QByteArray headerOnly(0x1000, '\0');
        headerOnly.replace(0, 4, le(0x000010BF));
        QVERIFY(writeFile(path("img/header.bin"), headerOnly));
        t.tab.slotImagePathUpdated(path("img/header.bin"));
        QCOMPARE(t.words(), QString());
        QCOMPARE(t.address(), QString("0x80001000"));
        QVERIFY(!t.tab.findChild<QMessageBox*>("bootImageWarning"));

        // Neither structure: a warning, and the address is cleared.
        QVERIFY(writeFile(path("img/plain.bin"), QByteArray(0x800, '\x11')));
        t.tab.slotImagePathUpdated(path("img/plain.bin"));
        auto* box = t.tab.findChild<QMessageBox*>("bootImageWarning");
        QVERIFY(box && box->isVisible());
        QVERIFY(box->text().startsWith("Can not find flash config or boot header in this image!"));
        QCOMPARE(t.address(), QString());
        box->close();
        t.tab.slotImagePathUpdated(path("img/nothere.bin"));
        QVERIFY(t.logged("File not found! Path: " + path("img/nothere.bin"), LogError));
    }
    void memoryChangeRebasesFiles()
    {
        Tab t;
        t.get<QPushButton>("addFileBtn")->click();
        t.get<QPushButton>("addFileBtn")->click();
        QCOMPARE(t.fileRowAddress(0)->text(), QString("0x80000000"));
        t.fileRowAddress(0)->setText("0x80010000");
        t.fileRowAddress(1)->clear();
        t.get<QComboBox>("memoryCbb")->setCurrentIndex(1); // XPI1 NOR at 0x90000000
        QCOMPARE(t.fileRowAddress(0)->text(), QString("0x90010000"));
        QCOMPARE(t.fileRowAddress(1)->text(), QString());
        QCOMPARE(t.address(), QString("0x90000000"));
        QCOMPARE(ProjectConfig::instance().flashType(), QString("0x10001"));
    }
    void emmcShowsSectorIndexAndNeverInspects()
    {
        QVERIFY(writeFile(path("img/app.bin"), bootImage()));
        ProjectConfig::instance().setSocType("CRV3500");
        ProjectConfig::instance().setImagePath(path("img/app.bin"));
        Tab t;
        QCOMPARE(t.get<QComboBox>("memoryCbb")->count(), 3);
        t.logs.clear();
        t.get<QComboBox>("memoryCbb")->setCurrentIndex(2); // SDXC1
        QCOMPARE(t.get<QLabel>("addressLabel")->text(), QString("Sector Index: "));
        QCOMPARE(t.address(), QString("0x400"));
        QVERIFY(writeFile(path("img/other.bin"), bootImage()));
        t.tab.slotImagePathUpdated(path("img/other.bin"));
        QVERIFY(
            std::none_of(t.logs.begin(), t.logs.end(), [](const auto& l) { return l.first.startsWith("Check boot"); }));
        QCOMPARE(t.address(), QString("0x400"));

        t.get<QRadioButton>("withoutBootRadio")->click();
        QVERIFY(t.option("Bus width")); // the eMMC word layout
        QCOMPARE(t.words(), QString("0xec090002,0x00000001"));
    }
    void writeOntoTheBoxDrive_data()
    {
        QTest::addColumn<bool>("imageGone");
        QTest::newRow("written") << false;
        QTest::newRow("image gone before copying") << true;
    }
    void writeOntoTheBoxDrive()
    {
        QFETCH(bool, imageGone);
        Tab t;
        const QString image = path("Bilder ä/app.v2.bin"); // non-ASCII folder
        const QString data = path("data.hex");
        QVERIFY(writeFile(image, bootImage()));
        QVERIFY(writeFile(data, "payload"));
        t.tab.slotImagePathUpdated(image);
        t.get<QComboBox>("modeCbb")->setCurrentIndex(2);
        t.get<QComboBox>("baudCbb")->setCurrentIndex(5);
        t.get<QCheckBox>("beepChk")->setChecked(true);
        t.get<QPushButton>("addFileBtn")->click();
        t.fileRowAddress(0)->setText("0x80100000");
        t.fileRowPath(0)->setPath(data);

        QSignalSpy run(&t.tab, &ImageProgrammeTab::signalWriteConfigRun);
        t.get<QPushButton>("writeBtn")->click();
        QCOMPARE(run.size(), 1);
        const QString config = AppPaths::configDir() + "/config.info";
        const CopyList list = run.at(0).at(1).value<CopyList>();
        QCOMPARE(run.at(0).at(0).toInt(), 0);
        QCOMPARE(list, CopyList({ { image, "app_0.bin" }, { data, "data_1.hex" }, { config, "config.info" } }));
        QCOMPARE(run.at(0).at(2).toString(), QString());

        KrelSim::installDriveLister();
        KrelBox box;
        box.plug(KrelSim::Mode::Drive);
        if (imageGone)
            QVERIFY(QFile::remove(image));
        RomCmd::writeconfigtask writer(0, list, QString());
        QList<int> statuses;
        connect(&writer, &RomCmd::writeconfigtask::signalTaskStatus, [&](int s) { statuses << s; });
        connect(&writer, &RomCmd::writeconfigtask::signalTaskStatus, &t.tab, &ImageProgrammeTab::slotWriteConfigStatus);
        writer.run();

        QFile written(box.driveRoot() + "/config.info");
        if (imageGone) {
            QCOMPARE(statuses.last(), int(RomCmd::writeconfigtask::StatusSourceMissing));
            QVERIFY(!written.exists());
            QVERIFY(
                t.logged("Write Config failed: A file does not exist; the configuration was not written.", LogError));
            return;
        }
        QCOMPARE(statuses.last(), 0);
        QCOMPARE(t.get<QLabel>("statusLabel")->text(), QString("The configuration was written."));
        QVERIFY(written.open(QIODevice::ReadOnly));
        const QJsonDocument doc = QJsonDocument::fromJson(KrelCipher::decipher(written.readAll()));
        const QJsonDocument expected = QJsonDocument::fromJson(
            R"({"5v_config":"off","beep_config":"on",)"
            R"("flash_option":["0xfcf90002","0x00000007","0x00001000","0x00000000"],)"
            R"("info":[{"address":"0x80000400","filename":"app_0.bin"},{"address":"0x80100000","filename":"data_1.hex"}],)"
            R"("mcu":"TSL1200","name":"flash download config","trigger_source":"machine","uart_config":"2000000"})");
        QCOMPARE(doc, expected);
        QFile copied(box.driveRoot() + "/app_0.bin");
        QVERIFY(copied.open(QIODevice::ReadOnly));
        QCOMPARE(copied.readAll(), bootImage());
    }
    // A refusal reaches the log at error level and nothing is written: here the
    // OTP file named is missing (the builder's test holds every message).
    void refusalWritesNothing()
    {
        Tab t;
        QVERIFY(writeFile(path("img/bad.bin"), bootImage()));
        t.tab.slotImagePathUpdated(path("img/bad.bin"));
        t.get<QCheckBox>("otpChk")->click();
        QVERIFY(t.get<FileSelectWidget>("otpSelect")->isEnabled());
        t.get<FileSelectWidget>("otpSelect")->setPath(path("none.info"));
        QVERIFY(t.logged("OTP File not found! Path: " + path("none.info"), LogError));
        QFile::remove(AppPaths::configDir() + "/config.info");
        QSignalSpy run(&t.tab, &ImageProgrammeTab::signalWriteConfigRun);
        t.get<QPushButton>("writeBtn")->click();
        QCOMPARE(run.size(), 0);
        QVERIFY(t.logged("OTP info Parse fail!", LogError));
        QCOMPARE(t.logs.last(), qMakePair(QString("Write Config failed!"), LogError));
        QVERIFY(!QFile::exists(AppPaths::configDir() + "/config.info"));
    }
    void exportAsksForFolder()
    {
        Tab t;
        QSignalSpy run(&t.tab, &ImageProgrammeTab::signalWriteConfigRun);
        t.get<QPushButton>("exportBtn")->click();
        QCOMPARE(t.logs.last(), qMakePair(QString("Synchronize command failed!"), LogError));
        QVERIFY(!t.tab.findChild<QFileDialog*>());

        QVERIFY(writeFile(path("img/app.bin"), bootImage()));
        t.tab.slotImagePathUpdated(path("img/app.bin"));
        t.get<QPushButton>("exportBtn")->click();
        auto* dialog = t.tab.findChild<QFileDialog*>();
        QVERIFY(dialog);
        QCOMPARE(dialog->windowTitle(), QString("Open Directory"));
        QCOMPARE(dialog->fileMode(), QFileDialog::Directory);
        QVERIFY(QDir().mkpath(path("out")));
        emit dialog->fileSelected(path("out"));
        QCOMPARE(run.size(), 1);
        QCOMPARE(run.at(0).at(1).value<CopyList>().size(), 2);
        QCOMPARE(run.at(0).at(2).toString(), QDir::toNativeSeparators(path("out")));
    }
    void imageHelper()
    {
        Tab t;
        t.tab.slotImageEditClicked(false);
        QVERIFY(t.logged("Cannot find " + path("vlx_image_helper"), LogError));

        QVERIFY(writeFile(path("img/edited.bin"), bootImage()));
        const QByteArray script = "#!/bin/sh\n"
                                  "printf '%s\\n' \"$@\" > \"$PWD/helper_args.txt\"\n"
                                  "echo 'starting up'\n"
                                  "echo 'saved MESSAGE#FILE#"
            + path("img/edited.bin").toUtf8()
            + "#MESSAGE'\n"
              "echo 'MESSAGE#EXIPKEK#00112233#MESSAGE'\n"
              "printf 'MESSAGE#OpenOTPWriteView#MESSAGE'\n";
        QVERIFY(writeFile(path("vlx_image_helper"), script));
        QFile::setPermissions(path("vlx_image_helper"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        QSignalSpy kek(&t.tab, &ImageProgrammeTab::signalOTPEXIPAdded);
        QSignalSpy otpView(&t.tab, &ImageProgrammeTab::signalOTPWriteViewShown);
        t.tab.slotMenuImageEditClicked();
        QTRY_COMPARE(otpView.size(), 1); // the last line ends without a line break
        QCOMPARE(t.image()->path(), path("img/edited.bin"));
        QCOMPARE(t.words(), QString("0xfcf90002,0x00000007,0x00001000,0x00000000"));
        QCOMPARE(kek.size(), 1);
        QFile args(path("helper_args.txt"));
        QVERIFY(args.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(args.readAll()).chopped(1).split('\n'),
            QStringList({ "--soc", "TSL1200", "--language", "CN", "--type", "boot_image", "--path", "", "--station" }));
    }
    void reloadRestoresWidgets_data()
    {
        QTest::addColumn<bool>("manual");
        QTest::newRow("with boot image") << false;
        QTest::newRow("without boot image") << true;
    }
    void reloadRestoresWidgets()
    {
        QFETCH(bool, manual);
        QVERIFY(writeFile(path("img/app.bin"), bootImage()));
        QString words, address;
        {
            Tab t;
            t.get<QComboBox>("memoryCbb")->setCurrentIndex(1);
            t.tab.slotImagePathUpdated(path("img/app.bin"));
            if (manual) {
                t.get<QRadioButton>("withoutBootRadio")->click();
                QTest::keyClicks(qobject_cast<QLineEdit*>(t.option("Flash size (MB)")), "8");
            } else {
                t.get<QLineEdit>("addressEdit")->setText("0x90000800");
                emit t.get<QLineEdit>("addressEdit")->editingFinished();
            }
            words = t.words();
            address = t.address();
        }
        ProjectConfig& pc = ProjectConfig::instance();
        pc.reset();
        QVERIFY(pc.load(pc.filePath()));
        Tab t;
        QCOMPARE(t.get<QComboBox>("socCbb")->currentText(), QString("TSL1200"));
        QCOMPARE(t.get<QComboBox>("memoryCbb")->currentIndex(), 1);
        QCOMPARE(t.image()->path(), path("img/app.bin"));
        QCOMPARE(t.get<QRadioButton>("withoutBootRadio")->isChecked(), manual);
        QCOMPARE(t.words(), words);
        QCOMPARE(t.address(), address);
        if (manual)
            QCOMPARE(qobject_cast<QLineEdit*>(t.option("Flash size (MB)"))->text(), QString("8"));
    }
    void removeCustomSoc()
    {
        ProjectConfig& pc = ProjectConfig::instance();
        pc.setCustomSocs({ { "MyChip", 0x34B7, 9, "TSL1100" } });
        pc.setSocType("MyChip");
        Tab t;
        auto* socs = t.get<QComboBox>("socCbb");
        QCOMPARE(socs->currentText(), QString("MyChip"));
        QCOMPARE(t.get<QComboBox>("memoryCbb")->count(), 1); // TSL1100's memories
        QVERIFY(t.get<QToolButton>("socTrashBtn")->isVisibleTo(&t.tab));
        t.get<QToolButton>("socTrashBtn")->click();
        auto* box = t.tab.findChild<QMessageBox*>("removeSocBox");
        QVERIFY(box);
        QCOMPARE(box->windowTitle(), QString("Warning"));
        QCOMPARE(box->text(), QString("Do you really want to remove the custom SoC: MyChip?"));
        box->button(QMessageBox::Yes)->click();
        QVERIFY(pc.customSocs().isEmpty());
        QCOMPARE(socs->findText("MyChip"), -1);
        QCOMPARE(pc.socType(), socs->currentText());
        QVERIFY(!t.get<QToolButton>("socTrashBtn")->isVisibleTo(&t.tab));
    }

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

QTEST_MAIN(TstImageProgrammeTab)
#include "tst_imageprogrammetab.moc"
