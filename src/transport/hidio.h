// USB-HID transport over hidapi: ROM frames with acknowledgements, and the
// plain 64-byte report exchange used by the Krel text commands.
#pragma once

#include "deviceio.h"
#include "records.h"

struct hid_device_;

namespace RomCmd {

class HidIO : public DeviceIO
{
    Q_OBJECT
public:
    explicit HidIO(const QVariant& info, QObject* parent = nullptr);
    ~HidIO() override;

    int writePacket(const uint8_t* data, uint16_t length) override;
    int readPacket(uint8_t* buffer, uint16_t* length) override;
    int transferReport(const uint8_t* data, uint16_t length, uint8_t* reply, uint16_t capacity) override;
    int readAck() override;
    int sendResponse(uint8_t code) override;

    const UsbInfo& info() const { return m_info; }

private:
    // Reads and drops input reports already waiting, logging what was dropped.
    void drainInput();

    UsbInfo m_info;
    hid_device_* m_dev = nullptr;
};

} // namespace RomCmd
