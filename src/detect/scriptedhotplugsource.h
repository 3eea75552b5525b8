// A hot-plug source driven by calls instead of the system: tests and the demo build
// plug and unplug devices with it and the detector reacts as it would to hardware.
#pragma once

#include "hotplugsource.h"

#include <QMap>

class ScriptedHotplugSource : public HotplugSource
{
public:
    // Makes the device present and notifies its arrival. An empty instance id in facts
    // is derived from a Windows-form path the way the detector's rule does.
    void plug(const QString& path, const HidFacts& facts);
    // Makes the device absent and notifies its removal.
    void unplug(const QString& path);
    // Makes the device present without a notification (present before the program started).
    void addPresent(const QString& path, const HidFacts& facts);
    // Notifies a serial-port arrival or removal.
    void portChange(const QString& portName, bool arrival);
    // Delivers any notification as it is.
    void send(const DeviceChange& change);

    // Failures to replay. An empty text means no failure.
    void setStartError(const QString& error) { m_startError = error; }
    void setListingError(const QString& error) { m_listingError = error; }
    void setLookupUnavailable(bool unavailable) { m_lookupUnavailable = unavailable; }

    bool isStarted() const { return bool(m_notify); }
    QStringList presentPaths() const { return m_present.keys(); }

    bool start(Notify notify, QString* error) override;
    bool presentHidPaths(QStringList* paths, QString* error) override;
    Lookup identify(const QString& path, bool isArrival, HidFacts* facts) override;

private:
    HidFacts withInstanceId(const QString& path, HidFacts facts) const;

    Notify m_notify;
    QMap<QString, HidFacts> m_present; // by path, in path order
    QMap<QString, QString> m_seen; // instance id by path, kept after removal like the udev source
    QString m_startError;
    QString m_listingError;
    bool m_lookupUnavailable = false;
};
