// The window as a user meets it: language, menus, run results in the log,
// the overlay, the log view, the central widget's enable rule and relays, the
// user manual and the closing question about OTP words.
#include "centralwidget.h"
#include "devicedock.h"
#include "globalsetting.h"
#include "imageprogrammetab.h"
#include "loadingwidget.h"
#include "logcapture.h"
#include "logdock.h"
#include "logdocktitlewidget.h"
#include "mainwindow.h"
#include "plaintextbrowser.h"
#include "progresswidget.h"
#include "projectconfig.h"
#include "romuimode.h"
#include "tempappdir.h"
#include "tiptabwidget.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDesktopServices>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QMessageBox>
#include <QProgressBar>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTimer>
#include <QTranslator>
#include <QUrl>

using namespace DevelopViews;

// Receives what the window hands to the desktop's default handler.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls << url; }
};

class TestMainWindow : public QObject
{
    Q_OBJECT

    std::unique_ptr<TempAppDir> m_app;

    static void setLanguage(int value)
    {
        GlobalSetting::instance().setLanguage(value);
    }
    static QStringList lines(LogDock* dock)
    {
        dock->browser()->flushPending();
        return dock->browser()->toPlainText().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    static QString lastLine(LogDock* dock) { return lines(dock).value(lines(dock).size() - 1); }
    static QColor lastColour(LogDock* dock)
    {
        dock->browser()->flushPending();
        return dock->browser()->document()->lastBlock().begin().fragment().charFormat().foreground().color();
    }
    // Answers the next modal message box with the button whose text is given;
    // its title and text go to *seen.
    static void answerNextBox(const QString& button, QStringList* seen)
    {
        QTimer::singleShot(0, [button, seen] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) {
                answerNextBox(button, seen);
                return;
            }
            *seen << box->windowTitle() << box->text();
            for (QAbstractButton* b : box->buttons()) {
                if (b->text() == button) {
                    b->click();
                    return;
                }
            }
            box->reject();
        });
    }

