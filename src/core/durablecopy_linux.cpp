// Linux: fsync for the data, rename(2) for the swap, fsync of the folder for the entry.
#include "durablecopy.h"

#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace DurableCopy {

namespace {

QString systemError(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

// Some file systems cannot sync a folder (EINVAL); the rename itself still stands.
void syncFolder(const QString& dir)
{
    const int fd = ::open(QFile::encodeName(dir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

} // namespace

bool syncFile(QFile& file, QString* error)
{
    if (!file.flush()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    if (::fsync(file.handle()) != 0) {
        if (error)
            *error = systemError(errno);
        return false;
    }
    return true;
}

bool replaceFile(const QString& from, const QString& to, QString* error)
{
    const QByteArray src = QFile::encodeName(from);
    const QByteArray dst = QFile::encodeName(to);
    if (std::rename(src.constData(), dst.constData()) != 0) {
        int code = errno;
        // A file system that will not replace in one step (EEXIST, EPERM): remove,
        // then rename at once; the window is the gap between these two calls.
        // Other errors (I/O, read-only) must not cost the old file.
        bool replaced = false;
        if ((code == EEXIST || code == EPERM) && QFile::remove(to)) {
            replaced = std::rename(src.constData(), dst.constData()) == 0;
            if (!replaced)
                code = errno;
        }
        if (!replaced) {
            if (error)
                *error = systemError(code);
            return false;
        }
    }
    syncFolder(QFileInfo(to).absolutePath());
    return true;
}

} // namespace DurableCopy
