// Boot image inspection on generated image files: which structures are found
// where, the program address, the flash words and the log lines.
#include <QBuffer>
#include <QTemporaryDir>
#include <QtTest>

#include "bootimagechecker.h"
#include "testfiles.h"

namespace {

struct Word
{
    quint32 offset;
    quint32 value;
};

QByteArray image(int size, const QList<Word>& words)
{
    QByteArray b(size, '\xEE');
    for (const Word& w : words) {
        for (int i = 0; i < 4; ++i) {
            if (int(w.offset) + i < size)
                b[int(w.offset) + i] = char((w.value >> (8 * i)) & 0xFF);
        }
    }
    return b;
}

MemoryItemInfo flashMemory(const QString& address = QStringLiteral("0x80000000"))
{
    MemoryItemInfo m;
    m.kind = EMemoryKindFlash;
    m.name = QStringLiteral("XPI0 NOR");
    m.value = QStringLiteral("0x10000");
    m.address = address;
    return m;
}

QString opt(const std::optional<quint32>& v)
{
    return v ? QStringLiteral("0x%1").arg(*v, 0, 16) : QStringLiteral("none");
}

const quint32 BootTag = 0x000010BF; // b0 = 0xBF, b1 = 0x10
const QString ReadError = QStringLiteral("Read address length error! Address offset: 00000400");

// A device whose seeks fail from 0x400 on, as a file on a failing disk may.
class FailingSeek : public QBuffer
{
public:
    bool seek(qint64 pos) override { return pos < 0x400 && QBuffer::seek(pos); }
};

} // namespace

