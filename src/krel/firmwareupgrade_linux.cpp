// Linux: the device number of the folder's file system; a mount point that was
// unmounted shows the parent file system's number, or is gone.
#include "firmwareupgrade.h"

#include <QFile>

#include <sys/stat.h>

namespace Krel {

DriveIdentity driveIdentity(const QString& dir)
{
    DriveIdentity id;
    struct stat st
    {
    };
    if (::stat(QFile::encodeName(dir).constData(), &st) == 0 && S_ISDIR(st.st_mode)) {
        id.valid = true;
        id.volume = quint64(st.st_dev);
    }
    return id;
}

} // namespace Krel
