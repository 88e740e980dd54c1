#include "checks/Cp932.h"

#include <cstdint>

namespace parvex {
namespace {

// kCp932Single and kCp932Double, made at build time from the build machine's iconv.
#include "Cp932Table.inc"

constexpr std::uint16_t kNoCharacter = 0xFFFF;
constexpr std::uint16_t kLeadByte = 0xFFFE;

void appendUtf8(std::string& out, unsigned cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

}  // namespace

std::string decodeCp932(std::string_view stored) {
    std::string out;
    out.reserve(stored.size() * 3 / 2);
    for (std::size_t i = 0; i < stored.size(); ++i) {
        const auto first = static_cast<std::uint8_t>(stored[i]);
        std::uint16_t cp = kCp932Single[first];
        if (cp == kLeadByte) {
            if (i + 1 == stored.size()) break;  // cut short
            const auto second = static_cast<std::uint8_t>(stored[i + 1]);
            cp = kCp932Double[(first - 0x80u) * 256u + second];
            if (cp != kNoCharacter) ++i;
        }
        if (cp == kNoCharacter) cp = 0xFFFD;
        appendUtf8(out, cp);
    }
    return out;
}

}  // namespace parvex
