#pragma once

// Release version check.

#include "core/Session.h"

namespace parvex {

void CheckReleaseVersion(Session& s);

}  // namespace parvex
