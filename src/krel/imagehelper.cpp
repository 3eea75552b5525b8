#include "imagehelper.h"

#include "apppaths.h"
#include "imagehelperplatform.h"

namespace ImageHelper {

namespace {

const QLatin1String OpenMark("MESSAGE#");
const QLatin1String CloseMark("#MESSAGE");

struct Tag
{
    const char* text;
    Message::Kind kind;
};

// Tested in this order; the argument follows the tag.
const Tag Tags[] = {
    { "FILE#", Message::File },
    { "EXIPKEK#", Message::ExipKek },
    { "EXIPENABLE#", Message::ExipEnable },
    { "EXIPLOCK#", Message::ExipLock },
    { "SRKHASH#", Message::SrkHash },
    { "OpenOTPWriteView", Message::OpenOtpWriteView },
};

// With its length: the QByteArray overload stops at the first NUL byte, which
// would cut the line there and keep the "\r" before it.
QString decode(QByteArray line)
{
    if (line.endsWith('\r'))
        line.chop(1);
    return QString::fromLocal8Bit(line.constData(), line.size());
}

} // namespace

QString programName()
{
    return platformProgramName();
}

QString programPath()
{
    return AppPaths::appDir() + QLatin1Char('/') + programName();
}

QStringList arguments(const QString& socBaseName, bool english, bool bootImage, const QString& imagePath)
{
    return { QStringLiteral("--soc"), socBaseName, QStringLiteral("--language"),
        english ? QStringLiteral("EN") : QStringLiteral("CN"), QStringLiteral("--type"),
        bootImage ? QStringLiteral("boot_image") : QStringLiteral("user_data"), QStringLiteral("--path"), imagePath,
        QStringLiteral("--station") };
}

bool parseLine(const QString& line, Message& message)
{
    const int open = line.indexOf(OpenMark);
    const int close = line.lastIndexOf(CloseMark);
    // The two markers must not share characters ("#MESSAGE#" alone is no message).
    if (open < 0 || close < 0 || close < open + OpenMark.size())
        return false;
    const int end = close + CloseMark.size();
    const QString payload = line.mid(open + OpenMark.size(), close - open - OpenMark.size());
    message = Message();
    message.rest = (line.left(open) + line.mid(end)).trimmed();
    for (const Tag& tag : Tags) {
        const QLatin1String t(tag.text);
        if (payload.contains(t)) {
            message.kind = tag.kind;
            if (tag.kind != Message::OpenOtpWriteView)
                message.text = payload.mid(t.size());
            break;
        }
    }
    return true;
}

QStringList LineReader::feed(const QByteArray& data)
{
    m_pending += data;
    QStringList lines;
    int from = 0;
    for (int nl = m_pending.indexOf('\n'); nl >= 0; nl = m_pending.indexOf('\n', from)) {
        lines.append(decode(m_pending.mid(from, nl - from)));
        from = nl + 1;
    }
    m_pending.remove(0, from);
    return lines;
}

QStringList LineReader::finish()
{
    QStringList lines;
    if (!m_pending.isEmpty())
        lines.append(decode(m_pending));
    m_pending.clear();
    return lines;
}

} // namespace ImageHelper
