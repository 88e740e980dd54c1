#pragma once

// What a check run reads from the image, read once and in file order: the header, the system call
// text, and one pass whose consumers all take their bytes from the same chunks. The steps read the
// record and never change it.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "buildinfo/MarkerScan.h"
#include "core/ImageFile.h"
#include "core/RomHeader.h"
#include "integrity/CcittCrc.h"

namespace parvex {

struct ImagePassRequest {
    std::uint8_t capacityCode = 0;  // header byte 0x014
    std::uint64_t fileSize = 0;     // as measured when the file was opened
    Arm9Module arm9;                // header 0x020 and 0x02C, for the static SDK rows
    bool fileCrc = false;           // also the whole-file CRC (the command line's --crc)
    MarkerPath markerPath = fastestMarkerPath();
    CcittPath ccittPath = fastestCcittPath();
    std::size_t chunkSize = kPassChunkSize;
};

struct ImagePassResult {
    std::uint32_t tailUsed = 0;                                  // Tail_Used
    std::uint32_t halfPadded = 0;                                // Half_Padded
    std::array<std::uint8_t, kSecurityDataSize> securityData{};  // 0x1000-0x2FFF, likewise
    std::array<std::uint8_t, kSecureAreaSize> secureArea{};      // 0x4000-0x7FFF, likewise
    std::vector<std::uint8_t> segment3;                          // the bytes of 0x3000-0x3FFF the image supplied
    MarkerScanResult markers;
    std::optional<std::uint16_t> fileCrc;
};

ImagePassResult runImagePass(ImageFile& file, const ImagePassRequest& request);

// The run's typed record of one image.
struct ImageRecord {
    std::array<std::uint8_t, kHeaderSize> header{};  // zero where the image ended
    std::uint64_t fileSize = 0;                      // as measured when the file was opened
    std::array<std::uint8_t, 33> syscallText{};      // at the header's ARM9 ROM offset, NUL-ended
    ImagePassResult pass;
};

// Reads the header, the system call text at the offset the header gives, and makes the pass with
// what the header says (capacity code, ARM9 module); fileCrc adds the whole-file CRC to the pass.
ImageRecord readImage(ImageFile& file, bool fileCrc = false);

}  // namespace parvex
