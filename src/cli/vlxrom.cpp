#include "vlxrom.h"
#include "accesshints.h"

#include "apppaths.h"
#include "cliplatform.h"
#include "constants.h"
#include "detectdeviceswin.h"
#include "hex.h"
#include "iostatus.h"
#include "progressmeter.h"
#include "projectconfig.h"
#include "romsession.h"
#include "romstatus.h"
#include "romuimode.h"
#include "serialio.h"
#include "socdatabase.h"
#include "stagedownloadtask.h"

#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMutex>
#include <QSerialPortInfo>
#include <QThread>

#include <climits>
#include <hidapi/hidapi.h>
#include <optional>

namespace RomCmd {

namespace {

constexpr int DefaultBaud = 115200;
constexpr uint32_t DefaultOtpMemory = OtpMemoryId;
constexpr uint64_t EraseMsPerMiB = 10000;
constexpr int MaxFirmwareLoads = RomUiMode::MaxFirmwareLoads;
// Shorter transfers (OTP words, single words) end before a meter would say anything.
constexpr int MeterMinBytes = 4096;

const char UsageText[] = R"(Usage: vlx-rom [options] COMMAND [ARGUMENTS]

Device (one of):
  -p, --port NAME          serial port (ttyUSB0, /dev/ttyACM0, ...)
  -b, --baud N             UART speed to switch the ROM to for the run (default 115200)
  -u, --usb VID:PID[:PATH] USB-HID ROM device, ids in hexadecimal

Commands:
  list                          serial ports and USB-HID ROM devices present
  info                          ROM version, SoC revision, life cycle, capabilities, memories
  read ADDRESS LENGTH FILE      read memory into FILE              (needs --memory)
  write FILE ADDRESS            write FILE into memory             (needs --memory)
  erase ADDRESS LENGTH          erase a region                     (needs --memory)
  erase-all                     erase a whole memory               (needs --memory)
  config-memory ADDRESS         configure a memory from the block at ADDRESS (needs --memory)
  load-image FILE               load and start an image
  otp-read [START [END]]        read OTP words START..END (inclusive, word indices)
  otp-write START WORD...       program OTP words from START (words in hexadecimal)
  reset [TYPE]                  reset the device (type 0 by default)
  run PROJECT.vlxmfg            run the project's production command list

Options:
  -m, --memory ID          memory id (0x10000, 0, ...); OTP commands default to 0x20000
      --stage 1|2          run: the Open (1) or Close (2) list whatever the life cycle says
      --bl-fw DIR          run: bootloader firmware folder (default: bl_fw beside the program, else the installed one)
  -t, --timeout MS         read time-out of every ROM answer (default 10000; erases get longer;
                           run keeps the runner's own)
      --json               print results as JSON lines on standard output
  -q, --quiet              no progress and no warnings, only errors
  -v, --verbose            also the ROM layer's log lines
  -h, --help               this text
  -V, --version            the version

Numbers: decimal, or hexadecimal with 0x; lengths may end in K or M (KiB, MiB).
Exit status: 0 success, 2 bad arguments, 3 device not found or not openable,
4 protocol failure, 5 the ROM refused, 130 interrupted.
)";

QString hex8(uint32_t v)
{
    return QStringLiteral("0x%1").arg(v, 8, 16, QLatin1Char('0'));
}

// "0x" hexadecimal or decimal, with an optional K or M multiplier.
bool parseNumber(QString text, uint64_t max, uint64_t* value, bool allowSuffix = false)
{
    text = text.trimmed();
    uint64_t factor = 1;
    if (allowSuffix && !text.isEmpty() && !text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        const QChar last = text.at(text.size() - 1).toUpper();
        if (last == QLatin1Char('K') || last == QLatin1Char('M')) {
            factor = last == QLatin1Char('K') ? 1024 : 1024 * 1024;
            text.chop(1);
        }
    }
    bool ok = false;
    uint64_t v = 0;
    if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        v = text.mid(2).toULongLong(&ok, 16);
    else
        v = text.toULongLong(&ok, 10);
    if (!ok || text.isEmpty() || v > max / factor)
        return false;
    *value = v * factor;
    return true;
}

bool parseHexWord(const QString& text, uint32_t* value)
{
    const std::optional<quint32> v = Hex::parse32(text);
    if (v)
        *value = *v;
    return v.has_value();
}

// Routes the framework's log lines: to standard error with --verbose, else nowhere.
struct LogRoute
{
    static QMutex& lock()
    {
        static QMutex m;
        return m;
    }
    static QIODevice*& sink()
    {
        static QIODevice* s = nullptr;
        return s;
    }
    static void handler(QtMsgType, const QMessageLogContext&, const QString& msg)
    {
        QMutexLocker locker(&lock());
        if (QIODevice* s = sink()) {
            QString line = msg;
            line.replace(QLatin1String("\r\n"), QLatin1String(" | "));
            s->write((QStringLiteral("[rom] ") + line + QLatin1Char('\n')).toUtf8());
        }
    }
};

class Cli
{
public:
    explicit Cli(const CliEnvironment& env)
        : m_env(env)
    { }

    int run(const QStringList& arguments);

private:
    // ---- output ----
    void err(const QString& line) { m_env.err->write((line + QLatin1Char('\n')).toUtf8()); }
    void out(const QString& line) { m_env.out->write((line + QLatin1Char('\n')).toUtf8()); }
    void note(const QString& line)
    {
        if (!m_quiet)
            err(line);
    }
    void json(QJsonObject o)
    {
        if (!o.contains(QLatin1String("command")))
            o.insert(QStringLiteral("command"), m_command);
        out(QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact)));
    }
    int fail(int exit, const QString& message, QJsonObject extra = {})
    {
        err(QStringLiteral("vlx-rom: ") + message);
        if (m_json) {
            extra.insert(QStringLiteral("ok"), false);
            extra.insert(QStringLiteral("exit"), exit);
            extra.insert(QStringLiteral("error"), message);
            if (!m_deviceId.isEmpty())
                extra.insert(QStringLiteral("device"), m_deviceId);
            json(extra);
        }
        return exit;
    }
    int usage(const QString& message) { return fail(ExitUsage, message + QStringLiteral(" (see vlx-rom --help)")); }
    int succeed(QJsonObject result = {})
    {
        if (m_json) {
            result.insert(QStringLiteral("ok"), true);
            result.insert(QStringLiteral("exit"), 0);
            if (!m_deviceId.isEmpty())
                result.insert(QStringLiteral("device"), m_deviceId);
            json(result);
        }
        return ExitOk;
    }

