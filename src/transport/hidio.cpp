#include "hidio.h"
#include "accesshints.h"

#include "iostatus.h"

#include <QDebug>
#include <QFileInfo>
#include <cstring>
#include <hidapi.h>

namespace RomCmd {

namespace {
constexpr int kTextReport = 64;
constexpr int kMaxDrained = 64; // a device that floods reports must not hold the caller

// hidapi reads with -1 = block; a time-out of 0 means "wait until it arrives", as on UART.
int hidTimeout(uint32_t ms) { return ms == 0 ? -1 : int(qMin<uint32_t>(ms, uint32_t(INT32_MAX))); }

QString accessHint(const QString& path)
{
    if (path.startsWith(QLatin1String("/dev/")) && QFileInfo::exists(path)
        && !(QFileInfo(path).isReadable() && QFileInfo(path).isWritable()))
        return QStringLiteral(" (no permission on %1: %2)").arg(path, QLatin1String(AccessHints::Hid));
    return QString();
}
} // namespace

HidIO::HidIO(const QVariant& info, QObject* parent) : DeviceIO(parent)
{
    m_info = recordFromVariant<UsbInfo>(info);
    if (!m_info.devicePath.isEmpty())
        m_dev = hid_open_path(m_info.devicePath.toUtf8().constData());
    else if (m_info.vendorId != 0 && m_info.productId != 0) // hidapi takes a zero id for "any"
        m_dev = hid_open(static_cast<unsigned short>(m_info.vendorId), static_cast<unsigned short>(m_info.productId),
                         nullptr);
    if (!m_dev) {
        qCritical().noquote() << "Usb device open failed!"
                              << " vid: " << m_info.vendorId << " pid: " << m_info.productId
                              << " devicePath: " << m_info.devicePath + accessHint(m_info.devicePath);
        m_status = IoOpenFailed;
    }
}

HidIO::~HidIO()
{
    if (m_dev)
        hid_close(m_dev);
    m_dev = nullptr;
}

int HidIO::writePacket(const uint8_t* data, uint16_t length)
{
    if (!m_dev)
        return IoOpenFailed;
    m_status = IoOk;
    if (length > MaxFrameBuffer - 4)
        return m_status = IoWritePayloadFailed;
    uint8_t report[MaxFrameBuffer];
    report[0] = 0x01;
    report[1] = 0xA5;
    report[2] = uint8_t(length & 0xFF);
    report[3] = uint8_t(length >> 8);
    if (length)
        std::memcpy(report + 4, data, length);
    if (hid_write(m_dev, report, size_t(length) + 4) < 0)
        return m_status = IoWritePayloadFailed;
    return readAck();
}

int HidIO::readAck()
{
    if (!m_dev)
        return IoOpenFailed;
    uint8_t report[4] = {0, 0, 0, 0};
    const int n = hid_read_timeout(m_dev, report, sizeof report, hidTimeout(m_timeout));
    // No report (error or time-out): the same status as a missing first UART ack byte.
    if (n <= 0)
        return m_status = IoReadAckStartFailed;
    if (n < 2)
        return m_status = IoReadAckStatusFailed;
    switch (report[1]) {
    case AckOk: return m_status = IoOk;
    case AckNak: return m_status = IoNak;
    case AckAbort: return m_status = IoAbort;
    default: return m_status = IoFailure;
    }
}

int HidIO::readPacket(uint8_t* buffer, uint16_t* length)
{
    if (!m_dev)
        return IoOpenFailed;
    uint8_t report[MaxFrameBuffer];
    const int n = hid_read_timeout(m_dev, report, sizeof report, hidTimeout(m_timeout));
    if (n <= 0)
        return m_status = IoReadPayloadFailed;
    if (n < 4)
        return m_status = IoReadLengthFailed;
    const uint16_t len = uint16_t(report[2] | (report[3] << 8));
    // Refuse a length the report did not carry (it also bounds the copy to the caller's buffer).
    if (len > n - 4)
        return m_status = IoReadPayloadBufferFailed;
    if (len)
        std::memcpy(buffer, report + 4, len);
    *length = len;
    return m_status = sendResponse(AckOk);
}

int HidIO::sendResponse(uint8_t code)
{
    if (!m_dev)
        return IoOpenFailed;
    const uint8_t report[4] = {0x01, code, 0x00, 0x00};
    if (hid_write(m_dev, report, sizeof report) < 0)
        return m_status = IoSendResponseFailed;
    return m_status = IoOk;
}

void HidIO::drainInput()
{
    // A reply that came after its command gave up would otherwise answer this one.
    uint8_t stale[kTextReport];
    int dropped = 0;
    QByteArray first;
    for (; dropped < kMaxDrained; ++dropped) {
        const int n = hid_read_timeout(m_dev, stale, sizeof stale, 0);
        if (n <= 0)
            break;
        if (dropped == 0)
            first = QByteArray(reinterpret_cast<const char*>(stale), n);
    }
    if (dropped > 0)
        qWarning().noquote() << QStringLiteral("Dropped %1 stale input report(s) on %2 before a text command; first: %3")
                                    .arg(dropped)
                                    .arg(m_info.devicePath, QString::fromLatin1(first.toHex(' ')));
}

int HidIO::transferReport(const uint8_t* data, uint16_t length, uint8_t* reply, uint16_t capacity)
{
    if (!m_dev)
        return -1;
    drainInput();
    uint8_t out[kTextReport] = {};
    out[0] = 0x01;
    std::memcpy(out + 1, data, qMin<size_t>(length, kTextReport - 1));
    if (hid_write(m_dev, out, kTextReport) < 0)
        return -2;
    uint8_t in[kTextReport] = {};
    const int n = hid_read_timeout(m_dev, in, kTextReport, hidTimeout(m_timeout));
    if (n < 0)
        return -3;
    if (n == 0)
        return 0;
    if (n > capacity)
        return -4;
    std::memset(reply, 0, capacity);
    // Text from offset 1 up to and including the first zero byte.
    int copied = 0;
    for (int i = 1; i < n && copied < kTextReport - 1; ++i) {
        reply[copied++] = in[i];
        if (in[i] == 0)
            break;
    }
    return n;
}

} // namespace RomCmd
