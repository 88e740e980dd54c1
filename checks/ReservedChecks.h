#pragma once

// Reserved areas, region flags and the speed byte.

#include <cstddef>
#include "core/CheckState.h"
#include "core/Findings.h"
#include "core/WindowModel.h"

namespace parvex {

void CheckReservedAndRegionFlags(const CheckState& st, WindowModel& m);
void CheckRomSpeedType(const CheckState& st, WindowModel& m);
// A header range [first, last] that must be all zero, its box and its message.
struct ReservedRange {
    std::size_t first;
    std::size_t last;
    Field box;
    Msg message;
};

inline constexpr ReservedRange kReserved078{0x078, 0x07F, Field::R_Area3, Msg::Reserved078};
inline constexpr ReservedRange kReserved090{0x090, 0x0BF, Field::R_Area4, Msg::Reserved090};
inline constexpr ReservedRange kReserved160{0x160, 0x17F, Field::R_Area5, Msg::Reserved160};

void CheckReservedRange(const CheckState& st, WindowModel& m, const ReservedRange& range);

}  // namespace parvex
