#pragma once

// Release version check.

#include "core/CheckState.h"
#include "core/WindowModel.h"

namespace parvex {

void CheckReleaseVersion(const CheckState& st, WindowModel& m);

}  // namespace parvex
