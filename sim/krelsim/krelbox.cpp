#include "krelbox.h"

#include <QDir>
#include <QFile>
#include <QFileSystemWatcher>
#include <QHash>
#include <QMetaObject>
#include <QTemporaryDir>
#include <QTimer>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

namespace KrelSim {

namespace {

const char kPrefix[] = "Veltrix_Zindrake_";
const char kMarker[] = ".VID_34B7_PID_1000";
const char kFirmwareTag[] = "KRELFW ";
const char kCopyPrefix[] = ".krel-part-"; // a copy still under way
// Length of the over-long reply, report id excluded: well past the 64-byte report.
constexpr int kOversizedText = 100;
// How often, and how many times, a pending re-enumeration looks whether the
// host has read the reply that announced it.
constexpr int kSwitchPollMs = 2;
constexpr int kSwitchPollLimit = 1000;

QString name(const QString& code)
{
    return QLatin1String(kPrefix) + code;
}

} // namespace

struct KrelBox::State
{
    mutable std::mutex mutex;
    QString password;                 // the box starts with an empty password
    bool loggedIn = false;
    QString version = QStringLiteral("1.0.0");
    Mode mode = Mode::Unplugged;
    bool switchPending = false;
    Mode switchMode = Mode::Unplugged;
    std::deque<Fault> nextFaults;
    QHash<QString, Fault> codeFaults;
    QStringList received;
    QList<QByteArray> reports;
    bool held = false;
    std::condition_variable released;
    std::function<void()> notifySwitch; // posts to the box's thread; cleared when the box goes

    struct Answer
    {
        bool reply = false;
        QByteArray bytes; // input report as sent, report id included
    };
    Answer handle(const QByteArray& report);

private:
    QString execute(const QString& code, const QString& args, bool exact);
    void requestSwitch(Mode m);
};

namespace {

QByteArray reportOf(const QByteArray& text)
{
    QByteArray r(1, '\x01');
    r += text;
    if (r.size() < KrelBox::ReportBytes)
        r.append(KrelBox::ReportBytes - r.size(), '\0');
    return r;
}

// "N,P" with N the UTF-16 length of P.
bool parsePassword(const QString& args, QString* password)
{
    const int comma = args.indexOf(QLatin1Char(','));
    if (comma < 0)
        return false;
    bool ok = false;
    const int n = args.left(comma).toInt(&ok);
    const QString p = args.mid(comma + 1);
    if (!ok || n != p.size())
        return false;
    *password = p;
    return true;
}

} // namespace

void KrelBox::State::requestSwitch(Mode m)
{
    switchPending = true;
    switchMode = m;
    if (notifySwitch)
        notifySwitch();
}

// Called with the mutex held. Returns the reply text.
QString KrelBox::State::execute(const QString& code, const QString& args, bool exact)
{
    const QString ok = name(code) + QStringLiteral(" OK");
    const QString fail = name(code) + QStringLiteral(" FAIL");
    QString pw;
    if (code == QLatin1String("SEC")) {
        if (!exact && parsePassword(args, &pw) && pw == password) {
            loggedIn = true;
            return ok;
        }
        return fail;
    }
    if (code == QLatin1String("SSS")) {
        if (!exact && loggedIn && parsePassword(args, &pw)) {
            password = pw;
            return ok;
        }
        return fail;
    }
    if (!exact)
        return name(QStringLiteral("ERR")) + QStringLiteral(" unknown command");
    if (code == QLatin1String("VER"))
        return name(code) + QLatin1Char(':') + version;
    if (code == QLatin1String("QUT")) {
        loggedIn = false;
        return ok;
    }
    if (code == QLatin1String("RST")) {
        // The box restarts and comes back in command mode, logged out.
        loggedIn = false;
        requestSwitch(Mode::Command);
        return ok;
    }
    if (code == QLatin1String("MSC")) {
        if (!loggedIn)
            return fail;
        if (mode != Mode::Drive)
            requestSwitch(Mode::Drive);
        return ok;
    }
    if (code == QLatin1String("OTA")) {
        if (!loggedIn)
            return fail;
        requestSwitch(Mode::Update);
        return ok;
    }
    return name(QStringLiteral("ERR")) + QStringLiteral(" unknown command");
}

KrelBox::State::Answer KrelBox::State::handle(const QByteArray& report)
{
    // Bytes 1.. up to the first zero carry the command.
    QByteArray body = report.mid(1, ReportBytes - 1);
    const int zero = body.indexOf('\0');
    if (zero >= 0)
        body.truncate(zero);
    const QString text = QString::fromUtf8(body);

    std::unique_lock<std::mutex> lock(mutex);
    received << text;
    reports << report;
    released.wait(lock, [this] { return !held; });

    QString code;
    QString args;
    bool exact = false;
    if (text.startsWith(QLatin1String(kPrefix))) {
        const QString rest = text.mid(int(sizeof(kPrefix)) - 1);
        code = rest.left(3);
        exact = rest.size() == 3;
        if (!exact && rest.size() > 3 && rest.at(3) == QLatin1Char(':'))
            args = rest.mid(4);
        else if (!exact)
            code.clear(); // e.g. "..._VERX": no such command
    }

    Fault fault = Fault::None;
    if (!nextFaults.empty()) {
        fault = nextFaults.front();
        nextFaults.pop_front();
    } else if (!code.isEmpty()) {
        fault = codeFaults.value(code, Fault::None);
    }

    Answer a;
    // The update-mode loader does not speak the text protocol.
    if (mode == Mode::Update || fault == Fault::NoReply)
        return a;
    a.reply = true;
    switch (fault) {
    case Fault::Garbage:
        a.bytes = reportOf(QByteArray("\xA7\x13#garbage#\x7F", 12));
        return a;
    case Fault::NoOk:
        a.bytes = reportOf((code.isEmpty() ? name(QStringLiteral("ERR")) : name(code) + QStringLiteral(" FAIL"))
                               .toUtf8());
        return a;
    default: break;
    }
    QByteArray reply = (code.isEmpty() ? name(QStringLiteral("ERR")) + QStringLiteral(" unknown command")
                                       : execute(code, args, exact))
                           .toUtf8();
    if (fault == Fault::Oversized) {
        reply += ' ';
        reply.append(kOversizedText - reply.size(), '#');
    }
    a.bytes = reportOf(reply);
    return a;
}

namespace {

class Endpoint : public FakeHid::Device
{
public:
    explicit Endpoint(std::shared_ptr<KrelBox::State> state)
        : m_state(std::move(state))
    { }

