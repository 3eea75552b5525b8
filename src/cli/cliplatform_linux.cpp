#include "cliplatform.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <sys/ioctl.h>
#include <unistd.h>

namespace RomCmd::CliPlatform {

namespace {
std::atomic<bool> g_interrupted { false };
static_assert(std::atomic<bool>::is_always_lock_free, "read from a signal handler");
struct sigaction g_previous;
bool g_installed = false;

void onInterrupt(int)
{
    g_interrupted.store(true);
}
} // namespace

void installInterruptHandler()
{
    if (g_installed)
        return;
    struct sigaction sa = {};
    sa.sa_handler = onInterrupt;
    sigemptyset(&sa.sa_mask);
    // Blocking reads go on after the flag is set; the second press is the default, fatal one.
    sa.sa_flags = SA_RESTART | SA_RESETHAND;
    g_installed = sigaction(SIGINT, &sa, &g_previous) == 0;
}

void restoreInterruptHandler()
{
    if (!g_installed)
        return;
    sigaction(SIGINT, &g_previous, nullptr);
    g_installed = false;
}

bool interruptRequested()
{
    return g_interrupted.load();
}

void clearInterrupt()
{
    g_interrupted.store(false);
}

bool isTerminal(FILE* stream)
{
    return stream && isatty(fileno(stream));
}

int terminalColumns(FILE* stream)
{
    struct winsize ws = {};
    if (stream && ioctl(fileno(stream), TIOCGWINSZ, &ws) == 0 && ws.ws_col > 20)
        return ws.ws_col;
    return 80;
}

PathProblem pathProblem(const QString& path)
{
    const QByteArray p = path.toLocal8Bit();
    if (::access(p.constData(), F_OK) != 0)
        return PathProblem::Absent;
    if (::access(p.constData(), R_OK | W_OK) != 0 && errno == EACCES)
        return PathProblem::Permission;
    return PathProblem::None;
}

} // namespace RomCmd::CliPlatform
