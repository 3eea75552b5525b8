// Where the tool keeps its files. "The application directory" is the
// executable's folder; writable files move to the user's folders when that
// folder cannot be written (an installed build).
#pragma once
#include <QString>

class AppPaths
{
public:
    // The name of the user's folders; fixed, so it never depends on when the
    // application name is set.
    static constexpr const char FolderName[] = "vlx_krel_tool";

    // Decides every folder below once. main() calls it before the first log
    // line; any accessor calls it when nothing has yet.
    static void resolve();

    // Directory of the running executable, or the override set by tests.
    static QString appDir();
    // Tests (and demo builds) point the tool at another folder; empty restores.
    // The folders are decided again.
    static void setAppDirOverride(const QString& dir);

    // Folder for the settings file and the project file: appDir() when it is
    // writable, else the user's config folder + "/" + FolderName.
    static QString configDir();
    // Folder below which "logs/vlx_krel_tool" lives: appDir() when writable,
    // else the user's data folder + "/" + FolderName.
    static QString logRootDir();
    // The daily log folder: logRootDir() + "/logs/vlx_krel_tool".
    static QString logDir();

    // The installed read-only data folder: appDir() + "/../share/vlx-krel-tool",
    // cleaned.
    static QString shareDir();
    // Read-only data ("bl_fw", "mcuimage", "doc/user_manual.html") by its path
    // relative to the application directory: the one beside the executable when
    // it exists (a developer build), else the installed one in shareDir() when
    // that exists, else the one beside the executable (named in messages).
    static QString dataPath(const QString& relative);
    // The folder the data is taken from, for the About dialog and the log.
    static QString dataDir();

    // True when files can be created in dir (creating it if missing).
    static bool isWritableDir(const QString& dir);
    // Logs which folders are in use.
    static void logFolders();
};
