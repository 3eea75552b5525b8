// Texts and figures a command run shows: the finished line, the step label and
// the bar position. Plain functions so they can be checked without a window.
#pragma once

#include "records.h"

#include <QString>
#include <QVariantMap>

namespace RunReport {

struct Line
{
    QString text;
    LogLevel level = LogDebug;
};

// The log line of a finished run.
Line finished(bool result, const QVariantMap& resultInfoMap);
// "1st", "2nd", "3rd", "4th", ... "11th", "21st" (translated).
QString ordinal(int n);
// "Run 2nd command, the number of commands is 5" (translated).
QString stepText(const DownloadTaskInfo& info);
// Position of the bar, 0..100, over the whole run: finished commands count in
// full, the running one by its progress, so the bar never rests at 100 while
// later commands still run.
double percent(const DownloadTaskInfo& info);

} // namespace RunReport
