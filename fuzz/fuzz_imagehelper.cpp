// The image helper's standard output: lines come out the same however the
// bytes are cut between reads; a line counts exactly when it holds both
// markers, and its kind, argument and rest follow the message rules; the OTP
// messages only ever put runs inside the OTP into the write view, never an
// empty run or a deletion request.
#include "fuzzsupport.h"
#include "imagehelper.h"
#include "otpwordruns.h"

using ImageHelper::Message;

FUZZ_INIT

namespace {

constexpr quint32 WordCount = 128;

const QLatin1String Open("MESSAGE#"), Close("#MESSAGE");

const struct
{
    const char* tag;
    Message::Kind kind;
} Tags[] = { { "FILE#", Message::File }, { "EXIPKEK#", Message::ExipKek }, { "EXIPENABLE#", Message::ExipEnable },
    { "EXIPLOCK#", Message::ExipLock }, { "SRKHASH#", Message::SrkHash },
    { "OpenOTPWriteView", Message::OpenOtpWriteView } };

void checkLine(const QString& line)
{
    FUZZ_CHECK(!line.contains(QLatin1Char('\n')), line);
    Message m;
    const bool counted = ImageHelper::parseLine(line, m);
    const int open = line.indexOf(Open), close = line.lastIndexOf(Close);
    FUZZ_CHECK(counted == (open >= 0 && close >= open + Open.size()), line);
    if (!counted)
        return;
    const QString payload = line.mid(open + Open.size(), close - open - Open.size());
    FUZZ_CHECK(m.rest == (line.left(open) + line.mid(close + Close.size())).trimmed(), line);
    Message::Kind kind = Message::None;
    QString text;
    for (const auto& t : Tags) {
        if (payload.contains(QLatin1String(t.tag))) {
            kind = t.kind;
            if (kind != Message::OpenOtpWriteView)
                text = payload.mid(int(qstrlen(t.tag)));
            break;
        }
    }
    FUZZ_CHECK(m.kind == kind && m.text == text, line);
}

// What the OTP tab does with the message; the write view must stay sound.
void apply(const Message& m, OtpWordRuns& runs)
{
    quint32 start = 0;
    QVector<quint32> values;
    bool put = false;
    switch (m.kind) {
    case Message::ExipKek:
    case Message::SrkHash:
        // As the OTP tab takes them: parsed, then only when inside the OTP.
        put = OtpRuns::parseRunMessage(m.text, start, values) && OtpRuns::insideOtp(start, values.size(), WordCount);
        break;
    case Message::ExipEnable: put = OtpRuns::enableMessageRun(runs, m.text, WordCount, start, values); break;
    case Message::ExipLock: put = OtpRuns::lockMessageRun(runs, m.text, values); break;
    default: return;
    }
    if (!put)
        return;
    FUZZ_CHECK(!values.isEmpty(), m.text);
    FUZZ_CHECK(quint64(start) + quint64(values.size()) <= WordCount, m.text);
    OtpRuns::addRun(runs, start, values);
    for (auto it = runs.cbegin(); it != runs.cend(); ++it) {
        FUZZ_CHECK(!it.value().isEmpty(), m.text);
        FUZZ_CHECK(it.value() != QVector<quint32> { 0 }, m.text);
        FUZZ_CHECK(quint64(it.key()) + quint64(it.value().size()) <= WordCount, m.text);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Byte 0 sets the read sizes (1 .. 64 bytes per read) of the cut feed.
    if (size == 0)
        return 0;
    const QByteArray out = Fuzz::bytes(data + 1, size - 1);
    ImageHelper::LineReader whole;
    const QStringList lines = whole.feed(out) + whole.finish();
    ImageHelper::LineReader cut;
    QStringList pieces;
    const int step = 1 + data[0] % 64;
    for (int at = 0; at < out.size(); at += step)
        pieces += cut.feed(out.mid(at, step));
    pieces += cut.finish();
    FUZZ_CHECK(pieces == lines, QString::number(step));

    OtpWordRuns runs;
    for (const QString& line : lines) {
        checkLine(line);
        Message m;
        if (ImageHelper::parseLine(line, m))
            apply(m, runs);
    }
    return 0;
}
