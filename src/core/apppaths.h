// Where the tool keeps its files. "The application directory" is the
// executable's folder; writable files move to the user's folders when that
// folder cannot be written (an installed build).
#pragma once
#include <QString>

class AppPaths
{
public:
    // Directory of the running executable, or the override set by tests.
    static QString appDir();
    // Tests (and demo builds) point the tool at another folder; empty restores.
    static void setAppDirOverride(const QString& dir);

    // Folder for the settings file and the project file: appDir() when it is
    // writable, else the user's config folder.
    static QString configDir();
    // Folder below which "logs/vlx_krel_tool" lives: appDir() when writable,
    // else the user's app-local-data folder.
    static QString logRootDir();
    // The daily log folder: logRootDir() + "/logs/vlx_krel_tool".
    static QString logDir();

    // True when files can be created in dir (creating it if missing).
    static bool isWritableDir(const QString& dir);
    // Logs once which folders are in use.
    static void logFolders();
};
