#include "serialplatform.h"
#include "accesshints.h"

#include <QFileInfo>
#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace RomCmd::SerialPlatform {

namespace {
// poll() on one descriptor; EINTR restarts with the full wait (waits are short or unbounded).
int pollFor(int fd, short events, int ms)
{
    pollfd p { fd, events, 0 };
    for (;;) {
        const int r = ::poll(&p, 1, ms);
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            return r;
        return p.revents;
    }
}
} // namespace

QString devicePath(const QString& portName)
{
    // Counterpart of the "\\.\" prefix on Windows; absolute paths (e.g. pseudo-terminals) pass unchanged.
    if (portName.startsWith(QLatin1Char('/')))
        return portName;
    return QStringLiteral("/dev/") + portName;
}

QString explainOpenError(QSerialPort::SerialPortError error, const QString& path)
{
    switch (error) {
    case QSerialPort::PermissionError:
        if (QFileInfo::exists(path) && !QFileInfo(path).isWritable())
            return QStringLiteral("permission denied on %1: %2").arg(path, QLatin1String(AccessHints::Serial));
        return QStringLiteral("the port is busy: another program holds it");
    case QSerialPort::DeviceNotFoundError: return QStringLiteral("no such port");
    default: return QStringLiteral("cannot open the port");
    }
}

namespace {
constexpr int kSliceMs = 100; // VTIME of one read

int64_t monotonicMs()
{
    timespec t {};
    ::clock_gettime(CLOCK_MONOTONIC, &t);
    return int64_t(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

bool setNonBlocking(int fd, bool on)
{
    const int flags = ::fcntl(fd, F_GETFL);
    return flags >= 0 && ::fcntl(fd, F_SETFL, on ? (flags | O_NONBLOCK) : (flags & ~O_NONBLOCK)) == 0;
}
} // namespace

bool prepareTransfers(qintptr handle)
{
    // Blocking reads with VMIN 0 / VTIME 1: a read returns what has arrived as
    // soon as anything has, or nothing after 100 ms, in one system call.
    termios t {};
    if (::tcgetattr(int(handle), &t) != 0)
        return false;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = kSliceMs / 100;
    return ::tcsetattr(int(handle), TCSANOW, &t) == 0 && setNonBlocking(int(handle), false);
}

int64_t readWait(qintptr handle, uint8_t* data, int64_t capacity, int ms)
{
    const int64_t start = ms < 0 ? 0 : monotonicMs();
    for (;;) {
        const int64_t sliceStart = monotonicMs();
        const ssize_t n = ::read(int(handle), data, size_t(capacity));
        if (n > 0)
            return n;
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return -1;
        const int64_t now = monotonicMs();
        // Nothing long before the slice ended: end of file, the device is gone.
        if (now - sliceStart < kSliceMs / 2)
            return -1;
        if (ms >= 0 && now - start >= ms)
            return 0;
    }
}

int64_t writeAll(qintptr handle, const uint8_t* data, int64_t length, int stallMs, bool bounded)
{
    const int fd = int(handle);
    if (bounded && !setNonBlocking(fd, true))
        return 0;
    int64_t done = 0;
    while (done < length) {
        const ssize_t n = ::write(fd, data + done, size_t(length - done));
        if (n > 0) {
            done += n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (!bounded || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK))
            break;
        const int ev = pollFor(fd, POLLOUT, stallMs);
        if (ev <= 0 || (ev & (POLLERR | POLLHUP | POLLNVAL)))
            break;
    }
    if (bounded)
        setNonBlocking(fd, false);
    return done;
}

void discardOutput(qintptr handle)
{
    ::tcflush(int(handle), TCOFLUSH);
}

int64_t discardInput(qintptr handle)
{
    int queued = 0;
    if (::ioctl(int(handle), FIONREAD, &queued) != 0)
        queued = 0;
    ::tcflush(int(handle), TCIFLUSH);
    return queued;
}

} // namespace RomCmd::SerialPlatform
