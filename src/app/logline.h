// How a line for the log view looks and where it goes in the log file: plain
// functions, so the rules can be checked without a window.
#pragma once

#include "records.h"

#include <QColor>
#include <QString>
#include <QTime>

namespace LogLine {

// "[hh:mm:ss] " + log.
QString text(const QTime& time, const QString& log);
// Colour of a level; a level outside 0..3 keeps the previous colour.
QColor colour(int level, const QColor& previous);
// Writes log to the log file with the severity of its level (0 debug, 1 info,
// 2 warning, 3 critical); other levels write nothing.
void writeToLogFile(int level, const QString& log);

} // namespace LogLine
