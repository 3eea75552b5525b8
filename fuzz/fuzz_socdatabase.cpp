// The SoC database XML: a refused document yields no SoC; an accepted one is
// read the same way twice, every SoC has a name, and the exclusion list works.
#include "fuzzsupport.h"
#include "socdatabase.h"

FUZZ_INIT

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray xml = Fuzz::bytes(data, size);
    QList<SocInfo> socs;
    if (!SocDatabase::parseDocument(xml, {}, socs)) {
        FUZZ_CHECK(socs.isEmpty(), QString::number(socs.size()));
        return 0;
    }
    QList<SocInfo> again;
    FUZZ_CHECK(SocDatabase::parseDocument(xml, {}, again) && again.size() == socs.size(), QString());
    if (socs.isEmpty())
        return 0;
    const QString first = socs.first().name;
    QList<SocInfo> rest;
    FUZZ_CHECK(SocDatabase::parseDocument(xml, { first }, rest), first);
    for (const SocInfo& s : rest)
        FUZZ_CHECK(s.name != first, first);
    return 0;
}
