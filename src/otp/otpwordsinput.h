// What the OTP words dialog accepts: fuse-map fields packed bit by bit into
// their words (Template page), and a start word with a list of hexadecimal
// words checked against the runs already queued (Custom page).
#pragma once

#include "otpwordruns.h"
#include "socinfo.h"

#include <QList>
#include <QMap>
#include <QString>

namespace OtpWordsInput {

// The dangerous fields warn when checked.
bool isDangerousField(const QString& name);

// One checked field of the Template page.
struct FieldSetting
{
    quint32 word = 0;
    QString name;
    QString offsets; // as in the fuse map: "16" or "0,28"
    quint32 width = 0;
    qint32 type = EFuseFieldNone;
    quint64 value = 0;
};

// A refusal: message box title and text.
struct Refusal
{
    QString title;
    QString text;
};

// Words by index, each field's value (its low width bits) written at every
// listed offset. False with the refusal when a value exceeds its field.
bool packFields(const QList<FieldSetting>& fields, QMap<quint32, quint32>& words, Refusal& refusal);

// The Custom page. wordLimit is the number of OTP words of the SoC (0: unknown).
bool parseCustom(const QString& startText, const QString& countText, const QString& listText, const OtpWordRuns& queued,
    quint32 wordLimit, quint32& start, QVector<quint32>& values, Refusal& refusal);

} // namespace OtpWordsInput
