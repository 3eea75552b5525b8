// The ROM workbench: a second top-level window over the Krel window's parts that
// makes the ROM path usable. A device panel runs connection tests (loading the
// bootloader firmware into a plain ROM), the tabs run their command lists on the
// connected device through the orchestrator, the log dock shows every line and
// the overlay covers the window while a run lasts.
#pragma once

#include "records.h"

#include <QMainWindow>
#include <QSet>
#include <QVariantMap>
#include <memory>

class QAction;
class QDockWidget;
class QMenu;
class QTranslator;
class HotplugSource;

namespace RomCmd {
class RomUiMode;
}

namespace DevelopViews {

class LoadingWidget;
class LogDock;
class RomCentralWidget;
class RomDevicePanel;

class RomWorkbenchWindow : public QMainWindow
{
    Q_OBJECT
public:
    // Watches the system's hot-plug source.
    explicit RomWorkbenchWindow(QWidget* parent = nullptr);
    // Watches the given source (tests).
    explicit RomWorkbenchWindow(std::unique_ptr<HotplugSource> source, QWidget* parent = nullptr);
    ~RomWorkbenchWindow() override;

    // "<tool> ROM Workbench", translated.
    static QString titleText();

    RomCmd::RomUiMode* romUiMode() const { return m_romUiMode; }
    RomCentralWidget* centralView() const { return m_centralWidget; }
    RomDevicePanel* devicePanel() const { return m_devicePanel; }
    QDockWidget* deviceDock() const { return m_deviceDock; }
    LogDock* logDock() const { return m_logDock; }
    LoadingWidget* loadingWidget() const { return m_loadingWidget; }
    QAction* stopAction() const { return m_stopAction; }
    QAction* programSettingsAction() const { return m_programSettingsAction; }
    QAction* globalSettingsAction() const { return m_globalSettingsAction; }
    QAction* englishAction() const { return m_englishAction; }
    QAction* chineseAction() const { return m_chineseAction; }

signals:
    void signalRefreshDevice();

public slots:
    // Asks the running jobs to stop after their current chunk.
    void slotStopClicked();
    void slotRunDeviceChanged(QVariant info, EDeviceType type, bool connected);
    void slotProgramSettingsClicked();
    void slotGlobalSettingsClicked();
    void slotAboutClicked();
    void slotLanguageClicked();
    void slotCmdRunStarted(bool isShowProgress);
    void slotCmdRunFinished(bool result, QVariantMap resultInfoMap);
    void slotConnectTestFinished(QVariant info, EDeviceType type, bool result, QVariantMap stepResultInfoMap);
    void slotSetLoadingWidgetHided();
    void slotSetLoadingShowProgress(bool isShowProgress);

protected:
    bool nativeEvent(const QByteArray& eventType, void* message, long* result) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // Asks about OTP words not yet written; the index of the answer (0 show the
    // write view, 1 quit). Tests answer it themselves.
    virtual int askAboutOtpWords();

private:
    void build();
    void buildMenus();
    void retranslate();
    void connectParts();
    void loadLanguage(int languageSetting);

    RomCmd::RomUiMode* m_romUiMode = nullptr;
    QTranslator* m_translator = nullptr;
    RomCentralWidget* m_centralWidget = nullptr;
    QDockWidget* m_deviceDock = nullptr;
    RomDevicePanel* m_devicePanel = nullptr;
    LogDock* m_logDock = nullptr;
    LoadingWidget* m_loadingWidget = nullptr;
    QMenu* m_deviceMenu = nullptr;
    QAction* m_connectAction = nullptr;
    QAction* m_disconnectAction = nullptr;
    QAction* m_stopAction = nullptr;
    QSet<QString> m_failedTestRuns; // linked runs of connection tests that found no usable device
    QMenu* m_settingsMenu = nullptr;
    QMenu* m_viewsMenu = nullptr;
    QMenu* m_helpMenu = nullptr;
    QMenu* m_languageMenu = nullptr;
    QAction* m_programSettingsAction = nullptr;
    QAction* m_globalSettingsAction = nullptr;
    QAction* m_englishAction = nullptr;
    QAction* m_chineseAction = nullptr;
    QAction* m_aboutAction = nullptr;
};

} // namespace DevelopViews
