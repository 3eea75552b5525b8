// The firmware upgrade without its window: the checks before the copy, the copy
// onto the box's update drive, and what its outcome means. The box takes the
// firmware block by block and restarts once it has the whole file, so its drive
// leaving after the last byte reached it is the expected end, not a failure.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

namespace Krel {

// The first reason the upgrade cannot start (current version, newest version,
// firmware path, in that order), or empty.
QString upgradeRefusal(const QString& currentVersion, const QString& newVersion, const QString& firmwarePath);

// One file onto the drive; flushed tells whether its whole data had reached the
// device when the copy ended. DurableCopy::copyFile by default.
using CopyStep = std::function<bool(const QString& source, const QString& target, QString* error, bool* flushed)>;

struct FirmwareCopyResult
{
    enum Outcome {
        Copied, // every file on the drive under its name
        Restarting, // the drive left after the last file's data reached it: the box took it
        DriveLost, // the drive left before the data was all there
        Failed // the copy failed with the drive still there
    };
    Outcome outcome = Failed;
    bool success = false;
    QString message; // the result box's text
    QStringList errors; // errorOccurred texts, in order
};

class FirmwareCopy
{
public:
    static constexpr int DeleteAttempts = 3;

    explicit FirmwareCopy(CopyStep step = CopyStep());

    // Copies sources into destDir (created when missing), removing an old file of the
    // same name first; progress gets 100 * files done / files after each file.
    FirmwareCopyResult run(
        const QStringList& sources, const QString& destDir, const std::function<void(int)>& progress = {}) const;

    // What a copy that ended as described means.
    static FirmwareCopyResult::Outcome outcome(bool copied, bool flushed, bool lastFile, bool driveStillThere);

private:
    CopyStep m_step;
};

// The drive (file system) a folder lies on, so that its leaving can be told from
// an ordinary failure: unmounted, the folder is gone or lies on another one.
struct DriveIdentity
{
    bool valid = false;
    quint64 volume = 0;
};
DriveIdentity driveIdentity(const QString& dir); // firmwareupgrade_linux.cpp
bool sameDrive(const QString& dir, const DriveIdentity& identity);

} // namespace Krel
