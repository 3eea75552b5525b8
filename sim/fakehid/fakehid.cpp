// The hid_* entry points over the registry of virtual devices. One registry
// mutex guards the device list and open counts; each device has its own mutex
// and condition variable for its input queue. Lock order: registry, then device.

#include "fakehid.h"

#include <hidapi/hidapi.h>

#include <QHash>
#include <QMutex>
#include <QVector>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>
#include <string>

namespace FakeHid {

struct Device::Private
{
    mutable std::mutex mutex;
    std::condition_variable inputReady;
    std::deque<QByteArray> input; // guarded by mutex
    bool readError = false; // guarded by mutex
    bool writeError = false; // guarded by mutex
    bool openError = false; // guarded by mutex
    bool attached = false; // guarded by mutex
    quint64 plugCount = 0; // guarded by mutex; a handle is valid only for the plug it was opened in
    Identity identity; // guarded by mutex
};

// Reaches Device::Private for the registry and the C entry points.
struct Access
{
    static Device::Private& priv(Device& dev) { return *dev.d; }
};

Device::Device()
    : d(new Private)
{ }
Device::~Device() = default;

void Device::queueInput(const QByteArray& report)
{
    {
        std::lock_guard<std::mutex> lock(d->mutex);
        d->input.push_back(report);
    }
    d->inputReady.notify_all();
}

void Device::clearInput()
{
    std::lock_guard<std::mutex> lock(d->mutex);
    d->input.clear();
}

int Device::pendingInput() const
{
    std::lock_guard<std::mutex> lock(d->mutex);
    return int(d->input.size());
}

void Device::setReadError(bool on)
{
    {
        std::lock_guard<std::mutex> lock(d->mutex);
        d->readError = on;
    }
    d->inputReady.notify_all();
}

void Device::setWriteError(bool on)
{
    std::lock_guard<std::mutex> lock(d->mutex);
    d->writeError = on;
}

void Device::setOpenError(bool on)
{
    std::lock_guard<std::mutex> lock(d->mutex);
    d->openError = on;
}

Identity Device::identity() const
{
    std::lock_guard<std::mutex> lock(d->mutex);
    return d->identity;
}

bool Device::isAttached() const
{
    std::lock_guard<std::mutex> lock(d->mutex);
    return d->attached;
}

struct RecordingDevice::State
{
    mutable std::mutex mutex;
    QList<QByteArray> writes; // guarded by mutex
    std::deque<QList<QByteArray>> replies; // guarded by mutex
};

RecordingDevice::RecordingDevice()
    : m_state(new State)
{ }
RecordingDevice::~RecordingDevice() = default;

int RecordingDevice::handleWrite(const QByteArray& report)
{
    QList<QByteArray> reply;
    {
        std::lock_guard<std::mutex> lock(m_state->mutex);
        m_state->writes.append(report);
        if (!m_state->replies.empty()) {
            reply = m_state->replies.front();
            m_state->replies.pop_front();
        }
    }
    for (const QByteArray& r : reply)
        queueInput(r);
    return report.size();
}

QList<QByteArray> RecordingDevice::writes() const
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    return m_state->writes;
}

void RecordingDevice::clearWrites()
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    m_state->writes.clear();
}

void RecordingDevice::queueReplyToNextWrite(const QList<QByteArray>& reports)
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    m_state->replies.push_back(reports);
}

namespace {

struct Entry
{
    std::shared_ptr<Device> device;
    Identity id;
};

struct Registry
{
    std::mutex mutex;
    QVector<Entry> devices; // in plug order; guarded by mutex
    QHash<QString, int> openByPath; // guarded by mutex
};

Registry& registry()
{
    static Registry r;
    return r;
}

thread_local std::wstring g_lastError;

void setGlobalError(const QString& text)
{
    g_lastError = text.toStdWString();
}

} // namespace

