#include "serialplatform.h"

#include <QFileInfo>
#include <cerrno>
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
            return QStringLiteral("permission denied: the user needs access to the port "
                                  "(e.g. membership of the dialout group, then log in again)");
        return QStringLiteral("the port is busy: another program holds it");
    case QSerialPort::DeviceNotFoundError:
        return QStringLiteral("no such port");
    default:
        return QStringLiteral("cannot open the port");
    }
}

bool waitReadable(qintptr handle, int ms)
{
    // A hang-up or error also ends the wait: the read that follows reports it.
    return pollFor(int(handle), POLLIN, ms) > 0;
}

int64_t readAvailable(qintptr handle, uint8_t* data, int64_t capacity)
{
    for (;;) {
        const ssize_t n = ::read(int(handle), data, size_t(capacity));
        if (n > 0)
            return n;
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return 0;
        return -1; // error, or end of file on a vanished device
    }
}

int64_t writeAll(qintptr handle, const uint8_t* data, int64_t length, int stallMs)
{
    int64_t done = 0;
    while (done < length) {
        const ssize_t n = ::write(int(handle), data + done, size_t(length - done));
        if (n > 0) {
            done += n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            break;
        const int ev = pollFor(int(handle), POLLOUT, stallMs);
        if (ev <= 0 || (ev & (POLLERR | POLLHUP | POLLNVAL)))
            break;
    }
    return done;
}

void discardOutput(qintptr handle) { ::tcflush(int(handle), TCOFLUSH); }

int64_t discardInput(qintptr handle)
{
    int queued = 0;
    if (::ioctl(int(handle), FIONREAD, &queued) != 0)
        queued = 0;
    ::tcflush(int(handle), TCIFLUSH);
    return queued;
}

} // namespace RomCmd::SerialPlatform
