#pragma once

// Reserved areas, region flags and the speed byte.

#include <cstddef>
#include "core/Findings.h"
#include "run/Session.h"

namespace parvex {

void CheckReservedAndRegionFlags(Session& s);
void CheckRomSpeedType(Session& s);
void CheckReservedRange(Session& s, std::size_t first, std::size_t last, Field box, Msg message);

}  // namespace parvex