    int handleWrite(const QByteArray& report) override
    {
        const KrelBox::State::Answer a = m_state->handle(report);
        if (a.reply)
            queueInput(a.bytes);
        return report.size();
    }

private:
    std::shared_ptr<KrelBox::State> m_state;
};

} // namespace

KrelBox::KrelBox(const QString& pathBase, QObject* parent)
    : QObject(parent)
    , m_state(std::make_shared<State>())
    , m_drive(std::make_unique<QTemporaryDir>())
    , m_updateDrive(std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/VLXBOOT-XXXXXX")))
{
    setObjectName(pathBase);
    m_endpoint = std::make_shared<Endpoint>(m_state);
    QFile marker(m_drive->filePath(QLatin1String(kMarker)));
    marker.open(QIODevice::WriteOnly);
    marker.close();
    // The endpoint runs on the host's threads; re-enumeration happens on ours.
    m_state->notifySwitch = [this] {
        QMetaObject::invokeMethod(this, &KrelBox::processPendingSwitch, Qt::QueuedConnection);
    };
}

KrelBox::~KrelBox()
{
    {
        std::lock_guard<std::mutex> lock(m_state->mutex);
        m_state->notifySwitch = nullptr;
    }
    release(); // never leave a host thread stuck in a write
    unplug();
}

QString KrelBox::pathFor(Mode mode) const
{
    switch (mode) {
    case Mode::Command: return objectName() + QStringLiteral("/hid");
    case Mode::Drive: return objectName() + QStringLiteral("/msc");
    case Mode::Update: return objectName() + QStringLiteral("/uf2");
    case Mode::Unplugged: break;
    }
    return {};
}

QString KrelBox::productString(Mode mode)
{
    switch (mode) {
    case Mode::Command: return QStringLiteral("Veltrix KREL HID");
    case Mode::Drive: return QStringLiteral("Veltrix KREL MSC");
    case Mode::Update: return QStringLiteral("Veltrix KREL UF2");
    case Mode::Unplugged: break;
    }
    return {};
}

FakeHid::Identity KrelBox::identity(Mode mode) const
{
    FakeHid::Identity id;
    id.path = pathFor(mode);
    id.vendorId = VendorId;
    id.productId = ProductId;
    id.productString = productString(mode);
    id.serial = objectName();
    id.manufacturer = QStringLiteral("Veltrix");
    return id;
}

void KrelBox::plug(Mode mode)
{
    if (mode == Mode::Unplugged) {
        unplug();
        return;
    }
    switchTo(mode);
}

void KrelBox::unplug()
{
    switchTo(Mode::Unplugged);
}

void KrelBox::switchTo(Mode mode)
{
    Mode old;
    {
        std::lock_guard<std::mutex> lock(m_state->mutex);
        old = m_state->mode;
        m_state->mode = mode;
        m_state->switchPending = false;
        if (mode == Mode::Unplugged)
            m_state->loggedIn = false; // power is gone
    }
    m_switchPolls = 0;
    if (old != Mode::Unplugged) {
        FakeHid::removeDevice(pathFor(old));
        if (old == Mode::Drive)
            SimDrives::remove(driveRoot());
        emit detached(pathFor(old), productString(old));
    }
    m_endpoint->clearInput();
    if (old == Mode::Update && m_updateWatch) {
        delete m_updateWatch;
        m_updateWatch = nullptr;
    }
    if (mode == Mode::Unplugged)
        return;
    if (mode == Mode::Update) {
        m_updateWatch = new QFileSystemWatcher({ updateDriveRoot() }, this);
        connect(m_updateWatch, &QFileSystemWatcher::directoryChanged, this, &KrelBox::checkUpdateDrive);
    }
    FakeHid::addDevice(m_endpoint, identity(mode));
    if (mode == Mode::Drive)
        SimDrives::add(driveRoot(), DriveBytes);
    emit attached(pathFor(mode), productString(mode));
}

void KrelBox::processPendingSwitch()
{
    Mode target;
    {
        std::lock_guard<std::mutex> lock(m_state->mutex);
        if (!m_state->switchPending)
            return;
        target = m_state->switchMode;
    }
    // Leave the bus only once the host has read the reply that announced it.
    if (m_endpoint->pendingInput() > 0 && ++m_switchPolls < kSwitchPollLimit) {
        QTimer::singleShot(kSwitchPollMs, this, &KrelBox::processPendingSwitch);
        return;
    }
    switchTo(target);
}

void KrelBox::checkUpdateDrive()
{
    if (mode() != Mode::Update)
        return;
    const QDir dir(updateDriveRoot());
    bool taken = false;
    for (const QString& name : dir.entryList(QDir::Files)) {
        if (name.startsWith(QLatin1String(kCopyPrefix)))
            continue;
        QFile file(dir.filePath(name));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QByteArray head = file.read(64);
        file.close();
        if (head.startsWith(kFirmwareTag))
            setFirmwareVersion(QString::fromUtf8(head.mid(int(sizeof(kFirmwareTag)) - 1)).section(QLatin1Char('\n'), 0, 0).trimmed());
        QFile::remove(dir.filePath(name));
        taken = true;
        emit firmwareTaken(name, firmwareVersion());
    }
    // The loader restarts the box once it has the whole image.
    if (taken)
        switchTo(Mode::Command);
}

QString KrelBox::updateDriveRoot() const
{
    return m_updateDrive->path();
}

Mode KrelBox::mode() const
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    return m_state->mode;
}

QString KrelBox::path() const
{
    return pathFor(mode());
}

QString KrelBox::password() const
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    return m_state->password;
}

