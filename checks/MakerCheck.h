#pragma once

// Maker code check and the maker list Dorclic.txt.

#include "run/Session.h"

namespace parvex {

void CheckMakerCode(Session& s);
void ShowMakerName(Session& s);

}  // namespace parvex
