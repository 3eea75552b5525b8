// Transfer benchmark of the ROM command layer on a pseudo-terminal link:
// the link's floor (raw frames between two minimal C ends), RomCmd + SerialIO
// against the simulator and against a minimal C sink, and the peak resident
// memory of image loads measured in child processes.
#include "linkfloor.h"
#include "ptylink.h"
#include "records.h"
#include "romcmd.h"
#include "romsim.h"
#include "uartserver.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <utility>
#include <cstdio>
#include <functional>
#include <unistd.h>

namespace {

// Targets of the tool's own cost, against minimal C ends on the same link.
constexpr double TargetWallRatio = 1.3; // time per frame over the floor's
constexpr double TargetCpuRatio = 1.5;  // tool-thread CPU per frame over the floor's C end
constexpr qint64 TargetMemoryKiB = 2048;
constexpr int FramePayload = 512;

struct Options
{
    int sizeMiB = 16;
    int imageMiB = 256;
    int repeat = 3;
    int floorFrames = 20000;
};

void quiet(QtMsgType type, const QMessageLogContext&, const QString& msg)
{
    if (type == QtWarningMsg || type == QtCriticalMsg || type == QtFatalMsg)
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

qint64 vmHwmKiB()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QString text = QString::fromLatin1(f.readAll());
    const auto m = QRegularExpression(QStringLiteral("VmHWM:\\s+(\\d+) kB")).match(text);
    return m.hasMatch() ? m.captured(1).toLongLong() : -1;
}

QString loadAverage()
{
    QFile f(QStringLiteral("/proc/loadavg"));
    if (!f.open(QIODevice::ReadOnly))
        return QStringLiteral("unknown");
    return QString::fromLatin1(f.readAll()).section(QLatin1Char(' '), 0, 2);
}

qint64 dataFrames(qint64 size, qint64 firstChunk)
{
    if (size <= firstChunk)
        return 1;
    return 1 + (size - firstChunk + RomCmd::DataChunk - 1) / RomCmd::DataChunk;
}

// Wall-clock and tool-thread CPU microseconds of one run; negative wall time on failure.
struct Timing
{
    double wall = -1;
    double cpu = -1;
};

// The best of each figure over the runs: the machine may be shared, and the
// least disturbed run is the one that shows the code's own cost.
Timing best(int repeat, const std::function<Timing()>& run)
{
    Timing b;
    for (int i = 0; i < repeat; ++i) {
        const Timing v = run();
        if (v.wall < 0)
            return Timing();
        if (b.wall < 0 || v.wall < b.wall)
            b.wall = v.wall;
        if (b.cpu < 0 || v.cpu < b.cpu)
            b.cpu = v.cpu;
    }
    return b;
}

Timing timeRun(const std::function<bool()>& op)
{
    const double cpu0 = link_thread_cpu_us();
    QElapsedTimer t;
    t.start();
    const bool ok = op();
    Timing r;
    r.wall = ok ? t.nsecsElapsed() / 1e3 : -1.0;
    r.cpu = link_thread_cpu_us() - cpu0;
    return r;
}

std::unique_ptr<RomCmd::RomCmd> openRom(const QString& port)
{
    SerialPortInfo info;
    info.portName = port;
    return RomCmd::RomCmd::create(QVariant::fromValue(info), EDeviceTypeUart);
}

// Child process: one image load on the given port, then its own peak memory.
int childLoad(const QString& port, const QString& path)
{
    auto rom = openRom(port);
    QElapsedTimer t;
    t.start();
    const int result = rom->loadImage(path);
    const double seconds = t.nsecsElapsed() / 1e9;
    rom.reset();
    printf("result %d seconds %.3f VmHWM %lld\n", result, seconds, vmHwmKiB());
    return result == 0 ? 0 : 1;
}

struct Row
{
    QString name;
    qint64 bytes = 0;
    qint64 frames = 0;
    Timing us; // whole transfer
    Timing floor; // per frame
    bool target = false; // against a C end: the ratios are the tool's own
};

void printRow(const Row& r)
{
    if (r.us.wall < 0) {
        printf("%-28s failed\n", qPrintable(r.name));
        return;
    }
    const double usPerFrame = r.us.wall / double(r.frames);
    const double cpuPerFrame = r.us.cpu / double(r.frames);
    const double mibps = double(r.bytes) / (1 << 20) / (r.us.wall / 1e6);
    const double wallRatio = usPerFrame / r.floor.wall;
    const double cpuRatio = cpuPerFrame / r.floor.cpu;
    const auto mark = [&](double ratio, double target) { return !r.target ? "" : ratio <= target ? "ok" : "OVER"; };
    printf("%-28s %6.2f MiB/s %6.1f us/frame x%.2f %-4s| cpu %5.1f us/frame x%.2f %s\n", qPrintable(r.name), mibps,
        usPerFrame, wallRatio, mark(wallRatio, TargetWallRatio), cpuPerFrame, cpuRatio, mark(cpuRatio, TargetCpuRatio));
}

// Image load on a child process with the simulator serving it from here.
bool memoryRun(const QString& self, const QString& path, qint64 size, qint64* hwm, double* seconds)
{
    RomSim::Engine engine;
    engine.setExpectedImageLength(uint32_t(size));
    PtyLink link;
    if (!link.isOpen())
        return false;
    RomSim::UartServer server(link, engine);
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(self, { QStringLiteral("--child-load"), link.toolPath(), path });
    if (!child.waitForFinished(-1) || child.exitCode() != 0) {
        fprintf(stderr, "child failed: %s\n", child.readAllStandardOutput().constData());
        return false;
    }
    const QString out = QString::fromLatin1(child.readAllStandardOutput());
    const auto m = QRegularExpression(QStringLiteral("seconds ([0-9.]+) VmHWM (\\d+)")).match(out);
    if (!m.hasMatch())
        return false;
    *seconds = m.captured(1).toDouble();
    *hwm = m.captured(2).toLongLong();
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    qInstallMessageHandler(quiet);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args[1] == QLatin1String("--child-load"))
        return childLoad(args[2], args[3]);

