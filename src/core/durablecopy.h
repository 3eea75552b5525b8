// File copies that survive a kill, a crash or a pulled drive: the target name
// holds either the old file or the new one, whole. Used for everything written
// onto the Krel box's drives (configuration, images, firmware).
#pragma once

#include <QFile>
#include <QString>
#include <QStringList>

namespace DurableCopy {

// A copy is written beside its target under this prefix + the target's name;
// whatever carries the prefix in a folder is a left-over of an interrupted copy.
inline constexpr char TempPrefix[] = ".krel-part-";

// Copies source into a temporary file in the target's folder, pushes it to the
// device, then renames it over target. On failure target is as it was (see
// replaceFile for the one exception) and no temporary file is left. Two copies
// onto the same target must not run at the same time. False with the reason in error.
// flushed tells whether the whole data had reached the device: a drive that
// takes its file block by block (the box's update drive) may leave right after.
bool copyFile(const QString& source, const QString& target, QString* error = nullptr, bool* flushed = nullptr);

// Removes the temporary files interrupted copies left in dir (not below it);
// the names removed go to removed. False when one could not be removed.
bool removeStaleTemporaries(const QString& dir, QStringList* removed = nullptr);

// Platform layer (durablecopy_linux.cpp).
// Pushes a written, still open file's data down to the device.
bool syncFile(QFile& file, QString* error);
// Renames from to to, replacing an existing to in one step where the file
// system can (rename(2) does so on FAT as well). Where it refuses, to is removed
// first: a crash in that short window leaves the whole new file under the
// temporary name and no file under to. The folder entry is pushed to the device.
bool replaceFile(const QString& from, const QString& to, QString* error);

} // namespace DurableCopy
