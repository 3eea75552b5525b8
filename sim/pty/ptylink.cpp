#include "ptylink.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace {
void makeRaw(int fd)
{
    termios t {};
    if (tcgetattr(fd, &t) != 0)
        return;
    cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    tcsetattr(fd, TCSANOW, &t);
}

int pollFor(int fd, short events, int timeoutMs)
{
    pollfd p { fd, events, 0 };
    for (;;) {
        const int r = ::poll(&p, 1, timeoutMs);
        if (r < 0 && errno == EINTR)
            continue;
        return r > 0 ? p.revents : r;
    }
}
} // namespace

PtyLink::PtyLink()
{
    char name[128] = {};
    if (openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0) {
        m_master = m_slave = -1;
        return;
    }
    m_slavePath = QString::fromLocal8Bit(name);
    makeRaw(m_slave);
    makeRaw(m_master);
    fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);
    fcntl(m_master, F_SETFD, FD_CLOEXEC);
    fcntl(m_slave, F_SETFD, FD_CLOEXEC);
}

PtyLink::~PtyLink()
{
    close();
}

void PtyLink::close()
{
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
    m_master = m_slave = -1;
}

QByteArray PtyLink::read(int maxBytes, int timeoutMs)
{
    if (m_master < 0 || maxBytes <= 0)
        return {};
    const int ev = pollFor(m_master, POLLIN, timeoutMs);
    if (ev <= 0 || !(ev & POLLIN))
        return {};
    QByteArray out(maxBytes, Qt::Uninitialized);
    const ssize_t n = ::read(m_master, out.data(), size_t(maxBytes));
    if (n <= 0)
        return {};
    out.resize(int(n));
    return out;
}

QByteArray PtyLink::readExact(int n, int timeoutMs)
{
    QByteArray out;
    while (out.size() < n) {
        const QByteArray part = read(n - out.size(), timeoutMs);
        if (part.isEmpty())
            break;
        out += part;
    }
    return out;
}

bool PtyLink::writeAll(const QByteArray& bytes, int timeoutMs)
{
    int done = 0;
    while (done < bytes.size()) {
        if (m_master < 0)
            return false;
        const ssize_t n = ::write(m_master, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0) {
            done += int(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
            return false;
        const int ev = pollFor(m_master, POLLOUT, timeoutMs);
        if (ev <= 0 || !(ev & POLLOUT))
            return false;
    }
    return true;
}

void PtyLink::flush()
{
    if (m_slave >= 0)
        tcflush(m_slave, TCIOFLUSH);
    if (m_master >= 0)
        tcflush(m_master, TCIOFLUSH);
}

int PtyLink::toolBaudRate() const
{
    if (m_slave < 0)
        return 0;
    termios t {};
    if (tcgetattr(m_slave, &t) != 0)
        return 0;
    static const struct
    {
        speed_t code;
        int baud;
    } rates[] = { { B9600, 9600 }, { B19200, 19200 }, { B38400, 38400 }, { B57600, 57600 }, { B115200, 115200 },
        { B230400, 230400 }, { B460800, 460800 }, { B500000, 500000 }, { B576000, 576000 }, { B921600, 921600 },
        { B1000000, 1000000 }, { B1152000, 1152000 }, { B1500000, 1500000 }, { B2000000, 2000000 },
        { B3000000, 3000000 } };
    const speed_t code = cfgetospeed(&t);
    for (const auto& r : rates)
        if (r.code == code)
            return r.baud;
    return 0;
}
