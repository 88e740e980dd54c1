#include "integrity/Crc16.h"

#include <array>

namespace parvex {

namespace {

// Entry i is i run through four reflected shift/XOR steps of 0xA001; 32 bytes of constants.
constexpr std::array<std::uint16_t, 16> makeNibbleTable() {
    std::array<std::uint16_t, 16> table{};
    for (unsigned i = 0; i < 16; ++i) {
        unsigned value = i;
        for (int step = 0; step < 4; ++step) value = (value & 1u) ? (value >> 1) ^ 0xA001u : value >> 1;
        table[i] = static_cast<std::uint16_t>(value);
    }
    return table;
}

constexpr std::array<std::uint16_t, 16> kNibbleTable = makeNibbleTable();

}  // namespace

std::uint16_t crc16(std::uint16_t initial, const std::uint8_t* data, std::uint32_t length) {
    unsigned crc = initial;
    const std::uint32_t words = length / 2;
    for (std::size_t w = 0; w < words; ++w) {
        unsigned word = static_cast<unsigned>(data[2 * w]) | static_cast<unsigned>(data[2 * w + 1]) << 8;
        for (int nibble = 0; nibble < 4; ++nibble) {
            crc = (crc >> 4) ^ kNibbleTable[crc & 0xFu] ^ kNibbleTable[word & 0xFu];
            word >>= 4;
        }
    }
    return static_cast<std::uint16_t>(crc);
}

}  // namespace parvex
