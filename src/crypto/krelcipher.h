// The one cipher setting the tool uses for its own files ("config.info" and the
// Krel OTP ".info" files): AES-128, ECB, ISO padding under a fixed key.
#pragma once

#include <QByteArray>

namespace KrelCipher {

// The 16 ASCII characters are the key bytes.
inline constexpr const char ConfigKey[] = "KtRoWavLeN#5193!";

// The file bytes for a (compact JSON) text.
QByteArray encipher(const QByteArray& plain);
// The text of a file with the padding stripped; empty when the file length is
// not a whole number of blocks.
QByteArray decipher(const QByteArray& fileBytes);

} // namespace KrelCipher
