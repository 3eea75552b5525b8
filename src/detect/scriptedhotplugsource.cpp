#include "scriptedhotplugsource.h"

#include "detectdeviceswin.h"

HidFacts ScriptedHotplugSource::withInstanceId(const QString& path, HidFacts facts) const
{
    if (facts.instanceId.isEmpty() && path.startsWith(QLatin1String("\\\\?\\")))
        facts.instanceId = DetectDevicesWin::instanceIdFromPath(path);
    return facts;
}

void ScriptedHotplugSource::addPresent(const QString& path, const HidFacts& facts)
{
    const HidFacts f = withInstanceId(path, facts);
    m_present.insert(path, f);
    m_seen.insert(path, f.instanceId);
}

void ScriptedHotplugSource::plug(const QString& path, const HidFacts& facts)
{
    addPresent(path, facts);
    send({ DeviceChange::Arrival, DeviceChange::Interface, path });
}

void ScriptedHotplugSource::unplug(const QString& path)
{
    m_present.remove(path);
    send({ DeviceChange::RemoveComplete, DeviceChange::Interface, path });
}

void ScriptedHotplugSource::portChange(const QString& portName, bool arrival)
{
    send({ arrival ? DeviceChange::Arrival : DeviceChange::RemoveComplete, DeviceChange::Port, portName });
}

void ScriptedHotplugSource::send(const DeviceChange& change)
{
    if (m_notify)
        m_notify(change);
}

bool ScriptedHotplugSource::start(Notify notify, QString* error)
{
    if (!m_startError.isEmpty()) {
        *error = m_startError;
        return false;
    }
    m_notify = std::move(notify);
    return true;
}

bool ScriptedHotplugSource::presentHidPaths(QStringList* paths, QString* error)
{
    if (!m_listingError.isEmpty()) {
        *error = m_listingError;
        return false;
    }
    *paths = m_present.keys();
    return true;
}

HotplugSource::Lookup ScriptedHotplugSource::identify(const QString& path, bool isArrival, HidFacts* facts)
{
    if (m_lookupUnavailable)
        return Lookup::Unavailable;
    // Paths arrive lower-cased from notifications; the script may have used any case.
    for (auto it = m_present.constBegin(); isArrival && it != m_present.constEnd(); ++it) {
        if (it.key().compare(path, Qt::CaseInsensitive) == 0) {
            *facts = it.value();
            return Lookup::Found;
        }
    }
    for (auto it = m_seen.constBegin(); it != m_seen.constEnd(); ++it) {
        if (it.key().compare(path, Qt::CaseInsensitive) == 0) {
            facts->instanceId = it.value();
            return Lookup::NotFound;
        }
    }
    facts->instanceId = withInstanceId(path, {}).instanceId;
    return Lookup::NotFound;
}
