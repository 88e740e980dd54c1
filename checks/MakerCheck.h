#pragma once

// Maker code check and the maker list Dorclic.txt.

#include "core/CheckState.h"
#include "core/WindowModel.h"

namespace parvex {

// Writes the maker list buffers (Maker_Name, Maker_Name2, Maker_Line) of the state.
void CheckMakerCode(CheckState& st, WindowModel& m);
void ShowMakerName(const CheckState& st, WindowModel& m);

}  // namespace parvex
