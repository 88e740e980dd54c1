#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/RomHeader.h"

namespace parvex {

// The state of the latest run, kept until the next one; the language switch re-runs the checks on it.
struct CheckState {
    std::array<std::uint8_t, kHeaderSize> Header{};
    std::uint64_t File_Size = 0;
    std::uint32_t Run_Started = 0;
    std::uint8_t Final_Build = 0;
    std::uint32_t Tail_Used = 0;
    std::uint32_t Half_Padded = 0;
    std::array<std::uint8_t, kHeaderAreaSize> Header_Area{};
    std::array<std::uint8_t, kSecureAreaSize> Secure_Area{};
    std::array<std::uint8_t, kSecurityDataSize> Security_Data{};
    std::array<std::uint8_t, 33> Syscall_Text{};
    std::array<std::uint8_t, 3> Maker_Chars{};
    std::array<std::uint8_t, 40> Maker_Line{};
    std::array<std::uint8_t, 60> Maker_Name{};
    std::array<std::uint8_t, 60> Maker_Name2{};
    // Where the side files are looked for; a full path, never made the current directory.
    std::string Program_Dir;

    std::uint8_t u8(std::size_t offset) const { return Header[offset]; }
    std::uint32_t le32(std::size_t offset) const { return readLe32(Header, offset); }
};

}  // namespace parvex
