// The memory view's requests: a read, an erase of a region and an erase of a
// whole memory, each one command for the runner, or the line to log when the
// inputs do not make one. The address and length go to the runner as typed.
#pragma once

#include "records.h"
#include "socinfo.h"

#include <QString>
#include <QVariant>

struct MemoryRequest
{
    bool ok = false;
    DownloadCommand command; // when ok
    QString error; // logged at level 3 when not ok
};

namespace MemoryCommands {

enum NameId { ReadMemory = 5, EraseRegion = 7, EraseChip = 8 };

// The read is shown in the viewer, so its lines are not repeated in the log view.
MemoryRequest read(const MemoryViewItemInfo& memory, const QString& address, const QString& length);
MemoryRequest erase(const MemoryViewItemInfo& memory, const QString& address, const QString& length);
MemoryRequest eraseAll(const MemoryViewItemInfo& memory);

// Before a read of the OTP the runner reads OTP word 0 for its lock check, and
// those 4 bytes reach the viewer's slot first, at the same address 0. True when
// the read is such that a first piece of exactly 4 bytes can only be that word:
// the OTP memory (the memoryView entry named "OTP", as the runner finds it),
// address 0 and a length above 4 (the read's own first piece is then longer).
constexpr int OtpWord0Bytes = 4;
bool precedesWithOtpWord0(const MemoryViewItemInfo& memory, const QString& address, const QString& length);

// The chooser's item data: erasable exactly when it holds an erasable memory.
bool isErasable(const QVariant& itemData);

} // namespace MemoryCommands
