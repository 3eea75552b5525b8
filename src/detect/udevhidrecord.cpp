#include "udevhidrecord.h"

#include "hex.h"

#include <QRegularExpression>
#include <QStringList>

namespace UdevHid {

namespace {

// USB vendor and product ids are 16 bits wide.
bool parseHex(const QString& text, quint32* value)
{
    const std::optional<quint32> v = Hex::parse32(text);
    if (!v || *v > 0xFFFF)
        return false;
    *value = *v;
    return true;
}

// "0003:000034B7:00001000" (HID_ID) or "0003:34B7:1000.0005" (the hid device's sysfs name).
bool parseBusVidPid(const QString& text, quint32* vid, quint32* pid)
{
    QStringList parts = text.split(QLatin1Char(':'));
    if (parts.size() != 3)
        return false;
    parts[2] = parts[2].section(QLatin1Char('.'), 0, 0);
    quint32 v = 0, p = 0;
    if (!parseHex(parts[1], &v) || !parseHex(parts[2], &p))
        return false;
    *vid = v;
    *pid = p;
    return true;
}

const QRegularExpression& usbInterfaceName()
{
    static const QRegularExpression re(QStringLiteral("^\\d+-\\d+(\\.\\d+)*:\\d+\\.\\d+$"));
    return re;
}

const QRegularExpression& hidDeviceName()
{
    static const QRegularExpression re(QStringLiteral("^[0-9A-Fa-f]{4}:[0-9A-Fa-f]{4}:[0-9A-Fa-f]{4}\\.[0-9A-Fa-f]+$"));
    return re;
}

} // namespace

QString instanceId(quint32 vendorId, quint32 productId, const QString& portPart)
{
    return QStringLiteral("HID\\VID_%1&PID_%2\\%3")
        .arg(vendorId, 4, 16, QLatin1Char('0'))
        .arg(productId, 4, 16, QLatin1Char('0'))
        .arg(portPart)
        .toUpper();
}

Record recordFromProperties(const QMap<QString, QString>& props)
{
    Record r;
    QString node = props.value(QLatin1String(DevNode)).trimmed();
    if (!node.isEmpty() && !node.startsWith(QLatin1Char('/')))
        node.prepend(QLatin1String("/dev/"));
    r.devicePath = node;

    // DEVPATH: .../1-2/1-2:1.0/0003:34B7:1000.0005/hidraw/hidraw3
    QString pathInterface, pathHidDevice;
    const QStringList components = props.value(QLatin1String(DevPath)).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString& c : components) {
        if (usbInterfaceName().match(c).hasMatch())
            pathInterface = c;
        else if (hidDeviceName().match(c).hasMatch())
            pathHidDevice = c;
    }

    const bool onUsb = props.contains(QLatin1String(UsbVendor)) || props.contains(QLatin1String(UsbInterface));
    quint32 vid = 0, pid = 0;
    if (!parseHex(props.value(QLatin1String(UsbVendor)), &vid)
        || !parseHex(props.value(QLatin1String(UsbProduct)), &pid)) {
        if (!parseBusVidPid(props.value(QLatin1String(HidId)), &vid, &pid)
            && !parseBusVidPid(pathHidDevice, &vid, &pid))
            vid = pid = 0;
    }
    r.facts.vendorId = vid;
    r.facts.productId = pid;

    // HID_NAME joins manufacturer and product; it stands in only where there is no USB parent.
    r.facts.productString
        = (onUsb ? props.value(QLatin1String(UsbProductString)) : props.value(QLatin1String(HidName))).trimmed();

    QString port = props.value(QLatin1String(UsbInterface)).trimmed();
    if (port.isEmpty())
        port = pathInterface;
    if (port.isEmpty())
        port = props.value(QLatin1String(HidUniq)).trimmed();
    if (port.isEmpty())
        port = props.value(QLatin1String(HidPhys)).trimmed();
    if (port.isEmpty())
        port = node.section(QLatin1Char('/'), -1);
    // A backslash would add a level to the instance id.
    port.replace(QLatin1Char('\\'), QLatin1Char('_'));
    r.facts.instanceId = instanceId(vid, pid, port);
    return r;
}

} // namespace UdevHid

namespace UdevHid {

void Book::onEvent(const QByteArray& action, const QByteArray& subsystem, const QString& sysname,
    const QMap<QString, QString>& props, const HotplugSource::Notify& notify)
{
    const bool arrival = action == "add";
    if (!arrival && action != "remove")
        return; // change, bind, unbind, move: neither arrival nor removal
    const quint32 event = arrival ? DeviceChange::Arrival : DeviceChange::RemoveComplete;

    if (subsystem == "tty") {
        if (notify)
            notify({ event, DeviceChange::Port, sysname });
        return;
    }
    if (subsystem != "hidraw")
        return;
    const Record rec = recordFromProperties(props);
    if (rec.devicePath.isEmpty())
        return;
    // A removal not seen arriving (present before the program started and never listed)
    // keeps what its own DEVPATH gives.
    if (arrival || !m_known.contains(rec.devicePath))
        m_known.insert(rec.devicePath, rec.facts);
    if (notify)
        notify({ event, DeviceChange::Interface, rec.devicePath });
    if (!arrival)
        m_known.remove(rec.devicePath);
}

void Book::remember(const Record& record)
{
    if (!record.devicePath.isEmpty())
        m_known.insert(record.devicePath, record.facts);
}

HotplugSource::Lookup Book::identify(const QString& path, bool isArrival, const Record& now, HidFacts* facts)
{
    if (!isArrival) {
        facts->instanceId = m_known.value(path).instanceId;
        return HotplugSource::Lookup::NotFound;
    }
    if (now.devicePath == path && !path.isEmpty()) {
        remember(now);
        *facts = now.facts;
        return HotplugSource::Lookup::Found;
    }
    // Gone again before the lookup: the arrival event's record is all there is.
    const auto it = m_known.constFind(path);
    if (it == m_known.constEnd())
        return HotplugSource::Lookup::NotFound;
    *facts = it.value();
    return HotplugSource::Lookup::Found;
}

} // namespace UdevHid
