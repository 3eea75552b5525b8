// Shared equipment of the orchestrator tests: a temporary application directory
// with its settings, a one-SoC catalogue, bootloader firmware files, log capture
// and a way to wait until every pool job has ended.
#pragma once

#include "romuimode.h"
#include "scriptedhotplugsource.h"
#include "poolwait.h"
#include "tempappdir.h"
#include "testfiles.h"

#include <QDir>
#include <QFile>
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
struct ViewLog
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

using PoolWait::drainPool;
using PoolWait::waitFor;

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

class AppDir : public TempAppDir
{
public:
    AppDir()
        : TempAppDir("<?xml version=\"1.0\" encoding=\"utf-8\"?><configuration><socs>"
                     "<soc name=\"A/B\" vid=\"0x34B7\" pid=\"0x0009\" minSocRevision=\"0.1.0\">"
                     "<memoryView><memory name=\"OTP\" value=\"0x20000\" /></memoryView></soc>"
                     "</socs></configuration>",
            QString::fromLatin1(SocName))
    {
        // Every job on a fresh pool thread: the thread sanitizer cannot see the hand-over
        // of a job to a waiting thread inside the (uninstrumented) pool.
        QThreadPool::globalInstance()->setExpiryTimeout(0);
    }

    QString firmwareFolder() const { return path() + QStringLiteral("/bl_fw/") + QLatin1String(SeriesFolder); }

    // Writes a firmware file whose id bytes at 0x90 are idByte, idByte+1, ...
    QByteArray addFirmware(const QString& fileName, uchar idByte = 0x10, int size = 1200) const
    {
        QByteArray bytes(size, '\0');
        for (int i = 0; i < size; ++i)
            bytes[i] = char(i * 7 + idByte);
        for (int i = 0; i < 8 && 0x90 + i < size; ++i)
            bytes[0x90 + i] = char(idByte + i);
        writeFile(firmwareFolder() + QLatin1Char('/') + fileName, bytes);
        return bytes;
    }

    void setFwLoadType(int type) const
    {
        GlobalSettingInfo info = GlobalSetting::instance().info();
        info.fwLoadType = type;
        GlobalSetting::instance().save(info);
    }
};

} // namespace OrchTest
