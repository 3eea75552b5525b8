#include "serialio.h"

#include "crc16.h"
#include "iostatus.h"
#include "serialplatform.h"

#include <QDebug>
#include <QDeadlineTimer>
#include <QSerialPort>
#include <QSocketNotifier>
#include <cstring>

namespace RomCmd {

namespace {
constexpr int kIntervalMs = 1000; // longest silence between two bytes of one read
constexpr int kPerByteMs = 10;    // budget per requested byte, on top of the time-out
constexpr uint32_t kMaxWaitMs = 0x3FFFFFFF; // keeps every wait inside an int
constexpr int kTerminatePollMs = 100; // how long the frame hunt waits before looking at terminate again
} // namespace

std::mutex& serialPortLock()
{
    static std::mutex m;
    return m;
}

QString SerialIO::devicePathFor(const QString& portName) { return SerialPlatform::devicePath(portName); }

SerialIO::SerialIO(const QVariant& info, QObject* parent) : DeviceIO(parent)
{
    m_info = recordFromVariant<SerialPortInfo>(info);

    std::lock_guard<std::mutex> lock(serialPortLock());
    const QString path = devicePathFor(m_info.portName);
    auto port = std::make_unique<QSerialPort>();
    port->setPortName(path);
    if (m_info.portName.isEmpty() || !port->open(QIODevice::ReadWrite)) {
        const auto err = m_info.portName.isEmpty() ? QSerialPort::DeviceNotFoundError : port->error();
        m_status = IoOpenFailed;
        qCritical() << "Serial port open failed! Name: " << m_info.portName << " error: " << int(err)
                    << SerialPlatform::explainOpenError(err, path);
        return;
    }

    // Line settings; failures here are not fatal (a pseudo-terminal ignores some).
    bool ok = port->setBaudRate(m_info.baudRate);
    ok &= port->setDataBits(QSerialPort::DataBits(m_info.dataBits));
    QSerialPort::Parity parity = QSerialPort::NoParity;
    switch (m_info.parity) {
    case 2: parity = QSerialPort::EvenParity; break;
    case 3: parity = QSerialPort::OddParity; break;
    case 4: parity = QSerialPort::SpaceParity; break;
    case 5: parity = QSerialPort::MarkParity; break;
    default: break;
    }
    ok &= port->setParity(parity);
    QSerialPort::StopBits stop = QSerialPort::OneStop;
    if (m_info.stopBits == 2)
        stop = QSerialPort::TwoStop;
    else if (m_info.stopBits == 3)
        stop = QSerialPort::OneAndHalfStop;
    ok &= port->setStopBits(stop);
    ok &= port->setFlowControl(QSerialPort::NoFlowControl);
    if (!ok)
        qDebug() << "serial line settings not fully applied on" << path << port->errorString();
    if (!port->setDataTerminalReady(false) || !port->setRequestToSend(false))
        qDebug() << "DTR/RTS not cleared on" << path << "(not supported by this port)";
    port->clearError();
    // The transfer path reads and writes the handle itself; the port object must
    // never take bytes from it behind our back, should this thread run events.
    for (QSocketNotifier* n : port->findChildren<QSocketNotifier*>())
        n->setEnabled(false);
    if (!SerialPlatform::prepareTransfers(port->handle())) {
        m_status = IoOpenFailed;
        qCritical() << "Serial port open failed! Name: " << m_info.portName << " error: cannot set up reads on" << path;
        return;
    }
    m_handle = port->handle();
    m_port = std::move(port);
}

SerialIO::~SerialIO()
{
    if (!m_port)
        return;
    std::lock_guard<std::mutex> lock(serialPortLock());
    const QString handle = m_port->portName();
    m_port->close();
    const bool result = m_port->error() == QSerialPort::NoError;
    qInfo() << "serial close fd: " << handle << " name: " << m_info.portName << " result: " << result;
    m_port.reset();
}

void SerialIO::setTimeout(uint32_t ms)
{
    // Applied per read; nothing to push down to the port.
    DeviceIO::setTimeout(ms);
}

qint64 SerialIO::writeAll(const uint8_t* data, qint64 length)
{
    // After a failure the device may have stopped reading: only then can a write stall.
    const qint64 sent = SerialPlatform::writeAll(
        m_handle, data, length, kIntervalMs + int(qMin(m_timeout, kMaxWaitMs)), m_dirty);
    if (sent < length) {
        // Whatever of the frame the system still holds must not go out ahead of the next frame.
        SerialPlatform::discardOutput(m_handle);
        m_dirty = true;
    }
    return sent;
}

int SerialIO::fill(int ms)
{
    // Only called once every buffered byte has been taken.
    m_inPos = m_inEnd = 0;
    const int64_t n = SerialPlatform::readWait(m_handle, m_in, int64_t(sizeof m_in), ms);
    if (n <= 0)
        return int(n);
    m_inEnd = int(n);
    return 1;
}

qint64 SerialIO::take(uint8_t* data, qint64 length)
{
    qint64 got = qMin<qint64>(length, m_inEnd - m_inPos);
    std::memcpy(data, m_in + m_inPos, size_t(got));
    m_inPos += int(got);
    if (got == length)
        return got;
    // Time-outs: at most 1000 ms between bytes and 10 ms per byte plus T in all;
    // T = 0 waits until the bytes arrive.
    const bool unlimited = m_timeout == 0;
    const QDeadlineTimer total(unlimited ? QDeadlineTimer(QDeadlineTimer::Forever)
                                         : QDeadlineTimer(qint64(m_timeout) + kPerByteMs * length));
    while (got < length) {
        int wait = -1;
        if (!unlimited) {
            const qint64 rem = total.remainingTime();
            if (rem <= 0)
                break;
            // The interval limit runs only once bytes have started to arrive.
            wait = int(qMin<qint64>(got > 0 ? qMin<qint64>(rem, kIntervalMs) : rem, kMaxWaitMs));
        }
        if (fill(wait) <= 0)
            break;
        const qint64 n = qMin<qint64>(length - got, m_inEnd - m_inPos);
        std::memcpy(data + got, m_in + m_inPos, size_t(n));
        m_inPos += int(n);
        got += n;
    }
    return got;
}

int SerialIO::hunt()
{
    // One bound for the whole hunt, so a device streaming other bytes cannot hold the worker.
    const bool unlimited = m_timeout == 0;
    const QDeadlineTimer deadline(unlimited ? QDeadlineTimer(QDeadlineTimer::Forever) : QDeadlineTimer(m_timeout));
    qint64 skipped = 0;
    int result = IoTimeout;
    for (;;) {
        if (m_inPos < m_inEnd) {
            const auto* start = static_cast<const uint8_t*>(std::memchr(m_in + m_inPos, 0x5A, size_t(m_inEnd - m_inPos)));
            const int at = start ? int(start - m_in) : m_inEnd;
            skipped += at - m_inPos;
            m_inPos = at;
            if (start) {
                ++m_inPos;
                result = IoOk;
                break;
            }
        }
        if (terminateRequested()) {
            qInfo() << "Read terminated while waiting for a frame on" << m_info.portName;
            result = IoCommandFailed;
            break;
        }
        int wait = kTerminatePollMs;
        if (!unlimited) {
            const qint64 rem = deadline.remainingTime();
            if (rem <= 0)
                break;
            wait = int(qMin<qint64>(rem, kTerminatePollMs));
        }
        if (fill(wait) < 0)
            break;
    }
    if (skipped > 0)
        qDebug() << "Skipped" << skipped << "bytes before a frame start on" << m_info.portName;
    return result;
}

void SerialIO::discardLeftovers()
{
    const qint64 dropped = (m_inEnd - m_inPos) + SerialPlatform::discardInput(m_handle);
    m_inPos = m_inEnd = 0;
    if (dropped > 0)
        qWarning() << "Discarded" << dropped << "received bytes left over from an earlier failure on" << m_info.portName;
}

int SerialIO::fail(int status)
{
    m_dirty = true;
    return m_status = status;
}

int SerialIO::writePacket(const uint8_t* data, uint16_t length)
{
    if (m_status == IoOpenFailed || !m_port) {
        qCritical() << "Serial port is closed";
        return IoOpenFailed;
    }
    if (length > MaxFrameBuffer) {
        qCritical() << "Write payload error! length: " << length << " exceeds " << MaxFrameBuffer;
        return m_status = IoWritePayloadFailed;
    }
    if (m_dirty)
        discardLeftovers();
    // One write per frame: a single wake-up of the device side instead of three.
    uint8_t frame[MaxFrameBuffer + 6];
    frame[0] = 0x5A;
    frame[1] = 0xA5;
    frame[2] = uint8_t(length & 0xFF);
    frame[3] = uint8_t(length >> 8);
    if (length)
        std::memcpy(frame + 4, data, length);
    const uint16_t crc = crc16Xmodem(frame, size_t(length) + 4);
    frame[4 + length] = uint8_t(crc & 0xFF);
    frame[5 + length] = uint8_t(crc >> 8);
    const qint64 total = qint64(length) + 6;
    const qint64 sent = writeAll(frame, total);
    if (sent < 4) {
        qCritical() << "Write header error!";
        return fail(IoWriteHeaderFailed);
    }
    if (sent < 4 + qint64(length)) {
        qCritical() << "Write payload error!";
        return fail(IoWritePayloadFailed);
    }
    if (sent < total) {
        qCritical() << "Write crc16 error!";
        return fail(IoWriteCrcFailed);
    }
    m_status = IoOk;
    return readAck();
}

int SerialIO::readAck()
{
    if (m_status == IoOpenFailed || !m_port) {
        qCritical() << "Serial port is closed";
        return IoOpenFailed;
    }
    uint8_t b = 0;
    if (take(&b, 1) != 1) {
        qCritical() << "Read ack error!";
        return fail(IoReadAckStartFailed);
    }
    if (b != 0x5A)
        return fail(IoFailure);
    if (take(&b, 1) != 1) {
        qCritical() << "Read ack error!";
        return fail(IoReadAckStatusFailed);
    }
    switch (b) {
    case AckOk: break;
    case AckNak: m_dirty = false; return m_status = IoNak;
    case AckAbort: m_dirty = false; return m_status = IoAbort;
    default: return fail(IoFailure);
    }
    m_dirty = false; // a whole exchange again: the link is in step
    return m_status = IoOk;
}

int SerialIO::readPacket(uint8_t* buffer, uint16_t* length)
{
    if (m_status == IoOpenFailed || !m_port) {
        qCritical() << "Serial port is closed";
        return IoOpenFailed;
    }
    const int start = hunt();
    if (start == IoTimeout)
        qCritical() << "Read timeout!";
    if (start != IoOk)
        return fail(start);
    uint8_t header[4] = {0x5A, 0, 0, 0};
    if (take(header + 1, 1) != 1 || header[1] != 0xA5) {
        qCritical() << "Read payload error!";
        return fail(IoReadPayloadFailed);
    }
    if (take(header + 2, 2) != 2) {
        qCritical() << "Read payload length error!";
        return fail(IoReadLengthFailed);
    }
    const uint16_t n = uint16_t(header[2] | (header[3] << 8));
    if (n > MaxFrameBuffer) {
        // Never copy past the caller's buffer: refuse the frame.
        qCritical() << "Read payload length error! length: " << n << " exceeds " << MaxFrameBuffer;
        return fail(IoReadLengthFailed);
    }
    if (take(buffer, n) != n) {
        qCritical() << "Read payload buffer error!";
        return fail(IoReadPayloadBufferFailed);
    }
    uint8_t crcBytes[2];
    if (take(crcBytes, 2) != 2) {
        qCritical() << "Read crc error!";
        return fail(IoReadCrcFailed);
    }
    const uint16_t crc = crc16Xmodem(buffer, n, crc16Xmodem(header, 4));
    if (crc == uint16_t(crcBytes[0] | (crcBytes[1] << 8))) {
        *length = n;
        m_dirty = false;
        return m_status = sendResponse(AckOk);
    }
    const int r = sendResponse(AckNak);
    return m_status = (r == IoOk ? IoNak : r);
}

int SerialIO::transferReport(const uint8_t*, uint16_t, uint8_t*, uint16_t) { return -1; }

int SerialIO::sendResponse(uint8_t code)
{
    const uint8_t ack[2] = {0x5A, code};
    if (m_port && writeAll(ack, 2) == 2)
        return m_status = IoOk;
    qCritical() << "Send response failed! resp: " << code;
    return fail(IoSendResponseFailed);
}

} // namespace RomCmd