    // ---- device ----
    int parseDevice();
    int openSession();
    int openFailure();
    void closeSession();
    int romFailure(int status, const QString& what);
    bool lastRomStatus(CmdStatusInfo* info);
    int interrupted(const QString& what);
    void watch(DownloadCmd* runner, bool progress);
    // The IoStatus of the query; IoOk only with the record in hand.
    int query(uint32_t rteId, uint32_t arg, QVariant* record);

    // ---- commands ----
    int cmdList();
    int cmdInfo();
    int cmdRead();
    int cmdWrite();
    int cmdErase(bool all);
    int cmdConfigMemory();
    int cmdLoadImage();
    int cmdOtpRead();
    int cmdOtpWrite();
    int cmdReset();
    int cmdRun();
    int connectionTest(const QString& firmwareDir);
    int stageRun(const ProjectData& project, int forcedStage);

    bool memoryOption(uint32_t* id, std::optional<uint32_t> fallback = std::nullopt);
    bool argCount(int min, int max);
    bool inputFile(const QString& path, QString* problem);
    QString socOfIds(quint32 vid, quint32 pid) const;
    int transferDone(const QString& verb, qint64 bytes, QJsonObject result);

    const CliEnvironment& m_env;
    QCommandLineParser m_parser;
    QString m_command;
    QStringList m_args;
    bool m_json = false;
    bool m_quiet = false;
    bool m_verbose = false;
    uint32_t m_timeout = 0;

    QVariant m_info;
    EDeviceType m_type = EDeviceTypeUart;
    QString m_deviceId;
    int m_baud = DefaultBaud;
    std::unique_ptr<RomSession> m_session;
    std::unique_ptr<ProgressMeter> m_meter;
    QString m_meterLabel;
    int m_meterIndex = -1;
    bool m_perCommand = false; // run: one meter and one line per command of the list
    bool m_stopAsked = false;
    QElapsedTimer m_clock;
    QStringList m_reports; // device reports of the runner, for info
};

int Cli::run(const QStringList& arguments)
{
    const QCommandLineOption port({ "p", "port" }, "", "NAME");
    const QCommandLineOption baud({ "b", "baud" }, "", "N");
    const QCommandLineOption usb({ "u", "usb" }, "", "VID:PID[:PATH]");
    const QCommandLineOption memory({ "m", "memory" }, "", "ID");
    const QCommandLineOption stage("stage", "", "N");
    const QCommandLineOption blfw("bl-fw", "", "DIR");
    const QCommandLineOption timeout({ "t", "timeout" }, "", "MS");
    const QCommandLineOption json("json", "");
    const QCommandLineOption quiet({ "q", "quiet" }, "");
    const QCommandLineOption verbose({ "v", "verbose" }, "");
    const QCommandLineOption help({ "h", "help" }, "");
    const QCommandLineOption version({ "V", "version" }, "");
    m_parser.addOptions({ port, baud, usb, memory, stage, blfw, timeout, json, quiet, verbose, help, version });

    m_json = arguments.contains(QStringLiteral("--json"));
    if (!m_parser.parse(arguments))
        return usage(m_parser.errorText());
    m_json = m_parser.isSet(json);
    m_quiet = m_parser.isSet(quiet);
    m_verbose = m_parser.isSet(verbose) && !m_quiet;
    if (m_parser.isSet(help)) {
        m_env.out->write(UsageText);
        return ExitOk;
    }
    if (m_parser.isSet(version)) {
        out(QStringLiteral("vlx-rom 0.4.0"));
        return ExitOk;
    }
    const QStringList positional = m_parser.positionalArguments();
    if (positional.isEmpty())
        return usage(QStringLiteral("no command given"));
    m_command = positional.first();
    m_args = positional.mid(1);
    if (m_parser.isSet(timeout)) {
        uint64_t ms = 0;
        if (!parseNumber(m_parser.value(timeout), INT_MAX, &ms) || ms == 0)
            return usage(QStringLiteral("bad time-out: %1").arg(m_parser.value(timeout)));
        m_timeout = uint32_t(ms);
    }

    static const QStringList deviceCommands { "info", "read", "write", "erase", "erase-all", "config-memory",
        "load-image", "otp-read", "otp-write", "reset", "run" };
    if (m_command == QLatin1String("list")) {
        if (!argCount(0, 0))
            return ExitUsage;
        return cmdList();
    }
    if (!deviceCommands.contains(m_command))
        return usage(QStringLiteral("unknown command: %1").arg(m_command));
    if (const int r = parseDevice(); r != ExitOk)
        return r;

    if (m_command == QLatin1String("info"))
        return argCount(0, 0) ? cmdInfo() : ExitUsage;
    if (m_command == QLatin1String("read"))
        return argCount(3, 3) ? cmdRead() : ExitUsage;
    if (m_command == QLatin1String("write"))
        return argCount(2, 2) ? cmdWrite() : ExitUsage;
    if (m_command == QLatin1String("erase"))
        return argCount(2, 2) ? cmdErase(false) : ExitUsage;
    if (m_command == QLatin1String("erase-all"))
        return argCount(0, 0) ? cmdErase(true) : ExitUsage;
    if (m_command == QLatin1String("config-memory"))
        return argCount(1, 1) ? cmdConfigMemory() : ExitUsage;
    if (m_command == QLatin1String("load-image"))
        return argCount(1, 1) ? cmdLoadImage() : ExitUsage;
    if (m_command == QLatin1String("otp-read"))
        return argCount(0, 2) ? cmdOtpRead() : ExitUsage;
    if (m_command == QLatin1String("otp-write"))
        return argCount(2, INT_MAX) ? cmdOtpWrite() : ExitUsage;
    if (m_command == QLatin1String("reset"))
        return argCount(0, 1) ? cmdReset() : ExitUsage;
    return argCount(1, 1) ? cmdRun() : ExitUsage;
}

bool Cli::argCount(int min, int max)
{
    if (m_args.size() >= min && m_args.size() <= max)
        return true;
    usage(QStringLiteral("%1: wrong number of arguments").arg(m_command));
    return false;
}

