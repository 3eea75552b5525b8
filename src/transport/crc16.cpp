#include "crc16.h"

#include <array>

namespace RomCmd {

namespace {
constexpr std::array<uint16_t, 256> makeTable()
{
    std::array<uint16_t, 256> t{};
    for (int i = 0; i < 256; ++i) {
        uint16_t c = uint16_t(i << 8);
        for (int b = 0; b < 8; ++b)
            c = (c & 0x8000) ? uint16_t((c << 1) ^ 0x1021) : uint16_t(c << 1);
        t[size_t(i)] = c;
    }
    return t;
}
constexpr std::array<uint16_t, 256> kTable = makeTable();
} // namespace

uint16_t crc16Xmodem(const uint8_t* data, size_t length, uint16_t crc)
{
    for (size_t i = 0; i < length; ++i)
        crc = uint16_t((crc << 8) ^ kTable[((crc >> 8) ^ data[i]) & 0xFF]);
    return crc;
}

} // namespace RomCmd
