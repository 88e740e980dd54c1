#include "checks/CapacityChecks.h"

namespace parvex {

void CheckRomControlInfo(Session&) {}

void ScanReservedTail(Session&, ImageFile&) {}

void CheckCapacityLimitation(Session&) {}

void ScanWastedCapacity(Session&, ImageFile&) {}

void CheckWastedCapacity(Session&) {}

}  // namespace parvex
