#pragma once

// Product code, device code and capacity checks.

#include <cstdint>
#include "run/Session.h"

namespace parvex {

void CheckProductCode(Session& s);
void CheckDeviceCode(Session& s);
void CheckDeviceCapacity(Session& s, std::uint64_t fileSize);

}  // namespace parvex
