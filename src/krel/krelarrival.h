// What the device panel does when a USB device arrives or leaves: which device
// is a Krel box, in which mode, what goes to the log and what the panel applies.
// Plain data so that the rules are tested without a window.
#pragma once

#include "krelcommand.h"
#include "krellogline.h"
#include "records.h"

#include <QCoreApplication>
#include <QStringList>

namespace Krel {

struct ArrivalDecision
{
    enum Action {
        Ignore, // not ours: nothing but the log
        ListOnly, // listed, nothing selected (several boxes)
        ConnectDrive, // configuration drive: connected look, status true, VER batch
        DropCommand, // command mode: disconnected look, status false, destroy the job
        DropUpdate, // update drive: disconnected look, status false, destroy the job
        Removed // listed box left: disconnected look, QUT batch, remove, destroy
    };

    Action action = Ignore;
    KrelMode mode = KrelMode::NotKrel;
    bool append = false; // add the instance id to the device list
    bool select = false; // make it the list's current entry
    KrelLogLines logs;
};

class KrelArrival
{
    Q_DECLARE_TR_FUNCTIONS(KrelArrival)
public:
    // listed = the instance ids in the device list before the event.
    static ArrivalDecision arrival(const UsbInfo& info, const QStringList& listed);
    static ArrivalDecision removal(const UsbInfo& info, const QStringList& listed);

    // "Detect Usb: <id>, vid: 0x34b7, pid: 0x1000, productString: <text>"
    static QString detectLine(const UsbInfo& info);
    static QString severalBoxesLine();
};

} // namespace Krel

namespace Krel {

// How the login batch (SEC, VER, MSC) ended, for the panel that waits on it.
enum class LoginOutcome {
    Entered, // MSC acknowledged: the box re-enumerates with its drive
    Handled, // the reply interpretation already put the panel back (wrong password, MSC refused)
    NoAnswer, // nothing in the batch was a reply: every command timed out, failed or got garbage
    Unconfirmed // some replies, but MSC was never acknowledged either way
};

LoginOutcome loginOutcome(const QList<QPair<int, QString>>& ackList);

} // namespace Krel
