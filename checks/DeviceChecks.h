#pragma once

// Product code, device code and capacity checks.

#include <cstdint>
#include "core/CheckState.h"
#include "core/WindowModel.h"

namespace parvex {

void CheckProductCode(const CheckState& st, WindowModel& m);
void CheckDeviceCode(const CheckState& st, WindowModel& m);
void CheckDeviceCapacity(const CheckState& st, WindowModel& m);

}  // namespace parvex
