// A line for the user's log view with its level, as collected by the plain
// (widget-free) Krel helpers; the tab emits them through signalAddLogs.
#pragma once

#include <QList>
#include <QString>

#include "records.h"

struct KrelLogLine
{
    QString text;
    LogLevel level = LogDebug;

    bool operator==(const KrelLogLine& o) const { return text == o.text && level == o.level; }
};

using KrelLogLines = QList<KrelLogLine>;
