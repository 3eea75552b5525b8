#include "apppaths.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <mutex>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace {
std::mutex g_mutex;             // guards g_override and the writability cache
QString g_override;          // set by tests
QString g_cachedFor;         // appDir the cache below belongs to
int g_appDirWritable = -1;   // -1 unknown, 0 no, 1 yes

QString fallback(QStandardPaths::StandardLocation loc)
{
    QString dir = QStandardPaths::writableLocation(loc);
    if (dir.isEmpty())
        dir = QDir::homePath() + QStringLiteral("/.vlx_krel_tool");
    return dir;
}
} // namespace

QString AppPaths::appDir()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!g_override.isEmpty())
        return g_override;
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    // Before the application object exists (early log lines): resolve /proc/self/exe.
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath().section('/', 0, -2);
}

void AppPaths::setAppDirOverride(const QString& dir)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_override = dir;
    g_appDirWritable = -1;
}

bool AppPaths::isWritableDir(const QString& dir)
{
    if (dir.isEmpty() || !QDir().mkpath(dir))
        return false;
    // Directory permission bits lie on some filesystems; try a real file.
    QTemporaryFile probe(dir + QStringLiteral("/.krel_write_probe_XXXXXX"));
    return probe.open();
}

static bool appDirWritable(const QString& app)
{
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        if (g_cachedFor == app && g_appDirWritable >= 0)
            return g_appDirWritable == 1;
    }
    const bool ok = AppPaths::isWritableDir(app);
    std::lock_guard<std::mutex> lock(g_mutex);
    g_cachedFor = app;
    g_appDirWritable = ok ? 1 : 0;
    return ok;
}

QString AppPaths::configDir()
{
    const QString app = appDir();
    return appDirWritable(app) ? app : fallback(QStandardPaths::AppConfigLocation);
}

QString AppPaths::logRootDir()
{
    const QString app = appDir();
    return appDirWritable(app) ? app : fallback(QStandardPaths::AppLocalDataLocation);
}

QString AppPaths::logDir() { return logRootDir() + QStringLiteral("/logs/vlx_krel_tool"); }

void AppPaths::logFolders()
{
    qInfo().noquote() << "Application directory:" << appDir() << "| settings and project folder:" << configDir()
                      << "| log folder:" << logDir();
}
