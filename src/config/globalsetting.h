// The application preferences: seven keys of group "Base" in "config.ini".
// One process-wide object owns the open file and the in-memory record; after
// load() readers ask the object, writers go through it and it writes at once.
#pragma once

#include <mutex>
#include <QString>
#include <memory>

class QSettings;

struct GlobalSettingInfo
{
    qint32 language = 0;    // 1 English, anything else Chinese
    qint32 fwLoadType = 0;  // 0 by life cycle, 1 unsigned, 2 signed firmware
    bool fwLoadUseCustomBaudRate = false;
    qint32 cmdTimeout = 0;  // ms; below 1 means the runner's default
    bool autoAddPort = false;
    bool enableAllSoCs = false;
    bool downloadAllStateDevices = false;
};

class GlobalSetting
{
public:
    static GlobalSetting& instance();

    // Opens the settings file and reads the seven keys; a missing file gives
    // the absent values. Calling it again reopens the file (tests).
    void load();

    GlobalSettingInfo info() const;
    // Replaces the record and writes all seven keys, then flushes.
    void save(const GlobalSettingInfo& info);
    // Single-key writers: only that key changes in the file.
    void setLanguage(int language);
    void setAutoAddPort(bool enable);

    int language() const;
    int fwLoadType() const;
    bool fwLoadUseCustomBaudRate() const;
    int cmdTimeout() const;
    bool autoAddPort() const;
    bool enableAllSoCs() const;
    bool downloadAllStateDevices() const;

    // The file load() opens: AppPaths::configDir() + "/config.ini".
    static QString filePath();

    // Tests: closes the file and restores the never-loaded state.
    void resetForTests();
    // Tests: how long a write waits for a settings lock held by a live process.
    void setLockWaitForTests(int ms);

    GlobalSetting(const GlobalSetting&) = delete;
    GlobalSetting& operator=(const GlobalSetting&) = delete;
    ~GlobalSetting();

private:
    GlobalSetting();
    void flushLocked();

    static constexpr int DefaultLockWaitMs = 2000;

    mutable std::mutex m_lock; // guards m_settings, m_info and m_lockWaitMs: workers read the record
    std::unique_ptr<QSettings> m_settings;
    GlobalSettingInfo m_info;
    int m_lockWaitMs = DefaultLockWaitMs;
};
