#pragma once

// Banner, logo data, end offset and build type.

#include "core/CheckState.h"
#include "core/WindowModel.h"

namespace parvex {

void CheckBannerOffset(const CheckState& st, WindowModel& m);
void CheckLogoCharacterData(const CheckState& st, WindowModel& m);
void CheckApplicationEndOffset(const CheckState& st, WindowModel& m);
void CheckFinalRomBuild(const CheckState& st, WindowModel& m);

}  // namespace parvex
