// The process-wide message handler: every diagnostic of every thread goes to
// one log file per day under the log folder.
#pragma once

#include <QDateTime>
#include <QString>
#include <QtGlobal>
#include <functional>

namespace LogHandler {

// Installed with qInstallMessageHandler as the first action of the process.
void messageHandler(QtMsgType type, const QMessageLogContext& context, const QString& msg);

// The level tag for a message type, e.g. "[Info] ".
QString tagFor(int type);

// Tests: replace the clock and the log folder. Empty/none restores the defaults
// (the local clock and AppPaths::logDir()).
void setClock(std::function<QDateTime()> clock);
void setLogDir(const QString& dir);
// Tests: for fatal messages call this instead of abort() (none restores abort).
void setFatalHook(std::function<void()> hook);

// The file the next message of the given moment would go to.
QString logFilePath(const QDateTime& when);

} // namespace LogHandler
