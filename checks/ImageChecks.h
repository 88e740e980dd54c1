#pragma once

// Banner, logo data, end offset and build type.

#include "run/Session.h"

namespace parvex {

void CheckBannerOffset(Session& s);
void CheckLogoCharacterData(Session& s);
void CheckApplicationEndOffset(Session& s);
void CheckFinalRomBuild(Session& s);

}  // namespace parvex
