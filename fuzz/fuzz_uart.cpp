// UART frame receive: the real SerialIO reads what a device sends over a
// pseudo-terminal. Checked against a plain model of the frame: the status,
// the payload handed over, and the acknowledgement sent back (A1 for a frame
// whose CRC holds, A2 otherwise, nothing when no frame was read).
#include "crc16.h"
#include "fuzzsupport.h"
#include "iostatus.h"
#include "ptylink.h"
#include "serialio.h"

#include <QFile>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

using namespace RomCmd;

FUZZ_INIT

namespace {

struct Expect
{
    int status = IoTimeout;
    QByteArray payload;
    QByteArray ack;
};

// What a sound receiver makes of the stream: skip to 0x5A, then A5, length,
// payload, CRC-16 over header and payload.
Expect model(const QByteArray& s)
{
    Expect e;
    int i = s.indexOf(char(0x5A));
    if (i < 0)
        return e;
    ++i;
    if (i >= s.size() || uchar(s[i]) != 0xA5) {
        e.status = IoReadPayloadFailed;
        return e;
    }
    ++i;
    if (i + 2 > s.size()) {
        e.status = IoReadLengthFailed;
        return e;
    }
    const int n = uchar(s[i]) | uchar(s[i + 1]) << 8;
    i += 2;
    if (n > MaxFrameBuffer) {
        e.status = IoReadLengthFailed;
        return e;
    }
    if (i + n > s.size()) {
        e.status = IoReadPayloadBufferFailed;
        return e;
    }
    const QByteArray payload = s.mid(i, n);
    i += n;
    if (i + 2 > s.size()) {
        e.status = IoReadCrcFailed;
        return e;
    }
    const uint16_t got = uint16_t(uchar(s[i]) | uchar(s[i + 1]) << 8);
    const QByteArray framed = s.mid(i - n - 4, n + 4);
    const uint16_t crc = crc16Xmodem(reinterpret_cast<const uint8_t*>(framed.constData()), uint16_t(framed.size()), 0);
    if (crc == got) {
        e.status = IoOk;
        e.payload = payload;
        e.ack = QByteArray("\x5A\xA1", 2);
    } else {
        e.status = IoNak;
        e.ack = QByteArray("\x5A\xA2", 2);
    }
    return e;
}

// The stream with a cut frame filled up with zeros: a device that stops
// mid-frame is covered by the transport tests, and here it would only make
// every such input wait out the per-byte time-out.
QByteArray completed(QByteArray s)
{
    const int i = s.indexOf(char(0x5A));
    if (i < 0 || i + 4 > s.size() || uchar(s[i + 1]) != 0xA5)
        return s;
    const int n = uchar(s[i + 2]) | uchar(s[i + 3]) << 8;
    if (n <= MaxFrameBuffer && s.size() < i + 4 + n + 2)
        s.append(QByteArray(i + 4 + n + 2 - s.size(), '\0'));
    return s;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 4096)
        return 0;
    static PtyLink link;
    if (!link.isOpen())
        Fuzz::fail("no pseudo-terminal");
    link.flush();
    const QByteArray stream = completed(Fuzz::bytes(data, size));
    SerialPortInfo info;
    info.portName = link.toolPath();
    SerialIO io { QVariant::fromValue(info) };
    FUZZ_CHECK(io.status() == IoOk, QString::number(io.status()));
    // A short time-out keeps a stream that ends early from waiting long.
    io.setTimeout(1);
    if (!link.writeAll(stream, 1000))
        Fuzz::fail("pty write");
    // The pseudo-terminal hands bytes to the tool side asynchronously: wait
    // until they are there (poll on a second descriptor consumes nothing).
    static const int watch = ::open(QFile::encodeName(link.toolPath()).constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    if (!stream.isEmpty()) {
        pollfd p { watch, POLLIN, 0 };
        ::poll(&p, 1, 1000);
    }

    uint8_t buffer[MaxFrameBuffer + 16];
    std::memset(buffer, 0xEE, sizeof buffer);
    uint16_t length = 0xBEEF;
    const int status = io.readPacket(buffer, &length);
    const Expect e = model(stream);
    FUZZ_CHECK(status == e.status, QStringLiteral("%1 != %2").arg(status).arg(e.status));
    if (status == IoOk) {
        FUZZ_CHECK(length == e.payload.size(), QString::number(length));
        FUZZ_CHECK(std::memcmp(buffer, e.payload.constData(), length) == 0, QString());
    } else {
        FUZZ_CHECK(length == 0xBEEF, QString::number(length));
    }
    // Nothing is written past the buffer the caller gave.
    for (int i = MaxFrameBuffer; i < int(sizeof buffer); ++i)
        FUZZ_CHECK(buffer[i] == 0xEE, QString::number(i));
    const QByteArray ack = link.read(16, e.ack.isEmpty() ? 0 : 1000);
    FUZZ_CHECK(ack == e.ack, QString::fromLatin1(ack.toHex()));
    return 0;
}
