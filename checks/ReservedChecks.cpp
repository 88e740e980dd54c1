#include "checks/ReservedChecks.h"

namespace parvex {

void CheckReservedAndRegionFlags(Session&) {}

void CheckRomSpeedType(Session&) {}

void CheckReservedRange(Session&, std::size_t, std::size_t, Field, Msg) {}

}  // namespace parvex
