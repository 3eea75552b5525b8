// Interpretation of the Krel box's replies: turns the acknowledgement list of
// one batch into the ordered steps the device panel applies (look, message
// boxes, log lines, version field, upgrade button, log-out batch).
#pragma once

#include "krelcommand.h"
#include "records.h"

#include <QCoreApplication>
#include <QList>
#include <QPair>
#include <QString>
#include <optional>

namespace Krel {

struct PanelAction
{
    enum Kind {
        SetConnected,  // flag: the connected (true) or disconnected (false) look and status signal
        MessageBox,    // modal box with one OK button: icon, title, text
        Log,           // signalAddLogs(text, level)
        ShowVersion,   // text into the "Ver:" field; also the box's current version
        EnableUpgrade, // flag: the firmware-upgrade button's enabled state
        SendQuit       // queue the QUT batch
    };
    enum Icon { Information, Warning };

    Kind kind = Log;
    bool flag = false;
    Icon icon = Information;
    QString title;
    QString text;
    LogLevel level = LogDebug;

    static PanelAction connected(bool on);
    static PanelAction box(Icon icon, const QString& title, const QString& text);
    static PanelAction log(const QString& text, LogLevel level);
    static PanelAction showVersion(const QString& version);
    static PanelAction enableUpgrade(bool on);
    static PanelAction sendQuit();

    bool operator==(const PanelAction& o) const;
    // One line for log files and test failures, e.g. "box warning|Error|...".
    QString toString() const;
};

class KrelReply
{
    Q_DECLARE_TR_FUNCTIONS(KrelReply)
public:
    using AckList = QList<QPair<int, QString>>;

    // Every entry in order; newestVersion is the newest firmware known (may be empty).
    static QList<PanelAction> interpret(const AckList& ackList, const QString& newestVersion);

    // The command a reply (or a sent text) belongs to: first name it starts with,
    // tested in the order RST, QUT, SEC, SSS, VER, MSC, OTA.
    static std::optional<KrelCode> commandOf(const QString& text);
    // Case-sensitive "OK" anywhere in the text.
    static bool succeeded(const QString& text);
    // Text after the first ':'; empty without a colon.
    static QString versionOf(const QString& text);

private:
    static void interpretEntry(const QPair<int, QString>& entry, const QString& newestVersion,
                               QList<PanelAction>& out);
};

} // namespace Krel