bool Cli::memoryOption(uint32_t* id, std::optional<uint32_t> fallback)
{
    if (!m_parser.isSet(QStringLiteral("memory"))) {
        if (fallback) {
            *id = *fallback;
            return true;
        }
        usage(QStringLiteral("%1 needs --memory ID").arg(m_command));
        return false;
    }
    uint64_t v = 0;
    if (!parseNumber(m_parser.value(QStringLiteral("memory")), UINT32_MAX, &v)) {
        usage(QStringLiteral("bad memory id: %1").arg(m_parser.value(QStringLiteral("memory"))));
        return false;
    }
    *id = uint32_t(v);
    return true;
}

bool Cli::inputFile(const QString& path, QString* problem)
{
    const QFileInfo fi(path);
    if (!fi.exists())
        *problem = QStringLiteral("no such file: %1").arg(path);
    else if (!fi.isFile() || !fi.isReadable())
        *problem = QStringLiteral("cannot read file: %1").arg(path);
    else if (fi.size() == 0)
        *problem = QStringLiteral("empty file: %1").arg(path);
    else if (fi.size() > qint64(UINT32_MAX))
        *problem = QStringLiteral("file larger than 4 GiB: %1").arg(path);
    return problem->isEmpty();
}

int Cli::parseDevice()
{
    const bool hasPort = m_parser.isSet(QStringLiteral("port"));
    const bool hasUsb = m_parser.isSet(QStringLiteral("usb"));
    if (hasPort == hasUsb)
        return usage(QStringLiteral("%1 needs one device: --port NAME or --usb VID:PID[:PATH]").arg(m_command));
    if (hasPort) {
        SerialPortInfo port;
        port.portName = m_parser.value(QStringLiteral("port"));
        if (m_parser.isSet(QStringLiteral("baud"))) {
            uint64_t b = 0;
            if (!parseNumber(m_parser.value(QStringLiteral("baud")), INT_MAX, &b) || b == 0)
                return usage(QStringLiteral("bad baud rate: %1").arg(m_parser.value(QStringLiteral("baud"))));
            port.baudRate = int(b);
        }
        m_baud = port.baudRate;
        m_type = EDeviceTypeUart;
        m_info = QVariant::fromValue(port);
        m_deviceId = port.portName;
        return ExitOk;
    }
    if (m_parser.isSet(QStringLiteral("baud")))
        return usage(QStringLiteral("--baud applies to --port only"));
    const QString usbArg = m_parser.value(QStringLiteral("usb"));
    const QStringList parts = usbArg.split(QLatin1Char(':'));
    uint32_t vid = 0, pid = 0;
    if (parts.size() < 2 || !parseHexWord(parts[0], &vid) || !parseHexWord(parts[1], &pid) || vid > 0xFFFF
        || pid > 0xFFFF)
        return usage(QStringLiteral("bad USB device: %1 (expected VID:PID[:PATH], hexadecimal ids)").arg(usbArg));
    UsbInfo usbInfo;
    usbInfo.vendorId = vid;
    usbInfo.productId = pid;
    usbInfo.devicePath = parts.mid(2).join(QLatin1Char(':'));
    if (usbInfo.devicePath.isEmpty()) {
        // The first device with these ids; its path names it in every message.
        if (hid_device_info* list = hid_enumerate(static_cast<unsigned short>(vid), static_cast<unsigned short>(pid))) {
            usbInfo.devicePath = QString::fromUtf8(list->path);
            hid_free_enumeration(list);
        } else {
            m_deviceId = QStringLiteral("%1:%2").arg(vid, 4, 16, QLatin1Char('0')).arg(pid, 4, 16, QLatin1Char('0'));
            return fail(ExitNoDevice, QStringLiteral("no USB-HID device %1 present").arg(m_deviceId));
        }
    }
    m_type = EDeviceTypeUsbHid;
    m_info = QVariant::fromValue(usbInfo);
    m_deviceId = usbInfo.devicePath;
    return ExitOk;
}

void Cli::watch(DownloadCmd* runner, bool progress)
{
    QObject::connect(runner, &DownloadCmd::callbackDownloadTaskUpdate, runner,
        [this, progress](const QString&, const DownloadTaskInfo& info) {
            if (CliPlatform::interruptRequested() && !m_stopAsked && m_session) {
                m_stopAsked = true;
                m_session->stop();
            }
            if (!progress || m_quiet)
                return;
            if (m_perCommand && info.cmdIndex != m_meterIndex && info.cmdIndex > 0) {
                m_meter.reset();
                m_meterIndex = info.cmdIndex;
                m_meterLabel = Constants::commandName(info.cmdType);
                note(QStringLiteral("[%1/%2] %3").arg(info.cmdIndex).arg(info.cmdCount).arg(m_meterLabel));
            }
            // Data phases report bytes; a finished command of a list reports 100 of 100.
            if (info.total >= MeterMinBytes && !(m_perCommand && info.total == 100 && info.progress == 100)) {
                if (!m_meter)
                    m_meter = std::make_unique<ProgressMeter>(m_env.err, m_env.errIsTerminal, m_env.columns,
                        m_meterLabel.isEmpty() ? m_command : m_meterLabel);
                m_meter->update(info.progress, info.total);
            }
        });
    QObject::connect(runner, qOverload<QString, LogLevel>(&DownloadCmd::signalAddLogs), runner,
        [this](const QString& log, LogLevel level) {
            QString text = log;
            text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
            if (text.startsWith(QLatin1String("DeviceId: ")))
                m_reports.append(text);
            if (level >= LogError)
                err(QStringLiteral("vlx-rom: ") + text);
            else if (level == LogWarning)
                note(QStringLiteral("vlx-rom: warning: ") + text);
            else if (m_verbose)
                err(QStringLiteral("[run] ") + text);
        });
}

int Cli::openSession()
{
    auto session = std::make_unique<RomSession>(m_info, m_type);
    m_meterLabel = m_command;
    m_session = std::move(session);
    watch(m_session.get(), true);
    if (!m_session->beforeRunCmds()) {
        const int r = openFailure();
        m_session.reset();
        return r;
    }
    if (m_timeout > 0)
        m_session->rom()->setCmdTimeout(m_timeout);
    return ExitOk;
}

void Cli::closeSession()
{
    m_meter.reset();
    if (m_session)
        m_session->afterRunCmds(); // back to 115200 unless skipped
    m_session.reset();
}

