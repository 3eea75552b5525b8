// File helpers the tests share.
#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>

// Writes the bytes, making the folder first; false when any of it fails.
inline bool writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// The file's bytes, or a marker no content under test equals when it cannot be read.
inline QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}
