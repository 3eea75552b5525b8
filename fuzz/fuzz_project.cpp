// The project file: the Base64/XOR envelope and the XML inside. Whatever a
// file holds that is accepted is written back so that it reads the same:
// save then load is a fixed point (nothing the user sees changes on a save).
#include "fuzzsupport.h"
#include "projectconfig.h"

FUZZ_INIT

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // First byte 'X': the rest is the XML, wrapped here so the fuzzer reaches
    // the parser; anything else: the whole input is the file.
    const QByteArray input = Fuzz::bytes(data, size);
    const QByteArray file = input.startsWith('X') ? ProjectConfig::wrap(QString::fromUtf8(input.mid(1))) : input;
    ProjectData d;
    QString error;
    if (!ProjectConfig::parseInto(file, d, &error)) {
        FUZZ_CHECK(!error.isEmpty(), QString());
        return 0;
    }
    const QString saved = ProjectConfig::toXml(d);
    ProjectData reread;
    FUZZ_CHECK(ProjectConfig::parseInto(ProjectConfig::wrap(saved), reread, &error), error + QLatin1Char('\n') + saved);
    const QString savedAgain = ProjectConfig::toXml(reread);
    FUZZ_CHECK(savedAgain == saved, saved + QStringLiteral("\n----\n") + savedAgain);
    return 0;
}