int Cli::openFailure()
{
    if (m_type == EDeviceTypeUart) {
        const QString path = SerialIO::devicePathFor(m_deviceId);
        switch (CliPlatform::pathProblem(path)) {
        case CliPlatform::PathProblem::Absent:
            return fail(ExitNoDevice, QStringLiteral("cannot open %1: no such port").arg(path));
        case CliPlatform::PathProblem::Permission:
            return fail(ExitNoDevice,
                QStringLiteral("cannot open %1: permission denied (%2)").arg(path, QLatin1String(AccessHints::Serial)));
        case CliPlatform::PathProblem::None: break;
        }
        if (m_baud != DefaultBaud) {
            SerialPortInfo plain = recordFromVariant<SerialPortInfo>(m_info);
            plain.baudRate = DefaultBaud;
            SerialIO probe(QVariant::fromValue(plain));
            if (probe.status() != IoOpenFailed)
                return fail(ExitProtocol,
                    QStringLiteral("the ROM on %1 did not take the switch to %2 baud (no answer at 115200)")
                        .arg(path)
                        .arg(m_baud));
        }
        return fail(
            ExitNoDevice, QStringLiteral("cannot open %1: the port is busy (another program holds it)").arg(path));
    }
    const UsbInfo usbInfo = recordFromVariant<UsbInfo>(m_info);
    if (usbInfo.devicePath.startsWith(QLatin1Char('/'))) {
        switch (CliPlatform::pathProblem(usbInfo.devicePath)) {
        case CliPlatform::PathProblem::Absent:
            return fail(ExitNoDevice, QStringLiteral("cannot open %1: no such device").arg(usbInfo.devicePath));
        case CliPlatform::PathProblem::Permission:
            return fail(ExitNoDevice,
                QStringLiteral("cannot open %1: permission denied (%2)")
                    .arg(usbInfo.devicePath, QLatin1String(AccessHints::Hid)));
        case CliPlatform::PathProblem::None: break;
        }
    }
    bool present = false;
    if (hid_device_info* list = hid_enumerate(0, 0)) {
        for (hid_device_info* d = list; d; d = d->next)
            present = present || QString::fromUtf8(d->path) == usbInfo.devicePath;
        hid_free_enumeration(list);
    }
    if (!present)
        return fail(ExitNoDevice, QStringLiteral("cannot open %1: no such USB-HID device").arg(usbInfo.devicePath));
    return fail(
        ExitNoDevice, QStringLiteral("cannot open %1: the device is busy or not accessible").arg(usbInfo.devicePath));
}

int Cli::query(uint32_t rteId, uint32_t arg, QVariant* record)
{
    QVariant got;
    const auto c = QObject::connect(
        m_session->rom(), &RomCmd::signalRTEQueried, m_session.get(), [&got](int, const QVariant& v) { got = v; },
        Qt::DirectConnection);
    int status = m_session->rom()->queryRte(rteId, arg);
    QObject::disconnect(c);
    if (status == IoOk && !got.isValid())
        status = IoFailure;
    if (record)
        *record = got;
    return status;
}

bool Cli::lastRomStatus(CmdStatusInfo* info)
{
    QVariant v;
    if (!m_session || !m_session->rom() || query(2, 0, &v) != IoOk)
        return false;
    *info = v.value<CmdStatusInfo>();
    return true;
}

int Cli::interrupted(const QString& what)
{
    closeSession();
    QString message = QStringLiteral("%1 interrupted").arg(what);
    if (m_type == EDeviceTypeUart && m_baud != DefaultBaud)
        message += QStringLiteral("; the ROM is back at 115200 baud");
    return fail(ExitInterrupted, message);
}

int Cli::romFailure(int status, const QString& what)
{
    m_meter.reset();
    if (CliPlatform::interruptRequested())
        return interrupted(what);
    QJsonObject extra { { "ioStatus", status }, { "ioStatusText", ioStatusText(status) } };
    if (status == IoCommandFailed || status == IoBootModeFailed) {
        CmdStatusInfo last;
        const bool known = lastRomStatus(&last);
        closeSession();
        if (known && last.status != RomSuccess) {
            extra.insert(QStringLiteral("romStatus"), qint64(last.status));
            extra.insert(QStringLiteral("romStatusText"), romStatusText(last.status));
            QString message = QStringLiteral("%1 refused by the ROM: status %2 (%3)")
                                  .arg(what)
                                  .arg(last.status)
                                  .arg(romStatusText(last.status));
            if (isBootModeStatus(last.status))
                message += QStringLiteral("; check whether the boot mode is correct");
            return fail(ExitRefused, message, extra);
        }
        if (!known && status == IoBootModeFailed)
            return fail(
                ExitRefused, QStringLiteral("%1 refused by the ROM (%2)").arg(what, ioStatusText(status)), extra);
        return fail(ExitProtocol,
            QStringLiteral("%1 failed: %2 (transport status %3)")
                .arg(what, QStringLiteral("the transfer did not complete"))
                .arg(status),
            extra);
    }
    closeSession();
    if (status == IoOpenFailed)
        return fail(ExitNoDevice, QStringLiteral("%1 failed: the device could not be opened").arg(what), extra);
    return fail(ExitProtocol,
        QStringLiteral("%1 failed: transport status %2 (%3)").arg(what).arg(status).arg(ioStatusText(status)), extra);
}

int Cli::transferDone(const QString& verb, qint64 bytes, QJsonObject result)
{
    m_meter.reset();
    const double seconds = m_clock.nsecsElapsed() / 1e9;
    closeSession();
    result.insert(QStringLiteral("bytes"), bytes);
    result.insert(QStringLiteral("seconds"), seconds);
    note(QStringLiteral("%1 %2 in %3 s (%4/s)")
             .arg(verb, ProgressMeter::byteText(bytes))
             .arg(seconds, 0, 'f', 2)
             .arg(ProgressMeter::byteText(seconds > 0 ? qint64(bytes / seconds) : 0)));
    return succeed(result);
}

// ---- commands ----

QString Cli::socOfIds(quint32 vid, quint32 pid) const
{
    for (const SocInfo& soc : SocDatabase::instance().socList())
        if (soc.vid == vid && soc.pid == pid)
            return soc.name;
    return QString();
}

