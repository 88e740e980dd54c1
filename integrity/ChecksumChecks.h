#pragma once

// Header, logo, secure-area, security-data and Segment3 checksums.

#include <cstdint>
#include <span>

#include "core/CheckState.h"
#include "core/RomHeader.h"
#include "core/WindowModel.h"

namespace parvex {

void CheckSecureAreaCrc(const CheckState& st, WindowModel& m);
// The CRC of logo bytes 0x0C0-0x15B as the header read holds them (zero where the image ended).
void ComputeLogoCrc(std::span<const std::uint8_t, kLogoSize> logo, WindowModel& m);
void CheckHeaderCrc(const CheckState& st, WindowModel& m);
void ComputeSecurityDataCrc(const CheckState& st, WindowModel& m);
// Shows the CRC of the bytes of 0x3000-0x3FFF the image supplied, and returns it for the Segment3
// check.
std::uint16_t ComputeSegment3Crc(std::span<const std::uint8_t> segment3, WindowModel& m);
void CheckSegment3Crc(const CheckState& st, WindowModel& m);

}  // namespace parvex
