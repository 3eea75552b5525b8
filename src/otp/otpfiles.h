// The OTP word files of the OTP views, as plain functions over bytes: the CSV
// file ("word,value" lines: read-view export, template, import) and the Krel
// OTP ".info" file (enciphered JSON, as the Krel configuration carries it).
// Imports are all-or-nothing: runs is only meaningful when ok is true.
#pragma once

#include "otplog.h"
#include "otpreadplan.h"
#include "otpwordruns.h"

#include <QByteArray>
#include <QString>

namespace OtpFiles {

struct ImportResult
{
    bool ok = false;
    OtpWordRuns runs; // each imported word a run of one
    OtpLogLines logs; // in the order they arose; the success line is the caller's
};

// Skipped-line warnings shown one by one before the rest are only counted.
constexpr int MaxSkipWarnings = 100;

// A CSV file's bytes; indices must lie below wordCount. path only names the file in messages.
ImportResult importCsv(const QByteArray& bytes, quint32 wordCount, const QString& path);
// A ".info" file's bytes (enciphered); addresses must lie below wordCount.
ImportResult importInfo(const QByteArray& fileBytes, quint32 wordCount, const QString& path);

// The read view's words from word start on; words not valid have no value.
QByteArray exportCsv(const QVector<OtpReadWord>& words, quint32 start);
// "word,value" and a zero line for every word 0 .. wordCount - 1.
QByteArray templateCsv(int wordCount);
// One {"address", "value"} per word, runs in writing order (word 0 last), enciphered.
QByteArray exportInfo(const OtpWordRuns& runs);
// The JSON text before enciphering.
QByteArray infoJson(const OtpWordRuns& runs);

// Reads a whole file; false with "Open file failed! Path: " in logs.
bool readFile(const QString& path, QByteArray& bytes, OtpLogLines& logs);
// Writes a whole file; on failure an existing file stays as it was.
bool writeFile(const QString& path, const QByteArray& bytes);

} // namespace OtpFiles
