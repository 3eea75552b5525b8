#include "loghandler.h"

#include "apppaths.h"

#include <QDir>
#include <QFile>
#include <mutex>
#include <QTextStream>
#include <cstdlib>

namespace LogHandler {

namespace {
// One process-wide lock over the whole handler: lines never interleave and
// each lands in the file of the date current when it was written.
std::recursive_mutex& logMutex()
{
    // Recursive so that a message raised while resolving the log folder
    // cannot deadlock the handler. std:: locks so the thread sanitizer sees them.
    static std::recursive_mutex m;
    return m;
}
std::function<QDateTime()> g_clock; // guarded by logMutex()
QString g_logDir;                   // guarded by logMutex()
std::function<void()> g_fatalHook;  // guarded by logMutex()

QString dirLocked() { return g_logDir.isEmpty() ? AppPaths::logDir() : g_logDir; }
QDateTime nowLocked() { return g_clock ? g_clock() : QDateTime::currentDateTime(); }
} // namespace

QString tagFor(int type)
{
    switch (type) {
    case QtDebugMsg: return QStringLiteral("[Debug] ");
    case QtInfoMsg: return QStringLiteral("[Info] ");
    case QtWarningMsg: return QStringLiteral("[Warning] ");
    case QtCriticalMsg: return QStringLiteral("[Critical] ");
    case QtFatalMsg: return QStringLiteral("[Fatal] ");
    default: return QStringLiteral("[Unknow Message Type] ");
    }
}

void setClock(std::function<QDateTime()> clock)
{
    std::unique_lock<std::recursive_mutex> lock(logMutex());
    g_clock = std::move(clock);
}

void setLogDir(const QString& dir)
{
    std::unique_lock<std::recursive_mutex> lock(logMutex());
    g_logDir = dir;
}

void setFatalHook(std::function<void()> hook)
{
    std::unique_lock<std::recursive_mutex> lock(logMutex());
    g_fatalHook = std::move(hook);
}

QString logFilePath(const QDateTime& when)
{
    std::unique_lock<std::recursive_mutex> lock(logMutex());
    return dirLocked() + QLatin1Char('/') + when.toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(".log");
}

void messageHandler(QtMsgType type, const QMessageLogContext&, const QString& msg)
{
    std::unique_lock<std::recursive_mutex> lock(logMutex());
    const QString tag = tagFor(type);
    const QString dir = dirLocked();
    QDir d(dir);
    if (!d.exists())
        d.mkpath(QStringLiteral("."));
    const QDateTime now = nowLocked();
    QFile file(dir + QLatin1Char('/') + now.toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(".log"));
    if (file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        QTextStream out(&file);
        out << '[' << now.toString(QStringLiteral("HH:mm:ss")) << ']' << tag << msg << '\n';
        out.flush();
        file.close();
    }
    if (type == QtFatalMsg) {
        if (g_fatalHook) {
            auto hook = g_fatalHook;
            lock.unlock();
            hook();
            return;
        }
        std::abort();
    }
}

} // namespace LogHandler
