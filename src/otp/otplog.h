// A line for the log view produced by the OTP logic; the views emit them.
#pragma once

#include "records.h"

#include <QList>
#include <QString>

struct OtpLogLine
{
    QString text;
    LogLevel level = LogDebug;
    bool operator==(const OtpLogLine& o) const { return text == o.text && level == o.level; }
};
using OtpLogLines = QList<OtpLogLine>;
