// AES block cipher (128/192/256-bit keys) with ECB, CBC, CFB and OFB modes and
// zero, PKCS #7 and ISO padding, on whole in-memory byte arrays. Used for the
// Krel configuration file and the Krel OTP word files.
#pragma once

#include <QByteArray>
#include <QObject>

class QAESEncryption : public QObject
{
    Q_OBJECT
public:
    enum Aes { AES_128 = 0, AES_192 = 1, AES_256 = 2 };
    enum Mode { ECB = 0, CBC = 1, CFB = 2, OFB = 3 };
    enum Padding { ZERO = 0, PKCS7 = 1, ISO = 2 };

    // An unknown level is taken as AES-128.
    QAESEncryption(Aes level, Mode mode, Padding padding = ISO);

    // Each returns a new array; an empty one when an argument check fails.
    QByteArray encode(const QByteArray& rawText, const QByteArray& key, const QByteArray& iv = QByteArray()) const;
    // Leaves the padding in place (see removePadding()).
    QByteArray decode(const QByteArray& rawText, const QByteArray& key, const QByteArray& iv = QByteArray()) const;
    QByteArray removePadding(const QByteArray& rawText) const;
    // FIPS-197 key expansion: 16 * (Nr + 1) bytes; empty when the key length is wrong.
    QByteArray expandKey(const QByteArray& key) const;

    int keyLength() const { return m_keyLen; }

private:
    using Block = unsigned char[16];

    QByteArray pad(const QByteArray& text) const;
    bool argumentsValid(const QByteArray& key, const QByteArray& iv) const;
    void cipher(const QByteArray& expKey, Block state) const;
    void invCipher(const QByteArray& expKey, Block state) const;
    void addRoundKey(int round, const QByteArray& expKey, Block state) const;

    // The block state lives on the stack of each call rather than in a member
    // pointer, so one object may be used from several threads.
    int m_nb = 4;
    int m_blocklen = 16;
    int m_level = AES_128;
    int m_mode = ECB;
    int m_nk = 4;
    int m_keyLen = 16;
    int m_nr = 10;
    int m_padding = ISO;
};
