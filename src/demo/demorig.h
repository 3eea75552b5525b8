// Everything the demo build adds around the tool's window: a virtual Krel box
// (empty password, its configuration drive and update drive under the user's
// temporary folder), a virtual ROM device on a pseudo-terminal, and the "Demo"
// menu that unplugs and plugs boxes. Tests build it offscreen as the demo does.
#pragma once

#include <QObject>
#include <QString>
#include <memory>

class PtyLink;
class QAction;
class QMenu;
class QTranslator;
class ScriptedHotplugSource;

namespace DevelopViews {
class MainWindow;
}
namespace KrelSim {
class KrelBox;
}
namespace RomSim {
class Engine;
class UartServer;
} // namespace RomSim

class DemoRig : public QObject
{
    Q_OBJECT
public:
    // Version of the box at start and of the firmware new.json offers.
    static constexpr const char BoxVersion[] = "1.0.0";
    static constexpr const char OfferedVersion[] = "1.1.0";

    // Writes what the tool reads below its folder (mcuimage/ with new.json and a
    // firmware file) into root; call before the rig with root as the application folder.
    static bool prepareAppFolder(const QString& root, QString* error = nullptr);

    DemoRig();
    ~DemoRig() override;

    DevelopViews::MainWindow* window() const { return m_window.get(); }
    KrelSim::KrelBox* box() const { return m_box.get(); }
    KrelSim::KrelBox* secondBox() const { return m_second.get(); }
    QString romPort() const;
    QMenu* demoMenu() const { return m_menu; }

public slots:
    void setBoxPlugged(bool plugged);
    void setSecondBoxPlugged(bool plugged);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void attach(KrelSim::KrelBox* box, const QString& instanceId);
    void retranslate();
    void updateActions();

    ScriptedHotplugSource* m_source = nullptr; // owned by the window's orchestrator
    std::unique_ptr<KrelSim::KrelBox> m_box;
    std::unique_ptr<KrelSim::KrelBox> m_second;
    std::unique_ptr<PtyLink> m_link;
    std::unique_ptr<RomSim::Engine> m_engine;
    std::unique_ptr<RomSim::UartServer> m_server;
    std::unique_ptr<DevelopViews::MainWindow> m_window;
    QTranslator* m_translator = nullptr; // the demo's Chinese texts, installed while the window is Chinese
    bool m_translatorInstalled = false;
    QMenu* m_menu = nullptr;
    QAction* m_unplug = nullptr;
    QAction* m_replug = nullptr;
    QAction* m_plugSecond = nullptr;
    QAction* m_unplugSecond = nullptr;
};
