// The vlx-rom command line: argument parsing, the commands, their exit statuses
// and their output. main() hands it the process's streams; tests hand it buffers.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class QIODevice;
class HotplugSource;

namespace RomCmd {

enum CliExit {
    ExitOk = 0,
    ExitUsage = 2, // bad arguments, unreadable input files
    ExitNoDevice = 3, // device absent or cannot be opened
    ExitProtocol = 4, // the transport failed
    ExitRefused = 5, // the ROM answered with a non-zero status
    ExitInterrupted = 130 // Ctrl-C
};

struct SerialPortEntry
{
    QString name;
    QString description;
    quint32 vendorId = 0; // 0 when the port is not on USB
    quint32 productId = 0;
};

struct CliEnvironment
{
    QIODevice* out = nullptr; // results, --json lines
    QIODevice* err = nullptr; // progress, warnings, errors
    bool errIsTerminal = false;
    int columns = 80;
    std::function<std::unique_ptr<HotplugSource>()> hotplugSource; // for list
    std::function<QList<SerialPortEntry>()> serialPorts; // for list
    int restartPollMs = 500; // run: pause between looks for a restarted device
    int restartPolls = 20;
};

// The process's own system facts (udev, the serial-port enumeration, the terminal).
CliEnvironment systemEnvironment(QIODevice* out, QIODevice* err);

// Runs one command line (arguments[0] is the program); returns the exit status.
int runVlxRom(const QStringList& arguments, const CliEnvironment& env);

} // namespace RomCmd
