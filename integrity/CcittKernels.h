#pragma once

#include <cstddef>
#include <cstdint>

// Building blocks shared by the CCITT CRC paths. Every kernel takes the running CRC and n bytes
// (n even: whole little-endian words, each fed high byte first) and returns the new CRC.
namespace parvex::ccitt {

inline constexpr std::uint32_t kPoly = 0x11021;  // x^16 + x^12 + x^5 + 1

// x^k mod P, the factor that moves a remainder k bit positions further along the message.
constexpr std::uint16_t xPowMod(unsigned k) {
    std::uint32_t r = 1;
    for (unsigned i = 0; i < k; ++i) {
        r <<= 1;
        if (r & 0x10000u) r ^= kPoly;
    }
    return static_cast<std::uint16_t>(r);
}

std::uint16_t wordsTable(std::uint16_t crc, const std::uint8_t* data, std::size_t n);

// A(x) * x^16 mod P for the 128-bit polynomial A = hi * x^64 + lo: the CRC (from 0) of A's
// sixteen bytes, most significant first.
std::uint16_t reduce128(std::uint64_t hi, std::uint64_t lo);

bool pclmulSupported();
bool vpclmulSupported();
bool vpclmul256Supported();
std::uint16_t wordsPclmul(std::uint16_t crc, const std::uint8_t* data, std::size_t n);
std::uint16_t wordsVpclmul256(std::uint16_t crc, const std::uint8_t* data, std::size_t n);
std::uint16_t wordsVpclmul(std::uint16_t crc, const std::uint8_t* data, std::size_t n);

}  // namespace parvex::ccitt
