// The Linux hot-plug source: a udev monitor for the hidraw and tty subsystems, read on
// the GUI thread through a socket notifier, and udev enumeration for the present devices.
#include "hotplugsource.h"
#include "accesshints.h"
#include "udevhidrecord.h"

#include <QDebug>
#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <libudev.h>
#include <unistd.h>

namespace {

struct UdevUnref
{
    void operator()(udev* u) const { udev_unref(u); }
    void operator()(udev_monitor* m) const { udev_monitor_unref(m); }
    void operator()(udev_enumerate* e) const { udev_enumerate_unref(e); }
    void operator()(udev_device* d) const { udev_device_unref(d); }
};
template <typename T> using UdevPtr = std::unique_ptr<T, UdevUnref>;

void put(QMap<QString, QString>& map, const char* key, const char* value)
{
    if (value)
        map.insert(QString::fromLatin1(key), QString::fromUtf8(value));
}

// Copies what the record needs from a hidraw device and its parents. After a removal
// the parents are gone from sysfs; DEVNAME and DEVPATH come with the event itself.
QMap<QString, QString> collect(udev_device* dev)
{
    QMap<QString, QString> map;
    put(map, UdevHid::DevNode, udev_device_get_devnode(dev));
    put(map, UdevHid::DevPath, udev_device_get_devpath(dev));
    if (udev_device* hid = udev_device_get_parent_with_subsystem_devtype(dev, "hid", nullptr)) {
        put(map, UdevHid::HidId, udev_device_get_property_value(hid, "HID_ID"));
        put(map, UdevHid::HidName, udev_device_get_property_value(hid, "HID_NAME"));
        put(map, UdevHid::HidPhys, udev_device_get_property_value(hid, "HID_PHYS"));
        put(map, UdevHid::HidUniq, udev_device_get_property_value(hid, "HID_UNIQ"));
    }
    if (udev_device* intf = udev_device_get_parent_with_subsystem_devtype(dev, "usb", "usb_interface"))
        put(map, UdevHid::UsbInterface, udev_device_get_sysname(intf));
    if (udev_device* usb = udev_device_get_parent_with_subsystem_devtype(dev, "usb", "usb_device")) {
        put(map, UdevHid::UsbVendor, udev_device_get_sysattr_value(usb, "idVendor"));
        put(map, UdevHid::UsbProduct, udev_device_get_sysattr_value(usb, "idProduct"));
        put(map, UdevHid::UsbProductString, udev_device_get_sysattr_value(usb, "product"));
    }
    return map;
}

// The node is listed either way; this only leaves a trace for a later open failure.
void noteAccess(const QString& node)
{
    if (node.isEmpty())
        return;
    if (::access(node.toLocal8Bit().constData(), R_OK | W_OK) != 0) {
        const int err = errno;
        const QString reason = QString::fromLocal8Bit(std::strerror(err));
        qInfo().noquote() << QStringLiteral("Device node %1 is listed but not open to this user (%2): %3")
                                 .arg(node, reason,
                                     QLatin1String(node.contains(QLatin1String("hidraw")) ? AccessHints::Hid
                                                                                           : AccessHints::Serial));
    }
}

class UdevHotplugSource : public HotplugSource
{
public:
    UdevHotplugSource()
        : m_udev(udev_new())
    { }

    bool start(Notify notify, QString* error) override
    {
        m_notify = std::move(notify);
        if (!m_udev) {
            *error = QStringLiteral("udev is not available");
            return false;
        }
        // "udev", not "kernel": events come after udev's rules have set the node's permissions.
        m_monitor.reset(udev_monitor_new_from_netlink(m_udev.get(), "udev"));
        if (!m_monitor) {
            *error = QStringLiteral("cannot create a udev monitor");
            return false;
        }
        if (udev_monitor_filter_add_match_subsystem_devtype(m_monitor.get(), "hidraw", nullptr) < 0
            || udev_monitor_filter_add_match_subsystem_devtype(m_monitor.get(), "tty", nullptr) < 0
            || udev_monitor_enable_receiving(m_monitor.get()) < 0) {
            *error = QStringLiteral("cannot receive udev events");
            m_monitor.reset();
            return false;
        }
        const int fd = udev_monitor_get_fd(m_monitor.get());
        if (fd < 0) {
            *error = QStringLiteral("the udev monitor has no socket");
            m_monitor.reset();
            return false;
        }
        m_notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
        QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(), [this] { readEvent(); });
        return true;
    }

    bool presentHidPaths(QStringList* paths, QString* error) override
    {
        if (!m_udev) {
            *error = QStringLiteral("udev is not available");
            return false;
        }
        UdevPtr<udev_enumerate> en(udev_enumerate_new(m_udev.get()));
        if (!en || udev_enumerate_add_match_subsystem(en.get(), "hidraw") < 0) {
            *error = QStringLiteral("cannot start a udev enumeration");
            return false;
        }
        const int rc = udev_enumerate_scan_devices(en.get());
        if (rc < 0) {
            *error = QStringLiteral("udev enumeration failed: %1").arg(QString::fromLocal8Bit(std::strerror(-rc)));
            return false;
        }
        udev_list_entry* entry = nullptr;
        udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(en.get()))
        {
            // A device that left between the scan and this read is simply not present.
            UdevPtr<udev_device> dev(udev_device_new_from_syspath(m_udev.get(), udev_list_entry_get_name(entry)));
            if (!dev)
                continue;
            const UdevHid::Record rec = UdevHid::recordFromProperties(collect(dev.get()));
            if (rec.devicePath.isEmpty())
                continue;
            m_book.remember(rec);
            noteAccess(rec.devicePath);
            paths->append(rec.devicePath);
        }
        return true;
    }

    Lookup identify(const QString& path, bool isArrival, HidFacts* facts) override
    {
        if (!m_udev)
            return Lookup::Unavailable;
        UdevHid::Record now;
        if (isArrival) {
            const QByteArray sysname = path.section(QLatin1Char('/'), -1).toLocal8Bit();
            UdevPtr<udev_device> dev(
                udev_device_new_from_subsystem_sysname(m_udev.get(), "hidraw", sysname.constData()));
            if (dev)
                now = UdevHid::recordFromProperties(collect(dev.get()));
        }
        return m_book.identify(path, isArrival, now, facts);
    }

private:
    void readEvent()
    {
        // One device per wake-up; the notifier fires again while more are queued.
        UdevPtr<udev_device> dev(udev_monitor_receive_device(m_monitor.get()));
        if (!dev)
            return;
        const QByteArray action = udev_device_get_action(dev.get());
        const QByteArray subsystem = udev_device_get_subsystem(dev.get());
        QMap<QString, QString> props;
        if (subsystem == "hidraw") {
            props = collect(dev.get());
            if (action == "add")
                noteAccess(UdevHid::recordFromProperties(props).devicePath);
        }
        // A receiver that runs a nested event loop (a message box) must not re-enter here.
        m_notifier->setEnabled(false);
        m_book.onEvent(action, subsystem, QString::fromUtf8(udev_device_get_sysname(dev.get())), props, m_notify);
        m_notifier->setEnabled(true);
    }

    UdevPtr<udev> m_udev;
    UdevPtr<udev_monitor> m_monitor;
    std::unique_ptr<QSocketNotifier> m_notifier; // declared after the monitor: goes first
    Notify m_notify;
    UdevHid::Book m_book;
};

} // namespace

std::unique_ptr<HotplugSource> createPlatformHotplugSource()
{
    return std::make_unique<UdevHotplugSource>();
}
