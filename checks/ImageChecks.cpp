#include "checks/ImageChecks.h"

namespace parvex {

void CheckBannerOffset(Session&) {}

void CheckLogoCharacterData(Session&) {}

void CheckApplicationEndOffset(Session&) {}

void CheckFinalRomBuild(Session&) {}

}  // namespace parvex
