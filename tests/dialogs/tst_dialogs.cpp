// Fill and save rules of the settings dialogs, the sidebar of the global
// settings, and what the about box shows.
#include "aboutdlg.h"
#include "globalsettingdlg.h"
#include "programsettingdlg.h"
#include "tempappdir.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QtTest>

class TestDialogs : public QObject
{
    Q_OBJECT

    std::unique_ptr<TempAppDir> m_app;

    static void clickOk(QDialog& dlg) { dlg.findChild<QPushButton*>(QStringLiteral("OkBtn"))->click(); }

private slots:
    void init()
    {
        m_app = std::make_unique<TempAppDir>();
        QVERIFY(m_app->isValid());
    }
    void cleanup() { m_app.reset(); }

    void globalFill_data()
    {
        QTest::addColumn<int>("fwLoadType");
        QTest::addColumn<bool>("customBaud");
        QTest::addColumn<int>("cmdTimeout");
        QTest::addColumn<int>("fwRadio"); // 0 auto, 1 unsigned, 2 signed
        QTest::addColumn<QString>("timeoutText"); // empty: default radio, edit disabled
        QTest::newRow("unknown type 7 is automatic") << 7 << false << 0 << 0 << "";
        QTest::newRow("unsigned, custom baud, timeout 2500") << 1 << true << 2500 << 1 << "2500";
        QTest::newRow("signed, timeout -1") << 2 << false << -1 << 2 << "";
    }
    void globalFill()
    {
        QFETCH(int, fwLoadType);
        QFETCH(bool, customBaud);
        QFETCH(int, cmdTimeout);
        QFETCH(int, fwRadio);
        QFETCH(QString, timeoutText);
        GlobalSettingInfo info;
        info.language = 1;
        info.fwLoadType = fwLoadType;
        info.fwLoadUseCustomBaudRate = customBaud;
        info.cmdTimeout = cmdTimeout;
        info.autoAddPort = true;
        GlobalSetting::instance().save(info);

        GlobalSettingDlg dlg;
        const QRadioButton* radios[] = { dlg.autoFwRadio(), dlg.unsignedFwRadio(), dlg.signedFwRadio() };
        for (int i = 0; i < 3; ++i)
            QCOMPARE(radios[i]->isChecked(), i == fwRadio);
        QCOMPARE(dlg.customBaudRadio()->isChecked(), customBaud);
        QCOMPARE(dlg.defaultBaudRadio()->isChecked(), !customBaud);
        QCOMPARE(dlg.timeoutEdit()->text(), timeoutText);
        QCOMPARE(dlg.customTimeoutRadio()->isChecked(), !timeoutText.isEmpty());
        QCOMPARE(dlg.timeoutEdit()->isEnabled(), !timeoutText.isEmpty());
        QVERIFY(dlg.autoAddPortCheck()->isChecked());
        QVERIFY(!dlg.allStatesCheck()->isChecked());
        QVERIFY(dlg.connectPageButton()->isChecked());
        QVERIFY(!dlg.programPageButton()->isChecked());
    }

