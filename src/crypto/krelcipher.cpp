#include "krelcipher.h"

#include "qaesencryption.h"

namespace KrelCipher {

static QByteArray keyBytes()
{
    return QByteArray(ConfigKey, static_cast<int>(sizeof(ConfigKey) - 1));
}

QByteArray encipher(const QByteArray& plain)
{
    QAESEncryption aes(QAESEncryption::AES_128, QAESEncryption::ECB, QAESEncryption::ISO);
    return aes.encode(plain, keyBytes(), QByteArray());
}

QByteArray decipher(const QByteArray& fileBytes)
{
    QAESEncryption aes(QAESEncryption::AES_128, QAESEncryption::ECB, QAESEncryption::ISO);
    return aes.removePadding(aes.decode(fileBytes, keyBytes(), QByteArray()));
}

} // namespace KrelCipher
