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

QString lastLog(const BootImageReport& r)
{
    return r.logs.isEmpty() ? QString() : r.logs.last().text;
}

const quint32 BootTag = 0x000010BF; // b0 = 0xBF, b1 = 0x10

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
private slots:
    void initTestCase();
    void detections_data();
    void detections();
    void fullLogOfConfigAndHeader();
    void optionWordCount_data();
    void optionWordCount();
    void readErrorAt0x400();
    void seekErrorEndsTheCheck();
    void truncatedOptionWordsChangeNothing();
    void laterBlockOverridesEarlier();
    void addressOnlyForFlashWithUpdate();
    void wideSum();
    void emptyAndMissingPath();

private:
    QString write(const QString& name, const QByteArray& bytes);
    QTemporaryDir m_dir;
};

void TstBootImageChecker::initTestCase()
{
    QVERIFY(m_dir.isValid());
}

QString TstBootImageChecker::write(const QString& name, const QByteArray& bytes)
{
    const QString path = m_dir.filePath(name);
    return writeFile(path, bytes) ? path : QString();
}

void TstBootImageChecker::detections_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("flashConfig");
    QTest::addColumn<QString>("bootHeader");
    QTest::addColumn<bool>("result");
    QTest::addColumn<QString>("address"); // "unchanged" when the field is left alone
    QTest::addColumn<int>("summaryLevel");
    QTest::addColumn<QString>("summary");

    QTest::newRow("config at 0, header at 0xC00")
        << image(0x2000, { { 0, 0xFCF90002 }, { 4, 0x11 }, { 8, 0x22 }, { 0xC00, BootTag } }) << "0x0"
        << "0xc00" << true << "0x80000400" << int(LogInfo)
        << "Check boot image finished!  Flash config address: 0x00000000. Boot Header address: 0x00000c00";
    QTest::newRow("boot header only at 0")
        << image(0x800, { { 0, BootTag } }) << "none"
        << "0x0" << true << "0x80001000" << int(LogWarning)
        << "Check boot image finished!  Boot Header address: 0x00000000. Flash config can not be located!";
    // 0xFCF9 at 0x800 is no flash configuration block; the boot tag test applies instead.
    QTest::newRow("0xFCF9 tag at 0x800 with boot tag")
        << image(0x1000, { { 0x800, 0xFCF910BF } }) << "none"
        << "0x800" << true << "0x80000000" << int(LogWarning)
        << "Check boot image finished!  Boot Header address: 0x00000800. Flash config can not be located!";
    QTest::newRow("0xFCF9 tag at 0x800 only")
        << image(0x1000, { { 0x800, 0xFCF90002 } }) << "none"
        << "none" << false << "" << int(LogError)
        << "Check boot image finished!  Boot Header address and flash config can not be located!";
    QTest::newRow("config without header") << image(0x2000, { { 0, 0xFCF90000 } }) << "0x0"
                                           << "none" << false << "unchanged" << int(LogError)
                                           << "Check boot image finished!  Flash config address: 0x00000000. Boot "
                                              "Header can not be located!";
    // 0x1000 lies at the end of the file and is skipped, not a read error.
    QTest::newRow("file of 0x1000 bytes")
        << image(0x1000, { { 0x400, 0xFCF90000 }, { 0xC00, BootTag } }) << "0x400"
        << "0xc00" << true << "0x80000000" << int(LogInfo)
        << "Check boot image finished!  Flash config address: 0x00000400. Boot Header address: 0x00000c00";
}

void TstBootImageChecker::detections()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, flashConfig);
    QFETCH(QString, bootHeader);
    QFETCH(bool, result);
    QFETCH(QString, address);
    QFETCH(int, summaryLevel);
    QFETCH(QString, summary);

    const QString path = write(QStringLiteral("img.bin"), bytes);
    QVERIFY(!path.isEmpty());
    const BootImageReport r = BootImageChecker::check(path, flashMemory(), true);
    QCOMPARE(opt(r.flashConfigOffset), flashConfig);
    QCOMPARE(opt(r.bootHeaderOffset), bootHeader);
    QCOMPARE(r.result, result);
    QCOMPARE(r.programAddress ? *r.programAddress : QStringLiteral("unchanged"), address);
    QCOMPARE(lastLog(r), summary);
    QCOMPARE(int(r.logs.last().level), summaryLevel);
    QCOMPARE(
        r.logs.first(), (KrelLogLine { QStringLiteral("Check boot image whether it is valid: ") + path, LogDebug }));
}

void TstBootImageChecker::fullLogOfConfigAndHeader()
{
    const QString path = write(QStringLiteral("both.bin"),
        image(0x2000, { { 0, 0xFCF90002 }, { 4, 0xA1B2C3D4 }, { 8, 7 }, { 0xC00, BootTag } }));
    const BootImageReport r = BootImageChecker::check(path, flashMemory(), true);
    const QStringList words { "0xfcf90002", "0xa1b2c3d4", "0x00000007", "0x00000000" };
    QCOMPARE(r.flashWords, words);
    const KrelLogLines expected {
        { "Check boot image whether it is valid: " + path, LogDebug },
        { "Has detected XIP Flash configuration! address: 0x00000000 word number: 2", LogInfo },
        { "Detect flash configuration: 0xfcf90002,0xa1b2c3d4,0x00000007,0x00000000. The configuration will be "
          "replaced by this!",
            LogInfo },
        { "Has detected Boot Header! address: 0x00000c00", LogInfo },
        { "Check boot image finished!  Flash config address: 0x00000000. Boot Header address: 0x00000c00", LogInfo },
    };
    QCOMPARE(r.logs.size(), expected.size());
    for (int i = 0; i < expected.size(); ++i) {
        QCOMPARE(r.logs.at(i).text, expected.at(i).text);
        QCOMPARE(r.logs.at(i).level, expected.at(i).level);
    }
}

