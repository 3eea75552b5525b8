// The tool's only top-level window: owns the device orchestrator, builds the
// central widget, the device and log docks, the menus and the loading overlay,
// wires them together, switches the language and guards closing.
#pragma once

#include "records.h"

#include <QMainWindow>
#include <QVariantMap>
#include <memory>

class QAction;
class QMenu;
class QTranslator;
class HotplugSource;

namespace RomCmd {
class RomUiMode;
}

namespace DevelopViews {

class CentralWidget;
class DeviceDock;
class LoadingWidget;
class LogDock;

class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    static constexpr const char* Title = "Veltrix Krel";
    // Time the device panel gets to log out of its box when the window closes.
    static constexpr int CloseWaitMs = 500;

    explicit MainWindow(QWidget* parent = nullptr);
    // Devices come from source instead of the system (the demo build's simulated ones).
    explicit MainWindow(std::unique_ptr<HotplugSource> source, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The closing question about OTP words not yet written; true: take the user to them.
    static bool askToEnterOtpWriteView(QWidget* parent);

    RomCmd::RomUiMode* romUiMode() const { return m_romUiMode; }
    CentralWidget* centralView() const { return m_centralWidget; }
    LogDock* logDock() const { return m_logDock; }
    DeviceDock* deviceDock() const { return m_deviceDock; }
    LoadingWidget* loadingWidget() const { return m_loadingWidget; }
    QTranslator* translator() const { return m_translator; }
    QMenu* languageMenu() const { return m_languageMenu; }
    QAction* englishAction() const { return m_englishAction; }
    QAction* chineseAction() const { return m_chineseAction; }

    // Catalogue resource for a language setting: 1 English, anything else Chinese.
    static QString catalogueFor(int languageSetting);
    // Path of the user manual below the application directory.
    static QString userManualPath();

signals:
    void signalRefreshDevice();
    void signalImageEditClicked();
    void signalCmdRunFinishedNotify(bool result, QVariantMap resultInfoMap);

public slots:
    void slotMenuBarUserGuideClicked(bool checked = false);
    void slotMenuBarAboutClicked(bool checked = false);
    void slotMenuBarLanguageClicked(bool checked = false);
    void slotCmdRunStarted(bool isShowProgress);
    void slotCmdRunFinished(bool result, QVariantMap resultInfoMap);
    void slotSetLoadingWidgetHided();
    void slotSetLoadingShowProgress(bool isShowProgress);
    void slotSetLoadingShoworHided(int statue);
    void slotSetWindowtoTop();

protected:
    bool nativeEvent(const QByteArray& eventType, void* message, long* result) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void loadLanguage(const QString& catalogue);
    void buildMenus();
    void retranslateMenus();
    void connectParts();
    void showLoading();
    // Asks about OTP words not yet written; true when the window may close.
    bool confirmCloseWithOtpWords();

    RomCmd::RomUiMode* m_romUiMode = nullptr;
    QTranslator* m_translator = nullptr;
    LoadingWidget* m_loadingWidget = nullptr;
    CentralWidget* m_centralWidget = nullptr;
    LogDock* m_logDock = nullptr;
    DeviceDock* m_deviceDock = nullptr;
    QMenu* m_viewsMenu = nullptr;
    QMenu* m_helpMenu = nullptr;
    QMenu* m_languageMenu = nullptr;
    QAction* m_userGuideAction = nullptr;
    QAction* m_englishAction = nullptr;
    QAction* m_chineseAction = nullptr;
    QAction* m_aboutAction = nullptr;
    bool m_closing = false; // a close is being handled (its wait runs the event loop)
};

} // namespace DevelopViews
