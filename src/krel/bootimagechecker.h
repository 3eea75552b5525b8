// Finds the XIP flash configuration block and the boot header at the fixed
// offsets of a bootable flash image, and derives from them the image's
// program address and flash configuration words.
#pragma once

#include <QIODevice>
#include <QStringList>
#include <optional>

#include "krellogline.h"
#include "socinfo.h"

struct BootImageReport
{
    bool result = false; // the image is usable without a warning
    std::optional<quint32> flashConfigOffset;
    std::optional<quint32> bootHeaderOffset;
    // The four words of the last flash configuration block read whole; the tab
    // applies them (applyFlashWords) and rebuilds its option widgets. Empty when
    // none was read.
    QStringList flashWords;
    // When set, the new text of the program-address field (empty = cleared).
    std::optional<QString> programAddress;
    KrelLogLines logs;
};

class BootImageChecker
{
public:
    // The offsets examined, in order; the flash configuration block only at the first two.
    static constexpr quint32 Offsets[] = { 0x000, 0x400, 0x800, 0xC00, 0x1000 };
    static constexpr quint32 LastFlashConfigOffset = 0x400;

    // checkBootImage of the tab: inspects the file at path. The program address
    // is derived only with updateAddress and a flash memory (kind 0).
    static BootImageReport check(const QString& path, const MemoryItemInfo& memory, bool updateAddress);
    // The same on an open device, adding to report (no line about the path).
    static void inspect(QIODevice& file, const MemoryItemInfo& memory, bool updateAddress, BootImageReport& report);

    // Examines one offset of an open file, recording detections and log lines in
    // report; false only on a seek or read error.
    static bool inspectOffset(QIODevice& file, quint32 offset, BootImageReport& report);

    // Number of option words announced by a flash configuration header (0..3).
    static int optionWordCount(quint32 header);
    // A word as "0x" and eight lower-case hex digits.
    static QString wordText(quint32 word);
};
