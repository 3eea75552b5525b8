// Argument checks and the removePadding rules of the AES engine,
// and the tool's own file cipher setting.
#include <QtTest>

#include "krelcipher.h"
#include "qaesencryption.h"

class TstAesRules : public QObject
{
    Q_OBJECT
private slots:
    void rejectedArguments_data();
    void rejectedArguments();
    void unknownLevelIsAes128();
    void removePadding_data();
    void removePadding();
    void krelCipherRoundTrip();
};

void TstAesRules::rejectedArguments_data()
{
    QTest::addColumn<int>("level");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("keyLength");
    QTest::addColumn<int>("ivLength");
    QTest::addColumn<int>("textLength");
    QTest::addColumn<bool>("decodeOnly");
    QTest::newRow("15-byte key, AES-128") << 0 << 0 << 15 << 0 << 16 << false;
    QTest::newRow("16-byte key, AES-192") << 1 << 0 << 16 << 0 << 16 << false;
    QTest::newRow("24-byte key, AES-256") << 2 << 1 << 24 << 16 << 16 << false;
    QTest::newRow("empty key") << 0 << 0 << 0 << 0 << 16 << false;
    QTest::newRow("CBC, empty iv") << 0 << 1 << 16 << 0 << 16 << false;
    QTest::newRow("OFB, empty iv") << 0 << 3 << 16 << 0 << 16 << false;
    QTest::newRow("CBC, 15-byte iv") << 0 << 1 << 16 << 15 << 16 << false;
    QTest::newRow("decode of 20 bytes") << 0 << 0 << 16 << 0 << 20 << true;
    QTest::newRow("OFB decode of 20 bytes") << 0 << 3 << 16 << 16 << 20 << true;
}

void TstAesRules::rejectedArguments()
{
    QFETCH(int, level);
    QFETCH(int, mode);
    QFETCH(int, keyLength);
    QFETCH(int, ivLength);
    QFETCH(int, textLength);
    QFETCH(bool, decodeOnly);
    QAESEncryption aes(QAESEncryption::Aes(level), QAESEncryption::Mode(mode), QAESEncryption::ISO);
    const QByteArray key(keyLength, 'k');
    const QByteArray iv(ivLength, 'i');
    const QByteArray text(textLength, 't');
    QVERIFY(aes.decode(text, key, iv).isEmpty());
    if (!decodeOnly)
        QVERIFY(aes.encode(text, key, iv).isEmpty());
    else
        QVERIFY(!aes.encode(text, key, iv).isEmpty());
}

void TstAesRules::unknownLevelIsAes128()
{
    QAESEncryption odd(QAESEncryption::Aes(7), QAESEncryption::ECB, QAESEncryption::ISO);
    QAESEncryption aes128(QAESEncryption::AES_128, QAESEncryption::ECB, QAESEncryption::ISO);
    const QByteArray key(16, 'k');
    QCOMPARE(odd.keyLength(), 16);
    QCOMPARE(odd.expandKey(key).size(), 176);
    QCOMPARE(odd.encode("abc", key), aes128.encode("abc", key));
}

void TstAesRules::removePadding_data()
{
    QTest::addColumn<int>("padding");
    QTest::addColumn<QByteArray>("in");
    QTest::addColumn<QByteArray>("out");
    for (int p = 0; p < 3; ++p)
        QTest::addRow("empty %d", p) << p << QByteArray() << QByteArray();

    const int zero = QAESEncryption::ZERO, pkcs = QAESEncryption::PKCS7, iso = QAESEncryption::ISO;
    QTest::newRow("zero: trailing zeros go") << zero << QByteArray("ab\0\0\0", 5) << QByteArray("ab");
    QTest::newRow("zero: inner zero stays") << zero << QByteArray("a\0b", 3) << QByteArray("a\0b", 3);

    QTest::newRow("pkcs: 3") << pkcs << QByteArray("abcde\x03\x03\x03") << QByteArray("abcde");
    QTest::newRow("pkcs: whole text") << pkcs << QByteArray(16, '\x10') << QByteArray();
    QTest::newRow("pkcs: zero byte") << pkcs << QByteArray("abc\0", 4) << QByteArray("abc\0", 4);
    QTest::newRow("pkcs: longer than text") << pkcs << QByteArray("ab\x05") << QByteArray("ab\x05");

    QTest::newRow("iso: 0x80 and zeros") << iso << QByteArray("abc\x80\0\0", 6) << QByteArray("abc");
    // Not added at encode time, still removed: the rule looks only at the bytes.
    QTest::newRow("iso: text ending in 0x80")
        << iso << QByteArray("0123456789abcde\x80") << QByteArray("0123456789abcde");
    QTest::newRow("iso: other last byte") << iso << QByteArray("abc\x81\0", 5) << QByteArray("abc\x81\0", 5);
    QTest::newRow("iso: zeros only") << iso << QByteArray(4, '\0') << QByteArray(4, '\0');
    QTest::newRow("iso: earlier 0x80 kept") << iso
                                            << QByteArray("a\x80"
                                                          "bc\x80\0",
                                                   6)
                                            << QByteArray("a\x80"
                                                          "bc");
}

void TstAesRules::removePadding()
{
    QFETCH(int, padding);
    QFETCH(QByteArray, in);
    QFETCH(QByteArray, out);
    QAESEncryption aes(QAESEncryption::AES_128, QAESEncryption::ECB, QAESEncryption::Padding(padding));
    QCOMPARE(aes.removePadding(in).toHex(), out.toHex());
}

void TstAesRules::krelCipherRoundTrip()
{
    const QByteArray json = R"({"name":"flash download config"})";
    const QByteArray file = KrelCipher::encipher(json);
    QCOMPARE(file.size() % 16, 0);
    QVERIFY(file.size() >= json.size());
    QCOMPARE(KrelCipher::decipher(file), json);
    // The setting is AES-128 ECB ISO under the 16 key characters.
    QAESEncryption aes(QAESEncryption::AES_128, QAESEncryption::ECB, QAESEncryption::ISO);
    QCOMPARE(file, aes.encode(json, QByteArray("KtRoWavLeN#5193!")));
    QVERIFY(KrelCipher::decipher(file.left(20)).isEmpty());
}

QTEST_GUILESS_MAIN(TstAesRules)
#include "tst_aes_rules.moc"