int Cli::cmdList()
{
    int count = 0;
    const QList<SerialPortEntry> ports = m_env.serialPorts ? m_env.serialPorts() : QList<SerialPortEntry>();
    for (const SerialPortEntry& p : ports) {
        const QString soc = p.vendorId ? socOfIds(p.vendorId, p.productId) : QString();
        ++count;
        if (m_json) {
            QJsonObject o { { "kind", "uart" }, { "port", p.name }, { "description", p.description }, { "soc", soc } };
            if (p.vendorId)
                o.insert(QStringLiteral("vid"), QStringLiteral("%1").arg(p.vendorId, 4, 16, QLatin1Char('0')));
            if (p.productId)
                o.insert(QStringLiteral("pid"), QStringLiteral("%1").arg(p.productId, 4, 16, QLatin1Char('0')));
            json(o);
        } else {
            out(QStringLiteral("uart  %1  %2%3")
                    .arg(p.name, -16)
                    .arg(soc.isEmpty() ? QStringLiteral("-") : soc, -10)
                    .arg(p.description.isEmpty() ? QString() : QStringLiteral("  ") + p.description));
        }
    }
    if (m_env.hotplugSource) {
        DetectDevicesWin detector(m_env.hotplugSource());
        QList<UsbInfo> found;
        QObject::connect(
            &detector, &DetectDevicesWin::signalUpdateUsbDevice, &detector, [&found](const UsbInfo& u, bool arrival) {
                if (arrival)
                    found.append(u);
            });
        detector.loadUsbDevices();
        for (const UsbInfo& u : found) {
            const QString soc = socOfIds(u.vendorId, u.productId);
            if (soc.isEmpty())
                continue; // not a ROM of a known SoC
            ++count;
            const QString ids = QStringLiteral("%1:%2")
                                    .arg(u.vendorId, 4, 16, QLatin1Char('0'))
                                    .arg(u.productId, 4, 16, QLatin1Char('0'));
            if (m_json)
                json({ { "kind", "usb-hid" }, { "path", u.devicePath }, { "vid", ids.left(4) }, { "pid", ids.mid(5) },
                    { "soc", soc }, { "product", u.productString } });
            else
                out(QStringLiteral("usb   %1  %2  --usb %3:%1").arg(u.devicePath, -16).arg(soc, -10).arg(ids));
        }
    }
    if (count == 0)
        note(QStringLiteral("no serial ports and no USB-HID ROM devices found"));
    return ExitOk;
}

int Cli::cmdInfo()
{
    std::optional<uint32_t> only;
    if (m_parser.isSet(QStringLiteral("memory"))) {
        uint32_t id = 0;
        if (!memoryOption(&id))
            return ExitUsage;
        only = id;
    }
    if (const int r = openSession(); r != ExitOk)
        return r;
    m_reports.clear();
    QVariant v;
    const int status = query(0, 0, &v);
    if (status != IoOk)
        return romFailure(status, QStringLiteral("info"));
    QJsonObject result;
    const RomParamInfo p = v.value<RomParamInfo>();
    result.insert(QStringLiteral("romVersion"), versionText(p.romVersion));
    result.insert(QStringLiteral("socRevision"), versionText(p.socRevision));
    result.insert(QStringLiteral("lifecycle"), lifecycleText(p.lifecycle));
    result.insert(QStringLiteral("capabilities"), QJsonArray::fromStringList(capabilityTexts(p.capabilities)));
    // Records a ROM does not offer are left out.
    if (query(1, 0, &v) == IoOk) {
        const SerialInfParam s = v.value<SerialInfParam>();
        result.insert(
            QStringLiteral("peripheral"), s.periphMask == 0x10 ? QStringLiteral("usb-hid") : QStringLiteral("uart"));
        if (s.periphMask == 0x1)
            result.insert(QStringLiteral("baudRate"), qint64(s.speed));
    }
    if (query(2, 0, &v) == IoOk) {
        const CmdStatusInfo c = v.value<CmdStatusInfo>();
        result.insert(QStringLiteral("lastCommand"), tagName(c.tag));
        result.insert(QStringLiteral("lastCommandStatus"), qint64(c.status));
    }
    if (query(3, 0, &v) == IoOk) {
        const BootStatusInfo b = v.value<BootStatusInfo>();
        result.insert(QStringLiteral("boot"),
            QJsonObject {
                { "mode", b.bootMode }, { "device", qint64(b.bootDevice) }, { "status", qint64(b.bootStatus) } });
    }
    // Memories: the one asked for, else those of the SoC with the device's ids, else every one the catalogue knows.
    QList<uint32_t> ids;
    if (only) {
        ids << *only;
    } else {
        QList<SocInfo> socs = SocDatabase::instance().socList();
        if (m_type == EDeviceTypeUsbHid) {
            const UsbInfo u = recordFromVariant<UsbInfo>(m_info);
            const SocInfo match = SocDatabase::instance().socByName(socOfIds(u.vendorId, u.productId));
            if (!match.name.isEmpty())
                socs = { match };
        }
        for (const SocInfo& soc : socs)
            for (const MemoryViewItemInfo& m : soc.memoryView) {
                uint64_t id = 0;
                if (parseNumber(m.value, UINT32_MAX, &id) && !ids.contains(uint32_t(id)))
                    ids << uint32_t(id);
            }
    }
    QJsonArray memories;
    for (uint32_t id : ids) {
        if (CliPlatform::interruptRequested())
            return interrupted(QStringLiteral("info"));
        if (const int st = query(4, id, &v); st != IoOk) {
            if (only)
                return romFailure(st, QStringLiteral("memory query %1").arg(hex8(id)));
            continue; // the ROM has no such memory
        }
        const MemoryAttribute a = v.value<MemoryAttribute>();
        QJsonObject m { { "id", hex8(a.memoryId) }, { "start", hex8(a.startAddress) }, { "end", hex8(a.endAddress) },
            { "unitSize", qint64(a.unitSize()) }, { "size", qint64(a.sizeInBytes()) } };
        if (a.words == 8) {
            m.insert(QStringLiteral("pageSize"), qint64(a.pageSize));
            m.insert(QStringLiteral("sectorSize"), qint64(a.sectorSize));
            m.insert(QStringLiteral("blockSize"), qint64(a.blockSize));
        }
        memories.append(m);
    }
    result.insert(QStringLiteral("memories"), memories);
    const QStringList reports = m_reports;
    closeSession();
    if (!m_json)
        for (const QString& r : reports)
            out(r.section(QLatin1Char('\n'), 1) + QLatin1Char('\n'));
    return succeed(result);
}

