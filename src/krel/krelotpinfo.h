// The Krel OTP word file (an enciphered JSON object {"info": [{"address",
// "value"}, ...]}) and the "otp_info" array of the Krel configuration.
#pragma once

#include <QJsonArray>
#include <QMap>
#include <QString>

#include "krellogline.h"

namespace KrelOtpInfo {

// Far above a whole fuse map in this format; larger files are refused unread.
inline constexpr qint64 MaxFileBytes = 1 << 20;

// Reads, deciphers and parses an OTP word file into words (address -> value;
// a repeated address keeps the later value). False on any failure, with the
// reason in logs; words is left empty then.
bool load(const QString& path, QMap<quint32, quint32>& words, KrelLogLines& logs);

// Same, from the JSON text already deciphered.
bool parse(const QByteArray& json, QMap<quint32, quint32>& words, KrelLogLines& logs);

// [{"address": "0x%08x", "value": "0x%08x"}, ...] in ascending address order,
// the word at address 0 last.
QJsonArray toJsonArray(const QMap<quint32, quint32>& words);

} // namespace KrelOtpInfo
