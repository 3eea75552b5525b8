// The Krel configuration tab with the shipped SoC catalogue: what the user sees
// after each action, the project it keeps, the image helper (a script stands in
// for it), and a write from the widgets onto the simulated box's drive.
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include "apppaths.h"
#include "fileselectwidget.h"
#include "globalsetting.h"
#include "imageprogrammetab.h"
#include "krelcipher.h"
#include "projectconfig.h"
#include "simdrivelister.h"
#include "socdatabase.h"
#include "testfiles.h"
#include "writeconfigtask.h"

using DevelopViews::FileSelectWidget;
using DevelopViews::ImageProgrammeTab;
using KrelSim::KrelBox;
using CopyList = QList<QPair<QString, QString>>;

namespace {

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
                                  "echo 'MESSAGE#SRKHASH#no closing marker'\n"
                                  "echo 'saved MESSAGE#FILE#"
            + path("img/edited.bin").toUtf8()
            + "#MESSAGE'\n"
              "echo 'MESSAGE#EXIPKEK#00112233#MESSAGE'\n"
              "printf 'MESSAGE#OpenOTPWriteView#MESSAGE'\n";
        QVERIFY(writeFile(path("vlx_image_helper"), script));
        QFile::setPermissions(path("vlx_image_helper"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        QSignalSpy kek(&t.tab, &ImageProgrammeTab::signalOTPEXIPAdded);
        QSignalSpy srk(&t.tab, &ImageProgrammeTab::signalOTPSRKHashAdded);
        QSignalSpy otpView(&t.tab, &ImageProgrammeTab::signalOTPWriteViewShown);
        t.tab.slotMenuImageEditClicked();
        QTRY_COMPARE(otpView.size(), 1); // the last line ends without a line break
        QCOMPARE(t.image()->path(), path("img/edited.bin"));
        QCOMPARE(t.words(), QString("0xfcf90002,0x00000007,0x00001000,0x00000000"));
        QCOMPARE(kek.size(), 1);
        QCOMPARE(srk.size(), 0);
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
};

QTEST_MAIN(TstImageProgrammeTab)
#include "tst_imageprogrammetab.moc"
