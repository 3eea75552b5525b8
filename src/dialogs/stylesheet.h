// Style sheets from the resources. A sheet that cannot be read or does not
// hold together is not applied (the widget keeps the default look) and the
// reason goes to the log file.
#pragma once

#include <QString>

class QWidget;

namespace StyleSheet {

// The resource text up to its first zero byte; empty with *why set when the
// resource is missing, empty or broken.
QString load(const QString& resource, QString* why = nullptr);
// Empty when the text holds together (braces balanced outside comments and
// strings, comments and strings closed), else what is wrong with it.
QString check(const QString& text);
// load() and set on the widget (the application when widget is null); false,
// with a log line saying why, when nothing was applied.
bool apply(const QString& resource, QWidget* widget = nullptr);

} // namespace StyleSheet