int Cli::cmdRead()
{
    uint32_t memory = 0;
    uint64_t address = 0, length = 0;
    if (!memoryOption(&memory))
        return ExitUsage;
    if (!parseNumber(m_args[0], UINT32_MAX, &address))
        return usage(QStringLiteral("bad address: %1").arg(m_args[0]));
    if (!parseNumber(m_args[1], UINT32_MAX, &length, true) || length == 0)
        return usage(QStringLiteral("bad length: %1").arg(m_args[1]));
    const QString file = m_args[2];
    const QFileInfo fi(file);
    if (fi.isDir() || !QFileInfo(fi.absolutePath()).isDir() || !QFileInfo(fi.absolutePath()).isWritable()
        || (fi.exists() && !fi.isWritable()))
        return fail(ExitUsage, QStringLiteral("cannot write file: %1").arg(file));
    if (const int r = openSession(); r != ExitOk)
        return r;
    m_clock.start();
    const int status = m_session->rom()->readMemoryToFile(memory, uint32_t(address), uint32_t(length), file);
    if (status != IoOk)
        return romFailure(status, QStringLiteral("read of %1 bytes at %2").arg(length).arg(hex8(uint32_t(address))));
    return transferDone(QStringLiteral("read"), qint64(length),
        { { "memory", hex8(memory) }, { "address", hex8(uint32_t(address)) }, { "file", file } });
}

int Cli::cmdWrite()
{
    uint32_t memory = 0;
    uint64_t address = 0;
    const QString file = m_args[0];
    if (!memoryOption(&memory))
        return ExitUsage;
    if (!parseNumber(m_args[1], UINT32_MAX, &address))
        return usage(QStringLiteral("bad address: %1").arg(m_args[1]));
    QString problem;
    if (!inputFile(file, &problem))
        return fail(ExitUsage, problem);
    const qint64 size = QFileInfo(file).size();
    if (const int r = openSession(); r != ExitOk)
        return r;
    m_clock.start();
    const int status = m_session->rom()->writeMemoryByFile(memory, uint32_t(address), file);
    if (status != IoOk)
        return romFailure(status, QStringLiteral("write of %1 at %2").arg(file, hex8(uint32_t(address))));
    return transferDone(QStringLiteral("wrote"), size,
        { { "memory", hex8(memory) }, { "address", hex8(uint32_t(address)) }, { "file", file } });
}

int Cli::cmdErase(bool all)
{
    uint32_t memory = 0;
    uint64_t address = 0, length = 0;
    if (!memoryOption(&memory))
        return ExitUsage;
    if (!all && !parseNumber(m_args[0], UINT32_MAX, &address))
        return usage(QStringLiteral("bad address: %1").arg(m_args[0]));
    if (!all && (!parseNumber(m_args[1], UINT32_MAX, &length, true) || length == 0))
        return usage(QStringLiteral("bad length: %1").arg(m_args[1]));
    if (const int r = openSession(); r != ExitOk)
        return r;
    // As the runner does: 10 s per MiB of the memory, from its attribute query.
    query(4, memory, nullptr);
    const uint64_t timeout = m_session->flashSize() * EraseMsPerMiB;
    note(all ? QStringLiteral("erasing memory %1...").arg(hex8(memory))
             : QStringLiteral("erasing %1 bytes at %2...").arg(length).arg(hex8(uint32_t(address))));
    m_clock.start();
    const int status = all ? m_session->rom()->eraseAll(memory, timeout)
                           : m_session->rom()->eraseMemory(memory, uint32_t(address), uint32_t(length), timeout);
    if (status != IoOk)
        return romFailure(status,
            all ? QStringLiteral("erase of memory %1").arg(hex8(memory))
                : QStringLiteral("erase at %1").arg(hex8(uint32_t(address))));
    closeSession();
    QJsonObject result { { "memory", hex8(memory) } };
    if (!all) {
        result.insert(QStringLiteral("address"), hex8(uint32_t(address)));
        result.insert(QStringLiteral("length"), qint64(length));
    }
    return succeed(result);
}

int Cli::cmdConfigMemory()
{
    uint32_t memory = 0;
    uint64_t address = 0;
    if (!memoryOption(&memory))
        return ExitUsage;
    if (!parseNumber(m_args[0], UINT32_MAX, &address))
        return usage(QStringLiteral("bad address: %1").arg(m_args[0]));
    if (const int r = openSession(); r != ExitOk)
        return r;
    const int status = m_session->rom()->configMemory(memory, uint32_t(address));
    if (status != IoOk)
        return romFailure(status, QStringLiteral("configure memory %1").arg(hex8(memory)));
    closeSession();
    return succeed({ { "memory", hex8(memory) }, { "address", hex8(uint32_t(address)) } });
}

int Cli::cmdLoadImage()
{
    const QString file = m_args[0];
    QString problem;
    if (!inputFile(file, &problem))
        return fail(ExitUsage, problem);
    if (const int r = openSession(); r != ExitOk)
        return r;
    m_clock.start();
    const int status = m_session->rom()->loadImage(file);
    if (status != IoOk)
        return romFailure(status, QStringLiteral("load of %1").arg(file));
    return transferDone(QStringLiteral("loaded"), QFileInfo(file).size(), { { "file", file } });
}

int Cli::cmdOtpRead()
{
    uint32_t memory = 0;
    uint64_t start = 0, end = 0;
    if (!memoryOption(&memory, DefaultOtpMemory))
        return ExitUsage;
    if (!m_args.isEmpty() && !parseNumber(m_args[0], UINT32_MAX, &start))
        return usage(QStringLiteral("bad start word: %1").arg(m_args[0]));
    if (m_args.size() > 1 && (!parseNumber(m_args[1], UINT32_MAX, &end) || end < start))
        return usage(QStringLiteral("bad end word: %1").arg(m_args[1]));
    if (const int r = openSession(); r != ExitOk)
        return r;
    if (m_args.isEmpty()) {
        QVariant v;
        if (const int st = query(4, memory, &v); st != IoOk)
            return romFailure(st, QStringLiteral("OTP size query"));
        const MemoryAttribute a = v.value<MemoryAttribute>();
        if (a.sizeInUnits == 0)
            return romFailure(IoCommandFailed, QStringLiteral("OTP size query"));
        end = a.sizeInUnits - 1;
    } else if (m_args.size() == 1) {
        end = start;
    }
    const uint64_t words = end - start + 1;
    if (words * 4 > UINT32_MAX) {
        closeSession();
        return usage(QStringLiteral("OTP range too long"));
    }
    QByteArray data;
    const auto c = QObject::connect(
        m_session->rom(), &RomCmd::signalMemoryReadProgress, m_session.get(),
        [&data](uint32_t, uint32_t, uint8_t* value, int length, int, int, bool) {
            data.append(reinterpret_cast<const char*>(value), length);
        },
        Qt::DirectConnection);
    const int status = m_session->rom()->readMemory(memory, uint32_t(start), uint32_t(words * 4), false);
    QObject::disconnect(c);
    if (status != IoOk)
        return romFailure(status, QStringLiteral("OTP read of words %1..%2").arg(start).arg(end));
    closeSession();
    QJsonArray list;
    for (uint64_t i = 0; i < words && int(i * 4 + 4) <= data.size(); ++i) {
        const auto* p = reinterpret_cast<const uint8_t*>(data.constData() + i * 4);
        const uint32_t w = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
        list.append(hex8(w));
        if (!m_json)
            out(QStringLiteral("%1 %2").arg(start + i, 4).arg(hex8(w)));
    }
    return succeed({ { "memory", hex8(memory) }, { "start", qint64(start) }, { "words", list } });
}

