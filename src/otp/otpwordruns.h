// The OTP write view's words as runs of consecutive words keyed by their start
// word, and what is done with them: the order they are programmed in, the write
// commands, adding and deleting runs, the image helper's messages and the
// overlap rule of the words dialog.
#pragma once

#include "records.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QVector>

using OtpWordRuns = QMap<quint32, QVector<quint32>>;

namespace OtpRuns {

// Start words in programming order: ascending, the run at word 0 (the lock word) last.
QList<quint32> writeOrder(const OtpWordRuns& runs);

// One write-memory command per word, runs in writeOrder().
QList<DownloadCommand> writeCommands(const OtpWordRuns& runs, const QString& memoryId);

// What putting a run into the write view did. A run of the single value 0 is a
// deletion request.
enum class AddResult {
    Deleted, // the run at that start was removed
    Replaced, // the run's values were replaced
    Unchanged, // deletion of a start that has no run
    Inserted // a new run
};
AddResult addRun(OtpWordRuns& runs, quint32 start, const QVector<quint32>& values);

// "start;v1,v2,..." (start decimal, values hexadecimal with or without "0x").
bool parseRunMessage(const QString& text, quint32& start, QVector<quint32>& values);

// Whether count words from start lie inside an OTP of wordCount words (no wrap past word 0xffffffff).
bool insideOtp(quint32 start, int count, quint32 wordCount);

// "enable,word,bit,x": the run to put at word, or false when nothing is to be
// done (also for a word outside an OTP of wordCount words).
bool enableMessageRun(
    const OtpWordRuns& runs, const QString& text, quint32 wordCount, quint32& word, QVector<quint32>& values);

// "lock,first,count": the run to put at word 0, or false when nothing is to be done.
bool lockMessageRun(const OtpWordRuns& runs, const QString& text, QVector<quint32>& values);

// The first queued run (start other than start) that [start, start + count - 1]
// intersects; false when there is none.
bool findOverlap(const OtpWordRuns& queued, quint32 start, quint32 count, quint32& otherStart);

// The types the OTP views' signals carry, by the names they are declared with.
void registerMetaTypes();

// Values as the words dialog's list: "0x%08x" joined by ",".
QString valuesText(const QVector<quint32>& values);

} // namespace OtpRuns
