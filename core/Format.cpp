#include "core/Format.h"

#include <cstdio>

namespace parvex {

std::string hexBytes(std::span<const std::uint8_t> bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size() * 3);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i) out += ' ';
        out += kDigits[bytes[i] >> 4];
        out += kDigits[bytes[i] & 0xF];
    }
    return out;
}

std::string hex4(std::uint16_t value) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%04X", static_cast<unsigned>(value));
    return buf;
}

std::string hex2(std::uint8_t value) { return hexBytes({&value, 1}); }

std::string decimal(std::uint64_t value) { return std::to_string(value); }

std::string plainCaption(std::string_view caption) {
    std::string out;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&') {
            if (i + 1 == caption.size()) break;
            ++i;
        }
        out += caption[i];
    }
    return out;
}

}  // namespace parvex
