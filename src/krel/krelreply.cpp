#include "krelreply.h"

namespace Krel {

PanelAction PanelAction::connected(bool on)
{
    PanelAction a;
    a.kind = SetConnected;
    a.flag = on;
    return a;
}

PanelAction PanelAction::box(Icon icon, const QString& title, const QString& text)
{
    PanelAction a;
    a.kind = MessageBox;
    a.icon = icon;
    a.title = title;
    a.text = text;
    return a;
}

PanelAction PanelAction::log(const QString& text, LogLevel level)
{
    PanelAction a;
    a.kind = Log;
    a.text = text;
    a.level = level;
    return a;
}

PanelAction PanelAction::showVersion(const QString& version)
{
    PanelAction a;
    a.kind = ShowVersion;
    a.text = version;
    return a;
}

PanelAction PanelAction::enableUpgrade(bool on)
{
    PanelAction a;
    a.kind = EnableUpgrade;
    a.flag = on;
    return a;
}

PanelAction PanelAction::sendQuit()
{
    PanelAction a;
    a.kind = SendQuit;
    return a;
}

bool PanelAction::operator==(const PanelAction& o) const
{
    if (kind != o.kind)
        return false;
    switch (kind) {
    case SetConnected:
    case EnableUpgrade: return flag == o.flag;
    case MessageBox: return icon == o.icon && title == o.title && text == o.text;
    case Log: return level == o.level && text == o.text;
    case ShowVersion: return text == o.text;
    case SendQuit: return true;
    }
    return false;
}

QString PanelAction::toString() const
{
    switch (kind) {
    case SetConnected: return flag ? QStringLiteral("connected") : QStringLiteral("disconnected");
    case MessageBox:
        return QStringLiteral("box %1|%2|%3")
            .arg(icon == Warning ? QStringLiteral("warning") : QStringLiteral("information"), title, text);
    case Log: return QStringLiteral("log %1|%2").arg(static_cast<int>(level)).arg(text);
    case ShowVersion: return QStringLiteral("version|") + text;
    case EnableUpgrade: return flag ? QStringLiteral("upgrade on") : QStringLiteral("upgrade off");
    case SendQuit: return QStringLiteral("quit");
    }
    return {};
}

std::optional<KrelCode> KrelReply::commandOf(const QString& text)
{
    const QList<KrelCode> codes = KrelCommand::allCodes();
    for (KrelCode code : codes) {
        if (text.startsWith(KrelCommand::name(code)))
            return code;
    }
    return std::nullopt;
}

bool KrelReply::succeeded(const QString& text)
{
    return text.contains(QLatin1String("OK"), Qt::CaseSensitive);
}

QString KrelReply::versionOf(const QString& text)
{
    const int colon = text.indexOf(QLatin1Char(':'));
    return colon < 0 ? QString() : text.mid(colon + 1);
}

QList<PanelAction> KrelReply::interpret(const AckList& ackList, const QString& newestVersion)
{
    QList<PanelAction> out;
    for (const auto& entry : ackList)
        interpretEntry(entry, newestVersion, out);
    return out;
}

void KrelReply::interpretEntry(const QPair<int, QString>& entry, const QString& newestVersion,
                               QList<PanelAction>& out)
{
    const QString& text = entry.second;
    const std::optional<KrelCode> code = commandOf(text);
    if (!code) {
        out << PanelAction::log(tr("This command is not supported: ") + text, LogDebug);
        return;
    }
    // Without a reply the entry holds the text that was sent, never the box's answer.
    const bool replied = entry.first == 1;
    const bool ok = replied && succeeded(text);
    const QString error = tr("Error");
    const QString info = tr("Info");

    switch (*code) {
    case KrelCode::RST:
        out << PanelAction::connected(false);
        if (!replied)
            break;
        if (ok)
            out << PanelAction::box(PanelAction::Information, info, tr("Reset successful, please reconnect"));
        else
            out << PanelAction::box(PanelAction::Warning, error, tr("Reset failed. Please try again."));
        break;
    case KrelCode::QUT:
        out << PanelAction::connected(false);
        if (replied && !ok)
            out << PanelAction::box(PanelAction::Warning, error, tr("Quit failed. Please try again."));
        break;
    case KrelCode::SEC:
        if (replied && !ok) {
            out << PanelAction::connected(false);
            out << PanelAction::box(PanelAction::Warning, error,
                                    tr("Connection failed, please make sure the password is correct"));
        }
        break;
    case KrelCode::SSS:
        if (!replied)
            break;
        if (ok) {
            out << PanelAction::box(PanelAction::Information, info,
                                    tr("Change password successfully, please reconnect"));
            out << PanelAction::sendQuit();
        } else {
            out << PanelAction::box(PanelAction::Warning, error, tr("Failed to change password, please try again"));
        }
        break;
    case KrelCode::VER: {
        // Applies whatever the entry status: a sent VER text has no colon.
        const QString version = versionOf(text);
        if (version.isEmpty())
            break;
        out << PanelAction::showVersion(version);
        if (!newestVersion.isEmpty() && compareVersion(version, newestVersion) == -1) {
            out << PanelAction::enableUpgrade(true);
            out << PanelAction::log(tr("New firmware version detected"), LogWarning);
        } else {
            out << PanelAction::enableUpgrade(false);
        }
        break;
    }
    case KrelCode::MSC:
        if (!replied)
            break;
        if (ok) {
            out << PanelAction::log(tr("Entered burn configuration mode successfully"), LogInfo);
        } else {
            out << PanelAction::connected(false);
            out << PanelAction::log(tr("BAD, Failed to enter burn configuration mode."), LogError);
        }
        break;
    case KrelCode::OTA:
        if (!replied)
            break;
        if (ok)
            out << PanelAction::log(tr("Entered OTA mode successfully"), LogInfo);
        else
            out << PanelAction::log(tr("BAD, Failed to enter OTA mode."), LogError);
        break;
    }
}

} // namespace Krel
