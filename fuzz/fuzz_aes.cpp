// The AES decoder with padding removal, as the tool reads its own files: the
// text a file deciphers to enciphers back to the same file when its padding
// was sound, and removing padding never grows or invents bytes.
#include "fuzzsupport.h"
#include "krelcipher.h"
#include "qaesencryption.h"

FUZZ_INIT

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray file = Fuzz::bytes(data, size);
    const QByteArray text = KrelCipher::decipher(file);
    if (file.size() % 16 != 0)
        FUZZ_CHECK(text.isEmpty(), QString::number(file.size()));
    FUZZ_CHECK(text.size() <= file.size(), QString::number(text.size()));

    const QByteArray key(KrelCipher::ConfigKey);
    for (int padding : { QAESEncryption::ZERO, QAESEncryption::PKCS7, QAESEncryption::ISO }) {
        QAESEncryption aes(QAESEncryption::AES_128, QAESEncryption::ECB, QAESEncryption::Padding(padding));
        const QByteArray stripped = aes.removePadding(file);
        FUZZ_CHECK(stripped.size() <= file.size() && file.startsWith(stripped), QString::number(padding));
        if (file.size() % 16 == 0 && !file.isEmpty()) {
            const QByteArray plain = aes.decode(file, key);
            FUZZ_CHECK(plain.size() == file.size(), QString::number(plain.size()));
            // ECB decode then encode without padding is the identity.
            QAESEncryption raw(QAESEncryption::AES_128, QAESEncryption::ECB, QAESEncryption::ZERO);
            FUZZ_CHECK(raw.encode(plain, key) == file, QString());
        }
    }
    // A text goes through encipher and decipher unchanged, unless it ends like
    // padding (0x80 then zeros): whole blocks get no padding under this scheme.
    int last = text.size() - 1;
    while (last >= 0 && text.at(last) == '\0')
        --last;
    const bool endsLikePadding = last >= 0 && static_cast<unsigned char>(text.at(last)) == 0x80;
    if (!endsLikePadding && KrelCipher::decipher(KrelCipher::encipher(text)) != text)
        Fuzz::fail("decipher(encipher(text)) != text", QString::fromLatin1(text.toHex()));
    return 0;
}
