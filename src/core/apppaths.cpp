#include "apppaths.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <mutex>
#include <optional>

namespace {

struct Folders
{
    QString app;
    QString config;
    QString logRoot;
};

std::mutex g_mutex; // guards g_override and g_folders
QString g_override; // set by tests
std::optional<Folders> g_folders; // decided once per application directory

QString executableDir()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    // Before the application object exists: the same answer from /proc.
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath().section(QLatin1Char('/'), 0, -2);
}

// The user's folder of that kind with the fixed name. The generic locations do
// not depend on the application name (QStandardPaths' App* ones do).
QString userFolder(QStandardPaths::StandardLocation generic)
{
    QString base = QStandardPaths::writableLocation(generic);
    if (base.isEmpty())
        base = QDir::homePath();
    return base + QLatin1Char('/') + QLatin1String(AppPaths::FolderName);
}

Folders decide(const QString& app)
{
    Folders f;
    f.app = app;
    const bool writable = AppPaths::isWritableDir(app);
    f.config = writable ? app : userFolder(QStandardPaths::GenericConfigLocation);
    f.logRoot = writable ? app : userFolder(QStandardPaths::GenericDataLocation);
    return f;
}

Folders folders()
{
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        if (g_folders)
            return *g_folders;
    }
    AppPaths::resolve();
    std::lock_guard<std::mutex> lock(g_mutex);
    return *g_folders;
}

} // namespace

void AppPaths::resolve()
{
    QString app;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        if (g_folders)
            return;
        app = g_override.isEmpty() ? executableDir() : g_override;
    }
    // Decided without the lock: probing the folder may log, and the log handler asks for it.
    const Folders f = decide(app);
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!g_folders)
        g_folders = f;
}

QString AppPaths::appDir() { return folders().app; }

void AppPaths::setAppDirOverride(const QString& dir)
{
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        g_override = dir;
        g_folders.reset();
    }
    resolve();
}

bool AppPaths::isWritableDir(const QString& dir)
{
    if (dir.isEmpty() || !QDir().mkpath(dir))
        return false;
    // Directory permission bits lie on some filesystems; try a real file.
    QTemporaryFile probe(dir + QStringLiteral("/.krel_write_probe_XXXXXX"));
    return probe.open();
}

QString AppPaths::shareDir() { return QDir::cleanPath(appDir() + QStringLiteral("/../share/vlx-krel-tool")); }

QString AppPaths::dataPath(const QString& relative)
{
    const QString beside = QDir::cleanPath(appDir() + QLatin1Char('/') + relative);
    if (QFileInfo::exists(beside))
        return beside;
    const QString installed = QDir::cleanPath(shareDir() + QLatin1Char('/') + relative);
    return QFileInfo::exists(installed) ? installed : beside;
}

QString AppPaths::dataDir() { return QFileInfo(dataPath(QStringLiteral("doc"))).path(); }

QString AppPaths::configDir() { return folders().config; }

QString AppPaths::logRootDir() { return folders().logRoot; }

QString AppPaths::logDir() { return logRootDir() + QStringLiteral("/logs/vlx_krel_tool"); }

void AppPaths::logFolders()
{
    const Folders f = folders();
    qInfo().noquote() << "Application directory:" << f.app << "| settings and project folder:" << f.config
                      << "| log folder:" << f.logRoot + QStringLiteral("/logs/vlx_krel_tool")
                      << "| data folder:" << dataDir();
}
