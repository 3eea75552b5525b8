// The AES engine against libcrypto for every key size, mode and padding on
// random keys and texts (a fixed answer per key size would say nothing more);
// its argument checks and removePadding rules; the tool's own file cipher setting.
#include <QRandomGenerator>
#include <QtTest>

#include <openssl/evp.h>

#include "krelcipher.h"
#include "qaesencryption.h"

namespace {

const EVP_CIPHER* opensslCipher(int level, int mode)
{
    static const EVP_CIPHER* const table[3][4] = {
        { EVP_aes_128_ecb(), EVP_aes_128_cbc(), EVP_aes_128_cfb128(), EVP_aes_128_ofb() },
        { EVP_aes_192_ecb(), EVP_aes_192_cbc(), EVP_aes_192_cfb128(), EVP_aes_192_ofb() },
        { EVP_aes_256_ecb(), EVP_aes_256_cbc(), EVP_aes_256_cfb128(), EVP_aes_256_ofb() },
    };
    return table[level][mode];
}

// libcrypto with its own padding switched off unless asked for (PKCS #7 only).
QByteArray opensslEncrypt(
    int level, int mode, const QByteArray& key, const QByteArray& iv, const QByteArray& in, bool pkcsPadding = false)
{
    const auto u = [](const QByteArray& b) { return reinterpret_cast<const unsigned char*>(b.constData()); };
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    QByteArray out(in.size() + 32, '\0');
    auto* o = reinterpret_cast<unsigned char*>(out.data());
    int len = 0, last = 0;
    const bool ok = EVP_EncryptInit_ex(
                        ctx, opensslCipher(level, mode), nullptr, u(key), mode == QAESEncryption::ECB ? nullptr : u(iv))
            == 1
        && EVP_CIPHER_CTX_set_padding(ctx, pkcsPadding ? 1 : 0) == 1
        && EVP_EncryptUpdate(ctx, o, &len, u(in), in.size()) == 1 && EVP_EncryptFinal_ex(ctx, o + len, &last) == 1;
    EVP_CIPHER_CTX_free(ctx);
    return ok ? out.left(len + last) : QByteArray("openssl failed");
}

// The padding schemes written out from their definition.
QByteArray referencePad(const QByteArray& text, int padding)
{
    const int r = (16 - text.size() % 16) % 16;
    if (padding == QAESEncryption::PKCS7) {
        const int n = r == 0 ? 16 : r;
        return text + QByteArray(n, char(n));
    }
    if (padding == QAESEncryption::ISO)
        return r == 0 ? text : text + char(0x80) + QByteArray(r - 1, '\0');
    return text + QByteArray(r, '\0');
}

QByteArray randomBytes(int n)
{
    QByteArray b(n, '\0');
    for (int i = 0; i < n; ++i)
        b[i] = char(QRandomGenerator::global()->bounded(256));
    return b;
}

const char* const levelNames[] = { "AES-128", "AES-192", "AES-256" };
const char* const modeNames[] = { "ECB", "CBC", "CFB", "OFB" };
const char* const paddingNames[] = { "zero", "PKCS7", "ISO" };

} // namespace

class TstAesReference : public QObject
{
    Q_OBJECT
private slots:
    void matchesLibcrypto_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("padding");
        for (int level = 0; level < 3; ++level)
            for (int mode = 0; mode < 4; ++mode)
                for (int padding = 0; padding < 3; ++padding)
                    QTest::addRow("%s %s %s", levelNames[level], modeNames[mode], paddingNames[padding])
                        << level << mode << padding;
    }
    void matchesLibcrypto()
    {
        QFETCH(int, level);
        QFETCH(int, mode);
        QFETCH(int, padding);
        QAESEncryption aes { QAESEncryption::Aes(level), QAESEncryption::Mode(mode), QAESEncryption::Padding(padding) };
        const QByteArray key = randomBytes(aes.keyLength());
        const QByteArray iv = randomBytes(16);
        // libcrypto pads block modes with PKCS #7 itself: an independent check of that scheme.
        const bool libcryptoPads = padding == QAESEncryption::PKCS7 && mode <= QAESEncryption::CBC;

        for (int length : { 0, 1, 15, 16, 17, 31, 32, 33, 100, 1000 }) {
            const QByteArray where = "length " + QByteArray::number(length);
            QByteArray text = randomBytes(length);
            if (length > 0)
                text[length - 1] = 'A'; // so every scheme can find where the text ends
            const QByteArray padded = referencePad(text, padding);
            const QByteArray encoded = aes.encode(text, key, iv);
            QVERIFY2(encoded == opensslEncrypt(level, mode, key, iv, padded), where.constData());
            if (libcryptoPads)
                QVERIFY2(encoded == opensslEncrypt(level, mode, key, iv, text, true), where.constData());
            const QByteArray decoded = aes.decode(encoded, key, iv);
            QVERIFY2(decoded == padded, where.constData());
            QVERIFY2(aes.removePadding(decoded) == text, where.constData());
        }
    }

    void rejectedArguments_data()
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

    void rejectedArguments()
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

    void unknownLevelIsAes128()
    {
        QAESEncryption odd(QAESEncryption::Aes(7), QAESEncryption::ECB, QAESEncryption::ISO);
        QAESEncryption aes128(QAESEncryption::AES_128, QAESEncryption::ECB, QAESEncryption::ISO);
        const QByteArray key(16, 'k');
        QCOMPARE(odd.keyLength(), 16);
        QCOMPARE(odd.expandKey(key).size(), 176);
        QCOMPARE(odd.encode("abc", key), aes128.encode("abc", key));
    }

    void removePadding_data()
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
        QTest::newRow("iso: earlier 0x80 kept")
            << iso << QByteArray::fromHex("618062638000") << QByteArray::fromHex("61806263"); // a 80 b c
    }

    void removePadding()
    {
        QFETCH(int, padding);
        QFETCH(QByteArray, in);
        QFETCH(QByteArray, out);
        QAESEncryption aes(QAESEncryption::AES_128, QAESEncryption::ECB, QAESEncryption::Padding(padding));
        QCOMPARE(aes.removePadding(in).toHex(), out.toHex());
    }

    void krelCipherRoundTrip()
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
};

QTEST_GUILESS_MAIN(TstAesReference)
#include "tst_aes_reference.moc"
