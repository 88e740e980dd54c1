#pragma once

// System call library check.

#include "core/Session.h"

namespace parvex {

void CheckSystemCallLibrary(Session& s);

}  // namespace parvex
