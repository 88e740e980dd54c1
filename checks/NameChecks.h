#pragma once

// File name, game title and game code checks.

#include "run/Session.h"

namespace parvex {

void CheckFileName(Session& s);
void CheckGameTitle(Session& s);
void CheckGameCode(Session& s);

}  // namespace parvex
