#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace parvex {

// "%02X" of each byte, joined by single blanks, in file order.
std::string hexBytes(std::span<const std::uint8_t> bytes);
// "%04X".
std::string hex4(std::uint16_t value);
// "%02X".
std::string hex2(std::uint8_t value);
// Plain decimal, no separators.
std::string decimal(std::uint64_t value);

// The text of a NUL-terminated buffer; a buffer with no NUL gives all of its bytes.
template <std::size_t N>
std::string bufferText(const std::array<std::uint8_t, N>& buffer) {
    std::size_t n = 0;
    while (n < N && buffer[n] != 0) ++n;
    return std::string(reinterpret_cast<const char*>(buffer.data()), n);
}

// A caption as shown: a lone '&' marks the next letter as a mnemonic and goes, "&&" is one '&',
// and a '&' ending the text goes.
std::string plainCaption(std::string_view caption);

}  // namespace parvex