int Cli::cmdOtpWrite()
{
    uint32_t memory = 0;
    uint64_t start = 0;
    if (!memoryOption(&memory, DefaultOtpMemory))
        return ExitUsage;
    if (!parseNumber(m_args[0], UINT32_MAX, &start))
        return usage(QStringLiteral("bad start word: %1").arg(m_args[0]));
    QByteArray bytes;
    QJsonArray list;
    for (const QString& item : m_args.mid(1)) {
        uint32_t w = 0;
        if (!parseHexWord(item, &w))
            return usage(QStringLiteral("bad OTP word: %1").arg(item));
        for (int b = 0; b < 4; ++b)
            bytes.append(char(w >> (8 * b)));
        list.append(hex8(w));
    }
    if (const int r = openSession(); r != ExitOk)
        return r;
    const int status = m_session->rom()->writeMemory(
        memory, uint32_t(start), reinterpret_cast<const uint8_t*>(bytes.constData()), uint32_t(bytes.size()));
    if (status != IoOk)
        return romFailure(status, QStringLiteral("OTP write from word %1").arg(start));
    closeSession();
    return succeed({ { "memory", hex8(memory) }, { "start", qint64(start) }, { "words", list } });
}

int Cli::cmdReset()
{
    uint64_t type = 0;
    if (!m_args.isEmpty() && !parseNumber(m_args[0], UINT32_MAX, &type))
        return usage(QStringLiteral("bad reset type: %1").arg(m_args[0]));
    if (const int r = openSession(); r != ExitOk)
        return r;
    const int status = m_session->rom()->reset(uint32_t(type));
    if (status != IoOk)
        return romFailure(status, QStringLiteral("reset"));
    // The ROM starts again at 115200: nothing to switch back.
    m_session->setSkipResetConfig(true);
    closeSession();
    return succeed({ { "type", qint64(type) } });
}

// The connection test of the orchestrator, in one pass: a device that runs the
// plain ROM gets the bootloader firmware and is tested again once it restarted.
int Cli::connectionTest(const QString& firmwareDir)
{
    for (int loads = 0;; ++loads) {
        if (const int r = openSession(); r != ExitOk)
            return r;
        QVariant v;
        if (const int status = query(0, 0, &v); status != IoOk)
            return romFailure(status, QStringLiteral("connection test"));
        const RomParamInfo p = v.value<RomParamInfo>();
        const QString version = versionText(p.romVersion);
        const QString revision = versionText(p.socRevision);
        if (m_verbose)
            err(QStringLiteral("[run] Rom version: %1, Soc revision: %2 life cycle: %3")
                    .arg(version, revision)
                    .arg(p.lifecycle));
        const QChar letter = version.isEmpty() ? QChar() : version.at(0).toUpper();
        if (letter == QLatin1Char('F')) {
            closeSession();
            return ExitOk;
        }
        if (letter != QLatin1Char('V')) {
            closeSession();
            return fail(ExitProtocol, QStringLiteral("connection test: unexpected ROM version %1").arg(version));
        }
        const SocInfo soc = SocDatabase::instance().currentSoc();
        if (RomUiMode::isSocRevisionBelow(revision, soc.minSocRevision)) {
            note(QStringLiteral("vlx-rom: warning: Current soc revision is less than minimal soc revision: ")
                + soc.minSocRevision);
            closeSession();
            return ExitOk;
        }
        if (loads >= MaxFirmwareLoads) {
            note(QStringLiteral("vlx-rom: warning: Try to load firmware failed!"));
            closeSession();
            return ExitOk;
        }
        const QString series = RomUiMode::firmwareSeriesName(SocDatabase::instance().currentSocBaseName());
        const QString folder = firmwareDir + QLatin1Char('/') + series;
        const QString file = folder + QLatin1Char('/') + RomUiMode::firmwareFileName(series, 0, p.lifecycle > 4);
        if (series.isEmpty() || !QFileInfo(file).isFile()) {
            // The ROM itself is usable: go on without the firmware.
            note(QStringLiteral("vlx-rom: warning: Cannot locate bootloader firmware path: ") + file);
            closeSession();
            return ExitOk;
        }
        note(QStringLiteral("loading bootloader firmware %1 (try %2)").arg(file).arg(loads + 1));
        m_meterLabel = QStringLiteral("firmware");
        const int loaded = m_session->rom()->loadImage(file);
        if (loaded != IoOk)
            return romFailure(loaded, QStringLiteral("bootloader firmware load"));
        // The firmware restarts the device at 115200: no switch back.
        m_session->setSkipResetConfig(true);
        closeSession();
        bool back = false;
        for (int i = 0; i < m_env.restartPolls && !back; ++i) {
            if (CliPlatform::interruptRequested())
                return fail(ExitInterrupted, QStringLiteral("run interrupted"));
            QThread::msleep(uint32_t(m_env.restartPollMs));
            if (m_type == EDeviceTypeUart) {
                back = CliPlatform::pathProblem(SerialIO::devicePathFor(m_deviceId)) == CliPlatform::PathProblem::None;
            } else if (hid_device_info* list = hid_enumerate(0, 0)) {
                for (hid_device_info* d = list; d; d = d->next)
                    back = back || QString::fromUtf8(d->path) == m_deviceId;
                hid_free_enumeration(list);
            }
        }
        if (!back)
            return fail(ExitNoDevice,
                QStringLiteral("Cannot detect device connection automatically. Please reset the device and "
                               "connect it again."));
    }
}

