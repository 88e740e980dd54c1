#pragma once

// ROM control information and the capacity limits.

#include <cstdint>

#include "core/ImageFile.h"
#include "core/CheckState.h"
#include "core/WindowModel.h"

namespace parvex {

void CheckRomControlInfo(const CheckState& st, WindowModel& m);
// Tail_Used: the bytes other than 0xFF in the reserved tail of a 1, 2 or 4 Gbit image.
std::uint32_t ScanReservedTail(const CheckState& st, ImageFile& file);
void CheckCapacityLimitation(const CheckState& st, WindowModel& m);
// Half_Padded: 1 when the second half of the image is one repeated byte.
std::uint32_t ScanWastedCapacity(const CheckState& st, ImageFile& file);
void CheckWastedCapacity(const CheckState& st, WindowModel& m);

}  // namespace parvex
