// vlx-rom write against the ROM command layer on a pseudo-terminal, in one run:
// RomCmd::writeMemoryByFile of the file, the same write through the command-line
// library in this process, and through the vlx-rom program; then the program's
// peak resident memory for a 1 MiB and a large file (it must not grow with the size).
#include "ptylink.h"
#include "records.h"
#include "romcmd.h"
#include "romsim.h"
#include "uartserver.h"
#include "vlxrom.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

constexpr double TargetRatio = 1.05;
constexpr long TargetGrowthKiB = 2048;

void quiet(QtMsgType type, const QMessageLogContext&, const QString& msg)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        fprintf(stderr, "%s\n", qPrintable(msg));
}

bool makeFile(const QString& path, qint64 size)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QByteArray block(1 << 20, Qt::Uninitialized);
    for (int i = 0; i < block.size(); ++i)
        block[i] = char((i * 13 + (i >> 9)) & 0xFF);
    for (qint64 done = 0; done < size;) {
        const qint64 n = std::min<qint64>(block.size(), size - done);
        if (f.write(block.constData(), n) != n)
            return false;
        done += n;
    }
    return true;
}

double threadCpuSeconds()
{
    timespec ts {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec + ts.tv_nsec / 1e9;
}

// Best wall-clock and this thread's CPU seconds over the runs (the machine is
// shared: the least disturbed run shows the code's own cost); negative on failure.
struct Timing
{
    double wall = -1;
    double cpu = -1;
    void take(const std::function<bool()>& op)
    {
        if (wall == -2)
            return;
        const double c0 = threadCpuSeconds();
        QElapsedTimer t;
        t.start();
        if (!op()) {
            wall = -2;
            return;
        }
        const double w = t.nsecsElapsed() / 1e9;
        const double c = threadCpuSeconds() - c0;
        if (wall < 0 || w < wall)
            wall = w;
        if (cpu < 0 || c < cpu)
            cpu = c;
    }
};

// One run of the program, with its own wall time, CPU time (user + system) and peak memory.
struct ProgramRun
{
    bool ok = false;
    double wall = 0;
    double cpu = 0;
    long peakKiB = 0;
};

ProgramRun runProgram(const QStringList& args)
{
    QList<QByteArray> bytes { QByteArray(VLXROM_PROGRAM) };
    for (const QString& a : args)
        bytes << a.toLocal8Bit();
    std::vector<char*> argv;
    for (QByteArray& b : bytes)
        argv.push_back(b.data());
    argv.push_back(nullptr);
    ProgramRun r;
    QElapsedTimer t;
    t.start();
    pid_t pid = 0;
    if (posix_spawn(&pid, VLXROM_PROGRAM, nullptr, nullptr, argv.data(), environ) != 0)
        return r;
    // The child's own peak, read while it runs: its rusage peak would also count the
    // parent's memory, which the spawned child shares until it executes the program.
    const QString statusPath = QStringLiteral("/proc/%1/status").arg(pid);
    int status = 0;
    struct rusage u = {};
    for (;;) {
        QFile f(statusPath);
        if (f.open(QIODevice::ReadOnly)) {
            const QByteArray text = f.readAll();
            const int at = text.indexOf("VmHWM:");
            if (at >= 0)
                r.peakKiB = std::max(r.peakKiB, text.mid(at + 6, 20).trimmed().split(' ').first().toLong());
        }
        const pid_t done = wait4(pid, &status, WNOHANG, &u);
        if (done == pid)
            break;
        if (done < 0)
            return r;
        usleep(20000);
    }
    r.wall = t.nsecsElapsed() / 1e9;
    r.cpu = u.ru_utime.tv_sec + u.ru_utime.tv_usec / 1e6 + u.ru_stime.tv_sec + u.ru_stime.tv_usec / 1e6;
    r.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return r;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    qInstallMessageHandler(quiet);
    int sizeMiB = 16;
    int repeat = 3;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("--size-mib"))
            sizeMiB = args[i + 1].toInt();
        else if (args[i] == QLatin1String("--repeat"))
            repeat = args[i + 1].toInt();
    }
    if (sizeMiB < 2 || sizeMiB > 16 || repeat < 1) {
        fprintf(stderr, "usage: %s [--size-mib 2..16] [--repeat N] (the simulated flash holds 16 MiB)\n", argv[0]);
        return 2;
    }
    QTemporaryDir dir;
    const QString big = dir.filePath(QStringLiteral("big.bin"));
    const QString small = dir.filePath(QStringLiteral("small.bin"));
    if (!makeFile(big, qint64(sizeMiB) << 20) || !makeFile(small, 1 << 20)) {
        fprintf(stderr, "cannot write the test files\n");
        return 1;
    }

    RomSim::Engine engine;
    engine.setRequireFlashConfig(false);
    PtyLink link;
    RomSim::UartServer server(link, engine);
    const QString port = link.toolPath();
    const QString address = QStringLiteral("0x%1").arg(RomSim::FlashBase, 0, 16);
    const auto cliArgs = [&](const QString& file) {
        return QStringList { QStringLiteral("--port"), port, QStringLiteral("-m"), QStringLiteral("0x10000"),
            QStringLiteral("write"), file, address };
    };
    const auto fresh = [&] {
        engine.clearTranscript(); // the simulator keeps every frame otherwise
        server.clearReceived();
    };

    // The three ways in turn, so that a busy spell of the machine hits each alike.
    SerialPortInfo info;
    info.portName = port;
    ProgramRun smallRun, bigRun;
    const auto program = [&](const QString& file, ProgramRun* keep) {
        fresh();
        const ProgramRun r = runProgram(cliArgs(file) << QStringLiteral("--quiet"));
        if (r.ok && (keep->wall == 0 || r.wall < keep->wall))
            *keep = r;
        return r.ok;
    };
    Timing direct, inProcess, child; // child.wall is the program's, from the parent
    for (int i = 0; i < repeat; ++i) {
        // The command layer alone, the port opened outside the timing as in the transfer benchmark.
        auto rom = RomCmd::RomCmd::create(QVariant::fromValue(info), EDeviceTypeUart);
        direct.take([&] {
            fresh();
            return rom->writeMemoryByFile(RomSim::MemXpi0, RomSim::FlashBase, big) == 0;
        });
        rom.reset();
        // The command line in this process: parsing, opening, progress and closing included.
        inProcess.take([&] {
            fresh();
            QBuffer out, err;
            out.open(QIODevice::WriteOnly);
            err.open(QIODevice::WriteOnly);
            RomCmd::CliEnvironment env;
            env.out = &out;
            env.err = &err;
            return RomCmd::runVlxRom(QStringList { QStringLiteral("vlx-rom") } + cliArgs(big), env) == 0;
        });
        // The program, a process of its own.
        child.take([&] { return program(big, &bigRun); });
        program(small, &smallRun);
    }

    if (direct.wall < 0 || inProcess.wall < 0 || child.wall < 0 || !smallRun.ok || !bigRun.ok) {
        fprintf(stderr, "a run failed\n");
        return 1;
    }
    const double mib = sizeMiB;
    printf("Write of %d MiB over a pseudo-terminal, best of %d runs:\n", sizeMiB, repeat);
    const auto row = [&](const char* name, const Timing& t) {
        const double ratio = t.wall / direct.wall;
        printf("  %-28s %7.3f s  %6.2f MiB/s  ratio %.3f %-4s", name, t.wall, mib / t.wall, ratio,
            ratio <= TargetRatio ? "ok" : "OVER");
        if (t.cpu >= 0)
            printf("| tool thread cpu %6.3f s, ratio %.3f", t.cpu, t.cpu / direct.cpu);
        printf("\n");
    };
    printf("  %-28s %7.3f s  %6.2f MiB/s                  | tool thread cpu %6.3f s\n", "RomCmd::writeMemoryByFile",
        direct.wall, mib / direct.wall, direct.cpu);
    row("vlx-rom write, in process", inProcess);
    child.cpu = -1; // another process: see its own figures below
    row("vlx-rom write, program", child);
    printf("  (target: within %.0f %% of writeMemoryByFile; on a busy machine the wall times scatter,\n"
           "   the tool thread's cpu shows what the command line adds)\n",
        (TargetRatio - 1) * 100);
    // The program's start-up (catalogue, parser) costs the same for any size: the per-MiB cost is the difference.
    const double perMiB = (bigRun.cpu - smallRun.cpu) / (mib - 1);
    printf("  program cpu (user+system): 1 MiB %.3f s, %d MiB %.3f s -> %.4f s per MiB; writeMemoryByFile %.4f s per "
           "MiB\n",
        smallRun.cpu, sizeMiB, bigRun.cpu, perMiB, direct.cpu / mib);
    printf("Peak resident memory of the vlx-rom program:\n");
    printf("  1 MiB file   %7ld KiB\n", smallRun.peakKiB);
    const long growth = bigRun.peakKiB - smallRun.peakKiB;
    printf("  %2d MiB file  %7ld KiB  growth %ld KiB (target <= %ld) %s\n", sizeMiB, bigRun.peakKiB, growth,
        TargetGrowthKiB, growth <= TargetGrowthKiB ? "ok" : "OVER");
    return 0;
}
