// A stand-in for hidapi used by tests: the hid_* functions of <hidapi/hidapi.h>
// are implemented over virtual devices registered here, so the real transports
// and detectors run unchanged against simulated hardware.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <memory>

namespace FakeHid {

struct Identity
{
    QString path; // hid_open_path key and hid_enumerate path (UTF-8)
    unsigned short vendorId = 0;
    unsigned short productId = 0;
    QString productString;
    QString serial;
    QString manufacturer;
    int interfaceNumber = 0;
};

// A virtual device; subclass it. All members may be called from any thread.
class Device
{
public:
    Device();
    virtual ~Device();
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;

    // Called on the caller's thread for each hid_write with the whole report,
    // report id at byte 0, and with no fake-hidapi lock held (so it may call
    // queueInput). Return the count written, or -1 to make hid_write fail.
    virtual int handleWrite(const QByteArray& report) = 0;
    // Called when a handle to this device is opened or closed.
    virtual void handleOpen() { }
    virtual void handleClose() { }

    // Queues one input report for hid_read_timeout, report id included as the device sends it.
    void queueInput(const QByteArray& report);
    void clearInput();
    int pendingInput() const;
    // While set, hid_read_timeout fails with -1.
    void setReadError(bool on);
    // While set, hid_write fails with -1 without calling handleWrite.
    void setWriteError(bool on);
    // While set, hid_open/hid_open_path refuse the device.
    void setOpenError(bool on);
    // The identity given to addDevice (empty before).
    Identity identity() const;
    // True between addDevice and removeDevice.
    bool isAttached() const;

    struct Private;

private:
    friend struct Access;
    std::unique_ptr<Private> d;
};

// A device that records every report written and can answer each write with
// scripted input reports. Handy for transport tests.
class RecordingDevice : public Device
{
public:
    int handleWrite(const QByteArray& report) override;
    QList<QByteArray> writes() const;
    void clearWrites();
    // Appends a batch of replies; each write takes the oldest batch and queues it as input.
    void queueReplyToNextWrite(const QList<QByteArray>& reports);

    RecordingDevice();
    ~RecordingDevice() override;

private:
    struct State;
    std::unique_ptr<State> m_state;
};

// Makes the device visible to hid_enumerate and openable. The path of id must be unique;
// an existing device at that path is removed first.
void addDevice(std::shared_ptr<Device> device, const Identity& id);
// Unplugs the device: it leaves the enumeration and open handles then fail reads and writes with -1.
void removeDevice(const QString& path);
// The device registered at path, or null.
std::shared_ptr<Device> device(const QString& path);
// Handles currently open on path (counted by path, across re-plugs).
int openCount(const QString& path);
// Removes every device (tests call it in cleanup).
void reset();

} // namespace FakeHid
