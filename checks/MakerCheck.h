#pragma once

// Maker code check and the maker list Dorclic.txt.

#include <array>
#include <cstdint>
#include <optional>

#include "checks/MakerList.h"
#include "core/CheckState.h"
#include "core/WindowModel.h"

namespace parvex {

// The maker list buffers of the state (Maker_Name, Maker_Name2, Maker_Line) as a lookup leaves them.
struct MakerBuffers {
    std::array<std::uint8_t, 60> name{};
    std::array<std::uint8_t, 60> name2{};
    std::array<std::uint8_t, 40> line{};
};

// With the list the step read (null: there is none). Returns the buffers the lookup filled, for the
// state; nothing when there was no list to look in.
std::optional<MakerBuffers> CheckMakerCode(const CheckState& st, const MakerList* list, WindowModel& m);
void ShowMakerName(const CheckState& st, WindowModel& m);

}  // namespace parvex
