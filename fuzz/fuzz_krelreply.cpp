// The Krel box's replies and the firmware information file "new.json".
// Replies: every entry is interpreted per entry; a text sent without a reply
// never raises a message box; an unknown reply is logged, nothing else.
// new.json: a firmware path, when given, is a file inside the folder.
#include "firmwareinfo.h"
#include "fuzzsupport.h"
#include "krelreply.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using Krel::KrelReply;
using Krel::PanelAction;

FUZZ_INIT

static void firmwareInfo(const QByteArray& json)
{
    static QTemporaryDir dir;
    const QString folder = dir.path() + QLatin1Char('/');
    QFile f(folder + QLatin1String(Krel::FirmwareInfoFile));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return;
    f.write(json);
    f.close();
    const Krel::FirmwareInfo info = Krel::readFirmwareInfo(folder);
    if (!info.path.isEmpty())
        FUZZ_CHECK(info.path.startsWith(folder) && info.path.size() > folder.size(), info.path);
    (void)info.logText();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const QByteArray rest = Fuzz::bytes(data + 1, size - 1);
    if (data[0] == 'J') {
        firmwareInfo(rest);
        return 0;
    }
    // Lines: "1" + reply text (answered) or anything else + sent text.
    const QList<QByteArray> lines = rest.split('\n');
    for (const QByteArray& line : lines) {
        const QString text = QString::fromUtf8(line.mid(1));
        const int status = line.startsWith('1') ? 1 : 0;
        const QList<PanelAction> actions = KrelReply::interpret({ qMakePair(status, text) }, QStringLiteral("1.0.5"));
        const auto code = KrelReply::commandOf(text);
        if (!code) {
            FUZZ_CHECK(actions.size() == 1 && actions.first().kind == PanelAction::Log, text);
            continue;
        }
        for (const PanelAction& a : actions) {
            if (status != 1)
                FUZZ_CHECK(a.kind != PanelAction::MessageBox, a.toString());
            if (a.kind == PanelAction::ShowVersion)
                FUZZ_CHECK(!a.text.isEmpty() && text.endsWith(a.text), a.text);
        }
        FUZZ_CHECK(KrelReply::succeeded(text) == text.contains(QLatin1String("OK")), text);
    }
    return 0;
}
