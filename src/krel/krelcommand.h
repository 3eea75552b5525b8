// The Krel box's text-command vocabulary: the command texts the tool sends over
// HID, the batches the device panel queues, the box's USB identity test and
// the dotted-version comparison used for the firmware check.
#pragma once

#include "records.h"

#include <QCoreApplication>
#include <QList>
#include <QString>

namespace Krel {

// Bytes 1..63 of the 64-byte output report carry the command text.
inline constexpr int MaxCommandBytes = 63;

// Three-letter command codes, in the order the reply interpretation tests them.
enum class KrelCode { RST, QUT, SEC, SSS, VER, MSC, OTA };

// The mode a Krel box is in, told by its product string.
enum class KrelMode {
    NotKrel, // not a Krel box at all
    Command, // "Veltrix KREL HID": accepts text commands, not logged in
    Drive,   // "Veltrix KREL MSC": configuration drive shown, logged in
    Update   // "Veltrix KREL UF2": firmware-update drive shown
};

class KrelCommand
{
    Q_DECLARE_TR_FUNCTIONS(KrelCommand)
public:
    static const QString& prefix(); // "Veltrix_Zindrake_"

    // The command name without arguments, e.g. "Veltrix_Zindrake_SEC"; replies begin with it.
    static QString name(KrelCode code);
    static QList<KrelCode> allCodes();

    static QString login(const QString& password);       // SEC:N,P
    static QString setPassword(const QString& password); // SSS:N,P
    static QString version();                            // VER
    static QString driveMode();                          // MSC
    static QString reset();                              // RST
    static QString quit();                               // QUT
    static QString updateMode();                         // OTA

    // Whether the UTF-8 form of a command fits the output report.
    static bool fitsReport(const QString& text);

    // Longest password (UTF-8 bytes) whose SEC and SSS texts still fit a report.
    static int maxPasswordBytes();
    static bool passwordFits(const QString& password);
    // Translated refusal shown when passwordFits() is false.
    static QString passwordTooLongMessage();

    // Batches as the device panel queues them. The password batches come back
    // empty, and *error holds passwordTooLongMessage(), when the password does
    // not fit; nothing must be queued then.
    static QList<QString> connectBatch(const QString& password, QString* error = nullptr);
    static QList<QString> changePasswordBatch(const QString& password, QString* error = nullptr);
    static QList<QString> versionBatch();
    static QList<QString> resetBatch();
    static QList<QString> quitBatch();

private:
    static QString withPassword(KrelCode code, const QString& password);
};

// A Krel box: HID class, the vendor and product id of Constants::KrelIdentity and
// one of its three product strings (exact, case-sensitive).
bool isKrel(const UsbInfo& info);
KrelMode krelMode(const UsbInfo& info);

// Compares dotted versions part by part; a part that is not a number counts as 0
// and the shorter one is padded with zeros. -1 when a is older, 1 when newer, 0 equal.
int compareVersion(const QString& a, const QString& b);

} // namespace Krel
