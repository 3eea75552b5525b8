// Boot-image inspection of an image file: detections only at the fixed offsets,
// the flash words are four "0x" + eight hex digits, and a derived program
// address is hexadecimal text.
#include "bootimagechecker.h"
#include "fuzzsupport.h"

#include <QRegularExpression>
#include <QTemporaryDir>

FUZZ_INIT

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("image.bin"));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 0;
    f.write(reinterpret_cast<const char*>(data), qint64(size));
    f.close();

    MemoryItemInfo memory;
    memory.kind = EMemoryKindFlash;
    memory.address = QStringLiteral("0x80000000");
    const BootImageReport r = BootImageChecker::check(path, memory, true);

    static const QRegularExpression word(QStringLiteral("^0x[0-9a-f]{8}$"));
    FUZZ_CHECK(r.flashWords.isEmpty() || r.flashWords.size() == 4, r.flashWords.join(QLatin1Char(',')));
    for (const QString& w : r.flashWords)
        FUZZ_CHECK(word.match(w).hasMatch(), w);
    if (r.flashConfigOffset)
        FUZZ_CHECK(*r.flashConfigOffset <= BootImageChecker::LastFlashConfigOffset && *r.flashConfigOffset < size,
                   QString::number(*r.flashConfigOffset));
    if (r.bootHeaderOffset) {
        bool known = false;
        for (quint32 o : BootImageChecker::Offsets)
            known = known || o == *r.bootHeaderOffset;
        FUZZ_CHECK(known && *r.bootHeaderOffset < size, QString::number(*r.bootHeaderOffset));
    }
    if (r.programAddress && !r.programAddress->isEmpty()) {
        bool ok = false;
        r.programAddress->mid(2).toULongLong(&ok, 16);
        FUZZ_CHECK(r.programAddress->startsWith(QLatin1String("0x")) && ok, *r.programAddress);
    }
    return 0;
}
