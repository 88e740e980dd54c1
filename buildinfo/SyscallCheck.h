#pragma once

// System call library check.

#include "core/CheckState.h"
#include "core/WindowModel.h"

namespace parvex {

void CheckSystemCallLibrary(const CheckState& st, WindowModel& m);

}  // namespace parvex
