// The AES engine against libcrypto for every key size, mode and padding on
// random keys and texts (a fixed answer per key size would say nothing more).
#include <QRandomGenerator>
#include <QtTest>

#include <openssl/evp.h>

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
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    QByteArray out(in.size() + 32, '\0');
    int len = 0, total = 0;
    const auto* ivp = mode == QAESEncryption::ECB ? nullptr : reinterpret_cast<const unsigned char*>(iv.constData());
    bool ok = EVP_EncryptInit_ex(ctx, opensslCipher(level, mode), nullptr,
                  reinterpret_cast<const unsigned char*>(key.constData()), ivp)
        == 1;
    ok = ok && EVP_CIPHER_CTX_set_padding(ctx, pkcsPadding ? 1 : 0) == 1;
    ok = ok
        && EVP_EncryptUpdate(ctx, reinterpret_cast<unsigned char*>(out.data()), &len,
               reinterpret_cast<const unsigned char*>(in.constData()), in.size())
            == 1;
    total = len;
    ok = ok && EVP_EncryptFinal_ex(ctx, reinterpret_cast<unsigned char*>(out.data()) + total, &len) == 1;
    total += len;
    EVP_CIPHER_CTX_free(ctx);
    if (!ok)
        return QByteArray("openssl failed");
    out.resize(total);
    return out;
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
    void matchesLibcrypto_data();
    void matchesLibcrypto();
    void pkcs7MatchesLibcryptoPadding_data();
    void pkcs7MatchesLibcryptoPadding();
};

void TstAesReference::matchesLibcrypto_data()
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

void TstAesReference::matchesLibcrypto()
{
    QFETCH(int, level);
    QFETCH(int, mode);
    QFETCH(int, padding);
    QAESEncryption aes { QAESEncryption::Aes(level), QAESEncryption::Mode(mode), QAESEncryption::Padding(padding) };
    const QByteArray key = randomBytes(aes.keyLength());
    const QByteArray iv = randomBytes(16);

    for (int length : { 0, 1, 15, 16, 17, 31, 32, 33, 100, 1000 }) {
        QByteArray text = randomBytes(length);
        if (length > 0)
            text[length - 1] = 'A'; // so every scheme can find where the text ends
        const QByteArray padded = referencePad(text, padding);
        const QByteArray expected = opensslEncrypt(level, mode, key, iv, padded);

        const QByteArray encoded = aes.encode(text, key, iv);
        QVERIFY2(encoded == expected, qPrintable(QStringLiteral("length %1").arg(length)));
        const QByteArray decoded = aes.decode(encoded, key, iv);
        QVERIFY2(decoded == padded, qPrintable(QStringLiteral("length %1").arg(length)));
        QVERIFY2(aes.removePadding(decoded) == text, qPrintable(QStringLiteral("length %1").arg(length)));
    }
}

void TstAesReference::pkcs7MatchesLibcryptoPadding_data()
{
    QTest::addColumn<int>("mode");
    QTest::newRow("ECB") << int(QAESEncryption::ECB);
    QTest::newRow("CBC") << int(QAESEncryption::CBC);
}

// libcrypto pads block modes with PKCS #7 itself: an independent check of that scheme.
void TstAesReference::pkcs7MatchesLibcryptoPadding()
{
    QFETCH(int, mode);
    QAESEncryption aes(QAESEncryption::AES_128, QAESEncryption::Mode(mode), QAESEncryption::PKCS7);
    const QByteArray key = randomBytes(16);
    const QByteArray iv = randomBytes(16);
    for (int length : { 0, 5, 16, 47, 48 }) {
        const QByteArray text = randomBytes(length);
        QCOMPARE(aes.encode(text, key, iv).toHex(), opensslEncrypt(0, mode, key, iv, text, true).toHex());
    }
}

QTEST_GUILESS_MAIN(TstAesReference)
#include "tst_aes_reference.moc"
