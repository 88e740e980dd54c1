#pragma once

// Maker code check and the maker list Dorclic.txt.

#include "core/Session.h"

namespace parvex {

void CheckMakerCode(Session& s);
void ShowMakerName(Session& s);

}  // namespace parvex
