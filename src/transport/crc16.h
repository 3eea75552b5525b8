// CRC-16/XMODEM (poly 0x1021, init 0, no reflection, no final XOR), table driven.
#pragma once
#include <cstddef>
#include <cstdint>

namespace RomCmd {
// Continues a running CRC register over data; start with crc = 0.
uint16_t crc16Xmodem(const uint8_t* data, size_t length, uint16_t crc = 0);
} // namespace RomCmd
