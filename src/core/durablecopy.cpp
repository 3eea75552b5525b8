#include "durablecopy.h"

#include <QDir>
#include <QFileInfo>

namespace DurableCopy {

namespace {

bool fail(QString* error, const QString& reason)
{
    if (error)
        *error = reason;
    return false;
}

bool writeAll(QFile& in, QFile& out, QString* error)
{
    for (;;) {
        const QByteArray chunk = in.read(1 << 20);
        if (chunk.isEmpty())
            return in.error() == QFileDevice::NoError || fail(error, in.errorString());
        if (out.write(chunk) != chunk.size())
            return fail(error, out.errorString());
    }
}

} // namespace

bool copyFile(const QString& source, const QString& target, QString* error, bool* flushed)
{
    if (flushed)
        *flushed = false;
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return fail(error, in.errorString());

    const QFileInfo targetInfo(target);
    const QString temp = targetInfo.dir().filePath(QLatin1String(TempPrefix) + targetInfo.fileName());
    QFile out(temp);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return fail(error, out.errorString());
    // The box reads the drive as soon as it is unplugged: the data must be on
    // the device before the name points at it.
    bool ok = writeAll(in, out, error) && syncFile(out, error);
    if (flushed)
        *flushed = ok;
    out.close();
    if (ok && out.error() != QFileDevice::NoError)
        ok = fail(error, out.errorString());
    ok = ok && replaceFile(temp, target, error);
    if (!ok)
        QFile::remove(temp);
    return ok;
}

bool removeStaleTemporaries(const QString& dir, QStringList* removed)
{
    const QStringList names = QDir(dir).entryList({ QLatin1String(TempPrefix) + QLatin1Char('*') },
        QDir::Files | QDir::Hidden | QDir::System);
    bool ok = true;
    for (const QString& name : names) {
        if (QFile::remove(QDir(dir).filePath(name))) {
            if (removed)
                removed->append(name);
        } else {
            ok = false;
        }
    }
    return ok;
}

} // namespace DurableCopy
