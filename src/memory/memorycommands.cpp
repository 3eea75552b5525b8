#include "memorycommands.h"

#include "hex.h"
#include "ids.h"
#include "socdatabase.h"

#include <QCoreApplication>

namespace MemoryCommands {

namespace {

MemoryRequest refused(const QString& error)
{
    MemoryRequest r;
    r.error = error;
    return r;
}

MemoryRequest command(int nameId, const MemoryViewItemInfo& memory)
{
    // Without a memory the runner would only refuse a command with an empty id.
    if (memory.value.trimmed().isEmpty())
        return refused(QCoreApplication::translate("DevelopViews::MemoryViewTab", "No memory is chosen!"));
    MemoryRequest r;
    r.ok = true;
    r.command.id = Ids::newId();
    r.command.nameId = nameId;
    r.command.params.insert(QLatin1String(ParamKey::MemoryId), memory.value);
    return r;
}

MemoryRequest region(int nameId, const MemoryViewItemInfo& memory, const QString& address, const QString& length)
{
    // Blank counts as empty: the runner would read it as address or length 0.
    if (address.trimmed().isEmpty())
        return refused(QCoreApplication::translate("DevelopViews::MemoryViewTab", "Address is empty!"));
    if (length.trimmed().isEmpty())
        return refused(QCoreApplication::translate("DevelopViews::MemoryViewTab", "Length is empty!"));
    MemoryRequest r = command(nameId, memory);
    r.command.params.insert(QLatin1String(ParamKey::Address), address);
    r.command.params.insert(QLatin1String(ParamKey::Length), length);
    return r;
}

} // namespace

MemoryRequest read(const MemoryViewItemInfo& memory, const QString& address, const QString& length)
{
    MemoryRequest r = region(ReadMemory, memory, address, length);
    if (r.ok)
        r.command.params.insert(QLatin1String(ParamKey::ShowReadMemoryLog), QStringLiteral("false"));
    return r;
}

MemoryRequest erase(const MemoryViewItemInfo& memory, const QString& address, const QString& length)
{
    return region(EraseRegion, memory, address, length);
}

MemoryRequest eraseAll(const MemoryViewItemInfo& memory)
{
    return command(EraseChip, memory);
}

bool precedesWithOtpWord0(const MemoryViewItemInfo& memory, const QString& address, const QString& length)
{
    if (Hex::parse32(address).value_or(0) != 0 || length.trimmed().toUInt(nullptr, 10) <= uint(OtpWord0Bytes))
        return false;
    const std::optional<quint32> id = Hex::parse32(memory.value);
    for (const MemoryViewItemInfo& m : SocDatabase::instance().currentSoc().memoryView)
        if (m.name == QLatin1String("OTP"))
            return id && Hex::parse32(m.value) == id;
    return false;
}

bool isErasable(const QVariant& itemData)
{
    return itemData.canConvert<MemoryViewItemInfo>() && itemData.value<MemoryViewItemInfo>().erasable;
}

} // namespace MemoryCommands