void TstBootImageChecker::optionWordCount_data()
{
    QTest::addColumn<quint32>("header");
    QTest::addColumn<int>("count");
    QTest::newRow("0002") << quint32(0xFCF90002) << 2;
    // "0x" + "1" + "0" reads as 0x10, capped at 3.
    QTest::newRow("0100") << quint32(0xFCF90100) << 3;
    // "0x" + "0" + "16" reads as 0x016.
    QTest::newRow("0010") << quint32(0xFCF90010) << 3;
}

void TstBootImageChecker::optionWordCount()
{
    QFETCH(quint32, header);
    QFETCH(int, count);
    QCOMPARE(BootImageChecker::optionWordCount(header), count);
}

void TstBootImageChecker::readErrorAt0x400()
{
    const QString path = write(QStringLiteral("short.bin"), image(0x402, { { 0, BootTag } }));
    const BootImageReport r = BootImageChecker::check(path, flashMemory(), true);
    QCOMPARE(r.result, false);
    QVERIFY(!r.programAddress);
    QCOMPARE(opt(r.bootHeaderOffset), QStringLiteral("0x0"));
    QCOMPARE(lastLog(r), QStringLiteral("Read address length error! Address offset: 00000400"));
    QCOMPARE(r.logs.last().level, LogDebug);
}

void TstBootImageChecker::seekErrorEndsTheCheck()
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

void TstBootImageChecker::truncatedOptionWordsChangeNothing()
{
    // Header announces three option words; only one fits in the file.
    const QString path = write(QStringLiteral("cut.bin"), image(0x408, { { 0x400, 0xFCF90003 }, { 0x404, 1 } }));
    const BootImageReport r = BootImageChecker::check(path, flashMemory(), true);
    QCOMPARE(r.result, false);
    QVERIFY(r.flashWords.isEmpty());
    QVERIFY(!r.programAddress);
    QCOMPARE(opt(r.flashConfigOffset), QStringLiteral("0x400"));
    QCOMPARE(lastLog(r), QStringLiteral("Read address length error! Address offset: 00000400"));
}

void TstBootImageChecker::laterBlockOverridesEarlier()
{
    const QString path = write(QStringLiteral("two.bin"),
        image(0x2000, { { 0, 0xFCF90001 }, { 4, 1 }, { 0x400, 0xFCF90001 }, { 0x404, 2 }, { 0x1000, BootTag } }));
    const BootImageReport r = BootImageChecker::check(path, flashMemory(), true);
    QCOMPARE(opt(r.flashConfigOffset), QStringLiteral("0x400"));
    QCOMPARE(r.flashWords, QStringList({ "0xfcf90001", "0x00000002", "0x00000000", "0x00000000" }));
    QCOMPARE(*r.programAddress, QStringLiteral("0x80000000"));
}

void TstBootImageChecker::addressOnlyForFlashWithUpdate()
{
    const QString path = write(QStringLiteral("hdr.bin"), image(0x800, { { 0, BootTag } }));
    MemoryItemInfo emmc;
    emmc.kind = EMemoryKindEmmc;
    emmc.sectorIndex = QStringLiteral("0");
    BootImageReport r = BootImageChecker::check(path, emmc, true);
    QVERIFY(r.result);
    QVERIFY(!r.programAddress);
    r = BootImageChecker::check(path, flashMemory(), false);
    QVERIFY(r.result);
    QVERIFY(!r.programAddress);
}

void TstBootImageChecker::wideSum()
{
    const QString path = write(QStringLiteral("wide.bin"), image(0x800, { { 0, BootTag } }));
    BootImageReport r = BootImageChecker::check(path, flashMemory(QStringLiteral("0xFFFFF800")), true);
    QCOMPARE(*r.programAddress, QStringLiteral("0x100000800"));
    r = BootImageChecker::check(path, flashMemory(QStringLiteral("90000000")), true);
    QCOMPARE(*r.programAddress, QStringLiteral("0x90001000"));
}

void TstBootImageChecker::emptyAndMissingPath()
{
    BootImageReport r = BootImageChecker::check(QString(), flashMemory(), true);
    QCOMPARE(r.result, false);
    QVERIFY(r.logs.isEmpty());
    QVERIFY(!r.programAddress);

    const QString missing = m_dir.filePath(QStringLiteral("missing.bin"));
    r = BootImageChecker::check(missing, flashMemory(), true);
    QCOMPARE(r.result, false);
    QVERIFY(!r.programAddress);
    QCOMPARE(lastLog(r), QStringLiteral("Open file failed: ") + missing);
    QCOMPARE(r.logs.last().level, LogDebug);
}

QTEST_GUILESS_MAIN(TstBootImageChecker)
#include "tst_bootimagechecker.moc"