class TstBootImageChecker : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void detections_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("base"); // the flash memory's address
        QTest::addColumn<QString>("flashConfig");
        QTest::addColumn<QString>("bootHeader");
        QTest::addColumn<QString>("words"); // of the last block read whole
        QTest::addColumn<bool>("result");
        QTest::addColumn<QString>("address"); // "unchanged" when the field is left alone
        QTest::addColumn<int>("summaryLevel");
        QTest::addColumn<QString>("summary");

        const QString base = QStringLiteral("0x80000000");
        const QString found = QStringLiteral("Check boot image finished!  Flash config address: 0x%1. Boot Header "
                                             "address: 0x%2");
        const QString noConfig = QStringLiteral("Check boot image finished!  Boot Header address: 0x%1. Flash config "
                                                "can not be located!");
        auto row = [](const char* name, const QByteArray& bytes, const QString& base, const QString& config,
                       const QString& header, const QString& words, bool result, const QString& address, int level,
                       const QString& summary) {
            QTest::newRow(name) << bytes << base << config << header << words << result << address << level << summary;
        };
        const QString words = QStringLiteral("0xfcf9000%1,0x000000%2,0x000000%3,0x00000000");
        row("config at 0, header at 0xC00",
            image(0x2000, { { 0, 0xFCF90002 }, { 4, 0x11 }, { 8, 0x22 }, { 0xC00, BootTag } }), base, "0x0", "0xc00",
            words.arg(2).arg(11).arg(22), true, "0x80000400", LogInfo, found.arg("00000000", "00000c00"));
        row("boot header only at 0", image(0x800, { { 0, BootTag } }), base, "none", "0x0", "", true, "0x80001000",
            LogWarning, noConfig.arg("00000000"));
        // The sum does not wrap at 32 bits (the base is read by the shared hexadecimal parser).
        row("sum past 32 bits", image(0x800, { { 0, BootTag } }), "0xFFFFF800", "none", "0x0", "", true, "0x100000800",
            LogWarning, noConfig.arg("00000000"));
        // 0xFCF9 at 0x800 is no flash configuration block; the boot tag test applies instead.
        row("0xFCF9 tag at 0x800 with boot tag", image(0x1000, { { 0x800, 0xFCF910BF } }), base, "none", "0x800", "",
            true, "0x80000000", LogWarning, noConfig.arg("00000800"));
        row("0xFCF9 tag at 0x800 only", image(0x1000, { { 0x800, 0xFCF90002 } }), base, "none", "none", "", false, "",
            LogError, "Check boot image finished!  Boot Header address and flash config can not be located!");
        row("config without header", image(0x2000, { { 0, 0xFCF90000 } }), base, "0x0", "none",
            words.arg(0).arg("00").arg("00"), false, "unchanged", LogError,
            "Check boot image finished!  Flash config address: 0x00000000. Boot Header can not be located!");
        // 0x1000 lies at the end of the file and is skipped, not a read error.
        row("file of 0x1000 bytes", image(0x1000, { { 0x400, 0xFCF90000 }, { 0xC00, BootTag } }), base, "0x400",
            "0xc00", words.arg(0).arg("00").arg("00"), true, "0x80000000", LogInfo, found.arg("00000400", "00000c00"));
        row("later block overrides the earlier",
            image(0x2000, { { 0, 0xFCF90001 }, { 4, 1 }, { 0x400, 0xFCF90001 }, { 0x404, 2 }, { 0x1000, BootTag } }),
            base, "0x400", "0x1000", words.arg(1).arg("02").arg("00"), true, "0x80000000", LogInfo,
            found.arg("00000400", "00001000"));
        row("read error at 0x400", image(0x402, { { 0, BootTag } }), base, "none", "0x0", "", false, "unchanged",
            LogDebug, ReadError);
        // The header announces three option words; only one fits in the file: no words taken.
        row("option words cut off", image(0x408, { { 0x400, 0xFCF90003 }, { 0x404, 1 } }), base, "0x400", "none", "",
            false, "unchanged", LogDebug, ReadError);
    }
    void detections()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, base);
        const QString path = m_dir.filePath(QStringLiteral("img.bin"));
        QVERIFY(writeFile(path, bytes));
        const BootImageReport r = BootImageChecker::check(path, flashMemory(base), true);
        QTEST(opt(r.flashConfigOffset), "flashConfig");
        QTEST(opt(r.bootHeaderOffset), "bootHeader");
        QTEST(r.flashWords.join(','), "words");
        QTEST(r.result, "result");
        QTEST(r.programAddress ? *r.programAddress : QStringLiteral("unchanged"), "address");
        QTEST(r.logs.last().text, "summary");
        QTEST(int(r.logs.last().level), "summaryLevel");
        QCOMPARE(r.logs.first(), (KrelLogLine { "Check boot image whether it is valid: " + path, LogDebug }));
    }

    void fullLogOfConfigAndHeader()
    {
        const QString path = m_dir.filePath(QStringLiteral("both.bin"));
        QVERIFY(writeFile(path, image(0x2000, { { 0, 0xFCF90002 }, { 4, 0xA1B2C3D4 }, { 8, 7 }, { 0xC00, BootTag } })));
        const KrelLogLines expected {
            { "Check boot image whether it is valid: " + path, LogDebug },
            { "Has detected XIP Flash configuration! address: 0x00000000 word number: 2", LogInfo },
            { "Detect flash configuration: 0xfcf90002,0xa1b2c3d4,0x00000007,0x00000000. The configuration will be "
              "replaced by this!",
                LogInfo },
            { "Has detected Boot Header! address: 0x00000c00", LogInfo },
            { "Check boot image finished!  Flash config address: 0x00000000. Boot Header address: 0x00000c00",
                LogInfo },
        };
        QCOMPARE(BootImageChecker::check(path, flashMemory(), true).logs, expected);
    }

    void optionWordCount_data()
    {
        QTest::addColumn<quint32>("header");
        QTest::addColumn<int>("count");
        QTest::newRow("0002") << quint32(0xFCF90002) << 2;
        // "0x" + "1" + "0" reads as 0x10, capped at 3.
        QTest::newRow("0100") << quint32(0xFCF90100) << 3;
        // "0x" + "0" + "16" reads as 0x016.
        QTest::newRow("0010") << quint32(0xFCF90010) << 3;
    }
    void optionWordCount()
    {
        QFETCH(quint32, header);
        QTEST(BootImageChecker::optionWordCount(header), "count");
    }

    void seekErrorEndsTheCheck()
    {
        FailingSeek device;
        device.setData(image(0x2000, { { 0, BootTag }, { 0xC00, BootTag } }));
        QVERIFY(device.open(QIODevice::ReadOnly));
        BootImageReport r;
        BootImageChecker::inspect(device, flashMemory(), true, r);
        QCOMPARE(r.result, false);
        QVERIFY(!r.programAddress);
        QCOMPARE(opt(r.bootHeaderOffset), QStringLiteral("0x0"));
        QCOMPARE(r.logs.last(), (KrelLogLine { QStringLiteral("Seek file error! Error: -1"), LogDebug }));
    }

    // No address for eMMC, nor when the caller does not ask for one.
    void addressOnlyForFlashWithUpdate()
    {
        const QString path = m_dir.filePath(QStringLiteral("hdr.bin"));
        QVERIFY(writeFile(path, image(0x800, { { 0, BootTag } })));
        MemoryItemInfo emmc;
        emmc.kind = EMemoryKindEmmc;
        emmc.sectorIndex = QStringLiteral("0");
        for (const BootImageReport& r :
            { BootImageChecker::check(path, emmc, true), BootImageChecker::check(path, flashMemory(), false) }) {
            QVERIFY(r.result);
            QVERIFY(!r.programAddress);
        }
    }

    void emptyAndMissingPath()
    {
        BootImageReport r = BootImageChecker::check(QString(), flashMemory(), true);
        QVERIFY(!r.result && !r.programAddress && r.logs.isEmpty());
        const QString missing = m_dir.filePath(QStringLiteral("missing.bin"));
        r = BootImageChecker::check(missing, flashMemory(), true);
        QVERIFY(!r.result && !r.programAddress);
        QCOMPARE(r.logs.last(), (KrelLogLine { "Open file failed: " + missing, LogDebug }));
    }
};

QTEST_GUILESS_MAIN(TstBootImageChecker)
#include "tst_bootimagechecker.moc"
