#include "qaesencryption.h"

#include <array>
#include <cstring>

namespace {

constexpr unsigned char xtime(unsigned char x)
{
    return static_cast<unsigned char>((x << 1) ^ ((x & 0x80) ? 0x1b : 0x00));
}

// Multiplication in GF(2^8) modulo x^8 + x^4 + x^3 + x + 1 (0x11B).
constexpr unsigned char gmul(unsigned char a, unsigned char b)
{
    unsigned char p = 0;
    while (b) {
        if (b & 1)
            p ^= a;
        a = xtime(a);
        b >>= 1;
    }
    return p;
}

constexpr unsigned char rotl8(unsigned char x, int s)
{
    return static_cast<unsigned char>((x << s) | (x >> (8 - s)));
}

// The tables are derived at compile time from their definition (multiplicative
// inverse followed by the affine map), which rules out transcription slips.
struct Tables
{
    std::array<unsigned char, 256> sbox {};
    std::array<unsigned char, 256> rsbox {};
    std::array<unsigned char, 15> rcon {};
};

// Walks the multiplicative group with generator 3 (p) and its inverse (q), so
// q is always 1/p: 255 steps instead of a search per byte, which stays inside
// every compiler's constant-evaluation budget.
constexpr Tables makeTables()
{
    Tables t;
    unsigned char p = 1, q = 1;
    do {
        p = static_cast<unsigned char>(p ^ xtime(p)); // p * 3
        q = static_cast<unsigned char>(q ^ (q << 1)); // q / 3
        q = static_cast<unsigned char>(q ^ (q << 2));
        q = static_cast<unsigned char>(q ^ (q << 4));
        if (q & 0x80)
            q ^= 0x09;
        const unsigned char s
            = static_cast<unsigned char>(q ^ rotl8(q, 1) ^ rotl8(q, 2) ^ rotl8(q, 3) ^ rotl8(q, 4) ^ 0x63);
        t.sbox[p] = s;
        t.rsbox[s] = p;
    } while (p != 1);
    t.sbox[0] = 0x63; // 0 has no inverse
    t.rsbox[0x63] = 0;
    unsigned char r = 0x8d; // index 0 is unused; rcon[1] = 0x01
    for (int i = 0; i < 15; ++i) {
        t.rcon[i] = r;
        r = xtime(r);
    }
    return t;
}

constexpr Tables kTables = makeTables();
static_assert(kTables.sbox[0x00] == 0x63 && kTables.sbox[0x01] == 0x7c && kTables.sbox[0x53] == 0xed && kTables.sbox[0xff] == 0x16, "S-box");
static_assert(kTables.rsbox[0x63] == 0x00 && kTables.rsbox[0x00] == 0x52, "inverse S-box");
static_assert(kTables.rcon[1] == 0x01 && kTables.rcon[10] == 0x36, "round constants");

constexpr const auto& sbox = kTables.sbox;
constexpr const auto& rsbox = kTables.rsbox;
constexpr const auto& rcon = kTables.rcon;

void subBytes(unsigned char* s)
{
    for (int i = 0; i < 16; ++i)
        s[i] = sbox[s[i]];
}

void invSubBytes(unsigned char* s)
{
    for (int i = 0; i < 16; ++i)
        s[i] = rsbox[s[i]];
}

// The state is column-major: byte r of column c is s[4 * c + r].
void shiftRows(unsigned char* s)
{
    unsigned char t[16];
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r)
            t[4 * c + r] = s[4 * ((c + r) % 4) + r];
    std::memcpy(s, t, 16);
}

void invShiftRows(unsigned char* s)
{
    unsigned char t[16];
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r)
            t[4 * ((c + r) % 4) + r] = s[4 * c + r];
    std::memcpy(s, t, 16);
}

void mixColumns(unsigned char* s)
{
    for (int c = 0; c < 4; ++c) {
        unsigned char* col = s + 4 * c;
        const unsigned char a0 = col[0], a1 = col[1], a2 = col[2], a3 = col[3];
        col[0] = static_cast<unsigned char>(gmul(a0, 2) ^ gmul(a1, 3) ^ a2 ^ a3);
        col[1] = static_cast<unsigned char>(a0 ^ gmul(a1, 2) ^ gmul(a2, 3) ^ a3);
        col[2] = static_cast<unsigned char>(a0 ^ a1 ^ gmul(a2, 2) ^ gmul(a3, 3));
        col[3] = static_cast<unsigned char>(gmul(a0, 3) ^ a1 ^ a2 ^ gmul(a3, 2));
    }
}