    Options o;
    for (int i = 1; i + 1 < args.size(); i += 2) {
        const int v = args[i + 1].toInt();
        if (args[i] == QLatin1String("--size-mib"))
            o.sizeMiB = v;
        else if (args[i] == QLatin1String("--image-mib"))
            o.imageMiB = v;
        else if (args[i] == QLatin1String("--repeat"))
            o.repeat = v;
        else if (args[i] == QLatin1String("--floor-frames"))
            o.floorFrames = v;
    }
    if (o.sizeMiB <= 0 || o.sizeMiB > 16 || o.imageMiB <= 0 || o.repeat <= 0 || o.floorFrames <= 0) {
        fprintf(stderr,
            "usage: %s [--size-mib 1..16] [--image-mib N] [--repeat N] [--floor-frames N]\n"
            "(the simulated flash holds 16 MiB)\n",
            argv[0]);
        return 2;
    }
    const qint64 size = qint64(o.sizeMiB) << 20;

    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("transfer.bin"));
    if (!dir.isValid() || !makeFile(file, size)) {
        fprintf(stderr, "cannot write the test file\n");
        return 1;
    }

    printf("Frames of %d payload bytes, best of %d runs.\n\n", FramePayload, o.repeat);
    const auto floorRun = [&](int direction) {
        return best(o.repeat, [&] {
            Timing t;
            t.wall = link_floor_us_per_frame(direction, o.floorFrames, FramePayload, &t.cpu);
            return t;
        });
    };
    const Timing floorTo = floorRun(LINK_FLOOR_TO_DEVICE);
    const Timing floorFrom = floorRun(LINK_FLOOR_FROM_DEVICE);
    if (floorTo.wall <= 0 || floorFrom.wall <= 0) {
        fprintf(stderr, "pseudo-terminal floor failed\n");
        return 1;
    }
    printf("Load average: %s\n", qPrintable(loadAverage()));
    printf("Link floor (C ends, raw frames + acks):\n");
    printf("  to device   %7.1f us/frame %7.2f MiB/s | cpu %5.1f us/frame\n", floorTo.wall,
        RomCmd::DataChunk / floorTo.wall * 1e6 / (1 << 20), floorTo.cpu);
    printf("  from device %7.1f us/frame %7.2f MiB/s | cpu %5.1f us/frame\n\n", floorFrom.wall,
        RomCmd::DataChunk / floorFrom.wall * 1e6 / (1 << 20), floorFrom.cpu);

    QList<Row> rows;
    {
        RomSim::Engine engine;
        engine.setRequireFlashConfig(false);
        engine.setExpectedImageLength(uint32_t(size));
        PtyLink link;
        RomSim::UartServer server(link, engine);
        auto rom = openRom(link.toolPath());
        const auto timed = [&](const std::function<int()>& op) {
            return best(o.repeat, [&] {
                engine.clearTranscript();
                server.clearReceived();
                return timeRun([&] { return op() == 0; });
            });
        };
        quint64 sum = 0;
        QObject::connect(rom.get(), &RomCmd::RomCmd::signalMemoryReadProgress,
            [&](uint32_t, uint32_t, uint8_t* v, int n, int, int, bool) {
                for (int i = 0; i < n; i += 64)
                    sum += v[i];
            });
        const QString name = QStringLiteral("%1 MiB, simulator").arg(o.sizeMiB);
        rows.append({ QStringLiteral("writeMemoryByFile ") + name, size, dataFrames(size, RomCmd::FirstWriteChunk),
            timed([&] { return rom->writeMemoryByFile(RomSim::MemXpi0, RomSim::FlashBase, file); }), floorTo, false });
        rows.append({ QStringLiteral("readMemory ") + name, size, dataFrames(size, RomCmd::DataChunk),
            timed([&] { return rom->readMemory(RomSim::MemXpi0, RomSim::FlashBase, uint32_t(size), false); }),
            floorFrom, false });
        rows.append({ QStringLiteral("loadImage ") + name, size, dataFrames(size, RomCmd::DataChunk),
            timed([&] { return rom->loadImage(file); }), floorTo, false });
        if (sum == 0)
            rows[1].us.wall = -1;
    }
    {
        // The same transfers against minimal C ends: the tool side's own cost.
        int master = -1, slave = -1;
        char path[128];
        if (link_pty_open(&master, &slave, path, sizeof path) != 0) {
            fprintf(stderr, "pseudo-terminal failed\n");
            return 1;
        }
        const QString port = QString::fromLocal8Bit(path);
        // Each run of a row follows a floor run of its own direction, so the
        // ratio compares figures taken moments apart, not minutes.
        const auto againstC = [&](int direction, const std::function<void*()>& start,
                                  const std::function<int(void*)>& join,
                                  const std::function<int(RomCmd::RomCmd&)>& op) {
            Timing row, floor;
            const auto keepBest = [](Timing& b, const Timing& v) {
                b.wall = b.wall < 0 ? v.wall : std::min(b.wall, v.wall);
                b.cpu = b.cpu < 0 ? v.cpu : std::min(b.cpu, v.cpu);
            };
            for (int i = 0; i < o.repeat; ++i) {
                Timing f;
                f.wall = link_floor_us_per_frame(direction, o.floorFrames, FramePayload, &f.cpu);
                void* end = start();
                auto rom = openRom(port);
                int r = -1;
                Timing t = timeRun([&] { return (r = op(*rom)) == 0; });
                rom.reset();
                if (f.wall <= 0 || join(end) != 0 || r != 0)
                    return std::make_pair(Timing(), floor);
                keepBest(floor, f);
                keepBest(row, t);
            }
            return std::make_pair(row, floor);
        };
        const auto sink = [&](int firstHeader) {
            return [&, firstHeader]() -> void* { return link_sink_start(master, size, firstHeader); };
        };
        const auto sinkJoin = [](void* e) { return link_sink_join(static_cast<link_sink*>(e)); };
        const QString name = QStringLiteral(" %1 MiB, C end").arg(o.sizeMiB);
        const auto addRow = [&](const QString& op, qint64 frames, const std::pair<Timing, Timing>& t) {
            rows.append({ op + name, size, frames, t.first, t.second, true });
        };
        addRow(QStringLiteral("writeMemoryByFile"), dataFrames(size, RomCmd::FirstWriteChunk),
            againstC(LINK_FLOOR_TO_DEVICE, sink(16), sinkJoin,
                [&](RomCmd::RomCmd& rom) { return rom.writeMemoryByFile(RomSim::MemXpi0, RomSim::FlashBase, file); }));
        addRow(QStringLiteral("readMemory"), dataFrames(size, RomCmd::DataChunk),
            againstC(LINK_FLOOR_FROM_DEVICE,
                [&]() -> void* { return link_source_start(master, size, int(RomCmd::DataChunk)); },
                [](void* e) { return link_source_join(static_cast<link_source*>(e)); },
                [&](RomCmd::RomCmd& rom) {
                    return rom.readMemory(RomSim::MemXpi0, RomSim::FlashBase, uint32_t(size), false);
                }));
        addRow(QStringLiteral("loadImage"), dataFrames(size, RomCmd::DataChunk),
            againstC(LINK_FLOOR_TO_DEVICE, sink(4), sinkJoin, [&](RomCmd::RomCmd& rom) { return rom.loadImage(file); }));
        close(slave);
        close(master);
    }
    printf("Through RomCmd and SerialIO; x = ratio to the floor's time and to its C end's CPU per frame\n"
           "(targets against the C ends: time x%.1f, CPU x%.1f; against the simulator the device side's cost is in):\n",
        TargetWallRatio, TargetCpuRatio);
    for (const Row& r : rows)
        printRow(r);

    printf("\nPeak resident memory of the loading process (VmHWM, child per run):\n");
    const QString self = QCoreApplication::applicationFilePath();
    qint64 hwm[2] = { -1, -1 };
    const int sizes[2] = { 1, o.imageMiB };
    for (int i = 0; i < 2; ++i) {
        const QString path = dir.filePath(QStringLiteral("image%1.bin").arg(sizes[i]));
        double secs = 0;
        if (!makeFile(path, qint64(sizes[i]) << 20) || !memoryRun(self, path, qint64(sizes[i]) << 20, &hwm[i], &secs)) {
            printf("  %4d MiB image: failed\n", sizes[i]);
            continue;
        }
        QFile::remove(path);
        printf("  %4d MiB image: %8lld KiB  (%.1f s, %.2f MiB/s)\n", sizes[i], hwm[i], secs, sizes[i] / secs);
    }
    if (hwm[0] > 0 && hwm[1] > 0) {
        const qint64 delta = hwm[1] - hwm[0];
        printf("  difference:     %8lld KiB  (target <= %lld KiB) %s\n", delta, TargetMemoryKiB,
            delta <= TargetMemoryKiB ? "ok" : "OVER");
    }
    return 0;
}
