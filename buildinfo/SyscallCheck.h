#pragma once

// System call library check.

#include "run/Session.h"

namespace parvex {

void CheckSystemCallLibrary(Session& s);

}  // namespace parvex
