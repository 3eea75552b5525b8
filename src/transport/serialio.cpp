#include "serialio.h"

#include "crc16.h"
#include "iostatus.h"
#include "serialplatform.h"

#include <QDebug>
#include <QDeadlineTimer>
#include <QSerialPort>
#include <cstring>

namespace RomCmd {

namespace {
constexpr int kIntervalMs = 1000; // longest silence between two bytes of one read
constexpr int kPerByteMs = 10;    // budget per requested byte, on top of the time-out
constexpr uint32_t kMaxWaitMs = 0x3FFFFFFF; // keeps every wait inside an int
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
    const qint64 queued = m_port->write(reinterpret_cast<const char*>(data), length);
    if (queued < 0)
        return 0;
    // Blocking mode: push the bytes out now, there is no event loop on the worker.
    while (m_port->bytesToWrite() > 0) {
        if (!m_port->waitForBytesWritten(kIntervalMs + int(qMin<uint32_t>(m_timeout, kMaxWaitMs))))
            break;
    }
    return queued - m_port->bytesToWrite();
}

qint64 SerialIO::readExact(uint8_t* data, qint64 length)
{
    // Time-outs: at most 1000 ms between bytes and 10 ms per byte plus T in all;
    // T = 0 waits until the bytes arrive.
    const bool unlimited = m_timeout == 0;
    QDeadlineTimer total(unlimited ? QDeadlineTimer(QDeadlineTimer::Forever)
                                   : QDeadlineTimer(qint64(m_timeout) + kPerByteMs * length));
    qint64 got = 0;
    while (got < length) {
        const qint64 n = m_port->read(reinterpret_cast<char*>(data) + got, length - got);
        if (n < 0)
            return got;
        got += n;
        if (got >= length)
            break;
        int wait = -1;
        if (!unlimited) {
            const qint64 rem = total.remainingTime();
            if (rem <= 0)
                break;
            // The interval limit runs only once bytes have started to arrive.
            wait = int(qMin<qint64>(got > 0 ? qMin<qint64>(rem, kIntervalMs) : rem, kMaxWaitMs));
        }
        if (!m_port->waitForReadyRead(wait))
            break;
    }
    return got;
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
        return m_status = IoWriteHeaderFailed;
    }
    if (sent < 4 + qint64(length)) {
        qCritical() << "Write payload error!";
        return m_status = IoWritePayloadFailed;
    }
    if (sent < total) {
        qCritical() << "Write crc16 error!";
        return m_status = IoWriteCrcFailed;
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
    if (readExact(&b, 1) != 1) {
        qCritical() << "Read ack error!";
        return m_status = IoReadAckStartFailed;
    }
    if (b != 0x5A)
        return m_status = IoFailure;
    if (readExact(&b, 1) != 1) {
        qCritical() << "Read ack error!";
        return m_status = IoReadAckStatusFailed;
    }
    switch (b) {
    case AckOk: return m_status = IoOk;
    case AckNak: return m_status = IoNak;
    case AckAbort: return m_status = IoAbort;
    default: return m_status = IoFailure;
    }
}

int SerialIO::readPacket(uint8_t* buffer, uint16_t* length)
{
    if (m_status == IoOpenFailed || !m_port) {
        qCritical() << "Serial port is closed";
        return IoOpenFailed;
    }
    uint8_t b = 0;
    for (;;) {
        if (readExact(&b, 1) != 1) {
            qCritical() << "Read timeout!";
            return m_status = IoTimeout;
        }
        if (b == 0x5A)
            break;
    }
    if (readExact(&b, 1) != 1 || b != 0xA5) {
        qCritical() << "Read payload error!";
        return m_status = IoReadPayloadFailed;
    }
    uint8_t lenBytes[2];
    if (readExact(lenBytes, 2) != 2) {
        qCritical() << "Read payload length error!";
        return m_status = IoReadLengthFailed;
    }
    const uint16_t n = uint16_t(lenBytes[0] | (lenBytes[1] << 8));
    if (n > MaxFrameBuffer) {
        // Never copy past the caller's buffer: refuse the frame.
        qCritical() << "Read payload length error! length: " << n << " exceeds " << MaxFrameBuffer;
        return m_status = IoReadLengthFailed;
    }
    if (readExact(buffer, n) != n) {
        qCritical() << "Read payload buffer error!";
        return m_status = IoReadPayloadBufferFailed;
    }
    uint8_t crcBytes[2];
    if (readExact(crcBytes, 2) != 2) {
        qCritical() << "Read crc error!";
        return m_status = IoReadCrcFailed;
    }
    const uint8_t header[4] = {0x5A, 0xA5, lenBytes[0], lenBytes[1]};
    const uint16_t crc = crc16Xmodem(buffer, n, crc16Xmodem(header, 4));
    if (crc == uint16_t(crcBytes[0] | (crcBytes[1] << 8))) {
        *length = n;
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
    return m_status = IoSendResponseFailed;
}

} // namespace RomCmd
