// Shared equipment of the orchestrator tests: a temporary application directory
// with its settings, a one-SoC catalogue, bootloader firmware files, log capture
// and a way to wait until every pool job has ended.
#pragma once

#include "apppaths.h"
#include "globalsetting.h"
#include "projectconfig.h"
#include "records.h"
#include "romuimode.h"
#include "scriptedhotplugsource.h"
#include "socdatabase.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <QThreadPool>
#include <functional>
#include <memory>

namespace RomCmd {
// The orchestrator's test seam: a restart timer's tick without waiting for it.
class RomUiModeTestAccess
{
public:
    static void uartTimerFired(RomUiMode& ui, QTimer* timer) { ui.uartTimerFired(timer); }
    static void usbTimerFired(RomUiMode& ui, QTimer* timer) { ui.usbTimerFired(timer); }
    static int terminateReceivers(RomUiMode& ui) { return ui.receivers(SIGNAL(signalTerminate())); }
};
} // namespace RomCmd

namespace OrchTest {

constexpr const char SocName[] = "A/B";
constexpr const char SeriesFolder[] = "A_B";

// Log lines the orchestrator sent to the log view, with their levels.
struct LogCapture
{
    QList<QPair<QString, int>> lines;
    QObject context; // ends the connection when the capture goes, whatever outlives it

    void attach(RomCmd::RomUiMode& ui)
    {
        QObject::connect(&ui, &RomCmd::RomUiMode::signalAddLogs, &context, [this](const QString& text, LogLevel level) {
            lines.append({ text, int(level) });
        });
    }
    int count(const QString& startsWith, int level = -1) const
    {
        int n = 0;
        for (const auto& l : lines)
            n += l.first.startsWith(startsWith) && (level < 0 || l.second == level);
        return n;
    }
    QString find(const QString& startsWith) const
    {
        for (const auto& l : lines)
            if (l.first.startsWith(startsWith))
                return l.first;
        return QString();
    }
};

// Lists what the test says is plugged in.
class ScriptedPorts : public RomCmd::SerialPortLister
{
public:
    explicit ScriptedPorts(std::function<QStringList()> ports)
        : m_ports(std::move(ports))
    { }
    QStringList portNames() const override { return m_ports(); }

private:
    std::function<QStringList()> m_ports;
};

// Spins the event loop until cond holds; false after timeoutMs (a safety net only).
inline bool waitFor(const std::function<bool()>& cond, int timeoutMs = 30000)
{
    QElapsedTimer t;
    t.start();
    while (!cond()) {
        if (t.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
    return true;
}

// Every pool job has returned and its queued signals have been delivered.
inline bool drainPool(int timeoutMs = 30000)
{
    const bool ok = waitFor([] { return QThreadPool::globalInstance()->activeThreadCount() == 0; }, timeoutMs);
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return ok;
}

// Destroys the orchestrator only once every job has returned and its queued signals
// are delivered, as a main window closing after its work would.
struct DrainFirst
{
    void operator()(RomCmd::RomUiMode* ui) const
    {
        drainPool();
        delete ui;
    }
};
using UiPtr = std::unique_ptr<RomCmd::RomUiMode, DrainFirst>;

inline UiPtr makeUi()
{
    return UiPtr(new RomCmd::RomUiMode(std::make_unique<ScriptedHotplugSource>()));
}

class AppDir
{
public:
    AppDir()
    {
        registerMetaTypes();
        // Every job on a fresh pool thread: the thread sanitizer cannot see the hand-over
        // of a job to a waiting thread inside the (uninstrumented) pool.
        QThreadPool::globalInstance()->setExpiryTimeout(0);
        AppPaths::setAppDirOverride(m_dir.path());
        GlobalSetting::instance().resetForTests();
        GlobalSetting::instance().load();
        ProjectConfig::instance().resetForTests();

        const QString xml = m_dir.filePath(QStringLiteral("socs.xml"));
        QFile f(xml);
        f.open(QIODevice::WriteOnly);
        f.write("<?xml version=\"1.0\" encoding=\"utf-8\"?><configuration><socs>"
                "<soc name=\"A/B\" vid=\"0x34B7\" pid=\"0x0009\" minSocRevision=\"0.1.0\">"
                "<memoryView><memory name=\"OTP\" value=\"0x20000\" /></memoryView></soc>"
                "</socs></configuration>");
        f.close();
        SocDatabase::instance().loadFrom(xml, m_dir.filePath(QStringLiteral("no_exclude_list")));
        ProjectConfig::instance().setSocType(QString::fromLatin1(SocName));
    }
    ~AppDir()
    {
        SocDatabase::instance().resetForTests();
        ProjectConfig::instance().resetForTests();
        GlobalSetting::instance().resetForTests();
        AppPaths::setAppDirOverride(QString());
    }

    QString path() const { return m_dir.path(); }
    QString firmwareFolder() const { return m_dir.path() + QStringLiteral("/bl_fw/") + QLatin1String(SeriesFolder); }

    // Writes a firmware file whose id bytes at 0x90 are idByte, idByte+1, ...
    QByteArray addFirmware(const QString& fileName, uchar idByte = 0x10, int size = 1200) const
    {
        QDir().mkpath(firmwareFolder());
        QByteArray bytes(size, '\0');
        for (int i = 0; i < size; ++i)
            bytes[i] = char(i * 7 + idByte);
        for (int i = 0; i < 8 && 0x90 + i < size; ++i)
            bytes[0x90 + i] = char(idByte + i);
        QFile f(firmwareFolder() + QLatin1Char('/') + fileName);
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        return bytes;
    }

    void setFwLoadType(int type) const
    {
        GlobalSettingInfo info = GlobalSetting::instance().info();
        info.fwLoadType = type;
        GlobalSetting::instance().save(info);
    }

private:
    QTemporaryDir m_dir;
};

} // namespace OrchTest
