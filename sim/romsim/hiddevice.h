// Serves a RomSim::Engine as a fake USB-HID device: tool frames arrive as
// output reports 01 A5 len payload, acks as 01 code 00 00; the simulator answers
// with input reports 01 code 00 00 (acks) and 01 A5 len payload (frames).
// HID has no CRC, so the UART-only faults (BadCrc, Garbage, BadStart) are ignored.
#pragma once

#include "fakehid.h"
#include "romsim.h"

#include <atomic>
#include <memory>

namespace RomSim {

class HidDevice : public FakeHid::Device
{
public:
    // With no engine given the device makes its own.
    explicit HidDevice(std::shared_ptr<Engine> engine = nullptr);

    Engine& engine() { return *m_engine; }
    std::shared_ptr<Engine> sharedEngine() const { return m_engine; }
    // Pads every input report with zeros to this size (0 = exact size), as devices
    // with a fixed report length do.
    void setInputReportSize(int bytes) { m_reportSize = bytes; }

    int handleWrite(const QByteArray& report) override;
    static QByteArray encode(const Output& out, int reportSize = 0);

private:
    std::shared_ptr<Engine> m_engine;
    std::atomic<int> m_reportSize { 0 };
};

} // namespace RomSim
