// Where the device detector gets its facts from: the system's hot-plug notifications
// and its device lookups. The program uses the platform source; tests and the demo
// build use ScriptedHotplugSource, so the detector's logic runs without hardware.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <functional>
#include <memory>

// One device-change notification: the facts a Windows device-change broadcast carries.
struct DeviceChange
{
    // Events; anything else is ignored by the detector.
    static constexpr quint32 Arrival = 0x8000;
    static constexpr quint32 RemoveComplete = 0x8004;
    static constexpr quint32 NodesChanged = 0x0007; // ignored, listed for tests and sources
    // Device types; anything else is ignored by the detector.
    static constexpr quint32 Port = 3; // a serial port, only logged
    static constexpr quint32 Interface = 5; // a HID interface

    quint32 event = 0;
    quint32 deviceType = 0;
    QString name; // the port name, or the interface path
};

// What the system tells about one HID interface. Unknown fields stay 0 or empty.
struct HidFacts
{
    QString instanceId;
    quint32 vendorId = 0;
    quint32 productId = 0;
    QString productString;
};

class HotplugSource
{
public:
    // Outcome of a lookup.
    enum class Lookup {
        Found, // the device is there; all facts filled
        NotFound, // the device is not (or no longer) there; at most the instance id is filled
        Unavailable // the system's device information could not be obtained
    };
    using Notify = std::function<void(const DeviceChange&)>;

    virtual ~HotplugSource() = default;

    // Starts notifications, delivered through notify on the thread that called start().
    // False when the system refuses; error says why.
    virtual bool start(Notify notify, QString* error) = 0;

    // Interface paths of the HID devices present now. False when the listing itself
    // failed, which is not the same as an empty list.
    virtual bool presentHidPaths(QStringList* paths, QString* error) = 0;

    // Facts about the HID interface at path. On arrival as the system knows the device
    // now; on removal the device is normally gone and only its instance id is known.
    virtual Lookup identify(const QString& path, bool isArrival, HidFacts* facts) = 0;

    // A native window message, for sources that are notified that way. False when the
    // message is not theirs; the caller passes it on to its default handling either way.
    virtual bool nativeMessage(const QByteArray& eventType, void* message)
    {
        Q_UNUSED(eventType)
        Q_UNUSED(message)
        return false;
    }
};

// The source of the system the program is built for (hotplugsource_<system>.cpp).
std::unique_ptr<HotplugSource> createPlatformHotplugSource();