void invMixColumns(unsigned char* s)
{
    for (int c = 0; c < 4; ++c) {
        unsigned char* col = s + 4 * c;
        const unsigned char a0 = col[0], a1 = col[1], a2 = col[2], a3 = col[3];
        col[0] = static_cast<unsigned char>(gmul(a0, 14) ^ gmul(a1, 11) ^ gmul(a2, 13) ^ gmul(a3, 9));
        col[1] = static_cast<unsigned char>(gmul(a0, 9) ^ gmul(a1, 14) ^ gmul(a2, 11) ^ gmul(a3, 13));
        col[2] = static_cast<unsigned char>(gmul(a0, 13) ^ gmul(a1, 9) ^ gmul(a2, 14) ^ gmul(a3, 11));
        col[3] = static_cast<unsigned char>(gmul(a0, 11) ^ gmul(a1, 13) ^ gmul(a2, 9) ^ gmul(a3, 14));
    }
}

} // namespace

QAESEncryption::QAESEncryption(Aes level, Mode mode, Padding padding)
    : QObject(nullptr)
    , m_mode(mode)
    , m_padding(padding)
{
    switch (level) {
    case AES_192:
        m_level = AES_192;
        m_nk = 6;
        m_keyLen = 24;
        m_nr = 12;
        break;
    case AES_256:
        m_level = AES_256;
        m_nk = 8;
        m_keyLen = 32;
        m_nr = 14;
        break;
    default:
        m_level = AES_128;
        m_nk = 4;
        m_keyLen = 16;
        m_nr = 10;
        break;
    }
}

QByteArray QAESEncryption::expandKey(const QByteArray& key) const
{
    if (key.size() != m_keyLen)
        return QByteArray();
    const int words = m_nb * (m_nr + 1);
    QByteArray out(words * 4, '\0');
    auto* w = reinterpret_cast<unsigned char*>(out.data());
    std::memcpy(w, key.constData(), static_cast<size_t>(m_keyLen));
    for (int i = m_nk; i < words; ++i) {
        unsigned char t[4] = { w[4 * (i - 1)], w[4 * (i - 1) + 1], w[4 * (i - 1) + 2], w[4 * (i - 1) + 3] };
        if (i % m_nk == 0) {
            const unsigned char first = t[0];
            t[0] = static_cast<unsigned char>(sbox[t[1]] ^ rcon[i / m_nk]);
            t[1] = sbox[t[2]];
            t[2] = sbox[t[3]];
            t[3] = sbox[first];
        } else if (m_nk > 6 && i % m_nk == 4) {
            for (unsigned char& b : t)
                b = sbox[b];
        }
        for (int j = 0; j < 4; ++j)
            w[4 * i + j] = static_cast<unsigned char>(w[4 * (i - m_nk) + j] ^ t[j]);
    }
    return out;
}

void QAESEncryption::addRoundKey(int round, const QByteArray& expKey, Block state) const
{
    const auto* k = reinterpret_cast<const unsigned char*>(expKey.constData()) + round * m_blocklen;
    for (int i = 0; i < 16; ++i)
        state[i] ^= k[i];
}

void QAESEncryption::cipher(const QByteArray& expKey, Block state) const
{
    addRoundKey(0, expKey, state);
    for (int round = 1; round < m_nr; ++round) {
        subBytes(state);
        shiftRows(state);
        mixColumns(state);
        addRoundKey(round, expKey, state);
    }
    subBytes(state);
    shiftRows(state);
    addRoundKey(m_nr, expKey, state);
}

void QAESEncryption::invCipher(const QByteArray& expKey, Block state) const
{
    addRoundKey(m_nr, expKey, state);
    for (int round = m_nr - 1; round > 0; --round) {
        invShiftRows(state);
        invSubBytes(state);
        addRoundKey(round, expKey, state);
        invMixColumns(state);
    }
    invShiftRows(state);
    invSubBytes(state);
    addRoundKey(0, expKey, state);
}

bool QAESEncryption::argumentsValid(const QByteArray& key, const QByteArray& iv) const
{
    if (m_mode != ECB && iv.size() != m_blocklen)
        return false;
    return key.size() == m_keyLen;
}

