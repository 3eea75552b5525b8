#include "globalsetting.h"

#include "apppaths.h"
#include "stalelock.h"

#include <QDebug>
#include <QSettings>

namespace {
const char kGroup[] = "Base";

// Values are converted from their text, as the file holds them (QSettings
// hands back cached typed values for keys written in this process).
int readInt(const QSettings& s, const char* key)
{
    return s.value(QLatin1String(key), QString()).toString().toInt();
}

// Booleans are stored as integers; only exactly 1 reads as true.
bool readBool(const QSettings& s, const char* key)
{
    return s.value(QLatin1String(key), QString()).toString().toInt() == 1;
}
} // namespace

GlobalSetting& GlobalSetting::instance()
{
    static GlobalSetting s_instance;
    return s_instance;
}

GlobalSetting::GlobalSetting() = default;
GlobalSetting::~GlobalSetting() = default;

QString GlobalSetting::filePath()
{
    return AppPaths::configDir() + QStringLiteral("/config.ini");
}

void GlobalSetting::load()
{
    std::lock_guard<std::mutex> locker(m_lock);
    m_settings.reset(new QSettings(filePath(), QSettings::IniFormat));
    m_settings->setIniCodec("UTF-8");
    QSettings& s = *m_settings;
    GlobalSettingInfo info;
    s.beginGroup(QLatin1String(kGroup));
    info.language = readInt(s, "Language");
    info.fwLoadType = readInt(s, "FwLoadType");
    info.fwLoadUseCustomBaudRate = readBool(s, "FwLoadUseCustomBaudRate");
    // Read unsigned: a stored "-1" does not convert and gives 0, both mean the default.
    info.cmdTimeout = static_cast<qint32>(s.value(QStringLiteral("CmdTimeout"), QString()).toString().toUInt());
    info.autoAddPort = readBool(s, "AutoAddPort");
    info.enableAllSoCs = readBool(s, "EnableAllSoCs");
    info.downloadAllStateDevices = readBool(s, "DownloadAllStateDevices");
    s.endGroup();
    m_info = info;
    qInfo().noquote() << "Settings file:" << s.fileName();
}

GlobalSettingInfo GlobalSetting::info() const
{
    std::lock_guard<std::mutex> locker(m_lock);
    return m_info;
}

void GlobalSetting::flushLocked()
{
    if (!m_settings)
        return;
    // A lock left by a killed writer would hold sync() up for 30 s; a live
    // owner that keeps it past the wait leaves the change for the next write.
    if (!StaleLock::takeOver(m_settings->fileName() + QStringLiteral(".lock"), m_lockWaitMs)) {
        qWarning().noquote() << "Settings file is locked by another process, not written now:"
                             << m_settings->fileName();
        return;
    }
    // QSettings writes INI files through QSaveFile (atomic rename), so a crash
    // during the write leaves the previous file whole.
    m_settings->sync();
    if (m_settings->status() != QSettings::NoError)
        qWarning().noquote() << "Cannot write settings file:" << m_settings->fileName();
}

void GlobalSetting::save(const GlobalSettingInfo& info)
{
    std::lock_guard<std::mutex> locker(m_lock);
    m_info = info;
    if (!m_settings)
        return;
    QSettings& s = *m_settings;
    s.beginGroup(QLatin1String(kGroup));
    s.setValue(QStringLiteral("Language"), info.language);
    s.setValue(QStringLiteral("FwLoadType"), info.fwLoadType);
    s.setValue(QStringLiteral("FwLoadUseCustomBaudRate"), info.fwLoadUseCustomBaudRate ? 1 : 0);
    s.setValue(QStringLiteral("CmdTimeout"), info.cmdTimeout);
    s.setValue(QStringLiteral("AutoAddPort"), info.autoAddPort ? 1 : 0);
    s.setValue(QStringLiteral("DownloadAllStateDevices"), info.downloadAllStateDevices ? 1 : 0);
    s.setValue(QStringLiteral("EnableAllSoCs"), info.enableAllSoCs ? 1 : 0);
    s.endGroup();
    flushLocked();
}

void GlobalSetting::setLanguage(int language)
{
    std::lock_guard<std::mutex> locker(m_lock);
    m_info.language = language;
    if (!m_settings)
        return;
    m_settings->setValue(QStringLiteral("Base/Language"), language);
    flushLocked();
}

void GlobalSetting::setAutoAddPort(bool enable)
{
    std::lock_guard<std::mutex> locker(m_lock);
    m_info.autoAddPort = enable;
    if (!m_settings)
        return;
    m_settings->setValue(QStringLiteral("Base/AutoAddPort"), enable ? 1 : 0);
    flushLocked();
}

int GlobalSetting::language() const
{
    std::lock_guard<std::mutex> locker(m_lock);
    return m_info.language;
}

int GlobalSetting::fwLoadType() const
{
    std::lock_guard<std::mutex> locker(m_lock);
    return m_info.fwLoadType;
}

bool GlobalSetting::fwLoadUseCustomBaudRate() const
{
    std::lock_guard<std::mutex> locker(m_lock);
    return m_info.fwLoadUseCustomBaudRate;
}

int GlobalSetting::cmdTimeout() const
{
    std::lock_guard<std::mutex> locker(m_lock);
    return m_info.cmdTimeout;
}

bool GlobalSetting::autoAddPort() const
{
    std::lock_guard<std::mutex> locker(m_lock);
    return m_info.autoAddPort;
}

bool GlobalSetting::enableAllSoCs() const
{
    std::lock_guard<std::mutex> locker(m_lock);
    return m_info.enableAllSoCs;
}

bool GlobalSetting::downloadAllStateDevices() const
{
    std::lock_guard<std::mutex> locker(m_lock);
    return m_info.downloadAllStateDevices;
}

void GlobalSetting::resetForTests()
{
    std::lock_guard<std::mutex> locker(m_lock);
    m_settings.reset();
    m_info = GlobalSettingInfo();
    m_lockWaitMs = DefaultLockWaitMs;
}

void GlobalSetting::setLockWaitForTests(int ms)
{
    std::lock_guard<std::mutex> locker(m_lock);
    m_lockWaitMs = ms;
}
