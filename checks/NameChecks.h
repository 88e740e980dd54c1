#pragma once

// File name, game title and game code checks.

#include <cstdint>
#include <string>

#include "core/CheckState.h"
#include "core/WindowModel.h"

namespace parvex {

// Returns the release character of the file name, 0 when it has none.
std::uint8_t CheckFileName(const std::string& fileName, const CheckState& st, WindowModel& m);
void CheckGameTitle(const CheckState& st, WindowModel& m);
void CheckGameCode(const CheckState& st, WindowModel& m);

}  // namespace parvex
