// Turns what the Krel configuration tab holds into the configuration document,
// the enciphered "config.info" and the list of files to copy onto the box.
#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QPair>
#include <QString>

#include "krellogline.h"

using KrelCopyList = QList<QPair<QString, QString>>; // (source path, destination file name)

// The tab's inputs, taken as they stand in its widgets.
struct KrelConfigInput
{
    QString socName;
    int modeIndex = 0; // 0 ManualMode, 1 AutoMode, 2 MachineMode
    QString baudText;
    bool beep = false;
    bool fiveVolt = false;
    QString flashWordText; // "0x........" words joined with ","
    bool otpEnabled = false;
    QString otpPath;
    bool withBootImage = true;
    QString imagePath;
    QString programAddress;
    QList<QPair<QString, QString>> additionalFiles; // (program address, path) in table order
};

struct KrelConfigResult
{
    bool ok = false;
    QJsonObject document;
    QByteArray json; // compact form of document
    QByteArray cipherText; // the bytes of "config.info"
    QString configPath; // absolute path of the written "config.info"
    KrelCopyList copyList; // images in order, then "config.info"; complete only when ok
    QMap<quint32, quint32> otpWords;
    KrelLogLines logs;
};

class KrelConfigBuilder
{
public:
    static constexpr const char ConfigFileName[] = "config.info";

    // Validates input and writes "config.info" into outputDir (the tab passes the
    // process's current directory). Stops at the first failed check with its
    // message (error level) as the last log line.
    static KrelConfigResult generate(const KrelConfigInput& input, const QString& outputDir);

    // Name of an image on the drive: base name (before the first ".") + "_" +
    // number + "." + suffix (after the last "."); without a suffix no dot is added.
    static QString destinationName(const QString& sourcePath, int number);

    static QString triggerSource(int modeIndex); // empty for an unknown index
    // "0x" and one to eight hexadecimal digits: a 32-bit program address or sector index.
    static bool isAddressText(const QString& text);
};
