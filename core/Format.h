#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace parvex {

// "%02X" of each byte, joined by single blanks, in file order.
std::string hexBytes(std::span<const std::uint8_t> bytes);
// "%04X".
std::string hex4(std::uint16_t value);
// "%02X".
std::string hex2(std::uint8_t value);
// Plain decimal, no separators.
std::string decimal(std::uint64_t value);

}  // namespace parvex
