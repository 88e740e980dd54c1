#pragma once

// Header, logo, secure-area, security-data and Segment3 checksums.

#include <cstdint>
#include <span>

#include "core/ImageFile.h"
#include "core/RomHeader.h"
#include "run/Session.h"

namespace parvex {

void CheckSecureAreaCrc(Session& s);
void ComputeLogoCrc(Session& s, ImageFile& file);
// The same from logo bytes 0x0C0-0x15B already read (zero where the image ended).
void ComputeLogoCrc(Session& s, std::span<const std::uint8_t, kLogoSize> logo);
void CheckHeaderCrc(Session& s);
void ComputeSecurityDataCrc(Session& s);
void ComputeSegment3Crc(Session& s, ImageFile& file);
// The same from the bytes of 0x3000-0x3FFF the image supplied.
void ComputeSegment3Crc(Session& s, std::span<const std::uint8_t> segment3);
void CheckSegment3Crc(Session& s);

}  // namespace parvex