void addDevice(std::shared_ptr<Device> device, const Identity& id)
{
    if (!device)
        return;
    removeDevice(id.path);
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    {
        std::lock_guard<std::mutex> dl(Access::priv(*device).mutex);
        Access::priv(*device).identity = id;
        Access::priv(*device).attached = true;
        ++Access::priv(*device).plugCount;
    }
    r.devices.append(Entry { device, id });
}

void removeDevice(const QString& path)
{
    std::shared_ptr<Device> removed;
    {
        Registry& r = registry();
        std::lock_guard<std::mutex> lock(r.mutex);
        for (int i = 0; i < r.devices.size(); ++i) {
            if (r.devices[i].id.path == path) {
                removed = r.devices[i].device;
                r.devices.remove(i);
                break;
            }
        }
        if (removed) {
            std::lock_guard<std::mutex> dl(Access::priv(*removed).mutex);
            Access::priv(*removed).attached = false;
        }
    }
    if (removed)
        Access::priv(*removed).inputReady.notify_all(); // wake blocked readers so they fail
}

std::shared_ptr<Device> device(const QString& path)
{
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    for (const Entry& e : r.devices)
        if (e.id.path == path)
            return e.device;
    return nullptr;
}

int openCount(const QString& path)
{
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    return r.openByPath.value(path, 0);
}

void reset()
{
    QVector<Entry> all;
    {
        Registry& r = registry();
        std::lock_guard<std::mutex> lock(r.mutex);
        all.swap(r.devices);
        for (const Entry& e : all) {
            std::lock_guard<std::mutex> dl(Access::priv(*e.device).mutex);
            Access::priv(*e.device).attached = false;
        }
    }
    for (const Entry& e : all)
        Access::priv(*e.device).inputReady.notify_all();
}

} // namespace FakeHid

using FakeHid::Access;
using FakeHid::setGlobalError;

struct hid_device_
{
    std::shared_ptr<FakeHid::Device> device;
    QString path;
    quint64 plug = 0;
    bool nonBlocking = false;
    std::wstring lastError;
    hid_device_info* info = nullptr;
};

namespace {

wchar_t* dupWide(const QString& text)
{
    const std::wstring w = text.toStdWString();
    auto* out = static_cast<wchar_t*>(std::calloc(w.size() + 1, sizeof(wchar_t)));
    if (out)
        std::wmemcpy(out, w.c_str(), w.size());
    return out;
}

hid_device_info* makeInfo(const FakeHid::Identity& id)
{
    auto* info = static_cast<hid_device_info*>(std::calloc(1, sizeof(hid_device_info)));
    const QByteArray path = id.path.toUtf8();
    info->path = strdup(path.constData());
    info->vendor_id = id.vendorId;
    info->product_id = id.productId;
    info->serial_number = dupWide(id.serial);
    info->release_number = 0x0100;
    info->manufacturer_string = dupWide(id.manufacturer);
    info->product_string = dupWide(id.productString);
    info->usage_page = 0xFF00;
    info->usage = 0x01;
    info->interface_number = id.interfaceNumber;
    info->next = nullptr;
    info->bus_type = HID_API_BUS_USB;
    return info;
}

// A handle is usable while its device is plugged in the same plug it was opened in.
bool handleAlive(hid_device* dev)
{
    FakeHid::Device::Private& p = Access::priv(*dev->device);
    return p.attached && p.plugCount == dev->plug;
}

hid_device* openEntry(const std::shared_ptr<FakeHid::Device>& device, const FakeHid::Identity& id)
{
    {
        FakeHid::Device::Private& p = Access::priv(*device);
        std::lock_guard<std::mutex> dl(p.mutex);
        if (p.openError) {
            setGlobalError(QStringLiteral("Failed to open device %1: permission denied").arg(id.path));
            return nullptr;
        }
    }
    auto* dev = new hid_device_;
    dev->device = device;
    dev->path = id.path;
    {
        std::lock_guard<std::mutex> dl(Access::priv(*device).mutex);
        dev->plug = Access::priv(*device).plugCount;
    }
    return dev;
}

} // namespace

