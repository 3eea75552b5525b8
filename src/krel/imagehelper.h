// The external image helper program: where it lives, its command line, and
// the message lines it prints on its standard output.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace ImageHelper {

// The program's file name on this system ("vlx_image_helper", ".exe" on Windows).
QString programName();
// The program in the application directory.
QString programPath();

// Arguments in the helper's order: --soc, --language (EN or CN), --type
// (boot_image or user_data), --path, then the flag --station.
QStringList arguments(const QString& socBaseName, bool english, bool bootImage, const QString& imagePath);

struct Message
{
    enum Kind { None, File, ExipKek, ExipEnable, ExipLock, SrkHash, OpenOtpWriteView };
    Kind kind = None;
    QString text; // the payload's argument (path, key, flag or hash)
    QString rest; // the line outside the markers, trimmed, for the debug log
};

// One line: counts only with both "MESSAGE#" and "#MESSAGE"; the payload runs
// from after the first "MESSAGE#" to before the last "#MESSAGE". A counted line
// whose payload names nothing known gives kind None with its rest. False for a
// line that does not count.
bool parseLine(const QString& line, Message& message);

// Splits standard output into lines. A line cut between two reads is kept
// until its end arrives (or finish()), so a long path is never read in halves.
class LineReader
{
public:
    // The complete lines in data, decoded in the local 8-bit encoding, without "\r\n".
    QStringList feed(const QByteArray& data);
    // What is left after the process ended.
    QStringList finish();

private:
    QByteArray m_pending;
};

} // namespace ImageHelper
