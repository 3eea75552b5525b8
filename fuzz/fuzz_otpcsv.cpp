// The OTP views' word file imports: the CSV file ("word,value") and the OTP
// ".info" file. An import is all-or-nothing: a refused file says why at error
// level and yields no words; an accepted one holds only single-word runs of
// non-zero values below the word count, with warnings at most, and its words
// written back (CSV export, ".info" export) import again unchanged.
#include "fuzzsupport.h"
#include "krelcipher.h"
#include "otpfiles.h"

FUZZ_INIT

static bool hasError(const OtpLogLines& logs)
{
    for (const OtpLogLine& l : logs)
        if (l.level == LogError)
            return true;
    return false;
}

static QString describe(const OtpWordRuns& runs)
{
    QStringList out;
    for (auto it = runs.cbegin(); it != runs.cend(); ++it)
        out << QString::number(it.key()) + QLatin1Char('=') + OtpRuns::valuesText(it.value());
    return out.join(QLatin1Char(' '));
}

// The words as the read view would export them: every word of the OTP, the
// imported ones valid.
static QByteArray asCsv(const OtpWordRuns& runs, quint32 wordCount)
{
    QVector<OtpReadWord> words(static_cast<int>(wordCount));
    for (auto it = runs.cbegin(); it != runs.cend(); ++it)
        words[int(it.key())] = { it.value().first(), true };
    return OtpFiles::exportCsv(words, 0);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Byte 0: the file kind (even: CSV, odd: ".info", enciphered here when
    // bit 1 is set); byte 1: the OTP's word count (0 .. 255).
    if (size < 2)
        return 0;
    const bool csv = (data[0] & 1) == 0;
    const quint32 wordCount = data[1];
    QByteArray bytes = Fuzz::bytes(data + 2, size - 2);
    if (!csv && (data[0] & 2))
        bytes = KrelCipher::encipher(bytes);
    const QString path = QStringLiteral("fuzz.csv");
    const OtpFiles::ImportResult r
        = csv ? OtpFiles::importCsv(bytes, wordCount, path) : OtpFiles::importInfo(bytes, wordCount, path);
    if (!r.ok) {
        FUZZ_CHECK(r.runs.isEmpty(), describe(r.runs));
        FUZZ_CHECK(hasError(r.logs), QString());
        return 0;
    }
    FUZZ_CHECK(!hasError(r.logs), r.logs.first().text);
    if (csv)
        FUZZ_CHECK(r.logs.size() <= OtpFiles::MaxSkipWarnings + 1, QString::number(r.logs.size()));
    for (auto it = r.runs.cbegin(); it != r.runs.cend(); ++it) {
        FUZZ_CHECK(it.key() < wordCount, describe(r.runs));
        FUZZ_CHECK(it.value().size() == 1, describe(r.runs));
        if (csv)
            FUZZ_CHECK(it.value().first() != 0, describe(r.runs));
    }
    // Zero words are dropped by the CSV export's reader, not by the ".info" one.
    OtpWordRuns nonZero = r.runs;
    for (auto it = nonZero.begin(); it != nonZero.end();)
        it = it.value().first() == 0 ? nonZero.erase(it) : it + 1;
    const OtpFiles::ImportResult again = OtpFiles::importCsv(asCsv(r.runs, wordCount), wordCount, path);
    FUZZ_CHECK(again.ok && again.runs == nonZero, describe(r.runs) + QStringLiteral(" / ") + describe(again.runs));
    const OtpFiles::ImportResult info = OtpFiles::importInfo(OtpFiles::exportInfo(r.runs), wordCount, path);
    FUZZ_CHECK(info.ok && info.runs == r.runs, describe(r.runs) + QStringLiteral(" / ") + describe(info.runs));
    return 0;
}
