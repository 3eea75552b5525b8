// The firmware information file shipped with the tool: "new.json" in
// "mcuimage/", naming the newest Krel firmware file and its version.
#pragma once

#include <QString>

namespace Krel {

struct FirmwareInfo
{
    QString version; // dotted version of the newest firmware; empty when unknown
    QString path;    // folder + "firmware_name"; empty when unknown

    // "newVersion:<version>,firmwarePath:<path>", the panel's debug line.
    QString logText() const;
};

inline constexpr const char FirmwareFolder[] = "mcuimage/";
inline constexpr const char FirmwareInfoFile[] = "new.json";

// The "mcuimage" data folder (AppPaths::dataPath), ending with '/'. Never the
// current directory: a program started from a menu runs in $HOME or "/".
QString firmwareFolder();

// Reads folder + "new.json". A missing, unreadable or unparsable file, or one
// that is not a JSON object, gives both fields empty; a member that is absent
// or not a string leaves its field empty. folder ends with '/'.
FirmwareInfo readFirmwareInfo(const QString& folder = firmwareFolder());

} // namespace Krel