extern "C" {

int HID_API_EXPORT HID_API_CALL hid_init(void)
{
    return 0;
}

int HID_API_EXPORT HID_API_CALL hid_exit(void)
{
    return 0;
}

struct hid_device_info HID_API_EXPORT* HID_API_CALL hid_enumerate(unsigned short vendor_id, unsigned short product_id)
{
    FakeHid::Registry& r = FakeHid::registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    hid_device_info* head = nullptr;
    hid_device_info** tail = &head;
    for (const FakeHid::Entry& e : r.devices) {
        if (vendor_id != 0 && e.id.vendorId != vendor_id)
            continue;
        if (product_id != 0 && e.id.productId != product_id)
            continue;
        *tail = makeInfo(e.id);
        tail = &(*tail)->next;
    }
    return head;
}

void HID_API_EXPORT HID_API_CALL hid_free_enumeration(struct hid_device_info* devs)
{
    while (devs) {
        hid_device_info* next = devs->next;
        std::free(devs->path);
        std::free(devs->serial_number);
        std::free(devs->manufacturer_string);
        std::free(devs->product_string);
        std::free(devs);
        devs = next;
    }
}

static hid_device* openAndCount(
    const std::shared_ptr<FakeHid::Device>& device, const FakeHid::Identity& id, FakeHid::Registry& r)
{
    hid_device* dev = openEntry(device, id);
    if (dev)
        r.openByPath[id.path] += 1;
    return dev;
}

HID_API_EXPORT hid_device* HID_API_CALL hid_open(
    unsigned short vendor_id, unsigned short product_id, const wchar_t* serial_number)
{
    std::shared_ptr<FakeHid::Device> found;
    FakeHid::Identity id;
    hid_device* dev = nullptr;
    {
        FakeHid::Registry& r = FakeHid::registry();
        std::lock_guard<std::mutex> lock(r.mutex);
        for (const FakeHid::Entry& e : r.devices) {
            // 0 matches any, as hid_open enumerates with the same filter.
            if ((vendor_id != 0 && e.id.vendorId != vendor_id) || (product_id != 0 && e.id.productId != product_id))
                continue;
            if (serial_number && e.id.serial != QString::fromWCharArray(serial_number))
                continue;
            found = e.device;
            id = e.id;
            break;
        }
        if (!found) {
            setGlobalError(QStringLiteral("No HID device with vid 0x%1 pid 0x%2")
                               .arg(vendor_id, 4, 16, QLatin1Char('0'))
                               .arg(product_id, 4, 16, QLatin1Char('0')));
            return nullptr;
        }
        dev = openAndCount(found, id, r);
    }
    if (dev)
        found->handleOpen();
    return dev;
}

HID_API_EXPORT hid_device* HID_API_CALL hid_open_path(const char* path)
{
    if (!path) {
        setGlobalError(QStringLiteral("Null path"));
        return nullptr;
    }
    const QString wanted = QString::fromUtf8(path);
    std::shared_ptr<FakeHid::Device> found;
    FakeHid::Identity id;
    hid_device* dev = nullptr;
    {
        FakeHid::Registry& r = FakeHid::registry();
        std::lock_guard<std::mutex> lock(r.mutex);
        for (const FakeHid::Entry& e : r.devices) {
            if (e.id.path == wanted) {
                found = e.device;
                id = e.id;
                break;
            }
        }
        if (!found) {
            setGlobalError(QStringLiteral("Failed to open %1: no such device").arg(wanted));
            return nullptr;
        }
        dev = openAndCount(found, id, r);
    }
    if (dev)
        found->handleOpen();
    return dev;
}

int HID_API_EXPORT HID_API_CALL hid_write(hid_device* dev, const unsigned char* data, size_t length)
{
    if (!dev || !data) {
        setGlobalError(QStringLiteral("Invalid argument"));
        return -1;
    }
    {
        FakeHid::Device::Private& p = Access::priv(*dev->device);
        std::lock_guard<std::mutex> dl(p.mutex);
        if (!handleAlive(dev)) {
            dev->lastError = L"Device disconnected";
            return -1;
        }
        if (p.writeError) {
            dev->lastError = L"Write failed (injected)";
            return -1;
        }
    }
    const int n = dev->device->handleWrite(QByteArray(reinterpret_cast<const char*>(data), int(length)));
    if (n < 0)
        dev->lastError = L"Write rejected by device";
    else
        dev->lastError.clear();
    return n;
}

int HID_API_EXPORT HID_API_CALL hid_read_timeout(hid_device* dev, unsigned char* data, size_t length, int milliseconds)
{
    if (!dev || !data) {
        setGlobalError(QStringLiteral("Invalid argument"));
        return -1;
    }
    FakeHid::Device::Private& p = Access::priv(*dev->device);
    std::unique_lock<std::mutex> lock(p.mutex);
    auto ready = [&] { return !handleAlive(dev) || p.readError || !p.input.empty(); };
    if (milliseconds < 0)
        p.inputReady.wait(lock, ready);
    else if (milliseconds > 0)
        p.inputReady.wait_for(lock, std::chrono::milliseconds(milliseconds), ready);
    if (!handleAlive(dev)) {
        dev->lastError = L"Device disconnected";
        return -1;
    }
    if (p.readError) {
        dev->lastError = L"Read failed (injected)";
        return -1;
    }
    if (p.input.empty())
        return 0;
    const QByteArray report = p.input.front();
    p.input.pop_front();
    const size_t n = std::min<size_t>(length, size_t(report.size()));
    std::memcpy(data, report.constData(), n);
    dev->lastError.clear();
    return int(n);
}

int HID_API_EXPORT HID_API_CALL hid_read(hid_device* dev, unsigned char* data, size_t length)
{
    if (!dev)
        return -1;
    return hid_read_timeout(dev, data, length, dev->nonBlocking ? 0 : -1);
}

int HID_API_EXPORT HID_API_CALL hid_set_nonblocking(hid_device* dev, int nonblock)
{
    if (!dev)
        return -1;
    dev->nonBlocking = nonblock != 0;
    return 0;
}

void HID_API_EXPORT HID_API_CALL hid_close(hid_device* dev)
{
    if (!dev)
        return;
    {
        FakeHid::Registry& r = FakeHid::registry();
        std::lock_guard<std::mutex> lock(r.mutex);
        int& n = r.openByPath[dev->path];
        if (--n <= 0)
            r.openByPath.remove(dev->path);
    }
    dev->device->handleClose();
    hid_free_enumeration(dev->info);
    delete dev;
}

static int copyString(const QString& text, wchar_t* out, size_t maxlen)
{
    if (!out || maxlen == 0)
        return -1;
    const std::wstring w = text.toStdWString();
    const size_t n = std::min(w.size(), maxlen - 1);
    std::wmemcpy(out, w.c_str(), n);
    out[n] = 0;
    return 0;
}

int HID_API_EXPORT_CALL hid_get_manufacturer_string(hid_device* dev, wchar_t* string, size_t maxlen)
{
    return dev ? copyString(dev->device->identity().manufacturer, string, maxlen) : -1;
}

int HID_API_EXPORT_CALL hid_get_product_string(hid_device* dev, wchar_t* string, size_t maxlen)
{
    return dev ? copyString(dev->device->identity().productString, string, maxlen) : -1;
}

int HID_API_EXPORT_CALL hid_get_serial_number_string(hid_device* dev, wchar_t* string, size_t maxlen)
{
    return dev ? copyString(dev->device->identity().serial, string, maxlen) : -1;
}

struct hid_device_info HID_API_EXPORT* HID_API_CALL hid_get_device_info(hid_device* dev)
{
    if (!dev)
        return nullptr;
    if (!dev->info)
        dev->info = makeInfo(dev->device->identity());
    return dev->info;
}

HID_API_EXPORT const wchar_t* HID_API_CALL hid_error(hid_device* dev)
{
    if (dev)
        return dev->lastError.empty() ? L"Success" : dev->lastError.c_str();
    const std::wstring& e = FakeHid::g_lastError;
    return e.empty() ? L"Success" : e.c_str();
}

} // extern "C"
