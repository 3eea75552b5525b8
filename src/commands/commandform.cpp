#include "commandform.h"
#include "hex.h"
#include "records.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace {

const QString kMemory = QLatin1String(ParamKey::Memory);
const QString kMemoryId = QLatin1String(ParamKey::MemoryId);
const QString kAddress = QLatin1String(ParamKey::Address);
const QString kLength = QLatin1String(ParamKey::Length);
const QString kWord = QLatin1String(ParamKey::Word);
const QString kImagePath = QLatin1String(ParamKey::ImagePath);
const QString kPath = QLatin1String(ParamKey::Path);
const QString kType = QLatin1String(ParamKey::Type);

enum Kind { QueryRte = 1, ConfigMemory = 3, WriteMemory, ReadMemory, LoadImage, EraseRegion, EraseChip, Reset };

bool parseHex(const QString& text, quint64* value)
{
    const std::optional<quint64> v = Hex::parse64(text);
    if (v && value)
        *value = *v;
    return v.has_value();
}

} // namespace

bool CommandForm::hasEditor(int nameId)
{
    return nameId == QueryRte || (nameId >= ConfigMemory && nameId <= Reset);
}

QList<int> CommandForm::editorKinds()
{
    return { QueryRte, ConfigMemory, WriteMemory, ReadMemory, LoadImage, EraseRegion, EraseChip, Reset };
}

QString CommandForm::addressPattern()
{
    return QStringLiteral("^0x[0-9a-fA-F]{1,8}");
}
QString CommandForm::wordsPattern()
{
    return QStringLiteral("^0x[0-9a-fA-F]{1,8}(,0x[0-9a-fA-F]{1,8})*$");
}
QString CommandForm::addressPlaceholder()
{
    return tr("Hexadecimal Format, example: 0xFFFF");
}
QString CommandForm::eraseAddressPlaceholder()
{
    return tr("Hexadecimal Format: 0xFFFF");
}
QString CommandForm::wordsPlaceholder()
{
    return tr("Multiple hexadecimal format starting with '0x', separated by commas");
}
QString CommandForm::lengthPlaceholder()
{
    return tr("Decimal Format, example: 200");
}

QString CommandForm::resetTypeName(int type)
{
    switch (type) {
    case 1: return tr("Hot reset");
    case 2: return tr("Cold reset");
    default: return tr("Default reset");
    }
}

// The address line's pattern has no end anchor, but its validator matches the
// whole text, so a stored address is exactly "0x" and 1 to 8 digits.
bool CommandForm::parseAddress(const QString& text, quint32* value)
{
    static const QRegularExpression re(QRegularExpression::anchoredPattern(QStringLiteral("0x[0-9a-fA-F]{1,8}")));
    if (!re.match(text).hasMatch())
        return false;
    if (value)
        *value = text.mid(2).toUInt(nullptr, 16);
    return true;
}

bool CommandForm::parseLength(const QString& text, quint32* value)
{
    static const QRegularExpression re(QRegularExpression::anchoredPattern(QStringLiteral("[0-9]{1,10}")));
    if (!re.match(text).hasMatch())
        return false;
    bool ok = false;
    const quint32 v = text.toUInt(&ok, 10);
    if (!ok || v == 0)
        return false;
    if (value)
        *value = v;
    return true;
}

bool CommandForm::parseWords(const QString& text, int* count)
{
    static const QRegularExpression re(wordsPattern());
    if (!re.match(text).hasMatch())
        return false;
    if (count)
        *count = text.count(QLatin1Char(',')) + 1;
    return true;
}