private slots:
    void init()
    {
        m_app = std::make_unique<TempAppDir>();
        QVERIFY(m_app->isValid());
    }
    void cleanup() { m_app.reset(); }

    void chineseAtStartThenEnglish()
    {
        setLanguage(0);
        MainWindow w;
        QVERIFY(w.chineseAction()->isChecked());
        QVERIFY(!w.englishAction()->isChecked());
        QVERIFY(!w.translator()->isEmpty());
        QCOMPARE(w.menuBar()->actions().at(0)->text(), QStringLiteral("视图"));
        QCOMPARE(w.logDock()->windowTitle(), QStringLiteral("日志窗口"));

        w.englishAction()->trigger();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
        QVERIFY(w.englishAction()->isChecked());
        QVERIFY(!w.chineseAction()->isChecked());
        QCOMPARE(GlobalSetting::instance().language(), 1);
        QSettings file(GlobalSetting::filePath(), QSettings::IniFormat);
        QCOMPARE(file.value(QStringLiteral("Base/Language")).toInt(), 1);
        QCOMPARE(w.languageMenu()->title(), QStringLiteral("Language"));
        QCOMPARE(w.menuBar()->actions().at(0)->text(), QStringLiteral("Views"));
        QCOMPARE(w.logDock()->windowTitle(), QStringLiteral("Log Window"));
        QCOMPARE(w.centralView()->tabWidget()->tabText(0), QStringLiteral("Burn Configuration"));

        w.chineseAction()->trigger();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
        QCOMPARE(GlobalSetting::instance().language(), 0);
        QCOMPARE(w.languageMenu()->title(), QStringLiteral("语言"));
        QCOMPARE(w.centralView()->tabWidget()->tabText(0), QStringLiteral("烧录配置"));
    }

    // Started in English; a run's start and end reach the log, the overlay and the
    // notification (the texts and colours of each result are tst_viewtext's); the
    // overlay follows the statuses and the window's size.
    void englishAtStartRunAndOverlay()
    {
        setLanguage(1);
        MainWindow w;
        QVERIFY(w.englishAction()->isChecked());
        QVERIFY(!w.chineseAction()->isChecked());
        QCOMPARE(w.languageMenu()->title(), QStringLiteral("Lanugage"));
        QCOMPARE(w.centralView()->tabWidget()->tabText(0), QStringLiteral("Program Config"));
        QCOMPARE(w.windowTitle(), QStringLiteral("Veltrix Krel"));
        QCOMPARE(w.size(), QSize(1280, 720));
        w.show();
        LoadingWidget* overlay = w.loadingWidget();
        QVERIFY(!overlay->isVisible());

        w.logDock()->slotClearAllText();
        QSignalSpy notify(&w, &MainWindow::signalCmdRunFinishedNotify);
        w.slotCmdRunStarted(true);
        QVERIFY(overlay->isVisible());
        emit w.romUiMode()->signalRunFinished(false, QVariantMap());
        QVERIFY(!overlay->isVisible());
        const QStringList shown = lines(w.logDock());
        QCOMPARE(shown.size(), 2);
        QVERIFY(shown.at(0).endsWith(QStringLiteral("] Commands run start!")));
        QVERIFY(shown.at(1).endsWith(QStringLiteral("] Commands run finish! Result: failed!")));
        QCOMPARE(lastColour(w.logDock()), QColor(Qt::red));
        QCOMPARE(notify.count(), 1);
        QCOMPARE(notify.at(0).at(0).toBool(), false);

        emit w.romUiMode()->signalWriteConfigStatus(1);
        QVERIFY(overlay->isVisible());
        QCOMPARE(overlay->progressWidget()->bar()->maximum(), 0);
        QCOMPARE(overlay->stepLabel()->text(), QStringLiteral("Please wait while loading..."));
        emit w.romUiMode()->signalCustomStatus(0);
        QVERIFY(!overlay->isVisible());

        emit w.romUiMode()->signalRunStarted(true);
        QVERIFY(overlay->isVisible());
        emit w.romUiMode()->callbackDownloadTaskUpdate(QStringLiteral("run"), { 0, 0, 0, 1, 2, 4, 4 });
        QCOMPARE(overlay->progressWidget()->bar()->value(), 50);
        QCOMPARE(overlay->progressWidget()->label()->text(), QStringLiteral("50.00%"));
        QCOMPARE(overlay->stepLabel()->text(), QStringLiteral("Run 1st command, the number of commands is 2"));
        emit w.romUiMode()->signalSetLoadingWidgetHided();
        QVERIFY(!overlay->isVisible());

        w.resize(1000, 640);
        QCOMPARE(overlay->size(), w.size());
        emit w.romUiMode()->signalWriteConfigStatus(-2);
        QVERIFY(!overlay->isVisible());
    }

    // Each level in the view with the time prefix, and in the log file at its severity
    // (level 4 only in the view); an empty line is dropped; the title's button clears.
    void logLinesAndFileSeverity()
    {
        LogDock dock;
        LogCapture catcher;
        const int types[] = {QtDebugMsg, QtInfoMsg, QtWarningMsg, QtCriticalMsg, -1};
        for (int level = 0; level <= 4; ++level)
            dock.slotAddLogs(QStringLiteral("say \"hi\" %1").arg(level), LogLevel(level));
        dock.slotAddLogs(QString(), LogError);
        dock.waitForLogFile();
        for (int level = 0; level <= 4; ++level) {
            for (QtMsgType t : {QtDebugMsg, QtInfoMsg, QtWarningMsg, QtCriticalMsg})
                QCOMPARE(catcher.texts(t).contains(QStringLiteral("say \"hi\" %1").arg(level)), int(t) == types[level]);
        }
        QCOMPARE(lines(&dock).size(), 5);
        QVERIFY(QRegularExpression(QStringLiteral("^\\[\\d\\d:\\d\\d:\\d\\d\\] say \"hi\" 4$")).match(lastLine(&dock)).hasMatch());
        dock.titleWidget()->findChild<QAbstractButton*>(QStringLiteral("DeleteBtn"))->click();
        QVERIFY(dock.browser()->document()->isEmpty());
    }

    void logViewStaysBoundedAndFollows()
    {
        LogDock dock;
        dock.resize(600, 200);
        dock.show();
        PlainTextBrowser* view = dock.browser();
        for (int i = 0; i < PlainTextBrowser::MaxLines + 500; ++i)
            dock.slotAddLogs(QStringLiteral("line %1").arg(i));
        QTRY_COMPARE_WITH_TIMEOUT(view->pendingCount(), 0, 60000); // in batches, without asking
        QCOMPARE(view->document()->blockCount(), PlainTextBrowser::MaxLines);
        QVERIFY(view->document()->lastBlock().text().endsWith(QStringLiteral("line %1").arg(PlainTextBrowser::MaxLines + 499)));
        QScrollBar* bar = view->verticalScrollBar();
        QCOMPARE(bar->value(), bar->maximum());

        bar->setValue(bar->maximum() / 2);
        QVERIFY(!view->isFollowing());
        const int held = bar->value();
        dock.slotAddLogs(QStringLiteral("more"));
        view->flushPending();
        QVERIFY(bar->value() <= held);
        QVERIFY(bar->value() < bar->maximum());

        bar->setValue(bar->maximum());
        QVERIFY(view->isFollowing());
        dock.slotAddLogs(QStringLiteral("more again"));
        view->flushPending();
        QCOMPARE(bar->value(), bar->maximum());
    }

    // The central widget's enable rule and relays, then the user manual, on one window.
    void centralWidgetAndUserManual()
    {
        setLanguage(1);
        MainWindow w;
        CentralWidget* central = w.centralView();
        QVERIFY(central->isEnabled());
        emit w.deviceDock()->signalDeviceSetConnectStatus(false);
        QVERIFY(!central->isEnabled());
        QVERIFY(!central->programmeTab()->isEnabled());
        emit w.deviceDock()->signalDeviceSetConnectStatus(true);
        QVERIFY(central->programmeTab()->isEnabled());

        QSignalSpy relay(central, &CentralWidget::signalWriteConfigTask);
        const QList<QPair<QString, QString>> files{{QStringLiteral("/a.bin"), QStringLiteral("a.bin")}};
        auto* tab = central->programmeTab();
        QVERIFY(tab);
        emit tab->signalWriteConfigRun(1, files, QStringLiteral("/drive"));
        QCOMPARE(relay.count(), 1);
        QCOMPARE(relay.at(0).at(0).toInt(), 1);
        QCOMPARE(relay.at(0).at(2).toString(), QStringLiteral("/drive"));

        w.logDock()->slotClearAllText();
        emit tab->signalAddLogs(QStringLiteral("from the tab"), LogInfo);
        QVERIFY(lastLine(w.logDock()).endsWith(QStringLiteral("] from the tab")));

        // The user manual: a missing one is named; a present one goes to the desktop.
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "open");
        const QString path = MainWindow::userManualPath();
        QCOMPARE(path, m_app->path() + QStringLiteral("/doc/user_manual.html"));

        w.slotMenuBarUserGuideClicked();
        QVERIFY(catcher.urls.isEmpty());
        QCOMPARE(lastLine(w.logDock()).section(QStringLiteral("] "), 1), QStringLiteral("Can not find document ") + path);
        QCOMPARE(lastColour(w.logDock()), QColor(Qt::red));
        auto* box = w.findChild<QMessageBox*>();
        QVERIFY(box && box->text().contains(path));
        box->close();

        QVERIFY(writeFile(path, QByteArray()));
        w.slotMenuBarUserGuideClicked();
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        QCOMPARE(catcher.urls.size(), 1);
        QCOMPARE(catcher.urls.at(0).toLocalFile(), path);
    }

    void closingAsksOnlyAboutQueuedOtpWords()
    {
        setLanguage(1);
        MainWindow w;
        w.show();
        ProjectConfig::instance().setShowOtpWriteViewTips(false);
        QVERIFY(w.close()); // a question here would block the close
        QVERIFY(!QApplication::activeModalWidget());

        w.show();
        QSignalSpy closeDevice(w.deviceDock(), &DeviceDock::signalCloseEvent);
        ProjectConfig::instance().setShowOtpWriteViewTips(true);
        QStringList seen;
        answerNextBox(QStringLiteral("Enter OTP write view"), &seen);
        QVERIFY(!w.close());
        QVERIFY(w.isVisible());
        QCOMPARE(closeDevice.count(), 1);
        QCOMPARE(seen.value(0), QStringLiteral("OTP Warning"));
        QCOMPARE(seen.value(1),
            QStringLiteral("There are OTP words in OTP write view, please ensure that words are wrote or synchronized "
                           "to batch command list!"));

        seen.clear();
        answerNextBox(QStringLiteral("Quit"), &seen);
        QVERIFY(w.close());
        QCOMPARE(seen.size(), 2);
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