QByteArray QAESEncryption::pad(const QByteArray& text) const
{
    const int r = (m_blocklen - text.size() % m_blocklen) % m_blocklen;
    switch (m_padding) {
    case PKCS7: {
        const int n = r == 0 ? m_blocklen : r;
        return text + QByteArray(n, static_cast<char>(n));
    }
    case ISO:
        if (r == 0)
            return text;
        return text + char(0x80) + QByteArray(r - 1, '\0');
    default: // zero padding
        return text + QByteArray(r, '\0');
    }
}

QByteArray QAESEncryption::encode(const QByteArray& rawText, const QByteArray& key, const QByteArray& iv) const
{
    if (!argumentsValid(key, iv))
        return QByteArray();
    if (m_mode < ECB || m_mode > OFB)
        return QByteArray();

    const QByteArray expKey = expandKey(key);
    const QByteArray plain = pad(rawText);
    QByteArray out;
    out.reserve(plain.size());

    Block chain; // previous cipher block (CBC, CFB) or key-stream block (OFB)
    if (m_mode != ECB)
        std::memcpy(chain, iv.constData(), 16);

    for (int pos = 0; pos < plain.size(); pos += m_blocklen) {
        Block block;
        std::memcpy(block, plain.constData() + pos, 16);
        switch (m_mode) {
        case ECB: cipher(expKey, block); break;
        case CBC:
            for (int i = 0; i < 16; ++i)
                block[i] ^= chain[i];
            cipher(expKey, block);
            std::memcpy(chain, block, 16);
            break;
        case CFB:
            cipher(expKey, chain);
            for (int i = 0; i < 16; ++i)
                block[i] ^= chain[i];
            std::memcpy(chain, block, 16);
            break;
        case OFB:
            cipher(expKey, chain);
            for (int i = 0; i < 16; ++i)
                block[i] ^= chain[i];
            break;
        }
        out.append(reinterpret_cast<const char*>(block), 16);
    }
    return out;
}

QByteArray QAESEncryption::decode(const QByteArray& rawText, const QByteArray& key, const QByteArray& iv) const
{
    if (!argumentsValid(key, iv))
        return QByteArray();
    if (rawText.size() % m_blocklen != 0)
        return QByteArray();
    if (m_mode < ECB || m_mode > OFB)
        return QByteArray();

    const QByteArray expKey = expandKey(key);
    QByteArray out;
    out.reserve(rawText.size());

    Block chain;
    if (m_mode != ECB)
        std::memcpy(chain, iv.constData(), 16);

    for (int pos = 0; pos < rawText.size(); pos += m_blocklen) {
        Block block;
        std::memcpy(block, rawText.constData() + pos, 16);
        switch (m_mode) {
        case ECB: invCipher(expKey, block); break;
        case CBC: {
            Block saved;
            std::memcpy(saved, block, 16);
            invCipher(expKey, block);
            for (int i = 0; i < 16; ++i)
                block[i] ^= chain[i];
            std::memcpy(chain, saved, 16);
            break;
        }
        case CFB: {
            Block saved;
            std::memcpy(saved, block, 16);
            cipher(expKey, chain);
            for (int i = 0; i < 16; ++i)
                block[i] ^= chain[i];
            std::memcpy(chain, saved, 16);
            break;
        }
        case OFB:
            cipher(expKey, chain);
            for (int i = 0; i < 16; ++i)
                block[i] ^= chain[i];
            break;
        }
        out.append(reinterpret_cast<const char*>(block), 16);
    }
    return out;
}

QByteArray QAESEncryption::removePadding(const QByteArray& rawText) const
{
    if (rawText.isEmpty())
        return rawText;
    switch (m_padding) {
    case PKCS7: {
        const int n = static_cast<unsigned char>(rawText.at(rawText.size() - 1));
        if (n >= 1 && n <= rawText.size())
            return rawText.left(rawText.size() - n);
        return rawText;
    }
    case ISO: {
        int i = rawText.size() - 1;
        while (i >= 0 && rawText.at(i) == '\0')
            --i;
        if (i >= 0 && static_cast<unsigned char>(rawText.at(i)) == 0x80)
            return rawText.left(i);
        return rawText;
    }
    default: {
        int end = rawText.size();
        while (end > 0 && rawText.at(end - 1) == '\0')
            --end;
        return rawText.left(end);
    }
    }
}
