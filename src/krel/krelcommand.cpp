#include "krelcommand.h"

#include "constants.h"

#include <QStringList>

namespace Krel {

namespace {

const char* codeText(KrelCode code)
{
    switch (code) {
    case KrelCode::RST: return "RST";
    case KrelCode::QUT: return "QUT";
    case KrelCode::SEC: return "SEC";
    case KrelCode::SSS: return "SSS";
    case KrelCode::VER: return "VER";
    case KrelCode::MSC: return "MSC";
    case KrelCode::OTA: return "OTA";
    }
    return "";
}

} // namespace

const QString& KrelCommand::prefix()
{
    static const QString p = QStringLiteral("Veltrix_Zindrake_");
    return p;
}

QString KrelCommand::name(KrelCode code)
{
    return prefix() + QLatin1String(codeText(code));
}

QList<KrelCode> KrelCommand::allCodes()
{
    return {KrelCode::RST, KrelCode::QUT, KrelCode::SEC, KrelCode::SSS,
            KrelCode::VER, KrelCode::MSC, KrelCode::OTA};
}

// The count is in UTF-16 code units, which is what the box expects, not UTF-8 bytes.
QString KrelCommand::withPassword(KrelCode code, const QString& password)
{
    return name(code) + QLatin1Char(':') + QString::number(password.size()) + QLatin1Char(',')
           + password;
}

QString KrelCommand::login(const QString& password) { return withPassword(KrelCode::SEC, password); }
QString KrelCommand::setPassword(const QString& password) { return withPassword(KrelCode::SSS, password); }
QString KrelCommand::version() { return name(KrelCode::VER); }
QString KrelCommand::driveMode() { return name(KrelCode::MSC); }
QString KrelCommand::reset() { return name(KrelCode::RST); }
QString KrelCommand::quit() { return name(KrelCode::QUT); }
QString KrelCommand::updateMode() { return name(KrelCode::OTA); }

bool KrelCommand::fitsReport(const QString& text)
{
    return text.toUtf8().size() <= MaxCommandBytes;
}

// "Veltrix_Zindrake_SEC:" is 21 bytes. A password of ten or more UTF-16 units
// needs two count digits and a comma, leaving 63 - 24 = 39 bytes; one of nine
// or fewer units is at most 27 bytes, so 39 bytes is the exact bound.
int KrelCommand::maxPasswordBytes()
{
    return MaxCommandBytes - (name(KrelCode::SEC).size() + 1) - 2 - 1;
}

bool KrelCommand::passwordFits(const QString& password)
{
    return fitsReport(login(password)) && fitsReport(setPassword(password));
}

QString KrelCommand::passwordTooLongMessage()
{
    return tr("The password is too long. The Krel accepts at most %1 bytes of password "
              "(%1 plain ASCII characters; other characters take 2 to 4 bytes each).")
        .arg(maxPasswordBytes());
}

QList<QString> KrelCommand::connectBatch(const QString& password, QString* error)
{
    if (!passwordFits(password)) {
        if (error)
            *error = passwordTooLongMessage();
        return {};
    }
    return {login(password), version(), driveMode()};
}

QList<QString> KrelCommand::changePasswordBatch(const QString& password, QString* error)
{
    if (!passwordFits(password)) {
        if (error)
            *error = passwordTooLongMessage();
        return {};
    }
    return {setPassword(password)};
}

QList<QString> KrelCommand::versionBatch() { return {version()}; }
QList<QString> KrelCommand::resetBatch() { return {reset()}; }
QList<QString> KrelCommand::quitBatch() { return {quit()}; }

KrelMode krelMode(const UsbInfo& info)
{
    const Constants::KrelUsbIdentity& id = Constants::KrelIdentity;
    if (info.classIndex != 0 || info.vendorId != id.vendorId || info.productId != id.productId)
        return KrelMode::NotKrel;
    if (info.productString == QLatin1String(id.productHid))
        return KrelMode::Command;
    if (info.productString == QLatin1String(id.productMsc))
        return KrelMode::Drive;
    if (info.productString == QLatin1String(id.productUf2))
        return KrelMode::Update;
    return KrelMode::NotKrel;
}

bool isKrel(const UsbInfo& info)
{
    return krelMode(info) != KrelMode::NotKrel;
}

int compareVersion(const QString& a, const QString& b)
{
    const QStringList pa = a.split(QLatin1Char('.'), Qt::KeepEmptyParts);
    const QStringList pb = b.split(QLatin1Char('.'), Qt::KeepEmptyParts);
    const int n = qMax(pa.size(), pb.size());
    for (int i = 0; i < n; ++i) {
        // toInt() yields 0 for anything that is not a decimal number.
        const int va = i < pa.size() ? pa.at(i).toInt() : 0;
        const int vb = i < pb.size() ? pb.at(i).toInt() : 0;
        if (va != vb)
            return va < vb ? -1 : 1;
    }
    return 0;
}

} // namespace Krel
