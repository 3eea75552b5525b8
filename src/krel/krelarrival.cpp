#include "krelarrival.h"

namespace Krel {

QString KrelArrival::detectLine(const UsbInfo& info)
{
    return QStringLiteral("%1, vid: 0x%2, pid: 0x%3, productString: %4")
        .arg(QStringLiteral("Detect Usb: ") + info.instanceId)
        .arg(info.vendorId, 4, 16, QLatin1Char('0'))
        .arg(info.productId, 4, 16, QLatin1Char('0'))
        .arg(info.productString);
}

QString KrelArrival::severalBoxesLine()
{
    return tr("Multiple devices are not supported, please access only one offline burner");
}

ArrivalDecision KrelArrival::arrival(const UsbInfo& info, const QStringList& listed)
{
    ArrivalDecision d;
    d.mode = krelMode(info);
    const QString line = detectLine(info);
    if (d.mode == KrelMode::NotKrel) {
        d.logs << KrelLogLine { line, LogDebug };
        return d;
    }
    // A box that re-arrives under an id still listed keeps its one entry.
    QStringList after = listed;
    if (!after.contains(info.instanceId)) {
        d.append = true;
        after << info.instanceId;
    }
    d.logs << KrelLogLine { line, LogInfo };
    if (after.size() > 1) {
        d.action = ArrivalDecision::ListOnly;
        d.logs << KrelLogLine { severalBoxesLine(), LogError };
        return d;
    }
    d.select = true;
    switch (d.mode) {
    case KrelMode::Drive:
        d.action = ArrivalDecision::ConnectDrive;
        d.logs << KrelLogLine { tr("Device connected successfully"), LogInfo };
        break;
    case KrelMode::Command: d.action = ArrivalDecision::DropCommand; break;
    case KrelMode::Update:
        d.action = ArrivalDecision::DropUpdate;
        d.logs << KrelLogLine { tr("Device enters UF2 upgrade mode"), LogWarning };
        break;
    case KrelMode::NotKrel: break;
    }
    return d;
}

ArrivalDecision KrelArrival::removal(const UsbInfo& info, const QStringList& listed)
{
    ArrivalDecision d;
    d.mode = krelMode(info);
    if (info.instanceId.isEmpty() || !listed.contains(info.instanceId))
        return d;
    d.action = ArrivalDecision::Removed;
    d.logs << KrelLogLine { tr("Remove USB: ") + info.instanceId, LogWarning };
    return d;
}

} // namespace Krel

#include "krelreply.h"

namespace Krel {

LoginOutcome loginOutcome(const QList<QPair<int, QString>>& ackList)
{
    bool answered = false;
    for (const auto& ack : ackList) {
        if (ack.first != 1)
            continue;
        const std::optional<KrelCode> code = KrelReply::commandOf(ack.second);
        if (!code)
            continue; // garbage is no answer
        answered = true;
        if (*code == KrelCode::SEC && !KrelReply::succeeded(ack.second))
            return LoginOutcome::Handled;
        if (*code == KrelCode::MSC)
            return KrelReply::succeeded(ack.second) ? LoginOutcome::Entered : LoginOutcome::Handled;
    }
    return answered ? LoginOutcome::Unconfirmed : LoginOutcome::NoAnswer;
}

} // namespace Krel
