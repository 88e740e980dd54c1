#pragma once

// Release version check.

#include "run/Session.h"

namespace parvex {

void CheckReleaseVersion(Session& s);

}  // namespace parvex
