#include "checks/DeviceChecks.h"

namespace parvex {

void CheckProductCode(Session&) {}

void CheckDeviceCode(Session&) {}

void CheckDeviceCapacity(Session&, std::uint64_t) {}

}  // namespace parvex
