// The demo build's window on its simulators, as a user drives it: the virtual box
// is there at start, the login, a configuration written onto the box's drive,
// the firmware upgrade through the update drive, and the Demo menu.
#include "apppaths.h"
#include "demorig.h"
#include "devicedock.h"
#include "devicedockwidget.h"
#include "globalsetting.h"
#include "imageprogrammetab.h"
#include "krelbox.h"
#include "krelcipher.h"
#include "mainwindow.h"
#include "socdatabase.h"
#include "testfiles.h"
#include "updatefirmwaredlg.h"

#include <QComboBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

using DevelopViews::DeviceDockWidget;

namespace {
constexpr int kSafety = 15000; // ms; only reached when something is broken

// A flash configuration block and a boot header (little-endian words), as the tab recognises them.
QByteArray bootImage()
{
    QByteArray b(0x2000, '\0');
    b.replace(0, 12, QByteArray::fromHex("0200f9fc0700000000100000"));
    b.replace(0xC00, 4, QByteArray::fromHex("bf10ab12"));
    return b;
}
} // namespace

class TestDemo : public QObject
{
    Q_OBJECT
    QTemporaryDir m_root;
    std::unique_ptr<DemoRig> m_rig;

    DeviceDockWidget* panel() const { return m_rig->window()->deviceDock()->panel(); }
    template <class T> T* child(const char* name) const { return m_rig->window()->findChild<T*>(name); }

private slots:
    void initTestCase()
    {
        AppPaths::setAppDirOverride(m_root.path());
        QVERIFY(DemoRig::prepareAppFolder(m_root.path()));
        GlobalSetting::instance().load();
        GlobalSetting::instance().setLanguage(1); // English
        SocDatabase::instance().load();
        m_rig = std::make_unique<DemoRig>();
        m_rig->window()->show();
    }
    void cleanupTestCase()
    {
        m_rig.reset();
        AppPaths::setAppDirOverride(QString());
    }

    void startsWithTheBox()
    {
        QVERIFY(m_rig->window()->windowTitle().contains("Demo"));
        QCOMPARE(m_rig->demoMenu()->title(), QString("Demo"));
        QTRY_COMPARE_WITH_TIMEOUT(child<QComboBox>("DeviceList")->count(), 1, kSafety);
        QVERIFY(!m_rig->romPort().isEmpty());
        child<QToolButton>("UartRefreshBtn")->click(); // the ROM device's port stays listed
        QCOMPARE(child<QListWidget>("UartList")->findItems(m_rig->romPort(), Qt::MatchExactly).size(), 1);
    }

    void logsInAndWritesAConfiguration()
    {
        child<QPushButton>("ConnectBtn")->click(); // the virtual box's password is empty
        QTRY_VERIFY_WITH_TIMEOUT(panel()->isConnected(), kSafety);
        QTRY_COMPARE_WITH_TIMEOUT(child<QLineEdit>("VersionEdit")->text(), QString(DemoRig::BoxVersion), kSafety);
        QVERIFY(child<QPushButton>("UpgradeBtn")->isEnabled());

        const QString image = m_root.filePath("app.bin");
        QVERIFY(writeFile(image, bootImage()));
        auto* tab = m_rig->window()->findChild<DevelopViews::ImageProgrammeTab*>();
        tab->slotImagePathUpdated(image);
        child<QPushButton>("writeBtn")->click();

        const QString drive = m_rig->box()->driveRoot();
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(drive + "/config.info") && QFile::exists(drive + "/app_0.bin"), kSafety);
        const QByteArray config = KrelCipher::decipher(readFile(drive + "/config.info"));
        const QJsonObject doc = QJsonDocument::fromJson(config).object();
        QCOMPARE(doc.value("info").toArray().at(0).toObject().value("filename").toString(), QString("app_0.bin"));
        QCOMPARE(readFile(drive + "/app_0.bin"), bootImage());
    }

    // The box restarts with the new firmware once the update drive has it.
    void upgradesTheFirmware()
    {
        QString result;
        connect(panel(), &DeviceDockWidget::signalUpgradeDialogOpened, this, [&](UpdateFirmwareDlg* dlg) {
            dlg->setDirectoryChooser([this](QWidget*) {
                m_rig->box()->plug(KrelSim::Mode::Update); // switches to 0,1
                return m_rig->box()->updateDriveRoot();
            });
            QTimer::singleShot(0, dlg, [dlg] { dlg->findChild<QPushButton*>("DownloadFirmwareBtn")->click(); });
            auto* poll = new QTimer(dlg);
            connect(poll, &QTimer::timeout, dlg, [dlg, &result] {
                if (auto* box = dlg->findChild<QMessageBox*>("DownloadResultBox")) {
                    result = box->text();
                    box->button(QMessageBox::Ok)->click();
                }
            });
            poll->start(20);
        });
        child<QPushButton>("UpgradeBtn")->click(); // runs the dialog until it closes
        QCOMPARE(result.section('\n', 0, 0), QString("Downloaded files successfull: 1 "));
        QTRY_COMPARE_WITH_TIMEOUT(m_rig->box()->mode(), KrelSim::Mode::Command, kSafety);
        QCOMPARE(m_rig->box()->firmwareVersion(), QString(DemoRig::OfferedVersion));
        QTRY_VERIFY_WITH_TIMEOUT(!panel()->isConnecting() && !panel()->isConnected(), kSafety);
        child<QPushButton>("ConnectBtn")->click();
        QTRY_COMPARE_WITH_TIMEOUT(child<QLineEdit>("VersionEdit")->text(), QString(DemoRig::OfferedVersion), kSafety);
        QTRY_VERIFY_WITH_TIMEOUT(panel()->isConnected(), kSafety);
        QVERIFY(!child<QPushButton>("UpgradeBtn")->isEnabled());
    }

    void demoMenuPlugsBoxes()
    {
        const QList<QAction*> actions = m_rig->demoMenu()->actions();
        QCOMPARE(actions.size(), 5); // unplug, re-plug, separator, second box in, out
        QVERIFY(actions.at(0)->isEnabled() && !actions.at(1)->isEnabled());
        actions.at(3)->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(child<QComboBox>("DeviceList")->count(), 2, kSafety);
        actions.at(4)->trigger();
        actions.at(0)->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(child<QComboBox>("DeviceList")->count(), 0, kSafety);
        QVERIFY(!actions.at(0)->isEnabled() && actions.at(1)->isEnabled());
        actions.at(1)->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(child<QComboBox>("DeviceList")->count(), 1, kSafety);
    }

    // The demo's texts follow the window's language from a catalogue of their own.
    void demoMenuSpeaksChinese()
    {
        m_rig->window()->chineseAction()->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(m_rig->demoMenu()->title(), QString::fromUtf8("演示"), kSafety);
        m_rig->window()->englishAction()->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(m_rig->demoMenu()->title(), QString("Demo"), kSafety);
    }
};

QTEST_MAIN(TestDemo)
#include "tst_demo.moc"
