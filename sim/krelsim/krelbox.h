// A virtual Krel box behind the fake hidapi: answers the text commands with
// the box's reply convention, keeps a password and a login, and leaves and
// re-joins the bus in its drive or update mode. Faults can be injected per command.
#pragma once

#include "fakehid.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>

class QFileSystemWatcher;
class QTemporaryDir;

namespace KrelSim {

enum class Mode {
    Unplugged,
    Command, // "Veltrix KREL HID"
    Drive,   // "Veltrix KREL MSC", its drive listed in SimDrives
    Update   // "Veltrix KREL UF2"
};

enum class Fault {
    None,
    NoReply,   // the command is lost: no input report at all
    Garbage,   // an input report of bytes that begin with no command name
    Oversized, // the command is carried out; its reply runs past the 64-byte report
    NoOk       // the command is refused: a reply with the command's name but without "OK"
};

class KrelBox : public QObject
{
    Q_OBJECT
public:
    static constexpr unsigned short VendorId = 0x34B7;
    static constexpr unsigned short ProductId = 0x1000;
    static constexpr quint64 DriveBytes = quint64(128) << 20;
    static constexpr int ReportBytes = 64;

    // pathBase + "/hid", "/msc" or "/uf2" are the device paths of the three modes.
    explicit KrelBox(const QString& pathBase = QStringLiteral("krelsim/box0"), QObject* parent = nullptr);
    ~KrelBox() override; // unplugs

    void plug(Mode mode = Mode::Command);
    void unplug();

    Mode mode() const;
    QString path() const; // device path of the current mode, empty while unplugged
    QString pathFor(Mode mode) const;
    static QString productString(Mode mode);
    FakeHid::Identity identity(Mode mode) const;

    QString password() const;
    void setPassword(const QString& password);
    bool isLoggedIn() const;
    void setLoggedIn(bool on);
    QString firmwareVersion() const;
    void setFirmwareVersion(const QString& version);
    // The drive's folder; it holds ".VID_34B7_PID_1000" and is listed while in Drive mode.
    QString driveRoot() const;
    // The update drive ("VLXBOOT") of Update mode. A firmware file that lands there
    // under its own name is taken: a file beginning "KRELFW " + version sets the
    // version, the drive is emptied and the box restarts in Command mode.
    QString updateDriveRoot() const;

    // The next `commands` commands suffer `fault` (queued after earlier injections).
    void injectFault(Fault fault, int commands = 1);
    // Every command with this code ("SEC", "VER", ...) suffers `fault`; Fault::None clears it.
    void setCommandFault(const QString& code, Fault fault);
    void clearFaults();
    // While held, each command is received but not answered until release();
    // lets a test act while the host is inside a transfer.
    void hold();
    void release();

    // Every command text received (UTF-8 decoded up to the first zero), in order.
    QStringList receivedCommands() const;
    void clearReceived();
    // Raw output reports received, report id included.
    QList<QByteArray> receivedReports() const;

    struct State;

signals:
    // Emitted on this object's thread when the box leaves or joins the bus.
    void detached(const QString& path, const QString& productString);
    void attached(const QString& path, const QString& productString);
    // A firmware file was taken from the update drive; version is the box's version now.
    void firmwareTaken(const QString& file, const QString& version);

private slots:
    void processPendingSwitch();
    void checkUpdateDrive();

private:
    void switchTo(Mode mode);

    std::shared_ptr<State> m_state;
    std::shared_ptr<FakeHid::Device> m_endpoint;
    std::unique_ptr<QTemporaryDir> m_drive;
    std::unique_ptr<QTemporaryDir> m_updateDrive;
    QFileSystemWatcher* m_updateWatch = nullptr; // watches m_updateDrive while in Update mode
    int m_switchPolls = 0;
};

struct SimDrive
{
    QString root;
    quint64 sizeBytes = 0;
};

// The removable drives of the simulation (boxes in Drive mode, and any a test adds).
// Thread-safe.
namespace SimDrives {
void add(const QString& root, quint64 sizeBytes);
void remove(const QString& root);
QList<SimDrive> list();
void clear();
} // namespace SimDrives

} // namespace KrelSim