void KrelBox::setPassword(const QString& password)
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    m_state->password = password;
}

bool KrelBox::isLoggedIn() const
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    return m_state->loggedIn;
}

void KrelBox::setLoggedIn(bool on)
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    m_state->loggedIn = on;
}

QString KrelBox::firmwareVersion() const
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    return m_state->version;
}

void KrelBox::setFirmwareVersion(const QString& version)
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    m_state->version = version;
}

QString KrelBox::driveRoot() const
{
    return m_drive->path();
}

void KrelBox::injectFault(Fault fault, int commands)
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    for (int i = 0; i < commands; ++i)
        m_state->nextFaults.push_back(fault);
}

void KrelBox::setCommandFault(const QString& code, Fault fault)
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    if (fault == Fault::None)
        m_state->codeFaults.remove(code);
    else
        m_state->codeFaults.insert(code, fault);
}

void KrelBox::clearFaults()
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    m_state->nextFaults.clear();
    m_state->codeFaults.clear();
}

void KrelBox::hold()
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    m_state->held = true;
}

void KrelBox::release()
{
    {
        std::lock_guard<std::mutex> lock(m_state->mutex);
        m_state->held = false;
    }
    m_state->released.notify_all();
}

QStringList KrelBox::receivedCommands() const
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    return m_state->received;
}

void KrelBox::clearReceived()
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    m_state->received.clear();
    m_state->reports.clear();
}

QList<QByteArray> KrelBox::receivedReports() const
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    return m_state->reports;
}

namespace SimDrives {

namespace {
std::mutex g_mutex;
QList<SimDrive> g_drives; // guarded by g_mutex
} // namespace

void add(const QString& root, quint64 sizeBytes)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    for (SimDrive& d : g_drives) {
        if (d.root == root) {
            d.sizeBytes = sizeBytes;
            return;
        }
    }
    g_drives.append(SimDrive{root, sizeBytes});
}

void remove(const QString& root)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    for (int i = 0; i < g_drives.size(); ++i) {
        if (g_drives.at(i).root == root) {
            g_drives.removeAt(i);
            return;
        }
    }
}

QList<SimDrive> list()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_drives;
}

void clear()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_drives.clear();
}

} // namespace SimDrives

} // namespace KrelSim
