// The command editors' text fields. The input is split at NUL bytes into a
// command kind and the fields a user can type or paste; whatever is accepted
// must be what the runner can use (keys of the kind only, addresses, lengths
// and words in their formats, regions inside 4 GiB) and must load back into
// the editor unchanged.
#include "commandform.h"
#include "fuzzsupport.h"

#include <QRegularExpression>

FUZZ_INIT

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QList<QByteArray> parts = Fuzz::bytes(data, size).split('\0');
    auto field = [&](int i) { return i < parts.size() ? QString::fromUtf8(parts.at(i)) : QString(); };
    const int nameId = parts.value(0).isEmpty() ? 0 : quint8(parts.at(0).at(0)) % 12;
    CommandForm f;
    f.memory = field(1);
    f.address = field(2);
    f.length = field(3);
    f.words = field(4);
    f.writeArray = parts.value(0).size() < 2 || (parts.at(0).at(1) & 1);
    f.writeFile = field(5);
    f.saveToFile = parts.value(0).size() >= 2 && (parts.at(0).at(1) & 2);
    f.savePath = field(5);
    f.imagePath = field(5);
    f.resetType = parts.value(0).size() >= 3 ? int(qint8(parts.at(0).at(2))) : 0;

    QMap<QString, QString> params;
    const QString why = f.toParams(nameId, params);
    if (!why.isEmpty()) {
        FUZZ_CHECK(params.isEmpty(), why);
        return 0;
    }
    static const QStringList known { "memory", "memoryId", "address", "length", "word", "imagePath", "path", "type" };
    for (auto it = params.cbegin(); it != params.cend(); ++it)
        FUZZ_CHECK(known.contains(it.key()), it.key());
    FUZZ_CHECK(CommandForm::hasEditor(nameId) || params.isEmpty(), QString::number(nameId));
    quint32 address = 0, length = 0;
    if (params.contains("address"))
        FUZZ_CHECK(CommandForm::parseAddress(params.value("address"), &address), params.value("address"));
    if (params.contains("length")) {
        FUZZ_CHECK(CommandForm::parseLength(params.value("length"), &length), params.value("length"));
        FUZZ_CHECK(quint64(address) + length <= Q_UINT64_C(0x100000000), params.value("length"));
    }
    if (params.contains("word")) {
        // Every comma-separated item must be a number the runner can write.
        for (const QString& item : params.value("word").split(QLatin1Char(','))) {
            bool ok = false;
            item.mid(2).toUInt(&ok, 16);
            FUZZ_CHECK(ok && item.startsWith(QLatin1String("0x")), params.value("word"));
        }
        FUZZ_CHECK(!params.contains("imagePath"), QString());
    }
    if (params.contains("type"))
        FUZZ_CHECK(QStringList({ "0", "1", "2" }).contains(params.value("type")), params.value("type"));

    const DownloadCommand cmd { QString(), nameId, params };
    QMap<QString, QString> again;
    CommandForm::fromCommand(cmd).toParams(nameId, again);
    FUZZ_CHECK(again == params, QString::number(nameId));

    QList<MemoryChoice> choices { { QStringLiteral("ROM"), QString() }, { QStringLiteral("M"), f.memory } };
    const int index = CommandForm::indexOfMemory(choices, f.memory);
    FUZZ_CHECK(index == 0 || index == 1, f.memory);
    return 0;
}
