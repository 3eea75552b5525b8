// Turns what udev tells about a hidraw device into the detector's facts. Pure: the
// Linux source copies properties and attributes into a plain map, tests feed the map.
#pragma once

#include "hotplugsource.h"

#include <QMap>
#include <QString>

namespace UdevHid {

// Keys of the map.
inline constexpr char DevNode[] = "DEVNAME"; // hidraw node, "/dev/hidraw3" (a bare "hidraw3" is read as /dev/)
inline constexpr char DevPath[] = "DEVPATH"; // sysfs path of the hidraw device; removals still carry it
inline constexpr char HidId[] = "HID_ID"; // hid parent: "bus:vendor:product" in hex, e.g. "0003:000034B7:00001000"
inline constexpr char HidName[] = "HID_NAME"; // hid parent: manufacturer and product in one text
inline constexpr char HidPhys[] = "HID_PHYS"; // hid parent: physical location, e.g. "usb-0000:00:14.0-2/input0"
inline constexpr char HidUniq[] = "HID_UNIQ"; // hid parent: serial or address, often empty
inline constexpr char UsbVendor[] = "usb_device/idVendor"; // hex, e.g. "34b7"
inline constexpr char UsbProduct[] = "usb_device/idProduct"; // hex
inline constexpr char UsbProductString[] = "usb_device/product";
inline constexpr char UsbInterface[]
    = "usb_interface/sysname"; // "<bus>-<port path>:<config>.<interface>", e.g. "1-2:1.0"

struct Record
{
    QString devicePath; // the hidraw node; empty when the map names none
    HidFacts facts;
};

// The record the map describes. The USB parent wins; without it (a removal, or a HID
// device not on USB) the ids come from HID_ID or DEVPATH and the port part from DEVPATH,
// HID_UNIQ, HID_PHYS or the node name, in that order.
Record recordFromProperties(const QMap<QString, QString>& props);

// "HID\VID_XXXX&PID_XXXX\<port part>", upper case like the Windows instance ids.
QString instanceId(quint32 vendorId, quint32 productId, const QString& portPart);

} // namespace UdevHid

namespace UdevHid {

// What the Linux source remembers between udev events: the facts each node's arrival
// or listing recorded, so that a removal, whose USB parent is already gone, still gives
// the instance id the arrival had. Kept apart from libudev so tests can replay events.
class Book
{
public:
    // One monitor event. Arrivals and removals of hidraw devices (props describe them)
    // and of tty devices (sysname is the port name) go to notify; other actions and
    // subsystems are dropped. A removed node is forgotten once notify has returned.
    void onEvent(const QByteArray& action, const QByteArray& subsystem, const QString& sysname,
        const QMap<QString, QString>& props, const HotplugSource::Notify& notify);

    // A device found by a listing or a lookup.
    void remember(const Record& record);

    // The facts for path. now is what udev says about path at this moment (an empty
    // devicePath when it has no such device); on removal it is not consulted.
    HotplugSource::Lookup identify(const QString& path, bool isArrival, const Record& now, HidFacts* facts);

    bool knows(const QString& path) const { return m_known.contains(path); }

private:
    QMap<QString, HidFacts> m_known; // by device node
};

} // namespace UdevHid
