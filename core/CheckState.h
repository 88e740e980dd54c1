#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/RomHeader.h"

namespace parvex {

// The state of the latest run, kept until the next one; the language switch re-runs the checks on it.
struct CheckState {
    std::array<std::uint8_t, kHeaderSize> Header{};
    std::uint64_t File_Size = 0;
    bool Run_Started = false;  // once any run has started: the language switch re-runs the checks
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
    // The program file's directory; a full path, never made the current directory.
    std::string Program_Dir;
    // Where the side files are looked for, first to last (Program_Dir first).
    std::vector<std::string> Side_Dirs;

    // Typed values that one step of a run hands to a later one (the boxes only render them).
    // The game code read as text at 0x00C; emptied at the start of every run, as Initial_Code is.
    std::array<std::uint8_t, 5> Game_Code_Chars{};
    // The release character of the file name (its sixth byte), 0 when it has none.
    std::uint8_t Release_Char = 0;
    // The stored checksums as the run read them (0x06C and 0x15E); none before the first read.
    std::optional<std::uint16_t> Secure_Crc_Stored;
    std::optional<std::uint16_t> Header_Crc_Stored;
    // The Segment3 CRC this run computed; none until it has been computed.
    std::optional<std::uint16_t> Segment3_Crc;

    std::uint8_t u8(std::size_t offset) const { return Header[offset]; }
    std::uint16_t le16(std::size_t offset) const { return readLe16(Header, offset); }
    std::uint32_t le32(std::size_t offset) const { return readLe32(Header, offset); }
};

}  // namespace parvex