    void globalOk_data()
    {
        QTest::addColumn<int>("storedType");
        QTest::addColumn<int>("storedTimeout");
        QTest::addColumn<QString>("typed"); // null: leave the time-out choice alone
        QTest::addColumn<int>("savedType");
        QTest::addColumn<int>("savedTimeout");
        QTest::newRow("type 7 saves 0, timeout 0 saves -1") << 7 << 0 << QString() << 0 << -1;
        QTest::newRow("custom abc saves 0") << 1 << 0 << "abc" << 1 << 0;
        QTest::newRow("custom 1500") << 0 << 0 << "1500" << 0 << 1500;
        QTest::newRow("custom above the int range saves 0") << 0 << 0 << "4294967295" << 0 << 0;
    }
    void globalOk()
    {
        QFETCH(int, storedType);
        QFETCH(int, storedTimeout);
        QFETCH(QString, typed);
        QFETCH(int, savedType);
        QFETCH(int, savedTimeout);
        GlobalSettingInfo info;
        info.language = 1;
        info.enableAllSoCs = true;
        info.fwLoadType = storedType;
        info.cmdTimeout = storedTimeout;
        GlobalSetting::instance().save(info);

        GlobalSettingDlg dlg;
        if (!typed.isNull()) {
            dlg.customTimeoutRadio()->click();
            QVERIFY(dlg.timeoutEdit()->isEnabled());
            dlg.timeoutEdit()->setText(typed);
        }
        dlg.allStatesCheck()->setChecked(true);
        clickOk(dlg);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));

        QSettings file(GlobalSetting::filePath(), QSettings::IniFormat);
        QCOMPARE(file.value(QStringLiteral("Base/CmdTimeout")).toInt(), savedTimeout);
        GlobalSetting::instance().load(); // what the file now holds
        const GlobalSettingInfo saved = GlobalSetting::instance().info();
        QCOMPARE(saved.fwLoadType, savedType);
        QCOMPARE(saved.downloadAllStateDevices, true);
        QCOMPARE(saved.language, 1);
        QCOMPARE(saved.enableAllSoCs, true);
    }

    // Cancel writes nothing; the program settings' OK writes its one key and keeps the others.
    void cancelLeavesTheFileProgramOkWritesOneKey()
    {
        GlobalSettingInfo info;
        info.language = 1;
        info.cmdTimeout = 777;
        GlobalSetting::instance().save(info);
        const QByteArray before = readFile(GlobalSetting::filePath());
        {
            GlobalSettingDlg dlg;
            dlg.signedFwRadio()->click();
            dlg.autoAddPortCheck()->setChecked(true);
            dlg.findChild<QPushButton*>(QStringLiteral("CancelBtn"))->click();
            QCOMPARE(dlg.result(), int(QDialog::Rejected));
        }
        {
            ProgramSettingDlg dlg;
            dlg.autoAddPortCheck()->setChecked(true);
            dlg.findChild<QPushButton*>(QStringLiteral("CancelBtn"))->click();
        }
        QCOMPARE(readFile(GlobalSetting::filePath()), before);
        GlobalSetting::instance().load();
        QCOMPARE(GlobalSetting::instance().fwLoadType(), 0);

        ProgramSettingDlg dlg;
        QVERIFY(!dlg.autoAddPortCheck()->isChecked());
        dlg.autoAddPortCheck()->setChecked(true);
        clickOk(dlg);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QSettings file(GlobalSetting::filePath(), QSettings::IniFormat);
        QCOMPARE(file.value(QStringLiteral("Base/AutoAddPort")).toBool(), true);
        QCOMPARE(file.value(QStringLiteral("Base/CmdTimeout")).toInt(), 777);
        QVERIFY(ProgramSettingDlg().autoAddPortCheck()->isChecked());
    }

    void sidebarFollowsScrolling()
    {
        GlobalSettingDlg dlg;
        // Tall enough that the pages nearly fit: the last page must still reach the top.
        dlg.resize(700, 900);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QScrollBar* bar = dlg.scrollArea()->verticalScrollBar();
        const int mid = (dlg.connectGroup()->y() + dlg.programGroup()->y()) / 2;
        QVERIFY(bar->maximum() >= mid);

        bar->setValue(mid);
        QVERIFY(dlg.programPageButton()->isChecked());
        QVERIFY(!dlg.connectPageButton()->isChecked());
        bar->setValue(mid - 1);
        QVERIFY(dlg.connectPageButton()->isChecked());

        // The last page can be reached from the sidebar and stays chosen.
        dlg.programPageButton()->click();
        QCOMPARE(bar->value(), dlg.programGroup()->y());
        QVERIFY(dlg.programPageButton()->isChecked());
        dlg.connectPageButton()->click();
        QCOMPARE(bar->value(), dlg.connectGroup()->y());
        QVERIFY(dlg.connectPageButton()->isChecked());
    }

    void aboutShowsTitleAndVersion()
    {
        AboutDlg dlg(QStringLiteral("Veltrix Krel"));
        QCOMPARE(dlg.windowTitle(), QStringLiteral("About"));
        QCOMPARE(dlg.titleLabel()->text(), QStringLiteral("Veltrix Krel"));
        QVERIFY(dlg.versionLabel()->text().contains(QStringLiteral("0.5.0")));
        QStringList texts;
        for (QLabel* l : dlg.findChildren<QLabel*>())
            texts << l->text();
        QVERIFY(texts.contains(QStringLiteral("All rights reserved")));
        const QStringList folders = dlg.foldersLabel()->text().split(QLatin1Char('\n'));
        QCOMPARE(folders.value(0), QStringLiteral("Log folder: ") + AppPaths::logDir());
        QCOMPARE(folders.value(1), QStringLiteral("Settings folder: ") + AppPaths::configDir());
        QCOMPARE(folders.value(2), QStringLiteral("Data folder: ") + AppPaths::dataDir());
        auto* ok = dlg.findChild<QPushButton*>();
        QCOMPARE(ok->text(), QStringLiteral("OK"));
        dlg.show();
        ok->click();
        QVERIFY(!dlg.isVisible());
    }
};

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