int Cli::stageRun(const ProjectData& project, int forcedStage)
{
    bool result = false;
    int lastStatus = 0;
    int count = 0;
    m_perCommand = true;
    m_meterIndex = -1;
    m_clock.start();
    if (forcedStage == 0) {
        // As the stage job runs it, on this thread.
        auto task = std::make_unique<StageDownloadTask>(m_info, m_type, &project.openCommands, &project.closeCommands);
        task->setAutoDelete(false);
        m_session.reset();
        watch(task.get(), true);
        QObject::connect(task.get(), &DownloadCmd::callbackDownloadTaskUpdate, task.get(),
            [&](const QString&, const DownloadTaskInfo& info) {
                lastStatus = info.status;
                count = info.cmdCount;
                if (CliPlatform::interruptRequested() && !m_stopAsked) {
                    m_stopAsked = true;
                    task->slotTerminate();
                }
            });
        QObject::connect(task.get(), &DownloadCmd::signalRunFinished, task.get(),
            [&result](bool ok, const QVariantMap&) { result = ok; });
        task->run();
        // Its failure exits leave the device open; this switches it back to 115200 (once).
        task->afterRunCmds();
        forcedStage = task->currentStage();
    } else {
        if (const int r = openSession(); r != ExitOk)
            return r;
        const QList<DownloadCommand>& list = forcedStage == 1 ? project.openCommands : project.closeCommands;
        count = list.size();
        QObject::connect(m_session.get(), &DownloadCmd::callbackDownloadTaskUpdate, m_session.get(),
            [&lastStatus](const QString&, const DownloadTaskInfo& info) { lastStatus = info.status; });
        if (list.isEmpty())
            err(QStringLiteral("vlx-rom: Commands is empty! No command is run!"));
        else
            result = m_session->checkCmds(list) && m_session->runCmds(list);
        closeSession();
    }
    m_meter.reset();
    QJsonObject extra { { "stage", forcedStage }, { "commands", count } };
    if (result) {
        note(QStringLiteral("run: %1 commands of stage %2 done in %3 s")
                 .arg(count)
                 .arg(forcedStage)
                 .arg(m_clock.nsecsElapsed() / 1e9, 0, 'f', 2));
        return succeed(extra);
    }
    if (CliPlatform::interruptRequested() || lastStatus == Constants::StatusStop)
        return interrupted(QStringLiteral("run"));
    if (lastStatus == Constants::StatusOtpOutOfRange || lastStatus == Constants::StatusOtpLocked)
        return fail(ExitRefused, QStringLiteral("run refused: %1").arg(Constants::statusText(lastStatus)), extra);
    // The runner's own message is out already; ask the ROM what it said about the last command.
    if (const int r = openSession(); r != ExitOk)
        return r;
    return romFailure(IoCommandFailed, QStringLiteral("run"));
}

int Cli::cmdRun()
{
    QFile file(m_args[0]);
    if (!file.open(QIODevice::ReadOnly))
        return fail(ExitUsage, QStringLiteral("cannot read project file: %1").arg(m_args[0]));
    ProjectData project;
    QString error;
    if (!ProjectConfig::parseInto(file.readAll(), project, &error))
        return fail(ExitUsage, QStringLiteral("not a project file: %1 (%2)").arg(m_args[0], error));
    int stage = 0;
    if (m_parser.isSet(QStringLiteral("stage"))) {
        stage = m_parser.value(QStringLiteral("stage")).toInt();
        if (stage != 1 && stage != 2)
            return usage(
                QStringLiteral("bad stage: %1 (1 Open, 2 Close)").arg(m_parser.value(QStringLiteral("stage"))));
    }
    QString missing;
    ProjectConfig::instance().setData(project); // the SoC for the OTP checks and the firmware
    if (!ProjectConfig::instance().checkImageFiles(missing))
        return fail(ExitUsage, QStringLiteral("image file of the project not found: %1").arg(missing));
    const QString firmwareDir = m_parser.isSet(QStringLiteral("bl-fw")) ? m_parser.value(QStringLiteral("bl-fw"))
                                                                        : AppPaths::dataPath(QStringLiteral("bl_fw"));
    if (const int r = connectionTest(firmwareDir); r != ExitOk)
        return r;
    return stageRun(project, stage);
}

} // namespace

CliEnvironment systemEnvironment(QIODevice* out, QIODevice* err)
{
    CliEnvironment env;
    env.out = out;
    env.err = err;
    env.errIsTerminal = CliPlatform::isTerminal(stderr);
    env.columns = CliPlatform::terminalColumns(stderr);
    env.hotplugSource = [] { return createPlatformHotplugSource(); };
    env.serialPorts = [] {
        QList<SerialPortEntry> ports;
        for (const QSerialPortInfo& p : QSerialPortInfo::availablePorts()) {
            SerialPortEntry e;
            e.name = p.portName();
            e.description = p.description();
            if (p.hasVendorIdentifier())
                e.vendorId = p.vendorIdentifier();
            if (p.hasProductIdentifier())
                e.productId = p.productIdentifier();
            ports.append(e);
        }
        return ports;
    };
    return env;
}

int runVlxRom(const QStringList& arguments, const CliEnvironment& env)
{
    registerMetaTypes();
    registerRomMetaTypes();
    const bool verbose = (arguments.contains(QStringLiteral("-v")) || arguments.contains(QStringLiteral("--verbose")))
        && !arguments.contains(QStringLiteral("-q")) && !arguments.contains(QStringLiteral("--quiet"));
    {
        QMutexLocker locker(&LogRoute::lock());
        LogRoute::sink() = verbose ? env.err : nullptr;
    }
    const QtMessageHandler previous = qInstallMessageHandler(LogRoute::handler);
    // The catalogue, without the window's project: the command line starts from an empty one.
    static bool catalogueLoaded = false;
    if (!catalogueLoaded) {
        SocDatabase::instance().load();
        catalogueLoaded = true;
    }
    ProjectConfig::instance().setData(ProjectData());

    CliPlatform::clearInterrupt();
    CliPlatform::installInterruptHandler();
    int exit = ExitOk;
    {
        Cli cli(env);
        exit = cli.run(arguments);
    }
    CliPlatform::restoreInterruptHandler();
    CliPlatform::clearInterrupt();
    qInstallMessageHandler(previous);
    {
        QMutexLocker locker(&LogRoute::lock());
        LogRoute::sink() = nullptr;
    }
    return exit;
}

} // namespace RomCmd
