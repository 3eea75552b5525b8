// ROM status vocabulary: the 17/18 split, byte sizes and short RTE answers
// (whole records are decoded through the simulator in tst_romcmd).
#include "romstatus.h"

#include <QtTest>
#include <thread>

using namespace RomCmd;

class TestRomStatus : public QObject
{
    Q_OBJECT
private slots:
    void bootModeStatus_data();
    void bootModeStatus();
    void byteSize_data();
    void byteSize();
    void byteSizeFromTwoThreads();
    void decodeShortAnswerReadsZero();
};

void TestRomStatus::bootModeStatus_data()
{
    QTest::addColumn<uint>("status");
    QTest::addColumn<bool>("bootMode");
    QTest::newRow("failure") << 1u << true;
    QTest::newRow("invalid argument") << 4u << false;
    QTest::newRow("command failed") << 1001000u << true;
    QTest::newRow("programming failed") << 1001002u << false;
    QTest::newRow("command not supported") << 1002000u << true;
    QTest::newRow("success is not a failure") << 0u << false;
}

void TestRomStatus::bootModeStatus()
{
    QFETCH(uint, status);
    QFETCH(bool, bootMode);
    QCOMPARE(isBootModeStatus(status), bootMode);
}

void TestRomStatus::byteSize_data()
{
    QTest::addColumn<qulonglong>("size");
    QTest::addColumn<QString>("text");
    QTest::newRow("0") << 0ull << "0 bytes";
    QTest::newRow("just below 1 M") << (1024ull * 1024 - 1) << "1024.00 Kbytes";
    QTest::newRow("16 M + 1 K") << 16ull * 1024 * 1024 + 1024 << "16.00 Mbytes";
    QTest::newRow("huge") << 0xFFFFFFFFFFFFFFFFull << "17179869184.00 Gbytes";
}

void TestRomStatus::byteSize()
{
    QFETCH(qulonglong, size);
    QFETCH(QString, text);
    QCOMPARE(formatByteSize(size), text);
}

void TestRomStatus::byteSizeFromTwoThreads()
{
    // Two jobs formatting at once must each get their own text.
    bool okA = true, okB = true;
    std::thread a([&] {
        for (int i = 0; i < 20000; ++i)
            okA &= formatByteSize(1536) == QLatin1String("1.50 Kbytes");
    });
    std::thread b([&] {
        for (int i = 0; i < 20000; ++i)
            okB &= formatByteSize(3ull << 30) == QLatin1String("3 Gbytes");
    });
    a.join();
    b.join();
    QVERIFY(okA);
    QVERIFY(okB);
}

static QByteArray words(std::initializer_list<uint32_t> list)
{
    QByteArray b;
    for (uint32_t w : list)
        for (int i = 0; i < 4; ++i)
            b.append(char((w >> (8 * i)) & 0xFF));
    return b;
}

void TestRomStatus::decodeShortAnswerReadsZero()
{
    // An answer cut short must not be read past its end.
    const QByteArray m = words({ 0x0005, 0x20000 }).left(6);
    const auto ma = MemoryAttribute::decode(reinterpret_cast<const uint8_t*>(m.constData()), size_t(m.size()));
    QCOMPARE(int(ma.words), 5);
    QCOMPARE(ma.memoryId, 0x0000u); // only two of its four bytes arrived: 0x00 0x00
    QCOMPARE(ma.sizeInUnits, 0u);
    QCOMPARE(RomParamInfo::decode(nullptr, 0).romVersion, 0u);
    QCOMPARE(rteRecordSize(4), size_t(32));
    QCOMPARE(rteRecordSize(5), size_t(0));
}

QTEST_GUILESS_MAIN(TestRomStatus)
#include "tst_romstatus.moc"
