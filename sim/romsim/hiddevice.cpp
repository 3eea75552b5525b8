#include "hiddevice.h"

namespace RomSim {

HidDevice::HidDevice(std::shared_ptr<Engine> engine)
    : m_engine(engine ? std::move(engine) : std::make_shared<Engine>())
{
    m_engine->setPeripheral(0x10);
}

QByteArray HidDevice::encode(const Output& out, int reportSize)
{
    QByteArray r;
    switch (out.type) {
    case Output::Raw: r = out.bytes; break;
    case Output::Ack:
        r.append(char(0x01));
        if (out.fault != FaultKind::ShortAck) {
            r.append(char(out.code));
            r.append(2, '\0');
        }
        break;
    case Output::Frame: {
        const QByteArray& p = out.bytes;
        uint16_t len = uint16_t(p.size());
        int keep = p.size();
        if (out.fault == FaultKind::OversizedLength)
            len = uint16_t(out.faultValue ? out.faultValue : 0x0800);
        if (out.fault == FaultKind::ShortFrame)
            keep = qMax(0, p.size() - int(out.faultValue ? out.faultValue : 1));
        r.append(char(0x01));
        r.append(char(0xA5));
        r.append(char(len & 0xFF));
        r.append(char(len >> 8));
        r += p.left(keep);
        break;
    }
    }
    if (reportSize > 0 && r.size() < reportSize && out.fault != FaultKind::ShortAck)
        r.append(reportSize - r.size(), '\0');
    return r;
}

int HidDevice::handleWrite(const QByteArray& report)
{
    QList<Output> outs;
    const bool isFrame = report.size() >= 4 && uint8_t(report[1]) == 0xA5;
    if (isFrame)
        m_engine->runPendingHooks(); // the tool went on without acknowledging
    if (isFrame) {
        const int n = uint8_t(report[2]) | (uint8_t(report[3]) << 8);
        if (n > report.size() - 4)
            outs = m_engine->onCorruptFrame(report);
        else
            outs = m_engine->onFrame(report.mid(4, n));
    } else if (report.size() >= 2) {
        outs = m_engine->onToolAck(uint8_t(report[1]));
    } else {
        m_engine->onGarbage(report);
    }
    for (const Output& o : outs)
        queueInput(encode(o, m_reportSize));
    if (!isFrame)
        m_engine->runPendingHooks(); // the tool acknowledged the response: now the ROM may reset or restart
    return report.size();
}

} // namespace RomSim
