#include "detectdeviceswin.h"

#include "constants.h"

#include <QDebug>

namespace {
const char* flagText(bool b)
{
    return b ? "true" : "false";
}
} // namespace

DetectDevicesWin::DetectDevicesWin(QObject* parent)
    : DetectDevicesWin(createPlatformHotplugSource(), parent)
{ }

DetectDevicesWin::DetectDevicesWin(std::unique_ptr<HotplugSource> source, QObject* parent)
    : QObject(parent)
    , m_source(std::move(source))
{
    m_registered = m_source->start([this](const DeviceChange& change) { handleDeviceChange(change); }, &m_error);
    if (!m_registered)
        qCritical().noquote() << QStringLiteral("Can't register device notification!") << m_error;
}

DetectDevicesWin::~DetectDevicesWin() = default;

QStringList DetectDevicesWin::interfaceClasses()
{
    return { QStringLiteral("{4D1E55B2-F16F-11CF-88CB-001111000030}") };
}

bool DetectDevicesWin::nativeEvent(const QByteArray& eventType, void* message)
{
    return m_source->nativeMessage(eventType, message);
}

void DetectDevicesWin::handleDeviceChange(const DeviceChange& change)
{
    if (change.event != DeviceChange::Arrival && change.event != DeviceChange::RemoveComplete)
        return;
    const bool isArrival = change.event == DeviceChange::Arrival;
    switch (change.deviceType) {
    case DeviceChange::Port:
        qInfo().noquote() << QStringLiteral("Detect serial port device: ") + change.name + QStringLiteral(" Arrival:")
                + QLatin1String(flagText(isArrival));
        break;
    case DeviceChange::Interface: identifyUsbDevice(change.name.toLower(), 0, isArrival); break;
    default: break;
    }
}

void DetectDevicesWin::loadUsbDevices()
{
    QStringList paths;
    QString error;
    if (!m_source->presentHidPaths(&paths, &error)) {
        // Not the same as "no devices": say so instead of showing an empty list silently.
        qCritical().noquote() << QStringLiteral("Cannot list usb devices! ") + error;
        return;
    }
    for (const QString& path : qAsConst(paths))
        identifyUsbDevice(path, 0, true);
}

QString DetectDevicesWin::instanceStringFromPath(const QString& path)
{
    if (path.size() < 4)
        return QString();
    QString s = path.mid(4);
    s.replace(QLatin1Char('#'), QLatin1Char('\\'));
    return s.toUpper();
}

QString DetectDevicesWin::instanceIdFromPath(const QString& path)
{
    const QString s = instanceStringFromPath(path);
    const int end = s.indexOf(QLatin1String("\\{"));
    return end < 0 ? s : s.left(end);
}

void DetectDevicesWin::identifyUsbDevice(const QString& path, quint32 classIndex, bool isArrival)
{
    qInfo().noquote() << QStringLiteral("Detect usb device: ") + path + QStringLiteral(" Arrival:")
            + QLatin1String(flagText(isArrival));
    if (path.size() < 4) {
        qCritical().noquote() << QStringLiteral("Device Name Format Error!");
        return;
    }

    HidFacts facts;
    const HotplugSource::Lookup found = m_source->identify(path, isArrival, &facts);
    if (found == HotplugSource::Lookup::Unavailable) {
        qCritical().noquote() << QStringLiteral("Cannot get device info!");
        return;
    }

    UsbInfo info;
    info.devicePath = path;
    info.instanceId = facts.instanceId;
    info.classIndex = classIndex;
    info.status = Constants::StatusDetected;
    if (found == HotplugSource::Lookup::Found) {
        info.vendorId = facts.vendorId;
        info.productId = facts.productId;
        info.productString = facts.productString;
        // Concatenated, not arg()-chained: device texts may hold "%1".
        qInfo().noquote() << QStringLiteral("Instance Id: ") + info.instanceId + QStringLiteral(" Vid: ")
                + QString::number(info.vendorId) + QStringLiteral(" Pid: ") + QString::number(info.productId)
                + QStringLiteral(" ProductString: ") + info.productString;
    }
    emit signalUpdateUsbDevice(info, isArrival);
}