QString CommandForm::toParams(int nameId, QMap<QString, QString>& params) const
{
    params.clear();
    const bool needsMemory = nameId != QueryRte && nameId != LoadImage && nameId != Reset;
    if (needsMemory && hasEditor(nameId) && memory.isEmpty())
        return tr("There is no memory to choose! Please select a SoC first.");

    auto checkAddress = [this](bool withLength) -> QString {
        if (address.isEmpty() || (withLength && length.isEmpty()))
            return withLength ? tr("Please input an address and a length!") : tr("Please input an address!");
        quint32 start = 0;
        if (!parseAddress(address, &start))
            return tr("The address must be '0x' followed by 1 to 8 hexadecimal digits!");
        quint32 count = 0;
        if (withLength) {
            if (!parseLength(length, &count))
                return tr("The length must be a decimal number from 1 to 4294967295!");
            // The region must end inside the 32-bit address space.
            if (quint64(start) + count > Q_UINT64_C(0x100000000))
                return tr("The address and length exceed the 32-bit address space!");
        }
        return QString();
    };
    auto checkFile = [](const QString& path) -> QString {
        if (path.isEmpty())
            return tr("Please select a file path!");
        if (!QFileInfo(path).isFile())
            return tr("The file does not exist: %1").arg(path);
        return QString();
    };

    QString why;
    switch (nameId) {
    case QueryRte: params.insert(kMemory, memory); return QString();
    case ConfigMemory: why = checkAddress(false); break;
    case WriteMemory:
        why = checkAddress(false);
        if (!why.isEmpty())
            break;
        if (writeArray) {
            if (words.isEmpty())
                why = tr("Please input hexadecimal array!");
            else if (!parseWords(words))
                why = tr("The hexadecimal array must be words of '0x' and 1 to 8 digits, separated by commas!");
            else
                params.insert(kWord, words);
        } else {
            why = checkFile(writeFile);
            if (why.isEmpty())
                params.insert(kImagePath, writeFile);
        }
        break;
    case ReadMemory:
        why = checkAddress(true);
        if (why.isEmpty() && saveToFile) {
            if (savePath.isEmpty())
                why = tr("Please select a file path!");
            else
                params.insert(kPath, savePath);
        }
        if (why.isEmpty())
            params.insert(kLength, length);
        break;
    case LoadImage:
        why = checkFile(imagePath);
        if (why.isEmpty())
            params.insert(kImagePath, imagePath);
        return why;
    case EraseRegion:
        why = checkAddress(true);
        if (why.isEmpty())
            params.insert(kLength, length);
        break;
    case EraseChip: break;
    case Reset:
        if (resetType < 0 || resetType > 2)
            return tr("Unknown reset type!");
        params.insert(kType, QString::number(resetType));
        return QString();
    default: return QString();
    }
    if (!why.isEmpty()) {
        params.clear();
        return why;
    }
    if (nameId != EraseChip)
        params.insert(kAddress, address);
    params.insert(kMemoryId, memory);
    return QString();
}

CommandForm CommandForm::fromCommand(const DownloadCommand& cmd)
{
    CommandForm f;
    const auto& p = cmd.params;
    f.memory = p.value(cmd.nameId == QueryRte ? kMemory : kMemoryId);
    f.address = p.value(kAddress);
    f.length = p.value(kLength);
    f.words = p.value(kWord);
    // The runner writes the words when both keys are present, so the editor shows that choice.
    f.writeArray = p.contains(kWord) || !p.contains(kImagePath);
    if (cmd.nameId == WriteMemory)
        f.writeFile = p.value(kImagePath);
    else
        f.imagePath = p.value(kImagePath);
    f.saveToFile = p.contains(kPath);
    f.savePath = p.value(kPath);
    bool ok = false;
    const int type = p.value(kType).toInt(&ok);
    f.resetType = ok && type >= 0 && type <= 2 ? type : 0;
    return f;
}

QList<MemoryChoice> CommandForm::memoryChoices(const SocInfo& soc, bool withRom)
{
    QList<MemoryChoice> out;
    if (withRom)
        out.append({ QStringLiteral("ROM"), QString() });
    for (const MemoryViewItemInfo& m : soc.memoryView)
        out.append({ m.name, m.value });
    return out;
}

int CommandForm::indexOfMemory(const QList<MemoryChoice>& choices, const QString& value)
{
    quint64 wanted = 0;
    const bool numeric = parseHex(value, &wanted);
    for (int i = 0; i < choices.size(); ++i) {
        quint64 v = 0;
        if (choices.at(i).value == value || (numeric && parseHex(choices.at(i).value, &v) && v == wanted))
            return i;
    }
    return -1;
}
