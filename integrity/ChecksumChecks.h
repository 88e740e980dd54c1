#pragma once

// Header, logo, secure-area, security-data and Segment3 checksums.

#include <cstdint>

#include "core/ImageFile.h"
#include "core/CheckState.h"
#include "core/WindowModel.h"

namespace parvex {

void CheckSecureAreaCrc(const CheckState& st, WindowModel& m);
void ComputeLogoCrc(ImageFile& file, WindowModel& m);
void CheckHeaderCrc(const CheckState& st, WindowModel& m);
void ComputeSecurityDataCrc(const CheckState& st, WindowModel& m);
// Shows the Segment3 CRC and returns it for the Segment3 check.
std::uint16_t ComputeSegment3Crc(ImageFile& file, WindowModel& m);
void CheckSegment3Crc(const CheckState& st, WindowModel& m);

}  // namespace parvex
